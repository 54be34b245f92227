#pragma once

// The settings row of 信息表 and the logged-in operator's name and password.

#include "data/message.h"

#include <QString>
#include <optional>

namespace qm {

struct StoredSettings {
    QString unitName;
    QString backupFolder;
};
StoredSettings readStoredSettings();

// Saves the fiscal year and the account-set name; the year becomes the open year. A refusal
// changes nothing.
std::optional<Message> saveYearAndUnitName(const QString& yearText, const QString& unitName);

// Renames the logged-in operator `currentName` to `newName` and updates the login state.
std::optional<Message> renameOperator(const QString& currentName, const QString& newName);

// Sets the operator's password to `password` when the two typed copies agree.
std::optional<Message> changePassword(const QString& operatorName, const QString& password, const QString& repeated);

void saveBackupFolder(const QString& folder);

}  // namespace qm

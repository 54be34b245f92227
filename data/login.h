#pragma once

// The login state every window reads, and the work of the login window.

#include "message.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace qm {

struct LoginState {
    qint16 fiscalYear = 0;
    QString operatorName;
    QString operatorPassword;
    QString unitName;  // read once at the login window's load
};

LoginState& loginState();

// Every operator name of 信息表 that is not NULL, in table order (an empty text included).
QStringList operatorNames();

struct SettingsRow {
    QString yearText;  // its third column
    QString unitName;  // its fourth column
};
// The settings row (代号 'QM'), read by position as the login window does.
SettingsRow readSettingsRow();

// True when the operator exists (name compared without regard to case) and its password equals
// `password` exactly. A NULL password matches nothing.
bool checkLogin(const QString& operatorName, const QString& password);

// The login window's 确定: on success fills loginState() and returns nothing; otherwise the
// refusal to show, and the state is unchanged.
std::optional<Message> logIn(const QString& operatorName, const QString& password,
                             const QString& yearText);

}  // namespace qm

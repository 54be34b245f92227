#pragma once

// The lists the voucher grid's pickers offer: summary phrases, cash-flow items, leaf accounts.

#include "data/message.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace qm {

QStringList summaryPhrases();
// A refusal, or nothing when the phrase was added.
std::optional<Message> addSummaryPhrase(const QString& phrase);
void deleteSummaryPhrase(const QString& phrase);

// "代码 名称" per cash-flow item, in code order.
QStringList cashFlowItemEntries();

struct LeafAccountMatch {
    QString code;
    QString fullName;
};
// Leaf accounts whose full name holds `text` anywhere (taken literally), in code order.
std::vector<LeafAccountMatch> searchLeafAccounts(const QString& text);
// The full name of the leaf account `code`; nothing for a parent or an unknown code.
std::optional<QString> leafAccountFullName(const QString& code);

}  // namespace qm

#pragma once

// The account a ledger is asked for: its details as the query centre shows them, and stepping
// to the next or previous account of the chart.

#include <QString>
#include <optional>

namespace qm {

struct LedgerAccount {
    QString code;
    QString fullName;
    QString direction;
    QString unit;         // empty when the chart has none
    QString levelOneName; // the full name up to its first "/" below level 1, else the full name
};

std::optional<LedgerAccount> ledgerAccount(const QString& code);
// The next or previous account in code order; with `levelOneOnly` the walk stays on 4-digit
// codes, starting from the first four characters of `code`.
std::optional<LedgerAccount> nextLedgerAccount(const QString& code, bool levelOneOnly);
std::optional<LedgerAccount> previousLedgerAccount(const QString& code, bool levelOneOnly);

}  // namespace qm

#pragma once

// The three-column detail ledger of one account and the general ledger of a level-1 account,
// built into 三总式: opening line, entries (or month lines) with the running balance in the
// account's direction, month totals, year-to-date lines and the carry-forward line.

#include "data/record_set_fwd.h"

#include <QString>

namespace qm {

// `direction` is the account's 方向; anything but "借" counts as a credit direction. Both empty
// 三总式 first and return the rows written, in the order of threeColumnLedgerRows().
RecordSet buildDetailLedger(int year, const QString& code, const QString& direction);
// Sums the level-1 account given by the first four characters of `code` and everything below it.
RecordSet buildGeneralLedger(int year, const QString& code, const QString& direction);
// 三总式 in ledger order.
RecordSet threeColumnLedgerRows();

}  // namespace qm

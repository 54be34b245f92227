#pragma once

// The quantity ledger (数量式), the fixed-asset ledger (固累式) and the multi-column ledger
// (多栏式1 and 多栏式) of one account. Each builder empties its tables first: they hold the
// latest ledger only.

#include "data/message.h"
#include "data/record_set_fwd.h"

#include <QString>
#include <optional>

namespace qm {

void buildQuantityLedger(int year, const QString& code, const QString& direction);
RecordSet quantityLedgerRows();

// The account with its accumulated-depreciation twin (fourth digit 2); only accounts under 1601
// and 1701 are accepted, any other leaves 固累式 empty.
QString depreciationTwin(const QString& code);
std::optional<Message> buildFixedAssetLedger(int year, const QString& code, const QString& direction);
RecordSet fixedAssetLedgerRows();

// The multi-column ledger of an account's direct sub-accounts: first their column seeds in
// 多栏式1 (refused when there are none or more than 245), `codeOrder` putting the last three
// digits of each sub-account's code before its name so that the columns follow code order; then
// the result table 多栏式 with one amount column per seed, made from the year's entries.
std::optional<Message> buildMultiColumnRows(const QString& code, bool codeOrder);
// Returns the rows of 多栏式 as they went in, in ID order.
RecordSet buildMultiColumnPivot(int year, const QString& code, const QString& direction);
RecordSet multiColumnLedgerRows();

}  // namespace qm

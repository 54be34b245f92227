#pragma once

// The quantity ledger (数量式), the fixed-asset ledger (固累式) and the multi-column ledger
// (多栏式1 and 多栏式) of one account.

#include "data/message.h"
#include "data/record_set.h"

#include <QString>
#include <optional>

namespace qm {

void buildQuantityLedger(int year, const QString& code, const QString& direction);
RecordSet quantityLedgerRows();

// The account with its accumulated-depreciation twin (fourth digit 2); only accounts under 1601
// and 1701 are accepted.
QString depreciationTwin(const QString& code);
std::optional<Message> buildFixedAssetLedger(int year, const QString& code, const QString& direction);
RecordSet fixedAssetLedgerRows();

// The source rows of the multi-column ledger of an account's direct sub-accounts, then the
// result table 多栏式 with one amount column per sub-account. `codeOrder` puts the last three
// digits of each sub-account's code before its name, so the columns follow code order.
std::optional<Message> buildMultiColumnRows(int year, const QString& code, const QString& direction, bool codeOrder);
void buildMultiColumnPivot(const QString& code, const QString& direction);
RecordSet multiColumnLedgerRows();

}  // namespace qm

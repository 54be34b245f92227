#pragma once

// The views of the query centre that list or total the year's entries: the journal, the account
// summary and the balance tables. Each empties its work table and fills it again.

#include "ledger_view.h"
#include "data/message.h"
#include "data/record_set_fwd.h"

#include <QString>
#include <optional>

namespace qm {

// The journal of a period ("全部" or empty: every row; "年初": the opening rows; "1".."12": one
// month) into 分录始表, rows of accounts of the chart only, in ID order. Any other period is
// refused, 分录始表 left empty.
std::optional<Message> buildJournal(int year, const QString& period);
// Every row of the year whose account code begins with `codePrefix`. An empty prefix only
// empties 分录始表 and returns false.
bool buildFilteredJournal(int year, const QString& codePrefix);
// The journal as built: 月, 日期, 字号, 号码, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 流代,
// 流金, 制单, 审核, 附件, 结帐, ID.
RecordSet journalRows();

// The month's debit and credit sums by level-1 account into 凭证汇总表, with the totals row "8".
std::optional<Message> buildAccountSummary(int year, const QString& month);
RecordSet accountSummaryRows();

// The balance table of a month down to a level ("1".."3") into 数量式余额表, with the totals row "8".
std::optional<Message> buildBalanceTable(int year, const QString& month, const QString& level);
RecordSet balanceTableRows();

// The statement whose rows the view exports to a spreadsheet; empty for no view.
QString viewExportStatement(LedgerView view);

// A month given as text, "1" to "12"; nothing for anything else.
std::optional<int> monthOfText(const QString& text);

}  // namespace qm

#pragma once

// The financial statements: their definitions (rows, captions, formulas) live in tables of the
// database; an evaluation condenses the year's entries for a month into 报表数据 and computes
// every row's amounts from its formulas, storing them back into the definition rows.

#include "data/message.h"
#include "data/money.h"
#include "data/record_set_fwd.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

namespace qm {

enum class Statement { BalanceSheet05, IncomeStatement05, BalanceSheet07, IncomeStatement07, CashFlow };

bool isBalanceSheet(Statement statement);
bool isIncomeStatement(Statement statement);
QString statementTable(Statement statement);

// Rebuilds 报表数据 for the month: account rows for the balance sheet and the income statement,
// cash rows ("888", "999" and one per cash-flow item) for the cash-flow statement. "请选择月份"
// when the month is not 1 to 12; the table is then left empty.
std::optional<Message> buildReportData(int year, const QString& month, bool cashFlow);

// 报表数据 by code: the value of one of its columns (年初, 期末, 本期 or 累计).
QHash<QString, QVariant> reportDataColumn(const QString& column);

// A formula's value: codes of `width` characters joined by single sign characters, "-"
// subtracting and any other sign adding; codes without a row add nothing. An empty formula is a
// heading line and comes to 0.
Money evaluateFormula(const QString& formula, int width, const QHash<QString, QVariant>& values);

// Builds the month's report data and stores the statement's amounts (NULL when 0). Returns the
// message of the data build, if any; the amounts are stored in any case.
std::optional<Message> evaluateStatement(Statement statement, int year, const QString& month);

// The definition table as the statements window shows it, in line order.
RecordSet statementRows(Statement statement);

// The editable columns of a definition: captions, formulas and, on the balance sheet, 行次2.
RecordSet statementDefinitionRows(Statement statement);
void setStatementDefinitionValue(Statement statement, qint64 rowId, const QString& column, const QVariant& value);

// What a formula may name: "代码 名称" of the level-1 accounts, or of the cash-flow items.
QStringList formulaCodeList(Statement statement);

}  // namespace qm

#pragma once

// Each year's entry lines summed by code and month, kept by triggers on the entry table in the
// same transaction as every write to it, so that balances and statements read a few thousand
// rows instead of the year's lines.
//
// "月合计" followed by the year, one row per (代码, 月) that has lines, 月 NULL for the opening
// rows as in the entry table. Amounts and quantities are whole thousandths, summed exactly;
// each sum comes with the count of lines that have a value, so that a sum over no value reads
// NULL as a sum over the lines would:
//   行数            lines
//   借笔, 借厘      lines with a debit amount, their debits
//   贷笔, 贷厘      lines with a credit amount, their credits
//   数笔, 净数厘    lines with a quantity, the quantity signed to its side (credit when the debit
//                   amount is NULL)
//   借数笔, 借数厘  lines with a quantity and no credit amount, their quantities
//   贷数笔, 贷数厘  lines with a quantity and no debit amount, their quantities
//   结转笔, 结转厘  closing-voucher lines (结帐=2), their debits less credits

#include <QString>
#include <QStringList>

namespace qm {

// "月合计" followed by the year; throws for a year without an entry table.
QString monthTotalsTableName(int year);

// The table, its key and the entry table's triggers, each created only when missing.
QStringList monthTotalsSchemaStatements(int year);

// The rows the table should hold, computed from the year's lines, in its column order.
QString monthTotalsRecompute(int year);

// Empties the year's table and fills it again from the lines.
void rebuildMonthTotals(int year);

// Deletes every line of the year and its totals at once, rather than line by line through the
// triggers. Runs inside the caller's transaction, if any.
void clearEntryLines(int year);

// At open: gives every year's entry table its totals and triggers when missing, and rebuilds a
// year's totals whose line count or sums disagree with its lines (a program that does not know
// the table wrote the book). Returns the years it rebuilt.
QList<int> ensureMonthTotals();

}  // namespace qm

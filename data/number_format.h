#pragma once

// How amounts, quantities and totals are read from and shown in cells and boxes.

#include <QString>
#include <QVariant>
#include <optional>

namespace qm {

// A number typed or shown in a cell; thousands separators are accepted. Nothing for an empty
// text or one that is not a number (a lone "-" while it is being typed).
std::optional<double> parseNumber(const QString& text);

// A cell's text with a fixed number of decimals ("0.00", "0.000"); an empty text stays empty and
// a text that is not a number is left as it is.
QString formatCellNumber(const QString& text, int decimals);

// "#,##0.00": thousands grouped, two decimals.
QString formatThousands(double value);

// How a grid of the query centre and the statements shows a column.
enum class CellFormat { None, Date, Amount, Quantity, Whole };
// A value as such a grid shows it: amounts "#,#0.00", quantities "0.000" or "0", dates
// "YYYY-MM-DD"; an empty value stays empty and a text that is not a number is left as it is.
QString formatGridCell(const QVariant& value, CellFormat format);

// Sums of amounts are compared, stored and shown only after this.
double roundToCent(double value);

}  // namespace qm

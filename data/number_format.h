#pragma once

// How amounts, quantities and totals are read from and shown in cells and boxes.

#include "message.h"

#include <QString>
#include <QVariant>
#include <optional>

namespace qm {

// The characters an input method types for a number in full-width mode, ０-９, "。", "．", "－"
// and "＋", as the digits, point and signs they stand for; every other character is left as it is.
QString foldNumberCharacters(const QString& text);

// A number typed or shown in a cell; thousands separators are accepted. Nothing for an empty
// text or one that is not a number (a lone "-" while it is being typed), nor for one too long
// to be read (hundreds of digits).
std::optional<double> parseNumber(const QString& text);
// Whether a text is written as a number however many digits it has: what parseNumber reads, and
// digits too many to be read, which are over every limit rather than not a number.
bool isWrittenAsNumber(const QString& text);
// A whole number as typed, full-width digits folded and blanks around it dropped; nothing for a
// text that is not one.
std::optional<int> parseWhole(const QString& text);
// A margin box in centimetres: full-width characters folded, no thousands separators. Nothing
// for a text that is not a number, or not a margin of an A4 sheet.
std::optional<double> readCentimetres(const QString& text);

// A value scaled to a whole number of `decimals` places (cents for 2), rounded half away from
// zero on its shortest decimal form, so 1.005 gives 101 cents as a bookkeeper reads it. Nothing
// for a value too large to scale.
std::optional<qint64> scaledValue(double value, int decimals);
// The same for a typed text; nothing for an empty text or one that is not a number.
std::optional<qint64> parseScaled(const QString& text, int decimals);
inline std::optional<qint64> parseCents(const QString& text) { return parseScaled(text, 2); }
// A scaled value as plain text with its decimals ("-12.50").
QString formatScaled(qint64 scaled, int decimals);

constexpr int kAmountDecimals = 2;
// Quantities keep at most three decimals, so that every sum of them, taken as whole thousandths,
// is exact.
constexpr int kQuantityDecimals = 3;
// Whether a value is written with no more than `decimals` decimals (its shortest decimal form):
// 1.2340 is, 1.2345 is not.
bool fitsDecimals(double value, int decimals);

// The largest amount the books take, 999,999,999,999.99: every value up to it is exact to the
// cent in a double.
constexpr qint64 kLargestAmountCents = 99'999'999'999'999LL;
bool exceedsLargestAmount(double value);

// What a cell that writes to the database as it is typed holds: nothing (stored as NULL), a
// number, or a refusal to show while the stored value stays.
struct TypedValue {
    QVariant value;
    std::optional<Message> refusal;
};
// An amount, rounded to the cent.
TypedValue readTypedAmount(const QString& text);
// A quantity, as typed; one with more than three decimals is refused, never rounded.
TypedValue readTypedQuantity(const QString& text);
// An exchange rate, as typed, with any number of decimals; one at or below zero is refused.
TypedValue readTypedRate(const QString& text);
// A whole number, such as a line number.
TypedValue readTypedWhole(const QString& text);

// What a number box or cell takes: a signed number with at most `decimals` decimals (any number
// of them with kAnyDecimals), or digits alone for codes and counts.
constexpr int kAnyDecimals = -1;
struct NumberShape {
    int decimals = kAnyDecimals;
    bool digitsOnly = false;
};
// A paste in place of the text between `textBefore` and `textAfter`: the text to put there, or
// the refusal of the whole paste. Full-width characters are folded first; thousands separators in
// their places, blanks around it, a currency sign (¥, ￥ or $ before the number, its minus sign on
// either side, or 元 after it) and zeros past the box's decimals at its end are taken away; any
// other character, a result that is no number or more decimals than the box takes refuse it, so
// that a paste never becomes another number. A blank paste gives nothing to put and no refusal.
struct PastedNumber {
    QString text;
    std::optional<Message> refusal;
};
PastedNumber pastedNumber(const QString& pasted, const QString& textBefore, const QString& textAfter,
                          NumberShape shape);

// A cell's text with a fixed number of decimals ("0.00", "0.000"); an empty text stays empty and
// a text that is not a number is left as it is.
QString formatCellNumber(const QString& text, int decimals);

// "#,##0.00": thousands grouped, two decimals, rounded as Money rounds a stored value.
QString formatThousands(double value);

// How a grid of the query centre and the statements shows a column.
enum class CellFormat { None, Date, Amount, Quantity, Whole };
// A value as such a grid shows it: amounts "#,#0.00", quantities "0.000" or "0", dates
// "YYYY-MM-DD"; an empty value stays empty and a text that is not a number is left as it is.
QString formatGridCell(const QVariant& value, CellFormat format);

}  // namespace qm

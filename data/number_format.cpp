#include "number_format.h"

#include "money.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <functional>

namespace qm {

QString foldNumberCharacters(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
            c = QChar(u'0' + (c.unicode() - 0xFF10));
        else if (c == QChar(0x3002) || c == QChar(0xFF0E))
            c = QLatin1Char('.');
        else if (c == QChar(0xFF0D))
            c = QLatin1Char('-');
        else if (c == QChar(0xFF0B))
            c = QLatin1Char('+');
    }
    return folded;
}

namespace {

// The text a number is read from: folded, trimmed, without thousands separators.
QString plainNumberText(const QString& text)
{
    return foldNumberCharacters(text).trimmed().remove(QLatin1Char(','));
}

}  // namespace

std::optional<double> parseNumber(const QString& text)
{
    const QString plain = plainNumberText(text);
    if (plain.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isWrittenAsNumber(const QString& text)
{
    static const QRegularExpression digits(
        QRegularExpression::anchoredPattern(QStringLiteral("-?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)")));
    return parseNumber(text) || digits.match(plainNumberText(text)).hasMatch();
}

std::optional<int> parseWhole(const QString& text)
{
    bool ok = false;
    const int value = foldNumberCharacters(text).trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<double> readCentimetres(const QString& text)
{
    bool ok = false;
    const double value = foldNumberCharacters(text).trimmed().toDouble(&ok);
    // No margin is below nothing or wider than the widest sheet printed, A4 across.
    if (!ok || !std::isfinite(value) || value < 0 || value > 29.7)
        return std::nullopt;
    return value;
}

QString formatCellNumber(const QString& text, int decimals)
{
    const std::optional<qint64> scaled = parseScaled(text, decimals);
    return scaled ? formatScaled(*scaled, decimals) : text;
}

namespace {

// The digits of a value's size before and after the point, in its shortest decimal form: the
// number as typed or stored, without binary noise.
struct DecimalDigits {
    QString whole;
    QString fraction;
};

DecimalDigits decimalDigits(double value)
{
    const QString digits = QLocale::c().toString(std::abs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    return point < 0 ? DecimalDigits{digits, QString()} : DecimalDigits{digits.left(point), digits.mid(point + 1)};
}

}  // namespace

bool fitsDecimals(double value, int decimals)
{
    return std::isfinite(value) && decimalDigits(value).fraction.size() <= decimals;
}

std::optional<qint64> scaledValue(double value, int decimals)
{
    if (!std::isfinite(value) || std::abs(value) >= 1e15)
        return std::nullopt;
    const auto [whole, fraction] = decimalDigits(value);
    qint64 scaled = whole.toLongLong();
    for (int place = 0; place < decimals; ++place)
        scaled = scaled * 10 + (place < fraction.size() ? fraction[place].digitValue() : 0);
    if (fraction.size() > decimals && fraction[decimals].digitValue() >= 5)
        ++scaled;
    return value < 0 ? -scaled : scaled;
}

std::optional<qint64> parseScaled(const QString& text, int decimals)
{
    const std::optional<double> value = parseNumber(text);
    return value ? scaledValue(*value, decimals) : std::nullopt;
}

QString formatScaled(qint64 scaled, int decimals)
{
    qint64 unit = 1;
    for (int place = 0; place < decimals; ++place)
        unit *= 10;
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    QString text = QString::number(magnitude / unit);
    if (decimals > 0)
        text += QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % unit, decimals, 10, QLatin1Char('0'));
    return scaled < 0 ? QLatin1Char('-') + text : text;
}

bool exceedsLargestAmount(double value)
{
    return std::abs(value) > double(kLargestAmountCents) / 100.0;
}

namespace {

Message refusal(const QString& text)
{
    return Message{text, QStringLiteral("QM505"), MessageIcon::Exclamation};
}

// A typed or pasted text as a message quotes it: the start of a long one is enough to know it.
QString quoted(const QString& text)
{
    constexpr int kLongestQuote = 40;
    const QString shown = text.trimmed();
    return shown.size() > kLongestQuote ? shown.left(kLongestQuote) + QStringLiteral("…") : shown;
}

Message refusalOfTyped(const QString& text)
{
    return refusal(QStringLiteral("“%1”不是数字,原值不变").arg(quoted(text)));
}

Message refusalOfWhole(const QString& text)
{
    return refusal(QStringLiteral("“%1”不是整数,原值不变").arg(quoted(text)));
}

Message refusalOfDecimals(const QString& text, int decimals)
{
    static const QStringList places{QStringLiteral("零"), QStringLiteral("一"), QStringLiteral("两"),
                                    QStringLiteral("三")};
    const QString place = places.value(decimals, QString::number(decimals));
    return refusal(QStringLiteral("“%1”超过%2位小数,原值不变").arg(quoted(text), place));
}

TypedValue readTypedNumber(const QString& text, const QString& tooLarge,
                           const std::function<QVariant(double)>& stored)
{
    if (text.trimmed().isEmpty())
        return {};
    const std::optional<double> value = parseNumber(text);
    if (!value || exceedsLargestAmount(*value))
        return {QVariant(), isWrittenAsNumber(text) ? refusal(tooLarge) : refusalOfTyped(text)};
    return {stored(*value), std::nullopt};
}

}  // namespace

TypedValue readTypedAmount(const QString& text)
{
    return readTypedNumber(text, QStringLiteral("金额不能超过999,999,999,999.99"),
                           [](double value) { return Money::fromStored(value)->toStored(); });
}

TypedValue readTypedQuantity(const QString& text)
{
    const TypedValue typed = readTypedNumber(text, QStringLiteral("数量不能超过999,999,999,999.99"),
                                             [](double value) { return QVariant(value); });
    if (!typed.value.isNull() && !fitsDecimals(typed.value.toDouble(), kQuantityDecimals))
        return {QVariant(), refusalOfDecimals(text, kQuantityDecimals)};
    return typed;
}

TypedValue readTypedRate(const QString& text)
{
    const TypedValue typed = readTypedNumber(text, QStringLiteral("汇率不能超过999,999,999,999.99"),
                                             [](double value) { return QVariant(value); });
    // At no rate is a balance worth nothing or less: such a rate would post it all as a difference.
    if (!typed.value.isNull() && typed.value.toDouble() <= 0)
        return {QVariant(), refusal(QStringLiteral("汇率必须大于零,原值不变"))};
    return typed;
}

TypedValue readTypedWhole(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    const std::optional<int> value = parseWhole(text);
    if (!value)
        return {QVariant(), refusalOfWhole(text)};
    return {QVariant(*value), std::nullopt};
}

PastedNumber pastedNumber(const QString& pasted, const QString& textBefore, const QString& textAfter, NumberShape shape)
{
    const QString shown = foldNumberCharacters(pasted).trimmed();
    if (shown.isEmpty())
        return {};
    if (shape.digitsOnly) {
        static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]+")));
        return digits.match(shown).hasMatch() ? PastedNumber{shown, std::nullopt}
                                              : PastedNumber{QString(), refusalOfWhole(pasted)};
    }
    // Commas only between groups of three, so that "1,5" is never taken for fifteen. A sign before
    // the currency sign is the number's, never a second one.
    static const QRegularExpression number(QRegularExpression::anchoredPattern(QStringLiteral(
        "(?:(-)[¥￥$]\\s*(?=[0-9.])|[¥￥$]\\s*)?"
        "(-?(?:(?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)(?:\\.[0-9]*)?|\\.[0-9]+))(?:\\s*元)?")));
    const QRegularExpressionMatch match = number.match(shown);
    if (!match.hasMatch())
        return {QString(), refusalOfTyped(pasted)};
    QString digits = match.captured(1) + match.captured(2).remove(QLatin1Char(','));
    // The box as a whole must still be one number, as typing the same keys would leave it; its
    // decimals, or nothing when it is not. Separators the box shows already are read away with
    // the rest of its text.
    static const QRegularExpression typed(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]*(?:\\.([0-9]*))?")));
    const auto decimalsWith = [&](const QString& put) -> std::optional<qsizetype> {
        const QRegularExpressionMatch whole = typed.match(QString(textBefore + put + textAfter).remove(QLatin1Char(',')));
        return whole.hasMatch() ? std::optional(whole.capturedLength(1)) : std::nullopt;
    };
    // Zeros at the end past the box's decimals change nothing: "12.500" is 12.50.
    while (shape.decimals != kAnyDecimals && textAfter.isEmpty() && digits.endsWith(QLatin1Char('0'))
           && decimalsWith(digits).value_or(0) > shape.decimals)
        digits.chop(1);
    const std::optional<qsizetype> decimals = decimalsWith(digits);
    const QString result = textBefore + digits + textAfter;
    if (!decimals)
        return {QString(), refusalOfTyped(result)};
    if (shape.decimals != kAnyDecimals && *decimals > shape.decimals)
        return {QString(), refusalOfDecimals(result, shape.decimals)};
    return {digits, std::nullopt};
}

QString formatThousands(double value)
{
    if (const std::optional<Money> money = Money::fromStored(value))
        return money->formatted();
    // Beyond anything the books hold: grouped as it stands.
    static const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    return grouped.toString(value, 'f', 2);
}

}  // namespace qm

namespace qm {

QString formatGridCell(const QVariant& value, CellFormat format)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString();
    switch (format) {
    case CellFormat::None: return text;
    case CellFormat::Date: return text.left(10);
    case CellFormat::Amount: {
        const std::optional<double> number = parseNumber(text);
        return number ? formatThousands(*number) : text;
    }
    case CellFormat::Quantity: return formatCellNumber(text, 3);
    case CellFormat::Whole: return formatCellNumber(text, 0);
    }
    return text;
}

}  // namespace qm

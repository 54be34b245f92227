#include "number_format.h"

#include "money.h"

#include <QLocale>
#include <cmath>
#include <functional>

namespace qm {

std::optional<double> parseNumber(const QString& text)
{
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    if (plain.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
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

Message refusalOfTyped(const QString& text)
{
    return Message{QStringLiteral("“%1”不是数字,原值不变").arg(text.trimmed()), QStringLiteral("QM505"),
                   MessageIcon::Exclamation};
}

TypedValue readTypedNumber(const QString& text, const QString& tooLarge,
                           const std::function<QVariant(double)>& stored)
{
    if (text.trimmed().isEmpty())
        return {};
    const std::optional<double> value = parseNumber(text);
    if (!value)
        return {QVariant(), refusalOfTyped(text)};
    if (exceedsLargestAmount(*value))
        return {QVariant(), Message{tooLarge, QStringLiteral("QM505"), MessageIcon::Exclamation}};
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
        return {QVariant(), Message{QStringLiteral("“%1”超过三位小数,原值不变").arg(text.trimmed()),
                                    QStringLiteral("QM505"), MessageIcon::Exclamation}};
    return typed;
}

TypedValue readTypedRate(const QString& text)
{
    return readTypedNumber(text, QStringLiteral("汇率不能超过999,999,999,999.99"),
                           [](double value) { return QVariant(value); });
}

TypedValue readTypedWhole(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return {QVariant(), Message{QStringLiteral("“%1”不是整数,原值不变").arg(text.trimmed()), QStringLiteral("QM505"),
                                    MessageIcon::Exclamation}};
    return {QVariant(value), std::nullopt};
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

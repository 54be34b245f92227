#include "number_format.h"

#include <QLocale>
#include <cmath>

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
    const std::optional<double> value = parseNumber(text);
    if (!value)
        return text;
    const double scale = std::pow(10.0, decimals);
    // Half away from zero, and no "-0.00".
    double rounded = std::round(*value * scale) / scale;
    if (rounded == 0)
        rounded = 0;
    return QString::number(rounded, 'f', decimals);
}

QString formatThousands(double value)
{
    static const QLocale grouped(QLocale::English, QLocale::UnitedStates);
    double rounded = roundToCent(value);
    if (rounded == 0)
        rounded = 0;
    return grouped.toString(rounded, 'f', 2);
}

double roundToCent(double value)
{
    return std::round(value * 100.0) / 100.0;
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

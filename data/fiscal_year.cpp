#include "fiscal_year.h"

#include "db_error.h"
#include "number_format.h"

namespace qm {

bool isValidFiscalYear(int year)
{
    return year >= kFirstFiscalYear && year <= kLastFiscalYear;
}

std::optional<int> parseFiscalYear(const QString& text)
{
    // Typed through an input method in full-width, a year is still the digits it shows.
    const QString trimmed = foldNumberCharacters(text).trimmed();
    for (const QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int year = trimmed.toInt(&ok);
    if (!ok || !isValidFiscalYear(year))
        return std::nullopt;
    return year;
}

QString entryTableName(int year)
{
    if (!isValidFiscalYear(year))
        throw DbError(QStringLiteral("超年限不能使用"));
    return QStringLiteral("分") + QString::number(year);
}

}  // namespace qm

#pragma once

// The IDs of the lines a ledger adds among the entry lines. An entry line's ID begins with its
// period key, "800" for the opening lines and "801" to "812" for the months, so a line added
// under a period key with a suffix of nines sorts after that period's entries.

#include <QByteArray>
#include <QString>

namespace qm {

inline constexpr char kOpeningPeriodKey[] = "800";
inline constexpr char kOpeningLineId[] = "8000";
inline constexpr char kFixedAssetOpeningLineId[] = "8000000000";
// After the last month: "813" in the detail ledgers, "8123" in the general ledger.
inline constexpr char kCarryForwardId[] = "813";
inline constexpr char kGeneralCarryForwardId[] = "8123";

// Suffixes to a period key.
inline constexpr char kMonthTotalSuffix[] = "9999998";
inline constexpr char kYearToDateSuffix[] = "9999999";
// The general ledger has one line a month, then its year to date.
inline constexpr char kGeneralMonthSuffix[] = "1";
inline constexpr char kGeneralYearToDateSuffix[] = "2";
// The multi-column source: per sub-account a month total, the year to date and the balance; the
// suffixes share their first six nines, which mark a total line.
inline constexpr char kMultiColumnMonthSuffix[] = "9999997";
inline constexpr char kMultiColumnYearToDateSuffix[] = "9999998";
inline constexpr char kMultiColumnBalanceSuffix[] = "9999999";
inline constexpr char kTotalLineMark[] = "999999";

// A page's carried-forward and brought-forward lines: the page's last ID with one of these.
inline constexpr char16_t kCarriedForwardSuffix = u'1';
inline constexpr char16_t kBroughtForwardSuffix = u'2';
// The lines filling the last printed page sort after every ledger line: 814, 815, …
inline QString fillerLineId(int filler)
{
    return QString::number(814 + filler);
}

inline QByteArray monthTotalKey(const QByteArray& periodKey)
{
    return periodKey + kMonthTotalSuffix;
}

inline QByteArray yearToDateKey(const QByteArray& periodKey)
{
    return periodKey + kYearToDateSuffix;
}

// The month and year-to-date labels; the multi-column source has them without the blank.
inline QString monthTotalLabel()
{
    return QStringLiteral(" 本月合计");
}

inline QString yearToDateLabel()
{
    return QStringLiteral(" 本年累计");
}

inline QString multiColumnMonthTotalLabel()
{
    return QStringLiteral("本月合计");
}

inline QString multiColumnYearToDateLabel()
{
    return QStringLiteral("本年累计");
}

// A key or label as an SQL text literal: program constants, never values typed in.
inline QString sqlText(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

inline QString sqlKey(const char* key)
{
    return sqlText(QString::fromLatin1(key));
}

}  // namespace qm

#pragma once

// Sums of amounts taken exactly in SQL: each stored amount as whole thousandths (so half-cent
// amounts such as 0.125 and 2.675 count as written, not as their binary neighbours), summed as
// integers, and rounded to the cent half away from zero only when shown or stored.

#include <QString>
#include <QtGlobal>
#include <limits>
#include <optional>

namespace qm {

// An amount column or expression as whole thousandths; NULL stays NULL.
inline QString thousandthsOf(const QString& amount)
{
    return QStringLiteral("CAST(round((%1)*1000) AS INTEGER)").arg(amount);
}

// A sum of thousandths as an amount rounded to the cent, half away from zero; NULL stays NULL.
inline QString centsOfThousandths(const QString& thousandths)
{
    return QStringLiteral("(((%1) + iif((%1)<0, -5, 5)) / 10 / 100.0)").arg(thousandths);
}

// The exact sum of an amount column over a group, rounded to the cent; NULL when it sums nothing.
inline QString exactAmountSum(const QString& amount)
{
    return centsOfThousandths(QStringLiteral("sum(%1)").arg(thousandthsOf(amount)));
}

// The exact sum of an amount over a group as whole thousandths; NULL when no row has one. Rows
// without an amount never reach the sum, and the rounded values add up as whole-number reals
// (exact below 2^53), made an integer once a group rather than once a line.
inline QString thousandthsSum(const QString& amount)
{
    return QStringLiteral("CAST(sum(round((%1)*1000)) FILTER (WHERE (%1) IS NOT NULL) AS INTEGER)").arg(amount);
}

// A net of two sides, `plus` minus `minus`, a missing side counting as 0.
inline QString netOf(const QString& plus, const QString& minus)
{
    return QStringLiteral("(ifnull(%1,0) - ifnull(%2,0))").arg(plus, minus);
}

// A net of two sides, `plus` minus `minus`, as whole thousandths, each side taken exactly before
// they are netted and a missing side counting as 0.
inline QString netThousandthsOf(const QString& plus, const QString& minus)
{
    return QStringLiteral("(%1 - %2)")
        .arg(thousandthsOf(QStringLiteral("ifnull(%1,0)").arg(plus)), thousandthsOf(QStringLiteral("ifnull(%1,0)").arg(minus)));
}

// One entry line's net, debit minus credit, as whole thousandths.
inline QString lineNetThousandths(const QString& table = {})
{
    const QString prefix = table.isEmpty() ? QString() : table + QLatin1Char('.');
    return netThousandthsOf(prefix + QStringLiteral("借方金额"), prefix + QStringLiteral("贷方金额"));
}

// The exact net of two sides over a group, `plus` minus `minus`, rounded to the cent; NULL over
// no rows.
inline QString exactNetSum(const QString& plus, const QString& minus)
{
    return centsOfThousandths(QStringLiteral("sum(%1)").arg(netThousandthsOf(plus, minus)));
}

// The same in code: a sum of thousandths as whole cents, half away from zero.
constexpr qint64 centsOfThousandths(qint64 thousandths)
{
    return (thousandths + (thousandths < 0 ? -5 : 5)) / 10;
}

// A sum of thousandths as the amount stored or shown, rounded to the cent.
constexpr double amountOfThousandths(qint64 thousandths)
{
    return double(centsOfThousandths(thousandths)) / 100.0;
}

// A unit price, an amount over a quantity, as whole thousandths rounded half away from zero on
// the exact quotient: the amount in whole cents, the quantity in whole thousandths (not 0).
// Nothing for a price too large to hold.
constexpr std::optional<qint64> unitPriceThousandths(qint64 cents, qint64 quantityThousandths)
{
    // (cents / 100) / (quantity / 1000) is cents * 10 a unit, cents * 10000 thousandths; wide
    // enough for any amount the books hold over any quantity.
    const __int128 dividend = __int128(cents) * 10000;
    const __int128 divisor = quantityThousandths;
    const __int128 dividendSize = dividend < 0 ? -dividend : dividend;
    const __int128 divisorSize = divisor < 0 ? -divisor : divisor;
    __int128 price = dividendSize / divisorSize;
    if (dividendSize % divisorSize >= divisorSize - dividendSize % divisorSize)
        ++price;
    if (price > std::numeric_limits<qint64>::max())
        return std::nullopt;
    return (dividend < 0) != (divisor < 0) ? -qint64(price) : qint64(price);
}

}  // namespace qm

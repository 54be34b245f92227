#pragma once

// An amount of money as whole cents: read from typed text or a stored value rounded half away
// from zero on the amount as written, written back as the REAL the books store, shown "#,##0.00".

#include "number_format.h"

#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace qm {

class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromCents(qint64 cents) { return Money(cents); }

    // Nothing for an empty text or one that is not a number; thousands separators are accepted.
    static std::optional<Money> fromText(const QString& text)
    {
        const std::optional<qint64> cents = parseCents(text);
        return cents ? std::optional<Money>(Money(*cents)) : std::nullopt;
    }
    // Nothing for NULL or a value too large to hold.
    static std::optional<Money> fromStored(const QVariant& value)
    {
        const std::optional<qint64> cents = value.isNull() ? std::nullopt : scaledValue(value.toDouble(), 2);
        return cents ? std::optional<Money>(Money(*cents)) : std::nullopt;
    }

    constexpr qint64 cents() const { return m_cents; }
    QVariant toStored() const { return double(m_cents) / 100.0; }

    QString formatted() const
    {
        const qint64 magnitude = m_cents < 0 ? -m_cents : m_cents;
        QString whole = QString::number(magnitude / 100);
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, QLatin1Char(','));
        const QString text = QStringLiteral("%1.%2").arg(whole).arg(magnitude % 100, 2, 10, QLatin1Char('0'));
        return m_cents < 0 ? QLatin1Char('-') + text : text;
    }

    constexpr Money operator+(Money other) const { return Money(m_cents + other.m_cents); }
    constexpr Money operator-(Money other) const { return Money(m_cents - other.m_cents); }
    constexpr Money& operator+=(Money other) { m_cents += other.m_cents; return *this; }
    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(qint64 cents) : m_cents(cents) {}
    qint64 m_cents = 0;
};

// What a missing amount is stored as: NULL.
inline QVariant storedOrNull(const std::optional<Money>& money)
{
    return money ? money->toStored() : QVariant();
}

}  // namespace qm

#include "data/money.h"

#include <QTest>

using namespace qm;

class TestMoney : public QObject {
    Q_OBJECT
private slots:
    // Typed and stored amounts round half away from zero on the amount as written, add up to the
    // cent, and show as "#,##0.00" the way the grids' own formatting does.
    void readsAddsAndShowsCents()
    {
        const struct {
            QString typed;
            qint64 cents;
            QString shown;
        } cases[] = {
            {QStringLiteral("0.125"), 13, QStringLiteral("0.13")},
            {QStringLiteral("-0.125"), -13, QStringLiteral("-0.13")},
            {QStringLiteral("2.675"), 268, QStringLiteral("2.68")},
            {QStringLiteral("1,234,567.5"), 123456750, QStringLiteral("1,234,567.50")},
            {QStringLiteral("-1234567.004"), -123456700, QStringLiteral("-1,234,567.00")},
            {QStringLiteral("-999.995"), -100000, QStringLiteral("-1,000.00")},
            {QStringLiteral("-0.004"), 0, QStringLiteral("0.00")},
        };
        for (const auto& c : cases) {
            const std::optional<Money> money = Money::fromText(c.typed);
            QVERIFY2(money, qPrintable(c.typed));
            QCOMPARE(money->cents(), c.cents);
            QCOMPARE(money->formatted(), c.shown);
            QCOMPARE(money->formatted(), formatThousands(money->toStored().toDouble()));
            QCOMPARE(Money::fromStored(money->toStored()), money);
        }
        QVERIFY(!Money::fromText(QString()));
        QVERIFY(!Money::fromText(QStringLiteral("-")));
        QVERIFY(!Money::fromStored(QVariant()));
        QVERIFY(storedOrNull(std::nullopt).isNull());
        // A stored value of 10^15 or more is too large to hold.
        QVERIFY(!Money::fromStored(1e15) && !Money::fromStored(-1e15));
        QCOMPARE(Money::fromStored(999999999999999.0)->cents(), 99999999999999900);

        const Money sum = *Money::fromText(QStringLiteral("0.1")) + *Money::fromText(QStringLiteral("0.2"));
        QCOMPARE(sum, *Money::fromText(QStringLiteral("0.3")));
        QCOMPARE(Money::fromStored(0.1 + 0.2), sum);
        QCOMPARE(storedOrNull(sum).toDouble(), 0.3);
        QVERIFY(sum - *Money::fromText(QStringLiteral("0.31")) < Money());
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "test_money.moc"

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

    // What a typed number is kept as, or the message that refuses it: each kind at its limit and
    // just past it, text that is no number (infinity and NaN included), too many decimals.
    void typedNumbersKeptOrRefused()
    {
        const struct {
            TypedValue (*read)(const QString&);
            QString typed;
            QString kept;  // the value kept, or the refusal's text
        } cases[] = {
            {readTypedAmount, QStringLiteral("999,999,999,999.99"), QStringLiteral("999999999999.99")},
            {readTypedAmount, QStringLiteral("-1,000,000,000,000"), QStringLiteral("金额不能超过999,999,999,999.99")},
            {readTypedAmount, QStringLiteral(" 0.125 "), QStringLiteral("0.13")},
            {readTypedAmount, QStringLiteral(" x "), QStringLiteral("“x”不是数字,原值不变")},
            {readTypedAmount, QStringLiteral("inf"), QStringLiteral("“inf”不是数字,原值不变")},
            {readTypedAmount, QStringLiteral("nan"), QStringLiteral("“nan”不是数字,原值不变")},
            {readTypedAmount, QString(), QString()},
            {readTypedAmount, QString(400, u'9'), QStringLiteral("金额不能超过999,999,999,999.99")},
            {readTypedAmount, QString(41, u'x'), QStringLiteral("“%1…”不是数字,原值不变").arg(QString(40, u'x'))},
            {readTypedAmount, QStringLiteral("－１２。５"), QStringLiteral("-12.5")},
            {readTypedQuantity, QStringLiteral("-0.125"), QStringLiteral("-0.125")},
            {readTypedQuantity, QStringLiteral("0.1235"), QStringLiteral("“0.1235”超过三位小数,原值不变")},
            {readTypedQuantity, QStringLiteral("1000000000000"), QStringLiteral("数量不能超过999,999,999,999.99")},
            {readTypedRate, QStringLiteral("6.8125"), QStringLiteral("6.8125")},
            {readTypedRate, QStringLiteral("1e13"), QStringLiteral("汇率不能超过999,999,999,999.99")},
            {readTypedRate, QStringLiteral("0"), QStringLiteral("汇率必须大于零,原值不变")},
            {readTypedWhole, QStringLiteral("40"), QStringLiteral("40")},
            {readTypedWhole, QStringLiteral("3O"), QStringLiteral("“3O”不是整数,原值不变")},
        };
        QStringList kept, expected;
        for (const auto& c : cases) {
            const TypedValue typed = c.read(c.typed);
            kept << (typed.refusal ? typed.refusal->text : typed.value.toString());
            expected << c.kept;
        }
        QCOMPARE(kept, expected);
        // A margin box: full-width as typed, and never a thousands separator.
        QCOMPARE(QList({readCentimetres(QStringLiteral(" ２。５ ")), readCentimetres(QStringLiteral("1,5")),
                        readCentimetres(QStringLiteral("-1")), readCentimetres(QStringLiteral("1e9"))}),
                 QList<std::optional<double>>({2.5, std::nullopt, std::nullopt, std::nullopt}));
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "test_money.moc"

#include "ledgers/detail_ledgers.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

QStringList column(const RecordSet& rows, const QString& name)
{
    QStringList values;
    for (const auto row : rows)
        values << (row[name].isNull() ? QStringLiteral("-") : row[name].toString());
    return values;
}

}  // namespace

class TestDetailLedgers : public QObject {
    Q_OBJECT

private slots:
    void quantityLedger()
    {
        TempProgram program;
        addLine(QStringLiteral("8000000001"), QStringLiteral("1405"), 100.0, QVariant(), 10.0);
        addLine(QStringLiteral("8030001001"), QStringLiteral("1405"), 60.0, QVariant(), 5.0);
        addLine(QStringLiteral("8030002001"), QStringLiteral("1405"), QVariant(), 30.0, 3.0);
        addLine(QStringLiteral("8050001001"), QStringLiteral("1405"), QVariant(), 130.0, 12.0);
        buildQuantityLedger(kYear, QStringLiteral("1405"), QStringLiteral("借"));
        const RecordSet rows = quantityLedgerRows();
        QCOMPARE(column(rows, QStringLiteral("ID")),
                 (QStringList{QStringLiteral("8000"), QStringLiteral("8030001001"), QStringLiteral("8030002001"),
                              QStringLiteral("8039999998"), QStringLiteral("8039999999"), QStringLiteral("8050001001"),
                              QStringLiteral("8059999998"), QStringLiteral("8059999999"), QStringLiteral("813")}));
        QCOMPARE(column(rows, QStringLiteral("余数")).mid(0, 3), (QStringList{QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("12")}));
        QCOMPARE(column(rows, QStringLiteral("余单")).mid(0, 3),
                 (QStringList{QStringLiteral("10.000"), QStringLiteral("10.667"), QStringLiteral("10.833")}));
        QCOMPARE(column(rows, QStringLiteral("借单"))[1], QStringLiteral("12.000"));
        QCOMPARE(column(rows, QStringLiteral("贷单"))[2], QStringLiteral("10.000"));
        // Everything out: level, no quantity, no unit price.
        QCOMPARE(column(rows, QStringLiteral("方向"))[5], QStringLiteral("平"));
        QCOMPARE(column(rows, QStringLiteral("余额"))[5], QStringLiteral("-"));
        QCOMPARE(column(rows, QStringLiteral("余数"))[5], QStringLiteral("-"));
        QCOMPARE(column(rows, QStringLiteral("借数"))[7], QStringLiteral("5"));
        QCOMPARE(column(rows, QStringLiteral("贷金"))[7], QStringLiteral("160"));

        // A credit account's stock runs in its direction, from an opening on its own side.
        execute(QStringLiteral("DELETE FROM 数量式"));
        addLine(QStringLiteral("8000000002"), QStringLiteral("2241001001"), QVariant(), 100.0, 10.0);
        addLine(QStringLiteral("8030003001"), QStringLiteral("2241001001"), QVariant(), 50.0, 5.0);
        addLine(QStringLiteral("8030004001"), QStringLiteral("2241001001"), 30.0, QVariant(), 3.0);
        buildQuantityLedger(kYear, QStringLiteral("2241001001"), QStringLiteral("贷"));
        const RecordSet credit = quantityLedgerRows();
        QCOMPARE(column(credit, QStringLiteral("余数")).mid(0, 3),
                 (QStringList{QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("12")}));
        QCOMPARE(column(credit, QStringLiteral("余额")).mid(0, 3),
                 (QStringList{QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("120")}));

        // Half-cent lines on a level-3 credit account: the running amount is the exact running
        // sum rounded (0.125, 0.25, 0.375 show 0.13, 0.25, 0.38), and so is the month's sum.
        execute(QStringLiteral("DELETE FROM 数量式"));
        for (int line = 1; line <= 3; ++line)
            addLine(QStringLiteral("806000100%1").arg(line), QStringLiteral("2202001001"), QVariant(), 0.125, 1.0);
        buildQuantityLedger(kYear, QStringLiteral("2202001001"), QStringLiteral("贷"));
        const RecordSet halves = quantityLedgerRows();
        QCOMPARE(column(halves, QStringLiteral("余额")).mid(1, 3),
                 (QStringList{QStringLiteral("0.13"), QStringLiteral("0.25"), QStringLiteral("0.38")}));
        QCOMPARE(column(halves, QStringLiteral("余单")).mid(1, 3),
                 (QStringList{QStringLiteral("0.130"), QStringLiteral("0.125"), QStringLiteral("0.127")}));
        QCOMPARE(column(halves, QStringLiteral("贷金")).mid(4, 2), (QStringList{QStringLiteral("0.38"), QStringLiteral("0.38")}));
        QCOMPARE(column(halves, QStringLiteral("余额")).last(), QStringLiteral("0.38"));
    }

    void fixedAssetLedger()
    {
        TempProgram program;
        QCOMPARE(depreciationTwin(QStringLiteral("1601")), QStringLiteral("1602"));
        QCOMPARE(depreciationTwin(QStringLiteral("1701003")), QStringLiteral("1702003"));
        QCOMPARE(depreciationTwin(QStringLiteral("1601001002")), QStringLiteral("1602001002"));
        QCOMPARE(buildFixedAssetLedger(kYear, QStringLiteral("1602"), QStringLiteral("借"))->text,
                 QStringLiteral("只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"));

        QVERIFY(!buildFixedAssetLedger(kYear, QStringLiteral("1601"), QStringLiteral("借")));
        QCOMPARE(fixedAssetLedgerRows().count(), 1);
        execute(QStringLiteral("DELETE FROM 固累式"));

        addLine(QStringLiteral("8000000001"), QStringLiteral("1601"), 1000.0, QVariant(), 2.0);
        addLine(QStringLiteral("8000000002"), QStringLiteral("1602"), QVariant(), 100.0);
        addLine(QStringLiteral("8030001001"), QStringLiteral("1602"), QVariant(), 50.0);
        addLine(QStringLiteral("8040001001"), QStringLiteral("1601"), 500.0, QVariant(), 1.0);
        QVERIFY(!buildFixedAssetLedger(kYear, QStringLiteral("1601"), QStringLiteral("借")));
        const RecordSet rows = fixedAssetLedgerRows();
        QCOMPARE(column(rows, QStringLiteral("ID")),
                 (QStringList{QStringLiteral("8000000000"), QStringLiteral("8030001001"), QStringLiteral("8039999998"),
                              QStringLiteral("8039999999"), QStringLiteral("8040001001"), QStringLiteral("8049999998"),
                              QStringLiteral("8049999999"), QStringLiteral("813")}));
        QCOMPARE(column(rows, QStringLiteral("余额")), (QStringList{QStringLiteral("900"), QStringLiteral("850"), QStringLiteral("-"),
                                                                 QStringLiteral("-"), QStringLiteral("1350"), QStringLiteral("-"),
                                                                 QStringLiteral("-"), QStringLiteral("1350")}));
        QCOMPARE(column(rows, QStringLiteral("折旧额"))[0], QStringLiteral("100"));
        QCOMPARE(column(rows, QStringLiteral("折旧额"))[1], QStringLiteral("50"));
        QCOMPARE(column(rows, QStringLiteral("贷方金额"))[1], QStringLiteral("-"));
        QCOMPARE(column(rows, QStringLiteral("余数"))[4], QStringLiteral("3"));
        QCOMPARE(column(rows, QStringLiteral("折旧额"))[6], QStringLiteral("50"));
        QCOMPARE(column(rows, QStringLiteral("借方金额"))[6], QStringLiteral("500"));
    }

    void multiColumnLedger()
    {
        TempProgram program;
        addAccount(QStringLiteral("6602001"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"));
        addAccount(QStringLiteral("6602002"), QStringLiteral("差旅费"), QStringLiteral("管理费用/差旅费"));
        addAccount(QStringLiteral("6602003"), QStringLiteral("招待费"), QStringLiteral("管理费用/招待费"));
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"));
        addLine(QStringLiteral("8030001001"), QStringLiteral("6602001"), 100.0, QVariant());
        addLine(QStringLiteral("8030001002"), QStringLiteral("6602002"), 50.0, QVariant());
        addLine(QStringLiteral("8040001001"), QStringLiteral("6602001"), 30.0, QVariant());

        QCOMPARE(buildMultiColumnRows(kYear, QStringLiteral("6603"), QStringLiteral("借"), false)->text,
                 QStringLiteral("没有明细或者明细超过250个,不能生成多栏式"));
        QVERIFY(!buildMultiColumnRows(kYear, QStringLiteral("6602"), QStringLiteral("借"), false));
        buildMultiColumnPivot(QStringLiteral("6602"), QStringLiteral("借"));
        const RecordSet rows = multiColumnLedgerRows();
        QCOMPARE(rows.fieldNames().mid(9), (QStringList{QStringLiteral("办公费"), QStringLiteral("差旅费"), QStringLiteral("招待费")}));
        QCOMPARE(column(rows, QStringLiteral("ID")),
                 (QStringList{QStringLiteral("8030001001"), QStringLiteral("8030001002"), QStringLiteral("8039999997"),
                              QStringLiteral("8039999998"), QStringLiteral("8039999999"), QStringLiteral("8040001001"),
                              QStringLiteral("8049999997"), QStringLiteral("8049999998"), QStringLiteral("8049999999")}));
        QCOMPARE(column(rows, QStringLiteral("余额"))[1], QStringLiteral("150"));
        QCOMPARE(column(rows, QStringLiteral("办公费")), (QStringList{QStringLiteral("100"), QStringLiteral("-"), QStringLiteral("100"),
                                                                   QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("30"),
                                                                   QStringLiteral("30"), QStringLiteral("130"), QStringLiteral("130")}));
        QCOMPARE(column(rows, QStringLiteral("借方合计"))[2], QStringLiteral("150"));
        QCOMPARE(column(rows, QStringLiteral("差旅费"))[7], QStringLiteral("50"));

        // With the code order the columns follow the codes.
        buildMultiColumnRows(kYear, QStringLiteral("6602"), QStringLiteral("借"), true);
        buildMultiColumnPivot(QStringLiteral("6602"), QStringLiteral("借"));
        QCOMPARE(multiColumnLedgerRows().fieldNames().mid(9),
                 (QStringList{QStringLiteral("001办公费"), QStringLiteral("002差旅费"), QStringLiteral("003招待费")}));
    }

    // Openings on both sides, a credit parent's one-sided columns, one sub-account, clashing
    // names and sub-accounts with children of their own.
    void multiColumnLedgerShapes()
    {
        const auto build = [](const QString& code, const QString& direction) {
            QVERIFY(!buildMultiColumnRows(kYear, code, direction, false));
            buildMultiColumnPivot(code, direction);
        };
        {
            TempProgram program;
            addAccount(QStringLiteral("6602001"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"));
            addAccount(QStringLiteral("6602002"), QStringLiteral("差旅费"), QStringLiteral("管理费用/差旅费"));
            addLine(QStringLiteral("8000000001"), QStringLiteral("6602001"), 100.0, QVariant());
            addLine(QStringLiteral("8000000002"), QStringLiteral("6602002"), QVariant(), 30.0);
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001"), 0.1, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602001"), 0.2, QVariant());
            build(QStringLiteral("6602"), QStringLiteral("借"));
            const RecordSet rows = multiColumnLedgerRows();
            QCOMPARE(column(rows, QStringLiteral("ID")).first(), QStringLiteral("8009999997"));
            QCOMPARE(column(rows, QStringLiteral("摘要说明")).first(), QStringLiteral("年初余额"));
            QCOMPARE(column(rows, QStringLiteral("余额")).mid(0, 3),
                     (QStringList{QStringLiteral("70"), QStringLiteral("70.1"), QStringLiteral("70.3")}));
            QCOMPARE(column(rows, QStringLiteral("办公费")).first(), QStringLiteral("100"));
            QCOMPARE(column(rows, QStringLiteral("差旅费")).first(), QStringLiteral("-30"));
            QCOMPARE(column(rows, QStringLiteral("办公费")).at(3), QStringLiteral("0.3"));
            QCOMPARE(column(rows, QStringLiteral("办公费")).last(), QStringLiteral("100.3"));
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("2221001"), QStringLiteral("进项税额"), QStringLiteral("应交税费/进项税额"));
            addAccount(QStringLiteral("2221002"), QStringLiteral("销项税额"), QStringLiteral("应交税费/销项税额"),
                       QStringLiteral("贷"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("2221001"), 200.0, QVariant());
            addLine(QStringLiteral("8030002001"), QStringLiteral("2221002"), QVariant(), 300.0);
            build(QStringLiteral("2221"), QStringLiteral("贷"));
            const RecordSet rows = multiColumnLedgerRows();
            QCOMPARE(column(rows, QStringLiteral("ID")),
                     (QStringList{QStringLiteral("8030001001"), QStringLiteral("8030002001"), QStringLiteral("8039999997"),
                                  QStringLiteral("8039999998"), QStringLiteral("8039999999")}));
            QCOMPARE(column(rows, QStringLiteral("销项税额")),
                     (QStringList{QStringLiteral("-"), QStringLiteral("300"), QStringLiteral("300"), QStringLiteral("300"),
                                  QStringLiteral("300")}));
            QCOMPARE(column(rows, QStringLiteral("进项税额")),
                     (QStringList{QStringLiteral("200"), QStringLiteral("-"), QStringLiteral("200"), QStringLiteral("200"),
                                  QStringLiteral("200")}));
            QCOMPARE(column(rows, QStringLiteral("余额")).mid(0, 2), (QStringList{QStringLiteral("-200"), QStringLiteral("100")}));
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("1002001"), QStringLiteral("工商银行"), QStringLiteral("银行存款/工商银行"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("1002001"), 5.0, QVariant());
            build(QStringLiteral("1002"), QStringLiteral("借"));
            QCOMPARE(multiColumnLedgerRows().fieldNames().mid(9), QStringList{QStringLiteral("工商银行")});
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("6602001"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"));
            addAccount(QStringLiteral("6602002"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"));
            addAccount(QStringLiteral("6602003"), QStringLiteral("余额"), QStringLiteral("管理费用/余额"));
            addAccount(QStringLiteral("6602004"), QStringLiteral("id"), QStringLiteral("管理费用/id"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001"), 1.0, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602002"), 2.0, QVariant());
            addLine(QStringLiteral("8030001003"), QStringLiteral("6602003"), 3.0, QVariant());
            addLine(QStringLiteral("8030001004"), QStringLiteral("6602004"), 4.0, QVariant());
            build(QStringLiteral("6602"), QStringLiteral("借"));
            const RecordSet rows = multiColumnLedgerRows();
            QCOMPARE(rows.fieldNames().mid(9), (QStringList{QStringLiteral("id(6602004)"), QStringLiteral("余额(6602003)"),
                                                             QStringLiteral("办公费(6602001)"), QStringLiteral("办公费(6602002)")}));
            QCOMPARE(column(rows, QStringLiteral("办公费(6602002)")).at(1), QStringLiteral("2"));
            QCOMPARE(column(rows, QStringLiteral("余额(6602003)")).at(2), QStringLiteral("3"));
            QCOMPARE(column(rows, QStringLiteral("余额")).at(3), QStringLiteral("10"));
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("6602001"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"), QStringLiteral("借"),
                       false);
            addAccount(QStringLiteral("6602001001"), QStringLiteral("纸张"), QStringLiteral("管理费用/办公费/纸张"));
            addAccount(QStringLiteral("6602001002"), QStringLiteral("邮费"), QStringLiteral("管理费用/办公费/邮费"));
            addAccount(QStringLiteral("6602002"), QStringLiteral("差旅费"), QStringLiteral("管理费用/差旅费"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001001"), 40.0, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602001002"), 60.0, QVariant());
            build(QStringLiteral("6602"), QStringLiteral("借"));
            const RecordSet rows = multiColumnLedgerRows();
            QCOMPARE(rows.fieldNames().mid(9), (QStringList{QStringLiteral("办公费"), QStringLiteral("差旅费")}));
            QCOMPARE(column(rows, QStringLiteral("办公费")),
                     (QStringList{QStringLiteral("40"), QStringLiteral("60"), QStringLiteral("100"), QStringLiteral("100"),
                                  QStringLiteral("100")}));
            QCOMPARE(column(rows, QStringLiteral("余额")).at(1), QStringLiteral("100"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDetailLedgers)
#include "test_detail_ledgers.moc"

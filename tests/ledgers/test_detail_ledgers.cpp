#include "ledgers/detail_ledgers.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

QString column(const RecordSet& rows, const char* name)
{
    return columnText(rows, QString::fromUtf8(name));
}

// Fields `from` to `to` of a column joined by spaces.
QString part(const RecordSet& rows, const char* name, int from, int to)
{
    return column(rows, name).section(QLatin1Char(' '), from, to);
}

// Sub-accounts of 6602 (debit unless a name says 贷), each "code name".
void expenses(const QStringList& accounts)
{
    for (const QString& account : accounts) {
        const QString code = account.section(QLatin1Char(' '), 0, 0);
        const QString name = account.section(QLatin1Char(' '), 1);
        addAccount(code, name, (code.startsWith(QStringLiteral("2221")) ? QStringLiteral("应交税费/") : QStringLiteral("管理费用/")) + name,
                   name == QStringLiteral("销项税额") ? QStringLiteral("贷") : QStringLiteral("借"));
    }
}

// Builds the pivoted multi-column ledger of `code`.
RecordSet multiColumn(const QString& code, const QString& direction = QStringLiteral("借"), bool byCode = false)
{
    if (const auto message = buildMultiColumnRows(kYear, code, direction, byCode))
        qFatal("%s", qPrintable(message->text));
    buildMultiColumnPivot(code, direction);
    return multiColumnLedgerRows();
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
        QCOMPARE(column(rows, "ID"), QStringLiteral("8000 8030001001 8030002001 8039999998 8039999999 8050001001 8059999998 "
                                                    "8059999999 813"));
        QCOMPARE(part(rows, "余数", 0, 2), QStringLiteral("10 15 12"));
        QCOMPARE(part(rows, "余单", 0, 2), QStringLiteral("10.000 10.667 10.833"));
        QCOMPARE(part(rows, "借单", 1, 1) + QLatin1Char(' ') + part(rows, "贷单", 2, 2), QStringLiteral("12.000 10.000"));
        // Everything out: level, no quantity, no unit price.
        QCOMPARE(part(rows, "方向", 5, 5) + part(rows, "余额", 5, 5) + part(rows, "余数", 5, 5), QStringLiteral("平--"));
        QCOMPARE(part(rows, "借数", 7, 7) + QLatin1Char(' ') + part(rows, "贷金", 7, 7), QStringLiteral("5 160"));

        // A credit account's stock runs in its direction, from an opening on its own side.
        execute(QStringLiteral("DELETE FROM 数量式"));
        addLine(QStringLiteral("8000000002"), QStringLiteral("2241001001"), QVariant(), 100.0, 10.0);
        addLine(QStringLiteral("8030003001"), QStringLiteral("2241001001"), QVariant(), 50.0, 5.0);
        addLine(QStringLiteral("8030004001"), QStringLiteral("2241001001"), 30.0, QVariant(), 3.0);
        buildQuantityLedger(kYear, QStringLiteral("2241001001"), QStringLiteral("贷"));
        const RecordSet credit = quantityLedgerRows();
        QCOMPARE(part(credit, "余数", 0, 2) + QLatin1Char('|') + part(credit, "余额", 0, 2), QStringLiteral("10 15 12|100 150 120"));

        // Half-cent lines on a level-3 credit account: the running amount is the exact running
        // sum rounded (0.125, 0.25, 0.375 show 0.13, 0.25, 0.38), and so is the month's sum.
        execute(QStringLiteral("DELETE FROM 数量式"));
        for (int line = 1; line <= 3; ++line)
            addLine(QStringLiteral("806000100%1").arg(line), QStringLiteral("2202001001"), QVariant(), 0.125, 1.0);
        buildQuantityLedger(kYear, QStringLiteral("2202001001"), QStringLiteral("贷"));
        const RecordSet halves = quantityLedgerRows();
        QCOMPARE(part(halves, "余额", 1, 3), QStringLiteral("0.13 0.25 0.38"));
        QCOMPARE(part(halves, "余单", 1, 3), QStringLiteral("0.130 0.125 0.127"));
        QCOMPARE(part(halves, "贷金", 4, 5), QStringLiteral("0.38 0.38"));
        QCOMPARE(part(halves, "余额", -1, -1), QStringLiteral("0.38"));
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
        QCOMPARE(column(rows, "ID"), QStringLiteral("8000000000 8030001001 8039999998 8039999999 8040001001 8049999998 "
                                                    "8049999999 813"));
        QCOMPARE(column(rows, "余额"), QStringLiteral("900 850 - - 1350 - - 1350"));
        QCOMPARE(part(rows, "折旧额", 0, 1) + QLatin1Char(' ') + part(rows, "折旧额", 6, 6), QStringLiteral("100 50 50"));
        QCOMPARE(part(rows, "贷方金额", 1, 1) + part(rows, "余数", 4, 4) + QLatin1Char(' ') + part(rows, "借方金额", 6, 6),
                 QStringLiteral("-3 500"));
    }

    // Columns by name or by code; openings on both sides, a credit parent's one-sided columns,
    // one sub-account, clashing names and sub-accounts with children of their own.
    void multiColumnLedger()
    {
        {
            TempProgram program;
            expenses({QStringLiteral("6602001 办公费"), QStringLiteral("6602002 差旅费"), QStringLiteral("6602003 招待费")});
            execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001"), 100.0, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602002"), 50.0, QVariant());
            addLine(QStringLiteral("8040001001"), QStringLiteral("6602001"), 30.0, QVariant());
            QCOMPARE(buildMultiColumnRows(kYear, QStringLiteral("6603"), QStringLiteral("借"), false)->text,
                     QStringLiteral("没有明细或者明细超过250个,不能生成多栏式"));
            const RecordSet rows = multiColumn(QStringLiteral("6602"));
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), QStringLiteral("办公费 差旅费 招待费"));
            QCOMPARE(column(rows, "ID"), QStringLiteral("8030001001 8030001002 8039999997 8039999998 8039999999 8040001001 "
                                                        "8049999997 8049999998 8049999999"));
            QCOMPARE(column(rows, "办公费"), QStringLiteral("100 - 100 100 100 30 30 130 130"));
            QCOMPARE(part(rows, "余额", 1, 1) + QLatin1Char(' ') + part(rows, "借方合计", 2, 2) + QLatin1Char(' ')
                         + part(rows, "差旅费", 7, 7),
                     QStringLiteral("150 150 50"));
            QCOMPARE(multiColumn(QStringLiteral("6602"), QStringLiteral("借"), true).fieldNames().mid(9).join(QLatin1Char(' ')),
                     QStringLiteral("001办公费 002差旅费 003招待费"));
        }
        {
            TempProgram program;
            expenses({QStringLiteral("6602001 办公费"), QStringLiteral("6602002 差旅费")});
            addLine(QStringLiteral("8000000001"), QStringLiteral("6602001"), 100.0, QVariant());
            addLine(QStringLiteral("8000000002"), QStringLiteral("6602002"), QVariant(), 30.0);
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001"), 0.1, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602001"), 0.2, QVariant());
            const RecordSet rows = multiColumn(QStringLiteral("6602"));
            QCOMPARE(part(rows, "ID", 0, 0) + part(rows, "摘要说明", 0, 0), QStringLiteral("8009999997年初余额"));
            QCOMPARE(part(rows, "余额", 0, 2), QStringLiteral("70 70.1 70.3"));
            QCOMPARE(part(rows, "办公费", 0, 0) + QLatin1Char(' ') + part(rows, "差旅费", 0, 0) + QLatin1Char(' ')
                         + part(rows, "办公费", 3, 3) + QLatin1Char(' ') + part(rows, "办公费", -1, -1),
                     QStringLiteral("100 -30 0.3 100.3"));
        }
        {
            TempProgram program;
            expenses({QStringLiteral("2221001 进项税额"), QStringLiteral("2221002 销项税额")});
            addLine(QStringLiteral("8030001001"), QStringLiteral("2221001"), 200.0, QVariant());
            addLine(QStringLiteral("8030002001"), QStringLiteral("2221002"), QVariant(), 300.0);
            const RecordSet rows = multiColumn(QStringLiteral("2221"), QStringLiteral("贷"));
            QCOMPARE(column(rows, "ID"), QStringLiteral("8030001001 8030002001 8039999997 8039999998 8039999999"));
            QCOMPARE(column(rows, "销项税额") + QLatin1Char('|') + column(rows, "进项税额"),
                     QStringLiteral("- 300 300 300 300|200 - 200 200 200"));
            QCOMPARE(part(rows, "余额", 0, 1), QStringLiteral("-200 100"));
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("1002001"), QStringLiteral("工商银行"), QStringLiteral("银行存款/工商银行"));
            addLine(QStringLiteral("8030001001"), QStringLiteral("1002001"), 5.0, QVariant());
            QCOMPARE(multiColumn(QStringLiteral("1002")).fieldNames().mid(9), QStringList{QStringLiteral("工商银行")});
        }
        {
            TempProgram program;
            expenses({QStringLiteral("6602001 办公费"), QStringLiteral("6602002 办公费"), QStringLiteral("6602003 余额"),
                      QStringLiteral("6602004 id")});
            for (int line = 1; line <= 4; ++line)
                addLine(QStringLiteral("803000100%1").arg(line), QStringLiteral("660200%1").arg(line), double(line), QVariant());
            const RecordSet rows = multiColumn(QStringLiteral("6602"));
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')),
                     QStringLiteral("id(6602004) 余额(6602003) 办公费(6602001) 办公费(6602002)"));
            QCOMPARE(part(rows, "办公费(6602002)", 1, 1) + part(rows, "余额(6602003)", 2, 2) + QLatin1Char(' ') + part(rows, "余额", 3, 3),
                     QStringLiteral("23 10"));
        }
        {
            TempProgram program;
            addAccount(QStringLiteral("6602001"), QStringLiteral("办公费"), QStringLiteral("管理费用/办公费"), QStringLiteral("借"),
                       false);
            addAccount(QStringLiteral("6602001001"), QStringLiteral("纸张"), QStringLiteral("管理费用/办公费/纸张"));
            addAccount(QStringLiteral("6602001002"), QStringLiteral("邮费"), QStringLiteral("管理费用/办公费/邮费"));
            expenses({QStringLiteral("6602002 差旅费")});
            addLine(QStringLiteral("8030001001"), QStringLiteral("6602001001"), 40.0, QVariant());
            addLine(QStringLiteral("8030001002"), QStringLiteral("6602001002"), 60.0, QVariant());
            const RecordSet rows = multiColumn(QStringLiteral("6602"));
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), QStringLiteral("办公费 差旅费"));
            QCOMPARE(column(rows, "办公费") + QLatin1Char('|') + part(rows, "余额", 1, 1), QStringLiteral("40 60 100 100 100|100"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDetailLedgers)
#include "test_detail_ledgers.moc"

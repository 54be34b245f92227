#include "support/common.h"
#include "ledgers/detail_ledgers.h"

namespace {

// Fields `from` to `to` of a column joined by spaces.
QString part(const RecordSet& rows, const QString& name, int from, int to)
{
    return columnText(rows, name).section(QLatin1Char(' '), from, to);
}

// Sub-accounts, each "code name", under 管理费用 (under 应交税费 for 2221…); 销项税额 is credit-side.
void expenses(const QStringList& accounts)
{
    for (const QString& account : accounts) {
        const QString code = account.section(QLatin1Char(' '), 0, 0);
        const QString name = account.section(QLatin1Char(' '), 1);
        addAccount(code, name, (code.startsWith(u"2221"_s) ? u"应交税费/"_s : u"管理费用/"_s) + name,
                   name == u"销项税额"_s ? u"贷"_s : u"借"_s);
    }
}

// Builds the pivoted multi-column ledger of `code`.
RecordSet multiColumn(const QString& code, const QString& direction = u"借"_s, bool byCode = false)
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
        addLines(u"8000000001 1405 100 - 10|8030001001 1405 60 - 5|8030002001 1405 - 30 3|8050001001 1405 - 130 12"_s);
        buildQuantityLedger(kYear, u"1405"_s, u"借"_s);
        const RecordSet rows = quantityLedgerRows();
        QCOMPARE(columnText(rows, u"ID"_s), u"8000 8030001001 8030002001 8039999998 8039999999 8050001001 8059999998 "
                                                    "8059999999 813"_s);
        QCOMPARE(part(rows, u"余数"_s, 0, 2), u"10 15 12"_s);
        QCOMPARE(part(rows, u"余单"_s, 0, 2), u"10.000 10.667 10.833"_s);
        QCOMPARE(part(rows, u"借单"_s, 1, 1) + QLatin1Char(' ') + part(rows, u"贷单"_s, 2, 2), u"12.000 10.000"_s);
        // Everything out: level, no quantity, no unit price.
        QCOMPARE(part(rows, u"方向"_s, 5, 5) + part(rows, u"余额"_s, 5, 5) + part(rows, u"余数"_s, 5, 5), u"平--"_s);
        QCOMPARE(part(rows, u"借数"_s, 7, 7) + QLatin1Char(' ') + part(rows, u"贷金"_s, 7, 7), u"5 160"_s);

        // A credit account's stock runs in its direction, from an opening on its own side.
        execute(u"DELETE FROM 数量式"_s);
        addLines(u"8000000002 2241001001 - 100 10|8030003001 2241001001 - 50 5|8030004001 2241001001 30 - 3"_s);
        buildQuantityLedger(kYear, u"2241001001"_s, u"贷"_s);
        const RecordSet credit = quantityLedgerRows();
        QCOMPARE(part(credit, u"余数"_s, 0, 2) + QLatin1Char('|') + part(credit, u"余额"_s, 0, 2), u"10 15 12|100 150 120"_s);

        // Half-cent lines on a level-3 credit account: the running amount is the exact running
        // sum rounded (0.125, 0.25, 0.375 show 0.13, 0.25, 0.38), and so is the month's sum.
        execute(u"DELETE FROM 数量式"_s);
        for (int line = 1; line <= 3; ++line)
            addLine(u"806000100%1"_s.arg(line), u"2202001001"_s, QVariant(), 0.125, 1.0);
        buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s);
        const RecordSet halves = quantityLedgerRows();
        QCOMPARE(part(halves, u"余额"_s, 1, 3), u"0.13 0.25 0.38"_s);
        QCOMPARE(part(halves, u"余单"_s, 1, 3), u"0.130 0.125 0.127"_s);
        QCOMPARE(part(halves, u"贷金"_s, 4, 5), u"0.38 0.38"_s);
        QCOMPARE(part(halves, u"余额"_s, -1, -1), u"0.38"_s);
    }

    void fixedAssetLedger()
    {
        TempProgram program;
        QCOMPARE(depreciationTwin(u"1601"_s) + u' ' + depreciationTwin(u"1701003"_s) + u' ' + depreciationTwin(u"1601001002"_s),
                 u"1602 1702003 1602001002"_s);
        QCOMPARE(buildFixedAssetLedger(kYear, u"1602"_s, u"借"_s)->text, u"只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"_s);

        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s));
        QCOMPARE(fixedAssetLedgerRows().count(), 1);
        execute(u"DELETE FROM 固累式"_s);

        addLines(u"8000000001 1601 1000 - 2|8000000002 1602 - 100|8030001001 1602 - 50|8040001001 1601 500 - 1"_s);
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s));
        const RecordSet rows = fixedAssetLedgerRows();
        QCOMPARE(columnText(rows, u"ID"_s), u"8000000000 8030001001 8039999998 8039999999 8040001001 8049999998 "
                                                    "8049999999 813"_s);
        QCOMPARE(columnText(rows, u"余额"_s), u"900 850 - - 1350 - - 1350"_s);
        QCOMPARE(part(rows, u"折旧额"_s, 0, 1) + QLatin1Char(' ') + part(rows, u"折旧额"_s, 6, 6), u"100 50 50"_s);
        QCOMPARE(part(rows, u"贷方金额"_s, 1, 1) + part(rows, u"余数"_s, 4, 4) + QLatin1Char(' ') + part(rows, u"借方金额"_s, 6, 6), u"-3 500"_s);
    }

    // Columns by name or by code; openings on both sides, a credit parent's one-sided columns,
    // one sub-account, clashing names and sub-accounts with children of their own.
    void multiColumnLedger()
    {
        {
            TempProgram program;
            expenses({u"6602001 办公费"_s, u"6602002 差旅费"_s, u"6602003 招待费"_s});
            execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"_s);
            addLines(u"8030001001 6602001 100 -|8030001002 6602002 50 -|8040001001 6602001 30 -"_s);
            QCOMPARE(buildMultiColumnRows(kYear, u"6603"_s, u"借"_s, false)->text, u"没有明细或者明细超过250个,不能生成多栏式"_s);
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), u"办公费 差旅费 招待费"_s);
            QCOMPARE(columnText(rows, u"ID"_s), u"8030001001 8030001002 8039999997 8039999998 8039999999 8040001001 "
                                                        "8049999997 8049999998 8049999999"_s);
            QCOMPARE(columnText(rows, u"办公费"_s), u"100 - 100 100 100 30 30 130 130"_s);
            QCOMPARE(part(rows, u"余额"_s, 1, 1) + QLatin1Char(' ') + part(rows, u"借方合计"_s, 2, 2) + QLatin1Char(' ')
                         + part(rows, u"差旅费"_s, 7, 7),
                     u"150 150 50"_s);
            QCOMPARE(multiColumn(u"6602"_s, u"借"_s, true).fieldNames().mid(9).join(QLatin1Char(' ')), u"001办公费 002差旅费 003招待费"_s);
        }
        {
            TempProgram program;
            expenses({u"6602001 办公费"_s, u"6602002 差旅费"_s});
            addLines(u"8000000001 6602001 100 -|8000000002 6602002 - 30|8030001001 6602001 0.1 -|8030001002 6602001 0.2 -"_s);
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(part(rows, u"ID"_s, 0, 0) + part(rows, u"摘要说明"_s, 0, 0), u"8009999997年初余额"_s);
            QCOMPARE(part(rows, u"余额"_s, 0, 2), u"70 70.1 70.3"_s);
            QCOMPARE(part(rows, u"办公费"_s, 0, 0) + QLatin1Char(' ') + part(rows, u"差旅费"_s, 0, 0) + QLatin1Char(' ')
                         + part(rows, u"办公费"_s, 3, 3) + QLatin1Char(' ') + part(rows, u"办公费"_s, -1, -1),
                     u"100 -30 0.3 100.3"_s);
        }
        {
            TempProgram program;
            expenses({u"2221001 进项税额"_s, u"2221002 销项税额"_s});
            addLines(u"8030001001 2221001 200 -|8030002001 2221002 - 300"_s);
            const RecordSet rows = multiColumn(u"2221"_s, u"贷"_s);
            QCOMPARE(columnText(rows, u"ID"_s), u"8030001001 8030002001 8039999997 8039999998 8039999999"_s);
            QCOMPARE(columnText(rows, u"销项税额"_s) + QLatin1Char('|') + columnText(rows, u"进项税额"_s), u"- 300 300 300 300|200 - 200 200 200"_s);
            QCOMPARE(part(rows, u"余额"_s, 0, 1), u"-200 100"_s);
        }
        {
            TempProgram program;
            addAccount(u"1002001"_s, u"工商银行"_s, u"银行存款/工商银行"_s);
            addLine(u"8030001001"_s, u"1002001"_s, 5.0, QVariant());
            QCOMPARE(multiColumn(u"1002"_s).fieldNames().mid(9), QStringList{u"工商银行"_s});
        }
        {
            TempProgram program;
            expenses({u"6602001 办公费"_s, u"6602002 办公费"_s, u"6602003 余额"_s, u"6602004 id"_s});
            for (int line = 1; line <= 4; ++line)
                addLine(u"803000100%1"_s.arg(line), u"660200%1"_s.arg(line), double(line), QVariant());
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), u"id(6602004) 余额(6602003) 办公费(6602001) 办公费(6602002)"_s);
            QCOMPARE(part(rows, u"办公费(6602002)"_s, 1, 1) + part(rows, u"余额(6602003)"_s, 2, 2) + QLatin1Char(' ') + part(rows, u"余额"_s, 3, 3),
                     u"23 10"_s);
        }
        {
            TempProgram program;
            addAccount(u"6602001"_s, u"办公费"_s, u"管理费用/办公费"_s, u"借"_s, false);
            addAccount(u"6602001001"_s, u"纸张"_s, u"管理费用/办公费/纸张"_s);
            addAccount(u"6602001002"_s, u"邮费"_s, u"管理费用/办公费/邮费"_s);
            expenses({u"6602002 差旅费"_s});
            addLines(u"8030001001 6602001001 40 -|8030001002 6602001002 60 -"_s);
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), u"办公费 差旅费"_s);
            QCOMPARE(columnText(rows, u"办公费"_s) + QLatin1Char('|') + part(rows, u"余额"_s, 1, 1), u"40 60 100 100 100|100"_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestDetailLedgers)
#include "test_detail_ledgers.moc"

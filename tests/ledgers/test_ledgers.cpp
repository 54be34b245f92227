#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

// Bank accounts under 1002, cash, capital and a payable; January and March movements.
void books()
{
    addAccount(QStringLiteral("1002001"), QStringLiteral("工行"), QStringLiteral("银行存款/工行"));
    addAccount(QStringLiteral("1002002"), QStringLiteral("建行"), QStringLiteral("银行存款/建行"));
    execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"));
    addLine(QStringLiteral("8000000001"), QStringLiteral("1001"), 1000.0, QVariant());
    addLine(QStringLiteral("8000000002"), QStringLiteral("1002001"), 500.0, QVariant(), 5.0);
    addLine(QStringLiteral("8000000003"), QStringLiteral("4001"), QVariant(), 1500.0);
    addLine(QStringLiteral("8010001001"), QStringLiteral("1002002"), 300.0, QVariant());
    addLine(QStringLiteral("8010001002"), QStringLiteral("1001"), QVariant(), 300.0);
    addLine(QStringLiteral("8030001001"), QStringLiteral("2202"), 700.0, QVariant());
    addLine(QStringLiteral("8030001002"), QStringLiteral("1001"), QVariant(), 700.0);
    addLine(QStringLiteral("8030002001"), QStringLiteral("1002001"), QVariant(), 200.0, 2.0);
    addLine(QStringLiteral("8030002002"), QStringLiteral("2202"), QVariant(), 200.0);
    addLine(QStringLiteral("8030003001"), QStringLiteral("9999"), 1.0, QVariant());
}

QStringList column(const RecordSet& rows, int field)
{
    QStringList values;
    for (const auto row : rows)
        values << (row[field].isNull() ? QStringLiteral("-") : row[field].toString());
    return values;
}

}  // namespace

class TestLedgers : public QObject {
    Q_OBJECT

private slots:
    void journals()
    {
        TempProgram program;
        books();
        buildJournal(kYear, QStringLiteral("全部"));
        RecordSet rows = journalRows();
        QCOMPARE(rows.count(), 9);
        QCOMPARE(rows.fieldNames().first(), QStringLiteral("月"));
        QCOMPARE(rows.fieldNames().last(), QStringLiteral("ID"));
        QCOMPARE(rows[0][16].toString(), QStringLiteral("8000000001"));
        QCOMPARE(rows[4][6].toString(), QStringLiteral("库存现金"));
        buildJournal(kYear, QStringLiteral("年初"));
        QCOMPARE(column(journalRows(), 16), (QStringList{QStringLiteral("8000000001"), QStringLiteral("8000000002"), QStringLiteral("8000000003")}));
        buildJournal(kYear, QStringLiteral("3"));
        QCOMPARE(journalRows().count(), 4);

        QVERIFY(buildFilteredJournal(kYear, QStringLiteral("1002")));
        QCOMPARE(column(journalRows(), 5), (QStringList{QStringLiteral("1002001"), QStringLiteral("1002002"), QStringLiteral("1002001")}));
        QVERIFY(buildFilteredJournal(kYear, QStringLiteral("100")));
        QCOMPARE(journalRows().count(), 6);
        QVERIFY(buildFilteredJournal(kYear, QStringLiteral("1%")));
        QCOMPARE(journalRows().count(), 0);
        QVERIFY(!buildFilteredJournal(kYear, QString()));
        QCOMPARE(journalRows().count(), 0);
    }

    void accountSummary()
    {
        TempProgram program;
        books();
        QCOMPARE(buildAccountSummary(kYear, QStringLiteral("全部"))->text, QStringLiteral("请选择月份"));
        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("3")));
        const RecordSet rows = accountSummaryRows();
        QCOMPARE(column(rows, 0), (QStringList{QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("2202"), QStringLiteral("8")}));
        QCOMPARE(column(rows, 1).last(), QStringLiteral("合 计"));
        QCOMPARE(column(rows, 2), (QStringList{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("700"), QStringLiteral("701")}));
        QCOMPARE(column(rows, 3), (QStringList{QStringLiteral("700"), QStringLiteral("200"), QStringLiteral("200"), QStringLiteral("1100")}));
        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("7")));
        QCOMPARE(column(accountSummaryRows(), 2), QStringList{QStringLiteral("-")});

        // Fifty lines of 0.1 and one of 0.125 sum to 5.125 exactly: 5.13, not the binary 5.12.
        for (int line = 1; line <= 51; ++line)
            addLine(QStringLiteral("8040001%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("1122"), line == 51 ? 0.125 : 0.1,
                    QVariant());
        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("4")));
        QCOMPARE(column(accountSummaryRows(), 2), (QStringList{QStringLiteral("5.13"), QStringLiteral("5.13")}));
    }

    void balanceTable()
    {
        TempProgram program;
        books();
        addLine(QStringLiteral("8030004001"), QStringLiteral("1012"), 0.1, QVariant());
        addLine(QStringLiteral("8030004002"), QStringLiteral("1012"), 0.2, QVariant());
        addLine(QStringLiteral("8030004003"), QStringLiteral("1012"), QVariant(), 0.3);
        QCOMPARE(buildBalanceTable(kYear, QStringLiteral("年初"), QStringLiteral("1"))->text, QStringLiteral("请选择月份和级数"));
        QCOMPARE(buildBalanceTable(kYear, QStringLiteral("3"), QString())->text, QStringLiteral("请选择月份和级数"));
        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("3"), QStringLiteral("2")));
        const RecordSet rows = balanceTableRows();
        QCOMPARE(column(rows, 0), (QStringList{QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1002001"),
                                               QStringLiteral("1002002"), QStringLiteral("1012"), QStringLiteral("2202"),
                                               QStringLiteral("4001"), QStringLiteral("8")}));
        QCOMPARE(rows[2][1].toString(), QStringLiteral(" 工行"));
        // 1001: opening 1000, January -300 before March; March credit 700.
        QCOMPARE(rows[0][4].toDouble(), 700.0);
        QCOMPARE(rows[0][8].toDouble(), 700.0);
        QCOMPARE(rows[0][12].toDouble(), 1000.0);
        QVERIFY(rows[0][14].isNull());
        // 1002001: quantity 5 in, 2 out.
        QCOMPARE(rows[2][3].toDouble(), 5.0);
        QCOMPARE(rows[2][7].toDouble(), 2.0);
        QCOMPARE(rows[2][13].toDouble(), 3.0);
        QCOMPARE(rows[2][14].toDouble(), 300.0);
        // A credit-side account with a debit balance reads negative; 0.1 + 0.2 - 0.3 reads empty.
        QCOMPARE(rows[5][2].toString(), QStringLiteral("贷"));
        QCOMPARE(rows[5][14].toDouble(), -500.0);
        QVERIFY(rows[4][14].isNull());
        QCOMPARE(rows[6][14].toDouble(), 1500.0);
        // Totals over the level-1 rows only.
        const auto total = rows[7];
        QCOMPARE(total[1].toString(), QStringLiteral("合  计"));
        QCOMPARE(total[6].toDouble(), 700.3);
        QCOMPARE(total[8].toDouble(), 1100.3);
        QCOMPARE(total[10].toDouble(), 1000.3);
        QVERIFY(total[14].isNull());

        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("12"), QStringLiteral("1")));
        QCOMPARE(balanceTableRows().count(), 6);

        // Half-cent sums on a level-3 credit account: fifty lines of 0.1 and one of 0.125 are
        // 5.125 exactly, which shows 5.13 (a binary sum lands under it, at 5.1249999…), and the
        // level-1 closing balance 700 - 205.125 shows -494.88, rounded away from zero.
        addAccount(QStringLiteral("2202001"), QStringLiteral("甲"), QStringLiteral("应付账款/甲"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("2202001001"), QStringLiteral("货款"), QStringLiteral("应付账款/甲/货款"), QStringLiteral("贷"));
        for (int line = 1; line <= 50; ++line)
            addLine(QStringLiteral("8030005%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("2202001001"), QVariant(), 0.1);
        addLine(QStringLiteral("8030006001"), QStringLiteral("2202001001"), QVariant(), 0.125);
        addLine(QStringLiteral("8030006002"), QStringLiteral("1122"), 5.125, QVariant());
        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("3"), QStringLiteral("3")));
        QHash<QString, QStringList> byCode;
        for (const auto row : balanceTableRows()) {
            QStringList amounts;
            for (const int field : {4, 6, 8, 10, 12, 14})
                amounts << (row[field].isNull() ? QStringLiteral("-") : row[field].toString());
            byCode.insert(row[0].toString(), amounts);
        }
        const QStringList halfCents{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("5.13"), QStringLiteral("-"),
                                    QStringLiteral("5.13"), QStringLiteral("5.13")};
        QCOMPARE(byCode.value(QStringLiteral("2202001001")), halfCents);
        QCOMPARE(byCode.value(QStringLiteral("2202001")), halfCents);
        QCOMPARE(byCode.value(QStringLiteral("2202")), (QStringList{QStringLiteral("-"), QStringLiteral("700"), QStringLiteral("205.13"),
                                                                   QStringLiteral("700"), QStringLiteral("205.13"), QStringLiteral("-494.88")}));
        QCOMPARE(byCode.value(QStringLiteral("1122")).at(1), QStringLiteral("5.13"));
        QCOMPARE(byCode.value(QStringLiteral("8")).mid(1, 2), (QStringList{QStringLiteral("705.43"), QStringLiteral("1105.43")}));

        // Level 3 shows a 10-digit leaf under its parents; a credit account's balance reads positive.
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='2241'"));
        addAccount(QStringLiteral("2241001"), QStringLiteral("押金"), QStringLiteral("其他应付款/押金"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("2241001001"), QStringLiteral("房东"), QStringLiteral("其他应付款/押金/房东"), QStringLiteral("贷"));
        addLine(QStringLiteral("8030005001"), QStringLiteral("2241001001"), QVariant(), 50.0);
        addLine(QStringLiteral("8030005002"), QStringLiteral("1001"), 50.0, QVariant());
        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("3"), QStringLiteral("3")));
        QStringList payables;
        for (const auto row : balanceTableRows()) {
            if (row[0].toString().startsWith(QStringLiteral("2241")))
                payables << row[0].toString() + QLatin1Char(':') + row[14].toString();
        }
        QCOMPARE(payables, (QStringList{QStringLiteral("2241:50"), QStringLiteral("2241001:50"), QStringLiteral("2241001001:50")}));
    }

    void detailAndGeneralLedgers()
    {
        TempProgram program;
        books();
        buildDetailLedger(kYear, QStringLiteral("1001"), QStringLiteral("借"));
        RecordSet rows = threeColumnLedgerRows();
        QCOMPARE(column(rows, 0), (QStringList{QStringLiteral("8000"), QStringLiteral("8010001002"), QStringLiteral("8019999998"),
                                               QStringLiteral("8019999999"), QStringLiteral("8030001002"), QStringLiteral("8039999998"),
                                               QStringLiteral("8039999999"), QStringLiteral("813")}));
        QCOMPARE(column(rows, 8), (QStringList{QStringLiteral("1000"), QStringLiteral("700"), QStringLiteral("-"), QStringLiteral("-"),
                                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("0")}));
        QCOMPARE(column(rows, 7), (QStringList{QStringLiteral("借"), QStringLiteral("借"), QStringLiteral("-"), QStringLiteral("-"),
                                               QStringLiteral("平"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")}));
        QCOMPARE(rows[3][4].toString(), QStringLiteral(" 本年累计"));
        QCOMPARE(rows[6][6].toDouble(), 1000.0);
        QCOMPARE(rows[7][4].toString(), QStringLiteral("结转下年"));

        // A credit-side account whose balance turns to the debit keeps its direction.
        execute(QStringLiteral("DELETE FROM 三总式"));
        buildDetailLedger(kYear, QStringLiteral("2202"), QStringLiteral("贷"));
        rows = threeColumnLedgerRows();
        QCOMPARE(column(rows, 8), (QStringList{QStringLiteral("-"), QStringLiteral("-700"), QStringLiteral("-500"),
                                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-500")}));
        QCOMPARE(rows[0][7].toString(), QStringLiteral("平"));

        // A credit account at level 3 runs in its own direction, to the cent: 0.1 and 0.2 make 0.3.
        execute(QStringLiteral("DELETE FROM 三总式"));
        addLine(QStringLiteral("8040001001"), QStringLiteral("2241001001"), QVariant(), 0.1);
        addLine(QStringLiteral("8040002001"), QStringLiteral("2241001001"), QVariant(), 0.2);
        buildDetailLedger(kYear, QStringLiteral("2241001001"), QStringLiteral("贷"));
        QCOMPARE(column(threeColumnLedgerRows(), 8).mid(0, 3),
                 (QStringList{QStringLiteral("-"), QStringLiteral("0.1"), QStringLiteral("0.3")}));

        // Half-cent lines on a level-3 credit account: each balance is the exact running sum
        // rounded (0.125, 0.25, 0.375), not a sum of rounded steps (0.13, 0.26, 0.39).
        addAccount(QStringLiteral("2202001001"), QStringLiteral("货款"), QStringLiteral("应付账款/甲/货款"), QStringLiteral("贷"));
        for (int line = 1; line <= 3; ++line)
            addLine(QStringLiteral("804000100%1").arg(line), QStringLiteral("2202001001"), QVariant(), 0.125);
        addLine(QStringLiteral("8040001004"), QStringLiteral("2202001001"), 0.375, QVariant());
        execute(QStringLiteral("DELETE FROM 三总式"));
        buildDetailLedger(kYear, QStringLiteral("2202001001"), QStringLiteral("贷"));
        rows = threeColumnLedgerRows();
        QCOMPARE(column(rows, 8), (QStringList{QStringLiteral("-"), QStringLiteral("0.13"), QStringLiteral("0.25"), QStringLiteral("0.38"),
                                               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("0")}));
        QCOMPARE(column(rows, 7).mid(3, 2), (QStringList{QStringLiteral("贷"), QStringLiteral("平")}));
        QCOMPARE(column(rows, 5).at(5), QStringLiteral("0.38"));
        QCOMPARE(column(rows, 6).at(5), QStringLiteral("0.38"));

        execute(QStringLiteral("DELETE FROM 三总式"));
        buildDetailLedger(kYear, QStringLiteral("1101"), QStringLiteral("借"));
        QCOMPARE(column(threeColumnLedgerRows(), 0), (QStringList{QStringLiteral("8000"), QStringLiteral("813")}));

        execute(QStringLiteral("DELETE FROM 三总式"));
        buildGeneralLedger(kYear, QStringLiteral("1002001"), QStringLiteral("借"));
        rows = threeColumnLedgerRows();
        QCOMPARE(column(rows, 0), (QStringList{QStringLiteral("8000"), QStringLiteral("8011"), QStringLiteral("8012"),
                                               QStringLiteral("8031"), QStringLiteral("8032"), QStringLiteral("8123")}));
        QCOMPARE(rows[1][1].toString(), QStringLiteral("2016-01-31"));
        QCOMPARE(rows[1][2].toString(), QStringLiteral("汇"));
        QCOMPARE(column(rows, 8), (QStringList{QStringLiteral("500"), QStringLiteral("800"), QStringLiteral("-"),
                                               QStringLiteral("600"), QStringLiteral("-"), QStringLiteral("600")}));
        QCOMPARE(rows[4][5].toDouble(), 300.0);
        QCOMPARE(rows[4][6].toDouble(), 200.0);
    }
};

QTEST_GUILESS_MAIN(TestLedgers)
#include "test_ledgers.moc"

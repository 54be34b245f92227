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
    addVoucher(1, 1, QStringLiteral("1002002"), QStringLiteral("1001"), 300.0);
    addVoucher(3, 1, QStringLiteral("2202"), QStringLiteral("1001"), 700.0);
    addLine(QStringLiteral("8030002001"), QStringLiteral("1002001"), QVariant(), 200.0, 2.0);
    addLine(QStringLiteral("8030002002"), QStringLiteral("2202"), QVariant(), 200.0);
    addLine(QStringLiteral("8030003001"), QStringLiteral("9999"), 1.0, QVariant());
}

// Lines of `count` credits of `amount` to `code` in voucher 8MMNNNN (lines 001…).
void credits(const QString& voucher, const QString& code, int count, double amount)
{
    for (int line = 1; line <= count; ++line)
        addLine(voucher + QStringLiteral("%1").arg(line, 3, 10, QLatin1Char('0')), code, QVariant(), amount);
}

// The given fields of each row, keyed by the row's first field.
QHash<QString, QString> byCode(const RecordSet& rows, std::initializer_list<int> fields)
{
    QHash<QString, QString> lines;
    for (const auto row : rows) {
        QStringList values;
        for (const int field : fields)
            values << (row[field].isNull() ? QStringLiteral("-") : row[field].toString());
        lines.insert(row[0].toString(), values.join(QLatin1Char(' ')));
    }
    return lines;
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
        QCOMPARE(rows.fieldNames().first() + rows.fieldNames().last(), QStringLiteral("月ID"));
        QCOMPARE(rows[0][16].toString() + rows[4][6].toString(), QStringLiteral("8000000001库存现金"));
        buildJournal(kYear, QStringLiteral("年初"));
        QCOMPARE(columnText(journalRows(), 16), QStringLiteral("8000000001 8000000002 8000000003"));
        buildJournal(kYear, QStringLiteral("3"));
        QCOMPARE(journalRows().count(), 4);

        QVERIFY(buildFilteredJournal(kYear, QStringLiteral("1002")));
        QCOMPARE(columnText(journalRows(), 5), QStringLiteral("1002001 1002002 1002001"));
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
        QCOMPARE(columnText(rows, 0, QStringLiteral("|")), QStringLiteral("1001|1002|2202|8"));
        QCOMPARE(columnText(rows, 1, QStringLiteral("|")).section(QLatin1Char('|'), -1), QStringLiteral("合 计"));
        QCOMPARE(columnText(rows, 2), QStringLiteral("- - 700 701"));
        QCOMPARE(columnText(rows, 3), QStringLiteral("700 200 200 1100"));
        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("7")));
        QCOMPARE(columnText(accountSummaryRows(), 2), QStringLiteral("-"));

        // Fifty lines of 0.1 and one of 0.125 sum to 5.125 exactly: 5.13, not the binary 5.12.
        for (int line = 1; line <= 51; ++line)
            addLine(QStringLiteral("8040001%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("1122"), line == 51 ? 0.125 : 0.1,
                    QVariant());
        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("4")));
        QCOMPARE(columnText(accountSummaryRows(), 2), QStringLiteral("5.13 5.13"));
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
        QCOMPARE(columnText(rows, 0), QStringLiteral("1001 1002 1002001 1002002 1012 2202 4001 8"));
        QCOMPARE(rows[2][1].toString(), QStringLiteral(" 工行"));
        QCOMPARE(rows[7][1].toString(), QStringLiteral("合  计"));
        // Direction, quantities and amounts: 1001 opened 1000, January -300, March credit 700;
        // 1002001 took 5 in and 2 out; the credit-side 2202 with a debit balance reads negative;
        // 0.1 + 0.2 - 0.3 reads empty; totals run over the level-1 rows only.
        const QHash<QString, QString> lines = byCode(rows, {2, 3, 4, 6, 7, 8, 10, 12, 13, 14});
        QCOMPARE(lines.value(QStringLiteral("1001")), QStringLiteral("借 - 700 - - 700 - 1000 - -"));
        QCOMPARE(lines.value(QStringLiteral("1002001")), QStringLiteral("借 5 500 - 2 200 - 200 3 300"));
        const auto closing = [&lines](const char* code) { return lines.value(QString::fromLatin1(code)).section(QLatin1Char(' '), -1); };
        QCOMPARE(QStringList({closing("1012"), closing("2202"), closing("4001")}).join(QLatin1Char(' ')), QStringLiteral("- -500 1500"));
        QCOMPARE(lines.value(QStringLiteral("2202")).left(1), QStringLiteral("贷"));
        QCOMPARE(lines.value(QStringLiteral("8")).section(QLatin1Char(' '), 3) , QStringLiteral("700.3 2 1100.3 1000.3 1400.3 - -"));

        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("12"), QStringLiteral("1")));
        QCOMPARE(balanceTableRows().count(), 6);

        // Half-cent sums on a level-3 credit account: fifty lines of 0.1 and one of 0.125 are
        // 5.125 exactly, which shows 5.13 (a binary sum lands under it, at 5.1249999…), and the
        // level-1 closing balance 700 - 205.125 shows -494.88, rounded away from zero.
        addPayableLeaf();
        credits(QStringLiteral("8030005"), QStringLiteral("2202001001"), 50, 0.1);
        credits(QStringLiteral("8030006"), QStringLiteral("2202001001"), 1, 0.125);
        addLine(QStringLiteral("8030006002"), QStringLiteral("1122"), 5.125, QVariant());
        // Level 3 shows a 10-digit leaf under its parents; a credit account's balance reads positive.
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='2241'"));
        addAccount(QStringLiteral("2241001"), QStringLiteral("押金"), QStringLiteral("其他应付款/押金"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("2241001001"), QStringLiteral("房东"), QStringLiteral("其他应付款/押金/房东"), QStringLiteral("贷"));
        addVoucher(3, 7, QStringLiteral("1001"), QStringLiteral("2241001001"), 50.0);
        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("3"), QStringLiteral("3")));
        const QHash<QString, QString> level3 = byCode(balanceTableRows(), {4, 6, 8, 10, 12, 14});
        QCOMPARE(level3.value(QStringLiteral("2202001001")), QStringLiteral("- - 5.13 - 5.13 5.13"));
        QCOMPARE(level3.value(QStringLiteral("2202001")), QStringLiteral("- - 5.13 - 5.13 5.13"));
        QCOMPARE(level3.value(QStringLiteral("2202")), QStringLiteral("- 700 205.13 700 205.13 -494.88"));
        QCOMPARE(level3.value(QStringLiteral("1122")).section(QLatin1Char(' '), 1, 1), QStringLiteral("5.13"));
        for (const QString& code : {QStringLiteral("2241"), QStringLiteral("2241001"), QStringLiteral("2241001001")})
            QCOMPARE(level3.value(code).section(QLatin1Char(' '), -1), QStringLiteral("50"));
        QCOMPARE(level3.value(QStringLiteral("8")).section(QLatin1Char(' '), 1, 2), QStringLiteral("755.43 1155.43"));
    }

    void detailAndGeneralLedgers()
    {
        TempProgram program;
        books();
        const auto ledger = [](const QString& code, const QString& direction, bool general = false) {
            execute(QStringLiteral("DELETE FROM 三总式"));
            general ? buildGeneralLedger(kYear, code, direction) : buildDetailLedger(kYear, code, direction);
            return threeColumnLedgerRows();
        };
        RecordSet rows = ledger(QStringLiteral("1001"), QStringLiteral("借"));
        QCOMPARE(columnText(rows, 0), QStringLiteral("8000 8010001002 8019999998 8019999999 8030001002 8039999998 8039999999 813"));
        QCOMPARE(columnText(rows, 8), QStringLiteral("1000 700 - - - - - 0"));
        QCOMPARE(columnText(rows, 7), QStringLiteral("借 借 - - 平 - - -"));
        QCOMPARE(columnText(rows, 4, QStringLiteral("|")).section(QLatin1Char('|'), 3, 3), QStringLiteral(" 本年累计"));
        QCOMPARE(rows[6][6].toString() + rows[7][4].toString(), QStringLiteral("1000结转下年"));

        // A credit-side account whose balance turns to the debit keeps its direction.
        rows = ledger(QStringLiteral("2202"), QStringLiteral("贷"));
        QCOMPARE(columnText(rows, 8), QStringLiteral("- -700 -500 - - -500"));
        QCOMPARE(rows[0][7].toString(), QStringLiteral("平"));

        // A credit account at level 3 runs in its own direction, to the cent: 0.1 and 0.2 make 0.3.
        addLine(QStringLiteral("8040001001"), QStringLiteral("2241001001"), QVariant(), 0.1);
        addLine(QStringLiteral("8040002001"), QStringLiteral("2241001001"), QVariant(), 0.2);
        QCOMPARE(columnText(ledger(QStringLiteral("2241001001"), QStringLiteral("贷")), 8).left(9), QStringLiteral("- 0.1 0.3"));

        // Half-cent lines on a level-3 credit account: each balance is the exact running sum
        // rounded (0.125, 0.25, 0.375), not a sum of rounded steps (0.13, 0.26, 0.39).
        addPayableLeaf();
        credits(QStringLiteral("8040001"), QStringLiteral("2202001001"), 3, 0.125);
        addLine(QStringLiteral("8040001004"), QStringLiteral("2202001001"), 0.375, QVariant());
        rows = ledger(QStringLiteral("2202001001"), QStringLiteral("贷"));
        QCOMPARE(columnText(rows, 8), QStringLiteral("- 0.13 0.25 0.38 - - - 0"));
        QCOMPARE(columnText(rows, 7).section(QLatin1Char(' '), 3, 4), QStringLiteral("贷 平"));
        QCOMPARE(rows[5][5].toString() + QLatin1Char(' ') + rows[5][6].toString(), QStringLiteral("0.38 0.38"));

        QCOMPARE(columnText(ledger(QStringLiteral("1101"), QStringLiteral("借")), 0), QStringLiteral("8000 813"));

        rows = ledger(QStringLiteral("1002001"), QStringLiteral("借"), true);
        QCOMPARE(columnText(rows, 0), QStringLiteral("8000 8011 8012 8031 8032 8123"));
        QCOMPARE(rows[1][1].toString() + rows[1][2].toString(), QStringLiteral("2016-01-31汇"));
        QCOMPARE(columnText(rows, 8), QStringLiteral("500 800 - 600 - 600"));
        QCOMPARE(rows[4][5].toString() + QLatin1Char(' ') + rows[4][6].toString(), QStringLiteral("300 200"));
    }
};

QTEST_GUILESS_MAIN(TestLedgers)
#include "test_ledgers.moc"

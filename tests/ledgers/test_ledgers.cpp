#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace {

const int kYear = 2016;

// Bank accounts under 1002, cash, capital and a payable; January and March movements.
void books()
{
    addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s);
    addAccount(u"1002002"_s, u"建行"_s, u"银行存款/建行"_s);
    execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
    addLines(u"8000000001 1001 1000 -|8000000002 1002001 500 - 5|8000000003 4001 - 1500"_s);
    addVoucher(1, 1, u"1002002"_s, u"1001"_s, 300.0);
    addVoucher(3, 1, u"2202"_s, u"1001"_s, 700.0);
    addLines(u"8030002001 1002001 - 200 2|8030002002 2202 - 200|8030003001 9999 1 -"_s);
}

// The given fields of each row, keyed by the row's first field.
QHash<QString, QString> byCode(const RecordSet& rows, std::initializer_list<int> fields)
{
    QHash<QString, QString> lines;
    for (const auto row : rows) {
        QStringList values;
        for (const int field : fields)
            values << (row[field].isNull() ? u"-"_s : row[field].toString());
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
        buildJournal(kYear, u"全部"_s);
        RecordSet rows = journalRows();
        QCOMPARE(rows.count(), 9);
        QCOMPARE(rows.fieldNames().first() + rows.fieldNames().last(), u"月ID"_s);
        QCOMPARE(rows[0][16].toString() + rows[4][6].toString(), u"8000000001库存现金"_s);
        buildJournal(kYear, u"年初"_s);
        QCOMPARE(columnText(journalRows(), 16), u"8000000001 8000000002 8000000003"_s);
        buildJournal(kYear, u"3"_s);
        QCOMPARE(journalRows().count(), 4);

        QVERIFY(buildFilteredJournal(kYear, u"1002"_s));
        QCOMPARE(columnText(journalRows(), 5), u"1002001 1002002 1002001"_s);
        QVERIFY(buildFilteredJournal(kYear, u"100"_s));
        QCOMPARE(journalRows().count(), 6);
        QVERIFY(buildFilteredJournal(kYear, u"1%"_s));
        QCOMPARE(journalRows().count(), 0);
        QVERIFY(!buildFilteredJournal(kYear, QString()));
        QCOMPARE(journalRows().count(), 0);

        // A March line whose ID names another month still shows, in ID order; an April line
        // whose ID names March does not.
        addEntry(kYear, u"8990001001"_s, u"1001"_s, 0.125, QVariant(), 3);
        addEntry(kYear, u"8030009001"_s, u"1001"_s, 0.125, QVariant(), 4);
        buildJournal(kYear, u"3"_s);
        QCOMPARE(columnText(journalRows(), 16), u"8030001001 8030001002 8030002001 8030002002 8990001001"_s);
    }

    void accountSummary()
    {
        TempProgram program;
        books();
        QCOMPARE(buildAccountSummary(kYear, u"全部"_s)->text, u"请选择月份"_s);
        QVERIFY(!buildAccountSummary(kYear, u"3"_s));
        const RecordSet rows = accountSummaryRows();
        QCOMPARE(columnText(rows, 0, u"|"_s), u"1001|1002|2202|8"_s);
        QCOMPARE(columnText(rows, 1, u"|"_s).section(QLatin1Char('|'), -1), u"合 计"_s);
        QCOMPARE(columnText(rows, 2), u"- - 700 701"_s);
        QCOMPARE(columnText(rows, 3), u"700 200 200 1100"_s);
        QVERIFY(!buildAccountSummary(kYear, u"7"_s));
        QCOMPARE(columnText(accountSummaryRows(), 2), u"-"_s);

        // A half-cent sum: 5.13, not the binary 5.12.
        addHalfCentSum(u"8040001"_s, u"1122"_s, true);
        QVERIFY(!buildAccountSummary(kYear, u"4"_s));
        QCOMPARE(columnText(accountSummaryRows(), 2), u"5.13 5.13"_s);
    }

    void balanceTable()
    {
        TempProgram program;
        books();
        addLines(u"8030004001 1012 0.1 -|8030004002 1012 0.2 -|8030004003 1012 - 0.3"_s);
        QCOMPARE(buildBalanceTable(kYear, u"年初"_s, u"1"_s)->text, u"请选择月份和级数"_s);
        QCOMPARE(buildBalanceTable(kYear, u"3"_s, QString())->text, u"请选择月份和级数"_s);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"2"_s));
        const RecordSet rows = balanceTableRows();
        QCOMPARE(columnText(rows, 0), u"1001 1002 1002001 1002002 1012 2202 4001 8"_s);
        QCOMPARE(rows[2][1].toString(), u" 工行"_s);
        QCOMPARE(rows[7][1].toString(), u"合  计"_s);
        // Direction, quantities and amounts: 1001 opened 1000, January -300, March credit 700;
        // 1002001 took 5 in and 2 out; the credit-side 2202 with a debit balance reads negative;
        // 0.1 + 0.2 - 0.3 reads empty; totals run over the level-1 rows only.
        const QHash<QString, QString> lines = byCode(rows, {2, 3, 4, 6, 7, 8, 10, 12, 13, 14});
        QCOMPARE(lines.value(u"1001"_s), u"借 - 700 - - 700 - 1000 - -"_s);
        QCOMPARE(lines.value(u"1002001"_s), u"借 5 500 - 2 200 - 200 3 300"_s);
        const auto closing = [&lines](const char* code) { return lines.value(QString::fromLatin1(code)).section(QLatin1Char(' '), -1); };
        QCOMPARE(QStringList({closing("1012"), closing("2202"), closing("4001")}).join(QLatin1Char(' ')), u"- -500 1500"_s);
        QCOMPARE(lines.value(u"2202"_s).left(1), u"贷"_s);
        QCOMPARE(lines.value(u"8"_s).section(QLatin1Char(' '), 3) , u"700.3 2 1100.3 1000.3 1400.3 - -"_s);

        QVERIFY(!buildBalanceTable(kYear, u"12"_s, u"1"_s));
        QCOMPARE(balanceTableRows().count(), 6);

        // Half-cent sums on a level-3 credit account show 5.13 up to level 1, whose closing balance
        // 700 - 205.125 shows -494.88, rounded away from zero.
        addPayableLeaf();
        addHalfCentSum(u"8030005"_s, u"2202001001"_s, false);
        addLine(u"8030006002"_s, u"1122"_s, 5.125, QVariant());
        // Level 3 shows a 10-digit leaf under its parents; a credit account's balance reads positive.
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='2241'"_s);
        addAccount(u"2241001"_s, u"押金"_s, u"其他应付款/押金"_s, u"贷"_s, false);
        addAccount(u"2241001001"_s, u"房东"_s, u"其他应付款/押金/房东"_s, u"贷"_s);
        addVoucher(3, 7, u"1001"_s, u"2241001001"_s, 50.0);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"3"_s));
        const QHash<QString, QString> level3 = byCode(balanceTableRows(), {4, 6, 8, 10, 12, 14});
        QCOMPARE(level3.value(u"2202001001"_s), u"- - 5.13 - 5.13 5.13"_s);
        QCOMPARE(level3.value(u"2202001"_s), u"- - 5.13 - 5.13 5.13"_s);
        QCOMPARE(level3.value(u"2202"_s), u"- 700 205.13 700 205.13 -494.88"_s);
        QCOMPARE(level3.value(u"1122"_s).section(QLatin1Char(' '), 1, 1), u"5.13"_s);
        for (const QString& code : {u"2241"_s, u"2241001"_s, u"2241001001"_s})
            QCOMPARE(level3.value(code).section(QLatin1Char(' '), -1), u"50"_s);
        QCOMPARE(level3.value(u"8"_s).section(QLatin1Char(' '), 1, 2), u"755.43 1155.43"_s);
    }

    void detailAndGeneralLedgers()
    {
        TempProgram program;
        books();
        const auto ledger = [](const QString& code, const QString& direction, bool general = false) {
            execute(u"DELETE FROM 三总式"_s);
            general ? buildGeneralLedger(kYear, code, direction) : buildDetailLedger(kYear, code, direction);
            return threeColumnLedgerRows();
        };
        RecordSet rows = ledger(u"1001"_s, u"借"_s);
        QCOMPARE(columnText(rows, 0), u"8000 8010001002 8019999998 8019999999 8030001002 8039999998 8039999999 813"_s);
        QCOMPARE(columnText(rows, 8) + u'|' + columnText(rows, 7), u"1000 700 - - - - - 0|借 借 - - 平 - - -"_s);
        QCOMPARE(columnText(rows, 4, u"|"_s).section(QLatin1Char('|'), 3, 3), u" 本年累计"_s);
        QCOMPARE(rows[6][6].toString() + rows[7][4].toString(), u"1000结转下年"_s);

        // A credit-side account whose balance turns to the debit keeps its direction.
        rows = ledger(u"2202"_s, u"贷"_s);
        QCOMPARE(columnText(rows, 8) + u'|' + rows[0][7].toString(), u"- -700 -500 - - -500|平"_s);

        // A credit account at level 3 runs in its own direction, to the cent: 0.1 and 0.2 make 0.3.
        addLines(u"8040001001 2241001001 - 0.1|8040002001 2241001001 - 0.2"_s);
        QCOMPARE(columnText(ledger(u"2241001001"_s, u"贷"_s), 8).left(9), u"- 0.1 0.3"_s);

        // Half-cent lines on a level-3 credit account: each balance is the exact running sum
        // rounded (0.125, 0.25, 0.375), not a sum of rounded steps (0.13, 0.26, 0.39).
        addPayableLeaf();
        addLines(u"8040001001 2202001001 - 0.125|8040001002 2202001001 - 0.125|8040001003 2202001001 - 0.125|"
                 "8040001004 2202001001 0.375 -"_s);
        rows = ledger(u"2202001001"_s, u"贷"_s);
        QCOMPARE(columnText(rows, 8), u"- 0.13 0.25 0.38 - - - 0"_s);
        QCOMPARE(columnText(rows, 7).section(QLatin1Char(' '), 3, 4), u"贷 平"_s);
        QCOMPARE(rows[5][5].toString() + QLatin1Char(' ') + rows[5][6].toString(), u"0.38 0.38"_s);

        QCOMPARE(columnText(ledger(u"1101"_s, u"借"_s), 0), u"8000 813"_s);

        rows = ledger(u"1002001"_s, u"借"_s, true);
        QCOMPARE(columnText(rows, 0), u"8000 8011 8012 8031 8032 8123"_s);
        QCOMPARE(rows[1][1].toString() + rows[1][2].toString(), u"2016-01-31汇"_s);
        QCOMPARE(columnText(rows, 8), u"500 800 - 600 - 600"_s);
        QCOMPARE(rows[4][5].toString() + QLatin1Char(' ') + rows[4][6].toString(), u"300 200"_s);
    }
};

QTEST_GUILESS_MAIN(TestLedgers)
#include "test_ledgers.moc"

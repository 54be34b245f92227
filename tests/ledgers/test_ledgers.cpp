#include "support/common.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/ledger_pages.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "data/record_set.h"
#include "data/update_rows.h"
#include "data/value_order.h"

#include <QRandomGenerator>

#include <array>
#include <functional>
#include <numeric>

namespace {

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
    if (const auto message = buildMultiColumnRows(code, byCode))
        qFatal("%s", qPrintable(message->text));
    buildMultiColumnPivot(kYear, code, direction);
    return multiColumnLedgerRows();
}

// A three-column ledger of `lines` lines, every balance 10 more than the one before; line 18 is
// an entry, a month total (no direction, no balance of its own) or an entry that leaves the
// account level (平, no balance).
void ledgerOf(int lines, const QVariant& line18 = u"借"_s)
{
    execute(u"DELETE FROM 三总式"_s);
    for (int line = 1; line <= lines; ++line) {
        const bool entry = line != 18 || line18 == u"借"_s;
        execute(u"INSERT INTO 三总式 (ID, 摘要说明, 方向, 余额) VALUES (?, '行', ?, ?)"_s,
                {u"8010001%1"_s.arg(line, 3, 10, QLatin1Char('0')), entry ? u"借"_s : line18, entry ? QVariant(line * 10) : QVariant()});
    }
}

QStringList page(int number)
{
    return rowsAsText(u"SELECT ID, 摘要说明, 余额 FROM 三栏帐页 WHERE 月=? ORDER BY ID"_s, {number}, u"|"_s, QString());
}

}  // namespace

class TestLedgers : public BooksTest {
    Q_OBJECT

private slots:
    void journalsAndAccountSummary()
    {
        books();
        buildJournal(kYear, u"全部"_s);
        RecordSet rows = journalRows();
        QCOMPARE(QString::number(rows.count()) + rows.fieldNames().first() + rows.fieldNames().last() + rows[0][16].toString() + rows[4][6].toString(),
                 u"9月ID8000000001库存现金"_s);
        buildJournal(kYear, u"年初"_s);
        QCOMPARE(columnText(journalRows(), 16), u"8000000001 8000000002 8000000003"_s);
        QVERIFY(!buildJournal(kYear, u"3"_s));
        QCOMPARE(journalRows().count(), 4);
        // A period that is no month is refused, not shown as a month without lines.
        const QString refused = buildJournal(kYear, u"3月"_s)->text;
        QCOMPARE(refused + QString::number(journalRows().count()), u"请选择月份0"_s);

        QVERIFY(buildFilteredJournal(kYear, u"1002"_s) && columnText(journalRows(), 5) == u"1002001 1002002 1002001"_s);
        QVERIFY(buildFilteredJournal(kYear, u"100"_s) && journalRows().count() == 6);
        QVERIFY(buildFilteredJournal(kYear, u"1%"_s) && journalRows().count() == 0);
        QVERIFY(!buildFilteredJournal(kYear, QString()) && journalRows().count() == 0);

        QCOMPARE(buildAccountSummary(kYear, u"全部"_s)->text, u"请选择月份"_s);
        QVERIFY(!buildAccountSummary(kYear, u"3"_s));
        rows = accountSummaryRows();
        QCOMPARE(QStringList({columnText(rows, 0, u"|"_s), columnText(rows, 1, u"|"_s).section(QLatin1Char('|'), -1), columnText(rows, 2),
                              columnText(rows, 3)}), (QStringList{u"1001|1002|2202|8"_s, u"合 计"_s, u"- - 700 701"_s, u"700 200 200 1100"_s}));
        QVERIFY(!buildAccountSummary(kYear, u"7"_s) && columnText(accountSummaryRows(), 2) == u"-"_s);

        // A half-cent sum: 5.13, not the binary 5.12.
        addHalfCentSum(u"8040001"_s, u"1122"_s, true);
        QVERIFY(!buildAccountSummary(kYear, u"4"_s) && columnText(accountSummaryRows(), 2) == u"5.13 5.13"_s);

        // A March line whose ID names another month still shows, in ID order; an April line
        // whose ID names March does not.
        execute(u"INSERT INTO 分2016 (ID, 月, 代码, 借方金额) VALUES ('8990001001', 3, '1001', 0.125), ('8030009001', 4, '1001', 0.125)"_s);
        buildJournal(kYear, u"3"_s);
        QCOMPARE(columnText(journalRows(), 16), u"8030001001 8030001002 8030002001 8030002002 8990001001"_s);
    }

    // A month is read by its range of IDs: January's first voucher, December's last (its range
    // ends at 813) and a month without lines, each built after a month with lines so that
    // nothing of the last build stays behind.
    void monthJournalAtTheYearsEdges()
    {
        addLines(u"8000000001 1001 100 -|8010001001 1001 0.125 -|8010001002 6001 - 0.125|8020001001 1001 1 -|"
                 "8020001002 6001 - 1|8110001001 1001 2 -|8110001002 6001 - 2|8120009001 1001 - 0.3|8120009002 6001 0.3 -"_s);
        const struct {
            const char16_t* month;
            const char16_t* lines;  // ID and the two amounts of each line
        } cases[] = {
            {u"1", u"8010001001 0.125 -|8010001002 - 0.125"},
            {u"12", u"8120009001 - 0.3|8120009002 0.3 -"},
            {u"6", u""},
            {u"11", u"8110001001 2 -|8110001002 - 2"},
            {u"6", u""},
        };
        for (const auto& each : cases) {
            buildJournal(kYear, QString::fromUtf16(each.month));
            const RecordSet rows = journalRows();
            QStringList lines;
            for (const auto row : rows)
                lines << QStringList{row[16].toString(), row[8].isNull() ? u"-"_s : row[8].toString(),
                                     row[9].isNull() ? u"-"_s : row[9].toString()}.join(u' ');
            QCOMPARE(lines.join(u'|'), QString::fromUtf16(each.lines));
        }
    }

    void balanceTable()
    {
        books();
        addLines(u"8030004001 1012 0.1 -|8030004002 1012 0.2 -|8030004003 1012 - 0.3"_s);
        QCOMPARE(buildBalanceTable(kYear, u"年初"_s, u"1"_s)->text + buildBalanceTable(kYear, u"3"_s, QString())->text, u"请选择月份和级数请选择月份和级数"_s);
        QCOMPARE(buildBalanceTable(kYear, u"3"_s, u"4"_s)->text + buildBalanceTable(kYear, u"3"_s, u"0"_s)->text
                     + buildBalanceTable(kYear, u"13"_s, u"1"_s)->text,
                 u"请选择月份和级数请选择月份和级数请选择月份和级数"_s);
        // A month and a level typed through an input method in full-width.
        QVERIFY(!buildBalanceTable(kYear, u"３"_s, u"２"_s) && balanceTableRows().count() == 8);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"2"_s));
        const RecordSet rows = balanceTableRows();
        QCOMPARE(columnText(rows, 0) + u'|' + rows[2][1].toString() + u'|' + rows[7][1].toString(), u"1001 1002 1002001 1002002 1012 2202 4001 8| 工行|合  计"_s);
        // Direction, quantities and amounts: 1001 opened 1000, January -300, March credit 700;
        // 1002001 took 5 in and 2 out; the credit-side 2202 with a debit balance reads negative;
        // 0.1 + 0.2 - 0.3 reads empty; totals run over the level-1 rows only.
        const QHash<QString, QString> lines = byCode(rows, {2, 3, 4, 6, 7, 8, 10, 12, 13, 14});
        QCOMPARE(QStringList({lines[u"1001"_s], lines[u"1002001"_s], lines[u"2202"_s].left(1), lines[u"1012"_s].section(u' ', -1),
                              lines[u"2202"_s].section(u' ', -1), lines[u"4001"_s].section(u' ', -1), lines[u"8"_s].section(u' ', 3)}),
                 (QStringList{u"借 - 700 - - 700 - 1000 - -"_s, u"借 5 500 - 2 200 - 200 3 300"_s, u"贷"_s, u"-"_s, u"-500"_s, u"1500"_s,
                              u"700.3 2 1100.3 1000.3 1400.3 - -"_s}));
        QVERIFY(!buildBalanceTable(kYear, u"12"_s, u"1"_s) && balanceTableRows().count() == 6);

        // Half-cent sums on a level-3 credit account show 5.13 up to level 1, whose closing balance
        // 700 - 205.125 shows -494.88, rounded away from zero.
        addPayableLeaf();
        addHalfCentSum(u"8030005"_s, u"2202001001"_s, false);
        addLines(u"8030006002 1122 1.005 -"_s);  // 1004.9999999999999 thousandths as a binary product
        // Level 3 shows a 10-digit leaf under its parents; a credit account's balance reads positive.
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='2241'"_s);
        addAccount(u"2241001"_s, u"押金"_s, u"其他应付款/押金"_s, u"贷"_s, false);
        addAccount(u"2241001001"_s, u"房东"_s, u"其他应付款/押金/房东"_s, u"贷"_s);
        addVoucher(3, 7, u"1001"_s, u"2241001001"_s, 50.0);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"3"_s));
        const QHash<QString, QString> level3 = byCode(balanceTableRows(), {4, 6, 8, 10, 12, 14});
        QCOMPARE(QStringList({level3[u"2202001001"_s], level3[u"2202001"_s], level3[u"2202"_s], level3[u"1122"_s].section(u' ', 1, 1),
                              level3[u"2241"_s].section(u' ', -1) + level3[u"2241001"_s].section(u' ', -1) + level3[u"2241001001"_s].section(u' ', -1),
                              level3[u"8"_s].section(u' ', 1, 2)}),
                 (QStringList{u"- - 5.13 - 5.13 5.13"_s, u"- - 5.13 - 5.13 5.13"_s, u"- 700 205.13 700 205.13 -494.88"_s, u"1.01"_s,
                              u"505050"_s, u"751.31 1155.43"_s}));
        // Names indented by level: none, one blank, three.
        QCOMPARE(rowsAsText(u"SELECT 科目名称 FROM 数量式余额表 WHERE 科目代码 LIKE '2241%' ORDER BY 科目代码"_s, {},
                            u"|"_s, QString()),
                 (QStringList{u"其他应付款"_s, u" 押金"_s, u"   房东"_s}));
    }

    void detailAndGeneralLedgers()
    {
        books();
        const auto ledger = [](const QString& code, const QString& direction, bool general = false) {
            general ? buildGeneralLedger(kYear, code, direction) : buildDetailLedger(kYear, code, direction);
            return threeColumnLedgerRows();
        };
        RecordSet rows = ledger(u"1001"_s, u"借"_s);
        QCOMPARE(columnText(rows, 0), u"8000 8010001002 8019999998 8019999999 8030001002 8039999998 8039999999 813"_s);
        QCOMPARE(columnText(rows, 8) + u'|' + columnText(rows, 7), u"1000 700 - - - - - 0|借 借 - - 平 - - -"_s);
        QCOMPARE(columnText(rows, 4, u"|"_s).section(QLatin1Char('|'), 3, 3) + rows[6][6].toString() + rows[7][4].toString(), u" 本年累计1000结转下年"_s);

        // A credit-side account whose balance turns to the debit keeps its direction.
        rows = ledger(u"2202"_s, u"贷"_s);
        QCOMPARE(columnText(rows, 8) + u'|' + rows[0][7].toString(), u"- -700 -500 - - -500|平"_s);

        // A credit account at level 3 runs in its own direction from its opening, to the cent:
        // 1.125 opens at 1.13, then 0.1 and 0.2 make 1.23 and 1.43 (1.225 and 1.425 exactly).
        addLines(u"8000000007 2241001001 - 1.125|8040001001 2241001001 - 0.1|8040002001 2241001001 - 0.2"_s);
        rows = ledger(u"2241001001"_s, u"贷"_s);
        QCOMPARE(columnText(rows, 8).left(14) + u'|' + columnText(rows, 7).left(5), u"1.13 1.23 1.43|贷 贷 贷"_s);

        // Half-cent lines on a level-3 credit account: each balance is the exact running sum
        // rounded (0.125, 0.25, 0.375), not a sum of rounded steps (0.13, 0.26, 0.39).
        addPayableLeaf();
        addLines(u"8040001001 2202001001 - 0.125|8040001002 2202001001 - 0.125|8040001003 2202001001 - 0.125|"
                 "8040001004 2202001001 0.375 -"_s);
        rows = ledger(u"2202001001"_s, u"贷"_s);
        QCOMPARE(columnText(rows, 8), u"- 0.13 0.25 0.38 - - - 0"_s);
        QCOMPARE(columnText(rows, 7).section(QLatin1Char(' '), 3, 4) + u' ' + rows[5][5].toString() + u' ' + rows[5][6].toString(), u"贷 平 0.38 0.38"_s);

        QCOMPARE(columnText(ledger(u"1101"_s, u"借"_s), 0), u"8000 813"_s);

        rows = ledger(u"1002001"_s, u"借"_s, true);
        QCOMPARE(QStringList({columnText(rows, 0), rows[1][1].toString() + rows[1][2].toString(), columnText(rows, 8),
                              rows[4][5].toString() + u' ' + rows[4][6].toString()}),
                 (QStringList{u"8000 8011 8012 8031 8032 8123"_s, u"2016-01-31汇"_s, u"500 800 - 600 - 600"_s, u"300 200"_s}));
    }

    // Lines written out of ledger order, an April line dated in May (two general-ledger lines
    // under one ID): the rows handed to the grid are the table's, in its order.
    void ledgerRowsInLedgerOrder()
    {
        addAccount(u"2241001"_s, u"押金"_s, u"其他应付款/押金"_s, u"贷"_s, false);
        addAccount(u"2241001001"_s, u"房东"_s, u"其他应付款/押金/房东"_s, u"贷"_s);
        addLines(u"8050001001 2241001001 - 0.2|8040002001 2241001001 0.125 -|8040001001 2241001001 - 0.1|8000000001 2241001001 - 1.125"_s);
        execute(u"UPDATE 分2016 SET 日期='2016-05-02' WHERE ID='8040002001'"_s);
        const auto text = [](const RecordSet& rows) {
            QStringList lines;
            for (const auto row : rows) {
                QStringList fields;
                for (int field = 0; field < rows.fieldCount(); ++field)
                    fields << (row[field].isNull() ? u"-"_s : row[field].toString());
                lines << fields.join(u'|');
            }
            return lines;
        };
        RecordSet rows = buildDetailLedger(kYear, u"2241001001"_s, u"贷"_s);
        QCOMPARE(text(rows), text(threeColumnLedgerRows()));
        QCOMPARE(columnText(rows, 0) + u'|' + columnText(rows, 5) + u'|' + columnText(rows, 6) + u'|' + columnText(rows, 8),
                 u"8000 8040001001 8040002001 8049999998 8049999999 8050001001 8059999998 8059999999 813|"
                 "- - 0.125 0.13 0.13 - - 0.13 -|- 0.1 - 0.1 0.1 0.2 0.2 0.3 -|1.13 1.23 1.1 - - 1.3 - - 1.3"_s);
        rows = buildGeneralLedger(kYear, u"2241001001"_s, u"贷"_s);
        QCOMPARE(text(rows), text(threeColumnLedgerRows()));
        QCOMPARE(columnText(rows, 0) + u'|' + columnText(rows, 1) + u'|' + columnText(rows, 8),
                 u"8000 8041 8041 8042 8051 8052 8123|- 2016-04-30 2016-05-31 - 2016-05-31 - -|1.13 1.23 1.1 - 1.3 - 1.3"_s);
    }

    void quantityAndFixedAssetLedgers()
    {
        addLines(u"8000000001 1405 100 - 10|8030001001 1405 60 - 5|8030002001 1405 - 30 3|8050001001 1405 - 130 12"_s);
        buildQuantityLedger(kYear, u"1405"_s, u"借"_s);
        const RecordSet rows = quantityLedgerRows();
        QCOMPARE(columnText(rows, u"ID"_s), u"8000 8030001001 8030002001 8039999998 8039999999 8050001001 8059999998 "
                                                    "8059999999 813"_s);
        // Everything out (line 5): level, no quantity, no unit price.
        QCOMPARE(QStringList({part(rows, u"余数"_s, 0, 2), part(rows, u"余单"_s, 0, 2), part(rows, u"借单"_s, 1, 1), part(rows, u"贷单"_s, 2, 2),
                              part(rows, u"方向"_s, 5, 5) + part(rows, u"余额"_s, 5, 5) + part(rows, u"余数"_s, 5, 5), part(rows, u"借数"_s, 7, 7),
                              part(rows, u"贷金"_s, 7, 7)}),
                 (QStringList{u"10 15 12"_s, u"10.000 10.667 10.833"_s, u"12.000"_s, u"10.000"_s, u"平--"_s, u"5"_s, u"160"_s}));

        // A credit account's stock runs in its direction, from an opening on its own side.
        addLines(u"8000000002 2241001001 - 100 10|8030003001 2241001001 - 50 5|8030004001 2241001001 30 - 3"_s);
        buildQuantityLedger(kYear, u"2241001001"_s, u"贷"_s);
        const RecordSet credit = quantityLedgerRows();
        QCOMPARE(part(credit, u"余数"_s, 0, 2) + QLatin1Char('|') + part(credit, u"余额"_s, 0, 2), u"10 15 12|100 150 120"_s);

        // Half-cent lines on a level-3 credit account: the running amount is the exact running
        // sum rounded (0.125, 0.25, 0.375 show 0.13, 0.25, 0.38), and so is the month's sum.
        addLines(u"8060001001 2202001001 - 0.125 1|8060001002 2202001001 - 0.125 1|8060001003 2202001001 - 0.125 1"_s);
        buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s);
        const RecordSet halves = quantityLedgerRows();
        QCOMPARE(QStringList({part(halves, u"余额"_s, 1, 3), part(halves, u"余单"_s, 1, 3), part(halves, u"贷金"_s, 4, 5), part(halves, u"余额"_s, -1, -1)}),
                 (QStringList{u"0.13 0.25 0.38"_s, u"0.130 0.125 0.127"_s, u"0.38 0.38"_s, u"0.38"_s}));

        QCOMPARE(depreciationTwin(u"1601"_s) + u' ' + depreciationTwin(u"1701003"_s) + u' ' + depreciationTwin(u"1601001002"_s),
                 u"1602 1702003 1602001002"_s);
        QCOMPARE(buildFixedAssetLedger(kYear, u"1602"_s, u"借"_s)->text, u"只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"_s);

        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s) && fixedAssetLedgerRows().count() == 1);
        addLines(u"8000000001 1601 1000 - 2|8000000002 1602 - 100|8030001001 1602 - 50|8040001001 1601 500 - 1"_s);
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s));
        const RecordSet assets = fixedAssetLedgerRows();
        QCOMPARE(columnText(assets, u"ID"_s), u"8000000000 8030001001 8039999998 8039999999 8040001001 8049999998 "
                                                    "8049999999 813"_s);
        QCOMPARE(columnText(assets, u"余额"_s) + u'|' + part(assets, u"折旧额"_s, 0, 1) + u' ' + part(assets, u"折旧额"_s, 6, 6), u"900 850 - - 1350 - - 1350|100 50 50"_s);
        QCOMPARE(part(assets, u"贷方金额"_s, 1, 1) + part(assets, u"余数"_s, 4, 4) + QLatin1Char(' ') + part(assets, u"借方金额"_s, 6, 6), u"-3 500"_s);
    }

    // A unit price is rounded half away from zero on the exact quotient, not on its binary
    // neighbour: 2.01 over 4 (0.5025) is 0.503 on a debit line and its balance, -0.503 on a red
    // credit line of a level-3 credit account and its balance; 2,195,675,491.51 over 1.001, just
    // short of a half, rounds down where the binary quotient rounds up.
    void unitPricesRoundOnTheDecimalValue()
    {
        addPayableLeaf();
        addLines(u"8030001001 1405 2.01 - 4|8030001002 2202001001 - -2.01 4|8030001003 1122 2195675491.51 - 1.001"_s);
        const QList<std::array<QString, 3>> cases = {{u"1405"_s, u"借"_s, u"0.503 - 0.503"_s},
                                                     {u"2202001001"_s, u"贷"_s, u"- -0.503 -0.503"_s},
                                                     {u"1122"_s, u"借"_s, u"2193482009.500 - 2193482009.500"_s}};
        for (const auto& [code, direction, prices] : cases) {
            buildQuantityLedger(kYear, code, direction);
            QCOMPARE(rowsAsText(u"SELECT 借单, 贷单, 余单 FROM 数量式 WHERE 摘要说明='业务'"_s), QStringList{prices});
        }
    }

    // Columns by name or by code; openings on both sides, a credit parent's one-sided columns,
    // one sub-account, clashing names and sub-accounts with children of their own.
    void multiColumnLedger()
    {
        expenses({u"6602001 办公费"_s, u"6602002 差旅费"_s, u"6602003 招待费"_s, u"2221001 进项税额"_s, u"2221002 销项税额"_s});
        addAccount(u"1002001"_s, u"工商银行"_s, u"银行存款/工商银行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"_s);
        addLines(u"8030001001 6602001 100 -|8030001002 6602002 50 -|8040001001 6602001 30 -|8030001003 2221001 200 -|"
                 "8030002001 2221002 - 300|8030003001 1002001 5 -"_s);
        QCOMPARE(buildMultiColumnRows(u"6603"_s, false)->text, u"没有明细或者明细超过250个,不能生成多栏式"_s);
        RecordSet rows = multiColumn(u"6602"_s);
        QCOMPARE(rows.fieldNames().mid(9).join(QLatin1Char(' ')), u"办公费 差旅费 招待费"_s);
        QCOMPARE(columnText(rows, u"ID"_s), u"8030001001 8030001002 8039999997 8039999998 8039999999 8040001001 "
                                            "8049999997 8049999998 8049999999"_s);
        QCOMPARE(columnText(rows, u"办公费"_s), u"100 - 100 100 100 30 30 130 130"_s);
        QCOMPARE(part(rows, u"余额"_s, 1, 1) + QLatin1Char(' ') + part(rows, u"借方合计"_s, 2, 2) + QLatin1Char(' ') + part(rows, u"差旅费"_s, 7, 7),
                 u"150 150 50"_s);
        QCOMPARE(multiColumn(u"6602"_s, u"借"_s, true).fieldNames().mid(9).join(QLatin1Char(' ')), u"001办公费 002差旅费 003招待费"_s);
        rows = multiColumn(u"2221"_s, u"贷"_s);
        QCOMPARE(columnText(rows, u"ID"_s), u"8030001003 8030002001 8039999997 8039999998 8039999999"_s);
        QCOMPARE(columnText(rows, u"销项税额"_s) + QLatin1Char('|') + columnText(rows, u"进项税额"_s), u"- 300 300 300 300|200 - 200 200 200"_s);
        QCOMPARE(part(rows, u"余额"_s, 0, 1) + u'|' + multiColumn(u"1002"_s).fieldNames().mid(9).join(u' '), u"-200 100|工商银行"_s);
        {
            TempProgram program;
            expenses({u"6602001 办公费"_s, u"6602002 差旅费"_s});
            addLines(u"8000000001 6602001 100 -|8000000002 6602002 - 30|8030001001 6602001 0.1 -|8030001002 6602001 0.2 -"_s);
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(part(rows, u"ID"_s, 0, 0) + part(rows, u"摘要说明"_s, 0, 0) + u' ' + part(rows, u"余额"_s, 0, 2), u"8009999997年初余额 70 70.1 70.3"_s);
            QCOMPARE(part(rows, u"办公费"_s, 0, 0) + QLatin1Char(' ') + part(rows, u"差旅费"_s, 0, 0) + QLatin1Char(' ')
                         + part(rows, u"办公费"_s, 3, 3) + QLatin1Char(' ') + part(rows, u"办公费"_s, -1, -1), u"100 -30 0.3 100.3"_s);
        }
        {
            TempProgram program;
            expenses({u"6602001 办公费"_s, u"6602002 办公费"_s, u"6602003 余额"_s, u"6602004 id"_s});
            addLines(u"8030001001 6602001 1 -|8030001002 6602002 2 -|8030001003 6602003 3 -|8030001004 6602004 4 -"_s);
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
            // Two lines under one ID make one row.
            addLines(u"8030001001 6602001001 40 -|8030001002 6602001002 60 -|8030001002 6602002 5 -"_s);
            const RecordSet rows = multiColumn(u"6602"_s);
            QCOMPARE(rows.fieldNames().mid(9).join(u' ') + u'|' + columnText(rows, u"办公费"_s) + u'|' + columnText(rows, u"差旅费"_s)
                         + u'|' + part(rows, u"借方合计"_s, 1, 1) + u' ' + part(rows, u"余额"_s, 1, 1),
                     u"办公费 差旅费|40 60 100 100 100|- 5 5 5 5|65 105"_s);
            // Of summaries equal but for case under one ID, the row shows the first.
            addLines(u"8040001001 6602002 1 -|8040001001 6602002 2 -"_s);
            execute(u"UPDATE 分2016 SET 摘要说明=iif(借方金额=1, 'taxi', 'TAXI') WHERE ID='8040001001'"_s);
            QCOMPARE(columnText(multiColumn(u"6602"_s), u"摘要说明"_s, u"|"_s).section(u'|', 5, 5), u"taxi"_s);
        }
    }

    // 245 direct sub-accounts still make a multi-column ledger, one column each; the 246th is
    // refused. Grandchildren never count.
    void multiColumnAtItsLimit()
    {
        for (int account = 1; account <= 245; ++account)
            addAccount(u"6602%1"_s.arg(account, 3, 10, QLatin1Char('0')), u"费%1"_s.arg(account), u"管理费用/费%1"_s.arg(account));
        addAccount(u"6602001001"_s, u"纸张"_s, u"管理费用/费1/纸张"_s);
        QVERIFY(!buildMultiColumnRows(u"6602"_s, false));
        QCOMPARE(scalar(u"SELECT count(*) FROM 多栏式1"_s).toInt(), 245);
        addAccount(u"6602246"_s, u"费246"_s, u"管理费用/费246"_s);
        QCOMPARE(shown(buildMultiColumnRows(u"6602"_s, false)), u"QM505提示|i|没有明细或者明细超过250个,不能生成多栏式"_s);
    }

    // Lines of several months written out of ledger order, an opening line, a posting on a
    // level-3 leaf and half-cent amounts: the running balance, the month, year-to-date and balance
    // lines and the columns, in the table and in the rows handed to the grid alike.
    void multiColumnLedgerAcrossMonths()
    {
        expenses({u"2221001 进项税额"_s, u"2221002 销项税额"_s});
        addAccount(u"2221002001"_s, u"销项"_s, u"应交税费/销项税额/销项"_s, u"贷"_s);
        addAccount(u"6001001"_s, u"主营"_s, u"主营业务收入/主营"_s, u"贷"_s);
        addAccount(u"6001002"_s, u"其他"_s, u"主营业务收入/其他"_s, u"贷"_s);
        addLines(u"8030001002 2221001 5 -|8000000001 2221001 10.125 -|8010001002 2221002 - 0.2|8010001001 2221002 - 0.1|"
                 "8030001001 2221002001 - 0.125|8020001002 6001002 30 -|8020001001 6001001 - 100"_s);
        const auto both = [](const QString& code, bool codeOrder = false) {
            QVERIFY(!buildMultiColumnRows(code, codeOrder));
            const RecordSet shown = buildMultiColumnPivot(kYear, code, u"贷"_s);
            QStringList lines;
            for (const auto row : shown) {
                QStringList fields;
                for (int field = 0; field < shown.fieldCount(); ++field)
                    fields << (row[field].isNull() ? u"-"_s : row[field].toString());
                lines << fields.join(u'|');
            }
            QCOMPARE(shown.fieldNames(), openRecordset(u"SELECT * FROM 多栏式"_s).fieldNames());
            QCOMPARE(lines, rowsAsText(u"SELECT * FROM 多栏式 ORDER BY 1, 5"_s, {}, u"|"_s));
        };
        both(u"2221"_s);
        QCOMPARE(rowsAsText(u"SELECT * FROM 多栏式 ORDER BY 1, 5"_s, {}, u"|"_s),
                 (QStringList{u"8009999997|-|-|-|年初余额|10.13|-|贷|-10.13|10.13|-"_s,
                              u"8010001001|2016-01-10|记|1|业务|-|0.1|贷|-10.03|-|0.1"_s,
                              u"8010001002|2016-01-10|记|1|业务|-|0.2|贷|-9.83|-|0.2"_s,
                              u"8019999997|-|-|-|本月合计|-|0.3|-|-|-|0.3"_s,
                              u"8019999998|-|-|-|本年累计|-|0.3|-|-|-|0.3"_s,
                              u"8019999999|-|-|-|余额|10.13|0.3|-|-|10.13|0.3"_s,
                              u"8030001001|2016-03-10|记|1|业务|-|0.13|贷|-9.7|-|0.13"_s,
                              u"8030001002|2016-03-10|记|1|业务|5|-|贷|-14.7|5|-"_s,
                              u"8039999997|-|-|-|本月合计|5|0.13|-|-|5|0.13"_s,
                              u"8039999998|-|-|-|本年累计|5|0.43|-|-|5|0.43"_s,
                              u"8039999999|-|-|-|余额|15.13|0.43|-|-|15.13|0.43"_s}));
        // The source rows: the seeds, every entry under its direct sub-account (the level-3 leaf's
        // under 2221002) with the running balance unrounded, and the sums per sub-account rounded.
        const QString source = u"SELECT * FROM 多栏式1 ORDER BY ID, 代码"_s;
        QCOMPARE(rowsAsText(source, {}, u"|"_s),
                 (QStringList{u"1111|2221001|-|-|-|-|-|-|平|0|进项税额"_s,
                              u"1111|2221002|-|-|-|-|-|-|平|0|销项税额"_s,
                              u"8000000001|2221001|-|记|-|年初余额|10.125|-|贷|-10.125|进项税额"_s,
                              u"8009999997|2221001|-|-|-|本月合计|10.13|-|-|-|进项税额"_s,
                              u"8010001001|2221002|2016-01-10|记|1|业务|-|0.1|贷|-10.025|销项税额"_s,
                              u"8010001002|2221002|2016-01-10|记|1|业务|-|0.2|贷|-9.825|销项税额"_s,
                              u"8019999997|2221002|-|-|-|本月合计|-|0.3|-|-|销项税额"_s,
                              u"8019999998|2221002|-|-|-|本年累计|-|0.3|-|-|销项税额"_s,
                              u"8019999999|2221001|-|-|-|余额|10.13|0|-|-|进项税额"_s,
                              u"8019999999|2221002|-|-|-|余额|0|0.3|-|-|销项税额"_s,
                              u"8030001001|2221002|2016-03-10|记|1|业务|-|0.125|贷|-9.7|销项税额"_s,
                              u"8030001002|2221001|2016-03-10|记|1|业务|5|-|贷|-14.7|进项税额"_s,
                              u"8039999997|2221001|-|-|-|本月合计|5|-|-|-|进项税额"_s,
                              u"8039999997|2221002|-|-|-|本月合计|-|0.13|-|-|销项税额"_s,
                              u"8039999998|2221001|-|-|-|本年累计|5|-|-|-|进项税额"_s,
                              u"8039999998|2221002|-|-|-|本年累计|-|0.43|-|-|销项税额"_s,
                              u"8039999999|2221001|-|-|-|余额|15.13|0|-|-|进项税额"_s,
                              u"8039999999|2221002|-|-|-|余额|0|0.43|-|-|销项税额"_s}));
        const QStringList pivot6001{u"8020001001|2016-02-10|记|1|业务|-|100|贷|100|100|-"_s,
                                    u"8020001002|2016-02-10|记|1|业务|30|-|贷|70|-|-"_s,
                                    u"8029999997|-|-|-|本月合计|30|100|-|-|100|-"_s,
                                    u"8029999998|-|-|-|本年累计|30|100|-|-|100|-"_s,
                                    u"8029999999|-|-|-|余额|-|70|-|-|100|-30"_s};
        // A later query leaves only its own source rows; with the code order the names carry the
        // code's last three digits, and the pivot stays as it was.
        for (const bool codeOrder : {false, true}) {
            both(u"6001"_s, codeOrder);
            QCOMPARE(rowsAsText(u"SELECT * FROM 多栏式 ORDER BY 1, 5"_s, {}, u"|"_s), pivot6001);
            const QString main = codeOrder ? u"001主营"_s : u"主营"_s;
            const QString other = codeOrder ? u"002其他"_s : u"其他"_s;
            QCOMPARE(rowsAsText(source, {}, u"|"_s),
                     (QStringList{u"1111|6001001|-|-|-|-|-|-|平|0|"_s + main, u"1111|6001002|-|-|-|-|-|-|平|0|"_s + other,
                                  u"8020001001|6001001|2016-02-10|记|1|业务|-|100|贷|100|"_s + main,
                                  u"8020001002|6001002|2016-02-10|记|1|业务|30|-|贷|70|"_s + other,
                                  u"8029999997|6001001|-|-|-|本月合计|-|100|-|-|"_s + main,
                                  u"8029999997|6001002|-|-|-|本月合计|30|-|-|-|"_s + other,
                                  u"8029999998|6001001|-|-|-|本年累计|-|100|-|-|"_s + main,
                                  u"8029999998|6001002|-|-|-|本年累计|30|-|-|-|"_s + other,
                                  u"8029999999|6001001|-|-|-|余额|-|100|-|-|"_s + main,
                                  u"8029999999|6001002|-|-|-|余额|-|-30|-|-|"_s + other}));
        }
        QVERIFY(buildMultiColumnRows(u"6603"_s, false));
        QCOMPARE(scalar(u"SELECT count(*) FROM 多栏式1"_s).toInt(), 0);

        // Below a cent the running balance shows "平" and keeps its value; the grid rounds it.
        TempProgram program;
        expenses({u"6602001 办公费"_s});
        addLines(u"8010001001 6602001 0.125 -|8010001002 6602001 - 0.12|8010001003 6602001 - 0.005"_s);
        const RecordSet rows = multiColumn(u"6602"_s);
        QCOMPARE(part(rows, u"方向"_s, 0, 2) + u'|' + part(rows, u"余额"_s, 0, 2) + u'|'
                     + rowsAsText(u"SELECT 方向, 余额 FROM 多栏式1 WHERE 日期 IS NOT NULL ORDER BY ID"_s).join(u','),
                 u"借 平 平|0.13 0.01 0|借 0.125,平 0.005,平 0"_s);
    }

    // Several lines under one ID, each finer than a cent, on a level-3 leaf of a credit-side
    // sub-account: the row, its column and the totals show the exact sum rounded half away from
    // zero (0.425 as 0.43, the red -0.425 as -0.43, 0.005 as 0.01, 32814.005 as 32814.01 where
    // the binary sum falls just short of the half cent); a column with no amount stays empty.
    void multiColumnLedgerSumsFinerThanACent()
    {
        addAccount(u"6001001"_s, u"主营"_s, u"主营业务收入/主营"_s, u"贷"_s, false);
        addAccount(u"6001001001"_s, u"产品"_s, u"主营业务收入/主营/产品"_s, u"贷"_s);
        addAccount(u"6001002"_s, u"其他"_s, u"主营业务收入/其他"_s, u"贷"_s);
        addLines(u"8020001001 6001001001 - 0.125|8020001001 6001001001 - 0.1|8020001001 6001001001 - 0.2|"
                 "8020001001 6001002 0.005 -|8030001001 6001001001 - -0.125|8030001001 6001001001 - -0.1|"
                 "8030001001 6001001001 - -0.2|8040001001 6001002 - 32813.7|8040001001 6001002 - 0.1|8040001001 6001002 - 0.2|"
                 "8040001001 6001002 - 0.005"_s);
        const RecordSet rows = multiColumn(u"6001"_s, u"贷"_s);
        QStringList shown;
        for (const auto row : rows) {
            QStringList fields;
            for (const QString& name : {u"ID"_s, u"借方合计"_s, u"贷方合计"_s, u"主营"_s, u"其他"_s})
                fields << (row[name].isNull() ? u"-"_s : row[name].toString());
            shown << fields.join(u' ');
        }
        QCOMPARE(shown, (QStringList{u"8020001001 0.01 0.43 0.43 -"_s, u"8029999997 0.01 0.43 0.43 -"_s,
                                     u"8029999998 0.01 0.43 0.43 -"_s, u"8029999999 - 0.42 0.43 -0.01"_s,
                                     u"8030001001 - -0.43 -0.43 -"_s, u"8039999997 - -0.43 -0.43 -"_s,
                                     u"8039999998 0.01 0 0 -"_s, u"8039999999 - -0.01 0 -0.01"_s,
                                     u"8040001001 - 32814.01 - 32814.01"_s, u"8049999997 - 32814.01 - 32814.01"_s,
                                     u"8049999998 0.01 32814.01 0 32814.01"_s, u"8049999999 - 32814 0 32814"_s}));
    }

    // Every ledger over March and April, voucher numbers restarting in April: cash (voucher 2 of
    // March debits 100, voucher 1 of April credits 30), a level-3 credit account with quantities
    // (opening 100 for 10, voucher 3 of March 50 for 5, voucher 1 of April a red -20 for -2), a fixed asset and an
    // expense column with a red April line. Worked by hand: cash runs 100 then 70, its year-to-date
    // debits are 100 in March and in April; the payable runs 150 then 130, 15 then 13 units.
    void ledgersAcrossMonths()
    {
        addPayableLeaf();
        expenses({u"6602001 办公费"_s});
        addLines(u"8000000001 2202001001 - 100 10|8030003001 2202001001 - 50 5|8030002001 1001 100 -|8040001001 1001 - 30|"
                 "8040001004 2202001001 - -20 -2|8000000002 1601 1000 - 2|8000000003 1602 - 100|8030002002 1601 500 - 1|"
                 "8040001002 1602 - 50|8030002003 6602001 100 -|8040001003 6602001 -30 -"_s);
        const auto threeColumn = [](const QString& code, const QString& direction, bool general) {
            general ? buildGeneralLedger(kYear, code, direction) : buildDetailLedger(kYear, code, direction);
            return rowsAsText(u"SELECT ID, 借方金额, 贷方金额, 方向, 余额 FROM 三总式 ORDER BY ID, 号码"_s);
        };
        const struct {
            QString code;
            QString direction;
            bool general;
            QStringList rows;
        } ledgers[] = {
            {u"1001"_s, u"借"_s, false,
             {u"8000 - - 平 -"_s, u"8030002001 100 - 借 100"_s, u"8039999998 100 - - -"_s, u"8039999999 100 - - -"_s,
              u"8040001001 - 30 借 70"_s, u"8049999998 - 30 - -"_s, u"8049999999 100 30 - -"_s, u"813 - - - 70"_s}},
            {u"1001"_s, u"借"_s, true,
             {u"8000 - - 平 -"_s, u"8031 100 - 借 100"_s, u"8032 100 - - -"_s, u"8041 - 30 借 70"_s, u"8042 100 30 - -"_s,
              u"8123 - - - 70"_s}},
            {u"2202001001"_s, u"贷"_s, false,
             {u"8000 - - 贷 100"_s, u"8030003001 - 50 贷 150"_s, u"8039999998 - 50 - -"_s, u"8039999999 - 50 - -"_s,
              u"8040001004 - -20 贷 130"_s, u"8049999998 - -20 - -"_s, u"8049999999 - 30 - -"_s, u"813 - - - 130"_s}},
            // The level-1 general ledger sums its level-3 leaf.
            {u"2202"_s, u"贷"_s, true,
             {u"8000 - - 贷 100"_s, u"8031 - 50 贷 150"_s, u"8032 - 50 - -"_s, u"8041 - -20 贷 130"_s, u"8042 - 30 - -"_s,
              u"8123 - - - 130"_s}},
        };
        for (const auto& ledger : ledgers)
            QCOMPARE(threeColumn(ledger.code, ledger.direction, ledger.general), ledger.rows);

        // The quantity ledger: units and amounts run in the credit direction, each month's total
        // and the year to date after it (3 units and 30 by April).
        buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 贷数, 贷金, 方向, 余数, 余额 FROM 数量式 ORDER BY ID"_s),
                 (QStringList{u"8000 - - 贷 10 100"_s, u"8030003001 5 50 贷 15 150"_s, u"8039999998 5 50 - - -"_s,
                              u"8039999999 5 50 - - -"_s, u"8040001004 -2 -20 贷 13 130"_s, u"8049999998 -2 -20 - - -"_s,
                              u"8049999999 3 30 - - -"_s, u"813 - - - 13 130"_s}));

        // The fixed asset: 1000 less 100 depreciated opens at 900 net; 500 bought in March for
        // one unit, 50 depreciated in April: 1400, then 1350.
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s));
        QCOMPARE(rowsAsText(u"SELECT ID, 借方金额, 折旧额, 余数, 余额 FROM 固累式 ORDER BY ID"_s),
                 (QStringList{u"8000000000 1000 100 2 900"_s, u"8030002002 500 - 3 1400"_s, u"8039999998 500 - - -"_s,
                              u"8039999999 500 - - -"_s, u"8040001002 - 50 3 1350"_s, u"8049999998 - 50 - -"_s,
                              u"8049999999 500 50 - -"_s, u"813 - - 3 1350"_s}));

        // The expense column: 100 in March, a red -30 in April: 100, then 70.
        const RecordSet columns = multiColumn(u"6602"_s);
        QCOMPARE(columnText(columns, u"ID"_s) + u'|' + columnText(columns, u"办公费"_s) + u'|' + columnText(columns, u"余额"_s),
                 u"8030002003 8039999997 8039999998 8039999999 8040001003 8049999997 8049999998 8049999999|"
                 "100 100 100 100 -30 -30 70 70|100 - - - 70 - - -"_s);
    }

    // The balance table of March and of April, by level, across the two months: the level-3
    // credit account's quantities and amounts read in its direction (closing 15 units, 150 in
    // March; 13 and 130 in April after the red -20 for -2), cash opens April at 100.
    void balanceTableAcrossMonths()
    {
        addPayableLeaf();
        addLines(u"8000000001 2202001001 - 100 10|8030003001 2202001001 - 50 5|8030002001 1001 100 -|8040001001 1001 - 30|"
                 "8040001004 2202001001 - -20 -2"_s);
        const auto table = [](const QString& month, const QString& level) {
            [&] { QVERIFY(!buildBalanceTable(kYear, month, level)); }();
            return rowsAsText(u"SELECT 科目代码, 方向, 期初数量, 期初金额, 本期借金, 本期贷数, 本期贷金, 累计借金, 累计贷数, 累计贷金, "
                              "期末数量, 期末金额 FROM 数量式余额表 WHERE 科目代码 IN ('1001', '2202', '2202001001') ORDER BY 1"_s);
        };
        QCOMPARE(table(u"3"_s, u"1"_s), (QStringList{u"1001 借 - - 100 - - 100 - - - 100"_s, u"2202 贷 10 100 - 5 50 - 5 50 15 150"_s}));
        QCOMPARE(table(u"4"_s, u"3"_s), (QStringList{u"1001 借 - 100 - - 30 100 - 30 - 70"_s,
                                                     u"2202 贷 15 150 - -2 -20 - 3 30 13 130"_s,
                                                     u"2202001001 贷 15 150 - -2 -20 - 3 30 13 130"_s}));

        // Stock in units: 1405 opens with 10, takes 2 in March and gives all 12 out in April; 1403's
        // opening nets to no units, then takes 3 in March. Debits of the month and of the year,
        // openings and closings of no units left empty, and the totals' units of the month.
        addLines(u"8000000003 1405 100 - 10|8030005001 1405 20 - 2|8040005001 1405 - 120 12|"
                 "8000000004 1403 50 - 5|8000000005 1403 - 50 5|8030006001 1403 30 - 3"_s);
        const struct {
            const char16_t* month;
            QStringList rows;  // 科目代码, 期初数量, 本期借数, 本期贷数, 累计借数, 累计贷数, 期末数量
        } stock[] = {
            {u"3", {u"1403 - 3 - 3 - 3"_s, u"1405 10 2 - 2 - 12"_s, u"8 - 5 5 5 5 -"_s}},
            {u"4", {u"1403 3 - - 3 - 3"_s, u"1405 12 - 12 2 12 -"_s, u"8 - 0 10 5 15 -"_s}},
        };
        for (const auto& each : stock) {
            QVERIFY(!buildBalanceTable(kYear, QString::fromUtf16(each.month), u"1"_s));
            QCOMPARE(
                rowsAsText(
                    u"SELECT 科目代码, 期初数量, 本期借数, 本期贷数, 累计借数, 累计贷数, 期末数量 FROM 数量式余额表 "
                    "WHERE 科目代码 IN ('1403', '1405', '8') ORDER BY 1"_s),
                each.rows);
        }
    }

    // Each builder starts from an empty table of its own: built twice, a ledger holds its lines
    // once, and the page table its pages once.
    void ledgersBuiltTwice()
    {
        addPayableLeaf();
        addLines(u"8000000001 2202001001 - 0.125 1|8030001001 2202001001 - 0.1 1|8030002001 2202001001 - 0.2 1|"
                 "8000000002 1601 1000 - 2|8000000003 1602 - 100|8030003001 1602 - 0.125"_s);
        const struct {
            QString table;
            std::function<void()> build;
        } builders[] = {
            {u"三总式"_s, [] { buildDetailLedger(kYear, u"2202001001"_s, u"贷"_s); }},
            {u"三总式"_s, [] { buildGeneralLedger(kYear, u"2202001001"_s, u"贷"_s); }},
            {u"数量式"_s, [] { buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s); }},
            {u"固累式"_s, [] { buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s); }},
            {u"三栏帐页"_s, [] { buildLedgerPages(PagedLedger::ThreeColumn); }},
        };
        for (const auto& builder : builders) {
            const QString rows = u"SELECT * FROM %1 ORDER BY ID, rowid"_s.arg(builder.table);
            builder.build();
            const QStringList once = rowsAsText(rows);
            builder.build();
            QCOMPARE(rowsAsText(rows), once);
        }
        // Month total and year to date once each: 0.1 + 0.2 exactly, two units.
        const RecordSet quantity = quantityLedgerRows();
        QCOMPARE(QStringList({columnText(quantity, u"ID"_s), columnText(quantity, u"贷数"_s), columnText(quantity, u"贷金"_s),
                              columnText(quantity, u"余额"_s)}),
                 (QStringList{u"8000 8030001001 8030002001 8039999998 8039999999 813"_s, u"- 1 1 2 2 -"_s, u"- 0.1 0.2 0.3 0.3 -"_s,
                              u"0.13 0.23 0.43 - - 0.43"_s}));
        QCOMPARE(columnText(fixedAssetLedgerRows(), u"余额"_s), u"900 899.88 - - 899.88"_s);

        // A refused fixed-asset ledger leaves no earlier one behind.
        QVERIFY(buildFixedAssetLedger(kYear, u"1602"_s, u"借"_s) && fixedAssetLedgerRows().isEmpty());
    }

    // A balance at the cent's edge, on the level-3 credit account (its own side first) and mirrored
    // on a level-3 fixed asset: the detail, general, quantity and fixed-asset ledgers round the
    // exact balance to the cent and show "平" and no balance only where that leaves nothing; the
    // multi-column source keeps the exact balance and shows "平" below a cent, not at one.
    void balancesAtTheCentsEdge()
    {
        addPayableLeaf();
        const struct {
            const char* own;      // on the account's own side
            const char* other;    // on the other side, after it
            const char* rounded;  // the balance at the cent; "-" where it leaves nothing
            const char* exact;    // the multi-column source's balance, "平" before it when below a cent
        } cases[] = {
            {"0.123", "0.125", "-", "平 -0.002"},    {"0.125", "0.123", "-", "平 0.002"},
            {"0.125", "0.129", "-", "平 -0.004"},    {"0.125", "0.12", "0.01", "平 0.005"},
            {"0.12", "0.125", "-0.01", "平 -0.005"}, {"0.134", "0.125", "0.01", "平 0.009"},
            {"0.13", "0.12", "0.01", "贷 0.01"},     {"0.12", "0.13", "-0.01", "贷 -0.01"},
        };
        const auto shown = [](const QString& direction, const char* rounded) {
            return QLatin1String(rounded) == "-"_L1 ? u"平 -"_s : direction + u' ' + QLatin1String(rounded);
        };
        const auto lineOf = [](const QString& table, const QString& id) {
            return rowsAsText(u"SELECT 方向, 余额 FROM %1 WHERE ID=?"_s.arg(table), {id}).join(u'|');
        };
        for (const auto& each : cases) {
            execute(u"DELETE FROM 分2016"_s);
            addLines(
                u"8030001001 2202001001 - %1|8030001002 2202001001 %2 -|8030002001 1601001001 %1 -|8030002002 1601001001 - %2"_s
                    .arg(QLatin1String(each.own), QLatin1String(each.other)));
            const QString credit = shown(u"贷"_s, each.rounded);
            buildDetailLedger(kYear, u"2202001001"_s, u"贷"_s);
            QStringList actual{lineOf(u"三总式"_s, u"8030001002"_s)};
            buildGeneralLedger(kYear, u"2202001001"_s, u"贷"_s);
            actual << lineOf(u"三总式"_s, u"8031"_s);
            buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s);
            actual << lineOf(u"数量式"_s, u"8030001002"_s);
            buildFixedAssetLedger(kYear, u"1601001001"_s, u"借"_s);
            actual << lineOf(u"固累式"_s, u"8030002002"_s);
            multiColumn(u"2202001"_s, u"贷"_s);
            actual << lineOf(u"多栏式1"_s, u"8030001002"_s) << lineOf(u"多栏式"_s, u"8030001002"_s);
            // The pivot row: the source's "平" or direction, the balance rounded to the cent.
            const QString exact = QString::fromUtf8(each.exact);
            const QStringList expected{
                credit,
                credit,
                credit,
                shown(u"借"_s, each.rounded),
                exact,
                exact.section(u' ', 0, 0) + u' '
                    + (QLatin1String(each.rounded) == "-"_L1 ? u"0"_s : QLatin1String(each.rounded))};
            QCOMPARE(QLatin1String(each.own) + u' ' + actual.join(u", "_s),
                     QLatin1String(each.own) + u' ' + expected.join(u", "_s));
        }
    }

    // Two units of a level-3 fixed asset bought in March and depreciated, one disposed of in April
    // with its depreciation written back, the other in May: the count runs 2, 1, then nothing,
    // the net value 1000, 900, 400, 450, then level; the disposals sum on the credit side.
    void fixedAssetDisposals()
    {
        addLines(u"8030001001 1601001001 1000 - 2|8030001002 1602001001 - 100|8040001001 1601001001 - 500 1|"
                 "8040001002 1602001001 50 -|8050001001 1601001001 - 500 1|8050001002 1602001001 50 -"_s);
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601001001"_s, u"借"_s));
        QCOMPARE(
            rowsAsText(
                u"SELECT ID, 借数, 贷数, 借方金额, 贷方金额, 折旧额, 方向, 余数, 余额 FROM 固累式 ORDER BY ID, 号码"_s),
            (QStringList{u"8000000000 0 - 0 - 0 借 0 0"_s, u"8030001001 2 - 1000 - - 借 2 1000"_s,
                         u"8030001002 - - - - 100 借 2 900"_s, u"8039999998 2 - 1000 - 100 - - -"_s,
                         u"8039999999 2 - 1000 - 100 - - -"_s, u"8040001001 - 1 - 500 - 借 1 400"_s,
                         u"8040001002 - - - - -50 借 1 450"_s, u"8049999998 - 1 - 500 -50 - - -"_s,
                         u"8049999999 2 1 1000 500 50 - - -"_s, u"8050001001 - 1 - 500 - 借 - -50"_s,
                         u"8050001002 - - - - -50 平 - -"_s, u"8059999998 - 1 - 500 -50 - - -"_s,
                         u"8059999999 2 2 1000 1000 0 - - -"_s, u"813 - - - - - - 0 0"_s}));
    }

    // A quantity left at exactly 0.01 still shows, in the quantity ledger (the level-3 credit
    // account) and the fixed-asset ledger; a balance that comes to nothing while units remain is
    // priced at 0.000.
    void quantitiesAtAHundredth()
    {
        addPayableLeaf();
        addLines(u"8000000001 2202001001 - 1 0.01|8030001001 2202001001 1 -|8000000002 1601001001 1000 - 0.01|"
                 "8030002001 1602001001 - 100"_s);
        buildQuantityLedger(kYear, u"2202001001"_s, u"贷"_s);
        QCOMPARE(
            rowsAsText(u"SELECT ID, 方向, 余数, 余单, 余额 FROM 数量式 WHERE 摘要说明 NOT LIKE ' %' ORDER BY ID"_s),
            (QStringList{u"8000 贷 0.01 100.000 1"_s, u"8030001001 平 0.01 0.000 -"_s, u"813 - 0.01 - 0"_s}));
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601001001"_s, u"借"_s));
        QCOMPARE(rowsAsText(u"SELECT ID, 余数, 余额 FROM 固累式 WHERE 摘要说明 NOT LIKE ' %' ORDER BY ID"_s),
                 (QStringList{u"8000000000 0.01 1000"_s, u"8030002001 0.01 900"_s, u"813 0.01 900"_s}));
    }

    // Fixed assets (1601) and intangibles (1701), at any level, have a fixed-asset ledger: cost
    // less depreciation or amortisation; their twins and other accounts are refused.
    void fixedAssetLedgerCodes()
    {
        addLines(
            u"8000000001 1701 300 - 1|8030001001 1702 - 10|8000000002 1601001 1000 -|8030002001 1602001 - 0.125"_s);
        const struct {
            const char16_t* code;
            const char16_t* balances;  // the 余额 column, or the refusal
        } cases[] = {
            {u"1701", u"300 290 - - 290"},
            {u"1601001", u"1000 999.88 - - 999.88"},
            {u"1702", u"只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"},
            {u"1602001", u"只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"},
            {u"1405", u"只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"},
        };
        for (const auto& each : cases) {
            const std::optional<Message> refusal = buildFixedAssetLedger(kYear, QString::fromUtf16(each.code), u"借"_s);
            QCOMPARE(refusal ? refusal->text : columnText(fixedAssetLedgerRows(), u"余额"_s),
                     QString::fromUtf16(each.balances));
        }
    }

    // Rows updated from a list keep each value as it was given: whole numbers whole, texts with
    // their quotes, backslashes and line breaks, empty values empty.
    void updatedRowsKeepTheirValues()
    {
        execute(u"CREATE TEMP TABLE 行 (甲, 乙)"_s);
        execute(u"INSERT INTO 行 (rowid, 甲, 乙) VALUES (1, 'x', 'x'), (2, 'x', 'x'), (3, 'x', 'x')"_s);
        updateRows(u"行"_s, {u"甲"_s, u"乙"_s},
                   {{qint64(1), qint64(7), u"说\"是\""_s}, {3, 12, u"a\\b\nc"_s}, {qint64(2), QVariant(), u"\t"_s}});
        QCOMPARE(rowsAsText(u"SELECT rowid, typeof(甲), 甲, 乙 FROM 行 ORDER BY rowid"_s, {}, u"|"_s),
                 (QStringList{u"1|integer|7|说\"是\""_s, u"2|null|-|\t"_s, u"3|integer|12|a\\b\nc"_s}));
    }

    // The order the ledgers put their rows in, in code, is the database's ORDER BY over the same
    // values, ascending and descending, by bytes and under NOCASE: NULL, whole and real numbers
    // (negative, 2 and 2.0, either side of 2^53 and at the ends of the integers), texts in Chinese,
    // in mixed case and with the signs between the capitals and the small letters, many keys equal.
    // Rows of equal keys keep the order they were read in, as the row number after the key does.
    void ledgerOrderIsTheDatabasesOrder()
    {
        QRandomGenerator random(505);
        const QStringList pieces{u"a"_s, u"A"_s, u"b"_s, u"B"_s,  u"z"_s,  u"Z"_s, u"_"_s,
                                 u"["_s, u"1"_s, u" "_s, u"甲"_s, u"乙"_s, u"中"_s};
        const qint64 edge = qint64(1) << 53;
        const auto randomValue = [&]() -> QVariant {
            const int sign = random.bounded(2) ? 1 : -1;
            switch (random.bounded(8)) {
            case 0:
                return {};
            case 1:
                return qint64(random.bounded(7) - 3);
            case 2:
                return (random.bounded(49) - 24) / 8.0;
            case 3:
                return sign * (edge + random.bounded(5) - 2);
            case 4:
                return sign * double(edge + 2 * (random.bounded(3) - 1));
            case 5:
                return random.bounded(2) ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
            case 6:
                return sign * 9223372036854775808.0;
            default: {
                QString text;
                for (int piece = int(random.bounded(4)); piece > 0; --piece)
                    text += pieces[random.bounded(int(pieces.size()))];
                return text;
            }
            }
        };
        execute(u"CREATE TEMP TABLE 次序 (序 INTEGER, 值, 次)"_s);
        for (int row = 0; row < 800; ++row)
            execute(u"INSERT INTO 次序 VALUES (?, ?, ?)"_s, {row, randomValue(), pieces[random.bounded(4)]});
        const RecordSet values = openRecordset(u"SELECT 值, 次, 序 FROM 次序 ORDER BY 序"_s);
        const auto listed = [&values](const std::vector<int>& rows) {
            QStringList lines;
            for (const int row : rows)
                lines << values.value(row, 2).toString() + u' '
                             + (values.value(row, 0).isNull() ? u"-"_s : values.value(row, 0).toString());
            return lines;
        };
        for (const bool noCase : {false, true}) {
            for (const bool descending : {false, true}) {
                std::vector<int> rows(std::size_t(values.count()));
                std::iota(rows.begin(), rows.end(), 0);
                std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
                    const int order = compareCells(values.cell(a, 0), values.cell(b, 0), noCase);
                    return descending ? order > 0 : order < 0;
                });
                QCOMPARE(listed(rows),
                         rowsAsText(u"SELECT 序, 值 FROM 次序 ORDER BY 值 %1 %2, 序"_s.arg(
                             noCase ? u"COLLATE NOCASE"_s : QString(), descending ? u"DESC"_s : QString())));
            }
            // The ledger order: the key under NOCASE, then the second key by bytes or under NOCASE.
            std::vector<int> rows(std::size_t(values.count()));
            std::iota(rows.begin(), rows.end(), 0);
            sortInLedgerOrder(rows, values, 0, 1, noCase);
            QCOMPARE(listed(rows), rowsAsText(u"SELECT 序, 值 FROM 次序 ORDER BY 值 COLLATE NOCASE, 次 %1, 序"_s.arg(
                                       noCase ? u"COLLATE NOCASE"_s : QString())));
        }
    }

    void ledgerPages()
    {
        ledgerOf(0);
        QVERIFY(buildLedgerPages(PagedLedger::ThreeColumn) == 1 && scalar(u"SELECT count(*) FROM 三栏帐页"_s).toInt() == 0);
        ledgerOf(17);
        QVERIFY(buildLedgerPages(PagedLedger::ThreeColumn) == 1);
        QCOMPARE(QString::number(page(1).size()) + QLatin1Char(' ') + page(1).last(), u"19 815||"_s);

        // A full page whose last line is a month total carries the balance of the line above
        // it; the next page opens with it.
        ledgerOf(18, QVariant());
        QVERIFY(buildLedgerPages(PagedLedger::ThreeColumn) == 1);
        QCOMPARE(QString::number(page(1).size()) + QLatin1Char(' ') + page(1).last() + u' ' + page(2).join(u','),
                 u"19 80100010181|  过 次 页|170 80100010182|  承 前 页|170"_s);

        // A last line that leaves the account level carries 0.
        ledgerOf(19, u"平"_s);
        QVERIFY(buildLedgerPages(PagedLedger::ThreeColumn) == 2 && page(2).size() == 19);
        QCOMPARE(QStringList({page(1).last(), page(2).at(0), page(2).at(1), page(2).last()}),
                 (QStringList{u"80100010181|  过 次 页|0"_s, u"80100010182|  承 前 页|0"_s, u"8010001019|行|190"_s, u"830||"_s}));

        ledgerOf(40);
        QVERIFY(buildLedgerPages(PagedLedger::ThreeColumn) == 3 && page(2).size() == 20 && page(3).size() == 19);
        QCOMPARE(QStringList({page(2).last(), page(3).at(1), page(3).at(5), page(3).last()}),
                 (QStringList{u"80100010361|  过 次 页|360"_s, u"8010001037|行|370"_s, u"814||"_s, u"827||"_s}));

        // Line 17 has a balance but no quantity; line 18 is the month total.
        for (int line = 1; line <= 17; ++line)
            execute(u"INSERT INTO 数量式 (ID, 方向, 余数, 余额) VALUES (?, '借', ?, ?)"_s,
                    {u"8010001%1"_s.arg(line, 3, 10, QLatin1Char('0')), line == 17 ? QVariant() : QVariant(line), line * 5.1});
        execute(u"INSERT INTO 数量式 (ID, 摘要说明, 借数, 借金) VALUES ('8019999998', ' 本月合计', 3, 99)"_s);
        QCOMPARE(buildLedgerPages(PagedLedger::Quantity), 1);
        QCOMPARE(rowsAsText(u"SELECT ifnull(余数, 0), round(余额, 2), 月 FROM 数量帐页 " "WHERE 摘要说明 IN ('  过 次 页', '  承 前 页') ORDER BY ID"_s),
                 (QStringList{u"0 86.7 1"_s, u"0 86.7 2"_s}));
    }

};

QTEST_GUILESS_MAIN(TestLedgers)
#include "test_ledgers.moc"

#include "support/common.h"
#include "accounts/opening_balances.h"

namespace {

void setOpening(const QString& code, const QVariant& quantity, const QVariant& debit, const QVariant& credit)
{
    setOpeningValue(code, u"数量"_s, quantity);
    setOpeningValue(code, u"借方金额"_s, debit);
    setOpeningValue(code, u"贷方金额"_s, credit);
}

QStringList openingRows()
{
    return rowsAsText(u"SELECT ID, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 月 FROM 分2016 WHERE substr(ID,1,3)='800' ORDER BY ID"_s);
}

QString totals(const TrialBalance& balance)
{
    return balance.debitText + u' ' + balance.creditText + (balance.balanced ? u" 平衡"_s : u" 不平衡"_s);
}

}  // namespace

class TestOpeningBalances : public QObject {
    Q_OBJECT

private slots:
    void trialBalanceThenLoadingTheOpeningRows()
    {
        TempProgram program;
        addPayableLeaf();
        QCOMPARE(totals(trialBalanceOfChart()), u"0.00 0.00 平衡"_s);
        setOpening(u"1001"_s, QVariant(), 1000.1, QVariant());
        setOpening(u"1002"_s, QVariant(), 0.2, QVariant());
        setOpening(u"4001"_s, QVariant(), QVariant(), 1000.004);
        setOpening(u"2202001001"_s, QVariant(), QVariant(), 0.3);
        QCOMPARE(totals(trialBalanceOfChart()), u"1,000.30 1,000.30 平衡"_s);
        setOpening(u"4001"_s, QVariant(), QVariant(), 1000.02);
        const TrialBalance balance = trialBalanceOfChart();
        QCOMPARE(totals(balance), u"1,000.30 1,000.32 不平衡"_s);

        QCOMPARE(shown(checkOpeningRowsChange(false, true, balance).refusal), u"QM505|stop|借贷不平"_s);
        QCOMPARE(checkOpeningRowsChange(false, false, balance).refusal->text, u"请先点[显示科目]"_s);
        QCOMPARE(checkOpeningRowsChange(true, false, balance).refusal->text, u"请先点[调出年初数]"_s);
        setOpening(u"4001"_s, QVariant(), QVariant(), 1000.0);
        QCOMPARE(checkOpeningRowsChange(false, true, trialBalanceOfChart()).question->text, u"是否装入年初数据?"_s);
        QCOMPARE(checkOpeningRowsChange(true, true, trialBalanceOfChart()).question->text, u"是否修改年初数据?"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, setOpeningValue(u"1001"_s, u"科目名称"_s, 1));

        // Loading replaces the opening rows only.
        addLine(u"8000000001"_s, u"1122"_s, 9.0, QVariant());
        addLine(u"8000000002"_s, u"2202"_s, QVariant(), 9.0);
        addLine(u"8030001001"_s, u"1001"_s, 5.0, QVariant());
        // Typed in another order than the codes run; amounts are written to the cent, and one
        // that rounds to nothing is no amount.
        setOpening(u"4001"_s, QVariant(), QVariant(), 1000.0);
        setOpening(u"2202001001"_s, 3.0, QVariant(), 0.125);
        setOpening(u"1405"_s, 10.0, QVariant(), QVariant());
        setOpening(u"1002"_s, 20.0, 600.0, 0.001);
        setOpening(u"1001"_s, QVariant(), 400.25, QVariant());

        // A load that fails part way leaves the year as it was.
        const QStringList before = dumpTable(u"分2016"_s);
        execute(u"CREATE TRIGGER stop BEFORE INSERT ON 分2016 WHEN NEW.代码='4001' BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, loadOpeningRows(kYear));
        QCOMPARE(dumpTable(u"分2016"_s), before);
        execute(u"DROP TRIGGER stop"_s);

        QCOMPARE(loadOpeningRows(kYear).text, u"已装入成功"_s);
        QCOMPARE(openingRows(), (QStringList{u"8000000001 年初余额 1001 - 400.25 - -"_s, u"8000000002 年初余额 1002 20 600 - -"_s,
                                             u"8000000003 年初余额 2202001001 3 - 0.13 -"_s,
                                             u"8000000004 年初余额 4001 - - 1000 -"_s}));
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE ID='8030001001'"_s).toInt(), 1);

        // Fetched back, edited and rewritten; a row whose account left the chart is dropped.
        addLine(u"8000000005"_s, u"9999"_s, 1.0, QVariant());
        fetchOpeningRows(kYear);
        std::vector<OpeningRow> fetched = fetchedOpeningRows();
        QCOMPARE(fetched.size(), size_t(4));
        QCOMPARE(fetched[2].fullName, u"应付账款/甲/材料款"_s);
        setFetchedOpeningValue(fetched[1].lineId, u"借方金额"_s, 550.0);
        setFetchedOpeningValue(fetched[0].lineId, u"借方金额"_s, 450.125);
        QVERIFY(trialBalanceOfWorkCopy().balanced);
        QCOMPARE(rewriteOpeningRows(kYear).text, u"已修改成功"_s);
        QCOMPARE(openingRows(), (QStringList{u"8000000001 年初余额 1001 - 450.13 - -"_s, u"8000000002 年初余额 1002 20 550 - -"_s,
                                             u"8000000003 年初余额 2202001001 3 - 0.13 -"_s,
                                             u"8000000004 年初余额 4001 - - 1000 -"_s}));
        QCOMPARE(scalar(u"SELECT 借方金额 FROM 科目表 WHERE 科目代码='1002'"_s).toString(), u"600"_s);

        // No amounts at all: the load only deletes.
        execute(u"UPDATE 科目表 SET 数量=NULL, 借方金额=NULL, 贷方金额=NULL"_s);
        loadOpeningRows(kYear);
        QVERIFY(openingRows().isEmpty());
        QCOMPARE(openingRowId(40000), u"8000040000"_s);
    }
};

QTEST_GUILESS_MAIN(TestOpeningBalances)
#include "test_opening_balances.moc"

#include "support/common.h"
#include "support/books_test.h"
#include "vouchers/exchange_adjustment.h"
#include "vouchers/month_closing.h"

namespace {

QStringList closingVoucher(int month)
{
    return rowsAsText(u"SELECT ID, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 结帐=2 AND 月=? ORDER BY ID"_s, {month});
}

ClosingResult closeOn12th(int month)
{
    return closeMonth(QDate(kYear, month, 12), u"会计"_s, u"管理员"_s, kYear);
}

const ExchangeVoucherHeader kHeader{QDate(kYear, 3, 31), u"转"_s, 3, u"管理员"_s};

// Dollars in the bank and in receivables, flagged; a third flagged account without a balance.
void dollarBooks()
{
    addAccount(u"1002001"_s, u"美元户"_s, u"银行存款/美元户"_s);
    addAccount(u"1122001"_s, u"美国客户"_s, u"应收账款/美国客户"_s);
    addAccount(u"1122002"_s, u"欧洲客户"_s, u"应收账款/欧洲客户"_s);
    execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码 IN ('1002','1122')"_s);
    execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码 IN ('1002001','1122001','1122002')"_s);
    addLines(u"8000000001 1002001 6800 - 1000|8030001001 1002001 - 680 100|8030001002 1001 680 -|8030002001 1122001 3400 - 500|"
             "8030002002 6001 - 3400|8040001001 1122001 70 -|8040001002 6001 - 70"_s);
}

QStringList exchangeTable()
{
    return rowsAsText(u"SELECT 代码, 科目全称, 数量, 调整前金额, 汇率, 调整后金额, 损益 FROM 调汇 ORDER BY ID"_s);
}

QStringList postedVoucher()
{
    return rowsAsText(u"SELECT ID, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 号码=3 AND 月=3 ORDER BY ID"_s);
}

}  // namespace

class TestMonthEnd : public BooksTest {
    Q_OBJECT

private slots:
    void closingCarriesIncomeAndExpenseTo4103()
    {
        addLines(u"8030001001 1122 1000 -|8030001002 6001 - 1000|8030002001 6401 600 -|8030002002 1405 - 600|8030003001 6602 50.5 -|"
                 "8030003002 1001 - 50.5|8030004001 5001 30 -|8030004002 1403 - 30|8030005001 1001 0.3 -|8030005002 6051 - 0.1|"
                 "8030005003 6051 - 0.2|8030005004 6301 20 -|8030005005 6301 - 20|8040001001 1122 77 -|8040001002 6001 - 77"_s);
        const QStringList before = dumpTable(u"分2016"_s);

        // A closing that fails part way leaves the month open and as it was.
        execute(u"CREATE TRIGGER no_closing BEFORE INSERT ON 分2016 WHEN NEW.结帐=2 BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, closeOn12th(3));
        QCOMPARE(dumpTable(u"分2016"_s), before);
        execute(u"DROP TRIGGER no_closing"_s);

        QVERIFY(!checkCloseMonth(QDate(kYear, 3, 12), u"会计"_s, kYear).refusal);
        const ClosingResult result = closeOn12th(3);
        QVERIFY(result.carried && shown(result.message) == u"QM505系统|i|收入/费用已成功结转！"_s);
        // Lines keep the working copy's counter: the cancelled 6301 line leaves a gap at 003.
        QCOMPARE(closingVoucher(3), (QStringList{u"8030006001 6001 1000 -"_s, u"8030006002 6051 0.3 -"_s,
                                                 u"8030006004 4103 - 1000.3"_s, u"8030006005 4103 650.5 -"_s,
                                                 u"8030006006 6401 - 600"_s, u"8030006007 6602 - 50.5"_s}));
        QCOMPARE(rowsAsText(u"SELECT DISTINCT 日期, 字号, 号码, 摘要说明, 附件, 审核, 制单 FROM 分2016 WHERE 结帐=2"_s),
                 QStringList{u"2016-03-31 记 6 结转本期损益 1 会计 管理员"_s});
        QCOMPARE(rowsAsText(u"SELECT 月, 结帐, count(*) FROM 分2016 GROUP BY 月, 结帐"_s),
                 (QStringList{u"3 1 13"_s, u"3 2 6"_s, u"4 - 2"_s}));

        QCOMPARE(checkCloseMonth(QDate(kYear, 3, 1), u"会计"_s, kYear).refusal->text, u"3  月份已结帐,请先进行反结帐"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, closeOn12th(3));
        QCOMPARE(shown(checkReopenMonth(3, kYear).question), u"QM505提示||是否进行反结帐?(3月份)"_s);
        reopenMonth(3, kYear);
        QCOMPARE(dumpTable(u"分2016"_s), before);
    }

    void closingVoucherBalancesOverAmountsFinerThanACent()
    {
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"_s);
        addAccount(u"6602001"_s, u"办公"_s, u"管理费用/办公"_s, u"借"_s, false);
        addAccount(u"6602001001"_s, u"纸张"_s, u"管理费用/办公/纸张"_s);
        addLines(u"8060001001 1001 0.25 -|8060001002 6001 - 0.125|8060001003 6051 - 0.125|8060002001 6601 0.375 -|"
                 "8060002002 6602001001 0.375 -|8060002003 1001 - 0.75"_s);
        closeOn12th(6);
        // Each line is rounded on its own, and 4103 takes the sum of the rounded lines.
        QCOMPARE(closingVoucher(6), (QStringList{u"8060003001 6001 0.13 -"_s, u"8060003002 6051 0.13 -"_s,
                                                 u"8060003003 4103 - 0.26"_s, u"8060003004 4103 0.76 -"_s,
                                                 u"8060003005 6601 - 0.38"_s, u"8060003006 6602001001 - 0.38"_s}));
    }

    void nothingToCarryAndRefusals()
    {
        addVoucher(5, 1, u"1001"_s, u"1002"_s, 10);
        addVoucher(12, 1, u"1122"_s, u"6001"_s, 10);
        const QStringList before = dumpTable(u"分2016"_s);
        const ClosingResult result = closeOn12th(5);
        QVERIFY(!result.carried && shown(result.message) == u"QM505|!|没有要结转的数据"_s);
        QCOMPARE(rowsAsText(u"SELECT 月, 结帐 FROM 分2016 ORDER BY ID"_s), (QStringList{u"5 1"_s, u"5 1"_s, u"12 -"_s, u"12 -"_s}));
        QVERIFY(!checkReopenMonth(5, kYear).refusal);
        reopenMonth(5, kYear);
        QCOMPARE(dumpTable(u"分2016"_s), before);

        QCOMPARE(QStringList({checkCloseMonth(QDate(2015, 12, 1), QString(), kYear).refusal->text,
                              shown(checkCloseMonth(QDate(kYear, 12, 1), QString(), kYear).refusal), shown(checkReopenMonth(12, kYear).refusal)}),
                 (QStringList{u"会计年度不一致"_s, u"QM505提示|stop|审核不能为空"_s, u"QM505提示|!|12  月份未结帐"_s}));
        // A closed December takes vouchers but is not closed twice.
        closeOn12th(12);
        QCOMPARE(checkCloseMonth(QDate(kYear, 12, 1), u"会计"_s, kYear).refusal->text, u"12  月份已结帐,请先进行反结帐"_s);
    }

    void adjustingTwoAccounts()
    {
        dollarBooks();
        QVERIFY(!checkStartExchangeAdjustment(kYear, 3, u"3"_s));
        fillExchangeTable(kYear, 3);
        QCOMPARE(exchangeTable(), (QStringList{u"1002001 银行存款/美元户 900 6120 - - -"_s,
                                               u"1122001 应收账款/美国客户 500 3400 - - -"_s}));
        const std::vector<ExchangeRow> rows = exchangeRows();
        setExchangeValue(rows[0].id, u"汇率"_s, 6.5);
        setExchangeValue(rows[1].id, u"汇率"_s, 6.9);
        QVERIFY(!computeExchangeDifferences());
        QCOMPARE(exchangeTable(), (QStringList{u"1002001 银行存款/美元户 900 6120 6.5 5850 270"_s,
                                               u"1122001 应收账款/美国客户 500 3400 6.9 3450 -50"_s}));

        const QStringList accounts = profitAndLossAccountEntries();
        QVERIFY(accounts.size() == 14 && accounts.first() == u"6001 主营业务收入"_s);
        QCOMPARE(checkPostExchangeVoucher(u"6603 财务费用"_s).question->text, u"是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作"_s);
        const PostingResult result = postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear);
        QVERIFY(result.posted && result.message.text == u"凭证保存成功,请检查凭证是否正确!!"_s);
        QCOMPARE(postedVoucher(), (QStringList{u"8030003001 6603 220 -"_s, u"8030003002 1002001 - 270"_s,
                                               u"8030003003 1122001 - -50"_s}));
        QCOMPARE(rowsAsText(u"SELECT DISTINCT 摘要说明, 字号, 日期, 审核, 制单, 附件, 结帐 FROM 分2016 WHERE 号码=3"_s),
                 QStringList{u"调整汇兑损益  转 2016-03-31 管理员 管理员 1 -"_s});
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, u"4"_s)->text, u"本月已调汇,请删除调汇凭证再进行调汇"_s);
    }

    void refusalsAndRounding()
    {
        dollarBooks();
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, QString())->text, u"年度,凭证号不能为空"_s);
        fillExchangeTable(kYear, 3);
        QCOMPARE(checkPostExchangeVoucher(QString()).refusal->text, u"请选择对应损益类科目"_s);

        // Before any computation there is nothing to post; a row without a rate posts nothing.
        const QStringList before = dumpTable(u"分2016"_s);
        PostingResult result = postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear);
        QVERIFY(!result.posted && result.message.text == u"没有数据,不用保存"_s);
        QCOMPARE(dumpTable(u"分2016"_s), before);

        // The posted debit is the sum of the rounded credits.
        setExchangeValue(exchangeRows()[0].id, u"损益"_s, 1.004);
        setExchangeValue(exchangeRows()[1].id, u"损益"_s, 2.004);
        QVERIFY(postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear).posted);
        QCOMPARE(postedVoucher(), (QStringList{u"8030003001 6603 3 -"_s, u"8030003002 1002001 - 1"_s, u"8030003003 1122001 - 2"_s}));
        execute(u"DELETE FROM 分2016 WHERE 月=3 AND 号码=3"_s);

        setExchangeValue(exchangeRows()[1].id, u"汇率"_s, 6.9);
        computeExchangeDifferences();
        QVERIFY(postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear).posted);
        QCOMPARE(postedVoucher(), (QStringList{u"8030003001 6603 -50 -"_s, u"8030003003 1122001 - -50"_s}));

        execute(u"DELETE FROM 调汇"_s);
        QCOMPARE(computeExchangeDifferences()->text, u"没有数据"_s);
        execute(u"UPDATE 分2016 SET 结帐=1 WHERE 月=4"_s);
        QCOMPARE(checkStartExchangeAdjustment(kYear, 4, u"2"_s)->text, u"4  月份已结帐,请先进行反结帐"_s);
    }
};

QTEST_GUILESS_MAIN(TestMonthEnd)
#include "test_month_end.moc"

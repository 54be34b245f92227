#include "support/common.h"
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

}  // namespace

class TestMonthClosing : public QObject {
    Q_OBJECT

private slots:
    void closingCarriesIncomeAndExpenseTo4103()
    {
        TempProgram program;
        addVoucher(3, 1, u"1122"_s, u"6001"_s, 1000);
        addVoucher(3, 2, u"6401"_s, u"1405"_s, 600);
        addVoucher(3, 3, u"6602"_s, u"1001"_s, 50.5);
        addVoucher(3, 4, u"5001"_s, u"1403"_s, 30);
        addLine(u"8030005001"_s, u"1001"_s, 0.3, QVariant());
        addLine(u"8030005002"_s, u"6051"_s, QVariant(), 0.1);
        addLine(u"8030005003"_s, u"6051"_s, QVariant(), 0.2);
        addLine(u"8030005004"_s, u"6301"_s, 20.0, QVariant());
        addLine(u"8030005005"_s, u"6301"_s, QVariant(), 20.0);
        addVoucher(4, 1, u"1122"_s, u"6001"_s, 77);
        const QStringList before = dumpTable(u"分2016"_s);

        // A closing that fails part way leaves the month open and as it was.
        execute(u"CREATE TRIGGER no_closing BEFORE INSERT ON 分2016 WHEN NEW.结帐=2 BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, closeOn12th(3));
        QCOMPARE(dumpTable(u"分2016"_s), before);
        execute(u"DROP TRIGGER no_closing"_s);

        QVERIFY(!checkCloseMonth(QDate(kYear, 3, 12), u"会计"_s, kYear).refusal);
        const ClosingResult result = closeOn12th(3);
        QVERIFY(result.carried);
        QCOMPARE(shown(result.message), u"QM505系统|i|收入/费用已成功结转！"_s);
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
        TempProgram program;
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='6602'"_s);
        addAccount(u"6602001"_s, u"办公"_s, u"管理费用/办公"_s, u"借"_s, false);
        addAccount(u"6602001001"_s, u"纸张"_s, u"管理费用/办公/纸张"_s);
        addLine(u"8060001001"_s, u"1001"_s, 0.25, QVariant());
        addLine(u"8060001002"_s, u"6001"_s, QVariant(), 0.125);
        addLine(u"8060001003"_s, u"6051"_s, QVariant(), 0.125);
        addLine(u"8060002001"_s, u"6601"_s, 0.375, QVariant());
        addLine(u"8060002002"_s, u"6602001001"_s, 0.375, QVariant());
        addLine(u"8060002003"_s, u"1001"_s, QVariant(), 0.75);
        closeOn12th(6);
        // Each line is rounded on its own, and 4103 takes the sum of the rounded lines.
        QCOMPARE(closingVoucher(6), (QStringList{u"8060003001 6001 0.13 -"_s, u"8060003002 6051 0.13 -"_s,
                                                 u"8060003003 4103 - 0.26"_s, u"8060003004 4103 0.76 -"_s,
                                                 u"8060003005 6601 - 0.38"_s, u"8060003006 6602001001 - 0.38"_s}));
    }

    void nothingToCarryAndRefusals()
    {
        TempProgram program;
        addVoucher(5, 1, u"1001"_s, u"1002"_s, 10);
        addVoucher(12, 1, u"1122"_s, u"6001"_s, 10);
        const QStringList before = dumpTable(u"分2016"_s);
        const ClosingResult result = closeOn12th(5);
        QVERIFY(!result.carried);
        QCOMPARE(shown(result.message), u"QM505|!|没有要结转的数据"_s);
        QCOMPARE(rowsAsText(u"SELECT 月, 结帐 FROM 分2016 ORDER BY ID"_s), (QStringList{u"5 1"_s, u"5 1"_s, u"12 -"_s, u"12 -"_s}));
        QVERIFY(!checkReopenMonth(5, kYear).refusal);
        reopenMonth(5, kYear);
        QCOMPARE(dumpTable(u"分2016"_s), before);

        QCOMPARE(checkCloseMonth(QDate(2015, 12, 1), QString(), kYear).refusal->text, u"会计年度不一致"_s);
        QCOMPARE(shown(checkCloseMonth(QDate(kYear, 12, 1), QString(), kYear).refusal), u"QM505提示|stop|审核不能为空"_s);
        QCOMPARE(shown(checkReopenMonth(12, kYear).refusal), u"QM505提示|!|12  月份未结帐"_s);
        // A closed December takes vouchers but is not closed twice.
        closeOn12th(12);
        QCOMPARE(checkCloseMonth(QDate(kYear, 12, 1), u"会计"_s, kYear).refusal->text, u"12  月份已结帐,请先进行反结帐"_s);
    }
};

QTEST_GUILESS_MAIN(TestMonthClosing)
#include "test_month_closing.moc"

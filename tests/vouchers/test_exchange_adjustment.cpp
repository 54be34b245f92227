#include "support/common.h"
#include "vouchers/exchange_adjustment.h"

namespace {

const ExchangeVoucherHeader kHeader{QDate(kYear, 3, 31), u"转"_s, 3, u"管理员"_s};

// Dollars in the bank and in receivables, flagged; a third flagged account without a balance.
void dollarBooks()
{
    addAccount(u"1002001"_s, u"美元户"_s, u"银行存款/美元户"_s);
    addAccount(u"1122001"_s, u"美国客户"_s, u"应收账款/美国客户"_s);
    addAccount(u"1122002"_s, u"欧洲客户"_s, u"应收账款/欧洲客户"_s);
    execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码 IN ('1002','1122')"_s);
    execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码 IN ('1002001','1122001','1122002')"_s);
    addLine(u"8000000001"_s, u"1002001"_s, 6800.0, QVariant(), 1000);
    addLine(u"8030001001"_s, u"1002001"_s, QVariant(), 680.0, 100);
    addLine(u"8030001002"_s, u"1001"_s, 680.0, QVariant());
    addVoucher(3, 2, u"1122001"_s, u"6001"_s, 3400.0);
    execute(u"UPDATE 分2016 SET 数量=500 WHERE ID='8030002001'"_s);
    addVoucher(4, 1, u"1122001"_s, u"6001"_s, 70.0);
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

class TestExchangeAdjustment : public QObject {
    Q_OBJECT

private slots:
    void adjustingTwoAccounts()
    {
        TempProgram program;
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
        QCOMPARE(accounts.size(), 14);
        QCOMPARE(accounts.first(), u"6001 主营业务收入"_s);
        QCOMPARE(checkPostExchangeVoucher(u"6603 财务费用"_s).question->text, u"是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作"_s);
        const PostingResult result = postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear);
        QVERIFY(result.posted);
        QCOMPARE(result.message.text, u"凭证保存成功,请检查凭证是否正确!!"_s);
        QCOMPARE(postedVoucher(), (QStringList{u"8030003001 6603 220 -"_s, u"8030003002 1002001 - 270"_s,
                                               u"8030003003 1122001 - -50"_s}));
        QCOMPARE(rowsAsText(u"SELECT DISTINCT 摘要说明, 字号, 日期, 审核, 制单, 附件, 结帐 FROM 分2016 WHERE 号码=3"_s),
                 QStringList{u"调整汇兑损益  转 2016-03-31 管理员 管理员 1 -"_s});
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, u"4"_s)->text, u"本月已调汇,请删除调汇凭证再进行调汇"_s);
    }

    void refusalsAndRounding()
    {
        TempProgram program;
        dollarBooks();
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, QString())->text, u"年度,凭证号不能为空"_s);
        fillExchangeTable(kYear, 3);
        QCOMPARE(checkPostExchangeVoucher(QString()).refusal->text, u"请选择对应损益类科目"_s);

        // Before any computation there is nothing to post; a row without a rate posts nothing.
        const QStringList before = dumpTable(u"分2016"_s);
        PostingResult result = postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear);
        QVERIFY(!result.posted);
        QCOMPARE(result.message.text, u"没有数据,不用保存"_s);
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

QTEST_GUILESS_MAIN(TestExchangeAdjustment)
#include "test_exchange_adjustment.moc"

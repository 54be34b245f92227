#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/exchange_adjustment.h"
#include "vouchers/voucher_posting.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

void line(const QString& id, int month, const QString& code, const QVariant& quantity, const QVariant& debit,
          const QVariant& credit)
{
    execute(QStringLiteral("INSERT INTO 分2016 (ID, 月, 号码, 摘要说明, 代码, 数量, 借方金额, 贷方金额) VALUES (?, ?, ?, 'x', ?, ?, ?, ?)"),
            {id, month == 0 ? QVariant() : QVariant(month), id.mid(3, 4).toInt(), code, quantity, debit, credit});
}

// Dollars in the bank and in receivables, flagged; a third flagged account without a balance.
void dollarBooks()
{
    addAccount(QStringLiteral("1002001"), QStringLiteral("美元户"), QStringLiteral("银行存款/美元户"));
    addAccount(QStringLiteral("1122001"), QStringLiteral("美国客户"), QStringLiteral("应收账款/美国客户"));
    addAccount(QStringLiteral("1122002"), QStringLiteral("欧洲客户"), QStringLiteral("应收账款/欧洲客户"));
    execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码 IN ('1002','1122')"));
    execute(QStringLiteral("UPDATE 科目表 SET 调汇='Y' WHERE 科目代码 IN ('1002001','1122001','1122002')"));
    line(QStringLiteral("8000000001"), 0, QStringLiteral("1002001"), 1000, 6800.0, QVariant());
    line(QStringLiteral("8030001001"), 3, QStringLiteral("1002001"), 100, QVariant(), 680.0);
    line(QStringLiteral("8030001002"), 3, QStringLiteral("1001"), QVariant(), 680.0, QVariant());
    line(QStringLiteral("8030002001"), 3, QStringLiteral("1122001"), 500, 3400.0, QVariant());
    line(QStringLiteral("8030002002"), 3, QStringLiteral("6001"), QVariant(), QVariant(), 3400.0);
    line(QStringLiteral("8040001001"), 4, QStringLiteral("1122001"), 10, 70.0, QVariant());
    line(QStringLiteral("8040001002"), 4, QStringLiteral("6001"), QVariant(), QVariant(), 70.0);
}

const ExchangeVoucherHeader kHeader{QDate(kYear, 3, 31), QStringLiteral("转"), 3, QStringLiteral("管理员")};

}  // namespace

class TestExchangeAdjustment : public QObject {
    Q_OBJECT

private slots:
    void adjustingTwoAccounts()
    {
        TempProgram program;
        dollarBooks();
        QVERIFY(!checkStartExchangeAdjustment(kYear, 3, QStringLiteral("3")));
        fillExchangeTable(kYear, 3);
        std::vector<ExchangeRow> rows = exchangeRows();
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows[0].code, QStringLiteral("1002001"));
        QCOMPARE(rows[0].fullName, QStringLiteral("银行存款/美元户"));
        QCOMPARE(rows[0].quantity.toDouble(), 900.0);
        QCOMPARE(rows[0].bookAmount.toDouble(), 6120.0);
        QCOMPARE(rows[1].quantity.toDouble(), 500.0);
        QCOMPARE(rows[1].bookAmount.toDouble(), 3400.0);

        setExchangeValue(rows[0].id, QStringLiteral("汇率"), 6.5);
        setExchangeValue(rows[1].id, QStringLiteral("汇率"), 6.9);
        QVERIFY(!computeExchangeDifferences());
        rows = exchangeRows();
        QCOMPARE(rows[0].adjustedAmount.toDouble(), 5850.0);
        QCOMPARE(rows[0].difference.toDouble(), 270.0);
        QCOMPARE(rows[1].difference.toDouble(), -50.0);

        const QStringList accounts = profitAndLossAccountEntries();
        QCOMPARE(accounts.size(), 14);
        QCOMPARE(accounts.first(), QStringLiteral("6001 主营业务收入"));
        const ChangeCheck check = checkPostExchangeVoucher(QStringLiteral("6603 财务费用"));
        QCOMPARE(check.question->text, QStringLiteral("是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作"));
        const PostingResult result = postExchangeVoucher(kHeader, QStringLiteral("6603 财务费用"), kYear);
        QVERIFY(result.posted);
        QCOMPARE(result.message.text, QStringLiteral("凭证保存成功,请检查凭证是否正确!!"));

        const RecordSet voucher = openRecordset(QStringLiteral(
            "SELECT ID, 代码, 借方金额, 贷方金额, 摘要说明, 字号, 号码, 日期, 审核, 制单, 附件, 结帐 FROM 分2016 "
            "WHERE 号码=3 AND 月=3 ORDER BY ID"));
        QCOMPARE(voucher.count(), 3);
        QCOMPARE(voucher[0][0].toString(), QStringLiteral("8030003001"));
        QCOMPARE(voucher[0][1].toString(), QStringLiteral("6603"));
        QCOMPARE(voucher[0][2].toDouble(), 220.0);
        QCOMPARE(voucher[1][0].toString(), QStringLiteral("8030003002"));
        QCOMPARE(voucher[1][1].toString(), QStringLiteral("1002001"));
        QCOMPARE(voucher[1][3].toDouble(), 270.0);
        QCOMPARE(voucher[2][1].toString(), QStringLiteral("1122001"));
        QCOMPARE(voucher[2][3].toDouble(), -50.0);
        QCOMPARE(voucher[0][4].toString(), QStringLiteral("调整汇兑损益 "));
        QCOMPARE(voucher[0][5].toString(), QStringLiteral("转"));
        QCOMPARE(voucher[0][7].toString(), QStringLiteral("2016-03-31"));
        QCOMPARE(voucher[0][8].toString(), QStringLiteral("管理员"));
        QCOMPARE(voucher[0][9].toString(), QStringLiteral("管理员"));
        QCOMPARE(voucher[0][10].toInt(), 1);
        QVERIFY(voucher[0][11].isNull());

        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, QStringLiteral("4"))->text,
                 QStringLiteral("本月已调汇,请删除调汇凭证再进行调汇"));
    }

    void postedDebitIsTheSumOfTheRoundedCredits()
    {
        TempProgram program;
        dollarBooks();
        fillExchangeTable(kYear, 3);
        const std::vector<ExchangeRow> rows = exchangeRows();
        setExchangeValue(rows[0].id, QStringLiteral("损益"), 1.004);
        setExchangeValue(rows[1].id, QStringLiteral("损益"), 2.004);
        QVERIFY(postExchangeVoucher(kHeader, QStringLiteral("6603 财务费用"), kYear).posted);
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(代码 || ':' || ifnull(借方金额,'') || ':' || ifnull(贷方金额,'')) "
                                       "FROM (SELECT * FROM 分2016 WHERE 号码=3 AND 月=3 ORDER BY ID)")).toString(),
                 QStringLiteral("6603:3.0:,1002001::1.0,1122001::2.0"));
    }

    void refusals()
    {
        TempProgram program;
        dollarBooks();
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, QString())->text, QStringLiteral("年度,凭证号不能为空"));
        fillExchangeTable(kYear, 3);
        QCOMPARE(checkPostExchangeVoucher(QString()).refusal->text, QStringLiteral("请选择对应损益类科目"));

        // Before any computation there is nothing to post; a row without a rate posts nothing.
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        PostingResult result = postExchangeVoucher(kHeader, QStringLiteral("6603 财务费用"), kYear);
        QVERIFY(!result.posted);
        QCOMPARE(result.message.text, QStringLiteral("没有数据,不用保存"));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);

        const std::vector<ExchangeRow> rows = exchangeRows();
        setExchangeValue(rows[1].id, QStringLiteral("汇率"), 6.9);
        computeExchangeDifferences();
        QVERIFY(exchangeRows()[0].difference.isNull());
        result = postExchangeVoucher(kHeader, QStringLiteral("6603 财务费用"), kYear);
        QVERIFY(result.posted);
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(代码) FROM (SELECT 代码 FROM 分2016 WHERE 号码=3 ORDER BY ID)")).toString(),
                 QStringLiteral("6603,1122001"));

        execute(QStringLiteral("DELETE FROM 调汇"));
        QCOMPARE(computeExchangeDifferences()->text, QStringLiteral("没有数据"));

        execute(QStringLiteral("UPDATE 分2016 SET 结帐=1 WHERE 月=4"));
        QCOMPARE(checkStartExchangeAdjustment(kYear, 4, QStringLiteral("2"))->text, QStringLiteral("4  月份已结帐,请先进行反结帐"));
    }
};

QTEST_GUILESS_MAIN(TestExchangeAdjustment)
#include "test_exchange_adjustment.moc"

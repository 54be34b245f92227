#include "data/number_format.h"
#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/picker_lists.h"
#include "vouchers/voucher_book.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

// Voucher `number` of `month` with two lines: debit `code`, credit 1002.
void addVoucher(int month, int number, const QString& code, double amount)
{
    const QString key = QStringLiteral("8%1%2").arg(month, 2, 10, QLatin1Char('0')).arg(number, 4, 10, QLatin1Char('0'));
    const QString date = QDate(kYear, month, 10).toString(Qt::ISODate);
    const QString sql = QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, "
                                       "借方金额, 贷方金额, 流代, 流金) VALUES (?, ?, ?, '记', ?, '管理员', '会计', 2, ?, ?, ?, ?, ?, ?, ?)");
    execute(sql, {key + QStringLiteral("001"), date, month, number, QStringLiteral("第%1号").arg(number), code, 1.5,
                  amount, QVariant(), QStringLiteral(""), QVariant()});
    execute(sql, {key + QStringLiteral("002"), date, month, number, QStringLiteral(""), QStringLiteral("1002"), QVariant(),
                  QVariant(), amount, QStringLiteral("101"), amount});
}

int workCopyRows()
{
    return scalar(QStringLiteral("SELECT count(*) FROM 分录始表")).toInt();
}

}  // namespace

class TestVoucherBook : public QObject {
    Q_OBJECT

private slots:
    void emptyYear()
    {
        TempProgram program;
        QCOMPARE(lastMonthWithEntries(kYear), 1);
        QCOMPARE(lastVoucherNumber(kYear, 1), 0);
        QVERIFY(!pageLast(kYear, 1).refusal);
        QVERIFY(!loadedVoucher());
        const PageStep next = pageNext(kYear, 1, QStringLiteral("5"));
        QCOMPARE(next.numberText.value_or(QString()), QStringLiteral("0"));
        QCOMPARE(next.refusal->text, QStringLiteral("已经是最后一条了"));
        QCOMPARE(next.refusal->title, QStringLiteral("QM505"));
        QCOMPARE(next.refusal->icon, MessageIcon::None);
    }

    void pagingThroughAMonth()
    {
        TempProgram program;
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, QStringLiteral("1001"), number * 100.0);
        addVoucher(6, 1, QStringLiteral("1001"), 7.0);
        QCOMPARE(lastMonthWithEntries(kYear), 6);
        QCOMPARE(lastVoucherNumber(kYear, 3), 3);

        PageStep step = pagePrevious(kYear, 3, QString());
        QCOMPARE(step.refusal->text, QStringLiteral("号码不能为空!!"));
        QCOMPARE(step.refusal->title, QStringLiteral("QM505提示"));
        QCOMPARE(step.refusal->icon, MessageIcon::Stop);
        QCOMPARE(pageNext(kYear, 3, QStringLiteral("  ")).refusal->text, QStringLiteral("号码不能为空!!"));

        QVERIFY(!pageFirst(kYear, 3).refusal);
        QCOMPARE(loadedVoucher()->number, QStringLiteral("1"));
        step = pagePrevious(kYear, 3, QStringLiteral("1"));
        QCOMPARE(step.refusal->text, QStringLiteral("已经是第一张了!!"));
        QCOMPARE(workCopyRows(), 0);

        step = pagePrevious(kYear, 3, QStringLiteral("3"));
        QVERIFY(!step.refusal);
        QCOMPARE(*step.numberText, QStringLiteral("2"));
        QCOMPARE(loadedVoucher()->number, QStringLiteral("2"));

        step = pagePrevious(kYear, 3, QStringLiteral("0"));
        QCOMPARE(*step.numberText, QStringLiteral("-1"));
        QVERIFY(!loadedVoucher());

        step = pageNext(kYear, 3, QStringLiteral("2"));
        QCOMPARE(*step.numberText, QStringLiteral("3"));
        QCOMPARE(loadedVoucher()->lines.first().debit, QStringLiteral("300"));
        step = pageNext(kYear, 3, QStringLiteral("3"));
        QCOMPARE(*step.numberText, QStringLiteral("3"));
        QCOMPARE(step.refusal->text, QStringLiteral("已经是最后一条了"));
        QCOMPARE(workCopyRows(), 0);

        QVERIFY(!pageLast(kYear, 3).refusal);
        QCOMPARE(loadedVoucher()->number, QStringLiteral("3"));
        QVERIFY(!pageLast(kYear, 4).refusal);
        QVERIFY(!loadedVoucher());
    }

    void loadedVoucherShowsItsHeaderAndLines()
    {
        TempProgram program;
        addVoucher(3, 1, QStringLiteral("1001"), 12.5);
        execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 号码, 代码, 借方金额) VALUES ('8030001003', '2016-03-10', 3, 1, '9999', 1)"));
        pageFirst(kYear, 3);
        QCOMPARE(workCopyRows(), 3);
        const LoadedVoucher voucher = *loadedVoucher();
        QCOMPARE(voucher.date, QDate(kYear, 3, 10));
        QCOMPARE(voucher.word, QStringLiteral("记"));
        QCOMPARE(voucher.attachments, QStringLiteral("2"));
        QCOMPARE(voucher.preparer, QStringLiteral("管理员"));
        QCOMPARE(voucher.reviewer, QStringLiteral("会计"));
        QCOMPARE(voucher.lines.size(), 2);
        const VoucherLineText& first = voucher.lines[0];
        QCOMPARE(first.summary, QStringLiteral("第1号"));
        QCOMPARE(first.account, QStringLiteral("1001 库存现金"));
        QCOMPARE(first.quantity, QStringLiteral("1.5"));
        QCOMPARE(first.debit, QStringLiteral("12.5"));
        QCOMPARE(first.credit, QString());
        const VoucherLineText& second = voucher.lines[1];
        QCOMPARE(second.account, QStringLiteral("1002 银行存款"));
        QCOMPARE(second.credit, QStringLiteral("12.5"));
        QCOMPARE(second.cashFlowCode, QStringLiteral("101"));
        QCOMPARE(second.cashFlowAmount, QStringLiteral("12.5"));
    }

    void monthCashCountsOpeningAndEarlierMonthsOnly()
    {
        TempProgram program;
        addAccount(QStringLiteral("1001001"), QStringLiteral("备用金"), QStringLiteral("库存现金/备用金"));
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1001"), 10000.0, QVariant());
        addEntry(kYear, QStringLiteral("8020001001"), QStringLiteral("1001001"), 2345.6, QVariant(), 2);
        addEntry(kYear, QStringLiteral("8050001001"), QStringLiteral("1001"), QVariant(), 0.1, 5);
        addEntry(kYear, QStringLiteral("8050002001"), QStringLiteral("1001"), 0.1, QVariant(), 5);
        addEntry(kYear, QStringLiteral("8050003001"), QStringLiteral("1002"), 99.0, QVariant(), 5);
        addEntry(kYear, QStringLiteral("8060001001"), QStringLiteral("1001"), QVariant(), 500.0, 6);
        QCOMPARE(monthCashBalance(kYear, 1), 10000.0);
        QCOMPARE(monthCashLine(5, monthCashBalance(kYear, 5)), QStringLiteral("5月现余:12,345.60"));
        QCOMPARE(monthCashLine(12, monthCashBalance(kYear, 12)), QStringLiteral("12月现余:11,845.60"));

        // 0.1 + 0.2 - 0.3 is not 0 in binary; the line must still read 0.00.
        execute(QStringLiteral("DELETE FROM 分2016"));
        addEntry(kYear, QStringLiteral("8050004001"), QStringLiteral("1001"), 0.1, QVariant(), 5);
        addEntry(kYear, QStringLiteral("8050004002"), QStringLiteral("1001"), 0.2, QVariant(), 5);
        addEntry(kYear, QStringLiteral("8050004003"), QStringLiteral("1001"), QVariant(), 0.3, 5);
        QVERIFY(scalar(QStringLiteral("SELECT sum(ifnull(借方金额,0)) - sum(ifnull(贷方金额,0)) FROM 分2016")).toDouble() != 0);
        QCOMPARE(monthCashLine(5, monthCashBalance(kYear, 5)), QStringLiteral("5月现余:0.00"));
        QCOMPARE(monthCashLine(3, monthCashBalance(kYear, 3)), QStringLiteral("3月现余:0.00"));
    }

    void numberFormats()
    {
        QCOMPARE(formatCellNumber(QStringLiteral("12.5"), 2), QStringLiteral("12.50"));
        QCOMPARE(formatCellNumber(QStringLiteral("1.5"), 3), QStringLiteral("1.500"));
        QCOMPARE(formatCellNumber(QString(), 2), QString());
        QCOMPARE(formatCellNumber(QStringLiteral("-"), 2), QStringLiteral("-"));
        QCOMPARE(formatCellNumber(QStringLiteral("abc"), 2), QStringLiteral("abc"));
        QCOMPARE(formatCellNumber(QStringLiteral("1,234.5"), 2), QStringLiteral("1234.50"));
        QCOMPARE(formatCellNumber(QStringLiteral(".5"), 2), QStringLiteral("0.50"));
        QCOMPARE(formatCellNumber(QStringLiteral("-0.001"), 2), QStringLiteral("0.00"));
        QCOMPARE(formatThousands(12345.6), QStringLiteral("12,345.60"));
        QCOMPARE(formatThousands(-1234567.891), QStringLiteral("-1,234,567.89"));
        QCOMPARE(formatThousands(0.1 + 0.2 - 0.3), QStringLiteral("0.00"));
        QCOMPARE(roundToCent(0.1 + 0.2), 0.3);
        // Half a cent rounds away from zero on the amount as written, not on its binary neighbour.
        QCOMPARE(formatThousands(2.675), QStringLiteral("2.68"));
        QCOMPARE(formatThousands(-1.005), QStringLiteral("-1.01"));
        QCOMPARE(formatThousands(56717.715), QStringLiteral("56,717.72"));
        QCOMPARE(formatThousands(0.125), QStringLiteral("0.13"));
        QVERIFY(!parseNumber(QStringLiteral("-")));
        QCOMPARE(*parseNumber(QStringLiteral("1,000.25")), 1000.25);
        QCOMPARE(leadingNumber(QStringLiteral("12ab")), 12);
        QCOMPARE(leadingNumber(QStringLiteral("ab")), 0);
    }

    void pickerLists()
    {
        TempProgram program;
        execute(QStringLiteral("DELETE FROM 摘要"));
        QCOMPARE(addSummaryPhrase(QString())->text, QStringLiteral("名称不能为空！"));
        QVERIFY(!addSummaryPhrase(QStringLiteral("付'O'Neil'货款")));
        QVERIFY(!addSummaryPhrase(QStringLiteral(" 报销 ")));
        QVERIFY(!addSummaryPhrase(QStringLiteral("报销")));
        const std::optional<Message> duplicate = addSummaryPhrase(QStringLiteral("报销"));
        QCOMPARE(duplicate->text, QStringLiteral("名称重复,不能增加"));
        QCOMPARE(duplicate->title, QStringLiteral("QM505提示"));
        QCOMPARE(duplicate->icon, MessageIcon::Stop);
        QCOMPARE(summaryPhrases().size(), 3);
        deleteSummaryPhrase(QStringLiteral("付'O'Neil'货款"));
        deleteSummaryPhrase(QStringLiteral("没有这个"));
        QCOMPARE(summaryPhrases(), (QStringList{QStringLiteral(" 报销 "), QStringLiteral("报销")}));

        const QStringList items = cashFlowItemEntries();
        QCOMPARE(items.size(), 23);
        QCOMPARE(items.first(), QStringLiteral("101 销售商品、提供劳务收到的现金"));
        QCOMPARE(items.last().left(3), QStringLiteral("401"));

        QCOMPARE(searchLeafAccounts(QString()).size(), size_t(86));
        QVERIFY(searchLeafAccounts(QStringLiteral("%")).empty());
        QVERIFY(searchLeafAccounts(QStringLiteral("_")).empty());
        addAccount(QStringLiteral("1002001"), QStringLiteral("ABC银行"), QStringLiteral("银行存款/ABC银行"));
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"));
        const std::vector<LeafAccountMatch> banks = searchLeafAccounts(QStringLiteral("abc"));
        QCOMPARE(banks.size(), size_t(1));
        QCOMPARE(banks.front().fullName, QStringLiteral("银行存款/ABC银行"));
        QCOMPARE(searchLeafAccounts(QStringLiteral("银行存款")).size(), size_t(1));
        QCOMPARE(leafAccountFullName(QStringLiteral("1002001")).value_or(QString()), QStringLiteral("银行存款/ABC银行"));
        QVERIFY(!leafAccountFullName(QStringLiteral("1002")));
        QVERIFY(!leafAccountFullName(QStringLiteral("10")));
    }
};

QTEST_GUILESS_MAIN(TestVoucherBook)
#include "test_voucher_book.moc"

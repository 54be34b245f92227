#include "support/common.h"
#include "data/number_format.h"
#include "vouchers/picker_lists.h"
#include "vouchers/voucher_book.h"

namespace {

// The voucher in the working copy: its header, then one line per voucher line.
QStringList loadedText()
{
    const std::optional<LoadedVoucher> voucher = loadedVoucher();
    if (!voucher)
        return {};
    QStringList text{QStringList{voucher->date.toString(Qt::ISODate), voucher->word, voucher->number, voucher->attachments,
                                 voucher->preparer, voucher->reviewer}.join(u'|')};
    for (const VoucherLineText& line : voucher->lines)
        text << QStringList{line.summary, line.account, line.quantity, line.debit, line.credit, line.cashFlowCode,
                            line.cashFlowAmount}.join(u'|');
    return text;
}

QString cashLine(int month)
{
    return monthCashLine(month, monthCashBalance(kYear, month));
}

}  // namespace

class TestVoucherBook : public QObject {
    Q_OBJECT

private slots:
    void pagingThroughAMonth()
    {
        TempProgram program;
        QCOMPARE(lastMonthWithEntries(kYear), 1);
        QCOMPARE(shown(pageNext(kYear, 1, u"5"_s).refusal), u"QM505||已经是最后一条了"_s);
        QCOMPARE(pageNext(kYear, 1, u"5"_s).numberText.value_or(QString()), u"0"_s);
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 100);
        addVoucher(6, 1, u"1001"_s, u"1002"_s, 7);
        QCOMPARE(QList<int>({lastMonthWithEntries(kYear), lastVoucherNumber(kYear, 3), lastVoucherNumber(kYear, 4)}), QList<int>({6, 3, 0}));

        QCOMPARE(shown(pagePrevious(kYear, 3, QString()).refusal), u"QM505提示|stop|号码不能为空!!"_s);
        QCOMPARE(shown(pageNext(kYear, 3, u"  "_s).refusal), u"QM505提示|stop|号码不能为空!!"_s);
        QVERIFY(!pageFirst(kYear, 3).refusal);
        QCOMPARE(loadedVoucher()->number, u"1"_s);
        QCOMPARE(pagePrevious(kYear, 3, u"1"_s).refusal->text, u"已经是第一张了!!"_s);
        QVERIFY(!loadedVoucher());

        PageStep step = pagePrevious(kYear, 3, u"3"_s);
        QVERIFY(!step.refusal);
        QCOMPARE(*step.numberText, u"2"_s);
        QCOMPARE(loadedVoucher()->number, u"2"_s);
        QCOMPARE(*pagePrevious(kYear, 3, u"0"_s).numberText, u"-1"_s);
        QVERIFY(!loadedVoucher());

        QCOMPARE(*pageNext(kYear, 3, u"2"_s).numberText, u"3"_s);
        QCOMPARE(loadedVoucher()->lines.first().debit, u"300"_s);
        step = pageNext(kYear, 3, u"3"_s);
        QCOMPARE(*step.numberText, u"3"_s);
        QCOMPARE(step.refusal->text, u"已经是最后一条了"_s);
        QVERIFY(!loadedVoucher());

        QVERIFY(!pageLast(kYear, 3).refusal);
        QCOMPARE(loadedVoucher()->number, u"3"_s);
        QVERIFY(!pageLast(kYear, 4).refusal);
        QVERIFY(!loadedVoucher());
    }

    void loadedVoucherShowsItsHeaderAndLines()
    {
        TempProgram program;
        addPayableLeaf();
        addVoucher(3, 1, u"1001"_s, u"2202001001"_s, 12.5);
        execute(u"UPDATE 分2016 SET 制单='管理员', 审核='会计', 附件=2"_s);
        execute(u"UPDATE 分2016 SET 数量=1.5 WHERE 代码='1001'"_s);
        execute(u"UPDATE 分2016 SET 流代='101', 流金=12.5 WHERE 代码='2202001001'"_s);
        // A line whose account left the chart is not shown.
        addLine(u"8030001003"_s, u"9999"_s, 1, QVariant());
        pageFirst(kYear, 3);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分录始表"_s).toInt(), 3);
        QCOMPARE(loadedText(), (QStringList{u"2016-03-10|记|1|2|管理员|会计"_s, u"业务|1001 库存现金|1.5|12.5|||"_s,
                                            u"业务|2202001001 应付账款/甲/材料款|||12.5|101|12.5"_s}));
    }

    void monthCashCountsOpeningAndEarlierMonthsOnly()
    {
        TempProgram program;
        addAccount(u"1001001"_s, u"备用金"_s, u"库存现金/备用金"_s);
        addLine(u"8000000001"_s, u"1001"_s, 10000.0, QVariant());
        addLine(u"8020001001"_s, u"1001001"_s, 2345.6, QVariant());
        addLine(u"8050001001"_s, u"1001"_s, QVariant(), 0.1);
        addLine(u"8050002001"_s, u"1001"_s, 0.2, QVariant());
        addLine(u"8050003001"_s, u"1002"_s, 99.0, QVariant());
        addLine(u"8060001001"_s, u"1001"_s, QVariant(), 500.0);
        QCOMPARE(cashLine(1), u"1月现余:10,000.00"_s);
        QCOMPARE(cashLine(5), u"5月现余:12,345.70"_s);
        QCOMPARE(cashLine(12), u"12月现余:11,845.70"_s);

        // 0.3 - (0.1 + 0.2) is not 0 in binary, nor positive; the line must still read 0.00.
        execute(u"DELETE FROM 分2016"_s);
        addLine(u"8050004001"_s, u"1001"_s, 0.3, QVariant());
        addLine(u"8050004002"_s, u"1001"_s, QVariant(), 0.1);
        addLine(u"8050004003"_s, u"1001001"_s, QVariant(), 0.2);
        QCOMPARE(cashLine(5), u"5月现余:0.00"_s);
        QCOMPARE(cashLine(3), u"3月现余:0.00"_s);
    }

    void numberFormats()
    {
        const QList<QPair<QString, QString>> cells = {
            {u"12.5"_s, u"12.50"_s}, {QString(), QString()}, {u"-"_s, u"-"_s}, {u"abc"_s, u"abc"_s},
            {u"1,234.5"_s, u"1234.50"_s}, {u".5"_s, u"0.50"_s}, {u"-0.001"_s, u"0.00"_s}, {u"0.125"_s, u"0.13"_s}, {u"2.675"_s, u"2.68"_s}};
        for (const auto& [typed, expected] : cells)
            QCOMPARE(formatCellNumber(typed, 2), expected);
        QCOMPARE(formatCellNumber(u"1.5"_s, 3), u"1.500"_s);
        QCOMPARE(formatThousands(12345.6), u"12,345.60"_s);
        QCOMPARE(formatThousands(-1234567.891), u"-1,234,567.89"_s);
        QCOMPARE(formatThousands(0.1 + 0.2 - 0.3), u"0.00"_s);
        QCOMPARE(formatThousands(0.3 - 0.1 - 0.2), u"0.00"_s);
        QVERIFY(roundToCent(0.1 + 0.2) == 0.3);
        // Half a cent rounds away from zero on the amount as written, not on its binary neighbour.
        QCOMPARE(formatThousands(2.675), u"2.68"_s);
        QCOMPARE(formatThousands(-1.005), u"-1.01"_s);
        QCOMPARE(formatThousands(56717.715), u"56,717.72"_s);
        QCOMPARE(formatThousands(0.125), u"0.13"_s);
        QVERIFY(!parseNumber(u"-"_s));
        QCOMPARE(*parseNumber(u"1,000.25"_s), 1000.25);
        QCOMPARE(leadingNumber(u"12ab"_s), 12);
        QCOMPARE(leadingNumber(u"ab"_s), 0);
    }

    void pickerLists()
    {
        TempProgram program;
        execute(u"DELETE FROM 摘要"_s);
        QCOMPARE(addSummaryPhrase(QString())->text, u"名称不能为空！"_s);
        QVERIFY(!addSummaryPhrase(u"付'O'Neil'货款"_s));
        QVERIFY(!addSummaryPhrase(u" 报销 "_s));
        QVERIFY(!addSummaryPhrase(u"报销"_s));
        QCOMPARE(shown(addSummaryPhrase(u"报销"_s)), u"QM505提示|stop|名称重复,不能增加"_s);
        deleteSummaryPhrase(u"付'O'Neil'货款"_s);
        deleteSummaryPhrase(u"没有这个"_s);
        QCOMPARE(summaryPhrases(), (QStringList{u" 报销 "_s, u"报销"_s}));

        const QStringList items = cashFlowItemEntries();
        QCOMPARE(items.size(), 23);
        QCOMPARE(items.first(), u"101 销售商品、提供劳务收到的现金"_s);
        QCOMPARE(items.last().left(3), u"401"_s);

        QCOMPARE(searchLeafAccounts(QString()).size(), size_t(86));
        QVERIFY(searchLeafAccounts(u"%"_s).empty());
        QVERIFY(searchLeafAccounts(u"_"_s).empty());
        addAccount(u"1002001"_s, u"ABC银行"_s, u"银行存款/ABC银行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        const std::vector<LeafAccountMatch> banks = searchLeafAccounts(u"abc"_s);
        QCOMPARE(banks.size(), size_t(1));
        QCOMPARE(banks.front().fullName, u"银行存款/ABC银行"_s);
        QCOMPARE(searchLeafAccounts(u"银行存款"_s).size(), size_t(1));
        QCOMPARE(leafAccountFullName(u"1002001"_s).value_or(QString()), u"银行存款/ABC银行"_s);
        QVERIFY(!leafAccountFullName(u"1002"_s));
        QVERIFY(!leafAccountFullName(u"10"_s));
    }
};

QTEST_GUILESS_MAIN(TestVoucherBook)
#include "test_voucher_book.moc"

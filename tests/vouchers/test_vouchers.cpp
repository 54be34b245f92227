#include "support/common.h"
#include "data/number_format.h"
#include "data/money.h"
#include "vouchers/exchange_adjustment.h"
#include "vouchers/month_closing.h"
#include "vouchers/picker_lists.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_posting.h"

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

VoucherLineText line(const QString& summary, const QString& account, const QString& debit, const QString& credit)
{
    return {summary, account, QString(), debit, credit, QString(), QString()};
}

VoucherDraft draft(int month, const QString& number, QVector<VoucherLineText> lines = {})
{
    if (lines.isEmpty())
        lines = {line(u"提现"_s, u"1001 库存现金"_s, u"500.00"_s, QString()), line(QString(), u"1002 银行存款"_s, QString(), u"500.00"_s)};
    const ParsedLines parsed = parseVoucherLines(lines);
    return {QDate(kYear, month, 15), u"记"_s, number, u"2"_s, u"会计"_s, lines.first().summary, parsed.lines,
            parsed.rowWithoutAccount};
}

// The month's vouchers, one per row: their keys, number and debit.
QStringList monthVouchers(int month)
{
    return rowsAsText(u"SELECT group_concat(ID, ' '), 号码, sum(借方金额) FROM (SELECT * FROM 分2016 WHERE 月=? ORDER BY ID) "
                      "GROUP BY 号码 ORDER BY 号码"_s, {month});
}

QString refusal(VoucherChange change, const VoucherDraft& voucher)
{
    return shown(checkVoucherChange(change, voucher, kYear).refusal);
}

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

class TestVouchers : public BooksTest {
    Q_OBJECT

private slots:
    void pagingThroughAMonth()
    {
        // A step as "refusal|number shown|voucher loaded and its first debit", "-" for none.
        const auto step = [](const PageStep& step) {
            const auto loaded = loadedVoucher();
            return QStringList{step.refusal ? shown(step.refusal) : u"-"_s, step.numberText.value_or(u"-"_s),
                               loaded ? loaded->number + u' ' + loaded->lines.first().debit : u"-"_s}.join(u'|');
        };
        QCOMPARE(lastMonthWithEntries(kYear), 1);
        QCOMPARE(step(pageNext(kYear, 1, u"5"_s)), u"QM505||已经是最后一条了|0|-"_s);
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 100);
        addVoucher(6, 1, u"1001"_s, u"1002"_s, 7);
        QCOMPARE(QList<int>({lastMonthWithEntries(kYear), lastVoucherNumber(kYear, 3), lastVoucherNumber(kYear, 4)}), QList<int>({6, 3, 0}));
        const QStringList steps{step(pagePrevious(kYear, 3, QString())), step(pageNext(kYear, 3, u"  "_s)), step(pageFirst(kYear, 3)),
                                step(pagePrevious(kYear, 3, u"1"_s)),  step(pagePrevious(kYear, 3, u"3"_s)), step(pagePrevious(kYear, 3, u"0"_s)),
                                step(pageNext(kYear, 3, u"2"_s)),      step(pageNext(kYear, 3, u"3"_s)),      step(pageLast(kYear, 3)),
                                step(pageLast(kYear, 4))};
        QCOMPARE(steps, (QStringList{u"QM505提示|stop|号码不能为空!!|-|-"_s, u"QM505提示|stop|号码不能为空!!|-|-"_s, u"-|-|1 100"_s,
                                     u"QM505提示|stop|已经是第一张了!!|-|-"_s, u"-|2|2 200"_s, u"-|-1|-"_s, u"-|3|3 300"_s,
                                     u"QM505||已经是最后一条了|3|-"_s, u"-|-|3 300"_s, u"-|-|-"_s}));
    }

    void monthCashAndTheLoadedVoucher()
    {
        addAccount(u"1001001"_s, u"备用金"_s, u"库存现金/备用金"_s);
        addLines(u"8000000001 1001 10000 -|8020001001 1001001 2345.6 -|8050001001 1001 - 0.1|8050002001 1001 0.2 -|"
                 "8050003001 1002 99 -|8060001001 1001 - 500"_s);
        QCOMPARE(cashLine(1) + cashLine(5) + cashLine(12), u"1月现余:10,000.00""5月现余:12,345.70""12月现余:11,845.70"_s);

        // 0.3 - (0.1 + 0.2) is not 0 in binary, nor positive; the line must still read 0.00.
        execute(u"DELETE FROM 分2016"_s);
        addLines(u"8050004001 1001 0.3 -|8050004002 1001 - 0.1|8050004003 1001001 - 0.2"_s);
        QCOMPARE(cashLine(5) + cashLine(3), u"5月现余:0.00""3月现余:0.00"_s);

        // A loaded voucher shows its header and lines.
        addPayableLeaf();
        // A line whose account left the chart is not shown.
        addLines(u"8030001001 1001 12.5 - 1.5|8030001002 2202001001 - 12.5 - 101 12.5|8030001003 9999 1 -"_s);
        execute(u"UPDATE 分2016 SET 制单='管理员', 审核='会计', 附件=2"_s);
        pageFirst(kYear, 3);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分录始表"_s).toInt(), 3);
        QCOMPARE(loadedText(), (QStringList{u"2016-03-10|记|1|2|管理员|会计"_s, u"业务|1001 库存现金|1.5|12.5|||"_s,
                                            u"业务|2202001001 应付账款/甲/材料款|||12.5|101|12.5"_s}));
    }

    void pickerListsAndNumberFormats()
    {
        execute(u"DELETE FROM 摘要"_s);
        QCOMPARE(addSummaryPhrase(QString())->text, u"名称不能为空！"_s);
        QVERIFY(!addSummaryPhrase(u"付'O'Neil'货款"_s) && !addSummaryPhrase(u" 报销 "_s) && !addSummaryPhrase(u"报销"_s));
        QCOMPARE(shown(addSummaryPhrase(u"报销"_s)), u"QM505提示|stop|名称重复,不能增加"_s);
        deleteSummaryPhrase(u"付'O'Neil'货款"_s);
        deleteSummaryPhrase(u"没有这个"_s);
        QCOMPARE(summaryPhrases(), (QStringList{u" 报销 "_s, u"报销"_s}));

        const QStringList items = cashFlowItemEntries();
        QVERIFY(items.size() == 23 && items.first() == u"101 销售商品、提供劳务收到的现金"_s && items.last().left(3) == u"401"_s);
        QVERIFY(searchLeafAccounts(QString()).size() == 86 && searchLeafAccounts(u"%"_s).empty() && searchLeafAccounts(u"_"_s).empty());
        addAccount(u"1002001"_s, u"ABC银行"_s, u"银行存款/ABC银行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        const std::vector<LeafAccountMatch> banks = searchLeafAccounts(u"abc"_s);
        QVERIFY(banks.size() == 1 && banks.front().fullName == u"银行存款/ABC银行"_s && searchLeafAccounts(u"银行存款"_s).size() == 1);
        QVERIFY(leafAccountFullName(u"1002001"_s) == u"银行存款/ABC银行"_s && !leafAccountFullName(u"1002"_s) && !leafAccountFullName(u"10"_s));

        const QList<QPair<QString, QString>> cells = {
            {u"12.5"_s, u"12.50"_s}, {QString(), QString()}, {u"-"_s, u"-"_s}, {u"abc"_s, u"abc"_s},
            {u"1,234.5"_s, u"1234.50"_s}, {u".5"_s, u"0.50"_s}, {u"-0.001"_s, u"0.00"_s}, {u"0.125"_s, u"0.13"_s}, {u"2.675"_s, u"2.68"_s}};
        for (const auto& [typed, expected] : cells)
            QCOMPARE(formatCellNumber(typed, 2), expected);
        // Half a cent rounds away from zero on the amount as written, not on its binary neighbour.
        QStringList thousands;
        for (double amount : {12345.6, -1234567.891, 0.1 + 0.2 - 0.3, 0.3 - 0.1 - 0.2, 2.675, -1.005, 56717.715, 0.125})
            thousands << formatThousands(amount);
        QCOMPARE(thousands.join(u' '), u"12,345.60 -1,234,567.89 0.00 0.00 2.68 -1.01 56,717.72 0.13"_s);
        QVERIFY(Money::fromStored(0.1 + 0.2)->toStored().toDouble() == 0.3 && !parseNumber(u"-"_s) && *parseNumber(u"1,000.25"_s) == 1000.25);
        QVERIFY(leadingNumber(u"12ab"_s) == 12 && leadingNumber(u"ab"_s) == 0 && formatCellNumber(u"1.5"_s, 3) == u"1.500"_s);
        QVERIFY(leadingNumber(u"8030002001"_s) == 999999999 && leadingNumber(u"-"_s) == 0);
    }

    void savingWritesOneRowPerLineToTheCent()
    {
        addPayableLeaf();
        for (int number = 1; number <= 6; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, 100);
        VoucherDraft voucher = draft(3, u"7"_s, {line(u"提现"_s, u"1001 库存现金"_s, u"0.125"_s, QString()),
                                                line(QString(), u"1001"_s, u"0.2"_s, QString()),
                                                line(QString(), u"2202001001 应付账款/甲/材料款"_s, QString(), u"0.33"_s)});
        voucher.lines[0].quantity = 2.5;
        voucher.lines[2].cashFlowCode = u"101"_s;
        voucher.lines[2].cashFlowAmount = Money::fromCents(33);
        QCOMPARE(refusal(VoucherChange::Save, voucher), QString());
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Save, voucher, kYear, u"管理员"_s);
        QCOMPARE(done.numberText + u' ' + shown(done.message), u"8 QM505系统|i|凭证保存成功"_s);
        // Each line to the cent; later lines take the first line's summary.
        QCOMPARE(rowsAsText(u"SELECT ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, 借方金额, 贷方金额, "
                            "quote(流代), 流金, 结帐 FROM 分2016 WHERE 号码=7 ORDER BY ID"_s),
                 (QStringList{u"8030007001 2016-03-15 3 记 7 管理员 会计 2 提现 1001 2.5 0.13 - '' - -"_s,
                              u"8030007002 2016-03-15 3 记 7 管理员 会计 2 提现 1001 - 0.2 - '' - -"_s,
                              u"8030007003 2016-03-15 3 记 7 管理员 会计 2 提现 2202001001 - - 0.33 '101' 0.33 -"_s}));
    }

    // Quantities go in as typed, on either side, beyond the cent but not beyond the three decimals
    // a quantity keeps; amounts to the cent, half away from zero, red ones included (-12.505 is
    // -12.51). April's voucher 1 follows March's 1.
    void savingKeepsTypedQuantitiesOnTheCreditSide()
    {
        addPayableLeaf();
        addVoucher(3, 1, u"1403"_s, u"2202001001"_s, 100);
        QCOMPARE(shown(parseVoucherLines({{u"退料"_s, u"1403 原材料"_s, u"-0.3333"_s, u"-12.505"_s, QString(), QString(), QString()}}).refusal),
                 u"QM505|!|第1行: “-0.3333”超过三位小数,原值不变"_s);
        const VoucherDraft voucher =
            draft(4, u"1"_s, {{u"退料"_s, u"1403 原材料"_s, u"-0.333"_s, u"-12.505"_s, QString(), QString(), QString()},
                              {QString(), u"2202001001 应付账款/甲/材料款"_s, u"0.125"_s, QString(), u"-12.505"_s, QString(), QString()}});
        QCOMPARE(refusal(VoucherChange::Save, voucher), QString());
        QCOMPARE(applyVoucherChange(VoucherChange::Save, voucher, kYear, u"管理员"_s).numberText, u"2"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 月, 号码, 代码, 数量, 借方金额, 贷方金额 FROM 分2016 ORDER BY ID"_s),
                 (QStringList{u"8030001001 3 1 1403 - 100 -"_s, u"8030001002 3 1 2202001001 - - 100"_s,
                              u"8040001001 4 1 1403 -0.333 -12.51 -"_s, u"8040001002 4 1 2202001001 0.125 - -12.51"_s}));
    }

    // Each draft has two faults: the first test that fails names its own.
    void refusalsInTheirOrderChangeNothing()
    {
        addPayableLeaf();
        for (const auto& [month, number] : {std::pair{3, 1}, {5, 9999}, {12, 1}})
            addVoucher(month, number, u"1001"_s, u"1002"_s, 100);
        const QStringList before = dumpTable(u"分2016"_s);
        const auto with = [](const std::function<void(VoucherDraft&)>& change, int month = 3, const QString& number = u"2"_s) {
            VoucherDraft voucher = draft(month, number);
            change(voucher);
            return voucher;
        };
        const auto unbalanced = [](VoucherDraft& v) { v.lines[1].credit = Money::fromCents(49999); };
        const QList<QPair<VoucherDraft, QString>> cases = {
            {with([](VoucherDraft& v) { v.date = QDate(2015, 3, 15); v.reviewer.clear(); }), u"QM505||会计年度不一致"_s},
            {with([](VoucherDraft& v) { v.reviewer.clear(); v.numberText = u"10000"_s; }), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {draft(3, QString()), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {draft(3, u"0"_s), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {with(unbalanced, 3, u"10000"_s), u"QM505提示|stop|凭证号不能超过9999"_s},
            {with([](VoucherDraft& v) { v.attachmentsText = u"10000"_s; }, 3, u"1"_s), u"QM505提示|stop|附单据张数不能超过9999"_s},
            {with([](VoucherDraft& v) { v.attachmentsText = u"-1"_s; }, 3, u"1"_s), u"QM505提示|stop|附单据张数不能超过9999"_s},
            {with([](VoucherDraft& v) { v.firstSummary.clear(); }, 3, u"1"_s), u"QM505提示|stop|凭证号不连续，不能保存"_s},
            {draft(3, u"3"_s), u"QM505提示|stop|凭证号不连续，不能保存"_s},
            {with([&](VoucherDraft& v) { v.firstSummary.clear(); unbalanced(v); }), u"QM505提示|stop|第一行摘要不能为空"_s},
            {with([&](VoucherDraft& v) { unbalanced(v); v.lines.removeLast(); }), u"QM505提示|!|借贷不平!"_s},
            {with([](VoucherDraft& v) { v.lines.removeLast(); v.lines[0].debit.reset(); }), u"提示窗口||没有要保存的数据！"_s},
            {with([](VoucherDraft& v) { v.rowWithoutAccount = 4; v.lines[1].accountCode = u"9999"_s; }),
             u"QM505提示|stop|第4行没有科目,不能保存:请输入科目或清空该行"_s},
            {with([](VoucherDraft& v) { v.lines[1].accountCode = u"2202"_s; }), u"QM505||科目代码不正确或不是最明细代码"_s},
            {with([](VoucherDraft& v) { v.lines[1].accountCode = u"2202001001"_s; v.attachmentsText = u"9999"_s; }), QString()},
            // 0.1 + 0.2 against 0.3 balances to the cent.
            {draft(3, u"2"_s, {line(u"a"_s, u"1001"_s, u"0.10"_s, QString()), line(QString(), u"1001"_s, u"0.20"_s, QString()),
                               line(QString(), u"1002"_s, QString(), u"0.30"_s)}), QString()},
        };
        for (const auto& [voucher, expected] : cases) {
            QCOMPARE(refusal(VoucherChange::Save, voucher), expected);
            if (!expected.isEmpty())
                QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Save, voucher, kYear, u"管理员"_s));
        }
        QCOMPARE(QStringList({refusal(VoucherChange::Insert, draft(5, u"1"_s)), refusal(VoucherChange::Insert, draft(3, u"2"_s)),
                              refusal(VoucherChange::Delete, draft(3, u"2"_s)), refusal(VoucherChange::Modify, draft(3, u"2"_s))}),
                 (QStringList{u"QM505提示|stop|凭证号不能超过9999"_s, u"QM505提示|stop|此号码不在原凭证内,不能插入凭证"_s,
                              u"QM505提示|stop|不能删除凭证"_s, u"QM505提示|stop|不能修改凭证,号码出错"_s}));
        QCOMPARE(dumpTable(u"分2016"_s), before);

        // A closed month refuses every change before looking at the number; a closed December
        // still takes vouchers, as open lines.
        execute(u"UPDATE 分2016 SET 结帐=1"_s);
        for (VoucherChange change : {VoucherChange::Save, VoucherChange::Insert, VoucherChange::Modify, VoucherChange::Delete})
            QCOMPARE(refusal(change, draft(3, u"9"_s)), u"QM505提示|!|3  月份已结帐,请先进行反结帐"_s);
        applyVoucherChange(VoucherChange::Save, draft(12, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 结帐 FROM 分2016 WHERE 号码=2"_s), (QStringList{u"8120002001 -"_s, u"8120002002 -"_s}));
    }

    // A row without an account counts once any one of its cells holds something, and the first
    // such row is the one named; a row of nothing is passed over.
    void theFirstRowWithoutAnAccountIsNamed()
    {
        const VoucherLineText cash = line(u"提现"_s, u"1001 库存现金"_s, u"1.00"_s, QString());
        const VoucherLineText later = line(u"y"_s, QString(), QString(), QString());
        // A row of nothing but `text` in cell `cell` (1 is the account).
        const auto only = [](int cell, const QString& text) {
            QStringList cells(7);
            cells[cell] = text;
            return VoucherLineText{cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]};
        };
        const QList<VoucherLineText> rows = {only(0, QString()), only(0, u"x"_s),     only(2, u"1.5"_s),
                                             only(3, u"0.01"_s), only(4, u"-0.01"_s), only(5, u"101"_s),
                                             only(6, u"0.01"_s)};
        QStringList named;
        for (const VoucherLineText& row : rows) {
            const ParsedLines parsed = parseVoucherLines({cash, row, {}, later, cash});
            named << u"%1:%2"_s.arg(parsed.rowWithoutAccount).arg(parsed.lines.size());
        }
        QCOMPARE(named.join(u' '), u"4:2 2:2 2:2 2:2 2:2 2:2 2:2"_s);
    }

    // Every number cell of a line is read: one that is no number refuses the voucher by its row.
    void everyNumberCellOfALineIsRead()
    {
        QStringList refusals;
        for (const int cell : {2, 3, 4, 6}) {
            QStringList cells{QString(), u"1002 银行存款"_s, u"1"_s, QString(), u"1"_s, u"101"_s, u"1"_s};
            cells[cell] = u"1a"_s;
            const VoucherLineText typed{cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6]};
            refusals << shown(parseVoucherLines({line(u"提现"_s, u"1001"_s, u"1"_s, QString()), typed}).refusal);
        }
        QCOMPARE(refusals, QStringList(4, u"QM505|!|第2行: “1a”不是数字,原值不变"_s));
    }

    void insertingShiftsTheLaterVouchersUpOrNothing()
    {
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 10);
        addVoucher(4, 2, u"1001"_s, u"1002"_s, 40);
        const ChangeCheck check = checkVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear);
        QCOMPARE(shown(check.question), u"QM505提示||真要插入此张凭证吗?原来的2号凭证及以后的号码会自动增号"_s);
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(done.numberText + u' ' + done.message.text, u"4 凭证插入成功"_s);
        QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 10"_s, u"8030002001 8030002002 2 500"_s,
                                                u"8030003001 8030003002 3 20"_s, u"8030004001 8030004002 4 30"_s}));
        QCOMPARE(monthVouchers(4), QStringList{u"8040002001 8040002002 2 40"_s});
        // The month's last voucher can have one inserted before it; the number after it cannot.
        QCOMPARE(refusal(VoucherChange::Insert, draft(3, u"4"_s)) + u'|' + refusal(VoucherChange::Insert, draft(3, u"5"_s)),
                 u"|QM505提示|stop|此号码不在原凭证内,不能插入凭证"_s);

        // A renumbering that fails part way, inserting or deleting, leaves the month as it was.
        const QStringList before = dumpTable(u"分2016"_s);
        execute(u"CREATE TRIGGER stop_shift BEFORE UPDATE ON 分2016 WHEN OLD.号码=4 BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear, u"管理员"_s));
        QCOMPARE(dumpTable(u"分2016"_s), before);
        pageFirst(kYear, 3);
        pageNext(kYear, 3, u"1"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Delete, draft(3, u"2"_s), kYear, u"管理员"_s));
        QCOMPARE(dumpTable(u"分2016"_s), before);
    }

    void deletingAndModifyingThePagedVoucher()
    {
        for (int number = 1; number <= 5; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 10);
        addVoucher(4, 3, u"1001"_s, u"1002"_s, 99);

        QCOMPARE(refusal(VoucherChange::Delete, draft(3, u"2"_s)) + refusal(VoucherChange::Modify, draft(3, u"2"_s)),
                 u"QM505提示|stop|没有数据QM505提示|stop|没有数据"_s);
        pagePrevious(kYear, 3, u"4"_s);
        // Voucher 3 of March is loaded; the same number in April is not that voucher.
        QCOMPARE(QStringList({refusal(VoucherChange::Delete, draft(3, u"2"_s)), refusal(VoucherChange::Modify, draft(3, u"2"_s)),
                              refusal(VoucherChange::Modify, draft(4, u"3"_s))}),
                 (QStringList{u"QM505提示|stop|不能删除凭证,要查询出来的号码才能删除"_s, u"QM505提示|stop|不能修改凭证,要查询出来的号码才能修改"_s,
                              u"QM505提示|stop|不能修改凭证,要查询出来的号码才能修改"_s}));

        pageNext(kYear, 3, u"1"_s);
        const ChangeCheck question = checkVoucherChange(VoucherChange::Delete, draft(3, u"2"_s), kYear);
        QCOMPARE(question.question->text, u"真要删除此张凭证吗?(2号凭证),以后的号码会自动减号)"_s);
        VoucherDraft deletion = draft(3, u"2"_s);
        deletion.lines.clear();
        deletion.firstSummary.clear();
        // A deletion reads nothing of the voucher but its number.
        deletion.attachmentsText = u"10000"_s;
        const VoucherChangeDone deleted = applyVoucherChange(VoucherChange::Delete, deletion, kYear, u"管理员"_s);
        QCOMPARE(deleted.numberText + u' ' + deleted.message.text, u"6 凭证删除成功"_s);
        QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 10"_s, u"8030002001 8030002002 2 30"_s,
                                                u"8030003001 8030003002 3 40"_s, u"8030004001 8030004002 4 50"_s}));

        pagePrevious(kYear, 3, u"4"_s);
        const VoucherDraft three = draft(3, u"3"_s, {line(u"改"_s, u"1001 库存现金"_s, u"0.30"_s, QString()),
                                                      line(QString(), u"1002 银行存款"_s, QString(), u"0.10"_s),
                                                      line(u"又"_s, u"1002 银行存款"_s, QString(), u"0.20"_s)});
        QCOMPARE(checkVoucherChange(VoucherChange::Modify, three, kYear).question->text, u"真要修改此张凭证吗?(3号凭证)"_s);
        const VoucherChangeDone modified = applyVoucherChange(VoucherChange::Modify, three, kYear, u"会计乙"_s);
        QCOMPARE(modified.numberText + u' ' + modified.message.text, u"5 凭证修改成功"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 摘要说明, 制单, 借方金额, 贷方金额 FROM 分2016 WHERE 月=3 AND 号码>=3 ORDER BY ID"_s),
                 (QStringList{u"8030003001 改 会计乙 0.3 -"_s, u"8030003002 改 会计乙 - 0.1"_s, u"8030003003 又 会计乙 - 0.2"_s,
                              u"8030004001 业务 - 50 -"_s, u"8030004002 业务 - - 50"_s}));
    }

    // Voucher numbers past 999 and lines past 9: the shift of a whole month moves the number part
    // of every key, and a deletion right after gives back the month as it was.
    void insertingAndDeletingBeforeVoucherOneOfALongMonth()
    {
        addPayableLeaf();
        // 1,000 vouchers of two lines in November, the last one of twelve; a voucher in October and
        // December that must not move.
        execute(u"WITH RECURSIVE v(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM v WHERE n < 1000), "
                "l(n, line) AS (SELECT n, 1 FROM v UNION ALL SELECT n, line + 1 FROM l "
                "WHERE line < CASE WHEN n = 1000 THEN 12 ELSE 2 END) "
                "INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 摘要说明, 代码, 借方金额, 贷方金额) "
                "SELECT printf('811%04d%03d', n, line), '2016-11-10', 11, '记', n, '业务', "
                "iif(line % 2 = 1, '1001', '2202001001'), iif(line % 2 = 1, 0.125, NULL), iif(line % 2 = 0, 0.125, NULL) FROM l"_s);
        addVoucher(10, 1, u"1001"_s, u"1002"_s, 7);
        addVoucher(12, 1, u"1001"_s, u"1002"_s, 8);
        const QStringList before = dumpTable(u"分2016"_s);
        const auto keys = [](const QString& where) {
            return rowsAsText(u"SELECT group_concat(ID || ':' || 号码, ' ') FROM (SELECT ID, 号码 FROM 分2016 WHERE %1 ORDER BY ID)"_s.arg(where));
        };

        const VoucherDraft first = draft(11, u"1"_s, {line(u"插"_s, u"1001 库存现金"_s, u"0.10"_s, QString()),
                                                      line(QString(), u"1001"_s, u"0.20"_s, QString()),
                                                      line(QString(), u"2202001001 应付账款/甲/材料款"_s, QString(), u"0.30"_s)});
        const VoucherChangeDone inserted = applyVoucherChange(VoucherChange::Insert, first, kYear, u"管理员"_s);
        QCOMPARE(inserted.numberText + u' ' + inserted.message.text, u"1001 凭证插入成功"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 号码, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 月=11 AND 号码<=2 ORDER BY ID"_s),
                 (QStringList{u"8110001001 1 1001 0.1 -"_s, u"8110001002 1 1001 0.2 -"_s, u"8110001003 1 2202001001 - 0.3"_s,
                              u"8110002001 2 1001 0.125 -"_s, u"8110002002 2 2202001001 - 0.125"_s}));
        QCOMPARE(keys(u"月=11 AND 号码 IN (999, 1000)"_s), QStringList{u"8110999001:999 8110999002:999 8111000001:1000 8111000002:1000"_s});
        QCOMPARE(keys(u"号码=1001"_s), QStringList{u"8111001001:1001 8111001002:1001 8111001003:1001 8111001004:1001 "
                                                  "8111001005:1001 8111001006:1001 8111001007:1001 8111001008:1001 "
                                                  "8111001009:1001 8111001010:1001 8111001011:1001 8111001012:1001"_s});
        QCOMPARE(keys(u"月<>11"_s), QStringList{u"8100001001:1 8100001002:1 8120001001:1 8120001002:1"_s});
        // Every key still holds its own month, number and line, and no key is held twice.
        QCOMPARE(rowsAsText(u"SELECT count(*), count(DISTINCT ID) FROM 分2016 WHERE 月=11 AND "
                            "ID = printf('811%04d', 号码) || substr(ID, 8)"_s), QStringList{u"2013 2013"_s});

        pageFirst(kYear, 11);
        VoucherDraft deletion = draft(11, u"1"_s);
        const VoucherChangeDone deleted = applyVoucherChange(VoucherChange::Delete, deletion, kYear, u"管理员"_s);
        QCOMPARE(deleted.numberText + u' ' + deleted.message.text, u"1002 凭证删除成功"_s);
        QCOMPARE(dumpTable(u"分2016"_s), before);
    }

    // A voucher inserted before the month's first is written after the month's rows, and a voucher
    // saved next after that: renumbering from 2 passes over voucher 1 wherever it lies.
    void renumberingPassesOverAnEarlierVoucherWrittenLater()
    {
        addPayableLeaf();
        for (int number = 1; number <= 2; ++number)
            addVoucher(3, number, u"1001"_s, u"2202001001"_s, number * 10);
        applyVoucherChange(VoucherChange::Insert, draft(3, u"1"_s), kYear, u"管理员"_s);
        applyVoucherChange(VoucherChange::Save,
                           draft(3, u"4"_s,
                                 {line(u"存"_s, u"1002 银行存款"_s, u"0.125"_s, QString()),
                                  line(QString(), u"1001 库存现金"_s, QString(), u"0.125"_s)}),
                           kYear, u"管理员"_s);
        const QStringList before = dumpTable(u"分2016"_s);
        applyVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 500"_s, u"8030002001 8030002002 2 500"_s,
                                                u"8030003001 8030003002 3 10"_s, u"8030004001 8030004002 4 20"_s,
                                                u"8030005001 8030005002 5 0.13"_s}));
        pageNext(kYear, 3, u"1"_s);
        applyVoucherChange(VoucherChange::Delete, draft(3, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(dumpTable(u"分2016"_s), before);
    }

    // A month entered in one stretch, or between the vouchers of one or two other months: each
    // insertion moves March's later vouchers and nothing else, and the deletion undoes it.
    void shiftingAMonthWhoseRowsLieAmongOtherMonths()
    {
        addPayableLeaf();
        for (int others = 0; others <= 2; ++others) {
            execute(u"DELETE FROM 分2016"_s);
            for (int number = 1; number <= 4; ++number) {
                addVoucher(3, number, u"1001"_s, u"2202001001"_s, number == 4 ? QVariant(0.125) : QVariant(number * 10));
                for (int month = 4; month < 4 + others; ++month)
                    addVoucher(month, number, u"1001"_s, u"1002"_s, month);
            }
            const QStringList before = dumpTable(u"分2016"_s);
            const QStringList otherMonths = rowsAsText(u"SELECT ID, 号码 FROM 分2016 WHERE 月<>3 ORDER BY ID"_s);
            applyVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear, u"管理员"_s);
            QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 10"_s, u"8030002001 8030002002 2 500"_s,
                                                    u"8030003001 8030003002 3 20"_s, u"8030004001 8030004002 4 30"_s,
                                                    u"8030005001 8030005002 5 0.125"_s}));
            QCOMPARE(rowsAsText(u"SELECT ID, 号码 FROM 分2016 WHERE 月<>3 ORDER BY ID"_s), otherMonths);
            pageNext(kYear, 3, u"1"_s);
            applyVoucherChange(VoucherChange::Delete, draft(3, u"2"_s), kYear, u"管理员"_s);
            QCOMPARE(dumpTable(u"分2016"_s), before);
        }
    }

    // The closing test reads the month's largest mark, however few lines carry one: a month is
    // open only while none of its lines carries a mark other than 0, and other months' marks do
    // not count. Books made before the index of closed lines answer the same.
    void closedMonthsByTheirMarks()
    {
        for (int month = 3; month <= 9; ++month)
            addVoucher(month, 1, u"1001"_s, u"1002"_s, 10);
        execute(u"UPDATE 分2016 SET 结帐=2 WHERE 月=4 AND ID LIKE '%002'"_s);
        execute(u"UPDATE 分2016 SET 结帐=1 WHERE 月=5 AND ID LIKE '%001'"_s);
        execute(u"UPDATE 分2016 SET 结帐=0 WHERE 月=6"_s);
        execute(u"UPDATE 分2016 SET 结帐=1 WHERE 月 IN (7, 12)"_s);
        // A line marked 0 beside a closed line leaves the month closed.
        execute(u"UPDATE 分2016 SET 结帐=iif(ID LIKE '%001', 0, 1) WHERE 月=9"_s);
        const auto marks = [] {
            QStringList seen;
            for (int month = 2; month <= 9; ++month)
                seen << QString::number(monthClosedMark(kYear, month));
            return seen.join(u' ') + u' ' + refusal(VoucherChange::Save, draft(5, u"2"_s)) + u' '
                   + refusal(VoucherChange::Save, draft(6, u"2"_s));
        };
        const QString expected = u"0 0 2 1 0 1 0 1 QM505提示|!|5  月份已结帐,请先进行反结帐 "_s;
        QCOMPARE(marks(), expected);
        // Books of the version before the index.
        execute(u"DROP INDEX 分2016_月结帐"_s);
        execute(u"PRAGMA user_version=%1"_s.arg(SchemaVersion::ClosedLinesIndex - 1));
        QCOMPARE(marks(), expected);
        closeConnection();
        openConnection();
        QCOMPARE(scalar(u"SELECT count(*) FROM sqlite_master WHERE name='分2016_月结帐'"_s).toInt(), 1);
        QCOMPARE(marks(), expected);
    }

    void closingAndReopeningMonths()
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
        QCOMPARE(rowsAsText(u"SELECT 月, 结帐, count(*) FROM 分2016 GROUP BY 月, 结帐"_s), (QStringList{u"3 1 13"_s, u"3 2 6"_s, u"4 - 2"_s}));

        QCOMPARE(checkCloseMonth(QDate(kYear, 3, 1), u"会计"_s, kYear).refusal->text, u"3  月份已结帐,请先进行反结帐"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, closeOn12th(3));
        QCOMPARE(shown(checkReopenMonth(3, kYear).question), u"QM505提示||是否进行反结帐?(3月份)"_s);
        // A reopening that fails part way leaves the month closed, its closing voucher kept.
        const QStringList closed = dumpTable(u"分2016"_s);
        execute(
            u"CREATE TRIGGER no_reopening BEFORE UPDATE ON 分2016 WHEN NEW.结帐 IS NULL BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, reopenMonth(3, kYear));
        QCOMPARE(dumpTable(u"分2016"_s), closed);
        execute(u"DROP TRIGGER no_reopening"_s);
        reopenMonth(3, kYear);
        QCOMPARE(dumpTable(u"分2016"_s), before);

        // Over amounts finer than a cent the closing voucher still balances.
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

        // A month with nothing to carry, and the refusals.
        addVoucher(5, 1, u"1001"_s, u"1002"_s, 10);
        addVoucher(12, 1, u"1122"_s, u"6001"_s, 10);
        const QStringList beforeMay = dumpTable(u"分2016"_s);
        const ClosingResult nothing = closeOn12th(5);
        QVERIFY(!nothing.carried && shown(nothing.message) == u"QM505|!|没有要结转的数据"_s);
        QCOMPARE(rowsAsText(u"SELECT 月, 结帐 FROM 分2016 WHERE 月 IN (5, 12) ORDER BY ID"_s), (QStringList{u"5 1"_s, u"5 1"_s, u"12 -"_s, u"12 -"_s}));
        QVERIFY(!checkReopenMonth(5, kYear).refusal);
        reopenMonth(5, kYear);
        QCOMPARE(dumpTable(u"分2016"_s), beforeMay);

        QCOMPARE(QStringList({checkCloseMonth(QDate(2015, 12, 1), QString(), kYear).refusal->text,
                              shown(checkCloseMonth(QDate(kYear, 12, 1), QString(), kYear).refusal), shown(checkReopenMonth(12, kYear).refusal)}),
                 (QStringList{u"会计年度不一致"_s, u"QM505提示|stop|审核不能为空"_s, u"QM505提示|!|12  月份未结帐"_s}));
        // A closed December takes vouchers but is not closed twice.
        closeOn12th(12);
        QCOMPARE(checkCloseMonth(QDate(kYear, 12, 1), u"会计"_s, kYear).refusal->text, u"12  月份已结帐,请先进行反结帐"_s);
        // December's closing voucher is dated the last day of the year.
        QCOMPARE(
            rowsAsText(u"SELECT ID, 日期, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 结帐=2 AND 月=12 ORDER BY ID"_s),
            (QStringList{u"8120002001 2016-12-31 6001 10 -"_s, u"8120002002 2016-12-31 4103 - 10"_s}));
    }

    // Income is every account from 60 to 63 and expense every one from 64 to 69; cost (5001) and
    // cash are not carried.
    void closingCarriesTheWholeOfBothClasses()
    {
        addAccount(u"6901"_s, u"以前年度损益调整"_s, u"以前年度损益调整"_s);
        addLines(u"8030001001 1001 10.5 -|8030001002 6301 - 10.5|8030002001 6801 0.25 -|8030002002 6901 0.125 -|"
                 "8030002003 5001 1 -|8030002004 1001 - 1.375"_s);
        QVERIFY(closeOn12th(3).carried);
        QCOMPARE(closingVoucher(3),
                 (QStringList{u"8030003001 6301 10.5 -"_s, u"8030003002 4103 - 10.5"_s, u"8030003003 4103 0.38 -"_s,
                              u"8030003004 6801 - 0.25"_s, u"8030003005 6901 - 0.13"_s}));
    }

    // 9999 is the last voucher number there is, saved or generated.
    void theLastVoucherNumberIs9999()
    {
        dollarBooks();
        addVoucher(4, 9998, u"1002001"_s, u"6001"_s, 10);
        addVoucher(5, 9999, u"1002001"_s, u"6001"_s, 10);
        const VoucherDraft last = draft(
            4, u"9999"_s,
            {line(u"收"_s, u"1001"_s, u"0.125"_s, QString()), line(QString(), u"1002001"_s, QString(), u"0.125"_s)});
        QCOMPARE(QStringList({refusal(VoucherChange::Save, last),
                              shown(checkCloseMonth(QDate(kYear, 4, 1), u"会计"_s, kYear).refusal),
                              shown(checkStartExchangeAdjustment(kYear, 4, u"9999"_s)),
                              shown(checkCloseMonth(QDate(kYear, 5, 1), u"会计"_s, kYear).refusal),
                              shown(checkStartExchangeAdjustment(kYear, 5, u"9999"_s))}),
                 (QStringList{QString(), QString(), QString(), u"QM505提示|stop|凭证号不能超过9999"_s,
                              u"QM505提示|stop|凭证号不能超过9999"_s}));
        closeOn12th(4);
        QCOMPARE(closingVoucher(4), (QStringList{u"8049999001 6001 80 -"_s, u"8049999002 4103 - 80"_s}));
    }

    void adjustingTwoAccounts()
    {
        dollarBooks();
        QVERIFY(!checkStartExchangeAdjustment(kYear, 3, u"3"_s));
        fillExchangeTable(kYear, 3);
        QCOMPARE(exchangeTable(), (QStringList{u"1002001 银行存款/美元户 900 6120 - - -"_s, u"1122001 应收账款/美国客户 500 3400 - - -"_s}));
        const std::vector<ExchangeRow> rows = exchangeRows();
        setExchangeValue(rows[0].id, u"汇率"_s, 6.5);
        setExchangeValue(rows[1].id, u"汇率"_s, 6.9);
        QVERIFY(!computeExchangeDifferences());
        QCOMPARE(exchangeTable(), (QStringList{u"1002001 银行存款/美元户 900 6120 6.5 5850 270"_s, u"1122001 应收账款/美国客户 500 3400 6.9 3450 -50"_s}));

        const QStringList accounts = profitAndLossAccountEntries();
        QVERIFY(accounts.size() == 14 && accounts.first() == u"6001 主营业务收入"_s);
        QCOMPARE(checkPostExchangeVoucher(u"6603 财务费用"_s).question->text, u"是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作"_s);
        const PostingResult result = postExchangeVoucher(kHeader, u"6603 财务费用"_s, kYear);
        QVERIFY(result.posted && result.message.text == u"凭证保存成功,请检查凭证是否正确!!"_s);
        QCOMPARE(postedVoucher(), (QStringList{u"8030003001 6603 220 -"_s, u"8030003002 1002001 - 270"_s, u"8030003003 1122001 - -50"_s}));
        QCOMPARE(rowsAsText(u"SELECT DISTINCT 摘要说明, 字号, 日期, 审核, 制单, 附件, 结帐 FROM 分2016 WHERE 号码=3"_s),
                 QStringList{u"调整汇兑损益  转 2016-03-31 管理员 管理员 1 -"_s});
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, u"4"_s)->text, u"本月已调汇,请删除调汇凭证再进行调汇"_s);
    }

    void refusalsAndRounding()
    {
        dollarBooks();
        QCOMPARE(checkStartExchangeAdjustment(kYear, 3, QString())->text, u"年度,凭证号不能为空"_s);
        QVERIFY(!checkStartExchangeAdjustment(kYear, 3, u"1"_s));
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

        // An emptied quantity is none left: the whole book amount is the difference.
        setExchangeValue(exchangeRows()[0].id, u"数量"_s, QVariant());
        setExchangeValue(exchangeRows()[0].id, u"汇率"_s, 6.5);
        QVERIFY(!computeExchangeDifferences());
        QCOMPARE(exchangeTable().first(), u"1002001 银行存款/美元户 - 6120 6.5 0 6120"_s);

        // A refill that fails part way leaves the table as it was.
        const QStringList typed = exchangeTable();
        execute(u"CREATE TRIGGER no_refill BEFORE INSERT ON 调汇 BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, fillExchangeTable(kYear, 3));
        QCOMPARE(exchangeTable(), typed);
        execute(u"DROP TRIGGER no_refill"_s);

        execute(u"DELETE FROM 调汇"_s);
        QCOMPARE(computeExchangeDifferences()->text, u"没有数据"_s);
        execute(u"UPDATE 分2016 SET 结帐=1 WHERE 月=4"_s);
        QCOMPARE(checkStartExchangeAdjustment(kYear, 4, u"2"_s)->text, u"4  月份已结帐,请先进行反结帐"_s);
    }

    // A flagged account is adjusted while anything of it is left up to the month, the currency or
    // its book value: currency sold down to none still leaves its gain or loss to take up.
    void exchangeTableTakesWhatIsLeftEitherWay()
    {
        addAccount(u"1002001"_s, u"美元户"_s, u"银行存款/美元户"_s);
        addAccount(u"1002002"_s, u"欧元户"_s, u"银行存款/欧元户"_s);
        addAccount(u"1002003"_s, u"港币户"_s, u"银行存款/港币户"_s);
        addAccount(u"1122001"_s, u"美国客户"_s, u"应收账款/美国客户"_s);
        addPayableLeaf();
        const struct {
            QString lines;
            QString row;  // code, quantity and book amount; empty for none
        } cases[] = {
            // Bought at 7.00, sold down to none at 7.20: 20 less in the books than was paid out.
            {u"8020001001 1002001 700 - 100|8030001001 1002001 - 720 100"_s, u"1002001 0 -20"_s},
            // Sold at what it cost: nothing left.
            {u"8020002001 1002002 700 - 100|8030002001 1002002 - 700 100"_s, QString()},
            // 0.1 + 0.2 in, 0.3 out, of both: nothing left, though neither sum is 0 in binary.
            {u"8020003001 1002003 0.1 - 0.1|8020003002 1002003 0.2 - 0.2|8030003001 1002003 - 0.3 0.3"_s, QString()},
            // Currency left at no book value; what comes in after the month does not count.
            {u"8000000001 1122001 0.125 - 10|8030004001 1122001 - 0.125|8040001001 1122001 70 - 10"_s, u"1122001 10 0"_s},
            // A dollar payable on the credit side, booked at 6.80 and paid off at 7.00.
            {u"8020005001 2202001001 - 680 100|8030005001 2202001001 700 - 100"_s, u"2202001001 0 20"_s},
        };
        QStringList expected;
        for (const auto& each : cases) {
            addLines(each.lines);
            if (!each.row.isEmpty())
                expected << each.row;
        }
        execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码 IN ('1002001','1002002','1002003','1122001','2202001001')"_s);
        fillExchangeTable(kYear, 3);
        QCOMPARE(rowsAsText(u"SELECT 代码, 数量, 调整前金额 FROM 调汇 ORDER BY ID"_s), expected);
    }
};

QTEST_GUILESS_MAIN(TestVouchers)
#include "test_vouchers.moc"

#include "support/common.h"
#include "app/database_maintenance.h"
#include "app/year_end.h"
#include "data/month_totals.h"
#include "ledgers/views.h"
#include "vouchers/exchange_adjustment.h"
#include "vouchers/month_closing.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/work_copy.h"

#include <QRandomGenerator>

namespace {

QStringList keptTotals(int year)
{
    return rowsAsText(u"SELECT * FROM %1 ORDER BY 1, 2"_s.arg(monthTotalsTableName(year)));
}

QStringList recomputedTotals(int year)
{
    return rowsAsText(u"SELECT * FROM (%1) ORDER BY 1, 2"_s.arg(monthTotalsRecompute(year)));
}

// Cash, a bank account in dollars, stock with quantities, the credit-direction level-3 payable
// with quantities, income and expenses.
void quantityBooks()
{
    addPayableLeaf();
    execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码='1002'"_s);
    addLines(u"8000000001 1001 100.125 -|8000000002 1002 680 - 100|8000000003 1403 0.1 - 0.2|"
             "8000000004 2202001001 - 0.3 0.1|8000000005 4001 - 780.525"_s);
}

const QStringList kCodes = {u"1001"_s, u"1002"_s, u"1403"_s, u"2202001001"_s, u"6001"_s, u"6602"_s};

VoucherDraft randomDraft(QRandomGenerator& random, int month, int number)
{
    VoucherDraft draft;
    draft.date = QDate(kYear, month, 20);
    draft.word = u"记"_s;
    draft.numberText = QString::number(number);
    draft.attachmentsText = u"1"_s;
    draft.reviewer = u"会计"_s;
    draft.firstSummary = u"随机"_s;
    const int lines = 2 + int(random.bounded(3));
    qint64 total = 0;
    for (int line = 0; line < lines; ++line) {
        VoucherLine entry;
        entry.summary = draft.firstSummary;
        entry.accountCode = kCodes[random.bounded(int(kCodes.size()))];
        if (entry.accountCode == u"1403"_s || entry.accountCode == u"2202001001"_s)
            entry.quantity = 0.1 * (1 + random.bounded(30));
        const qint64 cents = 1 + random.bounded(100000);
        if (line + 1 < lines) {
            entry.debit = Money::fromCents(cents);
            total += cents;
        } else {
            entry.credit = Money::fromCents(total);
        }
        draft.lines << entry;
    }
    return draft;
}

}  // namespace

class TestMonthTotals : public BooksTest {
    Q_OBJECT

private slots:
    // Seeded random work on small books; after each step the kept totals equal a full recompute.
    void keptTrueThroughTheWork()
    {
        quantityBooks();
        QRandomGenerator random(505);
        const QString preparer = u"管理员"_s;
        QStringList done;
        for (int step = 0; step < 160; ++step) {
            const int month = 1 + int(random.bounded(4));
            const int last = lastVoucherNumber(kYear, month);
            const int roll = int(random.bounded(100));
            QString what;
            try {
                if (roll < 35) {
                    what = u"save"_s;
                    applyVoucherChange(VoucherChange::Save, randomDraft(random, month, last + 1), kYear, preparer);
                } else if (roll < 45 && last > 0) {
                    what = u"insert"_s;
                    applyVoucherChange(VoucherChange::Insert, randomDraft(random, month, 1 + int(random.bounded(last))), kYear, preparer);
                } else if (roll < 55 && last > 0) {
                    what = u"modify"_s;
                    const int number = 1 + int(random.bounded(last));
                    copyVoucherToWorkCopy(kYear, month, number);
                    applyVoucherChange(VoucherChange::Modify, randomDraft(random, month, number), kYear, preparer);
                } else if (roll < 63 && last > 0) {
                    what = u"delete"_s;
                    const int number = 1 + int(random.bounded(last));
                    copyVoucherToWorkCopy(kYear, month, number);
                    applyVoucherChange(VoucherChange::Delete, randomDraft(random, month, number), kYear, preparer);
                } else if (roll < 70) {
                    what = u"close"_s;
                    const QDate date(kYear, month, 25);
                    if (!checkCloseMonth(date, u"会计"_s, kYear).refusal)
                        closeMonth(date, u"会计"_s, preparer, kYear);
                } else if (roll < 76) {
                    what = u"reopen"_s;
                    if (!checkReopenMonth(month, kYear).refusal)
                        reopenMonth(month, kYear);
                } else if (roll < 81) {
                    what = u"exchange"_s;
                    const QString next = QString::number(last + 1);
                    if (!checkStartExchangeAdjustment(kYear, month, next)) {
                        fillExchangeTable(kYear, month);
                        for (const ExchangeRow& row : exchangeRows())
                            setExchangeValue(row.id, u"汇率"_s, 6.125 + random.bounded(10) / 8.0);
                        if (!computeExchangeDifferences())
                            postExchangeVoucher({QDate(kYear, month, 28), u"转"_s, last + 1, preparer}, u"6603 财务费用"_s, kYear);
                    }
                } else if (roll < 84) {
                    what = u"carry"_s;
                    carryForward(kYear);
                    QCOMPARE(keptTotals(kYear + 1), recomputedTotals(kYear + 1));
                    execute(u"UPDATE 信息表 SET 年度=? WHERE 代号='QM'"_s, {kYear});
                } else if (roll < 87) {
                    what = u"compact"_s;
                    execute(u"INSERT INTO 分2016 (ID, 月, 借方金额, 数量) VALUES ('8020099001', 2, 1.5, 2)"_s);
                    compactDatabase(kYear);
                } else {
                    // Lines written as another writer would: 0.125, 0.1 + 0.2, code and month moved,
                    // the closing mark set and taken away, a line without a code.
                    what = u"sql"_s;
                    const QString id = scalar(u"SELECT ID FROM 分2016 WHERE 月 IS NOT NULL ORDER BY random() LIMIT 1"_s).toString();
                    switch (random.bounded(7)) {
                    case 0: execute(u"UPDATE 分2016 SET 借方金额=0.125, 贷方金额=NULL WHERE ID=?"_s, {id}); break;
                    case 1: execute(u"UPDATE 分2016 SET 贷方金额=0.1+0.2, 借方金额=NULL, 数量=0.1 WHERE ID=?"_s, {id}); break;
                    case 2: execute(u"UPDATE 分2016 SET 代码='2202001001', 月=月%4+1 WHERE ID=?"_s, {id}); break;
                    case 3: execute(u"UPDATE 分2016 SET 结帐=iif(结帐=2, NULL, 2) WHERE ID=?"_s, {id}); break;
                    case 4: execute(u"UPDATE 分2016 SET 数量=ifnull(数量, 0) + 0.125 WHERE ID=?"_s, {id}); break;
                    case 5: addLines(u"8039999001 - 0.125 -"_s); execute(u"UPDATE 分2016 SET 代码=NULL WHERE 代码='-'"_s); break;
                    default: execute(u"UPDATE 分2016 SET 数量=NULL, 借方金额=NULL WHERE ID=?"_s, {id}); break;
                    }
                }
            } catch (const DbError&) {
                // A refused step (a closed month, say) leaves the books as they were.
            }
            done << what;
            const QStringList kept = keptTotals(kYear);
            if (kept != recomputedTotals(kYear))
                QFAIL(qPrintable(u"after "_s + done.join(u' ')));
        }
        // Every kind of step ran, and the books are not trivial.
        for (const QString& kind : {u"save"_s, u"insert"_s, u"modify"_s, u"delete"_s, u"close"_s, u"reopen"_s, u"exchange"_s,
                                    u"carry"_s, u"compact"_s, u"sql"_s})
            QVERIFY2(done.contains(kind), qPrintable(kind));
        QVERIFY(scalar(u"SELECT count(*) FROM 分2016 WHERE 结帐=2"_s).toInt() > 0);
        QVERIFY(scalar(u"SELECT count(*) FROM 月合计2016 WHERE 数笔>0 AND length(代码)=10"_s).toInt() > 0);
    }

    // The readers see the same figures as a pass over the lines: half cents, quantities that
    // cancel exactly, a credit-direction level-3 account, opening rows.
    void readersAgreeWithTheLines()
    {
        quantityBooks();
        addLines(u"8010001001 1403 0.1 - 0.1|8010001002 2202001001 - 0.1 0.2|8020001001 1403 - 0.2 0.3|"
                 "8020001002 1001 0.2 -|8020002001 1001 - 0.125|8020002002 6001 0.125 -"_s);
        QVERIFY(!buildBalanceTable(kYear, u"2"_s, u"3"_s));
        // 1403 ends the month with 0.2 + 0.1 - 0.3, no quantity at all, and 0.1 + 0.1 - 0.2, no amount.
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 期初数量, 期初金额, 本期借数, 本期借金, 本期贷数, 本期贷金, 期末数量, 期末金额 "
                            "FROM 数量式余额表 WHERE 科目代码 IN ('1001', '1403', '2202', '2202001001', '8') ORDER BY 1"_s),
                 (QStringList{u"1001 - 100.13 - 0.2 - 0.13 - 100.2"_s, u"1403 0.3 0.2 - - 0.3 0.2 - -"_s,
                              u"2202 0.3 0.4 - - - - 0.3 0.4"_s, u"2202001001 0.3 0.4 - - - - 0.3 0.4"_s,
                              u"8 - - 0 0.33 0.3 0.33 - -"_s}));
        QCOMPARE(monthCashBalance(kYear, 1).cents(), 10013);
        // Codes that differ in case alone are one code, as in the entry table (spelt either way).
        addLines(u"8040001001 1122ab 0.125 -|8040001002 1122AB - 0.125|8040001003 1122Ab 0.1 -"_s);
        QCOMPARE(keptTotals(kYear).join(u'|').toUpper(), recomputedTotals(kYear).join(u'|').toUpper());
        QCOMPARE(keptTotals(kYear).filter(u"1122"_s).size(), 1);
        QCOMPARE(monthCashBalance(kYear, 2).cents(), 10020);
        QVERIFY(!buildAccountSummary(kYear, u"2"_s));
        QCOMPARE(rowsAsText(u"SELECT * FROM 凭证汇总表 ORDER BY 1"_s),
                 (QStringList{u"1001 库存现金 0.2 0.13"_s, u"1403 原材料 - 0.2"_s, u"6001 主营业务收入 0.13 -"_s, u"8 合 计 0.33 0.33"_s}));
    }

    // At open a table made wrong behind the program's back, or without its triggers, is built
    // again; books of an earlier version gain the table and keep it from then on.
    void checkedAtOpen()
    {
        quantityBooks();
        addVoucher(3, 1, u"1001"_s, u"6001"_s, 0.125);
        const QStringList right = keptTotals(kYear);
        QCOMPARE(right, recomputedTotals(kYear));
        QCOMPARE(ensureMonthTotals(), QList<int>());

        execute(u"UPDATE 月合计2016 SET 借厘=借厘+1 WHERE 月=3"_s);
        closeConnection();
        openConnection();
        QCOMPARE(keptTotals(kYear), right);

        // A program that knows nothing of the totals: no triggers, lines written past them.
        execute(u"DROP TRIGGER 分2016_月合计_增"_s);
        addVoucher(3, 2, u"1002"_s, u"2202001001"_s, 0.3);
        QCOMPARE(ensureMonthTotals(), QList<int>{kYear});
        QVERIFY(keptTotals(kYear) != right && keptTotals(kYear) == recomputedTotals(kYear));

        // Books of an earlier version: no table, no trigger in any year.
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year) {
            for (const char* trigger : {"增", "删", "改"})
                execute(u"DROP TRIGGER %1_月合计_%2"_s.arg(entryTableName(year), QString::fromUtf8(trigger)));
            execute(u"DROP TABLE %1"_s.arg(monthTotalsTableName(year)));
        }
        addVoucher(4, 1, u"1403"_s, u"1001"_s, 0.1);
        addLines(u"8000000001 1001 5 -"_s, 2017);
        closeConnection();
        openConnection();
        QCOMPARE(keptTotals(kYear), recomputedTotals(kYear));
        QCOMPARE(keptTotals(kYear + 1), (QStringList{u"1001 - 1 1 5000 0 0 0 0 0 0 0 0 0 0"_s}));
        QCOMPARE(scalar(u"SELECT count(*) FROM sqlite_master WHERE name LIKE '%月合计%'"_s).toInt(), 11 * 5);
        addVoucher(4, 2, u"1001"_s, u"6001"_s, 0.125);
        QCOMPARE(keptTotals(kYear), recomputedTotals(kYear));

        // Clearing a year leaves no totals; the triggers are there for the next lines.
        clearYear(kYear);
        QVERIFY(keptTotals(kYear).isEmpty());
        addVoucher(5, 1, u"1001"_s, u"6001"_s, 0.125);
        QCOMPARE(keptTotals(kYear), recomputedTotals(kYear));
        QCOMPARE(keptTotals(kYear).size(), 2);
    }

    // Each sum the check at open compares, drifted alone while the others stay right, is found and
    // the year rebuilt there and then: the level-3 credit account again reads 2 units (not 3 or 1)
    // and 100.13 at the end of March.
    void eachCheckedSumDriftFoundAtOpen()
    {
        addPayableLeaf();
        addLines(u"8000000001 2202001001 - 100 1|8030001001 2202001001 - 0.125 1|8030001002 1001 0.125 -"_s);
        const QStringList right = keptTotals(kYear);
        const struct {
            const char16_t* column;
            int drift;
        } drifts[] = {{u"行数", 1}, {u"借厘", 1}, {u"贷厘", -1}, {u"净数厘", -1000}, {u"净数厘", 1000}};
        for (const auto& each : drifts) {
            const QString column = QString::fromUtf16(each.column);
            execute(u"UPDATE 月合计2016 SET %1=%1+? WHERE 代码='2202001001' AND 月=3"_s.arg(column), {each.drift});
            QVERIFY(keptTotals(kYear) != right);
            const QList<int> rebuilt = ensureMonthTotals();
            QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"3"_s));
            const QString balance =
                rowsAsText(u"SELECT 期末数量, 期末金额 FROM 数量式余额表 WHERE 科目代码='2202001001'"_s).join(u'|');
            QCOMPARE(column + u' ' + QString::number(rebuilt.value(0)) + u' ' + balance, column + u" 2016 2 100.13"_s);
            QCOMPARE(keptTotals(kYear), right);
        }
    }
};

QTEST_GUILESS_MAIN(TestMonthTotals)
#include "test_month_totals.moc"

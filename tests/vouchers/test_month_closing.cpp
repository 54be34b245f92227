#include "data/db_error.h"
#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/month_closing.h"
#include "vouchers/voucher_posting.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

// One line of voucher `number` of `month`.
void post(int month, int number, int line, const QString& code, const QVariant& debit, const QVariant& credit)
{
    execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 摘要说明, 代码, 借方金额, 贷方金额) "
                           "VALUES (?, ?, ?, '记', ?, '业务', ?, ?, ?)"),
            {entryId(month, number, line), QDate(kYear, month, 5).toString(Qt::ISODate), month, number, code, debit, credit});
}

void twoLines(int month, int number, const QString& debitCode, const QString& creditCode, double amount)
{
    post(month, number, 1, debitCode, amount, QVariant());
    post(month, number, 2, creditCode, QVariant(), amount);
}

QStringList closingVoucher(int month)
{
    QStringList lines;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT ID, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 结帐=2 AND 月=? ORDER BY ID"), {month}))
        lines << QStringLiteral("%1 %2 %3 %4").arg(row[0].toString(), row[1].toString(),
                                                   row[2].isNull() ? QStringLiteral("-") : QString::number(row[2].toDouble()),
                                                   row[3].isNull() ? QStringLiteral("-") : QString::number(row[3].toDouble()));
    return lines;
}

}  // namespace

class TestMonthClosing : public QObject {
    Q_OBJECT

private slots:
    void closingCarriesIncomeAndExpenseTo4103()
    {
        TempProgram program;
        twoLines(3, 1, QStringLiteral("1122"), QStringLiteral("6001"), 1000);
        twoLines(3, 2, QStringLiteral("6401"), QStringLiteral("1405"), 600);
        twoLines(3, 3, QStringLiteral("6602"), QStringLiteral("1001"), 50.5);
        twoLines(3, 4, QStringLiteral("5001"), QStringLiteral("1403"), 30);
        post(3, 5, 1, QStringLiteral("1001"), 0.3, QVariant());
        post(3, 5, 2, QStringLiteral("6051"), QVariant(), 0.1);
        post(3, 5, 3, QStringLiteral("6051"), QVariant(), 0.2);
        post(3, 5, 4, QStringLiteral("6301"), 20.0, QVariant());
        post(3, 5, 5, QStringLiteral("6301"), QVariant(), 20.0);
        twoLines(4, 1, QStringLiteral("1122"), QStringLiteral("6001"), 77);
        const QStringList before = dumpTable(QStringLiteral("分2016"));

        const QDate date(kYear, 3, 12);
        QVERIFY(!checkCloseMonth(date, QStringLiteral("会计"), kYear).refusal);
        const ClosingResult result = closeMonth(date, QStringLiteral("会计"), QStringLiteral("管理员"), kYear);
        QVERIFY(result.carried);
        QCOMPARE(result.message.text, QStringLiteral("收入/费用已成功结转！"));
        QCOMPARE(result.message.title, QStringLiteral("QM505系统"));
        QCOMPARE(result.message.icon, MessageIcon::Information);

        // Lines keep the working copy's counter: the cancelled 6301 line leaves a gap at 003.
        QCOMPARE(closingVoucher(3), (QStringList{
            QStringLiteral("8030006001 6001 1000 -"), QStringLiteral("8030006002 6051 0.3 -"),
            QStringLiteral("8030006004 4103 - 1000.3"), QStringLiteral("8030006005 4103 650.5 -"),
            QStringLiteral("8030006006 6401 - 600"), QStringLiteral("8030006007 6602 - 50.5")}));
        const RecordSet header = openRecordset(QStringLiteral(
            "SELECT DISTINCT 日期, 字号, 号码, 摘要说明, 附件, 审核, 制单 FROM 分2016 WHERE 结帐=2"));
        QCOMPARE(header.count(), 1);
        QCOMPARE(header[0][0].toString(), QStringLiteral("2016-03-31"));
        QCOMPARE(header[0][1].toString(), QStringLiteral("记"));
        QCOMPARE(header[0][2].toInt(), 6);
        QCOMPARE(header[0][3].toString(), QStringLiteral("结转本期损益"));
        QCOMPARE(header[0][4].toInt(), 1);
        QCOMPARE(header[0][5].toString(), QStringLiteral("会计"));
        QCOMPARE(header[0][6].toString(), QStringLiteral("管理员"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE 月=3 AND 结帐=1")).toInt(), 13);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE 月=4 AND 结帐 IS NOT NULL")).toInt(), 0);

        const ChangeCheck again = checkCloseMonth(date, QStringLiteral("会计"), kYear);
        QCOMPARE(again.refusal->text, QStringLiteral("3  月份已结帐,请先进行反结帐"));
        QVERIFY_THROWS_EXCEPTION(DbError, closeMonth(date, QStringLiteral("会计"), QStringLiteral("管理员"), kYear));

        const ChangeCheck reopen = checkReopenMonth(3, kYear);
        QCOMPARE(reopen.question->text, QStringLiteral("是否进行反结帐?(3月份)"));
        QCOMPARE(reopen.question->title, QStringLiteral("QM505提示"));
        reopenMonth(3, kYear);
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
    }

    void closingVoucherBalancesOverAmountsFinerThanACent()
    {
        TempProgram program;
        post(6, 1, 1, QStringLiteral("1001"), 0.25, QVariant());
        post(6, 1, 2, QStringLiteral("6001"), QVariant(), 0.125);
        post(6, 1, 3, QStringLiteral("6051"), QVariant(), 0.125);
        post(6, 2, 1, QStringLiteral("6601"), 0.375, QVariant());
        post(6, 2, 2, QStringLiteral("6602"), 0.375, QVariant());
        post(6, 2, 3, QStringLiteral("1001"), QVariant(), 0.75);
        closeMonth(QDate(kYear, 6, 30), QStringLiteral("会计"), QStringLiteral("管理员"), kYear);
        // Each line is rounded on its own, and 4103 takes the sum of the rounded lines.
        QCOMPARE(closingVoucher(6), (QStringList{
            QStringLiteral("8060003001 6001 0.13 -"), QStringLiteral("8060003002 6051 0.13 -"),
            QStringLiteral("8060003003 4103 - 0.26"), QStringLiteral("8060003004 4103 0.76 -"),
            QStringLiteral("8060003005 6601 - 0.38"), QStringLiteral("8060003006 6602 - 0.38")}));
        QCOMPARE(scalar(QStringLiteral("SELECT round(sum(ifnull(借方金额,0)) - sum(ifnull(贷方金额,0)), 2) "
                                       "FROM 分2016 WHERE 结帐=2")).toDouble(), 0.0);
    }

    void monthWithNothingToCarryIsClosedAllTheSame()
    {
        TempProgram program;
        twoLines(5, 1, QStringLiteral("1001"), QStringLiteral("1002"), 10);
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        const ClosingResult result = closeMonth(QDate(kYear, 5, 1), QStringLiteral("会计"), QStringLiteral("管理员"), kYear);
        QVERIFY(!result.carried);
        QCOMPARE(result.message.text, QStringLiteral("没有要结转的数据"));
        QCOMPARE(result.message.title, QStringLiteral("QM505"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(结帐) FROM 分2016")).toString(), QStringLiteral("1,1"));
        QVERIFY(closingVoucher(5).isEmpty());
        QVERIFY(!checkReopenMonth(5, kYear).refusal);
        reopenMonth(5, kYear);
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
    }

    void refusals()
    {
        TempProgram program;
        twoLines(12, 1, QStringLiteral("1122"), QStringLiteral("6001"), 10);
        QCOMPARE(checkCloseMonth(QDate(2015, 12, 1), QStringLiteral("会计"), kYear).refusal->text, QStringLiteral("会计年度不一致"));
        const ChangeCheck noReviewer = checkCloseMonth(QDate(kYear, 12, 1), QString(), kYear);
        QCOMPARE(noReviewer.refusal->text, QStringLiteral("审核不能为空"));
        QCOMPARE(noReviewer.refusal->icon, MessageIcon::Stop);
        const ChangeCheck open = checkReopenMonth(12, kYear);
        QCOMPARE(open.refusal->text, QStringLiteral("12  月份未结帐"));
        QCOMPARE(open.refusal->icon, MessageIcon::Exclamation);

        // A closed December takes vouchers but is not closed twice.
        closeMonth(QDate(kYear, 12, 1), QStringLiteral("会计"), QStringLiteral("管理员"), kYear);
        QCOMPARE(checkCloseMonth(QDate(kYear, 12, 1), QStringLiteral("会计"), kYear).refusal->text,
                 QStringLiteral("12  月份已结帐,请先进行反结帐"));
    }

    void failedClosingLeavesTheMonthOpen()
    {
        TempProgram program;
        twoLines(3, 1, QStringLiteral("1122"), QStringLiteral("6001"), 1000);
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        execute(QStringLiteral("CREATE TRIGGER no_closing BEFORE INSERT ON 分2016 WHEN NEW.结帐=2 "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, closeMonth(QDate(kYear, 3, 1), QStringLiteral("会计"), QStringLiteral("管理员"), kYear));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
        QVERIFY(!checkCloseMonth(QDate(kYear, 3, 1), QStringLiteral("会计"), kYear).refusal);
    }
};

QTEST_GUILESS_MAIN(TestMonthClosing)
#include "test_month_closing.moc"

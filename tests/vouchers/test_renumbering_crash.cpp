#include "support/common.h"
#include "app/start_up.h"
#include "data/database.h"
#include "support/child_process.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/work_copy.h"

#include <QThread>

namespace {

const int kMonth = 3;
const int kVouchers = 1500;
const int kChanges = 400;

// Voucher n of the month as first written: its debit is n and a quarter, so its place can be
// told from its figures.
void writeMonth()
{
    Transaction transaction;
    for (int number = 1; number <= kVouchers; ++number) {
        const double amount = number + 0.25;
        addLine(entryId(kMonth, number, 1), u"1001"_s, amount, QVariant());
        addLine(entryId(kMonth, number, 2), u"6001"_s, QVariant(), amount);
    }
    addLine(entryId(kMonth + 1, 1, 1), u"1001"_s, 7.0, QVariant());
    addLine(entryId(kMonth + 1, 1, 2), u"6001"_s, QVariant(), 7.0);
    transaction.commit();
}

VoucherDraft insertedVoucher()
{
    const QVector<VoucherLineText> lines{
        {u"插入"_s, u"1001 库存现金"_s, QString(), u"0.30"_s, QString(), QString(), QString()},
        {QString(), u"6001 主营业务收入"_s, QString(), QString(), u"0.10"_s, QString(), QString()},
        {QString(), u"6001 主营业务收入"_s, QString(), QString(), u"0.20"_s, QString(), QString()}};
    const ParsedLines parsed = parseVoucherLines(lines);
    return {QDate(kYear, kMonth, 1), u"记"_s, u"1"_s, u"1"_s, u"会计"_s,
            u"插入"_s, parsed.lines, parsed.rowWithoutAccount};
}

// The child: inserts a voucher before the first and deletes it again, over and over; each
// change moves every key of the month.
int childMain(const QStringList& arguments)
{
    if (arguments.value(0) != QLatin1String("renumber"))
        return 2;
    setProgramFolder(arguments.value(1));
    report(u"started"_s);
    for (int change = 0; change < kChanges; ++change) {
        if (change % 2 == 0) {
            applyVoucherChange(VoucherChange::Insert, insertedVoucher(), kYear, u"管理员"_s);
        } else {
            copyVoucherToWorkCopy(kYear, kMonth, 1);
            applyVoucherChange(VoucherChange::Delete, insertedVoucher(), kYear, u"管理员"_s);
        }
    }
    return 0;
}

// The next start finds usable books, and in them every voucher balanced, numbers 1..n, the
// inserted ones (if any) first and the vouchers first written after them in their order; each key
// made of its month, number and line 1..k.
void verifyMonthWhole()
{
    BooksLock lock;
    QCOMPARE(shown(prepareBooks(lock)), QString());
    const QStringList vouchers = rowsAsText(u"SELECT 号码, count(*), round(sum(ifnull(借方金额,0)),2)=round(sum(ifnull(贷方金额,0)),2), "
                                            "min(摘要说明), max(借方金额) FROM 分2016 WHERE 月=? GROUP BY 号码 ORDER BY 号码"_s, {kMonth});
    const int inserted = int(vouchers.size()) - kVouchers;
    QStringList expected;
    for (int number = 1; number <= vouchers.size(); ++number)
        expected << (number <= inserted ? u"%1 3 1 插入 0.3"_s.arg(number)
                                        : u"%1 2 1 业务 %2"_s.arg(number).arg(QString::number(number - inserted + 0.25, 'g', 10)));
    QCOMPARE(vouchers, expected);

    QCOMPARE(scalar(QStringLiteral(
                 "SELECT count(*) FROM 分2016 WHERE 月=? AND (substr(ID,1,3)<>? OR CAST(substr(ID,4,4) AS INTEGER)<>号码 "
                 "OR CAST(substr(ID,8,3) AS INTEGER) NOT BETWEEN 1 AND 3)"), {kMonth, u"803"_s}).toInt(), 0);
    QCOMPARE(scalar(u"SELECT count(DISTINCT ID) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt(),
             scalar(u"SELECT count(*) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt());
    QCOMPARE(scalar(u"SELECT group_concat(ID) FROM (SELECT ID FROM 分2016 WHERE 月=? ORDER BY ID)"_s, {kMonth + 1}).toString(),
             u"8040001001,8040001002"_s);
}

}  // namespace

class TestRenumberingCrash : public QObject {
    Q_OBJECT

private slots:
    void monthStaysWholeWhenTheProgramIsKilledWhileRenumbering()
    {
        TempProgram program;
        writeMonth();
        closeConnection();
        // The kill comes at once, early and late, so that it lands before, during and after
        // the work on any machine; each time the month must be whole.
        for (const int delay : {0, 40, 150, 400}) {
            QProcess child;
            startChild(child, {u"renumber"_s, program.path()});
            QVERIFY(child.waitForReadyRead(30000));
            QThread::msleep(delay);
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            verifyMonthWhole();
            closeConnection();
        }
    }
};

QM_TEST_MAIN_WITH_CHILD(TestRenumberingCrash, childMain)
#include "test_renumbering_crash.moc"

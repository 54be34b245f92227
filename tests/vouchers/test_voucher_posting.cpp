#include "data/db_error.h"
#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_posting.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;
const QString kPreparer = QStringLiteral("管理员");

// Voucher `number` of `month`: 1001 debit, 1002 credit, both `amount`.
void addVoucher(int month, int number, double amount = 100)
{
    for (int line = 1; line <= 2; ++line)
        execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 摘要说明, 代码, 借方金额, 贷方金额) "
                               "VALUES (?, ?, ?, '记', ?, ?, ?, ?, ?)"),
                {entryId(month, number, line), QDate(kYear, month, 1).toString(Qt::ISODate), month, number,
                 QStringLiteral("旧%1").arg(number), line == 1 ? QStringLiteral("1001") : QStringLiteral("1002"),
                 line == 1 ? QVariant(amount) : QVariant(), line == 1 ? QVariant() : QVariant(amount)});
}

VoucherLineText line(const QString& summary, const QString& account, const QString& debit, const QString& credit)
{
    return {summary, account, QString(), debit, credit, QString(), QString()};
}

VoucherDraft draft(int month, const QString& number, QVector<VoucherLineText> lines = {})
{
    if (lines.isEmpty())
        lines = {line(QStringLiteral("提现"), QStringLiteral("1001 库存现金"), QStringLiteral("500.00"), QString()),
                 line(QString(), QStringLiteral("1002 银行存款"), QString(), QStringLiteral("500.00"))};
    const ParsedLines parsed = parseVoucherLines(lines);
    return {QDate(kYear, month, 15), QStringLiteral("记"), number, QStringLiteral("2"), QStringLiteral("会计"),
            lines.first().summary, parsed.lines, parsed.rowWithoutAccount};
}

// The month's rows as "ID 号码 摘要说明", in key order.
QStringList monthRows(int month)
{
    QStringList rows;
    for (const auto row : openRecordset(QStringLiteral("SELECT ID, 号码, 摘要说明 FROM 分2016 WHERE 月=? ORDER BY ID"), {month}))
        rows << row[0].toString() + QLatin1Char(' ') + row[1].toString() + QLatin1Char(' ') + row[2].toString();
    return rows;
}

QString refusal(VoucherChange change, const VoucherDraft& voucher)
{
    const ChangeCheck check = checkVoucherChange(change, voucher, kYear);
    return check.refusal ? check.refusal->text : QString();
}

}  // namespace

class TestVoucherPosting : public QObject {
    Q_OBJECT

private slots:
    void savingWritesOneRowPerLine()
    {
        TempProgram program;
        for (int number = 1; number <= 6; ++number)
            addVoucher(3, number);
        VoucherDraft voucher = draft(3, QStringLiteral("7"));
        voucher.lines[1].cashFlowCode = QString();
        voucher.lines[0].quantity = 2.5;
        const ChangeCheck check = checkVoucherChange(VoucherChange::Save, voucher, kYear);
        QVERIFY(!check.refusal && !check.question);
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Save, voucher, kYear, kPreparer);
        QCOMPARE(done.numberText, QStringLiteral("8"));
        QCOMPARE(done.message.text, QStringLiteral("凭证保存成功"));
        QCOMPARE(done.message.title, QStringLiteral("QM505系统"));
        QCOMPARE(done.message.icon, MessageIcon::Information);

        const RecordSet rows = openRecordset(QStringLiteral(
            "SELECT ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 流代, 流金, 结帐 "
            "FROM 分2016 WHERE 号码=7 ORDER BY ID"));
        QCOMPARE(rows.count(), 2);
        QCOMPARE(rows[0][0].toString(), QStringLiteral("8030007001"));
        QCOMPARE(rows[1][0].toString(), QStringLiteral("8030007002"));
        QCOMPARE(rows[0][1].toString(), QStringLiteral("2016-03-15"));
        QCOMPARE(rows[0][2].toInt(), 3);
        QCOMPARE(rows[0][3].toString(), QStringLiteral("记"));
        QCOMPARE(rows[0][5].toString(), kPreparer);
        QCOMPARE(rows[0][6].toString(), QStringLiteral("会计"));
        QCOMPARE(rows[0][7].toInt(), 2);
        QCOMPARE(rows[1][8].toString(), QStringLiteral("提现"));
        QCOMPARE(rows[0][9].toString(), QStringLiteral("1001"));
        QCOMPARE(rows[1][9].toString(), QStringLiteral("1002"));
        QCOMPARE(rows[0][10].toDouble(), 2.5);
        QVERIFY(rows[1][10].isNull());
        QCOMPARE(rows[0][11].toDouble(), 500.0);
        QVERIFY(rows[0][12].isNull());
        QVERIFY(rows[1][11].isNull());
        QCOMPARE(rows[1][12].toDouble(), 500.0);
        QVERIFY(!rows[1][13].isNull());
        QCOMPARE(rows[1][13].toString(), QString());
        QVERIFY(rows[0][14].isNull());
        QVERIFY(rows[0][15].isNull());
    }

    void refusalsInTheirOrderChangeNothing()
    {
        TempProgram program;
        addVoucher(3, 1);
        addVoucher(12, 1);
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        auto saveRefusal = [](const VoucherDraft& voucher) { return refusal(VoucherChange::Save, voucher); };

        VoucherDraft voucher = draft(3, QStringLiteral("2"));
        voucher.date = QDate(2015, 3, 15);
        QCOMPARE(saveRefusal(voucher), QStringLiteral("会计年度不一致"));
        voucher = draft(3, QStringLiteral("2"));
        voucher.reviewer.clear();
        QCOMPARE(saveRefusal(voucher), QStringLiteral("年度,凭证号,审核不能为空"));
        QCOMPARE(saveRefusal(draft(3, QString())), QStringLiteral("年度,凭证号,审核不能为空"));
        QCOMPARE(saveRefusal(draft(3, QStringLiteral("0"))), QStringLiteral("年度,凭证号,审核不能为空"));
        QCOMPARE(saveRefusal(draft(3, QStringLiteral("10000"))), QStringLiteral("凭证号不能超过9999"));
        QCOMPARE(saveRefusal(draft(3, QStringLiteral("1"))), QStringLiteral("凭证号不连续，不能保存"));
        QCOMPARE(saveRefusal(draft(3, QStringLiteral("3"))), QStringLiteral("凭证号不连续，不能保存"));

        voucher = draft(3, QStringLiteral("2"));
        voucher.firstSummary.clear();
        QCOMPARE(saveRefusal(voucher), QStringLiteral("第一行摘要不能为空"));
        voucher = draft(3, QStringLiteral("2"));
        voucher.lines[1].creditCents = 49999;
        QCOMPARE(saveRefusal(voucher), QStringLiteral("借贷不平!"));
        voucher.lines.removeLast();
        voucher.lines[0].debitCents.reset();
        QCOMPARE(saveRefusal(voucher), QStringLiteral("没有要保存的数据！"));
        QCOMPARE(checkVoucherChange(VoucherChange::Save, voucher, kYear).refusal->title, QStringLiteral("提示窗口"));
        voucher = draft(3, QStringLiteral("2"));
        voucher.lines[1].accountCode = QStringLiteral("9999");
        QCOMPARE(saveRefusal(voucher), QStringLiteral("科目代码不正确或不是最明细代码"));
        voucher.lines[1].accountCode = QStringLiteral("1002");
        QCOMPARE(saveRefusal(voucher), QString());

        // 0.1 + 0.2 against 0.3 balances to the cent.
        voucher = draft(3, QStringLiteral("2"), {line(QStringLiteral("a"), QStringLiteral("1001"), QStringLiteral("0.10"), QString()),
                                                  line(QString(), QStringLiteral("1001"), QStringLiteral("0.20"), QString()),
                                                  line(QString(), QStringLiteral("1002"), QString(), QStringLiteral("0.30"))});
        QCOMPARE(saveRefusal(voucher), QString());

        execute(QStringLiteral("UPDATE 分2016 SET 结帐=1"));
        const QStringList closed = dumpTable(QStringLiteral("分2016"));
        const ChangeCheck march = checkVoucherChange(VoucherChange::Save, draft(3, QStringLiteral("2")), kYear);
        QCOMPARE(march.refusal->text, QStringLiteral("3  月份已结帐,请先进行反结帐"));
        QCOMPARE(march.refusal->icon, MessageIcon::Exclamation);
        for (VoucherChange change : {VoucherChange::Insert, VoucherChange::Modify, VoucherChange::Delete})
            QCOMPARE(refusal(change, draft(3, QStringLiteral("1"))), QStringLiteral("3  月份已结帐,请先进行反结帐"));
        QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Save, draft(3, QStringLiteral("2")), kYear, kPreparer));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), closed);

        // A closed December still takes vouchers, and they are open lines.
        applyVoucherChange(VoucherChange::Save, draft(12, QStringLiteral("2")), kYear, kPreparer);
        QVERIFY(scalar(QStringLiteral("SELECT 结帐 FROM 分2016 WHERE ID='8120002001'")).isNull());
        execute(QStringLiteral("DELETE FROM 分2016 WHERE 号码=2"));
        execute(QStringLiteral("UPDATE 分2016 SET 结帐=NULL"));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
    }

    void insertingShiftsTheLaterVouchersUp()
    {
        TempProgram program;
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number);
        addVoucher(4, 2);
        QCOMPARE(refusal(VoucherChange::Insert, draft(3, QStringLiteral("4"))), QStringLiteral("此号码不在原凭证内,不能插入凭证"));
        const ChangeCheck check = checkVoucherChange(VoucherChange::Insert, draft(3, QStringLiteral("2")), kYear);
        QCOMPARE(check.question->text, QStringLiteral("真要插入此张凭证吗?原来的2号凭证及以后的号码会自动增号"));
        QCOMPARE(check.question->title, QStringLiteral("QM505提示"));
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Insert, draft(3, QStringLiteral("2")), kYear, kPreparer);
        QCOMPARE(done.numberText, QStringLiteral("4"));
        QCOMPARE(done.message.text, QStringLiteral("凭证插入成功"));
        QCOMPARE(monthRows(3), (QStringList{
            QStringLiteral("8030001001 1 旧1"), QStringLiteral("8030001002 1 旧1"),
            QStringLiteral("8030002001 2 提现"), QStringLiteral("8030002002 2 提现"),
            QStringLiteral("8030003001 3 旧2"), QStringLiteral("8030003002 3 旧2"),
            QStringLiteral("8030004001 4 旧3"), QStringLiteral("8030004002 4 旧3")}));
        QCOMPARE(monthRows(4), (QStringList{QStringLiteral("8040002001 2 旧2"), QStringLiteral("8040002002 2 旧2")}));
    }

    void deletingAndModifyingThePagedVoucher()
    {
        TempProgram program;
        for (int number = 1; number <= 5; ++number)
            addVoucher(3, number);

        QCOMPARE(refusal(VoucherChange::Delete, draft(3, QStringLiteral("2"))), QStringLiteral("没有数据"));
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, QStringLiteral("2"))), QStringLiteral("没有数据"));
        QCOMPARE(refusal(VoucherChange::Delete, draft(3, QStringLiteral("6"))), QStringLiteral("不能删除凭证"));
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, QStringLiteral("6"))), QStringLiteral("不能修改凭证,号码出错"));
        pagePrevious(kYear, 3, QStringLiteral("4"));
        QCOMPARE(refusal(VoucherChange::Delete, draft(3, QStringLiteral("2"))), QStringLiteral("不能删除凭证,要查询出来的号码才能删除"));
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, QStringLiteral("2"))), QStringLiteral("不能修改凭证,要查询出来的号码才能修改"));

        // Voucher 3 of March is loaded; the same number in April is not that voucher.
        addVoucher(4, 3);
        QCOMPARE(refusal(VoucherChange::Modify, draft(4, QStringLiteral("3"))), QStringLiteral("不能修改凭证,要查询出来的号码才能修改"));

        pageNext(kYear, 3, QStringLiteral("1"));
        const ChangeCheck question = checkVoucherChange(VoucherChange::Delete, draft(3, QStringLiteral("2")), kYear);
        QCOMPARE(question.question->text, QStringLiteral("真要删除此张凭证吗?(2号凭证),以后的号码会自动减号)"));
        VoucherDraft deletion = draft(3, QStringLiteral("2"));
        deletion.lines.clear();
        deletion.firstSummary.clear();
        const VoucherChangeDone deleted = applyVoucherChange(VoucherChange::Delete, deletion, kYear, kPreparer);
        QCOMPARE(deleted.numberText, QStringLiteral("6"));
        QCOMPARE(deleted.message.text, QStringLiteral("凭证删除成功"));
        QCOMPARE(monthRows(3), (QStringList{
            QStringLiteral("8030001001 1 旧1"), QStringLiteral("8030001002 1 旧1"),
            QStringLiteral("8030002001 2 旧3"), QStringLiteral("8030002002 2 旧3"),
            QStringLiteral("8030003001 3 旧4"), QStringLiteral("8030003002 3 旧4"),
            QStringLiteral("8030004001 4 旧5"), QStringLiteral("8030004002 4 旧5")}));

        pagePrevious(kYear, 3, QStringLiteral("4"));
        const VoucherDraft three = draft(3, QStringLiteral("3"), {
            line(QStringLiteral("改"), QStringLiteral("1001 库存现金"), QStringLiteral("30.00"), QString()),
            line(QString(), QStringLiteral("1002 银行存款"), QString(), QStringLiteral("10.00")),
            line(QStringLiteral("又"), QStringLiteral("1002 银行存款"), QString(), QStringLiteral("20.00"))});
        QCOMPARE(checkVoucherChange(VoucherChange::Modify, three, kYear).question->text, QStringLiteral("真要修改此张凭证吗?(3号凭证)"));
        const VoucherChangeDone modified = applyVoucherChange(VoucherChange::Modify, three, kYear, QStringLiteral("会计乙"));
        QCOMPARE(modified.numberText, QStringLiteral("5"));
        QCOMPARE(modified.message.text, QStringLiteral("凭证修改成功"));
        QCOMPARE(monthRows(3).mid(4, 3), (QStringList{QStringLiteral("8030003001 3 改"), QStringLiteral("8030003002 3 改"),
                                                     QStringLiteral("8030003003 3 又")}));
        QCOMPARE(monthRows(3).size(), 9);
        QCOMPARE(scalar(QStringLiteral("SELECT 制单 FROM 分2016 WHERE ID='8030003001'")).toString(), QStringLiteral("会计乙"));
    }

    void voucherNumbersStopAt9999()
    {
        TempProgram program;
        addVoucher(5, 9999);
        QCOMPARE(refusal(VoucherChange::Save, draft(5, QStringLiteral("10000"))), QStringLiteral("凭证号不能超过9999"));
        QCOMPARE(refusal(VoucherChange::Insert, draft(5, QStringLiteral("1"))), QStringLiteral("凭证号不能超过9999"));
    }

    void failedRenumberingLeavesTheMonthAsItWas()
    {
        TempProgram program;
        for (int number = 1; number <= 5; ++number)
            addVoucher(3, number);
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        execute(QStringLiteral("CREATE TRIGGER stop_shift BEFORE UPDATE ON 分2016 WHEN OLD.号码=4 "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Insert, draft(3, QStringLiteral("2")), kYear, kPreparer));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);

        pageFirst(kYear, 3);
        pageNext(kYear, 3, QStringLiteral("1"));
        QVERIFY_THROWS_EXCEPTION(DbError, applyVoucherChange(VoucherChange::Delete, draft(3, QStringLiteral("2")), kYear, kPreparer));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
    }
};

QTEST_GUILESS_MAIN(TestVoucherPosting)
#include "test_voucher_posting.moc"

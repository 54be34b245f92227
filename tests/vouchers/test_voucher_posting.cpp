#include "support/common.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_posting.h"

namespace {

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

}  // namespace

class TestVoucherPosting : public QObject {
    Q_OBJECT

private slots:
    void savingWritesOneRowPerLineToTheCent()
    {
        TempProgram program;
        addPayableLeaf();
        for (int number = 1; number <= 6; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, 100);
        VoucherDraft voucher = draft(3, u"7"_s, {line(u"提现"_s, u"1001 库存现金"_s, u"0.125"_s, QString()),
                                                line(QString(), u"1001"_s, u"0.2"_s, QString()),
                                                line(QString(), u"2202001001 应付账款/甲/材料款"_s, QString(), u"0.33"_s)});
        voucher.lines[0].quantity = 2.5;
        voucher.lines[2].cashFlowCode = u"101"_s;
        voucher.lines[2].cashFlowCents = 33;
        QCOMPARE(refusal(VoucherChange::Save, voucher), QString());
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Save, voucher, kYear, u"管理员"_s);
        QCOMPARE(done.numberText, u"8"_s);
        QCOMPARE(shown(done.message), u"QM505系统|i|凭证保存成功"_s);
        // Each line to the cent; later lines take the first line's summary.
        QCOMPARE(rowsAsText(u"SELECT ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, 借方金额, 贷方金额, "
                            "quote(流代), 流金, 结帐 FROM 分2016 WHERE 号码=7 ORDER BY ID"_s),
                 (QStringList{u"8030007001 2016-03-15 3 记 7 管理员 会计 2 提现 1001 2.5 0.13 - '' - -"_s,
                              u"8030007002 2016-03-15 3 记 7 管理员 会计 2 提现 1001 - 0.2 - '' - -"_s,
                              u"8030007003 2016-03-15 3 记 7 管理员 会计 2 提现 2202001001 - - 0.33 '101' 0.33 -"_s}));
    }

    // Each draft has two faults: the first test that fails names its own.
    void refusalsInTheirOrderChangeNothing()
    {
        TempProgram program;
        addPayableLeaf();
        addVoucher(3, 1, u"1001"_s, u"1002"_s, 100);
        addVoucher(5, 9999, u"1001"_s, u"1002"_s, 100);
        addVoucher(12, 1, u"1001"_s, u"1002"_s, 100);
        const QStringList before = dumpTable(u"分2016"_s);
        const auto with = [](const std::function<void(VoucherDraft&)>& change, int month = 3, const QString& number = u"2"_s) {
            VoucherDraft voucher = draft(month, number);
            change(voucher);
            return voucher;
        };
        const auto unbalanced = [](VoucherDraft& v) { v.lines[1].creditCents = 49999; };
        const QList<QPair<VoucherDraft, QString>> cases = {
            {with([](VoucherDraft& v) { v.date = QDate(2015, 3, 15); v.reviewer.clear(); }), u"QM505||会计年度不一致"_s},
            {with([](VoucherDraft& v) { v.reviewer.clear(); v.numberText = u"10000"_s; }), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {draft(3, QString()), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {draft(3, u"0"_s), u"QM505提示|stop|年度,凭证号,审核不能为空"_s},
            {with(unbalanced, 3, u"10000"_s), u"QM505提示|stop|凭证号不能超过9999"_s},
            {with([](VoucherDraft& v) { v.attachmentsText = u"10000"_s; }, 3, u"1"_s), u"QM505提示|stop|附单据张数不能超过9999"_s},
            {with([](VoucherDraft& v) { v.firstSummary.clear(); }, 3, u"1"_s), u"QM505提示|stop|凭证号不连续，不能保存"_s},
            {draft(3, u"3"_s), u"QM505提示|stop|凭证号不连续，不能保存"_s},
            {with([&](VoucherDraft& v) { v.firstSummary.clear(); unbalanced(v); }), u"QM505提示|stop|第一行摘要不能为空"_s},
            {with([&](VoucherDraft& v) { unbalanced(v); v.lines.removeLast(); }), u"QM505提示|!|借贷不平!"_s},
            {with([](VoucherDraft& v) { v.lines.removeLast(); v.lines[0].debitCents.reset(); }), u"提示窗口||没有要保存的数据！"_s},
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
        QCOMPARE(refusal(VoucherChange::Insert, draft(5, u"1"_s)), u"QM505提示|stop|凭证号不能超过9999"_s);
        QCOMPARE(refusal(VoucherChange::Insert, draft(3, u"2"_s)), u"QM505提示|stop|此号码不在原凭证内,不能插入凭证"_s);
        QCOMPARE(refusal(VoucherChange::Delete, draft(3, u"2"_s)), u"QM505提示|stop|不能删除凭证"_s);
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, u"2"_s)), u"QM505提示|stop|不能修改凭证,号码出错"_s);
        QCOMPARE(dumpTable(u"分2016"_s), before);

        // A closed month refuses every change before looking at the number; a closed December
        // still takes vouchers, as open lines.
        execute(u"UPDATE 分2016 SET 结帐=1"_s);
        for (VoucherChange change : {VoucherChange::Save, VoucherChange::Insert, VoucherChange::Modify, VoucherChange::Delete})
            QCOMPARE(refusal(change, draft(3, u"9"_s)), u"QM505提示|!|3  月份已结帐,请先进行反结帐"_s);
        applyVoucherChange(VoucherChange::Save, draft(12, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 结帐 FROM 分2016 WHERE 号码=2"_s), (QStringList{u"8120002001 -"_s, u"8120002002 -"_s}));
    }

    void insertingShiftsTheLaterVouchersUpOrNothing()
    {
        TempProgram program;
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 10);
        addVoucher(4, 2, u"1001"_s, u"1002"_s, 40);
        const ChangeCheck check = checkVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear);
        QCOMPARE(shown(check.question), u"QM505提示||真要插入此张凭证吗?原来的2号凭证及以后的号码会自动增号"_s);
        const VoucherChangeDone done = applyVoucherChange(VoucherChange::Insert, draft(3, u"2"_s), kYear, u"管理员"_s);
        QCOMPARE(done.numberText, u"4"_s);
        QCOMPARE(done.message.text, u"凭证插入成功"_s);
        QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 10"_s, u"8030002001 8030002002 2 500"_s,
                                                u"8030003001 8030003002 3 20"_s, u"8030004001 8030004002 4 30"_s}));
        QCOMPARE(monthVouchers(4), QStringList{u"8040002001 8040002002 2 40"_s});

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
        TempProgram program;
        for (int number = 1; number <= 5; ++number)
            addVoucher(3, number, u"1001"_s, u"1002"_s, number * 10);
        addVoucher(4, 3, u"1001"_s, u"1002"_s, 99);

        QCOMPARE(refusal(VoucherChange::Delete, draft(3, u"2"_s)), u"QM505提示|stop|没有数据"_s);
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, u"2"_s)), u"QM505提示|stop|没有数据"_s);
        pagePrevious(kYear, 3, u"4"_s);
        QCOMPARE(refusal(VoucherChange::Delete, draft(3, u"2"_s)), u"QM505提示|stop|不能删除凭证,要查询出来的号码才能删除"_s);
        QCOMPARE(refusal(VoucherChange::Modify, draft(3, u"2"_s)), u"QM505提示|stop|不能修改凭证,要查询出来的号码才能修改"_s);
        // Voucher 3 of March is loaded; the same number in April is not that voucher.
        QCOMPARE(refusal(VoucherChange::Modify, draft(4, u"3"_s)), u"QM505提示|stop|不能修改凭证,要查询出来的号码才能修改"_s);

        pageNext(kYear, 3, u"1"_s);
        const ChangeCheck question = checkVoucherChange(VoucherChange::Delete, draft(3, u"2"_s), kYear);
        QCOMPARE(question.question->text, u"真要删除此张凭证吗?(2号凭证),以后的号码会自动减号)"_s);
        VoucherDraft deletion = draft(3, u"2"_s);
        deletion.lines.clear();
        deletion.firstSummary.clear();
        const VoucherChangeDone deleted = applyVoucherChange(VoucherChange::Delete, deletion, kYear, u"管理员"_s);
        QCOMPARE(deleted.numberText, u"6"_s);
        QCOMPARE(deleted.message.text, u"凭证删除成功"_s);
        QCOMPARE(monthVouchers(3), (QStringList{u"8030001001 8030001002 1 10"_s, u"8030002001 8030002002 2 30"_s,
                                                u"8030003001 8030003002 3 40"_s, u"8030004001 8030004002 4 50"_s}));

        pagePrevious(kYear, 3, u"4"_s);
        const VoucherDraft three = draft(3, u"3"_s, {line(u"改"_s, u"1001 库存现金"_s, u"0.30"_s, QString()),
                                                      line(QString(), u"1002 银行存款"_s, QString(), u"0.10"_s),
                                                      line(u"又"_s, u"1002 银行存款"_s, QString(), u"0.20"_s)});
        QCOMPARE(checkVoucherChange(VoucherChange::Modify, three, kYear).question->text, u"真要修改此张凭证吗?(3号凭证)"_s);
        const VoucherChangeDone modified = applyVoucherChange(VoucherChange::Modify, three, kYear, u"会计乙"_s);
        QCOMPARE(modified.numberText, u"5"_s);
        QCOMPARE(modified.message.text, u"凭证修改成功"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 摘要说明, 制单, 借方金额, 贷方金额 FROM 分2016 WHERE 月=3 AND 号码>=3 ORDER BY ID"_s),
                 (QStringList{u"8030003001 改 会计乙 0.3 -"_s, u"8030003002 改 会计乙 - 0.1"_s, u"8030003003 又 会计乙 - 0.2"_s,
                              u"8030004001 业务 - 50 -"_s, u"8030004002 业务 - - 50"_s}));
    }
};

QTEST_GUILESS_MAIN(TestVoucherPosting)
#include "test_voucher_posting.moc"

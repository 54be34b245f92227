#include "voucher_posting.h"

#include "picker_lists.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"

namespace qm {

namespace {

const QString kTitle = QStringLiteral("QM505提示");
constexpr int kLastVoucherNumber = 9999;

ChangeCheck refuse(const QString& text, MessageIcon icon = MessageIcon::Stop, const QString& title = kTitle)
{
    return {Message{text, title, icon, MessageButtons::Ok}, std::nullopt};
}

ChangeCheck ask(const QString& text)
{
    return {std::nullopt, Message{text, kTitle, MessageIcon::None, MessageButtons::YesNo}};
}

QString accountCode(const QString& accountCell)
{
    return accountCell.trimmed().section(QLatin1Char(' '), 0, 0).trimmed();
}

QVariant numberOrNull(const QString& text, bool amount)
{
    const std::optional<double> value = parseNumber(text);
    if (!value)
        return {};
    return amount ? roundToCent(*value) : *value;
}

bool balanced(const QVector<VoucherLineText>& lines)
{
    double debit = 0;
    double credit = 0;
    for (const VoucherLineText& line : lines) {
        debit += parseNumber(line.debit).value_or(0);
        credit += parseNumber(line.credit).value_or(0);
    }
    return std::abs(roundToCent(debit) - roundToCent(credit)) < 0.005;
}

bool allLeafAccounts(const QVector<VoucherLineText>& lines)
{
    for (const VoucherLineText& line : lines) {
        if (!leafAccountFullName(accountCode(line.account)))
            return false;
    }
    return true;
}

void writeLines(const VoucherDraft& draft, int year, int number, const QString& preparer)
{
    const int month = draft.date.month();
    const QString sql = QStringLiteral(
        "INSERT INTO %1 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 流代, 流金) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(entryTableName(year));
    for (int i = 0; i < draft.lines.size(); ++i) {
        const VoucherLineText& line = draft.lines[i];
        execute(sql, {entryId(month, number, i + 1), draft.date.toString(Qt::ISODate), month, draft.word, number,
                      preparer, draft.reviewer, leadingNumber(draft.attachmentsText),
                      line.summary.isEmpty() ? draft.firstSummary : line.summary, accountCode(line.account),
                      numberOrNull(line.quantity, false), numberOrNull(line.debit, true),
                      numberOrNull(line.credit, true), line.cashFlowCode, numberOrNull(line.cashFlowAmount, false)});
    }
}

// Moves voucher `from` and every later voucher of the month by `step` numbers, keys included.
void shiftVouchers(int year, int month, int from, int step)
{
    execute(QStringLiteral("UPDATE %1 SET ID=CAST(CAST(ID AS INTEGER)+? AS TEXT), 号码=号码+? WHERE 号码>=? AND 月=?")
                .arg(entryTableName(year)),
            {step * 1000, step, from, month});
}

void deleteVoucher(int year, int month, int number)
{
    execute(QStringLiteral("DELETE FROM %1 WHERE 月=? AND 号码=?").arg(entryTableName(year)), {month, number});
}

}  // namespace

QString entryId(int month, int number, int line)
{
    return QStringLiteral("8%1%2%3")
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(number, 4, 10, QLatin1Char('0'))
        .arg(line, 3, 10, QLatin1Char('0'));
}

ChangeCheck checkVoucherChange(VoucherChange change, const VoucherDraft& draft, int year)
{
    if (draft.date.year() != year)
        return refuse(QStringLiteral("会计年度不一致"), MessageIcon::None, QStringLiteral("QM505"));
    const int month = draft.date.month();
    const int number = leadingNumber(draft.numberText);
    if (draft.reviewer.isEmpty() || number < 1)
        return refuse(QStringLiteral("年度,凭证号,审核不能为空"));
    if (number > kLastVoucherNumber)
        return refuse(QStringLiteral("凭证号不能超过9999"));
    const MonthState state = monthState(year, month);
    if (state.closedMark != 0 && month != 12)
        return refuse(QString::number(month) + QStringLiteral("  月份已结帐,请先进行反结帐"), MessageIcon::Exclamation);

    switch (change) {
    case VoucherChange::Save:
        if (number - state.lastNumber != 1)
            return refuse(QStringLiteral("凭证号不连续，不能保存"));
        break;
    case VoucherChange::Insert:
        if (number > state.lastNumber)
            return refuse(QStringLiteral("此号码不在原凭证内,不能插入凭证"));
        if (state.lastNumber >= kLastVoucherNumber)
            return refuse(QStringLiteral("凭证号不能超过9999"));
        break;
    case VoucherChange::Modify:
    case VoucherChange::Delete: {
        const bool modify = change == VoucherChange::Modify;
        if (number > state.lastNumber)
            return refuse(modify ? QStringLiteral("不能修改凭证,号码出错") : QStringLiteral("不能删除凭证"));
        const RecordSet loaded = openRecordset(QStringLiteral("SELECT 号码, 月 FROM 分录始表 ORDER BY ID LIMIT 1"));
        if (loaded.isEmpty())
            return refuse(QStringLiteral("没有数据"));
        // The voucher must be the one paged to: same number, same month.
        if (loaded.value(0, 0).toInt() != number || loaded.value(0, 1).toInt() != month)
            return refuse(modify ? QStringLiteral("不能修改凭证,要查询出来的号码才能修改")
                                 : QStringLiteral("不能删除凭证,要查询出来的号码才能删除"));
        break;
    }
    }

    if (change != VoucherChange::Delete) {
        if (draft.firstSummary.isEmpty())
            return refuse(QStringLiteral("第一行摘要不能为空"));
        if (!balanced(draft.lines))
            return refuse(QStringLiteral("借贷不平!"), MessageIcon::Exclamation);
        if (draft.lines.size() < 2)
            return refuse(QStringLiteral("没有要保存的数据！"), MessageIcon::None, QStringLiteral("提示窗口"));
        if (!allLeafAccounts(draft.lines))
            return refuse(QStringLiteral("科目代码不正确或不是最明细代码"), MessageIcon::None, QStringLiteral("QM505"));
    }

    const QString n = QString::number(number);
    switch (change) {
    case VoucherChange::Save: return {};
    case VoucherChange::Insert:
        return ask(QStringLiteral("真要插入此张凭证吗?原来的") + n + QStringLiteral("号凭证及以后的号码会自动增号"));
    case VoucherChange::Modify: return ask(QStringLiteral("真要修改此张凭证吗?(") + n + QStringLiteral("号凭证)"));
    case VoucherChange::Delete:
        return ask(QStringLiteral("真要删除此张凭证吗?(") + n + QStringLiteral("号凭证),以后的号码会自动减号)"));
    }
    return {};
}

VoucherChangeDone applyVoucherChange(VoucherChange change, const VoucherDraft& draft, int year,
                                     const QString& preparer)
{
    const ChangeCheck check = checkVoucherChange(change, draft, year);
    if (check.refusal)
        throw DbError(check.refusal->text);
    const int month = draft.date.month();
    const int number = leadingNumber(draft.numberText);
    const int lastNumber = monthState(year, month).lastNumber;

    Transaction transaction;
    QString done;
    switch (change) {
    case VoucherChange::Save:
        writeLines(draft, year, number, preparer);
        done = QStringLiteral("凭证保存成功");
        break;
    case VoucherChange::Insert:
        shiftVouchers(year, month, number, 1);
        writeLines(draft, year, number, preparer);
        done = QStringLiteral("凭证插入成功");
        break;
    case VoucherChange::Modify:
        deleteVoucher(year, month, number);
        writeLines(draft, year, number, preparer);
        done = QStringLiteral("凭证修改成功");
        break;
    case VoucherChange::Delete:
        deleteVoucher(year, month, number);
        shiftVouchers(year, month, number, -1);
        done = QStringLiteral("凭证删除成功");
        break;
    }
    transaction.commit();
    const int nextNumber = change == VoucherChange::Save ? number + 1 : lastNumber + 1;
    return {QString::number(nextNumber), Message{done, QStringLiteral("QM505系统"), MessageIcon::Information}};
}

}  // namespace qm

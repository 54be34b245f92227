#include "voucher_posting.h"

#include "picker_lists.h"
#include "work_copy.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"
#include "data/record_set.h"

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

constexpr int kMostAttachments = 9999;
// Past two rows read for each row moved, the rows of the month are too scattered to walk.
constexpr qint64 kMostRowsWalkedPerRowMoved = 2;

QString accountCode(const QString& accountCell)
{
    return accountCell.trimmed().section(QLatin1Char(' '), 0, 0).trimmed();
}

bool balanced(const QVector<VoucherLine>& lines)
{
    Money debits;
    Money credits;
    for (const VoucherLine& line : lines) {
        debits += line.debit.value_or(Money());
        credits += line.credit.value_or(Money());
    }
    return debits == credits;
}

bool allLeafAccounts(const QVector<VoucherLine>& lines)
{
    for (const VoucherLine& line : lines) {
        if (!leafAccountFullName(line.accountCode))
            return false;
    }
    return true;
}

// The attachments box: empty is none; a number too large is refused rather than replaced.
std::optional<int> attachmentCount(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    if (!ok || count < 0 || count > kMostAttachments)
        return std::nullopt;
    return count;
}

void writeLines(const VoucherDraft& draft, int year, int number, const QString& preparer)
{
    const int month = draft.date.month();
    const QString sql = QStringLiteral(
        "INSERT INTO %1 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 流代, 流金) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(entryTableName(year));
    const int attachments = attachmentCount(draft.attachmentsText).value_or(0);
    for (int i = 0; i < draft.lines.size(); ++i) {
        const VoucherLine& line = draft.lines[i];
        execute(sql, {entryId(month, number, i + 1), draft.date.toString(Qt::ISODate), month, draft.word, number,
                      preparer, draft.reviewer, attachments, line.summary.isEmpty() ? draft.firstSummary : line.summary,
                      line.accountCode, line.quantity ? QVariant(*line.quantity) : QVariant(),
                      storedOrNull(line.debit), storedOrNull(line.credit), line.cashFlowCode,
                      storedOrNull(line.cashFlowAmount)});
    }
}

// Moves voucher `from` and every later voucher of the month by `step` numbers, keys included.
void shiftVouchers(int year, int month, int from, int step)
{
    const QString table = entryTableName(year);
    const RecordSet moved = openRecordset(
        QStringLiteral("SELECT count(*), min(rowid), max(rowid) FROM %1 WHERE 月=? AND 号码>=?").arg(table), {month, from});
    const qint64 rows = moved.value(0, 0).toLongLong();
    if (rows == 0)
        return;
    const qint64 first = moved.value(0, 1).toLongLong();
    const qint64 last = moved.value(0, 2).toLongLong();
    const QString shift = QStringLiteral("UPDATE %1 SET ID=CAST(CAST(ID AS INTEGER)+? AS TEXT), 号码=号码+? WHERE ").arg(table);
    // Found through (月, 号码), which the shift changes, the rows are all collected before the
    // first is changed. A month entered in one stretch lies in one run of rows, and walking that
    // run changes each row as it is read; the rows of other months in the run are passed over.
    if (last - first + 1 <= kMostRowsWalkedPerRowMoved * rows)
        execute(shift + QStringLiteral("rowid BETWEEN ? AND ? AND +月=? AND +号码>=?"),
                {step * 1000, step, first, last, month, from});
    else
        execute(shift + QStringLiteral("号码>=? AND 月=?"), {step * 1000, step, from, month});
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

ParsedLines parseVoucherLines(const QVector<VoucherLineText>& rows)
{
    ParsedLines parsed;
    for (int row = 1; row <= rows.size(); ++row) {
        const VoucherLineText& cells = rows[row - 1];
        const QString code = accountCode(cells.account);
        if (code.isEmpty()) {
            const bool blank = (cells.summary + cells.quantity + cells.debit + cells.credit + cells.cashFlowCode
                                + cells.cashFlowAmount).trimmed().isEmpty();
            if (!blank && parsed.rowWithoutAccount == 0)
                parsed.rowWithoutAccount = row;
            continue;
        }
        const TypedValue quantity = readTypedQuantity(cells.quantity);
        const TypedValue debit = readTypedAmount(cells.debit);
        const TypedValue credit = readTypedAmount(cells.credit);
        const TypedValue cashFlow = readTypedAmount(cells.cashFlowAmount);
        for (const TypedValue* typed : {&quantity, &debit, &credit, &cashFlow}) {
            if (typed->refusal) {
                parsed.refusal = *typed->refusal;
                parsed.refusal->text.prepend(QStringLiteral("第%1行: ").arg(row));
                return parsed;
            }
        }
        const VoucherLine line{cells.summary, code,
                               quantity.value.isNull() ? std::nullopt : std::optional<double>(quantity.value.toDouble()),
                               Money::fromStored(debit.value), Money::fromStored(credit.value), cells.cashFlowCode,
                               Money::fromStored(cashFlow.value)};
        parsed.lines.append(line);
    }
    return parsed;
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
    if (change != VoucherChange::Delete && !attachmentCount(draft.attachmentsText))
        return refuse(QStringLiteral("附单据张数不能超过9999"));
    // December takes entries after its closing, so its mark is not read.
    if (month != 12 && monthClosedMark(year, month) != 0)
        return refuse(QString::number(month) + QStringLiteral("  月份已结帐,请先进行反结帐"), MessageIcon::Exclamation);
    const int lastNumber = lastVoucherNumber(year, month);

    switch (change) {
    case VoucherChange::Save:
        if (number - lastNumber != 1)
            return refuse(QStringLiteral("凭证号不连续，不能保存"));
        break;
    case VoucherChange::Insert:
        if (number > lastNumber)
            return refuse(QStringLiteral("此号码不在原凭证内,不能插入凭证"));
        if (lastNumber >= kLastVoucherNumber)
            return refuse(QStringLiteral("凭证号不能超过9999"));
        break;
    case VoucherChange::Modify:
    case VoucherChange::Delete: {
        const bool modify = change == VoucherChange::Modify;
        if (number > lastNumber)
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
        if (draft.rowWithoutAccount != 0)
            return refuse(QStringLiteral("第%1行没有科目,不能保存:请输入科目或清空该行").arg(draft.rowWithoutAccount));
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
    // The checks read the month inside the change's own transaction, so nothing slips in
    // between them and the writes.
    Transaction transaction;
    const ChangeCheck check = checkVoucherChange(change, draft, year);
    if (check.refusal)
        throw DbError(check.refusal->text);
    const int month = draft.date.month();
    const int number = leadingNumber(draft.numberText);
    const int lastNumber = lastVoucherNumber(year, month);

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
        // The copy held the deleted voucher: another delete must not take the one now numbered n.
        clearWorkCopy();
        done = QStringLiteral("凭证删除成功");
        break;
    }
    transaction.commit();
    const int nextNumber = change == VoucherChange::Save ? number + 1 : lastNumber + 1;
    return {QString::number(nextNumber), Message{done, QStringLiteral("QM505系统"), MessageIcon::Information}};
}

}  // namespace qm

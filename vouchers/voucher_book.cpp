#include "voucher_book.h"

#include "data/database.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/month_totals.h"
#include "work_copy.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kRefusalTitle = QStringLiteral("QM505提示");

QString numberText(const QVariant& value)
{
    return value.isNull() ? QString() : QString::number(value.toDouble(), 'g', 15);
}

}  // namespace

int lastMonthWithEntries(int year)
{
    const QVariant month = scalar(QStringLiteral("SELECT max(月) FROM %1").arg(entryTableName(year)));
    return month.isNull() ? 1 : month.toInt();
}

int lastVoucherNumber(int year, int month)
{
    return scalar(QStringLiteral("SELECT ifnull(max(号码),0) FROM %1 WHERE 月=?").arg(entryTableName(year)), {month})
        .toInt();
}

int monthClosedMark(int year, int month)
{
    // The NULL test, which max() implies, lets the closed-lines index answer.
    return scalar(QStringLiteral("SELECT ifnull(max(结帐),0) FROM %1 WHERE 月=? AND 结帐 IS NOT NULL").arg(entryTableName(year)),
                  {month})
        .toInt();
}

MonthState monthState(int year, int month)
{
    return {lastVoucherNumber(year, month), monthClosedMark(year, month)};
}

Money monthCashBalance(int year, int month)
{
    // The opening rows (no month) and every month up to this one, from the month totals.
    const QVariant balance = scalar(
        QStringLiteral("SELECT %1 FROM %2 WHERE substr(代码,1,4)='1001' AND (月 IS NULL OR 月<=?)")
            .arg(centsOfThousandths(QStringLiteral("sum(借厘) - sum(贷厘)")), monthTotalsTableName(year)),
        {month});
    return Money::fromStored(balance).value_or(Money());
}

QString monthCashLine(int month, Money balance)
{
    return QString::number(month) + QStringLiteral("月现余:") + balance.formatted();
}

int leadingNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    int end = 0;
    if (end < trimmed.size() && (trimmed[end] == QLatin1Char('-') || trimmed[end] == QLatin1Char('+')))
        ++end;
    const int firstDigit = end;
    while (end < trimmed.size() && trimmed[end] >= QLatin1Char('0') && trimmed[end] <= QLatin1Char('9'))
        ++end;
    bool fits = false;
    const int number = trimmed.left(end).toInt(&fits);
    if (fits || end == firstDigit)
        return number;
    // Too many digits for a number (an entry's ID pasted, say) are a number too large for any
    // limit, never 0; and one more than it still counts.
    constexpr int kTooLarge = 999999999;
    return trimmed.startsWith(QLatin1Char('-')) ? -kTooLarge : kTooLarge;
}

namespace {

// Shows voucher `number` of the month in the work copy, or nothing: only a view of the books,
// so a failure says the view could not be made.
void showInWorkCopy(int year, int month, std::optional<int> number)
{
    const ViewWork view;
    Transaction transaction;
    clearWorkCopy();
    if (number)
        copyVoucherToWorkCopy(year, month, *number);
    transaction.commit();
}

}  // namespace

PageStep pageFirst(int year, int month)
{
    showInWorkCopy(year, month, 1);
    return {};
}

PageStep pagePrevious(int year, int month, const QString& numberText)
{
    const int number = leadingNumber(numberText);
    std::optional<Message> refusal;
    if (numberText.trimmed().isEmpty())
        refusal = Message{QStringLiteral("号码不能为空!!"), kRefusalTitle, MessageIcon::Stop};
    else if (number == 1)
        refusal = Message{QStringLiteral("已经是第一张了!!"), kRefusalTitle, MessageIcon::Stop};
    if (refusal) {
        showInWorkCopy(year, month, std::nullopt);
        return {std::nullopt, refusal};
    }
    showInWorkCopy(year, month, number - 1);
    return {QString::number(number - 1), std::nullopt};
}

PageStep pageNext(int year, int month, const QString& numberText)
{
    if (numberText.trimmed().isEmpty()) {
        showInWorkCopy(year, month, std::nullopt);
        return {std::nullopt, Message{QStringLiteral("号码不能为空!!"), kRefusalTitle, MessageIcon::Stop}};
    }
    const int last = lastVoucherNumber(year, month);
    const int number = leadingNumber(numberText) + 1;
    if (number > last) {
        showInWorkCopy(year, month, std::nullopt);
        return {QString::number(last), Message{QStringLiteral("已经是最后一条了")}};
    }
    showInWorkCopy(year, month, number);
    return {QString::number(number), std::nullopt};
}

PageStep pageLast(int year, int month)
{
    showInWorkCopy(year, month, lastVoucherNumber(year, month));
    return {};
}

std::optional<LoadedVoucher> loadedVoucher()
{
    const RecordSet header = openRecordset(QStringLiteral(
        "SELECT 日期, 字号, 号码, 附件, 制单, 审核 FROM 分录始表 ORDER BY ID LIMIT 1"));
    if (header.isEmpty())
        return std::nullopt;
    LoadedVoucher voucher;
    voucher.date = QDate::fromString(header.value(0, 0).toString(), Qt::ISODate);
    voucher.word = header.value(0, 1).toString();
    voucher.number = numberText(header.value(0, 2));
    voucher.attachments = numberText(header.value(0, 3));
    voucher.preparer = header.value(0, 4).toString();
    voucher.reviewer = header.value(0, 5).toString();
    const RecordSet lines = openRecordset(QStringLiteral(
        "SELECT A.摘要说明, A.代码 || ' ' || ifnull(F.科目全称,''), A.数量, A.借方金额, A.贷方金额, A.流代, A.流金 "
        "FROM 分录始表 AS A JOIN 科目表 AS F ON F.科目代码=A.代码 WHERE A.代码<>'0' ORDER BY A.ID"));
    for (const auto line : lines)
        voucher.lines.append({line[0].toString(), line[1].toString(), numberText(line[2]), numberText(line[3]),
                              numberText(line[4]), line[5].toString(), numberText(line[6])});
    return voucher;
}

}  // namespace qm

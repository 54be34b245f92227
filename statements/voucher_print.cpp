#include "voucher_print.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"

namespace qm {

std::optional<Message> checkVoucherPrintRequest(const QString& month, const QString& number)
{
    if (month.trimmed().isEmpty() || number.trimmed().isEmpty())
        return Message{QStringLiteral("月份或号码不能为空")};
    return std::nullopt;
}

VoucherPrint buildVoucherPrint(int year, const QString& monthText, const QString& numberText)
{
    const ViewWork view;
    if (const auto refusal = checkVoucherPrintRequest(monthText, numberText))
        throw DbError(refusal->text);
    const int month = monthText.trimmed().toInt();
    const int number = numberText.trimmed().toInt();
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 分录始表"));
    // 顺序 numbers every line of the voucher, so a line whose account left the chart leaves a gap.
    execute(QStringLiteral(
                "INSERT INTO 分录始表 (ID, 科目全称, 日期, 字号, 号码, 摘要说明, 数量, 借方金额, 贷方金额, 制单, 审核, 附件, 顺序) "
                "SELECT A.ID, A.代码 || '.' || F.科目全称, A.日期, A.字号, A.号码, A.摘要说明, A.数量, A.借方金额, A.贷方金额, "
                "A.制单, A.审核, A.附件, A.行序 FROM 科目表 AS F JOIN ("
                "  SELECT *, row_number() OVER (ORDER BY ID) AS 行序 FROM %1 WHERE 月=? AND 号码=?"
                ") AS A ON F.科目代码=A.代码 WHERE length(A.代码)>0 ORDER BY A.ID")
                .arg(entryTableName(year)),
            {month, number});
    const int last = scalar(QStringLiteral("SELECT ifnull(max(顺序), 0) FROM 分录始表")).toInt();
    const int pad = kVoucherLinesPerPage - last % kVoucherLinesPerPage;
    if (pad != kVoucherLinesPerPage) {
        for (int line = 1; line <= pad; ++line)
            execute(QStringLiteral("INSERT INTO 分录始表 (顺序) VALUES (?)"), {last + line});
    }
    const int filled = last + (pad == kVoucherLinesPerPage ? 0 : pad);
    const int pages = filled / kVoucherLinesPerPage;
    execute(QStringLiteral("UPDATE 分录始表 SET 月=(顺序 - 1) / ? + 1 WHERE 顺序 IS NOT NULL"), {kVoucherLinesPerPage});
    const RecordSet totals = openRecordset(QStringLiteral("SELECT %1, %2 FROM 分录始表")
                                               .arg(exactAmountSum(QStringLiteral("借方金额")),
                                                    exactAmountSum(QStringLiteral("贷方金额"))));
    transaction.commit();
    VoucherPrint print;
    print.debitTotal = Money::fromStored(totals.value(0, 0)).value_or(Money());
    print.creditTotal = Money::fromStored(totals.value(0, 1)).value_or(Money());
    print.pages = pages;
    print.lines = openRecordset(QStringLiteral(
        "SELECT 月, 制单, 审核, 顺序, 附件, 日期, 字号, 号码, 摘要说明, 科目全称 AS 全称, 数量, 借方金额, 贷方金额 "
        "FROM 分录始表 WHERE 顺序 IS NOT NULL ORDER BY 顺序"));
    return print;
}

int lastVoucherNumberOrOne(int year, int month)
{
    const QVariant last = scalar(QStringLiteral("SELECT max(号码) FROM %1 WHERE 月=?").arg(entryTableName(year)), {month});
    return last.isNull() ? 1 : last.toInt();
}

}  // namespace qm

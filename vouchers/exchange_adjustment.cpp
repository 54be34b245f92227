#include "exchange_adjustment.h"

#include "voucher_book.h"
#include "work_copy.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kSummary = QStringLiteral("调整汇兑损益 ");

}  // namespace

std::optional<Message> checkStartExchangeAdjustment(int year, int month, const QString& numberText)
{
    if (leadingNumber(numberText) < 1)
        return Message{QStringLiteral("年度,凭证号不能为空"), QStringLiteral("QM505提示"), MessageIcon::Stop};
    if (monthState(year, month).closedMark != 0)
        return Message{QString::number(month) + QStringLiteral("  月份已结帐,请先进行反结帐"), QStringLiteral("QM505提示"),
                       MessageIcon::Exclamation};
    // The summary carries its trailing blank; it marks the month's adjustment voucher.
    if (!scalar(QStringLiteral("SELECT 1 FROM %1 WHERE 摘要说明=? AND 月=? LIMIT 1").arg(entryTableName(year)),
                {kSummary, month})
             .isNull())
        return Message{QStringLiteral("本月已调汇,请删除调汇凭证再进行调汇"), QStringLiteral("QM505"), MessageIcon::Exclamation};
    if (monthState(year, month).lastNumber >= 9999)
        return Message{QStringLiteral("凭证号不能超过9999"), QStringLiteral("QM505提示"), MessageIcon::Stop};
    return std::nullopt;
}

void fillExchangeTable(int year, int month)
{
    // Only a view of the balances until a voucher is made from it.
    const ViewWork view;
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 调汇"));
    execute(QStringLiteral(
                "INSERT INTO 调汇 (代码, 科目全称, 数量, 调整前金额) "
                "SELECT a.代码, F.科目全称, a.数量, a.调整前金额 FROM 科目表 AS F JOIN ("
                "  SELECT 代码, sum(iif(借方金额 IS NULL, -数量, 数量)) AS 数量, "
                "  %2 AS 调整前金额 "
                "  FROM %1 WHERE substr(ID,1,3)<=? GROUP BY 代码) AS a ON F.科目代码=a.代码 "
                "WHERE F.调汇='Y' AND (round(a.数量, 3)<>0 OR a.调整前金额<>0) ORDER BY a.代码")
                .arg(entryTableName(year), exactNetSum(QStringLiteral("借方金额"), QStringLiteral("贷方金额"))),
            {QStringLiteral("8%1").arg(month, 2, 10, QLatin1Char('0'))});
    transaction.commit();
}

std::vector<ExchangeRow> exchangeRows()
{
    std::vector<ExchangeRow> rows;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT ID, 代码, 科目全称, 数量, 调整前金额, 汇率, 调整后金额, 损益 FROM 调汇 ORDER BY ID")))
        rows.push_back({row[0].toInt(), row[1].toString(), row[2].toString(), row[3], row[4], row[5], row[6], row[7]});
    return rows;
}

void setExchangeValue(int id, const QString& column, const QVariant& value)
{
    static const QStringList editable = {QStringLiteral("数量"), QStringLiteral("调整前金额"), QStringLiteral("汇率"),
                                         QStringLiteral("调整后金额"), QStringLiteral("损益")};
    if (!editable.contains(column))
        throw DbError(QStringLiteral("调汇表的 %1 不能修改").arg(column));
    execute(QStringLiteral("UPDATE 调汇 SET %1=? WHERE ID=?").arg(column), {value, id});
}

std::optional<Message> computeExchangeDifferences()
{
    if (scalar(QStringLiteral("SELECT count(*) FROM 调汇")).toInt() == 0)
        return Message{QStringLiteral("没有数据")};
    execute(QStringLiteral("UPDATE 调汇 SET 调整后金额=ifnull(数量,0)*汇率, 损益=调整前金额-ifnull(数量,0)*汇率"));
    return std::nullopt;
}

QStringList profitAndLossAccountEntries()
{
    QStringList entries;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT 科目代码, 科目全称 FROM 科目表 WHERE substr(科目代码,1,1)='6' AND 明细='Y' ORDER BY 科目代码")))
        entries << row[0].toString() + QLatin1Char(' ') + row[1].toString();
    return entries;
}

ChangeCheck checkPostExchangeVoucher(const QString& accountEntry)
{
    if (accountEntry.trimmed().isEmpty())
        return {Message{QStringLiteral("请选择对应损益类科目"), QStringLiteral("QM505"), MessageIcon::Exclamation},
                std::nullopt};
    return {std::nullopt, Message{QStringLiteral("是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作"),
                                  QStringLiteral("QM505提示"), MessageIcon::None, MessageButtons::YesNo}};
}

PostingResult postExchangeVoucher(const ExchangeVoucherHeader& header, const QString& accountEntry, int year)
{
    if (const ChangeCheck check = checkPostExchangeVoucher(accountEntry); check.refusal)
        throw DbError(check.refusal->text);
    const QString account = accountEntry.trimmed().section(QLatin1Char(' '), 0, 0);

    Transaction transaction;
    clearWorkCopy();
    // The debit is the sum of the credits as posted, so the voucher balances to the cent.
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, 借方金额) SELECT ?, ifnull(%1, 0) FROM 调汇")
                .arg(exactAmountSum(QStringLiteral("round(损益, 2)"))),
            {account});
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, 贷方金额) SELECT 代码, round(损益, 2) FROM 调汇 ORDER BY ID"));
    dropEmptyWorkCopyLines();
    if (workCopyLineCount() < 2) {
        // Nothing is kept of an adjustment that posts nothing.
        return {false, Message{QStringLiteral("没有数据,不用保存")}};
    }
    stampWorkCopy({header.date, header.word, header.number, kSummary, header.operatorName, header.operatorName, QVariant()});
    appendWorkCopy(year);
    transaction.commit();
    return {true, Message{QStringLiteral("凭证保存成功,请检查凭证是否正确!!"), QStringLiteral("QM505提示"),
                          MessageIcon::Information}};
}

}  // namespace qm

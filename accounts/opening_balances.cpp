#include "opening_balances.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/money.h"
#include "data/number_format.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QStringList kValueColumns = {QStringLiteral("数量"), QStringLiteral("借方金额"), QStringLiteral("贷方金额")};

TrialBalance trialBalanceOf(const QString& table)
{
    const RecordSet totals = openRecordset(QStringLiteral("SELECT %2, %3 FROM %1")
                                               .arg(table, exactAmountSum(QStringLiteral("借方金额")),
                                                    exactAmountSum(QStringLiteral("贷方金额"))));
    const Money debit = Money::fromStored(totals.value(0, 0)).value_or(Money());
    const Money credit = Money::fromStored(totals.value(0, 1)).value_or(Money());
    return {debit.formatted(), credit.formatted(), debit == credit};
}

void checkValueColumn(const QString& column)
{
    if (!kValueColumns.contains(column))
        throw DbError(QStringLiteral("年初数不能修改 %1").arg(column));
}

// A quantity with more decimals than a quantity keeps would be stored as typed but summed
// rounded; it is refused, never rounded.
bool isOverPreciseQuantity(const QVariant& quantity)
{
    return !quantity.isNull() && !fitsDecimals(quantity.toDouble(), kQuantityDecimals);
}

void checkValue(const QString& column, const QVariant& value)
{
    checkValueColumn(column);
    if (column == kValueColumns.first() && isOverPreciseQuantity(value))
        throw DbError(QStringLiteral("数量 %1 超过三位小数").arg(value.toString()));
}

// An amount that rounds to nothing is no amount: it would make an opening row of 0.00.
QVariant centOrNull(const QVariant& value)
{
    const std::optional<Money> money = Money::fromStored(value);
    return money && *money != Money() ? money->toStored() : QVariant();
}

struct OpeningLine {
    QVariant code;
    QVariant quantity;
    QVariant debit;
    QVariant credit;
};

// The rows a load (from the chart) or a rewrite (from 分录始表) writes, in code order: those left
// with a debit or a credit at the cent.
std::vector<OpeningLine> openingLines(bool rewrite)
{
    const RecordSet rows =
        openRecordset(rewrite ? QStringLiteral("SELECT 代码, 数量, 借方金额, 贷方金额 FROM 分录始表 "
                                               "WHERE 借方金额 IS NOT NULL OR 贷方金额 IS NOT NULL ORDER BY 1")
                              : QStringLiteral("SELECT 科目代码, 数量, 借方金额, 贷方金额 FROM 科目表 "
                                               "WHERE 借方金额 IS NOT NULL OR 贷方金额 IS NOT NULL ORDER BY 1"));
    std::vector<OpeningLine> lines;
    for (const auto row : rows) {
        const QVariant debit = centOrNull(row[2]);
        const QVariant credit = centOrNull(row[3]);
        if (!debit.isNull() || !credit.isNull())
            lines.push_back({row[0], row[1], debit, credit});
    }
    return lines;
}

// The first line whose quantity has more decimals than a quantity keeps (one stored before they
// were refused as typed), named so that it can be corrected.
std::optional<Message> overPreciseQuantityRefusal(const std::vector<OpeningLine>& lines)
{
    for (const OpeningLine& line : lines) {
        if (isOverPreciseQuantity(line.quantity))
            return Message{QStringLiteral("%1 的数量 %2 超过三位小数,请先改正")
                               .arg(line.code.toString(), QString::number(line.quantity.toDouble(), 'g', 15)),
                           QStringLiteral("QM505"), MessageIcon::Exclamation};
    }
    return std::nullopt;
}

// Deletes the year's opening rows and writes the lines of the chart or of 分录始表 in their order.
void replaceOpeningRows(int year, bool rewrite)
{
    const std::vector<OpeningLine> lines = openingLines(rewrite);
    if (const std::optional<Message> refusal = overPreciseQuantityRefusal(lines))
        throw DbError(refusal->text);
    const QString table = entryTableName(year);
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM %1 WHERE substr(ID,1,3)='800'").arg(table));
    const QString insert = QStringLiteral(
        "INSERT INTO %1 (ID, 摘要说明, 代码, 数量, 借方金额, 贷方金额) VALUES (?, '年初余额', ?, ?, ?, ?)").arg(table);
    int number = 0;
    for (const OpeningLine& line : lines)
        execute(insert, {openingRowId(++number), line.code, line.quantity, line.debit, line.credit});
    transaction.commit();
}

}  // namespace

QString openingRowId(int number)
{
    return QStringLiteral("800%1").arg(number, 7, 10, QLatin1Char('0'));
}

TrialBalance trialBalanceOfChart()
{
    return trialBalanceOf(QStringLiteral("科目表"));
}

TrialBalance trialBalanceOfWorkCopy()
{
    return trialBalanceOf(QStringLiteral("分录始表"));
}

std::vector<OpeningAccount> openingAccounts()
{
    std::vector<OpeningAccount> accounts;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT 科目代码, 科目全称, 方向, 数量, 借方金额, 贷方金额 FROM 科目表 WHERE 明细='Y' ORDER BY 1")))
        accounts.push_back({row[0].toString(), row[1].toString(), row[2].toString(), row[3], row[4], row[5]});
    return accounts;
}

void setOpeningValue(const QString& code, const QString& column, const QVariant& value)
{
    checkValue(column, value);
    execute(QStringLiteral("UPDATE 科目表 SET %1=? WHERE 科目代码=?").arg(column), {value, code});
}

void fetchOpeningRows(int year)
{
    // The rows are fetched to be looked at and edited; the books change only when they are rewritten.
    const ViewWork view;
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 分录始表"));
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, 科目全称, 数量, 借方金额, 贷方金额) "
                           "SELECT A.代码, F.科目全称, A.数量, A.借方金额, A.贷方金额 FROM %1 AS A "
                           "JOIN 科目表 AS F ON F.科目代码=A.代码 WHERE substr(A.ID,1,3)='800' ORDER BY A.ID")
                .arg(entryTableName(year)));
    transaction.commit();
}

std::vector<OpeningRow> fetchedOpeningRows()
{
    std::vector<OpeningRow> rows;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT QMID, 代码, 科目全称, 数量, 借方金额, 贷方金额 FROM 分录始表 ORDER BY 代码")))
        rows.push_back({row[0].toInt(), row[1].toString(), row[2].toString(), row[3], row[4], row[5]});
    return rows;
}

void setFetchedOpeningValue(int lineId, const QString& column, const QVariant& value)
{
    checkValue(column, value);
    execute(QStringLiteral("UPDATE 分录始表 SET %1=? WHERE QMID=?").arg(column), {value, lineId});
}

ChangeCheck checkOpeningRowsChange(bool rewrite, bool modeReady, const TrialBalance& balance)
{
    if (!modeReady)
        return {Message{rewrite ? QStringLiteral("请先点[调出年初数]") : QStringLiteral("请先点[显示科目]")}, std::nullopt};
    if (!balance.balanced)
        return {Message{QStringLiteral("借贷不平"), QStringLiteral("QM505"), MessageIcon::Stop}, std::nullopt};
    if (std::optional<Message> refusal = overPreciseQuantityRefusal(openingLines(rewrite)))
        return {std::move(refusal), std::nullopt};
    return {std::nullopt, Message{rewrite ? QStringLiteral("是否修改年初数据?") : QStringLiteral("是否装入年初数据?"),
                                  QStringLiteral("QM505"), MessageIcon::None, MessageButtons::YesNo}};
}

Message loadOpeningRows(int year)
{
    replaceOpeningRows(year, false);
    return Message{QStringLiteral("已装入成功")};
}

Message rewriteOpeningRows(int year)
{
    replaceOpeningRows(year, true);
    return Message{QStringLiteral("已修改成功")};
}

}  // namespace qm

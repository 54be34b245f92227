#include "statements.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/exact_sums.h"
#include "data/month_totals.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"
#include "data/record_set.h"

namespace qm {

namespace {

QString periodKey(int month)
{
    return QStringLiteral("8%1").arg(month, 2, 10, QLatin1Char('0'));
}

QVariant storedAmount(Money value)
{
    return value == Money() ? QVariant() : value.toStored();
}

}  // namespace

bool isBalanceSheet(Statement statement)
{
    return statement == Statement::BalanceSheet05 || statement == Statement::BalanceSheet07;
}

bool isIncomeStatement(Statement statement)
{
    return statement == Statement::IncomeStatement05 || statement == Statement::IncomeStatement07;
}

QString statementTable(Statement statement)
{
    switch (statement) {
    case Statement::BalanceSheet05: return QStringLiteral("资产表05");
    case Statement::IncomeStatement05: return QStringLiteral("利润表05");
    case Statement::BalanceSheet07: return QStringLiteral("资产表07");
    case Statement::IncomeStatement07: return QStringLiteral("利润表07");
    case Statement::CashFlow: return QStringLiteral("现流表");
    }
    return {};
}

std::optional<Message> buildReportData(int year, const QString& monthText, bool cashFlow)
{
    const ViewWork view;
    execute(QStringLiteral("DELETE FROM 报表数据"));
    bool ok = false;
    const int month = monthText.trimmed().toInt(&ok);
    if (!ok || month < 1 || month > 12)
        return Message{QStringLiteral("请选择月份"), QStringLiteral("QM505"), MessageIcon::Stop};
    const QString table = entryTableName(year);
    // Opening rows have no month; "up to the month" includes them. Each code's nets by month
    // from the year's month totals.
    const auto byMonthOf = [&](const QString& codes) {
        return QStringLiteral("SELECT 代码, 月, 借厘 - 贷厘 AS 净厘, iif(结转笔>0, 结转厘, NULL) AS 结转厘 FROM %1 %2")
            .arg(monthTotalsTableName(year), codes);
    };
    const QString byMonth = byMonthOf(QString());
    // The cash accounts alone.
    const QString cashByMonth = byMonthOf(QStringLiteral("WHERE 代码<'1100'"));
    const QString upToMonth = QStringLiteral("(月 IS NULL OR 月<=p.m)");
    Transaction transaction;
    if (cashFlow) {
        execute(QStringLiteral("INSERT INTO 报表数据 (代码, 累计) SELECT '888', %1 FROM (%2) "
                               "WHERE 月 IS NULL AND substr(代码,1,4)<'1100'")
                    .arg(centsOfThousandths(QStringLiteral("sum(净厘)")), cashByMonth));
        execute(QStringLiteral("INSERT INTO 报表数据 (代码, 累计) SELECT '999', %1 FROM (%2) CROSS JOIN (SELECT ? AS m) AS p "
                               "WHERE %3 AND substr(代码,1,4)<'1100'")
                    .arg(centsOfThousandths(QStringLiteral("sum(净厘)")), cashByMonth, upToMonth),
                {month});
        // One row per cash-flow item, in the order of a grouping by 流代: lines without an item
        // first (NULL, then empty), each row there when such a line exists. Only lines with a
        // cash-flow amount add to a sum, and those are read from their own index.
        const QString period = periodKey(month);
        const struct {
            const char* code;
            const char* lines;
        } noItems[] = {{"NULL", "流代 IS NULL"}, {"''", "流代=''"}};
        for (const auto& noItem : noItems) {
            execute(QStringLiteral("INSERT INTO 报表数据 (代码, 累计) SELECT %1, %2 FROM (SELECT sum(%3) AS 厘 FROM %4 "
                                   "WHERE %5 AND 流金 IS NOT NULL AND substr(ID,1,3)<=:period) "
                                   "WHERE EXISTS (SELECT 1 FROM %4 WHERE %5 AND substr(ID,1,3)<=:period)")
                        .arg(QString::fromUtf8(noItem.code), centsOfThousandths(QStringLiteral("ifnull(厘,0)")),
                             thousandthsOf(QStringLiteral("流金")), table, QString::fromUtf8(noItem.lines)),
                    QVariantMap{{QStringLiteral(":period"), period}});
        }
        execute(QStringLiteral("INSERT INTO 报表数据 (代码, 累计) SELECT 流代, %1 FROM %2 "
                               "WHERE 流代<>'' AND substr(ID,1,3)<=? GROUP BY 流代")
                    .arg(exactAmountSum(QStringLiteral("ifnull(流金,0)")), table),
                {period});
    } else {
        const QString sums = QStringLiteral(
            "SELECT substr(代码,1,4) AS 代码, %1 AS 年初, %2 AS 期末, %3 AS 本期, %4 AS 累计 FROM (%5) "
            "CROSS JOIN (SELECT ? AS m) AS p GROUP BY 1")
                                 .arg(centsOfThousandths(QStringLiteral("sum(iif(月 IS NULL, 净厘, NULL))")),
                                      centsOfThousandths(QStringLiteral("sum(iif(%1, 净厘, NULL))").arg(upToMonth)),
                                      centsOfThousandths(QStringLiteral("sum(iif(月=p.m, 结转厘, NULL))")),
                                      centsOfThousandths(QStringLiteral("sum(iif(%1, 结转厘, NULL))").arg(upToMonth)), byMonth);
        execute(QStringLiteral("INSERT INTO 报表数据 (代码, 方向, 年初, 期末, 本期, 累计) "
                               "SELECT F.科目代码, F.方向, A.年初, A.期末, A.本期, A.累计 FROM 科目表 AS F JOIN (%1) AS A "
                               "ON F.科目代码=A.代码 WHERE length(F.科目代码)=4 AND (A.年初<>0 OR A.期末<>0 OR A.本期<>0 OR A.累计<>0)")
                    .arg(sums),
                {month});
        // Credit-side balances of classes 1 to 5 read positive; so do the expense movements.
        execute(QStringLiteral("UPDATE 报表数据 SET 年初=-年初, 期末=-期末 WHERE 方向='贷' AND 代码<'6000'"));
        execute(QStringLiteral("UPDATE 报表数据 SET 本期=-本期, 累计=-累计 WHERE 代码>'6400'"));
    }
    transaction.commit();
    return std::nullopt;
}

QHash<QString, QVariant> reportDataColumn(const QString& column)
{
    static const QStringList columns = {QStringLiteral("年初"), QStringLiteral("期末"), QStringLiteral("本期"), QStringLiteral("累计")};
    if (!columns.contains(column))
        throw DbError(QStringLiteral("报表数据没有 %1").arg(column));
    QHash<QString, QVariant> values;
    // The first row of a code counts, as a lookup would find it.
    for (const auto row : openRecordset(QStringLiteral("SELECT ifnull(代码, ''), %1 FROM 报表数据 ORDER BY rowid").arg(column))) {
        if (!values.contains(row[0].toString()))
            values.insert(row[0].toString(), row[1]);
    }
    return values;
}

Money evaluateFormula(const QString& typed, int width, const QHash<QString, QVariant>& values)
{
    // Typed through an input method in full-width, "－" must still subtract.
    const QString formula = foldNumberCharacters(typed);
    if (formula.isEmpty())
        return Money();
    auto valueOf = [&](const QString& code) { return Money::fromStored(values.value(code)).value_or(Money()); };
    Money total = valueOf(formula.left(width));
    for (int term = 1; (width + 1) * term < formula.size(); ++term) {
        const QChar sign = formula.at((width + 1) * term - 1);
        const Money value = valueOf(formula.mid((width + 1) * term, width));
        total = sign == QLatin1Char('-') ? total - value : total + value;
    }
    return total;
}

std::optional<Message> evaluateStatement(Statement statement, int year, const QString& month)
{
    const ViewWork view;
    const std::optional<Message> message = buildReportData(year, month, statement == Statement::CashFlow);
    const QString table = statementTable(statement);
    Transaction transaction;
    if (isBalanceSheet(statement)) {
        const auto opening = reportDataColumn(QStringLiteral("年初"));
        const auto closing = reportDataColumn(QStringLiteral("期末"));
        for (const auto row : openRecordset(QStringLiteral("SELECT rowid, 公式1, 公式2 FROM %1 ORDER BY 行次1").arg(table))) {
            const QString left = row[1].toString();
            const QString right = row[2].toString();
            execute(QStringLiteral("UPDATE %1 SET 年初余额1=?, 期末余额1=?, 年初余额2=?, 期末余额2=? WHERE rowid=?").arg(table),
                    {storedAmount(evaluateFormula(left, 4, opening)), storedAmount(evaluateFormula(left, 4, closing)),
                     storedAmount(evaluateFormula(right, 4, opening)), storedAmount(evaluateFormula(right, 4, closing)), row[0]});
        }
    } else if (isIncomeStatement(statement)) {
        const auto month = reportDataColumn(QStringLiteral("本期"));
        const auto toDate = reportDataColumn(QStringLiteral("累计"));
        for (const auto row : openRecordset(QStringLiteral("SELECT rowid, 公式 FROM %1 ORDER BY 行次").arg(table))) {
            const QString formula = row[1].toString();
            execute(QStringLiteral("UPDATE %1 SET 本期金额=?, 本年累计=? WHERE rowid=?").arg(table),
                    {storedAmount(evaluateFormula(formula, 4, month)), storedAmount(evaluateFormula(formula, 4, toDate)), row[0]});
        }
    } else {
        const auto amounts = reportDataColumn(QStringLiteral("累计"));
        for (const auto row : openRecordset(QStringLiteral("SELECT rowid, 公式 FROM 现流表 ORDER BY 行次")))
            execute(QStringLiteral("UPDATE 现流表 SET 金额=? WHERE rowid=?"),
                    {storedAmount(evaluateFormula(row[1].toString(), 3, amounts)), row[0]});
    }
    transaction.commit();
    return message;
}

RecordSet statementRows(Statement statement)
{
    return openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                             .arg(statementTable(statement),
                                  isBalanceSheet(statement) ? QStringLiteral("行次1") : QStringLiteral("行次")));
}

RecordSet statementDefinitionRows(Statement statement)
{
    if (isBalanceSheet(statement))
        return openRecordset(QStringLiteral("SELECT rowid, 资产, 行次1, 公式1, 负债及所有者权益, 行次2, 公式2 FROM %1 ORDER BY 行次1")
                                 .arg(statementTable(statement)));
    return openRecordset(QStringLiteral("SELECT rowid, 项目, 行次, 公式 FROM %1 ORDER BY 行次").arg(statementTable(statement)));
}

void setStatementDefinitionValue(Statement statement, qint64 rowId, const QString& column, const QVariant& value)
{
    const QStringList editable = isBalanceSheet(statement)
                                     ? QStringList{QStringLiteral("资产"), QStringLiteral("公式1"), QStringLiteral("负债及所有者权益"),
                                                   QStringLiteral("行次2"), QStringLiteral("公式2")}
                                     : QStringList{QStringLiteral("项目"), QStringLiteral("公式")};
    if (!editable.contains(column))
        throw DbError(QStringLiteral("%1 不能修改").arg(column));
    execute(QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=?").arg(statementTable(statement), column), {value, rowId});
}

QStringList formulaCodeList(Statement statement)
{
    QStringList codes;
    const QString sql = statement == Statement::CashFlow
                            ? QStringLiteral("SELECT 代码, 名称 FROM 现流 ORDER BY 代码")
                            : QStringLiteral("SELECT 科目代码, 科目名称 FROM 科目表 WHERE length(科目代码)=4 ORDER BY 科目代码");
    for (const auto row : openRecordset(sql))
        codes << row[0].toString() + QLatin1Char(' ') + row[1].toString();
    return codes;
}

}  // namespace qm

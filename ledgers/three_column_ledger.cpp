#include "three_column_ledger.h"

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"

#include <cmath>

namespace qm {

namespace {

bool isDebitSide(const QString& direction)
{
    return direction == QStringLiteral("借");
}

// The opening value in the account's direction, from the rows that `accounts` selects.
double openingValue(int year, const QString& accounts, const QString& code, const QString& direction)
{
    const double balance = roundToCent(
        scalar(QStringLiteral("SELECT sum(ifnull(借方金额,0)) - sum(ifnull(贷方金额,0)) FROM %1 "
                              "WHERE %2 AND substr(ID,1,3)='800'").arg(entryTableName(year), accounts),
               {code})
            .toDouble());
    return isDebitSide(direction) ? balance : -balance;
}

void insertOpeningLine(const QString& direction, double opening)
{
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 方向, 余额) VALUES ('8000', '年初余额', ?, ?)"),
            {direction, opening});
}

// Walks the lines in ledger order, storing each running balance; "平" with no balance when it
// comes to nothing at the cent. Returns the last balance.
double walkBalances(const QString& direction, double opening)
{
    const RecordSet lines = openRecordset(
        QStringLiteral("SELECT rowid, 借方金额, 贷方金额 FROM 三总式 ORDER BY ID, 号码"));
    double balance = opening;
    const bool debitSide = isDebitSide(direction);
    for (const auto line : lines) {
        const double movement = line[1].toDouble() - line[2].toDouble();
        balance = roundToCent(debitSide ? balance + movement : balance - movement);
        if (std::abs(balance) < 0.005)
            execute(QStringLiteral("UPDATE 三总式 SET 方向='平', 余额=NULL WHERE rowid=?"), {line[0]});
        else
            execute(QStringLiteral("UPDATE 三总式 SET 余额=? WHERE rowid=?"), {balance, line[0]});
    }
    return balance;
}

// Month totals and year-to-date lines over the month keys of `lines` (ID, 借方金额, 贷方金额).
void insertTotals(const QString& lines, const QVariantList& values, const QString& monthSuffix, const QString& yearSuffix)
{
    const QString months = QStringLiteral(
        "SELECT substr(ID,1,3) AS 月份, round(sum(借方金额), 2) AS 借方金额, round(sum(贷方金额), 2) AS 贷方金额 "
        "FROM (%1) GROUP BY 1").arg(lines);
    if (!monthSuffix.isEmpty())
        execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 借方金额, 贷方金额) "
                               "SELECT 月份 || '%1', ' 本月合计', 借方金额, 贷方金额 FROM (%2)").arg(monthSuffix, months),
                values);
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 借方金额, 贷方金额) "
                           "SELECT 月份 || '%1', ' 本年累计', round(sum(借方金额) OVER (ORDER BY 月份), 2), "
                           "round(sum(贷方金额) OVER (ORDER BY 月份), 2) FROM (%2)").arg(yearSuffix, months),
            values);
}

}  // namespace

void buildDetailLedger(int year, const QString& code, const QString& direction)
{
    const QString table = entryTableName(year);
    Transaction transaction;
    const double opening = openingValue(year, QStringLiteral("代码=?"), code, direction);
    insertOpeningLine(direction, opening);
    const QString entries = QStringLiteral(
        "SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额 FROM %1 WHERE 代码=? AND substr(ID,1,3)>'800'").arg(table);
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向) "
                           "SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, ? FROM (%1)").arg(entries),
            {direction, code});
    const double last = walkBalances(direction, opening);
    insertTotals(entries, {code}, QStringLiteral("9999998"), QStringLiteral("9999999"));
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 余额) VALUES ('813', '结转下年', ?)"), {last});
    transaction.commit();
}

void buildGeneralLedger(int year, const QString& codeText, const QString& direction)
{
    const QString code = codeText.left(4);
    const QString table = entryTableName(year);
    const QString accounts = QStringLiteral("substr(代码,1,4)=?");
    Transaction transaction;
    const double opening = openingValue(year, accounts, code, direction);
    insertOpeningLine(direction, opening);
    // One line per month key and calendar month, dated the month's last day.
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 日期, 摘要说明, 字号, 号码, 借方金额, 贷方金额, 方向) "
                           "SELECT substr(ID,1,3) || '1', date(strftime('%Y-%m-01', 日期), '+1 month', '-1 day'), "
                           "' 本月合计', '汇', 1, round(sum(借方金额), 2), round(sum(贷方金额), 2), ? FROM %1 "
                           "WHERE %2 AND substr(ID,1,3)>'800' GROUP BY substr(ID,1,3), strftime('%Y-%m', 日期)")
                .arg(table, accounts),
            {direction, code});
    const double last = walkBalances(direction, opening);
    insertTotals(QStringLiteral("SELECT ID, 借方金额, 贷方金额 FROM %1 WHERE %2 AND substr(ID,1,3)>'800'").arg(table, accounts),
                 {code}, QString(), QStringLiteral("2"));
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 余额) VALUES ('8123', '结转下年', ?)"), {last});
    transaction.commit();
}

RecordSet threeColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 三总式 ORDER BY 1, 4"));
}

}  // namespace qm

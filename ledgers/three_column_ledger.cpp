#include "three_column_ledger.h"

#include "data/database.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"

namespace qm {

namespace {

// +1 for a debit-direction account, -1 for any other: balances read in the account's direction.
int directionSign(const QString& direction)
{
    return direction == QStringLiteral("借") ? 1 : -1;
}

const QString kNet = QStringLiteral("(%1 - %2)").arg(thousandthsOf(QStringLiteral("ifnull(借方金额,0)")),
                                                      thousandthsOf(QStringLiteral("ifnull(贷方金额,0)")));

// The opening net (debit less credit) of the rows `accounts` selects, in exact thousandths.
qint64 openingThousandths(int year, const QString& accounts, const QString& code)
{
    return scalar(QStringLiteral("SELECT ifnull(sum(%1), 0) FROM %2 WHERE %3 AND substr(ID,1,3)='800'")
                      .arg(kNet, entryTableName(year), accounts),
                  {code})
        .toLongLong();
}

// The opening line: the account's direction and balance, or "平" and no balance at nothing.
void insertOpeningLine(const QString& direction, qint64 balance)
{
    const qint64 cents = centsOfThousandths(balance);
    execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 方向, 余额) VALUES ('8000', '年初余额', ?, ?)"),
            {cents == 0 ? QStringLiteral("平") : direction, cents == 0 ? QVariant() : QVariant(double(cents) / 100.0)});
}

// `lines` (which have a column `net`, debit less credit in thousandths) with 方向 and 余额 after
// each: the exact running sum from the opening net, rounded to the cent, never a sum of rounded
// steps; "平" and no balance where it comes to nothing at the cent. Binds the direction, its
// sign and the opening net, in that order, before the values of `lines`.
QString withRunningBalance(const QString& lines, const QString& order)
{
    return QStringLiteral(
               "SELECT *, iif(分=0, '平', ?) AS 方向, iif(分=0, NULL, 分 / 100.0) AS 余额 FROM ("
               "SELECT *, (厘 + iif(厘<0, -5, 5)) / 10 AS 分 FROM ("
               "SELECT *, ? * (? + sum(net) OVER (ORDER BY %1 ROWS UNBOUNDED PRECEDING)) AS 厘 FROM (%2)))")
        .arg(order, lines);
}

// The ledger's lines after its opening line, in one statement over one reading of the entries:
// `lines` (ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额 and the exact 借厘, 贷厘 and net) each
// with its running balance in `order`, then per month key a month total (unless `monthSuffix`
// is empty) and a year-to-date line, each an exact sum rounded to the cent, and the carry-forward
// line `carryId` with the last balance. Binds the values of `lines`, then the direction, its sign
// and the opening net, then the sign and the opening net again.
QString ledgerLines(const QString& lines, const QString& order, const QString& monthSuffix, const QString& yearSuffix,
                    const QString& carryId)
{
    const QString debit = centsOfThousandths(QStringLiteral("借厘"));
    const QString credit = centsOfThousandths(QStringLiteral("贷厘"));
    QString statement = QStringLiteral(
        "WITH lines AS MATERIALIZED (%1), months AS MATERIALIZED (SELECT substr(ID,1,3) AS 月份, sum(借厘) AS 借厘, sum(贷厘) AS 贷厘 "
        "FROM lines GROUP BY 1) "
        "INSERT INTO 三总式 (ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 余额) "
        "SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 余额 FROM (%2) ")
                            .arg(lines, withRunningBalance(QStringLiteral("SELECT * FROM lines"), order));
    if (!monthSuffix.isEmpty())
        statement += QStringLiteral("UNION ALL SELECT 月份 || '%1', NULL, NULL, NULL, ' 本月合计', %2, %3, NULL, NULL FROM months ")
                         .arg(monthSuffix, debit, credit);
    statement += QStringLiteral("UNION ALL SELECT 月份 || '%1', NULL, NULL, NULL, ' 本年累计', %2, %3, NULL, NULL FROM months ")
                     .arg(yearSuffix, centsOfThousandths(QStringLiteral("sum(借厘) OVER (ORDER BY 月份)")),
                          centsOfThousandths(QStringLiteral("sum(贷厘) OVER (ORDER BY 月份)")));
    statement += QStringLiteral("UNION ALL SELECT '%1', NULL, NULL, NULL, '结转下年', NULL, NULL, NULL, %2 / 100.0 "
                                "FROM (SELECT ? * (? + ifnull(sum(net), 0)) AS 厘 FROM lines)")
                     .arg(carryId, QStringLiteral("((厘 + iif(厘<0, -5, 5)) / 10)"));
    return statement;
}

// Exact thousandths of a line's amounts and its net, for the ledger's sums.
const QString kLineThousandths = QStringLiteral("%1 AS 借厘, %2 AS 贷厘")
                                     .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")));

}  // namespace

void buildDetailLedger(int year, const QString& code, const QString& direction)
{
    const int sign = directionSign(direction);
    Transaction transaction;
    const qint64 opening = openingThousandths(year, QStringLiteral("代码=?"), code);
    insertOpeningLine(direction, sign * opening);
    const QString entries = QStringLiteral(
        "SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, %1, %2 AS net FROM %3 WHERE 代码=? AND substr(ID,1,3)>'800'")
                                .arg(kLineThousandths, kNet, entryTableName(year));
    execute(ledgerLines(entries, QStringLiteral("ID, 号码"), QStringLiteral("9999998"), QStringLiteral("9999999"),
                        QStringLiteral("813")),
            {code, direction, sign, opening, sign, opening});
    transaction.commit();
}

void buildGeneralLedger(int year, const QString& codeText, const QString& direction)
{
    const QString code = codeText.left(4);
    const QString accounts = QStringLiteral("substr(代码,1,4)=?");
    const int sign = directionSign(direction);
    Transaction transaction;
    const qint64 opening = openingThousandths(year, accounts, code);
    insertOpeningLine(direction, sign * opening);
    // One line per month key and calendar month, dated the month's last day.
    const QString months = QStringLiteral(
        "SELECT ID, 日期, '汇' AS 字号, 1 AS 号码, ' 本月合计' AS 摘要说明, %1 AS 借方金额, %2 AS 贷方金额, 借厘, 贷厘, "
        "ifnull(借厘,0) - ifnull(贷厘,0) AS net FROM ("
        "SELECT substr(ID,1,3) || '1' AS ID, date(strftime('%Y-%m-01', 日期), '+1 month', '-1 day') AS 日期, "
        "sum(借厘) AS 借厘, sum(贷厘) AS 贷厘 FROM (SELECT ID, 日期, %3 FROM %4 WHERE %5 AND substr(ID,1,3)>'800') "
        "GROUP BY substr(ID,1,3), strftime('%Y-%m', 日期))")
                               .arg(centsOfThousandths(QStringLiteral("借厘")), centsOfThousandths(QStringLiteral("贷厘")),
                                    kLineThousandths, entryTableName(year), accounts);
    execute(ledgerLines(months, QStringLiteral("ID, 日期"), QString(), QStringLiteral("2"), QStringLiteral("8123")),
            {code, direction, sign, opening, sign, opening});
    transaction.commit();
}

RecordSet threeColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 三总式 ORDER BY 1, 4"));
}

}  // namespace qm

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

// The whole ledger in one statement over one reading of the entries. `lines` (ID, 日期, 字号,
// 号码, 摘要说明, 借方金额, 贷方金额 and the exact 借厘, 贷厘 and net) are the opening lines, under
// month key 800, and the ledger's lines after them. Writes the opening line with the opening
// net, each later line with its balance, then per month key a month total (unless `monthSuffix`
// is empty) and a year-to-date line, each an exact sum rounded to the cent, and the carry-forward
// line `carryId` with the last balance. A balance is the exact running sum in `order`, rounded to
// the cent, never a sum of rounded steps; "平" and no balance where it comes to nothing at the
// cent. The opening lines sort ahead of every later line, so one running sum over all of them
// starts each later line from the opening net. Binds the values of `lines`, then the sign of the
// account's direction twice, the direction twice, and the sign again.
QString ledgerLines(const QString& lines, const QString& order, const QString& monthSuffix, const QString& yearSuffix,
                    const QString& carryId)
{
    const QString cents = QStringLiteral("((厘 + iif(厘<0, -5, 5)) / 10)");
    QString statement = QStringLiteral(
        "WITH lines AS MATERIALIZED (SELECT *, substr(ID,1,3) AS 月份 FROM (%1)), "
        "run AS MATERIALIZED (SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 月份, "
        "? * sum(net) OVER (ORDER BY %2 ROWS UNBOUNDED PRECEDING) AS 厘 FROM lines), "
        "opening AS MATERIALIZED (SELECT ? * ifnull(sum(net), 0) AS 厘 FROM lines WHERE 月份='800'), "
        "months AS MATERIALIZED (SELECT 月份, sum(借厘) AS 借厘, sum(贷厘) AS 贷厘 FROM lines WHERE 月份>'800' GROUP BY 1) "
        "INSERT INTO 三总式 (ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 余额) "
        "SELECT '8000', NULL, NULL, NULL, '年初余额', NULL, NULL, iif(分=0, '平', ?), iif(分=0, NULL, 分 / 100.0) "
        "FROM (SELECT %3 AS 分 FROM opening) "
        "UNION ALL SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, iif(分=0, '平', ?), iif(分=0, NULL, 分 / 100.0) "
        "FROM (SELECT *, %3 AS 分 FROM run WHERE 月份>'800') ")
                            .arg(lines, order, cents);
    if (!monthSuffix.isEmpty())
        statement += QStringLiteral("UNION ALL SELECT 月份 || '%1', NULL, NULL, NULL, ' 本月合计', %2, %3, NULL, NULL FROM months ")
                         .arg(monthSuffix, centsOfThousandths(QStringLiteral("借厘")), centsOfThousandths(QStringLiteral("贷厘")));
    statement += QStringLiteral("UNION ALL SELECT 月份 || '%1', NULL, NULL, NULL, ' 本年累计', %2, %3, NULL, NULL FROM months ")
                     .arg(yearSuffix, centsOfThousandths(QStringLiteral("sum(借厘) OVER (ORDER BY 月份)")),
                          centsOfThousandths(QStringLiteral("sum(贷厘) OVER (ORDER BY 月份)")));
    statement += QStringLiteral("UNION ALL SELECT '%1', NULL, NULL, NULL, '结转下年', NULL, NULL, NULL, %2 / 100.0 "
                                "FROM (SELECT ? * ifnull(sum(net), 0) AS 厘 FROM lines)")
                     .arg(carryId, cents);
    return statement;
}

// Exact thousandths of a line's amounts and its net, for the ledger's sums.
const QString kLineThousandths = QStringLiteral("%1 AS 借厘, %2 AS 贷厘")
                                     .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")));

}  // namespace

void buildDetailLedger(int year, const QString& code, const QString& direction)
{
    const int sign = directionSign(direction);
    const QString entries = QStringLiteral(
        "SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, %1, %2 AS net FROM %3 WHERE 代码=? AND substr(ID,1,3)>='800'")
                                .arg(kLineThousandths, kNet, entryTableName(year));
    execute(ledgerLines(entries, QStringLiteral("ID, 号码"), QStringLiteral("9999998"), QStringLiteral("9999999"),
                        QStringLiteral("813")),
            {code, sign, sign, direction, direction, sign});
}

void buildGeneralLedger(int year, const QString& codeText, const QString& direction)
{
    const QString code = codeText.left(4);
    const int sign = directionSign(direction);
    // The opening lines as they stand, then one line per month key and calendar month, dated
    // the month's last day.
    const QString lines = QStringLiteral(
        "WITH source AS MATERIALIZED (SELECT ID, 日期, %1 FROM %2 WHERE substr(代码,1,4)=? AND substr(ID,1,3)>='800') "
        "SELECT ID, NULL AS 日期, NULL AS 字号, NULL AS 号码, NULL AS 摘要说明, NULL AS 借方金额, NULL AS 贷方金额, 借厘, 贷厘, "
        "ifnull(借厘,0) - ifnull(贷厘,0) AS net FROM source WHERE substr(ID,1,3)='800' "
        "UNION ALL SELECT ID, 日期, '汇', 1, ' 本月合计', %3, %4, 借厘, 贷厘, ifnull(借厘,0) - ifnull(贷厘,0) FROM ("
        "SELECT substr(ID,1,3) || '1' AS ID, date(strftime('%Y-%m-01', 日期), '+1 month', '-1 day') AS 日期, "
        "sum(借厘) AS 借厘, sum(贷厘) AS 贷厘 FROM source WHERE substr(ID,1,3)>'800' "
        "GROUP BY substr(ID,1,3), strftime('%Y-%m', 日期))")
                              .arg(kLineThousandths, entryTableName(year), centsOfThousandths(QStringLiteral("借厘")),
                                   centsOfThousandths(QStringLiteral("贷厘")));
    execute(ledgerLines(lines, QStringLiteral("ID, 日期"), QString(), QStringLiteral("2"), QStringLiteral("8123")),
            {code, sign, sign, direction, direction, sign});
}

RecordSet threeColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 三总式 ORDER BY 1, 4"));
}

}  // namespace qm

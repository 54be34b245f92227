#include "detail_ledgers.h"

#include "data/database.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/update_rows.h"

#include <QHash>
#include <QSet>

#include <cmath>

namespace qm {

namespace {

bool isDebitSide(const QString& direction)
{
    return direction == QStringLiteral("借");
}

QVariant unitPrice(const QVariant& amount, double quantity)
{
    if (amount.isNull() || quantity == 0)
        return {};
    return QString::number(amount.toDouble() / quantity, 'f', 3);
}

// Month totals and cumulative lines over the month keys of `lines`, in one statement, so that
// `lines` may read the table being written: quantities summed as they are, amounts exactly and
// rounded to the cent.
void insertMonthAndYearLines(const QString& table, const QString& lines, const QStringList& quantities,
                             const QStringList& amounts)
{
    QStringList monthSums;
    QStringList monthValues;
    QStringList yearValues;
    for (const QString& column : quantities) {
        monthSums << QStringLiteral("sum(%1) AS %1").arg(column);
        monthValues << column;
        yearValues << QStringLiteral("sum(%1) OVER (ORDER BY 月份)").arg(column);
    }
    for (const QString& column : amounts) {
        monthSums << QStringLiteral("sum(%1) AS %2").arg(thousandthsOf(column), column);
        monthValues << centsOfThousandths(column);
        yearValues << centsOfThousandths(QStringLiteral("sum(%1) OVER (ORDER BY 月份)").arg(column));
    }
    execute(QStringLiteral("WITH months AS MATERIALIZED (SELECT substr(ID,1,3) AS 月份, %1 FROM (%2) GROUP BY 1) "
                           "INSERT INTO %3 (ID, 摘要说明, %4) SELECT 月份 || '9999998', ' 本月合计', %5 FROM months "
                           "UNION ALL SELECT 月份 || '9999999', ' 本年累计', %6 FROM months")
                .arg(monthSums.join(QStringLiteral(", ")), lines, table, (quantities + amounts).join(QStringLiteral(", ")),
                     monthValues.join(QStringLiteral(", ")), yearValues.join(QStringLiteral(", "))));
}

QString multiColumnSide(const QString& code, const QString& direction)
{
    if (isDebitSide(direction))
        return QStringLiteral("debit");
    return code.left(4) == QStringLiteral("2221") ? QStringLiteral("both") : QStringLiteral("credit");
}

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

void buildQuantityLedger(int year, const QString& code, const QString& direction)
{
    const int sign = isDebitSide(direction) ? 1 : -1;
    const QString net = QStringLiteral("%1 - %2").arg(thousandthsOf(QStringLiteral("ifnull(借方金额,0)")),
                                                      thousandthsOf(QStringLiteral("ifnull(贷方金额,0)")));
    Transaction transaction;
    const QVariant lastBefore = scalar(QStringLiteral("SELECT ifnull(max(rowid), 0) FROM 数量式"));
    // One reading of the entries writes the opening line and the lines after it in ledger order,
    // each with its balance in the account's direction: the amount the exact running sum rounded
    // to the cent, "平" and no amount where it comes to nothing at the cent; the quantity summed
    // line by line from the opening, where a quantity counts on the side its amount stands.
    execute(QStringLiteral(
                "WITH lines AS MATERIALIZED (SELECT ID, 日期, 字号, 号码, 摘要说明, 数量, iif(贷方金额 IS NULL, 数量, NULL) AS 借数, "
                "借方金额, iif(借方金额 IS NULL, 数量, NULL) AS 贷数, 贷方金额, %2 AS net FROM %1 "
                "WHERE 代码=? AND substr(ID,1,3)>='800'), "
                "ledger AS (SELECT '8000' AS ID, NULL AS 日期, NULL AS 字号, NULL AS 号码, '年初余额' AS 摘要说明, NULL AS 借数, "
                "NULL AS 借方金额, NULL AS 贷数, NULL AS 贷方金额, ? * ifnull(sum(net), 0) AS 厘, "
                "? * ifnull(sum(iif(借方金额 IS NULL, -数量, 数量)), 0) AS 数 FROM lines WHERE substr(ID,1,3)='800' "
                "UNION ALL SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, ? * net, "
                "? * (ifnull(借数,0) - ifnull(贷数,0)) FROM lines WHERE substr(ID,1,3)>'800') "
                "INSERT INTO 数量式 (ID, 日期, 字号, 号码, 摘要说明, 借数, 借金, 贷数, 贷金, 方向, 余数, 余额) "
                "SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, iif(分=0, '平', ?), 数, "
                "iif(分=0, NULL, 分 / 100.0) FROM (SELECT *, (厘 + iif(厘<0, -5, 5)) / 10 AS 分 FROM ("
                "SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, sum(厘) OVER running AS 厘, "
                "sum(数) OVER running AS 数 FROM ledger "
                "WINDOW running AS (ORDER BY ID COLLATE NOCASE, 号码 ROWS UNBOUNDED PRECEDING)))")
                .arg(entryTableName(year), net),
            {code, sign, sign, sign, sign, direction});

    // The unit prices, and the quantity summed again here so that it stays the sum taken line by
    // line whatever way the database adds.
    const RecordSet lines = openRecordset(
        QStringLiteral("SELECT rowid, 借数, 贷数, 借金, 贷金, 余数, 余额 FROM 数量式 WHERE rowid>? ORDER BY ID, 号码, rowid"),
        {lastBefore});
    std::vector<QVariantList> prices;
    prices.reserve(std::size_t(lines.count()));
    double quantity = 0;
    double shown = 0;
    bool opening = true;
    for (const auto line : lines) {
        const double debitQuantity = line[1].toDouble();
        const double creditQuantity = line[2].toDouble();
        if (opening) {
            quantity = line[5].toDouble();
            opening = false;
        } else {
            quantity = sign > 0 ? quantity + (debitQuantity - creditQuantity) : quantity - (debitQuantity - creditQuantity);
            if (line[5].toDouble() != quantity)
                execute(QStringLiteral("UPDATE 数量式 SET 余数=? WHERE rowid=?"), {quantity, line[0]});
        }
        shown = line[6].toDouble();
        prices.push_back({line[0], unitPrice(line[3], debitQuantity), unitPrice(line[4], creditQuantity),
                          quantity == 0 ? QVariant() : QVariant(QString::number(shown / quantity, 'f', 3))});
    }
    updateRows(QStringLiteral("数量式"), {QStringLiteral("借单"), QStringLiteral("贷单"), QStringLiteral("余单")}, prices);
    execute(QStringLiteral("UPDATE 数量式 SET 余数=NULL WHERE rowid>? AND abs(余数)<0.01"), {lastBefore});
    insertMonthAndYearLines(QStringLiteral("数量式"), QStringLiteral("SELECT * FROM 数量式 WHERE substr(ID,1,3)>'800'"),
                            {QStringLiteral("借数"), QStringLiteral("贷数")}, {QStringLiteral("借金"), QStringLiteral("贷金")});
    execute(QStringLiteral("INSERT INTO 数量式 (ID, 摘要说明, 余数, 余额) VALUES ('813', '结转下年', ?, ?)"), {quantity, shown});
    transaction.commit();
}

RecordSet quantityLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 数量式 ORDER BY 1, 4"));
}

QString depreciationTwin(const QString& code)
{
    switch (code.size()) {
    case 4: return code.left(3) + QLatin1Char('2');
    case 7: return code.left(3) + QString::number(code.right(4).toInt() + 1000);
    case 10: return code.left(3) + QString::number(code.right(7).toInt() + 1000000);
    default: return QString();
    }
}

std::optional<Message> buildFixedAssetLedger(int year, const QString& code, const QString& direction)
{
    if (code.left(4) != QStringLiteral("1601") && code.left(4) != QStringLiteral("1701"))
        return Message{QStringLiteral("只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"), QStringLiteral("QM505"),
                       MessageIcon::Stop};
    const QString table = entryTableName(year);
    const QString twin = depreciationTwin(code);
    Transaction transaction;
    const RecordSet opening = openRecordset(
        QStringLiteral("SELECT sum(数量), sum(%1), sum(%2) FROM %3 WHERE 代码 IN (?, ?) AND substr(ID,1,3)='800'")
            .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")), table),
        {code, twin});
    double quantity = opening.value(0, 0).toDouble();
    const auto amountOf = [](qint64 thousandths) { return double(centsOfThousandths(thousandths)) / 100.0; };
    const double cost = amountOf(opening.value(0, 1).toLongLong());
    const double depreciation = amountOf(opening.value(0, 2).toLongLong());
    // The net value in exact thousandths; shown rounded to the cent.
    qint64 value = opening.value(0, 1).toLongLong() - opening.value(0, 2).toLongLong();
    execute(QStringLiteral("INSERT INTO 固累式 (ID, 摘要说明, 借数, 借方金额, 折旧额, 方向, 余数, 余额) "
                           "VALUES ('8000000000', '年初余额', ?, ?, ?, ?, ?, ?)"),
            {quantity, cost, depreciation, direction, quantity, amountOf(value)});
    execute(QStringLiteral("INSERT INTO 固累式 (代码, ID, 日期, 字号, 号码, 摘要说明, 借数, 贷数, 借方金额, 贷方金额, 方向) "
                           "SELECT 代码, ID, 日期, 字号, 号码, 摘要说明, iif(贷方金额 IS NULL, 数量, NULL), "
                           "iif(借方金额 IS NULL, 数量, NULL), 借方金额, 贷方金额, ? FROM %1 "
                           "WHERE 代码 IN (?, ?) AND substr(ID,1,3)>'800'").arg(table),
            {direction, code, twin});
    // Cost and depreciation alike move the net value up on the debit and down on the credit.
    const RecordSet entries = openRecordset(
        QStringLiteral("SELECT rowid, 借数, 贷数, %1 FROM 固累式 WHERE substr(ID,1,3)>'800' ORDER BY ID, 号码")
            .arg(QStringLiteral("%1 - %2").arg(thousandthsOf(QStringLiteral("ifnull(借方金额,0)")),
                                               thousandthsOf(QStringLiteral("ifnull(贷方金额,0)")))));
    for (const auto entry : entries) {
        value += entry[3].toLongLong();
        quantity += entry[1].toDouble() - entry[2].toDouble();
        const bool level = centsOfThousandths(value) == 0;
        execute(QStringLiteral("UPDATE 固累式 SET 余额=?, 余数=?, 方向=iif(?, '平', 方向) WHERE rowid=?"),
                {level ? QVariant() : QVariant(amountOf(value)), std::abs(quantity) < 0.01 ? QVariant() : QVariant(quantity), level,
                 entry[0]});
    }
    execute(QStringLiteral("UPDATE 固累式 SET 折旧额=round(ifnull(贷方金额,0) - ifnull(借方金额,0), 2), "
                           "贷方金额=NULL, 借方金额=NULL WHERE substr(代码,4,1)='2'"));
    if (!entries.isEmpty()) {
        insertMonthAndYearLines(QStringLiteral("固累式"),
                                QStringLiteral("SELECT * FROM 固累式 WHERE substr(ID,1,3)>'800' AND 代码 IS NOT NULL"),
                                {QStringLiteral("借数"), QStringLiteral("贷数")},
                                {QStringLiteral("借方金额"), QStringLiteral("贷方金额"), QStringLiteral("折旧额")});
        execute(QStringLiteral("INSERT INTO 固累式 (ID, 摘要说明, 余数, 余额) VALUES ('813', '结转下年', ?, ?)"),
                {quantity, amountOf(value)});
    }
    transaction.commit();
    return std::nullopt;
}

RecordSet fixedAssetLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 固累式 ORDER BY 2, 5"));
}

std::optional<Message> buildMultiColumnRows(int year, const QString& code, const QString& direction, bool codeOrder)
{
    execute(QStringLiteral("DELETE FROM 多栏式1"));
    const QVariantList parent{code, code, code};
    const int count = scalar(QStringLiteral("SELECT count(*) FROM 科目表 "
                                            "WHERE substr(科目代码,1,length(?))=? AND length(科目代码)=length(?)+3"),
                             parent)
                          .toInt();
    if (count == 0 || count > 245)
        return Message{QStringLiteral("没有明细或者明细超过250个,不能生成多栏式"), QStringLiteral("QM505提示"),
                       MessageIcon::Information};
    const bool debitSide = isDebitSide(direction);
    Transaction transaction;
    execute(QStringLiteral("INSERT INTO 多栏式1 (ID, 代码, 科目名称) SELECT '1111', 科目代码, 科目名称 FROM 科目表 "
                           "WHERE substr(科目代码,1,length(?))=? AND length(科目代码)=length(?)+3"),
            parent);
    // Postings stand on leaves, which may lie deeper than the direct sub-accounts: each entry
    // goes to the column of the direct sub-account above it.
    const QString entries = QStringLiteral(
        "SELECT ID, substr(代码,1,length(?)+3) AS 代码, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额 FROM %1 "
        "WHERE substr(代码,1,length(?))=? AND length(代码)>length(?)").arg(entryTableName(year));
    const QVariantList entryValues{code, code, code, code};
    const QString named = QStringLiteral(
        "INSERT INTO 多栏式1 (ID, 代码, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 科目名称) "
        "SELECT a.ID, a.代码, a.日期, a.字号, a.号码, a.摘要说明, a.借方金额, a.贷方金额, a.方向, F.科目名称 "
        "FROM (%1) AS a JOIN 科目表 AS F ON F.科目代码=a.代码");
    execute(named.arg(QStringLiteral("SELECT *, ? AS 方向 FROM (%1)").arg(entries)), QVariantList{direction} + entryValues);

    // The running balance from nothing, over the header rows and the entries in ledger order:
    // the exact running sum rounded to the cent; "平" where it comes to nothing.
    const QString net = QStringLiteral("%1 - %2").arg(thousandthsOf(QStringLiteral("ifnull(借方金额,0)")),
                                                      thousandthsOf(QStringLiteral("ifnull(贷方金额,0)")));
    execute(QStringLiteral("UPDATE 多栏式1 SET 余额=w.分 / 100.0, 方向=iif(w.分=0, '平', 方向) FROM ("
                           "SELECT r, (厘 + iif(厘<0, -5, 5)) / 10 AS 分 FROM ("
                           "SELECT rowid AS r, ? * sum(%1) OVER (ORDER BY ID, 摘要说明 ROWS UNBOUNDED PRECEDING) AS 厘 FROM 多栏式1)) AS w "
                           "WHERE 多栏式1.rowid=w.r").arg(net),
            {debitSide ? 1 : -1});

    // Per month key and sub-account: the month's totals (the opening rows' under key 800), and
    // for each month with entries the totals of the year so far and the balance, all exact sums
    // of the rows just written, rounded to the cent.
    const QString balanceSums =
        multiColumnSide(code, direction) == QStringLiteral("debit")
            ? QStringLiteral("%1 AS 借方金额, NULL AS 贷方金额").arg(centsOfThousandths(QStringLiteral("sum(ifnull(g.借厘,0)) - sum(ifnull(g.贷厘,0))")))
        : multiColumnSide(code, direction) == QStringLiteral("both")
            ? QStringLiteral("%1 AS 借方金额, %2 AS 贷方金额").arg(centsOfThousandths(QStringLiteral("sum(ifnull(g.借厘,0))")),
                                                          centsOfThousandths(QStringLiteral("sum(ifnull(g.贷厘,0))")))
            : QStringLiteral("NULL AS 借方金额, %1 AS 贷方金额").arg(centsOfThousandths(QStringLiteral("sum(ifnull(g.贷厘,0)) - sum(ifnull(g.借厘,0))")));
    execute(QStringLiteral(
                "WITH groups AS MATERIALIZED (SELECT substr(ID,1,3) AS 月份, 代码, sum(%1) AS 借厘, sum(%2) AS 贷厘 "
                "FROM 多栏式1 WHERE ID<>'1111' GROUP BY 1, 2), "
                "keys AS (SELECT DISTINCT 月份 AS 键 FROM groups WHERE 月份>'800') "
                "INSERT INTO 多栏式1 (ID, 代码, 摘要说明, 借方金额, 贷方金额, 科目名称) "
                "SELECT a.ID, a.代码, a.摘要说明, a.借方金额, a.贷方金额, F.科目名称 FROM ("
                "SELECT 月份 || '9999997' AS ID, 代码, '本月合计' AS 摘要说明, %3 AS 借方金额, %4 AS 贷方金额 FROM groups "
                "UNION ALL SELECT k.键 || '9999998', g.代码, '本年累计', %5, %6 FROM keys AS k JOIN groups AS g "
                "ON g.月份<=k.键 AND g.月份<>'800' GROUP BY k.键, g.代码 "
                "UNION ALL SELECT k.键 || '9999999', g.代码, '余额', %7 FROM keys AS k JOIN groups AS g ON g.月份<=k.键 "
                "GROUP BY k.键, g.代码) AS a JOIN 科目表 AS F ON F.科目代码=a.代码")
                .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")),
                     centsOfThousandths(QStringLiteral("借厘")), centsOfThousandths(QStringLiteral("贷厘")),
                     centsOfThousandths(QStringLiteral("sum(g.借厘)")), centsOfThousandths(QStringLiteral("sum(g.贷厘)")), balanceSums));
    if (codeOrder)
        execute(QStringLiteral("UPDATE 多栏式1 SET 科目名称=substr(代码, -3) || 科目名称 WHERE length(代码)>0"));
    transaction.commit();
    return std::nullopt;
}

namespace {

// One column per direct sub-account, headed by its name; a name that another sub-account
// shares, or that a fixed column bears, carries the code: "余额(2221001)".
QStringList multiColumnHeadings(const RecordSet& columns)
{
    const QStringList fixed{QStringLiteral("ID"), QStringLiteral("日期"), QStringLiteral("字号"), QStringLiteral("号码"),
                            QStringLiteral("摘要说明"), QStringLiteral("借方合计"), QStringLiteral("贷方合计"),
                            QStringLiteral("方向"), QStringLiteral("余额")};
    QHash<QString, int> uses;
    for (const auto column : columns)
        ++uses[column[1].toString().toCaseFolded()];
    QSet<QString> taken;
    for (const QString& name : fixed)
        taken.insert(name.toCaseFolded());
    QStringList headings;
    for (const auto column : columns) {
        const QString code = column[0].toString();
        const QString name = column[1].toString();
        QString heading = name.isEmpty() ? code : name;
        if (uses.value(name.toCaseFolded()) > 1 || taken.contains(heading.toCaseFolded()))
            heading = name + QLatin1Char('(') + code + QLatin1Char(')');
        while (taken.contains(heading.toCaseFolded()))
            heading += QLatin1Char('(') + code + QLatin1Char(')');
        taken.insert(heading.toCaseFolded());
        headings << heading;
    }
    return headings;
}

}  // namespace

void buildMultiColumnPivot(const QString& code, const QString& direction)
{
    const QString side = multiColumnSide(code, direction);
    const bool debitParent = isDebitSide(direction);
    Transaction transaction;
    execute(QStringLiteral("DROP TABLE IF EXISTS 多栏式"));
    const RecordSet subAccounts = openRecordset(QStringLiteral(
        "SELECT s.代码, s.科目名称, k.方向 FROM 多栏式1 AS s LEFT JOIN 科目表 AS k ON k.科目代码=s.代码 "
        "WHERE s.ID='1111' ORDER BY s.科目名称, s.代码"));
    const QStringList headings = multiColumnHeadings(subAccounts);
    // Entry rows show the side the ledger shows. The opening row, and in the two-sided ledger
    // every total and balance row, show each column's own net: the opening in the parent's
    // direction, the two-sided totals in the direction of the column's sub-account.
    const QString net = QStringLiteral("? * (ifnull(借方金额,0) - ifnull(贷方金额,0))");
    const QString shown = side == QStringLiteral("debit")    ? QStringLiteral("借方金额")
                          : side == QStringLiteral("credit") ? QStringLiteral("贷方金额")
                                                             : QStringLiteral("ifnull(借方金额, 贷方金额)");
    QStringList columns;
    QStringList cells;
    QVariantList cellValues;
    for (int index = 0; index < subAccounts.count(); ++index) {
        columns << quotedName(headings[index]) + QStringLiteral(" REAL");
        const int parentSign = debitParent ? 1 : -1;
        const int ownSign = isDebitSide(subAccounts.value(index, 2).toString()) ? 1 : -1;
        if (side == QStringLiteral("both")) {
            cells << QStringLiteral("CASE WHEN 代码<>? THEN NULL WHEN ID='8009999997' THEN %1 "
                                    "WHEN substr(ID,4,6)='999999' THEN %1 ELSE %2 END")
                         .arg(net, shown);
            cellValues << subAccounts.value(index, 0) << ownSign << ownSign;
        } else {
            cells << QStringLiteral("CASE WHEN 代码<>? THEN NULL WHEN ID='8009999997' THEN %1 ELSE %2 END").arg(net, shown);
            cellValues << subAccounts.value(index, 0) << parentSign;
        }
    }
    execute(QStringLiteral("CREATE TABLE 多栏式 (ID TEXT, 日期 TEXT, 字号 TEXT, 号码 INTEGER, 摘要说明 TEXT, 借方合计 REAL, "
                           "贷方合计 REAL, 方向 TEXT, 余额 REAL%1)")
                .arg(columns.isEmpty() ? QString() : QStringLiteral(", ") + columns.join(QStringLiteral(", "))));
    // One row per ID: the rows of the IDs that several rows share (the totals, one per
    // sub-account) summed, each other row as it stands, which is what summing it alone gives.
    QString alone;
    QString summed;
    for (const QString& cell : cells) {
        alone += QStringLiteral(", round(%1, 2)").arg(cell);
        summed += QStringLiteral(", round(sum(%1), 2)").arg(cell);
    }
    execute(QStringLiteral("WITH shared AS MATERIALIZED (SELECT ID FROM 多栏式1 WHERE ID>='8009' GROUP BY ID HAVING count(*)>1) "
                           "INSERT INTO 多栏式 SELECT ID, 日期, 字号, 号码, 摘要说明, round(借方金额, 2), round(贷方金额, 2), 方向, 余额%1 "
                           "FROM 多栏式1 WHERE ID>='8009' AND ID NOT IN shared "
                           "UNION ALL SELECT ID, max(日期), max(字号), max(号码), max(摘要说明), "
                           "round(sum(借方金额), 2), round(sum(贷方金额), 2), max(方向), max(余额)%2 "
                           "FROM 多栏式1 WHERE ID IN shared GROUP BY ID")
                .arg(alone, summed),
            cellValues + cellValues);
    // The opening row's balance is the net of both sides, as the running balance starts from.
    execute(QStringLiteral("UPDATE 多栏式 SET 摘要说明='年初余额', 方向=?, "
                           "余额=round(iif(?='借', ifnull(借方合计,0) - ifnull(贷方合计,0), ifnull(贷方合计,0) - ifnull(借方合计,0)), 2) "
                           "WHERE substr(ID,1,4)='8009'"),
            {direction, direction});
    transaction.commit();
}

RecordSet multiColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 多栏式 ORDER BY 1, 5"));
}

}  // namespace qm

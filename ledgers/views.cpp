#include "views.h"

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"

namespace qm {

namespace {

const QString kJournalColumns = QStringLiteral(
    "月, 日期, 字号, 号码, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 流代, 流金, 制单, 审核, 附件, 结帐, ID");

void insertJournal(int year, const QString& condition, const QVariantList& values)
{
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 分录始表"));
    execute(QStringLiteral("INSERT INTO 分录始表 (%1) SELECT a.月, a.日期, a.字号, a.号码, a.摘要说明, a.代码, "
                           "f.科目全称, a.数量, a.借方金额, a.贷方金额, a.流代, a.流金, a.制单, a.审核, a.附件, a.结帐, a.ID "
                           "FROM 科目表 AS f JOIN %2 AS a ON f.科目代码=a.代码 WHERE %3 ORDER BY a.ID")
                .arg(kJournalColumns, entryTableName(year), condition),
            values);
    transaction.commit();
}

QString periodKey(int month)
{
    return QStringLiteral("8%1").arg(month, 2, 10, QLatin1Char('0'));
}

// The four groups of one level over the year's entries, joined to the level's accounts.
QString balanceLevelRows(int year, int level)
{
    const int length = level == 1 ? 4 : level == 2 ? 7 : 10;
    const QString key = QStringLiteral("substr(代码,1,%1)").arg(length);
    const QString deeper = level == 1 ? QString() : QStringLiteral("length(代码)>%1 AND ").arg(length - 3);
    const QString table = entryTableName(year);
    const QString opening = QStringLiteral(
        "SELECT %1 AS 科目代码, sum(iif(借方金额 IS NULL, -数量, 数量)) AS 期初数量, "
        "round(sum(ifnull(借方金额,0)) - sum(ifnull(贷方金额,0)), 2) AS 期初金额 FROM %2 "
        "WHERE %3substr(ID,1,3)<? GROUP BY 1").arg(key, table, deeper);
    const QString movement = QStringLiteral(
        "SELECT %1 AS 科目代码, sum(iif(借方金额 IS NULL, 数量, NULL)) AS %4贷数, "
        "sum(iif(贷方金额 IS NULL, 数量, NULL)) AS %4借数, round(sum(借方金额), 2) AS %4借金, "
        "round(sum(贷方金额), 2) AS %4贷金 FROM %2 WHERE %3%5 GROUP BY 1");
    const QString month = movement.arg(key, table, deeper, QStringLiteral("本期"), QStringLiteral("substr(ID,1,3)=?"));
    const QString toDate = movement.arg(key, table, deeper, QStringLiteral("累计"),
                                        QStringLiteral("substr(ID,1,3)<=? AND substr(ID,1,3)>'800'"));
    const QString closing = QStringLiteral(
        "SELECT %1 AS 科目代码, sum(iif(借方金额 IS NULL, -数量, 数量)) AS 期末数量, "
        "round(sum(ifnull(借方金额,0)) - sum(ifnull(贷方金额,0)), 2) AS 期末金额 FROM %2 "
        "WHERE %3substr(ID,1,3)<=? GROUP BY 1").arg(key, table, deeper);
    const QString indent = level == 1 ? QString() : level == 2 ? QStringLiteral(" ") : QStringLiteral("   ");
    return QStringLiteral(
               "SELECT F.科目代码, '%1' || F.科目名称 AS 科目名称, F.方向, a.期初数量, a.期初金额, b.本期借数, "
               "b.本期借金, b.本期贷数, b.本期贷金, c.累计借数, c.累计借金, c.累计贷数, c.累计贷金, d.期末数量, d.期末金额 "
               "FROM 科目表 AS F LEFT JOIN (%2) AS a ON F.科目代码=a.科目代码 LEFT JOIN (%3) AS b ON F.科目代码=b.科目代码 "
               "LEFT JOIN (%4) AS c ON F.科目代码=c.科目代码 LEFT JOIN (%5) AS d ON F.科目代码=d.科目代码 "
               "WHERE length(F.科目代码)=%6 AND (c.累计借金<>0 OR c.累计贷金<>0 OR a.期初金额<>0)")
        .arg(indent, opening, month, toDate, closing)
        .arg(length);
}

const QString kBalanceColumns = QStringLiteral(
    "科目代码, 科目名称, 方向, 期初数量, 期初金额, 本期借数, 本期借金, 本期贷数, 本期贷金, 累计借数, 累计借金, "
    "累计贷数, 累计贷金, 期末数量, 期末金额");

}  // namespace

std::optional<int> monthOfText(const QString& text)
{
    bool ok = false;
    const int month = text.trimmed().toInt(&ok);
    if (!ok || month < 1 || month > 12)
        return std::nullopt;
    return month;
}

void buildJournal(int year, const QString& period)
{
    if (period.isEmpty() || period == QStringLiteral("全部"))
        insertJournal(year, QStringLiteral("length(a.代码)>0"), {});
    else if (period == QStringLiteral("年初"))
        insertJournal(year, QStringLiteral("substr(a.ID,1,3)='800'"), {});
    else
        insertJournal(year, QStringLiteral("a.月=?"), {monthOfText(period).value_or(0)});
}

bool buildFilteredJournal(int year, const QString& codePrefix)
{
    if (codePrefix.isEmpty()) {
        execute(QStringLiteral("DELETE FROM 分录始表"));
        return false;
    }
    insertJournal(year, QStringLiteral("substr(a.代码,1,length(?))=?"), {codePrefix, codePrefix});
    return true;
}

RecordSet journalRows()
{
    return openRecordset(QStringLiteral("SELECT %1 FROM 分录始表 ORDER BY ID").arg(kJournalColumns));
}

std::optional<Message> buildAccountSummary(int year, const QString& monthText)
{
    execute(QStringLiteral("DELETE FROM 凭证汇总表"));
    const std::optional<int> month = monthOfText(monthText);
    if (!month)
        return Message{QStringLiteral("请选择月份"), QStringLiteral("QM505"), MessageIcon::Stop};
    const QString table = entryTableName(year);
    Transaction transaction;
    execute(QStringLiteral("INSERT INTO 凭证汇总表 (科目代码, 科目名称, 借方金额, 贷方金额) "
                           "SELECT F.科目代码, F.科目全称, a.借方金额, a.贷方金额 FROM 科目表 AS F JOIN ("
                           "  SELECT substr(代码,1,4) AS 科目代码, round(sum(借方金额), 2) AS 借方金额, "
                           "  round(sum(贷方金额), 2) AS 贷方金额 FROM %1 WHERE 月=? GROUP BY 1"
                           ") AS a ON F.科目代码=a.科目代码 WHERE a.贷方金额<>0 OR a.借方金额<>0 ORDER BY 1")
                .arg(table),
            {*month});
    execute(QStringLiteral("INSERT INTO 凭证汇总表 (科目代码, 科目名称, 借方金额, 贷方金额) "
                           "SELECT '8', '合 计', round(sum(借方金额), 2), round(sum(贷方金额), 2) FROM %1 WHERE 月=?")
                .arg(table),
            {*month});
    transaction.commit();
    return std::nullopt;
}

RecordSet accountSummaryRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 凭证汇总表 ORDER BY 1"));
}

std::optional<Message> buildBalanceTable(int year, const QString& monthText, const QString& levelText)
{
    execute(QStringLiteral("DELETE FROM 数量式余额表"));
    const std::optional<int> month = monthOfText(monthText);
    bool levelOk = false;
    const int level = levelText.trimmed().toInt(&levelOk);
    if (!month || !levelOk || level < 1 || level > 3)
        return Message{QStringLiteral("请选择月份和级数"), QStringLiteral("QM505"), MessageIcon::Stop};

    // Each level's statement names the period four times: opening, month, year to date, closing.
    const QString p = periodKey(*month);
    const QVariantList periods{p, p, p, p};

    Transaction transaction;
    const RecordSet totals = openRecordset(
        QStringLiteral("SELECT sum(本期借数), round(sum(本期借金), 2), sum(本期贷数), round(sum(本期贷金), 2), "
                       "sum(累计借数), round(sum(累计借金), 2), sum(累计贷数), round(sum(累计贷金), 2) FROM (%1)")
            .arg(balanceLevelRows(year, 1)),
        periods);
    for (int each = 1; each <= level; ++each) {
        execute(QStringLiteral("INSERT INTO 数量式余额表 (%1) %2").arg(kBalanceColumns, balanceLevelRows(year, each)),
                periods);
    }
    // Balances in each account's own direction, and balances that come to nothing left empty.
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期初数量=iif(方向='借', 期初数量, -期初数量), "
                           "期初金额=iif(方向='借', 期初金额, -期初金额), 期末数量=iif(方向='借', 期末数量, -期末数量), "
                           "期末金额=iif(方向='借', 期末金额, -期末金额) WHERE length(科目代码)<>0"));
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期初数量=NULL WHERE 期初数量=0"));
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期末数量=NULL WHERE 期末数量=0"));
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期末金额=NULL WHERE abs(期末金额)<0.005"));
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期初金额=NULL WHERE abs(期初金额)<0.005"));
    QVariantList sums{QStringLiteral("8"), QStringLiteral("合  计")};
    for (int field = 0; field < 8; ++field)
        sums << (totals.value(0, field).isNull() ? QVariant(0) : totals.value(0, field));
    execute(QStringLiteral("INSERT INTO 数量式余额表 (科目代码, 科目名称, 本期借数, 本期借金, 本期贷数, 本期贷金, "
                           "累计借数, 累计借金, 累计贷数, 累计贷金) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            sums);
    transaction.commit();
    return std::nullopt;
}

RecordSet balanceTableRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 数量式余额表 ORDER BY 1"));
}

}  // namespace qm

#include "views.h"

#include "ledger_keys.h"

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/exact_sums.h"
#include "data/month_totals.h"
#include "data/number_format.h"
#include "data/value_order.h"

namespace qm {

namespace {

const QString kJournalColumns = QStringLiteral(
    "月, 日期, 字号, 号码, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 流代, 流金, 制单, 审核, 附件, 结帐, ID");

// Returns the number of lines put in.
int insertJournal(int year, const QString& condition, const QVariantMap& values)
{
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 分录始表"));
    const int lines = execute(
        QStringLiteral("INSERT INTO 分录始表 (%1) SELECT a.月, a.日期, a.字号, a.号码, a.摘要说明, a.代码, "
                       "f.科目全称, a.数量, a.借方金额, a.贷方金额, a.流代, a.流金, a.制单, a.审核, a.附件, a.结帐, a.ID "
                       "FROM 科目表 AS f JOIN %2 AS a ON f.科目代码=a.代码 WHERE %3 ORDER BY a.ID")
            .arg(kJournalColumns, entryTableName(year), condition),
        values);
    transaction.commit();
    return lines;
}

// A month's lines have IDs that begin with 8 and the month, and the ID index hands those over in
// order: sorting a month of full lines by ID costs more than the rest of the build. Should a
// line of the month lie outside that range (an ID written by hand), the count of the month's
// lines tells, and the month is read as any other condition is. "+a.月" keeps the planner off the
// index by month, which would hand the lines over by voucher number.
void insertMonthJournal(int year, int month)
{
    const QString first = QStringLiteral("8%1").arg(month, 2, 10, QLatin1Char('0'));
    const QString next = QStringLiteral("8%1").arg(month + 1, 2, 10, QLatin1Char('0'));
    Transaction transaction;
    const int lines = scalar(QStringLiteral("SELECT count(*) FROM 科目表 AS f CROSS JOIN %1 AS a ON f.科目代码=a.代码 "
                                            "WHERE a.月=?").arg(entryTableName(year)),
                             {month}).toInt();
    if (insertJournal(year, QStringLiteral("+a.月=:month AND a.ID>=:first AND a.ID<:next"),
                      {{QStringLiteral(":month"), month}, {QStringLiteral(":first"), first}, {QStringLiteral(":next"), next}})
        != lines)
        insertJournal(year, QStringLiteral("a.月=:month"), {{QStringLiteral(":month"), month}});
    transaction.commit();
}

// Each account's figures of the month from the year's month totals, by code with the month
// deciding the column. Amounts and quantities stay whole thousandths until a level rolls them up.
QString balanceCodeSums(int year)
{
    // A sum of a side that no line has stays NULL, as a sum over the lines would.
    const QString months = QStringLiteral(
        "SELECT 代码, 月, iif(数笔>0, 净数厘, NULL) AS 净数, iif(借数笔>0, 借数厘, NULL) AS 借数, "
        "iif(贷数笔>0, 贷数厘, NULL) AS 贷数, iif(借笔>0, 借厘, NULL) AS 借厘, iif(贷笔>0, 贷厘, NULL) AS 贷厘 FROM %1")
                               .arg(monthTotalsTableName(year));
    // Opening rows have no month; "before the month" includes them, "year to date" does not.
    return QStringLiteral(
               "SELECT 代码, sum(iif(月 IS NULL OR 月<p.m, 净数, NULL)) AS 期初数厘, "
               "sum(iif(月 IS NULL OR 月<p.m, %2, NULL)) AS 期初厘, "
               "sum(iif(月=p.m, 借数, NULL)) AS 本期借数厘, sum(iif(月=p.m, 借厘, NULL)) AS 本期借厘, "
               "sum(iif(月=p.m, 贷数, NULL)) AS 本期贷数厘, sum(iif(月=p.m, 贷厘, NULL)) AS 本期贷厘, "
               "sum(iif(月 BETWEEN 1 AND p.m, 借数, NULL)) AS 累计借数厘, sum(iif(月 BETWEEN 1 AND p.m, 借厘, NULL)) AS 累计借厘, "
               "sum(iif(月 BETWEEN 1 AND p.m, 贷数, NULL)) AS 累计贷数厘, sum(iif(月 BETWEEN 1 AND p.m, 贷厘, NULL)) AS 累计贷厘, "
               "sum(iif(月 IS NULL OR 月<=p.m, 净数, NULL)) AS 期末数厘, "
               "sum(iif(月 IS NULL OR 月<=p.m, %2, NULL)) AS 期末厘 "
               "FROM (%1) CROSS JOIN (SELECT ? AS m) AS p GROUP BY 代码")
        .arg(months, netOf(QStringLiteral("借厘"), QStringLiteral("贷厘")));
}

// The rows of one level: the code sums rolled up to the level's accounts, those with an opening
// amount or a year-to-date amount that shows.
QString balanceLevelRows(int level)
{
    const int length = level == 1 ? 4 : level == 2 ? 7 : 10;
    const QString indent = level == 1 ? QString() : level == 2 ? QStringLiteral(" ") : QStringLiteral("   ");
    QStringList sums;
    for (const char* column : {"期初数", "本期借数", "本期贷数", "累计借数", "累计贷数", "期末数"})
        sums << QStringLiteral("sum(%1厘) / 1000.0 AS %1").arg(QString::fromUtf8(column));
    for (const char* column : {"期初", "本期借", "本期贷", "累计借", "累计贷", "期末"})
        sums << QStringLiteral("%2 AS %1金").arg(QString::fromUtf8(column), centsOfThousandths(QStringLiteral("sum(%1厘)").arg(QString::fromUtf8(column))));
    return QStringLiteral(
               "SELECT F.科目代码, '%1' || F.科目名称, F.方向, r.期初数, r.期初金, r.本期借数, r.本期借金, r.本期贷数, "
               "r.本期贷金, r.累计借数, r.累计借金, r.累计贷数, r.累计贷金, r.期末数, r.期末金 FROM 科目表 AS F JOIN ("
               "SELECT substr(代码,1,%2) AS 科目代码, %3 FROM codes GROUP BY 1) AS r ON F.科目代码=r.科目代码 "
               "WHERE length(F.科目代码)=%2 AND (r.累计借金<>0 OR r.累计贷金<>0 OR r.期初金<>0)")
        .arg(indent)
        .arg(length)
        .arg(sums.join(QStringLiteral(", ")));
}

const QString kBalanceColumns = QStringLiteral(
    "科目代码, 科目名称, 方向, 期初数量, 期初金额, 本期借数, 本期借金, 本期贷数, 本期贷金, 累计借数, 累计借金, "
    "累计贷数, 累计贷金, 期末数量, 期末金额");

// A period the query centre cannot read as a month.
Message monthRefusal()
{
    return Message{QStringLiteral("请选择月份"), QStringLiteral("QM505"), MessageIcon::Stop};
}

}  // namespace

std::optional<int> monthOfText(const QString& text)
{
    const std::optional<int> month = parseWhole(text);
    if (!month || *month < 1 || *month > 12)
        return std::nullopt;
    return month;
}

std::optional<Message> buildJournal(int year, const QString& period)
{
    const ViewWork view;
    if (period.isEmpty() || period == QStringLiteral("全部")) {
        insertJournal(year, QStringLiteral("length(a.代码)>0"), {});
    } else if (period == QStringLiteral("年初")) {
        insertJournal(year, QStringLiteral("substr(a.ID,1,3)=%1").arg(sqlKey(kOpeningPeriodKey)), {});
    } else if (const std::optional<int> month = monthOfText(period)) {
        insertMonthJournal(year, *month);
    } else {
        // No month has no lines: an empty journal would say the month had none.
        execute(QStringLiteral("DELETE FROM 分录始表"));
        return monthRefusal();
    }
    return std::nullopt;
}

bool buildFilteredJournal(int year, const QString& codePrefix)
{
    const ViewWork view;
    if (codePrefix.isEmpty()) {
        execute(QStringLiteral("DELETE FROM 分录始表"));
        return false;
    }
    insertJournal(year, codePrefixCondition(QStringLiteral("a.代码"), QStringLiteral(":code")),
                  codePrefixValues(codePrefix, QStringLiteral(":code")));
    return true;
}

RecordSet journalRows()
{
    // The rows went in in ID order and QMID numbers them from 1 as they went in, so reading
    // by QMID gives ID order without sorting the month again.
    return openRecordset(QStringLiteral("SELECT %1 FROM 分录始表 ORDER BY QMID").arg(kJournalColumns));
}

std::optional<Message> buildAccountSummary(int year, const QString& monthText)
{
    const ViewWork view;
    execute(QStringLiteral("DELETE FROM 凭证汇总表"));
    const std::optional<int> month = monthOfText(monthText);
    if (!month)
        return monthRefusal();
    const QString table = monthTotalsTableName(year);
    const QString debits = centsOfThousandths(QStringLiteral("sum(iif(借笔>0, 借厘, NULL))"));
    const QString credits = centsOfThousandths(QStringLiteral("sum(iif(贷笔>0, 贷厘, NULL))"));
    Transaction transaction;
    execute(QStringLiteral("INSERT INTO 凭证汇总表 (科目代码, 科目名称, 借方金额, 贷方金额) "
                           "SELECT F.科目代码, F.科目全称, a.借方金额, a.贷方金额 FROM 科目表 AS F JOIN ("
                           "  SELECT substr(代码,1,4) AS 科目代码, %2 AS 借方金额, %3 AS 贷方金额 FROM %1 WHERE 月=? GROUP BY 1"
                           ") AS a ON F.科目代码=a.科目代码 WHERE a.贷方金额<>0 OR a.借方金额<>0 ORDER BY 1")
                .arg(table, debits, credits),
            {*month});
    execute(QStringLiteral("INSERT INTO 凭证汇总表 (科目代码, 科目名称, 借方金额, 贷方金额) SELECT '8', '合 计', %2, %3 FROM %1 WHERE 月=?")
                .arg(table, debits, credits),
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
    const ViewWork view;
    execute(QStringLiteral("DELETE FROM 数量式余额表"));
    const std::optional<int> month = monthOfText(monthText);
    const int level = parseWhole(levelText).value_or(0);
    if (!month || level < 1 || level > 3)
        return Message{QStringLiteral("请选择月份和级数"), QStringLiteral("QM505"), MessageIcon::Stop};

    QStringList levels;
    for (int each = 1; each <= level; ++each)
        levels << balanceLevelRows(each);
    Transaction transaction;
    execute(QStringLiteral("WITH codes AS MATERIALIZED (%1) INSERT INTO 数量式余额表 (%2) %3")
                .arg(balanceCodeSums(year), kBalanceColumns, levels.join(QStringLiteral(" UNION ALL "))),
            {*month});
    // The totals sum the level-1 rows as they show, to the cent.
    const RecordSet totals = openRecordset(QStringLiteral(
        "SELECT sum(本期借数), %1, sum(本期贷数), %2, sum(累计借数), %3, sum(累计贷数), %4 FROM 数量式余额表 "
        "WHERE length(科目代码)=4").arg(exactAmountSum(QStringLiteral("本期借金")), exactAmountSum(QStringLiteral("本期贷金")),
                                     exactAmountSum(QStringLiteral("累计借金")), exactAmountSum(QStringLiteral("累计贷金"))));
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

QString viewExportStatement(LedgerView view)
{
    switch (view) {
    case LedgerView::None: break;
    case LedgerView::Journal: return QStringLiteral("select * FROM 分录始表 order by ID");
    case LedgerView::AccountSummary: return QStringLiteral("select * FROM 凭证汇总表 order by 1");
    case LedgerView::AmountBalance:
        return QStringLiteral("select 科目代码,科目名称,方向,期初金额,本期借金,本期贷金,累计借金,累计贷金,期末金额 FROM 数量式余额表 "
                              "order by 1");
    case LedgerView::QuantityBalance: return QStringLiteral("select * FROM 数量式余额表 order by 1");
    case LedgerView::DetailLedger:
    case LedgerView::GeneralLedger:
        return QStringLiteral("select 日期,字号,号码,摘要说明,借方金额,贷方金额,方向,余额 FROM 三总式 order by ID");
    case LedgerView::QuantityLedger:
        return QStringLiteral("select 日期,字号,号码,摘要说明,借数,借单,借金,贷数,贷单,贷金,方向,余数,余单,余额 FROM 数量式 order by ID");
    case LedgerView::MultiColumnLedger: return QStringLiteral("select * FROM 多栏式 order by ID");
    case LedgerView::FixedAssetLedger:
        return QStringLiteral("select 日期,字号,号码,摘要说明,借数,借方金额,贷数,贷方金额,折旧额,方向,余数,余额 FROM 固累式 order by ID");
    }
    return QString();
}

}  // namespace qm

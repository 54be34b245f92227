#include "schema.h"

#include "database.h"
#include "db_error.h"
#include "default_data.h"
#include "fiscal_year.h"
#include "month_totals.h"

#include <QFileInfo>

#include <iterator>

namespace qm {

namespace {

// Text columns compare without regard to case, as the books' original engine did; passwords
// are the exception, they compare exactly.
const QString kEntryColumnsSql = QStringLiteral(
    "ID TEXT COLLATE NOCASE, 日期 TEXT, 月 INTEGER, 字号 TEXT COLLATE NOCASE, 号码 INTEGER, "
    "制单 TEXT COLLATE NOCASE, 审核 TEXT COLLATE NOCASE, 附件 INTEGER, "
    "摘要说明 TEXT COLLATE NOCASE, 代码 TEXT COLLATE NOCASE, 科目全称 TEXT COLLATE NOCASE, "
    "数量 REAL, 借方金额 REAL, 贷方金额 REAL, 流代 TEXT COLLATE NOCASE, 流金 REAL, "
    "结帐 INTEGER, 顺序 INTEGER, ");

const char* const kFixedTables[] = {
    "CREATE TABLE 信息表 (代号 TEXT COLLATE NOCASE, 操作员 TEXT COLLATE NOCASE, 年度 INTEGER, "
    "帐套名称 TEXT COLLATE NOCASE, 密码 TEXT, 备份路径 TEXT)",

    "CREATE TABLE 科目表 (序号 INTEGER PRIMARY KEY, 科目代码 TEXT COLLATE NOCASE NOT NULL, "
    "科目名称 TEXT COLLATE NOCASE, 科目级数 INTEGER, 科目全称 TEXT COLLATE NOCASE, "
    "方向 TEXT COLLATE NOCASE, 明细 TEXT COLLATE NOCASE, 单位 TEXT COLLATE NOCASE, "
    "调汇 TEXT COLLATE NOCASE, 数量 REAL, 借方金额 REAL, 贷方金额 REAL)",
    "CREATE UNIQUE INDEX 科目表_科目代码 ON 科目表 (科目代码)",

    "CREATE TABLE 摘要 (名称 TEXT COLLATE NOCASE)",
    "CREATE TABLE 现流 (代码 TEXT COLLATE NOCASE, 名称 TEXT COLLATE NOCASE)",
    "CREATE TABLE 调汇 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 代码 TEXT COLLATE NOCASE, "
    "科目全称 TEXT COLLATE NOCASE, 数量 REAL, 调整前金额 REAL, 汇率 REAL, 调整后金额 REAL, "
    "损益 REAL)",

    "CREATE TABLE 凭证汇总表 (科目代码 TEXT COLLATE NOCASE, 科目名称 TEXT COLLATE NOCASE, "
    "借方金额 REAL, 贷方金额 REAL)",
    "CREATE TABLE 数量式余额表 (科目代码 TEXT COLLATE NOCASE, 科目名称 TEXT COLLATE NOCASE, "
    "方向 TEXT COLLATE NOCASE, 期初数量 REAL, 期初金额 REAL, 本期借数 REAL, 本期借金 REAL, "
    "本期贷数 REAL, 本期贷金 REAL, 累计借数 REAL, 累计借金 REAL, 累计贷数 REAL, 累计贷金 REAL, "
    "期末数量 REAL, 期末金额 REAL)",
    "CREATE TABLE 三总式 (ID TEXT COLLATE NOCASE, 日期 TEXT, 字号 TEXT COLLATE NOCASE, "
    "号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借方金额 REAL, 贷方金额 REAL, "
    "方向 TEXT COLLATE NOCASE, 余额 REAL)",
    "CREATE TABLE 数量式 (ID TEXT COLLATE NOCASE, 日期 TEXT, 字号 TEXT COLLATE NOCASE, "
    "号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借数 REAL, 借单 TEXT, 借金 REAL, 贷数 REAL, "
    "贷单 TEXT, 贷金 REAL, 方向 TEXT COLLATE NOCASE, 余数 REAL, 余单 TEXT, 余额 REAL)",
    "CREATE TABLE 固累式 (代码 TEXT COLLATE NOCASE, ID TEXT COLLATE NOCASE, 日期 TEXT, "
    "字号 TEXT COLLATE NOCASE, 号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借数 REAL, "
    "借方金额 REAL, 贷数 REAL, 贷方金额 REAL, 折旧额 REAL, 方向 TEXT COLLATE NOCASE, 余数 REAL, "
    "余额 REAL)",
    "CREATE TABLE 多栏式1 (ID TEXT COLLATE NOCASE, 代码 TEXT COLLATE NOCASE, 日期 TEXT, "
    "字号 TEXT COLLATE NOCASE, 号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借方金额 REAL, "
    "贷方金额 REAL, 方向 TEXT COLLATE NOCASE, 余额 REAL, 科目名称 TEXT COLLATE NOCASE)",
    "CREATE TABLE 三栏帐页 (ID TEXT COLLATE NOCASE, 日期 TEXT, 字号 TEXT COLLATE NOCASE, "
    "号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借方金额 REAL, 贷方金额 REAL, "
    "方向 TEXT COLLATE NOCASE, 余额 REAL, 顺序 INTEGER, 月 INTEGER)",
    "CREATE TABLE 数量帐页 (ID TEXT COLLATE NOCASE, 日期 TEXT, 字号 TEXT COLLATE NOCASE, "
    "号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借数 REAL, 借单 TEXT, 借金 REAL, 贷数 REAL, "
    "贷单 TEXT, 贷金 REAL, 方向 TEXT COLLATE NOCASE, 余数 REAL, 余单 TEXT, 余额 REAL, "
    "顺序 INTEGER, 月 INTEGER)",
    "CREATE TABLE 固累帐页 (代码 TEXT COLLATE NOCASE, ID TEXT COLLATE NOCASE, 日期 TEXT, "
    "字号 TEXT COLLATE NOCASE, 号码 INTEGER, 摘要说明 TEXT COLLATE NOCASE, 借数 REAL, "
    "借方金额 REAL, 贷数 REAL, 贷方金额 REAL, 折旧额 REAL, 方向 TEXT COLLATE NOCASE, 余数 REAL, "
    "余额 REAL, 顺序 INTEGER, 月 INTEGER)",
    "CREATE TABLE 报表数据 (代码 TEXT COLLATE NOCASE, 方向 TEXT COLLATE NOCASE, 年初 REAL, "
    "期末 REAL, 本期 REAL, 累计 REAL)",

    "CREATE TABLE 资产表05 (资产 TEXT, 行次1 INTEGER, 公式1 TEXT, 年初余额1 REAL, 期末余额1 REAL, "
    "负债及所有者权益 TEXT, 行次2 INTEGER, 公式2 TEXT, 年初余额2 REAL, 期末余额2 REAL)",
    "CREATE TABLE 资产表07 (资产 TEXT, 行次1 INTEGER, 公式1 TEXT, 年初余额1 REAL, 期末余额1 REAL, "
    "负债及所有者权益 TEXT, 行次2 INTEGER, 公式2 TEXT, 年初余额2 REAL, 期末余额2 REAL)",
    "CREATE TABLE 利润表05 (项目 TEXT, 行次 INTEGER, 公式 TEXT, 本期金额 REAL, 本年累计 REAL)",
    "CREATE TABLE 利润表07 (项目 TEXT, 行次 INTEGER, 公式 TEXT, 本期金额 REAL, 本年累计 REAL)",
    "CREATE TABLE 现流表 (项目 TEXT, 行次 INTEGER, 公式 TEXT, 金额 REAL)",
};

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant lineOrNull(int line)
{
    return line == 0 ? QVariant() : QVariant(line);
}

void insertBalanceSheet(const QString& table, const std::vector<BalanceSheetLine>& lines)
{
    const QString sql = QStringLiteral("INSERT INTO %1 (资产, 行次1, 公式1, 负债及所有者权益, 行次2, "
                                       "公式2) VALUES (?, ?, ?, ?, ?, ?)")
                            .arg(table);
    for (const BalanceSheetLine& line : lines)
        execute(sql, {textOrNull(line.leftCaption), line.leftLine, textOrNull(line.leftFormula),
                      textOrNull(line.rightCaption), lineOrNull(line.rightLine),
                      textOrNull(line.rightFormula)});
}

void insertStatement(const QString& table, const std::vector<StatementLine>& lines)
{
    const QString sql = QStringLiteral("INSERT INTO %1 (项目, 行次, 公式) VALUES (?, ?, ?)").arg(table);
    for (const StatementLine& line : lines)
        execute(sql, {line.caption, line.line, textOrNull(line.formula)});
}

}  // namespace

const QStringList& entryColumns()
{
    static const QStringList columns = {
        QStringLiteral("ID"),     QStringLiteral("日期"),     QStringLiteral("月"),
        QStringLiteral("字号"),   QStringLiteral("号码"),     QStringLiteral("制单"),
        QStringLiteral("审核"),   QStringLiteral("附件"),     QStringLiteral("摘要说明"),
        QStringLiteral("代码"),   QStringLiteral("科目全称"), QStringLiteral("数量"),
        QStringLiteral("借方金额"), QStringLiteral("贷方金额"), QStringLiteral("流代"),
        QStringLiteral("流金"),   QStringLiteral("结帐"),     QStringLiteral("顺序"),
        QStringLiteral("QMID")};
    return columns;
}

QString shippedOperatorName()
{
    return QStringLiteral("管理员");
}

QString shippedOperatorPassword()
{
    return QStringLiteral("123456");
}

namespace {

// The code index's columns; books of an earlier version hold one without 结帐.
const QString kCodeIndexColumns = QStringLiteral("代码, 月, 借方金额, 贷方金额, 数量, 结帐");

QStringList ledgerIndexStatements(const QString& table)
{
    // Renumbering shifts IDs by 1000 row by row, so ID must not be unique. The index by code and
    // month holds every figure the balance tables and statements sum, so they read it alone.
    // The cash-flow statement reads the few lines with an item or a cash-flow amount from an index
    // of their own, and finds whether any line has no item (NULL or empty) by 流代. Neither holds
    // 号码, and only the small one holds ID, so renumbering hardly touches them.
    return {QStringLiteral("CREATE INDEX IF NOT EXISTS %1_月号码 ON %1 (月, 号码)").arg(table),
            QStringLiteral("CREATE INDEX IF NOT EXISTS %1_ID ON %1 (ID)").arg(table),
            QStringLiteral("CREATE INDEX IF NOT EXISTS %1_代码月 ON %1 (%2)").arg(table, kCodeIndexColumns),
            QStringLiteral("CREATE INDEX IF NOT EXISTS %1_流代 ON %1 (流代)").arg(table),
            QStringLiteral("CREATE INDEX IF NOT EXISTS %1_现流 ON %1 (流代, 流金, ID) WHERE 流代<>'' OR 流金 IS NOT NULL").arg(table)};
}

// Every change of a voucher first asks whether its month is closed: the closed lines by month
// answer that without reading the month; open lines, the ones a voucher writes, stay out.
QString closedLinesIndexStatement(const QString& table)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1_月结帐 ON %1 (月, 结帐) WHERE 结帐 IS NOT NULL").arg(table);
}

// A step brings every year's entry table to `version`; the transaction is the caller's.
struct SchemaStep {
    int version;
    void (*run)(const QString& entryTable, int year);
};

bool exists(const QString& name)
{
    return !scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name=?"), {name}).isNull();
}

void addEntryIndexes(const QString& table, int)
{
    // An index of the code index's name is kept only when it holds the columns the statement
    // data reads from it alone.
    const QString codeIndex = table + QStringLiteral("_代码月");
    if (exists(codeIndex)
        && scalar(QStringLiteral("SELECT group_concat(name, ', ') FROM (SELECT name FROM pragma_index_info(?) ORDER BY seqno)"), {codeIndex})
               .toString()
               != kCodeIndexColumns)
        execute(QStringLiteral("DROP INDEX %1").arg(codeIndex));
    for (const QString& statement : ledgerIndexStatements(table))
        execute(statement);
}

void addMonthTotals(const QString&, int year)
{
    const bool kept = exists(monthTotalsTableName(year));
    for (const QString& statement : monthTotalsSchemaStatements(year))
        execute(statement);
    // Totals already kept are checked at every open, as those of any books are.
    if (!kept)
        rebuildMonthTotals(year);
}

void addClosedLinesIndex(const QString& table, int)
{
    execute(closedLinesIndexStatement(table));
}

const SchemaStep kSteps[] = {
    {SchemaVersion::EntryIndexes, addEntryIndexes},
    {SchemaVersion::MonthTotals, addMonthTotals},
    {SchemaVersion::ClosedLinesIndex, addClosedLinesIndex},
};
static_assert(std::size(kSteps) == SchemaVersion::Latest);

void runStep(const SchemaStep& step)
{
    Transaction transaction;
    for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year) {
        const QString table = entryTableName(year);
        if (exists(table))
            step.run(table, year);
    }
    // A pragma takes no bound value; the version is the program's own number.
    execute(QStringLiteral("PRAGMA user_version=%1").arg(step.version));
    transaction.commit();
}

}  // namespace

void createSchema()
{
    for (const char* statement : kFixedTables)
        execute(QString::fromUtf8(statement));

    // In 分录始表 QMID numbers the lines of a generated voucher; as a rowid alias it starts
    // again at 1 whenever the table has been emptied.
    execute(QStringLiteral("CREATE TABLE 分录始表 (") + kEntryColumnsSql
            + QStringLiteral("QMID INTEGER PRIMARY KEY)"));
    for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
        execute(QStringLiteral("CREATE TABLE %1 (").arg(entryTableName(year)) + kEntryColumnsSql
                + QStringLiteral("QMID INTEGER)"));
    upgradeSchema();
}

QStringList entryIndexStatements(const QString& table)
{
    return ledgerIndexStatements(table) << closedLinesIndexStatement(table);
}

int schemaVersion()
{
    return scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

QList<int> upgradeSchema()
{
    QList<int> reached;
    const int version = schemaVersion();
    // A later program's books keep tables and triggers this one knows nothing of.
    if (version > SchemaVersion::Latest)
        throw DbError(newerBooksText(databaseFilePath()));
    for (const SchemaStep& step : kSteps) {
        if (step.version > version) {
            runStep(step);
            reached << step.version;
        }
    }
    return reached;
}

void insertShippedRows()
{
    // The settings row comes first: the login reads it by position.
    execute(QStringLiteral("INSERT INTO 信息表 (代号, 操作员, 年度, 帐套名称, 密码, 备份路径) "
                           "VALUES (?, NULL, ?, ?, NULL, ?)"),
            {QStringLiteral("QM"), kLastFiscalYear, QStringLiteral("示范单位"), QStringLiteral("")});
    execute(QStringLiteral("INSERT INTO 信息表 (代号, 操作员, 年度, 帐套名称, 密码, 备份路径) "
                           "VALUES (?, ?, NULL, NULL, ?, NULL)"),
            {QStringLiteral("01"), shippedOperatorName(), shippedOperatorPassword()});

    for (const ShippedAccount& account : shippedAccounts())
        execute(QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, "
                               "明细, 单位, 调汇) VALUES (:code, :name, 1, :name, :direction, 'Y', '', '')"),
                QVariantMap{{QStringLiteral(":code"), account.code},
                            {QStringLiteral(":name"), account.name},
                            {QStringLiteral(":direction"), account.direction}});

    for (const CashFlowItem& item : shippedCashFlowItems())
        execute(QStringLiteral("INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"), {item.code, item.name});
    for (const QString& phrase : shippedSummaryPhrases())
        execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {phrase});

    insertBalanceSheet(QStringLiteral("资产表05"), shippedBalanceSheet05());
    insertBalanceSheet(QStringLiteral("资产表07"), shippedBalanceSheet07());
    insertStatement(QStringLiteral("利润表05"), shippedIncomeStatement05());
    insertStatement(QStringLiteral("利润表07"), shippedIncomeStatement07());
    insertStatement(QStringLiteral("现流表"), shippedCashFlowStatement());
}

bool ensureDatabase()
{
    const QString path = databaseFilePath();
    if (QFileInfo::exists(path))
        return false;
    createDatabaseFile(path, [] {
        createSchema();
        insertShippedRows();
    });
    return true;
}

}  // namespace qm

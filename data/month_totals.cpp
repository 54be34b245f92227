#include "month_totals.h"

#include "database.h"
#include "exact_sums.h"
#include "fiscal_year.h"
#include "record_set.h"

namespace qm {

namespace {

const QString kColumns = QStringLiteral(
    "代码, 月, 行数, 借笔, 借厘, 贷笔, 贷厘, 数笔, 净数厘, 借数笔, 借数厘, 贷数笔, 贷数厘, 结转笔, 结转厘");

// NULL codes and NULL months are keys of their own; codes compare as in the entry table.
const QString kKey = QStringLiteral("ifnull(代码, x'') COLLATE NOCASE, ifnull(月, -1)");

// What one line `r` (new or old) adds to its row, with the sign `s` ("" or "-"), as the values
// of kColumns less the key.
QStringList lineParts(const QString& r)
{
    const QString debit = r + QStringLiteral(".借方金额");
    const QString credit = r + QStringLiteral(".贷方金额");
    const QString quantity = r + QStringLiteral(".数量");
    const QString debitSideQuantity = QStringLiteral("%1 IS NOT NULL AND %2 IS NULL").arg(quantity, credit);
    const QString creditSideQuantity = QStringLiteral("%1 IS NOT NULL AND %2 IS NULL").arg(quantity, debit);
    const QString closing = QStringLiteral("%1.结帐=2").arg(r);
    return {QStringLiteral("1"),
            QStringLiteral("(%1 IS NOT NULL)").arg(debit),
            QStringLiteral("ifnull(%1, 0)").arg(thousandthsOf(debit)),
            QStringLiteral("(%1 IS NOT NULL)").arg(credit),
            QStringLiteral("ifnull(%1, 0)").arg(thousandthsOf(credit)),
            QStringLiteral("(%1 IS NOT NULL)").arg(quantity),
            QStringLiteral("ifnull(iif(%1 IS NULL, -%2, %2), 0)").arg(debit, thousandthsOf(quantity)),
            QStringLiteral("iif(%1, 1, 0)").arg(debitSideQuantity),
            QStringLiteral("iif(%1, %2, 0)").arg(debitSideQuantity, thousandthsOf(quantity)),
            QStringLiteral("iif(%1, 1, 0)").arg(creditSideQuantity),
            QStringLiteral("iif(%1, %2, 0)").arg(creditSideQuantity, thousandthsOf(quantity)),
            QStringLiteral("iif(%1, 1, 0)").arg(closing),
            QStringLiteral("iif(%1, %2, 0)").arg(closing, lineNetThousandths(r))};
}

const QStringList& valueColumns()
{
    static const QStringList columns = kColumns.split(QStringLiteral(", ")).mid(2);
    return columns;
}

// Adds (or takes away) one line's figures to its row.
QString upsertLine(const QString& table, const QString& r, bool add)
{
    QStringList values;
    for (const QString& part : lineParts(r))
        values << (add ? part : QStringLiteral("-(%1)").arg(part));
    QStringList updates;
    for (const QString& column : valueColumns())
        updates << QStringLiteral("%1=%1+excluded.%1").arg(column);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3.代码, %3.月, %4) ON CONFLICT (%5) DO UPDATE SET %6;")
        .arg(table, kColumns, r, values.join(QStringLiteral(", ")), kKey, updates.join(QStringLiteral(", ")));
}

QString dropEmptyRow(const QString& table, const QString& r)
{
    return QStringLiteral("DELETE FROM %1 WHERE ifnull(代码, x'') COLLATE NOCASE=ifnull(%2.代码, x'') AND ifnull(月, -1)=ifnull(%2.月, -1) "
                          "AND 行数=0;").arg(table, r);
}

bool exists(const QString& type, const QString& name)
{
    return !scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type=? AND name=?"), {type, name}).isNull();
}

QStringList triggerNames(const QString& entryTable)
{
    return {entryTable + QStringLiteral("_月合计_增"), entryTable + QStringLiteral("_月合计_删"),
            entryTable + QStringLiteral("_月合计_改")};
}

}  // namespace

QString monthTotalsTableName(int year)
{
    entryTableName(year);
    return QStringLiteral("月合计") + QString::number(year);
}

QStringList monthTotalsSchemaStatements(int year)
{
    const QString entries = entryTableName(year);
    const QString table = monthTotalsTableName(year);
    const QStringList names = triggerNames(entries);
    // Renumbering changes only ID and 号码, and closing sets 结帐 to 1 on a whole month: neither
    // moves a figure, so the update trigger watches the other columns and, for 结帐, only whether
    // a line is a closing-voucher line.
    const QString changed = QStringLiteral(
        "old.代码 IS NOT new.代码 OR old.月 IS NOT new.月 OR old.借方金额 IS NOT new.借方金额 OR "
        "old.贷方金额 IS NOT new.贷方金额 OR old.数量 IS NOT new.数量 OR iif(old.结帐=2, 1, 0)<>iif(new.结帐=2, 1, 0)");
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (代码 TEXT COLLATE NOCASE, 月 INTEGER, 行数 INTEGER NOT NULL, "
                           "借笔 INTEGER NOT NULL, 借厘 INTEGER NOT NULL, 贷笔 INTEGER NOT NULL, 贷厘 INTEGER NOT NULL, "
                           "数笔 INTEGER NOT NULL, 净数厘 INTEGER NOT NULL, 借数笔 INTEGER NOT NULL, 借数厘 INTEGER NOT NULL, "
                           "贷数笔 INTEGER NOT NULL, 贷数厘 INTEGER NOT NULL, 结转笔 INTEGER NOT NULL, 结转厘 INTEGER NOT NULL)")
                .arg(table),
            QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS %1_键 ON %1 (%2)").arg(table, kKey),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON %2 BEGIN %3 END")
                .arg(names[0], entries, upsertLine(table, QStringLiteral("new"), true)),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER DELETE ON %2 BEGIN %3 %4 END")
                .arg(names[1], entries, upsertLine(table, QStringLiteral("old"), false), dropEmptyRow(table, QStringLiteral("old"))),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER UPDATE OF 代码, 月, 借方金额, 贷方金额, 数量, 结帐 ON %2 "
                           "WHEN %3 BEGIN %4 %5 %6 END")
                .arg(names[2], entries, changed, upsertLine(table, QStringLiteral("old"), false),
                     upsertLine(table, QStringLiteral("new"), true), dropEmptyRow(table, QStringLiteral("old")))};
}

QString monthTotalsRecompute(int year)
{
    QStringList sums;
    for (const QString& part : lineParts(QStringLiteral("e")))
        sums << QStringLiteral("sum(%1)").arg(part);
    return QStringLiteral("SELECT e.代码, e.月, %1 FROM %2 AS e GROUP BY e.代码, e.月")
        .arg(sums.join(QStringLiteral(", ")), entryTableName(year));
}

void rebuildMonthTotals(int year)
{
    const QString table = monthTotalsTableName(year);
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM %1").arg(table));
    execute(QStringLiteral("INSERT INTO %1 (%2) %3").arg(table, kColumns, monthTotalsRecompute(year)));
    transaction.commit();
}

void clearEntryLines(int year)
{
    const QString entries = entryTableName(year);
    Transaction transaction;
    execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(triggerNames(entries).at(1)));
    execute(QStringLiteral("DELETE FROM %1").arg(entries));
    for (const QString& statement : monthTotalsSchemaStatements(year))
        execute(statement);
    execute(QStringLiteral("DELETE FROM %1").arg(monthTotalsTableName(year)));
    transaction.commit();
}

QList<int> ensureMonthTotals()
{
    QList<int> rebuilt;
    Transaction transaction;
    for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year) {
        const QString entries = entryTableName(year);
        if (!exists(QStringLiteral("table"), entries))
            continue;
        const QString table = monthTotalsTableName(year);
        bool whole = exists(QStringLiteral("table"), table);
        for (const QString& trigger : triggerNames(entries))
            whole = whole && exists(QStringLiteral("trigger"), trigger);
        if (whole) {
            // One pass over the covering index by code and month, against a few thousand rows.
            const RecordSet lines = openRecordset(
                QStringLiteral("SELECT count(*), ifnull(%2, 0), ifnull(%3, 0), ifnull(%4, 0) FROM %1")
                    .arg(entries, thousandthsSum(QStringLiteral("借方金额")), thousandthsSum(QStringLiteral("贷方金额")),
                         thousandthsSum(QStringLiteral("iif(借方金额 IS NULL, -数量, 数量)"))));
            const RecordSet kept = openRecordset(
                QStringLiteral("SELECT ifnull(sum(行数), 0), ifnull(sum(借厘), 0), ifnull(sum(贷厘), 0), ifnull(sum(净数厘), 0) FROM %1")
                    .arg(table));
            bool same = true;
            for (int field = 0; field < 4; ++field)
                same = same && lines.value(0, field).toLongLong() == kept.value(0, field).toLongLong();
            if (same)
                continue;
        }
        for (const QString& statement : monthTotalsSchemaStatements(year))
            execute(statement);
        rebuildMonthTotals(year);
        rebuilt << year;
    }
    transaction.commit();
    return rebuilt;
}

}  // namespace qm

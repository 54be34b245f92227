#pragma once

// Small sets of books for tests: a chart of one's own and a few entries.

#include "data/database.h"
#include "data/fiscal_year.h"

#include <QDate>
#include <QStringList>

namespace qm::test {

inline void clearChart()
{
    execute(QStringLiteral("DELETE FROM 科目表"));
}

inline void addAccount(const QString& code, const QString& name, const QString& fullName,
                       const QString& direction = QStringLiteral("借"), bool leaf = true)
{
    const int level = code.size() == 4 ? 1 : code.size() == 7 ? 2 : 3;
    execute(QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细) "
                           "VALUES (?, ?, ?, ?, ?, ?)"),
            {code, name, level, fullName, direction, leaf ? QStringLiteral("Y") : QStringLiteral("")});
}

// One entry row: an opening row when month is 0.
inline void addEntry(int year, const QString& id, const QString& code, const QVariant& debit,
                     const QVariant& credit, int month = 0)
{
    execute(QStringLiteral("INSERT INTO %1 (ID, 月, 摘要说明, 代码, 借方金额, 贷方金额) VALUES (?, ?, ?, ?, ?, ?)")
                .arg(entryTableName(year)),
            {id, month == 0 ? QVariant() : QVariant(month),
             month == 0 ? QStringLiteral("年初余额") : QStringLiteral("摘要"), code, debit, credit});
}

// One row of the year's entry table: an opening row when the ID begins with 800, else line of
// the voucher whose month and number the ID holds, dated the 10th.
inline void addLine(const QString& id, const QString& code, const QVariant& debit, const QVariant& credit,
                    const QVariant& quantity = QVariant(), const QString& item = QString(),
                    const QVariant& itemAmount = QVariant(), int year = 2016)
{
    const bool opening = id.startsWith(QStringLiteral("800"));
    const int month = id.mid(1, 2).toInt();
    execute(QStringLiteral("INSERT INTO %1 (ID, 日期, 月, 字号, 号码, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 流代, 流金) "
                           "VALUES (?, ?, ?, '记', ?, ?, ?, ?, ?, ?, ?, ?)").arg(entryTableName(year)),
            {id, opening ? QVariant() : QVariant(QDate(year, month, 10).toString(Qt::ISODate)),
             opening ? QVariant() : QVariant(month), opening ? QVariant() : QVariant(id.mid(3, 4).toInt()),
             opening ? QStringLiteral("年初余额") : QStringLiteral("业务"), code, quantity, debit, credit, item, itemAmount});
}

// Every row of a table as text, in a stable order: for "nothing changed" comparisons.
inline QStringList dumpTable(const QString& table)
{
    QStringList lines;
    const RecordSet rows = openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table));
    for (const auto row : rows) {
        QStringList fields;
        for (int field = 0; field < rows.fieldCount(); ++field)
            fields << (row[field].isNull() ? QStringLiteral("<null>") : row[field].toString());
        lines << fields.join(QLatin1Char('|'));
    }
    return lines;
}

}  // namespace qm::test

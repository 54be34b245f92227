#pragma once

// Small sets of books for tests: a chart of one's own and a few entries.

#include "data/database.h"
#include "data/db_error.h"
#include "data/record_set.h"
#include "data/fiscal_year.h"
#include "data/message.h"

#include <QDate>
#include <QStringList>

#include <functional>

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

// Several addLine rows in one text: "ID code debit credit [quantity item itemAmount]" each,
// rows separated by "|", "-" for an empty field.
inline void addLines(const QString& rows, int year = 2016)
{
    for (const QString& row : rows.split(QLatin1Char('|'))) {
        const QStringList fields = row.simplified().split(QLatin1Char(' '));
        const auto field = [&fields](int at) {
            const QString text = fields.value(at, QStringLiteral("-"));
            return text == QStringLiteral("-") ? QVariant() : QVariant(text.toDouble());
        };
        addLine(fields.at(0), fields.at(1), field(2), field(3), field(4), fields.value(5) == QStringLiteral("-") ? QString() : fields.value(5),
                field(6), year);
    }
}

// Fifty lines of 0.1 and one of 0.125 to `code`, lines 001 to 051 of `voucher` ("8MMNNNN"), on
// the debit or the credit side, under a cash-flow `item` when one is given: 5.125 exactly, which
// rounds to 5.13 (a binary sum lands under it, at 5.1249999…).
inline void addHalfCentSum(const QString& voucher, const QString& code, bool debit, const QString& item = QString())
{
    for (int line = 1; line <= 51; ++line) {
        const QVariant amount = line == 51 ? 0.125 : 0.1;
        addLine(voucher + QStringLiteral("%1").arg(line, 3, 10, QLatin1Char('0')), code, debit ? amount : QVariant(),
                debit ? QVariant() : amount, QVariant(), item, item.isEmpty() ? QVariant() : amount);
    }
}

// Voucher `number` of `month`: `amount` debited to one account and credited to another.
inline void addVoucher(int month, int number, const QString& debitCode, const QString& creditCode,
                       const QVariant& amount, int year = 2016)
{
    const QString key = QStringLiteral("8%1%2").arg(month, 2, 10, QLatin1Char('0')).arg(number, 4, 10, QLatin1Char('0'));
    addLine(key + QStringLiteral("001"), debitCode, amount, QVariant(), QVariant(), QString(), QVariant(), year);
    addLine(key + QStringLiteral("002"), creditCode, QVariant(), amount, QVariant(), QString(), QVariant(), year);
}

// 2202 应付账款 split down to the level-3 leaf 2202001001 材料款, all credit-direction.
inline void addPayableLeaf()
{
    execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='2202'"));
    addAccount(QStringLiteral("2202001"), QStringLiteral("甲"), QStringLiteral("应付账款/甲"), QStringLiteral("贷"), false);
    addAccount(QStringLiteral("2202001001"), QStringLiteral("材料款"), QStringLiteral("应付账款/甲/材料款"),
               QStringLiteral("贷"));
}

// Each row of a query as text, its fields joined by `separator`, NULL as `null`: stored amounts
// compare as they are, 0.125 and 0.30000000000000004 included.
inline QStringList rowsAsText(const QString& sql, const QVariantList& values = {},
                              const QString& separator = QStringLiteral(" "), const QString& null = QStringLiteral("-"))
{
    QStringList lines;
    const RecordSet rows = openRecordset(sql, values);
    for (const auto row : rows) {
        QStringList fields;
        for (int field = 0; field < rows.fieldCount(); ++field)
            fields << (row[field].isNull() ? null : row[field].toString());
        lines << fields.join(separator);
    }
    return lines;
}

// One field of every row as text, joined by `separator`, NULL as "-": a whole column in one
// comparison. `field` is a position or a name.
template <typename Field>
QString columnText(const RecordSet& rows, Field field, const QString& separator = QStringLiteral(" "))
{
    QStringList values;
    for (const auto row : rows)
        values << (row[field].isNull() ? QStringLiteral("-") : row[field].toString());
    return values.join(separator);
}

// A message as the user meets it, "title|icon|text"; empty when there is none.
inline QString shown(const std::optional<Message>& message)
{
    static const char* const icons[] = {"", "stop", "!", "i", "?"};
    return message ? message->title + QLatin1Char('|') + QLatin1String(icons[int(message->icon)]) + QLatin1Char('|') + message->text
                   : QString();
}

// Every row of a table as text, in a stable order: for "nothing changed" comparisons.
inline QStringList dumpTable(const QString& table)
{
    return rowsAsText(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table), {}, QStringLiteral("|"),
                      QStringLiteral("<null>"));
}

// The text of the error a piece of work throws, empty when it throws none.
inline QString failure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const DbError& error) {
        return error.text();
    }
    return QString();
}

}  // namespace qm::test

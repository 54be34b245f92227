#include "update_rows.h"

#include "database.h"

namespace qm {

namespace {

void appendJsonValue(QString& json, const QVariant& value)
{
    if (value.isNull()) {
        json += QStringLiteral("null");
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: json += QString::number(value.toLongLong()); return;
    case QMetaType::Bool: json += value.toBool() ? QLatin1Char('1') : QLatin1Char('0'); return;
    default: break;
    }
    json += QLatin1Char('"');
    for (const QChar character : value.toString()) {
        if (character == QLatin1Char('"') || character == QLatin1Char('\\'))
            json += QLatin1Char('\\') + character;
        else if (character.unicode() < 0x20)
            json += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
        else
            json += character;
    }
    json += QLatin1Char('"');
}

}  // namespace

void updateRows(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows)
{
    if (columns.isEmpty() || rows.empty())
        return;
    QStringList assignments;
    for (int index = 0; index < columns.size(); ++index)
        assignments << QStringLiteral("%1=r.value->>%2").arg(columns[index]).arg(index + 1);
    QString json = QStringLiteral("[");
    for (const QVariantList& row : rows) {
        if (json.size() > 1)
            json += QLatin1Char(',');
        json += QLatin1Char('[');
        for (int index = 0; index < row.size(); ++index) {
            if (index > 0)
                json += QLatin1Char(',');
            appendJsonValue(json, row[index]);
        }
        json += QLatin1Char(']');
    }
    json += QLatin1Char(']');
    execute(QStringLiteral("UPDATE %1 SET %2 FROM json_each(?) AS r WHERE %1.rowid=r.value->>0")
                .arg(table, assignments.join(QStringLiteral(", "))),
            {json});
}

}  // namespace qm

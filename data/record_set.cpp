#include "record_set.h"

#include "db_error.h"

namespace qm {

RecordSet::RecordSet(QStringList fieldNames, QVector<QVector<QVariant>> rows)
    : m_fields(std::move(fieldNames)), m_rows(std::move(rows))
{
}

int RecordSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant RecordSet::value(int row, int field) const
{
    if (row < 0 || row >= count())
        throw DbError(QStringLiteral("记录集没有第 %1 行").arg(row + 1));
    if (field < 0 || field >= fieldCount())
        throw DbError(QStringLiteral("记录集没有第 %1 列").arg(field + 1));
    return m_rows[row][field];
}

QVariant RecordSet::value(int row, const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw DbError(QStringLiteral("记录集没有字段 %1").arg(field));
    return value(row, index);
}

}  // namespace qm

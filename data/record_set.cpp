#include "record_set.h"

#include "db_error.h"

#include <cstring>
#include <limits>

namespace qm {

namespace {

enum Tag : char { Null, Integer, Real, Text, Other };

template <typename T>
T readNumber(const char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

RecordSet::RecordSet(QStringList fieldNames)
    : m_fields(std::move(fieldNames))
{
}

// Each value starts a cell: its offset is kept so that any cell is read without walking the row.
void RecordSet::startCell(char tag)
{
    if (m_data.size() > qsizetype(std::numeric_limits<quint32>::max()))
        throw DbError(QStringLiteral("记录集太大"));
    m_cellStarts.push_back(quint32(m_data.size()));
    m_data.append(tag);
}

void RecordSet::appendNull()
{
    startCell(Null);
}

void RecordSet::appendInteger(qint64 value)
{
    startCell(Integer);
    m_data.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void RecordSet::appendReal(double value)
{
    startCell(Real);
    m_data.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void RecordSet::appendText(const char* utf8, int bytes)
{
    startCell(Text);
    const qint32 length = bytes;
    m_data.append(reinterpret_cast<const char*>(&length), sizeof length);
    m_data.append(utf8, bytes);
}

void RecordSet::appendOther(const QVariant& value)
{
    startCell(Other);
    const qint64 index = qint64(m_others.size());
    m_data.append(reinterpret_cast<const char*>(&index), sizeof index);
    m_others.push_back(value);
}

void RecordSet::endRow()
{
    ++m_rowCount;
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
    const char* at = m_data.constData() + m_cellStarts[std::size_t(row) * std::size_t(fieldCount()) + std::size_t(field)];
    switch (Tag(*at)) {
    case Null: return QVariant(QMetaType::fromType<QString>());
    case Integer: return QVariant(readNumber<qint64>(at + 1));
    case Real: return QVariant(readNumber<double>(at + 1));
    case Text: return QVariant(QString::fromUtf8(at + 1 + sizeof(qint32), readNumber<qint32>(at + 1)));
    case Other: return m_others[std::size_t(readNumber<qint64>(at + 1))];
    }
    return {};
}

QVariant RecordSet::value(int row, const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw DbError(QStringLiteral("记录集没有字段 %1").arg(field));
    return value(row, index);
}

}  // namespace qm

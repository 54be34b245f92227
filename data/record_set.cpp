#include "record_set.h"

#include "db_error.h"

#include <algorithm>
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
// Returns where the cell's `bytes` after its tag go. The buffer grows by doubling and the part in
// use is counted apart, so a journal of a hundred thousand lines is copied a few times and no
// cell resizes it.
char* RecordSet::startCell(char tag, qsizetype bytes)
{
    const qsizetype at = m_used;
    if (at > qsizetype(std::numeric_limits<quint32>::max()))
        throw DbError(QStringLiteral("记录集太大"));
    m_cellStarts.push_back(quint32(at));
    const qsizetype end = at + 1 + bytes;
    if (end > m_data.size())
        m_data.resize(std::max(end, std::max(m_data.size() * 2, qsizetype(4096))));
    char* cell = m_data.data() + at;
    m_used = end;
    *cell = tag;
    return cell + 1;
}

void RecordSet::appendNull()
{
    startCell(Null, 0);
}

void RecordSet::appendInteger(qint64 value)
{
    std::memcpy(startCell(Integer, sizeof value), &value, sizeof value);
}

void RecordSet::appendReal(double value)
{
    std::memcpy(startCell(Real, sizeof value), &value, sizeof value);
}

void RecordSet::appendText(const char* utf8, int bytes)
{
    const qint32 length = bytes;
    char* cell = startCell(Text, qsizetype(sizeof length) + bytes);
    std::memcpy(cell, &length, sizeof length);
    if (bytes > 0)
        std::memcpy(cell + sizeof length, utf8, std::size_t(bytes));
}

void RecordSet::appendOther(const QVariant& value)
{
    const qint64 index = qint64(m_others.size());
    std::memcpy(startCell(Other, sizeof index), &index, sizeof index);
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

RecordSet::Cell RecordSet::cell(int row, int field) const
{
    if (row < 0 || row >= count() || field < 0 || field >= fieldCount())
        return {};
    const char* at = m_data.constData() + m_cellStarts[std::size_t(row) * std::size_t(fieldCount()) + std::size_t(field)];
    Cell cell;
    switch (Tag(*at)) {
    case Null: break;
    case Integer:
        cell.kind = Cell::Integer;
        cell.integer = readNumber<qint64>(at + 1);
        break;
    case Real:
        cell.kind = Cell::Real;
        cell.real = readNumber<double>(at + 1);
        break;
    case Text:
        cell.kind = Cell::Text;
        cell.bytes = readNumber<qint32>(at + 1);
        cell.utf8 = at + 1 + sizeof(qint32);
        break;
    case Other: cell.kind = Cell::Other; break;
    }
    return cell;
}

void RecordSet::appendCell(const RecordSet& from, int row, int field)
{
    const Cell cell = from.cell(row, field);
    switch (cell.kind) {
    case Cell::Null: appendNull(); break;
    case Cell::Integer: appendInteger(cell.integer); break;
    case Cell::Real: appendReal(cell.real); break;
    case Cell::Text: appendText(cell.utf8, cell.bytes); break;
    case Cell::Other: appendOther(from.value(row, field)); break;
    }
}

QVariant RecordSet::value(int row, const QString& field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        throw DbError(QStringLiteral("记录集没有字段 %1").arg(field));
    return value(row, index);
}

}  // namespace qm

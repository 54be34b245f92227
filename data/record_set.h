#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <vector>

namespace qm {

// The rows of one query, read into memory: they stay readable whatever runs after the query,
// the connection's closing included.
class RecordSet {
public:
    class Row {
    public:
        Row(const RecordSet* set, int index) : m_set(set), m_index(index) {}
        QVariant operator[](int field) const { return m_set->value(m_index, field); }
        QVariant operator[](const QString& field) const { return m_set->value(m_index, field); }
        int index() const { return m_index; }

    private:
        const RecordSet* m_set;
        int m_index;
    };

    class Iterator {
    public:
        Iterator(const RecordSet* set, int index) : m_set(set), m_index(index) {}
        Row operator*() const { return Row(m_set, m_index); }
        Iterator& operator++() { ++m_index; return *this; }
        bool operator!=(const Iterator& other) const { return m_index != other.m_index; }

    private:
        const RecordSet* m_set;
        int m_index;
    };

    RecordSet() = default;
    explicit RecordSet(QStringList fieldNames);
    // How the query routine fills a record set: fieldCount() values a row, in field order,
    // each row closed by endRow(). Values read back as the SQL driver gives them: NULL as a
    // null text, integers as qlonglong, reals as double, texts as QString.
    void appendNull();
    void appendInteger(qint64 value);
    void appendReal(double value);
    void appendText(const char* utf8, int bytes);
    void appendOther(const QVariant& value);
    void endRow();

    int count() const { return int(m_rowCount); }
    bool isEmpty() const { return m_rowCount == 0; }
    int fieldCount() const { return int(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    // -1 when the statement has no such column; names compare without regard to case.
    int fieldIndex(const QString& name) const;

    // Both throw DbError for a row or field that does not exist.
    QVariant value(int row, int field) const;
    QVariant value(int row, const QString& field) const;

    // A value as it is kept, to copy or bind it without a QVariant: for text its UTF-8 bytes,
    // valid while the record set lives; `Other` is read through value().
    struct Cell {
        enum Kind : char { Null, Integer, Real, Text, Other } kind = Null;
        qint64 integer = 0;
        double real = 0;
        const char* utf8 = nullptr;
        int bytes = 0;
    };
    Cell cell(int row, int field) const;
    // Appends a cell of another record set as it is kept there.
    void appendCell(const RecordSet& from, int row, int field);

    Row operator[](int row) const { return Row(this, row); }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, count()); }

private:
    char* startCell(char tag, qsizetype bytes);

    // The values packed one after another (a type byte, then the value: numbers as 8 bytes,
    // texts as UTF-8 with their length), a journal of a hundred thousand lines in a few
    // megabytes rather than a QVariant per cell.
    QStringList m_fields;
    QByteArray m_data;
    qsizetype m_used = 0;               // bytes of m_data that hold cells
    std::vector<quint32> m_cellStarts;  // row * fieldCount() + field
    std::vector<QVariant> m_others;     // values of any other type, by index
    qsizetype m_rowCount = 0;
};

}  // namespace qm

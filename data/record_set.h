#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

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
    RecordSet(QStringList fieldNames, QVector<QVector<QVariant>> rows);

    int count() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int fieldCount() const { return int(m_fields.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    // -1 when the statement has no such column; names compare without regard to case.
    int fieldIndex(const QString& name) const;

    // Both throw DbError for a row or field that does not exist.
    QVariant value(int row, int field) const;
    QVariant value(int row, const QString& field) const;

    Row operator[](int row) const { return Row(this, row); }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, count()); }

private:
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
};

}  // namespace qm

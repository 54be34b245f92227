#pragma once

// Values of record sets compared and cut as the database does, for work done in code over rows
// read in one go: the same order as an ORDER BY, the same keys as a substr().

#include "data/record_set.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <vector>

namespace qm {

// <0, 0 or >0 as SQLite orders the two: NULL, then numbers (an integer against a real exactly),
// then text (by bytes, or under NOCASE with ASCII capitals as small letters), then anything else.
int compareCells(const RecordSet::Cell& a, const RecordSet::Cell& b, bool noCase);
int compareText(const char* a, int aBytes, const char* b, int bBytes, bool noCase);

// Puts `rows` (row numbers of `set`) in ledger order: by the ID field without regard to case,
// then by `thenField`; rows equal in both keep their order.
void sortInLedgerOrder(std::vector<int>& rows, const RecordSet& set, int idField, int thenField, bool thenNoCase);

// The first `count` characters of a text cell, as substr(x, 1, count) gives them.
QByteArray firstCharacters(const RecordSet::Cell& text, int count);

// Where an entry's code (the column `code`) begins with a prefix, for statements that read the
// whole entry table: comparing the code with the bounds of the prefix first spares most lines the
// prefix test. The prefix is the parameter `name` (":code"), which the rest of the statement may
// use too; codePrefixValues binds it and its upper bound, `name` followed by "_end".
QString codePrefixCondition(const QString& code, const QString& name);
QVariantMap codePrefixValues(const QString& prefix, const QString& name);

// A text cell over `text`, valid while `text` lives unchanged.
RecordSet::Cell textCell(const QByteArray& text);

}  // namespace qm

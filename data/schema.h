#pragma once

// The tables of a database of this program and the rows a new one ships with.

#include <QString>
#include <QStringList>

namespace qm {

// The columns of the entry tables and of 分录始表, in binding order.
const QStringList& entryColumns();

// Creates QMDK/qmdata.mdb with every table and the shipped rows when it does not exist yet.
// Returns true when it made a new file; an existing file is left exactly as it is.
bool ensureDatabase();

// The operator a new database ships with (named in the README).
QString shippedOperatorName();
QString shippedOperatorPassword();

// Run on an empty, open database inside a transaction (ensureDatabase does so).
void createSchema();
void insertShippedRows();

// The indexes of an entry table, each created only when it is missing.
QStringList entryIndexStatements(const QString& table);
// Gives a database made by an earlier version, or restored from its backup, the indexes of
// this one; on a database that has them it changes nothing.
void createMissingIndexes();

}  // namespace qm

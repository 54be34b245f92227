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

// Run on an empty, open database inside a transaction (ensureDatabase does so): every table,
// then every step below, so that new books are at the latest version.
void createSchema();
void insertShippedRows();

// The indexes of an entry table, each created only when it is missing.
QStringList entryIndexStatements(const QString& table);

// The schema's versions, kept in the file's user_version. A file made before versions were
// kept reads 0 and may hold the objects of any step; every step creates only what is missing.
namespace SchemaVersion {
inline constexpr int EntryIndexes = 1;      // the entry tables' indexes but the closed lines'
inline constexpr int MonthTotals = 2;       // month totals with their triggers, filled
inline constexpr int ClosedLinesIndex = 3;  // the closed lines by month
inline constexpr int Latest = ClosedLinesIndex;
}  // namespace SchemaVersion

// The version the open database is at.
int schemaVersion();
// Brings the open database up to the latest version: each step it lacks runs in a transaction
// of its own that sets the version with it. Returns the versions it reached, in order; a file
// at the latest version runs none, and a later program's is refused (DbError), unchanged.
QList<int> upgradeSchema();

}  // namespace qm

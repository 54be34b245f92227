#pragma once

// Writes rows computed in code into a table in a few statements rather than one per row.

#include <QStringList>
#include <QVariantList>
#include <vector>

namespace qm {

// Inserts `rows` (each a value per column of `columns`, in order) into `table`, as many rows a
// statement as SQLite binds values. Runs inside the caller's transaction, if any.
void insertRows(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows);

}  // namespace qm

#pragma once

// Writes values computed in code into rows already in a table, in one statement rather than
// one per row.

#include <QStringList>
#include <QVariantList>
#include <vector>

namespace qm {

// Sets `columns` of rows of `table`: each of `rows` is a rowid, then a value per column, in
// order. The values travel as one JSON text, so they are texts, whole numbers or null; a real
// number would not come back bit for bit. Runs inside the caller's transaction, if any.
void updateRows(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows);

}  // namespace qm

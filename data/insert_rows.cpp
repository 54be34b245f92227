#include "insert_rows.h"

#include "database.h"

namespace qm {

void insertRows(const QString& table, const QStringList& columns, const std::vector<QVariantList>& rows)
{
    if (columns.isEmpty())
        return;
    // SQLite binds at most 32,766 values a statement.
    const std::size_t perStatement = std::max<std::size_t>(1, 32000 / std::size_t(columns.size()));
    const QString rowPlaceholders = QStringLiteral("(?") + QStringLiteral(", ?").repeated(columns.size() - 1) + QLatin1Char(')');
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QStringLiteral(", ")));
    for (std::size_t first = 0; first < rows.size(); first += perStatement) {
        const std::size_t count = std::min(perStatement, rows.size() - first);
        QStringList placeholders;
        QVariantList values;
        values.reserve(qsizetype(count) * columns.size());
        for (std::size_t row = first; row < first + count; ++row) {
            placeholders << rowPlaceholders;
            values << rows[row];
        }
        execute(head + placeholders.join(QStringLiteral(", ")), values);
    }
}

}  // namespace qm

#pragma once

#include <QString>
#include <optional>

namespace qm {

// The years that have an entry table.
constexpr int kFirstFiscalYear = 2010;
constexpr int kLastFiscalYear = 2020;

bool isValidFiscalYear(int year);
// The year typed in a box: a whole number from 2010 to 2020, blanks around it allowed.
std::optional<int> parseFiscalYear(const QString& text);
// "分" followed by the year; the only way a year reaches a table name. Throws DbError for a
// year without an entry table.
QString entryTableName(int year);

}  // namespace qm

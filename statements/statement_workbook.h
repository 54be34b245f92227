#pragma once

#include "statements.h"

namespace qm {

// The computed statement as a printable sheet: the title over merged cells, the unit and period
// line, the headings in row 4 and the lines from row 5, the formula columns left out.
void writeStatementWorkbook(const QString& path, Statement statement, const RecordSet& rows, const QString& unitName,
                            int year, int month);

}  // namespace qm

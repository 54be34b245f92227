#pragma once

#include "statements.h"
#include "report/report.h"

namespace qm {

// The report of a statement with its headings filled in: the unit name of the settings row and
// the period of the month chosen in the statements window, in the fiscal year logged in.
ReportLayout statementReportLayout(Statement statement, int fiscalYear, const QString& month);
// Shows the report of the statement as last evaluated, in a preview window: the caller
// evaluates it for the month first, so the figures belong to the heading.
void previewStatementReport(Statement statement, int fiscalYear, const QString& month);

}  // namespace qm

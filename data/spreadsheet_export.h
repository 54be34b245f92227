#pragma once

// Exports the rows of a statement to a new workbook and opens it in the desktop's spreadsheet
// program. Tests choose the folder and replace the opening.

#include <QString>
#include <QVariantList>
#include <functional>

namespace qm {

void exportRecordsetToExcel(const QString& statement, const QVariantList& values = {});

// The folder workbooks are written to: the user's documents, "QM505导出", unless set.
QString exportFolder();
void setExportFolder(const QString& folder);

using SpreadsheetOpener = std::function<void(const QString& path)>;
// Returns the opener it replaces; an empty opener restores the desktop's.
SpreadsheetOpener setSpreadsheetOpener(SpreadsheetOpener opener);

}  // namespace qm

#pragma once

// Exports the rows of a statement to a new workbook and opens it in the desktop's spreadsheet
// program. Tests choose the folder and replace the opening.

#include "record_set_fwd.h"

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

namespace qm {

void exportRecordsetToExcel(const QString& statement, const QVariantList& values = {});
// The rows an export writes; nothing, once the user has been told, when the statement fails or
// finds no row ("没有记录!").
std::optional<RecordSet> rowsToExport(const QString& statement, const QVariantList& values = {});

// The export's four-line error message.
void showSpreadsheetError(int number, const QString& description);

// Writes a new workbook with `write` into the export folder under a name that is not taken yet,
// then opens it, or says where it was written when nothing could open it; any failure shows the
// export's four-line error message.
void exportWorkbook(const std::function<void(const QString& path)>& write);

// The folder workbooks are written to: the user's documents, "QM505导出", unless set.
QString exportFolder();
void setExportFolder(const QString& folder);

// Opens a written workbook; false when no program could open it.
using SpreadsheetOpener = std::function<bool(const QString& path)>;
// Returns the opener it replaces; an empty opener restores the desktop's.
SpreadsheetOpener setSpreadsheetOpener(SpreadsheetOpener opener);

}  // namespace qm

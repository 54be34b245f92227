#pragma once

// Workbooks written as .xlsx files.

#include "record_set_fwd.h"

#include <QString>
#include <functional>
#include <stdexcept>
#include <xlsxwriter.h>

namespace qm {

class SpreadsheetError : public std::runtime_error {
public:
    SpreadsheetError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}
    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// Throws SpreadsheetError for a failed workbook operation.
void checkSpreadsheet(lxw_error error);

// How a workbook's cells are written: anywhere, or row after row, each row written out to a
// temporary file as the next begins (a workbook of any size in constant memory; texts are then
// stored in their cells rather than in a shared table).
enum class WorkbookRows { Anywhere, InOrder };

// Creates `path` readable by its owner only and lets `write` fill it; on any failure the partial
// file is removed and the error thrown on.
void writeSpreadsheetFile(const QString& path, const std::function<void()>& write);

// Creates the workbook at `path`, lets `fill` write it, and closes it. On any failure the
// partial file is removed and the error thrown on.
void writeWorkbook(const QString& path, const std::function<void(lxw_workbook* workbook)>& fill,
                   WorkbookRows rows = WorkbookRows::Anywhere);

// The width of a text in spreadsheet columns: a Chinese character takes two.
int spreadsheetTextWidth(const QString& text);

// The record set on the first sheet of a new workbook: the column names in row 4 from column A,
// the rows below them, thin borders on every cell, columns as wide as their content.
void writeRecordSetWorkbook(const RecordSet& rows, const QString& path);

// A file name in `folder` that does not exist yet: `baseName`.xlsx, else `baseName`(2).xlsx, …
QString unusedWorkbookPath(const QString& folder, const QString& baseName);

}  // namespace qm

#include "spreadsheet.h"

#include "private_files.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace qm {

namespace {

constexpr int kHeaderRow = 3;  // row 4, counted from 0

QString cellText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

}  // namespace

void checkSpreadsheet(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw SpreadsheetError(int(error), QString::fromUtf8(lxw_strerror(error)));
}

void writeWorkbook(const QString& path, const std::function<void(lxw_workbook* workbook)>& fill, WorkbookRows rows)
{
    const SpreadsheetError cannotCreate(int(LXW_ERROR_CREATING_XLSX_FILE),
                                        QString::fromUtf8(lxw_strerror(LXW_ERROR_CREATING_XLSX_FILE)));
    // An export holds the books' figures: the file is made private before the writer fills it.
    if (!makePrivateFolder(QFileInfo(path).absolutePath()) || !createPrivateFile(path))
        throw cannotCreate;
    lxw_workbook_options options{};
    options.constant_memory = rows == WorkbookRows::InOrder ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!workbook) {
        QFile::remove(path);
        throw cannotCreate;
    }
    try {
        fill(workbook);
    } catch (...) {
        workbook_close(workbook);
        QFile::remove(path);
        throw;
    }
    checkSpreadsheet(workbook_close(workbook));
}

int spreadsheetTextWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

void writeRecordSetWorkbook(const RecordSet& rows, const QString& path)
{
    writeWorkbook(path, [&rows](lxw_workbook* workbook) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_format* bordered = workbook_add_format(workbook);
        format_set_border(bordered, LXW_BORDER_THIN);

        std::vector<int> widths(rows.fieldCount(), 0);
        for (int field = 0; field < rows.fieldCount(); ++field) {
            const QString name = rows.fieldNames().at(field);
            checkSpreadsheet(worksheet_write_string(sheet, kHeaderRow, lxw_col_t(field), name.toUtf8().constData(), bordered));
            widths[field] = spreadsheetTextWidth(name);
        }
        for (int row = 0; row < rows.count(); ++row) {
            const lxw_row_t sheetRow = lxw_row_t(kHeaderRow + 1 + row);
            for (int field = 0; field < rows.fieldCount(); ++field) {
                const QVariant value = rows.value(row, field);
                const lxw_col_t column = lxw_col_t(field);
                if (value.isNull())
                    checkSpreadsheet(worksheet_write_blank(sheet, sheetRow, column, bordered));
                else if (isNumber(value))
                    checkSpreadsheet(worksheet_write_number(sheet, sheetRow, column, value.toDouble(), bordered));
                else
                    checkSpreadsheet(worksheet_write_string(sheet, sheetRow, column, value.toString().toUtf8().constData(), bordered));
                widths[field] = std::max(widths[field], spreadsheetTextWidth(cellText(value)));
            }
        }
        for (int field = 0; field < rows.fieldCount(); ++field)
            checkSpreadsheet(worksheet_set_column(sheet, lxw_col_t(field), lxw_col_t(field), widths[field] + 2, nullptr));
    }, WorkbookRows::InOrder);
}

QString unusedWorkbookPath(const QString& folder, const QString& baseName)
{
    const QDir dir(folder);
    QString path = dir.filePath(baseName + QStringLiteral(".xlsx"));
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = dir.filePath(QStringLiteral("%1(%2).xlsx").arg(baseName).arg(copy));
    return path;
}

}  // namespace qm

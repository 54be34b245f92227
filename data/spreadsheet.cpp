#include "spreadsheet.h"

#include "private_files.h"
#include "table_workbook.h"
#include "record_set.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

void checkSpreadsheet(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw SpreadsheetError(int(error), QString::fromUtf8(lxw_strerror(error)));
}

void writeSpreadsheetFile(const QString& path, const std::function<void()>& write)
{
    // An export holds the books' figures: the file is made private before the writer fills it.
    if (!makePrivateFolder(QFileInfo(path).absolutePath()) || !createPrivateFile(path))
        throw SpreadsheetError(int(LXW_ERROR_CREATING_XLSX_FILE), QString::fromUtf8(lxw_strerror(LXW_ERROR_CREATING_XLSX_FILE)));
    try {
        write();
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

void writeWorkbook(const QString& path, const std::function<void(lxw_workbook* workbook)>& fill, WorkbookRows rows)
{
    writeSpreadsheetFile(path, [&] {
        lxw_workbook_options options{};
        options.constant_memory = rows == WorkbookRows::InOrder ? LXW_TRUE : LXW_FALSE;
        lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!workbook)
            checkSpreadsheet(LXW_ERROR_CREATING_XLSX_FILE);
        try {
            fill(workbook);
        } catch (...) {
            workbook_close(workbook);
            throw;
        }
        checkSpreadsheet(workbook_close(workbook));
    });
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
    TableWorkbook workbook(rows.fieldNames());
    for (int row = 0; row < rows.count(); ++row) {
        for (int field = 0; field < rows.fieldCount(); ++field) {
            const QVariant value = rows.value(row, field);
            if (value.isNull())
                workbook.addBlank();
            else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
                workbook.addInteger(value.toLongLong());
            else if (value.typeId() == QMetaType::Double)
                workbook.addReal(value.toDouble());
            else
                workbook.addText(value.toString());
        }
    }
    writeSpreadsheetFile(path, [&] { workbook.save(path); });
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

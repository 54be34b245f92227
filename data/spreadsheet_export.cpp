#include "spreadsheet_export.h"

#include "database.h"
#include "db_error.h"
#include "message_box.h"
#include "spreadsheet.h"
#include "record_set.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace qm {

namespace {

QString g_exportFolder;
SpreadsheetOpener g_opener;

}  // namespace

void showSpreadsheetError(int number, const QString& description)
{
    showMessage(QStringLiteral("     ErrNumber: ") + QString::number(number) + QStringLiteral("\n")
                + QStringLiteral("ErrDescription: ") + QString(description).replace(QLatin1Char('\n'), QLatin1Char(' '))
                + QStringLiteral("\n")
                + QStringLiteral("        Module: ClsRs\n") + QStringLiteral("     Procedure: ExporToExcel"));
}

QString exportFolder()
{
    if (!g_exportFolder.isEmpty())
        return g_exportFolder;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(QStringLiteral("QM505导出"));
}

void setExportFolder(const QString& folder)
{
    g_exportFolder = folder;
}

SpreadsheetOpener setSpreadsheetOpener(SpreadsheetOpener opener)
{
    std::swap(g_opener, opener);
    return opener;
}

void exportWorkbook(const std::function<void(const QString& path)>& write)
{
    try {
        const QString path = unusedWorkbookPath(
            exportFolder(), QStringLiteral("QM505_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")));
        write(path);
        const bool opened = g_opener ? g_opener(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        if (!opened)
            showMessage(QStringLiteral("没有能打开EXCEL工作簿的程序,工作簿已保存在:\n") + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                        QStringLiteral("QM505提示"), MessageIcon::Information);
    } catch (const SpreadsheetError& error) {
        showSpreadsheetError(error.number(), error.description());
    } catch (const DbError& error) {
        showSpreadsheetError(-1, error.text());
    }
}

std::optional<RecordSet> rowsToExport(const QString& statement, const QVariantList& values)
{
    RecordSet rows;
    try {
        rows = openRecordset(statement, values);
    } catch (const DbError& error) {
        showSpreadsheetError(-1, error.text());
        return std::nullopt;
    }
    if (rows.isEmpty()) {
        showMessage(QStringLiteral("没有记录!"));
        return std::nullopt;
    }
    return rows;
}

void exportRecordsetToExcel(const QString& statement, const QVariantList& values)
{
    if (const std::optional<RecordSet> rows = rowsToExport(statement, values))
        exportWorkbook([&rows](const QString& path) { writeRecordSetWorkbook(*rows, path); });
}

}  // namespace qm

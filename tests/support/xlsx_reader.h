#pragma once

// Reads back the cells of the first sheet of an .xlsx file, for tests of what was written.

#include "data/spreadsheet_export.h"

#include <QByteArray>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <unzip.h>

namespace qm::test {

// Takes the place of the program that opens a written workbook: exports go to `folder`, and the
// paths asked to be opened are kept; the opening fails when `openable` is false.
class OpenedWorkbooks {
public:
    explicit OpenedWorkbooks(const QString& folder)
    {
        setExportFolder(folder);
        m_previous = setSpreadsheetOpener([this](const QString& path) {
            paths << path;
            return openable;
        });
    }
    ~OpenedWorkbooks() { setSpreadsheetOpener(m_previous); }
    QStringList paths;
    bool openable = true;

private:
    SpreadsheetOpener m_previous;
};

inline QByteArray zipEntry(const QString& path, const char* entry)
{
    QByteArray content;
    unzFile zip = unzOpen(path.toLocal8Bit().constData());
    if (!zip)
        return content;
    if (unzLocateFile(zip, entry, 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[4096];
        int read = 0;
        while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            content.append(buffer, read);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return content;
}

struct SheetCell {
    QString text;
    int style = 0;
};

struct Sheet {
    QMap<QString, SheetCell> cells;      // by reference, "A4"
    QMap<int, double> columnWidths;      // by column number from 1
    QList<int> borderedStyles;           // styles whose border is thin on all four sides
    QString pageHeader;                  // as stored, header codes included
    QStringList merged;                  // merged ranges, "A1:A2"
};

inline Sheet readFirstSheet(const QString& path)
{
    Sheet sheet;
    QStringList strings;
    QXmlStreamReader shared(zipEntry(path, "xl/sharedStrings.xml"));
    while (!shared.atEnd())
        if (shared.readNext() == QXmlStreamReader::StartElement && shared.name() == QLatin1String("t"))
            strings << shared.readElementText();

    // A border counts as thin all round when its four sides are; a style by the border it takes.
    const QString styles = QString::fromUtf8(zipEntry(path, "xl/styles.xml"));
    QList<bool> thinBorders;
    static const QRegularExpression border(u"<border\\b.*?</border>|<border\\b[^>]*/>"_qs,
                                           QRegularExpression::DotMatchesEverythingOption);
    for (const auto& match : border.globalMatch(styles.section(u"<borders"_qs, 1).section(u"</borders>"_qs, 0, 0)))
        thinBorders << (match.captured().count(u"style=\"thin\""_qs) == 4);
    static const QRegularExpression styleBorder(u"<xf\\b[^>]*borderId=\"(\\d+)\""_qs);
    int styleIndex = 0;
    for (const auto& match : styleBorder.globalMatch(styles.section(u"<cellXfs"_qs, 1).section(u"</cellXfs>"_qs, 0, 0))) {
        if (thinBorders.value(match.captured(1).toInt()))
            sheet.borderedStyles << styleIndex;
        ++styleIndex;
    }

    QXmlStreamReader xml(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QString reference;
    SheetCell cell;
    bool sharedString = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("col")) {
            const int first = xml.attributes().value(QLatin1String("min")).toInt();
            sheet.columnWidths[first] = xml.attributes().value(QLatin1String("width")).toDouble();
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("c")) {
            reference = xml.attributes().value(QLatin1String("r")).toString();
            cell = {QString(), xml.attributes().value(QLatin1String("s")).toInt()};
            sharedString = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
            sheet.cells[reference] = cell;
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("oddHeader")) {
            sheet.pageHeader = xml.readElementText();
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("mergeCell")) {
            sheet.merged << xml.attributes().value(QLatin1String("ref")).toString();
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("v")) {
            const QString value = xml.readElementText();
            sheet.cells[reference].text = sharedString ? strings.value(value.toInt()) : value;
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QLatin1String("t")) {
            // A text written row by row is stored in its cell: <is><t>…</t></is>.
            sheet.cells[reference].text = xml.readElementText();
        }
    }
    return sheet;
}

// The texts of the named cells joined by "|": several cells in one comparison.
inline QString cellTexts(const Sheet& sheet, const QStringList& references)
{
    QStringList texts;
    for (const QString& reference : references)
        texts << sheet.cells.value(reference).text;
    return texts.join(QLatin1Char('|'));
}

}  // namespace qm::test

#pragma once

// Reads back the cells of the first sheet of an .xlsx file, for tests of what was written.

#include "data/spreadsheet_export.h"

#include <QByteArray>
#include <QHash>
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
        // An entry whose checksum does not match its content reads as nothing.
        if (read < 0 || unzCloseCurrentFile(zip) != UNZ_OK)
            content.clear();
    }
    unzClose(zip);
    return content;
}

// The text of a <t> element as spreadsheet programs read it: blanks at either end are dropped
// unless the element says to preserve them.
inline QString keptText(QXmlStreamReader& xml)
{
    const bool preserve = xml.attributes().value(QLatin1String("xml:space")) == QLatin1String("preserve");
    const QString text = xml.readElementText();
    return preserve ? text : text.trimmed();
}

struct SheetCell {
    QString text;
    int style = 0;
    QString type;  // "s" or "inlineStr" for a text, empty for a number or a blank
};

struct Sheet {
    QMap<QString, SheetCell> cells;      // by reference, "A4"
    QMap<int, double> columnWidths;      // by column number from 1
    QList<int> borderedStyles;           // styles whose border is thin on all four sides
    QStringList styleFormats;            // each style's number format, empty for the general one
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
            strings << keptText(shared);

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
    // The built-in number formats the writer uses, and those the file defines.
    QHash<int, QString> formats{{1, u"0"_qs}, {2, u"0.00"_qs}, {3, u"#,##0"_qs}, {4, u"#,##0.00"_qs}};
    static const QRegularExpression numberFormat(u"<numFmt\\b[^>]*numFmtId=\"(\\d+)\"[^>]*formatCode=\"([^\"]*)\""_qs);
    for (const auto& match : numberFormat.globalMatch(styles))
        formats.insert(match.captured(1).toInt(), match.captured(2).replace(u"&amp;"_qs, u"&"_qs));
    static const QRegularExpression styleFormat(u"<xf\\b[^>]*numFmtId=\"(\\d+)\""_qs);
    for (const auto& match : styleFormat.globalMatch(styles.section(u"<cellXfs"_qs, 1).section(u"</cellXfs>"_qs, 0, 0)))
        sheet.styleFormats << formats.value(match.captured(1).toInt());

    QXmlStreamReader xml(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QString reference;
    bool sharedString = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString name = xml.name().toString();
        if (name == u"col"_qs) {
            sheet.columnWidths[attributes.value(u"min"_qs).toInt()] = attributes.value(u"width"_qs).toDouble();
        } else if (name == u"c"_qs) {
            reference = attributes.value(u"r"_qs).toString();
            sheet.cells[reference] = {QString(), attributes.value(u"s"_qs).toInt(), attributes.value(u"t"_qs).toString()};
            sharedString = attributes.value(u"t"_qs) == u"s"_qs;
        } else if (name == u"oddHeader"_qs) {
            sheet.pageHeader = xml.readElementText();
        } else if (name == u"mergeCell"_qs) {
            sheet.merged << attributes.value(u"ref"_qs).toString();
        } else if (name == u"v"_qs) {
            const QString value = xml.readElementText();
            sheet.cells[reference].text = sharedString ? strings.value(value.toInt()) : value;
        } else if (name == u"t"_qs) {
            // A text written row by row is stored in its cell: <is><t>…</t></is>.
            sheet.cells[reference].text = keptText(xml);
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

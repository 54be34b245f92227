#pragma once

// Banded reports: a page header on every page, one detail line per row, a group footer after
// every group of rows (each group starting a new page), a report footer at the end. Positions are
// in twips (1440 to the inch, 567 to the centimetre) from the left edge of the printable area.

#include "data/printer.h"
#include "data/record_set_fwd.h"

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <vector>

class QFont;
class QPagedPaintDevice;

namespace qm {

// The typefaces the layouts name. Each prints in the first face of its list that the machine
// has, and the lists end in faces that are installed with the program.
enum class ReportFace { Song, FangSong, Kai };
QStringList reportFontFamilies(ReportFace face);
QFont reportFont(ReportFace face, bool bold);

struct ReportText {
    QString text;  // "%p" prints the page number, "%P" the page count, "%d" the date
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 300;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    double pointSize = 0;  // 0: the report's own size
    bool boxed = false;    // a rectangle around the text's area
    ReportFace face = ReportFace::Song;
    bool bold = false;
};

ReportText reportText(const QString& text, int left, int top, int width, int height = 300,
                      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, double pointSize = 0);

struct ReportField {
    QString field;
    int left = 0;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QString format;  // "#,##0.00", "0.000", "yyyy-MM-dd" or none
    // Grows to fit its text: wraps onto as many lines as the text needs, and its printed line
    // grows with it (the other fields centre in the taller line, the rules follow its foot).
    bool grows = false;
};

// A column of a report: its heading in the page header and its field in the detail line.
struct ReportColumn {
    const char* heading;  // none: the column has no heading of its own
    int headingLeft;
    int headingWidth;
    const char* field;
    int left;
    int width;
    Qt::Alignment alignment;
    const char* format;  // as ReportField::format
};

struct ReportRule {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

struct ReportSection {
    int height = 0;
    QVector<ReportText> texts;
    QVector<ReportRule> rules;
};

struct ReportLayout {
    QString caption;  // the preview window's caption
    int width = 12000;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int leftMargin = 1100;
    int topMargin = 1000;
    int rightMargin = 0;
    int bottomMargin = 500;
    double pointSize = 9;
    ReportFace face = ReportFace::Song;  // of the detail lines and of texts that name none
    ReportSection reportHeader;
    ReportSection pageHeader;
    ReportSection detail;  // texts and rules of every detail line
    QVector<ReportField> fields;
    ReportSection groupFooter;
    ReportSection pageFooter;
    ReportSection reportFooter;
    QString groupField;  // when set, each value of this field starts a group on a new page
    // When set, that many detail lines always fit on a page with its bands: where growing lines
    // would run past the page, the tallest are held to what the page has room for and their text
    // is set smaller rather than cut.
    int linesPerPage = 0;
    // A new preview of this report replaces what the open one shows and raises it, instead of
    // opening another window.
    bool onePreview = false;
};

// One printed page: the rows it shows and the bands that close on it.
struct ReportPage {
    QVector<int> rows;
    QVector<int> groupFootersAfter;  // rows after which a group footer prints
    bool reportHeader = false;
    bool reportFooter = false;
};

// Adds the columns' headings at `headingTop` and their fields to the detail line.
void addReportColumns(ReportLayout& layout, const std::vector<ReportColumn>& columns, int headingTop, int headingHeight,
                      double headingSize);

// How the rows fall on pages `pageHeight` twips high (margins included).
QVector<ReportPage> paginateReport(const ReportLayout& layout, const RecordSet& rows, int pageHeight);

// The printed height of each detail line on a page `pageHeight` twips high: the layout's own
// height, or taller where a growing field needs more.
QVector<int> reportLineHeights(const ReportLayout& layout, const RecordSet& rows, int pageHeight);

// A value as a report field shows it.
QString reportFieldText(const QVariant& value, const QString& format);

// Every report prints on A4 in its layout's orientation, the layout's margins inside the page.
QPageLayout reportPageLayout(const ReportLayout& layout);
// Keeps the orientation for the print jobs that follow and lays the report out in it.
void orientReport(ReportLayout& layout, PrinterOrientation orientation);

// Draws the report on a paged device (a printer or a PDF writer) set to its page layout.
void renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const RecordSet& rows);
// The report as a PDF file, page for page as it prints.
void writeReportPdf(const QString& path, const ReportLayout& layout, const RecordSet& rows);

// Prints on the default printer, or opens the preview window. A preview needs no printer: its
// print button then writes a PDF file. A layout marked onePreview keeps one preview window per
// caption. Tests replace the output.
void outputReport(const ReportLayout& layout, const RecordSet& rows, bool preview);
using ReportOutputHandler = std::function<void(const ReportLayout&, const RecordSet&, bool preview)>;
ReportOutputHandler setReportOutputHandler(ReportOutputHandler handler);

}  // namespace qm

#pragma once

// Banded reports: a page header on every page, one detail line per row, a group footer after
// every group of rows (each group starting a new page), a report footer at the end. Positions are
// in twips (1440 to the inch, 567 to the centimetre) from the left edge of the printable area.

#include "data/record_set.h"

#include <QPageLayout>
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

class QPagedPaintDevice;

namespace qm {

struct ReportText {
    QString text;  // "%p" prints the page number, "%P" the page count, "%d" the date
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 300;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    double pointSize = 0;  // 0: the report's own size
    bool boxed = false;    // a rectangle around the text's area
};

ReportText reportText(const QString& text, int left, int top, int width, int height = 300,
                      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, double pointSize = 0);

struct ReportField {
    QString field;
    int left = 0;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QString format;  // "#,##0.00", "0.000", "yyyy-MM-dd" or none
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
    QString fontFamily = QStringLiteral("宋体");
    ReportSection reportHeader;
    ReportSection pageHeader;
    ReportSection detail;  // texts and rules of every detail line
    QVector<ReportField> fields;
    ReportSection groupFooter;
    ReportSection pageFooter;
    ReportSection reportFooter;
    QString groupField;  // when set, each value of this field starts a group on a new page
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

// A value as a report field shows it.
QString reportFieldText(const QVariant& value, const QString& format);

// Draws the report on a paged device (a printer or a PDF writer).
void renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const RecordSet& rows);

// Prints on the default printer, or opens the preview window. Tests replace the output.
void outputReport(const ReportLayout& layout, const RecordSet& rows, bool preview);
using ReportOutputHandler = std::function<void(const ReportLayout&, const RecordSet&, bool preview)>;
ReportOutputHandler setReportOutputHandler(ReportOutputHandler handler);

}  // namespace qm

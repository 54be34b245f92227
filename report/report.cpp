#include "report.h"

#include "data/number_format.h"
#include "data/record_set.h"

#include <QApplication>
#include <QDate>
#include <QFont>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <memory>

namespace qm {

namespace {

ReportOutputHandler g_handler;

// Twips between a field's text and the rules on either side of it.
constexpr int kFieldInset = 20;
// Twips above and below the text of a line that grew.
constexpr int kGrowPadding = 60;
// The smallest size, in twips, a growing text is set in to keep its page.
constexpr int kSmallestText = 60;

// The report an open preview shows; replaced when the same report is previewed again.
struct ShownReport {
    ReportLayout layout;
    RecordSet rows;
};
struct OpenPreview {
    QPointer<QPrintPreviewDialog> dialog;
    std::shared_ptr<ShownReport> shown;
};
QHash<QString, OpenPreview> g_previews;

int pageHeightOf(QPagedPaintDevice& device)
{
    return qRound(device.pageLayout().fullRect(QPageLayout::Inch).height() * 1440);
}

QString substitute(QString text, int page, int pages)
{
    text.replace(QLatin1String("%p"), QString::number(page));
    text.replace(QLatin1String("%P"), QString::number(pages));
    text.replace(QLatin1String("%d"), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    return text;
}

// Breaks a text into lines `width` twips wide, at word boundaries or anywhere in a word too long
// for the width, so no line runs past it; returns the height of the lines.
int wrapText(QTextLayout& text, int width, Qt::Alignment alignment)
{
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text.setTextOption(option);
    text.beginLayout();
    qreal y = 0;
    for (QTextLine line = text.createLine(); line.isValid(); line = text.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    text.endLayout();
    return qCeil(y);
}

// Lays a growing field's text out in the report's detail font, set smaller only while its line
// would be taller than `limit` twips (0: no limit); returns the height of the text.
int growText(QTextLayout& text, const ReportLayout& layout, const ReportField& field, int limit)
{
    QFont font = reportFont(layout.face, false);
    for (int pixels = qRound(layout.pointSize * 20);; pixels = pixels * 9 / 10) {
        font.setPixelSize(pixels);
        text.setFont(font);
        const int height = wrapText(text, field.width - 2 * kFieldInset, field.alignment);
        if (limit <= 0 || height + 2 * kGrowPadding <= limit || pixels <= kSmallestText)
            return height;
    }
}

// Twips a page has for its detail lines once every band that can print on it has its room.
int detailRoom(const ReportLayout& layout, int pageHeight)
{
    return pageHeight - layout.bottomMargin - layout.pageFooter.height - layout.topMargin - layout.pageHeader.height
           - layout.reportHeader.height - layout.groupFooter.height - layout.reportFooter.height;
}

// Holds the lines of one page to `room` twips: the lines that fit their share keep their height,
// the tallest are cut to the one height that fills the room (never below the layout's own).
void holdToRoom(QVector<int>& heights, int first, int count, int room, int lowest)
{
    QVector<int> sorted = heights.mid(first, count);
    std::sort(sorted.begin(), sorted.end());
    int left = room;
    int cap = -1;
    for (int index = 0; index < count; ++index) {
        const int share = left / (count - index);
        if (sorted[index] > share) {
            cap = qMax(share, lowest);
            break;
        }
        left -= sorted[index];
    }
    if (cap < 0)
        return;
    for (int row = first; row < first + count; ++row)
        heights[row] = qMin(heights[row], cap);
}

QVector<ReportPage> paginate(const ReportLayout& layout, const RecordSet& rows, int pageHeight, const QVector<int>& heights);

class Painter {
public:
    Painter(QPagedPaintDevice& device, const ReportLayout& layout) : m_painter(&device), m_layout(layout)
    {
        m_painter.scale(device.logicalDpiX() / 1440.0, device.logicalDpiY() / 1440.0);
        QPen pen(Qt::black);
        pen.setWidth(10);
        m_painter.setPen(pen);
    }

    // `grow`: how much taller than the section this occurrence prints; what lies at its foot moves down.
    void section(const ReportSection& section, int top, int page, int pages, int grow = 0)
    {
        for (const ReportText& text : section.texts) {
            setFont(text.pointSize, text.face, text.bold);
            const QRect area(m_layout.leftMargin + text.left, top + text.top, text.width, text.height);
            if (text.boxed)
                m_painter.drawRect(area);
            m_painter.drawText(area, int(text.alignment), substitute(text.text, page, pages));
        }
        for (const ReportRule& rule : section.rules) {
            const int y1 = rule.y1 >= section.height ? rule.y1 + grow : rule.y1;
            const int y2 = rule.y2 >= section.height ? rule.y2 + grow : rule.y2;
            m_painter.drawLine(m_layout.leftMargin + rule.x1, top + y1, m_layout.leftMargin + rule.x2, top + y2);
        }
    }

    // A growing text that needs more than `height` is set smaller to fit it.
    void detail(const RecordSet& rows, int row, int top, int height)
    {
        if (m_fieldIndices.size() != m_layout.fields.size()) {
            for (const ReportField& field : m_layout.fields)
                m_fieldIndices.append(rows.fieldIndex(field.field));
        }
        setFont(0, m_layout.face, false);
        for (qsizetype column = 0; column < m_layout.fields.size(); ++column) {
            const ReportField& field = m_layout.fields[column];
            const int index = m_fieldIndices[column];
            const QVariant value = index >= 0 ? rows.value(row, index) : QVariant();
            const QRect area(m_layout.leftMargin + field.left + kFieldInset, top, field.width - 2 * kFieldInset, height);
            const QString shown = reportFieldText(value, field.format);
            if (field.grows) {
                QTextLayout text(shown);
                const int textHeight = growText(text, m_layout, field, height);
                text.draw(&m_painter, QPointF(area.left(), area.top() + (area.height() - textHeight) / 2.0));
                continue;
            }
            // A long caption is set smaller rather than cut off, down to two thirds of the size.
            const int wide = m_painter.fontMetrics().horizontalAdvance(shown);
            if (wide > area.width() && area.width() > 0) {
                QFont smaller = m_painter.font();
                smaller.setPixelSize(qMax(smaller.pixelSize() * 2 / 3, smaller.pixelSize() * area.width() / wide));
                m_painter.setFont(smaller);
                m_fontKey = 0;
            }
            m_painter.drawText(area, int(field.alignment), shown);
            setFont(0, m_layout.face, false);
        }
        section(m_layout.detail, top, 0, 0, height - m_layout.detail.height);
    }

    void newPage(QPagedPaintDevice& device) { device.newPage(); }

private:
    // Each font is made once: a font made afresh is looked up again in the font database.
    void setFont(double pointSize, ReportFace face, bool bold)
    {
        const int pixels = qRound((pointSize > 0 ? pointSize : m_layout.pointSize) * 20);
        const quint64 key = (quint64(pixels) << 8) | (quint64(face) << 1) | quint64(bold);
        if (key == m_fontKey)
            return;
        m_fontKey = key;
        auto found = m_fonts.constFind(key);
        if (found == m_fonts.constEnd()) {
            QFont font = reportFont(face, bold);
            font.setPixelSize(pixels);
            found = m_fonts.insert(key, font);
        }
        m_painter.setFont(*found);
    }

    QPainter m_painter;
    const ReportLayout& m_layout;
    QHash<quint64, QFont> m_fonts;
    quint64 m_fontKey = 0;  // of the painter's font; 0 when it is none of them
    QVector<int> m_fieldIndices;  // of the layout's fields in the rows
};

}  // namespace

QStringList reportFontFamilies(ReportFace face)
{
    const QStringList song{QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                           QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                           QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
    switch (face) {
    case ReportFace::FangSong:
        return QStringList{QStringLiteral("仿宋_GB2312"), QStringLiteral("仿宋"), QStringLiteral("FangSong_GB2312"),
                           QStringLiteral("FangSong"), QStringLiteral("STFangsong")}
               + song;
    case ReportFace::Kai:
        return QStringList{QStringLiteral("楷体_GB2312"), QStringLiteral("楷体"), QStringLiteral("KaiTi_GB2312"),
                           QStringLiteral("KaiTi"), QStringLiteral("STKaiti"), QStringLiteral("AR PL UKai CN")}
               + song;
    case ReportFace::Song:
        break;
    }
    return song;
}

QFont reportFont(ReportFace face, bool bold)
{
    QFont font;
    font.setFamilies(reportFontFamilies(face));
    font.setBold(bold);
    return font;
}

ReportText reportText(const QString& text, int left, int top, int width, int height, Qt::Alignment alignment,
                      double pointSize)
{
    ReportText made;
    made.text = text;
    made.left = left;
    made.top = top;
    made.width = width;
    made.height = height;
    made.alignment = alignment;
    made.pointSize = pointSize;
    return made;
}

void addReportColumns(ReportLayout& layout, const std::vector<ReportColumn>& columns, int headingTop, int headingHeight,
                      double headingSize)
{
    for (const ReportColumn& column : columns) {
        if (column.heading)
            layout.pageHeader.texts.append(reportText(QString::fromUtf8(column.heading), column.headingLeft, headingTop,
                                                      column.headingWidth, headingHeight, Qt::AlignCenter, headingSize));
        layout.fields.append(ReportField{QString::fromUtf8(column.field), column.left, column.width, column.alignment,
                                         QString::fromUtf8(column.format)});
    }
}

QString reportFieldText(const QVariant& value, const QString& format)
{
    if (value.isNull())
        return QString();
    if (format == QStringLiteral("#,##0.00"))
        return formatGridCell(value, CellFormat::Amount);
    if (format == QStringLiteral("0.000"))
        return formatGridCell(value, CellFormat::Quantity);
    if (format == QStringLiteral("yyyy-MM-dd"))
        return formatGridCell(value, CellFormat::Date);
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QVector<int> reportLineHeights(const ReportLayout& layout, const RecordSet& rows, int pageHeight)
{
    QVector<int> heights(rows.count(), layout.detail.height);
    for (const ReportField& field : layout.fields) {
        const int index = field.grows ? rows.fieldIndex(field.field) : -1;
        if (index < 0)
            continue;
        for (int row = 0; row < rows.count(); ++row) {
            const QString shown = reportFieldText(rows.value(row, index), field.format);
            if (shown.isEmpty())
                continue;
            QTextLayout text(shown);
            heights[row] = qMax(heights[row], growText(text, layout, field, 0) + 2 * kGrowPadding);
        }
    }
    if (layout.linesPerPage <= 0)
        return heights;
    // The lines of a page: a group, or each run of linesPerPage lines of it.
    const int room = detailRoom(layout, pageHeight);
    const int groupField = layout.groupField.isEmpty() ? -1 : rows.fieldIndex(layout.groupField);
    int first = 0;
    for (int row = 1; row <= rows.count(); ++row) {
        if (row == rows.count() || row - first == layout.linesPerPage
            || (groupField >= 0 && rows.value(row, groupField) != rows.value(first, groupField))) {
            holdToRoom(heights, first, row - first, room, layout.detail.height);
            first = row;
        }
    }
    return heights;
}

QVector<ReportPage> paginateReport(const ReportLayout& layout, const RecordSet& rows, int pageHeight)
{
    return paginate(layout, rows, pageHeight, reportLineHeights(layout, rows, pageHeight));
}

namespace {

QVector<ReportPage> paginate(const ReportLayout& layout, const RecordSet& rows, int pageHeight, const QVector<int>& heights)
{
    const int bodyBottom = pageHeight - layout.bottomMargin - layout.pageFooter.height;
    const int bodyTop = layout.topMargin + layout.pageHeader.height;
    QVector<ReportPage> pages(1);
    pages[0].reportHeader = true;
    int y = bodyTop + layout.reportHeader.height;
    const int groupField = layout.groupField.isEmpty() ? -1 : rows.fieldIndex(layout.groupField);
    auto startPage = [&] {
        pages.append(ReportPage{});
        y = bodyTop;
    };
    for (int row = 0; row < rows.count(); ++row) {
        const bool newGroup = groupField >= 0 && row > 0 && rows.value(row, groupField) != rows.value(row - 1, groupField);
        if ((newGroup && !pages.last().rows.isEmpty()) || (y + heights[row] > bodyBottom && !pages.last().rows.isEmpty()))
            startPage();
        pages.last().rows.append(row);
        y += heights[row];
        const bool groupEnds = groupField >= 0
                               && (row + 1 == rows.count() || rows.value(row + 1, groupField) != rows.value(row, groupField));
        if (groupEnds) {
            pages.last().groupFootersAfter.append(row);
            y += layout.groupFooter.height;
        }
    }
    if (y + layout.reportFooter.height > bodyBottom && !pages.last().rows.isEmpty())
        startPage();
    pages.last().reportFooter = true;
    return pages;
}

}  // namespace

void renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const RecordSet& rows)
{
    const int pageHeight = pageHeightOf(device);
    const QVector<int> heights = reportLineHeights(layout, rows, pageHeight);
    const QVector<ReportPage> pages = paginate(layout, rows, pageHeight, heights);
    Painter painter(device, layout);
    for (int index = 0; index < pages.size(); ++index) {
        if (index > 0)
            painter.newPage(device);
        const ReportPage& page = pages[index];
        const int number = index + 1;
        painter.section(layout.pageHeader, layout.topMargin, number, int(pages.size()));
        int y = layout.topMargin + layout.pageHeader.height;
        if (page.reportHeader) {
            painter.section(layout.reportHeader, y, number, int(pages.size()));
            y += layout.reportHeader.height;
        }
        for (int row : page.rows) {
            painter.detail(rows, row, y, heights[row]);
            y += heights[row];
            if (page.groupFootersAfter.contains(row)) {
                painter.section(layout.groupFooter, y, number, int(pages.size()));
                y += layout.groupFooter.height;
            }
        }
        if (page.reportFooter)
            painter.section(layout.reportFooter, y, number, int(pages.size()));
        painter.section(layout.pageFooter, pageHeight - layout.bottomMargin - layout.pageFooter.height, number,
                        int(pages.size()));
    }
}

QPageLayout reportPageLayout(const ReportLayout& layout)
{
    return QPageLayout(QPageSize(QPageSize::A4), layout.orientation, QMarginsF(0, 0, 0, 0));
}

void orientReport(ReportLayout& layout, PrinterOrientation orientation)
{
    setPrinterOrientation(orientation);
    layout.orientation = orientation == Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void writeReportPdf(const QString& path, const ReportLayout& layout, const RecordSet& rows)
{
    QPdfWriter writer(path);
    writer.setTitle(layout.caption);
    writer.setResolution(300);
    writer.setPageLayout(reportPageLayout(layout));
    renderReport(writer, layout, rows);
}

namespace {

// Shows `layout` in the open preview of its report, if there is one the user can reach from where
// the preview is asked for; true when it did.
bool replaceOpenPreview(const ReportLayout& layout, const RecordSet& rows, QWidget* owner)
{
    const auto found = g_previews.constFind(layout.caption);
    if (found == g_previews.constEnd())
        return false;
    QPrintPreviewDialog* dialog = found->dialog;
    // One left open under another modal window would be blocked: it gives way to a new one.
    if (!dialog || !dialog->isVisible() || dialog->parentWidget() != owner) {
        if (dialog)
            dialog->close();
        g_previews.remove(layout.caption);
        return false;
    }
    *found->shown = ShownReport{layout, rows};
    dialog->printer()->setPageLayout(reportPageLayout(layout));
    if (auto* pages = dialog->findChild<QPrintPreviewWidget*>())
        pages->updatePreview();
    dialog->raise();
    dialog->activateWindow();
    return true;
}

}  // namespace

void outputReport(const ReportLayout& layout, const RecordSet& rows, bool preview)
{
    if (g_handler) {
        g_handler(layout, rows, preview);
        return;
    }
    // A modal window that asks for a preview owns it, or the modal window would block it.
    QWidget* owner = QApplication::activeModalWidget();
    if (preview && layout.onePreview && replaceOpenPreview(layout, rows, owner))
        return;
    auto* printer = new QPrinter(QPrinter::HighResolution);
    if (!printerInstalled())
        printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setFullPage(true);
    printer->setPageLayout(reportPageLayout(layout));
    printer->setDocName(layout.caption);
    if (!preview) {
        renderReport(*printer, layout, rows);
        delete printer;
        return;
    }
    auto* dialog = new QPrintPreviewDialog(printer, owner);
    QObject::connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    dialog->setWindowTitle(layout.caption);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto shown = std::make_shared<ShownReport>(ShownReport{layout, rows});
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [shown](QPrinter* target) { renderReport(*target, shown->layout, shown->rows); });
    if (layout.onePreview)
        g_previews.insert(layout.caption, OpenPreview{dialog, shown});
    dialog->setModal(false);
    dialog->show();
}

ReportOutputHandler setReportOutputHandler(ReportOutputHandler handler)
{
    std::swap(g_handler, handler);
    return handler;
}

}  // namespace qm

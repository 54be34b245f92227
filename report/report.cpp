#include "report.h"

#include "data/number_format.h"

#include <QApplication>
#include <QDate>
#include <QFont>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace qm {

namespace {

ReportOutputHandler g_handler;

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

class Painter {
public:
    Painter(QPagedPaintDevice& device, const ReportLayout& layout) : m_painter(&device), m_layout(layout)
    {
        m_painter.scale(device.logicalDpiX() / 1440.0, device.logicalDpiY() / 1440.0);
        QPen pen(Qt::black);
        pen.setWidth(10);
        m_painter.setPen(pen);
    }

    void section(const ReportSection& section, int top, int page, int pages)
    {
        for (const ReportText& text : section.texts) {
            setFont(text.pointSize, text.face, text.bold);
            const QRect area(m_layout.leftMargin + text.left, top + text.top, text.width, text.height);
            if (text.boxed)
                m_painter.drawRect(area);
            m_painter.drawText(area, int(text.alignment), substitute(text.text, page, pages));
        }
        rules(section.rules, top);
    }

    void detail(const RecordSet& rows, int row, int top)
    {
        setFont(0, m_layout.face, false);
        for (const ReportField& field : m_layout.fields) {
            const int index = rows.fieldIndex(field.field);
            const QVariant value = index >= 0 ? rows.value(row, index) : QVariant();
            const QRect area(m_layout.leftMargin + field.left + 20, top, field.width - 40, m_layout.detail.height);
            const QString shown = reportFieldText(value, field.format);
            // A long caption is set smaller rather than cut off, down to two thirds of the size.
            const int wide = m_painter.fontMetrics().horizontalAdvance(shown);
            if (wide > area.width() && area.width() > 0) {
                QFont smaller = m_painter.font();
                smaller.setPixelSize(qMax(smaller.pixelSize() * 2 / 3, smaller.pixelSize() * area.width() / wide));
                m_painter.setFont(smaller);
            }
            m_painter.drawText(area, int(field.alignment), shown);
            setFont(0, m_layout.face, false);
        }
        section(m_layout.detail, top, 0, 0);
    }

    void newPage(QPagedPaintDevice& device) { device.newPage(); }

private:
    void setFont(double pointSize, ReportFace face, bool bold)
    {
        QFont font = reportFont(face, bold);
        font.setPixelSize(qRound((pointSize > 0 ? pointSize : m_layout.pointSize) * 20));
        m_painter.setFont(font);
    }

    void rules(const QVector<ReportRule>& rules, int top)
    {
        for (const ReportRule& rule : rules)
            m_painter.drawLine(m_layout.leftMargin + rule.x1, top + rule.y1, m_layout.leftMargin + rule.x2, top + rule.y2);
    }

    QPainter m_painter;
    const ReportLayout& m_layout;
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

QVector<ReportPage> paginateReport(const ReportLayout& layout, const RecordSet& rows, int pageHeight)
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
        if ((newGroup && !pages.last().rows.isEmpty()) || (y + layout.detail.height > bodyBottom && !pages.last().rows.isEmpty()))
            startPage();
        pages.last().rows.append(row);
        y += layout.detail.height;
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

void renderReport(QPagedPaintDevice& device, const ReportLayout& layout, const RecordSet& rows)
{
    const QVector<ReportPage> pages = paginateReport(layout, rows, pageHeightOf(device));
    const int pageHeight = pageHeightOf(device);
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
            painter.detail(rows, row, y);
            y += layout.detail.height;
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

void outputReport(const ReportLayout& layout, const RecordSet& rows, bool preview)
{
    if (g_handler) {
        g_handler(layout, rows, preview);
        return;
    }
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
    // A modal window that asks for a preview owns it, or the modal window would block it.
    auto* dialog = new QPrintPreviewDialog(printer, QApplication::activeModalWidget());
    QObject::connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    dialog->setWindowTitle(layout.caption);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [layout, rows](QPrinter* target) { renderReport(*target, layout, rows); });
    dialog->setModal(false);
    dialog->show();
}

ReportOutputHandler setReportOutputHandler(ReportOutputHandler handler)
{
    std::swap(g_handler, handler);
    return handler;
}

}  // namespace qm

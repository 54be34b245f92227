#include "support/common.h"
#include "data/printer.h"
#include "ledgers/ledger_output.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/views.h"
#include "report/report.h"
#include "support/pdf_text.h"
#include "support/report_capture.h"

#include <QApplication>
#include <QDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

// The opening 5,000.00 of cash and `count` payments of 10.10 in March.
void cashLines(int count)
{
    addLine(u"8000000001"_s, u"1001"_s, 5000.0, QVariant());
    for (int line = 1; line <= count; ++line)
        addLine(u"803%1001"_s.arg(line, 4, 10, QLatin1Char('0')), u"1001"_s, QVariant(), 10.1);
}

}  // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ReportCapture> m_report;

    // Caption, left margin, paper (横 landscape, 竖 portrait) and the page header's texts but the second.
    QString layout() const
    {
        QStringList texts{m_report->layout.caption, QString::number(m_report->layout.leftMargin),
                          m_report->layout.orientation == QPageLayout::Landscape ? u"横"_s : u"竖"_s};
        for (int i = 0; i < m_report->layout.pageHeader.texts.size(); ++i)
            if (i != 1 && i < 4)
                texts << m_report->layout.pageHeader.texts.at(i).text;
        return texts.join(u'|');
    }

private slots:
    void init()
    {
        loginState() = LoginState{kYear, u"管理员"_s, QString(), QString()};
        m_report = std::make_unique<ReportCapture>();
    }
    void cleanup() { m_report.reset(); }

    void threeColumnReportPagesTheLedger()
    {
        TempProgram program;
        cashLines(36);
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        LedgerOutput output{LedgerView::DetailLedger, u"1001"_s, u"库存现金"_s, QString(), u"库存现金"_s, u"全部"_s, u"1.5"_s};
        setPrinterOrientation(Portrait);
        outputLedgerReport(output, true);
        QCOMPARE(m_report->calls, 1);
        QVERIFY(m_report->preview);
        QCOMPARE(layout(), u"三栏帐|851|横|库存现金  明细帐|会计期间:  2016年1月至12月|科目名称: 1001 库存现金"_s);
        // 36 entries, month total, year to date, opening and carry-forward: 40 lines on 3 pages.
        const QVector<ReportPage> pages = paginateReport(m_report->layout, m_report->rows, 11906);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(QList<qsizetype>({pages[0].rows.size(), pages[1].rows.size(), pages[2].rows.size()}), QList<qsizetype>({19, 20, 19}));
        QCOMPARE(reportFieldText(m_report->rows.value(2, u"余额"_s), u"#,##0.00"_s), u"4,979.80"_s);

        const QString pdf = qEnvironmentVariableIsSet("QM505_REPORT_PDF") ? qEnvironmentVariable("QM505_REPORT_PDF")
                                                                          : program.path() + u"/ledger.pdf"_s;
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        const QStringList printed = pdfPageTexts(pdf);
        QCOMPARE(printed.size(), 3);
        QCOMPARE(pdfPageSize(pdf), u"842 x 595 pts (A4)"_s);
        QCOMPARE(pdfLinesWith(printed[1], u"承 前 页"_s), QStringList{u"承前页 4,828.30"_s});
        QCOMPARE(pdfLinesWith(printed[1], u"过 次 页"_s), QStringList{u"过次页 4,646.50"_s});
        QCOMPARE(pdfLinesWith(printed[2], u"2016年1月至12月"_s).size(), 1);
        QCOMPARE(pdfLinesWith(printed[2], u"3/3"_s).size(), 1);

        // The general ledger prints its own title; an empty or non-numeric margin keeps the
        // layout's margin, never its landscape paper.
        output.view = LedgerView::GeneralLedger;
        execute(u"DELETE FROM 三总式"_s);
        buildGeneralLedger(kYear, u"1001"_s, u"借"_s);
        for (const QString& margin : {u"abc"_s, QString()}) {
            output.leftMarginCm = margin;
            setPrinterOrientation(Portrait);
            execute(u"DELETE FROM 三栏帐页"_s);
            outputLedgerReport(output, false);
            QCOMPARE(layout().section(u'|', 1, 3), u"1100|横|总 分 类 帐"_s);
            QCOMPARE(printerOrientation(), int(Landscape));
        }

        // No account, no report.
        output.code.clear();
        outputLedgerReport(output, false);
        QCOMPARE(m_report->calls, 3);
    }

    void balanceAndSummaryReports()
    {
        TempProgram program;
        cashLines(2);
        execute(u"INSERT INTO 分2016 (ID, 月, 代码, 借方金额) VALUES ('8030009001', 3, '6602', 20)"_s);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"1"_s));
        LedgerOutput output{LedgerView::AmountBalance, QString(), QString(), QString(), QString(), u"3"_s,
                            u"1"_s};
        outputLedgerReport(output, false);
        QCOMPARE(layout().section(u'|', 0, 2) + u'|' + m_report->layout.pageHeader.texts.at(3).text, u"科目余额表|567|横|会计期间:2016年3月"_s);
        QCOMPARE(m_report->rows.count(), 3);
        QCOMPARE(m_report->rows.value(2, u"科目名称"_s).toString(), u"合  计"_s);

        QVERIFY(!buildAccountSummary(kYear, u"3"_s));
        output.view = LedgerView::AccountSummary;
        outputLedgerReport(output, true);
        QCOMPARE(layout().section(u'|', 0, 0) + layout().section(u'|', 2, 2), u"凭证汇总表竖"_s);
        QCOMPARE(m_report->layout.topMargin, 1440);
        QCOMPARE(m_report->rows.value(m_report->rows.count() - 1, 0).toString(), u"8"_s);
        // One flowing page when the rows fit.
        QCOMPARE(paginateReport(m_report->layout, m_report->rows, 16838).size(), 1);
    }

    // A page whose last line is a month total carries the balance in effect there, in the
    // quantity report as in the three-column one.
    void carriedLinesKeepTheBalance()
    {
        TempProgram program;
        cashLines(16);  // opening, 16 lines, the month total as the 18th line
        LedgerOutput output{LedgerView::DetailLedger, u"1001"_s, u"库存现金"_s, u"元"_s,
                            u"库存现金"_s, u"全部"_s, u"1"_s};
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        outputLedgerReport(output, true);
        const QString pdf = program.path() + u"/carried.pdf"_s;
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        QStringList printed = pdfPageTexts(pdf);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(pdfLinesWith(printed[0], u"过 次 页"_s), QStringList{u"过次页 4,838.40"_s});
        QCOMPARE(pdfLinesWith(printed[1], u"承 前 页"_s), QStringList{u"承前页 4,838.40"_s});
        QCOMPARE(pdfLinesWith(printed[1], u"2/2"_s).size(), 1);

        execute(u"UPDATE 分2016 SET 数量=1"_s);
        buildQuantityLedger(kYear, u"1001"_s, u"借"_s);
        output.view = LedgerView::QuantityLedger;
        outputLedgerReport(output, true);
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        printed = pdfPageTexts(pdf);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(pdfLinesWith(printed[1], u"承 前 页"_s), QStringList{u"承前页 -15 4,838.40"_s});
    }

    // Without a printer the preview still opens, landscape on A4, and prints to a PDF file; a
    // modal window that asks for it owns it, so it is not blocked.
    void previewWithoutAPrinter()
    {
        TempProgram program;
        cashLines(3);
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        m_report.reset();
        auto previousCheck = setPrinterCheck([] { return false; });
        QDialog owner;
        owner.setWindowModality(Qt::ApplicationModal);
        owner.show();
        LedgerOutput output{LedgerView::DetailLedger, u"1001"_s, u"库存现金"_s, QString(), u"库存现金"_s, u"全部"_s, u"1"_s};
        outputLedgerReport(output, true);
        auto* preview = owner.findChild<QPrintPreviewDialog*>();
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->windowTitle(), u"三栏帐"_s);
        QCOMPARE(preview->printer()->outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(preview->printer()->pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(preview->printer()->pageLayout().pageSize().id(), QPageSize::A4);
        preview->close();
        owner.close();
        setPrinterCheck(previousCheck);
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"

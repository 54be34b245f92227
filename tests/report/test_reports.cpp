#include "support/common.h"
#include "data/printer.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/ledger_output.h"
#include "ledgers/query_centre_window.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "report/report.h"
#include "support/pdf_text.h"
#include "support/report_capture.h"
#include "support/widgets.h"

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

void books()
{
    addLines(u"8000000001 1001 1234.5 -|8000000002 4001 - 1234.5|8030001001 6602 100 -|8030001002 1001 - 100"_s);
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


    void viewsAndTheirLines()
    {
        TempProgram program;
        books();
        QueryCentreWindow window;
        QCOMPARE(window.windowTitle(), u"QM505财务---综合查询"_s);
        auto* grid = child<QTableView>(window, "MSH1");
        auto* result = child<QLabel>(window, "Label3");
        MessageRecorder recorder;

        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(window.view(), LedgerView::Journal);
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(result->text(), u"全部 月份分录明细      共4条记录"_s);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"序号"_s);
        QCOMPARE(cellText(grid, 0, 9) + u'|' + cellText(grid, 2, 2) + u'|' + cellText(grid, 3, 0), u"1,234.50|2016-03-10|4"_s);
        QCOMPARE(QList<int>({cellAlignment(grid, 0, 9), cellAlignment(grid, 0, 0), cellAlignment(grid, 0, 5)}),
                 QList<int>({Qt::AlignRight | Qt::AlignVCenter, Qt::AlignCenter, 0}));
        QCOMPARE(grid->model()->index(0, 5).data(Qt::BackgroundRole).value<QColor>(), stripeColour(1));
        QCOMPARE(grid->model()->index(1, 5).data(Qt::BackgroundRole).value<QColor>(), stripeColour(2));
        QCOMPARE(grid->columnWidth(9), twipsToPixels(1300));

        // An empty code leaves the grid as it was.
        child<QPushButton>(window, "Command14")->click();
        QCOMPARE(grid->model()->rowCount(), 4);

        QCOMPARE(press(window, "Command2", recorder), u"请选择月份"_s);
        QCOMPARE(window.view(), LedgerView::AccountSummary);
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(result->text(), u"3 月份科目汇总表      共3条记录"_s);

        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(window.view(), LedgerView::AmountBalance);
        QVERIFY(grid->isColumnHidden(4) && !grid->isColumnHidden(5));
        QCOMPARE(result->text(), u"3 月份金额式余额表      共4条记录"_s);
        child<QPushButton>(window, "Command5")->click();
        QVERIFY(!grid->isColumnHidden(4));
        QCOMPARE(result->text(), u"3 月份数量式余额      共4条记录"_s);

        QCOMPARE(press(window, "Command7", recorder), u"请选择帐簿格式"_s);
        child<QLineEdit>(window, "Text2")->setText(u"1001"_s);
        QCOMPARE(child<QLineEdit>(window, "Text3")->text() + child<QLineEdit>(window, "Text4")->text(), u"库存现金借"_s);
        child<QRadioButton>(window, "Option1")->setChecked(true);
        child<QPushButton>(window, "Command7")->click();
        QCOMPARE(window.view(), LedgerView::DetailLedger);
        QCOMPARE(result->text(), u"三栏式  明细帐   共5条记录"_s);
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(cellText(grid, 1, 9), u"1,134.50"_s);

        // A code that is not in the chart empties the full name only.
        child<QLineEdit>(window, "Text2")->setText(u"1001999"_s);
        QCOMPARE(child<QLineEdit>(window, "Text3")->text() + child<QLineEdit>(window, "Text4")->text(), u"借"_s);
    }

    void steppingPickingAndOutput()
    {
        TempProgram program;
        books();
        QueryCentreWindow window;
        MessageRecorder recorder;
        QCOMPARE(press(window, "Command9", recorder), u"没有了"_s);
        child<QRadioButton>(window, "Option2")->setChecked(true);
        child<QPushButton>(window, "Command8")->click();
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), u"1001"_s);
        QCOMPARE(window.view(), LedgerView::GeneralLedger);
        child<QPushButton>(window, "Command8")->click();
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), u"1002"_s);

        DialogDriver driver([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"双击选择科目  "_s);
            auto* tree = child<QTreeWidget>(dialog, "TreeView1");
            emit tree->itemDoubleClicked(tree->topLevelItem(2), 0);
        });
        child<QPushButton>(window, "Command12")->click();
        QCOMPARE(driver.opened, QStringList{u"Form4"_s});
        QCOMPARE(child<QLineEdit>(window, "Text2")->text() + child<QLineEdit>(window, "Text6")->text(), u"1012其他货币资金"_s);

        auto previousCheck = setPrinterCheck([] { return false; });
        QCOMPARE(press(window, "Command13", recorder), u"你电脑上没有安装打印机!! "_s);
        setPrinterCheck([] { return true; });
        child<QRadioButton>(window, "Option4")->setChecked(true);
        child<QLineEdit>(window, "Text2")->setText(u"6602"_s);
        QCOMPARE(press(window, "Command7", recorder), u"没有明细或者明细超过250个,不能生成多栏式"_s);
        QCOMPARE(window.view(), LedgerView::MultiColumnLedger);
        QCOMPARE(press(window, "Command13", recorder), u"多栏帐还没有完成,不能直接打印"_s);
        QCOMPARE(window.view(), LedgerView::None);
        QCOMPARE(press(window, "Command13", recorder), u"请先[查询]"_s);
        QCOMPARE(press(window, "Command11", recorder), u"请先查询数据"_s);
        setPrinterCheck(previousCheck);

        QStringList opened;
        auto previousOpener = setSpreadsheetOpener([&opened](const QString& path) {
            opened << path;
            return true;
        });
        setExportFolder(program.path());
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        child<QPushButton>(window, "Command3")->click();
        recorder.answers.enqueue(MessageAnswer::Yes);
        QCOMPARE(press(window, "Command4", recorder), u"是否导出到EXCEL工作表？"_s);
        QVERIFY(opened.size() == 1 && window.view() == LedgerView::AmountBalance);
        setSpreadsheetOpener(previousOpener);
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"

#include "support/common.h"
#include "support/books_test.h"
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
#include "support/xlsx_reader.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

// The opening 5,000.00 of cash and `count` payments of 10.10 in March.
void cashLines(int count)
{
    addLines(u"8000000001 1001 5000 -"_s);
    for (int line = 1; line <= count; ++line)
        addLine(u"803%1001"_s.arg(line, 4, 10, QLatin1Char('0')), u"1001"_s, QVariant(), 10.1);
}

void books()
{
    addLines(u"8000000001 1001 1234.5 -|8000000002 4001 - 1234.5|8030001001 6602 100 -|8030001002 1001 - 100"_s);
}

}  // namespace

class TestReports : public WindowTest {
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
        BooksTest::init();
        loginState() = LoginState{kYear, u"管理员"_s, QString(), QString()};
        m_report = std::make_unique<ReportCapture>();
    }
    void cleanup() { m_report.reset(); BooksTest::cleanup(); }

    void threeColumnReportPagesTheLedger()
    {
        cashLines(36);
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        LedgerOutput output{LedgerView::DetailLedger, u"1001"_s, u"库存现金"_s, QString(), u"库存现金"_s, u"全部"_s, u"1.5"_s};
        setPrinterOrientation(Portrait);
        outputLedgerReport(output, true);
        QVERIFY(m_report->calls == 1 && m_report->preview);
        QCOMPARE(layout(), u"三栏帐|851|横|库存现金  明细帐|会计期间:  2016年1月至12月|科目名称: 1001 库存现金"_s);
        // 36 entries, month total, year to date, opening and carry-forward: 40 lines on 3 pages.
        const QVector<ReportPage> pages = paginateReport(m_report->layout, m_report->rows, 11906);
        QCOMPARE(QList<qsizetype>({pages.size(), pages[0].rows.size(), pages[1].rows.size(), pages.last().rows.size()}),
                 QList<qsizetype>({3, 19, 20, 19}));
        QCOMPARE(reportFieldText(m_report->rows.value(2, u"余额"_s), u"#,##0.00"_s), u"4,979.80"_s);

        const QString pdf = qEnvironmentVariableIsSet("QM505_REPORT_PDF") ? qEnvironmentVariable("QM505_REPORT_PDF")
                                                                          : programFolder() + u"/ledger.pdf"_s;
        const QStringList printed = m_report->printedPages(pdf);
        QVERIFY(printed.size() == 3 && pdfPageSize(pdf) == u"842 x 595 pts (A4)"_s);
        QCOMPARE(pdfLinesWith(printed[1], u"承 前 页"_s) + pdfLinesWith(printed[1], u"过 次 页"_s),
                 (QStringList{u"承前页 4,828.30"_s, u"过次页 4,646.50"_s}));
        QVERIFY(pdfLinesWith(printed[2], u"2016年1月至12月"_s).size() == 1 && pdfLinesWith(printed[2], u"3/3"_s).size() == 1);

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
            QCOMPARE(layout().section(u'|', 1, 3) + u'|' + QString::number(printerOrientation() == Landscape), u"1100|横|总 分 类 帐|1"_s);
        }

        // No account, no report.
        output.code.clear();
        outputLedgerReport(output, false);
        QCOMPARE(m_report->calls, 3);
    }

    void balanceAndSummaryReports()
    {
        cashLines(2);
        execute(u"INSERT INTO 分2016 (ID, 月, 代码, 借方金额) VALUES ('8030009001', 3, '6602', 20)"_s);
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"1"_s));
        LedgerOutput output{LedgerView::AmountBalance, QString(), QString(), QString(), QString(), u"3"_s, u"1"_s};
        outputLedgerReport(output, false);
        QCOMPARE(layout().section(u'|', 0, 2) + u'|' + m_report->layout.pageHeader.texts.at(3).text, u"科目余额表|567|横|会计期间:2016年3月"_s);
        QVERIFY(m_report->rows.count() == 3 && m_report->rows.value(2, u"科目名称"_s).toString() == u"合  计"_s);

        QVERIFY(!buildAccountSummary(kYear, u"3"_s));
        output.view = LedgerView::AccountSummary;
        outputLedgerReport(output, true);
        QCOMPARE(layout().section(u'|', 0, 0) + layout().section(u'|', 2, 2), u"凭证汇总表竖"_s);
        QVERIFY(m_report->layout.topMargin == 1440 && m_report->rows.value(m_report->rows.count() - 1, 0).toString() == u"8"_s);
        // One flowing page when the rows fit.
        QCOMPARE(paginateReport(m_report->layout, m_report->rows, 16838).size(), 1);
    }

    // A page whose last line is a month total carries the quantity and balance in effect there.
    void carriedLinesKeepTheBalance()
    {
        cashLines(16);  // opening, 16 lines, the month total as the 18th line
        execute(u"UPDATE 分2016 SET 数量=1"_s);
        buildQuantityLedger(kYear, u"1001"_s, u"借"_s);
        outputLedgerReport({LedgerView::QuantityLedger, u"1001"_s, u"库存现金"_s, u"元"_s, u"库存现金"_s, u"全部"_s, u"1"_s}, true);
        const QStringList printed = m_report->printedPages(programFolder() + u"/carried.pdf"_s);
        QVERIFY(printed.size() == 2 && pdfLinesWith(printed[1], u"2/2"_s).size() == 1);
        QCOMPARE(pdfLinesWith(printed[0], u"过 次 页"_s) + pdfLinesWith(printed[1], u"承 前 页"_s),
                 (QStringList{u"过次页 -15 4,838.40"_s, u"承前页 -15 4,838.40"_s}));
    }

    // Without a printer the preview still opens, landscape on A4, and prints to a PDF file; a
    // modal window that asks for it owns it, so it is not blocked.
    void previewWithoutAPrinter()
    {
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
        QVERIFY(preview && preview->isVisible() && preview->windowTitle() == u"三栏帐"_s);
        QVERIFY(preview->printer()->outputFormat() == QPrinter::PdfFormat && preview->printer()->pageLayout().pageSize().id() == QPageSize::A4
                && preview->printer()->pageLayout().orientation() == QPageLayout::Landscape);
        preview->close();
        owner.close();
        setPrinterCheck(previousCheck);
    }


    void viewsAndTheirLines()
    {
        books();
        QueryCentreWindow window;
        QCOMPARE(window.windowTitle(), u"QM505财务---综合查询"_s);
        auto* grid = child<QTableView>(window, "MSH1");
        auto* result = child<QLabel>(window, "Label3");

        click(window, "Command1");
        QVERIFY(window.view() == LedgerView::Journal && grid->model()->rowCount() == 4);
        QCOMPARE(QStringList({result->text(), grid->model()->headerData(0, Qt::Horizontal).toString(), cellText(grid, 0, 9), cellText(grid, 2, 2),
                              cellText(grid, 3, 0)}),
                 (QStringList{u"全部 月份分录明细      共4条记录"_s, u"序号"_s, u"1,234.50"_s, u"2016-03-10"_s, u"4"_s}));
        QCOMPARE(QList<int>({cellAlignment(grid, 0, 9), cellAlignment(grid, 0, 0), cellAlignment(grid, 0, 5)}),
                 QList<int>({Qt::AlignRight | Qt::AlignVCenter, Qt::AlignCenter, 0}));
        QVERIFY(grid->model()->index(0, 5).data(Qt::BackgroundRole).value<QColor>() == stripeColour(1)
                && grid->model()->index(1, 5).data(Qt::BackgroundRole).value<QColor>() == stripeColour(2));
        QCOMPARE(grid->columnWidth(9), twipsToPixels(1300));

        // An empty code leaves the grid as it was.
        click(window, "Command14");
        QCOMPARE(grid->model()->rowCount(), 4);

        QCOMPARE(press(window, "Command2", recorder), u"请选择月份"_s);
        QVERIFY(window.view() == LedgerView::AccountSummary);
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        click(window, "Command2");
        QCOMPARE(result->text(), u"3 月份科目汇总表      共3条记录"_s);

        click(window, "Command3");
        QVERIFY(window.view() == LedgerView::AmountBalance && grid->isColumnHidden(4) && !grid->isColumnHidden(5));
        QCOMPARE(result->text(), u"3 月份金额式余额表      共4条记录"_s);
        click(window, "Command5");
        QVERIFY(!grid->isColumnHidden(4) && result->text() == u"3 月份数量式余额      共4条记录"_s);

        QCOMPARE(press(window, "Command7", recorder), u"请选择帐簿格式"_s);
        fill(window, {{"Text2", u"1001"_s}});
        QCOMPARE(boxTexts(window, {"Text3", "Text4"}), u"库存现金|借"_s);
        child<QRadioButton>(window, "Option1")->setChecked(true);
        click(window, "Command7");
        QVERIFY(window.view() == LedgerView::DetailLedger && grid->isColumnHidden(1));
        QCOMPARE(result->text() + u'|' + cellText(grid, 1, 9), u"三栏式  明细帐   共5条记录|1,134.50"_s);

        // A code that is not in the chart empties the full name only.
        fill(window, {{"Text2", u"1001999"_s}});
        QCOMPARE(boxTexts(window, {"Text3", "Text4"}), u"|借"_s);
    }

    void steppingPickingAndOutput()
    {
        books();
        QueryCentreWindow window;
        QCOMPARE(press(window, "Command9", recorder), u"没有了"_s);
        child<QRadioButton>(window, "Option2")->setChecked(true);
        click(window, "Command8");
        QVERIFY(boxTexts(window, {"Text2"}) == u"1001"_s && window.view() == LedgerView::GeneralLedger);
        click(window, "Command8");
        QCOMPARE(boxTexts(window, {"Text2"}), u"1002"_s);

        DialogDriver driver([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"双击选择科目  "_s);
            auto* tree = child<QTreeWidget>(dialog, "TreeView1");
            emit tree->itemDoubleClicked(tree->topLevelItem(2), 0);
        });
        click(window, "Command12");
        QCOMPARE(driver.opened.join(u'|') + u'|' + boxTexts(window, {"Text2", "Text6"}), u"Form4|1012|其他货币资金"_s);

        m_report->printer = false;
        QCOMPARE(press(window, "Command13", recorder), u"你电脑上没有安装打印机!! "_s);
        m_report->printer = true;
        child<QRadioButton>(window, "Option4")->setChecked(true);
        fill(window, {{"Text2", u"6602"_s}});
        QCOMPARE(press(window, "Command7", recorder), u"没有明细或者明细超过250个,不能生成多栏式"_s);
        QVERIFY(window.view() == LedgerView::MultiColumnLedger);
        QCOMPARE(press(window, "Command13", recorder), u"多栏帐还没有完成,不能直接打印"_s);
        QVERIFY(window.view() == LedgerView::None);
        QCOMPARE(QStringList({press(window, "Command13", recorder), press(window, "Command11", recorder)}),
                 (QStringList{u"请先[查询]"_s, u"请先查询数据"_s}));

        OpenedWorkbooks workbooks(programFolder());
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        click(window, "Command3");
        recorder.answers.enqueue(MessageAnswer::Yes);
        QCOMPARE(press(window, "Command4", recorder), u"是否导出到EXCEL工作表？"_s);
        QVERIFY(workbooks.paths.size() == 1 && window.view() == LedgerView::AmountBalance);
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"

#include "support/common.h"
#include "data/printer.h"
#include "data/result_grid.h"
#include "data/spreadsheet.h"
#include "data/spreadsheet_export.h"
#include "data/table_workbook.h"
#include "data/window_helpers.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/ledger_output.h"
#include "ledgers/ledger_pages.h"
#include "ledgers/ledger_workbook.h"
#include "ledgers/query_centre_window.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "report/report.h"
#include "statements/voucher_print.h"
#include "statements/voucher_print_window.h"
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

// Lines of balance 100, 200, …; the line at `monthTotalAt` is a month total, with no balance.
void threeColumnLedger(int lines, int emptySummaryAt = 0, int monthTotalAt = 0)
{
    execute(u"DELETE FROM 三总式"_s);
    for (int line = 1; line <= lines; ++line) {
        const bool total = line == monthTotalAt;
        execute(u"INSERT INTO 三总式 (ID, 日期, 摘要说明, 借方金额, 方向, 余额) VALUES (?, '2016-03-01', ?, 1, ?, ?)"_s,
                {u"8030001%1"_s.arg(line, 3, 10, QLatin1Char('0')),
                 line == emptySummaryAt ? QString() : total ? u" 本月合计"_s : u"第%1行"_s.arg(line),
                 total ? QVariant() : QVariant(u"借"_s), total ? QVariant() : QVariant(line * 100)});
    }
}

LedgerPagesSheet laidOut()
{
    return layOutLedgerPages(LedgerPagesKind::ThreeColumn, openRecordset(u"SELECT * FROM 三总式 ORDER BY ID"_s));
}

// The three-column ledger written to `path` under the headings of `name`, `code`, read back.
Sheet written(const QString& path, const QString& name, const QString& code = u"1001"_s)
{
    writeLedgerPagesWorkbook(path, LedgerPagesKind::ThreeColumn, laidOut(),
                             {name + u"   明细帐"_s, u"科目名称:%1 %2"_s.arg(code, name), u"2016"_s});
    return readFirstSheet(path);
}

// A ledger of `lines` lines for the page cutter: each has a summary, a direction and a balance
// but the line `totalAt` (a month total: neither), the line `quantityOnlyAt` (a quantity and
// nothing else) and the line `noSummaryAt` (no summary); lines counted from 1.
RecordSet cutterLedger(int lines, int totalAt = 0, int quantityOnlyAt = 0, int noSummaryAt = 0)
{
    RecordSet ledger(QStringList{u"摘要说明"_s, u"方向"_s, u"余额"_s, u"余数"_s});
    for (int line = 1; line <= lines; ++line) {
        const bool bare = line == totalAt || line == quantityOnlyAt;
        const QByteArray summary = line == noSummaryAt ? QByteArray() : QByteArray("行");
        if (summary.isEmpty())
            ledger.appendNull();
        else
            ledger.appendText(summary.constData(), int(summary.size()));
        if (bare) {
            ledger.appendNull();
            ledger.appendNull();
        } else {
            ledger.appendText("贷", int(qstrlen("贷")));
            ledger.appendReal(line * 0.125);
        }
        if (line == quantityOnlyAt)
            ledger.appendReal(line);
        else
            ledger.appendNull();
        ledger.endRow();
    }
    return ledger;
}

// The cut in short: runs of ledger lines "a-b", "过n@p" for a carried-forward line on page p
// repeating the balance of line n (0: none), "承@p" for a brought-forward line, "Fk" for k fillers.
QString describedCut(const QVector<LedgerPageLine>& cut)
{
    QStringList parts;
    int first = -1;
    int previous = -1;
    int fillers = 0;
    const auto closeRun = [&] {
        if (first >= 0)
            parts << u"%1-%2"_s.arg(first + 1).arg(previous + 1);
        first = -1;
    };
    for (const LedgerPageLine& entry : cut) {
        switch (entry.kind) {
        case LedgerPageLine::Line:
            if (first < 0 || entry.line != previous + 1) {
                closeRun();
                first = entry.line;
            }
            previous = entry.line;
            break;
        case LedgerPageLine::CarriedForward:
            closeRun();
            parts << u"过%1@%2"_s.arg(entry.balanceLine + 1).arg(entry.page);
            break;
        case LedgerPageLine::BroughtForward: parts << u"承@%1"_s.arg(entry.page); break;
        case LedgerPageLine::Filler: ++fillers; break;
        }
    }
    closeRun();
    if (fillers > 0)
        parts << u"F%1"_s.arg(fillers);
    return parts.join(u' ');
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

        const QString pdf = programFolder() + u"/ledger.pdf"_s;
        const QStringList printed = m_report->printedPages(pdf);
        QVERIFY(printed.size() == 3 && pdfPageSize(pdf) == u"842 x 595 pts (A4)"_s);
        QCOMPARE(pdfLinesWith(printed[1], u"承 前 页"_s) + pdfLinesWith(printed[1], u"过 次 页"_s), (QStringList{u"承前页 4,828.30"_s, u"过次页 4,646.50"_s}));
        QVERIFY(pdfLinesWith(printed[2], u"2016年1月至12月"_s).size() == 1 && pdfLinesWith(printed[2], u"3/3"_s).size() == 1);
        // The print date is today's.
        QCOMPARE(pdfLinesWith(printed[0], u"打印日期"_s).value(0).section(u' ', -1),
                 QDate::currentDate().toString(u"yyyy-MM-dd"_s));

        // The general ledger prints its own title; an empty or non-numeric margin keeps the
        // layout's margin, never its landscape paper.
        output.view = LedgerView::GeneralLedger;
        buildGeneralLedger(kYear, u"1001"_s, u"借"_s);
        for (const QString& margin : {u"abc"_s, QString()}) {
            output.leftMarginCm = margin;
            setPrinterOrientation(Portrait);
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
    void carriedLinesAndPreviewWithoutAPrinter()
    {
        cashLines(16);  // opening, 16 lines, the month total as the 18th line
        execute(u"UPDATE 分2016 SET 数量=1"_s);
        buildQuantityLedger(kYear, u"1001"_s, u"借"_s);
        outputLedgerReport({LedgerView::QuantityLedger, u"1001"_s, u"库存现金"_s, u"元"_s, u"库存现金"_s, u"全部"_s, u"1"_s}, true);
        const QStringList printed = m_report->printedPages(programFolder() + u"/carried.pdf"_s);
        QVERIFY(printed.size() == 2 && pdfLinesWith(printed[1], u"2/2"_s).size() == 1);
        QCOMPARE(pdfLinesWith(printed[0], u"过 次 页"_s) + pdfLinesWith(printed[1], u"承 前 页"_s),
                 (QStringList{u"过次页 -15 4,838.40"_s, u"承前页 -15 4,838.40"_s}));

        // Without a printer the preview still opens, landscape on A4, and prints to a PDF file; a
        // modal window that asks for it owns it, so it is not blocked.
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
                              cellText(grid, 3, 0)}), (QStringList{u"全部 月份分录明细      共4条记录"_s, u"序号"_s, u"1,234.50"_s, u"2016-03-10"_s, u"4"_s}));
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

        // 查询 empties the three-column tables even when it then asks for a format.
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        buildLedgerPages(PagedLedger::ThreeColumn);
        QCOMPARE(press(window, "Command7", recorder), u"请选择帐簿格式"_s);
        QCOMPARE(scalar(u"SELECT (SELECT count(*) FROM 三总式) + (SELECT count(*) FROM 三栏帐页)"_s).toInt(), 0);
        fill(window, {{"Text2", u"1001"_s}});
        QCOMPARE(boxTexts(window, {"Text3", "Text4"}), u"库存现金|借"_s);
        child<QRadioButton>(window, "Option1")->setChecked(true);
        click(window, "Command7");
        QVERIFY(window.view() == LedgerView::DetailLedger && grid->isColumnHidden(1));
        QCOMPARE(result->text() + u'|' + cellText(grid, 1, 9), u"三栏式  明细帐   共5条记录|1,134.50"_s);

        // A code committed in full-width by an input method is the digits it shows.
        QInputMethodEvent composed;
        composed.setCommitString(u"１００１"_s);
        child<QLineEdit>(window, "Text2")->clear();
        QApplication::sendEvent(child<QLineEdit>(window, "Text2"), &composed);
        QCOMPARE(boxTexts(window, {"Text2", "Text3"}), u"1001|库存现金"_s);

        // A code that is not in the chart empties the full name only.
        fill(window, {{"Text2", u"1001999"_s}});
        QCOMPARE(boxTexts(window, {"Text3", "Text4"}), u"|借"_s);
    }

    // Each ledger view shows its work table as it stands, cell for cell: texts formatted by the
    // column's format, alignment and stripes, whether the rows were read back or handed over by
    // the builder; a row scrolled to is formatted when it is shown.
    void gridsShowTheirTables()
    {
        addAccount(u"2202001"_s, u"甲公司"_s, u"应付账款/甲公司"_s, u"贷"_s, false);
        addAccount(u"2202001001"_s, u"一部"_s, u"应付账款/甲公司/一部"_s, u"贷"_s);
        addAccount(u"2202002"_s, u"乙公司"_s, u"应付账款/乙公司"_s, u"贷"_s);
        addLines(u"8000000001 2202001001 - 500.125|8010001001 2202001001 0.1 -|8010001002 2202002 0.2 - 0.125|"
                 "8030001001 2202001001 1000 -|8030001002 2202002 - 0.125"_s);
        for (int line = 1; line <= 60; ++line)
            addLine(u"805%1001"_s.arg(line, 4, 10, QLatin1Char('0')), u"2202002"_s, QVariant(), 1.5);
        QueryCentreWindow window;
        window.resize(900, 400);
        window.show();
        auto* grid = child<QTableView>(window, "MSH1");
        using F = CellFormat;
        const std::vector<F> journal{F::None, F::None, F::Date, F::None, F::None, F::None, F::None, F::None, F::Quantity,
                                     F::Amount, F::Amount, F::None, F::Amount};
        const std::vector<F> ledger{F::None, F::None, F::Date, F::None, F::None, F::None, F::Amount, F::Amount, F::None, F::Amount};
        const auto sameAsTable = [grid](const QString& statement, std::vector<F> formats) {
            const RecordSet rows = openRecordset(statement);
            std::vector<GridColumn> layout;
            for (const F format : formats)
                layout.push_back({500, format});
            ResultGridModel table(rows, layout, formats.size() == 10 ? F::Amount : F::None, nullptr);
            const QAbstractItemModel* shown = grid->model();
            QCOMPARE(shown->rowCount(), table.rowCount());
            QCOMPARE(shown->columnCount(), table.columnCount());
            for (int column = 0; column < table.columnCount(); ++column)
                QCOMPARE(shown->headerData(column, Qt::Horizontal), table.headerData(column, Qt::Horizontal));
            for (int row = 0; row < table.rowCount(); ++row) {
                for (int column = 0; column < table.columnCount(); ++column) {
                    for (const int role : {int(Qt::DisplayRole), int(Qt::TextAlignmentRole), int(Qt::BackgroundRole)})
                        QCOMPARE(shown->index(row, column).data(role), table.index(row, column).data(role));
                }
            }
        };
        const auto query = [&window](const QString& code, const char* format) {
            fill(window, {{"Text2", code}});
            child<QRadioButton>(window, format)->setChecked(true);
            click(window, "Command7");
        };

        query(u"2202001001"_s, "Option1");
        sameAsTable(u"SELECT * FROM 三总式 ORDER BY 1, 4"_s, ledger);
        // The opening credit of 500.125 less 0.1 and 1,000.00 of debits: a negative balance.
        QCOMPARE(QStringList({cellText(grid, 0, 9), cellText(grid, 1, 2), cellText(grid, 1, 9), cellText(grid, 4, 9)}),
                 (QStringList{u"500.13"_s, u"2016-01-10"_s, u"500.03"_s, u"-499.98"_s}));
        query(u"2202"_s, "Option2");
        sameAsTable(u"SELECT * FROM 三总式 ORDER BY 1, 4"_s, ledger);
        query(u"2202"_s, "Option4");
        sameAsTable(u"SELECT * FROM 多栏式 ORDER BY 1, 5"_s,
                    {F::None, F::None, F::Date, F::None, F::None, F::None, F::Amount, F::Amount, F::Amount, F::Amount});
        // A credit parent shows the credit side: 0.125 to the cent, half up.
        QCOMPARE(grid->model()->headerData(10, Qt::Horizontal).toString() + u'|' + cellText(grid, 7, 10) + u'|' + cellText(grid, 1, 11)
                     + u'|' + cellText(grid, 0, 8),
                 u"乙公司|0.13||贷"_s);

        child<QComboBox>(window, "Combo1")->setCurrentText(u"全部"_s);
        click(window, "Command1");
        sameAsTable(u"SELECT 月, 日期, 字号, 号码, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 流代, 流金, 制单, 审核, 附件, 结帐, ID "
                    "FROM 分录始表 ORDER BY ID"_s,
                    journal);
        QCOMPARE(cellText(grid, 2, 8), u"0.125"_s);
        fill(window, {{"Text2", u"2202002"_s}});
        click(window, "Command14");
        sameAsTable(u"SELECT 月, 日期, 字号, 号码, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 流代, 流金, 制单, 审核, 附件, 结帐, ID "
                    "FROM 分录始表 ORDER BY ID"_s,
                    journal);
        // The last row, scrolled to, shows as any other.
        grid->scrollToBottom();
        QCoreApplication::processEvents();
        const QModelIndex last = grid->indexAt(QPoint(grid->columnViewportPosition(10) + 2, grid->viewport()->height() - 3));
        QCOMPARE(QString::number(last.row()) + u'|' + last.data().toString() + u'|' + QString::number(last.data(Qt::TextAlignmentRole).toInt()),
                 u"61|1.50|%1"_s.arg(int(Qt::AlignRight | Qt::AlignVCenter)));
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
        QCOMPARE(QStringList({press(window, "Command13", recorder), press(window, "Command11", recorder)}), (QStringList{u"请先[查询]"_s, u"请先查询数据"_s}));

        OpenedWorkbooks workbooks(programFolder());
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        click(window, "Command3");
        recorder.answers.enqueue(MessageAnswer::Yes);
        QCOMPARE(press(window, "Command4", recorder), u"是否导出到EXCEL工作表？"_s);
        QVERIFY(workbooks.paths.size() == 1 && window.view() == LedgerView::AmountBalance);
    }

    // Each format names its ledger under the grid; stepping goes through every account in the
    // detail formats and through the level-1 accounts in the general one, from a level-2 code
    // too; the workbook of a general ledger is headed as one; a balance table of the whole year
    // or the opening is refused and leaves the count as it was.
    void queryFormatsStepsAndTitles()
    {
        books();
        addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        addLines(u"8030002001 1002001 50 -"_s);
        OpenedWorkbooks workbooks(programFolder());
        QueryCentreWindow window;
        auto* result = child<QLabel>(window, "Label3");
        const struct {
            const char* option;
            const char16_t* code;
            const char16_t* shown;
            const char16_t* title;  // of the workbook's pages; none for the formats without
        } formats[] = {
            {"Option1", u"1001", u"三栏式  明细帐   共5条记录", u"库存现金   明细帐"},
            {"Option2", u"1001", u"三栏式  总帐   共4条记录", u"库存现金   总分类帐"},
            {"Option3", u"1001", u"数量式  明细帐   共5条记录", u"库存现金   明细帐"},
            {"Option4", u"1002", u"多栏式  明细帐   共4条记录", nullptr},
            {"Option5", u"1601", u"固累式  明细帐   共1条记录", nullptr},
        };
        for (const auto& each : formats) {
            fill(window, {{"Text2", QString::fromUtf16(each.code)}});
            child<QRadioButton>(window, each.option)->setChecked(true);
            click(window, "Command7");
            QCOMPARE(result->text(), QString::fromUtf16(each.shown));
            if (!each.title)
                continue;
            click(window, "Command11");
            QVERIFY(
                readFirstSheet(workbooks.paths.last()).pageHeader.contains(QString::fromUtf16(each.title) + u"&\""_s));
        }
        fill(window, {{"Text2", u"1002"_s}});
        click(window, "Command14");
        QCOMPARE(result->text(), u"1002 开头的所有明细数据 共1条记录"_s);
        for (const char16_t* period : {u"全部", u"年初"}) {
            child<QComboBox>(window, "Combo1")->setCurrentText(QString::fromUtf16(period));
            QCOMPARE(press(window, "Command3", recorder) + u'|' + result->text(),
                     u"请选择月份和级数|1002 开头的所有明细数据 共1条记录"_s);
        }

        const struct {
            const char* option;
            const char16_t* from;
            const char* button;
            const char16_t* to;  // the code, and the name of its level-1 account
        } steps[] = {
            {"Option1", u"1002", "Command8", u"1002001|银行存款"},
            {"Option3", u"1002", "Command8", u"1002001|银行存款"},
            {"Option1", u"1012", "Command9", u"1002001|银行存款"},
            {"Option2", u"1002001", "Command9", u"1001|库存现金"},
            {"Option2", u"1002001", "Command8", u"1012|其他货币资金"},
        };
        for (const auto& step : steps) {
            fill(window, {{"Text2", QString::fromUtf16(step.from)}});
            child<QRadioButton>(window, step.option)->setChecked(true);
            click(window, step.button);
            QCOMPARE(QString::fromUtf16(step.from) + u'>' + boxTexts(window, {"Text2", "Text6"}),
                     QString::fromUtf16(step.from) + u'>' + QString::fromUtf16(step.to));
        }
    }

    // The query centre exports the columns of the view shown, headed by their names.
    void queryExportsTheViewShown()
    {
        books();
        OpenedWorkbooks workbooks(programFolder());
        QueryCentreWindow window;
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        const struct {
            const char* button;
            const char* option;  // the format 查询 builds
            const char16_t* code;
            const char16_t* columns;
        } views[] = {
            {"Command3", "Option1", u"1001",
             u"科目代码|科目名称|方向|期初金额|本期借金|本期贷金|累计借金|累计贷金|期末金额"},
            {"Command7", "Option2", u"1001", u"日期|字号|号码|摘要说明|借方金额|贷方金额|方向|余额"},
            {"Command7", "Option3", u"1001",
             u"日期|字号|号码|摘要说明|借数|借单|借金|贷数|贷单|贷金|方向|余数|余单|余额"},
            {"Command7", "Option5", u"1601",
             u"日期|字号|号码|摘要说明|借数|借方金额|贷数|贷方金额|折旧额|方向|余数|余额"},
        };
        QStringList headings;
        for (const QChar column : u"ABCDEFGHIJKLMNO"_s)
            headings << column + u"4"_s;
        for (const auto& each : views) {
            fill(window, {{"Text2", QString::fromUtf16(each.code)}});
            child<QRadioButton>(window, each.option)->setChecked(true);
            click(window, each.button);
            recorder.answers.enqueue(MessageAnswer::Yes);
            click(window, "Command4");
            QString shown = cellTexts(readFirstSheet(workbooks.paths.last()), headings);
            while (shown.endsWith(u'|'))
                shown.chop(1);
            QCOMPARE(shown, QString::fromUtf16(each.columns));
        }
    }

    // The mode box only mirrors the view shown: what is typed into it is never read back.
    void printFollowsTheViewShown()
    {
        books();
        QueryCentreWindow window;
        auto* mode = child<QLineEdit>(window, "Text1");
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        click(window, "Command3");
        const QString afterBalance = mode->text();
        click(window, "Command2");
        const QString afterSummary = mode->text();
        mode->setText(u"3"_s);
        click(window, "Command13");
        QCOMPARE(QStringList({afterBalance, afterSummary, layout().section(u'|', 0, 0), mode->text()}),
                 (QStringList{u"3"_s, u"2"_s, u"凭证汇总表"_s, QString()}));
        mode->setText(u"2"_s);
        QVERIFY(press(window, "Command13", recorder) == u"请先[查询]"_s && m_report->calls == 1 && window.view() == LedgerView::None);
    }

    void exportingARecordSet()
    {
        OpenedWorkbooks workbooks(programFolder() + u"/exports"_s);
        QStringList& opened = workbooks.paths;
        const QString statement = QStringLiteral("SELECT 代码, 名称, 1.5 AS 金额 FROM 现流 WHERE 代码 IN ('101','102') ORDER BY 代码");
        exportRecordsetToExcel(statement);
        QVERIFY(recorder.messages.isEmpty() && opened.size() == 1 && opened.first().startsWith(programFolder() + u"/exports/"_s));

        const Sheet sheet = readFirstSheet(opened.first());
        QCOMPARE(cellTexts(sheet, {u"A4"_s, u"B4"_s, u"C4"_s, u"A5"_s, u"B6"_s, u"C6"_s}), u"代码|名称|金额|101|收到的税费返还|1.5"_s);
        QVERIFY(sheet.cells.size() == 9 && spreadsheetTextWidth(u"a现金"_s) == 5);
        // Wide characters begin at U+2E80.
        QCOMPARE(spreadsheetTextWidth(QString(QChar(0x2E7F))) + 10 * spreadsheetTextWidth(QString(QChar(0x2E80))), 21);
        for (const QString& reference : sheet.cells.keys())
            QVERIFY2(sheet.borderedStyles.contains(sheet.cells.value(reference).style), qPrintable(reference));
        // The name column is as wide as its longest Chinese text, counted double.
        const double nameWidth = spreadsheetTextWidth(u"销售商品、提供劳务收到的现金"_s) + 2;
        QVERIFY(sheet.columnWidths.value(2) >= nameWidth && sheet.columnWidths.value(2) < nameWidth + 1);

        // A second export in the same second does not overwrite the first.
        exportRecordsetToExcel(statement);
        QVERIFY(opened.size() == 2 && opened[0] != opened[1] && QFile::exists(opened[0]));
        // A name already taken gets copy number 2.
        QFile taken(programFolder() + u"/exports/QM505_taken.xlsx"_s);
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.close();
        QCOMPARE(QFileInfo(unusedWorkbookPath(programFolder() + u"/exports"_s, u"QM505_taken"_s)).fileName(),
                 u"QM505_taken(2).xlsx"_s);

        // No program opens the workbook: the user learns where it was written.
        workbooks.openable = false;
        exportRecordsetToExcel(statement);
        QVERIFY(opened.size() == 3 && QFile::exists(opened[2]) && recorder.messages.size() == 1);
        QVERIFY(recorder.texts().last().endsWith(QDir::toNativeSeparators(opened[2])) && recorder.messages.last().title == u"QM505提示"_s);

        // An empty result writes nothing; a failing statement and a folder that cannot be written
        // to are explained.
        const QString folder = programFolder() + u"/empty"_s;
        setExportFolder(folder);
        exportRecordsetToExcel(u"SELECT * FROM 现流 WHERE 代码=?"_s, {u"999"_s});
        QVERIFY(recorder.texts().last() == u"没有记录!"_s && opened.size() == 3 && QDir(folder).entryList(QDir::Files).isEmpty());

        exportRecordsetToExcel(u"SELECT * FROM 没有的表"_s);
        const QStringList lines = recorder.texts().last().split(QLatin1Char('\n'));
        QVERIFY(lines.size() == 4 && lines[0].startsWith(u"     ErrNumber: "_s) && lines[1].startsWith(u"ErrDescription: "_s));
        QCOMPARE(lines.mid(2), (QStringList{u"        Module: ClsRs"_s, u"     Procedure: ExporToExcel"_s}));
        QFile blocker(programFolder() + u"/blocked"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        setExportFolder(blocker.fileName());
        exportRecordsetToExcel(u"SELECT * FROM 现流"_s);
        QVERIFY(recorder.texts().last().startsWith(u"     ErrNumber: "_s) && opened.size() == 3);
    }

    // Past Z the columns take two letters: Z the 26th, AA the 27th, AZ the 52nd, BA the 53rd. Each
    // column holds its number, so a column written under another letter shows.
    void exportedColumnsPastZ()
    {
        OpenedWorkbooks workbooks(programFolder() + u"/exports"_s);
        const struct {
            int columns;
            QStringList references;
            QString texts;  // of those cells
            QString dimension;
        } cases[] = {
            {26, {u"Y5"_s, u"Z4"_s, u"Z5"_s}, u"25|列26|26"_s, u"A4:Z5"_s},
            {27, {u"Z5"_s, u"AA4"_s, u"AA5"_s}, u"26|列27|27"_s, u"A4:AA5"_s},
            {53, {u"Z5"_s, u"AA5"_s, u"AZ4"_s, u"AZ5"_s, u"BA4"_s, u"BA5"_s}, u"26|27|列52|52|列53|53"_s, u"A4:BA5"_s},
        };
        QStringList expected, actual;
        for (const auto& each : cases) {
            QStringList fields;
            for (int column = 1; column <= each.columns; ++column)
                fields << u"%1 AS 列%1"_s.arg(column);
            exportRecordsetToExcel(u"SELECT "_s + fields.join(u", "_s));
            const QString path = workbooks.paths.value(workbooks.paths.size() - 1);
            const Sheet sheet = readFirstSheet(path);
            const QString sheetXml = QString::fromUtf8(zipEntry(path, "xl/worksheets/sheet1.xml"));
            expected << u"%1: %2 cells, %3, %4"_s.arg(each.columns).arg(2 * each.columns).arg(each.texts, each.dimension);
            actual << u"%1: %2 cells, %3, %4"_s.arg(each.columns).arg(sheet.cells.size())
                          .arg(cellTexts(sheet, each.references), sheetXml.section(u"<dimension ref=\""_s, 1).section(u'"', 0, 0));
        }
        QCOMPARE(actual, expected);
        QVERIFY(recorder.messages.isEmpty());
    }

    void exportedValuesReadBackExactly()
    {
        const QString path = programFolder() + u"/values.xlsx"_s;
        // 40,000 characters: more than a cell holds.
        writeRecordSetWorkbook(openRecordset(u"SELECT '&<>' || char(7) || '\"_x0041_' AS 摘要, '  前导空格' AS 名称, NULL AS 空, "
                                             "0.125 AS 金额, 0.1 + 0.2 AS 合计, '1002001' AS 代码, 1002001 AS 编号, "
                                             "replace(hex(zeroblob(20000)), '00', 'ab') AS 长"_s),
                               path);
        const Sheet sheet = readFirstSheet(path);
        QCOMPARE(cellTexts(sheet, {u"A4"_s, u"A5"_s, u"B5"_s, u"C5"_s, u"D5"_s, u"F5"_s, u"G5"_s}),
                 u"摘要|&<>_x0007_\"_x005F_x0041_|  前导空格||0.125|1002001|1002001"_s);
        QStringList types;
        for (const QString& reference : {u"A5"_s, u"B5"_s, u"C5"_s, u"D5"_s, u"E5"_s, u"F5"_s, u"G5"_s})
            types << sheet.cells.value(reference).type;
        QCOMPARE(types.join(u'|'), u"s|s||||s|"_s);
        QVERIFY(sheet.cells.value(u"E5"_s).text.toDouble() == 0.1 + 0.2 && sheet.cells.contains(u"C5"_s) && sheet.cells.size() == 16);
        for (const SheetCell& cell : sheet.cells)
            QVERIFY(sheet.borderedStyles.contains(cell.style));
        QVERIFY(zipEntry(path, "xl/sharedStrings.xml").contains(u"<t xml:space=\"preserve\">  前导空格</t>"_s.toUtf8()));
        QCOMPARE(sheet.cells.value(u"H5"_s).text.size(), 32767);
        // A line break is kept; a cut that would split a character pair stops before it; a tiny
        // real is written as %.16G writes it.
        writeRecordSetWorkbook(
            openRecordset(u"SELECT '第一行' || char(10) || '第二行' AS 摘要, ? AS 长, 0.0000125 AS 小"_s,
                          {u"a"_s.repeated(32766) + u"😀😀"_s}),
            path);
        const Sheet edges = readFirstSheet(path);
        QCOMPARE(edges.cells.value(u"A5"_s).text + u'|' + edges.cells.value(u"C5"_s).text,
                 u"第一行\n第二行|1.25E-05"_s);
        QCOMPARE(edges.cells.value(u"B5"_s).text, u"a"_s.repeated(32766));
        // Widths as spreadsheet programs store them: the text's width plus 2, in whole pixels.
        QCOMPARE((QList<double>{sheet.columnWidths.value(2), sheet.columnWidths.value(3), sheet.columnWidths.value(5),
                                sheet.columnWidths.value(8)}),
                 (QList<double>{12.7109375, 4.7109375, 21.7109375, 32769.7109375}));

        // Rows enough to be deflated in several pieces, joined in order into one sound entry.
        writeRecordSetWorkbook(openRecordset(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                             "SELECT i AS 号, '第' || i || '行' AS 名, i * 0.125 AS 金额, NULL AS 空, 'x' AS 标 FROM n"_s),
                               path);
        const Sheet rows = readFirstSheet(path);
        QVERIFY(rows.cells.size() == 3001 * 5 && rows.columnWidths.value(2) == 10.7109375);
        QCOMPARE(cellTexts(rows, {u"A1823"_s, u"B3004"_s, u"C3004"_s, u"E3004"_s}), u"1819|第3000行|375|x"_s);
    }

    // A caption too wide for its field is set smaller to fit, but never below two thirds of the
    // detail size.
    void wideCaptionShrinksToTwoThirdsAtMost()
    {
        ReportLayout layout;
        layout.pointSize = 12;
        layout.detail.height = 400;
        layout.fields = {ReportField{u"项目"_s, 0, 1500, Qt::AlignLeft | Qt::AlignVCenter, QString()}};
        const QString pdf = programFolder() + u"/captions.pdf"_s;
        writeReportPdf(pdf, layout,
                       openRecordset(u"SELECT '现金' AS 项目 UNION ALL SELECT '支付给职工以及为职工支付的现金'"_s));
        QMap<QString, double> heights;
        for (const PdfWord& word : pdfPageWords(pdf).value(0))
            heights.insert(word.text, word.box.height());
        const double ratio = heights.value(u"支付给职工以及为职工支付的现金"_s) / heights.value(u"现金"_s);
        QVERIFY2(ratio > 0.6 && ratio < 0.75, qPrintable(QString::number(ratio)));
    }

    // The rule at the foot of a detail line that grew moves down with the line, level along its
    // whole length: looking down from the top of the page near its left end, the first mark is
    // at the line's foot.
    void footRuleFollowsAGrownLine()
    {
        ReportLayout layout;
        layout.pointSize = 12;
        layout.detail.height = 400;
        layout.fields = {ReportField{u"摘要"_s, 3000, 1000, Qt::AlignLeft | Qt::AlignVCenter, QString(), true}};
        layout.detail.rules = {ReportRule{0, 400, 4000, 400}};
        const RecordSet rows = openRecordset(u"SELECT ? AS 摘要"_s, {u"很长的摘要"_s.repeated(12)});
        const int height = reportLineHeights(layout, rows, 16838).value(0);
        QVERIFY(height > 1000);
        const QString pdf = programFolder() + u"/rule.pdf"_s;
        writeReportPdf(pdf, layout, rows);
        // 144 dots an inch: a dot is 10 twips.
        popplerOutput(u"pdftoppm"_s,
                      {u"-r"_s, u"144"_s, u"-gray"_s, u"-png"_s, u"-singlefile"_s, pdf, programFolder() + u"/rule"_s});
        const QImage page(programFolder() + u"/rule.png"_s);
        const int x = (layout.leftMargin + 200) / 10;
        int mark = -1;
        for (int y = 0; y < page.height() && mark < 0; ++y)
            mark = qGray(page.pixel(x, y)) < 200 ? y : -1;
        QVERIFY2(qAbs(mark - (layout.topMargin + height) / 10) <= 1,
                 qPrintable(u"%1 %2"_s.arg(mark).arg((layout.topMargin + height) / 10)));
    }

    // A sheet takes 16,384 columns, XFD the last; one more is refused.
    void sheetOfTheWidestSize()
    {
        const QString path = programFolder() + u"/wide.xlsx"_s;
        QStringList results;
        for (int columns : {16384, 16385}) {
            QStringList names;
            for (int column = 1; column <= columns; ++column)
                names << u"列%1"_s.arg(column);
            TableWorkbook workbook(names);
            for (int column = 1; column <= columns; ++column)
                workbook.addInteger(column);
            try {
                workbook.save(path);
                results << cellTexts(readFirstSheet(path), {u"XFD4"_s, u"XFD5"_s});
            } catch (const SpreadsheetError&) {
                results << u"refused"_s;
            }
        }
        QCOMPARE(results.join(u' '), u"列16384|16384 refused"_s);
    }

    // A field shows its value by its format: amounts to the cent half away from zero, quantities
    // to three places, a real without a format to 15 digits; a grid right-aligns amounts,
    // quantities and whole numbers. A field finds its column whatever the case of its name.
    void fieldTextsByFormat()
    {
        const struct {
            QVariant value;
            const char* format;
            QString shown;
        } cases[] = {
            {-0.125, "#,##0.00", u"-0.13"_s},    {0.1 + 0.2, "0.000", u"0.300"_s},
            {1234567.125, "", u"1234567.125"_s}, {u"2016-03-10 00:00:00"_s, "yyyy-MM-dd", u"2016-03-10"_s},
            {QVariant(), "#,##0.00", QString()},
        };
        QStringList shown, expected;
        for (const auto& c : cases) {
            shown << reportFieldText(c.value, QString::fromLatin1(c.format));
            expected << c.shown;
        }
        QCOMPARE(shown, expected);

        const RecordSet rows = openRecordset(u"SELECT 3 AS Qty, 1.5 AS 数量, 2.5 AS 金额, '记' AS 字号"_s);
        QCOMPARE(rows.fieldIndex(u"QTY"_s) + rows.fieldIndex(u"qty"_s), 0);
        using F = CellFormat;
        const ResultGridModel grid(
            rows, {{500, F::None}, {500, F::Whole}, {500, F::Quantity}, {500, F::Amount}, {500, F::None}}, F::None,
            nullptr);
        QList<int> alignments;
        for (int column = 1; column <= 4; ++column)
            alignments << grid.index(0, column).data(Qt::TextAlignmentRole).toInt();
        const int right = Qt::AlignRight | Qt::AlignVCenter;
        QCOMPARE(alignments, (QList<int>{right, right, right, 0}));
    }

    // Red amounts keep their sign, integers and reals alike, and a summary keeps the blanks at
    // either end, in the query export, the ledger pages and (in its own test) the statements.
    void exportedSignsAndBlanks()
    {
        const QString path = programFolder() + u"/signs.xlsx"_s;
        writeRecordSetWorkbook(openRecordset(u"SELECT '冲红 ' AS 摘要, -12.5 AS 金额, -3 AS 张数, -(0.1 + 0.2) AS 合计, "
                                             "' 两端 ' AS 名称, -0.000125 AS 小"_s),
                               path);
        const Sheet sheet = readFirstSheet(path);
        QCOMPARE(cellTexts(sheet, {u"A5"_s, u"B5"_s, u"C5"_s, u"E5"_s, u"F5"_s}), u"冲红 |-12.5|-3| 两端 |-0.000125"_s);
        QVERIFY(sheet.cells.value(u"D5"_s).text.toDouble() == -(0.1 + 0.2));
        const QByteArray shared = zipEntry(path, "xl/sharedStrings.xml");
        QVERIFY(shared.contains(u"<t xml:space=\"preserve\">冲红 </t>"_s.toUtf8())
                && shared.contains(u"<t xml:space=\"preserve\"> 两端 </t>"_s.toUtf8()));

        // The ledger pages: a red debit line whose summary ends in a blank, balance 100 - 112.5.
        threeColumnLedger(2);
        execute(u"UPDATE 三总式 SET 摘要说明='红字冲回 ', 借方金额=-112.5, 方向='贷', 余额=-12.5 WHERE ID='8030001002'"_s);
        const Sheet pages = written(path, u"应付账款"_s, u"2202001001"_s);
        QCOMPARE(cellTexts(pages, {u"D4"_s, u"E4"_s, u"H4"_s, u"D3"_s, u"H3"_s}), u"红字冲回 |-112.5|-12.5|第1行|100"_s);
    }

    // The sheet's rows go to be deflated in batches of 16,384 cells: rows at each batch's edge and
    // the last land where they belong. Row r of the sheet holds the value of row r - 4 (the
    // headings are row 4), its negative and a text, so any row written one off shows.
    void exportBatchesKeepEveryRowInPlace()
    {
        const QString path = programFolder() + u"/batches.xlsx"_s;
        const struct {
            int columns;
            int rows;  // 16,383 rows and the headings fill one batch of one column exactly
        } cases[] = {{1, 16382}, {1, 16383}, {1, 16384}, {1, 20000}, {3, 40000}};
        for (const auto& each : cases) {
            const QString columns = each.columns == 1 ? u"i AS 号"_s : u"i AS 号, -i * 0.125 AS 金额, '行' || i || ' ' AS 摘要"_s;
            writeRecordSetWorkbook(openRecordset(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                                                 "SELECT %1 FROM n"_s.arg(columns),
                                                 {each.rows}),
                                   path);
            const Sheet sheet = readFirstSheet(path);
            QCOMPARE(sheet.cells.size(), qsizetype(each.columns) * (each.rows + 1));
            for (int i = 1; i <= each.rows; ++i) {
                const QString row = QString::number(i + 4);
                QString expected = QString::number(i);
                QString found = sheet.cells.value(u"A"_s + row).text;
                if (each.columns == 3) {
                    expected += u'|' + QString::number(-i * 0.125, 'g', QLocale::FloatingPointShortest) + u"|行%1 "_s.arg(i);
                    found += u'|' + sheet.cells.value(u"B"_s + row).text + u'|' + sheet.cells.value(u"C"_s + row).text;
                }
                if (found != expected)
                    QFAIL(qPrintable(u"%1 rows of %2: row %3 holds %4, not %5"_s.arg(each.rows).arg(each.columns).arg(row, found, expected)));
            }
        }
    }

    void workbookPages()
    {
        threeColumnLedger(22);
        LedgerPagesSheet sheet = laidOut();
        QVERIFY(sheet.rows.size() == 24 && sheet.pageBreaks.isEmpty());
        QCOMPARE(sheet.rows[0][0].toString() + sheet.rows[1][7].toString(), u"日期余额"_s);

        threeColumnLedger(23);
        sheet = laidOut();
        QVERIFY(sheet.rows.size() == 29 && sheet.pageBreaks == QVector<int>{25});

        // The line at row 25 has no summary: no break there.
        threeColumnLedger(30, 23);
        QVERIFY(laidOut().pageBreaks.isEmpty());

        threeColumnLedger(23);
        const QString path = programFolder() + u"/pages.xlsx"_s;
        // The page closes with its carried line; the next opens with the headings, the carried line and line 23.
        QCOMPARE(cellTexts(written(path, u"库存现金"_s), {u"D25"_s, u"H25"_s, u"A26"_s, u"D28"_s, u"H28"_s, u"D29"_s}),
                 u"过 次 页|2200|日期|承 前 页|2200|第23行"_s);
        const QByteArray xml = zipEntry(path, "xl/worksheets/sheet1.xml");
        QVERIFY(xml.contains("<brk id=\"25\"") && xml.contains("orientation=\"landscape\""));

        // The page's last line is a month total: the carried cells hold the balance above it.
        threeColumnLedger(23, 0, 22);
        QCOMPARE(cellTexts(written(path, u"库存现金"_s), {u"D24"_s, u"H25"_s, u"H28"_s}), u" 本月合计|2100|2100"_s);

        // Quantity pages carry the quantity and the amount.
        for (int line = 1; line <= 23; ++line)
            execute(u"INSERT INTO 数量式 (ID, 摘要说明, 余数, 余额) VALUES (?, 'x', ?, ?)"_s,
                    {u"8030001%1"_s.arg(line, 3, 10, QLatin1Char('0')), line == 22 ? QVariant() : QVariant(line), line * 7});
        const LedgerPagesSheet quantity =
            layOutLedgerPages(LedgerPagesKind::Quantity, openRecordset(u"SELECT * FROM 数量式 ORDER BY ID"_s));
        QCOMPARE(quantity.rows[0][4].toString() + quantity.rows[1][4].toString(), u"借    方借数"_s);
        QVERIFY(quantity.rows[24][11].isNull());
        QCOMPARE(quantity.rows[24][13].toString() + QLatin1Char('|') + quantity.rows[27][13].toString(), u"154|154"_s);
    }

    // Amounts are formatted in every column up to Z, the 26th, of a multi-column ledger of 18
    // sub-accounts; a quantity ledger's prices in three decimals, its amounts to the cent.
    void workbookColumnFormats()
    {
        for (int account = 1; account <= 18; ++account)
            addAccount(u"6602%1"_s.arg(account, 3, 10, QLatin1Char('0')),
                       u"费%1"_s.arg(account, 2, 10, QLatin1Char('0')), u"管理费用/费%1"_s.arg(account));
        addLines(u"8030001001 6602018 0.125 -|8030002001 1405 2.01 - 4"_s);
        QVERIFY(!buildMultiColumnRows(u"6602"_s, false));
        buildMultiColumnPivot(kYear, u"6602"_s, u"借"_s);
        buildQuantityLedger(kYear, u"1405"_s, u"借"_s);
        const QString path = programFolder() + u"/formats.xlsx"_s;
        const struct {
            LedgerPagesKind kind;
            QStringList cells;
            const char16_t* formats;  // and the cells' texts after a "|"
        } cases[] = {
            {LedgerPagesKind::MultiColumn, {u"E3"_s, u"Y3"_s, u"Z3"_s}, u"#,##0.00 #,##0.00 #,##0.00|0.13||0.13"},
            {LedgerPagesKind::Quantity,
             {u"E4"_s, u"F4"_s, u"G4"_s, u"M4"_s, u"N4"_s},
             u" 0.000 #,##0.00 0.000 #,##0.00|4|0.503|2.01|0.503|2.01"},
        };
        for (const auto& each : cases) {
            writeLedgerPagesWorkbook(path, each.kind,
                                     layOutLedgerPages(each.kind, openRecordset(ledgerPagesStatement(each.kind))),
                                     {u"明细帐"_s, QString(), u"2016"_s});
            const Sheet sheet = readFirstSheet(path);
            QStringList formats;
            for (const QString& cell : each.cells)
                formats << sheet.styleFormats.value(sheet.cells.value(cell).style);
            QCOMPARE(formats.join(u' ') + u'|' + cellTexts(sheet, each.cells), QString::fromUtf16(each.formats));
        }
    }

    // Each printed report on a page exactly as tall as its header, lines and footers need (worked
    // out by hand from the layout: top margin + page header + lines + group and report footers +
    // page footer + bottom margin) prints on one page; a twip less and the report footer moves to
    // a second page. A page whose lines alone fill it to the foot keeps every line.
    void pagesFilledExactly()
    {
        const auto captured = [this](LedgerView view, const QString& code) {
            outputLedgerReport({view, code, u"库存现金"_s, u"元"_s, u"库存现金"_s, u"3"_s, u"1"_s}, true);
            return std::pair{m_report->layout, m_report->rows};
        };
        // 13 payments in March: opening, 13 lines, month total, year to date and carry-forward
        // make 17 lines, filled to 19.
        cashLines(13);
        execute(u"UPDATE 分2016 SET 数量=1"_s);
        buildDetailLedger(kYear, u"1001"_s, u"借"_s);
        const auto threeColumn = captured(LedgerView::DetailLedger, u"1001"_s);
        buildQuantityLedger(kYear, u"1001"_s, u"借"_s);
        const auto quantity = captured(LedgerView::QuantityLedger, u"1001"_s);
        addLines(u"8000000002 1601 1000 - 2|8000000003 1602 - 100|8030001002 1602 - 50|8040001002 1601 500 - 1"_s);
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601"_s, u"借"_s));
        const auto fixedAsset = captured(LedgerView::FixedAssetLedger, u"1601"_s);
        // Level 1 of March: 1001, 1601, 1602 and the totals; the March summary: 1001, 1602, totals.
        QVERIFY(!buildBalanceTable(kYear, u"3"_s, u"1"_s));
        const auto balance = captured(LedgerView::AmountBalance, QString());
        QVERIFY(!buildAccountSummary(kYear, u"3"_s));
        const auto summary = captured(LedgerView::AccountSummary, QString());
        // A voucher of exactly six lines: one page, every line on it.
        execute(u"DELETE FROM 分2016 WHERE 月=3"_s);
        for (int line = 1; line <= 6; ++line)
            addLine(u"8030001%1"_s.arg(line, 3, 10, QLatin1Char('0')), line % 2 ? u"1001"_s : u"6001"_s, line % 2 ? QVariant(0.125) : QVariant(),
                    line % 2 ? QVariant() : QVariant(0.125));
        const VoucherPrint six = buildVoucherPrint(kYear, u"3"_s, u"1"_s);
        QCOMPARE(u"%1 %2 %3"_s.arg(six.pages).arg(columnText(six.lines, u"月"_s)).arg(six.debitTotal.toStored().toDouble()), u"1 1 1 1 1 1 1 0.38"_s);
        const ReportLayout voucher = voucherReportLayout(six, u"示范单位"_s);
        // Six lines whose names wrap far past a line: held to a sixth each of a room of 6000.
        execute(u"UPDATE 科目表 SET 科目全称=科目全称 || ? WHERE 科目代码 IN ('1001', '6001')"_s, {u"/北京市海淀区某某科技发展有限公司"_s.repeated(6)});
        const VoucherPrint tall = buildVoucherPrint(kYear, u"3"_s, u"1"_s);

        const struct {
            const char* report;
            ReportLayout layout;
            RecordSet rows;
            int height;   // the page that holds everything exactly
            int footers;  // the group and report footers under the lines
            bool held;    // lines held to the room the page has: a smaller page holds them too
        } cases[] = {
            {"三栏帐", threeColumn.first, threeColumn.second, 1000 + 1505 + 19 * 350 + 325 + 360 + 500, 325 + 360, false},
            {"数量帐", quantity.first, quantity.second, 1000 + 1860 + 19 * 355 + 315 + 360 + 500, 315 + 360, false},
            {"固累帐", fixedAsset.first, fixedAsset.second, 1000 + 2060 + 19 * 375 + 320 + 360 + 15 + 500, 320 + 360, false},
            {"科目余额表", balance.first, balance.second, 1000 + 1205 + 4 * 295 + 410 + 500, 410, false},
            {"凭证汇总表", summary.first, summary.second, 1440 + 1455 + 3 * 345 + 195 + 500, 195, false},
            {"凭证", voucher, six.lines, 1000 + 1470 + 6 * 430 + 740 + 225 + 500, 740 + 225, false},
            {"长科目凭证", voucher, tall.lines, 1000 + 1470 + 6000 + 740 + 225 + 500, 740 + 225, true},
        };
        for (const auto& each : cases) {
            const auto shape = [&each](int height) {
                QStringList pages;
                for (const ReportPage& page : paginateReport(each.layout, each.rows, height))
                    pages << QString::number(page.rows.size()) + (page.reportFooter ? u"+"_s : QString());
                return QString::fromUtf8(each.report) + u' ' + pages.join(u' ');
            };
            const QString all = QString::fromUtf8(each.report) + u' ' + QString::number(each.rows.count());
            QCOMPARE(shape(each.height), all + u'+');
            if (each.held) {
                QCOMPARE(reportLineHeights(each.layout, each.rows, each.height), QVector<int>(6, 1000));
                continue;
            }
            QCOMPARE(shape(each.height - 1), all + u" 0+"_s);
            QCOMPARE(shape(each.height - each.footers), all + u" 0+"_s);
        }
    }

    // Both outputs take their pages from one cutter: printed pages of 18 lines, workbook pages of
    // 22 and then 21; a page filled exactly closes without losing or adding a line.
    void cutterAtItsThresholds()
    {
        const struct {
            bool printed;
            RecordSet ledger;
            bool quantity;
            QString cut;
        } cases[] = {
            {true, cutterLedger(0), false, QString()},
            {true, cutterLedger(17), false, u"1-17 F2"_s},
            {true, cutterLedger(18), false, u"1-18 过18@1 承@2"_s},
            {true, cutterLedger(19), false, u"1-18 过18@1 承@2 19-19 F17"_s},
            {true, cutterLedger(36, 36), false, u"1-18 过18@1 承@2 19-36 过35@2 承@3"_s},
            // The page's last line is a month total: the balance above it is carried.
            {true, cutterLedger(20, 18), false, u"1-18 过17@1 承@2 19-20 F16"_s},
            // A quantity alone is a balance only where the ledger carries quantities.
            {true, cutterLedger(20, 0, 18), true, u"1-18 过18@1 承@2 19-20 F16"_s},
            {true, cutterLedger(20, 0, 18), false, u"1-18 过17@1 承@2 19-20 F16"_s},
            {false, cutterLedger(22), false, u"1-22"_s},
            {false, cutterLedger(23, 22), false, u"1-22 过21@1 承@2 23-23"_s},
            {false, cutterLedger(43), false, u"1-22 过22@1 承@2 23-43"_s},
            {false, cutterLedger(44), false, u"1-22 过22@1 承@2 23-43 过43@2 承@3 44-44"_s},
            // No page starts at a line without summary: the next chance is 25 rows on.
            {false, cutterLedger(60, 0, 0, 23), false, u"1-47 过47@1 承@2 48-60"_s},
        };
        for (const auto& each : cases) {
            const QVector<LedgerPageLine> cut = cutLedgerPages(each.ledger, each.printed ? kPrintedLedgerPaging : kWorkbookLedgerPaging,
                                                               each.quantity);
            QCOMPARE(describedCut(cut), each.cut);
        }
    }

    // A credit account at level 3 whose pages close on month totals, in the printed report and the
    // workbook; the quantity ledger carries its quantity in both; the fixed-asset report carries
    // the net value of a depreciation line.
    void carriedBalancesInPrintAndWorkbook()
    {
        OpenedWorkbooks workbooks(programFolder());
        // March: 0.1 + 0.2 out, fifteen times 0.125 in; April: 0.125 in twice.
        addLine(u"8000000001"_s, u"2202001001"_s, QVariant(), 1000);
        addLine(u"8030001001"_s, u"2202001001"_s, 0.1 + 0.2, QVariant());
        for (int voucher = 2; voucher <= 16; ++voucher)
            addLine(u"803%1001"_s.arg(voucher, 4, 10, QLatin1Char('0')), u"2202001001"_s, QVariant(), 0.125);
        addLines(u"8040001001 2202001001 - 0.125|8040002001 2202001001 - 0.125"_s);
        buildDetailLedger(kYear, u"2202001001"_s, u"贷"_s);
        LedgerOutput output{LedgerView::DetailLedger, u"2202001001"_s, u"应付账款/甲公司/一部"_s, QString(), u"应付账款"_s, u"全部"_s,
                            u"1"_s, true};
        outputLedgerReport(output, true);
        QCOMPARE(m_report->rows.count(), 24 + 2 + 12);
        const QStringList printed = m_report->printedPages(programFolder() + u"/credit.pdf"_s);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(pdfLinesWith(printed[0], u"过 次 页"_s) + pdfLinesWith(printed[1], u"承 前 页"_s),
                 (QStringList{u"过次页 1,001.58"_s, u"承前页 1,001.58"_s}));
        exportLedgerPages(output);
        Sheet sheet = readFirstSheet(workbooks.paths.last());
        QCOMPARE(cellTexts(sheet, {u"D24"_s, u"D25"_s, u"H25"_s, u"A26"_s, u"D28"_s, u"H28"_s, u"D29"_s, u"D30"_s, u"H30"_s, u"D31"_s}),
                 u" 本月合计|过 次 页|1001.83|日期|承 前 页|1001.83| 本年累计|结转下年|1001.83|"_s);

        addLines(u"8000000001 1405001001 100 - 10"_s);
        for (int voucher = 1; voucher <= 16; ++voucher)
            addLine(u"803%1001"_s.arg(voucher, 4, 10, QLatin1Char('0')), u"1405001001"_s, 0.125, QVariant(), 1);
        addLines(u"8040001001 1405001001 - 0.125 1"_s);
        addLine(u"8040002001"_s, u"1405001001"_s, QVariant(), 0.1 + 0.2, 2);
        buildQuantityLedger(kYear, u"1405001001"_s, u"借"_s);
        output = LedgerOutput{LedgerView::QuantityLedger, u"1405001001"_s, u"库存商品/甲类/一号"_s, u"件"_s, u"库存商品"_s, u"全部"_s, u"1"_s};
        outputLedgerReport(output, true);
        QCOMPARE(rowsAsText(u"SELECT 余数, 余额, 月 FROM 数量帐页 WHERE 顺序 IS NULL AND 摘要说明 IS NOT NULL ORDER BY ID"_s),
                 (QStringList{u"26 102 1"_s, u"26 102 2"_s}));
        const QStringList quantityPages = m_report->printedPages(programFolder() + u"/quantity.pdf"_s);
        QCOMPARE(quantityPages.size(), 2);
        QCOMPARE(pdfLinesWith(quantityPages[1], u"承 前 页"_s), QStringList{u"承前页 26 102.00"_s});
        exportLedgerPages(output);
        sheet = readFirstSheet(workbooks.paths.last());
        QCOMPARE(cellTexts(sheet, {u"D25"_s, u"L25"_s, u"N25"_s, u"D28"_s, u"L28"_s, u"N28"_s, u"D30"_s}),
                 u"过 次 页|23|101.58|承 前 页|23|101.58|结转下年"_s);
        // Each header: 借方, 贷方 and 余额 over their three columns, the others over both rows.
        for (const QString& range :
             {u"A1:A2"_s, u"D1:D2"_s, u"E1:G1"_s, u"H1:J1"_s, u"K1:K2"_s, u"L1:N1"_s, u"L26:N26"_s})
            QVERIFY2(sheet.merged.contains(range), qPrintable(range));

        addLines(u"8000000001 1601001 1000 - 2|8000000002 1602001 - 100"_s);
        for (int voucher = 1; voucher <= 17; ++voucher)
            addLine(u"803%1001"_s.arg(voucher, 4, 10, QLatin1Char('0')), u"1602001"_s, QVariant(), 0.125);
        QVERIFY(!buildFixedAssetLedger(kYear, u"1601001"_s, u"借"_s));
        output = LedgerOutput{LedgerView::FixedAssetLedger, u"1601001"_s, u"固定资产/设备"_s, u"台"_s, u"固定资产"_s, u"全部"_s, u"1"_s};
        outputLedgerReport(output, true);
        QCOMPARE(rowsAsText(u"SELECT 摘要说明, 余数, 余额, 月 FROM 固累帐页 WHERE 顺序 IS NULL AND 摘要说明 IS NOT NULL ORDER BY ID"_s),
                 (QStringList{u"  过 次 页 2 897.88 1"_s, u"  承 前 页 2 897.88 2"_s}));
        QCOMPARE(m_report->rows.count(), 21 + 2 + 15);
    }

    // Exported from the query centre's output; columns as wide as their texts; the page header
    // escapes "&" and stays within 255 characters however long the account's name.
    void exportsColumnWidthsAndPageHeader()
    {
        loginState().fiscalYear = 2016;
        OpenedWorkbooks workbooks(programFolder());
        LedgerOutput output{LedgerView::DetailLedger, u"1001"_s, u"库存现金"_s, QString(), u"库存现金"_s, u"全部"_s, u"1"_s, true};
        exportLedgerPages(output);
        QCOMPARE(recorder.texts(), QStringList{u"没有记录!"_s});
        threeColumnLedger(3);
        exportLedgerPages(output);
        QCOMPARE(workbooks.paths.size(), 1);
        output.view = LedgerView::MultiColumnLedger;
        execute(u"DROP TABLE IF EXISTS 多栏式"_s);
        exportLedgerPages(output);
        QVERIFY(recorder.texts().last().startsWith(u"     ErrNumber: "_s));

        // A parent with a single sub-account: one column under " 明细科目", nothing to merge.
        addAccount(u"1002001"_s, u"工商银行"_s, u"银行存款/工商银行"_s);
        addLine(u"8030001001"_s, u"1002001"_s, 5.0, QVariant());
        QVERIFY(!buildMultiColumnRows(u"1002"_s, false));
        buildMultiColumnPivot(2016, u"1002"_s, u"借"_s);
        const int messages = recorder.messages.size();
        output.fullName = u"银行存款"_s;
        exportLedgerPages(output);
        QVERIFY(recorder.messages.size() == messages && workbooks.paths.size() == 2);
        const Sheet pivot = readFirstSheet(workbooks.paths.last());
        QCOMPARE(cellTexts(pivot, {u"I1"_s, u"I2"_s, u"I3"_s}), u" 明细科目|工商银行|5"_s);
        QVERIFY(pivot.merged.contains(u"H1:H2"_s) && pivot.pageHeader.contains(u"银行存款   明细帐"_s));

        threeColumnLedger(3);
        execute(u"UPDATE 三总式 SET 摘要说明='收回前欠货款及利息共计三笔款项', 借方金额=1234567.125 WHERE ID='8030001002'"_s);
        const QString path = programFolder() + u"/pages.xlsx"_s;
        Sheet sheet = written(path, u"研发&设计"_s, u"5301001001"_s);
        // The file keeps a width with the spreadsheet's padding of under one character.
        const auto widthOf = [&sheet](int column) { return int(sheet.columnWidths.value(column)); };
        QCOMPARE(QList<int>({widthOf(4), widthOf(5), widthOf(1)}),
                 QList<int>({spreadsheetTextWidth(u"收回前欠货款及利息共计三笔款项"_s) + 2, int(u"1,234,567.13"_s.size()) + 2, 12}));
        QVERIFY(sheet.pageHeader.contains(u"科目名称:5301001001 研发&&设计&C"_s));
        QVERIFY(sheet.pageHeader.contains(u"研发&&设计   明细帐&\"宋体,常规\"\n&\"常规\"&10会计期间:2016年1-12月"_s));

        sheet = written(path, QString(300, QChar(0x8D26)));
        QVERIFY(sheet.pageHeader.size() <= 255 && sheet.pageHeader.contains(QChar(0x2026)) && sheet.pageHeader.contains(u"会计期间:2016年1-12月"_s));

        // A header of 255 characters stays whole, one more is cut short; a column is never wider than 60.
        execute(u"UPDATE 三总式 SET 摘要说明=? WHERE ID='8030001002'"_s, {QString(40, QChar(0x6B3E))});
        writeLedgerPagesWorkbook(path, LedgerPagesKind::ThreeColumn, laidOut(), {QString(), u"L"_s, u"2016"_s});
        const qsizetype room = 255 - readFirstSheet(path).pageHeader.size();
        for (const qsizetype title : {room, room + 1}) {
            writeLedgerPagesWorkbook(path, LedgerPagesKind::ThreeColumn, laidOut(),
                                     {QString(title, u'x'), u"L"_s, u"2016"_s});
            sheet = readFirstSheet(path);
            QCOMPARE(QString::number(sheet.pageHeader.size()) + u' ' + QString::number(sheet.pageHeader.count(u'x'))
                         + u' ' + QString::number(int(sheet.columnWidths.value(4))),
                     u"255 %1 60"_s.arg(title == room ? room : room - 1));
        }
    }

};

QTEST_MAIN(TestReports)
#include "test_reports.moc"

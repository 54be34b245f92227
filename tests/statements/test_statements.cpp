#include "support/common.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"
#include "statements/statement_reports.h"
#include "statements/statement_workbook.h"
#include "statements/statements.h"
#include "statements/statements_window.h"
#include "statements/voucher_print.h"
#include "statements/voucher_print_window.h"
#include "support/pdf_text.h"
#include "support/report_capture.h"
#include "support/widgets.h"
#include "support/xlsx_reader.h"
#include "vouchers/month_closing.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

// Voucher `number` of March with `lines` lines of 10.00 each, debit and credit alternating.
void voucher(int number, int lines)
{
    for (int line = 1; line <= lines; ++line)
        execute(u"INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 借方金额, 贷方金额) "
                               "VALUES (?, '2016-03-09', 3, '记', ?, '管理员', '会计', 2, '摘要', ?, ?, ?)"_s,
                {u"803%1%2"_s.arg(number, 4, 10, QLatin1Char('0')).arg(line, 3, 10, QLatin1Char('0')), number,
                 line % 2 ? u"1001"_s : u"1002"_s, line % 2 ? QVariant(10.0) : QVariant(),
                 line % 2 ? QVariant() : QVariant(10.0)});
}

// Opening balances, a sale, an expense and depreciation in March.
void books()
{
    addLines(u"8000000001 1001 1000 -|8000000002 1002 5000 -|8000000003 1601 3000 -|8000000004 1602 - 500|"
             "8000000005 4001 - 8500|8030001001 1002 1170 - - 101 1170|8030001002 6001 - 1000|8030001003 2221 - 170|"
             "8030002001 6602 200 -|8030002002 1001 - 200 - 107 200|8030003001 6602 50 -|8030003002 1602 - 50"_s);
}

// Two months closed and an open one, voucher numbers restarting each month. February: sales 400,
// cost 100. March: sales 1000, cost 300 (6401, the first expense code), income tax 0.1 + 0.2
// (6801, the last), 营业外收入 50 (6301, the last income code) and a red financial expense of
// -20 (6603). April, left open: sales 77, cost 33.
void closedMonthsBooks()
{
    addLines(u"8020001001 1002 400 -|8020001002 6001 - 400|8020002001 6401 100 -|8020002002 1405 - 100|"
             "8030001001 1002 1000 -|8030001002 6001 - 1000|8030002001 6401 300 -|8030002002 1405 - 300|"
             "8030003001 6801 0.1 -|8030003002 6801 0.2 -|8030003003 2221 - 0.3|8030004001 1001 50 -|8030004002 6301 - 50|"
             "8030005001 6603 -20 -|8030005002 1002 - -20|"
             "8040001001 1002 77 -|8040001002 6001 - 77|8040002001 6401 33 -|8040002002 1405 - 33"_s);
    for (int month : {2, 3})
        QVERIFY(closeMonth(QDate(kYear, month, 12), u"会计"_s, u"管理员"_s, kYear).carried);
}

// Cash at both ends of its range, 1001 and 1012, and a level-3 bank account; items across months.
// Opening cash 1001 300 and 1012 1000. February: item 101 receives 100. March: item 101 receives
// 50 and a red -20 (a return), a loan of 200 comes into 1012 (item 302), the level-3 bank account
// pays 0.1 + 0.2 (item 107). April: item 101 receives 999; December: 5 more.
void cashFlowBooks()
{
    addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s, u"借"_s, false);
    addAccount(u"1002001001"_s, u"基本户"_s, u"银行存款/工行/基本户"_s);
    addLines(u"8000000001 1001 300 -|8000000002 1012 1000 -|8000000003 1002001001 5 -|8000000004 4001 - 1305|"
             "8020001001 1001 100 - - 101 100|8020001002 6001 - 100|"
             "8030001001 1001 50 - - 101 50|8030001002 6001 - 50|8030002001 1012 200 - - 302 200|8030002002 2001 - 200|"
             "8030003001 6602 0.3 -|8030003002 1002001001 - 0.1 - 107 0.1|8030003003 1002001001 - 0.2 - 107 0.2|"
             "8030004001 1001 -20 - - 101 -20|8030004002 6001 - -20|"
             "8040001001 1001 999 - - 101 999|8040001002 6001 - 999|8120001001 1001 5 - - 101 5|8120001002 6001 - 5"_s);
}

// Opening: 1001 300, 1012 1000, 1122 500 less its credit-direction allowance 1231 50, capital
// 1750. February: goods 400 bought on account (2202, credit-direction, its level-3 leaf). March:
// 150 of it paid from 1012, goods of 40 returned in red (-40 on both sides), allowance raised by
// 0.1 + 0.2 (6701 not closed). April: 1000 more bought, 70 collected into 1001.
void balanceSheetBooks()
{
    addPayableLeaf();
    addLines(u"8000000001 1001 300 -|8000000002 1012 1000 -|8000000003 1122 500 -|8000000004 1231 - 50|8000000005 4001 - 1750|"
             "8020001001 1405 400 -|8020001002 2202001001 - 400|"
             "8030001001 2202001001 150 -|8030001002 1012 - 150|8030002001 1405 -40 -|8030002002 2202001001 - -40|"
             "8030003001 6701 0.3 -|8030003002 1231 - 0.1|8030003003 1231 - 0.2|"
             "8040001001 1405 1000 -|8040001002 2202001001 - 1000|8040002001 1001 70 -|8040002002 1122 - 70"_s);
}

// The listed columns of a statement's line as text, NULL as "-".
QString amounts(const QString& table, const QString& columns, const QString& lineColumn, int line)
{
    return rowsAsText(u"SELECT %1 FROM %2 WHERE %3=?"_s.arg(columns, table, lineColumn), {line}).join(QLatin1Char('|'));
}

// Column `column` of the report data at each code, as text.
QString dataAt(const QString& column, const QStringList& codes)
{
    const auto values = reportDataColumn(column);
    QStringList texts;
    for (const QString& code : codes)
        texts << (values.value(code).isNull() ? u"-"_s : values.value(code).toString());
    return texts.join(QLatin1Char(' '));
}

}  // namespace

class TestStatements : public WindowTest {
    Q_OBJECT

private:
    std::unique_ptr<ReportCapture> m_report;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir::tempPath() + u"/qm505-test-settings"_s);
    }

    void init()
    {
        BooksTest::init();
        loginState() = LoginState{kYear, u"管理员"_s, QString(), QString()};
        m_report = std::make_unique<ReportCapture>();
    }
    void cleanup() { m_report.reset(); BooksTest::cleanup(); }

    void voucherPrinting()
    {
        voucher(1, 7);
        voucher(2, 6);
        const VoucherPrint seven = buildVoucherPrint(kYear, u"3"_s, u"1"_s);
        QCOMPARE(u"%1 %2 %3 %4"_s.arg(seven.pages).arg(seven.lines.count()).arg(seven.debitTotal.toStored().toDouble()).arg(seven.creditTotal.toStored().toDouble()), u"2 12 40 30"_s);
        QCOMPARE(seven.lines.value(6, u"月"_s).toString() + u'|' + seven.lines.value(6, u"全称"_s).toString(), u"2|1001.库存现金"_s);
        QVERIFY(seven.lines.value(7, u"全称"_s).isNull() && checkVoucherPrintRequest(u"3"_s, QString())->text == u"月份或号码不能为空"_s);
        QCOMPARE(shown(checkVoucherPrintRequest(u" "_s, u"1"_s)) + u'|'
                     + shown(checkVoucherPrintRequest(u"3"_s, u"1"_s)),
                 u"QM505||月份或号码不能为空|"_s);
        QCOMPARE(u"%1 %2"_s.arg(buildVoucherPrint(kYear, u"3"_s, u"2"_s).lines.count()).arg(buildVoucherPrint(kYear, u"3"_s, u"9"_s).lines.count()),
                 u"6 0"_s);
        QCOMPARE(u"%1 %2"_s.arg(lastVoucherNumberOrOne(kYear, 3)).arg(lastVoucherNumberOrOne(kYear, 4)), u"2 1"_s);

        QSettings(QSettings::UserScope, u"QM505"_s, u"QM505"_s).clear();
        // The left and top margins and the orientation of the last report.
        const auto placing = [this] {
            return u"%1 %2 %3"_s.arg(m_report->layout.leftMargin).arg(m_report->layout.topMargin)
                .arg(m_report->layout.orientation == QPageLayout::Landscape ? u"landscape"_s : u"portrait"_s);
        };
        VoucherPrintWindow window;
        QVERIFY(window.windowTitle() == u"凭证打印"_s && child<QLineEdit>(window, "Text3")->text().isEmpty());
        // Shown the modeless way, it is maximised as soon as it is activated.
        QVERIFY(showActive(window));
        QTRY_VERIFY(window.windowState() & Qt::WindowMaximized);
        auto* month = child<QComboBox>(window, "Combo1");
        month->setCurrentIndex(2);
        emit month->activated(2);
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), u"2"_s);

        click(window, "Command1");
        QVERIFY(m_report->calls == 1 && m_report->preview && m_report->layout.caption == u"凭证打印"_s);
        const auto& header = m_report->layout.pageHeader.texts;
        const auto& footer = m_report->layout.groupFooter.texts;
        QCOMPARE(QStringList({header.at(3).text, header.at(1).text, footer.at(2).text, footer.at(0).text}).join(u'|'),
                 u"记 字第1号(%p/%P)|日期:  2016年03月09日|40.00|附单据 2 张"_s);
        QCOMPARE(footer.at(5).text + u'|' + footer.at(7).text, u"审核: 会计|制单: 管理员"_s);
        QVERIFY(paginateReport(m_report->layout, m_report->rows, 16838).size() == 2 && m_report->layout.orientation == QPageLayout::Portrait);

        click(window, "Command7");
        fill(window, {{"Text3", u"2"_s}, {"Text4", u"1.5"_s}});
        child<QCheckBox>(window, "Check1")->setChecked(true);
        QCOMPARE(press(window, "Command6", recorder), u"保存OK"_s);

        VoucherPrintWindow again;
        QVERIFY(child<QLineEdit>(again, "Text3")->text() == u"2"_s && child<QCheckBox>(again, "Check1")->isChecked());
        child<QComboBox>(again, "Combo1")->setCurrentIndex(2);
        click(again, "Command2");
        QCOMPARE(child<QLineEdit>(again, "Text1")->text() + u' ' + placing(), u"2 1134 851 landscape"_s);

        fill(again, {{"Text1", u"2"_s}, {"Text2", u"1"_s}});
        QCOMPARE(press(again, "Command4", recorder), u"号码要前小后大"_s);
        // A range of one number prints that voucher.
        fill(again, {{"Text1", u"2"_s}, {"Text2", u"2"_s}});
        const int single = m_report->calls;
        QCOMPARE(press(again, "Command4", recorder), u"是否进行连续打印凭证？"_s);
        QVERIFY(m_report->calls == single + 1
                && m_report->layout.pageHeader.texts.at(3).text == u"记 字第2号(%p/%P)"_s);
        // A range skips the numbers that have no voucher.
        voucher(4, 2);
        fill(again, {{"Text1", u"1"_s}, {"Text2", u"4"_s}});
        const int before = m_report->calls;
        QCOMPARE(press(again, "Command4", recorder), u"是否进行连续打印凭证？"_s);
        QVERIFY(m_report->calls == before + 3 && !m_report->preview && boxTexts(again, {"Text1"}) == u"4"_s);
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, u"记 字第4号(%p/%P)"_s);

        // A left margin typed without a top margin is applied; the top keeps the layout's.
        fill(again, {{"Text4", QString()}, {"Text1", u"1"_s}});
        click(again, "Command1");
        QCOMPARE(placing(), u"1134 %1 landscape"_s.arg(ReportLayout().topMargin));

        // A number without a voucher previews an empty form: no number, attachments or totals.
        fill(again, {{"Text1", u"3"_s}});
        click(again, "Command1");
        QCOMPARE(m_report->rows.count(), 0);
        const QString pdf = programFolder() + u"/voucher.pdf"_s;
        const QStringList printed = m_report->printedPages(pdf);
        QVERIFY(printed.size() == 1 && printed[0].contains(u"记帐凭证"_s));
        for (const QString& absent : {u"字第"_s, u"附单据"_s, u"0.00"_s})
            QVERIFY2(!printed[0].contains(absent), qPrintable(absent));

        // Without a printer the preview still works, in the saved orientation; printing does not.
        m_report->printer = false;
        const int calls = m_report->calls;
        fill(again, {{"Text1", u"1"_s}});
        click(again, "Command1");
        QVERIFY(m_report->calls == calls + 1 && m_report->layout.orientation == QPageLayout::Landscape);
        QCOMPARE(QStringList{press(again, "Command4", recorder)} << QString::number(m_report->calls - calls), (QStringList{u"你电脑上没有安装打印机!! "_s, u"1"_s}));

        // Opened modally, as from the toolbar, the window owns its preview, which stays usable.
        m_report.reset();
        auto previousCheck = setPrinterCheck([] { return false; });
        again.setWindowModality(Qt::ApplicationModal);
        again.show();
        click(again, "Command1");
        auto* preview = again.findChild<QPrintPreviewDialog*>();
        QVERIFY(preview && preview->isVisible());
        preview->close();
        again.close();
        setPrinterCheck(previousCheck);
        QSettings(QSettings::UserScope, u"QM505"_s, u"QM505"_s).clear();
    }

    // A voucher prints six lines to a page, padded to whole pages: one exactly full page stays one
    // page, twelve lines two, thirteen three. Numbers restart each month, so voucher 1 of March
    // and of April are told apart by month. March's is a purchase on account (the credit-direction
    // level-3 2202001001 with a quantity) and a red return: debits 0.1 + 0.2 - 40, credits 0.3 - 40.
    void voucherPagesAtFullPages()
    {
        addPayableLeaf();
        addLines(u"8030001001 1405 0.1 -|8030001002 1405 0.2 -|8030001003 2202001001 - 0.3 5|8030001004 1405 -40 -|"
                 "8030001005 2202001001 - -40 -2|8030001006 1001 - -"_s);
        // April: voucher 1 of twelve lines, voucher 2 of thirteen, 10.00 each, debit and credit alternating.
        // March's voucher 2: seven lines, the fourth to an account no longer in the chart, which
        // prints as a gap, the seventh line still on page 2.
        addLines(u"8030002001 1001 10 -|8030002002 6001 - 10|8030002003 1001 10 -|8030002004 9999 - 10|"
                 "8030002005 1001 10 -|8030002006 6001 - 10|8030002007 1001 10 -"_s);
        for (const auto& [number, count] : {std::pair{1, 12}, {2, 13}})
            for (int line = 1; line <= count; ++line)
                addLine(u"804%1%2"_s.arg(number, 4, 10, QLatin1Char('0')).arg(line, 3, 10, QLatin1Char('0')), line % 2 ? u"1001"_s : u"6001"_s,
                        line % 2 ? QVariant(10.0) : QVariant(), line % 2 ? QVariant() : QVariant(10.0));
        const struct {
            const char* month;
            const char* number;
            QString expected;  // pages, lines, totals, the page of the last line, the quantities
        } cases[] = {
            {"3", "1", u"1 6 -39.7 -39.7 1 - - 5 - -2 -"_s},
            {"3", "2", u"2 11 40 20 2"_s},
            {"4", "1", u"2 12 60 60 2"_s},
            {"4", "2", u"3 18 70 60 3"_s},
        };
        for (const auto& c : cases) {
            const VoucherPrint print = buildVoucherPrint(kYear, QString::fromLatin1(c.month), QString::fromLatin1(c.number));
            QString shown = u"%1 %2 %3 %4 %5"_s.arg(print.pages).arg(print.lines.count()).arg(print.debitTotal.toStored().toDouble()).arg(print.creditTotal.toStored().toDouble())
                                .arg(print.lines.value(print.lines.count() - 1, u"月"_s).toString());
            if (print.pages == 1)
                shown += u' ' + columnText(print.lines, u"数量"_s);
            QCOMPARE(shown, c.expected);
        }
    }

    // 打印 prints the voucher of the number box straight away, or says there is no printer.
    void printButtonPrintsTheNumberedVoucher()
    {
        voucher(5, 2);
        VoucherPrintWindow window;
        child<QComboBox>(window, "Combo1")->setCurrentIndex(2);
        fill(window, {{"Text1", u"5"_s}});
        QCOMPARE(press(window, "Command3", recorder), QString());
        QVERIFY(m_report->calls == 1 && !m_report->preview && m_report->rows.count() == 6);
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, u"记 字第5号(%p/%P)"_s);

        m_report->printer = false;
        QCOMPARE(press(window, "Command3", recorder), u"你电脑上没有安装打印机!! "_s);
        QVERIFY(m_report->calls == 1 && recorder.messages.size() == 1 && recorder.messages.last().title == u"QM505提示 "_s);
    }

    // One preview window per report: paging through vouchers, or previewing a statement again,
    // replaces what it shows; a closed preview gives way to a new one.
    void onePreviewPerReport()
    {
        for (int number = 1; number <= 3; ++number)
            voucher(number, 1);
        m_report.reset();
        auto previousCheck = setPrinterCheck([] { return false; });
        const auto previews = [] {
            QStringList titles;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<QPrintPreviewDialog*>(widget) && widget->isVisible())
                    titles << widget->windowTitle();
            titles.sort();
            return titles;
        };
        VoucherPrintWindow window;
        child<QComboBox>(window, "Combo1")->setCurrentIndex(2);
        for (const char* button : {"Command1", "Command2", "Command2"})
            click(window, button);
        QCOMPARE(previews(), QStringList{u"凭证打印"_s});

        // What the preview prints now: the last voucher.
        QPrintPreviewDialog* preview = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            preview = qobject_cast<QPrintPreviewDialog*>(widget) && widget->isVisible() ? qobject_cast<QPrintPreviewDialog*>(widget) : preview;
        const QString pdf = programFolder() + u"/preview.pdf"_s;
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setFullPage(true);
            printer.setPageLayout(preview->printer()->pageLayout());
            emit preview->paintRequested(&printer);
        }
        QCOMPARE(pdfLinesWith(pdfPageTexts(pdf).value(0), u"字第"_s).value(0).section(u' ', -2), u"记 字第3号(1/1)"_s);

        StatementsWindow statements;
        for (const char* option : {"Option1", "Option1", "Option3", "Option2"}) {
            child<QRadioButton>(statements, option)->setChecked(true);
            click(statements, "Command2");
        }
        QCOMPARE(previews(), (QStringList{u"凭证打印"_s, u"利润表"_s, u"资产负债表"_s}));

        preview->close();
        click(window, "Command1");
        QTRY_COMPARE(previews().size(), 3);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QPrintPreviewDialog*>(widget))
                widget->close();
        setPrinterCheck(previousCheck);
    }

    // A long full name wraps inside its field and its line grows, rules and totals with it; seven
    // lines still print six and one on two A4 pages, in either orientation, however long the name.
    void longAccountNameGrowsItsLine()
    {
        const QString name = u"应收账款/北京市海淀区某某科技发展有限公司/货款"_s;
        for (const auto& [fullName, landscape] : {std::pair{name, false}, {name.repeated(8), true}}) {
            execute(u"DELETE FROM 分2016"_s);
            execute(u"DELETE FROM 科目表 WHERE 科目代码='1122001001'"_s);
            addAccount(u"1122001001"_s, u"货款"_s, fullName);
            voucher(1, 7);
            // The debit lines (1, 3, 5, 7) go to the long account: 0.1 + 0.2 + 0.125 + 0.125.
            execute(u"UPDATE 分2016 SET 代码='1122001001', 借方金额=CASE substr(ID, 8) WHEN '001' THEN 0.1 WHEN '003' THEN 0.2 ELSE 0.125 END "
                    "WHERE 借方金额 IS NOT NULL"_s);
            ReportLayout layout = voucherReportLayout(buildVoucherPrint(kYear, u"3"_s, u"1"_s), u"示范单位"_s);
            orientReport(layout, landscape ? Landscape : Portrait);
            const VoucherPrint print = buildVoucherPrint(kYear, u"3"_s, u"1"_s);
            const QVector<int> heights = reportLineHeights(layout, print.lines, landscape ? 11906 : 16838);
            QVERIFY(heights[0] > layout.detail.height && heights[1] == layout.detail.height);

            const QString pdf = qEnvironmentVariable("QM505_VOUCHER_PDF", programFolder() + u"/voucher"_s) + (landscape ? u"-landscape.pdf"_s : u".pdf"_s);
            writeReportPdf(pdf, layout, print.lines);
            const QStringList printed = pdfPageTexts(pdf);
            QCOMPARE(printed.size(), 2);
            QCOMPARE(pdfPageSize(pdf), landscape ? u"842 x 595 pts (A4)"_s : u"595 x 842 pts (A4)"_s);
            QCOMPARE(pdfLinesWith(printed[0], u"(1/2)"_s).size() + pdfLinesWith(printed[1], u"(2/2)"_s).size(), 2);
            for (const QString& page : printed)
                QCOMPARE(pdfLinesWith(page, u"总  计"_s).value(0).section(u' ', -2), u"0.55 30.00"_s);

            // In the account's column, between its left and right rules: the whole name of each
            // debit line, no word running past the field; six summaries on page 1, one on page 2.
            const double left = (layout.leftMargin + 1770) / 20.0;
            const double right = (layout.leftMargin + 1770 + 3300) / 20.0;
            const QVector<QVector<PdfWord>> pages = pdfPageWords(pdf);
            QString account;
            QList<int> summaries;
            for (const QVector<PdfWord>& words : pages) {
                summaries << 0;
                // The lines lie between the heading row and the totals.
                const double top = (layout.topMargin + 1420) / 20.0;
                double bottom = 842;
                for (const PdfWord& word : words)
                    bottom = word.text.startsWith(u"总"_s) ? qMin(bottom, word.box.top()) : bottom;
                for (const PdfWord& word : words) {
                    summaries.last() += word.text == u"摘要"_s;
                    if (word.box.left() < left - 1 || word.box.left() > right || word.box.top() < top || word.box.bottom() > bottom)
                        continue;
                    QVERIFY2(word.box.right() <= right, qPrintable(word.text));
                    account += word.text;
                }
            }
            QCOMPARE(summaries, (QList<int>{6, 1}));
            QCOMPARE(account.count(u"1122001001."_s + fullName), 4);
        }
    }

    // A long summary wraps inside its field as the account does, whole and never past the field's
    // right edge, and its line grows with the taller of the two. Both stand left in their fields,
    // level with the amounts, in the detail size unless the page cannot hold the line; seven lines
    // still print six and one.
    void longSummaryWrapsInItsField()
    {
        const QString summary = u"收到北京市海淀区某某科技发展有限公司二〇二〇年第一季度货款及相关服务费用"_s;
        const QString longName = u"应收账款/北京市海淀区某某科技发展有限公司/货款"_s.repeated(4);
        const struct {
            const char* name;
            QString summary;
            QString fullName;
            bool landscape;  // the summary then runs past what the page can hold: set smaller
        } cases[] = {
            {"summary taller", summary, u"应收账款/货款"_s, false},
            {"account taller", summary, longName, false},
            {"short summary in a grown line", u"摘要"_s, longName, false},
            {"summary past the page", summary.repeated(8), u"应收账款/货款"_s, true},
        };
        for (const auto& each : cases) {
            execute(u"DELETE FROM 分2016"_s);
            execute(u"DELETE FROM 科目表 WHERE 科目代码='1122001001'"_s);
            addAccount(u"1122001001"_s, u"货款"_s, each.fullName);
            voucher(1, 7);
            // The debit lines (1, 3, 5, 7): 0.1 + 0.2 + 0.125 + 0.125 to the level-3 account.
            execute(
                u"UPDATE 分2016 SET 代码='1122001001', 摘要说明=?, "
                "借方金额=CASE substr(ID, 8) WHEN '001' THEN 0.1 WHEN '003' THEN 0.2 ELSE 0.125 END WHERE 借方金额 IS NOT NULL"_s,
                {each.summary});
            const VoucherPrint print = buildVoucherPrint(kYear, u"3"_s, u"1"_s);
            ReportLayout layout = voucherReportLayout(print, u"示范单位"_s);
            orientReport(layout, each.landscape ? Landscape : Portrait);
            const QVector<int> heights = reportLineHeights(layout, print.lines, each.landscape ? 11906 : 16838);
            QVERIFY2(heights[0] > layout.detail.height && heights[1] == layout.detail.height, each.name);

            const QString pdf = programFolder() + u"/summary.pdf"_s;
            writeReportPdf(pdf, layout, print.lines);
            const QVector<QVector<PdfWord>> pages = pdfPageWords(pdf);
            QCOMPARE(pages.size(), 2);
            const auto column = [&layout](int left, int width) {
                return std::pair{(layout.leftMargin + left) / 20.0, (layout.leftMargin + left + width) / 20.0};
            };
            const auto [summaryLeft, summaryRight] = column(50, 1640);
            const auto [accountLeft, accountRight] = column(1770, 3300);
            const auto [debitLeft, debitRight] = column(6120, 1670);
            for (int page = 0; page < 2; ++page) {
                // Below the headings; the page's first line, a debit line, is as high as it grew.
                const double top = (layout.topMargin + 1420) / 20.0;
                const double lineTop = (layout.topMargin + 1470) / 20.0;
                const double foot = lineTop + heights[page * kVoucherLinesPerPage] / 20.0;
                QString summaries;
                QString lineSummary;
                QString lineAccount;
                QRectF summaryBox, accountBox, amountBox;
                // The lines end where the attachments and the totals begin.
                double bottom = 842;
                for (const PdfWord& word : pages[page]) {
                    if (word.text.startsWith(u"附单据"_s) || word.text.startsWith(u"总"_s))
                        bottom = qMin(bottom, word.box.top());
                }
                for (const PdfWord& word : pages[page]) {
                    const double left = word.box.left();
                    if (word.box.top() < top || word.box.top() >= bottom)
                        continue;
                    const bool inLine = word.box.center().y() < foot;
                    if (left >= summaryLeft - 1 && left < summaryRight) {
                        QVERIFY2(word.box.right() <= summaryRight, qPrintable(word.text));
                        summaries += word.text;
                        if (inLine) {
                            lineSummary += word.text;
                            summaryBox |= word.box;
                        }
                    } else if (inLine && left >= accountLeft - 1 && left < accountRight) {
                        QVERIFY2(word.box.right() <= accountRight, qPrintable(word.text));
                        lineAccount += word.text;
                        accountBox |= word.box;
                    } else if (inLine && left >= debitLeft && left < debitRight) {
                        amountBox = word.box;
                    }
                }
                const char* name = each.name;
                QCOMPARE(summaries, page == 0 ? (each.summary + u"摘要"_s).repeated(3) : each.summary);
                QCOMPARE(lineSummary, each.summary);
                QCOMPARE(lineAccount, u"1122001001."_s + each.fullName);
                // Inside the line, left in their fields, centred on the amount's height.
                QVERIFY2(summaryBox.bottom() <= foot && accountBox.bottom() <= foot, name);
                QVERIFY2(qAbs(summaryBox.left() - (summaryLeft + 1)) < 1
                             && qAbs(accountBox.left() - (accountLeft + 1)) < 1,
                         name);
                QVERIFY2(qAbs(summaryBox.center().y() - amountBox.center().y()) < 1.5, name);
                QVERIFY2(qAbs(accountBox.center().y() - amountBox.center().y()) < 1.5, name);
                if (!each.landscape) {
                    // As tall as the taller text with its padding above and below.
                    QVERIFY2(qAbs(foot - lineTop - 6 - qMax(summaryBox.height(), accountBox.height())) < 1, name);
                    for (const PdfWord& word : pages[page]) {
                        if (word.box.left() < accountRight && word.box.top() >= top && word.box.bottom() <= foot)
                            QVERIFY2(qAbs(word.box.height() - amountBox.height()) < 0.5, qPrintable(word.text));
                    }
                }
            }
            const QStringList printed = pdfPageTexts(pdf);
            for (const QString& page : printed)
                QCOMPARE(pdfLinesWith(page, u"总  计"_s).value(0).section(u' ', -2), u"0.55 30.00"_s);
        }
    }

    // The preview and the export evaluate the option and month chosen now: heading and figures
    // belong together, and the headings name the year logged in.
    void statementsWindow()
    {
        execute(u"UPDATE 信息表 SET 年度=2020 WHERE 代号='QM'"_s);
        addLines(u"8000000001 1001 10 -|8010001001 1001 58000 -|8010001002 4001 - 58000|8020001001 1002 0.1 -|"
                 "8020001002 1002 0.2 -|8020001003 4001 - 0.3"_s);
        voucher(1, 2);
        StatementsWindow window;
        QVERIFY(window.windowTitle() + u'|' + boxTexts(window, {"Text1"}) == u"报表|示范单位"_s && child<QRadioButton>(window, "Option1")->isChecked());
        auto* result = child<QTableView>(window, "MSH1");
        auto* month = child<QComboBox>(window, "Combo1");
        OpenedWorkbooks workbooks(programFolder());
        QStringList& opened = workbooks.paths;

        // Exported before any query: month 1 is evaluated and written.
        click(window, "Command3");
        QVERIFY(recorder.messages.isEmpty() && opened.size() == 1);
        QCOMPARE(cellTexts(readFirstSheet(opened.last()), {u"A6"_s, u"D6"_s}), u"货币资金|58010"_s);

        // Computed for month 1, previewed with month 2 chosen: month 2's figures under month 2.
        click(window, "Command4");
        QVERIFY(cellText(result, 1, 5) == u"58,010.00"_s && cellAlignment(result, 1, 2) == Qt::AlignCenter);
        month->setCurrentText(u"2"_s);
        click(window, "Command2");
        QCOMPARE(m_report->layout.caption + cellText(result, 1, 5) + QString::number(m_report->layout.orientation), u"资产负债表58,010.300"_s);
        const QString pdf = qEnvironmentVariable("QM505_STATEMENT_PDF", programFolder() + u"/statement.pdf"_s);
        const QStringList printed = m_report->printedPages(pdf);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(QList<qsizetype>({pdfLinesWith(printed[0], u"2016年02月29日"_s).size(), pdfLinesWith(printed[1], u"2016年02月29日"_s).size(),
                                   pdfLinesWith(printed[0], u" 单位:示范单位"_s).size()}), QList<qsizetype>({1, 1, 1}));
        QCOMPARE(pdfLinesWith(printed[0], u"货币资金"_s).first().section(QLatin1Char(' '), 2, 3), u"10.00 58,010.30"_s);

        // Exported with month 3 chosen after that: month 3's figures and date.
        month->setCurrentText(u"3"_s);
        child<QRadioButton>(window, "Option3")->setChecked(true);
        click(window, "Command3");
        QCOMPARE(opened.size(), 2);
        // The date cell holds 2016-03-31 as a spreadsheet day number.
        QCOMPARE(cellTexts(readFirstSheet(opened.last()), {u"A1"_s, u"A4"_s, u"H4"_s, u"E3"_s, u"D6"_s}),
                 u"资 产 负 债  表|资  产|期末数|%1|58010.3"_s.arg(QDate(1899, 12, 30).daysTo(QDate(2016, 3, 31))));
        QVERIFY(result->model()->rowCount() == 33 && result->isColumnHidden(3));
        QCOMPARE(QList<int>({cellAlignment(result, 1, 2), cellAlignment(result, 1, 7)}), QList<int>(2, Qt::AlignCenter));

        click(window, "Command5");
        auto* definitions = child<QTableWidget>(window, "DataGrid1");
        auto* codes = child<QListWidget>(window, "List1");
        QVERIFY(!definitions->isHidden() && !codes->isHidden() && !(definitions->item(1, 1)->flags() & Qt::ItemIsEditable));
        QCOMPARE(codes->item(0)->text(), u"1001 库存现金"_s);
        // Both line-number columns are narrow.
        QCOMPARE(QList<int>({definitions->columnWidth(1), definitions->columnWidth(4)}),
                 QList<int>(2, twipsToPixels(600)));
        // Releasing the mouse on the help link explains the formulas.
        QTest::mouseClick(child<QLabel>(window, "Label2"), Qt::LeftButton);
        QCOMPARE(recorder.texts().value(recorder.texts().size() - 1).split(u"\n\n"_s),
                 (QStringList{u"1.报表设置时直接输入内容,点击另一行,数据即可自动保存"_s,
                              u"2.公式只能识别4位的代码(现流表代码为3位),公式只能由代码加或减,但第一位不能是加或减号"_s,
                              u"3.特别说明:现流表中888为现金类年初余额,999为现金类期末余额"_s}));

        // The titles in 仿宋 bold, the unit and period in 楷体, the headings bold, the balance
        // sheet's 行次 headings at 9 points; every face resolves to one that is installed.
        click(window, "Command2");
        const QVector<ReportText>& header = m_report->layout.pageHeader.texts;
        QVERIFY(header.at(2).text == u"2016年03月31日"_s);
        QVERIFY(header.at(0).face == ReportFace::FangSong && header.at(0).bold && header.at(1).face == ReportFace::Kai && !header.at(1).bold);
        for (const ReportText& text : header)
            QVERIFY((text.text != u"行次"_s || text.pointSize == 9.0) && (text.text != u"年初数"_s || text.bold));
        for (ReportFace face : {ReportFace::Song, ReportFace::FangSong, ReportFace::Kai})
            QVERIFY(QFontDatabase::families().contains(QFontInfo(reportFont(face, true)).family()));

        for (const auto& [option, heading] : {std::pair{"Option4", u"利润表|2016年3月"_s}, {"Option5", u"现金流量表|2016年1-3月"_s}}) {
            child<QRadioButton>(window, option)->setChecked(true);
            click(window, "Command2");
            QCOMPARE(m_report->layout.caption + u'|' + m_report->layout.pageHeader.texts.at(2).text, heading);
        }
        QCOMPARE(pdfLinesWith(m_report->printedPages(pdf).value(0), u"2016年1-3月"_s).size(), 1);

        // No printer: the preview still opens.
        m_report->printer = false;
        const int calls = m_report->calls;
        click(window, "Command2");
        QCOMPARE(m_report->calls, calls + 1);
        click(window, "Command1");
    }

    // The statement workbook keeps a red amount's sign and an item's trailing blank; the formula
    // column stays out, so the amounts are columns C and D of row 5.
    void statementWorkbookKeepsSignsAndBlanks()
    {
        const QString path = programFolder() + u"/statement.xlsx"_s;
        writeStatementWorkbook(path, Statement::IncomeStatement07,
                               openRecordset(u"SELECT '  减：营业成本 ' AS 项目, 2 AS 行次, '6401' AS 公式, -300.125 AS 本期金额, "
                                             "-(0.1 + 0.2) AS 本年累计"_s),
                               u"示范单位"_s, kYear, 3);
        const Sheet sheet = readFirstSheet(path);
        // Numbers are written to 16 digits: -(0.1 + 0.2) reads back as -0.3.
        QCOMPARE(cellTexts(sheet, {u"A5"_s, u"B5"_s, u"C5"_s, u"D5"_s, u"E5"_s}), u"  减：营业成本 |2|-300.125|-0.3|"_s);
        // The line number is a number, the item a text.
        QCOMPARE(sheet.cells.value(u"A5"_s).type + u'|' + sheet.cells.value(u"B5"_s).type, u"s|"_s);
    }

    void formulaEditsGoToTheStatementOnScreen()
    {
        StatementsWindow window;
        child<QRadioButton>(window, "Option3")->setChecked(true);
        click(window, "Command5");
        auto* definitions = child<QTableWidget>(window, "DataGrid1");
        const QStringList statements05 = dumpTable(u"资产表05"_s) + dumpTable(u"利润表05"_s);

        // Ticking another statement does not move the edits: they go where the rows came from.
        child<QRadioButton>(window, "Option1")->setChecked(true);
        definitions->item(1, 2)->setText(u"1002+1012"_s);
        child<QRadioButton>(window, "Option2")->setChecked(true);
        definitions->item(1, 5)->setText(u"2001"_s);
        QVERIFY(recorder.messages.isEmpty() && dumpTable(u"资产表05"_s) + dumpTable(u"利润表05"_s) == statements05);
        QCOMPARE(scalar(u"SELECT 公式1 || '|' || 公式2 FROM 资产表07 WHERE 行次1=2"_s).toString(), u"1002+1012|2001"_s);

        // 行次2 takes a whole number; anything else is refused and the old one kept.
        const QString lineNumber = definitions->item(1, 4)->text();
        definitions->item(1, 4)->setText(u"3O"_s);
        QCOMPARE(recorder.texts(), QStringList{u"“3O”不是整数,原值不变"_s});
        QCOMPARE(definitions->item(1, 4)->text() + u'|' + scalar(u"SELECT ifnull(行次2,'') FROM 资产表07 WHERE 行次1=2"_s).toString(),
                 lineNumber + u'|' + lineNumber);
        definitions->item(1, 4)->setText(u"40"_s);
        QCOMPARE(scalar(u"SELECT 行次2 FROM 资产表07 WHERE 行次1=2"_s).toInt(), 40);

        // Loading again follows the option ticked now.
        click(window, "Command5");
        QCOMPARE(definitions->columnCount(), 3);
        definitions->item(0, 2)->setText(u"6001"_s);
        QCOMPARE(scalar(u"SELECT 公式 FROM 利润表05 ORDER BY 行次 LIMIT 1"_s).toString(), u"6001"_s);
        // A formula emptied is stored as none.
        definitions->item(0, 2)->setText(QString());
        QCOMPARE(scalar(u"SELECT quote(公式) FROM 利润表05 ORDER BY 行次 LIMIT 1"_s).toString(), u"NULL"_s);
    }

    void definitionsFormulasAndReportData()
    {
        const RecordSet rows = statementDefinitionRows(Statement::BalanceSheet07);
        QCOMPARE(rows.fieldNames().mid(1), (QStringList{u"资产"_s, u"行次1"_s, u"公式1"_s, u"负债及所有者权益"_s, u"行次2"_s, u"公式2"_s}));
        setStatementDefinitionValue(Statement::BalanceSheet07, rows.value(1, 0).toLongLong(), u"公式1"_s, u"1001"_s);
        QCOMPARE(scalar(u"SELECT 公式1 FROM 资产表07 WHERE 行次1=2"_s).toString(), u"1001"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, setStatementDefinitionValue(Statement::BalanceSheet07, 1, u"行次1"_s, 9));
        QVERIFY_THROWS_EXCEPTION(DbError, reportDataColumn(u"方向"_s));
        QVERIFY(formulaCodeList(Statement::CashFlow).first() == u"101 销售商品、提供劳务收到的现金"_s && formulaCodeList(Statement::IncomeStatement05).size() == 86);

        const QHash<QString, QVariant> values{{u"1001"_s, 100.0}, {u"1002"_s, 20.5}, {u"1601"_s, 1000.0},
                                              {u"1602"_s, 300.0}, {u"101"_s, 7.0},    {u"888"_s, 1.0}};
        // Lines of the balance sheet and income statement (4) take account codes, the cash flow's (3) items.
        QStringList results;
        for (const QString& formula : u"1001+1002|1601-1602|1001*1002|1001+1001|-1001|1001 + 1002|9999+1002|100||１６０１－１６０２"_s.split(u'|'))
            results << QString::number(evaluateFormula(formula, 4, values).toStored().toDouble());
        results << QString::number(evaluateFormula(u"888+101"_s, 3, values).toStored().toDouble())
                << QString::number(evaluateFormula(u"1001"_s, 3, values).toStored().toDouble());
        QCOMPARE(results.join(QLatin1Char(' ')), u"120.5 700 120.5 200 0 100 20.5 0 0 700 8 0"_s);

        books();
        addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s);
        addLine(u"8030004001"_s, u"1002001"_s, 30.0, QVariant());
        // A formula takes level-1 codes only.
        QVERIFY(formulaCodeList(Statement::BalanceSheet07).contains(u"1002 银行存款"_s)
                && !formulaCodeList(Statement::BalanceSheet07).contains(u"1002001 工行"_s));
        QCOMPARE(QStringList{buildReportData(kYear, QString(), false)->text} << scalar(u"SELECT count(*) FROM 报表数据"_s).toString(),
                 (QStringList{u"请选择月份"_s, u"0"_s}));
        QVERIFY(!buildReportData(kYear, u"3"_s, false));
        QCOMPARE(dataAt(u"期末"_s, {u"1002"_s, u"4001"_s}) + u' ' + dataAt(u"年初"_s, {u"1602"_s}), u"6200 8500 500"_s);
        // Not closed: no closing movements yet.
        QCOMPARE(dataAt(u"本期"_s, {u"6001"_s}), u"-"_s);

        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        QCOMPARE(dataAt(u"累计"_s, {u"888"_s, u"999"_s, u"101"_s}), u"6000 7000 1170"_s);

        // Lines without an item, with no code or an empty one, give a row each ahead of the items,
        // their cash-flow amounts summed exactly; a row only when such a line falls in the period.
        execute(u"INSERT INTO 分2016 (ID, 月, 代码, 借方金额, 流金) VALUES ('8030005001', 3, '1001', 0.125, 0.125), "
                "('8030005002', 3, '1001', 0.1, 0.1)"_s);
        execute(u"UPDATE 分2016 SET 流金=0.2 WHERE ID='8030001002'"_s);
        const QString itemRows = u"SELECT quote(代码), 累计 FROM 报表数据 WHERE 代码 IS NULL OR 代码<'888' ORDER BY rowid"_s;
        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        QCOMPARE(rowsAsText(itemRows).join(u'|'), u"NULL 0.23|'' 0.2|'101' 1170|'107' 200"_s);
        QVERIFY(!buildReportData(kYear, u"2"_s, true));
        QCOMPARE(rowsAsText(itemRows).join(u'|'), u"'' 0"_s);
        execute(u"DELETE FROM 分2016 WHERE ID LIKE '8030005%'"_s);

        // Half-cent sums on a credit account and on a cash-flow item: 5.13, not the binary 5.12.
        addHalfCentSum(u"8040001"_s, u"2241"_s, false);
        addHalfCentSum(u"8040002"_s, u"1001"_s, true, u"102"_s);
        QVERIFY(!buildReportData(kYear, u"4"_s, false));
        const QString closing = dataAt(u"期末"_s, {u"2241"_s});
        QVERIFY(!buildReportData(kYear, u"4"_s, true));
        QCOMPARE(closing + u' ' + dataAt(u"累计"_s, {u"102"_s}), u"5.13 5.13"_s);
    }

    // An account stays in the report data when only one of its figures is not nil: cash cleared
    // during the year (its opening alone), a red expense in March undoing February's (its month
    // alone, nothing to date). Cash is every 10xx account, a user's 1021 included, not 1101. A
    // month outside 1 to 12 is refused.
    void reportDataKeepsAccountsWithOneFigure()
    {
        addAccount(u"1021"_s, u"备用金"_s, u"备用金"_s);
        addLines(u"8000000001 1001 300 -|8000000002 1021 40 -|8000000003 1101 50 -|8000000004 4001 - 390|"
                 "8020001001 6603 20 -|8020001002 1001 - 20|8030001001 6603 -20 -|8030001002 1001 - -20|"
                 "8030002001 1001 40 -|8030002002 1021 - 40"_s);
        for (int month : {2, 3})
            QVERIFY(closeMonth(QDate(kYear, month, 12), u"会计"_s, u"管理员"_s, kYear).carried);
        QVERIFY(!buildReportData(kYear, u"3"_s, false));
        QCOMPARE(dataAt(u"年初"_s, {u"1021"_s}) + u'|' + dataAt(u"本期"_s, {u"6603"_s}) + u' '
                     + dataAt(u"累计"_s, {u"6603"_s}),
                 u"40|-20 0"_s);
        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        QCOMPARE(dataAt(u"累计"_s, {u"888"_s, u"999"_s}), u"340 340"_s);
        for (const QString& month : {u"0"_s, u"13"_s})
            QCOMPARE(shown(buildReportData(kYear, month, false)), u"QM505|stop|请选择月份"_s);
    }

    // Each statement's headings for December, printed and exported: the balance sheet is dated
    // the month's last day, the cash flow's period runs from January.
    void statementHeadingsForDecember()
    {
        const QString day = QString::number(QDate(1899, 12, 30).daysTo(QDate(kYear, 12, 31)));
        const struct {
            Statement statement;
            QString printed;
            QStringList cells;
            QString exported;
            const char* title;  // the cells the title spans, merged
        } cases[] = {
            {Statement::BalanceSheet07,
             u"2016年12月31日"_s,
             {u"A3"_s, u"E3"_s},
             u"编制单位:示范单位      |"_s + day,
             "A1:H2"},
            {Statement::IncomeStatement05,
             u"2016年12月"_s,
             {u"A3"_s, u"C3"_s},
             u"编制单位:示范单位      |2016年12月    "_s,
             "A1:D2"},
            {Statement::CashFlow,
             u"2016年1-12月"_s,
             {u"A3"_s, u"C3"_s},
             u"编制单位:示范单位             |2016年 1-12月   单位:元"_s,
             "A1:D2"},
        };
        const QString path = programFolder() + u"/december.xlsx"_s;
        for (const auto& c : cases) {
            const ReportLayout layout = statementReportLayout(c.statement, kYear, u"12"_s);
            writeStatementWorkbook(path, c.statement, statementRows(c.statement), u"示范单位"_s, kYear, 12);
            QCOMPARE(layout.caption + u'|' + layout.pageHeader.texts.at(2).text + u'|'
                         + cellTexts(readFirstSheet(path), c.cells),
                     layout.caption + u'|' + c.printed + u'|' + c.exported);
            QVERIFY2(
                zipEntry(path, "xl/worksheets/sheet1.xml").contains("<mergeCell ref=\"" + QByteArray(c.title) + "\"/>"),
                c.title);
        }
    }

    // The income statements read the closing vouchers only: a month's own for 本月数, the year's
    // closed months for 本年累计. Worked out by hand from closedMonthsBooks: March's operating
    // profit 1000 - 300 + 20 = 720, with 营业外收入 770, less tax 0.3 = 769.7; February's 400 - 100
    // add to date; April's figures are not closed and count nowhere.
    void incomeStatementsOverClosedMonths()
    {
        closedMonthsBooks();
        const struct {
            Statement statement;
            const char* month;
            QList<int> lines;
            QString expected;  // "本期金额 本年累计" of each line
        } cases[] = {
            {Statement::IncomeStatement05, "3", {1, 2, 4, 8, 9, 12, 14, 15, 16},
             u"1000 1400|300 400|700 1000|-20 -20|720 1020|50 50|770 1070|0.3 0.3|769.7 1069.7"_s},
            {Statement::IncomeStatement05, "2", {1, 2, 8, 16}, u"400 400|100 100|- -|300 300"_s},
            {Statement::IncomeStatement07, "3", {1, 2, 6, 11, 12, 15, 16, 17},
             u"1000 1400|300 400|-20 -20|720 1020|50 50|770 1070|0.3 0.3|769.7 1069.7"_s},
            {Statement::IncomeStatement07, "2", {1, 2, 17}, u"400 400|100 100|300 300"_s},
            {Statement::IncomeStatement07, "4", {1, 2, 17}, u"- 1400|- 400|- 1069.7"_s},
        };
        for (const auto& c : cases) {
            QVERIFY(!evaluateStatement(c.statement, kYear, QString::fromLatin1(c.month)));
            QStringList lines;
            for (int line : c.lines)
                lines << amounts(statementTable(c.statement), u"本期金额, 本年累计"_s, u"行次"_s, line);
            QCOMPARE(statementTable(c.statement) + u' ' + QString::fromLatin1(c.month) + u' ' + lines.join(u'|'),
                     statementTable(c.statement) + u' ' + QString::fromLatin1(c.month) + u' ' + c.expected);
        }
    }

    // The cash-flow statement sums each item from January to the month chosen, and the cash
    // accounts 1001 to 1012 at the opening and up to the month. By hand from cashFlowBooks: item 101
    // to March 100 + 50 - 20 = 130; item 107 0.1 + 0.2; opening cash 300 + 1000 + 5 = 1305; the
    // increase 130 - 0.3 + 200 = 329.7; by December 999 + 5 more.
    void cashFlowOverMonths()
    {
        cashFlowBooks();
        const struct {
            const char* month;
            QString expected;  // "行次 金额" of lines 2, 9, 11, 27, 36, 37 and 38
        } cases[] = {
            {"1", u"2 -|9 -|11 -|27 -|36 -|37 1305|38 1305"_s},
            {"2", u"2 100|9 -|11 100|27 -|36 100|37 1305|38 1405"_s},
            {"3", u"2 130|9 0.3|11 129.7|27 200|36 329.7|37 1305|38 1634.7"_s},
            {"12", u"2 1134|9 0.3|11 1133.7|27 200|36 1333.7|37 1305|38 2638.7"_s},
        };
        for (const auto& c : cases) {
            QVERIFY(!evaluateStatement(Statement::CashFlow, kYear, QString::fromLatin1(c.month)));
            QCOMPARE(QString::fromLatin1(c.month) + u' ' +
                         rowsAsText(u"SELECT 行次, 金额 FROM 现流表 WHERE 行次 IN (2, 9, 11, 27, 36, 37, 38) ORDER BY 行次"_s).join(u'|'),
                     QString::fromLatin1(c.month) + u' ' + c.expected);
        }
    }

    // Both balance sheets at the opening and at the end of the month chosen, later months left
    // out. By hand from balanceSheetBooks: cash 300 + 1000, less 150 in March; receivables 500
    // less the allowance 50 + 0.1 + 0.2; payables 400 - 150 - 40 = 210 by March; goods 400 - 40;
    // the unclosed 6701 makes 未分配利润 -0.3; March totals 1150 + 449.7 + 360 = 210 + 1750 - 0.3,
    // February's 1300 + 450 + 400 = 400 + 1750.
    void balanceSheetsOverMonths()
    {
        balanceSheetBooks();
        const struct {
            Statement statement;
            const char* month;
            QList<int> lines;
            QString expected;  // "年初余额1 期末余额1 年初余额2 期末余额2" of each line
        } cases[] = {
            {Statement::BalanceSheet07, "3", {2, 5, 10, 30, 33},
             u"1300 1150 - -|450 449.7 - 210|- 360 - -|- - - -0.3|1750 1959.7 1750 1959.7"_s},
            {Statement::BalanceSheet07, "2", {2, 5, 10, 30, 33}, u"1300 1300 - -|450 450 - 400|- 400 - -|- - - -|1750 2150 1750 2150"_s},
            {Statement::BalanceSheet07, "12", {2, 5, 10, 33}, u"1300 1220 - -|450 379.7 - 1210|- 1360 - -|1750 2959.7 1750 2959.7"_s},
            {Statement::BalanceSheet05, "3", {2, 4, 7, 11, 34, 37},
             u"1300 1150 - -|- - - 210|450 449.7 - -|- 360 - -|- - - -0.3|1750 1959.7 1750 1959.7"_s},
        };
        for (const auto& c : cases) {
            QVERIFY(!evaluateStatement(c.statement, kYear, QString::fromLatin1(c.month)));
            QStringList lines;
            for (int line : c.lines)
                lines << amounts(statementTable(c.statement), u"年初余额1, 期末余额1, 年初余额2, 期末余额2"_s, u"行次1"_s, line);
            QCOMPARE(statementTable(c.statement) + u' ' + QString::fromLatin1(c.month) + u' ' + lines.join(u'|'),
                     statementTable(c.statement) + u' ' + QString::fromLatin1(c.month) + u' ' + c.expected);
        }
    }

    // The exported income statement: the month in its heading, both amount columns as numbers,
    // a red amount with its sign. The figures are those of incomeStatementsOverClosedMonths.
    void incomeStatementExportKeepsSignsAndColumns()
    {
        closedMonthsBooks();
        QVERIFY(!evaluateStatement(Statement::IncomeStatement07, kYear, u"3"_s));
        const QString path = programFolder() + u"/income.xlsx"_s;
        writeStatementWorkbook(path, Statement::IncomeStatement07, statementRows(Statement::IncomeStatement07), u"示范单位"_s, kYear, 3);
        const Sheet sheet = readFirstSheet(path);
        // Line n is on row n + 4: 营业收入, 财务费用 (red), 净利润.
        QCOMPARE(cellTexts(sheet, {u"C3"_s, u"B5"_s, u"C5"_s, u"D5"_s, u"C10"_s, u"D10"_s, u"C21"_s, u"D21"_s}),
                 u"2016年3月    |1|1000|1400|-20|-20|769.7|1069.7"_s);
        QStringList types;
        for (const QString& cell : {u"C5"_s, u"D5"_s, u"C10"_s, u"D10"_s})
            types << sheet.cells.value(cell).type;
        QCOMPARE(types.join(u'|'), u"|||"_s);
    }

    void shippedStatementsAgree()
    {
        books();
        // Before closing the balance sheet balances too.
        QVERIFY(!evaluateStatement(Statement::BalanceSheet07, kYear, u"3"_s));
        QCOMPARE(amounts(u"资产表07"_s, u"期末余额1, 期末余额2"_s, u"行次1"_s, 33), u"9420 9420"_s);

        closeMonth(QDate(kYear, 3, 1), u"会计"_s, u"管理员"_s, kYear);
        for (Statement sheet : {Statement::BalanceSheet05, Statement::BalanceSheet07}) {
            QVERIFY(!evaluateStatement(sheet, kYear, u"3"_s));
            QCOMPARE(amounts(statementTable(sheet), u"年初余额1, 年初余额2, 期末余额1, 期末余额2"_s, u"行次1"_s, sheet == Statement::BalanceSheet05 ? 37 : 33),
                     u"8500 8500 9420 9420"_s);
        }
        // A heading line stays empty.
        QCOMPARE(amounts(u"资产表07"_s, u"期末余额1"_s, u"行次1"_s, 1), u"-"_s);

        for (Statement income : {Statement::IncomeStatement05, Statement::IncomeStatement07}) {
            QVERIFY(!evaluateStatement(income, kYear, u"3"_s));
            QCOMPARE(amounts(statementTable(income), u"本期金额, 本年累计"_s, u"行次"_s, income == Statement::IncomeStatement05 ? 16 : 17), u"750 750"_s);
        }
        QCOMPARE(amounts(u"利润表07"_s, u"本期金额"_s, u"行次"_s, 5), u"250"_s);
        // April is not closed: nothing this month, March's amounts to date.
        evaluateStatement(Statement::IncomeStatement07, kYear, u"4"_s);
        QCOMPARE(amounts(u"利润表07"_s, u"本期金额, 本年累计"_s, u"行次"_s, 17), u"- 750"_s);

        // The increase in cash is the closing less the opening cash; a heading row shows nothing,
        // however many lines carry no item.
        QVERIFY(!evaluateStatement(Statement::CashFlow, kYear, u"3"_s));
        QCOMPARE(rowsAsText(u"SELECT 行次, 金额 FROM 现流表 WHERE 行次 IN (1, 36, 37, 38) ORDER BY 行次"_s).join(QLatin1Char('|')),
                 u"1 -|36 970|37 6000|38 6970"_s);

        // Without a month every amount is emptied.
        QCOMPARE(QStringList{evaluateStatement(Statement::CashFlow, kYear, QString())->text} << scalar(u"SELECT count(金额) FROM 现流表"_s).toString(),
                 (QStringList{u"请选择月份"_s, u"0"_s}));
    }

};

QTEST_MAIN(TestStatements)
#include "test_statements.moc"

#include "data/login.h"
#include "data/printer.h"
#include "data/spreadsheet_export.h"
#include "report/report.h"
#include "statements/statements_window.h"
#include "statements/voucher_print.h"
#include "statements/voucher_print_window.h"
#include "support/books.h"
#include "support/message_recorder.h"
#include "support/pdf_text.h"
#include "support/report_capture.h"
#include "support/temp_program.h"
#include "support/widgets.h"
#include "support/xlsx_reader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

// Voucher `number` of March with `lines` lines of 10.00 each, debit and credit alternating.
void voucher(int number, int lines)
{
    for (int line = 1; line <= lines; ++line)
        execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 借方金额, 贷方金额) "
                               "VALUES (?, '2016-03-09', 3, '记', ?, '管理员', '会计', 2, '摘要', ?, ?, ?)"),
                {QStringLiteral("803%1%2").arg(number, 4, 10, QLatin1Char('0')).arg(line, 3, 10, QLatin1Char('0')), number,
                 line % 2 ? QStringLiteral("1001") : QStringLiteral("1002"), line % 2 ? QVariant(10.0) : QVariant(),
                 line % 2 ? QVariant() : QVariant(10.0)});
}

}  // namespace

class TestStatementWindows : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ReportCapture> m_report;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir::tempPath() + QStringLiteral("/qm505-test-settings"));
    }

    void init()
    {
        loginState() = LoginState{kYear, QStringLiteral("管理员"), QString(), QString()};
        m_report = std::make_unique<ReportCapture>();
    }
    void cleanup() { m_report.reset(); }

    void voucherPagesOfSixLines()
    {
        TempProgram program;
        voucher(1, 7);
        voucher(2, 6);
        const VoucherPrint seven = buildVoucherPrint(kYear, QStringLiteral("3"), QStringLiteral("1"));
        QCOMPARE(seven.pages, 2);
        QCOMPARE(seven.lines.count(), 12);
        QCOMPARE(seven.lines.value(6, QStringLiteral("月")).toInt(), 2);
        QCOMPARE(seven.lines.value(6, QStringLiteral("全称")).toString(), QStringLiteral("1001.库存现金"));
        QVERIFY(seven.lines.value(7, QStringLiteral("全称")).isNull());
        QCOMPARE(seven.debitTotal, 40.0);
        QCOMPARE(seven.creditTotal, 30.0);
        QCOMPARE(buildVoucherPrint(kYear, QStringLiteral("3"), QStringLiteral("2")).lines.count(), 6);
        QCOMPARE(buildVoucherPrint(kYear, QStringLiteral("3"), QStringLiteral("9")).lines.count(), 0);
        QCOMPARE(checkVoucherPrintRequest(QStringLiteral("3"), QString())->text, QStringLiteral("月份或号码不能为空"));
        QCOMPARE(lastVoucherNumberOrOne(kYear, 3), 2);
        QCOMPARE(lastVoucherNumberOrOne(kYear, 4), 1);
    }

    void voucherPrintingWindow()
    {
        TempProgram program;
        voucher(1, 7);
        voucher(2, 2);
        QSettings(QSettings::UserScope, QStringLiteral("QM505"), QStringLiteral("QM505")).clear();
        VoucherPrintWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("凭证打印"));
        // Shown the modeless way, it is maximised as soon as it is activated.
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(window.windowState() & Qt::WindowMaximized);
        QVERIFY(child<QLineEdit>(window, "Text3")->text().isEmpty());
        auto* month = child<QComboBox>(window, "Combo1");
        month->setCurrentIndex(2);
        emit month->activated(2);
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), QStringLiteral("2"));

        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(m_report->calls, 1);
        QVERIFY(m_report->preview);
        QCOMPARE(m_report->layout.caption, QStringLiteral("凭证打印"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, QStringLiteral("记 字第1号(%p/%P)"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(1).text, QStringLiteral("日期:  2016年03月09日"));
        QCOMPARE(m_report->layout.groupFooter.texts.at(2).text, QStringLiteral("40.00"));
        QCOMPARE(m_report->layout.groupFooter.texts.at(0).text, QStringLiteral("附单据 2 张"));
        QCOMPARE(paginateReport(m_report->layout, m_report->rows, 16838).size(), 2);
        QCOMPARE(m_report->layout.orientation, QPageLayout::Portrait);

        MessageRecorder recorder;
        child<QPushButton>(window, "Command7")->click();
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("2"));
        child<QLineEdit>(window, "Text4")->setText(QStringLiteral("1.5"));
        child<QCheckBox>(window, "Check1")->setChecked(true);
        child<QPushButton>(window, "Command6")->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("保存OK")});

        VoucherPrintWindow again;
        QCOMPARE(child<QLineEdit>(again, "Text3")->text(), QStringLiteral("2"));
        QVERIFY(child<QCheckBox>(again, "Check1")->isChecked());
        auto* againMonth = child<QComboBox>(again, "Combo1");
        againMonth->setCurrentIndex(2);
        child<QPushButton>(again, "Command2")->click();
        QCOMPARE(child<QLineEdit>(again, "Text1")->text(), QStringLiteral("2"));
        QCOMPARE(m_report->layout.leftMargin, 1134);
        QCOMPARE(m_report->layout.topMargin, 851);
        QCOMPARE(m_report->layout.orientation, QPageLayout::Landscape);

        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("2"));
        child<QLineEdit>(again, "Text2")->setText(QStringLiteral("1"));
        child<QPushButton>(again, "Command4")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("号码要前小后大"));
        // A range skips the numbers that have no voucher.
        voucher(4, 2);
        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("1"));
        child<QLineEdit>(again, "Text2")->setText(QStringLiteral("4"));
        const int before = m_report->calls;
        child<QPushButton>(again, "Command4")->click();
        QCOMPARE(recorder.texts().mid(recorder.texts().size() - 1), QStringList{QStringLiteral("是否进行连续打印凭证？")});
        QCOMPARE(m_report->calls, before + 3);
        QVERIFY(!m_report->preview);
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, QStringLiteral("记 字第4号(%p/%P)"));
        QCOMPARE(child<QLineEdit>(again, "Text1")->text(), QStringLiteral("4"));

        // A left margin typed without a top margin is applied; the top keeps the layout's.
        child<QLineEdit>(again, "Text4")->clear();
        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("1"));
        child<QPushButton>(again, "Command1")->click();
        QCOMPARE(m_report->layout.leftMargin, 1134);
        QCOMPARE(m_report->layout.topMargin, ReportLayout().topMargin);

        // A number without a voucher previews an empty form: no number, attachments or totals.
        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("3"));
        child<QPushButton>(again, "Command1")->click();
        QCOMPARE(m_report->rows.count(), 0);
        const QString pdf = program.path() + QStringLiteral("/voucher.pdf");
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        const QStringList printed = pdfPageTexts(pdf);
        QCOMPARE(printed.size(), 1);
        QVERIFY(printed[0].contains(QStringLiteral("记帐凭证")));
        QVERIFY(!printed[0].contains(QStringLiteral("字第")));
        QVERIFY(!printed[0].contains(QStringLiteral("附单据")));
        QVERIFY(!printed[0].contains(QStringLiteral("0.00")));

        // Without a printer the preview still works, in the saved orientation; printing does not.
        auto previousCheck = setPrinterCheck([] { return false; });
        const int calls = m_report->calls;
        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("1"));
        child<QPushButton>(again, "Command1")->click();
        QCOMPARE(m_report->calls, calls + 1);
        QCOMPARE(m_report->layout.orientation, QPageLayout::Landscape);
        child<QPushButton>(again, "Command4")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("你电脑上没有安装打印机!! "));
        QCOMPARE(m_report->calls, calls + 1);

        // Opened modally, as from the toolbar, the window owns its preview, which stays usable.
        m_report.reset();
        again.setWindowModality(Qt::ApplicationModal);
        again.show();
        child<QPushButton>(again, "Command1")->click();
        auto* preview = again.findChild<QPrintPreviewDialog*>();
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        preview->close();
        again.close();
        setPrinterCheck(previousCheck);
        QSettings(QSettings::UserScope, QStringLiteral("QM505"), QStringLiteral("QM505")).clear();
    }

    // The preview and the export evaluate the option and month chosen now: heading and figures
    // belong together, and the headings name the year logged in.
    void statementsWindow()
    {
        TempProgram program;
        execute(QStringLiteral("UPDATE 信息表 SET 年度=2020 WHERE 代号='QM'"));
        addLine(QStringLiteral("8000000001"), QStringLiteral("1001"), 10.0, QVariant());
        addLine(QStringLiteral("8010001001"), QStringLiteral("1001"), 58000.0, QVariant());
        addLine(QStringLiteral("8010001002"), QStringLiteral("4001"), QVariant(), 58000.0);
        addLine(QStringLiteral("8020001001"), QStringLiteral("1002"), 0.1, QVariant());
        addLine(QStringLiteral("8020001002"), QStringLiteral("1002"), 0.2, QVariant());
        addLine(QStringLiteral("8020001003"), QStringLiteral("4001"), QVariant(), 0.3);
        voucher(1, 2);
        StatementsWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("报表"));
        QVERIFY(child<QRadioButton>(window, "Option1")->isChecked());
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("示范单位"));
        auto* result = child<QTableView>(window, "MSH1");
        auto* month = child<QComboBox>(window, "Combo1");
        MessageRecorder recorder;
        QStringList opened;
        auto previous = setSpreadsheetOpener([&opened](const QString& path) {
            opened << path;
            return true;
        });
        setExportFolder(program.path());

        // Exported before any query: month 1 is evaluated and written.
        child<QPushButton>(window, "Command3")->click();
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(opened.size(), 1);
        Sheet sheet = readFirstSheet(opened.last());
        QCOMPARE(sheet.cells.value(QStringLiteral("A6")).text, QStringLiteral("货币资金"));
        QCOMPARE(sheet.cells.value(QStringLiteral("D6")).text, QStringLiteral("58010"));

        // Computed for month 1, previewed with month 2 chosen: month 2's figures under month 2.
        child<QPushButton>(window, "Command4")->click();
        QCOMPARE(cellText(result, 1, 5), QStringLiteral("58,010.00"));
        QCOMPARE(cellAlignment(result, 1, 2), int(Qt::AlignCenter));
        month->setCurrentText(QStringLiteral("2"));
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(m_report->layout.caption, QStringLiteral("资产负债表"));
        QCOMPARE(m_report->layout.orientation, QPageLayout::Portrait);
        QCOMPARE(cellText(result, 1, 5), QStringLiteral("58,010.30"));
        const QString pdf = qEnvironmentVariable("QM505_STATEMENT_PDF", program.path() + QStringLiteral("/statement.pdf"));
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        QStringList printed = pdfPageTexts(pdf);
        QCOMPARE(printed.size(), 2);
        QCOMPARE(pdfLinesWith(printed[1], QStringLiteral("2016年02月29日")).size(), 1);
        QCOMPARE(pdfLinesWith(printed[0], QStringLiteral("2016年02月29日")).size(), 1);
        QCOMPARE(pdfLinesWith(printed[0], QStringLiteral(" 单位:示范单位")).size(), 1);
        QCOMPARE(pdfLinesWith(printed[0], QStringLiteral("货币资金")).first().section(QLatin1Char(' '), 2, 3),
                 QStringLiteral("10.00 58,010.30"));

        // Exported with month 3 chosen after that: month 3's figures and date.
        month->setCurrentText(QStringLiteral("3"));
        child<QRadioButton>(window, "Option3")->setChecked(true);
        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(opened.size(), 2);
        sheet = readFirstSheet(opened.last());
        QCOMPARE(sheet.cells.value(QStringLiteral("A1")).text, QStringLiteral("资 产 负 债  表"));
        QCOMPARE(sheet.cells.value(QStringLiteral("A4")).text, QStringLiteral("资  产"));
        QCOMPARE(sheet.cells.value(QStringLiteral("H4")).text, QStringLiteral("期末数"));
        QCOMPARE(sheet.cells.value(QStringLiteral("E3")).text, QString::number(QDate(1899, 12, 30).daysTo(QDate(2016, 3, 31))));
        QCOMPARE(sheet.cells.value(QStringLiteral("D6")).text, QStringLiteral("58010.3"));
        QCOMPARE(result->model()->rowCount(), 33);
        QVERIFY(result->isColumnHidden(3));
        QCOMPARE(cellAlignment(result, 1, 2), int(Qt::AlignCenter));
        QCOMPARE(cellAlignment(result, 1, 7), int(Qt::AlignCenter));

        child<QPushButton>(window, "Command5")->click();
        auto* definitions = child<QTableWidget>(window, "DataGrid1");
        QVERIFY(!definitions->isHidden());
        QVERIFY(!child<QListWidget>(window, "List1")->isHidden());
        QCOMPARE(child<QListWidget>(window, "List1")->item(0)->text(), QStringLiteral("1001 库存现金"));
        definitions->item(1, 2)->setText(QStringLiteral("1001"));
        QCOMPARE(scalar(QStringLiteral("SELECT 公式1 FROM 资产表07 WHERE 行次1=2")).toString(), QStringLiteral("1001"));
        QVERIFY(!(definitions->item(1, 1)->flags() & Qt::ItemIsEditable));

        // The titles in 仿宋 bold, the unit and period in 楷体, the headings bold, the balance
        // sheet's 行次 headings at 9 points; every face resolves to one that is installed.
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(m_report->layout.pageHeader.texts.at(2).text, QStringLiteral("2016年03月31日"));
        const QVector<ReportText>& header = m_report->layout.pageHeader.texts;
        QCOMPARE(header.at(0).face, ReportFace::FangSong);
        QVERIFY(header.at(0).bold);
        QCOMPARE(header.at(1).face, ReportFace::Kai);
        QVERIFY(!header.at(1).bold);
        for (const ReportText& text : header) {
            if (text.text == QStringLiteral("行次"))
                QCOMPARE(text.pointSize, 9.0);
            if (text.text == QStringLiteral("年初数"))
                QVERIFY(text.bold);
        }
        for (ReportFace face : {ReportFace::Song, ReportFace::FangSong, ReportFace::Kai})
            QVERIFY(QFontDatabase::families().contains(QFontInfo(reportFont(face, true)).family()));

        child<QRadioButton>(window, "Option4")->setChecked(true);
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(m_report->layout.caption, QStringLiteral("利润表"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(2).text, QStringLiteral("2016年3月"));
        child<QRadioButton>(window, "Option5")->setChecked(true);
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(m_report->layout.caption, QStringLiteral("现金流量表"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(2).text, QStringLiteral("2016年1-3月"));
        writeReportPdf(pdf, m_report->layout, m_report->rows);
        printed = pdfPageTexts(pdf);
        QCOMPARE(pdfLinesWith(printed[0], QStringLiteral("2016年1-3月")).size(), 1);

        // No printer: the preview still opens.
        auto previousCheck = setPrinterCheck([] { return false; });
        const int calls = m_report->calls;
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(m_report->calls, calls + 1);
        setPrinterCheck(previousCheck);
        setSpreadsheetOpener(previous);

        child<QPushButton>(window, "Command1")->click();
    }

    void formulaEditsGoToTheStatementOnScreen()
    {
        TempProgram program;
        StatementsWindow window;
        MessageRecorder recorder;
        child<QRadioButton>(window, "Option3")->setChecked(true);
        child<QPushButton>(window, "Command5")->click();
        auto* definitions = child<QTableWidget>(window, "DataGrid1");
        const QStringList balance05 = dumpTable(QStringLiteral("资产表05"));
        const QStringList income05 = dumpTable(QStringLiteral("利润表05"));

        // Ticking another statement does not move the edits: they go where the rows came from.
        child<QRadioButton>(window, "Option1")->setChecked(true);
        definitions->item(1, 2)->setText(QStringLiteral("1002+1012"));
        child<QRadioButton>(window, "Option2")->setChecked(true);
        definitions->item(1, 5)->setText(QStringLiteral("2001"));
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT 公式1 || '|' || 公式2 FROM 资产表07 WHERE 行次1=2")).toString(),
                 QStringLiteral("1002+1012|2001"));
        QCOMPARE(dumpTable(QStringLiteral("资产表05")), balance05);
        QCOMPARE(dumpTable(QStringLiteral("利润表05")), income05);

        // 行次2 takes a whole number; anything else is refused and the old one kept.
        const QString lineNumber = definitions->item(1, 4)->text();
        definitions->item(1, 4)->setText(QStringLiteral("3O"));
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("“3O”不是整数,原值不变")});
        QCOMPARE(definitions->item(1, 4)->text(), lineNumber);
        QCOMPARE(scalar(QStringLiteral("SELECT ifnull(行次2,'') FROM 资产表07 WHERE 行次1=2")).toString(), lineNumber);
        definitions->item(1, 4)->setText(QStringLiteral("40"));
        QCOMPARE(scalar(QStringLiteral("SELECT 行次2 FROM 资产表07 WHERE 行次1=2")).toInt(), 40);

        // Loading again follows the option ticked now.
        child<QPushButton>(window, "Command5")->click();
        QCOMPARE(definitions->columnCount(), 3);
        definitions->item(0, 2)->setText(QStringLiteral("6001"));
        QCOMPARE(scalar(QStringLiteral("SELECT 公式 FROM 利润表05 ORDER BY 行次 LIMIT 1")).toString(), QStringLiteral("6001"));
    }
};

QTEST_MAIN(TestStatementWindows)
#include "test_statement_windows.moc"

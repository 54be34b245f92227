#include "data/login.h"
#include "data/printer.h"
#include "ledgers/ledger_output.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "report/report.h"
#include "support/books.h"
#include "support/report_capture.h"
#include "support/temp_program.h"

#include <QFile>
#include <QPdfWriter>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

void cashLines(int count)
{
    execute(QStringLiteral("INSERT INTO 分2016 (ID, 摘要说明, 代码, 借方金额) VALUES ('8000000001', '年初余额', '1001', 5000)"));
    for (int line = 1; line <= count; ++line)
        execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 摘要说明, 代码, 贷方金额) "
                               "VALUES (?, '2016-03-05', 3, '记', ?, '付款', '1001', 10)"),
                {QStringLiteral("803%1001").arg(line, 4, 10, QLatin1Char('0')), line});
}

}  // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ReportCapture> m_report;

private slots:
    void init()
    {
        loginState() = LoginState{kYear, QStringLiteral("管理员"), QString(), QString()};
        m_report = std::make_unique<ReportCapture>();
    }
    void cleanup() { m_report.reset(); }

    void threeColumnReportPagesTheLedger()
    {
        TempProgram program;
        cashLines(36);
        buildDetailLedger(kYear, QStringLiteral("1001"), QStringLiteral("借"));
        LedgerOutput output{LedgerView::DetailLedger, QStringLiteral("1001"), QStringLiteral("库存现金"), QString(),
                            QStringLiteral("库存现金"), QStringLiteral("全部"), QStringLiteral("1.5")};
        setPrinterOrientation(Portrait);
        outputLedgerReport(output, true);
        QCOMPARE(m_report->calls, 1);
        QVERIFY(m_report->preview);
        QCOMPARE(m_report->layout.caption, QStringLiteral("三栏帐"));
        QCOMPARE(m_report->layout.leftMargin, 851);
        QCOMPARE(m_report->layout.orientation, QPageLayout::Landscape);
        QCOMPARE(m_report->layout.pageHeader.texts.first().text, QStringLiteral("库存现金  明细帐"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(2).text, QStringLiteral("会计期间:  2020年1月至12月"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, QStringLiteral("科目名称: 1001 库存现金"));
        // 36 entries, month total, year to date, opening and carry-forward: 40 lines on 3 pages.
        const QVector<ReportPage> pages = paginateReport(m_report->layout, m_report->rows, 11906);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0].rows.size(), 19);
        QCOMPARE(pages[1].rows.size(), 20);
        QCOMPARE(pages[2].rows.size(), 19);
        QCOMPARE(reportFieldText(m_report->rows.value(2, QStringLiteral("余额")), QStringLiteral("#,##0.00")),
                 QStringLiteral("4,980.00"));

        const QString pdf = qEnvironmentVariableIsSet("QM505_REPORT_PDF") ? qEnvironmentVariable("QM505_REPORT_PDF")
                                                                          : program.path() + QStringLiteral("/ledger.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setResolution(300);
            renderReport(writer, m_report->layout, m_report->rows);
        }
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("/Type /Page\n"), 3);

        // The general ledger prints its own title; a margin that is not a number keeps the layout's.
        output.view = LedgerView::GeneralLedger;
        output.leftMarginCm = QStringLiteral("abc");
        setPrinterOrientation(Portrait);
        execute(QStringLiteral("DELETE FROM 三总式"));
        buildGeneralLedger(kYear, QStringLiteral("1001"), QStringLiteral("借"));
        outputLedgerReport(output, false);
        QCOMPARE(m_report->layout.pageHeader.texts.first().text, QStringLiteral("总 分 类 帐"));
        QCOMPARE(m_report->layout.leftMargin, 1100);
        QCOMPARE(m_report->layout.orientation, QPageLayout::Portrait);

        // No account, no report.
        output.code.clear();
        outputLedgerReport(output, false);
        QCOMPARE(m_report->calls, 2);
    }

    void balanceAndSummaryReports()
    {
        TempProgram program;
        cashLines(2);
        execute(QStringLiteral("INSERT INTO 分2016 (ID, 月, 代码, 借方金额) VALUES ('8030009001', 3, '6602', 20)"));
        QVERIFY(!buildBalanceTable(kYear, QStringLiteral("3"), QStringLiteral("1")));
        LedgerOutput output{LedgerView::AmountBalance, QString(), QString(), QString(), QString(), QStringLiteral("3"),
                            QStringLiteral("1")};
        outputLedgerReport(output, false);
        QCOMPARE(m_report->layout.caption, QStringLiteral("科目余额表"));
        QCOMPARE(m_report->layout.pageHeader.texts.at(3).text, QStringLiteral("会计期间:2020年3月"));
        QCOMPARE(m_report->rows.count(), 3);
        QCOMPARE(m_report->rows.value(2, QStringLiteral("科目名称")).toString(), QStringLiteral("合  计"));
        QCOMPARE(m_report->layout.orientation, QPageLayout::Landscape);

        QVERIFY(!buildAccountSummary(kYear, QStringLiteral("3")));
        output.view = LedgerView::AccountSummary;
        outputLedgerReport(output, true);
        QCOMPARE(m_report->layout.caption, QStringLiteral("凭证汇总表"));
        QCOMPARE(m_report->layout.orientation, QPageLayout::Portrait);
        QCOMPARE(m_report->layout.topMargin, 1440);
        QCOMPARE(m_report->rows.value(m_report->rows.count() - 1, 0).toString(), QStringLiteral("8"));
        // One flowing page when the rows fit.
        QCOMPARE(paginateReport(m_report->layout, m_report->rows, 16838).size(), 1);
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"

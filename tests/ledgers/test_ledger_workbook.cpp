#include "data/login.h"
#include "data/spreadsheet.h"
#include "data/spreadsheet_export.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/ledger_output.h"
#include "ledgers/ledger_workbook.h"
#include "support/books.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"
#include "support/xlsx_reader.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

// Lines of balance 100, 200, …; the line at `monthTotalAt` is a month total, with no balance.
void threeColumnLedger(int lines, int emptySummaryAt = 0, int monthTotalAt = 0)
{
    execute(QStringLiteral("DELETE FROM 三总式"));
    for (int line = 1; line <= lines; ++line) {
        const bool total = line == monthTotalAt;
        execute(QStringLiteral("INSERT INTO 三总式 (ID, 日期, 摘要说明, 借方金额, 方向, 余额) VALUES (?, '2016-03-01', ?, 1, ?, ?)"),
                {QStringLiteral("8030001%1").arg(line, 3, 10, QLatin1Char('0')),
                 line == emptySummaryAt ? QString() : total ? QStringLiteral(" 本月合计") : QStringLiteral("第%1行").arg(line),
                 total ? QVariant() : QVariant(QStringLiteral("借")), total ? QVariant() : QVariant(line * 100)});
    }
}

LedgerPagesSheet laidOut()
{
    return layOutLedgerPages(LedgerPagesKind::ThreeColumn, openRecordset(QStringLiteral("SELECT * FROM 三总式 ORDER BY ID")));
}

// The three-column ledger written to `path` under the headings of `name`, `code`, read back.
Sheet written(const QString& path, const QString& name, const QString& code = QStringLiteral("1001"))
{
    writeLedgerPagesWorkbook(path, LedgerPagesKind::ThreeColumn, laidOut(),
                             {name + QStringLiteral("   明细帐"), QStringLiteral("科目名称:%1 %2").arg(code, name), QStringLiteral("2016")});
    return readFirstSheet(path);
}

}  // namespace

class TestLedgerWorkbook : public QObject {
    Q_OBJECT

private slots:
    void pagesOfTwentyFiveRows()
    {
        TempProgram program;
        threeColumnLedger(22);
        LedgerPagesSheet sheet = laidOut();
        QCOMPARE(sheet.rows.size(), 24);
        QVERIFY(sheet.pageBreaks.isEmpty());
        QCOMPARE(sheet.rows[0][0].toString() + sheet.rows[1][7].toString(), QStringLiteral("日期余额"));

        threeColumnLedger(23);
        sheet = laidOut();
        QCOMPARE(sheet.rows.size(), 29);
        QCOMPARE(QStringList({sheet.rows[24][3].toString(), sheet.rows[24][7].toString(), sheet.rows[27][3].toString(),
                              sheet.rows[27][7].toString()}).join(QLatin1Char('|')),
                 QStringLiteral("过 次 页|2200|承 前 页|2200"));
        QCOMPARE(sheet.rows[25][0].toString() + sheet.rows[28][3].toString(), QStringLiteral("日期第23行"));
        QCOMPARE(sheet.pageBreaks, QVector<int>{25});

        // The line at row 25 has no summary: no break there.
        threeColumnLedger(30, 23);
        QVERIFY(laidOut().pageBreaks.isEmpty());

        threeColumnLedger(23);
        const QString path = program.path() + QStringLiteral("/pages.xlsx");
        QCOMPARE(cellTexts(written(path, QStringLiteral("库存现金")), {QStringLiteral("D25"), QStringLiteral("H25"), QStringLiteral("A26"),
                                                                   QStringLiteral("D28")}),
                 QStringLiteral("过 次 页|2200|日期|承 前 页"));
        const QByteArray xml = zipEntry(path, "xl/worksheets/sheet1.xml");
        QVERIFY(xml.contains("<brk id=\"25\"") && xml.contains("orientation=\"landscape\""));

        // The page's last line is a month total: the carried cells hold the balance above it.
        threeColumnLedger(23, 0, 22);
        QCOMPARE(cellTexts(written(path, QStringLiteral("库存现金")), {QStringLiteral("D24"), QStringLiteral("H25"), QStringLiteral("H28")}),
                 QStringLiteral(" 本月合计|2100|2100"));
    }

    // Columns as wide as their texts; the page header escapes "&" and stays within 255
    // characters however long the account's name.
    void columnWidthsAndPageHeader()
    {
        TempProgram program;
        threeColumnLedger(3);
        execute(QStringLiteral("UPDATE 三总式 SET 摘要说明='收回前欠货款及利息共计三笔款项', 借方金额=1234567.125 WHERE ID='8030001002'"));
        const QString path = program.path() + QStringLiteral("/pages.xlsx");
        Sheet sheet = written(path, QStringLiteral("研发&设计"), QStringLiteral("5301001001"));
        // The file keeps a width with the spreadsheet's padding of under one character.
        const auto widthOf = [&sheet](int column) { return int(sheet.columnWidths.value(column)); };
        QCOMPARE(widthOf(4), spreadsheetTextWidth(QStringLiteral("收回前欠货款及利息共计三笔款项")) + 2);
        QCOMPARE(widthOf(5), int(QStringLiteral("1,234,567.13").size()) + 2);
        QCOMPARE(widthOf(1), 12);
        QVERIFY(sheet.pageHeader.contains(QStringLiteral("科目名称:5301001001 研发&&设计&C")));
        QVERIFY(sheet.pageHeader.contains(QStringLiteral("研发&&设计   明细帐&\"宋体,常规\"\n&\"常规\"&10会计期间:2016年1-12月")));

        sheet = written(path, QString(300, QChar(0x8D26)));
        QVERIFY(sheet.pageHeader.size() <= 255);
        QVERIFY(sheet.pageHeader.contains(QStringLiteral("会计期间:2016年1-12月")));
        QVERIFY(sheet.pageHeader.contains(QChar(0x2026)));
    }

    void quantityPagesCarryQuantityAndAmount()
    {
        TempProgram program;
        for (int line = 1; line <= 23; ++line)
            execute(QStringLiteral("INSERT INTO 数量式 (ID, 摘要说明, 余数, 余额) VALUES (?, 'x', ?, ?)"),
                    {QStringLiteral("8030001%1").arg(line, 3, 10, QLatin1Char('0')), line == 22 ? QVariant() : QVariant(line), line * 7});
        const LedgerPagesSheet sheet =
            layOutLedgerPages(LedgerPagesKind::Quantity, openRecordset(QStringLiteral("SELECT * FROM 数量式 ORDER BY ID")));
        QCOMPARE(sheet.rows[0][4].toString() + sheet.rows[1][4].toString(), QStringLiteral("借    方借数"));
        QVERIFY(sheet.rows[24][11].isNull());
        QCOMPARE(sheet.rows[24][13].toString() + QLatin1Char('|') + sheet.rows[27][13].toString(), QStringLiteral("154|154"));
    }

    void exportFromTheQueryCentreOutput()
    {
        TempProgram program;
        loginState().fiscalYear = 2016;
        MessageRecorder recorder;
        QStringList opened;
        auto previous = setSpreadsheetOpener([&opened](const QString& path) {
            opened << path;
            return true;
        });
        setExportFolder(program.path());
        LedgerOutput output{LedgerView::DetailLedger, QStringLiteral("1001"), QStringLiteral("库存现金"), QString(),
                            QStringLiteral("库存现金"), QStringLiteral("全部"), QStringLiteral("1"), true};
        exportLedgerPages(output);
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("没有记录!")});
        threeColumnLedger(3);
        exportLedgerPages(output);
        QCOMPARE(opened.size(), 1);
        output.view = LedgerView::MultiColumnLedger;
        execute(QStringLiteral("DROP TABLE IF EXISTS 多栏式"));
        exportLedgerPages(output);
        QVERIFY(recorder.texts().last().startsWith(QStringLiteral("     ErrNumber: ")));

        // A parent with a single sub-account: one column under " 明细科目", nothing to merge.
        addAccount(QStringLiteral("1002001"), QStringLiteral("工商银行"), QStringLiteral("银行存款/工商银行"));
        addLine(QStringLiteral("8030001001"), QStringLiteral("1002001"), 5.0, QVariant());
        QVERIFY(!buildMultiColumnRows(2016, QStringLiteral("1002"), QStringLiteral("借"), false));
        buildMultiColumnPivot(QStringLiteral("1002"), QStringLiteral("借"));
        const int messages = recorder.messages.size();
        output.fullName = QStringLiteral("银行存款");
        exportLedgerPages(output);
        QCOMPARE(recorder.messages.size(), messages);
        QCOMPARE(opened.size(), 2);
        const Sheet sheet = readFirstSheet(opened.last());
        QCOMPARE(cellTexts(sheet, {QStringLiteral("I1"), QStringLiteral("I2"), QStringLiteral("I3")}), QStringLiteral(" 明细科目|工商银行|5"));
        QVERIFY(sheet.merged.contains(QStringLiteral("H1:H2")));
        QVERIFY(sheet.pageHeader.contains(QStringLiteral("银行存款   明细帐")));
        setSpreadsheetOpener(previous);
    }
};

QTEST_MAIN(TestLedgerWorkbook)
#include "test_ledger_workbook.moc"

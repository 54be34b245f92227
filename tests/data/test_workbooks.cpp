#include "support/common.h"
#include "support/books_test.h"
#include "data/spreadsheet.h"
#include "data/spreadsheet_export.h"
#include "ledgers/detail_ledgers.h"
#include "ledgers/ledger_output.h"
#include "ledgers/ledger_workbook.h"
#include "support/widgets.h"
#include "support/xlsx_reader.h"

#include <QDir>
#include <QFile>

namespace {

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

}  // namespace

class TestWorkbooks : public WindowTest {
    Q_OBJECT

private slots:
    void threeColumnsTwoRows()
    {
        OpenedWorkbooks workbooks(programFolder() + u"/exports"_s);
        QStringList& opened = workbooks.paths;
        const QString statement = QStringLiteral("SELECT 代码, 名称, 1.5 AS 金额 FROM 现流 WHERE 代码 IN ('101','102') ORDER BY 代码");
        exportRecordsetToExcel(statement);
        QVERIFY(recorder.messages.isEmpty() && opened.size() == 1 && opened.first().startsWith(programFolder() + u"/exports/"_s));

        const Sheet sheet = readFirstSheet(opened.first());
        QCOMPARE(cellTexts(sheet, {u"A4"_s, u"B4"_s, u"C4"_s, u"A5"_s, u"B6"_s, u"C6"_s}), u"代码|名称|金额|101|收到的税费返还|1.5"_s);
        QVERIFY(sheet.cells.size() == 9 && spreadsheetTextWidth(u"a现金"_s) == 5);
        for (const QString& reference : sheet.cells.keys())
            QVERIFY2(sheet.borderedStyles.contains(sheet.cells.value(reference).style), qPrintable(reference));
        // The name column is as wide as its longest Chinese text, counted double.
        const double nameWidth = spreadsheetTextWidth(u"销售商品、提供劳务收到的现金"_s) + 2;
        QVERIFY(sheet.columnWidths.value(2) >= nameWidth && sheet.columnWidths.value(2) < nameWidth + 1);

        // A second export in the same second does not overwrite the first.
        exportRecordsetToExcel(statement);
        QVERIFY(opened.size() == 2 && opened[0] != opened[1] && QFile::exists(opened[0]));

        // No program opens the workbook: the user learns where it was written.
        workbooks.openable = false;
        exportRecordsetToExcel(statement);
        QVERIFY(opened.size() == 3 && QFile::exists(opened[2]) && recorder.messages.size() == 1);
        QVERIFY(recorder.texts().last().endsWith(QDir::toNativeSeparators(opened[2])) && recorder.messages.last().title == u"QM505提示"_s);
    }

    void emptyResultAndFailures()
    {
        const QString folder = programFolder() + u"/exports"_s;
        OpenedWorkbooks workbooks(folder);
        exportRecordsetToExcel(u"SELECT * FROM 现流 WHERE 代码=?"_s, {u"999"_s});
        QVERIFY(recorder.texts() == QStringList{u"没有记录!"_s} && workbooks.paths.isEmpty() && QDir(folder).entryList(QDir::Files).isEmpty());

        exportRecordsetToExcel(u"SELECT * FROM 没有的表"_s);
        const QStringList lines = recorder.texts().last().split(QLatin1Char('\n'));
        QVERIFY(lines.size() == 4 && lines[0].startsWith(u"     ErrNumber: "_s) && lines[1].startsWith(u"ErrDescription: "_s));
        QCOMPARE(lines.mid(2), (QStringList{u"        Module: ClsRs"_s, u"     Procedure: ExporToExcel"_s}));

        // A folder that cannot be written to.
        QFile blocker(programFolder() + u"/blocked"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        setExportFolder(blocker.fileName());
        exportRecordsetToExcel(u"SELECT * FROM 现流"_s);
        QVERIFY(recorder.texts().last().startsWith(u"     ErrNumber: "_s) && workbooks.paths.isEmpty());
    }

    void pagesOfTwentyFiveRows()
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
    }

    // Columns as wide as their texts; the page header escapes "&" and stays within 255
    // characters however long the account's name.
    void columnWidthsAndPageHeader()
    {
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
    }

    void quantityPagesCarryQuantityAndAmount()
    {
        for (int line = 1; line <= 23; ++line)
            execute(u"INSERT INTO 数量式 (ID, 摘要说明, 余数, 余额) VALUES (?, 'x', ?, ?)"_s,
                    {u"8030001%1"_s.arg(line, 3, 10, QLatin1Char('0')), line == 22 ? QVariant() : QVariant(line), line * 7});
        const LedgerPagesSheet sheet =
            layOutLedgerPages(LedgerPagesKind::Quantity, openRecordset(u"SELECT * FROM 数量式 ORDER BY ID"_s));
        QCOMPARE(sheet.rows[0][4].toString() + sheet.rows[1][4].toString(), u"借    方借数"_s);
        QVERIFY(sheet.rows[24][11].isNull());
        QCOMPARE(sheet.rows[24][13].toString() + QLatin1Char('|') + sheet.rows[27][13].toString(), u"154|154"_s);
    }

    void exportFromTheQueryCentreOutput()
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
        QVERIFY(!buildMultiColumnRows(2016, u"1002"_s, u"借"_s, false));
        buildMultiColumnPivot(u"1002"_s, u"借"_s);
        const int messages = recorder.messages.size();
        output.fullName = u"银行存款"_s;
        exportLedgerPages(output);
        QVERIFY(recorder.messages.size() == messages && workbooks.paths.size() == 2);
        const Sheet sheet = readFirstSheet(workbooks.paths.last());
        QCOMPARE(cellTexts(sheet, {u"I1"_s, u"I2"_s, u"I3"_s}), u" 明细科目|工商银行|5"_s);
        QVERIFY(sheet.merged.contains(u"H1:H2"_s) && sheet.pageHeader.contains(u"银行存款   明细帐"_s));
    }
};

QTEST_MAIN(TestWorkbooks)
#include "test_workbooks.moc"

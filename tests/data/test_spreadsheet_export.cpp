#include "data/database.h"
#include "data/spreadsheet.h"
#include "data/spreadsheet_export.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"
#include "support/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

class TestSpreadsheetExport : public QObject {
    Q_OBJECT

private:
    QStringList m_opened;
    bool m_openable = true;
    SpreadsheetOpener m_previous;

private slots:
    void init()
    {
        m_opened.clear();
        m_openable = true;
        m_previous = setSpreadsheetOpener([this](const QString& path) {
            m_opened << path;
            return m_openable;
        });
    }
    void cleanup() { setSpreadsheetOpener(m_previous); }

    void threeColumnsTwoRows()
    {
        TempProgram program;
        setExportFolder(program.path() + u"/exports"_s);
        MessageRecorder recorder;
        const QString statement = QStringLiteral("SELECT 代码, 名称, 1.5 AS 金额 FROM 现流 WHERE 代码 IN ('101','102') ORDER BY 代码");
        exportRecordsetToExcel(statement);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened.first().startsWith(program.path() + u"/exports/"_s));

        const Sheet sheet = readFirstSheet(m_opened.first());
        QStringList cells;
        for (const QString& reference : {u"A4"_s, u"B4"_s, u"C4"_s, u"A5"_s, u"B6"_s, u"C6"_s})
            cells << sheet.cells.value(reference).text;
        QCOMPARE(cells.join(u'|'), u"代码|名称|金额|101|收到的税费返还|1.5"_s);
        QCOMPARE(sheet.cells.size(), 9);
        for (const QString& reference : sheet.cells.keys())
            QVERIFY2(sheet.borderedStyles.contains(sheet.cells.value(reference).style), qPrintable(reference));
        // The name column is as wide as its longest Chinese text, counted double.
        const double nameWidth = spreadsheetTextWidth(u"销售商品、提供劳务收到的现金"_s) + 2;
        QVERIFY(sheet.columnWidths.value(2) >= nameWidth && sheet.columnWidths.value(2) < nameWidth + 1);
        QCOMPARE(spreadsheetTextWidth(u"a现金"_s), 5);

        // A second export in the same second does not overwrite the first.
        exportRecordsetToExcel(statement);
        QCOMPARE(m_opened.size(), 2);
        QVERIFY(m_opened[0] != m_opened[1]);
        QVERIFY(QFile::exists(m_opened[0]));

        // No program opens the workbook: the user learns where it was written.
        m_openable = false;
        exportRecordsetToExcel(statement);
        QCOMPARE(m_opened.size(), 3);
        QVERIFY(QFile::exists(m_opened[2]));
        QCOMPARE(recorder.messages.size(), 1);
        QVERIFY(recorder.texts().last().endsWith(QDir::toNativeSeparators(m_opened[2])));
        QCOMPARE(recorder.messages.last().title, u"QM505提示"_s);
    }

    void valuesReadBackExactly()
    {
        TempProgram program;
        const QString path = program.path() + u"/values.xlsx"_s;
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
        QCOMPARE(sheet.cells.value(u"E5"_s).text.toDouble(), 0.1 + 0.2);
        QVERIFY(sheet.cells.contains(u"C5"_s));
        QCOMPARE(sheet.cells.size(), 16);
        for (const SheetCell& cell : sheet.cells)
            QVERIFY(sheet.borderedStyles.contains(cell.style));
        QVERIFY(zipEntry(path, "xl/sharedStrings.xml").contains(u"<t xml:space=\"preserve\">  前导空格</t>"_s.toUtf8()));
        QCOMPARE(sheet.cells.value(u"H5"_s).text.size(), 32767);
        // Widths as spreadsheet programs store them: the text's width plus 2, in whole pixels.
        QCOMPARE(sheet.columnWidths.value(2), 12.7109375);
        QCOMPARE(sheet.columnWidths.value(3), 4.7109375);
        QCOMPARE(sheet.columnWidths.value(5), 21.7109375);
        QCOMPARE(sheet.columnWidths.value(8), 32769.7109375);

        // Rows enough to be deflated in several pieces, joined in order into one sound entry.
        writeRecordSetWorkbook(openRecordset(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                             "SELECT i AS 号, '第' || i || '行' AS 名, i * 0.125 AS 金额, NULL AS 空, 'x' AS 标 FROM n"_s),
                               path);
        const Sheet rows = readFirstSheet(path);
        QCOMPARE(rows.cells.size(), 3001 * 5);
        QCOMPARE(cellTexts(rows, {u"A1823"_s, u"B3004"_s, u"C3004"_s, u"E3004"_s}), u"1819|第3000行|375|x"_s);
        QCOMPARE(rows.columnWidths.value(2), 10.7109375);
    }

    void emptyResultAndFailures()
    {
        TempProgram program;
        const QString folder = program.path() + u"/exports"_s;
        setExportFolder(folder);
        MessageRecorder recorder;
        exportRecordsetToExcel(u"SELECT * FROM 现流 WHERE 代码=?"_s, {u"999"_s});
        QCOMPARE(recorder.texts(), QStringList{u"没有记录!"_s});
        QVERIFY(m_opened.isEmpty());
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());

        exportRecordsetToExcel(u"SELECT * FROM 没有的表"_s);
        const QStringList lines = recorder.texts().last().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(u"     ErrNumber: "_s));
        QVERIFY(lines[1].startsWith(u"ErrDescription: "_s));
        QCOMPARE(lines[2], u"        Module: ClsRs"_s);
        QCOMPARE(lines[3], u"     Procedure: ExporToExcel"_s);

        // A folder that cannot be written to.
        QFile blocker(program.path() + u"/blocked"_s);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        setExportFolder(blocker.fileName());
        exportRecordsetToExcel(u"SELECT * FROM 现流"_s);
        QVERIFY(recorder.texts().last().startsWith(u"     ErrNumber: "_s));
        QVERIFY(m_opened.isEmpty());
    }
};

QTEST_MAIN(TestSpreadsheetExport)
#include "test_spreadsheet_export.moc"

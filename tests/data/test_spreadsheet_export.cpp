#include "support/common.h"
#include "data/spreadsheet.h"
#include "data/spreadsheet_export.h"
#include "support/xlsx_reader.h"

#include <QDir>
#include <QFile>

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

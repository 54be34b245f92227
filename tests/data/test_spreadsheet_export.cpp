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
        setExportFolder(program.path() + QStringLiteral("/exports"));
        MessageRecorder recorder;
        const QString statement = QStringLiteral(
            "SELECT 代码, 名称, 1.5 AS 金额 FROM 现流 WHERE 代码 IN ('101','102') ORDER BY 代码");
        exportRecordsetToExcel(statement);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_opened.first().startsWith(program.path() + QStringLiteral("/exports/")));

        const Sheet sheet = readFirstSheet(m_opened.first());
        QCOMPARE(sheet.cells.value(QStringLiteral("A4")).text, QStringLiteral("代码"));
        QCOMPARE(sheet.cells.value(QStringLiteral("B4")).text, QStringLiteral("名称"));
        QCOMPARE(sheet.cells.value(QStringLiteral("C4")).text, QStringLiteral("金额"));
        QCOMPARE(sheet.cells.value(QStringLiteral("A5")).text, QStringLiteral("101"));
        QCOMPARE(sheet.cells.value(QStringLiteral("B6")).text, QStringLiteral("收到的税费返还"));
        QCOMPARE(sheet.cells.value(QStringLiteral("C6")).text, QStringLiteral("1.5"));
        QCOMPARE(sheet.cells.size(), 9);
        for (const QString& reference : sheet.cells.keys())
            QVERIFY2(sheet.borderedStyles.contains(sheet.cells.value(reference).style), qPrintable(reference));
        // The name column is as wide as its longest Chinese text, counted double.
        const double nameWidth = spreadsheetTextWidth(QStringLiteral("销售商品、提供劳务收到的现金")) + 2;
        QVERIFY(sheet.columnWidths.value(2) >= nameWidth && sheet.columnWidths.value(2) < nameWidth + 1);
        QCOMPARE(spreadsheetTextWidth(QStringLiteral("a现金")), 5);

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
        QCOMPARE(recorder.messages.last().title, QStringLiteral("QM505提示"));
    }

    void emptyResultAndFailures()
    {
        TempProgram program;
        const QString folder = program.path() + QStringLiteral("/exports");
        setExportFolder(folder);
        MessageRecorder recorder;
        exportRecordsetToExcel(QStringLiteral("SELECT * FROM 现流 WHERE 代码=?"), {QStringLiteral("999")});
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("没有记录!")});
        QVERIFY(m_opened.isEmpty());
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());

        exportRecordsetToExcel(QStringLiteral("SELECT * FROM 没有的表"));
        const QStringList lines = recorder.texts().last().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(QStringLiteral("     ErrNumber: ")));
        QVERIFY(lines[1].startsWith(QStringLiteral("ErrDescription: ")));
        QCOMPARE(lines[2], QStringLiteral("        Module: ClsRs"));
        QCOMPARE(lines[3], QStringLiteral("     Procedure: ExporToExcel"));

        // A folder that cannot be written to.
        QFile blocker(program.path() + QStringLiteral("/blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        setExportFolder(blocker.fileName());
        exportRecordsetToExcel(QStringLiteral("SELECT * FROM 现流"));
        QVERIFY(recorder.texts().last().startsWith(QStringLiteral("     ErrNumber: ")));
        QVERIFY(m_opened.isEmpty());
    }
};

QTEST_MAIN(TestSpreadsheetExport)
#include "test_spreadsheet_export.moc"

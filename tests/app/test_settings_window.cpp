#include "accounts/opening_balances_window.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "data/choosers.h"
#include "data/dialog_runner.h"
#include "data/login.h"
#include "data/process.h"
#include "support/books.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"
#include "support/widgets.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

void click(QObject& window, const char* button)
{
    child<QPushButton>(window, button)->click();
}

// Types into a cell of a bound grid and leaves it with Enter; a locked cell opens no editor.
void typeIntoCell(QTableWidget* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentCell(row, column);
    grid->editItem(grid->item(row, column));
    QWidget* editor = QApplication::focusWidget();
    if (!editor || !grid->viewport()->isAncestorOf(editor))
        return;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid stores the cell once the key has been handled.
    QCoreApplication::processEvents();
}

int rowOf(QTableWidget* grid, const QString& code)
{
    return grid->findItems(code, Qt::MatchExactly).first()->row();
}

QString chartValues(const QString& code)
{
    return scalar(QStringLiteral("SELECT ifnull(数量,'-') || ' ' || ifnull(借方金额,'-') || ' ' || ifnull(贷方金额,'-') "
                                 "FROM 科目表 WHERE 科目代码=?"), {code}).toString();
}

QString workCopyValues(const QString& code)
{
    return scalar(QStringLiteral("SELECT ifnull(数量,'-') || ' ' || ifnull(借方金额,'-') || ' ' || ifnull(贷方金额,'-') "
                                 "FROM 分录始表 WHERE 代码=?"), {code}).toString();
}

}  // namespace

class TestSettingsWindow : public QObject {
    Q_OBJECT

private:
    int m_ended = 0;
    ProcessEndHandler m_previousEnd;

private slots:
    void init()
    {
        loginState() = LoginState{2016, QStringLiteral("管理员"), QStringLiteral("123456"), QStringLiteral("示范单位")};
        m_ended = 0;
        m_previousEnd = setProcessEndHandler([this](int) { ++m_ended; });
    }
    void cleanup() { setProcessEndHandler(m_previousEnd); }

    void loadsAndSavesTheYear()
    {
        TempProgram program;
        SettingsWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("信息设置"));
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), QStringLiteral("管理员"));
        for (const char* name : {"Text4", "Text5", "Text6"}) {
            auto* password = child<QLineEdit>(window, name);
            password->setText(QStringLiteral("123456"));
            password->ensurePolished();
            QCOMPARE(password->displayText(), QStringLiteral("******"));
        }
        child<QLineEdit>(window, "Text5")->clear();
        child<QLineEdit>(window, "Text6")->clear();
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("示范单位"));
        auto* year = child<QComboBox>(window, "Combo1");
        QCOMPARE(year->count(), 11);
        QCOMPARE(year->itemText(10), QStringLiteral("2020"));
        QVERIFY(year->currentText().isEmpty());
        QVERIFY(!year->isEnabled());
        QVERIFY(!child<QPushButton>(window, "Command2")->isEnabled());

        MessageRecorder recorder;
        QSignalSpy yearChanged(&window, &SettingsWindow::yearChanged);
        click(window, "Command1");
        click(window, "Command2");
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("请选择会计年度")});
        // A year typed into the box: those without an entry table are refused.
        for (const QString& typed : {QStringLiteral("2009"), QStringLiteral("2021"), QStringLiteral("abc")}) {
            year->lineEdit()->clear();
            QTest::keyClicks(year->lineEdit(), typed);
            click(window, "Command2");
            QCOMPARE(recorder.texts().last(), QStringLiteral("超年限不能使用"));
            QCOMPARE(loginState().fiscalYear, qint16(2016));
        }
        year->lineEdit()->clear();
        QTest::keyClicks(year->lineEdit(), QStringLiteral("2020"));
        child<QLineEdit>(window, "Text1")->setText(QStringLiteral("新单位"));
        click(window, "Command2");
        QCOMPARE(recorder.texts().last(), QStringLiteral("年度\\单位保存成功"));
        QCOMPARE(yearChanged.size(), 1);
        QCOMPARE(yearChanged.first().first().toInt(), 2020);
        QVERIFY(!year->isEnabled());
        QCOMPARE(loginState().fiscalYear, qint16(2020));
        // The caption keeps the name read at login.
        QCOMPARE(loginState().unitName, QStringLiteral("示范单位"));

        MainWindow main;
        connect(&window, &SettingsWindow::yearChanged, &main, &MainWindow::showYear);
        connect(&window, &SettingsWindow::operatorRenamed, &main, &MainWindow::showRenamedOperator);
        emit window.yearChanged(2017);
        QCOMPARE(child<QLabel>(main, "Label1")->text(), QStringLiteral("2017年"));
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("会计"));
        click(window, "Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("修改成功"));
        QCOMPARE(child<QLabel>(main, "StatusBar1Panel3")->text(), QStringLiteral("会计"));
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), QStringLiteral("会计"));
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("会计"));
        click(window, "Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("会计   此操作员已存在"));
        QVERIFY(child<QLineEdit>(window, "Text3")->text().isEmpty());

        child<QLineEdit>(window, "Text5")->setText(QStringLiteral("abc"));
        child<QLineEdit>(window, "Text6")->setText(QStringLiteral("abd"));
        click(window, "Command6");
        QCOMPARE(recorder.texts().last(), QStringLiteral("两次密码输入不一致"));
        QVERIFY(child<QLineEdit>(window, "Text5")->text().isEmpty());
    }

    void backupFolderBackupAndRestore()
    {
        TempProgram program;
        const QString folder = program.path() + QStringLiteral("/备份");
        auto previousFolder = setFolderChooser([folder](const QString& prompt) {
            return prompt == QStringLiteral("请选择一个备份文件夹>>>>>>点[确定]") ? folder : QString();
        });
        QString chosenFile;
        auto previousFile = setFileChooser([&chosenFile](const QString&, const QString& filter) {
            return filter == QStringLiteral("BAM文件(*.bam)") ? chosenFile : QString();
        });
        MessageRecorder recorder;
        {
            SettingsWindow window;
            click(window, "Command8");
            QCOMPARE(recorder.texts(), QStringList{QStringLiteral("请选择备份路径")});
            recorder.answers.enqueue(MessageAnswer::No);
            click(window, "Command9");
            QCOMPARE(recorder.texts().last(), QStringLiteral("是否修改路径?"));
            QVERIFY(child<QLineEdit>(window, "Text7")->text().isEmpty());
            QCOMPARE(scalar(QStringLiteral("SELECT 备份路径 FROM 信息表 WHERE 代号='QM'")).toString(), QString());
            click(window, "Command9");
            QCOMPARE(recorder.texts().last(), QStringLiteral("已修改成功"));
            QCOMPARE(child<QLineEdit>(window, "Text7")->text(), folder);

            click(window, "Command8");
            QCOMPARE(recorder.texts().mid(recorder.texts().size() - 2),
                     (QStringList{QStringLiteral("是否备份 2016 年度的数据?"),
                                  QStringLiteral("数据成功备份到: ") + folder + QStringLiteral(" 文件夹中")}));
            QCOMPARE(window.result(), int(QDialog::Accepted));
        }
        const QStringList backups = QDir(folder).entryList({QStringLiteral("*.bam")});
        QCOMPARE(backups.size(), 1);
        {
            // A folder typed into the box serves as well as a chosen one.
            SettingsWindow window;
            auto* box = child<QLineEdit>(window, "Text7");
            box->clear();
            QTest::keyClicks(box, QStringLiteral("relative/dir"));
            click(window, "Command8");
            QCOMPARE(recorder.texts().last(), QStringLiteral("请选择备份路径"));
            const QString typed = program.path() + QStringLiteral("/typed");
            box->clear();
            QTest::keyClicks(box, typed);
            click(window, "Command8");
            QCOMPARE(recorder.texts().last(), QStringLiteral("数据成功备份到: ") + typed + QStringLiteral(" 文件夹中"));
            QCOMPARE(QDir(typed).entryList({QStringLiteral("*.bam")}).size(), 1);
        }

        execute(QStringLiteral("DELETE FROM 科目表"));
        SettingsWindow window;
        click(window, "Command10");
        QCOMPARE(recorder.texts().last(), QStringLiteral("请选择文件!"));
        chosenFile = folder + QStringLiteral("/") + backups.first();
        QFile::copy(chosenFile, folder + QStringLiteral("/upper.BAM"));
        chosenFile = folder + QStringLiteral("/upper.BAM");
        click(window, "Command10");
        QCOMPARE(recorder.texts().last(), QStringLiteral("文件错误!!导入失败!"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 0);
        chosenFile = folder + QStringLiteral("/") + backups.first();
        recorder.answers.enqueue(MessageAnswer::Yes);
        recorder.answers.enqueue(MessageAnswer::No);
        click(window, "Command10");
        QCOMPARE(recorder.texts().last(), QStringLiteral("最后一次提示:是否导入数据?"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 0);
        click(window, "Command10");
        QCOMPARE(recorder.texts().last(), QStringLiteral("导入文件成功!"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 86);

        setFolderChooser(previousFolder);
        setFileChooser(previousFile);
    }

    void carryForwardEndsTheProgram()
    {
        TempProgram program;
        addEntry(2016, QStringLiteral("8000000001"), QStringLiteral("1001"), 5.0, QVariant());
        SettingsWindow window;
        QSignalSpy yearChanged(&window, &SettingsWindow::yearChanged);
        MessageRecorder recorder;
        click(window, "Command12");
        QCOMPARE(recorder.texts().last(), QStringLiteral("年度过帐成功"));
        QCOMPARE(m_ended, 1);
        QCOMPARE(yearChanged.first().first().toInt(), 2017);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2017")).toInt(), 1);

        loginState().fiscalYear = 2020;
        SettingsWindow last;
        click(last, "Command12");
        QCOMPARE(recorder.texts().last(), QStringLiteral("只到2020年的数据库"));
        QCOMPARE(m_ended, 1);
    }

    void openingBalancesWindow()
    {
        TempProgram program;
        OpeningBalancesWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("科目初始余额处理(可以随时重复操作)"));
        MessageRecorder recorder;
        click(window, "Command2");
        click(window, "Command4");
        QVERIFY(recorder.messages.isEmpty());

        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        click(window, "Command1");
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        QCOMPARE(grid->rowCount(), 86);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("1001"));
        // Typed into the grid and left with Enter: stored, and the cursor on the next row.
        grid->setFocus();
        grid->setCurrentCell(0, 4);
        grid->editItem(grid->item(0, 4));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1000"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(grid->currentRow(), 1);
        QCOMPARE(grid->item(0, 4)->text(), QStringLiteral("1,000.00"));
        QCOMPARE(scalar(QStringLiteral("SELECT 借方金额 FROM 科目表 WHERE 科目代码='1001'")).toDouble(), 1000.0);

        click(window, "Command2");
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("借贷不平")});
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("1,000.00"));
        QCOMPARE(child<QLineEdit>(window, "Text3")->text(), QStringLiteral("不平衡"));

        // An edit still open when a button is pressed counts.
        const int capital = grid->findItems(QStringLiteral("4001"), Qt::MatchExactly).first()->row();
        grid->setCurrentCell(capital, 5);
        grid->editItem(grid->item(capital, 5));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1000"));
        click(window, "Command2");
        QCOMPARE(recorder.texts().mid(recorder.texts().size() - 2),
                 (QStringList{QStringLiteral("是否装入年初数据?"), QStringLiteral("已装入成功")}));
        QCOMPARE(child<QLineEdit>(window, "Text3")->text(), QStringLiteral("平衡"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(ID || ':' || 代码) FROM (SELECT * FROM 分2016 ORDER BY ID)")).toString(),
                 QStringLiteral("8000000001:1001,8000000002:4001"));

        click(window, "Command2");
        QCOMPARE(recorder.texts().size(), 3);
        click(window, "Command3");
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->columnCount(), 5);
        click(window, "Command2");
        QCOMPARE(recorder.texts().last(), QStringLiteral("请先点[显示科目]"));
        recorder.answers.enqueue(MessageAnswer::No);
        click(window, "Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("是否修改年初数据?"));
        click(window, "Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已修改成功"));
    }

    void openingBalanceEditsStayInTheGridsOwnTable()
    {
        TempProgram program;
        // A credit-direction leaf at level 3.
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='2202'"));
        addAccount(QStringLiteral("2202001"), QStringLiteral("甲"), QStringLiteral("应付账款/甲"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("2202001001"), QStringLiteral("材料款"), QStringLiteral("应付账款/甲/材料款"),
                   QStringLiteral("贷"));
        const QString cash = QStringLiteral("1001");
        const QString payable = QStringLiteral("2202001001");
        OpeningBalancesWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        MessageRecorder recorder;
        auto* grid = child<QTableWidget>(window, "DataGrid1");

        click(window, "Command1");
        typeIntoCell(grid, rowOf(grid, cash), 4, QStringLiteral("100.125"));
        typeIntoCell(grid, rowOf(grid, payable), 5, QStringLiteral("100.13"));
        typeIntoCell(grid, rowOf(grid, payable), 3, QStringLiteral("2.5"));
        QCOMPARE(grid->item(rowOf(grid, cash), 4)->text(), QStringLiteral("100.13"));
        QCOMPARE(chartValues(cash), QStringLiteral("- 100.13 -"));
        QCOMPARE(chartValues(payable), QStringLiteral("2.5 - 100.13"));
        QVERIFY(recorder.messages.isEmpty());

        // Not a number, in an amount and in a quantity: refused, the old value kept in table and cell.
        typeIntoCell(grid, rowOf(grid, cash), 4, QStringLiteral("1O00"));
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("“1O00”不是数字,原值不变")});
        QCOMPARE(grid->item(rowOf(grid, cash), 4)->text(), QStringLiteral("100.13"));
        typeIntoCell(grid, rowOf(grid, payable), 3, QStringLiteral("abc"));
        QCOMPARE(recorder.texts().last(), QStringLiteral("“abc”不是数字,原值不变"));
        QCOMPARE(grid->item(rowOf(grid, payable), 3)->text(), QStringLiteral("2.5"));
        QCOMPARE(chartValues(cash), QStringLiteral("- 100.13 -"));
        QCOMPARE(chartValues(payable), QStringLiteral("2.5 - 100.13"));

        click(window, "Command2");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已装入成功"));
        // The account grid stays and still writes each column into its own column of the chart.
        typeIntoCell(grid, rowOf(grid, cash), 3, QStringLiteral("3"));
        typeIntoCell(grid, rowOf(grid, cash), 4, QStringLiteral("7"));
        typeIntoCell(grid, rowOf(grid, cash), 5, QStringLiteral("8"));
        for (int column : {0, 1, 2})
            typeIntoCell(grid, rowOf(grid, cash), column, QStringLiteral("9"));
        QCOMPARE(chartValues(cash), QStringLiteral("3.0 7.0 8.0"));
        typeIntoCell(grid, rowOf(grid, cash), 3, QString());
        typeIntoCell(grid, rowOf(grid, cash), 4, QStringLiteral("100.13"));
        typeIntoCell(grid, rowOf(grid, cash), 5, QString());

        // The fetched rows: edits go to the work copy and never to the chart, before and after a
        // successful rewrite.
        const QStringList chart = dumpTable(QStringLiteral("科目表"));
        click(window, "Command3");
        QCOMPARE(grid->columnCount(), 5);
        typeIntoCell(grid, rowOf(grid, cash), 3, QStringLiteral("200"));
        typeIntoCell(grid, rowOf(grid, payable), 4, QStringLiteral("200.00"));
        typeIntoCell(grid, rowOf(grid, payable), 3, QStringLiteral("x"));
        QCOMPARE(workCopyValues(cash), QStringLiteral("- 200.0 -"));
        QCOMPARE(workCopyValues(payable), QStringLiteral("2.5 - 200.0"));
        recorder.answers.enqueue(MessageAnswer::Yes);
        click(window, "Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已修改成功"));
        for (int column = 0; column < grid->columnCount(); ++column)
            typeIntoCell(grid, rowOf(grid, payable), column, QStringLiteral("5"));
        QCOMPARE(workCopyValues(payable), QStringLiteral("5.0 5.0 5.0"));
        QCOMPARE(dumpTable(QStringLiteral("科目表")), chart);
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(代码 || ':' || ifnull(借方金额,'-') || ':' || ifnull(贷方金额,'-')) "
                                       "FROM (SELECT * FROM 分2016 ORDER BY ID)")).toString(),
                 QStringLiteral("1001:200.0:-,2202001001:-:200.0"));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "test_settings_window.moc"

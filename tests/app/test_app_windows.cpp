#include "support/common.h"
#include "accounts/opening_balances_window.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "app/start_up.h"
#include "data/choosers.h"
#include "data/dialog_runner.h"
#include "data/fiscal_year.h"
#include "data/keyboard_state.h"
#include "data/num_key_filter.h"
#include "data/printer.h"
#include "data/process.h"
#include "data/window_helpers.h"
#include "ledgers/views.h"
#include "support/full_disk.h"
#include "support/other_writer.h"
#include "support/widgets.h"
#include "vouchers/voucher_grid.h"
#include "vouchers/voucher_window.h"

namespace {

// Types into a cell of a bound grid, and leaves it with Enter unless `leaveOpen`; a locked cell
// opens no editor.
void typeIntoCell(QTableWidget* grid, const QString& code, int column, const QString& text, bool leaveOpen = false)
{
    const int row = grid->findItems(code, Qt::MatchExactly).first()->row();
    grid->setFocus();
    grid->setCurrentCell(row, column);
    grid->editItem(grid->item(row, column));
    QWidget* editor = QApplication::focusWidget();
    if (!editor || !grid->viewport()->isAncestorOf(editor))
        return;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    if (leaveOpen)
        return;
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid stores the cell once the key has been handled.
    QCoreApplication::processEvents();
}

// Quantity, debit and credit of an account, in the chart or in the working copy.
QString values(const QString& table, const QString& code)
{
    return rowsAsText(u"SELECT 数量, 借方金额, 贷方金额 FROM %1 WHERE %2=?"_s.arg(table, table == u"科目表"_s ? u"科目代码"_s : u"代码"_s),
                      {code}).value(0);
}

void fill(QTableWidget& table, int rows)
{
    table.setRowCount(rows);
    table.setColumnCount(3);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < 3; ++column)
            table.setItem(row, column, new QTableWidgetItem(QString::number(row)));
}

void wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int sideways = 0)
{
    const QPointF at(10, 10);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(sideways, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class TestAppWindows : public WindowTest {
    Q_OBJECT

private:
    int m_ended = 0;
    qsizetype m_messagesAtEnd = 0;  // how many messages had been shown when the program was ended
    ProcessEndHandler m_previousEnd;
    std::function<bool()> m_previousPrinter;

private slots:
    void initTestCase() { FullDisk::install(); }
    void init()
    {
        BooksTest::init();
        loginState() = LoginState{2016, u"管理员"_s, u"123456"_s, u"示范单位"_s};
        m_ended = 0;
        m_previousEnd = setProcessEndHandler([this](int) {
            ++m_ended;
            m_messagesAtEnd = recorder.messages.size();
        });
        m_previousPrinter = setPrinterCheck([] { return true; });
    }
    void cleanup()
    {
        setInsertMode(true);
        setLockStateReader({});
        setProcessEndHandler(m_previousEnd);
        setPrinterCheck(m_previousPrinter);
        BooksTest::cleanup();
    }

    void qtOwnDialogsSpeakChinese()
    {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_zh_CN.qm"_s))
            QSKIP("Qt's translations are not installed (Debian package qt6-translations-l10n)");
        QTranslator* translator = installQtTranslation();
        QVERIFY(translator);
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:") + u'|' + QCoreApplication::translate("QPrintDialog", "Print"),
                 u"查找范围：|打印"_s);
        // The dialog Qt draws itself where the desktop offers none.
        QFileDialog dialog(nullptr, u"请选择文件"_s, programFolder(), u"BAM文件(*.bam)"_s);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QCOMPARE(buttons->button(QDialogButtonBox::Open)->text() + u'|' + buttons->button(QDialogButtonBox::Cancel)->text(), u"打开(&O)|取消"_s);
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }

    void yearOperatorAndPassword()
    {
        SettingsWindow window;
        QCOMPARE(window.windowTitle() + u'|' + boxTexts(window, {"Text2", "Text1"}), u"信息设置|管理员|示范单位"_s);
        for (const char* name : {"Text4", "Text5", "Text6"}) {
            child<QLineEdit>(window, name)->setText(u"123456"_s);
            child<QLineEdit>(window, name)->ensurePolished();
            QCOMPARE(child<QLineEdit>(window, name)->displayText(), u"******"_s);
        }
        auto* year = child<QComboBox>(window, "Combo1");
        QVERIFY(year->count() == 11 && year->itemText(10) == u"2020"_s && year->currentText().isEmpty() && !year->isEnabled());
        QVERIFY(!child<QPushButton>(window, "Command2")->isEnabled());
        QVERIFY(!child<QLineEdit>(window, "Text1")->isEnabled());
        // The current operator and password are shown, not typed.
        QVERIFY(!child<QLineEdit>(window, "Text2")->isEnabled() && !child<QLineEdit>(window, "Text4")->isEnabled());

        QSignalSpy yearChanged(&window, &SettingsWindow::yearChanged);
        click(window, "Command1");
        QVERIFY(year->isEnabled() && child<QLineEdit>(window, "Text1")->isEnabled());
        click(window, "Command2");
        QCOMPARE(recorder.texts(), QStringList{u"请选择会计年度"_s});
        // A year typed into the box: one without an entry table is refused.
        QTest::keyClicks(year->lineEdit(), u"2009"_s);
        QCOMPARE(press(window, "Command2", recorder), u"超年限不能使用"_s);
        year->lineEdit()->clear();
        QTest::keyClicks(year->lineEdit(), u"2020"_s);
        fill(window, {{"Text1", u"新单位"_s}});
        QCOMPARE(press(window, "Command2", recorder), u"年度\\单位保存成功"_s);
        QVERIFY(yearChanged.size() == 1 && yearChanged.first().first().toInt() == 2020 && !year->isEnabled());
        QVERIFY(!child<QLineEdit>(window, "Text1")->isEnabled());
        // The caption keeps the name read at login.
        QCOMPARE(loginState().unitName, u"示范单位"_s);

        MainWindow main;
        connect(&window, &SettingsWindow::yearChanged, &main, &MainWindow::showYear);
        connect(&window, &SettingsWindow::operatorRenamed, &main, &MainWindow::showRenamedOperator);
        emit window.yearChanged(2017);
        QCOMPARE(child<QLabel>(main, "Label1")->text(), u"2017年"_s);
        fill(window, {{"Text3", u"会计"_s}});
        QCOMPARE(press(window, "Command4", recorder), u"修改成功"_s);
        QCOMPARE(child<QLabel>(main, "StatusBar1Panel3")->text() + u'|' + boxTexts(window, {"Text2"}), u"会计|会计"_s);
        fill(window, {{"Text3", u"会计"_s}});
        QCOMPARE(QStringList{press(window, "Command4", recorder)} << boxTexts(window, {"Text3"}), (QStringList{u"会计   此操作员已存在"_s, QString()}));
        // A blank name is refused with what was typed left in place.
        fill(window, {{"Text3", u"  "_s}});
        QCOMPARE(QStringList{press(window, "Command4", recorder)} << boxTexts(window, {"Text3"}),
                 (QStringList{u"请输入新操作员名"_s, u"  "_s}));

        fill(window, {{"Text5", u"abc"_s}, {"Text6", u"abd"_s}});
        QCOMPARE(QStringList{press(window, "Command6", recorder)} << boxTexts(window, {"Text5"}), (QStringList{u"两次密码输入不一致"_s, QString()}));
        // With one box empty the other keeps what was typed, in either box.
        QStringList oneEmpty;
        for (const auto& [typed, repeated] : {std::pair{u"abc"_s, u" "_s}, {u""_s, u"abc"_s}}) {
            fill(window, {{"Text5", typed}, {"Text6", repeated}});
            oneEmpty << press(window, "Command6", recorder) << boxTexts(window, {"Text5", "Text6"});
        }
        QCOMPARE(oneEmpty, (QStringList{u"请输入密码！"_s, u"abc| "_s, u"请输入密码！"_s, u"|abc"_s}));
        // A changed password becomes the one shown as the old one.
        fill(window, {{"Text5", u"新密"_s}, {"Text6", u"新密"_s}});
        QCOMPARE(QStringList{press(window, "Command6", recorder)} << boxTexts(window, {"Text4", "Text5", "Text6"}),
                 (QStringList{u"修改成功"_s, u"新密||"_s}));
    }

    void backupFolderBackupAndRestore()
    {
        const QString folder = programFolder() + u"/备份"_s;
        auto previousFolder = setFolderChooser([folder](const QString& prompt) {
            return prompt == u"请选择一个备份文件夹>>>>>>点[确定]"_s ? folder : QString();
        });
        QString chosenFile;
        QString startedIn = u"<not asked>"_s;
        auto previousFile = setFileChooser([&chosenFile, &startedIn](const QString&, const QString& filter, const QString& startFolder) {
            startedIn = startFolder;
            return filter == u"BAM文件(*.bam)"_s ? chosenFile : QString();
        });
        {
            SettingsWindow window;
            // No backup folder saved yet: the restore's chooser is given none to start in.
            QCOMPARE(press(window, "Command10", recorder), u"请选择文件!"_s);
            QCOMPARE(startedIn, QString());
            QCOMPARE(press(window, "Command8", recorder), u"请选择备份路径"_s);
            recorder.answers.enqueue(MessageAnswer::No);
            QCOMPARE(press(window, "Command9", recorder), u"是否修改路径?"_s);
            QCOMPARE(boxTexts(window, {"Text7"}) + scalar(u"SELECT 备份路径 FROM 信息表 WHERE 代号='QM'"_s).toString(), QString());
            QCOMPARE(press(window, "Command9", recorder), u"已修改成功"_s);
            QCOMPARE(boxTexts(window, {"Text7"}), folder);

            click(window, "Command8");
            QCOMPARE(recorder.texts().mid(recorder.texts().size() - 2), (QStringList{u"是否备份 2016 年度的数据?"_s, u"数据成功备份到: "_s + folder + u" 文件夹中"_s}));
            QCOMPARE(window.result(), int(QDialog::Accepted));
        }
        const QStringList backups = QDir(folder).entryList({u"*.bam"_s});
        QCOMPARE(backups.size(), 1);
        {
            // A folder typed into the box serves as well as a chosen one.
            SettingsWindow window;
            const QString typed = programFolder() + u"/typed"_s;
            for (const QString& path : {u"relative/dir"_s, typed}) {
                child<QLineEdit>(window, "Text7")->clear();
                QTest::keyClicks(child<QLineEdit>(window, "Text7"), path);
                QCOMPARE(press(window, "Command8", recorder), path == typed ? u"数据成功备份到: "_s + typed + u" 文件夹中"_s : u"请选择备份路径"_s);
            }
            QCOMPARE(QDir(typed).entryList({u"*.bam"_s}).size(), 1);
        }

        execute(u"DELETE FROM 科目表"_s);
        SettingsWindow window;
        // The saved backup folder, not the one last typed into the box.
        child<QLineEdit>(window, "Text7")->setText(programFolder() + u"/typed"_s);
        QCOMPARE(press(window, "Command10", recorder), u"请选择文件!"_s);
        QCOMPARE(startedIn, folder);
        chosenFile = folder + u"/upper.BAM"_s;
        QFile::copy(folder + u"/"_s + backups.first(), chosenFile);
        QCOMPARE(press(window, "Command10", recorder), u"文件错误!!导入失败!"_s);
        chosenFile = folder + u"/"_s + backups.first();
        recorder.answers << MessageAnswer::Yes << MessageAnswer::No;
        QCOMPARE(press(window, "Command10", recorder), u"最后一次提示:是否导入数据?"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 科目表"_s).toInt(), 0);
        QCOMPARE(press(window, "Command10", recorder), u"导入文件成功!"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 科目表"_s).toInt(), 86);
        QCOMPARE(window.result(), int(QDialog::Accepted));

        setFolderChooser(previousFolder);
        setFileChooser(previousFile);
    }

    // Each way a restore is refused leaves the books as they were and no staged copy beside them.
    void refusedRestoresLeaveNothingBehind()
    {
        addLines(u"8030001001 1001 0.125 -"_s);
        const QString folder = programFolder() + u"/备份"_s;
        QVERIFY(QDir().mkpath(folder));
        const auto write = [&folder](const QString& name, const QByteArray& bytes) {
            QFile file(folder + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        };
        write(u"text.bam"_s, "not a database");
        write(u"empty.bam"_s, QByteArray());
        // A database of another program, and books without their settings row.
        execute(u"ATTACH DATABASE ? AS other"_s, {folder + u"/other.bam"_s});
        execute(u"CREATE TABLE other.t (x)"_s);
        execute(u"DETACH DATABASE other"_s);
        execute(u"VACUUM INTO ?"_s, {folder + u"/unset.bam"_s});
        execute(u"ATTACH DATABASE ? AS unset"_s, {folder + u"/unset.bam"_s});
        execute(u"DELETE FROM unset.信息表"_s);
        execute(u"DETACH DATABASE unset"_s);
        // Books cut short in the middle.
        execute(u"VACUUM INTO ?"_s, {folder + u"/whole.bam"_s});
        QVERIFY(QFile::copy(folder + u"/whole.bam"_s, folder + u"/cut.bam"_s));
        QVERIFY(QFile::resize(folder + u"/cut.bam"_s, QFileInfo(folder + u"/whole.bam"_s).size() / 2));
        // Nothing that can be read.
        QVERIFY(QDir(folder).mkdir(u"folder.bam"_s));

        const QStringList books = dumpTable(u"分2016"_s) + dumpTable(u"信息表"_s);
        QString chosen;
        const FileChooser previous = setFileChooser([&chosen](const QString&, const QString&, const QString&) { return chosen; });
        SettingsWindow window;
        QStringList expected, actual;
        for (const QString& name : {u"text.bam"_s, u"empty.bam"_s, u"other.bam"_s, u"unset.bam"_s, u"cut.bam"_s,
                                    u"folder.bam"_s, u"missing.bam"_s}) {
            chosen = folder + u'/' + name;
            const QString message = press(window, "Command10", recorder);
            expected << name + u" refused, nothing staged, books kept"_s;
            actual << name + (message.startsWith(u"文件错误!!导入失败!\n"_s) ? u" refused"_s : u" said: "_s + message)
                          + (QFile::exists(databaseFilePath() + u".restore"_s) ? u", staged copy left"_s : u", nothing staged"_s)
                          + (dumpTable(u"分2016"_s) + dumpTable(u"信息表"_s) == books ? u", books kept"_s : u", books changed"_s);
        }
        // A good backup refused because another program is changing the books: the file is not to blame.
        chosen = folder + u"/whole.bam"_s;
        {
            const OtherWriter other(databaseFilePath());
            QCOMPARE(press(window, "Command10", recorder),
                     u"数据库正被另一个程序使用，它的修改还没有完成。请关闭那个程序后再试。备份没有导入，数据库没有改变。"_s);
        }
        QVERIFY(dumpTable(u"分2016"_s) + dumpTable(u"信息表"_s) == books);
        setFileChooser(previous);
        QCOMPARE(actual, expected);
        QCOMPARE(window.result(), int(QDialog::Rejected));
    }

    void carryForwardAndPasswords()
    {
        addLines(u"8000000001 1001 5 -"_s);
        SettingsWindow window;
        QSignalSpy yearChanged(&window, &SettingsWindow::yearChanged);
        QCOMPARE(press(window, "Command12", recorder), u"年度过帐成功"_s);
        QVERIFY(m_ended == 1 && yearChanged.first().first().toInt() == 2017 && scalar(u"SELECT count(*) FROM 分2017"_s).toInt() == 1);
        QCOMPARE(window.result(), int(QDialog::Accepted));

        loginState().fiscalYear = 2020;
        SettingsWindow last;
        QCOMPARE(press(last, "Command12", recorder), u"只到2020年的数据库"_s);
        QCOMPARE(m_ended, 1);
        // A carry-forward the disk could not confirm is told before the program ends: no message
        // shows once it has.
        loginState().fiscalYear = 2017;
        {
            SettingsWindow next;
            const FailingFolderSync unconfirmed;
            click(next, "Command12");
        }
        QCOMPARE(QStringList(recorder.texts().mid(m_messagesAtEnd - 2)) << QString::number(m_ended),
                 (QStringList{u"年度过帐成功"_s, u"修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。建议马上做一次数据备份。"_s, u"2"_s}));

        // Passwords compare exactly, names without regard to case.
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', 'Zhang', ' Pw1 '), ('03', 'Li', NULL), ('04', 'Wang', '')"_s);
        const QList<std::tuple<QString, QString, bool>> cases = {
            {u"Zhang"_s, u" Pw1 "_s, true}, {u"zHANG"_s, u" Pw1 "_s, true}, {u"Zhang"_s, u" pw1 "_s, false},
            {u"Zhang"_s, u"Pw1"_s, false}, {u"Zhang "_s, u" Pw1 "_s, false}, {u"Li"_s, QString(), false},
            {u"Li"_s, u""_s, false}, {u"Wang"_s, u""_s, true}, {u"nobody"_s, u""_s, false},
            // A crafted name is a name, not a statement.
            {u"x' OR '1'='1"_s, u" Pw1 "_s, false}, {u"' UNION SELECT 密码 FROM 信息表 WHERE 操作员='Zhang"_s, u" Pw1 "_s, false}};
        for (const auto& [name, password, accepted] : cases)
            QVERIFY2(checkLogin(name, password) == accepted, qPrintable(name + u'/' + password));
    }

    // Enter leaves a cell for the next row, once. Edits of the shown accounts go to the chart, edits of the fetched rows to their working
    // copy only, before and after a rewrite.
    void openingBalancesWindow()
    {
        addPayableLeaf();
        const QString cash = u"1001"_s;
        const QString payable = u"2202001001"_s;
        OpeningBalancesWindow window;
        QCOMPARE(window.windowTitle(), u"科目初始余额处理(可以随时重复操作)"_s);
        click(window, "Command2");
        click(window, "Command4");
        QVERIFY(recorder.messages.isEmpty());

        QVERIFY(showActive(window));
        click(window, "Command1");
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        QVERIFY(grid->rowCount() == 86 && grid->item(0, 0)->text() == cash);
        for (const int column : {4, 5})
            QCOMPARE(grid->item(0, column)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        typeIntoCell(grid, cash, 4, u"1000.125"_s);
        QCOMPARE(grid->currentRow(), 1);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->currentRow(), 2);
        QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(grid->currentRow(), 3);
        QCOMPARE(grid->item(0, 4)->text() + u'|' + values(u"科目表"_s, cash), u"1,000.13|- 1000.13 -"_s);
        QCOMPARE(press(window, "Command2", recorder), u"借贷不平"_s);
        QCOMPARE(boxTexts(window, {"Text1", "Text3"}), u"1,000.13|不平衡"_s);
        QCOMPARE(boxTexts(window, {"Text2"}), u"0.00"_s);

        // Not a number, in an amount and in a quantity: refused, the old value kept in table and cell.
        typeIntoCell(grid, payable, 3, u"2.5"_s);
        typeIntoCell(grid, cash, 4, u"1O00"_s);
        typeIntoCell(grid, payable, 3, u"abc"_s);
        QCOMPARE(recorder.texts().mid(1), (QStringList{u"“1O00”不是数字,原值不变"_s, u"“abc”不是数字,原值不变"_s}));
        QCOMPARE(grid->item(0, 4)->text() + u'|' + values(u"科目表"_s, payable), u"1,000.13|2.5 - -"_s);

        // An edit still open when a button is pressed counts.
        typeIntoCell(grid, payable, 5, u"1000.13"_s, true);
        click(window, "Command2");
        QCOMPARE(recorder.texts().mid(3) << boxTexts(window, {"Text3"}), (QStringList{u"是否装入年初数据?"_s, u"已装入成功"_s, u"平衡"_s}));
        QCOMPARE(rowsAsText(u"SELECT ID, 代码, 数量, 借方金额, 贷方金额 FROM 分2016 ORDER BY ID"_s),
                 (QStringList{u"8000000001 1001 - 1000.13 -"_s, u"8000000002 2202001001 2.5 - 1000.13"_s}));
        click(window, "Command2");
        QCOMPARE(recorder.texts().size(), 5);
        // Showing the accounts again, or fetching the opening rows, empties the totals.
        click(window, "Command1");
        QCOMPARE(boxTexts(window, {"Text1", "Text2", "Text3"}), u"||"_s);

        // The account grid stays, and writes each column into its own column of the chart.
        for (const auto& [column, text] : {std::pair{3, u"3"_s}, {4, u"7"_s}, {5, u"8"_s}, {0, u"9"_s}, {1, u"9"_s}, {2, u"9"_s}})
            typeIntoCell(grid, cash, column, text);
        QCOMPARE(values(u"科目表"_s, cash), u"3 7 8"_s);
        const QStringList chart = dumpTable(u"科目表"_s);

        click(window, "Command3");
        QVERIFY(grid->rowCount() == 2 && grid->columnCount() == 5);
        QCOMPARE(press(window, "Command2", recorder), u"请先点[显示科目]"_s);
        typeIntoCell(grid, cash, 3, u"200.005"_s);
        typeIntoCell(grid, payable, 4, u"200.01"_s);
        typeIntoCell(grid, payable, 3, u"x"_s);
        QCOMPARE(values(u"分录始表"_s, cash) + u'|' + values(u"分录始表"_s, payable), u"- 200.01 -|2.5 - 200.01"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command4", recorder), u"是否修改年初数据?"_s);
        QCOMPARE(press(window, "Command4", recorder), u"已修改成功"_s);
        for (int column = 0; column < grid->columnCount(); ++column)
            typeIntoCell(grid, payable, column, u"5"_s);
        QVERIFY(values(u"分录始表"_s, payable) == u"5 5 5"_s && dumpTable(u"科目表"_s) == chart);
        QCOMPARE(rowsAsText(u"SELECT ID, 代码, 数量, 借方金额, 贷方金额 FROM 分2016 ORDER BY ID"_s),
                 (QStringList{u"8000000001 1001 - 200.01 -"_s, u"8000000002 2202001001 2.5 - 200.01"_s}));

        // The hidden mode box mirrors what waits for its load; what is typed into it is never read back.
        auto* mode = child<QLineEdit>(window, "Text4");
        const qsizetype before = recorder.texts().size();
        mode->setText(u"2"_s);
        click(window, "Command4");
        const QString silent = QString::number(recorder.texts().size() - before);
        click(window, "Command3");
        const QString mirrored = mode->text();
        QCOMPARE(boxTexts(window, {"Text1", "Text2", "Text3"}), u"||"_s);
        mode->setText(u"1"_s);
        QCOMPARE(QStringList({silent, mirrored, press(window, "Command2", recorder)}), (QStringList{u"0"_s, u"2"_s, u"请先点[显示科目]"_s}));
    }

    // A fourth decimal typed as an opening quantity, in the chart or in the fetched rows, is refused with
    // the old value kept in table and cell; three decimals on a level-3 credit account are stored as typed
    // and sum exactly at every level of the quantity balance table.
    // Opening rows stored out of their codes' order are shown in code order; an edit reaches the
    // row it was typed on.
    void fetchedRowsOutOfCodeOrderAreEditedInTheirOwnRow()
    {
        addPayableLeaf();
        addLines(u"8000000001 2202001001 - 5 3|8000000002 1001 5 -"_s);
        OpeningBalancesWindow window;
        QVERIFY(showActive(window));
        click(window, "Command3");
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        QCOMPARE(grid->item(0, 0)->text(), u"1001"_s);
        typeIntoCell(grid, u"1001"_s, 3, u"6"_s);
        typeIntoCell(grid, u"2202001001"_s, 2, u"4"_s);
        QCOMPARE(values(u"分录始表"_s, u"1001"_s) + u'|' + values(u"分录始表"_s, u"2202001001"_s), u"- 6 -|4 - 5"_s);
    }

    void openingQuantitiesKeepThreeDecimals()
    {
        addPayableLeaf();
        const QString payable = u"2202001001"_s;
        OpeningBalancesWindow window;
        QVERIFY(showActive(window));
        click(window, "Command1");
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        const int row = grid->findItems(payable, Qt::MatchExactly).first()->row();
        for (const QString& typed : {u"0.125"_s, u"1.2345"_s, u"-0.0004"_s})
            typeIntoCell(grid, payable, 3, typed);
        QCOMPARE(grid->item(row, 3)->text() + u'|' + values(u"科目表"_s, payable), u"0.125|0.125 - -"_s);
        typeIntoCell(grid, payable, 3, u"1.2340"_s);
        typeIntoCell(grid, payable, 5, u"1.23"_s);
        typeIntoCell(grid, u"1001"_s, 4, u"1.23"_s);
        QCOMPARE(grid->item(row, 3)->text() + u'|' + values(u"科目表"_s, payable), u"1.234|1.234 - 1.23"_s);
        click(window, "Command2");
        QCOMPARE(recorder.texts(), (QStringList{u"“1.2345”超过三位小数,原值不变"_s, u"“-0.0004”超过三位小数,原值不变"_s,
                                                u"是否装入年初数据?"_s, u"已装入成功"_s}));
        buildBalanceTable(kYear, u"1"_s, u"3"_s);
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 期初数量 FROM 数量式余额表 WHERE substr(科目代码,1,4)='2202' ORDER BY 1"_s),
                 (QStringList{u"2202 1.234"_s, u"2202001 1.234"_s, u"2202001001 1.234"_s}));

        click(window, "Command3");
        typeIntoCell(grid, payable, 2, u"2.0005"_s);
        QCOMPARE(recorder.texts().last(), u"“2.0005”超过三位小数,原值不变"_s);
        QCOMPARE(grid->item(1, 2)->text() + u'|' + values(u"分录始表"_s, payable), u"1.234|1.234 - 1.23"_s);
        // Pasted into a cell's editor: a third decimal refuses an amount and is taken in a quantity.
        for (const auto& [column, pasted] : {std::pair{3, u"1.005"_s}, {2, u"2.125"_s}}) {
            typeIntoCell(grid, payable, column, QString(), true);
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        QCOMPARE(recorder.texts().last() + u'|' + values(u"分录始表"_s, payable),
                 u"“1.005”超过两位小数,原值不变|2.125 - 1.23"_s);
        // Committed by an input method in full-width, it is the number it shows; digits past any
        // amount are too large, not "no number".
        typeIntoCell(grid, payable, 3, QString(), true);
        QInputMethodEvent composed;
        composed.setCommitString(u"１２。５"_s);
        QApplication::sendEvent(QApplication::focusWidget(), &composed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        typeIntoCell(grid, payable, 4, QString(400, u'9'));
        QCOMPARE(recorder.texts().last() + u'|' + values(u"分录始表"_s, payable),
                 u"金额不能超过999,999,999,999.99|2.125 12.5 1.23"_s);
        // Pasted over a cell whose editor is not open: it opens with the paste, as a typed key
        // opens it, or the paste is refused whole.
        for (const QString& pasted : {u"1O2"_s, u"１,２３4.5"_s}) {
            grid->setFocus();
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(grid, Qt::Key_Insert, Qt::ShiftModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        QCOMPARE(recorder.texts().last() + u'|' + values(u"分录始表"_s, payable), u"“1O2”不是数字,原值不变|2.125 12.5 1234.5"_s);
        // Committed by an input method over such a cell, with no composition first (as full-width
        // digits come): one character opens it as a typed key does, more go in as a paste.
        click(window, "Command1");
        QStringList stored;
        for (const QString& committed : {u"７"_s, u"１２。５"_s}) {
            grid->setFocus();
            grid->setCurrentCell(0, 4);
            QInputMethodEvent over;
            over.setCommitString(committed);
            QApplication::sendEvent(grid, &over);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
            stored << values(u"科目表"_s, u"1001"_s);
        }
        QCOMPARE(stored, (QStringList{u"- 7 -"_s, u"- 12.5 -"_s}));
    }

    void mainWindowShowsAndExits()
    {
        MainWindow window;
        auto* panel = child<QLabel>(window, "StatusBar1Panel4");
        QCOMPARE(QStringList({window.objectName(), window.windowTitle(), child<QLabel>(window, "Label1")->text(),
                              child<QLabel>(window, "StatusBar1Panel3")->text(), panel->toolTip()}),
                 (QStringList{u"QM505"_s, u"QM505系统--示范单位"_s, u"2016年"_s, u"操作员:管理员"_s, u"双击停止滚动"_s}));
        QCOMPARE(child<QTimer>(window, "Timer1")->interval(), 400);
        const auto texts = [](const QList<QAction*>& actions) {
            QStringList texts;
            for (QAction* action : actions)
                texts << (action->isSeparator() ? u"-"_s : action->text());
            return texts.join(u',');
        };
        QCOMPARE(texts(child<QToolBar>(window, "Toolbar1")->actions()) + u'|' + texts(window.menuBar()->actions()) + u'|'
                     + texts(window.menuBar()->actions().first()->menu()->actions()),
                 u"凭证录入,凭证打印,综合查询,报表查看,科目设置,系统设置|系统设置(F),凭证处理(E),报表查看(T),综合查询(G),关于系统(S),退出系统(E)|"
                 "科目处理,-,初始设置"_s);

        // The welcome line scrolls a character a tick, round to its start, and a double click stops it.
        const QString start = window.welcomePanelText();
        QVERIFY(start.size() == 95 && start.startsWith(u"欢迎使用QM505系统(VB"_s) && MainWindow::welcomeLine().endsWith(u"版)"_s));

        window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start.mid(1) + start.at(0));
        for (int tick = 1; tick < 95; ++tick)
            window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start);

        window.scrollWelcomeLine();
        QTest::mouseDClick(panel, Qt::LeftButton);
        QVERIFY(window.welcomePanelText() == MainWindow::welcomeLine() && !child<QTimer>(window, "Timer1")->isActive());

        // Exit asks, and leaves the printer portrait whatever the answer.
        setPrinterOrientation(Landscape);
        recorder.answers.enqueue(MessageAnswer::No);
        window.exitSystem();
        QVERIFY(recorder.messages.first().buttons == MessageButtons::YesNo && printerOrientation() == Portrait && m_ended == 0);
        QCOMPARE(shown(recorder.messages.first()), u"QM505||是否退出系统?"_s);

        setPrinterOrientation(Landscape);
        recorder.answers.enqueue(MessageAnswer::Yes);
        window.exitSystem();
        QVERIFY(printerOrientation() == Portrait && m_ended == 1);

        // 关于系统 names the version the welcome line shows, and the makers.
        window.findChild<QAction*>(u"关于"_s)->trigger();
        const QString version = MainWindow::welcomeLine().section(u"(VB"_s, 1).chopped(2);
        QCOMPARE(shown(recorder.messages.last()), u"QM505 总帐系统 —— QM505开发组|i|系统版本:VB"_s + version
                                                      + u"版\n\n联系方式:QM505开发组 qm505@example.com"_s);
    }

    // CAPS and NUM follow the keyboard as the platform tells it, greyed when off or unknown, and are
    // read again when a window becomes active or a lock key is pressed.
    void keyboardPanels()
    {
        std::optional<bool> caps;
        std::optional<bool> num;
        setLockStateReader([&](LockKey key) { return key == LockKey::CapsLock ? caps : num; });
        MainWindow window;
        const QColor normal = window.statusBar()->palette().color(QPalette::Active, QPalette::WindowText);
        const auto shown = [&] {
            QStringList panels;
            for (const char* name : {"StatusBar1Panel5", "StatusBar1Panel6", "StatusBar1Panel7"}) {
                const QLabel* panel = child<QLabel>(window, name);
                const QPalette palette = panel->palette();
                const QColor grey = palette.color(QPalette::Disabled, QPalette::WindowText);
                const QColor active = palette.color(QPalette::Active, QPalette::WindowText);
                const QColor inactive = palette.color(QPalette::Inactive, QPalette::WindowText);
                panels << panel->text() + (active == grey && inactive == grey ? u"-"_s
                                           : active == normal && inactive != grey ? u"+"_s
                                                                                   : u"?"_s);
            }
            return panels.join(u' ');
        };
        QVERIFY(normal != window.statusBar()->palette().color(QPalette::Disabled, QPalette::WindowText));
        QCOMPARE(shown(), u"CAPS- NUM- Ins+"_s);

        QEvent activate(QEvent::WindowActivate);
        const struct {
            std::optional<bool> caps, num;
            std::function<void()> trigger;
            QString expected;
        } steps[] = {
            {true, false, [&] { QApplication::sendEvent(&window, &activate); }, u"CAPS+ NUM- Ins+"_s},
            {false, true, [&] { QTest::keyClick(&window, Qt::Key_CapsLock); }, u"CAPS- NUM+ Ins+"_s},
            {true, true, [&] { QTest::keyClick(&window, Qt::Key_NumLock); }, u"CAPS+ NUM+ Ins+"_s},
            {std::nullopt, true, [&] { QApplication::sendEvent(&window, &activate); }, u"CAPS- NUM+ Ins+"_s},
            {false, false, [] {}, u"CAPS- NUM+ Ins+"_s},  // nothing asked again without a cause
        };
        for (const auto& step : steps) {
            caps = step.caps;
            num = step.num;
            step.trigger();
            QCoreApplication::processEvents();
            QCOMPARE(shown(), step.expected);
        }

        // Insert toggles overwrite for every line editor and greys "Ins"; a typed character then
        // replaces the next one, still through the box's key filter or validator.
        QWidget boxes;
        auto* plain = new QLineEdit(u"12345"_s, &boxes);
        auto* filtered = new QLineEdit(u"1.5"_s, &boxes);
        installNumKeyFilter(filtered);
        auto* validated = new QLineEdit(u"1.5"_s, &boxes);
        validated->setValidator(new QRegularExpressionValidator(QRegularExpression(u"-?[0-9]*\\.?[0-9]*"_s), validated));
        const auto typeAt = [](QLineEdit* box, int at, const QString& keys) {
            box->setCursorPosition(at);
            QTest::keyClicks(box, keys);
            return box->text() + u'@' + QString::number(box->cursorPosition());
        };
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(plain, Qt::Key_Insert, Qt::ShiftModifier);  // paste, not a toggle
        QVERIFY(insertMode());
        QTest::keyClick(plain, Qt::Key_Insert);
        QCoreApplication::processEvents();
        QVERIFY(!insertMode());
        QCOMPARE(shown(), u"CAPS- NUM- Ins-"_s);  // every state read again
        QCOMPARE((QStringList{typeAt(plain, 1, u"ab"_s), typeAt(plain, 3, u"cde"_s), typeAt(filtered, 1, u".-"_s),
                              typeAt(filtered, 0, u"2"_s), typeAt(validated, 1, u"x"_s), typeAt(validated, 1, u"7"_s)}),
                 (QStringList{u"1ab45@3"_s, u"1abcde@6"_s, u"1.5@1"_s, u"2.5@1"_s, u"1.5@1"_s, u"175@2"_s}));
        // A key that types two characters replaces two; a character typed over the same one
        // moves on; an editable combo box is overwritten too.
        QLineEdit wide(u"12345"_s);
        wide.setCursorPosition(0);
        QKeyEvent twoCharacters(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"ab"_s);
        QApplication::sendEvent(&wide, &twoCharacters);
        QLineEdit year(u"2016"_s);
        QComboBox combo;
        combo.setEditable(true);
        combo.setEditText(u"2016"_s);
        combo.lineEdit()->setCursorPosition(2);
        QTest::keyClicks(&combo, u"17"_s);
        QCOMPARE((QStringList{wide.text(), typeAt(&year, 0, u"2017"_s), combo.currentText()}),
                 (QStringList{u"ab345"_s, u"2017@4"_s, u"2017"_s}));
        // A selection is replaced as always, not the character after it too.
        plain->setSelection(1, 2);
        QTest::keyClicks(plain, u"z"_s);
        QCOMPARE(plain->text(), u"1zcde"_s);

        // The voucher grid's cell editor keeps its own key filter.
        VoucherWindow vouchers;
        VoucherGrid* grid = vouchers.grid();
        grid->setCurrent(1, VoucherGrid::QuantityColumn);
        grid->setFocus();
        QTest::keyClicks(grid, u"1"_s);
        QTest::keyClicks(grid->cellEditor(), u".5"_s);
        QCOMPARE((QStringList{typeAt(grid->cellEditor(), 1, u"-."_s), typeAt(grid->cellEditor(), 0, u"34"_s)}),
                 (QStringList{u"1.5@1"_s, u"345@2"_s}));

        QTest::keyClick(plain, Qt::Key_Insert);
        QCoreApplication::processEvents();
        QVERIFY(insertMode());
        QCOMPARE(shown(), u"CAPS- NUM- Ins+"_s);
        QCOMPARE(typeAt(plain, 1, u"9"_s), u"19zcde@2"_s);

        // Insert on the keypad (Num Lock off) toggles too; held down, Insert toggles once.
        QTest::keyClick(plain, Qt::Key_Insert, Qt::KeypadModifier);
        QVERIFY(!insertMode());
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(plain, &held);
        QVERIFY(!insertMode());
    }

    // Each work window opens once; the main window refuses to close while one is open.
    void workWindowsOpenOnceEach()
    {
        MainWindow window;
        window.show();
        window.openQueryCentre();
        window.openStatements();
        window.openQueryCentre();
        QVERIFY(window.workArea()->subWindowList().size() == 2 && window.workArea()->activeSubWindow()->widget()->objectName() == u"Form5"_s);
        QVERIFY(!window.close());
        // The query centre's own 退出 closes its frame with it.
        click(*window.workArea()->findChild<QWidget*>(u"Form5"_s), "Command6");
        QCoreApplication::processEvents();
        QCOMPARE(window.workArea()->subWindowList().size(), 1);
        window.workArea()->closeAllSubWindows();
        window.openVoucherPrinting(false);
        window.openVoucherPrinting(false);
        QCOMPARE(window.findChildren<QDialog*>(u"Form11"_s).size(), 1);
        QVERIFY(!window.close() && m_ended == 0 && window.isVisible());
        window.findChild<QDialog*>(u"Form11"_s)->close();
        QVERIFY(window.close());
        QCOMPARE(m_ended, 1);
    }

    void stripesAndWheelPaging()
    {
        QTableWidget table;
        fill(table, 3);
        gridStripes(&table);
        QCOMPARE(QList<QColor>({table.item(0, 0)->background().color(), table.item(1, 2)->background().color(), table.item(2, 1)->background().color()}),
                 QList<QColor>({QColor(240, 255, 255), QColor(236, 235, 234), QColor(240, 255, 255)}));
        // The header is painted flat in the fixed cells' colour, as the rendered pixels show.
        table.resize(300, 150);
        table.show();
        const QImage header = table.horizontalHeader()->grab().toImage();
        QCOMPARE(QList<QColor>({QColor(header.pixel(4, 2)), QColor(header.pixel(4, header.height() - 4))}), QList<QColor>(2, QColor(210, 210, 253)));
        QCOMPARE(table.currentRow(), 0);

        QTableWidget headerOnly;
        headerOnly.setColumnCount(3);
        gridStripes(&headerOnly);
        QVERIFY(headerOnly.horizontalHeader()->styleSheet().isEmpty());

        // A wheel notch pages the focused grid once.
        QTableWidget grid;
        fill(grid, 200);
        grid.resize(300, 200);
        QVERIFY(showActive(grid));
        grid.setFocus();
        grid.setCurrentCell(0, 0);
        installWheelPaging(&grid);
        installWheelPaging(&grid);

        QTest::keyClick(&grid, Qt::Key_PageDown);
        const int onePage = grid.currentRow();
        grid.setCurrentCell(0, 0);
        // A notch down and up; Ctrl held, or two notches in one message: no page key.
        QList<int> rows;
        for (const auto& [delta, modifiers] : {std::pair{-120, Qt::KeyboardModifiers()}, {120, {}}, {-120, Qt::ControlModifier}, {-240, {}}}) {
            wheel(grid.viewport(), delta, modifiers);
            rows << grid.currentRow();
        }
        // Nor a notch that also goes sideways (a tilted wheel, a touchpad).
        wheel(grid.viewport(), -120, Qt::NoModifier, 30);
        rows << grid.currentRow();
        // Without the focus the grid is left to itself.
        QLineEdit other;
        QVERIFY(showActive(other));
        wheel(grid.viewport(), -120);
        QCOMPARE(rows << grid.currentRow(), QList<int>({onePage, 0, 0, 0, 0, 0}));
        QVERIFY(onePage > 1);
    }

    void numKeysProgressAndPrinterOrientation()
    {
        QProgressBar bar;
        bar.setValue(0);
        setProgressBar(&bar);
        progressSpin();
        QVERIFY(bar.maximum() == 3000 && bar.value() == 1 && bar.isHidden());
        progressSpin();
        QCOMPARE(bar.value(), 1);
        setProgressBar(nullptr);
        progressSpin();

        // The orientation is kept with or without a printer.
        // Each change as "printer told:orientation kept".
        const auto set = [](int orientation) {
            const bool told = setPrinterOrientation(orientation);
            return u"%1:%2"_s.arg(told).arg(printerOrientation() == orientation);
        };
        auto previous = setPrinterCheck([] { return true; });
        QCOMPARE(QStringList({set(Landscape), set(Portrait), set(Landscape)}), QStringList(3, u"1:1"_s));
        setPrinterCheck([] { return false; });
        QCOMPARE(QStringList({set(Portrait), set(Landscape)}), QStringList(2, u"0:1"_s));
        setPrinterCheck(previous);
        // A layout that names no orientation prints portrait.
        setPrinterOrientation(0);
        QCOMPARE(printerOrientation(), int(Portrait));

        // Without a box neither sign passes; "-" only into an empty box, "." only once.
        const QList<std::tuple<int, std::optional<QString>, bool>> keys = {
            {'7', std::nullopt, true}, {kKeyBackspace, std::nullopt, true}, {kKeyEnter, std::nullopt, true},
            {'a', std::nullopt, false}, {' ', std::nullopt, false}, {'-', std::nullopt, false}, {'.', std::nullopt, false},
            {'-', QString(), true}, {'.', QString(), true}, {'-', u"12"_s, false}, {'-', u" "_s, false},
            {'.', u"12"_s, true}, {'.', u"1.2"_s, false}, {'.', u"  "_s, true}, {'x', u"12"_s, false}};
        for (const auto& [key, box, passes] : keys)
            QCOMPARE(box ? numKeyFilter(key, *box) : numKeyFilter(key), passes ? key : 0);

        QLineEdit box;
        installNumKeyFilter(&box);
        installNumKeyFilter(&box);
        QTest::keyClicks(&box, u"-1a2.3.4-"_s);
        QCOMPARE(box.text(), u"-12.34"_s);
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Left, Qt::Key_Delete})
            QTest::keyClick(&box, key);
        QCOMPARE(box.text(), u"-12."_s);
        // Enter, on the keyboard or the keypad, reaches the box.
        int entered = 0;
        connect(&box, &QLineEdit::returnPressed, &box, [&entered] { ++entered; });
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(entered, 2);

        // A paste by key or from the box's menu goes in as the number it shows, or not at all.
        // Each as "box|messages".
        box.clear();
        QLineEdit digits;
        installDigitsOnlyFilter(&digits);
        const auto paste = [this](QLineEdit* target, const QString& text, bool fromMenu) {
            QGuiApplication::clipboard()->setText(text);
            const qsizetype said = recorder.messages.size();
            if (!fromMenu) {
                QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
            } else {
                QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint());
                QApplication::sendEvent(target, &request);
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                for (QAction* action : menu ? menu->actions() : QList<QAction*>())
                    if (action->text().startsWith(u"&Paste"_s))
                        action->trigger();
                if (menu)
                    menu->close();
            }
            return target->text() + u'|' + recorder.texts().mid(said).join(u'|');
        };
        QCOMPARE(
            (QStringList{paste(&box, u"1O2.5"_s, true), paste(&box, u"-1,234.5"_s, true), paste(&box, u"6"_s, false),
                         paste(&digits, u"12a"_s, true), paste(&digits, u" 2016 "_s, false), paste(&digits, u"０１"_s, false)}),
            (QStringList{u"|“1O2.5”不是数字,原值不变"_s, u"-1234.5|"_s, u"-1234.56|"_s, u"|“12a”不是整数,原值不变"_s,
                         u"2016|"_s, u"201601|"_s}));
        // A key that types several characters at once is checked whole.
        for (const QString& typed : {u"１a"_s, u"２３"_s}) {
            QKeyEvent several(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(&digits, &several);
        }
        QCOMPARE(digits.text() + u'|' + recorder.texts().last(), u"20160123|“１a”不是整数,原值不变"_s);

        // Where Tab and Shift+Tab type a tab character, they still move the focus out of a numeric box.
        for (const bool digitsOnly : {false, true}) {
            QWidget form;
            auto* before = new QLineEdit(&form);
            auto* numeric = new QLineEdit(&form);
            auto* after = new QLineEdit(&form);
            digitsOnly ? installDigitsOnlyFilter(numeric) : installNumKeyFilter(numeric);
            QVERIFY(showActive(form));
            QStringList reached;
            for (const auto& [key, modifiers] :
                 {std::pair{Qt::Key_Tab, Qt::KeyboardModifiers()}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
                numeric->setFocus();
                QTest::sendKeyEvent(QTest::Click, numeric, key, u"\t"_s, modifiers);
                reached << (before->hasFocus() ? u"before"_s : after->hasFocus() ? u"after"_s : u"stayed"_s);
            }
            QCOMPARE(reached, (QStringList{u"after"_s, u"before"_s}));
        }
    }

    // A failure in a window's work is shown as a stop box, whatever threw it. With no one
    // answering in the user's place the real box asks: 是(&Y) and 否(&N), Escape for No; a notice
    // has 确定 alone.
    void failuresAndRealMessageBoxes()
    {
        guarded([] { throw DbError(u"数据库操作失败。"_s); });
        guarded([] { throw std::runtime_error("bad_alloc"); });
        QCOMPARE((QStringList{shown(recorder.messages.value(0)), shown(recorder.messages.value(1))}),
                 (QStringList{u"QM505|stop|数据库操作失败。"_s, u"QM505|stop|bad_alloc"_s}));

        const auto restore = qScopeGuard([previous = setMessageHandler({})] { setMessageHandler(previous); });
        const struct {
            MessageButtons buttons;
            QString press;  // the button clicked; Escape when empty
            QString expected;
        } cases[] = {
            {MessageButtons::YesNo, u"是(&Y)"_s, u"否(&N),是(&Y) 1"_s},
            {MessageButtons::YesNo, u"否(&N)"_s, u"否(&N),是(&Y) 2"_s},
            {MessageButtons::YesNo, QString(), u"否(&N),是(&Y) 2"_s},
            {MessageButtons::Ok, QString(), u"确定 0"_s},
        };
        for (const auto& each : cases) {
            QStringList buttons;
            // The box is always closed, so that a wrong one fails the test rather than waits.
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (!box)
                    return modal ? void(modal->close()) : void();
                QAbstractButton* pressed = nullptr;
                for (QAbstractButton* button : box->buttons()) {
                    buttons << button->text();
                    if (button->text() == each.press)
                        pressed = button;
                }
                buttons.sort();
                pressed ? pressed->click() : QTest::keyClick(box, Qt::Key_Escape);
            });
            const MessageAnswer answer = showMessage(u"继续吗?"_s, u"QM505"_s, MessageIcon::Question, each.buttons);
            QCOMPARE(buttons.join(u',') + u' ' + QString::number(int(answer)), each.expected);
        }
    }

    // Compacting the books and clearing a year ask twice; a No to either question changes nothing.
    // Compacting drops the line without an account, clearing every line.
    void compactingAndClearingAskTwice()
    {
        addLines(u"8030001001 1001 0.125 -"_s);
        execute(u"INSERT INTO 分2016 (ID, 借方金额) VALUES ('8030002001', 1)"_s);
        const MessageAnswer no = MessageAnswer::No;
        const MessageAnswer yes = MessageAnswer::Yes;
        const struct {
            const char* button;
            QList<MessageAnswer> answers;
            QString outcome;  // message|lines, lines with an account|accepted
        } cases[] = {
            {"Command5",
             {no},
             u"压缩和修复数据库可以让系统轻装上阵,为了数据安全,压缩前一定要先做数据备份!请问你数据已经备份了吗?? |2 1|0"_s},
            {"Command5", {yes, no}, u"你确定要压缩和修复当前数据库吗? 请一定要先做数据备份! |2 1|0"_s},
            {"Command5", {yes, yes}, u"数据库压缩修复成功|1 1|1"_s},
            {"Command11", {no}, u"是否清空 2016 年的所有数据?|1 1|0"_s},
            {"Command11", {yes, no}, u"最后一次提示,是否要清空 2016 年的所有数据?|1 1|0"_s},
            {"Command11", {yes, yes}, u"初始化完成|0 0|1"_s},
        };
        QStringList expected, actual;
        for (const auto& each : cases) {
            SettingsWindow window;
            recorder.answers.append(each.answers);
            const QString message = press(window, each.button, recorder);
            expected << QString::fromLatin1(each.button) + u' ' + each.outcome;
            actual << QString::fromLatin1(each.button) + u' ' + message + u'|'
                          + rowsAsText(u"SELECT count(*), count(代码) FROM 分2016"_s).join(u',') + u'|'
                          + QString::number(window.result());
        }
        QCOMPARE(actual, expected);

        // A compaction that cannot write its copy says the books were left as they were.
        QVERIFY(QDir(programFolder()).mkdir(u"qmdata888.mdb"_s));
        SettingsWindow window;
        recorder.answers.append({yes, yes});
        QCOMPARE(press(window, "Command5", recorder),
                 u"数据库压缩修复失败,原数据库未改动\n无法建立压缩文件 "_s + programFolder() + u"/qmdata888.mdb，那里已有一个同名的文件夹。"_s);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(QDir(programFolder()).rmdir(u"qmdata888.mdb"_s));
    }

    // Each toolbar button and menu entry opens its own window; 年初余额 in the settings and 增总科
    // in the chart lead on to theirs.
    void toolbarAndMenusOpenTheirWindows()
    {
        MainWindow window;
        bool leadOn = false;
        DialogDriver driver([&leadOn](QDialog& dialog) {
            if (leadOn && dialog.objectName() == u"Form2"_s)
                click(dialog, "Command3");
            if (leadOn && dialog.objectName() == u"Form6"_s)
                click(dialog, "Command4");
        });
        QStringList opened;
        for (const bool lead : {false, true}) {
            leadOn = lead;
            for (const char* name :
                 {"Toolbar1Button1", "Toolbar1Button2", "Toolbar1Button5", "Toolbar1Button6", "凭录", "科处", "初设"}) {
                driver.opened.clear();
                window.findChild<QAction*>(QString::fromUtf8(name))->trigger();
                opened << driver.opened.join(u'>');
            }
        }
        QCOMPARE(
            opened.join(u' '),
            u"Form15 Form11 Form6 Form2 Form15 Form6 Form2 Form15 Form11 Form6>Form10 Form2>Form9 Form15 Form6>Form10 Form2>Form9"_s);
    }

    void operatorsSettingsRowAndLoggingIn()
    {
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x'), ('03', NULL, 'y'), ('04', '会计', 'z')"_s);
        QCOMPARE(operatorNames(), (QStringList{u"管理员"_s, QString(), u"会计"_s}));

        execute(u"UPDATE 信息表 SET 年度=2016, 帐套名称=? WHERE 代号='QM'"_s, {u"某某公司"_s});
        QCOMPARE(readSettingsRow().yearText + u'|' + readSettingsRow().unitName, u"2016|某某公司"_s);

        // Entry tables exist for 2010 to 2020 only.
        QCOMPARE(entryTableName(2010) + entryTableName(2020), u"分2010分2020"_s);
        for (int year : {2021, 0})
            QVERIFY_THROWS_EXCEPTION(DbError, entryTableName(year));
        QCOMPARE(QList({parseFiscalYear(u"2020"_s), parseFiscalYear(u"２０１６"_s)}), QList<std::optional<int>>({2020, 2016}));

        loginState() = LoginState{};
        const QString name = u"管理员"_s;
        const QString password = u"123456"_s;
        QCOMPARE(shown(logIn(QString(), u"1"_s, u"abc"_s)), u"QM505提示|!|请输入操作员！"_s);
        QCOMPARE(shown(logIn(name, u"12345"_s, u"abc"_s)), u"QM505提示|stop|操作员或密码不正确!"_s);
        for (const QString& year : {u"2009"_s, u"2021"_s, u"abc"_s, u""_s, u"20 20"_s, u"2015.5"_s, u"-2015"_s, u"99999"_s,
                                    u"+2015"_s}) {
            QCOMPARE(logIn(name, password, year).value_or(Message{}).text, u"超年限不能使用"_s);
            QVERIFY(loginState().fiscalYear == 0 && loginState().operatorName.isEmpty());
        }
        QVERIFY(!logIn(name, password, u" 2010 "_s));
        QCOMPARE(u"%1|"_s.arg(loginState().fiscalYear) + loginState().operatorName + u'|' + loginState().operatorPassword, u"2010|管理员|123456"_s);
        // The typed year is the open year; the settings row keeps its own.
        QCOMPARE(readSettingsRow().yearText, u"2016"_s);
    }

    // The window lists the operators and proposes the stored year; refusals keep it open and
    // what was typed; Enter logs in from a filled password box; Cancel ends the program.
    void loginWindow()
    {
        loginState() = LoginState{};
        execute(u"UPDATE 信息表 SET 年度=2015, 帐套名称=? WHERE 代号='QM'"_s, {u"甲公司"_s});
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x')"_s);
        LoginWindow window;
        auto* combo = child<QComboBox>(window, "Combo1");
        auto* password = child<QLineEdit>(window, "Text1");
        auto* year = child<QLineEdit>(window, "Text2");
        QCOMPARE(QStringList({window.windowTitle(), combo->itemText(0), combo->itemText(1), year->text(), loginState().unitName}),
                 (QStringList{u"QM505系统登陆窗口(登陆后可以修改年度)"_s, u"管理员"_s, QString(), u"2015"_s, u"甲公司"_s}));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QString());
        password->setText(u"12"_s);
        password->ensurePolished();
        QCOMPARE(password->displayText(), u"**"_s);
        QVERIFY(!isConnectionOpen());
        auto* status = child<QLabel>(window, "Label6");
        QCOMPARE(status->text() + u'|' + QString::number(status->minimumWidth()), u"数据库连接中....|176"_s);

        combo->setCurrentIndex(1);
        QCOMPARE(press(window, "Command1", recorder), u"请输入操作员！"_s);
        window.show();
        combo->setEditText(u"管理员"_s);
        password->setText(u"654321"_s);
        QCOMPARE(press(window, "Command1", recorder), u"操作员或密码不正确!"_s);
        QCOMPARE(password->text(), u"654321"_s);
        password->setText(u"123456"_s);
        year->setText(u"2021"_s);
        QCOMPARE(press(window, "Command1", recorder), u"超年限不能使用"_s);
        QVERIFY(window.result() == QDialog::Rejected && loginState().fiscalYear == 0);

        password->clear();
        password->setFocus();
        QTest::keyClick(password, Qt::Key_Return);
        QVERIFY(recorder.messages.size() == 3 && window.isVisible());
        // A year takes four digits.
        year->clear();
        QTest::keyClicks(year, u"20125"_s);
        QCOMPARE(year->text(), u"2012"_s);
        year->setText(u"2012"_s);
        QTest::keyClicks(password, u"123456"_s);
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(recorder.messages.size(), 3);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(loginState().operatorName + u'|' + loginState().operatorPassword + u'|' + QString::number(loginState().fiscalYear),
                 u"管理员|123456|2012"_s);
        QCOMPARE(status->minimumWidth(), 206);

        click(window, "Command2");
        QCOMPARE(m_ended, 1);
    }

    // One operator in two rows, the name written the same or in another case: the password of
    // the first row in the table logs in, the second's does not.
    void theFirstRowOfAnOperatorHoldsThePassword()
    {
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '会计', 'first'), ('03', '会计', 'second'), "
                "('04', 'Li', 'upper'), ('05', 'li', 'lower')"_s);
        const struct {
            QString name;
            QString password;
            QString outcome;  // the message, or the operator logged in
        } cases[] = {
            {u"会计"_s, u"second"_s, u"操作员或密码不正确!"_s}, {u"会计"_s, u"first"_s, u"会计|first"_s},
            {u"li"_s, u"lower"_s, u"操作员或密码不正确!"_s},   {u"li"_s, u"upper"_s, u"li|upper"_s},
        };
        QStringList expected, actual;
        for (const auto& each : cases) {
            loginState() = LoginState{};
            LoginWindow window;
            child<QComboBox>(window, "Combo1")->setEditText(each.name);
            child<QLineEdit>(window, "Text1")->setText(each.password);
            child<QLineEdit>(window, "Text2")->setText(u"2016"_s);
            const QString message = press(window, "Command1", recorder);
            expected << each.outcome;
            actual << (window.result() == QDialog::Accepted ? loginState().operatorName + u'|' + loginState().operatorPassword : message);
        }
        QCOMPARE(actual, expected);
    }
};

QTEST_MAIN(TestAppWindows)
#include "test_app_windows.moc"

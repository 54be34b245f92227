#include "support/common.h"
#include "accounts/chart_window.h"
#include "accounts/opening_balances_window.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "data/dialog_runner.h"
#include "support/full_disk.h"
#include "support/other_writer.h"
#include "support/widgets.h"
#include "vouchers/account_picker.h"
#include "vouchers/cash_flow_picker.h"
#include "vouchers/summary_picker.h"
#include "vouchers/voucher_grid.h"
#include "vouchers/voucher_window.h"

namespace {

// Types into the grid as an operator does: the first key opens the cell editor, the rest go to
// it, and `leave` (when given) leaves it.
void typeIntoCell(VoucherGrid* grid, int row, int column, const QString& keys, Qt::Key leave = Qt::Key_unknown)
{
    grid->setCurrent(row, column);
    grid->setFocus();
    QTest::keyClicks(grid, keys.left(1));
    QTest::keyClicks(grid->cellEditor(), keys.mid(1));
    if (leave != Qt::Key_unknown)
        QTest::keyClick(grid->cellEditor(), leave);
}

struct Form {
    VoucherWindow window;
    VoucherGrid* grid = window.grid();
    QLineEdit* number = child<QLineEdit>(window, "Text4");
    QLineEdit* debit = child<QLineEdit>(window, "Text1");
    QLineEdit* credit = child<QLineEdit>(window, "Text2");
    QDateEdit* date = child<QDateEdit>(window, "DTPicker1");
    QComboBox* reviewer = child<QComboBox>(window, "Combo1");
    void at(int month, const QString& who = u"管理员"_s)
    {
        date->setDate(QDate(kYear, month, 1));
        reviewer->setCurrentText(who);
    }
    // Number, date, word, reviewer, preparer, attachments and the two totals.
    QString header()
    {
        return QStringList{number->text(), date->date().toString(Qt::ISODate), child<QComboBox>(window, "Combo2")->currentText(),
                           reviewer->currentText(), child<QLineEdit>(window, "Text3")->text(),
                           child<QLineEdit>(window, "Text5")->text(), debit->text(), credit->text()}.join(u'|');
    }
    QString line(int row)
    {
        QStringList cells;
        for (int column = 0; column < 8; ++column)
            cells << grid->text(row, column);
        return cells.join(u'|');
    }
    QString cashLine() { return child<QLabel>(window, "Label2")->text(); }
};

// Keys as a keyboard delivers them: each to the widget that has the focus at that moment.
void typeKeys(const QString& keys)
{
    for (const QChar key : keys)
        QTest::keyClicks(QApplication::focusWidget(), QString(key));
}
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void doubleClickCell(VoucherGrid* grid, int row, int column)
{
    const QPoint centre = grid->visualRect(grid->model()->index(row - 1, column)).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

QString enteredLines()
{
    return rowsAsText(u"SELECT ID, 代码, 借方金额, 贷方金额, 附件 FROM 分2016 ORDER BY ID"_s).join(u',');
}

}  // namespace

class TestVoucherWindow : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { FullDisk::install(); }
    void init() { BooksTest::init(); loginState() = LoginState{kYear, u"管理员"_s, u"123456"_s, u"单位"_s}; }

    void opensOnTheLastMonthWithEntriesAndPages()
    {
        {
            Form empty;
            QCOMPARE(QStringList({empty.window.windowTitle(), empty.header(), empty.cashLine(), empty.line(0), empty.line(10)}),
                     (QStringList{u"QM505财务--凭证录入"_s, u"|2016-01-01|记||管理员||0.00|0.00"_s, QString(),
                                  u"序号|摘要说明|科 目 名 称|数 量    (外币)|借方金额|贷方金额|流代|流金"_s, u"10|||||||"_s}));
            QVERIFY(empty.reviewer->count() == 1 && empty.grid->rows() == 11);
            // The grid starts on row 1's summary, and Tab from no cell at all goes there.
            const QString start = u"%1,%2"_s.arg(empty.grid->row()).arg(empty.grid->col());
            empty.grid->setCurrentCell(-1, -1);
            QTest::keyClick(empty.grid, Qt::Key_Tab);
            QCOMPARE(start + u"|%1,%2"_s.arg(empty.grid->row()).arg(empty.grid->col()), u"1,1|1,1"_s);
            click(empty.window, "Command13");
            QCOMPARE(recorder.texts(), QStringList{u" 号凭证没有数据,注意凭证号"_s});
        }
        addVoucher(3, 1, u"1001"_s, u"6001"_s, 100.25);
        addVoucher(3, 2, u"1001"_s, u"6001"_s, 200.5);
        execute(u"UPDATE 分2016 SET 日期='2016-03-08', 字号='收', 制单='张三', 审核='李四', 附件=1"_s);
        addLines(u"8060001001 1001 5 -"_s);
        Form form;
        QCOMPARE(form.date->date(), QDate(kYear, 6, 1));

        // Paging loads a voucher, and keeps the grid on a missing one.
        form.at(3, QString());
        click(form.window, "Command10");
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(QStringList({form.header(), form.line(1), form.line(2), QString::number(form.grid->rows())}),
                 (QStringList{u"1|2016-03-08|收|李四|张三|1|100.25|100.25"_s, u"1|业务|1001 库存现金||100.25|||"_s, u"2|业务|6001 主营业务收入|||100.25||"_s, u"11"_s}));

        click(form.window, "Command11");
        QCOMPARE(form.number->text() + u'|' + form.grid->text(1, 4), u"2|200.50"_s);
        QCOMPARE(press(form.window, "Command11", recorder), u"已经是最后一条了"_s);

        form.number->setText(u"9"_s);
        click(form.window, "Command12");
        QCOMPARE(shown(recorder.messages.last()) + form.grid->text(1, 4), u"QM505提示|!|8 号凭证没有数据,注意凭证号200.50"_s);

        click(form.window, "Command15");
        QCOMPARE(QStringList({form.line(1), form.grid->text(0, 2), form.debit->text(), form.cashLine()}),
                 (QStringList{u"1|||||||"_s, u"科 目 名 称"_s, u"0.00"_s, u"3月现余:300.75"_s}));

        QTest::mouseClick(child<QLabel>(form.window, "Label7"), Qt::LeftButton);
        QCOMPARE(form.number->text(), u"3"_s);
        QTest::keyClicks(form.number, u"a1"_s);
        QTest::keyClick(form.number, Qt::Key_Backspace);
        QCOMPARE(form.number->text(), u"31"_s);

        QTest::mouseClick(child<QLineEdit>(form.window, "Text6"), Qt::LeftButton);
        QVERIFY(recorder.texts().last().startsWith(u"0.点[凭证号]即得当月最新号码\n\n1.支持代码录入"_s));

        // Leaving a date of another year says so; back in the year, the month's cash is shown.
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        form.date->setDate(QDate(2015, 3, 1));
        QApplication::sendEvent(form.date, &out);
        const QString refused = recorder.texts().last();
        form.date->setDate(QDate(kYear, 6, 1));
        QApplication::sendEvent(form.date, &out);
        QCOMPARE(refused + u'|' + form.cashLine(), u"会计年度不一致|6月现余:305.75"_s);
    }

    void typingLinesIntoTheGrid()
    {
        addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;

        typeIntoCell(grid, 1, 1, u"abc"_s, Qt::Key_Return);
        QVERIFY(grid->text(1, 1) == u"abc"_s && grid->row() == 2 && !grid->cellEditor()->isVisible());

        // Backspace on the grid takes exactly one character away.
        grid->setCurrent(1, 1);
        QTest::keyClick(grid, Qt::Key_Backspace);
        QCOMPARE(grid->text(1, 1) + u'|' + grid->cellEditor()->text(), u"ab|ab"_s);

        // An amount needs an account on its row.
        typeIntoCell(grid, 1, 4, u"5"_s);
        QCOMPARE(grid->text(1, 4), QString());

        typeIntoCell(grid, 1, 2, u"1001"_s, Qt::Key_Return);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(u"%1 %2 "_s.arg(grid->row()).arg(grid->col()) + grid->text(1, 2), u"1 3 1001 库存现金"_s);
        // Enter over an account written out in full keeps it.
        grid->setCurrent(1, 2);
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QCOMPARE(grid->text(1, 2) + u'|' + QString::number(recorder.messages.size()), u"1001 库存现金|0"_s);

        typeIntoCell(grid, 1, 4, u"-1-2.5.0"_s);
        QCOMPARE(grid->cellEditor()->text() + u'|' + grid->text(1, 4), u"-12.50|-12.50"_s);
        grid->cellEditor()->selectAll();
        QTest::keyClicks(grid->cellEditor(), u"12.5"_s);
        QCOMPARE(grid->cellEditor()->text() + u'|' + grid->text(1, 4) + u'|' + form.debit->text(), u"12.5|12.50|12.50"_s);

        // A parent account and an unknown code are refused and the cell emptied.
        typeIntoCell(grid, 2, 2, u"1002"_s, Qt::Key_Return);
        QCOMPARE(QStringList({shown(recorder.messages.last()), grid->text(2, 2), QString::number(grid->col())}),
                 (QStringList{u"QM505||科目代码不正确或不是最明细代码"_s, QString(), u"2"_s}));

        // Committed in full-width by an input method, a code is the digits it shows.
        grid->setCurrent(2, 2);
        QInputMethodEvent composed;
        composed.setCommitString(u"１００２００１"_s);
        QApplication::sendEvent(grid, &composed);
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QCOMPARE(grid->text(2, 2), u"1002001 银行存款/工行"_s);
        typeIntoCell(grid, 2, 2, u"1002001"_s, Qt::Key_Return);
        typeIntoCell(grid, 2, 5, u"-"_s);
        QCOMPARE(grid->text(2, 5) + form.credit->text(), u"-0.00"_s);
        QTest::keyClicks(grid->cellEditor(), u"1000.25"_s);
        QCOMPARE(form.credit->text(), u"-1,000.25"_s);

        // Leaving the editor with Down still checks the account cell it was opened over.
        typeIntoCell(grid, 3, 2, u"9999"_s, Qt::Key_Down);
        QVERIFY(grid->row() == 4 && recorder.messages.size() == 2 && grid->text(3, 2).isEmpty());

        // Enter on the last row adds a row numbered 11.
        typeIntoCell(grid, 10, 1, u"x"_s, Qt::Key_Return);
        QCOMPARE(u"%1 %2 "_s.arg(grid->rows()).arg(grid->row()) + grid->text(11, 0), u"12 10 11"_s);

        // Up on the first row and Down on the last keep the row; keypad Enter moves down as Return does.
        QStringList rows;
        typeIntoCell(grid, 1, 1, u"u"_s, Qt::Key_Up);
        rows << u"%1,%2"_s.arg(grid->row()).arg(grid->col());
        typeIntoCell(grid, 11, 1, u"v"_s, Qt::Key_Down);
        rows << u"%1,%2"_s.arg(grid->row()).arg(grid->col());
        typeIntoCell(grid, 2, 1, u"k"_s);
        QTest::keyClick(grid->cellEditor(), Qt::Key_Enter, Qt::KeypadModifier);
        rows << u"%1,%2 %3"_s.arg(grid->row()).arg(grid->col()).arg(grid->cellEditor()->isVisible());
        QCOMPARE(rows.join(u' ') + u' ' + grid->text(1, 1) + grid->text(11, 1) + grid->text(2, 1),
                 u"1,1 11,1 3,1 0 uvk"_s);
    }

    // A voucher of twelve lines is shown whole, in a grid longer than eleven rows: quantities to
    // three decimals, amounts to two, and the totals take in the last row.
    void aLoadedVoucherShowsEveryLine()
    {
        QStringList lines;
        for (int line = 1; line <= 11; ++line)
            lines << u"80300010%1 1001 0.01 -"_s.arg(line, 2, 10, QLatin1Char('0'));
        addLines(lines.join(u'|') + u"|8030001012 6001 - 0.11 1.5 101 12.5"_s);
        Form form;
        form.at(3);
        click(form.window, "Command10");
        QCOMPARE(QStringList({QString::number(form.grid->rows()), form.line(11), form.line(12), form.debit->text(),
                              form.credit->text()}),
                 (QStringList{u"13"_s, u"11|业务|1001 库存现金||0.01|||"_s,
                              u"12|业务|6001 主营业务收入|1.500||0.11|101|12.50"_s, u"0.11"_s, u"0.11"_s}));
    }

    void savingFromTheWindow()
    {
        Form form;
        VoucherGrid* grid = form.grid;
        form.at(3);
        form.number->setText(u"1"_s);
        // A blank row does not end the voucher: the line below it counts, and here unbalances it.
        for (const auto& [row, summary, account, debit, credit] :
             {std::tuple{1, u"购料"_s, u"1403 原材料"_s, u"0.30"_s, QString()}, {2, QString(), u"1002 银行存款"_s, QString(), u"0.10"_s},
              {3, QString(), u"2202 应付账款"_s, QString(), u"0.20"_s}, {5, QString(), u"2202 应付账款"_s, QString(), u"0.05"_s}}) {
            grid->setText(row, 1, summary);
            grid->setText(row, 2, account);
            grid->setText(row, 4, debit);
            grid->setText(row, 5, credit);
        }
        click(form.window, "Command14");
        QCOMPARE(recorder.texts() << enteredLines(), (QStringList{u"借贷不平!"_s, QString()}));

        // A cell that does not read as a number stops the save and names its row.
        grid->setText(3, 5, u"0.1x"_s);
        QCOMPARE(press(form.window, "Command14", recorder), u"第3行: “0.1x”不是数字,原值不变"_s);
        grid->setText(3, 5, u"0.15"_s);
        child<QComboBox>(form.window, "Combo2")->setCurrentText(u"付"_s);
        {
            // Books held by another program: the voucher is not saved and stays as typed.
            OtherWriter other(databaseFilePath());
            click(form.window, "Command14");
            QVERIFY2(recorder.messages.last().icon == MessageIcon::Stop
                         && recorder.texts().last().startsWith(u"数据库正被另一个程序占用，这次修改没有保存"_s), qPrintable(recorder.texts().last()));
            QCOMPARE(form.number->text() + form.line(5), u"15||2202 应付账款|||0.05||"_s);
        }
        QCOMPARE(enteredLines(), QString());
        QCOMPARE(press(form.window, "Command14", recorder), u"凭证保存成功"_s);
        QCOMPARE(enteredLines(), u"8030001001 1403 0.3 - 0,8030001002 1002 - 0.1 0,8030001003 2202 - 0.15 0,8030001004 2202 - 0.05 0"_s);
        QCOMPARE(scalar(u"SELECT group_concat(DISTINCT 字号) FROM 分2016"_s).toString(), u"付"_s);
        QCOMPARE(QStringList({form.number->text(), form.line(1), form.line(5), form.debit->text(), form.cashLine()}),
                 (QStringList{u"2"_s, u"1|||||||"_s, u"5|||||||"_s, u"0.00"_s, u"3月现余:0.00"_s}));
    }

    // A change that fails on a full disk loses that change alone: whatever is said to be saved
    // afterwards is on the disk, for another program to read. With no room at all the journal
    // cannot begin; with 8 KB it begins and the change fails further on.
    void changesAfterAFullDiskReachTheDisk()
    {
        for (const qint64 bytesFree : {0, 8192}) {
            init();
            Form form;
            form.at(3);
            const auto typeVoucher = [&form](const QString& amount) {
                form.number->setText(u"%1"_s.arg(scalar(u"SELECT ifnull(max(号码), 0) + 1 FROM 分2016 WHERE 月=3"_s).toInt()));
                form.grid->setText(1, 1, u"销售"_s);
                form.grid->setText(1, 2, u"1122 应收账款"_s);
                form.grid->setText(1, 4, amount);
                form.grid->setText(2, 2, u"6001 主营业务收入"_s);
                form.grid->setText(2, 5, amount);
            };
            const auto onDisk = [](const QString& sql) { return seenByAnotherProgram(databaseFilePath(), sql).toString(); };
            const QString vouchers = u"SELECT group_concat(号码 || ':' || 借方金额) FROM 分2016 WHERE 借方金额 IS NOT NULL"_s;
            const auto failsOnAFullDisk = [&](const char* button) {
                FullDisk full(bytesFree);
                return press(form.window, button, recorder).section(u'\n', 0, 0);
            };

            typeVoucher(u"0.13"_s);
            QCOMPARE(failsOnAFullDisk("Command14"), u"磁盘已满，这次修改没有保存。"_s);
            QCOMPARE(form.number->text() + u' ' + form.line(1), u"1 1|销售|1122 应收账款||0.13|||"_s);
            QCOMPARE(press(form.window, "Command14", recorder), u"凭证保存成功"_s);
            QCOMPARE(onDisk(vouchers), u"1:0.13"_s);
            typeVoucher(u"0.3"_s);
            QCOMPARE(press(form.window, "Command14", recorder), u"凭证保存成功"_s);
            QCOMPARE(onDisk(vouchers), u"1:0.13,2:0.3"_s);
            // Past its commit point a save is saved, even when the disk cannot confirm the last
            // step: the window goes on to the next voucher, and the bookkeeper is warned.
            typeVoucher(u"0.125"_s);
            {
                FailingFolderSync unconfirmed;
                click(form.window, "Command14");
            }
            QCOMPARE(recorder.texts().mid(recorder.texts().size() - 2),
                     (QStringList{u"凭证保存成功"_s, u"修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。建议马上做一次数据备份。"_s}));
            QCOMPARE(onDisk(vouchers) + u' ' + form.number->text() + u' ' + form.line(1), u"1:0.13,2:0.3,3:0.13 4 1|||||||"_s);
            execute(u"DELETE FROM 分2016 WHERE 月=3 AND 号码=3"_s);

            QCOMPARE(failsOnAFullDisk("Command16"), u"磁盘已满，这次修改没有保存。"_s);
            QCOMPARE(onDisk(u"SELECT count(*) FROM 分2016 WHERE 结帐 IS NOT NULL"_s), u"0"_s);
            QCOMPARE(press(form.window, "Command16", recorder), u"收入/费用已成功结转！"_s);
            QCOMPARE(onDisk(u"SELECT count(*) || ' ' || sum(结帐=2) FROM 分2016 WHERE 结帐 IS NOT NULL"_s), u"6 2"_s);
            cleanup();
        }
    }

    void amountsArriveInTheGridOnlyAsNumbers()
    {
        addPayableLeaf();
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;
        QLineEdit* editor = grid->cellEditor();
        form.at(3);
        form.number->setText(u"1"_s);
        typeIntoCell(grid, 1, 1, u"x"_s);
        for (const auto& [row, account] : {std::pair{1, u"1001"_s}, {2, u"1001"_s}, {3, u"2202001001"_s}, {4, u"1001"_s}})
            typeIntoCell(grid, row, 2, account, Qt::Key_Return);

        // A third decimal is refused: the editor shows what the cell holds.
        typeIntoCell(grid, 1, 4, u"0.135"_s);
        QCOMPARE(editor->text() + u'|' + grid->text(1, 4), u"0.13|0.13"_s);
        // Typed and composed by an input method in full-width, into the grid and into the open
        // editor: the digits and the point. A commit that is no number is refused whole.
        grid->setCurrent(2, 4);
        grid->setFocus();
        const auto compose = [](QWidget* target, const QString& text) {
            QInputMethodEvent composed;
            composed.setCommitString(text);
            QApplication::sendEvent(target, &composed);
        };
        const auto typeWide = [](QWidget* target, const QString& key) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
            QApplication::sendEvent(target, &press);
        };
        typeWide(grid, u"０"_s);
        compose(editor, u"。"_s);
        typeWide(editor, u"２"_s);
        grid->setFocus();
        compose(grid, u"0.2元abc"_s);
        QCOMPARE(grid->text(2, 4), u"0.20"_s);
        typeIntoCell(grid, 3, 5, u"0"_s);
        compose(editor, u".元3"_s);
        compose(editor, u"。３"_s);
        // A paste is refused whole unless it is a number: the editor and the cell keep their value,
        // and the edit goes on past the message.
        QGuiApplication::clipboard()->setText(u"3元abc"_s);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QFocusEvent toTheMessage(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(editor, &toTheMessage);
        QCOMPARE(QStringList({editor->text(), grid->text(3, 5), editor->isVisible() ? u"open"_s : u"closed"_s})
                     + recorder.texts(),
                 (QStringList{u"0.3"_s, u"0.30"_s, u"open"_s, u"“0.2元abc”不是数字,原值不变"_s,
                              u"“.元3”不是数字,原值不变"_s, u"“3元abc”不是数字,原值不变"_s}));
        QTest::keyClicks(editor, u"3"_s);
        editor->insert(u"x"_s);
        QCOMPARE(recorder.texts().mid(3) << grid->text(3, 5) << form.debit->text() << form.credit->text(),
                 QStringList(3, u"0.33"_s));

        // Pasted over "7" selected, after it, or over the cell holding it with no editor open: each
        // as "cell|messages".
        enum Where { OverSelection, AfterIt, OverCell };
        const QString tooLong = QString(400, u'9');
        const struct {
            int column;
            QString pasted;
            Where where;
            QString kept;
        } pastes[] = {
            {4, u"1O2.5"_s, OverSelection, u"7.00|“1O2.5”不是数字,原值不变"_s},
            {4, u" ¥1,234.50 "_s, OverSelection, u"1234.50|"_s},
            {4, u"1,5"_s, OverSelection, u"7.00|“1,5”不是数字,原值不变"_s},
            {4, u"1 234.50"_s, OverSelection, u"7.00|“1 234.50”不是数字,原值不变"_s},
            {4, u"1.005元"_s, OverSelection, u"7.00|“1.005”超过两位小数,原值不变"_s},
            {4, u".25"_s, AfterIt, u"7.25|"_s},
            {4, u"5"_s, AfterIt, u"75.00|"_s},
            {3, u"2.125"_s, OverSelection, u"2.125|"_s},
            {3, u"2.1250"_s, OverSelection, u"2.125|"_s},
            {4, u"12.500"_s, OverSelection, u"12.50|"_s},
            {4, u"-¥12.50"_s, OverSelection, u"-12.50|"_s},
            {4, u"１２。５"_s, OverSelection, u"12.50|"_s},
            {4, tooLong, OverSelection, u"7.00|金额不能超过999,999,999,999.99"_s},
            {4, tooLong + u'x', OverSelection, u"7.00|“%1…”不是数字,原值不变"_s.arg(tooLong.left(40))},
            {4, u"1O2"_s, OverCell, u"7.00|“1O2”不是数字,原值不变"_s},
            {4, tooLong, OverCell, u"7.00|金额不能超过999,999,999,999.99"_s},
            {4, u"¥12.125"_s, OverCell, u"7.00|“12.125”超过两位小数,原值不变"_s},
            {4, u"-¥12.50"_s, OverCell, u"-12.50|"_s},
            // A cash-flow item's code takes digits only: no point, no sign, no amount.
            {6, u"１０。７"_s, OverSelection, u"7|“１０。７”不是整数,原值不变"_s},
            {6, u"¥1,070元"_s, OverCell, u"7|“¥1,070元”不是整数,原值不变"_s},
            {6, u"１０２"_s, OverCell, u"102|"_s},
        };
        QStringList kept, expected;
        for (const auto& paste : pastes) {
            typeIntoCell(grid, 4, paste.column, u"7"_s);
            if (paste.where == OverSelection)
                editor->selectAll();
            QGuiApplication::clipboard()->setText(paste.pasted);
            const qsizetype said = recorder.messages.size();
            if (paste.where == OverCell)
                grid->setFocus();
            QTest::keyClick(paste.where == OverCell ? static_cast<QWidget*>(grid) : editor, Qt::Key_Insert,
                            Qt::ShiftModifier);
            kept << grid->text(4, paste.column) + u'|' + recorder.texts().mid(said).join(u'|');
            expected << paste.kept;
        }
        QCOMPARE(kept, expected);
        typeIntoCell(grid, 4, VoucherGrid::CashFlowCodeColumn, u"1-.5"_s);
        QCOMPARE(grid->text(4, VoucherGrid::CashFlowCodeColumn), u"15"_s);
        // A key that types several characters over a closed cell is checked whole.
        grid->setCurrent(4, VoucherGrid::DebitColumn);
        grid->setFocus();
        QKeyEvent several(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"1a2"_s);
        QApplication::sendEvent(grid, &several);
        QCOMPARE(grid->text(4, VoucherGrid::DebitColumn) + u'|' + recorder.texts().last(), u"-12.50|“1a2”不是数字,原值不变"_s);
        grid->setText(4, VoucherGrid::QuantityColumn, QString());
        grid->setText(4, VoucherGrid::CashFlowCodeColumn, QString());
        recorder.messages.clear();

        // The largest amount is taken to the cent; one digit more is refused.
        typeIntoCell(grid, 4, 4, u"999999999999.99"_s);
        QTest::keyClick(editor, Qt::Key_Home);
        QTest::keyClicks(editor, u"9"_s);
        QCOMPARE(recorder.texts() << grid->text(4, 4) << form.debit->text(),
                 (QStringList{u"金额不能超过999,999,999,999.99"_s, u"999999999999.99"_s, u"1,000,000,000,000.32"_s}));
        // Pasted digits that pass the largest amount are refused once, not once a digit.
        typeIntoCell(grid, 4, 4, u"999999999999"_s);
        QTest::keyClick(editor, Qt::Key_Home);
        QGuiApplication::clipboard()->setText(u"12"_s);
        const qsizetype said = recorder.messages.size();
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(u"%1|"_s.arg(recorder.messages.size() - said) + grid->text(4, 4), u"1|999999999999.00"_s);
        typeIntoCell(grid, 4, 4, u"1"_s);
        editor->clear();
        QCOMPARE(form.debit->text(), u"0.33"_s);

        // A line that lost its account keeps its amount and stops the save.
        grid->setText(4, 2, QString());
        grid->setText(4, 4, u"5.00"_s);
        QCOMPARE(press(form.window, "Command14", recorder), u"第4行没有科目,不能保存:请输入科目或清空该行"_s);
        grid->setText(4, 4, QString());

        child<QLineEdit>(form.window, "Text5")->setText(u"3"_s);
        QCOMPARE(press(form.window, "Command14", recorder), u"凭证保存成功"_s);
        QCOMPARE(enteredLines(), u"8030001001 1001 0.13 - 3,8030001002 1001 0.2 - 3,8030001003 2202001001 - 0.33 3"_s);
    }

    void deletingTwiceTakesOnlyThePagedVoucher()
    {
        for (int number = 1; number <= 3; ++number)
            addVoucher(3, number, u"1001"_s, u"6001"_s, 10 * number);
        execute(u"UPDATE 分2016 SET 审核='会计'"_s);
        Form form;
        form.at(3);
        form.number->setText(u"1"_s);
        click(form.window, "Command11");
        QCOMPARE(form.number->text(), u"2"_s);
        // Answered No, the deletion changes nothing.
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(form.window, "Command1", recorder) + u'|' + scalar(u"SELECT count(*) FROM 分2016"_s).toString(),
                 u"真要删除此张凭证吗?(2号凭证),以后的号码会自动减号)|6"_s);
        QCOMPARE(press(form.window, "Command1", recorder), u"凭证删除成功"_s);
        // The old voucher 3 is now number 2, and nobody has looked at it.
        form.number->setText(u"2"_s);
        QCOMPARE(QStringList({press(form.window, "Command1", recorder), press(form.window, "Command3", recorder)}), QStringList(2, u"没有数据"_s));
        QCOMPARE(enteredLines(), u"8030001001 1001 10 - -,8030001002 6001 - 10 -,8030002001 1001 30 - -,8030002002 6001 - 30 -"_s);
    }

    void closingReopeningAndExchangeFromTheWindow()
    {
        addVoucher(3, 1, u"1122"_s, u"6001"_s, 100.0);
        Form form;
        form.at(3, QString());
        QCOMPARE(press(form.window, "Command16", recorder), u"审核不能为空"_s);
        form.reviewer->setCurrentText(u"会计"_s);
        form.grid->setText(1, 1, u"草稿"_s);
        QCOMPARE(press(form.window, "Command16", recorder), u"收入/费用已成功结转！"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE 结帐=2"_s).toInt(), 2);
        // A carried closing empties the grid and shows the month's cash; the reviewer chosen
        // reviews it and the operator prepares it.
        QCOMPARE(form.line(1) + form.cashLine(), u"1|||||||3月现余:0.00"_s);
        QCOMPARE(rowsAsText(u"SELECT DISTINCT 审核, 制单 FROM 分2016 WHERE 结帐=2"_s), QStringList{u"会计 管理员"_s});
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(form.window, "Command17", recorder), u"是否进行反结帐?(3月份)"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE 结帐=2"_s).toInt(), 2);
        QCOMPARE(press(form.window, "Command17", recorder), u"已反结成功"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016 WHERE 结帐 IS NOT NULL"_s).toInt(), 0);

        execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码='1122'"_s);
        execute(u"UPDATE 分2016 SET 数量=20 WHERE 代码='1122'"_s);
        // The box's number is not the adjustment's: it takes the month's next, 2, and the word chosen.
        form.number->setText(u"7"_s);
        child<QComboBox>(form.window, "Combo2")->setCurrentText(u"转"_s);
        DialogDriver driver([this](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"期末调汇(说明:以期末余额为调整基数,只调整资产类科目；负债类科目请自己调整)"_s);
            auto* table = child<QTableWidget>(dialog, "DataGrid1");
            QVERIFY(table->rowCount() == 1 && table->item(0, 1)->text() == u"1122"_s);
            table->item(0, 5)->setText(u"6.5x"_s);
            QCOMPARE(recorder.texts().last(), u"“6.5x”不是数字,原值不变"_s);
            QVERIFY(table->item(0, 5)->text().isEmpty() && scalar(u"SELECT 汇率 FROM 调汇"_s).isNull());
            // A rate keeps every decimal typed, unlike a quantity.
            table->item(0, 5)->setText(u"6.8265"_s);
            QCOMPARE(scalar(u"SELECT 汇率 FROM 调汇"_s).toString(), u"6.8265"_s);
            // At a rate of nothing or less the whole balance would be a difference.
            table->item(0, 5)->setText(u"-6.5"_s);
            QCOMPARE(recorder.texts().last() + u'|' + table->item(0, 5)->text() + u'|'
                         + scalar(u"SELECT 汇率 FROM 调汇"_s).toString(),
                     u"汇率必须大于零,原值不变|6.8265|6.8265"_s);
            table->item(0, 5)->setText(u"6"_s);
            // A quantity keeps three decimals.
            table->item(0, 3)->setText(u"20.125"_s);
            QCOMPARE(scalar(u"SELECT 数量 FROM 调汇"_s).toString(), u"20.125"_s);
            table->item(0, 3)->setText(u"20"_s);
            // An amount typed is shown to the cent.
            table->item(0, 4)->setText(u"100"_s);
            QCOMPARE(table->item(0, 4)->text(), u"100.00"_s);
            // No account is chosen until one is picked.
            QCOMPARE(press(dialog, "Command3", recorder), u"请选择对应损益类科目"_s);
            child<QPushButton>(dialog, "Command1")->click();
            QCOMPARE(table->item(0, 5)->text() + u'|' + table->item(0, 7)->text(), u"6|-20.00"_s);
            child<QComboBox>(dialog, "Combo1")->setCurrentText(u"6603 财务费用"_s);
            // Answered No, nothing is posted.
            recorder.answers.enqueue(MessageAnswer::No);
            QCOMPARE(press(dialog, "Command3", recorder) + u'|' + scalar(u"SELECT count(*) FROM 分2016"_s).toString(),
                     u"是否按此金额进行调汇?  若要打印请先导出EXCEL,可以重复操作|2"_s);
            QCOMPARE(press(dialog, "Command3", recorder), u"凭证保存成功,请检查凭证是否正确!!"_s);
        });
        click(form.window, "Command4");
        QCOMPARE(driver.opened, QStringList{u"Form14"_s});
        QCOMPARE(scalar(u"SELECT group_concat(ID || ':' || 代码) FROM (SELECT * FROM 分2016 WHERE 号码=2 ORDER BY ID)"_s).toString(),
                 u"8030002001:6603,8030002002:1122"_s);
        QCOMPARE(scalar(u"SELECT group_concat(DISTINCT 字号) FROM 分2016 WHERE 号码=2"_s).toString(), u"转"_s);
        QCOMPARE(press(form.window, "Command4", recorder), u"本月已调汇,请删除调汇凭证再进行调汇"_s);
        // A refused start leaves the table as it was, the rate typed included.
        QCOMPARE(scalar(u"SELECT 汇率 FROM 调汇"_s).toString(), u"6"_s);
    }

    // Dollars sold down to none in March still have 20 to take up; once that is posted March is
    // adjusted, and the months before and after it stay open to their own adjustment.
    void exchangeAdjustmentOncePerMonth()
    {
        addAccount(u"1002001"_s, u"美元户"_s, u"银行存款/美元户"_s);
        execute(u"UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"_s);
        execute(u"UPDATE 科目表 SET 调汇='Y' WHERE 科目代码='1002001'"_s);
        addLines(u"8020001001 1002001 700 - 100|8020001002 1001 - 700|8030001001 1001 720 -|8030001002 1002001 - 720 100"_s);
        Form form;
        form.number->setText(u"2"_s);
        bool post = true;
        QStringList rows;
        DialogDriver driver([&](QDialog& dialog) {
            auto* table = child<QTableWidget>(dialog, "DataGrid1");
            rows.clear();
            for (int row = 0; row < table->rowCount(); ++row)
                rows << table->item(row, 1)->text() + u'|' + table->item(row, 3)->text() + u'|' + table->item(row, 4)->text();
            if (!std::exchange(post, false) || table->rowCount() == 0)
                return;
            table->item(0, 5)->setText(u"7.2"_s);
            child<QPushButton>(dialog, "Command1")->click();
            rows << table->item(0, 6)->text() + u'|' + table->item(0, 7)->text();
            child<QComboBox>(dialog, "Combo1")->setCurrentText(u"6603 财务费用"_s);
            click(dialog, "Command3");
        });
        const struct {
            int month;
            QString outcome;  // the refusal, or the adjustment window and its rows
        } steps[] = {
            {3, u"Form14 1002001|0.00|-20.00,0.00|-20.00"_s},
            {3, u"本月已调汇,请删除调汇凭证再进行调汇"_s},
            // Nothing is left of the dollars after March's adjustment.
            {4, u"Form14 "_s},
            {2, u"Form14 1002001|100.00|700.00"_s},
        };
        QStringList expected, actual;
        for (const auto& step : steps) {
            form.at(step.month);
            const qsizetype messages = recorder.messages.size();
            const qsizetype opened = driver.opened.size();
            click(form.window, "Command4");
            expected << step.outcome;
            actual << (driver.opened.size() > opened ? u"Form14 "_s + rows.join(u',') : recorder.texts().value(messages));
        }
        QCOMPARE(actual, expected);
        QCOMPARE(rowsAsText(u"SELECT ID, 代码, 借方金额, 贷方金额, 摘要说明 FROM 分2016 WHERE 号码=2 AND 月=3 ORDER BY ID"_s, {}, u"|"_s),
                 (QStringList{u"8030002001|6603|-20|-|调整汇兑损益 "_s, u"8030002002|1002001|-|-20|调整汇兑损益 "_s}));
    }

    void tabWalksTheCellsAndTheKeysFollow()
    {
        addPayableLeaf();
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;
        form.at(3);
        form.number->setText(u"1"_s);
        const struct {
            int row, column;
            QString keys;
            Qt::Key leave;
            QString expected;  // the cell typed into, then where the keyboard is
        } steps[] = {
            {1, 1, u"abc"_s, Qt::Key_Tab, u"abc 1,2"_s},
            {1, 2, u"2202001001"_s, Qt::Key_Tab, u"2202001001 应付账款/甲/材料款 1,3"_s},
            {1, 3, u"1.2345"_s, Qt::Key_Tab, u"1.234 1,4"_s},
            {1, 4, u"0.135"_s, Qt::Key_Tab, u"0.13 1,5"_s},
            {1, 5, QString(), Qt::Key_Tab, u" 1,6"_s},
            {1, 6, u"102"_s, Qt::Key_Tab, u"102 1,7"_s},
            {1, 7, u"0.125"_s, Qt::Key_Tab, u"0.12 2,1"_s},
            {2, 1, QString(), Qt::Key_Backtab, u" 1,7"_s},
            {1, 7, u"0.5"_s, Qt::Key_Backtab, u"0.5 1,6"_s},
            {1, 6, u"101"_s, Qt::Key_Backtab, u"101 1,5"_s},
            {1, 5, QString(), Qt::Key_Backtab, u" 1,4"_s},
            {1, 4, u"25"_s, Qt::Key_Backtab, u"25.00 1,3"_s},
            {1, 3, QString(), Qt::Key_Backtab, u"1.234 1,2"_s},
            {1, 2, u"1001"_s, Qt::Key_Backtab, u"1001 库存现金 1,1"_s},
            {1, 1, u"d"_s, Qt::Key_Backtab, u"d 1,1"_s},
            {2, 2, u"2202001001"_s, Qt::Key_Tab, u"2202001001 应付账款/甲/材料款 2,3"_s},
            {2, 3, QString(), Qt::Key_Tab, u" 2,4"_s},
            {2, 4, QString(), Qt::Key_Tab, u" 2,5"_s},
            {2, 5, u"25"_s, Qt::Key_Tab, u"25.00 2,6"_s},
            // A refused account is emptied and keeps the keyboard, as Enter does.
            {3, 2, u"9999"_s, Qt::Key_Tab, u" 3,2"_s},
            {3, 2, u"9999"_s, Qt::Key_Backtab, u" 3,2"_s},
            // Past the last cell comes a new line.
            {10, 7, QString(), Qt::Key_Tab, u" 11,1"_s},
        };
        QStringList expected, actual;
        for (const auto& step : steps) {
            if (grid->row() != step.row || grid->col() != step.column)
                grid->setCurrent(step.row, step.column);
            grid->setFocus();
            typeKeys(step.keys);
            pressKey(step.leave, step.leave == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            expected << step.expected + u" grid"_s;
            actual << u"%1 %2,%3 "_s.arg(grid->text(step.row, step.column)).arg(grid->row()).arg(grid->col())
                          + (QApplication::focusWidget() == grid ? u"grid"_s : u"elsewhere"_s);
        }
        QCOMPARE(actual, expected);
        QCOMPARE(recorder.texts(), QStringList(2, u"科目代码不正确或不是最明细代码"_s));
        QVERIFY(grid->rows() == 12 && grid->text(11, 0) == u"11"_s);

        QCOMPARE(press(form.window, "Command14", recorder), u"凭证保存成功"_s);
        QCOMPARE(rowsAsText(u"SELECT 摘要说明, 代码, 数量, 借方金额, 贷方金额, 流代, 流金 FROM 分2016 ORDER BY ID"_s, {}, u"|"_s),
                 (QStringList{u"d|1001|1.234|25|-|101|0.5"_s, u"d|2202001001|-|-|25||-"_s}));
    }

    // Some input methods send Shift+Tab as Tab with Shift held: it goes back as Backtab does, from
    // the open editor and from the grid.
    void shiftTabInEitherFormGoesBack()
    {
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;
        const struct {
            int row, column;
            QString keys;  // typed first, so the editor is open; none leaves the grid with the keyboard
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            QString expected;  // the cell typed into, then where the keyboard is
        } cases[] = {
            {1, 3, u"1.5"_s, Qt::Key_Tab, Qt::ShiftModifier, u"1.5 1,2"_s},
            {1, 3, u"2"_s, Qt::Key_Backtab, Qt::ShiftModifier, u"2 1,2"_s},
            {1, 3, u"3"_s, Qt::Key_Backtab, Qt::NoModifier, u"3 1,2"_s},
            {1, 3, u"4"_s, Qt::Key_Tab, Qt::NoModifier, u"4 1,4"_s},
            {2, 1, u"x"_s, Qt::Key_Tab, Qt::ShiftModifier, u"x 1,7"_s},
            {1, 3, QString(), Qt::Key_Tab, Qt::ShiftModifier, u"4 1,2"_s},
            {2, 1, QString(), Qt::Key_Tab, Qt::ShiftModifier, u"x 1,7"_s},
            {1, 3, QString(), Qt::Key_Tab, Qt::NoModifier, u"4 1,4"_s},
        };
        QStringList expected, actual;
        for (const auto& each : cases) {
            grid->setCurrent(each.row, each.column);
            grid->setFocus();
            typeKeys(each.keys);
            QVERIFY(QApplication::focusWidget() == (each.keys.isEmpty() ? static_cast<QWidget*>(grid) : grid->cellEditor()));
            pressKey(each.key, each.modifiers);
            expected << each.expected;
            actual << u"%1 %2,%3"_s.arg(grid->text(each.row, each.column)).arg(grid->row()).arg(grid->col());
        }
        QCOMPARE(actual, expected);
    }

    void typingOverACellAndOpeningItsEditor()
    {
        addVoucher(3, 1, u"1001"_s, u"6001"_s, 20.0);
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;
        QLineEdit* editor = grid->cellEditor();
        form.at(3);
        form.number->setText(u"1"_s);
        click(form.window, "Command10");
        form.reviewer->setCurrentText(u"管理员"_s);
        DialogDriver pickers([](QDialog&) {});
        enum Open { Typed, F2, Enter, KeypadEnter, DoubleClick };
        const struct {
            int row, column;
            Open open;
            QString keys;
            QString expected;  // editor, caret, cell
        } cases[] = {
            {1, 4, Typed, u"25"_s, u"25|2|25.00"_s},
            {1, 1, Typed, u"x"_s, u"x|1|x"_s},
            {1, 1, F2, u"y"_s, u"xy|2|xy"_s},
            {1, 1, KeypadEnter, QString(), u"xy|2|xy"_s},
            // A third decimal is refused as any other key.
            {2, 5, Enter, u"1"_s, u"20.00|5|20.00"_s},
            {2, 5, DoubleClick, QString(), u"20.00|5|20.00"_s},
            {1, 4, DoubleClick, QString(), u"25.00|5|25.00"_s},
            {1, 3, Typed, u"0.0005"_s, u"0.000|5|0.000"_s},
            {1, 3, Typed, u"a"_s, u"hidden|0.000"_s},
            // A key the cell refuses types nothing: the cell is not wiped.
            {2, 5, Typed, u"a"_s, u"hidden|20.00"_s},
        };
        QStringList expected, actual;
        for (const auto& sample : cases) {
            grid->setCurrent(sample.row, sample.column);
            grid->setFocus();
            if (sample.open == DoubleClick)
                doubleClickCell(grid, sample.row, sample.column);
            else if (sample.open == KeypadEnter)
                pressKey(Qt::Key_Enter, Qt::KeypadModifier);
            else if (sample.open != Typed)
                pressKey(sample.open == F2 ? Qt::Key_F2 : Qt::Key_Return);
            typeKeys(sample.keys);
            expected << sample.expected;
            actual << (QApplication::focusWidget() == editor ? u"%1|%2|"_s.arg(editor->text()).arg(editor->cursorPosition()) : u"hidden|"_s)
                          + grid->text(sample.row, sample.column);
            pressKey(Qt::Key_Return);
        }
        QCOMPARE(actual, expected);
        QVERIFY(pickers.opened.isEmpty());

        // Double-click and F7 still open the pickers of the summary, account and cash-flow cells.
        for (const int column : {1, 2, 6})
            doubleClickCell(grid, 1, column);
        grid->setCurrent(2, 6);
        pressKey(Qt::Key_F7);
        QCOMPARE(pickers.opened, (QStringList{u"Form8"_s, u"Form3"_s, u"Form13"_s, u"Form13"_s}));
        QVERIFY(!editor->isVisible());

        grid->setText(2, 5, u"25.00"_s);
        QCOMPARE(press(form.window, "Command3", recorder), u"凭证修改成功"_s);
        QCOMPARE(rowsAsText(u"SELECT 摘要说明, 代码, 数量, 借方金额, 贷方金额 FROM 分2016 ORDER BY ID"_s, {}, u"|"_s),
                 (QStringList{u"xy|1001|0|25|-"_s, u"业务|6001|-|-|25"_s}));
    }

    void escapeGivesTheCellBackAndKeepsTheWindow()
    {
        addVoucher(3, 1, u"1001"_s, u"6001"_s, 0.3);
        Form form;
        QVERIFY(showActive(form.window));
        VoucherGrid* grid = form.grid;
        form.at(3);
        form.number->setText(u"1"_s);
        click(form.window, "Command10");
        form.reviewer->setCurrentText(u"管理员"_s);
        const struct {
            int row, column;
            Qt::Key open;  // Qt::Key_unknown: the keys type over the cell
            QString keys;
            QString whileTyped;  // the cell and the debit total while the editor is open
        } cases[] = {
            {1, 4, Qt::Key_unknown, u"7.1"_s, u"7.10|7.10"_s},
            {1, 4, Qt::Key_Backspace, u"9"_s, u"0.39|0.39"_s},
            {1, 2, Qt::Key_unknown, u"9999"_s, u"9999|0.30"_s},
            {1, 1, Qt::Key_F2, u"abc"_s, u"业务abc|0.30"_s},
        };
        QStringList expected, actual;
        for (const auto& sample : cases) {
            const QString before = grid->text(sample.row, sample.column);
            grid->setCurrent(sample.row, sample.column);
            grid->setFocus();
            if (sample.open != Qt::Key_unknown)
                pressKey(sample.open);
            typeKeys(sample.keys);
            actual << grid->text(sample.row, sample.column) + u'|' + form.debit->text();
            expected << sample.whileTyped;
            pressKey(Qt::Key_Escape);
            actual << u"%1|%2|%3,%4|%5"_s.arg(grid->text(sample.row, sample.column), form.debit->text())
                          .arg(grid->row()).arg(grid->col())
                          .arg(QApplication::focusWidget() == grid && !grid->cellEditor()->isVisible());
            expected << u"%1|0.30|%2,%3|1"_s.arg(before).arg(sample.row).arg(sample.column);
        }
        QCOMPARE(actual, expected);
        QVERIFY(recorder.messages.isEmpty());
        // Esc on the grid itself: the window stays.
        QSignalSpy finished(&form.window, &QDialog::finished);
        pressKey(Qt::Key_Escape);
        QVERIFY(form.window.isVisible() && finished.isEmpty());
        QCOMPARE(press(form.window, "Command3", recorder), u"凭证修改成功"_s);
        QCOMPARE(enteredLines(), u"8030001001 1001 0.3 - 0,8030001002 6001 - 0.3 0"_s);
    }

    void escapeClosesNoWorkWindow()
    {
        MainWindow main;
        main.openStatements();
        QWidget* statements = main.findChild<QWidget*>(u"Form12"_s);
        QVERIFY(statements);
        VoucherWindow vouchers;
        ChartWindow chart;
        OpeningBalancesWindow opening;
        SettingsWindow settings;
        const struct {
            QWidget* window;
            QWidget* shown;
            const char* closeButton;
        } windows[] = {{&vouchers, &vouchers, "Command18"}, {&chart, &chart, "Command5"}, {&opening, &opening, "Command5"},
                       {&settings, &settings, "Command7"}, {statements, &main, "Command1"}};
        QStringList open;
        for (const auto& entry : windows) {
            QVERIFY(showActive(*entry.shown));
            std::optional<QSignalSpy> finished;
            if (auto* dialog = qobject_cast<QDialog*>(entry.window))
                finished.emplace(dialog, &QDialog::finished);
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : entry.window, Qt::Key_Escape);
            QTest::keyClick(entry.window, Qt::Key_Escape);
            open << entry.window->objectName() + (entry.window->isVisible() && (!finished || finished->isEmpty()) ? u" open"_s : u" closed"_s);
        }
        QCOMPARE(open.join(u','), u"Form15 open,Form6 open,Form9 open,Form2 open,Form12 open"_s);
        open.clear();
        for (const auto& entry : windows) {
            const QPointer<QWidget> window = entry.window;
            click(*window, entry.closeButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            open << (window && window->isVisible() ? u"open"_s : u"closed"_s);
        }
        QCOMPARE(open, QStringList(5, u"closed"_s));
    }

    void pickersFillTheirCells()
    {
        Form form;
        VoucherGrid* grid = form.grid;
        DialogDriver driver([](QDialog& dialog) {
            auto* tree = child<QTreeWidget>(dialog, "TreeView1");
            for (int pick = 0; pick < 3; ++pick)
                emit tree->itemDoubleClicked(tree->topLevelItem(pick), 0);
        });
        const auto f7 = [grid](int row, int column) {
            grid->setCurrent(row, column);
            QTest::keyClick(grid, Qt::Key_F7);
        };
        f7(1, 2);
        // No picker below a row without an account.
        f7(5, 2);
        QCOMPARE(driver.opened + QStringList({grid->text(1, 2), grid->text(2, 2), grid->text(3, 2), QString::number(grid->rows())}),
                 (QStringList{u"Form3"_s, u"1001 库存现金"_s, u"1002 银行存款"_s, u"1012 其他货币资金"_s, u"11"_s}));
        // Below a row with an account the picker opens.
        f7(4, 2);
        QCOMPARE(QString::number(driver.opened.size()) + u'|' + grid->text(4, 2), u"2|1001 库存现金"_s);

        // A pick into the last row adds a row and moves the target past it.
        AccountPicker picker(grid);
        picker.setTargetRow(10);
        QCOMPARE(boxTexts(picker, {"Text1"}), u"请输入内容搜索....."_s);
        fill(picker, {{"Text1", u"累计"_s}});
        picker.search();
        QCOMPARE(child<QTableWidget>(picker, "DataGrid1")->rowCount(), 3);
        // Leaving the search box puts the prompt back.
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(child<QLineEdit>(picker, "Text1"), &out);
        QCOMPARE(boxTexts(picker, {"Text1"}), u"请输入内容搜索....."_s);
        picker.pickResult();
        QCOMPARE(u"%1 %2 "_s.arg(grid->rows()).arg(picker.targetRow()) + grid->text(11, 0) + u' ' + grid->text(10, 2), u"12 11 11 1602 累计折旧"_s);

        // A node with sub-accounts is not picked; the class switch changes the tree.
        addPayableLeaf();
        picker.toolbarKey(u"负"_s);
        auto* tree = child<QTreeWidget>(picker, "TreeView1");
        QTreeWidgetItem* payable = tree->findItems(u"2202 应付账款"_s, Qt::MatchExactly).value(0);
        picker.pickTreeNode(payable);
        picker.pickTreeNode(payable->child(0));
        QCOMPARE(picker.targetRow(), 11);
        picker.pickTreeNode(payable->child(0)->child(0));
        QCOMPARE(QString::number(grid->rows()) + grid->text(11, 2), u"132202001001 应付账款/甲/材料款"_s);

        // F7 over a summary and over a cash-flow cell: the second item of each list, on that row only.
        grid->setText(1, 4, u"8.00"_s);
        DialogDriver lists([](QDialog& dialog) {
            auto* list = child<QListWidget>(dialog, "List1");
            emit list->itemDoubleClicked(list->item(1));
        });
        f7(1, 1);
        f7(1, 6);
        QCOMPARE(lists.opened, (QStringList{u"Form8"_s, u"Form13"_s}));
        const QStringList phrases = rowsAsText(u"SELECT 名称 FROM 摘要 ORDER BY 1"_s);
        QCOMPARE(form.line(1) + form.line(2), u"1|"_s + phrases.at(1) + u"|1001 库存现金||8.00||102|2||1002 银行存款|||||"_s);

        SummaryPicker summary(grid);
        auto* phrase = child<QLineEdit>(summary, "Text2");
        summary.addClicked();
        phrase->setText(phrases.first());
        summary.addClicked();
        summary.deleteClicked();
        QCOMPARE(recorder.texts(), (QStringList{u"名称不能为空！"_s, u"名称重复,不能增加"_s, u"是否删除："_s + phrases.first() + u"?"_s}));
        QVERIFY(recorder.messages.last().title == u"qm505"_s && child<QListWidget>(summary, "List1")->count() == phrases.size() - 1);
        phrase->clear();
        summary.deleteClicked();
        QCOMPARE(recorder.texts().last(), u"请单击选择要删除的内容"_s);

        // Without a target row a pick writes nothing.
        CashFlowPicker cashFlow(grid);
        cashFlow.itemDoubleClicked(child<QListWidget>(cashFlow, "List1")->item(0));
        QVERIFY(cashFlow.result() == QDialog::Rejected && grid->text(1, 6) == u"102"_s);
    }

    // A picker's hidden row box only mirrors its target row: text typed into it is never read back.
    void pickersKeepTheirOwnTargetRow()
    {
        Form form;
        VoucherGrid* grid = form.grid;
        AccountPicker picker(grid);
        auto* accountBox = child<QLineEdit>(picker, "Text2");
        auto* tree = child<QTreeWidget>(picker, "TreeView1");
        picker.setTargetRow(2);
        accountBox->setText(u"5"_s);
        picker.pickTreeNode(tree->topLevelItem(0));
        const QString mirrored = accountBox->text();
        accountBox->setText(u"abc"_s);
        picker.pickTreeNode(tree->topLevelItem(1));
        QCOMPARE(QStringList({grid->text(2, 2), grid->text(3, 2), grid->text(5, 2), mirrored, accountBox->text()}),
                 (QStringList{u"1001 库存现金"_s, u"1002 银行存款"_s, QString(), u"3"_s, u"4"_s}));

        SummaryPicker summary(grid);
        summary.setTargetRow(2);
        child<QLineEdit>(summary, "Text3")->clear();
        QListWidgetItem* phrase = child<QListWidget>(summary, "List1")->item(0);
        summary.phraseDoubleClicked(phrase);
        CashFlowPicker cashFlow(grid);
        cashFlow.setTargetRow(3);
        child<QLineEdit>(cashFlow, "Text1")->setText(u"2"_s);
        QListWidgetItem* item = child<QListWidget>(cashFlow, "List1")->item(0);
        cashFlow.itemDoubleClicked(item);
        QVERIFY(summary.result() == QDialog::Accepted && cashFlow.result() == QDialog::Accepted);
        QCOMPARE(QStringList({grid->text(2, 1), grid->text(2, 6), grid->text(3, 6)}),
                 (QStringList{phrase->text(), QString(), item->text().left(3)}));
    }
};

QTEST_MAIN(TestVoucherWindow)
#include "test_voucher_window.moc"

#include "data/dialog_runner.h"
#include "data/login.h"
#include "support/books.h"
#include "support/message_recorder.h"
#include "support/other_writer.h"
#include "support/temp_program.h"
#include "support/widgets.h"
#include "vouchers/account_picker.h"
#include "vouchers/cash_flow_picker.h"
#include "vouchers/summary_picker.h"
#include "vouchers/voucher_grid.h"
#include "vouchers/voucher_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

void addLine(int month, int number, int line, const QString& code, const QVariant& debit, const QVariant& credit)
{
    execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 借方金额, 贷方金额) "
                           "VALUES (?, ?, ?, '收', ?, '张三', '李四', 1, '收款', ?, ?, ?)"),
            {QStringLiteral("8%1%2%3").arg(month, 2, 10, QLatin1Char('0')).arg(number, 4, 10, QLatin1Char('0')).arg(line, 3, 10, QLatin1Char('0')),
             QDate(kYear, month, 8).toString(Qt::ISODate), month, number, code, debit, credit});
}

// Types into the grid as an operator does: the first key opens the cell editor, the rest go to it.
void typeIntoCell(VoucherGrid* grid, int row, int column, const QString& keys)
{
    grid->setCurrent(row, column);
    grid->setFocus();
    QTest::keyClicks(grid, keys.left(1));
    QTest::keyClicks(grid->cellEditor(), keys.mid(1));
}

struct Form {
    VoucherWindow window;
    VoucherGrid* grid = window.grid();
    QLineEdit* number = child<QLineEdit>(window, "Text4");
    QLineEdit* debit = child<QLineEdit>(window, "Text1");
    QLineEdit* credit = child<QLineEdit>(window, "Text2");
    QDateEdit* date = child<QDateEdit>(window, "DTPicker1");
    void click(const char* button) { child<QPushButton>(window, button)->click(); }
    void showActive()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

}  // namespace

class TestVoucherWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{kYear, QStringLiteral("管理员"), QStringLiteral("123456"), QStringLiteral("单位")}; }

    void opensOnTheLastMonthWithEntries()
    {
        TempProgram program;
        {
            Form empty;
            QCOMPARE(empty.window.windowTitle(), QStringLiteral("QM505财务--凭证录入"));
            QCOMPARE(empty.date->date(), QDate(kYear, 1, 1));
            QCOMPARE(empty.grid->rows(), 11);
            QStringList headers;
            for (int column = 0; column < 8; ++column)
                headers << empty.grid->text(0, column);
            QCOMPARE(headers, (QStringList{QStringLiteral("序号"), QStringLiteral("摘要说明"), QStringLiteral("科 目 名 称"),
                                           QStringLiteral("数 量    (外币)"), QStringLiteral("借方金额"), QStringLiteral("贷方金额"),
                                           QStringLiteral("流代"), QStringLiteral("流金")}));
            QCOMPARE(empty.grid->text(10, 0), QStringLiteral("10"));
            QCOMPARE(empty.debit->text(), QStringLiteral("0.00"));
            QCOMPARE(empty.credit->text(), QStringLiteral("0.00"));
            QCOMPARE(child<QLabel>(empty.window, "Label2")->text(), QString());
            QCOMPARE(child<QComboBox>(empty.window, "Combo2")->currentText(), QStringLiteral("记"));
            QCOMPARE(child<QComboBox>(empty.window, "Combo1")->count(), 1);
            QCOMPARE(child<QComboBox>(empty.window, "Combo1")->currentText(), QString());
            QCOMPARE(child<QLineEdit>(empty.window, "Text3")->text(), QStringLiteral("管理员"));
            QVERIFY(empty.number->text().isEmpty());

            MessageRecorder recorder;
            empty.click("Command13");
            QCOMPARE(recorder.texts(), QStringList{QStringLiteral(" 号凭证没有数据,注意凭证号")});
            empty.number->setText(QStringLiteral("4"));
            empty.click("Command11");
            QCOMPARE(recorder.texts().last(), QStringLiteral("已经是最后一条了"));
            QCOMPARE(empty.number->text(), QStringLiteral("0"));
        }
        addLine(6, 1, 1, QStringLiteral("1001"), 5.0, QVariant());
        Form june;
        QCOMPARE(june.date->date(), QDate(kYear, 6, 1));
    }

    void pagingLoadsVouchersAndKeepsTheGridOnAMissingOne()
    {
        TempProgram program;
        for (int number = 1; number <= 2; ++number) {
            addLine(3, number, 1, QStringLiteral("1001"), 100.0 * number, QVariant());
            addLine(3, number, 2, QStringLiteral("6001"), QVariant(), 100.0 * number);
        }
        Form form;
        form.date->setDate(QDate(kYear, 3, 1));
        MessageRecorder recorder;
        form.click("Command10");
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(form.number->text(), QStringLiteral("1"));
        QCOMPARE(form.date->date(), QDate(kYear, 3, 8));
        QCOMPARE(child<QComboBox>(form.window, "Combo2")->currentText(), QStringLiteral("收"));
        QCOMPARE(child<QLineEdit>(form.window, "Text3")->text(), QStringLiteral("张三"));
        QCOMPARE(child<QComboBox>(form.window, "Combo1")->currentText(), QStringLiteral("李四"));
        QCOMPARE(child<QLineEdit>(form.window, "Text5")->text(), QStringLiteral("1"));
        QCOMPARE(form.grid->text(1, 2), QStringLiteral("1001 库存现金"));
        QCOMPARE(form.grid->text(1, 4), QStringLiteral("100.00"));
        QCOMPARE(form.grid->text(2, 5), QStringLiteral("100.00"));
        QCOMPARE(form.grid->rows(), 11);
        QCOMPARE(form.debit->text(), QStringLiteral("100.00"));

        form.click("Command11");
        QCOMPARE(form.number->text(), QStringLiteral("2"));
        QCOMPARE(form.grid->text(1, 4), QStringLiteral("200.00"));
        form.click("Command11");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已经是最后一条了"));

        form.number->setText(QStringLiteral("9"));
        form.click("Command12");
        QCOMPARE(recorder.texts().last(), QStringLiteral("8 号凭证没有数据,注意凭证号"));
        QCOMPARE(recorder.messages.last().title, QStringLiteral("QM505提示"));
        QCOMPARE(recorder.messages.last().icon, MessageIcon::Exclamation);
        QCOMPARE(form.grid->text(1, 4), QStringLiteral("200.00"));

        form.number->setText(QStringLiteral("1"));
        form.click("Command12");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已经是第一张了!!"));
        form.number->clear();
        form.click("Command11");
        QCOMPARE(recorder.texts().last(), QStringLiteral("号码不能为空!!"));

        form.click("Command15");
        QCOMPARE(form.grid->text(1, 2), QString());
        QCOMPARE(form.grid->text(0, 2), QStringLiteral("科 目 名 称"));
        QCOMPARE(form.debit->text(), QStringLiteral("0.00"));
        QCOMPARE(child<QLabel>(form.window, "Label2")->text(), QStringLiteral("3月现余:300.00"));

        QTest::mouseClick(child<QLabel>(form.window, "Label7"), Qt::LeftButton);
        QCOMPARE(form.number->text(), QStringLiteral("3"));
        QTest::keyClicks(form.number, QStringLiteral("a1"));
        QTest::keyClick(form.number, Qt::Key_Backspace);
        QCOMPARE(form.number->text(), QStringLiteral("31"));

        QTest::mouseClick(child<QLineEdit>(form.window, "Text6"), Qt::LeftButton);
        QVERIFY(recorder.texts().last().startsWith(QStringLiteral("0.点[凭证号]即得当月最新号码\n\n1.支持代码录入")));
    }

    void typingLinesIntoTheGrid()
    {
        TempProgram program;
        addAccount(QStringLiteral("1002001"), QStringLiteral("工行"), QStringLiteral("银行存款/工行"));
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"));
        Form form;
        form.showActive();
        VoucherGrid* grid = form.grid;
        MessageRecorder recorder;

        typeIntoCell(grid, 1, 1, QStringLiteral("abc"));
        QCOMPARE(grid->text(1, 1), QStringLiteral("abc"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QCOMPARE(grid->row(), 2);
        QVERIFY(!grid->cellEditor()->isVisible());

        // Backspace on the grid takes exactly one character away.
        grid->setCurrent(1, 1);
        QTest::keyClick(grid, Qt::Key_Backspace);
        QCOMPARE(grid->text(1, 1), QStringLiteral("ab"));
        QCOMPARE(grid->cellEditor()->text(), QStringLiteral("ab"));

        // An amount needs an account on its row.
        typeIntoCell(grid, 1, 4, QStringLiteral("5"));
        QCOMPARE(grid->text(1, 4), QString());

        typeIntoCell(grid, 1, 2, QStringLiteral("1001"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(grid->text(1, 2), QStringLiteral("1001 库存现金"));
        QCOMPARE(grid->row(), 1);
        QCOMPARE(grid->col(), 3);

        typeIntoCell(grid, 1, 4, QStringLiteral("-1-2.5.0"));
        QCOMPARE(grid->cellEditor()->text(), QStringLiteral("-12.50"));
        QCOMPARE(grid->text(1, 4), QStringLiteral("-12.50"));
        grid->cellEditor()->selectAll();
        QTest::keyClicks(grid->cellEditor(), QStringLiteral("12.5"));
        QCOMPARE(grid->cellEditor()->text(), QStringLiteral("12.5"));
        QCOMPARE(grid->text(1, 4), QStringLiteral("12.50"));
        QCOMPARE(form.debit->text(), QStringLiteral("12.50"));

        // A parent account and an unknown code are refused and the cell emptied.
        typeIntoCell(grid, 2, 2, QStringLiteral("1002"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("科目代码不正确或不是最明细代码")});
        QCOMPARE(recorder.messages.last().title, QStringLiteral("QM505"));
        QCOMPARE(grid->text(2, 2), QString());
        QCOMPARE(grid->col(), 2);

        typeIntoCell(grid, 2, 2, QStringLiteral("1002001"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        typeIntoCell(grid, 2, 5, QStringLiteral("-"));
        QCOMPARE(grid->text(2, 5), QStringLiteral("-"));
        QCOMPARE(form.credit->text(), QStringLiteral("0.00"));
        QTest::keyClicks(grid->cellEditor(), QStringLiteral("1000.25"));
        QCOMPARE(form.credit->text(), QStringLiteral("-1,000.25"));

        // Leaving the editor with Down still checks the account cell it was opened over.
        typeIntoCell(grid, 3, 2, QStringLiteral("9999"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Down);
        QCOMPARE(grid->row(), 4);
        QCOMPARE(recorder.texts().size(), 2);
        QCOMPARE(grid->text(3, 2), QString());

        // Enter on the last row adds a row numbered 11.
        typeIntoCell(grid, 10, 1, QStringLiteral("x"));
        QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
        QCOMPARE(grid->rows(), 12);
        QCOMPARE(grid->text(11, 0), QStringLiteral("11"));
        QCOMPARE(grid->row(), 10);
    }

    void savingFromTheWindow()
    {
        TempProgram program;
        Form form;
        VoucherGrid* grid = form.grid;
        form.date->setDate(QDate(kYear, 3, 5));
        child<QComboBox>(form.window, "Combo1")->setCurrentText(QStringLiteral("管理员"));
        form.number->setText(QStringLiteral("1"));
        const auto fill = [grid](int row, const QString& summary, const QString& account, const QString& debit, const QString& credit) {
            grid->setText(row, 1, summary);
            grid->setText(row, 2, account);
            grid->setText(row, 4, debit);
            grid->setText(row, 5, credit);
        };
        fill(1, QStringLiteral("购料"), QStringLiteral("1403 原材料"), QStringLiteral("100.00"), QString());
        fill(2, QString(), QStringLiteral("1002 银行存款"), QString(), QStringLiteral("60.00"));
        fill(3, QString(), QStringLiteral("2202 应付账款"), QString(), QStringLiteral("40.00"));
        // A blank row does not end the voucher: the line below it counts, and here unbalances it.
        fill(5, QString(), QStringLiteral("2202 应付账款"), QString(), QStringLiteral("20.00"));
        MessageRecorder recorder;
        form.click("Command14");
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("借贷不平!")});
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), 0);

        grid->setText(3, 5, QStringLiteral("20.00"));
        {
            // Books held by another program: the voucher is not saved and stays as typed.
            OtherWriter other(databaseFilePath());
            form.click("Command14");
            QCOMPARE(recorder.messages.last().icon, MessageIcon::Stop);
            QVERIFY2(recorder.texts().last().startsWith(QStringLiteral("数据库正被另一个程序占用，这次修改没有保存")),
                     qPrintable(recorder.texts().last()));
            QCOMPARE(form.number->text(), QStringLiteral("1"));
            QCOMPARE(grid->text(1, 2), QStringLiteral("1403 原材料"));
            QCOMPARE(grid->text(5, 5), QStringLiteral("20.00"));
        }
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), 0);
        form.click("Command14");
        QCOMPARE(recorder.texts().last(), QStringLiteral("凭证保存成功"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(ID || ':' || 代码 || ':' || 贷方金额) FROM "
                                       "(SELECT * FROM 分2016 WHERE 贷方金额 IS NOT NULL ORDER BY ID)")).toString(),
                 QStringLiteral("8030001002:1002:60.0,8030001003:2202:20.0,8030001004:2202:20.0"));
        QCOMPARE(form.number->text(), QStringLiteral("2"));
        QCOMPARE(grid->text(1, 2), QString());
        QCOMPARE(grid->text(5, 2), QString());
        QCOMPARE(form.debit->text(), QStringLiteral("0.00"));
        QCOMPARE(child<QLabel>(form.window, "Label2")->text(), QStringLiteral("3月现余:0.00"));

        // Deleting the voucher just paged to.
        form.click("Command10");
        recorder.answers.enqueue(MessageAnswer::Yes);
        form.click("Command1");
        QCOMPARE(recorder.texts().mid(recorder.texts().size() - 2),
                 (QStringList{QStringLiteral("真要删除此张凭证吗?(1号凭证),以后的号码会自动减号)"), QStringLiteral("凭证删除成功")}));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), 0);
        QCOMPARE(form.number->text(), QStringLiteral("2"));
    }

    void amountsArriveInTheGridOnlyAsNumbers()
    {
        TempProgram program;
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='2202'"));
        addAccount(QStringLiteral("2202001"), QStringLiteral("甲"), QStringLiteral("应付账款/甲"), QStringLiteral("贷"), false);
        addAccount(QStringLiteral("2202001001"), QStringLiteral("材料款"), QStringLiteral("应付账款/甲/材料款"),
                   QStringLiteral("贷"));
        Form form;
        form.showActive();
        VoucherGrid* grid = form.grid;
        QLineEdit* editor = grid->cellEditor();
        MessageRecorder recorder;
        form.date->setDate(QDate(kYear, 3, 5));
        child<QComboBox>(form.window, "Combo1")->setCurrentText(QStringLiteral("管理员"));
        form.number->setText(QStringLiteral("1"));
        typeIntoCell(grid, 1, 1, QStringLiteral("x"));
        const QString accounts[] = {QStringLiteral("1001"), QStringLiteral("1001"), QStringLiteral("2202001001"),
                                    QStringLiteral("1001")};
        for (int row = 1; row <= 4; ++row) {
            typeIntoCell(grid, row, 2, accounts[row - 1]);
            QTest::keyClick(editor, Qt::Key_Return);
        }

        typeIntoCell(grid, 1, 4, QStringLiteral("0.125"));
        QCOMPARE(grid->text(1, 4), QStringLiteral("0.13"));
        // Composed by an input method into the grid, and into the open editor; pasted.
        grid->setCurrent(2, 4);
        grid->setFocus();
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("0.2元abc"));
        QApplication::sendEvent(grid, &composed);
        QCOMPARE(grid->text(2, 4), QStringLiteral("0.20"));
        typeIntoCell(grid, 3, 5, QStringLiteral("0"));
        QInputMethodEvent moreComposed;
        moreComposed.setCommitString(QStringLiteral(".元3"));
        QApplication::sendEvent(editor, &moreComposed);
        QGuiApplication::clipboard()->setText(QStringLiteral("3元abc"));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("0.33"));
        editor->insert(QStringLiteral("x"));
        QCOMPARE(grid->text(3, 5), QStringLiteral("0.33"));
        QCOMPARE(form.debit->text(), QStringLiteral("0.33"));
        QCOMPARE(form.credit->text(), QStringLiteral("0.33"));
        QVERIFY(recorder.messages.isEmpty());

        // The largest amount is taken to the cent; one digit more is refused.
        typeIntoCell(grid, 4, 4, QStringLiteral("999999999999.99"));
        QTest::keyClicks(editor, QStringLiteral("9"));
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("金额不能超过999,999,999,999.99")});
        QCOMPARE(grid->text(4, 4), QStringLiteral("999999999999.99"));
        QCOMPARE(form.debit->text(), QStringLiteral("1,000,000,000,000.32"));
        typeIntoCell(grid, 4, 4, QStringLiteral("1"));
        editor->clear();
        QCOMPARE(form.debit->text(), QStringLiteral("0.33"));

        // A line that lost its account keeps its amount and stops the save.
        grid->setText(4, 2, QString());
        grid->setText(4, 4, QStringLiteral("5.00"));
        form.click("Command14");
        QCOMPARE(recorder.texts().last(), QStringLiteral("第4行没有科目,不能保存:请输入科目或清空该行"));
        grid->setText(4, 4, QString());

        // An attachment count too large for the field is refused, not replaced.
        child<QLineEdit>(form.window, "Text5")->setText(QStringLiteral("12345678901234567890"));
        form.click("Command14");
        QCOMPARE(recorder.texts().last(), QStringLiteral("附单据张数不能超过9999"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), 0);
        child<QLineEdit>(form.window, "Text5")->setText(QStringLiteral("3"));
        form.click("Command14");
        QCOMPARE(recorder.texts().last(), QStringLiteral("凭证保存成功"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(代码 || ':' || ifnull(借方金额,'') || ':' || ifnull(贷方金额,'') "
                                       "|| ':' || 附件) FROM (SELECT * FROM 分2016 ORDER BY ID)")).toString(),
                 QStringLiteral("1001:0.13::3,1001:0.2::3,2202001001::0.33:3"));
    }

    void deletingTwiceTakesOnlyThePagedVoucher()
    {
        TempProgram program;
        for (int number = 1; number <= 3; ++number) {
            addLine(3, number, 1, QStringLiteral("1001"), 10.0 * number, QVariant());
            addLine(3, number, 2, QStringLiteral("6001"), QVariant(), 10.0 * number);
        }
        Form form;
        form.date->setDate(QDate(kYear, 3, 1));
        child<QComboBox>(form.window, "Combo1")->setCurrentText(QStringLiteral("管理员"));
        MessageRecorder recorder;
        form.number->setText(QStringLiteral("1"));
        form.click("Command11");
        QCOMPARE(form.number->text(), QStringLiteral("2"));
        form.click("Command1");
        QCOMPARE(recorder.texts().last(), QStringLiteral("凭证删除成功"));
        // The old voucher 3 is now number 2, and nobody has looked at it.
        form.number->setText(QStringLiteral("2"));
        form.click("Command1");
        QCOMPARE(recorder.texts().last(), QStringLiteral("没有数据"));
        form.click("Command3");
        QCOMPARE(recorder.texts().last(), QStringLiteral("没有数据"));
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(ID || ':' || 借方金额) FROM "
                                       "(SELECT * FROM 分2016 WHERE 借方金额 IS NOT NULL ORDER BY ID)")).toString(),
                 QStringLiteral("8030001001:10.0,8030002001:30.0"));
    }

    void closingReopeningAndExchangeFromTheWindow()
    {
        TempProgram program;
        addLine(3, 1, 1, QStringLiteral("1122"), 100.0, QVariant());
        addLine(3, 1, 2, QStringLiteral("6001"), QVariant(), 100.0);
        Form form;
        form.date->setDate(QDate(kYear, 3, 1));
        MessageRecorder recorder;
        form.click("Command16");
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("审核不能为空")});
        child<QComboBox>(form.window, "Combo1")->setCurrentText(QStringLiteral("管理员"));
        form.click("Command16");
        QCOMPARE(recorder.texts().last(), QStringLiteral("收入/费用已成功结转！"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE 结帐=2")).toInt(), 2);

        recorder.answers.enqueue(MessageAnswer::No);
        form.click("Command17");
        QCOMPARE(recorder.texts().last(), QStringLiteral("是否进行反结帐?(3月份)"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE 结帐=2")).toInt(), 2);
        form.click("Command17");
        QCOMPARE(recorder.texts().last(), QStringLiteral("已反结成功"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE 结帐 IS NOT NULL")).toInt(), 0);

        execute(QStringLiteral("UPDATE 科目表 SET 调汇='Y' WHERE 科目代码='1122'"));
        execute(QStringLiteral("UPDATE 分2016 SET 数量=20 WHERE 代码='1122'"));
        form.number->setText(QStringLiteral("2"));
        DialogDriver driver([&recorder](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("期末调汇(说明:以期末余额为调整基数,只调整资产类科目；负债类科目请自己调整)"));
            auto* table = child<QTableWidget>(dialog, "DataGrid1");
            QCOMPARE(table->rowCount(), 1);
            QCOMPARE(table->item(0, 1)->text(), QStringLiteral("1122"));
            table->item(0, 5)->setText(QStringLiteral("6.5x"));
            QCOMPARE(recorder.texts().last(), QStringLiteral("“6.5x”不是数字,原值不变"));
            QCOMPARE(table->item(0, 5)->text(), QString());
            QVERIFY(scalar(QStringLiteral("SELECT 汇率 FROM 调汇")).isNull());
            table->item(0, 5)->setText(QStringLiteral("6"));
            child<QPushButton>(dialog, "Command1")->click();
            QCOMPARE(table->item(0, 7)->text(), QStringLiteral("-20.00"));
            child<QComboBox>(dialog, "Combo1")->setCurrentText(QStringLiteral("6603 财务费用"));
            child<QPushButton>(dialog, "Command3")->click();
            QCOMPARE(recorder.texts().last(), QStringLiteral("凭证保存成功,请检查凭证是否正确!!"));
        });
        form.click("Command4");
        QCOMPARE(driver.opened, QStringList{QStringLiteral("Form14")});
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(ID || ':' || 代码) FROM (SELECT * FROM 分2016 WHERE 号码=2 ORDER BY ID)")).toString(),
                 QStringLiteral("8030002001:6603,8030002002:1122"));
        form.click("Command4");
        QCOMPARE(recorder.texts().last(), QStringLiteral("本月已调汇,请删除调汇凭证再进行调汇"));
    }

    void accountPickerFillsSuccessiveRows()
    {
        TempProgram program;
        Form form;
        VoucherGrid* grid = form.grid;
        DialogDriver driver([](QDialog& dialog) {
            auto* tree = child<QTreeWidget>(dialog, "TreeView1");
            for (int pick = 0; pick < 3; ++pick)
                emit tree->itemDoubleClicked(tree->topLevelItem(pick), 0);
        });
        grid->setCurrent(1, 2);
        QTest::keyClick(grid, Qt::Key_F7);
        QCOMPARE(driver.opened, QStringList{QStringLiteral("Form3")});
        QCOMPARE(grid->text(1, 2), QStringLiteral("1001 库存现金"));
        QCOMPARE(grid->text(2, 2), QStringLiteral("1002 银行存款"));
        QCOMPARE(grid->text(3, 2), QStringLiteral("1012 其他货币资金"));
        QCOMPARE(grid->rows(), 11);

        // No picker below a row without an account.
        grid->setCurrent(5, 2);
        QTest::keyClick(grid, Qt::Key_F7);
        QCOMPARE(driver.opened.size(), 1);

        // A pick into the last row adds a row and moves the target past it.
        AccountPicker picker(grid);
        picker.setTargetRow(10);
        auto* search = child<QLineEdit>(picker, "Text1");
        QCOMPARE(search->text(), QStringLiteral("请输入内容搜索....."));
        search->setText(QStringLiteral("累计"));
        picker.search();
        auto* results = child<QTableWidget>(picker, "DataGrid1");
        QCOMPARE(results->rowCount(), 3);
        picker.pickResult();
        QCOMPARE(grid->rows(), 12);
        QCOMPARE(grid->text(11, 0), QStringLiteral("11"));
        QCOMPARE(grid->text(10, 2), QStringLiteral("1602 累计折旧"));
        QCOMPARE(picker.targetRow(), 11);

        // A node with sub-accounts is not picked; the class switch changes the tree.
        addAccount(QStringLiteral("6001001"), QStringLiteral("产品"), QStringLiteral("主营业务收入/产品"));
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='6001'"));
        picker.toolbarKey(QStringLiteral("损"));
        auto* tree = child<QTreeWidget>(picker, "TreeView1");
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("6001 主营业务收入"));
        picker.pickTreeNode(tree->topLevelItem(0));
        QCOMPARE(picker.targetRow(), 11);
        picker.pickTreeNode(tree->topLevelItem(0)->child(0));
        QCOMPARE(grid->text(11, 2), QStringLiteral("6001001 主营业务收入/产品"));
        QCOMPARE(grid->rows(), 13);
    }

    void summaryAndCashFlowPickersWriteTheirCell()
    {
        TempProgram program;
        Form form;
        VoucherGrid* grid = form.grid;
        grid->setText(2, 2, QStringLiteral("1001 库存现金"));
        grid->setText(2, 4, QStringLiteral("8.00"));
        DialogDriver driver([](QDialog& dialog) {
            auto* list = child<QListWidget>(dialog, "List1");
            emit list->itemDoubleClicked(list->item(1));
        });
        grid->setCurrent(2, 1);
        QTest::keyClick(grid, Qt::Key_F7);
        grid->setCurrent(2, 6);
        QTest::keyClick(grid, Qt::Key_F7);
        QCOMPARE(driver.opened, (QStringList{QStringLiteral("Form8"), QStringLiteral("Form13")}));
        const QStringList phrases = [] {
            QStringList all;
            for (const auto row : openRecordset(QStringLiteral("SELECT 名称 FROM 摘要 ORDER BY 1")))
                all << row[0].toString();
            return all;
        }();
        QCOMPARE(grid->text(2, 1), phrases.at(1));
        QCOMPARE(grid->text(2, 6), QStringLiteral("102"));
        QCOMPARE(grid->text(2, 2), QStringLiteral("1001 库存现金"));
        QCOMPARE(grid->text(2, 4), QStringLiteral("8.00"));
        QCOMPARE(grid->text(1, 1), QString());

        MessageRecorder recorder;
        SummaryPicker summary(grid);
        auto* phrase = child<QLineEdit>(summary, "Text2");
        summary.addClicked();
        phrase->setText(phrases.first());
        summary.addClicked();
        summary.deleteClicked();
        QCOMPARE(recorder.texts(), (QStringList{QStringLiteral("名称不能为空！"), QStringLiteral("名称重复,不能增加"),
                                                QStringLiteral("是否删除：") + phrases.first() + QStringLiteral("?")}));
        QCOMPARE(recorder.messages.last().title, QStringLiteral("qm505"));
        QCOMPARE(child<QListWidget>(summary, "List1")->count(), phrases.size() - 1);
        phrase->clear();
        summary.deleteClicked();
        QCOMPARE(recorder.texts().last(), QStringLiteral("请单击选择要删除的内容"));

        // Without a target row a pick writes nothing.
        CashFlowPicker cashFlow(grid);
        auto* items = child<QListWidget>(cashFlow, "List1");
        cashFlow.itemDoubleClicked(items->item(0));
        QCOMPARE(cashFlow.result(), int(QDialog::Rejected));
        QCOMPARE(grid->text(2, 6), QStringLiteral("102"));
    }
};

QTEST_MAIN(TestVoucherWindow)
#include "test_voucher_window.moc"

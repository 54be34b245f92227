#include "accounts/chart_window.h"
#include "accounts/level1_account_window.h"
#include "data/login.h"
#include "support/books.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"
#include "support/widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& code)
{
    const auto items = tree->findItems(code + QLatin1Char(' '), Qt::MatchStartsWith | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

}  // namespace

class TestChartWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState().fiscalYear = 2015; }

    void loadsTheChartAndFillsTheBoxesOnDoubleClick()
    {
        TempProgram program;
        ChartWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("科目处理(注:增明细请双击上级;修改什么就双击什么)"));
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        QCOMPARE(tree->topLevelItemCount(), 86);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("1001 库存现金"));
        QCOMPARE(tree->topLevelItem(0)->data(0, Qt::UserRole).toString(), QStringLiteral("x1001"));
        QVERIFY(!tree->topLevelItem(0)->isExpanded());
        QCOMPARE(child<QTableWidget>(window, "DataGrid1")->rowCount(), 86);

        emit tree->itemDoubleClicked(findNode(tree, QStringLiteral("1231")), 0);
        QCOMPARE(child<QLineEdit>(window, "Text1")->text(), QStringLiteral("1231"));
        QCOMPARE(child<QLineEdit>(window, "Text3")->text(), QStringLiteral("坏账准备"));
        QCOMPARE(child<QLineEdit>(window, "Text5")->text(), QStringLiteral("坏账准备"));
        QCOMPARE(child<QComboBox>(window, "Combo1")->currentText(), QStringLiteral("贷"));
    }

    void addingASubAccountAsksThenAdvancesTheCode()
    {
        TempProgram program;
        addEntry(2015, QStringLiteral("8000000001"), QStringLiteral("1002"), 500.0, QVariant());
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        emit tree->itemDoubleClicked(findNode(tree, QStringLiteral("1002")), 0);
        auto* digits = child<QLineEdit>(window, "Text2");
        auto* name = child<QLineEdit>(window, "Text4");
        QTest::keyClicks(digits, QStringLiteral("0a0-1"));
        QTest::keyClick(digits, Qt::Key_Backspace);
        QCOMPARE(digits->text(), QStringLiteral("001"));
        name->setText(QStringLiteral("工商银行"));

        MessageRecorder recorder;
        recorder.answers.enqueue(MessageAnswer::No);
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("1002---代码已有数据!如果增加明细将默认为此明细.是否增加？")});
        QVERIFY(scalar(QStringLiteral("SELECT 1 FROM 科目表 WHERE 科目代码='1002001'")).isNull());

        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("增加明细科目成功"));
        QCOMPARE(recorder.messages.last().title, QStringLiteral("QM505"));
        QCOMPARE(digits->text(), QStringLiteral("002"));
        QVERIFY(name->text().isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT 代码 FROM 分2015")).toString(), QStringLiteral("1002001"));
        QTreeWidgetItem* added = findNode(tree, QStringLiteral("1002001"));
        QVERIFY(added);
        QCOMPARE(added->parent()->text(0), QStringLiteral("1002 银行存款"));
        QCOMPARE(added->text(0), QStringLiteral("1002001 工商银行"));
    }

    void renameAndDeleteFromTheWindow()
    {
        TempProgram program;
        addAccount(QStringLiteral("1002001"), QStringLiteral("工行"), QStringLiteral("银行存款/工行"));
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码='1002'"));
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        MessageRecorder recorder;

        emit tree->itemDoubleClicked(findNode(tree, QStringLiteral("1002001")), 0);
        // A hand-edited full name does not reach the descendants: names come from the chart.
        child<QLineEdit>(window, "Text3")->setText(QStringLiteral("乱写"));
        child<QLineEdit>(window, "Text4")->setText(QStringLiteral("工商银行"));
        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("修改成功"));
        QCOMPARE(scalar(QStringLiteral("SELECT 科目全称 FROM 科目表 WHERE 科目代码='1002001'")).toString(),
                 QStringLiteral("银行存款/工商银行"));
        QVERIFY(child<QLineEdit>(window, "Text3")->text().isEmpty());

        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("删除成功"));
        QVERIFY(child<QLineEdit>(window, "Text1")->text().isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT 明细 FROM 科目表 WHERE 科目代码='1002'")).toString(), QStringLiteral("Y"));
        QVERIFY(!findNode(tree, QStringLiteral("1002001")));

        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("请先从左边选择科目!"));
    }

    void pendingUnitEditIsStoredBeforeAButtonActsAndOnClose()
    {
        TempProgram program;
        ChartWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("1001"));
        grid->setFocus();
        grid->setCurrentCell(0, 2);
        grid->editItem(grid->item(0, 2));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid);
        QTest::keyClicks(editor, QStringLiteral("kg"));
        MessageRecorder recorder;
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("请先从左边选择科目!")});
        QCOMPARE(scalar(QStringLiteral("SELECT 单位 FROM 科目表 WHERE 科目代码='1001'")).toString(), QStringLiteral("kg"));

        // The exchange flag is Y in either case, or nothing: anything else is refused and kept out.
        grid->setCurrentCell(2, 3);
        grid->editItem(grid->item(2, 3));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("N"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.texts().last(), QStringLiteral("调汇标志只能是Y或空白,原值不变"));
        QCOMPARE(grid->item(2, 3)->text(), QString());
        QCOMPARE(scalar(QStringLiteral("SELECT 调汇 FROM 科目表 WHERE 科目代码=?"), {grid->item(2, 0)->text()}).toString(),
                 QString());

        grid->setCurrentCell(1, 3);
        grid->editItem(grid->item(1, 3));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("y"));
        window.reject();
        QCOMPARE(scalar(QStringLiteral("SELECT 调汇 FROM 科目表 WHERE 科目代码='1002'")).toString(), QStringLiteral("Y"));
    }

    void level1ButtonClosesAndAsksForTheAccountWindow()
    {
        TempProgram program;
        ChartWindow window;
        child<QPushButton>(window, "Command4")->click();
        QVERIFY(window.level1AccountRequested());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void level1AccountWindow()
    {
        TempProgram program;
        MessageRecorder recorder;
        Level1AccountWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("增加总帐科目"));
        auto* code = child<QLineEdit>(window, "Text1");
        QTest::keyClicks(code, QStringLiteral("1x93"));
        QTest::keyClick(code, Qt::Key_Backspace);
        QCOMPARE(code->text(), QStringLiteral("193"));
        child<QLineEdit>(window, "Text2")->setText(QStringLiteral("待摊费用"));
        child<QComboBox>(window, "Combo1")->setCurrentIndex(0);
        window.show();
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("代码不对!")});
        QVERIFY(window.isVisible());

        QTest::keyClicks(code, QStringLiteral("1"));
        recorder.answers.enqueue(MessageAnswer::No);
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("是否增加(1931 待摊费用)?"));
        QVERIFY(!window.isVisible());
        QVERIFY(scalar(QStringLiteral("SELECT 1 FROM 科目表 WHERE 科目代码='1931'")).isNull());

        Level1AccountWindow again;
        child<QLineEdit>(again, "Text1")->setText(QStringLiteral("1902"));
        child<QLineEdit>(again, "Text2")->setText(QStringLiteral("待摊费用"));
        child<QComboBox>(again, "Combo1")->setCurrentIndex(0);
        child<QPushButton>(again, "Command1")->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("增加科目成功"));
        QCOMPARE(scalar(QStringLiteral("SELECT 科目全称 FROM 科目表 WHERE 科目代码='1902'")).toString(), QStringLiteral("待摊费用"));
        QCOMPARE(again.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"

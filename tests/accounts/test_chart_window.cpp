#include "support/common.h"
#include "support/books_test.h"
#include "accounts/chart_window.h"
#include "accounts/level1_account_window.h"
#include "support/widgets.h"

namespace {

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& code)
{
    const auto items = tree->findItems(code + QLatin1Char(' '), Qt::MatchStartsWith | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

// The boxes a double click fills: code, new digits, full name, name, name again, direction.
QString boxes(QObject& window)
{
    QStringList texts;
    for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
        texts << child<QLineEdit>(window, name)->text();
    return texts.join(u'|') + u'|' + child<QComboBox>(window, "Combo1")->currentText();
}

}  // namespace

class TestChartWindow : public BooksTest {
    Q_OBJECT

private slots:
    void init() { BooksTest::init(); loginState().fiscalYear = 2015; }

    void loadsTheChartFillsTheBoxesAndHandsOverLevel1()
    {
        ChartWindow window;
        QCOMPARE(window.windowTitle(), u"科目处理(注:增明细请双击上级;修改什么就双击什么)"_s);
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        QCOMPARE(tree->topLevelItemCount(), 86);
        QCOMPARE(tree->topLevelItem(0)->text(0), u"1001 库存现金"_s);
        QCOMPARE(tree->topLevelItem(0)->data(0, Qt::UserRole).toString(), u"x1001"_s);
        QVERIFY(!tree->topLevelItem(0)->isExpanded());
        QCOMPARE(child<QTableWidget>(window, "DataGrid1")->rowCount(), 86);

        emit tree->itemDoubleClicked(findNode(tree, u"1231"_s), 0);
        QCOMPARE(boxes(window), u"1231||坏账准备||坏账准备|贷"_s);

        // The level-1 button closes the window and asks for the account window.
        child<QPushButton>(window, "Command4")->click();
        QVERIFY(window.level1AccountRequested());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void addRenameAndDeleteFromTheWindow()
    {
        addLine(u"8000000001"_s, u"1002"_s, 500.25, QVariant(), QVariant(), QString(), QVariant(), 2015);
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        auto* digits = child<QLineEdit>(window, "Text2");
        auto* name = child<QLineEdit>(window, "Text4");
        MessageRecorder recorder;
        emit tree->itemDoubleClicked(findNode(tree, u"1002"_s), 0);
        QTest::keyClicks(digits, u"0a0-1"_s);
        QTest::keyClick(digits, Qt::Key_Backspace);
        QCOMPARE(digits->text(), u"001"_s);
        name->setText(u"工商银行"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts(), QStringList{u"1002---代码已有数据!如果增加明细将默认为此明细.是否增加？"_s});
        QVERIFY(scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1002001'"_s).isNull());
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(shown(recorder.messages.last()), u"QM505||增加明细科目成功"_s);
        QCOMPARE(digits->text() + u'|' + name->text(), u"002|"_s);
        QCOMPARE(findNode(tree, u"1002001"_s)->parent()->text(0), u"1002 银行存款"_s);

        // A level-3 account under the new one takes its entries in turn.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        digits->setText(u"001"_s);
        name->setText(u"活期"_s);
        QCOMPARE(press(window, "Command1", recorder), u"增加明细科目成功"_s);
        QCOMPARE(findNode(tree, u"1002001001"_s)->parent()->text(0), u"1002001 工商银行"_s);
        QCOMPARE(scalar(u"SELECT 代码 FROM 分2015"_s).toString(), u"1002001001"_s);

        // A hand-edited full name does not reach the descendants: names come from the chart.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        child<QLineEdit>(window, "Text3")->setText(u"乱写"_s);
        name->setText(u"建设银行"_s);
        QCOMPARE(press(window, "Command3", recorder), u"修改成功"_s);
        QCOMPARE(rowsAsText(u"SELECT 科目全称, 明细 FROM 科目表 WHERE 科目代码 LIKE '1002%' ORDER BY 1"_s),
                 (QStringList{u"银行存款 "_s, u"银行存款/建设银行 "_s, u"银行存款/建设银行/活期 Y"_s}));
        QVERIFY(child<QLineEdit>(window, "Text3")->text().isEmpty());

        execute(u"DELETE FROM 分2015"_s);
        emit tree->itemDoubleClicked(findNode(tree, u"1002001001"_s), 0);
        QCOMPARE(press(window, "Command2", recorder), u"删除成功"_s);
        QVERIFY(child<QLineEdit>(window, "Text1")->text().isEmpty());
        QCOMPARE(scalar(u"SELECT 明细 FROM 科目表 WHERE 科目代码='1002001'"_s).toString(), u"Y"_s);
        QVERIFY(!findNode(tree, u"1002001001"_s));
        QCOMPARE(press(window, "Command2", recorder), u"请先从左边选择科目!"_s);
    }

    void pendingUnitEditIsStoredBeforeAButtonActsAndOnClose()
    {
        ChartWindow window;
        QVERIFY(showActive(window));
        auto* grid = child<QTableWidget>(window, "DataGrid1");
        const auto type = [grid](int row, int column, const QString& text) {
            grid->setCurrentCell(row, column);
            grid->editItem(grid->item(row, column));
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        QCOMPARE(grid->item(0, 0)->text(), u"1001"_s);
        grid->setFocus();
        type(0, 2, u"kg"_s);
        MessageRecorder recorder;
        QCOMPARE(press(window, "Command2", recorder), u"请先从左边选择科目!"_s);
        QCOMPARE(scalar(u"SELECT 单位 FROM 科目表 WHERE 科目代码='1001'"_s).toString(), u"kg"_s);

        // The exchange flag is Y in either case, or nothing: anything else is refused and kept out.
        type(2, 3, u"N"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.texts().last(), u"调汇标志只能是Y或空白,原值不变"_s);
        QCOMPARE(grid->item(2, 3)->text(), QString());
        QCOMPARE(scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码=?"_s, {grid->item(2, 0)->text()}).toString(), QString());

        type(1, 3, u"y"_s);
        window.reject();
        QCOMPARE(scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码='1002'"_s).toString(), u"Y"_s);
    }

    void level1AccountWindow()
    {
        MessageRecorder recorder;
        Level1AccountWindow window;
        QCOMPARE(window.windowTitle(), u"增加总帐科目"_s);
        auto* code = child<QLineEdit>(window, "Text1");
        QTest::keyClicks(code, u"1x93"_s);
        QTest::keyClick(code, Qt::Key_Backspace);
        QCOMPARE(code->text(), u"193"_s);
        child<QLineEdit>(window, "Text2")->setText(u"待摊费用"_s);
        child<QComboBox>(window, "Combo1")->setCurrentIndex(0);
        window.show();
        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(recorder.texts(), QStringList{u"代码不对!"_s});
        QVERIFY(window.isVisible());

        QTest::keyClicks(code, u"1"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command1", recorder), u"是否增加(1931 待摊费用)?"_s);
        QVERIFY(!window.isVisible());
        QVERIFY(scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1931'"_s).isNull());

        Level1AccountWindow again;
        child<QLineEdit>(again, "Text1")->setText(u"1902"_s);
        child<QLineEdit>(again, "Text2")->setText(u"待摊费用"_s);
        child<QComboBox>(again, "Combo1")->setCurrentIndex(0);
        QCOMPARE(press(again, "Command1", recorder), u"增加科目成功"_s);
        QCOMPARE(scalar(u"SELECT 科目全称 FROM 科目表 WHERE 科目代码='1902'"_s).toString(), u"待摊费用"_s);
        QCOMPARE(again.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"

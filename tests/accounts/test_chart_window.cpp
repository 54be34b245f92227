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

class TestChartWindow : public WindowTest {
    Q_OBJECT

private slots:
    void init() { BooksTest::init(); loginState().fiscalYear = kYear; }

    void loadsTheChartFillsTheBoxesAndHandsOverLevel1()
    {
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        QCOMPARE(QStringList({window.windowTitle(), tree->topLevelItem(0)->text(0), tree->topLevelItem(0)->data(0, Qt::UserRole).toString()}),
                 (QStringList{u"科目处理(注:增明细请双击上级;修改什么就双击什么)"_s, u"1001 库存现金"_s, u"x1001"_s}));
        QVERIFY(tree->topLevelItemCount() == 86 && !tree->topLevelItem(0)->isExpanded() && child<QTableWidget>(window, "DataGrid1")->rowCount() == 86);

        emit tree->itemDoubleClicked(findNode(tree, u"1231"_s), 0);
        QCOMPARE(boxes(window), u"1231||坏账准备||坏账准备|贷"_s);

        // The level-1 button closes the window and asks for the account window.
        click(window, "Command4");
        QVERIFY(window.level1AccountRequested() && window.result() == QDialog::Accepted);
    }

    void addRenameAndDeleteFromTheWindow()
    {
        addLines(u"8000000001 1002 500.25 -"_s);
        ChartWindow window;
        auto* tree = child<QTreeWidget>(window, "TreeView1");
        auto* digits = child<QLineEdit>(window, "Text2");
        auto* name = child<QLineEdit>(window, "Text4");
        emit tree->itemDoubleClicked(findNode(tree, u"1002"_s), 0);
        QTest::keyClicks(digits, u"0a0-1"_s);
        QTest::keyClick(digits, Qt::Key_Backspace);
        QCOMPARE(digits->text(), u"001"_s);
        name->setText(u"工商银行"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command1", recorder), u"1002---代码已有数据!如果增加明细将默认为此明细.是否增加？"_s);
        QVERIFY(scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1002001'"_s).isNull());
        click(window, "Command1");
        QCOMPARE(shown(recorder.messages.last()) + u'|' + boxTexts(window, {"Text2", "Text4"}) + u'|' + findNode(tree, u"1002001"_s)->parent()->text(0),
                 u"QM505||增加明细科目成功|002||1002 银行存款"_s);

        // A level-3 account under the new one takes its entries in turn.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        fill(window, {{"Text2", u"001"_s}, {"Text4", u"活期"_s}});
        QCOMPARE(press(window, "Command1", recorder), u"增加明细科目成功"_s);
        QCOMPARE(findNode(tree, u"1002001001"_s)->parent()->text(0) + scalar(u"SELECT 代码 FROM 分2016"_s).toString(), u"1002001 工商银行1002001001"_s);

        // A hand-edited full name does not reach the descendants: names come from the chart.
        emit tree->itemDoubleClicked(findNode(tree, u"1002001"_s), 0);
        fill(window, {{"Text3", u"乱写"_s}, {"Text4", u"建设银行"_s}});
        QCOMPARE(QStringList{press(window, "Command3", recorder)} << boxTexts(window, {"Text3"}), (QStringList{u"修改成功"_s, QString()}));
        QCOMPARE(rowsAsText(u"SELECT 科目全称, 明细 FROM 科目表 WHERE 科目代码 LIKE '1002%' ORDER BY 1"_s),
                 (QStringList{u"银行存款 "_s, u"银行存款/建设银行 "_s, u"银行存款/建设银行/活期 Y"_s}));

        execute(u"DELETE FROM 分2016"_s);
        emit tree->itemDoubleClicked(findNode(tree, u"1002001001"_s), 0);
        QCOMPARE(press(window, "Command2", recorder), u"删除成功"_s);
        QVERIFY(boxTexts(window, {"Text1"}).isEmpty() && !findNode(tree, u"1002001001"_s));
        QCOMPARE(scalar(u"SELECT 明细 FROM 科目表 WHERE 科目代码='1002001'"_s).toString(), u"Y"_s);
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
        QCOMPARE(press(window, "Command2", recorder), u"请先从左边选择科目!"_s);
        QCOMPARE(scalar(u"SELECT 单位 FROM 科目表 WHERE 科目代码='1001'"_s).toString(), u"kg"_s);

        // The exchange flag is Y in either case, or nothing: anything else is refused and kept out.
        type(2, 3, u"N"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(recorder.texts().last(), u"调汇标志只能是Y或空白,原值不变"_s);
        QVERIFY(grid->item(2, 3)->text().isEmpty() && scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码=?"_s, {grid->item(2, 0)->text()}).toString().isEmpty());

        type(1, 3, u"y"_s);
        window.reject();
        QCOMPARE(scalar(u"SELECT 调汇 FROM 科目表 WHERE 科目代码='1002'"_s).toString(), u"Y"_s);
    }

    void level1AccountWindow()
    {
        Level1AccountWindow window;
        auto* code = child<QLineEdit>(window, "Text1");
        QTest::keyClicks(code, u"1x93"_s);
        QTest::keyClick(code, Qt::Key_Backspace);
        QCOMPARE(window.windowTitle() + u'|' + code->text(), u"增加总帐科目|193"_s);
        fill(window, {{"Text2", u"待摊费用"_s}});
        child<QComboBox>(window, "Combo1")->setCurrentIndex(0);
        window.show();
        QCOMPARE(press(window, "Command1", recorder), u"代码不对!"_s);
        QVERIFY(window.isVisible());

        QTest::keyClicks(code, u"1"_s);
        recorder.answers.enqueue(MessageAnswer::No);
        QCOMPARE(press(window, "Command1", recorder), u"是否增加(1931 待摊费用)?"_s);
        QVERIFY(!window.isVisible() && scalar(u"SELECT 1 FROM 科目表 WHERE 科目代码='1931'"_s).isNull());

        Level1AccountWindow again;
        fill(again, {{"Text1", u"1902"_s}, {"Text2", u"待摊费用"_s}});
        child<QComboBox>(again, "Combo1")->setCurrentIndex(0);
        QCOMPARE(press(again, "Command1", recorder), u"增加科目成功"_s);
        QVERIFY(scalar(u"SELECT 科目全称 FROM 科目表 WHERE 科目代码='1902'"_s).toString() == u"待摊费用"_s && again.result() == QDialog::Accepted);
    }
};

QTEST_MAIN(TestChartWindow)
#include "test_chart_window.moc"

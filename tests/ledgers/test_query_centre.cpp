#include "support/common.h"
#include "data/printer.h"
#include "data/spreadsheet_export.h"
#include "data/window_helpers.h"
#include "ledgers/query_centre_window.h"
#include "support/widgets.h"

namespace {

void books()
{
    addLines(u"8000000001 1001 1234.5 -|8000000002 4001 - 1234.5|8030001001 6602 100 -|8030001002 1001 - 100"_s);
}

}  // namespace

class TestQueryCentre : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{kYear, u"管理员"_s, QString(), QString()}; }

    void viewsAndTheirLines()
    {
        TempProgram program;
        books();
        QueryCentreWindow window;
        QCOMPARE(window.windowTitle(), u"QM505财务---综合查询"_s);
        auto* grid = child<QTableView>(window, "MSH1");
        auto* result = child<QLabel>(window, "Label3");
        MessageRecorder recorder;

        child<QPushButton>(window, "Command1")->click();
        QCOMPARE(window.view(), LedgerView::Journal);
        QCOMPARE(grid->model()->rowCount(), 4);
        QCOMPARE(result->text(), u"全部 月份分录明细      共4条记录"_s);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"序号"_s);
        QCOMPARE(cellText(grid, 0, 9) + u'|' + cellText(grid, 2, 2) + u'|' + cellText(grid, 3, 0), u"1,234.50|2016-03-10|4"_s);
        QCOMPARE(QList<int>({cellAlignment(grid, 0, 9), cellAlignment(grid, 0, 0), cellAlignment(grid, 0, 5)}),
                 QList<int>({Qt::AlignRight | Qt::AlignVCenter, Qt::AlignCenter, 0}));
        QCOMPARE(grid->model()->index(0, 5).data(Qt::BackgroundRole).value<QColor>(), stripeColour(1));
        QCOMPARE(grid->model()->index(1, 5).data(Qt::BackgroundRole).value<QColor>(), stripeColour(2));
        QCOMPARE(grid->columnWidth(9), twipsToPixels(1300));

        // An empty code leaves the grid as it was.
        child<QPushButton>(window, "Command14")->click();
        QCOMPARE(grid->model()->rowCount(), 4);

        QCOMPARE(press(window, "Command2", recorder), u"请选择月份"_s);
        QCOMPARE(window.view(), LedgerView::AccountSummary);
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        child<QPushButton>(window, "Command2")->click();
        QCOMPARE(result->text(), u"3 月份科目汇总表      共3条记录"_s);

        child<QPushButton>(window, "Command3")->click();
        QCOMPARE(window.view(), LedgerView::AmountBalance);
        QVERIFY(grid->isColumnHidden(4) && !grid->isColumnHidden(5));
        QCOMPARE(result->text(), u"3 月份金额式余额表      共4条记录"_s);
        child<QPushButton>(window, "Command5")->click();
        QVERIFY(!grid->isColumnHidden(4));
        QCOMPARE(result->text(), u"3 月份数量式余额      共4条记录"_s);

        QCOMPARE(press(window, "Command7", recorder), u"请选择帐簿格式"_s);
        child<QLineEdit>(window, "Text2")->setText(u"1001"_s);
        QCOMPARE(child<QLineEdit>(window, "Text3")->text() + child<QLineEdit>(window, "Text4")->text(), u"库存现金借"_s);
        child<QRadioButton>(window, "Option1")->setChecked(true);
        child<QPushButton>(window, "Command7")->click();
        QCOMPARE(window.view(), LedgerView::DetailLedger);
        QCOMPARE(result->text(), u"三栏式  明细帐   共5条记录"_s);
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(cellText(grid, 1, 9), u"1,134.50"_s);

        // A code that is not in the chart empties the full name only.
        child<QLineEdit>(window, "Text2")->setText(u"1001999"_s);
        QCOMPARE(child<QLineEdit>(window, "Text3")->text() + child<QLineEdit>(window, "Text4")->text(), u"借"_s);
    }

    void steppingPickingAndOutput()
    {
        TempProgram program;
        books();
        QueryCentreWindow window;
        MessageRecorder recorder;
        QCOMPARE(press(window, "Command9", recorder), u"没有了"_s);
        child<QRadioButton>(window, "Option2")->setChecked(true);
        child<QPushButton>(window, "Command8")->click();
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), u"1001"_s);
        QCOMPARE(window.view(), LedgerView::GeneralLedger);
        child<QPushButton>(window, "Command8")->click();
        QCOMPARE(child<QLineEdit>(window, "Text2")->text(), u"1002"_s);

        DialogDriver driver([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), u"双击选择科目  "_s);
            auto* tree = child<QTreeWidget>(dialog, "TreeView1");
            emit tree->itemDoubleClicked(tree->topLevelItem(2), 0);
        });
        child<QPushButton>(window, "Command12")->click();
        QCOMPARE(driver.opened, QStringList{u"Form4"_s});
        QCOMPARE(child<QLineEdit>(window, "Text2")->text() + child<QLineEdit>(window, "Text6")->text(), u"1012其他货币资金"_s);

        auto previousCheck = setPrinterCheck([] { return false; });
        QCOMPARE(press(window, "Command13", recorder), u"你电脑上没有安装打印机!! "_s);
        setPrinterCheck([] { return true; });
        child<QRadioButton>(window, "Option4")->setChecked(true);
        child<QLineEdit>(window, "Text2")->setText(u"6602"_s);
        QCOMPARE(press(window, "Command7", recorder), u"没有明细或者明细超过250个,不能生成多栏式"_s);
        QCOMPARE(window.view(), LedgerView::MultiColumnLedger);
        QCOMPARE(press(window, "Command13", recorder), u"多栏帐还没有完成,不能直接打印"_s);
        QCOMPARE(window.view(), LedgerView::None);
        QCOMPARE(press(window, "Command13", recorder), u"请先[查询]"_s);
        QCOMPARE(press(window, "Command11", recorder), u"请先查询数据"_s);
        setPrinterCheck(previousCheck);

        QStringList opened;
        auto previousOpener = setSpreadsheetOpener([&opened](const QString& path) {
            opened << path;
            return true;
        });
        setExportFolder(program.path());
        child<QComboBox>(window, "Combo1")->setCurrentText(u"3"_s);
        child<QPushButton>(window, "Command3")->click();
        recorder.answers.enqueue(MessageAnswer::Yes);
        QCOMPARE(press(window, "Command4", recorder), u"是否导出到EXCEL工作表？"_s);
        QVERIFY(opened.size() == 1 && window.view() == LedgerView::AmountBalance);
        setSpreadsheetOpener(previousOpener);
    }
};

QTEST_MAIN(TestQueryCentre)
#include "test_query_centre.moc"

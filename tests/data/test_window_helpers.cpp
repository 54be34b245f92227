#include "support/common.h"
#include "data/num_key_filter.h"
#include "data/printer.h"
#include "data/window_helpers.h"
#include "support/widgets.h"

namespace {

void fill(QTableWidget& table, int rows)
{
    table.setRowCount(rows);
    table.setColumnCount(3);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < 3; ++column)
            table.setItem(row, column, new QTableWidgetItem(QString::number(row)));
}

void wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(10, 10);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class TestWindowHelpers : public QObject {
    Q_OBJECT

private slots:
    void numKeyFilterCases()
    {
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
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Left);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), u"-12."_s);
    }

    void stripesShadeDataRowsAlternately()
    {
        QTableWidget table;
        fill(table, 3);
        gridStripes(&table);
        QCOMPARE(table.item(0, 0)->background().color(), QColor(240, 255, 255));
        QCOMPARE(table.item(1, 2)->background().color(), QColor(236, 235, 234));
        QCOMPARE(table.item(2, 1)->background().color(), QColor(240, 255, 255));
        // The header is painted flat in the fixed cells' colour, as the rendered pixels show.
        table.resize(300, 150);
        table.show();
        const QImage header = table.horizontalHeader()->grab().toImage();
        QCOMPARE(QColor(header.pixel(4, 2)), QColor(210, 210, 253));
        QCOMPARE(QColor(header.pixel(4, header.height() - 4)), QColor(210, 210, 253));
        QCOMPARE(table.currentRow(), 0);

        QTableWidget headerOnly;
        headerOnly.setColumnCount(3);
        gridStripes(&headerOnly);
        QVERIFY(headerOnly.horizontalHeader()->styleSheet().isEmpty());
    }

    void wheelNotchPagesTheFocusedGridOnce()
    {
        QTableWidget table;
        fill(table, 200);
        table.resize(300, 200);
        QVERIFY(showActive(table));
        table.setFocus();
        table.setCurrentCell(0, 0);
        installWheelPaging(&table);
        installWheelPaging(&table);

        QTest::keyClick(&table, Qt::Key_PageDown);
        const int onePage = table.currentRow();
        QVERIFY(onePage > 1);
        table.setCurrentCell(0, 0);
        wheel(table.viewport(), -120);
        QCOMPARE(table.currentRow(), onePage);
        wheel(table.viewport(), 120);
        QCOMPARE(table.currentRow(), 0);

        // Ctrl held, or two notches in one message: no page key.
        wheel(table.viewport(), -120, Qt::ControlModifier);
        wheel(table.viewport(), -240);
        QCOMPARE(table.currentRow(), 0);

        // Without the focus the grid is left to itself.
        QLineEdit other;
        QVERIFY(showActive(other));
        wheel(table.viewport(), -120);
        QCOMPARE(table.currentRow(), 0);
    }

    void progressSpinAndPrinterOrientation()
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
    }
};

QTEST_MAIN(TestWindowHelpers)
#include "test_window_helpers.moc"

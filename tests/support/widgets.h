#pragma once

// Finding a window's controls by name, and driving modal windows instead of waiting on them.

#include "data/dialog_runner.h"
#include "data/window_helpers.h"
#include "support/common.h"
#include "support/message_recorder.h"

#include <QtTest>
#include <QtWidgets>

namespace qm::test {

template <typename T>
T* child(QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Shades a grid whose model takes colours (a QTableWidget) as the program's grids shade their
// rows, and its headers as fixed cells; a grid without data rows is left alone. The program's
// own grids stripe through their model (result_grid.h).
inline void gridStripes(QAbstractItemView* grid)
{
    QAbstractItemModel* model = grid->model();
    if (!model || model->rowCount() < 1)
        return;
    grid->setUpdatesEnabled(false);
    if (auto* table = qobject_cast<QTableView*>(grid))
        paintFixedHeaders(table);
    for (int row = 0; row < model->rowCount(); ++row) {
        const QColor colour = stripeColour(row + 1);
        for (int column = 0; column < model->columnCount(); ++column)
            model->setData(model->index(row, column), colour, Qt::BackgroundRole);
    }
    grid->setCurrentIndex(model->index(0, 0));
    grid->setUpdatesEnabled(true);
}

// Shows a window and waits until it is the active one.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

inline void click(QObject& window, const char* button)
{
    child<QPushButton>(window, button)->click();
}

// Sets the texts of several boxes of a window.
inline void fill(QObject& window, std::initializer_list<std::pair<const char*, QString>> boxes)
{
    for (const auto& [name, text] : boxes)
        child<QLineEdit>(window, name)->setText(text);
}

// The texts of several boxes of a window, joined by "|".
inline QString boxTexts(QObject& window, std::initializer_list<const char*> boxes)
{
    QStringList texts;
    for (const char* name : boxes)
        texts << child<QLineEdit>(window, name)->text();
    return texts.join(QLatin1Char('|'));
}

// Clicks a button of a window: the text of the last message box shown since, empty when none came.
inline QString press(QObject& window, const char* button, const MessageRecorder& recorder)
{
    const qsizetype before = recorder.messages.size();
    child<QPushButton>(window, button)->click();
    return recorder.messages.size() > before ? recorder.messages.last().text : QString();
}

// What a grid shows in a cell, and how it aligns it (0 when it says nothing).
inline QString cellText(const QAbstractItemView* grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}
inline int cellAlignment(const QAbstractItemView* grid, int row, int column)
{
    return grid->model()->index(row, column).data(Qt::TextAlignmentRole).toInt();
}

// Replaces every modal window with a function that drives it, and remembers which windows came.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QDialog&)> drive)
    {
        m_previous = setDialogRunner([this, drive](QDialog& dialog) {
            opened << dialog.objectName();
            drive(dialog);
            return dialog.result();
        });
    }
    ~DialogDriver() { setDialogRunner(m_previous); }
    QStringList opened;

private:
    DialogRunner m_previous;
};

// A window test: books of its own for each test function, and every message box answered by
// `recorder`, emptied before each test.
class WindowTest : public BooksTest {
protected:
    void prepare() override
    {
        recorder.messages.clear();
        recorder.answers.clear();
    }
    MessageRecorder recorder;
};

}  // namespace qm::test

#pragma once

// Finding a window's controls by name, and driving modal windows instead of waiting on them.

#include "data/dialog_runner.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QStringList>
#include <QtTest>

namespace qm::test {

template <typename T>
T* child(QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
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

}  // namespace qm::test

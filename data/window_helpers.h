#pragma once

// Small routines the windows of every part of the program share.

#include "number_format.h"

#include <QColor>
#include <functional>

class QAbstractItemView;
class QAbstractScrollArea;
class QEvent;
class QFocusEvent;
class QLineEdit;
class QProgressBar;
class QTableView;
class QWidget;

namespace qm {

// The busy animation on the main window's progress bar. It repaints as it counts but lets no
// user input through, so a second click cannot start work on a table still being built.
void setProgressBar(QProgressBar* bar);
void progressSpin();

// Stripe colours of a grid's rows, counted as the grid shows them with the header as row 0.
QColor stripeColour(int gridRow);
QColor fixedCellColour();
// The grid's headers in the flat colour of fixed cells, without the style's shading; for a grid
// whose model stripes its own rows, this alone.
void paintFixedHeaders(QTableView* grid);

// While the grid has the focus, one wheel notch towards the user with nothing held pages down,
// one notch away pages up. Installing it twice on one grid installs it once.
void installWheelPaging(QAbstractScrollArea* grid);

// Makes a box take only what numKeyFilter lets through, and pastes only as filterNumberInput does.
void installNumKeyFilter(QLineEdit* box);
// A free-text box where codes are typed: full-width digits an input method types or commits
// become the digits they show, as they arrive.
void foldDigitsAsTyped(QLineEdit* box);
// Makes a code box take digits only; every other typed key, Backspace included, is dropped.
// Pastes of anything but digits are refused.
void installDigitsOnlyFilter(QLineEdit* box);

// What a number box of this shape takes besides plain keys. A paste (Ctrl+V, Shift+Insert, the
// context menu, the middle button) goes in as pastedNumber gives it or is refused with its
// message; a text dragged over the box is not taken. A full-width digit, point or sign typed or
// committed by an input method is the key it stands for, and goes through the box's key filter
// as that key; a commit of several characters is a paste. Returns whether the event was one of
// these, dealt with here (the box has been sent what it stands for).
bool filterNumberInput(QLineEdit* box, QEvent* event, NumberShape shape);
// Whether a cell's editor that loses the focus this way stays open: a message or a menu over it.
bool keepsEditOpen(const QFocusEvent* focusOut);
// The cell editors the grid opens take input that way where `shapeOfCell` gives the cell a shape.
using CellShape = std::function<std::optional<NumberShape>(int column)>;
void guardNumberPastes(QAbstractItemView* grid, CellShape shapeOfCell);

// A width given in twips, widened by a third so that today's fonts fit where the old ones did.
int twipsToPixels(int twips);

// Rows as high as a line of text, as in a ledger, rather than the taller default.
void setCompactRows(QTableView* grid);

// Closes a modeless work window: its frame in the main window's work area, or the window itself.
void closeWorkWindow(QWidget* window);

// Esc that reaches a work window does nothing, so a key meant for a cell or a box never throws
// away what the window holds. Cell editors and pickers still take their own Esc, and the window's
// close button still closes it.
void keepOpenOnEscape(QWidget* window);

// Stores the cell the operator is still editing, as if the cursor had left it.
void commitPendingEdit(QAbstractItemView* grid);

}  // namespace qm

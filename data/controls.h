#pragma once

// Controls made the way every window of the program makes them: named as the windows name them,
// and buttons that Enter never presses by accident.

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidgetItem;
class QWidget;

namespace qm {

QPushButton* makeButton(const QString& objectName, const QString& text, QWidget* parent);
QLineEdit* makeLineEdit(const QString& objectName, QWidget* parent);
QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent);
// A box that shows what is typed as "*".
void makePasswordBox(QLineEdit* box);
// A grid cell the operator cannot edit.
QTableWidgetItem* lockedCell(const QString& text);

// Cells that write to the database as they are edited remember the text they last stored, so
// that a refused edit can put it back. Showing a stored text raises no change signal.
QTableWidgetItem* storedCell(const QString& text);
void showStoredText(QTableWidgetItem* cell, const QString& text);
void restoreStoredText(QTableWidgetItem* cell);

}  // namespace qm

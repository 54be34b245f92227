#include "controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace qm {

QPushButton* makeButton(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeLineEdit(const QString& objectName, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    return box;
}

QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

void makePasswordBox(QLineEdit* box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

QTableWidgetItem* lockedCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

namespace {

constexpr int kStoredTextRole = Qt::UserRole + 100;

}  // namespace

QTableWidgetItem* storedCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setData(kStoredTextRole, text);
    return item;
}

void showStoredText(QTableWidgetItem* cell, const QString& text)
{
    const QSignalBlocker quiet(cell->tableWidget());
    cell->setText(text);
    cell->setData(kStoredTextRole, text);
}

void restoreStoredText(QTableWidgetItem* cell)
{
    showStoredText(cell, cell->data(kStoredTextRole).toString());
}

}  // namespace qm

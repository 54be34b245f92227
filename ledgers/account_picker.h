#pragma once

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

// The whole chart as a tree; a double-click on any account, leaf or not, picks it and closes.
class QueryAccountPicker : public QDialog {
    Q_OBJECT

public:
    explicit QueryAccountPicker(QWidget* parent = nullptr);
    QString pickedCode() const { return m_picked; }
    void pick(QTreeWidgetItem* item);

private:
    QTreeWidget* m_tree;
    QString m_picked;
};

}  // namespace qm

#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class VoucherGrid;

// Chooses the accounts of voucher lines from a class tree or a search of the full names. Each
// pick fills column 2 of the target row and moves the target down; the window stays open.
class AccountPicker : public QDialog {
    Q_OBJECT

public:
    AccountPicker(VoucherGrid* target, QWidget* parent = nullptr);
    void setTargetRow(int row);
    int targetRow() const;

    void search();
    void pickResult();
    void pickTreeNode(QTreeWidgetItem* item);
    void toolbarKey(const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void writeAccount(const QString& code, const QString& fullName);
    void growTargetWhenLast(int row);

    VoucherGrid* m_target;
    QLineEdit* m_search;
    QTableWidget* m_results;
    QTreeWidget* m_tree;
    // The grid row the next pick goes to; the hidden box only mirrors it.
    std::optional<int> m_targetRow;
    QLineEdit* m_targetRowBox;
};

}  // namespace qm

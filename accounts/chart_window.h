#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

// Chart-of-accounts maintenance: the tree of all accounts, the boxes of the account chosen by
// a double-click, and the leaf accounts' units and exchange flags edited in place.
class ChartWindow : public QDialog {
    Q_OBJECT

public:
    explicit ChartWindow(QWidget* parent = nullptr);
    // Set when the operator asked for a new level-1 account ("增总科").
    bool level1AccountRequested() const { return m_level1Requested; }

    void addSubAccountClicked();
    void renameClicked();
    void deleteClicked();

protected:
    void done(int result) override;

private:
    void load();
    void loadLeafGrid();
    void treeDoubleClicked(QTreeWidgetItem* item);
    void leafEdited(int row);
    void storePendingEdit();
    int fiscalYear() const;

    QTreeWidget* m_tree;
    QLineEdit* m_code;
    QLineEdit* m_fullName;
    QLineEdit* m_name;
    QComboBox* m_direction;
    QLineEdit* m_newDigits;
    QLineEdit* m_newName;
    QTableWidget* m_leaves;
    bool m_level1Requested = false;
    bool m_loadingLeaves = false;
};

// Opens chart maintenance modally over `parent`, then the level-1 account window when asked for.
void runChartMaintenance(QWidget* parent);

}  // namespace qm

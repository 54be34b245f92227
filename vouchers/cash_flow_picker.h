#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace qm {

class VoucherGrid;

// The cash-flow items: a double-click writes the item's code into column 6 of the target row.
class CashFlowPicker : public QDialog {
    Q_OBJECT

public:
    CashFlowPicker(VoucherGrid* target, QWidget* parent = nullptr);
    void setTargetRow(int row);
    void itemDoubleClicked(QListWidgetItem* item);

private:
    VoucherGrid* m_target;
    QListWidget* m_list;
    // The grid row a pick goes to; the hidden box only mirrors it.
    std::optional<int> m_targetRow;
    QLineEdit* m_targetRowBox;
    QLineEdit* m_code;
};

}  // namespace qm

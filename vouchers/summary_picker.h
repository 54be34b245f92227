#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace qm {

class VoucherGrid;

// The summary phrases: a double-click writes one into column 1 of the target row of the
// voucher grid; phrases are added and deleted here too.
class SummaryPicker : public QDialog {
    Q_OBJECT

public:
    SummaryPicker(VoucherGrid* target, QWidget* parent = nullptr);
    void setTargetRow(int row);

    void addClicked();
    void deleteClicked();
    void phraseDoubleClicked(QListWidgetItem* item);

private:
    void loadList();

    VoucherGrid* m_target;
    QListWidget* m_list;
    QLineEdit* m_phrase;
    // The grid row a pick goes to; the hidden box only mirrors it.
    std::optional<int> m_targetRow;
    QLineEdit* m_targetRowBox;
};

}  // namespace qm

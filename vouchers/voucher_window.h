#pragma once

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;

namespace qm {

enum class VoucherChange;
class VoucherGrid;
struct PageStep;

// Voucher entry: one voucher at a time, its header, its lines in the grid, the totals and the
// month's cash balance; pages through the vouchers of the month shown in the date picker.
class VoucherWindow : public QDialog {
    Q_OBJECT

public:
    explicit VoucherWindow(QWidget* parent = nullptr);

    VoucherGrid* grid() const { return m_grid; }

    void firstClicked();
    void previousClicked();
    void nextClicked();
    void lastClicked();
    void refreshClicked();
    void dateLeft();
    void nextNumberClicked();
    void hintsClicked();
    void openPicker(int column, int row);
    void changeVoucher(VoucherChange change);
    void closeMonthClicked();
    void reopenMonthClicked();
    void exchangeAdjustmentClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void layOutGrid();
    void showTotals();
    void showMonthCash();
    void loadVoucher();
    void applyPageStep(const PageStep& step);
    int fiscalYear() const;
    int month() const;

    QDateEdit* m_date;
    QComboBox* m_word;
    QLineEdit* m_number;
    QLineEdit* m_attachments;
    QLineEdit* m_preparer;
    QComboBox* m_reviewer;
    VoucherGrid* m_grid;
    QLineEdit* m_debitTotal;
    QLineEdit* m_creditTotal;
    QLabel* m_monthCash;
    QLineEdit* m_hints;
    QLabel* m_numberLabel;
};

}  // namespace qm

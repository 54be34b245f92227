#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace qm {

struct ReportLayout;
struct VoucherPrint;

// Voucher printing: preview one voucher, the next one, or print a range of numbers; the left and
// top margins and the paper orientation are kept in the user's settings.
class VoucherPrintWindow : public QDialog {
    Q_OBJECT

public:
    explicit VoucherPrintWindow(QWidget* parent = nullptr);

    void monthChosen();
    void previewClicked();
    void nextClicked();
    // Prints the voucher of the number box, as one step of a range, without asking.
    void printClicked();
    void rangeClicked();
    void saveSettingsClicked();

protected:
    bool event(QEvent* event) override;

private:
    // Lays the voucher of the number box out; false when there is nothing to print.
    bool output(bool preview);

    QComboBox* m_month;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QGroupBox* m_settings;
    QLineEdit* m_leftMargin;
    QLineEdit* m_topMargin;
    QCheckBox* m_landscape;
};

// The report of a voucher laid out for printing.
ReportLayout voucherReportLayout(const VoucherPrint& print, const QString& unitName);

}  // namespace qm

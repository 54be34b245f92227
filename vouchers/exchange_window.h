#pragma once

#include "exchange_adjustment.h"

#include <QDialog>

class QComboBox;
class QTableWidget;

namespace qm {

// The period-end exchange adjustment: rates typed into the table, differences computed, the
// voucher posted against the chosen profit-and-loss account.
class ExchangeWindow : public QDialog {
    Q_OBJECT

public:
    ExchangeWindow(const ExchangeVoucherHeader& header, QWidget* parent = nullptr);

    void computeClicked();
    void exportClicked();
    void postClicked();

private:
    void showTable();
    void cellEdited(int row, int column);

    ExchangeVoucherHeader m_header;
    QComboBox* m_account;
    QTableWidget* m_table;
    bool m_filling = false;
};

}  // namespace qm

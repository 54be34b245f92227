#pragma once

#include "ledger_output.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;

namespace qm {

struct LedgerAccount;

// The query centre: builds the journal, the account summary, the balance tables and the ledgers
// into their work tables, shows the view in one grid, and hands it to the reports, the
// spreadsheet ledger pages or the plain export.
class QueryCentreWindow : public QWidget {
    Q_OBJECT

public:
    explicit QueryCentreWindow(QWidget* parent = nullptr);

    LedgerView view() const;
    void setAccountCode(const QString& code);

    void journalClicked();
    void filteredJournalClicked();
    void accountSummaryClicked();
    void amountBalanceClicked();
    void quantityBalanceClicked();
    void queryClicked();
    void nextAccountClicked();
    void previousAccountClicked();
    void chooseAccountClicked();
    void printClicked();
    void previewClicked();
    void ledgerPagesClicked();
    void exportClicked();

private:
    // The ledger formats in the order of their option buttons.
    enum class LedgerFormat { None = -1, ThreeColumn, General, Quantity, MultiColumn, FixedAsset };

    LedgerFormat format() const;
    void setView(LedgerView view);
    void showAccountDetails();
    void showAccount(const LedgerAccount& account);
    void stepAccount(bool forward);
    void showCount(const QString& prefix, const QString& suffix = QStringLiteral("条记录"));
    bool balanceView(bool amountsOnly);
    bool outputChecks(const QString& emptyMessage, bool toPrinter);
    LedgerOutput output() const;
    int fiscalYear() const;

    // What the grid shows and the output commands act on; the mode box only mirrors it.
    LedgerView m_view = LedgerView::None;
    QLineEdit* m_mode;
    QLineEdit* m_code;
    QLineEdit* m_fullName;
    QLineEdit* m_direction;
    QLineEdit* m_unit;
    QLineEdit* m_levelOneName;
    QLineEdit* m_leftMargin;
    QComboBox* m_period;
    QComboBox* m_level;
    QButtonGroup* m_formats;
    QCheckBox* m_codeOrder;
    QLabel* m_result;
    QTableView* m_grid;
};

}  // namespace qm

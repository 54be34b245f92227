#pragma once

#include <QDialog>

class QLineEdit;
class QTableWidget;

namespace qm {

struct TrialBalance;

// Opening balances: typed into the leaf accounts and loaded as the year's opening rows, or
// fetched back, edited and rewritten; each load is tested by a trial balance first.
class OpeningBalancesWindow : public QDialog {
    Q_OBJECT

public:
    explicit OpeningBalancesWindow(QWidget* parent = nullptr);

    void showAccountsClicked();
    void loadClicked();
    void fetchClicked();
    void rewriteClicked();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTrialBalance(const TrialBalance& balance);
    void clearTotals();
    // 0, 1 and 2 for the quantity, debit and credit columns of the grid shown; -1 for any other.
    int valueIndex(int column) const;
    void cellEdited(int row, int column);
    void changeOpeningRows(bool rewrite);
    void moveToNextRow();

    enum class Shown { Nothing, Accounts, WorkCopy };
    void setShown(Shown shown);
    void setAwaitingLoad(Shown waiting);

    QTableWidget* m_grid;
    QLineEdit* m_debitTotal;
    QLineEdit* m_creditTotal;
    QLineEdit* m_balanceWord;
    QLineEdit* m_mode;
    // What the grid shows, set when it is filled: its edits go to that table and no other.
    Shown m_shown = Shown::Nothing;
    // The rows that wait for their load (装入) or rewrite (修改): those shown, until one succeeds.
    // The hidden mode box mirrors it.
    Shown m_awaitingLoad = Shown::Nothing;
    bool m_filling = false;
};

}  // namespace qm

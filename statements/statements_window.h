#pragma once

#include "statements.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTableView;
class QTableWidget;

namespace qm {

// The financial statements: choose a statement and a month, compute it, edit the definitions
// and formulas, preview and print it, export it.
class StatementsWindow : public QWidget {
    Q_OBJECT

public:
    explicit StatementsWindow(QWidget* parent = nullptr);
    Statement statement() const;

    void computeClicked();
    void formulasClicked();
    void helpClicked();
    void previewClicked();
    void exportClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Evaluates the chosen statement for the chosen month and shows it; returns its rows.
    RecordSet computeChosenStatement();
    void definitionEdited(int row, int column);

    QRadioButton* m_options[5];
    QComboBox* m_month;
    QLineEdit* m_unitName;
    QTableView* m_result;
    QTableWidget* m_definitions;
    QListWidget* m_codes;
    // The statement whose definitions the grid shows: its edits go there, whatever is ticked since.
    Statement m_definitionStatement = Statement::BalanceSheet05;
    bool m_filling = false;
};

}  // namespace qm

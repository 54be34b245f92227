#pragma once

// The voucher grid with the flex grid's arithmetic: row 0 is the header and rows 1..rows()-1 the
// lines; column 0 holds the row numbers, columns 1 to 7 summary, account, quantity, debit,
// credit, cash-flow code and cash-flow amount. Lines are typed through a text box floated over
// the current cell.

#include "voucher_book.h"
#include "data/message.h"
#include "data/money.h"

#include <QTableWidget>

class QLineEdit;
class QValidator;

namespace qm {

class VoucherGrid : public QTableWidget {
    Q_OBJECT

public:
    enum Column { NumberColumn, SummaryColumn, AccountColumn, QuantityColumn, DebitColumn, CreditColumn,
                  CashFlowCodeColumn, CashFlowAmountColumn, ColumnCount };
    static constexpr int kMinimumRows = 11;

    explicit VoucherGrid(QWidget* parent = nullptr);

    int rows() const { return rowCount() + 1; }
    void setRows(int rows);
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    // The current cell, in grid numbering.
    int row() const { return currentRow() + 1; }
    int col() const { return currentColumn(); }
    void setCurrent(int row, int column);
    bool hasAccount(int row) const { return !text(row, AccountColumn).isEmpty(); }

    // One more row at the end, every row renumbered.
    void addRow();
    // Headers, at least 11 rows, row numbers, and the number formats of columns 3, 4, 5 and 7.
    void layOut();
    // Every cell emptied; rows and columns stay.
    void clearCells();
    // The sum of a column's amounts; empty cells and texts that are not numbers are left out.
    Money columnTotal(int column) const;

    // The text of every row below the header, blank rows included.
    QVector<VoucherLineText> rowTexts() const;

    QLineEdit* cellEditor() const { return m_editor; }

signals:
    // The cell editor wrote into a cell: the totals follow.
    void cellsEdited();
    // A double-click or F7 asks for the picker of a column, for a row.
    void pickerRequested(int column, int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab walk the cells and never take the keyboard out of the grid.
    bool focusNextPrevChild(bool next) override;

private:
    // A key typed over a cell replaces its text, as in a spreadsheet; Enter, F2, Backspace and a
    // double-click keep it.
    enum class EditorStart { ReplaceText, KeepText };
    void openEditor(const QString& typedText, EditorStart start);
    // A paste or an input method's commit over the cell with no editor open: it replaces the
    // cell's text as typing does, or is refused whole with its message.
    void enterOverCell(const QString& entered);
    // Why a number cell refuses the editor's text: more than the largest amount, or decimals a
    // quantity does not keep.
    static std::optional<Message> refusalOfCellText(int column, const QString& text);
    bool typesSomething(const QString& typed) const;
    void typeIntoEditor(const QString& typed);
    void applyEditorText(const QString& text);
    void editorEnter();
    void editorUpDown(int key);
    void editorTab(bool forward);
    void editorEscape();
    void tabFrom(int row, int column, bool forward);
    bool checkAccount(int row, bool moveOnSuccess);
    void requestPicker();
    void renumber();

    QLineEdit* m_editor;
    // Numeric cells take only what the key filter or the paste check lets through, and no more
    // decimals than the cell keeps: the editor never shows what the cell would not hold.
    QValidator* m_amountValidator;
    QValidator* m_quantityValidator;
    QValidator* m_codeValidator;
    QString m_acceptedText;  // the editor's text before the change being looked at
    QString m_textAtOpen;    // what Esc puts back
    int m_editRow = 0;
    int m_editColumn = 0;
    bool m_accountChecked = false;
};

}  // namespace qm

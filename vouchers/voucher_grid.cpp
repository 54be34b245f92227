#include "voucher_grid.h"

#include "picker_lists.h"
#include "data/message_box.h"
#include "data/num_key_filter.h"
#include "data/number_format.h"
#include "data/window_helpers.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace qm {

namespace {

const char* const kHeaders[] = {"序号", "摘要说明", "科 目 名 称", "数 量    (外币)", "借方金额", "贷方金额", "流代", "流金"};
const int kWidthsInTwips[] = {400, 1900, 3500, 1080, 1700, 1700, 500, 1300};

Qt::Alignment columnAlignment(int column)
{
    switch (column) {
    case VoucherGrid::NumberColumn: return Qt::AlignCenter;
    case VoucherGrid::QuantityColumn:
    case VoucherGrid::DebitColumn:
    case VoucherGrid::CreditColumn: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

std::optional<NumberShape> numberShape(int column)
{
    switch (column) {
    case VoucherGrid::QuantityColumn:
        return NumberShape{kQuantityDecimals};
    case VoucherGrid::DebitColumn:
    case VoucherGrid::CreditColumn:
    case VoucherGrid::CashFlowAmountColumn:
        return NumberShape{kAmountDecimals};
    case VoucherGrid::CashFlowCodeColumn:
        // An item's code: digits only, whatever a paste or an input method brings.
        return NumberShape{.digitsOnly = true};
    default:
        return std::nullopt;
    }
}

bool isTypedCharacter(const QKeyEvent* event)
{
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
           && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

// Whether a key typed into a number cell of `column` (a column from the quantity on) types
// something: a cash-flow item's code takes digits only, the other cells what a number box takes.
bool takesKey(int column, QChar key, const QString& editorText)
{
    if (column == VoucherGrid::CashFlowCodeColumn)
        return key >= QLatin1Char('0') && key <= QLatin1Char('9');
    return numKeyFilter(key.unicode(), editorText) != 0;
}

}  // namespace

VoucherGrid::VoucherGrid(QWidget* parent)
    : QTableWidget(parent)
{
    setObjectName(QStringLiteral("Grid1"));
    setColumnCount(ColumnCount);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    paintFixedHeaders(this);
    setCompactRows(this);
    installWheelPaging(this);
    setAttribute(Qt::WA_InputMethodEnabled);

    m_editor = new QLineEdit(viewport());
    m_editor->setObjectName(QStringLiteral("Text7"));
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    // A sign, digits and at most `decimals` decimals (any number of them when `decimals` is -1).
    const auto numberValidator = [this](int decimals) {
        const QString fraction = decimals < 0 ? QStringLiteral("*") : QStringLiteral("{0,%1}").arg(decimals);
        return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*\\.?[0-9]") + fraction),
                                               this);
    };
    m_amountValidator = numberValidator(2);
    // Quantities are stored as typed, with no more decimals than a quantity keeps.
    m_quantityValidator = numberValidator(kQuantityDecimals);
    m_codeValidator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    connect(m_editor, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (const std::optional<Message> refusal = refusalOfCellText(m_editColumn, text)) {
            {
                const QSignalBlocker quiet(m_editor);
                m_editor->setText(m_acceptedText);
            }
            showMessage(*refusal);
            return;
        }
        m_acceptedText = text;
        m_accountChecked = false;
        applyEditorText(text);
    });
}

std::optional<Message> VoucherGrid::refusalOfCellText(int column, const QString& text)
{
    // A number being typed ("-", ".") is not looked at yet; a cash-flow item's code is no amount.
    if (column < QuantityColumn || column == CashFlowCodeColumn || !isWrittenAsNumber(text))
        return std::nullopt;
    return (column == QuantityColumn ? readTypedQuantity(text) : readTypedAmount(text)).refusal;
}

void VoucherGrid::setRows(int rows)
{
    setRowCount(qMax(0, rows - 1));
}

QString VoucherGrid::text(int row, int column) const
{
    if (row == 0) {
        const QTableWidgetItem* header = horizontalHeaderItem(column);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* cell = item(row - 1, column);
    return cell ? cell->text() : QString();
}

void VoucherGrid::setText(int row, int column, const QString& text)
{
    if (row == 0) {
        setHorizontalHeaderItem(column, new QTableWidgetItem(text));
        return;
    }
    QTableWidgetItem* cell = item(row - 1, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(columnAlignment(column));
        if (column == NumberColumn) {
            // The fixed column: shown, never current.
            cell->setFlags(Qt::NoItemFlags);
            cell->setBackground(fixedCellColour());
            cell->setForeground(palette().color(QPalette::Text));
        }
        setItem(row - 1, column, cell);
    }
    cell->setText(text);
}

void VoucherGrid::setCurrent(int row, int column)
{
    setCurrentCell(row - 1, column);
}

void VoucherGrid::renumber()
{
    for (int row = 1; row < rows(); ++row)
        setText(row, NumberColumn, QString::number(row));
}

void VoucherGrid::addRow()
{
    setRows(rows() + 1);
    renumber();
}

void VoucherGrid::layOut()
{
    if (rows() < kMinimumRows)
        setRows(kMinimumRows);
    for (int column = 0; column < ColumnCount; ++column) {
        setText(0, column, QString::fromUtf8(kHeaders[column]));
        setColumnWidth(column, twipsToPixels(kWidthsInTwips[column]));
    }
    for (int row = 1; row < rows(); ++row) {
        setText(row, NumberColumn, QString::number(row));
        setText(row, QuantityColumn, formatCellNumber(text(row, QuantityColumn), 3));
        for (int column : {DebitColumn, CreditColumn, CashFlowAmountColumn})
            setText(row, column, formatCellNumber(text(row, column), 2));
    }
    if (currentColumn() < SummaryColumn)
        setCurrent(1, SummaryColumn);
}

void VoucherGrid::clearCells()
{
    for (int row = 0; row < rows(); ++row)
        for (int column = 0; column < ColumnCount; ++column)
            setText(row, column, QString());
}

Money VoucherGrid::columnTotal(int column) const
{
    Money total;
    for (int row = 1; row < rows(); ++row)
        total += Money::fromText(text(row, column)).value_or(Money());
    return total;
}

QVector<VoucherLineText> VoucherGrid::rowTexts() const
{
    QVector<VoucherLineText> lines;
    for (int row = 1; row < rows(); ++row)
        lines.append({text(row, SummaryColumn), text(row, AccountColumn), text(row, QuantityColumn),
                      text(row, DebitColumn), text(row, CreditColumn), text(row, CashFlowCodeColumn),
                      text(row, CashFlowAmountColumn)});
    return lines;
}

void VoucherGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace: {
        const QString cell = text(row(), col());
        if (!cell.isEmpty())
            setText(row(), col(), cell.left(cell.size() - 1));
        openEditor(QString(), EditorStart::KeepText);
        // Esc gives back the cell as it was before the Backspace.
        m_textAtOpen = cell;
        return;
    }
    case Qt::Key_F7:
        requestPicker();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        openEditor(QString(), EditorStart::KeepText);
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        enterOverCell(QGuiApplication::clipboard()->text());
        return;
    }
    if (isTypedCharacter(event)) {
        // A key that types several characters is checked whole, as a commit of them is.
        if (event->text().size() > 1)
            enterOverCell(event->text());
        else
            openEditor(event->text(), EditorStart::ReplaceText);
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void VoucherGrid::inputMethodEvent(QInputMethodEvent* event)
{
    // Text composed by an input method opens the editor like a typed key; more than one
    // character goes in as a paste.
    const QString committed = event->commitString();
    if (committed.size() == 1)
        openEditor(committed, EditorStart::ReplaceText);
    else if (!committed.isEmpty())
        enterOverCell(committed);
    event->accept();
}

void VoucherGrid::enterOverCell(const QString& entered)
{
    if (row() < 1 || col() < SummaryColumn)
        return;
    const std::optional<NumberShape> shape = numberShape(col());
    if (!shape) {
        openEditor(entered, EditorStart::ReplaceText);
        return;
    }
    // Checked whole before the editor opens, so that a refusal leaves the cell as it was.
    const PastedNumber number = pastedNumber(entered, QString(), QString(), *shape);
    if (const std::optional<Message> refusal = number.refusal ? number.refusal : refusalOfCellText(col(), number.text)) {
        showMessage(*refusal);
        return;
    }
    openEditor(number.text, EditorStart::ReplaceText);
}

void VoucherGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool onCell = index.isValid() && index.column() != NumberColumn;
    if (onCell)
        setCurrentIndex(index);
    const int column = col();
    if (column == SummaryColumn || column == AccountColumn || column == CashFlowCodeColumn)
        requestPicker();
    else if (onCell)
        openEditor(QString(), EditorStart::KeepText);
}

bool VoucherGrid::focusNextPrevChild(bool next)
{
    if (m_editor->isVisible())
        editorTab(next);
    else
        tabFrom(row(), col(), next);
    return true;
}

bool VoucherGrid::typesSomething(const QString& typed) const
{
    if (col() < QuantityColumn)
        return !typed.isEmpty();
    for (const QChar c : typed)
        if (takesKey(col(), c, QString()))
            return true;
    return false;
}

void VoucherGrid::openEditor(const QString& typedText, EditorStart start)
{
    if (row() < 1 || col() < SummaryColumn)
        return;
    // Full-width digits an input method types are the digits in a number cell, never in a summary.
    const QString typed = col() >= QuantityColumn ? foldNumberCharacters(typedText) : typedText;
    // A key the cell refuses types nothing, so it does not wipe the cell either.
    if (start == EditorStart::ReplaceText && !typesSomething(typed))
        return;
    m_editRow = row();
    m_editColumn = col();
    m_textAtOpen = text(m_editRow, m_editColumn);
    const QRect cell = visualRect(model()->index(m_editRow - 1, m_editColumn));
    m_editor->setGeometry(cell.adjusted(1, 1, -1, -1));
    QValidator* validator = nullptr;
    if (m_editColumn == QuantityColumn)
        validator = m_quantityValidator;
    else if (m_editColumn == CashFlowCodeColumn)
        validator = m_codeValidator;
    else if (m_editColumn >= DebitColumn)
        validator = m_amountValidator;
    m_editor->setValidator(validator);
    {
        const QSignalBlocker quiet(m_editor);
        m_editor->setText(start == EditorStart::KeepText ? m_textAtOpen : QString());
    }
    m_acceptedText = m_editor->text();
    m_accountChecked = false;
    applyEditorText(m_editor->text());
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus();
    m_editor->end(false);
    typeIntoEditor(typed);
}

void VoucherGrid::typeIntoEditor(const QString& typed)
{
    for (const QChar c : typed) {
        if (m_editColumn >= QuantityColumn && !takesKey(m_editColumn, c, m_editor->text()))
            continue;
        const QString before = m_editor->text();
        m_editor->insert(QString(c));
        // An amount over the limit was refused and said so once: the rest does not follow.
        if (m_editor->text() == before)
            break;
    }
}

void VoucherGrid::applyEditorText(const QString& text)
{
    if (m_editRow == 0)
        return;
    const int row = m_editRow;
    const int column = m_editColumn;
    if (hasAccount(row) && (column == DebitColumn || column == CreditColumn))
        setText(row, column, formatCellNumber(text, 2));
    else if (column >= DebitColumn && !hasAccount(row))
        setText(row, column, QString());
    else
        setText(row, column, text);
    emit cellsEdited();
}

bool VoucherGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_editor)
        return QTableWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        if (keepsEditOpen(static_cast<QFocusEvent*>(event)))
            return false;
        // Leaving the editor checks the account cell it was opened over.
        if (m_editColumn == AccountColumn && !m_accountChecked)
            checkAccount(m_editRow, false);
        m_editor->hide();
        return false;
    }
    if (const std::optional<NumberShape> shape = numberShape(m_editColumn);
        shape && filterNumberInput(m_editor, event, *shape))
        return true;
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editorEnter();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        editorUpDown(key->key());
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        editorTab(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Escape:
        editorEscape();
        return true;
    case Qt::Key_Backspace:
        return false;
    default:
        break;
    }
    if (m_editColumn >= QuantityColumn && isTypedCharacter(key))
        return !takesKey(m_editColumn, key->text().at(0), m_editor->text());
    return false;
}

void VoucherGrid::editorEnter()
{
    const int row = m_editRow;
    const int column = m_editColumn;
    if (column == AccountColumn) {
        checkAccount(row, true);
        m_accountChecked = true;
    }
    if (row < rows() - 1 && column != AccountColumn)
        setCurrent(row + 1, column);
    if (row + 1 >= rows())
        addRow();
    setFocus();
}

void VoucherGrid::editorUpDown(int key)
{
    if (key == Qt::Key_Down && m_editRow < rows() - 1)
        setCurrent(m_editRow + 1, m_editColumn);
    else if (key == Qt::Key_Up && m_editRow > 1)
        setCurrent(m_editRow - 1, m_editColumn);
    setFocus();
}

void VoucherGrid::editorTab(bool forward)
{
    const int row = m_editRow;
    const int column = m_editColumn;
    bool accepted = true;
    if (column == AccountColumn) {
        m_accountChecked = true;
        accepted = checkAccount(row, false);
    }
    setCurrent(row, column);
    setFocus();
    // A refused account keeps the cell, as Enter does, so the code can be typed again.
    if (accepted)
        tabFrom(row, column, forward);
}

void VoucherGrid::tabFrom(int row, int column, bool forward)
{
    if (row < 1 || column < SummaryColumn) {
        setCurrent(1, SummaryColumn);
        return;
    }
    if (forward) {
        if (column < CashFlowAmountColumn) {
            setCurrent(row, column + 1);
            return;
        }
        // Past the last cell of the grid comes a new line, as Enter on the last row gives.
        if (row + 1 >= rows())
            addRow();
        setCurrent(row + 1, SummaryColumn);
        return;
    }
    if (column > SummaryColumn)
        setCurrent(row, column - 1);
    else if (row > 1)
        setCurrent(row - 1, CashFlowAmountColumn);
}

void VoucherGrid::editorEscape()
{
    setText(m_editRow, m_editColumn, m_textAtOpen);
    // The cell is as it was: nothing of this edit is checked.
    m_accountChecked = true;
    emit cellsEdited();
    setCurrent(m_editRow, m_editColumn);
    setFocus();
}

bool VoucherGrid::checkAccount(int row, bool moveOnSuccess)
{
    // A failing look-up leaves the code unchecked: not accepted.
    bool accepted = false;
    guarded([&] {
        const QString typed = text(row, AccountColumn).trimmed();
        if (typed.isEmpty()) {
            accepted = true;
            return;
        }
        // A code typed in full-width through an input method is the digits it shows.
        const QString code = foldNumberCharacters(typed.section(QLatin1Char(' '), 0, 0)).trimmed();
        if (const std::optional<QString> fullName = leafAccountFullName(code)) {
            setText(row, AccountColumn, code + QLatin1Char(' ') + *fullName);
            accepted = true;
            if (moveOnSuccess)
                setCurrent(row, QuantityColumn);
            return;
        }
        setText(row, AccountColumn, QString());
        showMessage(QStringLiteral("科目代码不正确或不是最明细代码"));
    });
    return accepted;
}

void VoucherGrid::requestPicker()
{
    const int r = row();
    const int c = col();
    if (r < 1)
        return;
    if ((c == AccountColumn && r == 1) || c == SummaryColumn
        || (c == AccountColumn && !text(r - 1, AccountColumn).isEmpty()) || c == CashFlowCodeColumn)
        emit pickerRequested(c, r);
}

}  // namespace qm

#include "voucher_grid.h"

#include "picker_lists.h"
#include "data/message_box.h"
#include "data/num_key_filter.h"
#include "data/number_format.h"
#include "data/window_helpers.h"

#include <QClipboard>
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

bool isTypedCharacter(const QKeyEvent* event)
{
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint()
           && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
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
    m_numberValidator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*\\.?[0-9]*")), this);
    connect(m_editor, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_editColumn >= QuantityColumn && parseNumber(text)) {
            const TypedValue typed = m_editColumn == QuantityColumn ? readTypedQuantity(text) : readTypedAmount(text);
            if (typed.refusal) {
                {
                    const QSignalBlocker quiet(m_editor);
                    m_editor->setText(m_acceptedText);
                }
                showMessage(*typed.refusal);
                return;
            }
        }
        m_acceptedText = text;
        m_accountChecked = false;
        applyEditorText(text);
    });
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

qint64 VoucherGrid::columnTotal(int column) const
{
    qint64 total = 0;
    for (int row = 1; row < rows(); ++row)
        total += parseCents(text(row, column)).value_or(0);
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
        openEditor(QString());
        return;
    }
    case Qt::Key_F7:
        requestPicker();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openEditor(QString());
        return;
    default:
        break;
    }
    if (isTypedCharacter(event)) {
        openEditor(event->text());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void VoucherGrid::inputMethodEvent(QInputMethodEvent* event)
{
    // Text composed by an input method opens the editor like a typed key.
    if (!event->commitString().isEmpty())
        openEditor(event->commitString());
    event->accept();
}

void VoucherGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() != NumberColumn)
        setCurrentIndex(index);
    requestPicker();
}

void VoucherGrid::openEditor(const QString& typed)
{
    if (row() < 1 || col() < SummaryColumn)
        return;
    m_editRow = row();
    m_editColumn = col();
    const QRect cell = visualRect(model()->index(m_editRow - 1, m_editColumn));
    m_editor->setGeometry(cell.adjusted(1, 1, -1, -1));
    m_editor->setValidator(m_editColumn >= QuantityColumn ? m_numberValidator : nullptr);
    {
        const QSignalBlocker quiet(m_editor);
        m_editor->setText(text(m_editRow, m_editColumn));
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
        if (m_editColumn >= QuantityColumn && numKeyFilter(c.unicode(), m_editor->text()) == 0)
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
        // Leaving the editor checks the account cell it was opened over.
        if (m_editColumn == AccountColumn && !m_accountChecked)
            checkAccount(m_editRow, false);
        m_editor->hide();
        return false;
    }
    // Text committed by an input method or pasted goes through the key filter as if typed.
    if (m_editColumn >= QuantityColumn && event->type() == QEvent::InputMethod) {
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        if (!committed.isEmpty()) {
            typeIntoEditor(committed);
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (m_editColumn >= QuantityColumn && key->matches(QKeySequence::Paste)) {
        typeIntoEditor(QGuiApplication::clipboard()->text());
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        editorEnter();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        editorUpDown(key->key());
        return true;
    case Qt::Key_Backspace:
        return false;
    default:
        break;
    }
    if (m_editColumn >= QuantityColumn && isTypedCharacter(key))
        return numKeyFilter(key->text().at(0).unicode(), m_editor->text()) == 0;
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

void VoucherGrid::checkAccount(int row, bool moveOnSuccess)
{
    guarded([&] {
        const QString typed = text(row, AccountColumn).trimmed();
        if (typed.isEmpty())
            return;
        const QString code = typed.section(QLatin1Char(' '), 0, 0).trimmed();
        if (const std::optional<QString> fullName = leafAccountFullName(code)) {
            setText(row, AccountColumn, code + QLatin1Char(' ') + *fullName);
            if (moveOnSuccess)
                setCurrent(row, QuantityColumn);
            return;
        }
        setText(row, AccountColumn, QString());
        showMessage(QStringLiteral("科目代码不正确或不是最明细代码"));
    });
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

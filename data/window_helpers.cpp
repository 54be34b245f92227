#include "window_helpers.h"

#include "message_box.h"
#include "num_key_filter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWheelEvent>

namespace qm {

namespace {

constexpr int kProgressMaximum = 3000;
constexpr int kWheelNotch = 120;

QPointer<QProgressBar> g_progressBar;

class WheelPager : public QObject {
public:
    explicit WheelPager(QAbstractScrollArea* grid) : QObject(grid), m_grid(grid) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !m_grid->hasFocus())
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() != Qt::NoModifier || wheel->buttons() != Qt::NoButton
            || wheel->angleDelta().x() != 0)
            return false;
        int key = 0;
        if (wheel->angleDelta().y() == -kWheelNotch)
            key = Qt::Key_PageDown;
        else if (wheel->angleDelta().y() == kWheelNotch)
            key = Qt::Key_PageUp;
        else
            return false;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(m_grid, &press);
        return true;
    }

private:
    QAbstractScrollArea* m_grid;
};

// Typed characters passed on to the box as the key that types them, so that its key filter looks
// at them as at any other key.
void typeKeys(QLineEdit* box, const QString& keys, Qt::KeyboardModifiers modifiers)
{
    const QChar first = keys.at(0);
    const int key = first.unicode() < 0x80 ? first.toUpper().unicode() : int(Qt::Key_unknown);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, keys);
    QCoreApplication::sendEvent(box, &press);
}

void pasteNumber(QLineEdit* box, const QString& pasted, NumberShape shape)
{
    const QString text = box->text();
    const int start = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    const int end = box->hasSelectedText() ? box->selectionEnd() : start;
    const PastedNumber number = pastedNumber(pasted, text.left(start), text.mid(end), shape);
    if (number.refusal)
        showMessage(*number.refusal);
    else if (!number.text.isEmpty())
        box->insert(number.text);
}

// The box's own menu, whose Paste goes through pasteNumber.
void showNumberBoxMenu(QLineEdit* box, const QContextMenuEvent* event, NumberShape shape)
{
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The action is known by its connection, made one way or the other as Qt's version has it:
    // its text is translated and it has no name.
    for (QAction* action : menu->actions())
        if (QObject::disconnect(action, SIGNAL(triggered()), box, SLOT(paste()))
            || QObject::disconnect(action, &QAction::triggered, box, &QLineEdit::paste))
            QObject::connect(action, &QAction::triggered, box,
                             [box, shape] { pasteNumber(box, QGuiApplication::clipboard()->text(), shape); });
    menu->popup(event->globalPos());
}

class NumberPasteGuard : public QObject {
public:
    NumberPasteGuard(QLineEdit* box, NumberShape shape)
        : QObject(box),
          m_box(box),
          m_shape(shape)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return filterNumberInput(m_box, event, m_shape); }

private:
    QLineEdit* m_box;
    NumberShape m_shape;
};

class NumberPasteDelegate : public QStyledItemDelegate {
public:
    NumberPasteDelegate(QAbstractItemView* grid, CellShape shapeOfCell)
        : QStyledItemDelegate(grid),
          m_shapeOfCell(std::move(shapeOfCell))
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = qobject_cast<QLineEdit*>(editor);
        if (const std::optional<NumberShape> shape = m_shapeOfCell(index.column()); box && shape)
            box->installEventFilter(new NumberPasteGuard(box, *shape));
        m_lastEditor = box;
        return editor;
    }

    std::optional<NumberShape> shapeOfCell(int column) const { return m_shapeOfCell(column); }
    QLineEdit* lastEditor() const { return m_lastEditor; }
    void forgetLastEditor() { m_lastEditor.clear(); }

protected:
    bool eventFilter(QObject* editor, QEvent* event) override
    {
        // A message over the window, a refused paste's, leaves the edit as it was, still open.
        if (event->type() == QEvent::FocusOut && keepsEditOpen(static_cast<QFocusEvent*>(event)))
            return false;
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    CellShape m_shapeOfCell;
    mutable QPointer<QLineEdit> m_lastEditor;
};

// Ctrl+V or Shift+Insert on a number cell whose editor is not open, or an input method's commit
// over it (full-width digits come with no composition first): the editor opens with the paste or
// the commit in place of the cell's text, as a typed key opens it, or a paste (or a commit of
// several characters) is refused whole and the cell keeps its text.
class ClosedCellPaste : public QObject {
public:
    ClosedCellPaste(QAbstractItemView* grid, NumberPasteDelegate* delegate)
        : QObject(grid),
          m_grid(grid),
          m_delegate(delegate)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        QString arrived;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            arrived = QGuiApplication::clipboard()->text();
        } else if (event->type() == QEvent::InputMethod) {
            const auto* input = static_cast<QInputMethodEvent*>(event);
            if (input->commitString().isEmpty() || !input->preeditString().isEmpty() || editorIsOpen())
                return false;
            arrived = input->commitString();
        } else {
            return false;
        }
        const QModelIndex cell = m_grid->currentIndex();
        const std::optional<NumberShape> shape = cell.isValid() ? m_delegate->shapeOfCell(cell.column()) : std::nullopt;
        if (!shape || !(cell.flags() & Qt::ItemIsEditable))
            return false;
        // One committed character is a key; a paste or more characters are checked whole.
        const bool oneKey = event->type() == QEvent::InputMethod && arrived.size() == 1;
        const PastedNumber number = oneKey ? PastedNumber{} : pastedNumber(arrived, QString(), QString(), *shape);
        if (number.refusal) {
            showMessage(*number.refusal);
        } else if (oneKey || !number.text.isEmpty()) {
            m_delegate->forgetLastEditor();
            m_grid->edit(cell);
            if (QLineEdit* editor = m_delegate->lastEditor()) {
                editor->selectAll();
                if (oneKey)
                    typeKeys(editor, foldNumberCharacters(arrived), Qt::NoModifier);
                else
                    editor->setText(number.text);
            }
        }
        return true;
    }

private:
    bool editorIsOpen() const
    {
        const QLineEdit* editor = m_delegate->lastEditor();
        return editor && editor->isVisible();
    }

    QAbstractItemView* m_grid;
    NumberPasteDelegate* m_delegate;
};

class NumKeyGuard : public QObject {
public:
    NumKeyGuard(QLineEdit* box, bool digitsOnly) : QObject(box), m_box(box), m_digitsOnly(digitsOnly) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (filterNumberInput(m_box, event, NumberShape{.digitsOnly = m_digitsOnly}))
            return true;
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        int code = 0;
        switch (keyEvent->key()) {
        case Qt::Key_Backspace: code = kKeyBackspace; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: code = kKeyEnter; break;
        default:
            // Keys that type nothing (arrows, Delete, Tab, Home…) are not characters: they pass.
            if (keyEvent->text().isEmpty() || keyEvent->key() == Qt::Key_Delete
                || keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab)
                return false;
            code = keyEvent->text().at(0).unicode();
        }
        if (m_digitsOnly)
            return code < '0' || code > '9';
        return numKeyFilter(code, m_box->text()) == 0;
    }

private:
    QLineEdit* m_box;
    bool m_digitsOnly;
};

class EscapeKeeper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The same test a dialog makes before it rejects itself.
        if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
            return false;
        event->accept();
        return true;
    }
};

void installKeyGuard(QLineEdit* box, bool digitsOnly)
{
    if (box->property("qmKeyGuard").toBool())
        return;
    box->setProperty("qmKeyGuard", true);
    box->installEventFilter(new NumKeyGuard(box, digitsOnly));
}

}  // namespace

void setProgressBar(QProgressBar* bar)
{
    g_progressBar = bar;
}

void progressSpin()
{
    QProgressBar* bar = g_progressBar;
    if (!bar)
        return;
    bar->setVisible(true);
    bar->setMaximum(kProgressMaximum);
    while (bar->maximum() > bar->value()) {
        bar->setValue(bar->value() + 1);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    bar->setValue(1);
    bar->setVisible(false);
}

QColor stripeColour(int gridRow)
{
    return gridRow % 2 == 0 ? QColor(236, 235, 234) : QColor(240, 255, 255);
}

QColor fixedCellColour()
{
    return QColor(210, 210, 253);
}

void paintFixedHeaders(QTableView* grid)
{
    // A border of its own keeps the style from shading the section.
    const QString style = QStringLiteral("QHeaderView::section { background-color: %1; border: none; "
                                         "border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0; "
                                         "padding: 1px 3px; }")
                              .arg(fixedCellColour().name());
    grid->horizontalHeader()->setStyleSheet(style);
    grid->verticalHeader()->setStyleSheet(style);
}

void installWheelPaging(QAbstractScrollArea* grid)
{
    // A second filter would page twice per notch.
    if (grid->property("qmWheelPaging").toBool())
        return;
    grid->setProperty("qmWheelPaging", true);
    grid->viewport()->installEventFilter(new WheelPager(grid));
}

void installNumKeyFilter(QLineEdit* box)
{
    installKeyGuard(box, false);
}

void foldDigitsAsTyped(QLineEdit* box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& typed) {
        const QString folded = foldNumberCharacters(typed);
        if (folded == typed)
            return;
        const int cursor = box->cursorPosition();
        box->setText(folded);
        box->setCursorPosition(cursor);
    });
}

void installDigitsOnlyFilter(QLineEdit* box)
{
    installKeyGuard(box, true);
}

bool keepsEditOpen(const QFocusEvent* focusOut)
{
    return focusOut->reason() == Qt::ActiveWindowFocusReason || focusOut->reason() == Qt::PopupFocusReason;
}

bool filterNumberInput(QLineEdit* box, QEvent* event, NumberShape shape)
{
    if (box->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            pasteNumber(box, QGuiApplication::clipboard()->text(), shape);
            return true;
        }
        // A key that types several characters at once is checked whole, as a commit of them is.
        if (key->text().size() > 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            pasteNumber(box, key->text(), shape);
            return true;
        }
        const QString folded = foldNumberCharacters(key->text());
        if (folded == key->text())
            return false;
        typeKeys(box, folded, key->modifiers());
        return true;
    }
    case QEvent::InputMethod: {
        const auto* input = static_cast<QInputMethodEvent*>(event);
        const QString committed = input->commitString();
        if (committed.isEmpty())
            return false;
        // One character is a key; more are checked whole, as a paste is.
        if (committed.size() == 1)
            typeKeys(box, foldNumberCharacters(committed), Qt::NoModifier);
        else
            pasteNumber(box, committed, shape);
        // Only the commit is taken over: the composition goes on in the box.
        QInputMethodEvent composing(input->preeditString(), input->attributes());
        QCoreApplication::sendEvent(box, &composing);
        return true;
    }
    case QEvent::ContextMenu:
        showNumberBoxMenu(box, static_cast<QContextMenuEvent*>(event), shape);
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton
            || !QGuiApplication::clipboard()->supportsSelection())
            return false;
        box->deselect();
        pasteNumber(box, QGuiApplication::clipboard()->text(QClipboard::Selection), shape);
        return true;
    case QEvent::DragEnter:
        event->ignore();
        return true;
    default:
        return false;
    }
}

void guardNumberPastes(QAbstractItemView* grid, CellShape shapeOfCell)
{
    auto* delegate = new NumberPasteDelegate(grid, std::move(shapeOfCell));
    grid->setItemDelegate(delegate);
    grid->installEventFilter(new ClosedCellPaste(grid, delegate));
}

int twipsToPixels(int twips)
{
    return twips * 4 / 45;
}

void setCompactRows(QTableView* grid)
{
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
}

void closeWorkWindow(QWidget* window)
{
    if (QWidget* frame = window->parentWidget(); frame && frame->inherits("QMdiSubWindow"))
        frame->close();
    else
        window->close();
}

void keepOpenOnEscape(QWidget* window)
{
    if (window->property("qmKeepOpenOnEscape").toBool())
        return;
    window->setProperty("qmKeepOpenOnEscape", true);
    window->installEventFilter(new EscapeKeeper(window));
}

void commitPendingEdit(QAbstractItemView* grid)
{
    QWidget* editor = QApplication::focusWidget();
    // Cell editors live on the viewport.
    if (!editor || !grid->viewport()->isAncestorOf(editor))
        return;
    QMetaObject::invokeMethod(grid, "commitData", Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(grid, "closeEditor", Q_ARG(QWidget*, editor),
                              Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
}

}  // namespace qm

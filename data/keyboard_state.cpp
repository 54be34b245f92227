#include "keyboard_state.h"

#include "x11_indicators.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScopedValueRollback>

#include <algorithm>

namespace qm {

namespace {

LockStateReader g_reader;
bool g_insert = true;

// A typed character in overwrite: the box it goes to, when it is one that can take it that way.
QLineEdit* overwrittenBox(QObject* receiver, const QKeyEvent* key)
{
    auto* box = qobject_cast<QLineEdit*>(receiver);
    // An editable combo box passes its keys on to its own line editor.
    if (auto* combo = qobject_cast<QComboBox*>(receiver); combo && combo->isEditable())
        box = combo->lineEdit();
    if (!box || box->isReadOnly() || !box->inputMask().isEmpty() || box->hasSelectedText()
        || box->cursorPosition() >= box->text().size())
        return nullptr;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return nullptr;
    const QString typed = key->text();
    if (typed.isEmpty() || !std::all_of(typed.begin(), typed.end(), [](QChar c) { return c.isPrint(); }))
        return nullptr;
    return box;
}

class KeyboardWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::WindowActivate:
            KeyboardStateNotifier::instance()->announce();
            return false;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return keyEvent(watched, static_cast<QKeyEvent*>(event));
        default:
            return false;
        }
    }

private:
    bool keyEvent(QObject* watched, QKeyEvent* key)
    {
        if (key->key() == Qt::Key_CapsLock || key->key() == Qt::Key_NumLock) {
            KeyboardStateNotifier::instance()->announce();
            return false;
        }
        if (key->type() != QEvent::KeyPress)
            return false;
        // Shift+Insert pastes and Ctrl+Insert copies: only the key alone toggles. It is taken here
        // so that it toggles once, not again at each parent an ignored key travels up to.
        if (key->key() == Qt::Key_Insert && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                setInsertMode(!insertMode());
            return true;
        }
        if (g_insert || m_replacing)
            return false;
        QLineEdit* box = overwrittenBox(watched, key);
        if (!box)
            return false;
        // The next characters are selected, and the key then goes its usual way, through the
        // box's key filters and validator, so that it replaces them only where it may be typed.
        const QPointer<QLineEdit> guard(box);
        const QString before = box->text();
        const int at = box->cursorPosition();
        box->setSelection(at, std::min<int>(key->text().size(), before.size() - at));
        QKeyEvent again(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                        key->nativeModifiers(), key->text(), key->isAutoRepeat(), key->count());
        {
            const QScopedValueRollback replacing(m_replacing, true);
            QCoreApplication::sendEvent(watched, &again);
        }
        // A key the box refused leaves the selection; one it took (even the same character
        // again) has replaced it and moved the cursor on.
        if (guard && guard->text() == before && guard->hasSelectedText())
            guard->setCursorPosition(at);
        key->setAccepted(again.isAccepted());
        return true;
    }

    bool m_replacing = false;
};

QPointer<KeyboardWatch> g_watch;

}  // namespace

std::optional<bool> lockKeyState(LockKey key)
{
    return g_reader ? g_reader(key) : x11LockIndicator(key);
}

LockStateReader setLockStateReader(LockStateReader reader)
{
    std::swap(g_reader, reader);
    return reader;
}

bool insertMode()
{
    return g_insert;
}

void setInsertMode(bool on)
{
    if (g_insert == on)
        return;
    g_insert = on;
    KeyboardStateNotifier::instance()->announce();
}

void installKeyboardWatch()
{
    if (g_watch || !qApp)
        return;
    g_watch = new KeyboardWatch(qApp);
    qApp->installEventFilter(g_watch);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, g_watch,
                     [] { KeyboardStateNotifier::instance()->announce(); });
}

KeyboardStateNotifier* KeyboardStateNotifier::instance()
{
    static QPointer<KeyboardStateNotifier> notifier;
    if (!notifier)
        notifier = new KeyboardStateNotifier(qApp);
    return notifier;
}

void KeyboardStateNotifier::announce()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            emit changed();
        },
        Qt::QueuedConnection);
}

}  // namespace qm

#pragma once

// The keyboard states the main window's status bar shows: Caps Lock and Num Lock as the platform
// reports them, and the insert/overwrite state that every line editor of the program shares.

#include <QObject>
#include <functional>
#include <optional>

namespace qm {

enum class LockKey { CapsLock, NumLock };

// On or off; nothing where the platform cannot tell (Wayland, offscreen).
std::optional<bool> lockKeyState(LockKey key);
using LockStateReader = std::function<std::optional<bool>(LockKey)>;
// Tests replace the reader; an empty function restores the platform's. Returns the one replaced.
LockStateReader setLockStateReader(LockStateReader reader);

// True while typing inserts (the start), false while it overwrites.
bool insertMode();
void setInsertMode(bool on);

// Watches every window of the program: the Insert key toggles the insert state; in overwrite a
// typed character replaces the one after the caret; the lock keys and window activation say the
// states may have changed. Installing it twice installs it once.
void installKeyboardWatch();

// Says, once per turn of the event loop however many causes came, that a state may have changed.
class KeyboardStateNotifier : public QObject {
    Q_OBJECT

public:
    static KeyboardStateNotifier* instance();
    void announce();

signals:
    void changed();

private:
    using QObject::QObject;
    bool m_pending = false;
};

}  // namespace qm

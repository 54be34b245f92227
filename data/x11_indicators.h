#pragma once

#include "keyboard_state.h"

namespace qm {

// The keyboard indicator of a lock key as the X server shows it; nothing when the program does
// not run on X11 or the server has no keyboard extension.
std::optional<bool> x11LockIndicator(LockKey key);

}  // namespace qm

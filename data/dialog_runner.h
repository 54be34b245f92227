#pragma once

// Every modal window of the program is run through execDialog, so that tests can drive it
// instead of waiting on it.

#include <functional>

class QDialog;

namespace qm {

int execDialog(QDialog& dialog);

using DialogRunner = std::function<int(QDialog&)>;
// Returns the runner it replaces; an empty runner restores QDialog::exec.
DialogRunner setDialogRunner(DialogRunner runner);

}  // namespace qm

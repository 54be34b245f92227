#pragma once

#include <functional>

namespace qm {

// Ends the program: closes the database and leaves the event loops. Tests replace the way it
// ends, so that no test ever ends the test runner.
void endProcess(int exitCode = 0);
bool processEndRequested();

using ProcessEndHandler = std::function<void(int exitCode)>;
// Returns the handler it replaces; an empty handler restores the default.
ProcessEndHandler setProcessEndHandler(ProcessEndHandler handler);

}  // namespace qm

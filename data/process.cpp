#include "process.h"

#include "database.h"

#include <QCoreApplication>

namespace qm {

namespace {

bool g_endRequested = false;
ProcessEndHandler g_handler;

}  // namespace

void endProcess(int exitCode)
{
    if (g_handler) {
        g_handler(exitCode);
        return;
    }
    g_endRequested = true;
    closeConnection();
    // Leaves every running event loop, modal ones included; main() then returns.
    QCoreApplication::exit(exitCode);
}

bool processEndRequested()
{
    return g_endRequested;
}

ProcessEndHandler setProcessEndHandler(ProcessEndHandler handler)
{
    std::swap(g_handler, handler);
    return handler;
}

}  // namespace qm

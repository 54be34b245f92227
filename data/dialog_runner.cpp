#include "dialog_runner.h"

#include <QDialog>

namespace qm {

namespace {

DialogRunner g_runner;

}  // namespace

int execDialog(QDialog& dialog)
{
    return g_runner ? g_runner(dialog) : dialog.exec();
}

DialogRunner setDialogRunner(DialogRunner runner)
{
    std::swap(g_runner, runner);
    return runner;
}

}  // namespace qm

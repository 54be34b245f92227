#include "printer.h"

#include <QPrinterInfo>

namespace qm {

namespace {

int g_orientation = Portrait;
std::function<bool()> g_check;

}  // namespace

bool setPrinterOrientation(int orientation)
{
    g_orientation = orientation == Landscape ? Landscape : Portrait;
    return printerInstalled();
}

int printerOrientation()
{
    return g_orientation;
}

bool printerInstalled()
{
    if (g_check)
        return g_check();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

std::function<bool()> setPrinterCheck(std::function<bool()> check)
{
    std::swap(g_check, check);
    return check;
}

}  // namespace qm

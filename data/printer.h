#pragma once

// The paper orientation of the next print job, and whether a printer is there at all.

#include <functional>

namespace qm {

enum PrinterOrientation { Portrait = 1, Landscape = 2 };

// Remembers the orientation for the print jobs and previews that follow, printer or not.
// Returns false when no printer is installed.
bool setPrinterOrientation(int orientation);
// The orientation last set. The print jobs take theirs from the report's layout (orientReport sets
// both); tests read this one to see that a window set it.
int printerOrientation();

bool printerInstalled();
// Tests replace the printer check; an empty function restores the real one.
std::function<bool()> setPrinterCheck(std::function<bool()> check);

}  // namespace qm

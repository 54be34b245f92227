#include "ledger_output.h"

namespace qm {

void outputLedgerReport(const LedgerOutput&, bool) {}
void exportLedgerPages(const LedgerOutput&) {}

}  // namespace qm

#pragma once

// Cuts a ledger work table into printed pages of 18 lines: each full page closes with
// "  过 次 页" and the next opens with "  承 前 页", both repeating the balance in effect at the
// page's last line (and the quantity where the ledger carries one); the last page is filled up
// with empty lines.

#include <QString>

namespace qm {

enum class PagedLedger { ThreeColumn, Quantity, FixedAsset };

constexpr int kLedgerLinesPerPage = 18;

// Copies the ledger's table (三总式, 数量式 or 固累式) into its page table (三栏帐页, 数量帐页,
// 固累帐页), which the caller has emptied. Returns the number of pages.
int buildLedgerPages(PagedLedger ledger);

QString ledgerTable(PagedLedger ledger);
QString ledgerPageTable(PagedLedger ledger);

}  // namespace qm

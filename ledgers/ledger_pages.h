#pragma once

// Cuts a built ledger into pages, once and in one pass, for the printed reports and the
// spreadsheet ledger pages alike: each page that continues closes with a carried-forward line
// and the next opens with a brought-forward line, both repeating the balance in effect at the
// page's last line.
//
// The printed reports (三栏帐, 数量帐, 固累帐) take pages of 18 lines: "  过 次 页" and
// "  承 前 页" repeat the balance (and the quantity where the ledger carries one), and the last
// page is filled up with empty lines.

#include "data/record_set_fwd.h"

#include <QString>
#include <QVector>

namespace qm {

// How a ledger falls on pages.
struct LedgerPaging {
    int firstPageLines = 18;  // ledger lines on the first page
    int pageLines = 18;       // on every later page
    // A page ending with the ledger's last line still closes, and a page holding only the
    // brought-forward line follows.
    bool closeLastFullPage = false;
    // When the line that would open the next page has no summary, no page starts there and the
    // next chance comes this many lines on; 0: a page always starts.
    int runOnLines = 0;
    // The last page is filled with filler lines until it holds this many; 0: never filled.
    int fillLastPageTo = 0;
};

// The printed reports: 18 lines a page, the last page filled to 19 lines.
constexpr LedgerPaging kPrintedLedgerPaging{18, 18, true, 0, 19};
// The workbook: 25 rows a page with two header rows and the carried lines, so 22 lines on the
// first page and 21 on each later one.
constexpr LedgerPaging kWorkbookLedgerPaging{22, 21, false, 25, 0};

struct LedgerPageLine {
    enum Kind { Line, CarriedForward, BroughtForward, Filler };
    Kind kind = Line;
    int page = 1;  // from 1
    // A ledger line: its row in the ledger. A carried line: the page's last line.
    int line = -1;
    // A carried line: the ledger line whose balance is in effect at the page's end; -1 for none.
    int balanceLine = -1;
};

// `ledger` holds the lines in ID order with at least 摘要说明, 方向 and 余额, and 余数 when it
// `carriesQuantity`. A month total or a year-to-date line has no balance of its own
// (no direction, no balance, no quantity): a page ending with one carries the balance of the last
// line above it that has one. Returns the ledger's lines with the carried and filler lines among
// them, in printing order.
QVector<LedgerPageLine> cutLedgerPages(const RecordSet& ledger, const LedgerPaging& paging, bool carriesQuantity);

enum class PagedLedger { ThreeColumn, Quantity, FixedAsset };

// Copies the ledger's table (三总式, 数量式 or 固累式) into its page table (三栏帐页, 数量帐页,
// 固累帐页), emptied first, cut into the printed pages. Returns the number of pages that hold
// ledger lines.
int buildLedgerPages(PagedLedger ledger);
// Empties a ledger's work table and its page table.
void clearLedger(PagedLedger ledger);
// Builds the page table and returns its rows in ID order, as the printed report takes them.
RecordSet printedLedgerPages(PagedLedger ledger);

QString ledgerTable(PagedLedger ledger);
QString ledgerPageTable(PagedLedger ledger);

}  // namespace qm

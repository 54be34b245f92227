#pragma once

// Ledger pages in a spreadsheet workbook: the built ledger under a two-row header, cut every 25
// rows (by the page cutter of ledger_pages.h) by a carried-forward line, a copy of the header
// and a brought-forward line, with a page break before each copied header; landscape A4 with the
// ledger's page header and footer, each column as wide as its widest text.

#include "data/record_set_fwd.h"

#include <QString>
#include <QVector>

namespace qm {

enum class LedgerPagesKind { ThreeColumn, Quantity, MultiColumn };

struct LedgerPagesSheet {
    QVector<QVector<QVariant>> rows;  // from row 1, columns from A (the ID column left out)
    QVector<int> headerRows;          // each header's first row, counted from 0
    QVector<int> pageBreaks;          // rows (from 0) that begin a new printed page
};

// The statement that reads the ledger's table in ID order, for layOutLedgerPages().
QString ledgerPagesStatement(LedgerPagesKind kind);

// `source` is the ledger table read in ID order, its first column ID.
LedgerPagesSheet layOutLedgerPages(LedgerPagesKind kind, const RecordSet& source);

// Plain texts: the writer adds the header codes, and cuts a text short when the page header
// would pass the 255 characters it may hold.
struct LedgerPagesHeader {
    QString title;  // the centre header's first line, such as "库存现金   明细帐"
    QString left;   // the left header line: the account, or the unit
    QString year;   // of the period line "会计期间:…年1-12月"
};

void writeLedgerPagesWorkbook(const QString& path, LedgerPagesKind kind, const LedgerPagesSheet& sheet,
                              const LedgerPagesHeader& header);

}  // namespace qm

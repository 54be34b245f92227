#pragma once

// Ledger pages in a spreadsheet workbook: the built ledger under a two-row header, cut every 25
// rows by a carried-forward line, a copy of the header and a brought-forward line, with a page
// break before each copied header; landscape A4 with the ledger's page header and footer.

#include "data/record_set.h"

#include <QString>
#include <QVector>

namespace qm {

enum class LedgerPagesKind { ThreeColumn, Quantity, MultiColumn };

struct LedgerPagesSheet {
    QVector<QVector<QVariant>> rows;  // from row 1, columns from A (the ID column left out)
    QVector<int> headerRows;          // each header's first row, counted from 0
    QVector<int> pageBreaks;          // rows (from 0) that begin a new printed page
};

// `source` is the ledger table read in ID order, its first column ID.
LedgerPagesSheet layOutLedgerPages(LedgerPagesKind kind, const RecordSet& source);

struct LedgerPagesHeader {
    QString title;  // the centre header's first line, with its header codes
    QString left;   // the left header line, with its header codes
    QString year;
};

void writeLedgerPagesWorkbook(const QString& path, LedgerPagesKind kind, const LedgerPagesSheet& sheet,
                              const LedgerPagesHeader& header);

}  // namespace qm

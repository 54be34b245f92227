#pragma once

// Shows a record set in a result grid: a "序号" column of row numbers, then the record set's
// columns with their widths (0 hides a column) and formats, header centred, rows striped.

#include "data/number_format.h"
#include "data/record_set.h"

#include <vector>

class QTableWidget;

namespace qm {

struct GridColumn {
    int widthTwips;
    CellFormat format;
    Qt::Alignment alignment = {};  // none: numbers to the right, the rest to the left
};

// `layout` covers 序号 and the record set's columns from the left; columns beyond it keep the
// default width and take `restFormat`.
void showInResultGrid(QTableWidget* grid, const RecordSet& rows, const std::vector<GridColumn>& layout,
                      CellFormat restFormat = CellFormat::None);

}  // namespace qm

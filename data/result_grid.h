#pragma once

// Shows a record set in a result grid: a "序号" column of row numbers, then the record set's
// columns with their widths (0 hides a column) and formats, header centred, rows striped.
// The grid reads the rows through a model, so a journal of a hundred thousand lines costs
// the record set and nothing per cell.

#include "data/number_format.h"
#include "data/record_set.h"

#include <QAbstractTableModel>
#include <vector>

class QTableView;

namespace qm {

struct GridColumn {
    int widthTwips;
    CellFormat format;
    Qt::Alignment alignment = {};  // none: numbers to the right, the rest to the left
};

// The rows as a result grid shows them, read-only: texts formatted, row numbers, stripes.
class ResultGridModel : public QAbstractTableModel {
public:
    ResultGridModel(RecordSet rows, const std::vector<GridColumn>& layout, CellFormat restFormat, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    RecordSet m_rows;
    std::vector<CellFormat> m_formats;          // per record-set field
    std::vector<QVariant> m_alignments;         // per record-set field, null for none
};

// `layout` covers 序号 and the record set's columns from the left; columns beyond it keep the
// default width and take `restFormat`.
void showInResultGrid(QTableView* grid, RecordSet rows, const std::vector<GridColumn>& layout,
                      CellFormat restFormat = CellFormat::None);

// Leaves the grid with no rows and no columns.
void clearResultGrid(QTableView* grid);

}  // namespace qm

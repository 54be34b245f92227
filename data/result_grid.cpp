#include "result_grid.h"

#include "data/window_helpers.h"

#include <QHeaderView>
#include <QTableWidget>

namespace qm {

void showInResultGrid(QTableWidget* grid, const RecordSet& rows, const std::vector<GridColumn>& layout,
                      CellFormat restFormat)
{
    grid->setUpdatesEnabled(false);
    grid->clear();
    grid->setColumnCount(rows.fieldCount() + 1);
    grid->setRowCount(rows.count());
    QStringList headers{QStringLiteral("序号")};
    headers << rows.fieldNames();
    grid->setHorizontalHeaderLabels(headers);
    for (int column = 0; column <= rows.fieldCount(); ++column) {
        const bool laidOut = column < int(layout.size());
        if (laidOut && layout[column].widthTwips == 0)
            grid->setColumnHidden(column, true);
        else {
            grid->setColumnHidden(column, false);
            if (laidOut)
                grid->setColumnWidth(column, twipsToPixels(layout[column].widthTwips));
        }
    }
    for (int row = 0; row < rows.count(); ++row) {
        auto* number = new QTableWidgetItem(QString::number(row + 1));
        number->setTextAlignment(Qt::AlignCenter);
        grid->setItem(row, 0, number);
        for (int field = 0; field < rows.fieldCount(); ++field) {
            const bool laidOut = field + 1 < int(layout.size());
            const CellFormat format = laidOut ? layout[field + 1].format : restFormat;
            auto* cell = new QTableWidgetItem(formatGridCell(rows.value(row, field), format));
            if (laidOut && layout[field + 1].alignment)
                cell->setTextAlignment(layout[field + 1].alignment);
            else if (format == CellFormat::Amount || format == CellFormat::Quantity || format == CellFormat::Whole)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->setItem(row, field + 1, cell);
        }
    }
    gridStripes(grid);
    grid->setUpdatesEnabled(true);
}

}  // namespace qm

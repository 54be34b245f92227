#include "result_grid.h"

#include "data/window_helpers.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace qm {

ResultGridModel::ResultGridModel(RecordSet rows, const std::vector<GridColumn>& layout, CellFormat restFormat,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows))
{
    for (int field = 0; field < m_rows.fieldCount(); ++field) {
        const bool laidOut = field + 1 < int(layout.size());
        const CellFormat format = laidOut ? layout[field + 1].format : restFormat;
        m_formats.push_back(format);
        if (laidOut && layout[field + 1].alignment)
            m_alignments.emplace_back(int(layout[field + 1].alignment));
        else if (format == CellFormat::Amount || format == CellFormat::Quantity || format == CellFormat::Whole)
            m_alignments.emplace_back(int(Qt::AlignRight | Qt::AlignVCenter));
        else
            m_alignments.emplace_back();
    }
}

int ResultGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

int ResultGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.fieldCount() + 1;
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int field = index.column() - 1;
    switch (role) {
    case Qt::DisplayRole:
        if (field < 0)
            return QString::number(index.row() + 1);
        return formatGridCell(m_rows.value(index.row(), field), m_formats[field]);
    case Qt::TextAlignmentRole:
        return field < 0 ? QVariant(int(Qt::AlignCenter)) : m_alignments[field];
    case Qt::BackgroundRole:
        return stripeColour(index.row() + 1);
    default:
        return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("序号") : m_rows.fieldNames().value(section - 1);
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void showInResultGrid(QTableView* grid, RecordSet rows, const std::vector<GridColumn>& layout, CellFormat restFormat)
{
    grid->setUpdatesEnabled(false);
    QAbstractItemModel* previous = grid->model();
    QItemSelectionModel* previousSelection = grid->selectionModel();
    auto* model = new ResultGridModel(std::move(rows), layout, restFormat, grid);
    grid->setModel(model);
    // The view made a selection model of its own for the new rows; the old one and the rows it
    // showed go now, not at the next turn of the event loop.
    delete previousSelection;
    if (previous && previous->parent() == grid)
        delete previous;
    for (int column = 0; column < model->columnCount(); ++column) {
        const bool laidOut = column < int(layout.size());
        if (laidOut && layout[column].widthTwips == 0)
            grid->setColumnHidden(column, true);
        else {
            grid->setColumnHidden(column, false);
            if (laidOut)
                grid->setColumnWidth(column, twipsToPixels(layout[column].widthTwips));
        }
    }
    if (model->rowCount() > 0) {
        paintFixedHeaders(grid);
        grid->setCurrentIndex(model->index(0, 0));
    }
    grid->setUpdatesEnabled(true);
}

void clearResultGrid(QTableView* grid)
{
    showInResultGrid(grid, RecordSet(), {});
}

}  // namespace qm

#include "ledger_workbook.h"

#include "ledger_pages.h"

#include "data/number_format.h"
#include "data/spreadsheet.h"
#include "data/record_set.h"

#include <algorithm>

namespace qm {

namespace {

constexpr int kSummaryColumn = 3;  // D

bool isNumber(const QVariant& value)
{
    return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong
           || value.typeId() == QMetaType::Double;
}

QVector<int> carriedColumns(LedgerPagesKind kind)
{
    switch (kind) {
    case LedgerPagesKind::Quantity: return {11, 13};  // L 余数, N 余额
    default: return {7};                              // H 余额
    }
}

QString cellDisplay(const QVariant& value, const char* format)
{
    if (value.isNull())
        return QString();
    if (format && isNumber(value))
        return formatGridCell(value, qstrcmp(format, "0.000") == 0 ? CellFormat::Quantity : CellFormat::Amount);
    return value.toString();
}

constexpr int kHeaderMax = 255;  // characters a page header or footer may hold

// Header codes start with "&": a "&" of the user's own text is doubled to print as itself.
QString escapedHeaderText(const QString& text)
{
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString composedPageHeader(const QString& title, const QString& left, const QString& year)
{
    return QStringLiteral("&L\n&\"常规\"       &10") + escapedHeaderText(left) + QStringLiteral("&C&\"黑体\"&16")
           + escapedHeaderText(title) + QStringLiteral("&\"宋体,常规\"\n&\"常规\"&10会计期间:") + year
           + QStringLiteral("年1-12月&R\n&\"常规\"&10单位:元             .");
}

// The page header, its longer text cut short (with "…") until the whole fits.
QString pageHeaderText(const LedgerPagesHeader& header)
{
    QString title = header.title;
    QString left = header.left;
    QString text = composedPageHeader(title, left, header.year);
    while (text.size() > kHeaderMax) {
        QString& longer = left.size() >= title.size() ? left : title;
        const int excess = int(text.size()) - kHeaderMax;
        longer = longer.left(qMax(qsizetype(0), longer.size() - excess - 1)) + QChar(0x2026);
        text = composedPageHeader(title, left, header.year);
    }
    return text;
}

const char* columnFormat(LedgerPagesKind kind, int column)
{
    switch (kind) {
    case LedgerPagesKind::ThreeColumn: return column >= 4 && column <= 7 ? "#,##0.00" : nullptr;
    case LedgerPagesKind::Quantity:
        if (column == 5 || column == 8 || column == 12)
            return "0.000";
        return column == 6 || column == 9 || column == 13 ? "#,##0.00" : nullptr;
    case LedgerPagesKind::MultiColumn: return column >= 4 && column <= 25 ? "#,##0.00" : nullptr;
    }
    return nullptr;
}

// The merged header cells of a header starting at `top`: (first column, last column, rows).
struct Merge {
    int first;
    int last;
    int rows;
};

QVector<Merge> headerMerges(LedgerPagesKind kind, int columns)
{
    QVector<Merge> merges;
    if (kind == LedgerPagesKind::Quantity) {
        for (int column : {0, 1, 2, 3, 10})
            merges.append({column, column, 2});
        merges.append({4, 6, 1});
        merges.append({7, 9, 1});
        merges.append({11, 13, 1});
        return merges;
    }
    for (int column = 0; column < 8; ++column)
        merges.append({column, column, 2});
    if (kind == LedgerPagesKind::MultiColumn && columns > 8)
        merges.append({8, columns - 1, 1});
    return merges;
}

}  // namespace

QString ledgerPagesStatement(LedgerPagesKind kind)
{
    switch (kind) {
    case LedgerPagesKind::ThreeColumn: return QStringLiteral("SELECT * FROM 三总式 ORDER BY ID");
    case LedgerPagesKind::Quantity: return QStringLiteral("SELECT * FROM 数量式 ORDER BY ID");
    case LedgerPagesKind::MultiColumn: return QStringLiteral("SELECT * FROM 多栏式 ORDER BY ID");
    }
    return QString();
}

LedgerPagesSheet layOutLedgerPages(LedgerPagesKind kind, const RecordSet& source)
{
    const int columns = source.fieldCount() - 1;
    LedgerPagesSheet sheet;
    QVector<QVariant> groups(columns);
    QVector<QVariant> names(columns);
    for (int column = 0; column < columns; ++column)
        names[column] = source.fieldNames().at(column + 1);
    if (kind == LedgerPagesKind::Quantity) {
        groups[4] = QStringLiteral("借    方");
        groups[7] = QStringLiteral("贷    方");
        groups[11] = QStringLiteral("余    额");
    } else if (kind == LedgerPagesKind::MultiColumn && columns > 8) {
        groups[8] = QStringLiteral(" 明细科目");
    }
    // A header cell merged over both rows shows the field name.
    for (const Merge& merge : headerMerges(kind, columns)) {
        if (merge.rows == 2)
            groups[merge.first] = names[merge.first];
    }
    sheet.rows = {groups, names};
    sheet.headerRows = {0};
    const QVector<LedgerPageLine> cut = cutLedgerPages(source, kWorkbookLedgerPaging, kind == LedgerPagesKind::Quantity);
    sheet.rows.reserve(sheet.rows.size() + cut.size() * 2);
    const QVector<int> carried = carriedColumns(kind);
    const auto carriedLine = [&](const LedgerPageLine& entry, const QString& summary) {
        QVector<QVariant> cells(columns);
        cells[kSummaryColumn] = summary;
        if (entry.balanceLine >= 0) {
            for (int column : carried)
                cells[column] = source.value(entry.balanceLine, column + 1);
        }
        return cells;
    };
    for (const LedgerPageLine& entry : cut) {
        switch (entry.kind) {
        case LedgerPageLine::Line: {
            QVector<QVariant> cells(columns);
            for (int column = 0; column < columns; ++column)
                cells[column] = source.value(entry.line, column + 1);
            sheet.rows.append(std::move(cells));
            break;
        }
        case LedgerPageLine::CarriedForward: {
            sheet.rows.append(carriedLine(entry, QStringLiteral("过 次 页")));
            // The copied header opens the next printed page.
            const int header = int(sheet.rows.size());
            sheet.rows.append(groups);
            sheet.rows.append(names);
            sheet.headerRows.append(header);
            sheet.pageBreaks.append(header);
            break;
        }
        case LedgerPageLine::BroughtForward: sheet.rows.append(carriedLine(entry, QStringLiteral("承 前 页"))); break;
        case LedgerPageLine::Filler: break;
        }
    }
    return sheet;
}

void writeLedgerPagesWorkbook(const QString& path, LedgerPagesKind kind, const LedgerPagesSheet& sheet,
                              const LedgerPagesHeader& header)
{
    writeWorkbook(path, [&](lxw_workbook* workbook) {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, nullptr);
        const int columns = sheet.rows.isEmpty() ? 0 : int(sheet.rows.first().size());
        auto makeFormat = [&](const char* numberFormat, bool centred) {
            lxw_format* format = workbook_add_format(workbook);
            format_set_border(format, LXW_BORDER_THIN);
            format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
            if (centred)
                format_set_align(format, LXW_ALIGN_CENTER);
            if (numberFormat)
                format_set_num_format(format, numberFormat);
            return format;
        };
        lxw_format* headerFormat = makeFormat(nullptr, true);
        // One format object per number format: a second object equal to the first never gets an
        // index of its own, and the library would look it up again for every cell.
        QHash<QByteArray, lxw_format*> formats;
        QVector<lxw_format*> cellFormats(columns);
        for (int column = 0; column < columns; ++column) {
            const char* numberFormat = columnFormat(kind, column);
            lxw_format*& format = formats[QByteArray(numberFormat)];
            if (!format)
                format = makeFormat(numberFormat, false);
            cellFormats[column] = format;
        }

        QVector<bool> headerRows(sheet.rows.size() + 1, false);
        for (int top : sheet.headerRows) {
            headerRows[top] = true;
            headerRows[top + 1] = true;
        }
        for (int row = 0; row < sheet.rows.size(); ++row) {
            checkSpreadsheet(worksheet_set_row(worksheet, lxw_row_t(row), 17.25, nullptr));
            const bool headerRow = headerRows[row];
            for (int column = 0; column < columns; ++column) {
                const QVariant value = sheet.rows[row].value(column);
                lxw_format* format = headerRow ? headerFormat : cellFormats[column];
                const auto r = lxw_row_t(row);
                const auto c = lxw_col_t(column);
                if (value.isNull() || value.toString().isEmpty())
                    checkSpreadsheet(worksheet_write_blank(worksheet, r, c, format));
                else if (isNumber(value))
                    checkSpreadsheet(worksheet_write_number(worksheet, r, c, value.toDouble(), format));
                else
                    checkSpreadsheet(worksheet_write_string(worksheet, r, c, value.toString().toUtf8().constData(), format));
            }
        }
        for (int column = 0; column < columns; ++column) {
            const char* format = columnFormat(kind, column);
            int width = 0;
            // A formatted number shows wider the further it lies from zero on its side: only the
            // largest and the smallest of a column need formatting.
            QVariant largest;
            QVariant smallest;
            for (const QVector<QVariant>& row : sheet.rows) {
                const QVariant& value = row.at(column);
                if (format && isNumber(value)) {
                    const double number = value.toDouble();
                    if (largest.isNull() || number > largest.toDouble())
                        largest = value;
                    if (smallest.isNull() || number < smallest.toDouble())
                        smallest = value;
                    continue;
                }
                width = std::max(width, spreadsheetTextWidth(cellDisplay(value, format)));
            }
            for (const QVariant& value : {largest, smallest})
                width = std::max(width, spreadsheetTextWidth(cellDisplay(value, format)));
            checkSpreadsheet(worksheet_set_column(worksheet, lxw_col_t(column), lxw_col_t(column),
                                                  std::clamp(width + 2, 6, 60), nullptr));
        }
        for (int top : sheet.headerRows) {
            for (const Merge& merge : headerMerges(kind, columns)) {
                if (merge.first == merge.last && merge.rows == 1)
                    continue;  // one cell: already written
                const QVariant value = sheet.rows[top].value(merge.first);
                checkSpreadsheet(worksheet_merge_range(worksheet, lxw_row_t(top), lxw_col_t(merge.first),
                                            lxw_row_t(top + merge.rows - 1), lxw_col_t(merge.last),
                                            value.toString().toUtf8().constData(), headerFormat));
            }
        }
        std::vector<lxw_row_t> breaks;
        for (int row : sheet.pageBreaks)
            breaks.push_back(lxw_row_t(row));
        breaks.push_back(0);
        if (breaks.size() > 1)
            checkSpreadsheet(worksheet_set_h_pagebreaks(worksheet, breaks.data()));
        worksheet_set_landscape(worksheet);
        worksheet_set_paper(worksheet, 9);
        worksheet_set_margins(worksheet, 1.33858267716535, 1.33858267716535, -1, -1);
        const QString pageHeader = pageHeaderText(header);
        checkSpreadsheet(worksheet_set_header(worksheet, pageHeader.toUtf8().constData()));
        checkSpreadsheet(worksheet_set_footer(worksheet, "&R&\"常规\"&10[QM505]               ."));
    });
}

}  // namespace qm

#include "ledger_pages.h"

#include "ledger_keys.h"

#include "data/database.h"
#include "data/update_rows.h"
#include "data/record_set.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qm {

QString ledgerTable(PagedLedger ledger)
{
    switch (ledger) {
    case PagedLedger::ThreeColumn: return QStringLiteral("三总式");
    case PagedLedger::Quantity: return QStringLiteral("数量式");
    case PagedLedger::FixedAsset: return QStringLiteral("固累式");
    }
    return {};
}

QString ledgerPageTable(PagedLedger ledger)
{
    switch (ledger) {
    case PagedLedger::ThreeColumn: return QStringLiteral("三栏帐页");
    case PagedLedger::Quantity: return QStringLiteral("数量帐页");
    case PagedLedger::FixedAsset: return QStringLiteral("固累帐页");
    }
    return {};
}

QVector<LedgerPageLine> cutLedgerPages(const RecordSet& ledger, const LedgerPaging& paging, bool carriesQuantity)
{
    const int summary = ledger.fieldIndex(QStringLiteral("摘要说明"));
    const int direction = ledger.fieldIndex(QStringLiteral("方向"));
    QVector<int> balances{ledger.fieldIndex(QStringLiteral("余额"))};
    if (carriesQuantity)
        balances.append(ledger.fieldIndex(QStringLiteral("余数")));
    const auto hasBalance = [&](int line) {
        if (direction >= 0 && !ledger.value(line, direction).toString().isEmpty())
            return true;
        for (int column : balances) {
            if (column >= 0 && !ledger.value(line, column).isNull())
                return true;
        }
        return false;
    };

    const int lines = ledger.count();
    QVector<LedgerPageLine> cut;
    cut.reserve(lines + lines / qMax(1, paging.pageLines) * 2 + paging.fillLastPageTo + 2);
    int page = 1;
    int onPage = 0;  // lines of any kind on the current page
    int nextPageAt = paging.firstPageLines;
    int inEffect = -1;
    const auto closePage = [&](int last) {
        cut.append({LedgerPageLine::CarriedForward, page, last, inEffect});
        ++page;
        cut.append({LedgerPageLine::BroughtForward, page, last, inEffect});
        onPage = 1;
        nextPageAt += paging.pageLines;
    };
    for (int line = 0; line < lines; ++line) {
        if (line == nextPageAt) {
            if (paging.runOnLines > 0 && (summary < 0 || ledger.value(line, summary).toString().isEmpty()))
                nextPageAt += paging.runOnLines;
            else
                closePage(line - 1);
        }
        cut.append({LedgerPageLine::Line, page, line, -1});
        ++onPage;
        if (hasBalance(line))
            inEffect = line;
    }
    if (lines == 0)
        return cut;
    // The page of the last line is filled; a brought-forward line alone after it is not.
    const int lastPage = page;
    int onLastPage = onPage;
    if (paging.closeLastFullPage && lines == nextPageAt) {
        closePage(lines - 1);
        ++onLastPage;
    }
    for (int filler = onLastPage; filler < paging.fillLastPageTo; ++filler)
        cut.append({LedgerPageLine::Filler, lastPage, -1, -1});
    return cut;
}

void clearLedger(PagedLedger ledger)
{
    const ViewWork view;
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM ") + ledgerTable(ledger));
    execute(QStringLiteral("DELETE FROM ") + ledgerPageTable(ledger));
    transaction.commit();
}

int buildLedgerPages(PagedLedger ledger)
{
    const ViewWork view;
    const QString source = ledgerTable(ledger);
    const QString pages = ledgerPageTable(ledger);
    const bool carriesQuantity = ledger != PagedLedger::ThreeColumn;
    QStringList columns;
    for (const auto row : openRecordset(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {source}))
        columns << row[0].toString();
    const QString list = columns.join(QStringLiteral(", "));

    Transaction transaction;
    execute(QStringLiteral("DELETE FROM ") + pages);
    // 顺序 is each line's rank in the text order of ID.
    execute(QStringLiteral("INSERT INTO %1 (%2, 顺序) SELECT %2, row_number() OVER (ORDER BY ID) FROM %3")
                .arg(pages, list, source));
    const RecordSet lines =
        openRecordset(QStringLiteral("SELECT rowid, ID, 摘要说明, 方向, 余额%2 FROM %1 WHERE 顺序 IS NOT NULL ORDER BY 顺序")
                          .arg(pages, carriesQuantity ? QStringLiteral(", 余数") : QString()));
    const QVector<LedgerPageLine> cut = cutLedgerPages(lines, kPrintedLedgerPaging, carriesQuantity);

    std::vector<QVariantList> pageOfLine;
    pageOfLine.reserve(std::size_t(lines.count()));
    // The carried lines: ID, summary, page and the rowid of the line whose balance they repeat.
    QJsonArray carried;
    int pageCount = 1;
    QVector<int> fillerPages;
    for (const LedgerPageLine& entry : cut) {
        switch (entry.kind) {
        case LedgerPageLine::Line:
            pageOfLine.push_back({lines.value(entry.line, 0), entry.page});
            pageCount = entry.page;
            break;
        case LedgerPageLine::CarriedForward:
        case LedgerPageLine::BroughtForward: {
            const bool forward = entry.kind == LedgerPageLine::CarriedForward;
            carried.append(QJsonArray{lines.value(entry.line, 1).toString() + (forward ? kCarriedForwardSuffix : kBroughtForwardSuffix),
                                      forward ? QStringLiteral("  过 次 页") : QStringLiteral("  承 前 页"), entry.page,
                                      entry.balanceLine < 0 ? QJsonValue() : QJsonValue(lines.value(entry.balanceLine, 0).toLongLong())});
            break;
        }
        case LedgerPageLine::Filler:
            fillerPages.append(entry.page);
            break;
        }
    }
    updateRows(pages, {QStringLiteral("月")}, pageOfLine);
    if (!carried.isEmpty()) {
        // The balance (0 where there is none) is copied from its line as stored.
        execute(QStringLiteral("INSERT INTO %1 (ID, 摘要说明, 余额%2, 月) SELECT c.value->>0, c.value->>1, ifnull(s.余额, 0)%3, "
                               "c.value->>2 FROM json_each(?) AS c LEFT JOIN %1 AS s ON s.rowid=c.value->>3 ORDER BY c.key")
                    .arg(pages, carriesQuantity ? QStringLiteral(", 余数") : QString(),
                         carriesQuantity ? QStringLiteral(", ifnull(s.余数, 0)") : QString()),
                {QString::fromUtf8(QJsonDocument(carried).toJson(QJsonDocument::Compact))});
    }
    for (int filler = 0; filler < fillerPages.size(); ++filler)
        execute(QStringLiteral("INSERT INTO %1 (月, ID) VALUES (?, ?)").arg(pages), {fillerPages[filler], fillerLineId(filler)});
    transaction.commit();
    return pageCount;
}

RecordSet printedLedgerPages(PagedLedger ledger)
{
    buildLedgerPages(ledger);
    return openRecordset(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(ledgerPageTable(ledger)));
}

}  // namespace qm

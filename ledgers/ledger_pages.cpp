#include "ledger_pages.h"

#include "data/database.h"
#include "data/schema.h"

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

int buildLedgerPages(PagedLedger ledger)
{
    const QString source = ledgerTable(ledger);
    const QString pages = ledgerPageTable(ledger);
    const bool carriesQuantity = ledger != PagedLedger::ThreeColumn;
    QStringList columns;
    for (const auto row : openRecordset(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {source}))
        columns << row[0].toString();
    const QString list = columns.join(QStringLiteral(", "));

    Transaction transaction;
    // 顺序 is each line's rank in the text order of ID.
    execute(QStringLiteral("INSERT INTO %1 (%2, 顺序) SELECT %2, row_number() OVER (ORDER BY ID) FROM %3")
                .arg(pages, list, source));
    const int lines = scalar(QStringLiteral("SELECT ifnull(max(顺序), 1) FROM %1").arg(pages)).toInt();
    const int pageCount = (lines - 1) / kLedgerLinesPerPage + 1;
    for (int page = pageCount; page >= 1; --page) {
        const int last = kLedgerLinesPerPage * page;
        execute(QStringLiteral("UPDATE %1 SET 月=? WHERE 顺序<=?").arg(pages), {page, last});
        const QVariant lastId = scalar(QStringLiteral("SELECT ID FROM %1 WHERE 顺序=?").arg(pages), {last});
        if (lastId.isNull())
            continue;
        const QString id = lastId.toString();
        // A month total or year-to-date line has no balance of its own: the page carries the
        // balance of the last line above it that has one (a level line's is 0).
        const RecordSet full = openRecordset(
            QStringLiteral("SELECT ifnull(余额, 0)%2 FROM %1 WHERE 顺序<=? AND (方向 IS NOT NULL OR 余额 IS NOT NULL) "
                           "ORDER BY 顺序 DESC LIMIT 1")
                .arg(pages, carriesQuantity ? QStringLiteral(", ifnull(余数, 0)") : QString()),
            {last});
        const QVariant carriedBalance = full.isEmpty() ? QVariant(0) : full.value(0, 0);
        const QVariant carriedQuantity = full.isEmpty() || !carriesQuantity ? QVariant(0) : full.value(0, 1);
        for (const auto& [digit, summary, onPage] : {std::tuple{QStringLiteral("1"), QStringLiteral("  过 次 页"), page},
                                                     std::tuple{QStringLiteral("2"), QStringLiteral("  承 前 页"), page + 1}}) {
            if (carriesQuantity)
                execute(QStringLiteral("INSERT INTO %1 (ID, 摘要说明, 余额, 余数, 月) VALUES (?, ?, ?, ?, ?)").arg(pages),
                        {id + digit, summary, carriedBalance, carriedQuantity, onPage});
            else
                execute(QStringLiteral("INSERT INTO %1 (ID, 摘要说明, 余额, 月) VALUES (?, ?, ?, ?)").arg(pages),
                        {id + digit, summary, carriedBalance, onPage});
        }
    }
    const int onLastPage = scalar(QStringLiteral("SELECT count(月) FROM %1 WHERE 月=?").arg(pages), {pageCount}).toInt();
    if (onLastPage != 0) {
        for (int filler = 814; filler <= 814 + kLedgerLinesPerPage - onLastPage; ++filler)
            execute(QStringLiteral("INSERT INTO %1 (月, ID) VALUES (?, ?)").arg(pages), {pageCount, QString::number(filler)});
    }
    transaction.commit();
    return pageCount;
}

}  // namespace qm

#include "three_column_ledger.h"

#include "ledger_keys.h"
#include "period_lines.h"

#include "data/database.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/value_order.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <optional>
#include <vector>

namespace qm {

namespace {

// +1 for a debit-direction account, -1 for any other: balances read in the account's direction.
int directionSign(const QString& direction)
{
    return direction == QStringLiteral("借") ? 1 : -1;
}

// Exact thousandths of a line's amounts, for the ledger's sums.
const QString kLineThousandths = QStringLiteral("%1 AS 借厘, %2 AS 贷厘")
                                     .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")));

// The whole ledger from one reading of its lines: `lines` (ID, 日期, 字号, 号码, 摘要说明,
// 借方金额, 贷方金额 and the exact 借厘, 贷厘) are the opening lines, under month key 800, and the
// ledger's lines after them. Writes into 三总式 the opening line with the opening net, each later
// line with its balance, then per month key a month total (unless `monthSuffix` is empty) and a
// year-to-date line, each an exact sum rounded to the cent, and the carry-forward line `carryId`
// with the last balance. A balance is the exact running sum in ledger order (ID, then 号码, or
// the date when `byDate`), rounded to the cent, never a sum of rounded steps; "平" and no balance
// where it comes to nothing at the cent. The opening lines sort ahead of every later line, so one
// running sum over all of them starts each later line from the opening net. 三总式 holds this
// ledger only. Returns its rows in the order the grid shows them (ID, then 号码), without reading
// them back.
RecordSet writeLedger(const RecordSet& lines, bool byDate, const QString& direction, const QByteArray& monthSuffix,
                      const QByteArray& yearSuffix, const QByteArray& carryId)
{
    const ViewWork view;
    enum { Id, Date, Word, Number, Summary, Debit, Credit, DebitThousandths, CreditThousandths };
    const int sign = directionSign(direction);
    const QByteArray directionText = direction.toUtf8();
    const QByteArray level = QStringLiteral("平").toUtf8();
    const QByteArray openingKey(kOpeningPeriodKey);

    std::vector<int> order(std::size_t(lines.count()));
    std::iota(order.begin(), order.end(), 0);
    sortInLedgerOrder(order, lines, Id, byDate ? Date : Number, false);

    // The running balance over every line in ledger order; the opening net, and the sums of
    // each later month.
    const auto addTo = [](std::optional<qint64>& sum, const RecordSet::Cell& cell) {
        if (cell.kind == RecordSet::Cell::Integer)
            sum = sum.value_or(0) + cell.integer;
    };
    qint64 opening = 0;
    std::map<QByteArray, std::pair<std::optional<qint64>, std::optional<qint64>>> months;
    qint64 running = 0;
    std::vector<std::pair<int, qint64>> later;  // line, balance in thousandths
    later.reserve(order.size());
    for (const int row : order) {
        const RecordSet::Cell debit = lines.cell(row, DebitThousandths);
        const RecordSet::Cell credit = lines.cell(row, CreditThousandths);
        const qint64 net = (debit.kind == RecordSet::Cell::Integer ? debit.integer : 0)
                           - (credit.kind == RecordSet::Cell::Integer ? credit.integer : 0);
        running += net;
        const RecordSet::Cell id = lines.cell(row, Id);
        if (id.kind != RecordSet::Cell::Text)
            continue;
        const QByteArray month = firstCharacters(id, 3);
        if (month == openingKey) {
            opening += net;
        } else if (month > openingKey) {
            later.push_back({row, sign * running});
            auto& sums = months[month];
            addTo(sums.first, debit);
            addTo(sums.second, credit);
        }
    }
    // The month totals, year-to-date lines and the carry-forward line, in the grid's order (by
    // ID; they have no 号码), go in among the lines, which are in that order already.
    struct Total {
        QByteArray id;
        QString label;
        std::optional<qint64> debit;
        std::optional<qint64> credit;
        bool carry = false;
    };
    std::map<QByteArray, PeriodSums> periods;
    for (const auto& [month, sums] : months)
        periods[month].amounts = {sums.first, sums.second};
    std::vector<Total> totals;
    for (const PeriodLine& line : monthAndYearLines(periods, monthSuffix, yearSuffix))
        totals.push_back({line.id, line.label, line.sums.amounts[0], line.sums.amounts[1]});
    totals.push_back({carryId, QStringLiteral("结转下年"), std::nullopt, std::nullopt, true});
    std::stable_sort(totals.begin(), totals.end(), [](const Total& a, const Total& b) {
        return compareCells(textCell(a.id), textCell(b.id), true) < 0;
    });

    RecordSet rows({QStringLiteral("ID"), QStringLiteral("日期"), QStringLiteral("字号"), QStringLiteral("号码"),
                    QStringLiteral("摘要说明"), QStringLiteral("借方金额"), QStringLiteral("贷方金额"), QStringLiteral("方向"),
                    QStringLiteral("余额")});
    const auto appendText = [&rows](const QByteArray& text) { rows.appendText(text.constData(), int(text.size())); };
    const auto appendCents = [&rows](std::optional<qint64> thousandths) {
        if (thousandths)
            rows.appendReal(amountOfThousandths(*thousandths));
        else
            rows.appendNull();
    };
    const auto appendBalance = [&](qint64 thousandths) {
        const qint64 cents = centsOfThousandths(thousandths);
        appendText(cents == 0 ? level : directionText);
        if (cents == 0)
            rows.appendNull();
        else
            rows.appendReal(double(cents) / 100.0);
    };
    const auto appendTotal = [&](const Total& total) {
        appendText(total.id);
        for (int field = 0; field < 3; ++field)
            rows.appendNull();
        appendText(total.label.toUtf8());
        appendCents(total.debit);
        appendCents(total.credit);
        rows.appendNull();
        if (total.carry)
            rows.appendReal(amountOfThousandths(sign * running));
        else
            rows.appendNull();
        rows.endRow();
    };
    const auto appendLine = [&](int row, qint64 balance) {
        for (const int field : {Id, Date, Word, Number, Summary})
            rows.appendCell(lines, row, field);
        for (const int field : {Debit, Credit}) {
            const RecordSet::Cell cell = lines.cell(row, field);
            if (cell.kind == RecordSet::Cell::Integer)
                rows.appendReal(double(cell.integer));
            else
                rows.appendCell(lines, row, field);
        }
        appendBalance(balance);
        rows.endRow();
    };

    rows.appendText(kOpeningLineId, int(std::strlen(kOpeningLineId)));
    for (int field = 0; field < 3; ++field)
        rows.appendNull();
    appendText(QStringLiteral("年初余额").toUtf8());
    rows.appendNull();
    rows.appendNull();
    appendBalance(sign * opening);
    rows.endRow();
    const RecordSet::Cell noNumber;
    std::size_t next = 0;
    for (const auto& [row, balance] : later) {
        while (next < totals.size()) {
            const int byId = compareCells(textCell(totals[next].id), lines.cell(row, Id), true);
            if (byId > 0 || (byId == 0 && compareCells(noNumber, lines.cell(row, Number), false) >= 0))
                break;
            appendTotal(totals[next++]);
        }
        appendLine(row, balance);
    }
    while (next < totals.size())
        appendTotal(totals[next++]);

    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 三总式"));
    insertRows(QStringLiteral("三总式 (ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 余额)"), rows);
    transaction.commit();
    return rows;
}

}  // namespace

RecordSet buildDetailLedger(int year, const QString& code, const QString& direction)
{
    const RecordSet lines = openRecordset(
        QStringLiteral("SELECT ID, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, %1 FROM %2 WHERE 代码=? AND substr(ID,1,3)>=%3")
            .arg(kLineThousandths, entryTableName(year), sqlKey(kOpeningPeriodKey)),
        {code});
    return writeLedger(lines, false, direction, kMonthTotalSuffix, kYearToDateSuffix, kCarryForwardId);
}

RecordSet buildGeneralLedger(int year, const QString& codeText, const QString& direction)
{
    const QString code = codeText.left(4);
    // The opening lines as they stand, then one line per month key and calendar month, dated
    // the month's last day. The bounds of the code spare most lines the prefix test.
    const RecordSet lines = openRecordset(
        QStringLiteral(
            "WITH source AS MATERIALIZED (SELECT ID, 日期, %1 FROM %2 WHERE +代码>=:code AND +代码<:code_end AND substr(代码,1,4)=:code "
            "AND substr(ID,1,3)>=%5) "
            "SELECT ID, NULL AS 日期, NULL AS 字号, NULL AS 号码, NULL AS 摘要说明, NULL AS 借方金额, NULL AS 贷方金额, 借厘, 贷厘 "
            "FROM source WHERE substr(ID,1,3)=%5 "
            "UNION ALL SELECT ID, 日期, '汇', 1, %7, %3, %4, 借厘, 贷厘 FROM ("
            "SELECT substr(ID,1,3) || %6 AS ID, date(strftime('%Y-%m-01', 日期), '+1 month', '-1 day') AS 日期, "
            "sum(借厘) AS 借厘, sum(贷厘) AS 贷厘 FROM source WHERE substr(ID,1,3)>%5 "
            "GROUP BY substr(ID,1,3), strftime('%Y-%m', 日期))")
            .arg(kLineThousandths, entryTableName(year), centsOfThousandths(QStringLiteral("借厘")),
                 centsOfThousandths(QStringLiteral("贷厘")), sqlKey(kOpeningPeriodKey), sqlKey(kGeneralMonthSuffix),
                 sqlText(monthTotalLabel())),
        QVariantMap{{QStringLiteral(":code"), code}, {QStringLiteral(":code_end"), code + QChar(0xFFFF)}});
    return writeLedger(lines, true, direction, QByteArray(), kGeneralYearToDateSuffix, kGeneralCarryForwardId);
}

RecordSet threeColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 三总式 ORDER BY 1, 4"));
}

}  // namespace qm

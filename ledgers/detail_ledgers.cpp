#include "detail_ledgers.h"

#include "ledger_keys.h"
#include "period_lines.h"

#include "data/database.h"
#include "data/exact_sums.h"
#include "data/fiscal_year.h"
#include "data/money.h"
#include "data/number_format.h"
#include "data/update_rows.h"
#include "data/value_order.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <set>

namespace qm {

namespace {

bool isDebitSide(const QString& direction)
{
    return direction == QStringLiteral("借");
}

// A unit price as the ledger shows it, three decimals rounded half away from zero on the exact
// quotient of the amount as shown (to the cent) and the quantity (to the thousandth, the running
// quantity without the noise of its binary sum); empty without an amount or a quantity.
QVariant unitPrice(const QVariant& amount, double quantity)
{
    const std::optional<Money> money = Money::fromStored(amount);
    const std::optional<qint64> thousandths = scaledValue(quantity, kQuantityDecimals);
    if (!money || !thousandths || *thousandths == 0)
        return {};
    const std::optional<qint64> price = unitPriceThousandths(money->cents(), *thousandths);
    return price ? QVariant(formatScaled(*price, 3)) : QVariant();
}

// Month totals and year-to-date lines over the month keys of `lines`: quantities summed as they
// are, amounts exactly and rounded to the cent.
void insertMonthAndYearLines(const QString& table, const QString& lines, const QStringList& quantities,
                             const QStringList& amounts)
{
    QStringList sums;
    for (const QString& column : quantities)
        sums << QStringLiteral("sum(%1)").arg(column);
    for (const QString& column : amounts)
        sums << QStringLiteral("sum(%1)").arg(thousandthsOf(column));
    const RecordSet months = openRecordset(
        QStringLiteral("SELECT substr(ID,1,3), %1 FROM (%2) GROUP BY 1").arg(sums.join(QStringLiteral(", ")), lines));
    std::map<QByteArray, PeriodSums> periods;
    for (const auto month : months) {
        PeriodSums& period = periods[month[0].toString().toUtf8()];
        for (int column = 0; column < int(quantities.size()); ++column) {
            const QVariant sum = month[1 + column];
            period.quantities.push_back(sum.isNull() ? std::nullopt : std::optional<double>(sum.toDouble()));
        }
        for (int column = 0; column < int(amounts.size()); ++column) {
            const QVariant sum = month[1 + int(quantities.size()) + column];
            period.amounts.push_back(sum.isNull() ? std::nullopt : std::optional<qint64>(sum.toLongLong()));
        }
    }
    QStringList placeholders(2 + quantities.size() + amounts.size(), QStringLiteral("?"));
    const QString insert = QStringLiteral("INSERT INTO %1 (ID, 摘要说明, %2) VALUES (%3)")
                               .arg(table, (quantities + amounts).join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", ")));
    for (const PeriodLine& line : monthAndYearLines(periods, kMonthTotalSuffix, kYearToDateSuffix)) {
        QVariantList values{QString::fromUtf8(line.id), line.label};
        for (const std::optional<double>& quantity : line.sums.quantities)
            values << (quantity ? QVariant(*quantity) : QVariant());
        for (const std::optional<qint64>& amount : line.sums.amounts)
            values << (amount ? QVariant(amountOfThousandths(*amount)) : QVariant());
        execute(insert, values);
    }
}

QString multiColumnSide(const QString& code, const QString& direction)
{
    if (isDebitSide(direction))
        return QStringLiteral("debit");
    return code.left(4) == QStringLiteral("2221") ? QStringLiteral("both") : QStringLiteral("credit");
}

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

void buildQuantityLedger(int year, const QString& code, const QString& direction)
{
    const ViewWork view;
    const int sign = isDebitSide(direction) ? 1 : -1;
    const QString net = lineNetThousandths();
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 数量式"));
    // One reading of the entries writes the opening line and the lines after it in ledger order,
    // each with its balance in the account's direction: the amount the exact running sum rounded
    // to the cent, "平" and no amount where it comes to nothing at the cent; the quantity summed
    // line by line from the opening, where a quantity counts on the side its amount stands.
    execute(QStringLiteral(
                "WITH lines AS MATERIALIZED (SELECT ID, 日期, 字号, 号码, 摘要说明, 数量, iif(贷方金额 IS NULL, 数量, NULL) AS 借数, "
                "借方金额, iif(借方金额 IS NULL, 数量, NULL) AS 贷数, 贷方金额, %2 AS net FROM %1 "
                "WHERE 代码=:code AND substr(ID,1,3)>=%3), "
                "ledger AS (SELECT %4 AS ID, NULL AS 日期, NULL AS 字号, NULL AS 号码, '年初余额' AS 摘要说明, NULL AS 借数, "
                "NULL AS 借方金额, NULL AS 贷数, NULL AS 贷方金额, :sign * ifnull(sum(net), 0) AS 厘, "
                ":sign * ifnull(sum(iif(借方金额 IS NULL, -数量, 数量)), 0) AS 数 FROM lines WHERE substr(ID,1,3)=%3 "
                "UNION ALL SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, :sign * net, "
                ":sign * (ifnull(借数,0) - ifnull(贷数,0)) FROM lines WHERE substr(ID,1,3)>%3) "
                "INSERT INTO 数量式 (ID, 日期, 字号, 号码, 摘要说明, 借数, 借金, 贷数, 贷金, 方向, 余数, 余额) "
                "SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, iif(分=0, '平', :direction), 数, "
                "iif(分=0, NULL, 分 / 100.0) FROM (SELECT *, (厘 + iif(厘<0, -5, 5)) / 10 AS 分 FROM ("
                "SELECT ID, 日期, 字号, 号码, 摘要说明, 借数, 借方金额, 贷数, 贷方金额, sum(厘) OVER running AS 厘, "
                "sum(数) OVER running AS 数 FROM ledger "
                "WINDOW running AS (ORDER BY ID COLLATE NOCASE, 号码 ROWS UNBOUNDED PRECEDING)))")
                .arg(entryTableName(year), net, sqlKey(kOpeningPeriodKey), sqlKey(kOpeningLineId)),
            QVariantMap{{QStringLiteral(":code"), code}, {QStringLiteral(":sign"), sign}, {QStringLiteral(":direction"), direction}});

    // The unit prices, and the quantity summed again here so that it stays the sum taken line by
    // line whatever way the database adds.
    const RecordSet lines = openRecordset(
        QStringLiteral("SELECT rowid, 借数, 贷数, 借金, 贷金, 余数, 余额 FROM 数量式 ORDER BY ID, 号码, rowid"));
    std::vector<QVariantList> prices;
    prices.reserve(std::size_t(lines.count()));
    double quantity = 0;
    double shown = 0;
    bool opening = true;
    for (const auto line : lines) {
        const double debitQuantity = line[1].toDouble();
        const double creditQuantity = line[2].toDouble();
        if (opening) {
            quantity = line[5].toDouble();
            opening = false;
        } else {
            quantity = sign > 0 ? quantity + (debitQuantity - creditQuantity) : quantity - (debitQuantity - creditQuantity);
            if (line[5].toDouble() != quantity)
                execute(QStringLiteral("UPDATE 数量式 SET 余数=? WHERE rowid=?"), {quantity, line[0]});
        }
        shown = line[6].toDouble();
        // A balance that comes to nothing at the cent is priced at 0.000 while it holds a quantity.
        prices.push_back({line[0], unitPrice(line[3], debitQuantity), unitPrice(line[4], creditQuantity),
                          unitPrice(shown, quantity)});
    }
    updateRows(QStringLiteral("数量式"), {QStringLiteral("借单"), QStringLiteral("贷单"), QStringLiteral("余单")}, prices);
    execute(QStringLiteral("UPDATE 数量式 SET 余数=NULL WHERE abs(余数)<0.01"));
    insertMonthAndYearLines(QStringLiteral("数量式"),
                            QStringLiteral("SELECT * FROM 数量式 WHERE substr(ID,1,3)>%1").arg(sqlKey(kOpeningPeriodKey)),
                            {QStringLiteral("借数"), QStringLiteral("贷数")}, {QStringLiteral("借金"), QStringLiteral("贷金")});
    execute(QStringLiteral("INSERT INTO 数量式 (ID, 摘要说明, 余数, 余额) VALUES (%1, '结转下年', ?, ?)").arg(sqlKey(kCarryForwardId)),
            {quantity, shown});
    transaction.commit();
}

RecordSet quantityLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 数量式 ORDER BY 1, 4"));
}

QString depreciationTwin(const QString& code)
{
    switch (code.size()) {
    case 4: return code.left(3) + QLatin1Char('2');
    case 7: return code.left(3) + QString::number(code.right(4).toInt() + 1000);
    case 10: return code.left(3) + QString::number(code.right(7).toInt() + 1000000);
    default: return QString();
    }
}

std::optional<Message> buildFixedAssetLedger(int year, const QString& code, const QString& direction)
{
    const ViewWork view;
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM 固累式"));
    if (code.left(4) != QStringLiteral("1601") && code.left(4) != QStringLiteral("1701")) {
        transaction.commit();
        return Message{QStringLiteral("只有固定资产(1601)或无形资产(1701)科目才能生成固累式帐页"), QStringLiteral("QM505"),
                       MessageIcon::Stop};
    }
    const QString table = entryTableName(year);
    const QString twin = depreciationTwin(code);
    const RecordSet opening = openRecordset(
        QStringLiteral("SELECT sum(数量), sum(%1), sum(%2) FROM %3 WHERE 代码 IN (?, ?) AND substr(ID,1,3)=%4")
            .arg(thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")), table, sqlKey(kOpeningPeriodKey)),
        {code, twin});
    double quantity = opening.value(0, 0).toDouble();
    const double cost = amountOfThousandths(opening.value(0, 1).toLongLong());
    const double depreciation = amountOfThousandths(opening.value(0, 2).toLongLong());
    // The net value in exact thousandths; shown rounded to the cent.
    qint64 value = opening.value(0, 1).toLongLong() - opening.value(0, 2).toLongLong();
    execute(QStringLiteral("INSERT INTO 固累式 (ID, 摘要说明, 借数, 借方金额, 折旧额, 方向, 余数, 余额) "
                           "VALUES (%1, '年初余额', :quantity, :cost, :depreciation, :direction, :quantity, :value)")
                .arg(sqlKey(kFixedAssetOpeningLineId)),
            QVariantMap{{QStringLiteral(":quantity"), quantity},
                        {QStringLiteral(":cost"), cost},
                        {QStringLiteral(":depreciation"), depreciation},
                        {QStringLiteral(":direction"), direction},
                        {QStringLiteral(":value"), amountOfThousandths(value)}});
    execute(QStringLiteral("INSERT INTO 固累式 (代码, ID, 日期, 字号, 号码, 摘要说明, 借数, 贷数, 借方金额, 贷方金额, 方向) "
                           "SELECT 代码, ID, 日期, 字号, 号码, 摘要说明, iif(贷方金额 IS NULL, 数量, NULL), "
                           "iif(借方金额 IS NULL, 数量, NULL), 借方金额, 贷方金额, ? FROM %1 "
                           "WHERE 代码 IN (?, ?) AND substr(ID,1,3)>%2").arg(table, sqlKey(kOpeningPeriodKey)),
            {direction, code, twin});
    // Cost and depreciation alike move the net value up on the debit and down on the credit.
    const RecordSet entries = openRecordset(
        QStringLiteral("SELECT rowid, 借数, 贷数, %1 FROM 固累式 WHERE substr(ID,1,3)>%2 ORDER BY ID, 号码")
            .arg(lineNetThousandths(), sqlKey(kOpeningPeriodKey)));
    for (const auto entry : entries) {
        value += entry[3].toLongLong();
        quantity += entry[1].toDouble() - entry[2].toDouble();
        const bool level = centsOfThousandths(value) == 0;
        execute(QStringLiteral("UPDATE 固累式 SET 余额=?, 余数=?, 方向=iif(?, '平', 方向) WHERE rowid=?"),
                {level ? QVariant() : QVariant(amountOfThousandths(value)), std::abs(quantity) < 0.01 ? QVariant() : QVariant(quantity), level,
                 entry[0]});
    }
    execute(QStringLiteral("UPDATE 固累式 SET 折旧额=%1, 贷方金额=NULL, 借方金额=NULL WHERE substr(代码,4,1)='2'")
                .arg(centsOfThousandths(netThousandthsOf(QStringLiteral("贷方金额"), QStringLiteral("借方金额")))));
    if (!entries.isEmpty()) {
        insertMonthAndYearLines(QStringLiteral("固累式"),
                                QStringLiteral("SELECT * FROM 固累式 WHERE substr(ID,1,3)>%1 AND 代码 IS NOT NULL")
                                    .arg(sqlKey(kOpeningPeriodKey)),
                                {QStringLiteral("借数"), QStringLiteral("贷数")},
                                {QStringLiteral("借方金额"), QStringLiteral("贷方金额"), QStringLiteral("折旧额")});
        execute(QStringLiteral("INSERT INTO 固累式 (ID, 摘要说明, 余数, 余额) VALUES (%1, '结转下年', ?, ?)").arg(sqlKey(kCarryForwardId)),
                {quantity, amountOfThousandths(value)});
    }
    transaction.commit();
    return std::nullopt;
}

RecordSet fixedAssetLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 固累式 ORDER BY 2, 5"));
}

std::optional<Message> buildMultiColumnRows(const QString& code, bool codeOrder)
{
    const ViewWork view;
    // The last result goes here too rather than in the pivot's change: pages that are free when
    // a change begins are filled again without being copied to its journal first.
    Transaction transaction;
    clearWorkTable(QStringLiteral("DELETE FROM 多栏式1"));
    clearWorkTable(QStringLiteral("DROP TABLE IF EXISTS 多栏式"));
    const QVariantMap parent{{QStringLiteral(":parent"), code}};
    const int count = scalar(QStringLiteral("SELECT count(*) FROM 科目表 "
                                            "WHERE substr(科目代码,1,length(:parent))=:parent AND length(科目代码)=length(:parent)+3"),
                             parent)
                          .toInt();
    if (count == 0 || count > 245) {
        transaction.commit();
        return Message{QStringLiteral("没有明细或者明细超过250个,不能生成多栏式"), QStringLiteral("QM505提示"),
                       MessageIcon::Information};
    }
    execute(QStringLiteral("INSERT INTO 多栏式1 (ID, 代码, 方向, 余额, 科目名称) SELECT '1111', 科目代码, '平', 0, %1 FROM 科目表 "
                           "WHERE substr(科目代码,1,length(:parent))=:parent AND length(科目代码)=length(:parent)+3")
                .arg(codeOrder ? QStringLiteral("substr(科目代码, -3) || 科目名称") : QStringLiteral("科目名称")),
            parent);
    transaction.commit();
    return std::nullopt;
}

namespace {

// One column per direct sub-account, headed by its name; a name that another sub-account
// shares, or that a fixed column bears, carries the code: "余额(2221001)".
QStringList multiColumnHeadings(const RecordSet& columns)
{
    const QStringList fixed{QStringLiteral("ID"), QStringLiteral("日期"), QStringLiteral("字号"), QStringLiteral("号码"),
                            QStringLiteral("摘要说明"), QStringLiteral("借方合计"), QStringLiteral("贷方合计"),
                            QStringLiteral("方向"), QStringLiteral("余额")};
    QHash<QString, int> uses;
    for (const auto column : columns)
        ++uses[column[1].toString().toCaseFolded()];
    QSet<QString> taken;
    for (const QString& name : fixed)
        taken.insert(name.toCaseFolded());
    QStringList headings;
    for (const auto column : columns) {
        const QString code = column[0].toString();
        const QString name = column[1].toString();
        QString heading = name.isEmpty() ? code : name;
        if (uses.value(name.toCaseFolded()) > 1 || taken.contains(heading.toCaseFolded()))
            heading = name + QLatin1Char('(') + code + QLatin1Char(')');
        while (taken.contains(heading.toCaseFolded()))
            heading += QLatin1Char('(') + code + QLatin1Char(')');
        taken.insert(heading.toCaseFolded());
        headings << heading;
    }
    return headings;
}

// A month total, year-to-date or balance line of one sub-account; its sides already rounded to
// the cent, kept as thousandths so the pivot adds them to the entries' amounts as integers.
struct TotalLine {
    QByteArray id;
    int column;
    QByteArray summary;
    std::optional<qint64> debit;
    std::optional<qint64> credit;
};

struct Thousandths {
    qint64 debit = 0;
    bool hasDebit = false;
    qint64 credit = 0;
    bool hasCredit = false;
};

std::optional<qint64> roundedThousandths(qint64 thousandths, bool present)
{
    if (!present)
        return std::nullopt;
    return centsOfThousandths(thousandths) * 10;
}

// Per month key and sub-account the month's totals (the opening rows' under key 800); for each
// month with entries the totals of the year so far and the balance, the opening rows included:
// for a debit parent the net on the debit, for a two-sided one both sides, else the net on the
// credit.
std::vector<TotalLine> multiColumnTotals(const std::map<std::pair<QByteArray, int>, Thousandths>& groups, int columns,
                                         const QString& side)
{
    std::vector<TotalLine> totals;
    std::set<QByteArray> months;
    for (const auto& [group, sums] : groups) {
        totals.push_back({group.first + kMultiColumnMonthSuffix, group.second, multiColumnMonthTotalLabel().toUtf8(), roundedThousandths(sums.debit, sums.hasDebit),
                          roundedThousandths(sums.credit, sums.hasCredit)});
        if (group.first > QByteArray(kOpeningPeriodKey))
            months.insert(group.first);
    }
    const std::size_t columnCount = std::size_t(columns);
    const QByteArray label = QStringLiteral("余额").toUtf8();
    for (const QByteArray& key : months) {
        std::vector<Thousandths> yearToDate(columnCount);
        std::vector<Thousandths> balance(columnCount);
        std::vector<bool> inYear(columnCount);
        std::vector<bool> inBalance(columnCount);
        for (const auto& [group, sums] : groups) {
            if (group.first > key)
                break;
            const std::size_t column = std::size_t(group.second);
            inBalance[column] = true;
            balance[column].debit += sums.debit;
            balance[column].credit += sums.credit;
            if (group.first == QByteArray(kOpeningPeriodKey))
                continue;
            inYear[column] = true;
            yearToDate[column].debit += sums.debit;
            yearToDate[column].credit += sums.credit;
            yearToDate[column].hasDebit = yearToDate[column].hasDebit || sums.hasDebit;
            yearToDate[column].hasCredit = yearToDate[column].hasCredit || sums.hasCredit;
        }
        for (std::size_t column = 0; column < columnCount; ++column) {
            const Thousandths& upToKey = yearToDate[column];
            if (inYear[column])
                totals.push_back({key + kMultiColumnYearToDateSuffix, int(column), multiColumnYearToDateLabel().toUtf8(), roundedThousandths(upToKey.debit, upToKey.hasDebit),
                                  roundedThousandths(upToKey.credit, upToKey.hasCredit)});
            if (!inBalance[column])
                continue;
            const Thousandths& sums = balance[column];
            if (side == QStringLiteral("debit"))
                totals.push_back({key + kMultiColumnBalanceSuffix, int(column), label, roundedThousandths(sums.debit - sums.credit, true), std::nullopt});
            else if (side == QStringLiteral("both"))
                totals.push_back({key + kMultiColumnBalanceSuffix, int(column), label, roundedThousandths(sums.debit, true), roundedThousandths(sums.credit, true)});
            else
                totals.push_back({key + kMultiColumnBalanceSuffix, int(column), label, std::nullopt, roundedThousandths(sums.credit - sums.debit, true)});
        }
    }
    return totals;
}

// The rows in ID order, then 摘要说明: as they stand unless an ID holds a capital letter, which
// sorts apart from its small one.
RecordSet inIdOrder(RecordSet rows)
{
    const auto before = [&rows](int a, int b) {
        const int byId = compareCells(rows.cell(a, 0), rows.cell(b, 0), false);
        return byId != 0 ? byId < 0 : compareCells(rows.cell(a, 4), rows.cell(b, 4), false) < 0;
    };
    std::vector<int> order(std::size_t(rows.count()));
    for (int row = 0; row < rows.count(); ++row)
        order[std::size_t(row)] = row;
    if (std::is_sorted(order.begin(), order.end(), before))
        return rows;
    std::stable_sort(order.begin(), order.end(), before);
    RecordSet ordered(rows.fieldNames());
    for (const int row : order) {
        for (int field = 0; field < rows.fieldCount(); ++field)
            ordered.appendCell(rows, row, field);
        ordered.endRow();
    }
    return ordered;
}

// The source rows in 多栏式1 after the seeds: each entry under its direct sub-account with the
// parent's running balance, exact, "平" below a cent; then the month, year-to-date and balance
// lines. Names come from the seeds, which carry the code prefix when it was asked for.
void writeMultiColumnSource(const RecordSet& entries, const std::vector<int>& lines, const std::vector<int>& columnOfLine,
                            const std::vector<qint64>& runningThousandths, const std::vector<TotalLine>& totals,
                            const RecordSet& subAccounts, const QByteArray& direction)
{
    enum { Id, Code, Date, Word, Number, Summary, Debit, Credit };
    const QByteArray level = QStringLiteral("平").toUtf8();
    RowWriter rows(QStringLiteral("多栏式1 (ID, 代码, 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, 方向, 余额, 科目名称)"), 11,
                   int(lines.size() + totals.size()));
    for (const int row : lines) {
        for (int field = Id; field <= Credit; ++field)
            rows.appendCell(entries, row, field);
        const qint64 running = runningThousandths[std::size_t(row)];
        rows.appendText(std::abs(running) < 10 ? level : direction);
        rows.appendReal(double(running) / 1000.0);
        rows.appendCell(subAccounts, columnOfLine[std::size_t(row)], 1);
        rows.endRow();
    }
    const auto appendAmount = [&rows](std::optional<qint64> thousandths) {
        if (thousandths)
            rows.appendReal(amountOfThousandths(*thousandths));
        else
            rows.appendNull();
    };
    for (const TotalLine& total : totals) {
        rows.appendText(total.id);
        rows.appendCell(subAccounts, total.column, 0);
        rows.appendNull();
        rows.appendNull();
        rows.appendNull();
        rows.appendText(total.summary);
        appendAmount(total.debit);
        appendAmount(total.credit);
        rows.appendNull();
        rows.appendNull();
        rows.appendCell(subAccounts, total.column, 1);
        rows.endRow();
    }
    rows.finish();
}

}  // namespace

RecordSet buildMultiColumnPivot(int year, const QString& code, const QString& direction)
{
    const ViewWork view;
    const QString side = multiColumnSide(code, direction);
    const bool debitParent = isDebitSide(direction);
    const bool both = side == QStringLiteral("both");
    Transaction transaction;
    clearWorkTable(QStringLiteral("DROP TABLE IF EXISTS 多栏式"));
    const RecordSet subAccounts = openRecordset(QStringLiteral(
        "SELECT s.代码, s.科目名称, k.方向 FROM 多栏式1 AS s LEFT JOIN 科目表 AS k ON k.科目代码=s.代码 "
        "WHERE s.ID='1111' ORDER BY s.科目名称, s.代码"));
    const QStringList headings = multiColumnHeadings(subAccounts);
    QStringList columns;
    QStringList fields{QStringLiteral("ID"), QStringLiteral("日期"), QStringLiteral("字号"), QStringLiteral("号码"),
                       QStringLiteral("摘要说明"), QStringLiteral("借方合计"), QStringLiteral("贷方合计"), QStringLiteral("方向"),
                       QStringLiteral("余额")};
    QHash<QByteArray, int> columnOfCode;
    // The opening row, and in the two-sided ledger every total and balance row, show each
    // column's own net: the opening in the parent's direction, the two-sided totals in the
    // direction of the column's sub-account.
    std::vector<int> netSigns;
    for (int index = 0; index < subAccounts.count(); ++index) {
        columns << quotedName(headings[index]) + QStringLiteral(" REAL");
        fields << QString(headings[index]).remove(QLatin1Char('"'));
        columnOfCode.insert(subAccounts.value(index, 0).toString().toUtf8().toLower(), index);
        netSigns.push_back(both ? (isDebitSide(subAccounts.value(index, 2).toString()) ? 1 : -1) : debitParent ? 1 : -1);
    }
    execute(QStringLiteral("CREATE TABLE 多栏式 (ID TEXT, 日期 TEXT, 字号 TEXT, 号码 INTEGER, 摘要说明 TEXT, 借方合计 REAL, "
                           "贷方合计 REAL, 方向 TEXT, 余额 REAL%1)")
                .arg(columns.isEmpty() ? QString() : QStringLiteral(", ") + columns.join(QStringLiteral(", "))));

    // One reading of the entries of the sub-accounts: postings on leaves deeper than a direct
    // sub-account go to its column. Reading the whole table costs less than following the code
    // index to every line.
    enum { Id, Code, Date, Word, Number, Summary, Debit, Credit, DebitThousandths, CreditThousandths };
    const RecordSet entries = subAccounts.isEmpty() ? RecordSet() : openRecordset(
        QStringLiteral("SELECT ID, substr(代码,1,length(:code)+3), 日期, 字号, 号码, 摘要说明, 借方金额, 贷方金额, %2, %3 FROM %1 "
                       "WHERE %4 AND length(代码)>length(:code)")
            .arg(entryTableName(year), thousandthsOf(QStringLiteral("借方金额")), thousandthsOf(QStringLiteral("贷方金额")),
                 codePrefixCondition(QStringLiteral("代码"), QStringLiteral(":code"))),
        codePrefixValues(code, QStringLiteral(":code")));
    std::vector<int> lines;
    std::vector<int> columnOfLine(std::size_t(entries.count()), -1);
    lines.reserve(std::size_t(entries.count()));
    for (int row = 0; row < entries.count(); ++row) {
        const RecordSet::Cell cell = entries.cell(row, Code);
        if (cell.kind != RecordSet::Cell::Text)
            continue;
        const auto found = columnOfCode.constFind(QByteArray(cell.utf8, cell.bytes).toLower());
        if (found == columnOfCode.constEnd())
            continue;
        columnOfLine[std::size_t(row)] = *found;
        lines.push_back(row);
    }
    // Ledger order: by ID, then summary.
    sortInLedgerOrder(lines, entries, Id, Summary, true);

    // The running balance of the parent from nothing: the exact running sum rounded to the cent,
    // "平" where the exact sum is below a cent. Per month key and sub-account the sums of the lines (the
    // opening rows' under key 800).
    const int sign = debitParent ? 1 : -1;
    const QByteArray directionText = direction.toUtf8();
    const QByteArray level = QStringLiteral("平").toUtf8();
    // The opening lines stay out; their totals, under the opening key and nines, are shown.
    const QByteArray firstKept = QByteArray(kOpeningPeriodKey) + '9';
    std::vector<qint64> runningThousandths(std::size_t(entries.count()));
    std::vector<bool> levelLines(std::size_t(entries.count()));
    std::map<std::pair<QByteArray, int>, Thousandths> groups;
    std::vector<int> shownLines;
    qint64 running = 0;
    for (const int row : lines) {
        const RecordSet::Cell debit = entries.cell(row, DebitThousandths);
        const RecordSet::Cell credit = entries.cell(row, CreditThousandths);
        const qint64 debitThousandths = debit.kind == RecordSet::Cell::Integer ? debit.integer : 0;
        const qint64 creditThousandths = credit.kind == RecordSet::Cell::Integer ? credit.integer : 0;
        running += sign * (debitThousandths - creditThousandths);
        runningThousandths[std::size_t(row)] = running;
        levelLines[std::size_t(row)] = std::abs(running) < 10;
        const RecordSet::Cell id = entries.cell(row, Id);
        if (id.kind != RecordSet::Cell::Text)
            continue;
        const QByteArray month = firstCharacters(id, 3);
        Thousandths& sums = groups[{month, columnOfLine[std::size_t(row)]}];
        if (debit.kind == RecordSet::Cell::Integer) {
            sums.debit += debit.integer;
            sums.hasDebit = true;
        }
        if (credit.kind == RecordSet::Cell::Integer) {
            sums.credit += credit.integer;
            sums.hasCredit = true;
        }
        if (compareText(id.utf8, id.bytes, firstKept.constData(), int(firstKept.size()), true) >= 0)
            shownLines.push_back(row);
    }

    const std::vector<TotalLine> totals = multiColumnTotals(groups, subAccounts.count(), side);
    writeMultiColumnSource(entries, lines, columnOfLine, runningThousandths, totals, subAccounts, directionText);

    // One row per ID from the opening total on: the lines of an ID, entries in ledger order,
    // then its totals, one per sub-account, summed, each rounded to the cent.
    struct Piece {
        int line;   // an entry row, or -1 - the index of a total
        RecordSet::Cell id;
    };
    // The entries are in ID order already: the totals, sorted, are merged in after them.
    std::vector<Piece> entryPieces;
    entryPieces.reserve(shownLines.size());
    for (const int row : shownLines)
        entryPieces.push_back({row, entries.cell(row, Id)});
    std::vector<Piece> totalPieces;
    for (int index = 0; index < int(totals.size()); ++index) {
        const RecordSet::Cell id = textCell(totals[std::size_t(index)].id);
        if (compareCells(id, textCell(firstKept), true) >= 0)
            totalPieces.push_back({-1 - index, id});
    }
    const auto byId = [](const Piece& a, const Piece& b) { return compareCells(a.id, b.id, true) < 0; };
    std::stable_sort(totalPieces.begin(), totalPieces.end(), byId);
    std::vector<Piece> pieces(entryPieces.size() + totalPieces.size());
    std::merge(entryPieces.begin(), entryPieces.end(), totalPieces.begin(), totalPieces.end(), pieces.begin(), byId);

    const QByteArray openingTotal = QByteArray(kOpeningPeriodKey) + kMultiColumnMonthSuffix;
    const QByteArray yearEndMark(kTotalLineMark);
    const QByteArray openingSummary = QStringLiteral("年初余额").toUtf8();
    RecordSet result(fields);
    std::vector<std::optional<qint64>> cells(std::size_t(subAccounts.count()));
    std::size_t at = 0;
    while (at < pieces.size()) {
        std::size_t end = at + 1;
        while (end < pieces.size() && compareCells(pieces[end].id, pieces[at].id, true) == 0)
            ++end;
        // Sums in thousandths, each shown figure rounded to the cent once.
        std::optional<qint64> debitSum;
        std::optional<qint64> creditSum;
        std::fill(cells.begin(), cells.end(), std::nullopt);
        // The largest of each text and number column, the first of equals, as the database's max().
        RecordSet::Cell best[4];
        int bestRow[4] = {-1, -1, -1, -1};
        RecordSet::Cell bestDirection;
        std::optional<qint64> bestBalance;
        QByteArray totalSummary;
        const auto add = [](std::optional<qint64>& sum, std::optional<qint64> value) {
            if (value)
                sum = sum ? *sum + *value : *value;
        };
        const auto keepLargest = [](RecordSet::Cell& kept, const RecordSet::Cell& candidate, bool noCase) {
            if (candidate.kind == RecordSet::Cell::Null)
                return false;
            if (kept.kind != RecordSet::Cell::Null && compareCells(candidate, kept, noCase) <= 0)
                return false;
            kept = candidate;
            return true;
        };
        const RecordSet::Cell id = pieces[at].id;
        const bool netRow = compareText(id.utf8, id.bytes, openingTotal.constData(), int(openingTotal.size()), true) == 0
                            || (both && QString::fromUtf8(id.utf8, id.bytes).mid(3, 6).toUtf8() == yearEndMark);
        for (std::size_t piece = at; piece < end; ++piece) {
            std::optional<qint64> debit;
            std::optional<qint64> credit;
            int column = 0;
            if (pieces[piece].line >= 0) {
                const int row = pieces[piece].line;
                column = columnOfLine[std::size_t(row)];
                const RecordSet::Cell debitCell = entries.cell(row, DebitThousandths);
                const RecordSet::Cell creditCell = entries.cell(row, CreditThousandths);
                if (debitCell.kind == RecordSet::Cell::Integer)
                    debit = debitCell.integer;
                if (creditCell.kind == RecordSet::Cell::Integer)
                    credit = creditCell.integer;
                const int fieldsKept[4] = {Date, Word, Number, Summary};
                const bool noCase[4] = {false, true, false, true};
                for (int kept = 0; kept < 4; ++kept) {
                    if (keepLargest(best[kept], entries.cell(row, fieldsKept[kept]), noCase[kept]))
                        bestRow[kept] = row;
                }
                keepLargest(bestDirection, textCell(levelLines[std::size_t(row)] ? level : directionText), true);
                // Rounding keeps the order, so the largest exact balance rounds to the largest shown.
                const qint64 balance = runningThousandths[std::size_t(row)];
                if (!bestBalance || balance > *bestBalance)
                    bestBalance = balance;
            } else {
                const TotalLine& total = totals[std::size_t(-1 - pieces[piece].line)];
                column = total.column;
                debit = total.debit;
                credit = total.credit;
                if (keepLargest(best[3], textCell(total.summary), true)) {
                    bestRow[3] = -1;
                    totalSummary = total.summary;
                }
            }
            add(debitSum, debit);
            add(creditSum, credit);
            std::optional<qint64> cell;
            if (netRow)
                cell = netSigns[std::size_t(column)] * ((debit ? *debit : 0) - (credit ? *credit : 0));
            else if (side == QStringLiteral("debit"))
                cell = debit;
            else if (side == QStringLiteral("credit"))
                cell = credit;
            else
                cell = debit ? debit : credit;
            add(cells[std::size_t(column)], cell);
        }
        const auto appendAmount = [&](std::optional<qint64> thousandths) {
            if (thousandths)
                result.appendReal(amountOfThousandths(*thousandths));
            else
                result.appendNull();
        };
        const bool opening = id.bytes >= firstKept.size() && std::memcmp(id.utf8, firstKept.constData(), std::size_t(firstKept.size())) == 0;
        result.appendText(id.utf8, id.bytes);
        for (int kept = 0; kept < 3; ++kept) {
            if (bestRow[kept] >= 0)
                result.appendCell(entries, bestRow[kept], kept == 0 ? Date : kept == 1 ? Word : Number);
            else
                result.appendNull();
        }
        if (opening)
            result.appendText(openingSummary.constData(), int(openingSummary.size()));
        else if (bestRow[3] >= 0)
            result.appendCell(entries, bestRow[3], Summary);
        else if (!totalSummary.isNull())
            result.appendText(totalSummary.constData(), int(totalSummary.size()));
        else
            result.appendNull();
        appendAmount(debitSum);
        appendAmount(creditSum);
        if (opening) {
            // The opening row's balance is the net of both sides, as the running balance starts from.
            result.appendText(directionText.constData(), int(directionText.size()));
            const qint64 debit = debitSum ? centsOfThousandths(*debitSum) : 0;
            const qint64 credit = creditSum ? centsOfThousandths(*creditSum) : 0;
            result.appendReal(double(debitParent ? debit - credit : credit - debit) / 100.0);
        } else {
            if (bestDirection.kind == RecordSet::Cell::Text)
                result.appendText(bestDirection.utf8, bestDirection.bytes);
            else
                result.appendNull();
            appendAmount(bestBalance);
        }
        for (const std::optional<qint64>& cell : cells)
            appendAmount(cell);
        result.endRow();
        at = end;
    }
    // The rows go in, and are shown, in ID order.
    result = inIdOrder(std::move(result));
    insertRows(QStringLiteral("多栏式"), result);
    transaction.commit();
    return result;
}

RecordSet multiColumnLedgerRows()
{
    return openRecordset(QStringLiteral("SELECT * FROM 多栏式 ORDER BY 1, 5"));
}

}  // namespace qm

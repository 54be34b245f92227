// Times the views a bookkeeper opens over a generated year of about a million voucher lines,
// through the functions and windows the program uses, and prints each one's median time, peak
// memory and a checksum of what it produced (work tables, grid cells, exported cells), so that
// a change to a builder can show that its output stayed the same. Run by hand, never as a test:
//
//   build/bench/ledger_bench [--dir FOLDER] [--lines N] [--runs R] [--only 0,5,...] [--grab FOLDER]
//
// The year is generated once into FOLDER (kept and reused); each operation runs in a process
// of its own, so that its peak memory is its own. --grab saves the window each operation
// clicked in as it left it, as a picture. The operations after the first twenty are timed from
// the click on a window's button to the result shown (statements, saving in the voucher window,
// the paged report written as the preview would show it, the ledger pages workbook), and the
// paged report at 10,000, 20,000 and 40,000 lines shows how its time grows.
#include "accounts/opening_balances.h"
#include "app/year_end.h"
#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/schema.h"
#include "data/spreadsheet_export.h"
#include "ledgers/query_centre_window.h"
#include "report/report.h"
#include "statements/statements.h"
#include "statements/statements_window.h"
#include "vouchers/month_closing.h"
#include "vouchers/voucher_book.h"
#include "vouchers/voucher_grid.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/voucher_window.h"
#include "data/record_set.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QPixmap>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unzip.h>

using namespace qm;

namespace {

const int kYear = 2016;
const int kVouchersPerMonth = 7576;
const QString kHotBank = QStringLiteral("1002001");
const QString kHotStock = QStringLiteral("1405001001");

struct Account {
    QString code;
    bool quantity;
};

// Sub-accounts at levels 2 and 3 under a few level-1 accounts; the leaves take the postings.
std::vector<Account> makeChart()
{
    struct Branch {
        const char* parent;
        int children;
        int grandchildren;  // per child, 0: the children are the leaves
        const char* unit;
    };
    const Branch branches[] = {{"1001", 1, 0, ""},   {"1002", 5, 0, ""},   {"1122", 60, 0, ""},  {"1221", 10, 0, ""},
                               {"1403", 10, 5, "千克"}, {"1405", 20, 3, "件"}, {"1601", 5, 0, ""},   {"2202", 80, 0, ""},
                               {"2221", 5, 2, ""},   {"2241", 10, 0, ""},  {"6001", 20, 0, ""},  {"6401", 20, 0, ""},
                               {"6601", 10, 0, ""},  {"6602", 20, 2, ""},  {"4001", 1, 0, ""}};
    std::vector<Account> leaves;
    const QString insert = QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细, 单位, 调汇) "
                                          "SELECT ?, ?, ?, p.科目全称 || '/' || ?, p.方向, ?, ?, '' FROM 科目表 AS p "
                                          "WHERE p.科目代码=?");
    for (const Branch& branch : branches) {
        const QString parent = QString::fromLatin1(branch.parent);
        const QString unit = QString::fromUtf8(branch.unit);
        execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码=?"), {parent});
        for (int child = 1; child <= branch.children; ++child) {
            const QString code = parent + QStringLiteral("%1").arg(child, 3, 10, QLatin1Char('0'));
            const QString name = QStringLiteral("明细%1").arg(child);
            const bool leaf = branch.grandchildren == 0;
            execute(insert, {code, name, 2, name, leaf ? QStringLiteral("Y") : QString(), unit, parent});
            if (leaf)
                leaves.push_back({code, !unit.isEmpty()});
            for (int grandchild = 1; grandchild <= branch.grandchildren; ++grandchild) {
                const QString deeper = code + QStringLiteral("%1").arg(grandchild, 3, 10, QLatin1Char('0'));
                const QString deeperName = QStringLiteral("子目%1").arg(grandchild);
                execute(insert, {deeper, deeperName, 3, deeperName, QStringLiteral("Y"), unit, code});
                leaves.push_back({deeper, !unit.isEmpty()});
            }
        }
    }
    return leaves;
}

struct LineRow {
    QString code;
    qint64 debitCents = 0;
    qint64 creditCents = 0;
    double quantity = 0;
};

QVariant centsValue(qint64 cents)
{
    return cents == 0 ? QVariant() : QVariant(double(cents) / 100.0);
}

void generate(const QString& folder, int lines)
{
    setProgramFolder(folder);
    ensureDatabase();
    openConnection();
    QRandomGenerator random(20161231);
    Transaction transaction;
    const std::vector<Account> leaves = makeChart();
    const auto pick = [&]() -> const Account& {
        const int roll = int(random.bounded(1000));
        static const Account bank{kHotBank, false};
        static const Account stock{kHotStock, true};
        if (roll < 40)
            return bank;
        if (roll < 56)
            return stock;
        return leaves[random.bounded(int(leaves.size()))];
    };
    QSqlQuery insert(QSqlDatabase::database(QStringLiteral("qm505")));
    insert.prepare(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 数量, "
                                  "借方金额, 贷方金额, 流代, 流金) VALUES (?, ?, ?, '记', ?, '制单', '审核', 1, ?, ?, ?, ?, ?, ?, ?)"));
    const auto write = [&](const QList<QVariant>& values) {
        for (int i = 0; i < values.size(); ++i)
            insert.bindValue(i, values[i]);
        if (!insert.exec())
            qFatal("insert failed");
    };

    // Opening balances that balance: assets on the debit, 4001001 takes the difference.
    qint64 openingDebit = 0;
    int openingNumber = 0;
    for (const Account& account : leaves) {
        if (account.code.at(0) != QLatin1Char('1') || random.bounded(3) == 0)
            continue;
        const qint64 cents = 100000 + random.bounded(50000000);
        openingDebit += cents;
        QSqlQuery opening(QSqlDatabase::database(QStringLiteral("qm505")));
        opening.prepare(QStringLiteral("INSERT INTO 分2016 (ID, 摘要说明, 代码, 数量, 借方金额) VALUES (?, '年初余额', ?, ?, ?)"));
        opening.addBindValue(openingRowId(++openingNumber));
        opening.addBindValue(account.code);
        opening.addBindValue(account.quantity ? QVariant(double(1000 + random.bounded(9000))) : QVariant());
        opening.addBindValue(centsValue(cents));
        opening.exec();
    }
    QSqlQuery capital(QSqlDatabase::database(QStringLiteral("qm505")));
    capital.prepare(QStringLiteral("INSERT INTO 分2016 (ID, 摘要说明, 代码, 贷方金额) VALUES (?, '年初余额', '4001001', ?)"));
    capital.addBindValue(openingRowId(++openingNumber));
    capital.addBindValue(centsValue(openingDebit));
    capital.exec();

    // Lines a voucher spread evenly from 2 up to twice the average less 2 (at most 20).
    const int spread = std::clamp(2 * int(std::lround(double(lines) / (12 * kVouchersPerMonth))) - 3, 1, 19);
    const QStringList summaries = {QStringLiteral("销售商品"), QStringLiteral("采购材料"), QStringLiteral("支付货款"),
                                   QStringLiteral("收到货款"), QStringLiteral("报销费用"), QStringLiteral("结转成本")};
    for (int month = 1; month <= 12; ++month) {
        const QDate first(kYear, month, 1);
        for (int number = 1; number <= kVouchersPerMonth; ++number) {
            const QDate date = first.addDays((number - 1) * first.daysInMonth() / kVouchersPerMonth);
            // Debits first, then credits that balance.
            const int count = 2 + int(random.bounded(spread));
            const int debits = 1 + int(random.bounded(count - 1));
            std::vector<LineRow> rows;
            qint64 total = 0;
            for (int line = 0; line < debits; ++line) {
                const Account& account = pick();
                const qint64 cents = 10000 + random.bounded(10000000);
                total += cents;
                rows.push_back({account.code, cents, 0, account.quantity ? 1 + random.bounded(500000) / 1000.0 : 0});
            }
            qint64 left = total;
            for (int line = debits; line < count; ++line) {
                const Account& account = pick();
                const qint64 cents = line + 1 == count ? left : std::min<qint64>(left - (count - line - 1), 1 + random.bounded(qint64(left)));
                left -= cents;
                rows.push_back({account.code, 0, cents, account.quantity ? 1 + random.bounded(500000) / 1000.0 : 0});
            }
            const QString summary = summaries[random.bounded(int(summaries.size()))];
            for (int line = 0; line < count; ++line) {
                const LineRow& row = rows[line];
                const bool cash = row.code.startsWith(QStringLiteral("100"));
                write({entryId(month, number, line + 1), date.toString(Qt::ISODate), month, number, summary, row.code,
                       row.quantity == 0 ? QVariant() : QVariant(row.quantity), centsValue(row.debitCents),
                       centsValue(row.creditCents), cash ? QVariant(QStringLiteral("101")) : QVariant(),
                       cash ? centsValue(row.debitCents - row.creditCents) : QVariant()});
            }
        }
    }
    transaction.commit();
    for (int month = 1; month <= 11; ++month)
        closeMonth(QDate(kYear, month, 1).addMonths(1).addDays(-1), QStringLiteral("审核"), QStringLiteral("制单"), kYear);
    execute(QStringLiteral("UPDATE 信息表 SET 年度=? WHERE 代号='QM'"), {kYear});
    closeConnection();
}

// ---- checksums of what an operation produced ----

QString fieldText(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("~");
    // Four decimals show any change of a cent or a thousandth, not the binary noise of a sum
    // of quantities taken in another order.
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'f', 4);
    return value.toString();
}

void addRows(QCryptographicHash& hash, const QString& statement)
{
    const RecordSet rows = openRecordset(statement);
    for (const auto row : rows) {
        QStringList fields;
        for (int field = 0; field < rows.fieldCount(); ++field)
            fields << fieldText(row[field]);
        hash.addData(fields.join(QLatin1Char('|')).toUtf8());
        hash.addData("\n");
    }
}

void addGrid(QCryptographicHash& hash, const QAbstractItemView* grid)
{
    const QAbstractItemModel* model = grid->model();
    for (int column = 0; column < model->columnCount(); ++column)
        hash.addData((model->headerData(column, Qt::Horizontal).toString() + QLatin1Char('|')).toUtf8());
    for (int row = 0; row < model->rowCount(); ++row) {
        QString line;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            line += index.data(Qt::DisplayRole).toString() + QLatin1Char('/')
                    + QString::number(index.data(Qt::TextAlignmentRole).toInt()) + QLatin1Char('/')
                    + index.data(Qt::BackgroundRole).value<QBrush>().color().name() + QLatin1Char('|');
        }
        hash.addData(line.toUtf8());
    }
}

QByteArray zipEntry(const QString& path, const char* entry)
{
    QByteArray content;
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (zip && unzLocateFile(zip, entry, 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[65536];
        int read = 0;
        while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            content.append(buffer, read);
        unzCloseCurrentFile(zip);
    }
    if (zip)
        unzClose(zip);
    return content;
}

// The cells of the first sheet, strings shared or inline, and the column widths.
void addWorkbook(QCryptographicHash& hash, const QString& path)
{
    QStringList strings;
    QXmlStreamReader shared(zipEntry(path, "xl/sharedStrings.xml"));
    while (!shared.atEnd())
        if (shared.readNext() == QXmlStreamReader::StartElement && shared.name() == QLatin1String("t"))
            strings << shared.readElementText();
    QXmlStreamReader xml(zipEntry(path, "xl/worksheets/sheet1.xml"));
    bool sharedString = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("col")) {
            hash.addData((xml.attributes().value(QLatin1String("min")).toString() + QLatin1Char('=')
                          + xml.attributes().value(QLatin1String("width")).toString() + QLatin1Char(';'))
                             .toUtf8());
        } else if (xml.name() == QLatin1String("c")) {
            sharedString = xml.attributes().value(QLatin1String("t")) == QLatin1String("s");
            hash.addData((QLatin1Char('\n') + xml.attributes().value(QLatin1String("r")).toString() + QLatin1Char(':')).toUtf8());
        } else if (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t")) {
            const QString value = xml.readElementText();
            hash.addData((sharedString && xml.name() == QLatin1String("v") ? strings.value(value.toInt()) : value).toUtf8());
        }
    }
}

// ---- the operations ----

struct Operation {
    QString name;
    std::function<void()> setUp;    // before each run, untimed
    std::function<void()> work;     // timed
    std::function<void(QCryptographicHash&)> output;
};

template <typename T>
T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The windows besides the query centre that an operation clicks in, made when first asked for.
struct Windows {
    StatementsWindow* statements()
    {
        if (!m_statements)
            m_statements = show(std::make_unique<StatementsWindow>());
        return static_cast<StatementsWindow*>(m_statements.get());
    }
    VoucherWindow* voucher()
    {
        if (!m_voucher)
            m_voucher = show(std::make_unique<VoucherWindow>());
        return static_cast<VoucherWindow*>(m_voucher.get());
    }
    // The last window made, for its picture.
    QWidget* last() const { return m_last; }

private:
    std::unique_ptr<QWidget> show(std::unique_ptr<QWidget> window)
    {
        window->show();
        QApplication::processEvents();
        m_last = window.get();
        return window;
    }
    std::unique_ptr<QWidget> m_statements;
    std::unique_ptr<QWidget> m_voucher;
    QWidget* m_last = nullptr;
};

// Where the report an operation previews is written, as the preview would draw it.
QString reportPdfPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("report.pdf"));
}

// Every page's text of a PDF.
void addPdf(QCryptographicHash& hash, const QString& path)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    text.waitForFinished(-1);
    if (text.exitCode() != 0)
        qFatal("pdftotext failed on %s", qPrintable(path));
    hash.addData(text.readAllStandardOutput());
}

VoucherDraft benchDraft(int month, int number)
{
    VoucherDraft draft;
    draft.date = QDate(kYear, month, 28);
    draft.word = QStringLiteral("记");
    draft.numberText = QString::number(number);
    draft.reviewer = QStringLiteral("审核");
    draft.firstSummary = QStringLiteral("测试凭证");
    for (int line = 0; line < 10; ++line) {
        VoucherLine entry;
        entry.summary = draft.firstSummary;
        entry.accountCode = line < 5 ? QStringLiteral("1122%1").arg(line + 1, 3, 10, QLatin1Char('0')) : QStringLiteral("6001001");
        if (line < 5)
            entry.debit = Money::fromCents(12345 + line);
        else
            entry.credit = Money::fromCents(12345 + (line - 5));
        draft.lines << entry;
    }
    return draft;
}

std::vector<Operation> operations(QWidget* window, Windows* windows, const QString& folder)
{
    const QString exportFolderPath = QDir(folder).filePath(QStringLiteral("export"));
    const auto click = [window](const char* name) { child<QPushButton>(window, name)->click(); };
    const auto period = [window](const QString& text) { child<QComboBox>(window, "Combo1")->setCurrentText(text); };
    const auto level = [window](const QString& text) { child<QComboBox>(window, "Combo2")->setCurrentText(text); };
    const auto grid = [window] { return child<QAbstractItemView>(window, "MSH1"); };
    const auto account = [window](const QString& code, int format) {
        child<QLineEdit>(window, "Text2")->setText(code);
        child<QRadioButton>(window, QStringLiteral("Option%1").arg(format).toLatin1().constData())->setChecked(true);
    };
    const auto table = [](const QString& statement) {
        return [statement](QCryptographicHash& hash) { addRows(hash, statement); };
    };
    const auto tableAndGrid = [grid](const QString& statement) {
        return [statement, grid](QCryptographicHash& hash) {
            addRows(hash, statement);
            addGrid(hash, grid());
        };
    };
    const QString balanceRows = QStringLiteral("SELECT * FROM 数量式余额表 ORDER BY 1");
    const QString journalTable = QStringLiteral("SELECT * FROM 分录始表 ORDER BY ID");
    const QString ledgerRows = QStringLiteral("SELECT * FROM 三总式 ORDER BY ID, 号码, 摘要说明");

    std::vector<Operation> list;
    for (int each = 1; each <= 3; ++each) {
        const QString text = QString::number(each);
        list.push_back({QStringLiteral("amount balance table, month 12, level ") + text,
                        [period, level, text] { period(QStringLiteral("12")); level(text); },
                        [click] { click("Command3"); }, tableAndGrid(balanceRows)});
    }
    list.push_back({QStringLiteral("quantity balance table, month 12, level 3"),
                    [period, level] { period(QStringLiteral("12")); level(QStringLiteral("3")); },
                    [click] { click("Command5"); }, tableAndGrid(balanceRows)});
    list.push_back({QStringLiteral("account summary, month 12"), [period] { period(QStringLiteral("12")); },
                    [click] { click("Command2"); }, tableAndGrid(QStringLiteral("SELECT * FROM 凭证汇总表 ORDER BY 1"))});
    list.push_back({QStringLiteral("journal of month 12 in the grid"), [period] { period(QStringLiteral("12")); },
                    [click] { click("Command1"); }, tableAndGrid(journalTable)});
    list.push_back({QStringLiteral("spreadsheet export of that journal"),
                    [period, click, exportFolderPath] {
                        QDir(exportFolderPath).removeRecursively();
                        period(QStringLiteral("12"));
                        click("Command1");
                    },
                    [click] { click("Command4"); },
                    [exportFolderPath](QCryptographicHash& hash) {
                        const QFileInfoList files = QDir(exportFolderPath).entryInfoList({QStringLiteral("*.xlsx")});
                        if (files.size() != 1)
                            qFatal("expected one workbook");
                        addWorkbook(hash, files.first().filePath());
                    }});
    list.push_back({QStringLiteral("filtered journal (1122)"), [window] { child<QLineEdit>(window, "Text2")->setText(QStringLiteral("1122")); },
                    [click] { click("Command14"); }, tableAndGrid(journalTable)});
    list.push_back({QStringLiteral("three-column ledger, 40,000 lines"), [account] { account(kHotBank, 1); },
                    [click] { click("Command7"); }, tableAndGrid(ledgerRows)});
    list.push_back({QStringLiteral("general ledger of 1122"), [account] { account(QStringLiteral("1122"), 2); },
                    [click] { click("Command7"); }, tableAndGrid(ledgerRows)});
    list.push_back({QStringLiteral("quantity ledger, 16,000 lines"), [account] { account(kHotStock, 3); },
                    [click] { click("Command7"); },
                    tableAndGrid(QStringLiteral("SELECT * FROM 数量式 ORDER BY ID, 号码, 摘要说明"))});
    list.push_back({QStringLiteral("multi-column ledger of 6602"), [account] { account(QStringLiteral("6602"), 4); },
                    [click] { click("Command7"); },
                    tableAndGrid(QStringLiteral("SELECT * FROM 多栏式 ORDER BY ID, 摘要说明"))});
    const struct {
        const char* name;
        Statement statement;
        const char* table;
    } statements[] = {{"balance sheet, month 12", Statement::BalanceSheet07, "资产表07"},
                      {"income statement, month 12", Statement::IncomeStatement07, "利润表07"},
                      {"cash-flow statement, month 12", Statement::CashFlow, "现流表"}};
    for (const auto& statement : statements) {
        const Statement which = statement.statement;
        list.push_back({QString::fromUtf8(statement.name), [] {},
                        [which] { evaluateStatement(which, kYear, QStringLiteral("12")); },
                        table(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QString::fromUtf8(statement.table)))});
    }
    list.push_back({QStringLiteral("year-end carry-forward"), [] {}, [] { carryForward(kYear); },
                    table(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(entryTableName(kYear + 1)))});
    const QString monthRows = QStringLiteral("SELECT * FROM 分2016 WHERE 月=12 ORDER BY ID");
    list.push_back({QStringLiteral("saving a voucher at the end of a full month"),
                    [] { execute(QStringLiteral("DELETE FROM 分2016 WHERE 月=12 AND 号码>?"), {kVouchersPerMonth}); },
                    [] { applyVoucherChange(VoucherChange::Save, benchDraft(12, kVouchersPerMonth + 1), kYear, QStringLiteral("制单")); },
                    table(monthRows)});
    list.push_back({QStringLiteral("insert before voucher 1 of a full month"), [] {},
                    [] { applyVoucherChange(VoucherChange::Insert, benchDraft(12, 1), kYear, QStringLiteral("制单")); },
                    table(monthRows)});
    // The voucher deleted is one inserted before it, untimed, so the year stays as generated.
    list.push_back({QStringLiteral("delete voucher 1 of a full month"),
                    [] {
                        applyVoucherChange(VoucherChange::Insert, benchDraft(12, 1), kYear, QStringLiteral("制单"));
                        pageFirst(kYear, 12);
                    },
                    [] { applyVoucherChange(VoucherChange::Delete, benchDraft(12, 1), kYear, QStringLiteral("制单")); },
                    table(monthRows)});
    list.push_back({QStringLiteral("fixed-asset ledger of 1601001"), [account] { account(QStringLiteral("1601001"), 5); },
                    [click] { click("Command7"); },
                    tableAndGrid(QStringLiteral("SELECT * FROM 固累式 ORDER BY ID, 号码, 摘要说明"))});

    // ---- from here on, each timed from the click on a window's button ----
    const struct {
        const char* name;
        const char* option;
        const char* table;
    } statementClicks[] = {{"balance sheet, month 12 (查询报表)", "Option3", "资产表07"},
                           {"income statement, month 12 (查询报表)", "Option4", "利润表07"},
                           {"cash-flow statement, month 12 (查询报表)", "Option5", "现流表"}};
    for (const auto& statement : statementClicks) {
        const char* option = statement.option;
        list.push_back({QString::fromUtf8(statement.name),
                        [windows, option] {
                            child<QRadioButton>(windows->statements(), option)->setChecked(true);
                            child<QComboBox>(windows->statements(), "Combo1")->setCurrentText(QStringLiteral("12"));
                        },
                        [windows] { child<QPushButton>(windows->statements(), "Command4")->click(); },
                        [windows, table = QString::fromUtf8(statement.table)](QCryptographicHash& hash) {
                            addRows(hash, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
                            addGrid(hash, child<QAbstractItemView>(windows->statements(), "MSH1"));
                        }});
    }
    // A ten-line voucher typed at the end of December (the open month), saved with 保存 and the
    // window refreshed, ready for the next one; the voucher is taken away again before each run.
    list.push_back({QStringLiteral("saving a voucher in the voucher window (保存 to ready again)"),
                    [windows] {
                        execute(QStringLiteral("DELETE FROM 分2016 WHERE 月=12 AND 号码>?"), {kVouchersPerMonth});
                        VoucherWindow* form = windows->voucher();
                        child<QDateEdit>(form, "DTPicker1")->setDate(QDate(kYear, 12, 28));
                        child<QComboBox>(form, "Combo1")->setCurrentText(QStringLiteral("审核"));
                        child<QLineEdit>(form, "Text4")->setText(QString::number(kVouchersPerMonth + 1));
                        const VoucherDraft draft = benchDraft(12, kVouchersPerMonth + 1);
                        for (int line = 0; line < int(draft.lines.size()); ++line) {
                            const VoucherLine& entry = draft.lines.at(line);
                            const QString fullName = scalar(QStringLiteral("SELECT 科目全称 FROM 科目表 WHERE 科目代码=?"), {entry.accountCode}).toString();
                            form->grid()->setText(line + 1, VoucherGrid::SummaryColumn, entry.summary);
                            form->grid()->setText(line + 1, VoucherGrid::AccountColumn, entry.accountCode + QLatin1Char(' ') + fullName);
                            const bool debit = entry.debit.has_value();
                            const Money amount = debit ? *entry.debit : entry.credit.value_or(Money());
                            form->grid()->setText(line + 1, debit ? VoucherGrid::DebitColumn : VoucherGrid::CreditColumn,
                                                  amount.formatted());
                        }
                    },
                    [windows] { child<QPushButton>(windows->voucher(), "Command14")->click(); },
                    [windows, monthRows](QCryptographicHash& hash) {
                        addRows(hash, monthRows);
                        VoucherWindow* form = windows->voucher();
                        for (const char* box : {"Text1", "Text2", "Text4"})
                            hash.addData(child<QLineEdit>(form, box)->text().toUtf8());
                        hash.addData(child<QLabel>(form, "Label2")->text().toUtf8());
                    }});
    // The paged three-column report of the busiest account, as its preview draws it.
    const QString pdf = reportPdfPath(folder);
    const auto queried = [account, click, pdf](const QString& code) {
        QFile::remove(pdf);
        account(code, 1);
        click("Command7");
    };
    list.push_back({QStringLiteral("paged report of the busiest account (预览)"), [queried] { queried(kHotBank); },
                    [click] { click("Command10"); }, [pdf](QCryptographicHash& hash) { addPdf(hash, pdf); }});
    list.push_back({QStringLiteral("ledger pages workbook of the busiest account (EXCEL帐页)"),
                    [queried, exportFolderPath] {
                        QDir(exportFolderPath).removeRecursively();
                        queried(kHotBank);
                    },
                    [click] { click("Command11"); },
                    [exportFolderPath](QCryptographicHash& hash) {
                        const QFileInfoList files = QDir(exportFolderPath).entryInfoList({QStringLiteral("*.xlsx")});
                        if (files.size() != 1)
                            qFatal("expected one workbook");
                        addWorkbook(hash, files.first().filePath());
                    }});
    // The same report cut down to its first N ledger lines (the rest of the year left out of the
    // work table), to show how the time grows with the lines.
    for (const int lines : {10000, 20000, 40000}) {
        list.push_back({QStringLiteral("paged report of the first %1 lines (预览)").arg(lines),
                        [queried, lines] {
                            queried(kHotBank);
                            execute(QStringLiteral("DELETE FROM 三总式 WHERE ID > (SELECT ID FROM 三总式 ORDER BY ID LIMIT 1 OFFSET ?)"),
                                    {lines - 1});
                        },
                        [click] { click("Command10"); }, [pdf](QCryptographicHash& hash) { addPdf(hash, pdf); }});
    }
    return list;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One operation, `runs` times after one untimed run; prints "median min max peak checksum".
int runOperation(const QString& folder, int index, int runs, const QString& grabFolder)
{
    setProgramFolder(folder);
    openConnection();
    loginState().fiscalYear = kYear;
    loginState().operatorName = QStringLiteral("制单");
    setMessageHandler([](const Message&) { return MessageAnswer::Yes; });
    setExportFolder(QDir(folder).filePath(QStringLiteral("export")));
    setSpreadsheetOpener([](const QString&) { return true; });
    setReportOutputHandler([folder](const ReportLayout& layout, const RecordSet& rows, bool) {
        writeReportPdf(reportPdfPath(folder), layout, rows);
    });
    QueryCentreWindow window;
    window.show();
    QApplication::processEvents();
    Windows others;
    const std::vector<Operation> list = operations(&window, &others, folder);
    const Operation& operation = list.at(index);
    // An inserted voucher is deleted again after each run, untimed, so the year stays as generated.
    const auto undo = [&] {
        if (operation.name.startsWith(QStringLiteral("insert"))) {
            pageFirst(kYear, 12);
            applyVoucherChange(VoucherChange::Delete, benchDraft(12, 1), kYear, QStringLiteral("制单"));
        }
    };
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        if (run > 0)
            undo();
        operation.setUp();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        operation.work();
        QApplication::processEvents();
        if (run > 0)
            times.push_back(timer.nsecsElapsed() / 1e6);
    }
    const long peak = peakKilobytes();
    if (!grabFolder.isEmpty())
        (others.last() ? others.last() : static_cast<QWidget*>(&window))->grab().save(QDir(grabFolder).filePath(QStringLiteral("operation%1.png").arg(index)));
    QCryptographicHash hash(QCryptographicHash::Md5);
    operation.output(hash);
    undo();
    if (operation.name.startsWith(QStringLiteral("saving")))
        operation.setUp();
    std::sort(times.begin(), times.end());
    std::printf("%.1f %.1f %.1f %ld %s\n", times[times.size() / 2], times.front(), times.back(), peak,
                hash.result().toHex().left(12).constData());
    closeConnection();
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto option = [&](const QString& name, const QString& fallback) {
        const int at = int(arguments.indexOf(name));
        return at > 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
    };
    const QString folder = QFileInfo(option(QStringLiteral("--dir"), QDir::temp().filePath(QStringLiteral("qm505_bench")))).absoluteFilePath();
    const int runs = option(QStringLiteral("--runs"), QStringLiteral("3")).toInt();
    const int lines = option(QStringLiteral("--lines"), QStringLiteral("1000000")).toInt();
    const QString one = option(QStringLiteral("--operation"), QString());
    if (!one.isEmpty())
        return runOperation(folder, one.toInt(), runs, option(QStringLiteral("--grab"), QString()));

    if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("QMDK/qmdata.mdb")))) {
        QElapsedTimer timer;
        timer.start();
        generate(folder, lines);
        std::printf("generated %s in %.0f s\n", qPrintable(folder), timer.elapsed() / 1000.0);
    }
    setProgramFolder(folder);
    openConnection();
    std::printf("%s: %d entry lines, %d vouchers a month\n", qPrintable(folder),
                scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), kVouchersPerMonth);
    closeConnection();

    const QStringList only = option(QStringLiteral("--only"), QString()).split(QLatin1Char(','), Qt::SkipEmptyParts);
    const std::vector<Operation> list = operations(nullptr, nullptr, folder);
    std::printf("| operation | median ms | min | max | peak MB | output |\n|---|---:|---:|---:|---:|---|\n");
    for (int index = 0; index < int(list.size()); ++index) {
        if (!only.isEmpty() && !only.contains(QString::number(index)))
            continue;
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--dir"), folder, QStringLiteral("--runs"), QString::number(runs),
                       QStringLiteral("--operation"), QString::number(index), QStringLiteral("--grab"),
                       option(QStringLiteral("--grab"), QString())});
        process.waitForFinished(-1);
        const QStringList figures = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
        if (figures.size() != 5) {
            std::printf("| %d %s | failed: %s |\n", index, qPrintable(list[index].name),
                        process.readAllStandardError().constData());
            continue;
        }
        std::printf("| %d %s | %s | %s | %s | %.0f | %s |\n", index, qPrintable(list[index].name), qPrintable(figures[0]),
                    qPrintable(figures[1]), qPrintable(figures[2]), figures[3].toDouble() / 1024.0, qPrintable(figures[4]));
        std::fflush(stdout);
    }
    return 0;
}

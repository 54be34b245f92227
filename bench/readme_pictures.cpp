// The pictures beside the README, made from the program itself on a small set of books:
// the voucher window with a voucher typed into its grid, the query centre showing a ledger, and
// the first page of a printed voucher.
//
//   build/bench/readme_pictures FOLDER      (the README's pictures live in docs/)
//
// Runs offscreen; needs pdftoppm (poppler-utils) for the printed page.

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/printer.h"
#include "data/schema.h"
#include "ledgers/query_centre_window.h"
#include "report/report.h"
#include "statements/voucher_print_window.h"
#include "vouchers/voucher_grid.h"
#include "vouchers/voucher_window.h"
#include "data/record_set.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace qm;

namespace {

constexpr int kYear = 2016;

template <typename T>
T* control(QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void addAccount(const QString& code, const QString& name, const QString& fullName, const QString& direction, bool leaf)
{
    execute(QStringLiteral("UPDATE 科目表 SET 明细='' WHERE 科目代码=?"), {code.left(code.size() - 3)});
    execute(QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细) VALUES (?, ?, ?, ?, ?, ?)"),
            {code, name, code.size() == 7 ? 2 : 3, fullName, direction, leaf ? QStringLiteral("Y") : QString()});
}

// A few sub-accounts and a quarter of sales and receipts, so the ledger has months to show.
void makeBooks()
{
    ensureDatabase();
    addAccount(QStringLiteral("1002001"), QStringLiteral("工商银行"), QStringLiteral("银行存款/工商银行"), QStringLiteral("借"), true);
    addAccount(QStringLiteral("1122001"), QStringLiteral("北京市海淀区某某科技发展有限公司"),
               QStringLiteral("应收账款/北京市海淀区某某科技发展有限公司"), QStringLiteral("借"), false);
    addAccount(QStringLiteral("1122001001"), QStringLiteral("货款"), QStringLiteral("应收账款/北京市海淀区某某科技发展有限公司/货款"),
               QStringLiteral("借"), true);
    const QString table = entryTableName(kYear);
    const auto line = [&](const QString& id, const QString& summary, const QString& code, const QVariant& debit, const QVariant& credit) {
        const int month = id.mid(1, 2).toInt();
        execute(QStringLiteral("INSERT INTO %1 (ID, 日期, 月, 字号, 号码, 制单, 审核, 附件, 摘要说明, 代码, 借方金额, 贷方金额) "
                               "VALUES (?, ?, ?, '记', ?, '管理员', '管理员', 1, ?, ?, ?, ?)").arg(table),
                {id, QDate(kYear, month, 5 + id.mid(3, 4).toInt()).toString(Qt::ISODate), month, id.mid(3, 4).toInt(), summary, code,
                 debit, credit});
    };
    const auto opening = QStringLiteral("INSERT INTO %1 (ID, 摘要说明, 代码, 借方金额, 贷方金额) VALUES (?, '年初余额', ?, ?, ?)").arg(table);
    execute(opening, {QStringLiteral("8000000001"), QStringLiteral("1122001001"), 12000.0, QVariant()});
    execute(opening, {QStringLiteral("8000000002"), QStringLiteral("4001"), QVariant(), 12000.0});
    const double sales[] = {23400.0, 18720.5, 31005.25};
    const double receipts[] = {20000.0, 15000.0, 30000.0};
    for (int month = 1; month <= 3; ++month) {
        const QString key = QStringLiteral("8%1").arg(month, 2, 10, QLatin1Char('0'));
        line(key + QStringLiteral("0001001"), QStringLiteral("销售货物"), QStringLiteral("1122001001"), sales[month - 1], QVariant());
        line(key + QStringLiteral("0001002"), QStringLiteral("销售货物"), QStringLiteral("6001"), QVariant(), sales[month - 1]);
        line(key + QStringLiteral("0002001"), QStringLiteral("收到货款"), QStringLiteral("1002001"), receipts[month - 1], QVariant());
        line(key + QStringLiteral("0002002"), QStringLiteral("收到货款"), QStringLiteral("1122001001"), QVariant(), receipts[month - 1]);
    }
}

// Types into a cell as an operator does: the first key opens the editor, Enter leaves it.
// (Chinese summaries come from an input method, which a test key cannot play: they are set.)
void typeCell(VoucherGrid* grid, int row, int column, const QString& keys)
{
    grid->setCurrent(row, column);
    grid->setFocus();
    QTest::keyClicks(grid, keys.left(1));
    QTest::keyClicks(grid->cellEditor(), keys.mid(1));
    QTest::keyClick(grid->cellEditor(), Qt::Key_Return);
}

bool save(QWidget& window, const QString& path)
{
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

bool voucherWindowPicture(const QString& path)
{
    VoucherWindow window;
    window.resize(980, 560);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    control<QDateEdit>(window, "DTPicker1")->setDate(QDate(kYear, 4, 8));
    control<QComboBox>(window, "Combo1")->setCurrentText(QStringLiteral("管理员"));
    control<QLineEdit>(window, "Text5")->setText(QStringLiteral("2"));
    VoucherGrid* grid = window.grid();
    grid->setText(1, VoucherGrid::SummaryColumn, QStringLiteral("销售货物"));
    typeCell(grid, 1, VoucherGrid::AccountColumn, QStringLiteral("1122001001"));
    typeCell(grid, 1, VoucherGrid::DebitColumn, QStringLiteral("11700"));
    grid->setText(2, VoucherGrid::SummaryColumn, QStringLiteral("销售货物"));
    typeCell(grid, 2, VoucherGrid::AccountColumn, QStringLiteral("6001"));
    typeCell(grid, 2, VoucherGrid::CreditColumn, QStringLiteral("11700"));
    grid->setCurrent(3, VoucherGrid::SummaryColumn);
    QApplication::processEvents();
    return save(window, path);
}

bool queryCentrePicture(const QString& path)
{
    QueryCentreWindow window;
    window.resize(1100, 600);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    control<QLineEdit>(window, "Text2")->setText(QStringLiteral("1122001001"));
    control<QRadioButton>(window, "Option1")->setChecked(true);
    control<QPushButton>(window, "Command7")->click();
    QApplication::processEvents();
    return save(window, path);
}

// The report a preview would show, written to PDF; the top third of its first page (where a
// voucher's six lines, totals and signatures are) to PNG.
bool printedVoucherPicture(const QString& path, const QString& scratch)
{
    ReportLayout layout;
    RecordSet rows;
    const ReportOutputHandler previous = setReportOutputHandler([&](const ReportLayout& l, const RecordSet& r, bool) {
        layout = l;
        rows = r;
    });
    const auto previousCheck = setPrinterCheck([] { return true; });
    {
        VoucherPrintWindow window;
        control<QComboBox>(window, "Combo1")->setCurrentText(QStringLiteral("1"));
        control<QLineEdit>(window, "Text1")->setText(QStringLiteral("1"));
        control<QPushButton>(window, "Command1")->click();
    }
    setReportOutputHandler(previous);
    setPrinterCheck(previousCheck);
    const QString pdf = QDir(scratch).filePath(QStringLiteral("voucher.pdf"));
    writeReportPdf(pdf, layout, rows);
    QString base = path;
    base.chop(4);
    const int status = QProcess::execute(QStringLiteral("pdftoppm"),
                                         {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
                                          QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-W"),
                                          QStringLiteral("661"), QStringLiteral("-H"), QStringLiteral("360"), pdf, base});
    std::printf("%s %s\n", status == 0 ? "wrote" : "could not write (pdftoppm)", qPrintable(path));
    return status == 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    QTemporaryDir program;
    setProgramFolder(program.path());
    makeBooks();
    loginState() = LoginState{kYear, QStringLiteral("管理员"), QStringLiteral("123456"), QStringLiteral("示例公司")};
    setMessageHandler([](const Message& message) {
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
        return MessageAnswer::Yes;
    });
    const bool ok = voucherWindowPicture(out.filePath(QStringLiteral("voucher_window.png")))
                    && queryCentrePicture(out.filePath(QStringLiteral("query_centre.png")))
                    && printedVoucherPicture(out.filePath(QStringLiteral("printed_voucher.png")), program.path());
    closeConnection();
    return ok ? 0 : 1;
}

// Times the ledger views over a year of generated vouchers, with and without the entry-table
// indexes under test. Run by hand: build/bench/ledger_bench [lines]
#include "data/database.h"
#include "data/schema.h"
#include "ledgers/three_column_ledger.h"
#include "ledgers/views.h"
#include "statements/statements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

using namespace qm;

namespace {

const int kYear = 2016;

void generate(int lines)
{
    const QStringList codes = {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1122"), QStringLiteral("1405"),
                               QStringLiteral("2202"), QStringLiteral("2221"), QStringLiteral("6001"), QStringLiteral("6602")};
    QRandomGenerator random(42);
    Transaction transaction;
    for (int line = 0; line < lines; line += 2) {
        const int month = 1 + line * 12 / lines;
        const int number = line / 2 + 1;
        const QString key = QStringLiteral("8%1%2").arg(month, 2, 10, QLatin1Char('0')).arg(number % 10000, 4, 10, QLatin1Char('0'));
        const double amount = random.bounded(100000) / 100.0;
        for (int side = 0; side < 2; ++side)
            execute(QStringLiteral("INSERT INTO 分2016 (ID, 日期, 月, 号码, 摘要说明, 代码, 借方金额, 贷方金额) "
                                   "VALUES (?, '2016-01-01', ?, ?, 'x', ?, ?, ?)"),
                    {key + QStringLiteral("00%1").arg(side + 1), month, number, codes[random.bounded(codes.size())],
                     side == 0 ? QVariant(amount) : QVariant(), side == 1 ? QVariant(amount) : QVariant()});
    }
    transaction.commit();
}

double timed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void run(const char* label)
{
    std::printf("%s\n", label);
    std::printf("  balance table, month 6, level 3: %8.1f ms\n",
                timed([] { buildBalanceTable(kYear, QStringLiteral("6"), QStringLiteral("3")); }));
    std::printf("  detail ledger of 1001:           %8.1f ms\n", timed([] {
                    execute(QStringLiteral("DELETE FROM 三总式"));
                    buildDetailLedger(kYear, QStringLiteral("1001"), QStringLiteral("借"));
                }));
    std::printf("  journal of month 6:              %8.1f ms\n", timed([] { buildJournal(kYear, QStringLiteral("6")); }));
    std::printf("  balance sheet, month 6:          %8.1f ms\n",
                timed([] { evaluateStatement(Statement::BalanceSheet07, kYear, QStringLiteral("6")); }));
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    ensureDatabase();
    generate(lines);
    std::printf("%d entry lines\n", lines);
    run("indexes as shipped");
    execute(QStringLiteral("CREATE INDEX bench_code_id ON 分2016 (代码, ID)"));
    run("with an index on (代码, ID)");
    execute(QStringLiteral("DROP INDEX bench_code_id"));
    execute(QStringLiteral("CREATE INDEX bench_cover ON 分2016 (月, 代码, 借方金额, 贷方金额)"));
    run("with a covering index on (月, 代码, 借方金额, 贷方金额)");
    closeConnection();
    return 0;
}

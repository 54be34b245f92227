#include "ledgers/ledger_pages.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

// A three-column ledger of `lines` lines, every balance 10 more than the one before.
void ledgerOf(int lines)
{
    execute(QStringLiteral("DELETE FROM 三总式"));
    execute(QStringLiteral("DELETE FROM 三栏帐页"));
    for (int line = 1; line <= lines; ++line)
        execute(QStringLiteral("INSERT INTO 三总式 (ID, 摘要说明, 余额) VALUES (?, '行', ?)"),
                {QStringLiteral("8010001%1").arg(line, 3, 10, QLatin1Char('0')), line == 18 ? QVariant() : QVariant(line * 10)});
}

QStringList page(int number)
{
    QStringList rows;
    for (const auto row : openRecordset(QStringLiteral("SELECT ID, 摘要说明, 余额 FROM 三栏帐页 WHERE 月=? ORDER BY ID"), {number}))
        rows << row[0].toString() + QLatin1Char('|') + row[1].toString() + QLatin1Char('|') + row[2].toString();
    return rows;
}

}  // namespace

class TestLedgerPages : public QObject {
    Q_OBJECT

private slots:
    void pagesOfEighteenLines()
    {
        TempProgram program;
        ledgerOf(0);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 三栏帐页")).toInt(), 0);

        ledgerOf(17);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 1);
        QCOMPARE(page(1).size(), 19);
        QCOMPARE(page(1).last(), QStringLiteral("815||"));

        // A full page whose last line has no balance carries 0; the next page opens with it.
        ledgerOf(18);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 1);
        QCOMPARE(page(1).size(), 19);
        QCOMPARE(page(1).last(), QStringLiteral("80100010181|  过 次 页|0"));
        QCOMPARE(page(2), QStringList{QStringLiteral("80100010182|  承 前 页|0")});

        ledgerOf(19);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 2);
        QCOMPARE(page(2).size(), 19);
        QCOMPARE(page(2).first(), QStringLiteral("80100010182|  承 前 页|0"));
        QCOMPARE(page(2).at(1), QStringLiteral("8010001019|行|190"));
        QCOMPARE(page(2).last(), QStringLiteral("830||"));

        ledgerOf(40);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 3);
        QCOMPARE(page(2).size(), 20);
        QCOMPARE(page(2).last(), QStringLiteral("80100010361|  过 次 页|360"));
        QCOMPARE(page(3).size(), 19);
        QCOMPARE(page(3).at(1), QStringLiteral("8010001037|行|370"));
        QCOMPARE(page(3).at(5), QStringLiteral("814||"));
        QCOMPARE(page(3).last(), QStringLiteral("827||"));
    }

    void quantityPagesCarryTheQuantity()
    {
        TempProgram program;
        for (int line = 1; line <= 18; ++line)
            execute(QStringLiteral("INSERT INTO 数量式 (ID, 余数, 余额) VALUES (?, ?, ?)"),
                    {QStringLiteral("8010001%1").arg(line, 3, 10, QLatin1Char('0')), line == 18 ? QVariant() : QVariant(line), line * 5});
        QCOMPARE(buildLedgerPages(PagedLedger::Quantity), 1);
        const RecordSet carried = openRecordset(QStringLiteral("SELECT 余数, 余额, 月 FROM 数量帐页 WHERE 摘要说明='  承 前 页'"));
        QCOMPARE(carried.value(0, 0).toInt(), 0);
        QCOMPARE(carried.value(0, 1).toInt(), 90);
        QCOMPARE(carried.value(0, 2).toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLedgerPages)
#include "test_ledger_pages.moc"

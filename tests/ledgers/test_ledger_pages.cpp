#include "support/common.h"
#include "ledgers/ledger_pages.h"

namespace {

// A three-column ledger of `lines` lines, every balance 10 more than the one before; line 18 is
// an entry, a month total (no direction, no balance of its own) or an entry that leaves the
// account level (平, no balance).
void ledgerOf(int lines, const QVariant& line18 = u"借"_s)
{
    execute(u"DELETE FROM 三总式"_s);
    execute(u"DELETE FROM 三栏帐页"_s);
    for (int line = 1; line <= lines; ++line) {
        const bool entry = line != 18 || line18 == u"借"_s;
        execute(u"INSERT INTO 三总式 (ID, 摘要说明, 方向, 余额) VALUES (?, '行', ?, ?)"_s,
                {u"8010001%1"_s.arg(line, 3, 10, QLatin1Char('0')), entry ? u"借"_s : line18, entry ? QVariant(line * 10) : QVariant()});
    }
}

QStringList page(int number)
{
    return rowsAsText(u"SELECT ID, 摘要说明, 余额 FROM 三栏帐页 WHERE 月=? ORDER BY ID"_s, {number}, u"|"_s, QString());
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
        QCOMPARE(scalar(u"SELECT count(*) FROM 三栏帐页"_s).toInt(), 0);

        ledgerOf(17);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 1);
        QCOMPARE(QString::number(page(1).size()) + QLatin1Char(' ') + page(1).last(), u"19 815||"_s);

        // A full page whose last line is a month total carries the balance of the line above
        // it; the next page opens with it.
        ledgerOf(18, QVariant());
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 1);
        QCOMPARE(QString::number(page(1).size()) + QLatin1Char(' ') + page(1).last(), u"19 80100010181|  过 次 页|170"_s);
        QCOMPARE(page(2), QStringList{u"80100010182|  承 前 页|170"_s});

        // A last line that leaves the account level carries 0.
        ledgerOf(19, u"平"_s);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 2);
        QCOMPARE(page(1).last(), u"80100010181|  过 次 页|0"_s);
        QCOMPARE(page(2).size(), 19);
        QCOMPARE(QStringList({page(2).at(0), page(2).at(1), page(2).last()}),
                 (QStringList{u"80100010182|  承 前 页|0"_s, u"8010001019|行|190"_s, u"830||"_s}));

        ledgerOf(40);
        QCOMPARE(buildLedgerPages(PagedLedger::ThreeColumn), 3);
        QCOMPARE(QString::number(page(2).size()) + QLatin1Char(' ') + page(2).last(), u"20 80100010361|  过 次 页|360"_s);
        QCOMPARE(page(3).size(), 19);
        QCOMPARE(QStringList({page(3).at(1), page(3).at(5), page(3).last()}),
                 (QStringList{u"8010001037|行|370"_s, u"814||"_s, u"827||"_s}));
    }

    void quantityPagesCarryTheQuantity()
    {
        TempProgram program;
        // Line 17 has a balance but no quantity; line 18 is the month total.
        for (int line = 1; line <= 17; ++line)
            execute(u"INSERT INTO 数量式 (ID, 方向, 余数, 余额) VALUES (?, '借', ?, ?)"_s,
                    {u"8010001%1"_s.arg(line, 3, 10, QLatin1Char('0')), line == 17 ? QVariant() : QVariant(line), line * 5.1});
        execute(u"INSERT INTO 数量式 (ID, 摘要说明, 借数, 借金) VALUES ('8019999998', ' 本月合计', 3, 99)"_s);
        QCOMPARE(buildLedgerPages(PagedLedger::Quantity), 1);
        QCOMPARE(rowsAsText(u"SELECT ifnull(余数, 0), round(余额, 2), 月 FROM 数量帐页 "
                                           "WHERE 摘要说明 IN ('  过 次 页', '  承 前 页') ORDER BY ID"_s),
                 (QStringList{u"0 86.7 1"_s, u"0 86.7 2"_s}));
    }
};

QTEST_GUILESS_MAIN(TestLedgerPages)
#include "test_ledger_pages.moc"

#include "accounts/opening_balances.h"
#include "data/db_error.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

void setOpening(const QString& code, const QVariant& quantity, const QVariant& debit, const QVariant& credit)
{
    setOpeningValue(code, QStringLiteral("数量"), quantity);
    setOpeningValue(code, QStringLiteral("借方金额"), debit);
    setOpeningValue(code, QStringLiteral("贷方金额"), credit);
}

QStringList openingRows()
{
    QStringList rows;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT ID, 摘要说明, 代码, 数量, 借方金额, 贷方金额, 月 FROM 分2016 WHERE substr(ID,1,3)='800' ORDER BY ID")))
        rows << QStringLiteral("%1 %2 %3 %4 %5 %6 %7").arg(row[0].toString(), row[1].toString(), row[2].toString(),
                                                         row[3].isNull() ? QStringLiteral("-") : row[3].toString(),
                                                         row[4].isNull() ? QStringLiteral("-") : row[4].toString(),
                                                         row[5].isNull() ? QStringLiteral("-") : row[5].toString(),
                                                         row[6].isNull() ? QStringLiteral("-") : row[6].toString());
    return rows;
}

}  // namespace

class TestOpeningBalances : public QObject {
    Q_OBJECT

private slots:
    void trialBalanceComparesTheTotalsAsShown()
    {
        TempProgram program;
        TrialBalance balance = trialBalanceOfChart();
        QCOMPARE(balance.debitText, QStringLiteral("0.00"));
        QCOMPARE(balance.creditText, QStringLiteral("0.00"));
        QVERIFY(balance.balanced);

        setOpening(QStringLiteral("1001"), QVariant(), 1000.0, QVariant());
        setOpening(QStringLiteral("4001"), QVariant(), QVariant(), 1000.004);
        balance = trialBalanceOfChart();
        QCOMPARE(balance.creditText, QStringLiteral("1,000.00"));
        QVERIFY(balance.balanced);
        setOpening(QStringLiteral("4001"), QVariant(), QVariant(), 1000.02);
        balance = trialBalanceOfChart();
        QCOMPARE(balance.creditText, QStringLiteral("1,000.02"));
        QVERIFY(!balance.balanced);

        const ChangeCheck unbalanced = checkOpeningRowsChange(false, true, balance);
        QCOMPARE(unbalanced.refusal->text, QStringLiteral("借贷不平"));
        QCOMPARE(unbalanced.refusal->icon, MessageIcon::Stop);
        QCOMPARE(checkOpeningRowsChange(false, false, balance).refusal->text, QStringLiteral("请先点[显示科目]"));
        QCOMPARE(checkOpeningRowsChange(true, false, balance).refusal->text, QStringLiteral("请先点[调出年初数]"));
        setOpening(QStringLiteral("4001"), QVariant(), QVariant(), 1000.0);
        QCOMPARE(checkOpeningRowsChange(false, true, trialBalanceOfChart()).question->text, QStringLiteral("是否装入年初数据?"));
        QCOMPARE(checkOpeningRowsChange(true, true, trialBalanceOfChart()).question->text, QStringLiteral("是否修改年初数据?"));
        QVERIFY_THROWS_EXCEPTION(DbError, setOpeningValue(QStringLiteral("1001"), QStringLiteral("科目名称"), 1));
    }

    void loadingReplacesTheOpeningRowsOnly()
    {
        TempProgram program;
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1122"), 9.0, QVariant());
        addEntry(kYear, QStringLiteral("8000000002"), QStringLiteral("2202"), QVariant(), 9.0);
        addEntry(kYear, QStringLiteral("8030001001"), QStringLiteral("1001"), 5.0, QVariant(), 3);
        // Typed in another order than the codes run.
        setOpening(QStringLiteral("4001"), QVariant(), QVariant(), 1000.0);
        setOpening(QStringLiteral("1405"), 10.0, QVariant(), QVariant());
        setOpening(QStringLiteral("1002"), 20.0, 600.0, QVariant());
        setOpening(QStringLiteral("1001"), QVariant(), 400.0, QVariant());

        QCOMPARE(loadOpeningRows(kYear).text, QStringLiteral("已装入成功"));
        QCOMPARE(openingRows(), (QStringList{QStringLiteral("8000000001 年初余额 1001 - 400 - -"),
                                             QStringLiteral("8000000002 年初余额 1002 20 600 - -"),
                                             QStringLiteral("8000000003 年初余额 4001 - - 1000 -")}));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016 WHERE ID='8030001001'")).toInt(), 1);

        // Fetched back, edited and rewritten; a row whose account left the chart is dropped.
        addEntry(kYear, QStringLiteral("8000000004"), QStringLiteral("9999"), 1.0, QVariant());
        fetchOpeningRows(kYear);
        std::vector<OpeningRow> fetched = fetchedOpeningRows();
        QCOMPARE(fetched.size(), size_t(3));
        QCOMPARE(fetched[1].fullName, QStringLiteral("银行存款"));
        setFetchedOpeningValue(fetched[1].lineId, QStringLiteral("借方金额"), 550.0);
        setFetchedOpeningValue(fetched[0].lineId, QStringLiteral("借方金额"), 450.0);
        QVERIFY(trialBalanceOfWorkCopy().balanced);
        QCOMPARE(rewriteOpeningRows(kYear).text, QStringLiteral("已修改成功"));
        QCOMPARE(openingRows(), (QStringList{QStringLiteral("8000000001 年初余额 1001 - 450 - -"),
                                             QStringLiteral("8000000002 年初余额 1002 20 550 - -"),
                                             QStringLiteral("8000000003 年初余额 4001 - - 1000 -")}));
        QCOMPARE(scalar(QStringLiteral("SELECT 借方金额 FROM 科目表 WHERE 科目代码='1002'")).toDouble(), 600.0);

        // Amounts are written to the cent; one that rounds to nothing is no amount.
        execute(QStringLiteral("UPDATE 科目表 SET 数量=NULL, 借方金额=NULL, 贷方金额=NULL"));
        setOpening(QStringLiteral("1001"), QVariant(), 0.125, QVariant());
        setOpening(QStringLiteral("1002"), 3.0, 0.001, QVariant());
        setOpening(QStringLiteral("2202"), QVariant(), QVariant(), 0.125);
        QVERIFY(trialBalanceOfChart().balanced);
        loadOpeningRows(kYear);
        QCOMPARE(openingRows(), (QStringList{QStringLiteral("8000000001 年初余额 1001 - 0.13 - -"),
                                             QStringLiteral("8000000002 年初余额 2202 - - 0.13 -")}));

        // No amounts at all: the load only deletes.
        execute(QStringLiteral("UPDATE 科目表 SET 数量=NULL, 借方金额=NULL, 贷方金额=NULL"));
        loadOpeningRows(kYear);
        QVERIFY(openingRows().isEmpty());
        QCOMPARE(openingRowId(40000), QStringLiteral("8000040000"));
    }

    void failedLoadLeavesTheYearAsItWas()
    {
        TempProgram program;
        addEntry(kYear, QStringLiteral("8000000001"), QStringLiteral("1122"), 9.0, QVariant());
        setOpening(QStringLiteral("1001"), QVariant(), 400.0, QVariant());
        setOpening(QStringLiteral("4001"), QVariant(), QVariant(), 400.0);
        const QStringList before = dumpTable(QStringLiteral("分2016"));
        execute(QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON 分2016 WHEN NEW.代码='4001' "
                               "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, loadOpeningRows(kYear));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), before);
    }
};

QTEST_GUILESS_MAIN(TestOpeningBalances)
#include "test_opening_balances.moc"

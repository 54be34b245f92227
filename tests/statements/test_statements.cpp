#include "data/db_error.h"
#include "statements/statements.h"
#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/month_closing.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace {

const int kYear = 2016;

// Opening balances, a sale, an expense and depreciation in March.
void books()
{
    addLine(u"8000000001"_s, u"1001"_s, 1000.0, QVariant());
    addLine(u"8000000002"_s, u"1002"_s, 5000.0, QVariant());
    addLine(u"8000000003"_s, u"1601"_s, 3000.0, QVariant());
    addLine(u"8000000004"_s, u"1602"_s, QVariant(), 500.0);
    addLine(u"8000000005"_s, u"4001"_s, QVariant(), 8500.0);
    addLine(u"8030001001"_s, u"1002"_s, 1170.0, QVariant(), QVariant(), u"101"_s, 1170.0);
    addLine(u"8030001002"_s, u"6001"_s, QVariant(), 1000.0);
    addLine(u"8030001003"_s, u"2221"_s, QVariant(), 170.0);
    addLine(u"8030002001"_s, u"6602"_s, 200.0, QVariant());
    addLine(u"8030002002"_s, u"1001"_s, QVariant(), 200.0, QVariant(), u"107"_s, 200.0);
    addLine(u"8030003001"_s, u"6602"_s, 50.0, QVariant());
    addLine(u"8030003002"_s, u"1602"_s, QVariant(), 50.0);
}

QVariant amount(const QString& table, const QString& column, const QString& lineColumn, int line)
{
    return scalar(u"SELECT %1 FROM %2 WHERE %3=?"_s.arg(column, table, lineColumn), {line});
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void formulas()
    {
        const QHash<QString, QVariant> values{{u"1001"_s, 100.0}, {u"1002"_s, 20.5},
                                              {u"1601"_s, 1000.0}, {u"1602"_s, 300.0},
                                              {u"101"_s, 7.0}, {u"888"_s, 1.0}};
        QCOMPARE(evaluateFormula(u"1001+1002"_s, 4, values), 120.5);
        QCOMPARE(evaluateFormula(u"1601-1602"_s, 4, values), 700.0);
        QCOMPARE(evaluateFormula(u"1001*1002"_s, 4, values), 120.5);
        QCOMPARE(evaluateFormula(u"1001+1001"_s, 4, values), 200.0);
        QCOMPARE(evaluateFormula(u"-1001"_s, 4, values), 0.0);
        QCOMPARE(evaluateFormula(u"1001 + 1002"_s, 4, values), 100.0);
        QCOMPARE(evaluateFormula(u"9999+1002"_s, 4, values), 20.5);
        QCOMPARE(evaluateFormula(u"100"_s, 4, values), 0.0);
        QCOMPARE(evaluateFormula(QString(), 4, values), 0.0);
        QCOMPARE(evaluateFormula(u"888+101"_s, 3, values), 8.0);
        QCOMPARE(evaluateFormula(u"1001"_s, 3, values), 0.0);
    }

    void reportData()
    {
        TempProgram program;
        books();
        addAccount(u"1002001"_s, u"工行"_s, u"银行存款/工行"_s);
        addLine(u"8030004001"_s, u"1002001"_s, 30.0, QVariant());
        QCOMPARE(buildReportData(kYear, QString(), false)->text, u"请选择月份"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 报表数据"_s).toInt(), 0);
        QVERIFY(!buildReportData(kYear, u"3"_s, false));
        QCOMPARE(reportDataColumn(u"期末"_s).value(u"1002"_s).toDouble(), 6200.0);
        QCOMPARE(reportDataColumn(u"年初"_s).value(u"1602"_s).toDouble(), 500.0);
        QCOMPARE(reportDataColumn(u"期末"_s).value(u"4001"_s).toDouble(), 8500.0);
        // Not closed: no closing movements yet.
        QVERIFY(reportDataColumn(u"本期"_s).value(u"6001"_s).isNull());

        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        const auto cash = reportDataColumn(u"累计"_s);
        QCOMPARE(cash.value(u"888"_s).toDouble(), 6000.0);
        QCOMPARE(cash.value(u"999"_s).toDouble(), 7000.0);
        QCOMPARE(cash.value(u"101"_s).toDouble(), 1170.0);

        // Half-cent sums on a credit account and a cash-flow item: fifty lines of 0.1 and one of
        // 0.125 are 5.125 exactly, 5.13 to the cent (a binary sum gives 5.12).
        for (int line = 1; line <= 51; ++line) {
            const double value = line == 51 ? 0.125 : 0.1;
            addLine(u"8040001%1"_s.arg(line, 3, 10, QLatin1Char('0')), u"2241"_s, QVariant(), value);
            addLine(u"8040002%1"_s.arg(line, 3, 10, QLatin1Char('0')), u"1001"_s, value, QVariant(), QVariant(), u"102"_s, value);
        }
        QVERIFY(!buildReportData(kYear, u"4"_s, false));
        QCOMPARE(reportDataColumn(u"期末"_s).value(u"2241"_s).toString(), u"5.13"_s);
        QVERIFY(!buildReportData(kYear, u"4"_s, true));
        QCOMPARE(reportDataColumn(u"累计"_s).value(u"102"_s).toString(), u"5.13"_s);
    }

    void shippedStatementsAgree()
    {
        TempProgram program;
        books();
        // Before closing the balance sheet balances too.
        QVERIFY(!evaluateStatement(Statement::BalanceSheet07, kYear, u"3"_s));
        QCOMPARE(amount(u"资产表07"_s, u"期末余额1"_s, u"行次1"_s, 33).toDouble(), 9420.0);
        QCOMPARE(amount(u"资产表07"_s, u"期末余额2"_s, u"行次1"_s, 33).toDouble(), 9420.0);

        closeMonth(QDate(kYear, 3, 1), u"会计"_s, u"管理员"_s, kYear);
        for (Statement sheet : {Statement::BalanceSheet05, Statement::BalanceSheet07}) {
            QVERIFY(!evaluateStatement(sheet, kYear, u"3"_s));
            const QString table = statementTable(sheet);
            const int total = sheet == Statement::BalanceSheet05 ? 37 : 33;
            QCOMPARE(amount(table, u"年初余额1"_s, u"行次1"_s, total).toDouble(), 8500.0);
            QCOMPARE(amount(table, u"年初余额2"_s, u"行次1"_s, total).toDouble(), 8500.0);
            QCOMPARE(amount(table, u"期末余额1"_s, u"行次1"_s, total).toDouble(), 9420.0);
            QCOMPARE(amount(table, u"期末余额2"_s, u"行次1"_s, total).toDouble(), 9420.0);
        }
        // A heading line stays empty.
        QVERIFY(amount(u"资产表07"_s, u"期末余额1"_s, u"行次1"_s, 1).isNull());

        for (Statement income : {Statement::IncomeStatement05, Statement::IncomeStatement07}) {
            QVERIFY(!evaluateStatement(income, kYear, u"3"_s));
            const QString table = statementTable(income);
            const int net = income == Statement::IncomeStatement05 ? 16 : 17;
            QCOMPARE(amount(table, u"本期金额"_s, u"行次"_s, net).toDouble(), 750.0);
            QCOMPARE(amount(table, u"本年累计"_s, u"行次"_s, net).toDouble(), 750.0);
        }
        QCOMPARE(amount(u"利润表07"_s, u"本期金额"_s, u"行次"_s, 5).toDouble(), 250.0);
        // April is not closed: nothing this month, March's amounts to date.
        evaluateStatement(Statement::IncomeStatement07, kYear, u"4"_s);
        QVERIFY(amount(u"利润表07"_s, u"本期金额"_s, u"行次"_s, 17).isNull());
        QCOMPARE(amount(u"利润表07"_s, u"本年累计"_s, u"行次"_s, 17).toDouble(), 750.0);

        QVERIFY(!evaluateStatement(Statement::CashFlow, kYear, u"3"_s));
        const double increase = amount(u"现流表"_s, u"金额"_s, u"行次"_s, 36).toDouble();
        QCOMPARE(increase, 970.0);
        QCOMPARE(amount(u"现流表"_s, u"金额"_s, u"行次"_s, 38).toDouble() - amount(u"现流表"_s, u"金额"_s, u"行次"_s, 37).toDouble(), increase);
        // A heading row shows nothing, however many lines carry no item.
        QVERIFY(amount(u"现流表"_s, u"金额"_s, u"行次"_s, 1).isNull());

        // Without a month every amount is emptied.
        QCOMPARE(evaluateStatement(Statement::CashFlow, kYear, QString())->text, u"请选择月份"_s);
        QCOMPARE(scalar(u"SELECT count(金额) FROM 现流表"_s).toInt(), 0);
    }

    void definitionsAreEditable()
    {
        TempProgram program;
        const RecordSet rows = statementDefinitionRows(Statement::BalanceSheet07);
        QCOMPARE(rows.fieldNames().mid(1), (QStringList{u"资产"_s, u"行次1"_s, u"公式1"_s, u"负债及所有者权益"_s, u"行次2"_s, u"公式2"_s}));
        setStatementDefinitionValue(Statement::BalanceSheet07, rows.value(1, 0).toLongLong(), u"公式1"_s, u"1001"_s);
        QCOMPARE(scalar(u"SELECT 公式1 FROM 资产表07 WHERE 行次1=2"_s).toString(), u"1001"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, setStatementDefinitionValue(Statement::BalanceSheet07, 1, u"行次1"_s, 9));
        QCOMPARE(formulaCodeList(Statement::CashFlow).first(), u"101 销售商品、提供劳务收到的现金"_s);
        QCOMPARE(formulaCodeList(Statement::IncomeStatement05).size(), 86);
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "test_statements.moc"

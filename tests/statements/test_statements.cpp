#include "data/db_error.h"
#include "statements/statements.h"
#include "support/books.h"
#include "support/temp_program.h"
#include "vouchers/month_closing.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

const int kYear = 2016;

// Opening balances, a sale, an expense and depreciation in March.
void books()
{
    addLine(QStringLiteral("8000000001"), QStringLiteral("1001"), 1000.0, QVariant());
    addLine(QStringLiteral("8000000002"), QStringLiteral("1002"), 5000.0, QVariant());
    addLine(QStringLiteral("8000000003"), QStringLiteral("1601"), 3000.0, QVariant());
    addLine(QStringLiteral("8000000004"), QStringLiteral("1602"), QVariant(), 500.0);
    addLine(QStringLiteral("8000000005"), QStringLiteral("4001"), QVariant(), 8500.0);
    addLine(QStringLiteral("8030001001"), QStringLiteral("1002"), 1170.0, QVariant(), QVariant(), QStringLiteral("101"), 1170.0);
    addLine(QStringLiteral("8030001002"), QStringLiteral("6001"), QVariant(), 1000.0);
    addLine(QStringLiteral("8030001003"), QStringLiteral("2221"), QVariant(), 170.0);
    addLine(QStringLiteral("8030002001"), QStringLiteral("6602"), 200.0, QVariant());
    addLine(QStringLiteral("8030002002"), QStringLiteral("1001"), QVariant(), 200.0, QVariant(), QStringLiteral("107"), 200.0);
    addLine(QStringLiteral("8030003001"), QStringLiteral("6602"), 50.0, QVariant());
    addLine(QStringLiteral("8030003002"), QStringLiteral("1602"), QVariant(), 50.0);
}

QVariant amount(const QString& table, const QString& column, const QString& lineColumn, int line)
{
    return scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(column, table, lineColumn), {line});
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void formulas()
    {
        const QHash<QString, QVariant> values{{QStringLiteral("1001"), 100.0}, {QStringLiteral("1002"), 20.5},
                                              {QStringLiteral("1601"), 1000.0}, {QStringLiteral("1602"), 300.0},
                                              {QStringLiteral("101"), 7.0}, {QStringLiteral("888"), 1.0}};
        QCOMPARE(evaluateFormula(QStringLiteral("1001+1002"), 4, values), 120.5);
        QCOMPARE(evaluateFormula(QStringLiteral("1601-1602"), 4, values), 700.0);
        QCOMPARE(evaluateFormula(QStringLiteral("1001*1002"), 4, values), 120.5);
        QCOMPARE(evaluateFormula(QStringLiteral("1001+1001"), 4, values), 200.0);
        QCOMPARE(evaluateFormula(QStringLiteral("-1001"), 4, values), 0.0);
        QCOMPARE(evaluateFormula(QStringLiteral("1001 + 1002"), 4, values), 100.0);
        QCOMPARE(evaluateFormula(QStringLiteral("9999+1002"), 4, values), 20.5);
        QCOMPARE(evaluateFormula(QStringLiteral("100"), 4, values), 0.0);
        QCOMPARE(evaluateFormula(QString(), 4, values), 0.0);
        QCOMPARE(evaluateFormula(QStringLiteral("888+101"), 3, values), 8.0);
        QCOMPARE(evaluateFormula(QStringLiteral("1001"), 3, values), 0.0);
    }

    void reportData()
    {
        TempProgram program;
        books();
        addAccount(QStringLiteral("1002001"), QStringLiteral("工行"), QStringLiteral("银行存款/工行"));
        addLine(QStringLiteral("8030004001"), QStringLiteral("1002001"), 30.0, QVariant());
        QCOMPARE(buildReportData(kYear, QString(), false)->text, QStringLiteral("请选择月份"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 报表数据")).toInt(), 0);
        QVERIFY(!buildReportData(kYear, QStringLiteral("3"), false));
        QCOMPARE(reportDataColumn(QStringLiteral("期末")).value(QStringLiteral("1002")).toDouble(), 6200.0);
        QCOMPARE(reportDataColumn(QStringLiteral("年初")).value(QStringLiteral("1602")).toDouble(), 500.0);
        QCOMPARE(reportDataColumn(QStringLiteral("期末")).value(QStringLiteral("4001")).toDouble(), 8500.0);
        // Not closed: no closing movements yet.
        QVERIFY(reportDataColumn(QStringLiteral("本期")).value(QStringLiteral("6001")).isNull());

        QVERIFY(!buildReportData(kYear, QStringLiteral("3"), true));
        const auto cash = reportDataColumn(QStringLiteral("累计"));
        QCOMPARE(cash.value(QStringLiteral("888")).toDouble(), 6000.0);
        QCOMPARE(cash.value(QStringLiteral("999")).toDouble(), 7000.0);
        QCOMPARE(cash.value(QStringLiteral("101")).toDouble(), 1170.0);

        // Half-cent sums on a credit account and a cash-flow item: fifty lines of 0.1 and one of
        // 0.125 are 5.125 exactly, 5.13 to the cent (a binary sum gives 5.12).
        for (int line = 1; line <= 51; ++line) {
            const double value = line == 51 ? 0.125 : 0.1;
            addLine(QStringLiteral("8040001%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("2241"), QVariant(), value);
            addLine(QStringLiteral("8040002%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("1001"), value, QVariant(),
                    QVariant(), QStringLiteral("102"), value);
        }
        QVERIFY(!buildReportData(kYear, QStringLiteral("4"), false));
        QCOMPARE(reportDataColumn(QStringLiteral("期末")).value(QStringLiteral("2241")).toString(), QStringLiteral("5.13"));
        QVERIFY(!buildReportData(kYear, QStringLiteral("4"), true));
        QCOMPARE(reportDataColumn(QStringLiteral("累计")).value(QStringLiteral("102")).toString(), QStringLiteral("5.13"));
    }

    void shippedStatementsAgree()
    {
        TempProgram program;
        books();
        // Before closing the balance sheet balances too.
        QVERIFY(!evaluateStatement(Statement::BalanceSheet07, kYear, QStringLiteral("3")));
        QCOMPARE(amount(QStringLiteral("资产表07"), QStringLiteral("期末余额1"), QStringLiteral("行次1"), 33).toDouble(), 9420.0);
        QCOMPARE(amount(QStringLiteral("资产表07"), QStringLiteral("期末余额2"), QStringLiteral("行次1"), 33).toDouble(), 9420.0);

        closeMonth(QDate(kYear, 3, 1), QStringLiteral("会计"), QStringLiteral("管理员"), kYear);
        for (Statement sheet : {Statement::BalanceSheet05, Statement::BalanceSheet07}) {
            QVERIFY(!evaluateStatement(sheet, kYear, QStringLiteral("3")));
            const QString table = statementTable(sheet);
            const int total = sheet == Statement::BalanceSheet05 ? 37 : 33;
            QCOMPARE(amount(table, QStringLiteral("年初余额1"), QStringLiteral("行次1"), total).toDouble(), 8500.0);
            QCOMPARE(amount(table, QStringLiteral("年初余额2"), QStringLiteral("行次1"), total).toDouble(), 8500.0);
            QCOMPARE(amount(table, QStringLiteral("期末余额1"), QStringLiteral("行次1"), total).toDouble(), 9420.0);
            QCOMPARE(amount(table, QStringLiteral("期末余额2"), QStringLiteral("行次1"), total).toDouble(), 9420.0);
        }
        // A heading line stays empty.
        QVERIFY(amount(QStringLiteral("资产表07"), QStringLiteral("期末余额1"), QStringLiteral("行次1"), 1).isNull());

        for (Statement income : {Statement::IncomeStatement05, Statement::IncomeStatement07}) {
            QVERIFY(!evaluateStatement(income, kYear, QStringLiteral("3")));
            const QString table = statementTable(income);
            const int net = income == Statement::IncomeStatement05 ? 16 : 17;
            QCOMPARE(amount(table, QStringLiteral("本期金额"), QStringLiteral("行次"), net).toDouble(), 750.0);
            QCOMPARE(amount(table, QStringLiteral("本年累计"), QStringLiteral("行次"), net).toDouble(), 750.0);
        }
        QCOMPARE(amount(QStringLiteral("利润表07"), QStringLiteral("本期金额"), QStringLiteral("行次"), 5).toDouble(), 250.0);
        // April is not closed: nothing this month, March's amounts to date.
        evaluateStatement(Statement::IncomeStatement07, kYear, QStringLiteral("4"));
        QVERIFY(amount(QStringLiteral("利润表07"), QStringLiteral("本期金额"), QStringLiteral("行次"), 17).isNull());
        QCOMPARE(amount(QStringLiteral("利润表07"), QStringLiteral("本年累计"), QStringLiteral("行次"), 17).toDouble(), 750.0);

        QVERIFY(!evaluateStatement(Statement::CashFlow, kYear, QStringLiteral("3")));
        const double increase = amount(QStringLiteral("现流表"), QStringLiteral("金额"), QStringLiteral("行次"), 36).toDouble();
        QCOMPARE(increase, 970.0);
        QCOMPARE(amount(QStringLiteral("现流表"), QStringLiteral("金额"), QStringLiteral("行次"), 38).toDouble()
                     - amount(QStringLiteral("现流表"), QStringLiteral("金额"), QStringLiteral("行次"), 37).toDouble(),
                 increase);
        // A heading row shows nothing, however many lines carry no item.
        QVERIFY(amount(QStringLiteral("现流表"), QStringLiteral("金额"), QStringLiteral("行次"), 1).isNull());

        // Without a month every amount is emptied.
        QCOMPARE(evaluateStatement(Statement::CashFlow, kYear, QString())->text, QStringLiteral("请选择月份"));
        QCOMPARE(scalar(QStringLiteral("SELECT count(金额) FROM 现流表")).toInt(), 0);
    }

    void definitionsAreEditable()
    {
        TempProgram program;
        const RecordSet rows = statementDefinitionRows(Statement::BalanceSheet07);
        QCOMPARE(rows.fieldNames().mid(1), (QStringList{QStringLiteral("资产"), QStringLiteral("行次1"), QStringLiteral("公式1"),
                                                         QStringLiteral("负债及所有者权益"), QStringLiteral("行次2"), QStringLiteral("公式2")}));
        setStatementDefinitionValue(Statement::BalanceSheet07, rows.value(1, 0).toLongLong(), QStringLiteral("公式1"), QStringLiteral("1001"));
        QCOMPARE(scalar(QStringLiteral("SELECT 公式1 FROM 资产表07 WHERE 行次1=2")).toString(), QStringLiteral("1001"));
        QVERIFY_THROWS_EXCEPTION(DbError, setStatementDefinitionValue(Statement::BalanceSheet07, 1, QStringLiteral("行次1"), 9));
        QCOMPARE(formulaCodeList(Statement::CashFlow).first(), QStringLiteral("101 销售商品、提供劳务收到的现金"));
        QCOMPARE(formulaCodeList(Statement::IncomeStatement05).size(), 86);
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "test_statements.moc"

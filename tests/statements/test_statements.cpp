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
    addLines(u"8000000001 1001 1000 -|8000000002 1002 5000 -|8000000003 1601 3000 -|8000000004 1602 - 500|"
             "8000000005 4001 - 8500|8030001001 1002 1170 - - 101 1170|8030001002 6001 - 1000|8030001003 2221 - 170|"
             "8030002001 6602 200 -|8030002002 1001 - 200 - 107 200|8030003001 6602 50 -|8030003002 1602 - 50"_s);
}

// The listed columns of a statement's line as text, NULL as "-".
QString amounts(const QString& table, const QString& columns, const QString& lineColumn, int line)
{
    return rowsAsText(u"SELECT %1 FROM %2 WHERE %3=?"_s.arg(columns, table, lineColumn), {line}).join(QLatin1Char('|'));
}

// Column `column` of the report data at each code, as text.
QString dataAt(const QString& column, const QStringList& codes)
{
    const auto values = reportDataColumn(column);
    QStringList texts;
    for (const QString& code : codes)
        texts << (values.value(code).isNull() ? u"-"_s : values.value(code).toString());
    return texts.join(QLatin1Char(' '));
}

}  // namespace

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void formulas()
    {
        const QHash<QString, QVariant> values{{u"1001"_s, 100.0}, {u"1002"_s, 20.5}, {u"1601"_s, 1000.0},
                                              {u"1602"_s, 300.0}, {u"101"_s, 7.0},    {u"888"_s, 1.0}};
        // Lines of the balance sheet and income statement (4) take account codes, the cash flow's (3) items.
        QStringList results;
        for (const QString& formula : u"1001+1002|1601-1602|1001*1002|1001+1001|-1001|1001 + 1002|9999+1002|100|"_s.split(u'|'))
            results << QString::number(evaluateFormula(formula, 4, values));
        results << QString::number(evaluateFormula(u"888+101"_s, 3, values)) << QString::number(evaluateFormula(u"1001"_s, 3, values));
        QCOMPARE(results.join(QLatin1Char(' ')), u"120.5 700 120.5 200 0 100 20.5 0 0 8 0"_s);
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
        QCOMPARE(dataAt(u"期末"_s, {u"1002"_s, u"4001"_s}) + u' ' + dataAt(u"年初"_s, {u"1602"_s}), u"6200 8500 500"_s);
        // Not closed: no closing movements yet.
        QCOMPARE(dataAt(u"本期"_s, {u"6001"_s}), u"-"_s);

        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        QCOMPARE(dataAt(u"累计"_s, {u"888"_s, u"999"_s, u"101"_s}), u"6000 7000 1170"_s);

        // Lines without an item, with no code or an empty one, give a row each ahead of the items,
        // their cash-flow amounts summed exactly; a row only when such a line falls in the period.
        execute(u"INSERT INTO 分2016 (ID, 月, 代码, 借方金额, 流金) VALUES ('8030005001', 3, '1001', 0.125, 0.125), "
                "('8030005002', 3, '1001', 0.1, 0.1)"_s);
        execute(u"UPDATE 分2016 SET 流金=0.2 WHERE ID='8030001002'"_s);
        const QString itemRows = u"SELECT quote(代码), 累计 FROM 报表数据 WHERE 代码 IS NULL OR 代码<'888' ORDER BY rowid"_s;
        QVERIFY(!buildReportData(kYear, u"3"_s, true));
        QCOMPARE(rowsAsText(itemRows).join(u'|'), u"NULL 0.23|'' 0.2|'101' 1170|'107' 200"_s);
        QVERIFY(!buildReportData(kYear, u"2"_s, true));
        QCOMPARE(rowsAsText(itemRows).join(u'|'), u"'' 0"_s);
        execute(u"DELETE FROM 分2016 WHERE ID LIKE '8030005%'"_s);

        // Half-cent sums on a credit account and on a cash-flow item: 5.13, not the binary 5.12.
        addHalfCentSum(u"8040001"_s, u"2241"_s, false);
        addHalfCentSum(u"8040002"_s, u"1001"_s, true, u"102"_s);
        QVERIFY(!buildReportData(kYear, u"4"_s, false));
        QCOMPARE(dataAt(u"期末"_s, {u"2241"_s}), u"5.13"_s);
        QVERIFY(!buildReportData(kYear, u"4"_s, true));
        QCOMPARE(dataAt(u"累计"_s, {u"102"_s}), u"5.13"_s);
    }

    void shippedStatementsAgree()
    {
        TempProgram program;
        books();
        // Before closing the balance sheet balances too.
        QVERIFY(!evaluateStatement(Statement::BalanceSheet07, kYear, u"3"_s));
        QCOMPARE(amounts(u"资产表07"_s, u"期末余额1, 期末余额2"_s, u"行次1"_s, 33), u"9420 9420"_s);

        closeMonth(QDate(kYear, 3, 1), u"会计"_s, u"管理员"_s, kYear);
        for (Statement sheet : {Statement::BalanceSheet05, Statement::BalanceSheet07}) {
            QVERIFY(!evaluateStatement(sheet, kYear, u"3"_s));
            QCOMPARE(amounts(statementTable(sheet), u"年初余额1, 年初余额2, 期末余额1, 期末余额2"_s, u"行次1"_s,
                             sheet == Statement::BalanceSheet05 ? 37 : 33),
                     u"8500 8500 9420 9420"_s);
        }
        // A heading line stays empty.
        QCOMPARE(amounts(u"资产表07"_s, u"期末余额1"_s, u"行次1"_s, 1), u"-"_s);

        for (Statement income : {Statement::IncomeStatement05, Statement::IncomeStatement07}) {
            QVERIFY(!evaluateStatement(income, kYear, u"3"_s));
            QCOMPARE(amounts(statementTable(income), u"本期金额, 本年累计"_s, u"行次"_s, income == Statement::IncomeStatement05 ? 16 : 17),
                     u"750 750"_s);
        }
        QCOMPARE(amounts(u"利润表07"_s, u"本期金额"_s, u"行次"_s, 5), u"250"_s);
        // April is not closed: nothing this month, March's amounts to date.
        evaluateStatement(Statement::IncomeStatement07, kYear, u"4"_s);
        QCOMPARE(amounts(u"利润表07"_s, u"本期金额, 本年累计"_s, u"行次"_s, 17), u"- 750"_s);

        // The increase in cash is the closing less the opening cash; a heading row shows nothing,
        // however many lines carry no item.
        QVERIFY(!evaluateStatement(Statement::CashFlow, kYear, u"3"_s));
        QCOMPARE(rowsAsText(u"SELECT 行次, 金额 FROM 现流表 WHERE 行次 IN (1, 36, 37, 38) ORDER BY 行次"_s).join(QLatin1Char('|')),
                 u"1 -|36 970|37 6000|38 6970"_s);

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

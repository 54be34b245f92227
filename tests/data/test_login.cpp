#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/login.h"
#include "support/temp_program.h"

#include <QtTest>

using namespace qm;

namespace {

void addOperator(const QString& code, const QVariant& name, const QVariant& password)
{
    execute(QStringLiteral("INSERT INTO 信息表 (代号, 操作员, 密码) VALUES (?, ?, ?)"), {code, name, password});
}

}  // namespace

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{}; }

    void operatorListAndSettingsRow()
    {
        test::TempProgram program;
        addOperator(QStringLiteral("02"), QStringLiteral(""), QStringLiteral("x"));
        addOperator(QStringLiteral("03"), QVariant(), QStringLiteral("y"));
        addOperator(QStringLiteral("04"), QStringLiteral("会计"), QStringLiteral("z"));
        QCOMPARE(operatorNames(), (QStringList{QStringLiteral("管理员"), QString(), QStringLiteral("会计")}));

        execute(QStringLiteral("UPDATE 信息表 SET 年度=2016, 帐套名称=? WHERE 代号='QM'"), {QStringLiteral("某某公司")});
        const SettingsRow settings = readSettingsRow();
        QCOMPARE(settings.yearText, QStringLiteral("2016"));
        QCOMPARE(settings.unitName, QStringLiteral("某某公司"));
    }

    void passwordsCompareExactlyAndNamesWithoutCase()
    {
        test::TempProgram program;
        addOperator(QStringLiteral("02"), QStringLiteral("Zhang"), QStringLiteral(" Pw1 "));
        addOperator(QStringLiteral("03"), QStringLiteral("Li"), QVariant());
        addOperator(QStringLiteral("04"), QStringLiteral("Wang"), QStringLiteral(""));

        QVERIFY(checkLogin(QStringLiteral("Zhang"), QStringLiteral(" Pw1 ")));
        QVERIFY(checkLogin(QStringLiteral("zHANG"), QStringLiteral(" Pw1 ")));
        QVERIFY(!checkLogin(QStringLiteral("Zhang"), QStringLiteral(" pw1 ")));
        QVERIFY(!checkLogin(QStringLiteral("Zhang"), QStringLiteral("Pw1")));
        QVERIFY(!checkLogin(QStringLiteral("Zhang "), QStringLiteral(" Pw1 ")));
        QVERIFY(!checkLogin(QStringLiteral("Li"), QString()));
        QVERIFY(!checkLogin(QStringLiteral("Li"), QStringLiteral("")));
        QVERIFY(checkLogin(QStringLiteral("Wang"), QStringLiteral("")));
        QVERIFY(!checkLogin(QStringLiteral("nobody"), QStringLiteral("")));
        // A crafted name is a name, not a statement.
        QVERIFY(!checkLogin(QStringLiteral("x' OR '1'='1"), QStringLiteral(" Pw1 ")));
        QVERIFY(!checkLogin(QStringLiteral("' UNION SELECT 密码 FROM 信息表 WHERE 操作员='Zhang"), QStringLiteral(" Pw1 ")));
    }

    void logInRefusesInOrderAndFillsTheState()
    {
        test::TempProgram program;
        const QString name = QStringLiteral("管理员");
        const QString password = QStringLiteral("123456");

        auto refusal = logIn(QString(), password, QStringLiteral("2020"));
        QVERIFY(refusal);
        QCOMPARE(refusal->text, QStringLiteral("请输入操作员！"));
        QCOMPARE(refusal->title, QStringLiteral("QM505提示"));
        QCOMPARE(refusal->icon, MessageIcon::Exclamation);

        refusal = logIn(name, QStringLiteral("12345"), QStringLiteral("abc"));
        QVERIFY(refusal);
        QCOMPARE(refusal->text, QStringLiteral("操作员或密码不正确!"));
        QCOMPARE(refusal->title, QStringLiteral("QM505提示"));
        QCOMPARE(refusal->icon, MessageIcon::Stop);

        for (const QString& year : {QStringLiteral("2009"), QStringLiteral("2021"), QStringLiteral("abc"),
                                   QStringLiteral(""), QStringLiteral("20 20"), QStringLiteral("2015.5"),
                                   QStringLiteral("-2015"), QStringLiteral("99999")}) {
            refusal = logIn(name, password, year);
            QVERIFY2(refusal, qPrintable(year));
            QCOMPARE(refusal->text, QStringLiteral("超年限不能使用"));
            QCOMPARE(loginState().fiscalYear, qint16(0));
            QVERIFY(loginState().operatorName.isEmpty());
        }

        QVERIFY(!logIn(QStringLiteral("管理员"), password, QStringLiteral(" 2010 ")));
        QCOMPARE(loginState().fiscalYear, qint16(2010));
        QCOMPARE(loginState().operatorName, name);
        QCOMPARE(loginState().operatorPassword, password);
        // The typed year is the open year; the settings row keeps its own.
        QCOMPARE(readSettingsRow().yearText, QStringLiteral("2020"));
    }

    void entryTableNamesOnlyForYearsWithATable()
    {
        QCOMPARE(entryTableName(2010), QStringLiteral("分2010"));
        QCOMPARE(entryTableName(2020), QStringLiteral("分2020"));
        QVERIFY_THROWS_EXCEPTION(DbError, entryTableName(2021));
        QVERIFY_THROWS_EXCEPTION(DbError, entryTableName(0));
        QCOMPARE(parseFiscalYear(QStringLiteral("2020")), std::optional<int>(2020));
        QVERIFY(!parseFiscalYear(QStringLiteral("+2015")));
    }
};

QTEST_GUILESS_MAIN(TestLogin)
#include "test_login.moc"

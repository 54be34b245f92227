#include "support/common.h"
#include "support/books_test.h"
#include "app/login_window.h"
#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/process.h"
#include "support/widgets.h"

class TestLogin : public WindowTest {
    Q_OBJECT

private slots:
    void init() { BooksTest::init(); loginState() = LoginState{}; }

    void operatorListSettingsRowAndEntryTables()
    {
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x'), ('03', NULL, 'y'), ('04', '会计', 'z')"_s);
        QCOMPARE(operatorNames(), (QStringList{u"管理员"_s, QString(), u"会计"_s}));

        execute(u"UPDATE 信息表 SET 年度=2016, 帐套名称=? WHERE 代号='QM'"_s, {u"某某公司"_s});
        QCOMPARE(readSettingsRow().yearText + u'|' + readSettingsRow().unitName, u"2016|某某公司"_s);

        // Entry tables exist for 2010 to 2020 only.
        QCOMPARE(entryTableName(2010) + entryTableName(2020), u"分2010分2020"_s);
        for (int year : {2021, 0})
            QVERIFY_THROWS_EXCEPTION(DbError, entryTableName(year));
        QCOMPARE(parseFiscalYear(u"2020"_s), std::optional<int>(2020));
    }

    void passwordsCompareExactlyAndNamesWithoutCase()
    {
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', 'Zhang', ' Pw1 '), ('03', 'Li', NULL), ('04', 'Wang', '')"_s);
        const QList<std::tuple<QString, QString, bool>> cases = {
            {u"Zhang"_s, u" Pw1 "_s, true}, {u"zHANG"_s, u" Pw1 "_s, true}, {u"Zhang"_s, u" pw1 "_s, false},
            {u"Zhang"_s, u"Pw1"_s, false}, {u"Zhang "_s, u" Pw1 "_s, false}, {u"Li"_s, QString(), false},
            {u"Li"_s, u""_s, false}, {u"Wang"_s, u""_s, true}, {u"nobody"_s, u""_s, false},
            // A crafted name is a name, not a statement.
            {u"x' OR '1'='1"_s, u" Pw1 "_s, false}, {u"' UNION SELECT 密码 FROM 信息表 WHERE 操作员='Zhang"_s, u" Pw1 "_s, false}};
        for (const auto& [name, password, accepted] : cases)
            QVERIFY2(checkLogin(name, password) == accepted, qPrintable(name + u'/' + password));
    }

    void logInRefusesInOrderAndFillsTheState()
    {
        const QString name = u"管理员"_s;
        const QString password = u"123456"_s;
        QCOMPARE(shown(logIn(QString(), u"1"_s, u"abc"_s)), u"QM505提示|!|请输入操作员！"_s);
        QCOMPARE(shown(logIn(name, u"12345"_s, u"abc"_s)), u"QM505提示|stop|操作员或密码不正确!"_s);
        for (const QString& year : {u"2009"_s, u"2021"_s, u"abc"_s, u""_s, u"20 20"_s, u"2015.5"_s, u"-2015"_s, u"99999"_s,
                                    u"+2015"_s}) {
            QCOMPARE(logIn(name, password, year).value_or(Message{}).text, u"超年限不能使用"_s);
            QVERIFY(loginState().fiscalYear == 0 && loginState().operatorName.isEmpty());
        }
        QVERIFY(!logIn(name, password, u" 2010 "_s));
        QCOMPARE(u"%1|"_s.arg(loginState().fiscalYear) + loginState().operatorName + u'|' + loginState().operatorPassword, u"2010|管理员|123456"_s);
        // The typed year is the open year; the settings row keeps its own.
        QCOMPARE(readSettingsRow().yearText, u"2020"_s);
    }


    // The window lists the operators and proposes the stored year; refusals keep it open and
    // what was typed; Enter logs in from a filled password box; Cancel ends the program.
    void loginWindow()
    {
        execute(u"UPDATE 信息表 SET 年度=2015, 帐套名称=? WHERE 代号='QM'"_s, {u"甲公司"_s});
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x')"_s);
        LoginWindow window;
        auto* combo = child<QComboBox>(window, "Combo1");
        auto* password = child<QLineEdit>(window, "Text1");
        auto* year = child<QLineEdit>(window, "Text2");
        QCOMPARE(QStringList({window.windowTitle(), combo->itemText(0), combo->itemText(1), year->text(), loginState().unitName}),
                 (QStringList{u"QM505系统登陆窗口(登陆后可以修改年度)"_s, u"管理员"_s, QString(), u"2015"_s, u"甲公司"_s}));
        QCOMPARE(combo->count(), 2);
        password->setText(u"12"_s);
        password->ensurePolished();
        QCOMPARE(password->displayText(), u"**"_s);
        QVERIFY(!isConnectionOpen());

        combo->setCurrentIndex(1);
        QCOMPARE(press(window, "Command1", recorder), u"请输入操作员！"_s);
        window.show();
        combo->setEditText(u"管理员"_s);
        password->setText(u"654321"_s);
        QCOMPARE(press(window, "Command1", recorder), u"操作员或密码不正确!"_s);
        QCOMPARE(password->text(), u"654321"_s);
        password->setText(u"123456"_s);
        year->setText(u"2021"_s);
        QCOMPARE(press(window, "Command1", recorder), u"超年限不能使用"_s);
        QVERIFY(window.result() == QDialog::Rejected && loginState().fiscalYear == 0);

        password->clear();
        password->setFocus();
        QTest::keyClick(password, Qt::Key_Return);
        QVERIFY(recorder.messages.size() == 3 && window.isVisible());
        year->setText(u"2012"_s);
        QTest::keyClicks(password, u"123456"_s);
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(recorder.messages.size(), 3);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(loginState().operatorName + u'|' + loginState().operatorPassword + u'|' + QString::number(loginState().fiscalYear),
                 u"管理员|123456|2012"_s);

        int ended = 0;
        auto previous = setProcessEndHandler([&](int) { ++ended; });
        child<QPushButton>(window, "Command2")->click();
        setProcessEndHandler(previous);
        QCOMPARE(ended, 1);
    }
};

QTEST_MAIN(TestLogin)
#include "test_login.moc"

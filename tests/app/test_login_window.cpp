#include "support/common.h"
#include "app/login_window.h"
#include "data/database.h"
#include "data/process.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct LoginForm {
    LoginWindow window;
    QComboBox* combo = window.findChild<QComboBox*>(u"Combo1"_s);
    QLineEdit* password = window.findChild<QLineEdit*>(u"Text1"_s);
    QLineEdit* year = window.findChild<QLineEdit*>(u"Text2"_s);
    QPushButton* ok = window.findChild<QPushButton*>(u"Command1"_s);
    QPushButton* cancel = window.findChild<QPushButton*>(u"Command2"_s);
};

}  // namespace

class TestLoginWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{}; }

    void loadListsOperatorsAndProposesTheYear()
    {
        test::TempProgram program;
        execute(u"UPDATE 信息表 SET 年度=2015, 帐套名称=? WHERE 代号='QM'"_s, {u"甲公司"_s});
        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x')"_s);
        LoginForm form;
        QCOMPARE(form.window.windowTitle(), u"QM505系统登陆窗口(登陆后可以修改年度)"_s);
        QCOMPARE(QStringList({form.combo->itemText(0), form.combo->itemText(1), form.year->text()}),
                 (QStringList{u"管理员"_s, QString(), u"2015"_s}));
        QCOMPARE(form.combo->count(), 2);
        form.password->setText(u"12"_s);
        form.password->ensurePolished();
        QCOMPARE(form.password->displayText(), u"**"_s);
        QCOMPARE(loginState().unitName, u"甲公司"_s);
        QVERIFY(!isConnectionOpen());

        test::MessageRecorder recorder;
        form.combo->setCurrentIndex(1);
        form.ok->click();
        QCOMPARE(recorder.texts(), QStringList{u"请输入操作员！"_s});
        QCOMPARE(form.window.result(), int(QDialog::Rejected));

        // Cancel ends the program.
        int ended = 0;
        auto previous = setProcessEndHandler([&](int) { ++ended; });
        form.cancel->click();
        setProcessEndHandler(previous);
        QCOMPARE(ended, 1);
    }

    // Refusals keep the window open and what was typed; Enter logs in from a filled password box.
    void refusalsThenEnterLogsIn()
    {
        test::TempProgram program;
        LoginForm form;
        test::MessageRecorder recorder;
        form.window.show();
        form.combo->setEditText(u"管理员"_s);
        form.password->setText(u"654321"_s);
        form.ok->click();
        QCOMPARE(recorder.texts(), QStringList{u"操作员或密码不正确!"_s});
        QCOMPARE(form.password->text(), u"654321"_s);
        form.password->setText(u"123456"_s);
        form.year->setText(u"2021"_s);
        form.ok->click();
        QCOMPARE(recorder.texts().last(), u"超年限不能使用"_s);
        QCOMPARE(form.window.result(), int(QDialog::Rejected));
        QCOMPARE(loginState().fiscalYear, qint16(0));

        form.password->clear();
        form.password->setFocus();
        QTest::keyClick(form.password, Qt::Key_Return);
        QCOMPARE(recorder.texts().size(), 2);
        QVERIFY(form.window.isVisible());
        form.year->setText(u"2012"_s);
        QTest::keyClicks(form.password, u"123456"_s);
        QTest::keyClick(form.password, Qt::Key_Return);
        QCOMPARE(recorder.texts().size(), 2);
        QCOMPARE(form.window.result(), int(QDialog::Accepted));
        QCOMPARE(loginState().operatorName + u'|' + loginState().operatorPassword, u"管理员|123456"_s);
        QCOMPARE(loginState().fiscalYear, qint16(2012));
    }
};

QTEST_MAIN(TestLoginWindow)
#include "test_login_window.moc"

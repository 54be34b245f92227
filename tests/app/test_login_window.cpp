#include "app/login_window.h"
#include "data/database.h"
#include "data/login.h"
#include "data/process.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace qm;

namespace {

struct LoginForm {
    LoginWindow window;
    QComboBox* combo = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    QLineEdit* password = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QLineEdit* year = window.findChild<QLineEdit*>(QStringLiteral("Text2"));
    QPushButton* ok = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    QPushButton* cancel = window.findChild<QPushButton*>(QStringLiteral("Command2"));
};

}  // namespace

class TestLoginWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{}; }

    void loadListsOperatorsAndProposesTheYear()
    {
        test::TempProgram program;
        execute(QStringLiteral("UPDATE 信息表 SET 年度=2015, 帐套名称=? WHERE 代号='QM'"), {QStringLiteral("甲公司")});
        execute(QStringLiteral("INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', '', 'x')"));
        LoginForm form;
        QCOMPARE(form.window.windowTitle(), QStringLiteral("QM505系统登陆窗口(登陆后可以修改年度)"));
        QCOMPARE(form.combo->count(), 2);
        QCOMPARE(form.combo->itemText(0), QStringLiteral("管理员"));
        QCOMPARE(form.combo->itemText(1), QString());
        QCOMPARE(form.year->text(), QStringLiteral("2015"));
        QCOMPARE(form.password->echoMode(), QLineEdit::Password);
        form.password->setText(QStringLiteral("12"));
        form.password->ensurePolished();
        QCOMPARE(form.password->displayText(), QStringLiteral("**"));
        form.password->clear();
        QCOMPARE(loginState().unitName, QStringLiteral("甲公司"));
        QVERIFY(!isConnectionOpen());

        test::MessageRecorder recorder;
        form.combo->setCurrentIndex(1);
        form.password->setText(QStringLiteral("x"));
        form.ok->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("请输入操作员！")});
        QCOMPARE(form.window.result(), int(QDialog::Rejected));
    }

    void wrongPasswordAndYearKeepTheWindowOpen()
    {
        test::TempProgram program;
        LoginForm form;
        test::MessageRecorder recorder;
        form.combo->setEditText(QStringLiteral("管理员"));
        form.password->setText(QStringLiteral("654321"));
        form.ok->click();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("操作员或密码不正确!")});
        QCOMPARE(form.password->text(), QStringLiteral("654321"));

        form.password->setText(QStringLiteral("123456"));
        form.year->setText(QStringLiteral("2021"));
        form.ok->click();
        QCOMPARE(recorder.texts().last(), QStringLiteral("超年限不能使用"));
        QCOMPARE(form.window.result(), int(QDialog::Rejected));
        QCOMPARE(loginState().fiscalYear, qint16(0));
    }

    void enterLogsInOnlyFromAFilledPasswordBox()
    {
        test::TempProgram program;
        LoginForm form;
        test::MessageRecorder recorder;
        form.window.show();
        form.combo->setEditText(QStringLiteral("管理员"));
        form.password->setFocus();
        QTest::keyClick(form.password, Qt::Key_Return);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(form.window.result(), int(QDialog::Rejected));
        QVERIFY(form.window.isVisible());

        form.year->setText(QStringLiteral("2012"));
        QTest::keyClicks(form.password, QStringLiteral("123456"));
        QTest::keyClick(form.password, Qt::Key_Return);
        QVERIFY(recorder.messages.isEmpty());
        QCOMPARE(form.window.result(), int(QDialog::Accepted));
        QCOMPARE(loginState().operatorName, QStringLiteral("管理员"));
        QCOMPARE(loginState().operatorPassword, QStringLiteral("123456"));
        QCOMPARE(loginState().fiscalYear, qint16(2012));
    }

    void cancelEndsTheProcess()
    {
        test::TempProgram program;
        LoginForm form;
        int ended = 0;
        auto previous = setProcessEndHandler([&](int) { ++ended; });
        form.cancel->click();
        setProcessEndHandler(previous);
        QCOMPARE(ended, 1);
    }
};

QTEST_MAIN(TestLoginWindow)
#include "test_login_window.moc"

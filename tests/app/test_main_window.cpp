#include "app/main_window.h"
#include "data/login.h"
#include "data/printer.h"
#include "data/process.h"
#include "support/message_recorder.h"
#include "support/temp_program.h"

#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using namespace qm;

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    int m_ended = 0;
    ProcessEndHandler m_previousEnd;
    std::function<bool()> m_previousPrinter;

private slots:
    void init()
    {
        loginState() = LoginState{2016, QStringLiteral("会计"), QStringLiteral("pw"), QStringLiteral("乙公司")};
        m_ended = 0;
        m_previousEnd = setProcessEndHandler([this](int) { ++m_ended; });
        m_previousPrinter = setPrinterCheck([] { return true; });
    }

    void cleanup()
    {
        setProcessEndHandler(m_previousEnd);
        setPrinterCheck(m_previousPrinter);
    }

    void showsYearOperatorCaptionToolbarAndMenus()
    {
        MainWindow window;
        QCOMPARE(window.objectName(), QStringLiteral("QM505"));
        QCOMPARE(window.windowTitle(), QStringLiteral("QM505系统--乙公司"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("2016年"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel3"))->text(), QStringLiteral("操作员:会计"));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel4"))->toolTip(), QStringLiteral("双击停止滚动"));
        QCOMPARE(window.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 400);

        QStringList buttons;
        for (QAction* action : window.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->actions())
            buttons << action->text();
        QCOMPARE(buttons, (QStringList{QStringLiteral("凭证录入"), QStringLiteral("凭证打印"), QStringLiteral("综合查询"),
                                       QStringLiteral("报表查看"), QStringLiteral("科目设置"), QStringLiteral("系统设置")}));

        QStringList menus;
        for (QAction* action : window.menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("系统设置(F)"), QStringLiteral("凭证处理(E)"), QStringLiteral("报表查看(T)"),
                                     QStringLiteral("综合查询(G)"), QStringLiteral("关于系统(S)"), QStringLiteral("退出系统(E)")}));
        QStringList systemItems;
        for (QAction* action : window.menuBar()->actions().first()->menu()->actions())
            systemItems << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(systemItems, (QStringList{QStringLiteral("科目处理"), QStringLiteral("-"), QStringLiteral("初始设置")}));
    }

    void welcomeLineScrollsAndStops()
    {
        MainWindow window;
        const QString start = window.welcomePanelText();
        QCOMPARE(start.size(), 95);
        QVERIFY(start.startsWith(QStringLiteral("欢迎使用QM505系统(VB")));
        QVERIFY(MainWindow::welcomeLine().endsWith(QStringLiteral("版)")));

        window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start.mid(1) + start.at(0));
        for (int tick = 1; tick < 95; ++tick)
            window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start);

        window.scrollWelcomeLine();
        auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel4"));
        QTest::mouseDClick(panel, Qt::LeftButton);
        QCOMPARE(window.welcomePanelText(), MainWindow::welcomeLine());
        QVERIFY(!window.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    }

    void closeIsRefusedWhileAWorkWindowIsOpen()
    {
        MainWindow window;
        window.show();
        QMdiSubWindow* child = window.workArea()->addSubWindow(new QWidget);
        child->show();
        QVERIFY(!window.close());
        QCOMPARE(m_ended, 0);
        QVERIFY(window.isVisible());

        window.workArea()->removeSubWindow(child);
        delete child;
        QVERIFY(window.close());
        QCOMPARE(m_ended, 1);
    }

    void workWindowsOpenOnceEach()
    {
        test::TempProgram program;
        MainWindow window;
        window.openQueryCentre();
        window.openStatements();
        window.openQueryCentre();
        QCOMPARE(window.workArea()->subWindowList().size(), 2);
        QCOMPARE(window.workArea()->activeSubWindow()->widget()->objectName(), QStringLiteral("Form5"));
        QVERIFY(!window.close());
        window.workArea()->closeAllSubWindows();
        window.openVoucherPrinting(false);
        window.openVoucherPrinting(false);
        QCOMPARE(window.findChildren<QDialog*>(QStringLiteral("Form11")).size(), 1);
        QVERIFY(!window.close());
        window.findChild<QDialog*>(QStringLiteral("Form11"))->close();
        QVERIFY(window.close());
    }

    void exitAsksAndSetsPortraitWhateverTheAnswer()
    {
        MainWindow window;
        test::MessageRecorder recorder;
        setPrinterOrientation(Landscape);
        recorder.answers.enqueue(MessageAnswer::No);
        window.exitSystem();
        QCOMPARE(recorder.texts(), QStringList{QStringLiteral("是否退出系统?")});
        QCOMPARE(recorder.messages.first().title, QStringLiteral("QM505"));
        QCOMPARE(recorder.messages.first().buttons, MessageButtons::YesNo);
        QCOMPARE(printerOrientation(), int(Portrait));
        QCOMPARE(m_ended, 0);

        setPrinterOrientation(Landscape);
        recorder.answers.enqueue(MessageAnswer::Yes);
        window.exitSystem();
        QCOMPARE(printerOrientation(), int(Portrait));
        QCOMPARE(m_ended, 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"

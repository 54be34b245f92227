#include "support/common.h"
#include "app/main_window.h"
#include "data/printer.h"
#include "data/process.h"

#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    int m_ended = 0;
    ProcessEndHandler m_previousEnd;
    std::function<bool()> m_previousPrinter;

private slots:
    void init()
    {
        loginState() = LoginState{2016, u"会计"_s, u"pw"_s, u"乙公司"_s};
        m_ended = 0;
        m_previousEnd = setProcessEndHandler([this](int) { ++m_ended; });
        m_previousPrinter = setPrinterCheck([] { return true; });
    }

    void cleanup()
    {
        setProcessEndHandler(m_previousEnd);
        setPrinterCheck(m_previousPrinter);
    }

    void showsYearOperatorCaptionToolbarMenusAndWelcomeLine()
    {
        MainWindow window;
        QCOMPARE(window.objectName(), u"QM505"_s);
        QCOMPARE(window.windowTitle(), u"QM505系统--乙公司"_s);
        QCOMPARE(window.findChild<QLabel*>(u"Label1"_s)->text(), u"2016年"_s);
        QCOMPARE(window.findChild<QLabel*>(u"StatusBar1Panel3"_s)->text(), u"操作员:会计"_s);
        QCOMPARE(window.findChild<QLabel*>(u"StatusBar1Panel4"_s)->toolTip(), u"双击停止滚动"_s);
        QCOMPARE(window.findChild<QTimer*>(u"Timer1"_s)->interval(), 400);
        const auto texts = [](const QList<QAction*>& actions) {
            QStringList texts;
            for (QAction* action : actions)
                texts << (action->isSeparator() ? u"-"_s : action->text());
            return texts.join(u',');
        };
        QCOMPARE(texts(window.findChild<QToolBar*>(u"Toolbar1"_s)->actions()), u"凭证录入,凭证打印,综合查询,报表查看,科目设置,系统设置"_s);
        QCOMPARE(texts(window.menuBar()->actions()), u"系统设置(F),凭证处理(E),报表查看(T),综合查询(G),关于系统(S),退出系统(E)"_s);
        QCOMPARE(texts(window.menuBar()->actions().first()->menu()->actions()), u"科目处理,-,初始设置"_s);

        // The welcome line scrolls a character a tick, round to its start, and a double click stops it.
        const QString start = window.welcomePanelText();
        QCOMPARE(start.size(), 95);
        QVERIFY(start.startsWith(u"欢迎使用QM505系统(VB"_s));
        QVERIFY(MainWindow::welcomeLine().endsWith(u"版)"_s));

        window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start.mid(1) + start.at(0));
        for (int tick = 1; tick < 95; ++tick)
            window.scrollWelcomeLine();
        QCOMPARE(window.welcomePanelText(), start);

        window.scrollWelcomeLine();
        auto* panel = window.findChild<QLabel*>(u"StatusBar1Panel4"_s);
        QTest::mouseDClick(panel, Qt::LeftButton);
        QCOMPARE(window.welcomePanelText(), MainWindow::welcomeLine());
        QVERIFY(!window.findChild<QTimer*>(u"Timer1"_s)->isActive());
    }

    // Each work window opens once; the main window refuses to close while one is open.
    void workWindowsOpenOnceEach()
    {
        test::TempProgram program;
        MainWindow window;
        window.show();
        window.openQueryCentre();
        window.openStatements();
        window.openQueryCentre();
        QCOMPARE(window.workArea()->subWindowList().size(), 2);
        QCOMPARE(window.workArea()->activeSubWindow()->widget()->objectName(), u"Form5"_s);
        QVERIFY(!window.close());
        window.workArea()->closeAllSubWindows();
        window.openVoucherPrinting(false);
        window.openVoucherPrinting(false);
        QCOMPARE(window.findChildren<QDialog*>(u"Form11"_s).size(), 1);
        QVERIFY(!window.close());
        QCOMPARE(m_ended, 0);
        QVERIFY(window.isVisible());
        window.findChild<QDialog*>(u"Form11"_s)->close();
        QVERIFY(window.close());
        QCOMPARE(m_ended, 1);
    }

    void exitAsksAndSetsPortraitWhateverTheAnswer()
    {
        MainWindow window;
        test::MessageRecorder recorder;
        setPrinterOrientation(Landscape);
        recorder.answers.enqueue(MessageAnswer::No);
        window.exitSystem();
        QCOMPARE(test::shown(recorder.messages.first()), u"QM505||是否退出系统?"_s);
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

#include "main_window.h"

#include "accounts/chart_window.h"
#include "accounts/opening_balances_window.h"
#include "app/settings_window.h"
#include "ledgers/query_centre_window.h"
#include "statements/statements_window.h"
#include "statements/voucher_print_window.h"
#include "vouchers/voucher_window.h"
#include "data/dialog_runner.h"
#include "data/keyboard_state.h"
#include "data/login.h"
#include "data/message_box.h"
#include "data/printer.h"
#include "data/process.h"
#include "data/window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kScrollInterval = 400;
constexpr int kWelcomeWidth = 95;

QString versionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(QM505_VERSION_MAJOR)
        .arg(QM505_VERSION_MINOR)
        .arg(QM505_VERSION_PATCH);
}

QLabel* makePanel(QStatusBar* bar, const QString& name, const QString& text = QString())
{
    auto* panel = new QLabel(text, bar);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    return panel;
}

// Greyed in the colour of disabled text rather than disabled itself, so that a double click on it
// still stops the welcome line.
void showKeyPanel(QLabel* panel, bool on)
{
    QPalette palette;  // nothing of its own: the status bar's colours
    if (!on) {
        const QColor grey = panel->parentWidget()->palette().color(QPalette::Disabled, QPalette::WindowText);
        palette.setColor(QPalette::Active, QPalette::WindowText, grey);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, grey);
    }
    panel->setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("QM505"));
    setWindowTitle(QStringLiteral("QM505系统--") + loginState().unitName);
    resize(1024, 720);

    auto* picture = new QWidget(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    m_yearLabel = new QLabel(picture);
    m_yearLabel->setObjectName(QStringLiteral("Label1"));
    QFont yearFont = m_yearLabel->font();
    yearFont.setPointSizeF(yearFont.pointSizeF() * 2);
    yearFont.setBold(true);
    m_yearLabel->setFont(yearFont);
    showYear(loginState().fiscalYear);
    auto* pictureLayout = new QHBoxLayout(picture);
    pictureLayout->addWidget(m_yearLabel);
    pictureLayout->addStretch();

    m_workArea = new QMdiArea(this);
    m_workArea->setObjectName(QStringLiteral("workArea"));
    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->addWidget(picture);
    centralLayout->addWidget(m_workArea, 1);
    setCentralWidget(central);

    buildMenus();
    buildToolbar();
    buildStatusBar();

    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setObjectName(QStringLiteral("Timer1"));
    m_scrollTimer->setInterval(kScrollInterval);
    connect(m_scrollTimer, &QTimer::timeout, this, &MainWindow::scrollWelcomeLine);
    m_scrollTimer->start();
}

QString MainWindow::welcomeLine()
{
    return QStringLiteral("欢迎使用QM505系统(VB") + versionText() + QStringLiteral("版)");
}

QString MainWindow::welcomePanelText() const
{
    return m_welcomePanel->text();
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* system = bar->addMenu(QStringLiteral("系统设置(F)"));
    system->addAction(QStringLiteral("科目处理"), this, &MainWindow::openAccounts)
        ->setObjectName(QStringLiteral("科处"));
    system->addSeparator();
    system->addAction(QStringLiteral("初始设置"), this, &MainWindow::openSettings)
        ->setObjectName(QStringLiteral("初设"));

    QMenu* vouchers = bar->addMenu(QStringLiteral("凭证处理(E)"));
    vouchers->addAction(QStringLiteral("凭证录入"), this, &MainWindow::openVoucherEntry)
        ->setObjectName(QStringLiteral("凭录"));
    vouchers->addSeparator();
    vouchers->addAction(QStringLiteral("凭证打印"), this, [this] { openVoucherPrinting(false); })
        ->setObjectName(QStringLiteral("凭打"));

    bar->addAction(QStringLiteral("报表查看(T)"), this, &MainWindow::openStatements)
        ->setObjectName(QStringLiteral("报查"));
    bar->addAction(QStringLiteral("综合查询(G)"), this, &MainWindow::openQueryCentre)
        ->setObjectName(QStringLiteral("综查"));
    bar->addAction(QStringLiteral("关于系统(S)"), this, &MainWindow::showAbout)
        ->setObjectName(QStringLiteral("关于"));

    QMenu* exit = bar->addMenu(QStringLiteral("退出系统(E)"));
    exit->addAction(QStringLiteral("关闭系统"), this, &MainWindow::exitSystem)
        ->setObjectName(QStringLiteral("关闭"));
}

void MainWindow::buildToolbar()
{
    auto* toolbar = addToolBar(QStringLiteral("工具栏"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct {
        QString text;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {QStringLiteral("凭证录入"), QStyle::SP_FileDialogNewFolder},
        {QStringLiteral("凭证打印"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("综合查询"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("报表查看"), QStyle::SP_FileDialogInfoView},
        {QStringLiteral("科目设置"), QStyle::SP_DirIcon},
        {QStringLiteral("系统设置"), QStyle::SP_ComputerIcon},
    };
    int index = 1;
    for (const auto& button : buttons) {
        QAction* action = toolbar->addAction(style()->standardIcon(button.icon), button.text);
        action->setObjectName(QStringLiteral("Toolbar1Button%1").arg(index));
        connect(action, &QAction::triggered, this, [this, index] { toolbarButtonClicked(index); });
        ++index;
    }
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("PB1"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(200);
    m_progress->hide();
    setProgressBar(m_progress);

    m_datePanel = makePanel(bar, QStringLiteral("StatusBar1Panel1"));
    m_timePanel = makePanel(bar, QStringLiteral("StatusBar1Panel2"));
    m_operatorPanel = makePanel(bar, QStringLiteral("StatusBar1Panel3"),
                                QStringLiteral("操作员:") + loginState().operatorName);
    m_welcomePanel = makePanel(bar, QStringLiteral("StatusBar1Panel4"),
                               welcomeLine().leftJustified(kWelcomeWidth, QLatin1Char(' ')));
    m_welcomePanel->setToolTip(QStringLiteral("双击停止滚动"));
    // Blanks must keep their width while the line scrolls.
    m_welcomePanel->setTextFormat(Qt::PlainText);

    bar->addWidget(m_progress);
    bar->addWidget(m_datePanel);
    bar->addWidget(m_timePanel);
    bar->addWidget(m_operatorPanel);
    bar->addWidget(m_welcomePanel, 1);
    m_capsPanel = makePanel(bar, QStringLiteral("StatusBar1Panel5"), QStringLiteral("CAPS"));
    m_numPanel = makePanel(bar, QStringLiteral("StatusBar1Panel6"), QStringLiteral("NUM"));
    m_insertPanel = makePanel(bar, QStringLiteral("StatusBar1Panel7"), QStringLiteral("Ins"));
    bar->addPermanentWidget(m_capsPanel);
    bar->addPermanentWidget(m_numPanel);
    bar->addPermanentWidget(m_insertPanel);
    installKeyboardWatch();
    connect(KeyboardStateNotifier::instance(), &KeyboardStateNotifier::changed, this,
            &MainWindow::showKeyboardState);
    showKeyboardState();

    bar->installEventFilter(this);
    for (QLabel* panel : bar->findChildren<QLabel*>())
        panel->installEventFilter(this);

    updateClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainWindow::updateClock);
    clock->start(1000);
}

void MainWindow::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_datePanel->setText(now.toString(QStringLiteral("yyyy-MM-dd")));
    m_timePanel->setText(now.toString(QStringLiteral("HH:mm")));
}

void MainWindow::scrollWelcomeLine()
{
    const QString text = m_welcomePanel->text();
    if (!text.isEmpty())
        m_welcomePanel->setText(text.mid(1) + text.at(0));
}

void MainWindow::stopScrolling()
{
    m_scrollTimer->stop();
    m_welcomePanel->setText(welcomeLine());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick)
        stopScrolling();
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::hasOpenWorkWindow() const
{
    return !m_workArea->subWindowList().isEmpty() || QApplication::activeModalWidget() != nullptr
           || (m_voucherPrinting && m_voucherPrinting->isVisible());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (hasOpenWorkWindow()) {
        event->ignore();
        return;
    }
    event->accept();
    endProcess();
}

void MainWindow::exitSystem()
{
    // Portrait again whatever the answer.
    setPrinterOrientation(Portrait);
    if (showMessage(QStringLiteral("是否退出系统?"), QStringLiteral("QM505"), MessageIcon::None,
                    MessageButtons::YesNo)
        == MessageAnswer::Yes)
        endProcess();
}

void MainWindow::showAbout()
{
    showMessage(QStringLiteral("系统版本:VB") + versionText() + QStringLiteral("版")
                    + QStringLiteral("\n\n联系方式:QM505开发组 qm505@example.com"),
                QStringLiteral("QM505 总帐系统 —— QM505开发组"), MessageIcon::Information);
}

void MainWindow::toolbarButtonClicked(int index)
{
    switch (index) {
    case 1: openVoucherEntry(); break;
    case 2: openVoucherPrinting(true); break;
    case 3: openQueryCentre(); break;
    case 4: openStatements(); break;
    case 5: openAccounts(); break;
    case 6: openSettings(); break;
    default: break;
    }
}

void MainWindow::openAccounts()
{
    runChartMaintenance(this);
}

void MainWindow::openVoucherEntry()
{
    VoucherWindow vouchers(this);
    execDialog(vouchers);
}

void MainWindow::openSettings()
{
    bool openingBalances = false;
    {
        SettingsWindow settings(this);
        connect(&settings, &SettingsWindow::yearChanged, this, &MainWindow::showYear);
        connect(&settings, &SettingsWindow::operatorRenamed, this, &MainWindow::showRenamedOperator);
        execDialog(settings);
        openingBalances = settings.openingBalancesRequested();
    }
    if (openingBalances) {
        OpeningBalancesWindow opening(this);
        execDialog(opening);
    }
}

void MainWindow::showYear(int year)
{
    m_yearLabel->setText(QString::number(year) + QStringLiteral("年"));
}

void MainWindow::showKeyboardState()
{
    showKeyPanel(m_capsPanel, lockKeyState(LockKey::CapsLock).value_or(false));
    showKeyPanel(m_numPanel, lockKeyState(LockKey::NumLock).value_or(false));
    showKeyPanel(m_insertPanel, insertMode());
}

void MainWindow::showRenamedOperator(const QString& name)
{
    // The rename shows the name alone, without the prefix of the start.
    m_operatorPanel->setText(name);
}

QWidget* MainWindow::showWorkWindow(const QString& name, const std::function<QWidget*()>& make)
{
    for (QMdiSubWindow* frame : m_workArea->subWindowList()) {
        if (frame->widget() && frame->widget()->objectName() == name) {
            m_workArea->setActiveSubWindow(frame);
            frame->showMaximized();
            return frame->widget();
        }
    }
    QWidget* window = make();
    QMdiSubWindow* frame = m_workArea->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->showMaximized();
    return window;
}

void MainWindow::openQueryCentre()
{
    showWorkWindow(QStringLiteral("Form5"), [] { return new QueryCentreWindow; });
}

void MainWindow::openVoucherPrinting(bool modal)
{
    if (modal) {
        VoucherPrintWindow printing(this);
        execDialog(printing);
        return;
    }
    if (!m_voucherPrinting) {
        m_voucherPrinting = new VoucherPrintWindow(this);
        m_voucherPrinting->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_voucherPrinting->show();
    m_voucherPrinting->raise();
    m_voucherPrinting->activateWindow();
}

void MainWindow::openStatements()
{
    showWorkWindow(QStringLiteral("Form12"), [] { return new StatementsWindow; });
}


}  // namespace qm

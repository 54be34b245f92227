#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>

class QLabel;
class QMdiArea;
class QProgressBar;
class QTimer;

namespace qm {

// The main window: menus and toolbar open the work windows; the status bar shows date, time,
// operator, the scrolling welcome line and the keyboard states.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    static QString welcomeLine();
    QString welcomePanelText() const;
    QMdiArea* workArea() const { return m_workArea; }

public slots:
    void scrollWelcomeLine();
    void stopScrolling();
    void exitSystem();
    void showAbout();
    void toolbarButtonClicked(int index);

    void showYear(int year);
    void showRenamedOperator(const QString& name);
    // Caps Lock, Num Lock and insert shown normally when on, greyed when off or unknown.
    void showKeyboardState();

    void openAccounts();
    void openSettings();
    void openVoucherEntry();
    void openVoucherPrinting(bool modal);
    void openStatements();
    void openQueryCentre();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void updateClock();
    bool hasOpenWorkWindow() const;
    // Shows the modeless work window of that name in the work area, made once by `make`;
    // asking again brings the open one forward.
    QWidget* showWorkWindow(const QString& name, const std::function<QWidget*()>& make);

    QMdiArea* m_workArea;
    QLabel* m_yearLabel;
    QLabel* m_datePanel;
    QLabel* m_timePanel;
    QLabel* m_operatorPanel;
    QLabel* m_welcomePanel;
    QLabel* m_capsPanel;
    QLabel* m_numPanel;
    QLabel* m_insertPanel;
    QProgressBar* m_progress;
    QTimer* m_scrollTimer;
    QPointer<QWidget> m_voucherPrinting;  // the modeless one opened from the menu
};

}  // namespace qm

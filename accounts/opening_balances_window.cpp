#include "opening_balances_window.h"

#include "opening_balances.h"
#include "data/login.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/number_format.h"
#include "data/window_helpers.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

QString valueText(const QVariant& value, bool amount)
{
    if (value.isNull())
        return QString();
    return amount ? formatThousands(value.toDouble()) : QString::number(value.toDouble(), 'g', 15);
}

QTableWidgetItem* valueItem(const QVariant& value, bool amount)
{
    QTableWidgetItem* item = storedCell(valueText(value, amount));
    if (amount)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Empties the grid and gives it these columns, their widths in twips.
void resetGrid(QTableWidget* grid, const QStringList& headers, const std::vector<int>& widths)
{
    grid->clear();
    grid->setColumnCount(int(headers.size()));
    grid->setHorizontalHeaderLabels(headers);
    for (int column = 0; column < int(widths.size()); ++column)
        grid->setColumnWidth(column, twipsToPixels(widths[column]));
}

}  // namespace

OpeningBalancesWindow::OpeningBalancesWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form9"));
    keepOpenOnEscape(this);
    setWindowTitle(QStringLiteral("科目初始余额处理(可以随时重复操作)"));
    resize(760, 560);

    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("DataGrid1"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(twipsToPixels(280));
    m_grid->installEventFilter(this);
    installWheelPaging(m_grid);
    guardNumberPastes(m_grid, [this](int column) -> std::optional<NumberShape> {
        const int value = valueIndex(column);
        if (value < 0)
            return std::nullopt;
        return NumberShape{value == 0 ? kQuantityDecimals : kAmountDecimals};
    });

    m_debitTotal = makeLineEdit(QStringLiteral("Text1"), this);
    m_creditTotal = makeLineEdit(QStringLiteral("Text2"), this);
    m_balanceWord = makeLineEdit(QStringLiteral("Text3"), this);
    m_mode = makeLineEdit(QStringLiteral("Text4"), this);
    for (QLineEdit* box : {m_debitTotal, m_creditTotal, m_balanceWord, m_mode})
        box->setReadOnly(true);
    m_mode->hide();
    for (QLineEdit* total : {m_debitTotal, m_creditTotal})
        total->setAlignment(Qt::AlignRight);

    auto* reload = new QGroupBox(QStringLiteral("重新装入年初数"), this);
    reload->setObjectName(QStringLiteral("Frame1"));
    QPushButton* showAccounts = makeButton(QStringLiteral("Command1"), QStringLiteral("显示科目"), reload);
    QPushButton* load = makeButton(QStringLiteral("Command2"), QStringLiteral("装入年初数"), reload);
    auto* reloadLayout = new QHBoxLayout(reload);
    reloadLayout->addWidget(showAccounts);
    reloadLayout->addWidget(load);
    auto* edit = new QGroupBox(QStringLiteral("修改已有年初数"), this);
    edit->setObjectName(QStringLiteral("Frame2"));
    QPushButton* fetch = makeButton(QStringLiteral("Command3"), QStringLiteral("调出年初数"), edit);
    QPushButton* rewrite = makeButton(QStringLiteral("Command4"), QStringLiteral("修改年初数"), edit);
    auto* editLayout = new QHBoxLayout(edit);
    editLayout->addWidget(fetch);
    editLayout->addWidget(rewrite);
    QPushButton* close = makeButton(QStringLiteral("Command5"), QStringLiteral("关闭"), this);

    auto* totals = new QHBoxLayout;
    totals->addWidget(new QLabel(QStringLiteral("借方合计"), this));
    totals->addWidget(m_debitTotal);
    totals->addWidget(new QLabel(QStringLiteral("贷方合计"), this));
    totals->addWidget(m_creditTotal);
    totals->addWidget(m_balanceWord);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reload);
    buttons->addWidget(edit);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(totals);
    layout->addLayout(buttons);

    connect(showAccounts, &QPushButton::clicked, this, [this] { guarded([this] { showAccountsClicked(); }); });
    connect(load, &QPushButton::clicked, this, [this] { guarded([this] { loadClicked(); }); });
    connect(fetch, &QPushButton::clicked, this, [this] { guarded([this] { fetchClicked(); }); });
    connect(rewrite, &QPushButton::clicked, this, [this] { guarded([this] { rewriteClicked(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Enter in a cell being edited stores it and moves on as well.
    connect(m_grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    moveToNextRow();
            });
    connect(m_grid, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (!m_filling)
            guarded([&] { cellEdited(row, column); });
    });
}

void OpeningBalancesWindow::setShown(Shown shown)
{
    m_shown = shown;
    setAwaitingLoad(shown);
}

void OpeningBalancesWindow::setAwaitingLoad(Shown waiting)
{
    m_awaitingLoad = waiting;
    m_mode->setText(waiting == Shown::Accounts ? QStringLiteral("1") : waiting == Shown::WorkCopy ? QStringLiteral("2") : QString());
}

void OpeningBalancesWindow::clearTotals()
{
    m_debitTotal->clear();
    m_creditTotal->clear();
    m_balanceWord->clear();
}

void OpeningBalancesWindow::showTrialBalance(const TrialBalance& balance)
{
    m_debitTotal->setText(balance.debitText);
    m_creditTotal->setText(balance.creditText);
    m_balanceWord->setText(balance.balanced ? QStringLiteral("平衡") : QStringLiteral("不平衡"));
}

void OpeningBalancesWindow::showAccountsClicked()
{
    commitPendingEdit(m_grid);
    const std::vector<OpeningAccount> accounts = openingAccounts();
    m_filling = true;
    resetGrid(m_grid, {QStringLiteral("科目代码"), QStringLiteral("科目全称"), QStringLiteral("方向"), QStringLiteral("数量"),
                       QStringLiteral("借方金额"), QStringLiteral("贷方金额")},
              {1000, 2000, 300, 800, 1500, 1500});
    m_grid->setRowCount(int(accounts.size()));
    for (int row = 0; row < int(accounts.size()); ++row) {
        const OpeningAccount& account = accounts[row];
        m_grid->setItem(row, 0, lockedCell(account.code));
        m_grid->setItem(row, 1, lockedCell(account.fullName));
        m_grid->setItem(row, 2, lockedCell(account.direction));
        m_grid->setItem(row, 3, valueItem(account.quantity, false));
        m_grid->setItem(row, 4, valueItem(account.debit, true));
        m_grid->setItem(row, 5, valueItem(account.credit, true));
    }
    m_filling = false;
    setShown(Shown::Accounts);
    clearTotals();
}

void OpeningBalancesWindow::fetchClicked()
{
    commitPendingEdit(m_grid);
    fetchOpeningRows(loginState().fiscalYear);
    const std::vector<OpeningRow> rows = fetchedOpeningRows();
    m_filling = true;
    resetGrid(m_grid, {QStringLiteral("代码"), QStringLiteral("科目全称"), QStringLiteral("数量"), QStringLiteral("借方金额"),
                       QStringLiteral("贷方金额")},
              {1000, 2000, 800, 1500, 1500});
    m_grid->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        const OpeningRow& opening = rows[row];
        QTableWidgetItem* code = lockedCell(opening.code);
        code->setData(Qt::UserRole, opening.lineId);
        m_grid->setItem(row, 0, code);
        m_grid->setItem(row, 1, lockedCell(opening.fullName));
        m_grid->setItem(row, 2, valueItem(opening.quantity, false));
        m_grid->setItem(row, 3, valueItem(opening.debit, true));
        m_grid->setItem(row, 4, valueItem(opening.credit, true));
    }
    m_filling = false;
    setShown(Shown::WorkCopy);
    clearTotals();
}

int OpeningBalancesWindow::valueIndex(int column) const
{
    // Quantity, debit and credit are the last three columns of either grid.
    const int firstValueColumn = m_shown == Shown::Accounts ? 3 : m_shown == Shown::WorkCopy ? 2 : -1;
    if (firstValueColumn < 0 || column < firstValueColumn || column > firstValueColumn + 2)
        return -1;
    return column - firstValueColumn;
}

void OpeningBalancesWindow::cellEdited(int row, int column)
{
    const int value = valueIndex(column);
    if (value < 0)
        return;
    const bool quantity = value == 0;
    const QString columnName =
        QStringList{QStringLiteral("数量"), QStringLiteral("借方金额"), QStringLiteral("贷方金额")}.at(value);
    QTableWidgetItem* cell = m_grid->item(row, column);
    const TypedValue typed = quantity ? readTypedQuantity(cell->text()) : readTypedAmount(cell->text());
    if (typed.refusal) {
        restoreStoredText(cell);
        showMessage(*typed.refusal);
        return;
    }
    if (m_shown == Shown::WorkCopy)
        setFetchedOpeningValue(m_grid->item(row, 0)->data(Qt::UserRole).toInt(), columnName, typed.value);
    else
        setOpeningValue(m_grid->item(row, 0)->text(), columnName, typed.value);
    // Show what was stored, as the other cells show it.
    showStoredText(cell, valueText(typed.value, !quantity));
}

void OpeningBalancesWindow::changeOpeningRows(bool rewrite)
{
    commitPendingEdit(m_grid);
    if (m_awaitingLoad == Shown::Nothing)
        return;
    const TrialBalance balance = rewrite ? trialBalanceOfWorkCopy() : trialBalanceOfChart();
    showTrialBalance(balance);
    const ChangeCheck check =
        checkOpeningRowsChange(rewrite, m_awaitingLoad == (rewrite ? Shown::WorkCopy : Shown::Accounts), balance);
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) != MessageAnswer::Yes)
        return;
    const int year = loginState().fiscalYear;
    showMessage(rewrite ? rewriteOpeningRows(year) : loadOpeningRows(year));
    setAwaitingLoad(Shown::Nothing);
}

void OpeningBalancesWindow::loadClicked()
{
    changeOpeningRows(false);
}

void OpeningBalancesWindow::rewriteClicked()
{
    changeOpeningRows(true);
}

void OpeningBalancesWindow::moveToNextRow()
{
    if (m_grid->currentRow() + 1 < m_grid->rowCount())
        m_grid->setCurrentCell(m_grid->currentRow() + 1, m_grid->currentColumn());
}

bool OpeningBalancesWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the grid moves to the next row, as the arrow key does. An Enter that closes a
    // cell's editor reaches the grid too; closing the editor moves on already.
    if (watched == m_grid && event->type() == QEvent::KeyPress && QApplication::focusWidget() == m_grid) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            moveToNextRow();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OpeningBalancesWindow::done(int result)
{
    guarded([this] { commitPendingEdit(m_grid); });
    QDialog::done(result);
}

}  // namespace qm

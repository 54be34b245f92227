#include "chart_window.h"

#include "account_tree.h"
#include "account_tree_view.h"
#include "chart.h"
#include "level1_account_window.h"
#include "data/dialog_runner.h"
#include "data/login.h"
#include "data/controls.h"
#include "data/message_box.h"
#include "data/window_helpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

enum LeafColumn { CodeColumn, FullNameColumn, UnitColumn, ExchangeColumn };

QTableWidgetItem* editableItem(const QString& text)
{
    QTableWidgetItem* item = storedCell(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    keepOpenOnEscape(this);
    setWindowTitle(QStringLiteral("科目处理(注:增明细请双击上级;修改什么就双击什么)"));
    resize(980, 640);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(300);

    m_code = makeLineEdit(QStringLiteral("Text1"), this);
    m_fullName = makeLineEdit(QStringLiteral("Text3"), this);
    m_name = makeLineEdit(QStringLiteral("Text5"), this);
    m_newDigits = makeLineEdit(QStringLiteral("Text2"), this);
    m_newDigits->setToolTip(QStringLiteral("输入代码"));
    m_newDigits->setMaximumWidth(80);
    installDigitsOnlyFilter(m_newDigits);
    m_newName = makeLineEdit(QStringLiteral("Text4"), this);
    m_newName->setToolTip(QStringLiteral("输入科目内容"));
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("Combo1"));
    m_direction->addItems({QStringLiteral("借"), QStringLiteral("贷")});
    m_direction->setCurrentIndex(-1);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("科目代码"), this), 0, 0);
    fields->addWidget(m_code, 0, 1);
    fields->addWidget(m_newDigits, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("上级名称"), this), 1, 0);
    fields->addWidget(m_fullName, 1, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("科目名称"), this), 2, 0);
    fields->addWidget(m_name, 2, 1);
    fields->addWidget(m_newName, 2, 2);
    fields->addWidget(new QLabel(QStringLiteral("方向"), this), 3, 0);
    fields->addWidget(m_direction, 3, 1);

    QPushButton* add = makeButton(QStringLiteral("Command1"), QStringLiteral("增明细"), this);
    QPushButton* rename = makeButton(QStringLiteral("Command3"), QStringLiteral("修改"), this);
    QPushButton* remove = makeButton(QStringLiteral("Command2"), QStringLiteral("删除"), this);
    QPushButton* level1 = makeButton(QStringLiteral("Command4"), QStringLiteral("增总科"), this);
    QPushButton* close = makeButton(QStringLiteral("Command5"), QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {add, rename, remove, level1, close})
        buttons->addWidget(button);

    auto* note = new QLabel(QStringLiteral("单位/调汇(Y)   直接输入再点击其他行即可.计量单位出现在数量帐上,调汇标志的科目在调汇时用"), this);
    note->setWordWrap(true);

    m_leaves = new QTableWidget(0, 4, this);
    m_leaves->setObjectName(QStringLiteral("DataGrid1"));
    m_leaves->setToolTip(QStringLiteral("输入单位后多点几下上下格才能自动保存到数据库中"));
    m_leaves->setHorizontalHeaderLabels({QStringLiteral("科目代码"), QStringLiteral("科目全称"),
                                         QStringLiteral("单位"), QStringLiteral("调汇")});
    const int widthsInTwips[] = {1000, 2100, 700, 700};
    for (int column = 0; column < 4; ++column)
        m_leaves->setColumnWidth(column, twipsToPixels(widthsInTwips[column]));
    m_leaves->horizontalHeader()->setStretchLastSection(true);
    setCompactRows(m_leaves);
    installWheelPaging(m_leaves);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(buttons);
    right->addWidget(note);
    right->addWidget(m_leaves, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(right, 1);

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { guarded([&] { treeDoubleClicked(item); }); });
    connect(add, &QPushButton::clicked, this, [this] { guarded([this] { addSubAccountClicked(); }); });
    connect(rename, &QPushButton::clicked, this, [this] { guarded([this] { renameClicked(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { guarded([this] { deleteClicked(); }); });
    connect(level1, &QPushButton::clicked, this, [this] {
        m_level1Requested = true;
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_leaves, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_loadingLeaves)
            guarded([&] { leafEdited(item->row()); });
    });

    guarded([this] { load(); });
}

int ChartWindow::fiscalYear() const
{
    return loginState().fiscalYear;
}

void ChartWindow::load()
{
    loadLeafGrid();
    fillAccountTree(m_tree);
}

void ChartWindow::loadLeafGrid()
{
    m_loadingLeaves = true;
    const std::vector<LeafAccount> leaves = leafAccounts();
    m_leaves->setRowCount(int(leaves.size()));
    for (int row = 0; row < int(leaves.size()); ++row) {
        const LeafAccount& leaf = leaves[row];
        m_leaves->setItem(row, CodeColumn, lockedCell(leaf.code));
        m_leaves->setItem(row, FullNameColumn, lockedCell(leaf.fullName));
        m_leaves->setItem(row, UnitColumn, editableItem(leaf.unit));
        m_leaves->setItem(row, ExchangeColumn, editableItem(leaf.exchangeFlag));
    }
    m_loadingLeaves = false;
}

void ChartWindow::leafEdited(int row)
{
    QTableWidgetItem* unit = m_leaves->item(row, UnitColumn);
    QTableWidgetItem* exchange = m_leaves->item(row, ExchangeColumn);
    const TypedValue flag = readExchangeFlag(exchange->text());
    if (flag.refusal) {
        restoreStoredText(exchange);
        showMessage(*flag.refusal);
        return;
    }
    const QString unitText = unit->text().trimmed();
    setLeafUnitAndFlag(m_leaves->item(row, CodeColumn)->text(), unitText, flag.value.toString());
    showStoredText(unit, unitText);
    showStoredText(exchange, flag.value.toString());
}

void ChartWindow::storePendingEdit()
{
    commitPendingEdit(m_leaves);
}

void ChartWindow::treeDoubleClicked(QTreeWidgetItem* item)
{
    const std::optional<Account> account = findAccount(accountCodeOfNodeText(item->text(0)));
    if (!account)
        return;
    m_direction->setCurrentIndex(m_direction->findText(account->direction));
    m_code->setText(account->code);
    m_fullName->setText(account->fullName);
    m_name->setText(account->name);
}

void ChartWindow::addSubAccountClicked()
{
    storePendingEdit();
    const NewSubAccount account{m_code->text(), m_newDigits->text(), m_newName->text(),
                                m_direction->currentText()};
    const ChangeCheck check = checkAddSubAccount(account, fiscalYear());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (check.question && showMessage(*check.question) != MessageAnswer::Yes)
        return;
    addSubAccount(account, fiscalYear());
    m_newName->clear();
    m_newDigits->setText(nextSiblingDigits(account.digits));
    showMessage(QStringLiteral("增加明细科目成功"));
    load();
}

void ChartWindow::renameClicked()
{
    storePendingEdit();
    const QString code = m_code->text();
    const QString newName = m_newName->text();
    const QString direction = m_direction->currentText();
    const ChangeCheck check = checkRenameAccount(code, newName, direction);
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) != MessageAnswer::Yes)
        return;
    renameAccount(code, newName, direction);
    m_fullName->clear();
    m_newName->clear();
    m_name->clear();
    load();
    showMessage(QStringLiteral("修改成功"));
}

void ChartWindow::deleteClicked()
{
    storePendingEdit();
    const QString code = m_code->text();
    const ChangeCheck check = checkDeleteAccount(code, fiscalYear());
    if (check.refusal) {
        showMessage(*check.refusal);
        return;
    }
    if (showMessage(*check.question) != MessageAnswer::Yes)
        return;
    deleteAccount(code, fiscalYear());
    m_code->clear();
    load();
    showMessage(QStringLiteral("删除成功"));
}

void ChartWindow::done(int result)
{
    guarded([this] { storePendingEdit(); });
    QDialog::done(result);
}

void runChartMaintenance(QWidget* parent)
{
    bool level1Requested = false;
    {
        ChartWindow chart(parent);
        execDialog(chart);
        level1Requested = chart.level1AccountRequested();
    }
    if (level1Requested) {
        Level1AccountWindow level1(parent);
        execDialog(level1);
    }
}

}  // namespace qm

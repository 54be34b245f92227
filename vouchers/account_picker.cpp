#include "account_picker.h"

#include "picker_lists.h"
#include "voucher_grid.h"
#include "accounts/account_tree.h"
#include "accounts/account_tree_view.h"
#include "accounts/chart.h"
#include "accounts/chart_window.h"
#include "data/message_box.h"
#include "data/window_helpers.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

const QString kSearchPrompt = QStringLiteral("请输入内容搜索.....");

}  // namespace

AccountPicker::AccountPicker(VoucherGrid* target, QWidget* parent)
    : QDialog(parent), m_target(target)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("双击选择科目"));
    resize(640, 520);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    const struct {
        const char* caption;
        const char* key;
    } buttons[] = {{"关 闭", "关"}, {"资产", "资"}, {"负债", "负"}, {"共同", "共"}, {"权益", "权"},
                   {"成本", "成"}, {"损益", "损"}, {"关 闭", "退"}, {"增科目", "增"}};
    for (const auto& button : buttons) {
        const QString key = QString::fromUtf8(button.key);
        QAction* action = toolbar->addAction(QString::fromUtf8(button.caption));
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { toolbarKey(key); });
    }

    m_search = new QLineEdit(kSearchPrompt, this);
    m_search->setObjectName(QStringLiteral("Text1"));
    m_search->installEventFilter(this);
    m_results = new QTableWidget(0, 2, this);
    m_results->setObjectName(QStringLiteral("DataGrid1"));
    m_results->setHorizontalHeaderLabels({QStringLiteral("科目代码"), QStringLiteral("科目全称")});
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->horizontalHeader()->setStretchLastSection(true);
    setCompactRows(m_results);
    installWheelPaging(m_results);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_targetRowBox = new QLineEdit(this);
    m_targetRowBox->setObjectName(QStringLiteral("Text2"));
    m_targetRowBox->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(m_search);
    left->addWidget(m_results, 1);
    auto* panes = new QHBoxLayout;
    panes->addLayout(left, 1);
    panes->addWidget(m_tree, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar);
    layout->addLayout(panes, 1);

    connect(m_search, &QLineEdit::returnPressed, this, [this] { guarded([this] { search(); }); });
    connect(m_results, &QTableWidget::cellDoubleClicked, this, [this] { guarded([this] { pickResult(); }); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { guarded([&] { pickTreeNode(item); }); });

    guarded([this] { fillAccountTree(m_tree, 1); });
}

void AccountPicker::setTargetRow(int row)
{
    m_targetRow = row;
    m_targetRowBox->setText(QString::number(row));
}

int AccountPicker::targetRow() const
{
    return m_targetRow.value_or(0);
}

bool AccountPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search && event->type() == QEvent::FocusIn)
        m_search->clear();
    else if (watched == m_search && event->type() == QEvent::FocusOut)
        m_search->setText(kSearchPrompt);
    return QDialog::eventFilter(watched, event);
}

void AccountPicker::search()
{
    const std::vector<LeafAccountMatch> matches = searchLeafAccounts(m_search->text());
    m_results->setRowCount(int(matches.size()));
    for (int row = 0; row < int(matches.size()); ++row) {
        m_results->setItem(row, 0, new QTableWidgetItem(matches[row].code));
        m_results->setItem(row, 1, new QTableWidgetItem(matches[row].fullName));
    }
    if (!matches.empty())
        m_results->setCurrentCell(0, 0);
}

void AccountPicker::growTargetWhenLast(int row)
{
    if (row == m_target->rows() - 1)
        m_target->addRow();
}

void AccountPicker::writeAccount(const QString& code, const QString& fullName)
{
    const int row = targetRow();
    if (row < 1 || row >= m_target->rows())
        return;
    m_target->setText(row, VoucherGrid::AccountColumn, code + QLatin1Char(' ') + fullName);
    setTargetRow(row + 1);
}

void AccountPicker::pickResult()
{
    growTargetWhenLast(targetRow());
    const int current = m_results->currentRow();
    if (current < 0)
        return;
    writeAccount(m_results->item(current, 0)->text(), m_results->item(current, 1)->text());
}

void AccountPicker::pickTreeNode(QTreeWidgetItem* item)
{
    if (!m_targetRow || !item || item->childCount() > 0)
        return;
    const std::optional<Account> account = findAccount(accountCodeOfNodeText(item->text(0)));
    if (!account)
        return;
    growTargetWhenLast(targetRow());
    writeAccount(account->code, account->fullName);
}

void AccountPicker::toolbarKey(const QString& key)
{
    static const QString classKeys = QStringLiteral("资负共权成损");
    const qsizetype accountClass = classKeys.indexOf(key);
    if (accountClass >= 0) {
        guarded([&] { fillAccountTree(m_tree, int(accountClass) + 1); });
    } else if (key == QStringLiteral("增")) {
        guarded([this] { runChartMaintenance(this); });
    } else if (key == QStringLiteral("关") || key == QStringLiteral("退")) {
        reject();
    }
}

}  // namespace qm

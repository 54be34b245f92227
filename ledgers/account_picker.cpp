#include "account_picker.h"

#include "accounts/account_tree.h"
#include "accounts/account_tree_view.h"
#include "data/message_box.h"

#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm {

QueryAccountPicker::QueryAccountPicker(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("双击选择科目  "));
    resize(360, 520);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &QueryAccountPicker::pick);
    guarded([this] { fillAccountTree(m_tree); });
}

void QueryAccountPicker::pick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_picked = accountCodeOfNodeText(item->text(0));
    accept();
}

}  // namespace qm

#include "account_tree_view.h"

#include "account_tree.h"

#include <QTreeWidget>

namespace qm {

void fillAccountTree(QTreeWidget* tree, int accountClass)
{
    const std::vector<AccountTreeNode> nodes = loadAccountTree(accountClass);
    tree->clear();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(nodes.size());
    for (const AccountTreeNode& node : nodes) {
        auto* item = node.parent < 0 ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(items[node.parent]);
        item->setText(0, node.text);
        item->setData(0, Qt::UserRole, node.key);
        items.push_back(item);
    }
}

}  // namespace qm

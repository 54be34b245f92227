#pragma once

class QTreeWidget;

namespace qm {

// Replaces the tree's content with the chart (accountClass 0) or one class of it, collapsed.
// Each item keeps its node key in Qt::UserRole.
void fillAccountTree(QTreeWidget* tree, int accountClass = 0);

}  // namespace qm

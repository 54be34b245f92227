#pragma once

// The chart of accounts as a three-level tree, shared by chart maintenance and the pickers.

#include <QString>
#include <vector>

namespace qm {

struct AccountTreeNode {
    QString key;   // "x" followed by the trimmed code
    QString text;  // the code as stored, one blank, the trimmed name
    int parent;    // index of the parent node in the list, -1 at the top level
};

// Every account (accountClass 0) or the accounts of one class (1 to 6), parents before their
// children and each level in code order. A row whose parent is missing is left out.
std::vector<AccountTreeNode> loadAccountTree(int accountClass = 0);

// The account code of a node: its text up to the first blank.
QString accountCodeOfNodeText(const QString& text);

}  // namespace qm

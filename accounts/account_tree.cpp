#include "account_tree.h"

#include "data/database.h"
#include "data/record_set.h"

#include <QHash>

namespace qm {

std::vector<AccountTreeNode> loadAccountTree(int accountClass)
{
    std::vector<AccountTreeNode> nodes;
    QHash<QString, int> indexOfKey;
    const QString statement =
        accountClass == 0
            ? QStringLiteral("SELECT 科目代码, 科目名称, 科目级数 FROM 科目表 WHERE 科目级数=? "
                             "ORDER BY 科目代码")
            : QStringLiteral("SELECT 科目代码, 科目名称, 科目级数 FROM 科目表 WHERE 科目级数=? "
                             "AND substr(科目代码,1,1)=? ORDER BY 科目代码");
    for (int level = 1; level <= 3; ++level) {
        QVariantList values{level};
        if (accountClass != 0)
            values << QString::number(accountClass);
        for (const auto row : openRecordset(statement, values)) {
            const QString code = row[0].toString();
            const QString key = QStringLiteral("x") + code.trimmed();
            int parent = -1;
            if (level > 1) {
                const QString parentKey = QStringLiteral("x") + code.left(level == 2 ? 4 : 7);
                const auto found = indexOfKey.constFind(parentKey);
                if (found == indexOfKey.constEnd())
                    continue;
                parent = *found;
            }
            indexOfKey.insert(key, int(nodes.size()));
            nodes.push_back({key, code + QLatin1Char(' ') + row[1].toString().trimmed(), parent});
        }
    }
    return nodes;
}

QString accountCodeOfNodeText(const QString& text)
{
    return text.section(QLatin1Char(' '), 0, 0);
}

}  // namespace qm

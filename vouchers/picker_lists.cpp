#include "picker_lists.h"

#include "data/database.h"
#include "data/record_set.h"

namespace qm {

QStringList summaryPhrases()
{
    QStringList phrases;
    for (const auto row : openRecordset(QStringLiteral("SELECT 名称 FROM 摘要 ORDER BY 1")))
        phrases << row[0].toString();
    return phrases;
}

std::optional<Message> addSummaryPhrase(const QString& phrase)
{
    if (phrase.isEmpty())
        return Message{QStringLiteral("名称不能为空！")};
    if (!scalar(QStringLiteral("SELECT 名称 FROM 摘要 WHERE 名称=?"), {phrase}).isNull())
        return Message{QStringLiteral("名称重复,不能增加"), QStringLiteral("QM505提示"), MessageIcon::Stop};
    execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {phrase});
    return std::nullopt;
}

void deleteSummaryPhrase(const QString& phrase)
{
    execute(QStringLiteral("DELETE FROM 摘要 WHERE 名称=?"), {phrase});
}

QStringList cashFlowItemEntries()
{
    QStringList entries;
    for (const auto row : openRecordset(QStringLiteral("SELECT 代码, 名称 FROM 现流 ORDER BY 代码")))
        entries << row[0].toString() + QLatin1Char(' ') + row[1].toString();
    return entries;
}

std::vector<LeafAccountMatch> searchLeafAccounts(const QString& text)
{
    std::vector<LeafAccountMatch> matches;
    // instr, not LIKE: "%" and "_" typed into the search box are plain characters.
    for (const auto row : openRecordset(
             QStringLiteral("SELECT 科目代码, 科目全称 FROM 科目表 WHERE instr(lower(科目全称), lower(?))>0 "
                            "AND 明细='Y' ORDER BY 1"),
             {text}))
        matches.push_back({row[0].toString(), row[1].toString()});
    return matches;
}

std::optional<QString> leafAccountFullName(const QString& code)
{
    const RecordSet rows =
        openRecordset(QStringLiteral("SELECT 科目全称 FROM 科目表 WHERE 科目代码=? AND 明细='Y'"), {code});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.value(0, 0).toString();
}

}  // namespace qm

#include "ledger_account.h"

#include "data/database.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kColumns = QStringLiteral("科目代码, 科目全称, 方向, 单位");

std::optional<LedgerAccount> firstAccount(const RecordSet& rows)
{
    if (rows.isEmpty())
        return std::nullopt;
    const QString code = rows.value(0, 0).toString();
    const QString fullName = rows.value(0, 1).toString();
    return LedgerAccount{code, fullName, rows.value(0, 2).toString(), rows.value(0, 3).toString(),
                         code.size() > 4 ? fullName.section(QLatin1Char('/'), 0, 0) : fullName};
}

std::optional<LedgerAccount> step(const QString& code, bool levelOneOnly, bool forward)
{
    const QString compare = forward ? QStringLiteral(">") : QStringLiteral("<");
    const QString order = forward ? QStringLiteral("") : QStringLiteral(" DESC");
    const QString from = levelOneOnly ? code.left(4) : code;
    const QString levelOne = levelOneOnly ? QStringLiteral(" AND length(科目代码)=4") : QString();
    return firstAccount(openRecordset(QStringLiteral("SELECT %1 FROM 科目表 WHERE 科目代码%2?%3 ORDER BY 科目代码%4 LIMIT 1")
                                          .arg(kColumns, compare, levelOne, order),
                                      {from}));
}

}  // namespace

std::optional<LedgerAccount> ledgerAccount(const QString& code)
{
    return firstAccount(
        openRecordset(QStringLiteral("SELECT %1 FROM 科目表 WHERE 科目代码=?").arg(kColumns), {code.trimmed()}));
}

std::optional<LedgerAccount> nextLedgerAccount(const QString& code, bool levelOneOnly)
{
    return step(code, levelOneOnly, true);
}

std::optional<LedgerAccount> previousLedgerAccount(const QString& code, bool levelOneOnly)
{
    return step(code, levelOneOnly, false);
}

}  // namespace qm

#include "settings_store.h"

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/login.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kRemindTitle = QStringLiteral("提醒您！");

}  // namespace

StoredSettings readStoredSettings()
{
    const RecordSet rows = openRecordset(
        QStringLiteral("SELECT 帐套名称, 备份路径 FROM 信息表 WHERE 代号=?"), {QStringLiteral("QM")});
    if (rows.isEmpty())
        return {};
    return {rows.value(0, 0).toString(), rows.value(0, 1).toString()};
}

std::optional<Message> saveYearAndUnitName(const QString& yearText, const QString& unitName)
{
    if (yearText.isEmpty())
        return Message{QStringLiteral("请选择会计年度"), kRemindTitle, MessageIcon::Exclamation};
    const std::optional<int> year = parseFiscalYear(yearText);
    if (!year)
        return Message{QStringLiteral("超年限不能使用"), QStringLiteral("QM505"), MessageIcon::Stop};
    execute(QStringLiteral("UPDATE 信息表 SET 年度=?, 帐套名称=? WHERE 代号=?"), {*year, unitName, QStringLiteral("QM")});
    loginState().fiscalYear = qint16(*year);
    return std::nullopt;
}

std::optional<Message> renameOperator(const QString& currentName, const QString& newName)
{
    if (currentName.trimmed().isEmpty() || newName.trimmed().isEmpty())
        return Message{QStringLiteral("请输入新操作员名"), kRemindTitle, MessageIcon::Exclamation};
    if (!scalar(QStringLiteral("SELECT 1 FROM 信息表 WHERE 操作员=?"), {newName}).isNull())
        return Message{newName + QStringLiteral("   此操作员已存在"), kRemindTitle, MessageIcon::Stop};
    execute(QStringLiteral("UPDATE 信息表 SET 操作员=? WHERE 操作员=?"), {newName, currentName});
    loginState().operatorName = newName;
    return std::nullopt;
}

std::optional<Message> changePassword(const QString& operatorName, const QString& password, const QString& repeated)
{
    if (password.trimmed().isEmpty() || repeated.trimmed().isEmpty())
        return Message{QStringLiteral("请输入密码！"), kRemindTitle, MessageIcon::Exclamation};
    if (password != repeated)
        return Message{QStringLiteral("两次密码输入不一致"), kRemindTitle, MessageIcon::Exclamation};
    execute(QStringLiteral("UPDATE 信息表 SET 密码=? WHERE 操作员=?"), {password, operatorName});
    loginState().operatorPassword = password;
    return std::nullopt;
}

void saveBackupFolder(const QString& folder)
{
    execute(QStringLiteral("UPDATE 信息表 SET 备份路径=? WHERE 代号=?"), {folder, QStringLiteral("QM")});
}

}  // namespace qm

#include "login.h"

#include "database.h"
#include "fiscal_year.h"
#include "record_set.h"

namespace qm {

LoginState& loginState()
{
    static LoginState state;
    return state;
}

QStringList operatorNames()
{
    QStringList names;
    const RecordSet rows = openRecordset(
        QStringLiteral("SELECT 操作员 FROM 信息表 WHERE 操作员 IS NOT NULL ORDER BY rowid"));
    for (const auto row : rows)
        names << row[0].toString();
    return names;
}

SettingsRow readSettingsRow()
{
    const RecordSet rows =
        openRecordset(QStringLiteral("SELECT * FROM 信息表 WHERE 代号=?"), {QStringLiteral("QM")});
    if (rows.isEmpty())
        return {};
    return {rows.value(0, 2).toString(), rows.value(0, 3).toString()};
}

bool checkLogin(const QString& operatorName, const QString& password)
{
    const RecordSet rows =
        openRecordset(QStringLiteral("SELECT 密码 FROM 信息表 WHERE 操作员=? ORDER BY rowid"),
                      {operatorName});
    if (rows.isEmpty())
        return false;
    const QVariant stored = rows.value(0, 0);
    return !stored.isNull() && stored.toString() == password;
}

std::optional<Message> logIn(const QString& operatorName, const QString& password,
                             const QString& yearText)
{
    if (operatorName.isEmpty())
        return Message{QStringLiteral("请输入操作员！"), QStringLiteral("QM505提示"),
                       MessageIcon::Exclamation};
    if (!checkLogin(operatorName, password))
        return Message{QStringLiteral("操作员或密码不正确!"), QStringLiteral("QM505提示"),
                       MessageIcon::Stop};
    const std::optional<int> year = parseFiscalYear(yearText);
    if (!year)
        return Message{QStringLiteral("超年限不能使用"), QStringLiteral("QM505"), MessageIcon::Stop};
    LoginState& state = loginState();
    state.operatorName = operatorName;
    state.operatorPassword = password;
    state.fiscalYear = qint16(*year);
    return std::nullopt;
}

}  // namespace qm

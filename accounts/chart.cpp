#include "chart.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kRefusalTitle = QStringLiteral("QM505提示");
const QString kEmptyFields = QStringLiteral("代码,名称,方向不能为空");
const QString kChooseAccount = QStringLiteral("请先从左边选择科目!");

ChangeCheck refuse(const QString& text, MessageIcon icon = MessageIcon::Question)
{
    return {Message{text, kRefusalTitle, icon, MessageButtons::Ok}, std::nullopt};
}

ChangeCheck ask(const QString& text, const QString& title)
{
    return {std::nullopt, Message{text, title, MessageIcon::None, MessageButtons::YesNo}};
}

bool allDigits(const QString& text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

// The accounts whose code begins with the parameter :code; a prefix is compared as text, never
// as a pattern.
const QString kCodePrefix = QStringLiteral("substr(科目代码,1,length(:code))=:code");

QVariantMap codeValue(const QString& code)
{
    return {{QStringLiteral(":code"), code}};
}

bool yearHasEntriesOf(int year, const QString& code)
{
    return !scalar(QStringLiteral("SELECT 1 FROM %1 WHERE 代码=? LIMIT 1").arg(entryTableName(year)), {code})
                .isNull();
}

bool yearHasEntriesUnder(int year, const QString& code)
{
    return !scalar(QStringLiteral("SELECT 1 FROM %1 WHERE substr(代码,1,length(:code))=:code LIMIT 1")
                       .arg(entryTableName(year)),
                   codeValue(code))
                .isNull();
}

void throwOnRefusal(const ChangeCheck& check)
{
    if (check.refusal)
        throw DbError(check.refusal->text);
}

QString subAccountCode(const NewSubAccount& account)
{
    return account.parentCode + account.digits;
}

}  // namespace

std::optional<Account> findAccount(const QString& code)
{
    const RecordSet rows = openRecordset(
        QStringLiteral("SELECT 科目代码, 科目名称, 科目全称, 方向, 科目级数 FROM 科目表 "
                       "WHERE 科目代码=?"),
        {code});
    if (rows.isEmpty())
        return std::nullopt;
    return Account{rows.value(0, 0).toString(), rows.value(0, 1).toString(),
                   rows.value(0, 2).toString(), rows.value(0, 3).toString(),
                   rows.value(0, 4).toInt()};
}

ChangeCheck checkAddSubAccount(const NewSubAccount& account, int year)
{
    if (account.parentCode.isEmpty() || account.digits.isEmpty() || account.name.isEmpty()
        || account.direction.isEmpty())
        return refuse(kEmptyFields);
    const std::optional<Account> parent = findAccount(account.parentCode);
    if (!parent)
        return refuse(kChooseAccount);
    if (account.digits.size() != 3 || !allDigits(account.digits))
        return refuse(QStringLiteral("代码应为三位整数"));
    if (parent->code.size() == 10)
        return refuse(QStringLiteral("不能增加四级明细"));
    const QString code = subAccountCode(account);
    if (const auto existing = findAccount(code))
        return refuse(code + QLatin1Char(' ') + existing->fullName + QStringLiteral("  此代码已存在!"));
    const QString fullName = parent->fullName + QLatin1Char('/') + account.name;
    const QVariant sameFullName =
        scalar(QStringLiteral("SELECT 科目代码 FROM 科目表 WHERE 科目全称=?"), {fullName});
    if (!sameFullName.isNull())
        return refuse(sameFullName.toString() + fullName + QStringLiteral("  此明细科目已存在!"));
    if (yearHasEntriesOf(year, parent->code))
        return ask(parent->code + QStringLiteral("---代码已有数据!如果增加明细将默认为此明细.是否增加？"),
                   QStringLiteral("特别提示"));
    return {};
}

void addSubAccount(const NewSubAccount& account, int year)
{
    throwOnRefusal(checkAddSubAccount(account, year));
    const Account parent = *findAccount(account.parentCode);
    const QString code = subAccountCode(account);
    Transaction transaction;
    execute(QStringLiteral("UPDATE %1 SET 代码=? WHERE 代码=?").arg(entryTableName(year)), {code, parent.code});
    execute(QStringLiteral("UPDATE 科目表 SET 明细='', 数量=NULL, 借方金额=NULL, 贷方金额=NULL "
                           "WHERE 科目代码=?"),
            {parent.code});
    execute(QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细) "
                           "VALUES (?, ?, ?, ?, ?, 'Y')"),
            {code, account.name, parent.code.size() == 4 ? 2 : 3,
             parent.fullName + QLatin1Char('/') + account.name, account.direction});
    transaction.commit();
}

QString nextSiblingDigits(const QString& digits)
{
    return QStringLiteral("%1").arg(digits.toInt() + 1, 3, 10, QLatin1Char('0'));
}

ChangeCheck checkRenameAccount(const QString& code, const QString& newName, const QString& direction)
{
    if (code.isEmpty() || newName.isEmpty() || direction.isEmpty())
        return refuse(kEmptyFields);
    const std::optional<Account> account = findAccount(code);
    if (!account)
        return refuse(kChooseAccount);
    return ask(QStringLiteral("是否把( ") + account->name + QStringLiteral(" )修改为( ") + newName
                   + QStringLiteral(" )?, 所有涉及到的科目(包括凭证)都会自动转换,是否现在修改?"),
               QStringLiteral("****注意提示!!"));
}

void renameAccount(const QString& code, const QString& newName, const QString& direction)
{
    throwOnRefusal(checkRenameAccount(code, newName, direction));
    const Account account = *findAccount(code);
    // The parent's full name and "/" stay; the account's own name is replaced.
    const QString oldFullName = account.fullName;
    const QString newFullName =
        account.code.size() == 4 ? newName
                                 : oldFullName.left(oldFullName.size() - account.name.size()) + newName;
    Transaction transaction;
    execute(QStringLiteral("UPDATE 科目表 SET 科目名称=?, 科目全称=?, 方向=? WHERE 科目代码=?"),
            {newName, newFullName, direction, account.code});
    const RecordSet descendants = openRecordset(
        QStringLiteral("SELECT 科目代码, 科目全称 FROM 科目表 WHERE %1 AND length(科目代码)>length(:code)")
            .arg(kCodePrefix),
        codeValue(account.code));
    for (const auto row : descendants)
        execute(QStringLiteral("UPDATE 科目表 SET 科目全称=? WHERE 科目代码=?"),
                {newFullName + row[1].toString().mid(oldFullName.size()), row[0]});
    transaction.commit();
}

ChangeCheck checkDeleteAccount(const QString& code, int year)
{
    if (code.isEmpty() || !findAccount(code))
        return refuse(kChooseAccount);
    if (yearHasEntriesUnder(year, code))
        return refuse(code + QStringLiteral("----本级或下级有数据，不能删除!"));
    return ask(QStringLiteral("如果删除将连同下级一并自动删除!!\n是否真要删除( ") + code
                   + QStringLiteral(" )及其下级明细科目？"),
               QStringLiteral("注意！特别注意！"));
}

void deleteAccount(const QString& code, int year)
{
    const QString parent = code.left(code.size() - 3);
    Transaction transaction;
    // Checked here as well as before the question: the lines of a deleted account would vanish
    // from every voucher.
    throwOnRefusal(checkDeleteAccount(code, year));
    execute(QStringLiteral("DELETE FROM 科目表 WHERE ") + kCodePrefix, codeValue(code));
    if (code.size() > 4) {
        const bool hasOtherChild =
            !scalar(QStringLiteral("SELECT 1 FROM 科目表 WHERE %1 AND length(科目代码)=length(:code)+3 LIMIT 1")
                        .arg(kCodePrefix),
                    codeValue(parent))
                 .isNull();
        if (!hasOtherChild)
            execute(QStringLiteral("UPDATE 科目表 SET 明细='Y' WHERE 科目代码=?"), {parent});
    }
    transaction.commit();
}

ChangeCheck checkAddLevel1Account(const NewLevel1Account& account)
{
    if (account.code.isEmpty() || account.name.isEmpty() || account.direction.isEmpty())
        return refuse(kEmptyFields);
    const int accountClass = account.code.left(1).toInt();
    if (account.code.size() != 4 || !allDigits(account.code) || accountClass < 1 || accountClass > 6)
        return refuse(QStringLiteral("代码不对!"));
    if (const auto existing = findAccount(account.code))
        return refuse(QStringLiteral("(") + account.code + QLatin1Char(' ') + existing->name
                      + QStringLiteral(")  此代码已存在!"));
    const QVariant sameName = scalar(QStringLiteral("SELECT 科目代码 FROM 科目表 WHERE 科目名称=?"), {account.name});
    if (!sameName.isNull())
        return refuse(sameName.toString() + account.name + QStringLiteral("  此科目已存在!"),
                      MessageIcon::Information);
    return ask(QStringLiteral("是否增加(") + account.code + QLatin1Char(' ') + account.name + QStringLiteral(")?"),
               QStringLiteral("****注意提示!!"));
}

void addLevel1Account(const NewLevel1Account& account)
{
    throwOnRefusal(checkAddLevel1Account(account));
    execute(QStringLiteral("INSERT INTO 科目表 (科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细) "
                           "VALUES (:code, :name, 1, :name, :direction, 'Y')"),
            QVariantMap{{QStringLiteral(":code"), account.code},
                        {QStringLiteral(":name"), account.name},
                        {QStringLiteral(":direction"), account.direction}});
}

std::vector<LeafAccount> leafAccounts()
{
    std::vector<LeafAccount> leaves;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT 科目代码, 科目全称, 单位, 调汇 FROM 科目表 WHERE 明细='Y' ORDER BY 科目代码")))
        leaves.push_back({row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString()});
    return leaves;
}

void setLeafUnitAndFlag(const QString& code, const QString& unit, const QString& exchangeFlag)
{
    execute(QStringLiteral("UPDATE 科目表 SET 单位=?, 调汇=? WHERE 科目代码=? AND 明细='Y'"),
            {unit, exchangeFlag, code});
}

TypedValue readExchangeFlag(const QString& text)
{
    // A "Ｙ" typed in full-width through an input method is the Y it shows.
    const QString flag = text.normalized(QString::NormalizationForm_KC).trimmed().toUpper();
    if (flag.isEmpty() || flag == QStringLiteral("Y"))
        return {flag, std::nullopt};
    return {QVariant(), Message{QStringLiteral("调汇标志只能是Y或空白,原值不变"), QStringLiteral("QM505"), MessageIcon::Exclamation}};
}

}  // namespace qm

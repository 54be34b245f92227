#include "month_closing.h"

#include "voucher_book.h"
#include "work_copy.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/exact_sums.h"
#include "data/money.h"
#include "data/record_set.h"

namespace qm {

namespace {

const QString kTitle = QStringLiteral("QM505提示");

// Income accounts are 60 to 63, expense accounts 64 to 69.
const QString kIncome = QStringLiteral("substr(代码,1,2) BETWEEN '60' AND '63'");
const QString kExpense = QStringLiteral("substr(代码,1,2) BETWEEN '64' AND '69'");

// Per account of the group, its net amount of the month taken exactly, `plus` minus `minus`.
QString accountNets(int year, const QString& accounts, const QString& plus, const QString& minus)
{
    return QStringLiteral("SELECT 代码, %1 AS net FROM %2 WHERE %3 AND 月=:month GROUP BY 代码")
        .arg(exactNetSum(plus, minus), entryTableName(year), accounts);
}

// The 4103 line carries the sum of the group's lines as they are written, each to the cent, so
// the closing voucher balances.
Money monthNet(int year, int month, const QString& accounts, const QString& plus, const QString& minus)
{
    Money total;
    for (const auto row : openRecordset(accountNets(year, accounts, plus, minus), QVariantMap{{QStringLiteral(":month"), month}}))
        total += Money::fromStored(row[1]).value_or(Money());
    return total;
}

// One line per account of the group, its net amount of the month on side `side`.
void insertCarriedLines(int year, int month, const QString& accounts, const QString& side, const QString& plus,
                        const QString& minus)
{
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, %1) SELECT 代码, net FROM (%2) ORDER BY 代码")
                .arg(side, accountNets(year, accounts, plus, minus)),
            QVariantMap{{QStringLiteral(":month"), month}});
}

QDate lastDayOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

}  // namespace

ChangeCheck checkCloseMonth(const QDate& date, const QString& reviewer, int year)
{
    if (date.year() != year)
        return {Message{QStringLiteral("会计年度不一致")}, std::nullopt};
    if (reviewer.isEmpty())
        return {Message{QStringLiteral("审核不能为空"), kTitle, MessageIcon::Stop}, std::nullopt};
    const MonthState state = monthState(year, date.month());
    if (state.closedMark != 0)
        return {Message{QString::number(date.month()) + QStringLiteral("  月份已结帐,请先进行反结帐"), kTitle,
                        MessageIcon::Exclamation},
                std::nullopt};
    if (state.lastNumber >= 9999)
        return {Message{QStringLiteral("凭证号不能超过9999"), kTitle, MessageIcon::Stop}, std::nullopt};
    return {};
}

ClosingResult closeMonth(const QDate& date, const QString& reviewer, const QString& preparer, int year)
{
    const ChangeCheck check = checkCloseMonth(date, reviewer, year);
    if (check.refusal)
        throw DbError(check.refusal->text);
    const int month = date.month();
    const int number = monthState(year, month).lastNumber + 1;

    Transaction transaction;
    clearWorkCopy();
    const QString credit = QStringLiteral("贷方金额");
    const QString debit = QStringLiteral("借方金额");
    const Money income = monthNet(year, month, kIncome, credit, debit);
    const Money expense = monthNet(year, month, kExpense, debit, credit);
    insertCarriedLines(year, month, kIncome, debit, credit, debit);
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, 贷方金额) VALUES ('4103', ?)"), {income.toStored()});
    execute(QStringLiteral("INSERT INTO 分录始表 (代码, 借方金额) VALUES ('4103', ?)"), {expense.toStored()});
    insertCarriedLines(year, month, kExpense, credit, debit, credit);
    dropEmptyWorkCopyLines();
    // A month with nothing to carry is closed all the same.
    execute(QStringLiteral("UPDATE %1 SET 结帐=1 WHERE 月=?").arg(entryTableName(year)), {month});
    if (workCopyLineCount() == 0) {
        transaction.commit();
        return {false, Message{QStringLiteral("没有要结转的数据"), QStringLiteral("QM505"), MessageIcon::Exclamation}};
    }
    stampWorkCopy({lastDayOfMonth(date), QStringLiteral("记"), number, QStringLiteral("结转本期损益"), reviewer,
                   preparer, 2});
    appendWorkCopy(year);
    transaction.commit();
    return {true, Message{QStringLiteral("收入/费用已成功结转！"), QStringLiteral("QM505系统"), MessageIcon::Information}};
}

ChangeCheck checkReopenMonth(int month, int year)
{
    if (monthClosedMark(year, month) == 0)
        return {Message{QString::number(month) + QStringLiteral("  月份未结帐"), kTitle, MessageIcon::Exclamation},
                std::nullopt};
    return {std::nullopt, Message{QStringLiteral("是否进行反结帐?(") + QString::number(month) + QStringLiteral("月份)"),
                                  kTitle, MessageIcon::None, MessageButtons::YesNo}};
}

void reopenMonth(int month, int year)
{
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM %1 WHERE 结帐=2 AND 月=?").arg(entryTableName(year)), {month});
    execute(QStringLiteral("UPDATE %1 SET 结帐=NULL WHERE 月=?").arg(entryTableName(year)), {month});
    transaction.commit();
}

}  // namespace qm

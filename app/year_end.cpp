#include "year_end.h"

#include "accounts/opening_balances.h"
#include "data/database.h"
#include "data/db_error.h"
#include "data/exact_sums.h"
#include "data/month_totals.h"
#include "data/fiscal_year.h"
#include "data/number_format.h"
#include "data/record_set.h"

namespace qm {

std::optional<Message> checkCarryForward(int year)
{
    if (year >= kLastFiscalYear)
        return Message{QStringLiteral("只到2020年的数据库")};
    return std::nullopt;
}

Message carryForwardQuestion()
{
    return Message{QStringLiteral("1.是否把各科目余额过入下一年度?\n2.过帐后点[年初余额]还可以修改年初数\n"
                                  "3.可以重复过帐,但要注意会计年度\n4.过帐后将自动退出系统"),
                   QStringLiteral("QM505"), MessageIcon::None, MessageButtons::YesNo};
}

void carryForward(int year)
{
    if (const auto refusal = checkCarryForward(year))
        throw DbError(refusal->text);
    const QString from = monthTotalsTableName(year);
    const QString into = entryTableName(year + 1);
    Transaction transaction;
    execute(QStringLiteral("DELETE FROM %1 WHERE substr(ID,1,3)='800'").arg(into));
    execute(QStringLiteral("DELETE FROM 数量式余额表"));
    execute(QStringLiteral(
                "INSERT INTO 数量式余额表 (科目代码, 科目名称, 方向, 期末数量, 期末金额) "
                "SELECT F.科目代码, F.科目全称, F.方向, d.期末数量, d.期末金额 FROM 科目表 AS F JOIN ("
                "  SELECT 代码, sum(净数厘) FILTER (WHERE 数笔>0) / 1000.0 AS 期末数量, %2 AS 期末金额 "
                "  FROM %1 GROUP BY 代码"
                ") AS d ON F.科目代码=d.代码 WHERE d.期末金额<>0")
                .arg(from, centsOfThousandths(QStringLiteral("sum(借厘) - sum(贷厘)"))));
    // Each balance in the account's own direction: debit-side accounts on the debit, the others
    // negated on the credit.
    execute(QStringLiteral("UPDATE 数量式余额表 SET 期末数量=iif(方向='借', 期末数量, -期末数量), "
                           "本期借金=iif(方向='借', 期末金额, NULL), 本期贷金=iif(方向='借', NULL, -期末金额) "
                           "WHERE length(科目代码)<>0"));
    const RecordSet balances = openRecordset(QStringLiteral(
        "SELECT 科目代码, 科目名称, 期末数量, 本期借金, 本期贷金 FROM 数量式余额表 "
        "WHERE 本期借金 IS NOT NULL OR 本期贷金 IS NOT NULL ORDER BY 1"));
    const QString insert = QStringLiteral(
        "INSERT INTO %1 (ID, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额) VALUES (?, '年初余额', ?, ?, ?, ?, ?)")
                               .arg(into);
    int number = 0;
    for (const auto row : balances)
        execute(insert, {openingRowId(++number), row[0], row[1], row[2], row[3], row[4]});
    execute(QStringLiteral("UPDATE 信息表 SET 年度=? WHERE 代号=?"), {year + 1, QStringLiteral("QM")});
    transaction.commit();
}

Message clearYearQuestion(int year)
{
    return Message{QStringLiteral("是否清空 ") + QString::number(year) + QStringLiteral(" 年的所有数据?"),
                   QStringLiteral("QM505提示"), MessageIcon::None, MessageButtons::YesNo};
}

Message clearYearLastQuestion(int year)
{
    return Message{QStringLiteral("最后一次提示,是否要清空 ") + QString::number(year) + QStringLiteral(" 年的所有数据?"),
                   QStringLiteral("QM505提示"), MessageIcon::None, MessageButtons::YesNo};
}

void clearYear(int year)
{
    Transaction transaction;
    clearEntryLines(year);
    execute(QStringLiteral("UPDATE 科目表 SET 数量=NULL, 借方金额=NULL, 贷方金额=NULL WHERE length(科目代码)>0"));
    transaction.commit();
}

}  // namespace qm

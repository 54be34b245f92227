#include "work_copy.h"

#include "data/database.h"
#include "data/fiscal_year.h"
#include "data/schema.h"

namespace qm {

void clearWorkCopy()
{
    execute(QStringLiteral("DELETE FROM 分录始表"));
}

int workCopyLineCount()
{
    return scalar(QStringLiteral("SELECT count(*) FROM 分录始表")).toInt();
}

void copyVoucherToWorkCopy(int year, int month, int number)
{
    // QMID numbers the copied lines afresh.
    QStringList copied = entryColumns();
    copied.removeAll(QStringLiteral("QMID"));
    const QString columns = copied.join(QLatin1Char(','));
    execute(QStringLiteral("INSERT INTO 分录始表 (%1) SELECT %1 FROM %2 WHERE 月=? AND 号码=? ORDER BY ID")
                .arg(columns, entryTableName(year)),
            {month, number});
}

void dropEmptyWorkCopyLines()
{
    execute(QStringLiteral("DELETE FROM 分录始表 WHERE round(ifnull(贷方金额,0)+ifnull(借方金额,0), 2)=0"));
}

void stampWorkCopy(const GeneratedVoucherHeader& header)
{
    const int month = header.date.month();
    execute(QStringLiteral("UPDATE 分录始表 SET ID=? || printf('%03d', QMID % 1000), 日期=?, 月=?, 字号=?, 号码=?, "
                           "摘要说明=?, 附件=1, 审核=?, 制单=?, 结帐=? WHERE length(代码)<>0"),
            {QStringLiteral("8%1%2").arg(month, 2, 10, QLatin1Char('0')).arg(header.number, 4, 10, QLatin1Char('0')),
             header.date.toString(Qt::ISODate), month, header.word, header.number, header.summary, header.reviewer,
             header.preparer, header.closingMark});
}

void appendWorkCopy(int year)
{
    const QString columns = entryColumns().join(QLatin1Char(','));
    execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM 分录始表 ORDER BY QMID").arg(entryTableName(year), columns));
}

}  // namespace qm

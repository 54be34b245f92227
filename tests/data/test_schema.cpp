#include "data/database.h"
#include "data/default_data.h"
#include "data/fiscal_year.h"
#include "data/schema.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace {

QStringList columnsOf(const QString& table)
{
    return rowsAsText(u"SELECT name FROM pragma_table_info(?) ORDER BY cid"_s, {table});
}

}  // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void everyTableWithItsColumnsAndTheShippedRows()
    {
        TempProgram program;
        for (const QString& table : {u"信息表"_s, u"科目表"_s, u"摘要"_s, u"现流"_s, u"调汇"_s, u"分录始表"_s, u"凭证汇总表"_s,
                                     u"数量式余额表"_s, u"三总式"_s, u"数量式"_s, u"固累式"_s, u"多栏式1"_s, u"三栏帐页"_s,
                                     u"数量帐页"_s, u"固累帐页"_s, u"报表数据"_s, u"资产表05"_s, u"资产表07"_s, u"利润表05"_s,
                                     u"利润表07"_s, u"现流表"_s})
            QVERIFY2(!columnsOf(table).isEmpty(), qPrintable(table));
        QCOMPARE(columnsOf(u"信息表"_s).mid(2, 2), (QStringList{u"年度"_s, u"帐套名称"_s}));
        QVERIFY(columnsOf(u"信息表"_s).contains(u"备份路径"_s));
        QCOMPARE(columnsOf(u"科目表"_s).mid(1, 4), (QStringList{u"科目代码"_s, u"科目名称"_s, u"科目级数"_s, u"科目全称"_s}));
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(columnsOf(entryTableName(year)), entryColumns());
        QCOMPARE(columnsOf(u"分录始表"_s), entryColumns());
        QVERIFY(columnsOf(u"分2009"_s).isEmpty());
        QVERIFY(columnsOf(u"分2021"_s).isEmpty());
        QCOMPARE(columnsOf(u"数量式余额表"_s).first(), u"科目代码"_s);
        QCOMPARE(columnsOf(u"数量式余额表"_s).size(), 15);
        QCOMPARE(columnsOf(u"三栏帐页"_s).mid(9), (QStringList{u"顺序"_s, u"月"_s}));
        QCOMPARE(columnsOf(u"多栏式1"_s).last(), u"科目名称"_s);

        // No index is unique: renumbering shifts IDs through values other rows still hold. The
        // ledgers' covering index holds code, month, amounts, quantity and closing mark.
        QCOMPARE(rowsAsText(u"SELECT \"unique\" FROM pragma_index_list(?)"_s, {u"分2015"_s}),
                 (QStringList{u"0"_s, u"0"_s, u"0"_s}));
        const QString ledgerColumns = u"SELECT group_concat(name, ',') FROM pragma_index_info(?)"_s;
        QCOMPARE(scalar(ledgerColumns, {u"分2015_代码月"_s}).toString(), u"代码,月,借方金额,贷方金额,数量,结帐"_s);
        execute(u"INSERT INTO 分2015 (ID, 月, 号码) VALUES ('8030001001', 3, 1), ('8030002001', 3, 2)"_s);
        execute(u"UPDATE 分2015 SET ID=? WHERE ID=?"_s, {u"8030002001"_s, u"8030001001"_s});
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2015 WHERE ID='8030002001'"_s).toInt(), 2);

        // A database of an earlier version gets the index when it is opened, and keeps its rows.
        execute(u"INSERT INTO 分2014 (ID, 月, 代码, 借方金额) VALUES ('8010001001', 1, '1001', 0.125)"_s);
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            execute(u"DROP INDEX %1_代码月"_s.arg(entryTableName(year)));
        closeConnection();
        QCOMPARE(scalar(ledgerColumns, {u"分2020_代码月"_s}).toString(), u"代码,月,借方金额,贷方金额,数量,结帐"_s);
        QCOMPARE(scalar(u"SELECT 借方金额 FROM 分2014 INDEXED BY 分2014_代码月 WHERE 代码='1001'"_s).toString(), u"0.125"_s);
        execute(u"DELETE FROM 分2014"_s);

        // QMID of the working copy numbers the lines afresh once the table has been emptied.
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001'), ('1002')"_s);
        execute(u"DELETE FROM 分录始表"_s);
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001')"_s);
        QCOMPARE(scalar(u"SELECT QMID FROM 分录始表"_s).toInt(), 1);
        execute(u"DELETE FROM 分2015"_s);

        // The shipped rows.
        QCOMPARE(rowsAsText(u"SELECT 代号, 操作员, 年度 FROM 信息表 WHERE rowid=(SELECT min(rowid) FROM 信息表)"_s),
                 QStringList{u"QM - 2020"_s});
        QCOMPARE(rowsAsText(u"SELECT 操作员 || ':' || 密码 FROM 信息表 WHERE rowid>(SELECT min(rowid) FROM 信息表)"_s),
                 QStringList{shippedOperatorName() + u':' + shippedOperatorPassword()});

        QStringList shipped;
        for (const ShippedAccount& account : shippedAccounts())
            shipped << u"%1 %2 1 %2 %3 Y"_s.arg(account.code, account.name, account.direction);
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细 FROM 科目表 ORDER BY 科目代码"_s), shipped);
        QCOMPARE(shipped.size(), 86);
        QVERIFY(shipped.contains(u"1602 累计折旧 1 累计折旧 贷 Y"_s));
        QCOMPARE(rowsAsText(u"SELECT count(*), max(名称) FILTER (WHERE 代码='401') FROM 现流"_s),
                 QStringList{u"23 汇率变动对现金及现金等价物的影响"_s});
        QVERIFY(scalar(u"SELECT count(*) FROM 摘要"_s).toInt() > 0);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 资产表07), (SELECT count(*) FROM 资产表05), (SELECT count(*) FROM 利润表07), "
                            "(SELECT count(*) FROM 利润表05), (SELECT count(*) FROM 现流表)"_s),
                 QStringList{u"33 37 20 16 38"_s});
        QVERIFY(scalar(u"SELECT 行次2 FROM 资产表07 WHERE 行次1=32"_s).isNull());
        QCOMPARE(scalar(u"SELECT 公式 FROM 现流表 WHERE 行次=38"_s).toString(), u"999"_s);
        QVERIFY(scalar(u"SELECT 公式1 FROM 资产表07 WHERE 行次1=1"_s).isNull());
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(scalar(u"SELECT count(*) FROM "_s + entryTableName(year)).toInt(), 0);

        // Both balance sheets' totals take every account once, profit and loss with a minus.
        for (const QString& table : {u"资产表05"_s, u"资产表07"_s}) {
            const QStringList last = rowsAsText(
                u"SELECT 资产, 负债及所有者权益, 公式1 || '+' || 公式2 FROM %1 ORDER BY 行次1 DESC LIMIT 1"_s.arg(table), {}, u"|"_s);
            QVERIFY(last.value(0).startsWith(u"资产总计|负债和所有者权益(或股东权益)总计|"_s));
            QMap<QString, int> seen;
            static const QRegularExpression term(u"([+-]?)(\\d+)"_s);
            for (const auto& match : term.globalMatch(last.value(0).section(u'|', 2))) {
                ++seen[match.captured(2)];
                if (match.captured(2).startsWith(u'6'))
                    QCOMPARE(match.captured(1), u"-"_s);
            }
            QCOMPARE(seen.size(), 86);
            for (const ShippedAccount& account : shippedAccounts())
                QVERIFY2(seen.value(account.code) == 1, qPrintable(table + u' ' + account.code));
        }
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"

#include "support/common.h"
#include "support/books_test.h"
#include "data/database.h"
#include "data/default_data.h"
#include "data/fiscal_year.h"
#include "data/schema.h"
#include "support/other_writer.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

// The text of the error a piece of work throws, empty when it throws none.
QString failure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const DbError& error) {
        return error.text();
    }
    return QString();
}

void addPhrases(const QStringList& phrases, bool commit = true)
{
    Transaction transaction;
    for (const QString& phrase : phrases)
        execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {phrase});
    if (commit)
        transaction.commit();
}

QStringList columnsOf(const QString& table)
{
    return rowsAsText(u"SELECT name FROM pragma_table_info(?) ORDER BY cid"_s, {table});
}

}  // namespace

class TestDatabase : public BooksTest {
    Q_OBJECT

private slots:
    void valuesBindAsTheyAre()
    {
        const QString tricky = u"O'Brien's '现金'; DROP TABLE 信息表; --"_s;
        execute(u"DELETE FROM 摘要"_s);
        QCOMPARE(execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {tricky}), 1);
        const QString changed = tricky + u"''"_s;
        QVERIFY(execute(u"UPDATE 摘要 SET 名称=? WHERE 名称=?"_s, {changed, tricky}) == 1 && rowsAsText(u"SELECT 名称 FROM 摘要"_s) == QStringList{changed});
        QVERIFY(execute(u"DELETE FROM 摘要 WHERE 名称=?"_s, {changed}) == 1 && scalar(u"SELECT count(*) FROM 信息表"_s).toInt() == 2);

        // A box's empty text is empty text in the table, never NULL; a NULL read back binds as NULL.
        execute(u"INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"_s, {QString(), QVariant()});
        const QVariant null = scalar(u"SELECT 名称 FROM 现流 WHERE 代码=''"_s);
        execute(u"INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"_s, {u"x"_s, null});
        QCOMPARE(rowsAsText(u"SELECT quote(代码), quote(名称) FROM 现流 WHERE 名称 IS NULL ORDER BY 1"_s),
                 (QStringList{u"'' NULL"_s, u"'x' NULL"_s}));
    }

    void failingStatementInsideTransactionLeavesNothingWritten()
    {
        const int before = scalar(u"SELECT count(*) FROM 摘要"_s).toInt();
        QCOMPARE(failure([] {
                     Transaction transaction;
                     execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {u"甲"_s});
                     execute(u"INSERT INTO 没有的表 (名称) VALUES (?)"_s, {u"乙"_s});
                     transaction.commit();
                 }),
                 u"数据库操作失败。\nno such table: 没有的表"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before);

        // An inner guard that fails rolls back its own work only.
        {
            Transaction outer;
            execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {u"外"_s});
            addPhrases({u"内"_s}, false);
            outer.commit();
        }
        QCOMPARE(rowsAsText(u"SELECT 名称 FROM 摘要 WHERE 名称 IN ('外', '内')"_s), QStringList{u"外"_s});

        // Another program holds the write lock: a bounded wait, then nothing is written.
        {
            OtherWriter other(databaseFilePath());
            QCOMPARE(failure([] { addPhrases({u"甲"_s, u"乙"_s}); }),
                     u"数据库正被另一个程序占用，这次修改没有保存，请稍后再试。\ndatabase is locked"_s);
        }
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before + 1);
        addPhrases({u"甲"_s, u"乙"_s});
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before + 3);
    }

    void recordSetOutlivesLaterQueriesAndTheConnection()
    {
        const RecordSet accounts = openRecordset(u"  \n SELECT 科目代码, 科目名称 FROM 科目表 ORDER BY 科目代码 \n "_s);
        QCOMPARE(accounts.count(), 86);
        execute(u"DELETE FROM 科目表"_s);
        const RecordSet empty = openRecordset(u"SELECT * FROM 科目表"_s);
        QVERIFY(empty.isEmpty() && empty.fieldNames().first() == u"序号"_s);
        closeConnection();
        QVERIFY(!isConnectionOpen());
        closeConnection();

        QCOMPARE(accounts.value(0, u"科目代码"_s).toString() + accounts[85][1].toString(), u"1001所得税费用"_s);
        QVERIFY(accounts.fieldIndex(u"科目名称"_s) == 1 && accounts.fieldIndex(u"没有"_s) == -1);
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(0, u"没有"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(86, 0));
        int walked = 0;
        for (const auto row : accounts)
            walked += row[0].toString().size() == 4 ? 1 : 0;
        QCOMPARE(walked, 86);

        // The next statement opens the connection again.
        QVERIFY(scalar(u"SELECT count(*) FROM 科目表"_s).toInt() == 0 && isConnectionOpen());

        // Every kind of value reads back as the SQL driver gives it, bound or written, and a
        // quoted alias loses its quotes.
        const RecordSet kinds = openRecordset(
            QStringLiteral("SELECT ?, ?, ?, ?, ?, ?, ?, 12, 2.675, '银行存款/工行 O''x', x'00ff' AS \"引号\""),
            {QVariant(), 7, qint64(1) << 40, 0.125, true, QStringLiteral("现金"), QByteArray("\x01\x02", 2)});
        QStringList read;
        for (int field = 0; field < kinds.fieldCount(); ++field) {
            const QVariant value = kinds.value(0, field);
            read << QString::fromLatin1(value.typeName()) + u' '
                        + (value.isNull() ? u"null"_s : value.typeId() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray().toHex()) : value.toString());
        }
        QCOMPARE(read, (QStringList{u"QString null"_s, u"qlonglong 7"_s, u"qlonglong 1099511627776"_s, u"double 0.125"_s, u"qlonglong 1"_s,
                                    u"QString 现金"_s, u"QByteArray 0102"_s, u"qlonglong 12"_s, u"double 2.675"_s, u"QString 银行存款/工行 O'x"_s,
                                    u"QByteArray 00ff"_s}));
        QCOMPARE(kinds.fieldNames().last(), QStringLiteral("引号"));
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(QStringLiteral("SELECT ?, ?"), {1}));
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(QStringLiteral("SELECT 1; SELECT 2")));
        // A statement that returns no columns runs and gives an empty record set.
        QVERIFY(openRecordset(QStringLiteral("DELETE FROM 摘要 WHERE 名称=?"), {QStringLiteral("无")}).isEmpty());
    }

    void missingFileIsNeverCreated()
    {
        TempProgram program(false);
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(u"SELECT 1"_s));
        QVERIFY(!QFile::exists(databaseFilePath()) && !isConnectionOpen());
    }

    void everyTableWithItsColumnsAndTheShippedRows()
    {
        for (const QString& table : {u"信息表"_s, u"科目表"_s, u"摘要"_s, u"现流"_s, u"调汇"_s, u"分录始表"_s, u"凭证汇总表"_s,
                                     u"数量式余额表"_s, u"三总式"_s, u"数量式"_s, u"固累式"_s, u"多栏式1"_s, u"三栏帐页"_s,
                                     u"数量帐页"_s, u"固累帐页"_s, u"报表数据"_s, u"资产表05"_s, u"资产表07"_s, u"利润表05"_s,
                                     u"利润表07"_s, u"现流表"_s})
            QVERIFY2(!columnsOf(table).isEmpty(), qPrintable(table));
        QVERIFY(columnsOf(u"信息表"_s).contains(u"备份路径"_s) && columnsOf(u"数量式余额表"_s).size() == 15);
        QCOMPARE(QStringList({columnsOf(u"信息表"_s).mid(2, 2).join(u' '), columnsOf(u"科目表"_s).mid(1, 4).join(u' '),
                              columnsOf(u"数量式余额表"_s).first(), columnsOf(u"三栏帐页"_s).mid(9).join(u' '), columnsOf(u"多栏式1"_s).last()}),
                 (QStringList{u"年度 帐套名称"_s, u"科目代码 科目名称 科目级数 科目全称"_s, u"科目代码"_s, u"顺序 月"_s, u"科目名称"_s}));
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            QCOMPARE(columnsOf(entryTableName(year)), entryColumns());
        QCOMPARE(columnsOf(u"分录始表"_s), entryColumns());
        QVERIFY(columnsOf(u"分2009"_s).isEmpty() && columnsOf(u"分2021"_s).isEmpty());

        // No index is unique: renumbering shifts IDs through values other rows still hold. The
        // ledgers' covering index holds code, month, amounts, quantity and closing mark.
        QCOMPARE(rowsAsText(u"SELECT \"unique\" FROM pragma_index_list(?)"_s, {u"分2015"_s}), QStringList(3, u"0"_s));
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
        QCOMPARE(scalar(ledgerColumns, {u"分2020_代码月"_s}).toString() + u'|'
                     + scalar(u"SELECT 借方金额 FROM 分2014 INDEXED BY 分2014_代码月 WHERE 代码='1001'"_s).toString(), u"代码,月,借方金额,贷方金额,数量,结帐|0.125"_s);
        execute(u"DELETE FROM 分2014"_s);

        // QMID of the working copy numbers the lines afresh once the table has been emptied.
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001'), ('1002')"_s);
        execute(u"DELETE FROM 分录始表"_s);
        execute(u"INSERT INTO 分录始表 (代码) VALUES ('1001')"_s);
        QCOMPARE(scalar(u"SELECT QMID FROM 分录始表"_s).toInt(), 1);
        execute(u"DELETE FROM 分2015"_s);

        // The shipped rows.
        QCOMPARE(rowsAsText(u"SELECT 代号='QM', 操作员, 年度, 密码 FROM 信息表 ORDER BY rowid"_s),
                 (QStringList{u"1 - 2020 -"_s, u"0 %1 - %2"_s.arg(shippedOperatorName(), shippedOperatorPassword())}));

        QStringList shipped;
        for (const ShippedAccount& account : shippedAccounts())
            shipped << u"%1 %2 1 %2 %3 Y"_s.arg(account.code, account.name, account.direction);
        QCOMPARE(rowsAsText(u"SELECT 科目代码, 科目名称, 科目级数, 科目全称, 方向, 明细 FROM 科目表 ORDER BY 科目代码"_s), shipped);
        QVERIFY(shipped.size() == 86 && shipped.contains(u"1602 累计折旧 1 累计折旧 贷 Y"_s));
        QCOMPARE(rowsAsText(u"SELECT count(*), max(名称) FILTER (WHERE 代码='401') FROM 现流"_s),
                 QStringList{u"23 汇率变动对现金及现金等价物的影响"_s});
        QVERIFY(scalar(u"SELECT count(*) FROM 摘要"_s).toInt() > 0);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 资产表07), (SELECT count(*) FROM 资产表05), (SELECT count(*) FROM 利润表07), "
                            "(SELECT count(*) FROM 利润表05), (SELECT count(*) FROM 现流表)"_s),
                 QStringList{u"33 37 20 16 38"_s});
        QCOMPARE(rowsAsText(u"SELECT (SELECT 行次2 FROM 资产表07 WHERE 行次1=32), (SELECT 公式 FROM 现流表 WHERE 行次=38), "
                            "(SELECT 公式1 FROM 资产表07 WHERE 行次1=1)"_s), QStringList{u"- 999 -"_s});
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

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"

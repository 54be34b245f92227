#include "support/common.h"
#include "data/database.h"
#include "support/other_writer.h"

#include <QFile>

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

}  // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void valuesBindAsTheyAre()
    {
        TempProgram program;
        const QString tricky = u"O'Brien's '现金'; DROP TABLE 信息表; --"_s;
        execute(u"DELETE FROM 摘要"_s);
        QCOMPARE(execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {tricky}), 1);
        const QString changed = tricky + u"''"_s;
        QCOMPARE(execute(u"UPDATE 摘要 SET 名称=? WHERE 名称=?"_s, {changed, tricky}), 1);
        QCOMPARE(rowsAsText(u"SELECT 名称 FROM 摘要"_s), QStringList{changed});
        QCOMPARE(execute(u"DELETE FROM 摘要 WHERE 名称=?"_s, {changed}), 1);
        QCOMPARE(scalar(u"SELECT count(*) FROM 信息表"_s).toInt(), 2);

        // A box's empty text is empty text in the table, never NULL; a NULL read back binds as NULL.
        execute(u"INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"_s, {QString(), QVariant()});
        const QVariant null = scalar(u"SELECT 名称 FROM 现流 WHERE 代码=''"_s);
        execute(u"INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"_s, {u"x"_s, null});
        QCOMPARE(rowsAsText(u"SELECT quote(代码), quote(名称) FROM 现流 WHERE 名称 IS NULL ORDER BY 1"_s),
                 (QStringList{u"'' NULL"_s, u"'x' NULL"_s}));
    }

    void failingStatementInsideTransactionLeavesNothingWritten()
    {
        TempProgram program;
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
        TempProgram program;
        const RecordSet accounts = openRecordset(u"  \n SELECT 科目代码, 科目名称 FROM 科目表 ORDER BY 科目代码 \n "_s);
        QCOMPARE(accounts.count(), 86);
        execute(u"DELETE FROM 科目表"_s);
        const RecordSet empty = openRecordset(u"SELECT * FROM 科目表"_s);
        QVERIFY(empty.isEmpty());
        QCOMPARE(empty.fieldNames().first(), u"序号"_s);
        closeConnection();
        QVERIFY(!isConnectionOpen());
        closeConnection();

        QCOMPARE(accounts.value(0, u"科目代码"_s).toString() + accounts[85][1].toString(), u"1001所得税费用"_s);
        QCOMPARE(accounts.fieldIndex(u"科目名称"_s), 1);
        QCOMPARE(accounts.fieldIndex(u"没有"_s), -1);
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(0, u"没有"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(86, 0));
        int walked = 0;
        for (const auto row : accounts)
            walked += row[0].toString().size() == 4 ? 1 : 0;
        QCOMPARE(walked, 86);

        // The next statement opens the connection again.
        QCOMPARE(scalar(u"SELECT count(*) FROM 科目表"_s).toInt(), 0);
        QVERIFY(isConnectionOpen());

        // Every kind of value reads back as the SQL driver gives it, bound or written, and a
        // quoted alias loses its quotes.
        const RecordSet kinds = openRecordset(
            QStringLiteral("SELECT ?, ?, ?, ?, ?, ?, ?, 12, 2.675, '银行存款/工行 O''x', x'00ff' AS \"引号\""),
            {QVariant(), 7, qint64(1) << 40, 0.125, true, QStringLiteral("现金"), QByteArray("\x01\x02", 2)});
        const struct {
            int type;
            QString text;
        } expected[] = {{QMetaType::QString, QString()}, {QMetaType::LongLong, QStringLiteral("7")},
                        {QMetaType::LongLong, QStringLiteral("1099511627776")}, {QMetaType::Double, QStringLiteral("0.125")},
                        {QMetaType::LongLong, QStringLiteral("1")}, {QMetaType::QString, QStringLiteral("现金")},
                        {QMetaType::QByteArray, QStringLiteral("\x01\x02")}, {QMetaType::LongLong, QStringLiteral("12")},
                        {QMetaType::Double, QStringLiteral("2.675")}, {QMetaType::QString, QStringLiteral("银行存款/工行 O'x")},
                        {QMetaType::QByteArray, QString::fromLatin1(QByteArray("\x00\xff", 2))}};
        QCOMPARE(kinds.fieldCount(), int(std::size(expected)));
        for (int field = 0; field < kinds.fieldCount(); ++field) {
            QCOMPARE(kinds.value(0, field).typeId(), expected[field].type);
            QCOMPARE(kinds.value(0, field).isNull(), field == 0);
            if (expected[field].type == QMetaType::QByteArray)
                QCOMPARE(QString::fromLatin1(kinds.value(0, field).toByteArray()), expected[field].text);
            else
                QCOMPARE(kinds.value(0, field).toString(), expected[field].text);
        }
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
        QVERIFY(!QFile::exists(databaseFilePath()));
        QVERIFY(!isConnectionOpen());
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"

#include "data/database.h"
#include "data/db_error.h"
#include "support/temp_program.h"

#include <QFile>
#include <QtTest>

using namespace qm;

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void quotesRoundTripThroughEveryKindOfStatement()
    {
        test::TempProgram program;
        const QString tricky = QStringLiteral("O'Brien's '现金'; DROP TABLE 信息表; --");
        execute(QStringLiteral("DELETE FROM 摘要"));
        QCOMPARE(execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {tricky}), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT 名称 FROM 摘要 WHERE 名称=?"), {tricky}).toString(), tricky);

        const QString changed = tricky + QStringLiteral("''");
        QCOMPARE(execute(QStringLiteral("UPDATE 摘要 SET 名称=? WHERE 名称=?"), {changed, tricky}), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 摘要 WHERE 名称=?"), {changed}).toInt(), 1);
        QCOMPARE(execute(QStringLiteral("DELETE FROM 摘要 WHERE 名称=?"), {changed}), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 摘要")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 信息表")).toInt(), 2);
    }

    void nullTextAndNullValuesBindAsTheyShould()
    {
        test::TempProgram program;
        execute(QStringLiteral("INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"),
                {QString(), QVariant()});
        const RecordSet rows = openRecordset(
            QStringLiteral("SELECT 代码, 名称 FROM 现流 WHERE 名称 IS NULL"));
        QCOMPARE(rows.count(), 1);
        // A box's empty text is empty text in the table, never NULL.
        QVERIFY(!rows.value(0, QStringLiteral("代码")).isNull());
        QCOMPARE(rows.value(0, QStringLiteral("代码")).toString(), QString());

        // A NULL read back binds as NULL again.
        execute(QStringLiteral("INSERT INTO 现流 (代码, 名称) VALUES (?, ?)"),
                {QStringLiteral("x"), rows.value(0, QStringLiteral("名称"))});
        QVERIFY(scalar(QStringLiteral("SELECT 名称 FROM 现流 WHERE 代码='x'")).isNull());
    }

    void failingStatementInsideTransactionLeavesNothingWritten()
    {
        test::TempProgram program;
        const int before = scalar(QStringLiteral("SELECT count(*) FROM 摘要")).toInt();
        bool thrown = false;
        try {
            Transaction transaction;
            execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {QStringLiteral("甲")});
            execute(QStringLiteral("INSERT INTO 没有的表 (名称) VALUES (?)"), {QStringLiteral("乙")});
            transaction.commit();
        } catch (const DbError& error) {
            thrown = true;
            QVERIFY(error.text().contains(QStringLiteral("没有的表")));
        }
        QVERIFY(thrown);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 摘要")).toInt(), before);

        // An inner guard that fails rolls back its own work only.
        {
            Transaction outer;
            execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {QStringLiteral("外")});
            {
                Transaction inner;
                execute(QStringLiteral("INSERT INTO 摘要 (名称) VALUES (?)"), {QStringLiteral("内")});
            }
            outer.commit();
        }
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 摘要 WHERE 名称=?"), {QStringLiteral("外")}).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 摘要 WHERE 名称=?"), {QStringLiteral("内")}).toInt(), 0);
    }

    void recordSetOutlivesLaterQueriesAndTheConnection()
    {
        test::TempProgram program;
        const RecordSet accounts = openRecordset(
            QStringLiteral("  \n SELECT 科目代码, 科目名称 FROM 科目表 ORDER BY 科目代码 \n "));
        QCOMPARE(accounts.count(), 86);
        execute(QStringLiteral("DELETE FROM 科目表"));
        const RecordSet empty = openRecordset(QStringLiteral("SELECT * FROM 科目表"));
        QCOMPARE(empty.count(), 0);
        QVERIFY(empty.isEmpty());
        QCOMPARE(empty.fieldNames().first(), QStringLiteral("序号"));
        closeConnection();
        QVERIFY(!isConnectionOpen());
        closeConnection();

        QCOMPARE(accounts.value(0, QStringLiteral("科目代码")).toString(), QStringLiteral("1001"));
        QCOMPARE(accounts[85][1].toString(), QStringLiteral("所得税费用"));
        QCOMPARE(accounts.fieldIndex(QStringLiteral("科目名称")), 1);
        QCOMPARE(accounts.fieldIndex(QStringLiteral("没有")), -1);
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(0, QStringLiteral("没有")));
        QVERIFY_THROWS_EXCEPTION(DbError, accounts.value(86, 0));
        int walked = 0;
        for (const auto row : accounts)
            walked += row[0].toString().size() == 4 ? 1 : 0;
        QCOMPARE(walked, 86);

        // The next statement opens the connection again.
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 0);
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
        test::TempProgram program(false);
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(QStringLiteral("SELECT 1")));
        QVERIFY(!QFile::exists(databaseFilePath()));
        QVERIFY(!isConnectionOpen());
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"

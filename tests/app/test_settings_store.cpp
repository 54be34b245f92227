#include "app/database_maintenance.h"
#include "app/settings_store.h"
#include "app/year_end.h"
#include "accounts/opening_balances.h"
#include "data/db_error.h"
#include "data/login.h"
#include "support/books.h"
#include "support/temp_program.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

void post(const QString& table, const QString& id, const QString& code, const QVariant& quantity, const QVariant& debit,
          const QVariant& credit)
{
    execute(QStringLiteral("INSERT INTO %1 (ID, 月, 摘要说明, 代码, 数量, 借方金额, 贷方金额) VALUES (?, ?, 'x', ?, ?, ?, ?)").arg(table),
            {id, id.startsWith(QStringLiteral("800")) ? QVariant() : QVariant(id.mid(1, 2).toInt()), code, quantity, debit, credit});
}

QStringList rowsOf(const QString& table)
{
    QStringList rows;
    for (const auto row : openRecordset(QStringLiteral(
             "SELECT ID, 代码, 科目全称, 数量, 借方金额, 贷方金额 FROM %1 WHERE substr(ID,1,3)='800' ORDER BY ID").arg(table)))
        rows << QStringLiteral("%1 %2 %3 %4 %5 %6").arg(row[0].toString(), row[1].toString(), row[2].toString(),
                                                      row[3].isNull() ? QStringLiteral("-") : row[3].toString(),
                                                      row[4].isNull() ? QStringLiteral("-") : row[4].toString(),
                                                      row[5].isNull() ? QStringLiteral("-") : row[5].toString());
    return rows;
}

}  // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init() { loginState() = LoginState{2016, QStringLiteral("管理员"), QStringLiteral("123456"), QString()}; }

    void yearNameOperatorAndPassword()
    {
        TempProgram program;
        QVERIFY(!saveYearAndUnitName(QStringLiteral("2020"), QStringLiteral("O'Brien 公司")));
        QCOMPARE(loginState().fiscalYear, qint16(2020));
        QCOMPARE(readStoredSettings().unitName, QStringLiteral("O'Brien 公司"));
        QCOMPARE(saveYearAndUnitName(QStringLiteral("2021"), QStringLiteral("x"))->text, QStringLiteral("超年限不能使用"));
        QCOMPARE(saveYearAndUnitName(QStringLiteral("abc"), QStringLiteral("x"))->text, QStringLiteral("超年限不能使用"));
        QCOMPARE(saveYearAndUnitName(QString(), QStringLiteral("x"))->text, QStringLiteral("请选择会计年度"));
        QCOMPARE(loginState().fiscalYear, qint16(2020));
        QCOMPARE(readStoredSettings().unitName, QStringLiteral("O'Brien 公司"));

        execute(QStringLiteral("INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', 'Zhang', 'x')"));
        const std::optional<Message> taken = renameOperator(QStringLiteral("管理员"), QStringLiteral("zHANG"));
        QCOMPARE(taken->text, QStringLiteral("zHANG   此操作员已存在"));
        QCOMPARE(taken->title, QStringLiteral("提醒您！"));
        QCOMPARE(renameOperator(QStringLiteral("管理员"), QStringLiteral("管理员"))->text, QStringLiteral("管理员   此操作员已存在"));
        QCOMPARE(renameOperator(QStringLiteral("管理员"), QStringLiteral("  "))->text, QStringLiteral("请输入新操作员名"));
        QVERIFY(!renameOperator(QStringLiteral("管理员"), QStringLiteral("O'Neil")));
        QCOMPARE(loginState().operatorName, QStringLiteral("O'Neil"));
        QVERIFY(checkLogin(QStringLiteral("O'Neil"), QStringLiteral("123456")));

        QCOMPARE(changePassword(QStringLiteral("O'Neil"), QStringLiteral("   "), QStringLiteral("   "))->text, QStringLiteral("请输入密码！"));
        QCOMPARE(changePassword(QStringLiteral("O'Neil"), QStringLiteral("a"), QStringLiteral("A"))->text, QStringLiteral("两次密码输入不一致"));
        QVERIFY(!changePassword(QStringLiteral("O'Neil"), QStringLiteral(" p'w "), QStringLiteral(" p'w ")));
        QVERIFY(checkLogin(QStringLiteral("O'Neil"), QStringLiteral(" p'w ")));
        QCOMPARE(loginState().operatorPassword, QStringLiteral(" p'w "));

        saveBackupFolder(QStringLiteral("/备份"));
        QCOMPARE(readStoredSettings().backupFolder, QStringLiteral("/备份"));
        QVERIFY(checkBackupFolder(QString()));
        QCOMPARE(checkBackupFolder(QStringLiteral("relative/dir"))->text, QStringLiteral("请选择备份路径"));
        QVERIFY(!checkBackupFolder(QStringLiteral("/tmp/备份")));
    }

    void backupRestoreAndCompaction()
    {
        TempProgram program;
        QCOMPARE(backupFileName(QDateTime(QDate(2011, 6, 8), QTime(9, 30, 5))), QStringLiteral("QM2011-06-08 93005.bam"));
        QCOMPARE(backupFileName(QDateTime(QDate(2011, 6, 8), QTime(14, 30, 5))), QStringLiteral("QM2011-06-08 143005.bam"));

        post(QStringLiteral("分2016"), QStringLiteral("8030001001"), QStringLiteral("1001"), QVariant(), 5.0, QVariant());
        const QStringList saved = dumpTable(QStringLiteral("分2016"));
        // A backup of an earlier version, made before the entry tables had their code index.
        execute(QStringLiteral("DROP INDEX 分2016_代码月"));
        const QString folder = program.path() + QStringLiteral("/备份/新");
        const QString backup = backupDatabase(folder, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        QCOMPARE(backup, folder + QStringLiteral("/QM2016-05-01 80001.bam"));
        QVERIFY(QFile::exists(backup));

        execute(QStringLiteral("DELETE FROM 分2016"));
        execute(QStringLiteral("DELETE FROM 科目表 WHERE 科目代码='1001'"));
        restoreDatabase(backup);
        QCOMPARE(dumpTable(QStringLiteral("分2016")), saved);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 86);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM pragma_index_list('分2016') WHERE name='分2016_代码月'")).toInt(), 1);

        // Anything but a database of this program leaves the database as it is.
        const QString notABackup = program.path() + QStringLiteral("/notes.bam");
        QFile notes(notABackup);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a database");
        notes.close();
        QVERIFY_THROWS_EXCEPTION(DbError, restoreDatabase(notABackup));
        QVERIFY_THROWS_EXCEPTION(DbError, restoreDatabase(program.path() + QStringLiteral("/missing.bam")));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), saved);
        QVERIFY(!QFile::exists(databaseFilePath() + QStringLiteral(".restore")));

        post(QStringLiteral("分2016"), QStringLiteral("8030002001"), QString(), QVariant(), 1.0, QVariant());
        execute(QStringLiteral("UPDATE 分2016 SET 代码=NULL WHERE ID='8030002001'"));
        compactDatabase(2016);
        QCOMPARE(dumpTable(QStringLiteral("分2016")), saved);
        QVERIFY(!QFile::exists(program.path() + QStringLiteral("/qmdata888.mdb")));

        // A compaction that cannot write its copy keeps the database.
        QVERIFY(QDir(program.path()).mkdir(QStringLiteral("qmdata888.mdb")));
        QVERIFY_THROWS_EXCEPTION(DbError, compactDatabase(2016));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), saved);

        // One that fails after the rows without an account were dropped leaves them in the books.
        QVERIFY(QDir(program.path()).rmdir(QStringLiteral("qmdata888.mdb")));
        post(QStringLiteral("分2016"), QStringLiteral("8030002001"), QString(), QVariant(), 1.0, QVariant());
        execute(QStringLiteral("UPDATE 分2016 SET 代码=NULL WHERE ID='8030002001'"));
        const QStringList withEmptyRow = dumpTable(QStringLiteral("分2016"));
        execute(QStringLiteral("CREATE TRIGGER spoil AFTER DELETE ON 分2016 BEGIN DELETE FROM 信息表; END"));
        QVERIFY_THROWS_EXCEPTION(DbError, compactDatabase(2016));
        QCOMPARE(dumpTable(QStringLiteral("分2016")), withEmptyRow);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 信息表 WHERE 代号='QM'")).toInt(), 1);
        QVERIFY(!QFile::exists(program.path() + QStringLiteral("/qmdata888.mdb")));
    }

    void carryingTheYearForward()
    {
        TempProgram program;
        const QString y16 = QStringLiteral("分2016");
        post(y16, QStringLiteral("8000000001"), QStringLiteral("1001"), QVariant(), 800.0, QVariant());
        post(y16, QStringLiteral("8000000002"), QStringLiteral("4001"), QVariant(), QVariant(), 800.0);
        post(y16, QStringLiteral("8030001001"), QStringLiteral("1001"), QVariant(), 200.0, QVariant());
        post(y16, QStringLiteral("8030001002"), QStringLiteral("4001"), QVariant(), QVariant(), 200.0);
        post(y16, QStringLiteral("8030002001"), QStringLiteral("1405"), 10.0, 100.0, QVariant());
        post(y16, QStringLiteral("8030002002"), QStringLiteral("2202"), QVariant(), QVariant(), 100.0);
        post(y16, QStringLiteral("8030003001"), QStringLiteral("2202"), QVariant(), 130.0, QVariant());
        post(y16, QStringLiteral("8030003002"), QStringLiteral("1001"), QVariant(), QVariant(), 130.0);
        post(y16, QStringLiteral("8030004001"), QStringLiteral("1122"), QVariant(), 50.0, QVariant());
        post(y16, QStringLiteral("8030004002"), QStringLiteral("6001"), 5.0, QVariant(), 50.0);
        post(y16, QStringLiteral("8030005001"), QStringLiteral("6001"), QVariant(), 50.0, QVariant());
        post(y16, QStringLiteral("8030005002"), QStringLiteral("1122"), QVariant(), QVariant(), 50.0);
        post(y16, QStringLiteral("8030006001"), QStringLiteral("1012"), QVariant(), 0.1, QVariant());
        post(y16, QStringLiteral("8030006002"), QStringLiteral("1012"), QVariant(), 0.2, QVariant());
        post(y16, QStringLiteral("8030006003"), QStringLiteral("1012"), QVariant(), QVariant(), 0.3);
        // Fifty lines of 0.1 and one of 0.125 on a credit account carry exactly 5.125, so 5.13.
        for (int line = 1; line <= 51; ++line)
            post(y16, QStringLiteral("8040001%1").arg(line, 3, 10, QLatin1Char('0')), QStringLiteral("2241"), QVariant(), QVariant(),
                 line == 51 ? 0.125 : 0.1);
        post(QStringLiteral("分2017"), QStringLiteral("8000000001"), QStringLiteral("1231"), QVariant(), 1.0, QVariant());
        post(QStringLiteral("分2017"), QStringLiteral("8020001001"), QStringLiteral("1001"), QVariant(), 7.0, QVariant());

        QVERIFY(carryForwardQuestion().text.startsWith(QStringLiteral("1.是否把各科目余额过入下一年度?\n2.")));
        carryForward(2016);
        const QStringList expected = {QStringLiteral("8000000001 1001 库存现金 - 870 -"),
                                      QStringLiteral("8000000002 1405 库存商品 10 100 -"),
                                      QStringLiteral("8000000003 2202 应付账款 - - -30"),
                                      QStringLiteral("8000000004 2241 其他应付款 - - 5.13"),
                                      QStringLiteral("8000000005 4001 实收资本 - - 1000")};
        QCOMPARE(rowsOf(QStringLiteral("分2017")), expected);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2017 WHERE ID='8020001001'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT 年度 FROM 信息表 WHERE 代号='QM'")).toInt(), 2017);
        QCOMPARE(scalar(QStringLiteral("SELECT DISTINCT 摘要说明 FROM 分2017 WHERE substr(ID,1,3)='800'")).toString(),
                 QStringLiteral("年初余额"));
        carryForward(2016);
        QCOMPARE(rowsOf(QStringLiteral("分2017")), expected);

        QCOMPARE(checkCarryForward(2020)->text, QStringLiteral("只到2020年的数据库"));
        QVERIFY(!checkCarryForward(2019));
        QVERIFY_THROWS_EXCEPTION(DbError, carryForward(2020));
    }

    void clearingAYear()
    {
        TempProgram program;
        post(QStringLiteral("分2016"), QStringLiteral("8000000001"), QStringLiteral("1001"), QVariant(), 10.0, QVariant());
        post(QStringLiteral("分2016"), QStringLiteral("8030001001"), QStringLiteral("1001"), QVariant(), 10.0, QVariant());
        post(QStringLiteral("分2015"), QStringLiteral("8030001001"), QStringLiteral("1001"), QVariant(), 10.0, QVariant());
        execute(QStringLiteral("UPDATE 科目表 SET 数量=1, 借方金额=10 WHERE 科目代码='1001'"));
        QCOMPARE(clearYearQuestion(2016).text, QStringLiteral("是否清空 2016 年的所有数据?"));
        QCOMPARE(clearYearLastQuestion(2016).text, QStringLiteral("最后一次提示,是否要清空 2016 年的所有数据?"));
        clearYear(2016);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2016")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 分2015")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM 科目表")).toInt(), 86);
        const TrialBalance balance = trialBalanceOfChart();
        QCOMPARE(balance.debitText, QStringLiteral("0.00"));
        QCOMPARE(balance.creditText, QStringLiteral("0.00"));
        QVERIFY(balance.balanced);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"

#include "support/common.h"
#include "support/books_test.h"
#include "app/database_maintenance.h"
#include "app/settings_store.h"
#include "app/year_end.h"
#include "data/spreadsheet.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <sys/stat.h>

namespace {

// The permission bits of a file or folder.
int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

}  // namespace

class TestSettingsStore : public BooksTest {
    Q_OBJECT

private slots:
    void init() { BooksTest::init(); loginState() = LoginState{2016, u"管理员"_s, u"123456"_s, QString()}; }

    void yearNameOperatorAndPassword()
    {
        QVERIFY(!saveYearAndUnitName(u"2020"_s, u"O'Brien 公司"_s));
        for (const QString& year : {u"2021"_s, u"abc"_s, QString()})
            QCOMPARE(saveYearAndUnitName(year, u"x"_s)->text, year.isEmpty() ? u"请选择会计年度"_s : u"超年限不能使用"_s);
        QVERIFY(loginState().fiscalYear == 2020 && readStoredSettings().unitName == u"O'Brien 公司"_s);

        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', 'Zhang', 'x')"_s);
        QCOMPARE(QStringList({shown(renameOperator(u"管理员"_s, u"zHANG"_s)), renameOperator(u"管理员"_s, u"管理员"_s)->text,
                              renameOperator(u"管理员"_s, u"  "_s)->text}),
                 (QStringList{u"提醒您！|stop|zHANG   此操作员已存在"_s, u"管理员   此操作员已存在"_s, u"请输入新操作员名"_s}));
        QVERIFY(!renameOperator(u"管理员"_s, u"O'Neil"_s) && checkLogin(loginState().operatorName, u"123456"_s) && loginState().operatorName == u"O'Neil"_s);

        QCOMPARE(changePassword(u"O'Neil"_s, u"   "_s, u"   "_s)->text + changePassword(u"O'Neil"_s, u"a"_s, u"A"_s)->text,
                 u"请输入密码！两次密码输入不一致"_s);
        QVERIFY(!changePassword(u"O'Neil"_s, u" p'w "_s, u" p'w "_s) && checkLogin(u"O'Neil"_s, u" p'w "_s) && loginState().operatorPassword == u" p'w "_s);

        saveBackupFolder(u"/备份"_s);
        QVERIFY(readStoredSettings().backupFolder == u"/备份"_s && checkBackupFolder(QString()) && !checkBackupFolder(u"/tmp/备份"_s));
        QCOMPARE(checkBackupFolder(u"relative/dir"_s)->text, u"请选择备份路径"_s);
    }

    void backupRestoreAndCompaction()
    {
        QCOMPARE(backupFileName(QDateTime(QDate(2011, 6, 8), QTime(14, 30, 5))), u"QM2011-06-08 143005.bam"_s);

        addLines(u"8030001001 1001 5 -"_s);
        const QStringList saved = dumpTable(u"分2016"_s);
        // A backup of an earlier version, made before the entry tables had their code index.
        execute(u"DROP INDEX 分2016_代码月"_s);
        const QString folder = programFolder() + u"/备份/新"_s;
        const QString backup = backupDatabase(folder, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        QVERIFY(backup == folder + u"/QM2016-05-01 80001.bam"_s && QFile::exists(backup));

        execute(u"DELETE FROM 分2016"_s);
        execute(u"DELETE FROM 科目表 WHERE 科目代码='1001'"_s);
        restoreDatabase(backup);
        QCOMPARE(dumpTable(u"分2016"_s), saved);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 科目表), count(*) FROM pragma_index_list('分2016') WHERE name='分2016_代码月'"_s),
                 QStringList{u"86 1"_s});

        // Anything but a database of this program leaves the database as it is.
        const QString notABackup = programFolder() + u"/notes.bam"_s;
        QFile notes(notABackup);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not a database") > 0);
        notes.close();
        QVERIFY_THROWS_EXCEPTION(DbError, restoreDatabase(notABackup));
        QVERIFY_THROWS_EXCEPTION(DbError, restoreDatabase(programFolder() + u"/missing.bam"_s));
        QVERIFY(dumpTable(u"分2016"_s) == saved && !QFile::exists(databaseFilePath() + u".restore"_s));

        execute(u"INSERT INTO 分2016 (ID, 借方金额) VALUES ('8030002001', 1)"_s);
        compactDatabase(2016);
        QVERIFY(dumpTable(u"分2016"_s) == saved && !QFile::exists(programFolder() + u"/qmdata888.mdb"_s));

        // A compaction that cannot write its copy keeps the database.
        QVERIFY(QDir(programFolder()).mkdir(u"qmdata888.mdb"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, compactDatabase(2016));
        QCOMPARE(dumpTable(u"分2016"_s), saved);

        // One that fails after the rows without an account were dropped leaves them in the books.
        QVERIFY(QDir(programFolder()).rmdir(u"qmdata888.mdb"_s));
        execute(u"INSERT INTO 分2016 (ID, 借方金额) VALUES ('8030002001', 1)"_s);
        const QStringList withEmptyRow = dumpTable(u"分2016"_s);
        execute(u"CREATE TRIGGER spoil AFTER DELETE ON 分2016 BEGIN DELETE FROM 信息表; END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, compactDatabase(2016));
        QVERIFY(dumpTable(u"分2016"_s) == withEmptyRow && !QFile::exists(programFolder() + u"/qmdata888.mdb"_s));
        QCOMPARE(scalar(u"SELECT count(*) FROM 信息表 WHERE 代号='QM'"_s).toInt(), 1);
    }

    void booksFilesAreForTheirOwnerOnly()
    {
        // With the usual umask every file would be readable by all; the books must not be.
        const mode_t previousMask = ::umask(022);
        const auto restoreMask = qScopeGuard([previousMask] { ::umask(previousMask); });
        TempProgram program(false);
        ensureDatabase();
        const QString folder = program.path() + u"/备份/新"_s;
        const QString backup = backupDatabase(folder, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        QCOMPARE(QList<int>({modeOf(dataFolder()), modeOf(databaseFilePath()), modeOf(program.path() + u"/备份"_s), modeOf(folder),
                             modeOf(backup)}),
                 QList<int>({0700, 0600, 0700, 0700, 0600}));
        compactDatabase(2016);
        QCOMPARE(modeOf(databaseFilePath()), 0600);

        // A backup that was copied about carelessly still comes back private.
        QVERIFY(QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        restoreDatabase(backup);
        QVERIFY(modeOf(databaseFilePath()) == 0600 && isDatabaseOfThisProgram(databaseFilePath()));

        const QString workbook = program.path() + u"/导出/账.xlsx"_s;
        writeRecordSetWorkbook(openRecordset(u"SELECT 科目代码, 科目名称 FROM 科目表"_s), workbook);
        QVERIFY(modeOf(program.path() + u"/导出"_s) == 0700 && modeOf(workbook) == 0600);
        QFile written(workbook);
        QVERIFY(written.open(QIODevice::ReadOnly) && written.read(2) == "PK");

        // A folder the user made keeps the mode the user gave it.
        const QString ownFolder = program.path() + u"/自己的"_s;
        QVERIFY(QDir().mkdir(ownFolder));
        QVERIFY(QFile::setPermissions(ownFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QCOMPARE(modeOf(QFileInfo(backupDatabase(ownFolder, QDateTime::currentDateTime())).absolutePath()), 0705);
    }

    void carryingTheYearForwardThenClearingIt()
    {
        addPayableLeaf();
        addLines(u"8000000001 1001 800 -|8000000002 4001 - 800|8030001001 1001 200 -|8030001002 4001 - 200|"
                 "8030002001 1405 100 - 10|8030002002 2202001001 - 100|8030003001 2202001001 130 -|8030003002 1001 - 130|"
                 "8030004001 1122 0.1 -|8030004002 1122 0.2 -|8030006001 1012 0.1 -|8030006002 1012 0.2 -|8030006003 1012 - 0.3|"
                 "8030007001 2241 - 100 10|8030007002 1001 100 -"_s);
        // No amount left, though a quantity is: nothing to carry.
        addLines(u"8030005001 6001 50 -|8030005002 6001 - 50 5"_s);
        // Fifty lines of 0.1 and one of 0.125 on a credit account carry exactly 5.125, so 5.13.
        addHalfCentSum(u"8040001"_s, u"2211"_s, false);
        addLines(u"8000000001 1231 1 -|8020001001 1001 7 -"_s, 2017);

        QVERIFY(carryForwardQuestion().text.startsWith(u"1.是否把各科目余额过入下一年度?\n2."_s));
        carryForward(2016);
        // A credit account's balance and quantity are carried on its own side, unsigned.
        const QStringList expected = {u"8000000001 年初余额 1001 库存现金 - 970 - -"_s, u"8000000002 年初余额 1122 应收账款 - 0.3 - -"_s,
                                      u"8000000003 年初余额 1405 库存商品 10 100 - -"_s,
                                      u"8000000004 年初余额 2202001001 应付账款/甲/材料款 - - -30 -"_s,
                                      u"8000000005 年初余额 2211 应付职工薪酬 - - 5.13 -"_s, u"8000000006 年初余额 2241 其他应付款 10 - 100 -"_s,
                                      u"8000000007 年初余额 4001 实收资本 - - 1000 -"_s, u"8020001001 业务 1001 - - 7 - 2"_s};
        const QString sql = u"SELECT ID, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 月 FROM 分2017 ORDER BY ID"_s;
        QVERIFY(rowsAsText(sql) == expected && scalar(u"SELECT 年度 FROM 信息表 WHERE 代号='QM'"_s).toInt() == 2017);
        carryForward(2016);
        QCOMPARE(rowsAsText(sql), expected);

        QVERIFY(checkCarryForward(2020)->text == u"只到2020年的数据库"_s && !checkCarryForward(2019));
        QVERIFY_THROWS_EXCEPTION(DbError, carryForward(2020));

        // Clearing a year empties its table and the chart's opening values, not the next year.
        execute(u"UPDATE 科目表 SET 数量=1, 借方金额=10 WHERE 科目代码='1001'"_s);
        QCOMPARE(clearYearQuestion(2016).text + u'|' + clearYearLastQuestion(2016).text, u"是否清空 2016 年的所有数据?|最后一次提示,是否要清空 2016 年的所有数据?"_s);
        clearYear(2016);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 分2016), (SELECT count(*) FROM 分2017), count(*), "
                            "count(数量) + count(借方金额) + count(贷方金额) FROM 科目表"_s), QStringList{u"0 8 88 0"_s});
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"

#include "support/common.h"
#include "app/database_maintenance.h"
#include "app/settings_store.h"
#include "app/start_up.h"
#include "app/year_end.h"
#include "data/default_data.h"
#include "data/fiscal_year.h"
#include "data/month_totals.h"
#include "data/private_files.h"
#include "data/process.h"
#include "data/schema.h"
#include "data/spreadsheet.h"
#include "data/update_rows.h"
#include "data/value_order.h"
#include "support/child_process.h"
#include "support/full_disk.h"
#include "support/other_writer.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/work_copy.h"
#include "data/record_set.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A user other than the one running the tests, for files that even root must find read-only.
constexpr uid_t kOtherUser = 65534;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList dataFolderEntries()
{
    return QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Files of the program folder handed to another user, so that the test's own modes bind even
// when the tests run as root. False when that cannot be done.
bool handToChildUser(const QString& programFolder)
{
    if (::geteuid() != 0)
        return true;
    for (QDir above(QFileInfo(programFolder).absolutePath()); !above.isRoot(); above.cdUp()) {
        if (!(QFileInfo(above.path()).permissions() & QFile::ExeOther))
            return false;
    }
    if (!QFile::setPermissions(programFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther))
        return false;
    for (const QString& path : {dataFolder(), databaseFilePath()}) {
        if (::chown(QFile::encodeName(path).constData(), kOtherUser, kOtherUser) != 0)
            return false;
    }
    return true;
}

const int kMonth = 3;
const int kVouchers = 1500;
const int kChanges = 400;

// Voucher n of the month as first written: its debit is n and a quarter, so its place can be
// told from its figures.
void writeMonth()
{
    Transaction transaction;
    for (int number = 1; number <= kVouchers; ++number) {
        const double amount = number + 0.25;
        addLine(entryId(kMonth, number, 1), u"1001"_s, amount, QVariant());
        addLine(entryId(kMonth, number, 2), u"6001"_s, QVariant(), amount);
    }
    addVoucher(kMonth + 1, 1, u"1001"_s, u"6001"_s, 7.0);
    transaction.commit();
}

VoucherDraft insertedVoucher()
{
    const ParsedLines parsed = parseVoucherLines({{u"插入"_s, u"1001 库存现金"_s, QString(), u"0.30"_s, QString(), QString(), QString()},
                                                  {QString(), u"6001"_s, QString(), QString(), u"0.10"_s, QString(), QString()},
                                                  {QString(), u"6001"_s, QString(), QString(), u"0.20"_s, QString(), QString()}});
    return {QDate(kYear, kMonth, 1), u"记"_s, u"1"_s, u"1"_s, u"会计"_s, u"插入"_s, parsed.lines, parsed.rowWithoutAccount};
}

// The next start finds usable books, and in them every voucher balanced, numbers 1..n, the
// inserted ones (if any) first and the vouchers first written after them in their order; each key
// made of its month, number and line 1..k.
void verifyMonthWhole()
{
    BooksLock lock;
    QCOMPARE(shown(prepareBooks(lock)), QString());
    const QStringList vouchers = rowsAsText(u"SELECT 号码, count(*), round(sum(ifnull(借方金额,0)),2)=round(sum(ifnull(贷方金额,0)),2), "
                                            "min(摘要说明), max(借方金额) FROM 分2016 WHERE 月=? GROUP BY 号码 ORDER BY 号码"_s, {kMonth});
    const int inserted = int(vouchers.size()) - kVouchers;
    QStringList expected;
    for (int number = 1; number <= vouchers.size(); ++number)
        expected << (number <= inserted ? u"%1 3 1 插入 0.3"_s.arg(number)
                                        : u"%1 2 1 业务 %2"_s.arg(number).arg(QString::number(number - inserted + 0.25, 'g', 10)));
    QCOMPARE(vouchers, expected);

    QCOMPARE(scalar(QStringLiteral( "SELECT count(*) FROM 分2016 WHERE 月=? AND (substr(ID,1,3)<>? OR CAST(substr(ID,4,4) AS INTEGER)<>号码 "
                 "OR CAST(substr(ID,8,3) AS INTEGER) NOT BETWEEN 1 AND 3)"), {kMonth, u"803"_s}).toInt(), 0);
    QCOMPARE(scalar(u"SELECT count(DISTINCT ID) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt(),
             scalar(u"SELECT count(*) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt());
    QCOMPARE(scalar(u"SELECT group_concat(ID) FROM (SELECT ID FROM 分2016 WHERE 月=? ORDER BY ID)"_s, {kMonth + 1}).toString(),
             u"8040001001,8040001002"_s);
}

// A child's exit code for `work`: 0 when done, 5 with the error reported when refused.
int reportedFailure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const DbError& error) {
        report(error.text());
        return 5;
    }
    return 0;
}

// The same, and the warning of a save the disk could not confirm, when one is owed.
int reportedFailureOrWarning(const std::function<void()>& work)
{
    const int failed = reportedFailure(work);
    if (const QString warning = takeUnconfirmedSaveWarning(); !warning.isEmpty())
        report(warning);
    return failed;
}

// The environment of a child whose file calls go through the preloaded library, with the
// failure it is to make (a variable of the library) when one is named.
QProcessEnvironment withFileCallsLibrary(const QString& failure)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LD_PRELOAD"_s, QStringLiteral(QM505_FILE_CALLS_LOG));
    if (!failure.isEmpty())
        environment.insert(failure, u"1"_s);
    return environment;
}

// A child runs as the books' owner when they were handed to another user: root would write to
// any file, read-only or not.
bool runAsBooksOwner()
{
    return ::geteuid() != 0 || QFileInfo(dataFolder()).ownerId() == 0
           || (::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0);
}

// The child: starts the books, holds their lock, or inserts a voucher before the first and
// deletes it again, over and over, each change moving every key of the month.
int childMain(const QStringList& arguments)
{
    const QString command = arguments.value(0);
    setProgramFolder(arguments.value(1));
    if (command == QLatin1String("start")) {
        if (!runAsBooksOwner())
            return 9;
        BooksLock lock;
        const auto refusal = prepareBooks(lock);
        if (refusal)
            report(refusal->text);
        return refusal ? 3 : 0;
    }
    if (command == QLatin1String("renumber")) {
        report(u"started"_s);
        for (int change = 0; change < kChanges; ++change) {
            if (change % 2 == 0) {
                applyVoucherChange(VoucherChange::Insert, insertedVoucher(), kYear, u"管理员"_s);
            } else {
                copyVoucherToWorkCopy(kYear, kMonth, 1);
                applyVoucherChange(VoucherChange::Delete, insertedVoucher(), kYear, u"管理员"_s);
            }
        }
        return 0;
    }
    if (command == QLatin1String("restore") || command == QLatin1String("compact")) {
        return reportedFailureOrWarning([&command, &arguments] {
            if (command == QLatin1String("restore"))
                restoreDatabase(arguments.value(2));
            else
                compactDatabase(kYear);
            // The file put in place is the books from now on.
            scalar(u"SELECT count(*) FROM 信息表"_s);
        });
    }
    if (command == QLatin1String("write") || command == QLatin1String("write-when-told")) {
        if (!runAsBooksOwner())
            return 9;
        if (command == QLatin1String("write-when-told")) {
            // The books open first; the write waits for a line on the standard input.
            scalar(u"SELECT count(*) FROM 摘要"_s);
            report(u"ready"_s);
            char line[8];
            if (!std::fgets(line, sizeof line, stdin))
                return 8;
        }
        return reportedFailureOrWarning([] { execute(u"INSERT INTO 摘要 (名称) VALUES ('甲')"_s); });
    }
    if (command == QLatin1String("backup"))
        return !runAsBooksOwner() ? 9 : reportedFailure([&arguments] { backupDatabase(arguments.value(2), QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1))); });
    if (command == QLatin1String("save")) {
        VoucherDraft draft = insertedVoucher();
        draft.date = QDate(kYear, 5, 1);
        const int failed = reportedFailure([&draft] { applyVoucherChange(VoucherChange::Save, draft, kYear, u"管理员"_s); });
        report(takeUnconfirmedSaveWarning());
        // The program goes on reading the books as saved.
        report(scalar(u"SELECT count(*) FROM 分2016 WHERE 月=5"_s).toString());
        return failed;
    }
    if (command == QLatin1String("die-in-a-change") || command == QLatin1String("hold-a-change")) {
        // A change begun and never ended: the program killed in it, or another program still in it.
        Transaction change;
        execute(u"INSERT INTO 摘要 (名称) VALUES ('未完')"_s);
        report(u"began"_s);
        if (command == QLatin1String("die-in-a-change"))
            ::_exit(0);
        QThread::sleep(60);
        return 0;
    }
    if (command == QLatin1String("die-writing")) {
        // Another program takes the write lock, a moment later writes enough to spill into the books
        // (its journal then hot), and is killed a moment after that: well within a change's wait.
        sqlite3* other = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(databaseFilePath()).constData(), &other, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || sqlite3_exec(other, "PRAGMA cache_size=5; BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            return 4;
        report(u"began"_s);
        QThread::msleep(300);
        sqlite3_exec(other, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                            "INSERT INTO 摘要 (名称) SELECT printf('未完%0500d', i) FROM n", nullptr, nullptr, nullptr);
        QThread::msleep(300);
        ::_exit(0);
    }
    if (command == QLatin1String("end")) {
        scalar(u"SELECT count(*) FROM 摘要"_s);
        endProcess(0);
        report(u"%1 %2"_s.arg(processEndRequested()).arg(isConnectionOpen()));
        return 0;
    }
    if (command == QLatin1String("hold-lock")) {
        BooksLock lock;
        if (lock.lock(dataFolder()) != BooksLock::Result::Locked)
            return 4;
        report(u"locked"_s);
        QThread::sleep(60);
        return 0;
    }
    return 2;
}

// The permission bits of a file or folder.
int modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
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

class TestBooks : public BooksTest {
    Q_OBJECT

private slots:
    void newUsableAndDamagedBooks()
    {
        TempProgram program(false);
        BooksLock lock;
        QCOMPARE(shown(prepareBooks(lock)), QString());
        QVERIFY(lock.isLocked() && isDatabaseOfThisProgram(databaseFilePath()));
        QCOMPARE(dataFolderEntries(), (QStringList{u"qmdata.lock"_s, u"qmdata.mdb"_s}));
        lock.unlock();
        QVERIFY(!QFile::exists(booksLockFilePath(dataFolder())));

        // The next start finds the same file and leaves it exactly as it is.
        const QByteArray made = fileBytes(databaseFilePath());
        QCOMPARE(shown(prepareBooks(lock)), QString());
        QVERIFY(fileBytes(databaseFilePath()) == made && dataFolderEntries() == QStringList({u"qmdata.lock"_s, u"qmdata.mdb"_s}));
        lock.unlock();

        // Books moved away from beside the journal of a change they had under way: new books
        // made in their place do not take that journal for their own.
        QByteArray journal;
        {
            sqlite3* db = nullptr;
            QVERIFY(sqlite3_open(QFile::encodeName(databaseFilePath()).constData(), &db) == SQLITE_OK);
            // A small cache writes pages into the file before the change ends, as a big change does.
            sqlite3_exec(db, "UPDATE 科目表 SET 科目名称='旧'||科目名称; PRAGMA cache_size=1; BEGIN; "
                             "UPDATE 科目表 SET 科目全称=printf('%.3000c', 'x');", nullptr, nullptr, nullptr);
            journal = fileBytes(databaseFilePath() + u"-journal"_s);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        QVERIFY(journal.size() > 8192 && QFile::rename(databaseFilePath(), programFolder() + u"/moved.mdb"_s));
        QFile left(databaseFilePath() + u"-journal"_s);
        QVERIFY(left.open(QIODevice::WriteOnly) && left.write(journal) == journal.size());
        left.close();
        QCOMPARE(shown(prepareBooks(lock)), QString());
        QVERIFY(scalar(u"SELECT count(*) FROM 科目表 WHERE 科目名称 LIKE '旧%'"_s).toInt() == 0
                && isDatabaseOfThisProgram(databaseFilePath()));
        lock.unlock();

        // A damaged database is explained and left alone.
        QByteArray wholeDatabase;
        {
            TempProgram source;
            closeConnection();
            wholeDatabase = fileBytes(databaseFilePath());
        }
        QVERIFY(wholeDatabase.size() > 8192);
        // Zero bytes, cut short, not a database at all; with what the database says of each.
        for (const auto& damaged : {std::pair{QByteArray(), u"0 字节"_s}, {wholeDatabase.left(wholeDatabase.size() / 2), QString()},
                                    {QByteArray("凭证\n").repeated(2000), u"file is not a database"_s}}) {
            TempProgram program(false);
            QVERIFY(makePrivateFolder(dataFolder()));
            QFile file(databaseFilePath());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged.first) == damaged.first.size());
            file.close();
            const QDateTime modified = QFileInfo(databaseFilePath()).lastModified();

            BooksLock lock;
            const QString said = shown(prepareBooks(lock));
            QVERIFY2(said.startsWith(u"QM505提示|stop|数据库文件已损坏，无法使用:\n"_s + databaseFilePath()) && said.contains(u".bam"_s)
                         && said.contains(u"\n\n数据库的提示: "_s) && said.contains(damaged.second), qPrintable(said));
            // The file is neither repaired nor replaced, and nothing is written beside it.
            QVERIFY(fileBytes(databaseFilePath()) == damaged.first && QFileInfo(databaseFilePath()).lastModified() == modified);
            QVERIFY(dataFolderEntries() == QStringList({u"qmdata.lock"_s, u"qmdata.mdb"_s}) && !isConnectionOpen());
        }

        // Books that open and read, but fail the database's own check, are damaged as well.
        TempProgram readable;
        execute(u"INSERT INTO 摘要 (名称) VALUES (NULL)"_s);
        execute(u"PRAGMA writable_schema=ON"_s);
        execute(u"UPDATE sqlite_schema SET sql=replace(sql, '名称 TEXT COLLATE NOCASE', "
                "'名称 TEXT COLLATE NOCASE NOT NULL') WHERE name='摘要'"_s);
        closeConnection();
        BooksLock checked;
        const QString said = shown(prepareBooks(checked));
        QVERIFY2(said.startsWith(u"QM505提示|stop|数据库文件已损坏，无法使用:\n"_s + databaseFilePath())
                     && said.contains(u"NULL value in 摘要.名称"_s),
                 qPrintable(said));
    }

    // Books of a later version of the program keep tables and triggers this one does not know:
    // they are refused at the start, at any opening and as a backup to restore, and never changed.
    void booksOfANewerProgramAreLeftAlone()
    {
        execute(u"PRAGMA user_version=%1"_s.arg(SchemaVersion::Latest + 1));
        execute(u"CREATE TABLE 新表 (x)"_s);
        execute(u"ALTER TABLE 信息表 RENAME TO 设置表"_s);
        closeConnection();
        const QByteArray newer = fileBytes(databaseFilePath());
        const QString said = newerBooksText(databaseFilePath());
        QVERIFY2(said.startsWith(u"这个帐套文件是由更新版本的本程序建立的，本程序不能使用它:\n"_s + databaseFilePath()), qPrintable(said));

        BooksLock lock;
        QCOMPARE(shown(prepareBooks(lock)), u"QM505提示|stop|"_s + said);
        QVERIFY_THROWS_EXCEPTION(DbError, openConnection());
        QVERIFY(!isConnectionOpen() && fileBytes(databaseFilePath()) == newer);
        lock.unlock();

        // As a backup it is not restored over books of this version.
        const QString backup = programFolder() + u"/newer.bam"_s;
        QVERIFY(QFile::rename(databaseFilePath(), backup));
        ensureDatabase();
        adoptBooksFile();
        const QByteArray current = fileBytes(databaseFilePath());
        QCOMPARE(failure([&backup] { restoreDatabase(backup); }), newerBooksText(backup));
        QVERIFY(fileBytes(databaseFilePath()) == current && fileBytes(backup) == newer && !QFile::exists(databaseFilePath() + u".restore"_s));
    }

    void readOnlyBooksAreNamedBeforeTheLogin()
    {
        closeConnection();
        const QByteArray books = fileBytes(databaseFilePath());
        if (!handToChildUser(programFolder()))
            QSKIP("run as root, and the temporary folder cannot be handed to another user");

        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner));
        QString said = runChild({u"start"_s, programFolder()});
        QVERIFY2(said.startsWith(u"3 数据库文件是只读的，不能记帐:\n"_s + databaseFilePath()), qPrintable(said));
        // A program already past the start is told so at its first change.
        QCOMPARE(runChild({u"write"_s, programFolder()}),
                 u"5 数据库文件是只读的，这次修改没有保存。\nattempt to write a readonly database"_s);

        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner | QFile::WriteOwner)
                && QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::ExeOwner));
        said = runChild({u"start"_s, programFolder()});
        QVERIFY2(said.startsWith(u"3 数据库所在的文件夹是只读的，不能记帐:\n"_s + dataFolder()), qPrintable(said));

        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // Writable but not readable.
        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::WriteOwner));
        QCOMPARE(runChild({u"start"_s, programFolder()}), u"3 无法读取数据库文件:\n"_s + databaseFilePath()
                                                              + u"\n请让当前用户可以读写这个文件后再启动本程序。"_s);
        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(runChild({u"start"_s, programFolder()}) == u"0 "_s && fileBytes(databaseFilePath()) == books);

        // A journal left by a program killed in a change, in a folder that cannot be written: a
        // backup cannot clear it, and says why.
        QVERIFY(runChild({u"die-in-a-change"_s, programFolder()}).startsWith(u"0 began"_s));
        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(runChild({u"backup"_s, programFolder(), programFolder() + u"/备份"_s}),
                 u"5 备份失败: 数据库文件旁有一次没有完成的修改留下的日志文件，但数据库文件或它所在的文件夹 %1 不能写入，无法处理它。没有做备份。"_s
                     .arg(dataFolder()));
        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // Books another program holds so that they cannot even be read are named before the login,
    // with what the database says, and left as they are.
    void booksHeldByAnotherProgramAreNamed()
    {
        closeConnection();
        const QByteArray books = fileBytes(databaseFilePath());
        QString said;
        {
            OtherWriter other(databaseFilePath(), true);
            BooksLock lock;
            said = shown(prepareBooks(lock));
        }
        QVERIFY2(said.startsWith(u"QM505提示|stop|数据库文件正被另一个程序占用:\n"_s + databaseFilePath()
                                 + u"\n请稍后再启动本程序。\n\n数据库的提示: "_s),
                 qPrintable(said));
        QVERIFY(fileBytes(databaseFilePath()) == books && !isConnectionOpen());
    }

    void secondStartIsRefusedUntilTheFirstEnds()
    {
        BooksLock first;
        QCOMPARE(shown(prepareBooks(first)), QString());
        addLines(u"8030001001 1001 10 -"_s);
        const QStringList before = dumpTable(u"分2016"_s);

        QCOMPARE(runChild({u"start"_s, programFolder()}), u"3 这套帐已在本程序的另一个窗口中打开，请回到那个窗口中使用。"_s);

        // The first keeps its lock and its books, and goes on writing.
        QVERIFY(first.isLocked() && QFile::exists(booksLockFilePath(dataFolder())) && dumpTable(u"分2016"_s) == before);
        addLines(u"8030001002 6001 - 10"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016"_s).toInt(), 2);

        // Once the first has ended, the books open again.
        closeConnection();
        first.unlock();
        QCOMPARE(runChild({u"start"_s, programFolder()}), u"0 "_s);

        // The lock of a program that died is taken over.
        QProcess holder;
        startChild(holder, {u"hold-lock"_s, programFolder()});
        QVERIFY(holder.waitForReadyRead(30000) && QString::fromUtf8(holder.readAllStandardOutput()).trimmed() == u"locked"_s);

        QCOMPARE(first.lock(dataFolder()), BooksLock::Result::HeldByAnother);
        // A folder where no lock file can be made is not another holder.
        BooksLock nowhere;
        QCOMPARE(nowhere.lock(programFolder() + u"/没有的文件夹"_s), BooksLock::Result::CannotWrite);
        holder.kill();
        QVERIFY(holder.waitForFinished(30000) && QFile::exists(booksLockFilePath(dataFolder())));
        QVERIFY(!prepareBooks(first) && first.isLocked());

        // A lock file that names no holder (a power cut right after it was made leaves it empty)
        // is taken over once no process holds it; one another computer holds is named and left.
        first.unlock();
        const QString lockFile = booksLockFilePath(dataFolder());
        const auto writeLockFile = [&lockFile](const QByteArray& text) {
            QFile file(lockFile);
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
        };
        QVERIFY(writeLockFile(QByteArray()));
        // Just made, it may be a copy starting this moment that has not written its name yet.
        QCOMPARE(runChild({u"start"_s, programFolder()}), u"3 这套帐已在本程序的另一个窗口中打开，请回到那个窗口中使用。"_s);
        {
            QFile made(lockFile);
            QVERIFY(made.open(QIODevice::ReadWrite)
                    && made.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        }
        {
            const int held = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY);
            QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
            QCOMPARE(runChild({u"start"_s, programFolder()}), u"3 这套帐已在本程序的另一个窗口中打开，请回到那个窗口中使用。"_s);
            ::close(held);
        }
        QCOMPARE(runChild({u"start"_s, programFolder()}), u"0 "_s);
        QVERIFY(writeLockFile("4242\nqm505\n另一台电脑\n"));
        QCOMPARE(runChild({u"start"_s, programFolder()}),
                 u"3 这套帐正被另一台电脑(另一台电脑)上的本程序使用。如果那台电脑上的本程序已经不在运行(例如那台电脑断过电)，请删除锁文件:\n%1\n然后再启动本程序。"_s
                     .arg(lockFile));
        QVERIFY(QFile::exists(lockFile));
    }

    void monthStaysWholeWhenTheProgramIsKilledWhileRenumbering()
    {
        writeMonth();
        closeConnection();
        // The kill comes at once, early and late, so that it lands before, during and after
        // the work on any machine; each time the month must be whole.
        for (const int delay : {0, 40, 150, 400}) {
            QProcess child;
            startChild(child, {u"renumber"_s, programFolder()});
            QVERIFY(child.waitForReadyRead(30000));
            QThread::msleep(delay);
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            verifyMonthWhole();
            closeConnection();
        }
    }

    void init() { BooksTest::init(); loginState() = LoginState{2016, u"管理员"_s, u"123456"_s, QString()}; }

    void backupRestoreAndCompaction()
    {
        QCOMPARE(backupFileName(QDateTime(QDate(2011, 6, 8), QTime(14, 30, 5))), u"QM2011-06-08 143005.bam"_s);

        addLines(u"8030001001 1001 5 -"_s);
        const QStringList saved = dumpTable(u"分2016"_s);
        // A backup of an earlier version, made before the entry tables had their code index.
        execute(u"DROP INDEX 分2016_代码月"_s);
        execute(u"PRAGMA user_version=0"_s);
        const QString folder = programFolder() + u"/备份/新"_s;
        const QString backup = backupDatabase(folder, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        QVERIFY(backup == folder + u"/QM2016-05-01 80001.bam"_s && QFile::exists(backup));
        // A second backup in the same second takes the first one's place.
        QCOMPARE(backupDatabase(folder, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1))), backup);
        QCOMPARE(QDir(folder).entryList({u"*.bam"_s}), QStringList{QFileInfo(backup).fileName()});
        // One past the file size the system allows says so, and leaves no part of itself.
        const QString unwritten = failure([&folder] {
            NoRoomForCopies noRoom(4096);
            backupDatabase(folder, QDateTime(QDate(2016, 5, 2), QTime(8, 0, 1)));
        });
        QCOMPARE(unwritten, u"备份失败: 无法写入 %1/QM2016-05-02 80001.bam，文件超过了系统允许的大小。"_s.arg(folder));
        QCOMPARE(QDir(folder).entryList({u"*.bam"_s}), QStringList{QFileInfo(backup).fileName()});

        execute(u"DELETE FROM 分2016"_s);
        execute(u"DELETE FROM 科目表 WHERE 科目代码='1001'"_s);
        // The copy left by a restore that was killed does not stand in the way.
        QFile leftover(databaseFilePath() + u".restore"_s);
        QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("partial") > 0);
        leftover.close();
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
        // A backup that cannot be read is named as such, not taken for a full disk.
        QCOMPARE(failure([] { restoreDatabase(programFolder() + u"/missing.bam"_s); }),
                 u"无法读取 "_s + programFolder() + u"/missing.bam"_s);
        QVERIFY(dumpTable(u"分2016"_s) == saved && !QFile::exists(databaseFilePath() + u".restore"_s));

        execute(u"INSERT INTO 分2016 (ID, 借方金额) VALUES ('8030002001', 1)"_s);
        // Many rows without an account: the pages they took are given back, not left free.
        execute(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                "INSERT INTO 分2016 (ID, 摘要说明) SELECT 8030003000 + i, printf('%.500c', 'x') FROM n"_s);
        compactDatabase(2016);
        QVERIFY(dumpTable(u"分2016"_s) == saved && !QFile::exists(programFolder() + u"/qmdata888.mdb"_s));
        QCOMPARE(scalar(u"PRAGMA freelist_count"_s).toInt(), 0);
        QCOMPARE(schemaVersion(), SchemaVersion::Latest);

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

    // A file that takes the books' place is on the disk before it does, and the rename is on the
    // disk after it: a power cut leaves the old books or the whole new ones, never a part.
    void filesReplacingTheBooksReachTheDiskFirst()
    {
        const QString backup =
            backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        closeConnection();
        const QString books = databaseFilePath();
        const QString onDisk = QFileInfo(programFolder()).canonicalFilePath() + u"/QMDK"_s;
        // The file calls a child running `arguments` makes, in their order.
        const auto fileCallsOf = [](const QStringList& arguments, bool folderSyncFails = false) {
            const QString log = programFolder() + u"/calls.log"_s;
            QFile::remove(log);
            QProcess child;
            QProcessEnvironment environment = withFileCallsLibrary(folderSyncFails ? u"QM505_FAIL_FOLDER_SYNC"_s : QString());
            environment.insert(u"QM505_FILE_CALLS"_s, log);
            child.setProcessEnvironment(environment);
            startChild(child, arguments);
            QFile file(log);
            if (!child.waitForFinished(60000) || child.exitCode() != 0 || !file.open(QIODevice::ReadOnly))
                return QStringList();
            return QString::fromUtf8(file.readAll()).split(u'\n');
        };
        for (const auto& [command, copy] :
             {std::pair{u"restore"_s, u"/QMDK/qmdata.mdb.restore"_s}, {u"compact"_s, u"/qmdata888.mdb"_s}}) {
            const QStringList calls = fileCallsOf({command, programFolder(), backup});
            const qsizetype renamed = calls.indexOf(u"rename "_s + programFolder() + copy + u' ' + books);
            QVERIFY2(renamed > 0, qPrintable(command));
            QVERIFY2(calls.mid(0, renamed).contains(u"fsync "_s + QFileInfo(onDisk).path() + copy),
                     qPrintable(command));
            QVERIFY2(calls.mid(renamed).contains(u"fsync "_s + onDisk), qPrintable(command));
        }
        // A backup is on the disk before the program says it is made, and so is its name; it
        // takes that name only once it is whole.
        const QString backupName = u"/备份2/QM2016-05-01 80001.bam"_s;
        const QStringList backupCalls = fileCallsOf({u"backup"_s, programFolder(), programFolder() + u"/备份2"_s});
        const qsizetype copied = backupCalls.indexOf(u"fsync "_s + QFileInfo(onDisk).path() + backupName + u".part"_s);
        const qsizetype named = backupCalls.indexOf(u"rename %1.part %1"_s.arg(programFolder() + backupName));
        QVERIFY(copied >= 0 && named > copied && backupCalls.indexOf(u"fsync "_s + QFileInfo(onDisk).path() + u"/备份2"_s) > named);
        QVERIFY(backupCalls.mid(0, copied).contains(u"fsync "_s + QFileInfo(onDisk).path()));
        // A saved change stays saved after a power cut: the journal's deletion, which commits it,
        // is on the disk before the change is reported done.
        const QStringList writeCalls = fileCallsOf({u"write"_s, programFolder()});
        const qsizetype committed = writeCalls.indexOf(u"unlink "_s + books + u"-journal"_s);
        QVERIFY(committed >= 0 && writeCalls.indexOf(u"fsync "_s + onDisk, committed) > committed);
        // A folder that cannot be synced after the rename leaves the backup in place as the books.
        QVERIFY(!fileCallsOf({u"restore"_s, programFolder(), backup}, true).isEmpty());
        QVERIFY(fileBytes(books) == fileBytes(backup) && !QFile::exists(books + u".restore"_s));
    }

    // A change another program began and never ended leaves a journal SQLite does not count as
    // hot (nothing of the change reached the file): a backup or a restore clears it and goes on.
    // One still under way keeps its journal and its books: both are refused as books in use.
    void backupAndRestoreBesideAChangeAnotherProgramBegan()
    {
        addPhrases({u"已有"_s});
        const QString backup = backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        addPhrases({u"备份后"_s});
        const QString journal = databaseFilePath() + u"-journal"_s;
        const QString phrases = u"SELECT group_concat(名称) FROM 摘要 WHERE 名称 IN ('已有', '备份后', '未完')"_s;
        closeConnection();
        enum class Work { Backup, Restore, Compact };
        for (const bool stillRunning : {false, true})
            for (const Work work : {Work::Backup, Work::Restore, Work::Compact}) {
                const bool restore = work == Work::Restore;
                const QString tag = u"still running %1, work %2"_s.arg(stillRunning).arg(int(work));
                const QString books = booksSeenByAnotherProgram(databaseFilePath());
                QProcess child;
                startChild(child, {stillRunning ? u"hold-a-change"_s : u"die-in-a-change"_s, programFolder()});
                QVERIFY(child.waitForReadyRead(30000) && (stillRunning || child.waitForFinished(30000)));
                // Its header is still zeros: SQLite writes it only once it syncs the journal.
                QVERIFY2(QFile::exists(journal) && fileBytes(journal).at(0) == 0, qPrintable(tag));
                const QString copy = programFolder() + u"/备份2"_s;
                const QString said = failure([work, &backup, &copy] {
                    if (work == Work::Restore)
                        restoreDatabase(backup);
                    else if (work == Work::Backup)
                        backupDatabase(copy, QDateTime(QDate(2016, 5, 2), QTime(8, 0, 1)));
                    else
                        compactDatabase(2016);
                });
                if (stillRunning) {
                    const QString inUse = u"数据库正被另一个程序使用，它的修改还没有完成。请关闭那个程序后再试。"_s;
                    const QString refused[] = {u"备份失败: "_s + inUse + u"没有做备份。"_s, inUse + u"备份没有导入，数据库没有改变。"_s, inUse};
                    QCOMPARE(said, refused[int(work)]);
                    QVERIFY2(QFile::exists(journal) && !QFile::exists(copy), qPrintable(tag));
                    child.kill();
                    QVERIFY(child.waitForFinished(30000));
                } else {
                    QVERIFY2(said.isEmpty(), qPrintable(tag + said));
                    QVERIFY2(!QFile::exists(journal), qPrintable(tag));
                    if (work == Work::Backup)
                        QCOMPARE(booksSeenByAnotherProgram(copy + u"/QM2016-05-02 80001.bam"_s), books);
                }
                if (work != Work::Compact || stillRunning)
                    QVERIFY2(booksSeenByAnotherProgram(databaseFilePath()) == (restore && !stillRunning ? booksSeenByAnotherProgram(backup) : books),
                             qPrintable(tag));
                QCOMPARE(seenByAnotherProgram(databaseFilePath(), phrases).toString(), restore && !stillRunning ? u"已有"_s : u"已有,备份后"_s);
                QDir(copy).removeRecursively();
                if (restore && !stillRunning) {
                    addPhrases({u"备份后"_s});
                    closeConnection();
                }
            }
        // The next start after such a crash clears the journal as well.
        QCOMPARE(runChild({u"die-in-a-change"_s, programFolder()}), u"0 began"_s);
        QVERIFY(QFile::exists(journal));
        QCOMPARE(runChild({u"start"_s, programFolder()}), u"0 "_s);
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(seenByAnotherProgram(databaseFilePath(), phrases).toString(), u"已有,备份后"_s);
    }

    // The last sync of a commit, the folder's after the journal is deleted, fails: the change is
    // in the books, so it is reported saved, with a warning, and is there once. A backup that
    // meets a full disk says so, and takes away the folder it made.
    void aFailingSyncOrAFullDiskSeenFromTheFileCalls()
    {
        const auto withFailure = [](const QString& failure, const QStringList& arguments) {
            return runChild(arguments, withFileCallsLibrary(failure));
        };
        closeConnection();
        QCOMPARE(withFailure(u"QM505_FAIL_FOLDER_SYNC"_s, {u"save"_s, programFolder()}),
                 u"0 修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。建议马上做一次数据备份。\n3"_s);
        QCOMPARE(rowsAsText(u"SELECT ID, 代码, 借方金额, 贷方金额 FROM 分2016 WHERE 月=5 ORDER BY ID"_s),
                 (QStringList{u"8050001001 1001 0.3 -"_s, u"8050001002 6001 - 0.1"_s, u"8050001003 6001 - 0.2"_s}));
        QVERIFY(anotherProgramMayWrite(databaseFilePath()));
        // So is a change of a single statement, which commits on its own.
        closeConnection();
        QCOMPARE(withFailure(u"QM505_FAIL_FOLDER_SYNC"_s, {u"write"_s, programFolder()}),
                 u"0 修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。建议马上做一次数据备份。"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要 WHERE 名称='甲'"_s).toString(), u"1"_s);
        // Not so a statement that, waiting for another program that then died writing, only played
        // that program's journal back when the folder sync failed: it never ran.
        closeConnection();
        QProcess writer;
        writer.setProcessEnvironment(withFileCallsLibrary(u"QM505_FAIL_FOLDER_SYNC"_s));
        startChild(writer, {u"write-when-told"_s, programFolder()});
        QVERIFY(writer.waitForReadyRead(30000));
        QProcess dying;
        startChild(dying, {u"die-writing"_s, programFolder()});
        QVERIFY(dying.waitForReadyRead(30000));
        writer.readAllStandardOutput();
        writer.write("go\n");
        QVERIFY(dying.waitForFinished(30000) && writer.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(writer.readAllStandardOutput()).section(u'\n', 0, 0), u"读写数据库文件时出错，这次操作没有完成。"_s);
        QCOMPARE(scalar(u"SELECT count(*) || ' ' || sum(名称 LIKE '未完%') FROM 摘要 WHERE 名称='甲' OR 名称 LIKE '未完%'"_s).toString(), u"1 0"_s);
        // So is a restore whose folder cannot be synced after the backup took the books' place.
        const QString backup = backupDatabase(programFolder() + u"/导入"_s, QDateTime(QDate(2016, 5, 3), QTime(8, 0, 1)));
        execute(u"DELETE FROM 摘要 WHERE 名称='甲'"_s);
        closeConnection();
        QCOMPARE(withFailure(u"QM505_FAIL_FOLDER_SYNC"_s, {u"restore"_s, programFolder(), backup}),
                 u"0 修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。建议马上做一次数据备份。"_s);
        adoptBooksFile();
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要 WHERE 名称='甲'"_s).toString(), u"1"_s);

        closeConnection();
        const QString folder = programFolder() + u"/满/备份"_s;
        QCOMPARE(withFailure(u"QM505_FAIL_WRITE_NO_SPACE"_s, {u"backup"_s, programFolder(), folder}),
                 u"5 备份失败: 无法写入 %1/QM2016-05-01 80001.bam，磁盘可能已满。"_s.arg(folder));
        QVERIFY(!QFileInfo::exists(programFolder() + u"/满"_s));
        // A backup of the same name already there stays whole, and nothing of the copy is left.
        const QString earlier = backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
        const QByteArray earlierBytes = fileBytes(earlier);
        closeConnection();
        QCOMPARE(withFailure(u"QM505_FAIL_WRITE_NO_SPACE"_s, {u"backup"_s, programFolder(), programFolder() + u"/备份"_s}).left(1), u"5"_s);
        QVERIFY(fileBytes(earlier) == earlierBytes && QDir(programFolder() + u"/备份"_s).entryList(QDir::Files) == QStringList{QFileInfo(earlier).fileName()});
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
        QCOMPARE(QList<int>({modeOf(dataFolder()), modeOf(databaseFilePath()), modeOf(program.path() + u"/备份"_s), modeOf(folder), modeOf(backup)}),
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
        // Written again over a copy others could read, it is private once more.
        QVERIFY(QFile::setPermissions(workbook,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        writeRecordSetWorkbook(openRecordset(u"SELECT 科目代码 FROM 科目表"_s), workbook);
        QCOMPARE(modeOf(workbook), 0600);

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
        // A debit account left with a credit balance keeps it on the debit side, negative, with a part quantity.
        addLines(u"8030008001 5001 - 0.5 2.5"_s);
        addLines(u"8000000001 1231 1 -|8020001001 1001 7 -"_s, 2017);

        QVERIFY(carryForwardQuestion().text.startsWith(u"1.是否把各科目余额过入下一年度?\n2."_s));
        carryForward(2016);
        // A credit account's balance and quantity are carried on its own side, unsigned.
        const QStringList expected = {u"8000000001 年初余额 1001 库存现金 - 970 - -"_s,
                                      u"8000000002 年初余额 1122 应收账款 - 0.3 - -"_s,
                                      u"8000000003 年初余额 1405 库存商品 10 100 - -"_s,
                                      u"8000000004 年初余额 2202001001 应付账款/甲/材料款 - - -30 -"_s,
                                      u"8000000005 年初余额 2211 应付职工薪酬 - - 5.13 -"_s,
                                      u"8000000006 年初余额 2241 其他应付款 10 - 100 -"_s,
                                      u"8000000007 年初余额 4001 实收资本 - - 1000 -"_s,
                                      u"8000000008 年初余额 5001 生产成本 -2.5 -0.5 - -"_s,
                                      u"8020001001 业务 1001 - - 7 - 2"_s};
        const QString sql = u"SELECT ID, 摘要说明, 代码, 科目全称, 数量, 借方金额, 贷方金额, 月 FROM 分2017 ORDER BY ID"_s;
        QVERIFY(rowsAsText(sql) == expected && scalar(u"SELECT 年度 FROM 信息表 WHERE 代号='QM'"_s).toInt() == 2017);
        QCOMPARE(rowsAsText(u"SELECT 代号, 年度 FROM 信息表 ORDER BY rowid"_s), (QStringList{u"QM 2017"_s, u"01 -"_s}));
        carryForward(2016);
        QCOMPARE(rowsAsText(sql), expected);
        // One that fails part way leaves the next year as it was.
        execute(
            u"CREATE TRIGGER stop BEFORE INSERT ON 分2017 WHEN NEW.代码='4001' BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, carryForward(2016));
        execute(u"DROP TRIGGER stop"_s);
        QCOMPARE(rowsAsText(sql), expected);

        QVERIFY(checkCarryForward(2020)->text == u"只到2020年的数据库"_s && !checkCarryForward(2019));
        QVERIFY_THROWS_EXCEPTION(DbError, carryForward(2020));

        // Clearing a year empties its table and the chart's opening values, not the next year.
        execute(u"UPDATE 科目表 SET 数量=1, 借方金额=10 WHERE 科目代码='1001'"_s);
        QCOMPARE(clearYearQuestion(2016).text + u'|' + clearYearLastQuestion(2016).text, u"是否清空 2016 年的所有数据?|最后一次提示,是否要清空 2016 年的所有数据?"_s);
        // A clearing that fails part way leaves the year's lines.
        const QStringList lines = dumpTable(u"分2016"_s);
        execute(u"CREATE TRIGGER stop BEFORE UPDATE ON 科目表 BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, clearYear(2016));
        execute(u"DROP TRIGGER stop"_s);
        QCOMPARE(dumpTable(u"分2016"_s), lines);
        clearYear(2016);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 分2016), (SELECT count(*) FROM 分2017), count(*), "
                            "count(数量) + count(借方金额) + count(贷方金额) FROM 科目表"_s),
                 QStringList{u"0 9 88 0"_s});
    }

    void valuesTransactionsAndStoredSettings()
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
        QCOMPARE(rowsAsText(u"SELECT quote(代码), quote(名称) FROM 现流 WHERE 名称 IS NULL ORDER BY 1"_s), (QStringList{u"'' NULL"_s, u"'x' NULL"_s}));

        // Values written back into rows in one go arrive as they are, quotes, backslashes and
        // line breaks included.
        execute(u"INSERT INTO 现流 (代码, 名称) VALUES ('y', 'old'), ('z', 'old')"_s);
        const QString awkward = tricky + u"\"\\\n\t"_s;
        updateRows(u"现流"_s, {u"名称"_s, u"代码"_s},
                   {{scalar(u"SELECT rowid FROM 现流 WHERE 代码='y'"_s), awkward, 7},
                    {scalar(u"SELECT rowid FROM 现流 WHERE 代码='z'"_s), QVariant(), u"z"_s}});
        QVERIFY(scalar(u"SELECT 名称 FROM 现流 WHERE 代码='7'"_s).toString() == awkward
                && scalar(u"SELECT 名称 IS NULL FROM 现流 WHERE 代码='z'"_s).toBool());

        const int before = scalar(u"SELECT count(*) FROM 摘要"_s).toInt();
        QCOMPARE(failure([] { Transaction transaction;
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
            QCOMPARE(failure([] { addPhrases({u"甲"_s, u"乙"_s}); }), u"数据库正被另一个程序占用，这次修改没有保存，请稍后再试。\ndatabase is locked"_s);
        }
        // One that keeps readers out too: a read says it could not read, not that a change went unsaved.
        {
            OtherWriter other(databaseFilePath(), true);
            QCOMPARE(failure([] { scalar(u"SELECT count(*) FROM 摘要"_s); }),
                     u"数据库正被另一个程序占用，无法读取帐套的数据，请稍后再试。\ndatabase is locked"_s);
        }
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before + 1);
        addPhrases({u"甲"_s, u"乙"_s});
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before + 3);

        // The year and unit name, the operator and the password are stored.
        QVERIFY(!saveYearAndUnitName(u"2020"_s, u"O'Brien 公司"_s));
        for (const QString& year : {u"2021"_s, u"abc"_s, QString()})
            QCOMPARE(saveYearAndUnitName(year, u"x"_s)->text, year.isEmpty() ? u"请选择会计年度"_s : u"超年限不能使用"_s);
        QVERIFY(loginState().fiscalYear == 2020 && readStoredSettings().unitName == u"O'Brien 公司"_s);

        execute(u"INSERT INTO 信息表 (代号, 操作员, 密码) VALUES ('02', 'Zhang', 'x')"_s);
        QCOMPARE(QStringList({shown(renameOperator(u"管理员"_s, u"zHANG"_s)), renameOperator(u"管理员"_s, u"管理员"_s)->text,
                              renameOperator(u"管理员"_s, u"  "_s)->text}),
                 (QStringList{u"提醒您！|stop|zHANG   此操作员已存在"_s, u"管理员   此操作员已存在"_s, u"请输入新操作员名"_s}));
        QCOMPARE(shown(renameOperator(u" "_s, u"新"_s)), u"提醒您！|!|请输入新操作员名"_s);
        QVERIFY(!renameOperator(u"管理员"_s, u"O'Neil"_s) && checkLogin(loginState().operatorName, u"123456"_s) && loginState().operatorName == u"O'Neil"_s);

        QCOMPARE(changePassword(u"O'Neil"_s, u"   "_s, u"   "_s)->text + changePassword(u"O'Neil"_s, u"a"_s, u"A"_s)->text, u"请输入密码！两次密码输入不一致"_s);
        // Blanks count in a password: the two must match to the character.
        QCOMPARE(changePassword(u"O'Neil"_s, u" a"_s, u"a"_s)->text, u"两次密码输入不一致"_s);
        QVERIFY(!changePassword(u"O'Neil"_s, u" p'w "_s, u" p'w "_s) && checkLogin(u"O'Neil"_s, u" p'w "_s) && loginState().operatorPassword == u" p'w "_s);

        saveBackupFolder(u"/备份"_s);
        QVERIFY(readStoredSettings().backupFolder == u"/备份"_s
                && shown(checkBackupFolder(QString())) == u"提醒您！|!|请选择备份路径"_s
                && !checkBackupFolder(u"/tmp/备份"_s));
        QCOMPARE(checkBackupFolder(u"relative/dir"_s)->text, u"请选择备份路径"_s);
        // Each change reached its own row only: the year, unit name and folder the settings row,
        // the name and password the operator's.
        QCOMPARE(
            rowsAsText(u"SELECT 代号, 操作员, 年度, 帐套名称, 密码, 备份路径 FROM 信息表 ORDER BY rowid"_s, {}, u"|"_s),
            (QStringList{u"QM|-|2020|O'Brien 公司|-|/备份"_s, u"01|O'Neil|-|-| p'w |-"_s, u"02|Zhang|-|-|x|-"_s}));
        // The settings are read from the settings row wherever it stands in the table.
        execute(u"DELETE FROM 信息表 WHERE 代号='QM'"_s);
        execute(u"INSERT INTO 信息表 (代号, 年度, 帐套名称, 备份路径) VALUES ('QM', 2016, '乙公司', '/乙')"_s);
        QCOMPARE(readStoredSettings().unitName + u'|' + readStoredSettings().backupFolder, u"乙公司|/乙"_s);
    }

    // The disk fills during a change (forced by capping the file at the pages it has): the user
    // is told the disk is full, not that something failed, and nothing of the change is kept;
    // with room again, the same change goes in.
    void aFullDiskIsExplainedAndWritesNothing()
    {
        const int before = scalar(u"SELECT count(*) FROM 摘要"_s).toInt();
        execute(u"PRAGMA max_page_count=%1"_s.arg(scalar(u"PRAGMA page_count"_s).toInt()));
        QStringList phrases;
        for (int phrase = 0; phrase < 200; ++phrase)
            phrases << QString::number(phrase) + QString(2000, QChar(0x8D26));
        // The text the window's guard shows the user.
        QCOMPARE(failure([&phrases] { addPhrases(phrases); }), u"磁盘已满，这次修改没有保存。\ndatabase or disk is full"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before);
        execute(u"PRAGMA max_page_count=1073741823"_s);
        addPhrases(phrases);
        QCOMPARE(scalar(u"SELECT count(*) FROM 摘要"_s).toInt(), before + 200);
    }

    void booksFileMovedOrReplacedWhileOpenIsNeverWritten()
    {
        const QString explained = u"帐套的数据库文件在本程序运行时被移走或替换了，这次操作没有完成，什么也没有写入。请关闭本程序，再重新启动。"_s;
        // The file renamed away or a copy renamed over it: between two changes, while one is
        // under way, or while the connection is closed (as after a backup).
        enum When { BetweenChanges, DuringChange, ConnectionClosed };
        for (const bool replaced : {false, true})
        for (const When when : {BetweenChanges, DuringChange, ConnectionClosed}) {
            const bool duringChange = when == DuringChange;
            const QString tag = u"replaced %1, case %2"_s.arg(replaced).arg(int(when));
            TempProgram program;
            const QString path = databaseFilePath();
            const QString aside = program.path() + u"/aside.mdb"_s;
            const QString earlier =
                backupDatabase(program.path() + u"/早"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
            QCOMPARE(scalar(u"SELECT count(*) FROM 信息表 WHERE 代号='QM'"_s).toInt(), 1);
            std::optional<Transaction> change;
            if (duringChange) {
                change.emplace();
                QVERIFY(!scalar(u"SELECT count(*) FROM 分2016"_s).isNull());
            }
            if (when == ConnectionClosed)
                closeConnection();
            if (replaced)
                QVERIFY(QFile::copy(path, aside));
            QVERIFY(replaced ? std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData()) == 0 : QFile::rename(path, aside));
            const QString standing = replaced ? path : aside;
            const QByteArray before = fileBytes(standing);

            if (duringChange) {
                // SQLite itself refuses the first write of a change begun on the old file.
                QVERIFY2(failure([] { execute(u"INSERT INTO 摘要 (名称) VALUES (?)"_s, {u"甲"_s}); }).startsWith(explained + u'\n'), qPrintable(tag));
                change.reset();
            }
            const QStringList refused = {
                failure([] { saveYearAndUnitName(u"2017"_s, u"新单位"_s); }),
                failure([] { applyVoucherChange(VoucherChange::Save, insertedVoucher(), kYear, u"管理员"_s); }),
                failure([] { scalar(u"SELECT count(*) FROM 科目表"_s); }),
                failure([&] { backupDatabase(program.path() + u"/备份"_s, QDateTime::currentDateTime()); }),
                failure([] {
                    RecordSet rows({u"名称"_s});
                    rows.appendText("甲", 3);
                    rows.endRow();
                    insertRows(u"摘要 (名称)"_s, rows);
                }),
                failure([&] { restoreDatabase(earlier); }),
            };
            for (const QString& text : refused)
                QVERIFY2(text == explained + u'\n' + path, qPrintable(tag + u": "_s + text));
            QCOMPARE(loginState().fiscalYear, 2016);
            QVERIFY2(fileBytes(standing) == before && QFile::exists(path) == replaced, qPrintable(tag));
            QCOMPARE(dataFolderEntries(), replaced ? (QStringList{u"qmdata.mdb"_s}) : QStringList());
            QVERIFY(!QFile::exists(program.path() + u"/备份"_s));
        }
    }

    // Books damaged under the running program (overwritten in place while the connection was
    // closed) are named as damaged at the next statement, with what the database says.
    void booksDamagedWhileTheProgramRuns()
    {
        closeConnection();
        const QByteArray whole = fileBytes(databaseFilePath());
        for (const auto& [bytes, said] : {std::pair{QByteArray("凭证\n").repeated(2000), u"file is not a database"_s},
                                          {whole.left(whole.size() / 2), u"database disk image is malformed"_s}}) {
            QFile file(databaseFilePath());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            QCOMPARE(failure([] { scalar(u"SELECT count(*) FROM 科目表"_s); }),
                     u"数据库文件已损坏，这次操作没有完成。\n"_s + said);
            closeConnection();
        }
    }

    // A change begun on a connection that has since been closed (a backup closes it) is over:
    // it commits nothing, and ending it leaves a later change alone.
    void aChangeOfAnEarlierConnectionIsOver()
    {
        for (const bool commitIt : {true, false}) {
            std::optional<Transaction> earlier(std::in_place);
            execute(u"INSERT INTO 摘要 (名称) VALUES ('早')"_s);
            backupDatabase(programFolder() + u"/备份"_s, QDateTime(QDate(2016, 5, 1), QTime(8, 0, 1)));
            Transaction later;
            execute(u"INSERT INTO 摘要 (名称) VALUES ('晚')"_s);
            if (commitIt)
                QCOMPARE(failure([&earlier] { earlier->commit(); }), u"读写数据库文件时出错，这次操作没有完成。"_s);
            earlier.reset();
            later.commit();
            QCOMPARE(rowsAsText(u"SELECT 名称 FROM 摘要 WHERE 名称 IN ('早', '晚')"_s), QStringList{u"晚"_s});
            execute(u"DELETE FROM 摘要 WHERE 名称='晚'"_s);
        }
    }

    // Ending the program closes the books, so that what it wrote is whole on the disk.
    void endingTheProgramClosesTheBooks() { QCOMPARE(runChild({u"end"_s, programFolder()}), u"0 1 0"_s); }

    // Rows written many to a statement: two whole statements and a short one, a NULL after a
    // value in the same place of the statement before, every kind of cell, rows in order.
    void rowsWrittenManyToAStatement()
    {
        execute(u"CREATE TABLE 写入 (a INTEGER, b REAL, c TEXT, d BLOB)"_s);
        RecordSet rows({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
        QStringList expected;
        for (int row = 0; row < 123; ++row) {
            const QByteArray text = row % 3 == 0 ? QByteArray() : u"行%1"_s.arg(row).toUtf8();
            rows.appendInteger(row);
            row % 3 == 1 ? rows.appendNull() : rows.appendReal(row + 0.125);
            text.isNull() ? rows.appendNull() : rows.appendText(text.constData(), int(text.size()));
            row == 60 ? rows.appendOther(QByteArray("\x01", 1)) : rows.appendNull();
            rows.endRow();
            expected << QStringList{QString::number(row), row % 3 == 1 ? u"-"_s : QString::number(row + 0.125),
                                    text.isNull() ? u"-"_s : QString::fromUtf8(text), row == 60 ? u"\x01"_s : u"-"_s}
                            .join(u' ');
        }
        {
            Transaction transaction;
            insertRows(u"写入 (a, b, c, d)"_s, rows);
            transaction.commit();
        }
        QCOMPARE(rowsAsText(u"SELECT * FROM 写入 ORDER BY rowid"_s), expected);

        RowWriter writer(u"写入"_s, 4, 2);
        writer.appendInteger(1);
        QVERIFY_THROWS_EXCEPTION(DbError, writer.endRow());
        RowWriter unfinished(u"写入"_s, 4, 1);
        QVERIFY_THROWS_EXCEPTION(DbError, unfinished.finish());
        {
            // A connection closed under a change (its last resort) lets go of the books even
            // while a writer's statements are prepared, and the writer takes no more rows.
            Transaction change;
            execute(u"INSERT INTO 写入 (a) VALUES (700)"_s);
            RowWriter open(u"写入"_s, 4, 1);
            closeConnection();
            QVERIFY(anotherProgramMayWrite(databaseFilePath()));
            open.appendNull();
            QVERIFY_THROWS_EXCEPTION(DbError, open.endRow());
        }
        QCOMPARE(scalar(u"SELECT count(*) FROM 写入 WHERE a=700"_s).toInt(), 0);
        // A writer that cannot start is not left behind for the next close to reach: the memory
        // it had is given to other bytes before the close.
        QVERIFY_THROWS_EXCEPTION(DbError, (void)std::make_unique<RowWriter>(u"没有 (a)"_s, 1, 1));
        const std::unique_ptr<char[]> reused(new char[sizeof(RowWriter)]);
        std::memset(reused.get(), 0x5a, sizeof(RowWriter));
        closeConnection();
        QCOMPARE(scalar(u"SELECT count(*) FROM 写入 WHERE a=700"_s).toInt(), 0);

        // Clearing a work table leaves the zeroing of freed pages as it was.
        const int zeroing = scalar(u"PRAGMA secure_delete"_s).toInt();
        clearWorkTable(u"DELETE FROM 写入"_s);
        QVERIFY(scalar(u"SELECT count(*) FROM 写入"_s).toInt() == 0 && scalar(u"PRAGMA secure_delete"_s).toInt() == zeroing);
        QVERIFY_THROWS_EXCEPTION(DbError, clearWorkTable(u"DELETE FROM 没有"_s));
        QCOMPARE(scalar(u"PRAGMA secure_delete"_s).toInt(), zeroing);
    }

    // A value bound by name reaches every place its name stands; a name without a value, a value
    // without its name or a "?" among names is refused before anything runs.
    void valuesBoundByName()
    {
        // Under a level-3 code's parent: two lines begin with it, one is the parent itself.
        addLines(u"8030001001 2202001001 - 0.125|8030001002 2202001 0.1 -|8030001003 22020019 0.2 -|8030001004 220200 0.3 -"_s);
        const RecordSet once = openRecordset(u"SELECT :code || '/' || :code, :amount + :amount, :none IS NULL, '[' || :blank || ']'"_s,
                                             QVariantMap{{u":code"_s, u"2202001"_s}, {u":amount"_s, 0.125}, {u":none"_s, QVariant()},
                                                         {u":blank"_s, QString()}});
        QCOMPARE(QStringList({once.value(0, 0).toString(), once.value(0, 1).toString(), once.value(0, 2).toString(), once.value(0, 3).toString()}),
                 (QStringList{u"2202001/2202001"_s, u"0.25"_s, u"1"_s, u"[]"_s}));
        QCOMPARE(execute(u"UPDATE 分2016 SET 借方金额=:amount, 流金=:amount WHERE ID=:id"_s,
                         QVariantMap{{u":amount"_s, 0.1 + 0.2}, {u":id"_s, u"8030001003"_s}}),
                 1);
        QCOMPARE(rowsAsText(u"SELECT 借方金额=流金, round(借方金额, 2) FROM 分2016 WHERE ID='8030001003'"_s), QStringList{u"1 0.3"_s});
        // A single value is the first row's.
        QCOMPARE(
            scalar(u"SELECT 代码 FROM 分2016 WHERE 借方金额>=:least ORDER BY ID"_s, QVariantMap{{u":least"_s, 0.1}})
                .toString(),
            u"2202001"_s);

        // The code prefix by name, sharing its name with the rest of the statement, finds what the
        // plain prefix test finds.
        const QString longer = u"SELECT group_concat(代码, ',') FROM (SELECT 代码 FROM 分2016 WHERE %1 AND length(代码)>length(:code) ORDER BY 代码)"_s;
        for (const QString& prefix : {u"2202001"_s, u"220200"_s, u"2202001001"_s}) {
            const QVariant named = scalar(longer.arg(codePrefixCondition(u"代码"_s, u":code"_s)), codePrefixValues(prefix, u":code"_s));
            QCOMPARE(named, scalar(longer.arg(u"substr(代码,1,length(:code))=:code"_s), QVariantMap{{u":code"_s, prefix}}));
        }
        QCOMPARE(scalar(longer.arg(codePrefixCondition(u"代码"_s, u":code"_s)), codePrefixValues(u"2202001"_s, u":code"_s))
                     .toString(),
                 u"2202001001,22020019"_s);

        const QString remove = u"DELETE FROM 分2016 WHERE ID=:id OR 代码=:code"_s;
        for (const QVariantMap& values : {QVariantMap{{u":id"_s, u"8030001001"_s}},
                                          QVariantMap{{u":id"_s, u"8030001001"_s}, {u":code"_s, u"220200"_s}, {u":extra"_s, 1}},
                                          QVariantMap{{u"id"_s, u"8030001001"_s}, {u"code"_s, u"220200"_s}}})
            QVERIFY_THROWS_EXCEPTION(DbError, execute(remove, values));
        QVERIFY_THROWS_EXCEPTION(DbError, execute(u"DELETE FROM 分2016 WHERE ID=:id OR 代码=?"_s, QVariantMap{{u":id"_s, u"8030001001"_s}}));
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016"_s).toInt(), 4);
        QCOMPARE(execute(remove, QVariantMap{{u":id"_s, u"8030001001"_s}, {u":code"_s, u"220200"_s}}), 2);
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
        QCOMPARE(failure([] {
                     openRecordset(QStringLiteral("SELECT ?"), {1, 2});
                 }),
                 u"Parameter count mismatch\nSELECT ?"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, openRecordset(QStringLiteral("SELECT 1; SELECT 2")));
        // A statement that returns no columns runs and gives an empty record set.
        QVERIFY(openRecordset(QStringLiteral("DELETE FROM 摘要 WHERE 名称=?"), {QStringLiteral("无")}).isEmpty());

        // A missing file is never created.
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
        // ledgers' covering index holds code, month, amounts, quantity and closing mark; the
        // cash-flow lines' index holds only them; the closed lines' index month and mark.
        QCOMPARE(rowsAsText(u"SELECT name, \"unique\", partial FROM pragma_index_list(?) ORDER BY name"_s, {u"分2015"_s}),
                 (QStringList{u"分2015_ID 0 0"_s, u"分2015_代码月 0 0"_s, u"分2015_月号码 0 0"_s, u"分2015_月结帐 0 1"_s,
                              u"分2015_流代 0 0"_s, u"分2015_现流 0 1"_s}));
        // The chart holds each code once.
        QCOMPARE(rowsAsText(u"SELECT name, \"unique\" FROM pragma_index_list(?)"_s, {u"科目表"_s}),
                 QStringList{u"科目表_科目代码 1"_s});
        const QString ledgerColumns = u"SELECT group_concat(name, ',') FROM pragma_index_info(?)"_s;
        QCOMPARE(scalar(ledgerColumns, {u"分2015_代码月"_s}).toString() + u'|' + scalar(ledgerColumns, {u"分2015_现流"_s}).toString()
                     + u'|' + scalar(ledgerColumns, {u"分2015_月结帐"_s}).toString(),
                 u"代码,月,借方金额,贷方金额,数量,结帐|流代,流金,ID|月,结帐"_s);
        execute(u"INSERT INTO 分2015 (ID, 月, 号码) VALUES ('8030001001', 3, 1), ('8030002001', 3, 2)"_s);
        execute(u"UPDATE 分2015 SET ID=? WHERE ID=?"_s, {u"8030002001"_s, u"8030001001"_s});
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2015 WHERE ID='8030002001'"_s).toInt(), 2);

        // A database of an earlier version gets the index when it is opened, and keeps its rows.
        execute(u"INSERT INTO 分2014 (ID, 月, 代码, 借方金额) VALUES ('8010001001', 1, '1001', 0.125)"_s);
        for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
            execute(u"DROP INDEX %1_代码月"_s.arg(entryTableName(year)));
        execute(u"PRAGMA user_version=0"_s);
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
        // The credit side: allowances, depreciation and amortisation among the assets, every
        // liability but 2702, equity but 4201, and the income accounts.
        const QString creditSide =
            u"1231 1407 1471 1502 1512 1532 1602 1603 1622 1702 1703 2001 2101 2201 2202 2203 2211 "
            "2221 2231 2232 2241 2401 2501 2502 2701 2711 2801 2901 4001 4002 4101 4103 4104 "
            "6001 6051 6101 6111 6301"_s;
        QCOMPARE(
            scalar(
                u"SELECT group_concat(科目代码, ' ') FROM (SELECT 科目代码 FROM 科目表 WHERE 方向='贷' ORDER BY 1)"_s)
                .toString(),
            creditSide);
        QCOMPARE(rowsAsText(u"SELECT count(*), max(名称) FILTER (WHERE 代码='401') FROM 现流"_s), QStringList{u"23 汇率变动对现金及现金等价物的影响"_s});
        // Each cash-flow item is named as the statement line that shows it alone.
        QCOMPARE(rowsAsText(u"SELECT 代码 FROM 现流 AS I WHERE NOT EXISTS "
                            "(SELECT 1 FROM 现流表 WHERE 公式=I.代码 AND substr(项目, -length(I.名称))=I.名称)"_s),
                 QStringList());
        QVERIFY(scalar(u"SELECT count(*) FROM 摘要"_s).toInt() > 0);
        QCOMPARE(rowsAsText(u"SELECT (SELECT count(*) FROM 资产表07), (SELECT count(*) FROM 资产表05), (SELECT count(*) FROM 利润表07), "
                            "(SELECT count(*) FROM 利润表05), (SELECT count(*) FROM 现流表)"_s), QStringList{u"33 37 20 16 38"_s});
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

        // In a formula of several terms an account of the other side's direction counts against
        // its line: allowances and depreciation among the assets, 2702 and 4201 on the right;
        // profit and loss always with a minus.
        QMap<QString, QString> directions;
        for (const ShippedAccount& account : shippedAccounts())
            directions[account.code] = account.direction;
        static const QRegularExpression signedTerm(u"([+-]?)(\\d+)"_s);
        QStringList against;
        for (const QString& table : {u"资产表05"_s, u"资产表07"_s}) {
            for (const int side : {1, 2}) {
                for (const QString& formula :
                     rowsAsText(u"SELECT 公式%1 FROM %2 WHERE length(公式%1)>4"_s.arg(side).arg(table))) {
                    for (const auto& match : signedTerm.globalMatch(formula)) {
                        const QString code = match.captured(2);
                        if ((match.captured(1) == u"-"_s)
                            != (code.startsWith(u'6') || directions.value(code) != (side == 1 ? u"借"_s : u"贷"_s)))
                            against << table + u' ' + code + u" in "_s + formula;
                    }
                }
            }
        }
        QCOMPARE(against, QStringList());
    }

    // Books of each earlier shape are brought up to the latest version once, step by step, and
    // then hold what new books hold; the next opening changes nothing.
    void earlierBooksUpgradedOnce()
    {
        const QString objects = u"SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name"_s;
        const QStringList fresh = rowsAsText(objects, {}, u"|"_s);
        QCOMPARE(schemaVersion(), SchemaVersion::Latest);
        QVERIFY(fresh.size() > 11 * 10);
        addLines(u"8030001001 2202001001 - 0.125 2|8030001002 1001 0.1 -|8030001003 1403 0.2 - 1.5|8040001001 6001 - 0.3"_s);
        addLines(u"8000000001 1001 5 -"_s, 2017);
        const QString totals = u"SELECT * FROM 月合计%1 ORDER BY 代码, 月"_s;
        const QStringList kept2016 = rowsAsText(totals.arg(2016));
        const QStringList kept2017 = rowsAsText(totals.arg(2017));
        QCOMPARE(kept2016, rowsAsText(monthTotalsRecompute(2016) + u" ORDER BY 1, 2"_s));
        const QStringList lines = dumpTable(u"分2016"_s);

        const auto dropEach = [](const QString& pattern, const QString& type) {
            for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
                execute(u"DROP "_s + type + u' '
                        + QString(pattern).replace(u"%1"_s, entryTableName(year)).replace(u"%2"_s, QString::number(year)));
        };
        const auto dropMonthTotals = [&] {
            for (const char* trigger : {"增", "删", "改"})
                dropEach(u"%1_月合计_"_s + QString::fromUtf8(trigger), u"TRIGGER"_s);
            dropEach(u"月合计%2"_s, u"TABLE"_s);
        };
        struct Shape {
            const char* name;
            std::function<void()> make;
            QList<int> steps;
        };
        const std::vector<Shape> shapes = {
            {"no version, no index",
             [&] {
                 for (const char* index : {"月号码", "月结帐", "ID", "代码月", "流代", "现流"})
                     dropEach(u"%1_"_s + QString::fromUtf8(index), u"INDEX"_s);
                 dropMonthTotals();
                 execute(u"PRAGMA user_version=0"_s);
             },
             {SchemaVersion::EntryIndexes, SchemaVersion::MonthTotals, SchemaVersion::ClosedLinesIndex}},
            // The code index then held no closing mark.
            {"no version, indexes, no month totals",
             [&] {
                 dropEach(u"%1_月结帐"_s, u"INDEX"_s);
                 dropEach(u"%1_代码月"_s, u"INDEX"_s);
                 for (int year = kFirstFiscalYear; year <= kLastFiscalYear; ++year)
                     execute(u"CREATE INDEX %1_代码月 ON %1 (代码, 月, 借方金额, 贷方金额, 数量)"_s.arg(entryTableName(year)));
                 dropMonthTotals();
                 execute(u"PRAGMA user_version=0"_s);
             },
             {SchemaVersion::EntryIndexes, SchemaVersion::MonthTotals, SchemaVersion::ClosedLinesIndex}},
            {"the previous version",
             [&] {
                 dropEach(u"%1_月结帐"_s, u"INDEX"_s);
                 execute(u"PRAGMA user_version=%1"_s.arg(SchemaVersion::Latest - 1));
             },
             {SchemaVersion::Latest}},
            {"no version, every object", [&] { execute(u"PRAGMA user_version=0"_s); },
             {SchemaVersion::EntryIndexes, SchemaVersion::MonthTotals, SchemaVersion::ClosedLinesIndex}},
        };
        for (const Shape& shape : shapes) {
            shape.make();
            QVERIFY2(rowsAsText(objects, {}, u"|"_s) != fresh || schemaVersion() == 0, shape.name);
            // What a step runs is seen in its own words; the open below runs the same steps.
            {
                Transaction trial;
                QCOMPARE(upgradeSchema(), shape.steps);
            }
            closeConnection();
            openConnection();
            QCOMPARE(schemaVersion(), SchemaVersion::Latest);
            QVERIFY2(rowsAsText(objects, {}, u"|"_s) == fresh, shape.name);
            QVERIFY2(dumpTable(u"分2016"_s) == lines && rowsAsText(totals.arg(2016)) == kept2016
                         && rowsAsText(totals.arg(2017)) == kept2017,
                     shape.name);

            closeConnection();
            const QByteArray upgraded = fileBytes(databaseFilePath());
            openConnection();
            QCOMPARE(upgradeSchema(), QList<int>());
            closeConnection();
            QVERIFY2(fileBytes(databaseFilePath()) == upgraded, shape.name);
        }

        // A step that fails leaves the books at the version before it, and the next opening tries
        // it again.
        dropMonthTotals();
        execute(u"CREATE TABLE 月合计2016 (x)"_s);
        execute(u"PRAGMA user_version=%1"_s.arg(SchemaVersion::MonthTotals - 1));
        closeConnection();
        QVERIFY_THROWS_EXCEPTION(DbError, openConnection());
        QVERIFY(!isConnectionOpen());
        {
            QSqlDatabase peek = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"peek"_s);
            peek.setDatabaseName(databaseFilePath());
            QVERIFY(peek.open());
            QSqlQuery query(u"PRAGMA user_version"_s, peek);
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), SchemaVersion::MonthTotals - 1);
            QVERIFY(query.exec(u"DROP TABLE 月合计2016"_s));
            query.finish();
            peek.close();
        }
        QSqlDatabase::removeDatabase(u"peek"_s);
        openConnection();
        QVERIFY(schemaVersion() == SchemaVersion::Latest && rowsAsText(objects, {}, u"|"_s) == fresh);
        QCOMPARE(rowsAsText(totals.arg(2016)), kept2016);
    }
};

QM_TEST_MAIN_WITH_CHILD(TestBooks, childMain)
#include "test_books.moc"

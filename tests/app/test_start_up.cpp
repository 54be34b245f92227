#include "support/common.h"
#include "app/start_up.h"
#include "data/database.h"
#include "data/private_files.h"
#include "support/child_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

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

// What a start of the program says, as another process: its exit code, and the refusal's text.
QString startInChild(const QString& programFolder)
{
    int exitCode = 0;
    const QString said = runChild({u"start"_s, programFolder}, &exitCode).trimmed();
    return QString::number(exitCode) + u' ' + said;
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

int childMain(const QStringList& arguments)
{
    const QString command = arguments.value(0);
    setProgramFolder(arguments.value(1));
    if (command == QLatin1String("start")) {
        // Run as the books' owner: root would write to any file, read-only or not.
        if (::geteuid() == 0 && QFileInfo(dataFolder()).ownerId() != 0
            && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)) return 9;
        BooksLock lock;
        const auto refusal = prepareBooks(lock);
        if (refusal)
            report(refusal->text);
        return refusal ? 3 : 0;
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

}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void newBooksAreMadeAndUsableBooksPass()
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
        QCOMPARE(fileBytes(databaseFilePath()), made);
        QCOMPARE(dataFolderEntries(), (QStringList{u"qmdata.lock"_s, u"qmdata.mdb"_s}));
    }

    void damagedDatabaseIsExplainedAndLeftAlone()
    {
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
    }

    void readOnlyBooksAreNamedBeforeTheLogin()
    {
        TempProgram program;
        closeConnection();
        const QByteArray books = fileBytes(databaseFilePath());
        if (!handToChildUser(program.path()))
            QSKIP("run as root, and the temporary folder cannot be handed to another user");

        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner));
        QString said = startInChild(program.path());
        QVERIFY2(said.startsWith(u"3 数据库文件是只读的，不能记帐:\n"_s + databaseFilePath()), qPrintable(said));

        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::ExeOwner));
        said = startInChild(program.path());
        QVERIFY2(said.startsWith(u"3 数据库所在的文件夹是只读的，不能记帐:\n"_s + dataFolder()), qPrintable(said));

        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(startInChild(program.path()), u"0 "_s);
        QCOMPARE(fileBytes(databaseFilePath()), books);
    }

    void secondStartIsRefusedUntilTheFirstEnds()
    {
        TempProgram program;
        BooksLock first;
        QCOMPARE(shown(prepareBooks(first)), QString());
        addLines(u"8030001001 1001 10 -"_s);
        const QStringList before = dumpTable(u"分2016"_s);

        QCOMPARE(startInChild(program.path()), u"3 这套帐已在本程序的另一个窗口中打开，请回到那个窗口中使用。"_s);

        // The first keeps its lock and its books, and goes on writing.
        QVERIFY(first.isLocked() && QFile::exists(booksLockFilePath(dataFolder())) && dumpTable(u"分2016"_s) == before);
        addLines(u"8030001002 6001 - 10"_s);
        QCOMPARE(scalar(u"SELECT count(*) FROM 分2016"_s).toInt(), 2);

        // Once the first has ended, the books open again.
        closeConnection();
        first.unlock();
        QCOMPARE(startInChild(program.path()), u"0 "_s);

        // The lock of a program that died is taken over.
        QProcess holder;
        startChild(holder, {u"hold-lock"_s, program.path()});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(QString::fromUtf8(holder.readAllStandardOutput()).trimmed(), u"locked"_s);

        QCOMPARE(first.lock(dataFolder()), BooksLock::Result::HeldByAnother);
        holder.kill();
        QVERIFY(holder.waitForFinished(30000) && QFile::exists(booksLockFilePath(dataFolder())));
        QCOMPARE(shown(prepareBooks(first)), QString());
        QVERIFY(first.isLocked());
    }
};

QM_TEST_MAIN_WITH_CHILD(TestStartUp, childMain)
#include "test_start_up.moc"

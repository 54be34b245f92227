#include "support/common.h"
#include "app/start_up.h"
#include "data/database.h"
#include "data/private_files.h"
#include "support/child_process.h"
#include "vouchers/voucher_posting.h"
#include "vouchers/work_copy.h"

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

    QCOMPARE(scalar(QStringLiteral(
                 "SELECT count(*) FROM 分2016 WHERE 月=? AND (substr(ID,1,3)<>? OR CAST(substr(ID,4,4) AS INTEGER)<>号码 "
                 "OR CAST(substr(ID,8,3) AS INTEGER) NOT BETWEEN 1 AND 3)"), {kMonth, u"803"_s}).toInt(), 0);
    QCOMPARE(scalar(u"SELECT count(DISTINCT ID) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt(),
             scalar(u"SELECT count(*) FROM 分2016 WHERE 月=?"_s, {kMonth}).toInt());
    QCOMPARE(scalar(u"SELECT group_concat(ID) FROM (SELECT ID FROM 分2016 WHERE 月=? ORDER BY ID)"_s, {kMonth + 1}).toString(),
             u"8040001001,8040001002"_s);
}

// The child: starts the books, holds their lock, or inserts a voucher before the first and
// deletes it again, over and over, each change moving every key of the month.
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
        QVERIFY(fileBytes(databaseFilePath()) == made && dataFolderEntries() == QStringList({u"qmdata.lock"_s, u"qmdata.mdb"_s}));
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

        QVERIFY(QFile::setPermissions(databaseFilePath(), QFile::ReadOwner | QFile::WriteOwner)
                && QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::ExeOwner));
        said = startInChild(program.path());
        QVERIFY2(said.startsWith(u"3 数据库所在的文件夹是只读的，不能记帐:\n"_s + dataFolder()), qPrintable(said));

        QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(startInChild(program.path()) == u"0 "_s && fileBytes(databaseFilePath()) == books);
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
        QVERIFY(holder.waitForReadyRead(30000) && QString::fromUtf8(holder.readAllStandardOutput()).trimmed() == u"locked"_s);

        QCOMPARE(first.lock(dataFolder()), BooksLock::Result::HeldByAnother);
        holder.kill();
        QVERIFY(holder.waitForFinished(30000) && QFile::exists(booksLockFilePath(dataFolder())));
        QVERIFY(!prepareBooks(first) && first.isLocked());
    }

    void monthStaysWholeWhenTheProgramIsKilledWhileRenumbering()
    {
        TempProgram program;
        writeMonth();
        closeConnection();
        // The kill comes at once, early and late, so that it lands before, during and after
        // the work on any machine; each time the month must be whole.
        for (const int delay : {0, 40, 150, 400}) {
            QProcess child;
            startChild(child, {u"renumber"_s, program.path()});
            QVERIFY(child.waitForReadyRead(30000));
            QThread::msleep(delay);
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            verifyMonthWhole();
            closeConnection();
        }
    }
};

QM_TEST_MAIN_WITH_CHILD(TestStartUp, childMain)
#include "test_start_up.moc"

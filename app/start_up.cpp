#include "start_up.h"

#include "data/database.h"
#include "data/private_files.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTranslator>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm {

namespace {

Message refusal(const QString& text)
{
    return Message{text, QStringLiteral("QM505提示"), MessageIcon::Stop, MessageButtons::Ok};
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Whether the file at `path` was last written more than a few seconds ago (or in the future, by a
// clock that went back).
bool isOldFile(const QString& path)
{
    constexpr qint64 kNewForMs = 5000;
    const QDateTime written = QFileInfo(path).lastModified();
    return written.isValid() && qAbs(written.msecsTo(QDateTime::currentDateTime())) > kNewForMs;
}

// Whether a running process holds the lock of the file at `path`, as a live QLockFile holds one on
// its file. A lock that cannot be tried counts as held.
bool lockedByAProcess(const QString& path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool held = ::flock(descriptor, LOCK_EX | LOCK_NB) != 0;
    // Closing gives back the lock just taken.
    ::close(descriptor);
    return held;
}

QString databaseSays(const QString& detail)
{
    return detail.isEmpty() ? QString() : QStringLiteral("\n\n数据库的提示: ") + detail;
}

std::optional<Message> checkExistingDatabase(const QString& path)
{
    if (!QFileInfo(path).isWritable())
        return refusal(QStringLiteral("数据库文件是只读的，不能记帐:\n%1\n请让当前用户可以修改这个文件后再启动本程序。")
                           .arg(native(path)));
    const DatabaseFileCheck check = checkDatabaseFile(path);
    switch (check.state) {
    case DatabaseFileState::Usable:
        // A change cut off by a crash before it wrote to the books leaves a journal SQLite
        // ignores; it is no change, and goes.
        if (QFileInfo::exists(journalOf(path)))
            HeldBooksFile{path};
        return std::nullopt;
    case DatabaseFileState::Missing:
        return std::nullopt;
    case DatabaseFileState::NoAccess:
        return refusal(QStringLiteral("无法读取数据库文件:\n%1\n请让当前用户可以读写这个文件后再启动本程序。").arg(native(path)));
    case DatabaseFileState::Busy:
        return refusal(QStringLiteral("数据库文件正被另一个程序占用:\n%1\n请稍后再启动本程序。").arg(native(path))
                       + databaseSays(check.detail));
    case DatabaseFileState::Newer:
        return refusal(newerBooksText(path));
    case DatabaseFileState::Damaged:
        break;
    }
    return refusal(QStringLiteral("数据库文件已损坏，无法使用:\n%1\n\n"
                                  "可以这样继续: 把最近的 .bam 备份文件复制到这里并改名为 qmdata.mdb；"
                                  "或者把这个文件移到别处，下次启动时程序会新建一个空的帐套。")
                       .arg(native(path))
                   + databaseSays(check.detail));
}

}  // namespace

BooksLock::BooksLock() = default;

BooksLock::~BooksLock() = default;

QString booksLockFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("qmdata.lock"));
}

BooksLock::Result BooksLock::lock(const QString& dataFolder)
{
    unlock();
    m_otherComputer.clear();
    const QString path = booksLockFilePath(dataFolder);
    auto file = std::make_unique<QLockFile>(path);
    // A live holder never goes stale by age; a dead one is recognised by its process id.
    file->setStaleLockTime(0);
    bool locked = file->tryLock(0);
    qint64 pid = 0;
    QString computer;
    QString program;
    const bool named = locked || file->getLockInfo(&pid, &computer, &program);
    // A file naming no holder is taken over once no process holds its lock, as a live holder does,
    // and it is not new: a copy starting this moment writes its name just after making the file.
    if (!locked && !named && file->error() == QLockFile::LockFailedError && isOldFile(path) && !lockedByAProcess(path))
        locked = file->removeStaleLockFile() && file->tryLock(0);
    if (locked) {
        m_file = std::move(file);
        return Result::Locked;
    }
    if (file->error() != QLockFile::LockFailedError)
        return Result::CannotWrite;
    if (named && !computer.isEmpty() && computer != QSysInfo::machineHostName()) {
        m_otherComputer = computer;
        return Result::HeldOnAnotherComputer;
    }
    return Result::HeldByAnother;
}

bool BooksLock::isLocked() const
{
    return m_file && m_file->isLocked();
}

void BooksLock::unlock()
{
    m_file.reset();
}

QTranslator* installQtTranslation()
{
    // Owned by the application, so it lives as long as the dialogs that use it.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

std::optional<Message> prepareBooks(BooksLock& lock)
{
    const QString folder = dataFolder();
    if (!makePrivateFolder(folder))
        return refusal(QStringLiteral("无法建立数据文件夹:\n%1").arg(native(folder)));
    // The journal of every change is written beside the database.
    if (!QFileInfo(folder).isWritable())
        return refusal(QStringLiteral("数据库所在的文件夹是只读的，不能记帐:\n%1\n请让当前用户可以修改这个文件夹后再启动本程序。")
                           .arg(native(folder)));
    switch (lock.lock(folder)) {
    case BooksLock::Result::Locked:
        break;
    case BooksLock::Result::HeldByAnother:
        return refusal(QStringLiteral("这套帐已在本程序的另一个窗口中打开，请回到那个窗口中使用。"));
    case BooksLock::Result::HeldOnAnotherComputer:
        return refusal(QStringLiteral("这套帐正被另一台电脑(%1)上的本程序使用。如果那台电脑上的本程序已经不在运行"
                                      "(例如那台电脑断过电)，请删除锁文件:\n%2\n然后再启动本程序。")
                           .arg(lock.otherComputer(), native(booksLockFilePath(folder))));
    case BooksLock::Result::CannotWrite:
        return refusal(QStringLiteral("无法在数据文件夹中建立锁文件:\n%1").arg(native(booksLockFilePath(folder))));
    }
    const QString path = databaseFilePath();
    if (!QFileInfo::exists(path)) {
        ensureDatabase();
        return std::nullopt;
    }
    return checkExistingDatabase(path);
}

}  // namespace qm

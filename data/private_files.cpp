#include "private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

// Keeps errno as a failure left it while the cleanup after it runs.
class ErrnoKept {
public:
    ErrnoKept() : m_error(errno) {}
    ~ErrnoKept() { errno = m_error; }
    ErrnoKept(const ErrnoKept&) = delete;
    ErrnoKept& operator=(const ErrnoKept&) = delete;

private:
    int m_error;
};

// Waits until what `path` (a file or a folder) holds is on the disk.
bool syncToDisk(const QString& path, int flags)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    if (!synced) {
        const ErrnoKept kept;
        ::close(descriptor);
        return false;
    }
    return ::close(descriptor) == 0;
}

}  // namespace

bool makePrivateFolder(const QString& path, QStringList* made)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists()) {
        errno = ENOTDIR;
        return false;
    }
    const QString absolute = info.absoluteFilePath();
    const QString parent = QFileInfo(absolute).absolutePath();
    if (parent != absolute && !makePrivateFolder(parent, made))
        return false;
    if (::mkdir(QFile::encodeName(absolute).constData(), 0700) != 0)
        return errno == EEXIST && QFileInfo(absolute).isDir();
    if (made)
        made->append(absolute);
    // A new folder is there after a power cut only once its parent says so.
    return syncFolderOf(absolute);
}

void removeMadeFolders(const QStringList& made)
{
    const ErrnoKept kept;
    for (auto folder = made.crbegin(); folder != made.crend(); ++folder)
        QDir().rmdir(*folder);
}

bool createPrivateFile(const QString& path)
{
    // The mode is given at creation, so the file is never readable by others even for a moment.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    const bool made = ::fchmod(descriptor, 0600) == 0;
    const ErrnoKept kept;
    return ::close(descriptor) == 0 && made;
}

bool copyPrivately(const QString& source, const QString& target)
{
    const int from = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return false;
    // The mode is given at creation, so the copy is never readable by others even for a moment.
    const int to = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int failure = to < 0 || ::fchmod(to, 0600) != 0 ? errno : 0;
    std::vector<char> buffer(1 << 20);
    while (failure == 0) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            break;
        if (got < 0) {
            if (errno != EINTR)
                failure = errno;
            continue;
        }
        for (ssize_t written = 0; failure == 0 && written < got;) {
            const ssize_t step = ::write(to, buffer.data() + written, size_t(got - written));
            if (step > 0)
                written += step;
            else if (step == 0 || errno != EINTR)
                failure = step == 0 ? EIO : errno;
        }
    }
    // A copy that stands in for the books must be on the disk before anything relies on it.
    if (failure == 0 && ::fsync(to) != 0)
        failure = errno;
    if (to >= 0 && ::close(to) != 0 && failure == 0)
        failure = errno;
    ::close(from);
    if (failure != 0 && to >= 0)
        QFile::remove(target);
    errno = failure;
    return failure == 0;
}

QString writeFailureText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘可能已满");
    case EFBIG: return QStringLiteral("文件超过了系统允许的大小");
    case EROFS: return QStringLiteral("磁盘是只读的");
    case EACCES:
    case EPERM: return QStringLiteral("没有写入的权限");
    case EIO: return QStringLiteral("磁盘读写出错，磁盘可能出了故障");
    case EISDIR: return QStringLiteral("那里已有一个同名的文件夹");
    default: return QStringLiteral("系统错误 %1: %2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

bool syncFolderOf(const QString& path)
{
    return syncToDisk(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

Replacement replaceDurably(const QString& source, const QString& target)
{
    if (!syncToDisk(source, O_RDONLY))
        return Replacement::Failed;
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return Replacement::Failed;
    // From here `target` is the new file whatever follows: saying otherwise would have the
    // caller go on with the old one.
    if (syncFolderOf(target))
        return Replacement::Done;
    std::fprintf(stderr, "QM505: %s replaced, but its folder could not be synced to the disk\n",
                 qUtf8Printable(QDir::toNativeSeparators(target)));
    return Replacement::Unconfirmed;
}

}  // namespace qm

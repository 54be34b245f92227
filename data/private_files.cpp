#include "private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr QFile::Permissions kOwnerFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// Waits until what `path` (a file or a folder) holds is on the disk.
bool syncToDisk(const QString& path, int flags)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && synced;
}

}  // namespace

bool makePrivateFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists())
        return false;
    const QString absolute = info.absoluteFilePath();
    const QString parent = QFileInfo(absolute).absolutePath();
    if (parent != absolute && !makePrivateFolder(parent))
        return false;
    if (!QDir().mkdir(absolute, kOwnerFolder))
        return QFileInfo(absolute).isDir();
    // A new folder is there after a power cut only once its parent says so.
    return syncFolderOf(absolute);
}

bool createPrivateFile(const QString& path)
{
    QFile file(path);
    // The mode is given at creation, so the file is never readable by others even for a moment.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, kOwnerFile))
        return false;
    return file.setPermissions(kOwnerFile);
}

bool copyPrivately(const QString& source, const QString& target)
{
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly))
        return false;
    QFile to(target);
    if (!to.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerFile))
        return false;
    bool ok = to.setPermissions(kOwnerFile);
    while (ok && !from.atEnd()) {
        const QByteArray chunk = from.read(1 << 20);
        ok = !chunk.isEmpty() && to.write(chunk) == chunk.size();
    }
    // A copy that stands in for the books must be on the disk before anything relies on it.
    ok = ok && from.error() == QFileDevice::NoError && to.flush() && ::fsync(to.handle()) == 0;
    to.close();
    if (!ok || to.error() != QFileDevice::NoError) {
        QFile::remove(target);
        return false;
    }
    return true;
}

bool syncFolderOf(const QString& path)
{
    return syncToDisk(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

bool replaceDurably(const QString& source, const QString& target)
{
    if (!syncToDisk(source, O_RDONLY))
        return false;
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    // From here `target` is the new file whatever follows: saying otherwise would have the
    // caller go on with the old one.
    if (!syncFolderOf(target))
        std::fprintf(stderr, "QM505: %s replaced, but its folder could not be synced to the disk\n",
                     qUtf8Printable(QDir::toNativeSeparators(target)));
    return true;
}

}  // namespace qm

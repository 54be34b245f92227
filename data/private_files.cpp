#include "private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace qm {

namespace {

constexpr QFile::Permissions kOwnerFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kOwnerFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

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
    return QDir().mkdir(absolute, kOwnerFolder) || QFileInfo(absolute).isDir();
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

}  // namespace qm

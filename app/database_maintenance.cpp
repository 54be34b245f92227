#include "database_maintenance.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace qm {

namespace {

// What was not written and why, for a message.
QString unwrittenText(const QString& path, int error)
{
    return QStringLiteral("无法写入 %1，%2。").arg(QDir::toNativeSeparators(path), writeFailureText(error));
}

// Replaces `target` by `source` in one step; a copy that could not take the books' place is
// removed.
void swapInto(const QString& source, const QString& target)
{
    const Replacement replaced = replaceDurably(source, target);
    if (replaced == Replacement::Failed) {
        const QString text = QStringLiteral("无法替换数据库文件 %1，%2。")
                                 .arg(QDir::toNativeSeparators(target), writeFailureText(errno));
        QFile::remove(source);
        throw DbError(text);
    }
    if (replaced == Replacement::Unconfirmed)
        noteUnconfirmedSave();
}

QString compactionTarget()
{
    return QDir(programFolder()).filePath(QStringLiteral("qmdata888.mdb"));
}

}  // namespace

QString backupFileName(const QDateTime& when)
{
    return QStringLiteral("QM") + when.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
           + QString::number(when.time().hour()) + when.toString(QStringLiteral("mmss")) + QStringLiteral(".bam");
}

std::optional<Message> checkBackupFolder(const QString& folder)
{
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return Message{QStringLiteral("请选择备份路径"), QStringLiteral("提醒您！"), MessageIcon::Exclamation};
    return std::nullopt;
}

QString backupDatabase(const QString& folder, const QDateTime& when)
{
    // A file put in the books' place by someone else is not backed up as the books.
    checkBooksFileInPlace();
    closeConnection();
    // The copy is the books as last committed, and no other program changes them while it is made.
    const HeldBooksFile books(databaseFilePath());
    if (books.state() != HeldBooksFile::State::Whole)
        throw DbError(QStringLiteral("备份失败: ") + books.explanation() + QStringLiteral("没有做备份。"));
    const QString target = QDir(folder).filePath(backupFileName(when));
    // Copied under another name first: a copy cut off by a crash is never taken for a backup,
    // and a backup of the same name stays until the new one is whole.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    QStringList made;
    // The books are the file this run works on, so a copy that fails could not be written.
    const bool copied = makePrivateFolder(folder, &made) && copyPrivately(databaseFilePath(), partial);
    const bool named = copied && std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) == 0;
    if (!named || !syncFolderOf(target)) {
        const QString text = QStringLiteral("备份失败: ") + unwrittenText(target, errno);
        QFile::remove(named ? target : partial);
        removeMadeFolders(made);
        throw DbError(text);
    }
    return target;
}

void restoreDatabase(const QString& backupPath)
{
    checkBooksFileInPlace();
    closeConnection();
    // A journal of the old books left beside the backup would be played into it at the next read,
    // and no other program may be in the middle of a change to the file being replaced.
    const HeldBooksFile books(databaseFilePath());
    if (books.state() != HeldBooksFile::State::Whole)
        throw DbError(books.explanation() + QStringLiteral("备份没有导入，数据库没有改变。"));
    const QString staged = databaseFilePath() + QStringLiteral(".restore");
    QFile::remove(staged);
    if (QFile backup(backupPath); !backup.open(QIODevice::ReadOnly))
        throw BackupFileError(QStringLiteral("无法读取 %1").arg(QDir::toNativeSeparators(backupPath)));
    if (!copyPrivately(backupPath, staged))
        throw DbError(unwrittenText(staged, errno) + QStringLiteral("备份没有导入，数据库没有改变。"));
    const DatabaseFileState state = checkDatabaseFile(staged).state;
    if (state != DatabaseFileState::Usable) {
        QFile::remove(staged);
        throw BackupFileError(state == DatabaseFileState::Newer
                                  ? newerBooksText(backupPath)
                                  : QStringLiteral("%1 不是本系统的数据库").arg(QDir::toNativeSeparators(backupPath)));
    }
    swapInto(staged, databaseFilePath());
    adoptBooksFile();
}

void compactDatabase(int year)
{
    // Opened before the books are held: an opening that brings them up to date writes.
    openConnection();
    checkBooksFileInPlace();
    // No other program changes the books between the copy and the swap, nor has a change under
    // way whose journal would be played into the compacted file.
    const HeldBooksFile books(databaseFilePath());
    if (books.state() != HeldBooksFile::State::Whole)
        throw DbError(books.explanation());
    const QString target = compactionTarget();
    QFile::remove(target);
    try {
        // VACUUM INTO writes into an empty file as it finds it, so the copy is private from the start.
        if (!createPrivateFile(target))
            throw DbError(QStringLiteral("无法建立压缩文件 %1，%2。")
                              .arg(QDir::toNativeSeparators(target), writeFailureText(errno)));
        execute(QStringLiteral("VACUUM INTO ?"), {target});
        // Rows without an account are dropped from the copy, so a failed compaction leaves the
        // books exactly as they were.
        execute(QStringLiteral("ATTACH DATABASE ? AS compacted"), {target});
        execute(QStringLiteral("DELETE FROM compacted.%1 WHERE 代码 IS NULL").arg(entryTableName(year)));
        execute(QStringLiteral("VACUUM compacted"));
        execute(QStringLiteral("DETACH DATABASE compacted"));
        closeConnection();
        if (!isDatabaseOfThisProgram(target))
            throw DbError(QStringLiteral("压缩后的数据库不完整"));
        swapInto(target, databaseFilePath());
        adoptBooksFile();
    } catch (...) {
        closeConnection();
        QFile::remove(target);
        throw;
    }
}

}  // namespace qm

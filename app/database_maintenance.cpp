#include "database_maintenance.h"

#include "data/database.h"
#include "data/db_error.h"
#include "data/fiscal_year.h"
#include "data/private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

// Replaces `target` by `source` in one step; a copy that could not take the books' place is
// removed.
void swapInto(const QString& source, const QString& target)
{
    if (!replaceDurably(source, target)) {
        QFile::remove(source);
        throw DbError(QStringLiteral("无法替换数据库文件 %1").arg(QDir::toNativeSeparators(target)));
    }
}

// The books file holds half of a change that failed, and its journal cannot be played back.
const QString kUnsettledBooks = QStringLiteral("数据库文件中有一次没有完成的修改，现在无法撤销，磁盘可能出了故障。");

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
    // The file alone is the books only once no journal of a failed change stands beside it.
    if (!settleDatabaseFile(databaseFilePath()))
        throw DbError(QStringLiteral("备份失败: ") + kUnsettledBooks + QStringLiteral("没有做备份。"));
    const QString target = QDir(folder).filePath(backupFileName(when));
    QFile::remove(target);
    // The books are the file this run works on, so a copy that fails could not be written.
    if (!makePrivateFolder(folder) || !copyPrivately(databaseFilePath(), target) || !syncFolderOf(target)) {
        QFile::remove(target);
        throw DbError(QStringLiteral("备份失败: 无法写入 %1，磁盘可能已满。").arg(QDir::toNativeSeparators(target)));
    }
    return target;
}

void restoreDatabase(const QString& backupPath)
{
    checkBooksFileInPlace();
    closeConnection();
    // A journal of the old books left beside the backup would be played into it at the next read.
    if (!settleDatabaseFile(databaseFilePath()))
        throw DbError(kUnsettledBooks + QStringLiteral("备份没有导入，数据库没有改变。"));
    const QString staged = databaseFilePath() + QStringLiteral(".restore");
    QFile::remove(staged);
    if (QFile backup(backupPath); !backup.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取 %1").arg(QDir::toNativeSeparators(backupPath)));
    // The backup reads, so a copy that fails could not be written: most often the disk is full.
    if (!copyPrivately(backupPath, staged))
        throw DbError(QStringLiteral("无法写入 %1，磁盘可能已满。备份没有导入，数据库没有改变。")
                          .arg(QDir::toNativeSeparators(staged)));
    const DatabaseFileState state = checkDatabaseFile(staged).state;
    if (state != DatabaseFileState::Usable) {
        QFile::remove(staged);
        throw DbError(state == DatabaseFileState::Newer ? newerBooksText(backupPath)
                                                        : QStringLiteral("%1 不是本系统的数据库").arg(QDir::toNativeSeparators(backupPath)));
    }
    swapInto(staged, databaseFilePath());
    adoptBooksFile();
}

void compactDatabase(int year)
{
    const QString target = compactionTarget();
    QFile::remove(target);
    try {
        // VACUUM INTO writes into an empty file as it finds it, so the copy is private from the start.
        if (!createPrivateFile(target))
            throw DbError(QStringLiteral("无法建立压缩文件 %1").arg(QDir::toNativeSeparators(target)));
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

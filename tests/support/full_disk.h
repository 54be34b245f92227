#pragma once

// A disk that fills up or fails on demand: an SQLite file system registered as the default,
// passing everything to the platform's own except that, while a FullDisk lives, a write that
// would grow a file past the space left fails as a write to a full disk does (SQLITE_FULL);
// overwriting what a file already holds still succeeds. While a FailingDisk lives, writes to a
// database file (not to its journal) fail as on a disk that breaks mid-write (SQLITE_IOERR_WRITE),
// and while a FailingFolderSync lives, the folder sync after a deletion fails.
// Install it before the first connection opens; the program's connection and the test's own
// ones then all go through it.

#include <sqlite3.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace qm::test {

class FullDisk {
public:
    // Registers the file system once for the test program, as the default.
    static void install()
    {
        static const bool installed = [] {
            s_real = sqlite3_vfs_find(nullptr);
            s_vfs = *s_real;
            s_vfs.zName = "qm505-full-disk";
            s_vfs.szOsFile = int(sizeof(File)) + s_real->szOsFile;
            s_vfs.xOpen = open;
            s_vfs.xDelete = deleteFile;
            return sqlite3_vfs_register(&s_vfs, 1) == SQLITE_OK;
        }();
        (void)installed;
    }

    // While a FullDisk lives, files may grow by `bytesFree` in all.
    explicit FullDisk(qint64 bytesFree = 0)
    {
        s_bytesFree = bytesFree;
        s_full = true;
    }
    ~FullDisk() { s_full = false; }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    friend class FailingDisk;
    friend class FailingFolderSync;

    struct File {
        sqlite3_file base;
        sqlite3_file* real;  // the platform's file, right behind this one
        bool database;       // not a journal
    };

    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* wrapper = reinterpret_cast<File*>(file);
        std::memset(wrapper, 0, sizeof(File));
        wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
        wrapper->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        const int result = s_real->xOpen(s_real, name, wrapper->real, flags, outFlags);
        if (wrapper->real->pMethods)
            wrapper->base.pMethods = &kMethods;
        return result;
    }

    // The file is deleted; only the folder's sync after it fails.
    static int deleteFile(sqlite3_vfs*, const char* name, int syncFolder)
    {
        const int result = s_real->xDelete(s_real, name, syncFolder);
        return result == SQLITE_OK && syncFolder && s_folderSyncFails ? SQLITE_IOERR_DIR_FSYNC : result;
    }

    static int close(sqlite3_file* file)
    {
        const int result = real(file)->pMethods->xClose(real(file));
        file->pMethods = nullptr;
        return result;
    }

    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
    {
        if (s_writesBeforeFailure >= 0 && reinterpret_cast<File*>(file)->database) {
            if (s_writesBeforeFailure == 0)
                return SQLITE_IOERR_WRITE;
            --s_writesBeforeFailure;
        }
        if (s_full) {
            sqlite3_int64 size = 0;
            if (real(file)->pMethods->xFileSize(real(file), &size) != SQLITE_OK)
                return SQLITE_IOERR_WRITE;
            const qint64 growth = std::max<qint64>(0, offset + amount - size);
            if (growth > s_bytesFree)
                return SQLITE_FULL;
            s_bytesFree -= growth;
        }
        return real(file)->pMethods->xWrite(real(file), data, amount, offset);
    }

    // Version 1: no shared memory and no memory mapping, so every write of the books comes
    // through write() (they use a rollback journal anyway).
    static inline const sqlite3_io_methods kMethods = {
        1,
        close,
        [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) { return real(f)->pMethods->xRead(real(f), data, amount, offset); },
        write,
        [](sqlite3_file* f, sqlite3_int64 size) { return real(f)->pMethods->xTruncate(real(f), size); },
        [](sqlite3_file* f, int flags) { return real(f)->pMethods->xSync(real(f), flags); },
        [](sqlite3_file* f, sqlite3_int64* size) { return real(f)->pMethods->xFileSize(real(f), size); },
        [](sqlite3_file* f, int lock) { return real(f)->pMethods->xLock(real(f), lock); },
        [](sqlite3_file* f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
        [](sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
        [](sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
        [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
        [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    static inline sqlite3_vfs* s_real = nullptr;
    static inline sqlite3_vfs s_vfs{};
    static inline std::atomic<bool> s_full = false;
    static inline qint64 s_bytesFree = 0;
    static inline int s_writesBeforeFailure = -1;  // none fail while negative
    static inline bool s_folderSyncFails = false;
};

// While it lives, the database files take `writesBeforeFailure` writes more; every one after
// those fails, as does whatever SQLite tries to put back.
class FailingDisk {
public:
    explicit FailingDisk(int writesBeforeFailure) { FullDisk::s_writesBeforeFailure = writesBeforeFailure; }
    ~FailingDisk() { FullDisk::s_writesBeforeFailure = -1; }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;
};

// While it lives, a file SQLite deletes is deleted, but the sync of its folder that should
// follow fails (SQLITE_IOERR_DIR_FSYNC), as on a disk that cannot confirm the deletion: for a
// commit, after its commit point.
class FailingFolderSync {
public:
    FailingFolderSync() { FullDisk::s_folderSyncFails = true; }
    ~FailingFolderSync() { FullDisk::s_folderSyncFails = false; }
    FailingFolderSync(const FailingFolderSync&) = delete;
    FailingFolderSync& operator=(const FailingFolderSync&) = delete;
};

// Much the same for the files the program copies itself, outside SQLite (a restore's staged
// copy): while it lives, no file may be written past `bytesFree` bytes. It lowers the process's
// file size limit and ignores the signal that comes with it, so such a write fails as a file too
// large (EFBIG), not as a full disk; a file already larger cannot be written either.
class NoRoomForCopies {
public:
    explicit NoRoomForCopies(qint64 bytesFree)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_limit);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = m_limit;
        capped.rlim_cur = rlim_t(bytesFree);
        ::setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~NoRoomForCopies()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_limit);
        std::signal(SIGXFSZ, m_signal);
    }
    NoRoomForCopies(const NoRoomForCopies&) = delete;
    NoRoomForCopies& operator=(const NoRoomForCopies&) = delete;

private:
    rlimit m_limit{};
    void (*m_signal)(int) = SIG_DFL;
};

// What another program reading the books sees: the first column of the first row of `sql`, or
// a null QVariant when there is none. Only committed changes reach it.
inline QVariant seenByAnotherProgram(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    QVariant value;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

// Every table of the books as another program reads them, with the schema and the version:
// each cell but a text behind its type (1 integer, 2 real, 5 NULL), so that 7, 7.0 and '7'
// differ; the rows of a table sorted, since a compaction may renumber them. Empty when the
// file cannot be read.
inline QString booksSeenByAnotherProgram(const QString& path)
{
    sqlite3* db = nullptr;
    bool read = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    const auto rowsOf = [db, &read](const QString& sql) {
        QStringList rows;
        sqlite3_stmt* statement = nullptr;
        const QByteArray text = sql.toUtf8();
        read = read && sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) == SQLITE_OK;
        int step = SQLITE_DONE;
        while (read && (step = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList cells;
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                const int type = sqlite3_column_type(statement, column);
                const QString cell =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
                cells << (type == SQLITE_TEXT ? cell : QString::number(type) + QLatin1Char(':') + cell);
            }
            rows << cells.join(QLatin1Char('|'));
        }
        read = read && step == SQLITE_DONE;
        sqlite3_finalize(statement);
        return rows;
    };
    QStringList books = rowsOf(QStringLiteral("PRAGMA user_version"))
                        + rowsOf(QStringLiteral("SELECT type, name, sql FROM sqlite_schema ORDER BY type, name"));
    for (const QString& table :
         rowsOf(QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' ORDER BY name"))) {
        QStringList rows = rowsOf(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        rows.sort();
        books << table << rows;
    }
    sqlite3_close(db);
    return read ? books.join(QLatin1Char('\n')) : QString();
}

// Whether another program may write to the books now: no one else holds their write lock.
inline bool anotherProgramMayWrite(const QString& path)
{
    sqlite3* db = nullptr;
    const bool may =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return may;
}

}  // namespace qm::test

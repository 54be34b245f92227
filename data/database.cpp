#include "database.h"

#include "db_error.h"
#include "private_files.h"
#include "month_totals.h"
#include "schema.h"
#include "record_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <sqlite3.h>
#include <sys/stat.h>

namespace qm {

namespace {

const QString kConnectionName = QStringLiteral("qm505");
// A change waits this long for another program's lock on the file, then gives up.
constexpr int kBusyWaitMs = 2000;
const QString kBusyWait = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs);

// SQLite's primary result codes.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteIoError = 10;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADatabase = 26;
// The extended code of a write to a file that was renamed, deleted or replaced after it was opened.
constexpr int kSqliteReadOnlyDbMoved = kSqliteReadOnly | (4 << 8);

QString g_programFolder;
int g_transactionDepth = 0;
// Counts the openings of the connection: a transaction begun on an earlier one is over.
int g_connectionGeneration = 0;
// Set when an inner level could not be undone: the outermost level then commits nothing.
bool g_transactionSpoiled = false;
// The writers whose statements are prepared on the connection: it is closed only once they are
// finalized, since a connection that cannot close keeps its locks.
std::vector<RowWriter*> g_rowWriters;
// How many ViewWork scopes are open.
int g_viewWork = 0;
// A change was committed, but the disk did not confirm it; the user has not been told yet.
bool g_unconfirmedSave = false;
// Set once the open file is found moved or replaced: every later statement is refused, so no
// window shows or writes figures of a file that is no longer the books.
bool g_booksMoved = false;

// The file this run works on, from its first opening: the connection is closed now and then
// (backup, the login), and the file found at reopening must still be that one.
struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};
std::optional<FileId> g_booksFile;

std::optional<FileId> fileIdOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

// What the database refused, in a few words the bookkeeper can act on, by SQLite's result code;
// `reading` when what was refused only reads, outside any change.
QString explanation(int resultCode, bool reading = false)
{
    if (g_viewWork > 0) {
        switch (resultCode & 0xff) {
        case kSqliteBusy:
        case kSqliteLocked:
            return QStringLiteral("数据库正被另一个程序占用，无法生成查询结果，请稍后再试。");
        case kSqliteReadOnly:
            if (resultCode != kSqliteReadOnlyDbMoved)
                return QStringLiteral("数据库文件是只读的，无法生成查询结果。");
            break;
        case kSqliteFull:
            return QStringLiteral("磁盘已满，无法生成查询结果。帐套的数据没有改变。");
        }
    }
    if (resultCode == kSqliteReadOnlyDbMoved)
        return QStringLiteral("帐套的数据库文件在本程序运行时被移走或替换了，这次操作没有完成，什么也没有写入。"
                              "请关闭本程序，再重新启动。");
    switch (resultCode & 0xff) {
    case kSqliteBusy:
    case kSqliteLocked:
        return reading ? QStringLiteral("数据库正被另一个程序占用，无法读取帐套的数据，请稍后再试。")
                       : QStringLiteral("数据库正被另一个程序占用，这次修改没有保存，请稍后再试。");
    case kSqliteReadOnly:
        return QStringLiteral("数据库文件是只读的，这次修改没有保存。");
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
        return QStringLiteral("数据库文件已损坏，这次操作没有完成。");
    case kSqliteFull:
        return QStringLiteral("磁盘已满，这次修改没有保存。");
    case kSqliteIoError:
        return QStringLiteral("读写数据库文件时出错，这次操作没有完成。");
    case kSqliteCantOpen:
        return QStringLiteral("无法打开数据库文件。");
    default:
        return QStringLiteral("数据库操作失败。");
    }
}

bool isBusy(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == kSqliteBusy || code == kSqliteLocked;
}

QString databaseText(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    sqlite3* sqlite = handle.isValid() ? *static_cast<sqlite3* const*>(handle.constData()) : nullptr;
    if (!sqlite)
        throw DbError(QStringLiteral("数据库没有打开"));
    return sqlite;
}

void openFile(const QString& path, bool create)
{
    closeConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;") + kBusyWait);
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)
                       + (create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw")));
    if (!db.open()) {
        const QString text = QStringLiteral("无法打开数据库 %1\n%2")
                                 .arg(QDir::toNativeSeparators(path), databaseText(db.lastError()));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        throw DbError(text);
    }
    ++g_connectionGeneration;
    // A file moved or replaced under the connection must be told apart from a read-only one.
    sqlite3_extended_result_codes(sqliteHandle(db), 1);
    // One self-contained file, so that a copy of it is a whole backup.
    QSqlQuery(QStringLiteral("PRAGMA journal_mode=DELETE"), db).finish();
    // A commit ends when the journal is deleted; EXTRA syncs the folder after the delete, so a
    // change reported saved cannot come undone by a power cut that brings the journal back.
    QSqlQuery(QStringLiteral("PRAGMA synchronous=EXTRA"), db).finish();
}

QSqlDatabase connection()
{
    openConnection();
    return QSqlDatabase::database(kConnectionName, false);
}

bool inTransaction(const QSqlDatabase& db)
{
    return db.isOpen() && !sqlite3_get_autocommit(sqliteHandle(db));
}

// Rolls back whatever transaction the connection is in. After a failed write SQLite may refuse
// even that; the connection is then closed, which rolls back too (or leaves the journal for the
// next opening to roll back), and the next statement opens it afresh. Errors are not reported:
// the failure that led here is.
void rollBackEverything()
{
    if (!QSqlDatabase::contains(kConnectionName))
        return;
    bool stillInTransaction = false;
    {
        QSqlDatabase db = QSqlDatabase::database(kConnectionName, false);
        if (inTransaction(db))
            sqlite3_exec(sqliteHandle(db), "ROLLBACK", nullptr, nullptr, nullptr);
        stillInTransaction = inTransaction(db);
    }
    if (stillInTransaction)
        closeConnection();
    g_transactionDepth = 0;
    g_transactionSpoiled = false;
}

// The journal's deletion is the commit point, and the folder is synced after it. When only that
// sync failed, the change is in the books: reported as not saved, it would be entered a second
// time. `db` has just failed its own commit (not the playback of a journal another left).
bool savedPastCommitPoint(sqlite3* db)
{
    if (sqlite3_extended_errcode(db) != SQLITE_IOERR_DIR_FSYNC || !sqlite3_get_autocommit(db)
        || QFileInfo::exists(journalOf(databaseFilePath())))
        return false;
    // A view's work tables are no change of the books the bookkeeper would back up.
    if (g_viewWork == 0)
        noteUnconfirmedSave();
    return true;
}

// While one lives, notes whether the statement run on `db` began its own commit.
class CommitWatch {
public:
    CommitWatch(sqlite3* db, bool watch)
        : m_db(watch ? db : nullptr)
    {
        if (m_db)
            sqlite3_commit_hook(m_db, noteReached, &m_reached);
    }
    ~CommitWatch()
    {
        if (m_db)
            sqlite3_commit_hook(m_db, nullptr, nullptr);
    }
    CommitWatch(const CommitWatch&) = delete;
    CommitWatch& operator=(const CommitWatch&) = delete;

    bool reached() const { return m_reached; }

private:
    static int noteReached(void* reached)
    {
        *static_cast<bool*>(reached) = true;
        return 0;
    }

    sqlite3* m_db;
    bool m_reached = false;
};

// The connection found inside a transaction that no change of ours has open (one left by a
// failure): rolled back, so that what follows runs on what is on the disk.
QSqlDatabase leaveStaleTransaction()
{
    rollBackEverything();
    return connection();
}

// The user reads the explanation and the database's own words; the statement is for whoever
// looks into the fault, so it goes to the error stream.
QString sqliteErrorText(sqlite3* db, const QString& statement, bool reading = false)
{
    const QString said(static_cast<const QChar*>(sqlite3_errmsg16(db)));
    if (!statement.isEmpty())
        std::fprintf(stderr, "QM505: %s\n  %s\n", qUtf8Printable(said), qUtf8Printable(statement));
    return explanation(sqlite3_extended_errcode(db), reading) + QStringLiteral("\n") + said;
}

// Binds as the SQL driver does, except that a box's null text is empty text; a null value
// read from the database stays NULL.
void bindValue(sqlite3* db, sqlite3_stmt* prepared, int index, const QVariant& value, const QString& statement)
{
    int result = SQLITE_OK;
    const auto bindText = [&](const QString& text) {
        return sqlite3_bind_text16(prepared, index, text.isNull() ? static_cast<const void*>(u"") : static_cast<const void*>(text.utf16()), int(text.size() * sizeof(QChar)),
                                   SQLITE_TRANSIENT);
    };
    if (value.isNull()) {
        result = sqlite3_bind_null(prepared, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::QString: result = bindText(value.toString()); break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            result = bytes.isNull() ? sqlite3_bind_null(prepared, index)
                                    : sqlite3_bind_blob(prepared, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Int:
        case QMetaType::Bool: result = sqlite3_bind_int(prepared, index, value.toInt()); break;
        case QMetaType::Double: result = sqlite3_bind_double(prepared, index, value.toDouble()); break;
        case QMetaType::UInt:
        case QMetaType::LongLong: result = sqlite3_bind_int64(prepared, index, value.toLongLong()); break;
        case QMetaType::QDateTime: result = bindText(value.toDateTime().toString(Qt::ISODateWithMs)); break;
        default: result = bindText(value.toString());
        }
    }
    if (result != SQLITE_OK)
        throw DbError(sqliteErrorText(db, statement));
}

}  // namespace

void setProgramFolder(const QString& folder)
{
    closeConnection();
    g_programFolder = folder;
    g_booksMoved = false;
    g_booksFile.reset();
}

QString programFolder()
{
    return g_programFolder;
}

QString dataFolder()
{
    return QDir(g_programFolder).filePath(QStringLiteral("QMDK"));
}

QString databaseFilePath()
{
    return QDir(dataFolder()).filePath(QStringLiteral("qmdata.mdb"));
}

bool openConnection()
{
    if (isConnectionOpen())
        return true;
    const QString path = databaseFilePath();
    if (g_booksFile && fileIdOf(path) != g_booksFile)
        g_booksMoved = true;
    if (g_booksMoved)
        checkBooksFileInPlace();
    if (!QFileInfo::exists(path))
        throw DbError(QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    openFile(path, false);
    if (!g_booksFile)
        g_booksFile = fileIdOf(path);
    // Books that could not be brought up to date are not worked on; the next opening tries again.
    try {
        upgradeSchema();
        ensureMonthTotals();
    } catch (...) {
        closeConnection();
        throw;
    }
    return true;
}

void adoptBooksFile()
{
    g_booksFile.reset();
}

void closeConnection()
{
    if (!QSqlDatabase::contains(kConnectionName))
        return;
    for (RowWriter* writer : g_rowWriters)
        writer->finalizeStatements();
    {
        QSqlDatabase db = QSqlDatabase::database(kConnectionName, false);
        db.close();
        if (db.lastError().type() == QSqlError::ConnectionError)
            std::fprintf(stderr, "QM505: %s\n", qUtf8Printable(databaseText(db.lastError())));
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    g_transactionDepth = 0;
    g_transactionSpoiled = false;
}

bool isConnectionOpen()
{
    return QSqlDatabase::contains(kConnectionName)
           && QSqlDatabase::database(kConnectionName, false).isOpen();
}

void checkBooksFileInPlace()
{
    if (!g_booksMoved && isConnectionOpen()) {
        int moved = 0;
        sqlite3* db = sqliteHandle(QSqlDatabase::database(kConnectionName, false));
        g_booksMoved = sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
    }
    if (g_booksMoved)
        throw DbError(explanation(kSqliteReadOnlyDbMoved) + QStringLiteral("\n") + QDir::toNativeSeparators(databaseFilePath()));
}

namespace {

using Binder = std::function<void(sqlite3*, sqlite3_stmt*, const QString& sql)>;

Binder inOrder(const QVariantList& values)
{
    return [&values](sqlite3* db, sqlite3_stmt* prepared, const QString& sql) {
        if (sqlite3_bind_parameter_count(prepared) != values.size())
            throw DbError(QStringLiteral("Parameter count mismatch\n") + sql);
        for (int i = 0; i < values.size(); ++i)
            bindValue(db, prepared, i + 1, values[i], sql);
    };
}

// Every parameter of the statement is named and has a value; every value has its parameter.
Binder byName(const QVariantMap& values)
{
    return [&values](sqlite3* db, sqlite3_stmt* prepared, const QString& sql) {
        const int count = sqlite3_bind_parameter_count(prepared);
        QSet<QString> used;
        for (int i = 1; i <= count; ++i) {
            const char* name = sqlite3_bind_parameter_name(prepared, i);
            const auto value = name ? values.constFind(QString::fromUtf8(name)) : values.constEnd();
            if (value == values.constEnd())
                throw DbError(QStringLiteral("Parameter without a value: %1\n").arg(name ? QString::fromUtf8(name) : QStringLiteral("?"))
                              + sql);
            bindValue(db, prepared, i, *value, sql);
            used.insert(value.key());
        }
        if (used.size() != values.size())
            throw DbError(QStringLiteral("Parameter count mismatch\n") + sql);
    };
}

// SQLite ends a change's transaction on some failures; when someone went past one, what would
// run since is on the disk at once, so nothing more may run as part of the change.
void checkChangeStillOpen(sqlite3* db)
{
    if (g_transactionDepth > 0 && sqlite3_get_autocommit(db)) {
        g_transactionSpoiled = true;
        throw DbError(explanation(kSqliteIoError));
    }
}

// The handle a statement is to run on, where it may run: outside a change, never inside a
// transaction that no change of ours has open, and on the file this run works on; inside one,
// only while the change's transaction is still open.
sqlite3* connectionForStatement()
{
    sqlite3* db = sqliteHandle(connection());
    if (g_transactionDepth == 0) {
        if (!sqlite3_get_autocommit(db))
            db = sqliteHandle(leaveStaleTransaction());
        // Once a change has begun its file is checked by SQLite itself when it first writes.
        checkBooksFileInPlace();
    } else {
        checkChangeStillOpen(db);
    }
    return db;
}

// Runs one statement on the connection's SQLite handle, its values bound by `bind`; the rows of
// a statement that returns columns go straight into `rows`, with no QVariant per cell on the
// way. Returns the number of columns.
int runStatement(const QString& statement, const Binder& bind, RecordSet* rows)
{
    const QString sql = statement.trimmed();
    sqlite3* db = connectionForStatement();
    sqlite3_stmt* prepared = nullptr;
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int((sql.size() + 1) * sizeof(QChar)), &prepared, &tail) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw DbError(sqliteErrorText(db, sql));
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalizer(prepared, sqlite3_finalize);
    if (tail && !QString(static_cast<const QChar*>(tail)).trimmed().isEmpty())
        throw DbError(QStringLiteral("Unable to execute multiple statements at a time\n") + sql);
    bind(db, prepared, sql);
    // A change of one statement commits on its own: whether it got as far as its commit is known
    // only from SQLite, since a journal another program left is played back (and its folder
    // synced) on the way in, before the statement has done anything.
    const CommitWatch commit(db, g_transactionDepth == 0 && !sqlite3_stmt_readonly(prepared));

    const int columns = sqlite3_column_count(prepared);
    if (rows) {
        QStringList names;
        for (int i = 0; i < columns; ++i)
            names << QString(static_cast<const QChar*>(sqlite3_column_name16(prepared, i))).remove(QLatin1Char('"'));
        *rows = RecordSet(std::move(names));
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(prepared)) == SQLITE_ROW) {
        if (!rows)
            continue;
        // One call to the statement a cell: each sqlite3_column_* call takes the connection's
        // lock, the value's own accessors do not.
        for (int i = 0; i < columns; ++i) {
            sqlite3_value* value = sqlite3_column_value(prepared, i);
            switch (sqlite3_value_type(value)) {
            case SQLITE_NULL: rows->appendNull(); break;
            case SQLITE_INTEGER: rows->appendInteger(sqlite3_value_int64(value)); break;
            case SQLITE_FLOAT: rows->appendReal(sqlite3_value_double(value)); break;
            case SQLITE_BLOB:
                rows->appendOther(QByteArray(static_cast<const char*>(sqlite3_value_blob(value)), sqlite3_value_bytes(value)));
                break;
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
                rows->appendText(text, sqlite3_value_bytes(value));
            }
            }
        }
        rows->endRow();
    }
    if (step != SQLITE_DONE) {
        if (commit.reached() && savedPastCommitPoint(db))
            return columns;
        if (sqlite3_extended_errcode(db) == kSqliteReadOnlyDbMoved)
            g_booksMoved = true;
        const QString text = sqliteErrorText(db, sql, g_transactionDepth == 0 && sqlite3_stmt_readonly(prepared));
        // A lone statement that failed must not leave a transaction behind it. The statement
        // goes first: a connection closed while one is prepared keeps its locks.
        if (g_transactionDepth == 0 && !sqlite3_get_autocommit(db)) {
            finalizer.reset();
            rollBackEverything();
        }
        throw DbError(text);
    }
    return columns;
}

}  // namespace

RecordSet openRecordset(const QString& statement, const QVariantList& values)
{
    RecordSet rows;
    return runStatement(statement, inOrder(values), &rows) == 0 ? RecordSet() : rows;
}

RecordSet openRecordset(const QString& statement, const QVariantMap& values)
{
    RecordSet rows;
    return runStatement(statement, byName(values), &rows) == 0 ? RecordSet() : rows;
}

int execute(const QString& statement, const QVariantList& values)
{
    runStatement(statement, inOrder(values), nullptr);
    return sqlite3_changes(sqliteHandle(connection()));
}

int execute(const QString& statement, const QVariantMap& values)
{
    runStatement(statement, byName(values), nullptr);
    return sqlite3_changes(sqliteHandle(connection()));
}

void insertRows(const QString& table, const RecordSet& rows)
{
    if (rows.isEmpty())
        return;
    RowWriter writer(table, rows.fieldCount(), rows.count());
    for (int row = 0; row < rows.count(); ++row) {
        for (int field = 0; field < rows.fieldCount(); ++field)
            writer.appendCell(rows, row, field);
        writer.endRow();
    }
    writer.finish();
}

namespace {

// Rows a statement of the writer takes: more save little once the statement's own cost is
// shared, and the database caps the values of one statement.
constexpr int kRowsPerStatement = 50;

sqlite3_stmt* prepareRows(sqlite3* db, const QString& table, int columns, int rows)
{
    QString marks = QStringLiteral("(?");
    for (int column = 1; column < columns; ++column)
        marks += QStringLiteral(",?");
    marks += QLatin1Char(')');
    QStringList all;
    for (int row = 0; row < rows; ++row)
        all << marks;
    const QString sql = QStringLiteral("INSERT INTO %1 VALUES %2").arg(table, all.join(QLatin1Char(',')));
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare16_v3(db, sql.utf16(), int((sql.size() + 1) * sizeof(QChar)), SQLITE_PREPARE_PERSISTENT, &prepared, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw DbError(sqliteErrorText(db, sql));
    }
    return prepared;
}

}  // namespace

RowWriter::RowWriter(const QString& table, int columns, int rows)
    : m_table(table),
      m_columns(std::max(columns, 1)),
      m_rowsLeft(rows),
      m_rowsPerStatement(std::max(1, std::min(kRowsPerStatement,
                                              sqlite3_limit(sqliteHandle(connection()), SQLITE_LIMIT_VARIABLE_NUMBER, -1) / m_columns)))
{
    if (g_transactionDepth == 0)
        checkBooksFileInPlace();
    // Listed only once started: a writer whose statement cannot be prepared throws, and no
    // destructor would take it off the list again.
    startStatement();
    g_rowWriters.push_back(this);
}

RowWriter::~RowWriter()
{
    finalizeStatements();
    g_rowWriters.erase(std::find(g_rowWriters.begin(), g_rowWriters.end(), this));
}

void RowWriter::finalizeStatements()
{
    sqlite3_finalize(static_cast<sqlite3_stmt*>(m_full));
    sqlite3_finalize(static_cast<sqlite3_stmt*>(m_tail));
    m_full = m_tail = m_current = nullptr;
    m_finalized = true;
}

void RowWriter::startStatement()
{
    m_cell = 0;
    m_cellsInStatement = 0;
    m_current = nullptr;
    if (m_rowsLeft <= 0)
        return;
    sqlite3* db = sqliteHandle(connection());
    const int rows = std::min(m_rowsLeft, m_rowsPerStatement);
    void*& statement = rows == m_rowsPerStatement ? m_full : m_tail;
    if (!statement)
        statement = prepareRows(db, m_table, m_columns, rows);
    m_current = statement;
    m_cellsInStatement = rows * m_columns;
    m_rowsLeft -= rows;
}

void RowWriter::checkNotFinalized() const
{
    if (m_finalized)
        throw DbError(explanation(kSqliteIoError));
}

void RowWriter::check(int result)
{
    checkNotFinalized();
    if (result != SQLITE_OK)
        throw DbError(sqliteErrorText(sqliteHandle(connection()), m_table));
}

void RowWriter::appendInteger(qint64 value)
{
    check(sqlite3_bind_int64(static_cast<sqlite3_stmt*>(m_current), ++m_cell, value));
}

void RowWriter::appendReal(double value)
{
    check(sqlite3_bind_double(static_cast<sqlite3_stmt*>(m_current), ++m_cell, value));
}

void RowWriter::appendText(const char* utf8, int bytes)
{
    check(sqlite3_bind_text(static_cast<sqlite3_stmt*>(m_current), ++m_cell, utf8, bytes, SQLITE_STATIC));
}

void RowWriter::appendCell(const RecordSet& from, int row, int field)
{
    const RecordSet::Cell cell = from.cell(row, field);
    switch (cell.kind) {
    case RecordSet::Cell::Null: appendNull(); break;
    case RecordSet::Cell::Integer: appendInteger(cell.integer); break;
    case RecordSet::Cell::Real: appendReal(cell.real); break;
    case RecordSet::Cell::Text: appendText(cell.utf8, cell.bytes); break;
    case RecordSet::Cell::Other:
        bindValue(sqliteHandle(connection()), static_cast<sqlite3_stmt*>(m_current), ++m_cell, from.value(row, field), m_table);
        break;
    }
}

void RowWriter::endRow()
{
    checkNotFinalized();
    if (!m_current || m_cell % m_columns != 0 || m_cell > m_cellsInStatement)
        throw DbError(QStringLiteral("Parameter count mismatch\n") + m_table);
    if (m_cell < m_cellsInStatement)
        return;
    auto* prepared = static_cast<sqlite3_stmt*>(m_current);
    checkChangeStillOpen(sqlite3_db_handle(prepared));
    if (sqlite3_step(prepared) != SQLITE_DONE) {
        sqlite3* db = sqlite3_db_handle(prepared);
        if (sqlite3_extended_errcode(db) == kSqliteReadOnlyDbMoved)
            g_booksMoved = true;
        const QString text = sqliteErrorText(db, m_table);
        sqlite3_reset(prepared);
        throw DbError(text);
    }
    sqlite3_reset(prepared);
    sqlite3_clear_bindings(prepared);
    startStatement();
}

void RowWriter::finish()
{
    checkNotFinalized();
    if (m_current)
        throw DbError(QStringLiteral("Parameter count mismatch\n") + m_table);
}

void clearWorkTable(const QString& statement)
{
    const int before = scalar(QStringLiteral("PRAGMA secure_delete")).toInt();
    execute(QStringLiteral("PRAGMA secure_delete=FAST"));
    try {
        execute(statement);
    } catch (...) {
        execute(QStringLiteral("PRAGMA secure_delete=%1").arg(before));
        throw;
    }
    execute(QStringLiteral("PRAGMA secure_delete=%1").arg(before));
}

namespace {

QVariant firstCell(const RecordSet& rows)
{
    if (rows.isEmpty() || rows.fieldCount() == 0)
        return {};
    return rows.value(0, 0);
}

}  // namespace

QVariant scalar(const QString& statement, const QVariantList& values)
{
    return firstCell(openRecordset(statement, values));
}

QVariant scalar(const QString& statement, const QVariantMap& values)
{
    return firstCell(openRecordset(statement, values));
}

DatabaseFileCheck checkDatabaseFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {DatabaseFileState::Missing, {}};
    if (!info.isReadable())
        return {DatabaseFileState::NoAccess, {}};
    // An empty file opens as an empty database; for the books it is a damaged one.
    if (info.size() == 0)
        return {DatabaseFileState::Damaged, QStringLiteral("文件是空的(0 字节)")};

    const QString name = QStringLiteral("qm505-check");
    DatabaseFileCheck result{DatabaseFileState::Usable, {}};
    {
        // A journal left by a program that died is rolled back on opening, as on any start, and
        // only a connection that may write can do it; a file that cannot be written is only read.
        // The check itself writes nothing.
        const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setConnectOptions((writable ? QStringLiteral("QSQLITE_OPEN_URI;") : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;"))
                             + kBusyWait);
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)
                           + (writable ? QStringLiteral("?mode=rw") : QStringLiteral("?mode=ro")));
        const auto fail = [&result](const QSqlError& error) {
            result = {isBusy(error) ? DatabaseFileState::Busy : DatabaseFileState::Damaged, databaseText(error)};
        };
        if (!db.open()) {
            fail(db.lastError());
        } else {
            QSqlQuery query(db);
            // The version first: a later program may have changed what the other checks look at.
            if (!query.exec(QStringLiteral("PRAGMA user_version"))) {
                fail(query.lastError());
            } else if (query.next() && query.value(0).toInt() > SchemaVersion::Latest) {
                result = {DatabaseFileState::Newer, query.value(0).toString()};
            } else if (!query.exec(QStringLiteral("PRAGMA quick_check"))) {
                fail(query.lastError());
            } else if (query.next() && query.value(0).toString() != QStringLiteral("ok")) {
                result = {DatabaseFileState::Damaged, query.value(0).toString()};
            } else if (!query.exec(QStringLiteral("SELECT count(*) FROM 信息表 WHERE 代号='QM'"))) {
                fail(query.lastError());
            } else if (!query.next() || query.value(0).toInt() == 0) {
                result = {DatabaseFileState::Damaged, QStringLiteral("信息表中没有设置行")};
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

namespace {

int runOn(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Clears a journal SQLite ignores, with the write lock `db` holds (so no other change is under
// way): a commit that changes nothing writes a journal of its own in its place and deletes it,
// as any commit does. The lock is taken again after; the result is SQLite's.
int clearIgnoredJournal(sqlite3* db, const QString& journal)
{
    sqlite3_stmt* statement = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    int result = runOn(db, QByteArray("PRAGMA user_version=" + QByteArray::number(version)).constData());
    if (result == SQLITE_OK)
        result = runOn(db, "COMMIT");
    // The journal is gone once the commit deleted it, even when the folder could not be synced after.
    if (result == SQLITE_IOERR_DIR_FSYNC && !QFileInfo::exists(journal))
        std::fprintf(stderr, "QM505: %s cleared, but its folder could not be synced to the disk\n",
                     qUtf8Printable(QDir::toNativeSeparators(journal)));
    if (result != SQLITE_OK && result != SQLITE_IOERR_DIR_FSYNC)
        return result;
    if (!sqlite3_get_autocommit(db))
        runOn(db, "ROLLBACK");
    return runOn(db, "BEGIN IMMEDIATE");
}

}  // namespace

HeldBooksFile::HeldBooksFile(const QString& path)
    : m_path(path)
{
    const QString journal = journalOf(path);
    sqlite3* db = nullptr;
    int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    m_db = db;
    if (result == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyWaitMs);
        // Clearing a journal is a commit like any other: on the disk before it counts.
        runOn(db, "PRAGMA synchronous=EXTRA");
        // Taking the write lock reads the file first, and that plays a hot journal back.
        result = runOn(db, "BEGIN IMMEDIATE");
    }
    if (result == SQLITE_OK && QFileInfo::exists(journal))
        result = clearIgnoredJournal(db, journal);
    if (result == SQLITE_OK)
        return;
    if (db)
        std::fprintf(stderr, "QM505: %s: %s\n", qUtf8Printable(QDir::toNativeSeparators(path)), sqlite3_errmsg(db));
    const int primary = result & 0xff;
    const bool journalLeft = QFileInfo::exists(journal);
    if (primary == kSqliteBusy || primary == kSqliteLocked)
        m_state = State::InUse;
    else if (!journalLeft)
        // Nothing stands beside the file, so it is all there is of the books, whatever SQLite
        // makes of it (damaged books are still copied, or replaced by a backup).
        m_state = State::Whole;
    else if (primary == kSqliteReadOnly || primary == kSqliteCantOpen
             || !QFileInfo(QFileInfo(path).absolutePath()).isWritable())
        m_state = State::NotWritable;
    else
        m_state = State::HalfWritten;
}

HeldBooksFile::~HeldBooksFile()
{
    auto* db = static_cast<sqlite3*>(m_db);
    if (db && !sqlite3_get_autocommit(db))
        runOn(db, "ROLLBACK");
    if (sqlite3_close(db) != SQLITE_OK)
        std::fprintf(stderr, "QM505: %s could not be closed\n", qUtf8Printable(QDir::toNativeSeparators(m_path)));
}

QString HeldBooksFile::explanation() const
{
    switch (m_state) {
    case State::Whole:
        return QString();
    case State::InUse:
        return QStringLiteral("数据库正被另一个程序使用，它的修改还没有完成。请关闭那个程序后再试。");
    case State::HalfWritten:
        return QStringLiteral("数据库文件中有一次没有完成的修改，现在无法撤销，磁盘可能出了故障。");
    case State::NotWritable:
        return QStringLiteral("数据库文件旁有一次没有完成的修改留下的日志文件，但数据库文件或它所在的文件夹 %1 不能写入，无法处理它。")
            .arg(QDir::toNativeSeparators(QFileInfo(m_path).absolutePath()));
    }
    return QString();
}

QString journalOf(const QString& path)
{
    return path + QStringLiteral("-journal");
}

bool isDatabaseOfThisProgram(const QString& path)
{
    return checkDatabaseFile(path).state == DatabaseFileState::Usable;
}

QString newerBooksText(const QString& path)
{
    return QStringLiteral("这个帐套文件是由更新版本的本程序建立的，本程序不能使用它:\n%1\n"
                          "请用建立它的那个版本(或更新的版本)的程序打开。这个文件没有被改动。")
        .arg(QDir::toNativeSeparators(path));
}

void createDatabaseFile(const QString& path, const std::function<void()>& fill)
{
    const QString partial = path + QStringLiteral(".new");
    closeConnection();
    if (!makePrivateFolder(QFileInfo(path).absolutePath()) || !createPrivateFile(partial))
        throw DbError(QStringLiteral("无法建立数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    try {
        openFile(partial, true);
        Transaction transaction;
        fill();
        transaction.commit();
        closeConnection();
    } catch (...) {
        closeConnection();
        QFile::remove(partial);
        throw;
    }
    // A journal whose books are gone would be played into the new ones.
    if (!QFileInfo::exists(path))
        QFile::remove(journalOf(path));
    // New books hold nothing yet that a power cut could lose: an unconfirmed folder is only logged.
    if (replaceDurably(partial, path) == Replacement::Failed) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("无法建立数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    }
    adoptBooksFile();
}

void noteUnconfirmedSave()
{
    g_unconfirmedSave = true;
}

QString takeUnconfirmedSaveWarning()
{
    if (!std::exchange(g_unconfirmedSave, false))
        return QString();
    return QStringLiteral("修改已经保存，但磁盘没有确认它已经写好(同步文件夹时出错)，磁盘可能出了故障。"
                          "建议马上做一次数据备份。");
}

ViewWork::ViewWork()
{
    ++g_viewWork;
}

ViewWork::~ViewWork()
{
    --g_viewWork;
}

Transaction::Transaction()
{
    if (g_transactionDepth == 0) {
        // runStatement first ends any transaction left behind, so this one is the outermost.
        execute(QStringLiteral("BEGIN"));
        g_transactionSpoiled = false;
    } else {
        m_name = QStringLiteral("qm_%1").arg(g_transactionDepth + 1);
        execute(QStringLiteral("SAVEPOINT ") + m_name);
    }
    m_generation = g_connectionGeneration;
    ++g_transactionDepth;
}

bool Transaction::isLive() const
{
    return m_generation == g_connectionGeneration && isConnectionOpen();
}

Transaction::~Transaction()
{
    if (m_done || !isLive())
        return;
    m_done = true;
    if (!m_name.isEmpty()) {
        --g_transactionDepth;
        sqlite3* db = sqliteHandle(QSqlDatabase::database(kConnectionName, false));
        const QByteArray name = m_name.toUtf8();
        if (sqlite3_exec(db, ("ROLLBACK TO " + name).constData(), nullptr, nullptr, nullptr) != SQLITE_OK
            || sqlite3_exec(db, ("RELEASE " + name).constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            g_transactionSpoiled = true;
        return;
    }
    rollBackEverything();
}

void Transaction::commit()
{
    if (m_done)
        return;
    if (!isLive())
        throw DbError(explanation(kSqliteIoError));
    if (!m_name.isEmpty()) {
        execute(QStringLiteral("RELEASE ") + m_name);
        m_done = true;
        --g_transactionDepth;
        return;
    }
    if (g_transactionSpoiled)
        throw DbError(explanation(kSqliteIoError));
    try {
        execute(QStringLiteral("COMMIT"));
    } catch (const DbError&) {
        // This transaction's own journal: the change held the write lock from its first write.
        if (!savedPastCommitPoint(sqliteHandle(QSqlDatabase::database(kConnectionName, false))))
            throw;
    }
    // Only a transaction that has ended is on the disk.
    if (inTransaction(QSqlDatabase::database(kConnectionName, false)))
        throw DbError(explanation(kSqliteIoError));
    m_done = true;
    g_transactionDepth = 0;
}

}  // namespace qm

#include "database.h"

#include "db_error.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <memory>
#include <sqlite3.h>

namespace qm {

namespace {

const QString kConnectionName = QStringLiteral("qm505");
QString g_programFolder;
int g_transactionDepth = 0;

QString errorText(const QSqlError& error, const QString& statement)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    if (!statement.isEmpty())
        text += QStringLiteral("\n") + statement;
    return text;
}

void openFile(const QString& path, bool create)
{
    closeConnection();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)
                       + (create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw")));
    if (!db.open()) {
        const QString text = QStringLiteral("无法打开数据库 %1\n%2")
                                 .arg(QDir::toNativeSeparators(path), errorText(db.lastError(), {}));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        throw DbError(text);
    }
    // One self-contained file, so that a copy of it is a whole backup.
    QSqlQuery(QStringLiteral("PRAGMA journal_mode=DELETE"), db).finish();
}

QSqlDatabase connection()
{
    openConnection();
    return QSqlDatabase::database(kConnectionName, false);
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    sqlite3* sqlite = handle.isValid() ? *static_cast<sqlite3* const*>(handle.constData()) : nullptr;
    if (!sqlite)
        throw DbError(QStringLiteral("数据库没有打开"));
    return sqlite;
}

QString sqliteErrorText(sqlite3* db, const QString& statement)
{
    return QString(static_cast<const QChar*>(sqlite3_errmsg16(db))) + QStringLiteral("\n") + statement;
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
    if (!QFileInfo::exists(path))
        throw DbError(QStringLiteral("找不到数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    openFile(path, false);
    createMissingIndexes();
    return true;
}

void closeConnection()
{
    if (!QSqlDatabase::contains(kConnectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(kConnectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    g_transactionDepth = 0;
}

bool isConnectionOpen()
{
    return QSqlDatabase::contains(kConnectionName)
           && QSqlDatabase::database(kConnectionName, false).isOpen();
}

namespace {

// Runs one statement on the connection's SQLite handle, its values bound in order; the rows of
// a statement that returns columns go straight into `rows`, with no QVariant per cell on the
// way. Returns the number of columns.
int runStatement(const QString& statement, const QVariantList& values, RecordSet* rows)
{
    const QString sql = statement.trimmed();
    sqlite3* db = sqliteHandle(connection());
    sqlite3_stmt* prepared = nullptr;
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int((sql.size() + 1) * sizeof(QChar)), &prepared, &tail) != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw DbError(sqliteErrorText(db, sql));
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalizer(prepared, sqlite3_finalize);
    if (tail && !QString(static_cast<const QChar*>(tail)).trimmed().isEmpty())
        throw DbError(QStringLiteral("Unable to execute multiple statements at a time\n") + sql);
    if (sqlite3_bind_parameter_count(prepared) != values.size())
        throw DbError(QStringLiteral("Parameter count mismatch\n") + sql);
    for (int i = 0; i < values.size(); ++i)
        bindValue(db, prepared, i + 1, values[i], sql);

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
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(prepared, i)) {
            case SQLITE_NULL: rows->appendNull(); break;
            case SQLITE_INTEGER: rows->appendInteger(sqlite3_column_int64(prepared, i)); break;
            case SQLITE_FLOAT: rows->appendReal(sqlite3_column_double(prepared, i)); break;
            case SQLITE_BLOB:
                rows->appendOther(QByteArray(static_cast<const char*>(sqlite3_column_blob(prepared, i)),
                                             sqlite3_column_bytes(prepared, i)));
                break;
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(prepared, i));
                rows->appendText(text, sqlite3_column_bytes(prepared, i));
            }
            }
        }
        rows->endRow();
    }
    if (step != SQLITE_DONE)
        throw DbError(sqliteErrorText(db, sql));
    return columns;
}

}  // namespace

RecordSet openRecordset(const QString& statement, const QVariantList& values)
{
    RecordSet rows;
    return runStatement(statement, values, &rows) == 0 ? RecordSet() : rows;
}

int execute(const QString& statement, const QVariantList& values)
{
    runStatement(statement, values, nullptr);
    return sqlite3_changes(sqliteHandle(connection()));
}

QVariant scalar(const QString& statement, const QVariantList& values)
{
    const RecordSet rows = openRecordset(statement, values);
    if (rows.isEmpty() || rows.fieldCount() == 0)
        return {};
    return rows.value(0, 0);
}

bool isDatabaseOfThisProgram(const QString& path)
{
    const QString name = QStringLiteral("qm505-check");
    bool ok = false;
    if (QFileInfo::exists(path)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro"));
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(QStringLiteral("SELECT count(*) FROM 信息表 WHERE 代号='QM'")) && query.next()
                 && query.value(0).toInt() > 0;
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

void createDatabaseFile(const QString& path, const std::function<void()>& fill)
{
    const QString partial = path + QStringLiteral(".new");
    closeConnection();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(partial);
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
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("无法建立数据库文件 %1").arg(QDir::toNativeSeparators(path)));
    }
}

Transaction::Transaction()
    : m_name(QStringLiteral("qm_%1").arg(g_transactionDepth + 1))
{
    execute(QStringLiteral("SAVEPOINT ") + m_name);
    ++g_transactionDepth;
}

Transaction::~Transaction()
{
    if (m_done || !isConnectionOpen())
        return;
    --g_transactionDepth;
    QSqlQuery query(QSqlDatabase::database(kConnectionName, false));
    query.exec(QStringLiteral("ROLLBACK TO ") + m_name);
    query.exec(QStringLiteral("RELEASE ") + m_name);
}

void Transaction::commit()
{
    if (m_done)
        return;
    execute(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
    --g_transactionDepth;
}

}  // namespace qm

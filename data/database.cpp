#include "database.h"

#include "db_error.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

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

QSqlQuery run(const QString& statement, const QVariantList& values)
{
    const QString sql = statement.trimmed();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DbError(errorText(query.lastError(), sql));
    for (const QVariant& value : values) {
        // A null value read from the database stays NULL; a box's null text is empty text.
        if (!value.isNull() && value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QStringLiteral(""));
        else
            query.addBindValue(value);
    }
    if (!query.exec())
        throw DbError(errorText(query.lastError(), sql));
    return query;
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

RecordSet openRecordset(const QString& statement, const QVariantList& values)
{
    QSqlQuery query = run(statement, values);
    if (!query.isSelect())
        return {};
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (query.next()) {
        QVector<QVariant> row(record.count());
        for (int i = 0; i < record.count(); ++i)
            row[i] = query.value(i);
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        throw DbError(errorText(query.lastError(), statement.trimmed()));
    return RecordSet(std::move(names), std::move(rows));
}

int execute(const QString& statement, const QVariantList& values)
{
    return run(statement, values).numRowsAffected();
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

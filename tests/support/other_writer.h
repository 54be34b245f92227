#pragma once

// Another program writing to the books: a connection of its own that holds the database's write
// lock for as long as it lives; an exclusive one keeps readers out as well.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace qm::test {

class OtherWriter {
public:
    explicit OtherWriter(const QString& path, bool exclusive = false)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE")));
    }
    ~OtherWriter()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(kName, false);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(kName);
    }
    OtherWriter(const OtherWriter&) = delete;
    OtherWriter& operator=(const OtherWriter&) = delete;

private:
    static inline const QString kName = QStringLiteral("other-writer");
};

}  // namespace qm::test

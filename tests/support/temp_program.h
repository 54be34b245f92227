#pragma once

// A program folder of its own for one test, with a fresh database in QMDK.

#include "data/database.h"
#include "data/schema.h"

#include <QTemporaryDir>
#include <QtTest>

namespace qm::test {

class TempProgram {
public:
    explicit TempProgram(bool withDatabase = true)
    {
        QVERIFY2(m_dir.isValid(), "no temporary folder");
        setProgramFolder(m_dir.path());
        if (withDatabase)
            ensureDatabase();
    }
    ~TempProgram() { closeConnection(); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

}  // namespace qm::test

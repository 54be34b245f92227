#pragma once

// The test object every books test derives from, apart from common.h: its meta-object code,
// built into every test program, then depends on these few headers only.

#include "data/database.h"
#include "data/schema.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace qm::test {

// A program folder of its own for one test, with a fresh database in QMDK unless told not to.
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

// A test object whose every test function runs in a program folder of its own (programFolder()),
// on a fresh database.
class BooksTest : public QObject {
    Q_OBJECT

protected:
    // What a kind of test sets up besides, before each test function.
    virtual void prepare() {}

protected slots:
    void init()
    {
        m_program.emplace();
        prepare();
    }
    void cleanup() { m_program.reset(); }

private:
    std::optional<TempProgram> m_program;
};

}  // namespace qm::test

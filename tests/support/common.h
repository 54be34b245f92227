#pragma once

// What every test file uses: the test library, small books on a fresh database of its own,
// the message recorder, and short names.

#include "data/db_error.h"
#include "data/login.h"
#include "data/schema.h"
#include "support/books.h"
#include "support/message_recorder.h"

#include <QtTest>

#include <optional>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace qm::test {

// The year the books of most tests are kept in.
inline constexpr int kYear = 2016;

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

#pragma once

// A test object whose every test function runs in a program folder of its own (programFolder()),
// on a fresh database.

#include "support/temp_program.h"

#include <QObject>

#include <optional>

namespace qm::test {

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

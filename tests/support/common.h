#pragma once

// What every test file uses: the test library, small books on a fresh database of its own,
// the message recorder, and short names.

#include "data/db_error.h"
#include "data/login.h"
#include "data/schema.h"
#include "support/books.h"
#include "support/books_test.h"
#include "support/message_recorder.h"

#include <QtTest>

using namespace qm;
using namespace qm::test;
using namespace Qt::StringLiterals;

namespace qm::test {

// The year the books of most tests are kept in.
inline constexpr int kYear = 2016;

}  // namespace qm::test

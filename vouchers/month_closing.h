#pragma once

// Month closing carries the month's income and expense to 4103 with a generated closing voucher
// and marks the month closed; reverse closing removes that voucher and reopens the month.

#include "data/message.h"

#include <QDate>

namespace qm {

// `date` is the voucher window's date: its month is closed, its year must be the open year.
ChangeCheck checkCloseMonth(const QDate& date, const QString& reviewer, int year);
struct ClosingResult {
    bool carried = false;  // false: nothing to carry, the month is closed all the same
    Message message;
};
// Closes the month in one transaction.
ClosingResult closeMonth(const QDate& date, const QString& reviewer, const QString& preparer, int year);

ChangeCheck checkReopenMonth(int month, int year);
void reopenMonth(int month, int year);

}  // namespace qm

#pragma once

// The year-end carry-forward of every account's closing balance into the next year's opening
// rows, and clearing a year.

#include "data/message.h"

#include <QString>
#include <optional>

namespace qm {

std::optional<Message> checkCarryForward(int year);
Message carryForwardQuestion();
// In one transaction: replaces the opening rows of year + 1 by the closing balances of `year`
// (accounts whose balance is not 0.00), and makes year + 1 the open year of the settings row.
void carryForward(int year);

Message clearYearQuestion(int year);
Message clearYearLastQuestion(int year);
// Deletes every row of the year's entry table and the opening values of the chart.
void clearYear(int year);

}  // namespace qm

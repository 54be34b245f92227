#pragma once

// Saving, inserting, modifying and deleting a voucher of the month, with the renumbering that
// keeps the month's numbers 1, 2, ... without gaps. Each change is one transaction.

#include "voucher_book.h"
#include "data/message.h"
#include "data/money.h"

#include <optional>

namespace qm {

enum class VoucherChange { Save, Insert, Modify, Delete };

// A voucher line as it is written: read once from the grid's text.
struct VoucherLine {
    QString summary;
    QString accountCode;
    std::optional<double> quantity;
    std::optional<Money> debit;
    std::optional<Money> credit;
    QString cashFlowCode;
    std::optional<Money> cashFlowAmount;
};

// The grid's rows read as lines: every row with an account, in order, blank rows skipped. A
// cell that does not read as a number refuses the voucher; `rowWithoutAccount` is the first row
// (numbered from 1) that holds something but has no account, 0 when there is none.
struct ParsedLines {
    QVector<VoucherLine> lines;
    int rowWithoutAccount = 0;
    std::optional<Message> refusal;
};
ParsedLines parseVoucherLines(const QVector<VoucherLineText>& rows);

// The voucher as the window holds it.
struct VoucherDraft {
    QDate date;
    QString word;
    QString numberText;
    QString attachmentsText;
    QString reviewer;
    QString firstSummary;  // column 1 of row 1, whether or not the row has an account
    QVector<VoucherLine> lines;
    int rowWithoutAccount = 0;
};

// The refusal of the first test that fails, or the confirmation question (insert, modify,
// delete), or neither (save).
ChangeCheck checkVoucherChange(VoucherChange change, const VoucherDraft& draft, int year);

struct VoucherChangeDone {
    QString numberText;  // the number box afterwards
    Message message;
};
// Carries the change out; a draft that the checks refuse throws and changes nothing.
VoucherChangeDone applyVoucherChange(VoucherChange change, const VoucherDraft& draft, int year,
                                     const QString& preparer);

// The ten-character key of a voucher line.
QString entryId(int month, int number, int line);

}  // namespace qm

#pragma once

// Saving, inserting, modifying and deleting a voucher of the month, with the renumbering that
// keeps the month's numbers 1, 2, ... without gaps. Each change is one transaction.

#include "voucher_book.h"
#include "data/message.h"

namespace qm {

enum class VoucherChange { Save, Insert, Modify, Delete };

// The voucher as the window holds it: the header boxes and the grid rows from row 1 down to the
// first row without an account.
struct VoucherDraft {
    QDate date;
    QString word;
    QString numberText;
    QString attachmentsText;
    QString reviewer;
    QString firstSummary;  // column 1 of row 1, whether or not the row has an account
    QVector<VoucherLineText> lines;
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

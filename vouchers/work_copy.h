#pragma once

// 分录始表, the working copy of voucher lines: paging copies a stored voucher into it, and the
// generated vouchers (month closing, exchange adjustment) are assembled in it and appended to
// the year's entry table.

#include <QDate>
#include <QString>
#include <QVariant>

namespace qm {

void clearWorkCopy();
int workCopyLineCount();
// Copies voucher `number` of the month into the emptied working copy.
void copyVoucherToWorkCopy(int year, int month, int number);

// Removes lines whose amounts come to nothing at the cent.
void dropEmptyWorkCopyLines();

struct GeneratedVoucherHeader {
    QDate date;
    QString word;
    int number = 0;
    QString summary;
    QString reviewer;
    QString preparer;
    QVariant closingMark;  // 2 on a closing voucher, NULL otherwise
};
// Gives every line with an account the header, and the key "8", month, number, and the last
// three digits of the line's QMID.
void stampWorkCopy(const GeneratedVoucherHeader& header);
// Appends the working copy to the year's entry table.
void appendWorkCopy(int year);

}  // namespace qm

#pragma once

// What the voucher window reads from the year's entry table: the month to open on, voucher
// numbers, the month's cash balance, and one voucher loaded into 分录始表 by paging.

#include "data/message.h"
#include "data/money.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

namespace qm {

// The last month that has entries, January when the year has none.
int lastMonthWithEntries(int year);
// The month's largest voucher number, 0 when it has none.
int lastVoucherNumber(int year, int month);

// The month's largest 结帐, 0 while the month is open.
int monthClosedMark(int year, int month);

struct MonthState {
    int lastNumber = 0;  // the largest voucher number, 0 when none
    int closedMark = 0;  // the largest 结帐, 0 while the month is open
};
MonthState monthState(int year, int month);

// Balance of every account under 1001 from the opening rows up to the end of the month.
Money monthCashBalance(int year, int month);
// "5月现余:12,345.60"
QString monthCashLine(int month, Money balance);

// One paging step. The box takes `numberText` when it is set; a refusal is shown and ends the
// step; otherwise a voucher copy was attempted and the window loads what 分录始表 holds.
struct PageStep {
    std::optional<QString> numberText;
    std::optional<Message> refusal;
};
PageStep pageFirst(int year, int month);
PageStep pagePrevious(int year, int month, const QString& numberText);
PageStep pageNext(int year, int month, const QString& numberText);
PageStep pageLast(int year, int month);

// The number in a box read as the window reads it: its leading number, 0 when there is none,
// 999999999 (or its negative) when it has more digits than a number holds.
int leadingNumber(const QString& text);

struct VoucherLineText {
    QString summary;
    QString account;  // code, one blank, full name
    QString quantity;
    QString debit;
    QString credit;
    QString cashFlowCode;
    QString cashFlowAmount;
};

struct LoadedVoucher {
    QDate date;
    QString word;
    QString number;
    QString attachments;
    QString preparer;
    QString reviewer;
    QVector<VoucherLineText> lines;  // in ID order; lines whose account left the chart are not shown
};
// The voucher held in 分录始表, nothing when it is empty.
std::optional<LoadedVoucher> loadedVoucher();

}  // namespace qm

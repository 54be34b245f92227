#pragma once

// The period-end exchange adjustment: the accounts flagged 调汇 are revalued at typed rates and
// the differences posted as one generated voucher against a profit-and-loss account.

#include "data/message.h"

#include <QDate>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace qm {

// What the voucher window hands to the adjustment window.
struct ExchangeVoucherHeader {
    QDate date;
    QString word;
    int number = 0;  // the month's next free number at the start
    QString operatorName;
};

// Refusals before the start; `numberText` is the voucher window's number box.
std::optional<Message> checkStartExchangeAdjustment(int year, int month, const QString& numberText);
// Refills 调汇 with the flagged accounts whose quantity or amount up to the month is not 0.
void fillExchangeTable(int year, int month);

struct ExchangeRow {
    int id = 0;
    QString code;
    QString fullName;
    QVariant quantity;
    QVariant bookAmount;
    QVariant rate;
    QVariant adjustedAmount;
    QVariant difference;
};
std::vector<ExchangeRow> exchangeRows();
// Stores a value typed into the table: 数量, 调整前金额, 汇率, 调整后金额 or 损益 (NULL when empty).
void setExchangeValue(int id, const QString& column, const QVariant& value);
// 调整后金额 = 数量 × 汇率 and 损益 = 调整前金额 − 调整后金额 for every row; "没有数据" when empty.
std::optional<Message> computeExchangeDifferences();

// "代码 全称" of every leaf account of class 6.
QStringList profitAndLossAccountEntries();

ChangeCheck checkPostExchangeVoucher(const QString& accountEntry);
struct PostingResult {
    bool posted = false;
    Message message;
};
// Posts the differences in one transaction: the chosen account debited with their total, each
// flagged account credited with its own; lines that come to 0.00 are left out.
PostingResult postExchangeVoucher(const ExchangeVoucherHeader& header, const QString& accountEntry, int year);

}  // namespace qm

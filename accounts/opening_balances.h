#pragma once

// Opening balances: typed into the leaf accounts of the chart, tested by a trial balance, loaded
// as the year's opening rows (IDs "800…"), fetched back into 分录始表 for editing and rewritten.

#include "data/message.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace qm {

struct TrialBalance {
    QString debitText;   // "#,0.00"
    QString creditText;
    bool balanced = false;  // the two totals agree as shown, to the cent
};
TrialBalance trialBalanceOfChart();
TrialBalance trialBalanceOfWorkCopy();

struct OpeningAccount {
    QString code;
    QString fullName;
    QString direction;
    QVariant quantity;
    QVariant debit;
    QVariant credit;
};
// The leaf accounts with their opening values, in code order.
std::vector<OpeningAccount> openingAccounts();
// Column is 数量, 借方金额 or 贷方金额; an empty value is NULL. A quantity with more than three
// decimals throws: it is never stored.
void setOpeningValue(const QString& code, const QString& column, const QVariant& value);

struct OpeningRow {
    int lineId = 0;  // QMID in 分录始表
    QString code;
    QString fullName;
    QVariant quantity;
    QVariant debit;
    QVariant credit;
};
// Copies the year's opening rows whose account is in the chart into the emptied 分录始表.
void fetchOpeningRows(int year);
std::vector<OpeningRow> fetchedOpeningRows();
void setFetchedOpeningValue(int lineId, const QString& column, const QVariant& value);

// What loading or rewriting does before it acts: `modeReady` says the grid shows the right rows.
// A row to be written whose quantity has more than three decimals is refused, named.
ChangeCheck checkOpeningRowsChange(bool rewrite, bool modeReady, const TrialBalance& balance);
// Replaces the year's opening rows, in one transaction, by the rows of the chart (loading) or of
// 分录始表 (rewriting) that carry a debit or a credit; throws, changing nothing, when one of them
// has a quantity with more than three decimals. Returns the success message.
Message loadOpeningRows(int year);
Message rewriteOpeningRows(int year);

// "800" and a seven-digit running number.
QString openingRowId(int number);

}  // namespace qm

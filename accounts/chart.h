#pragma once

// Maintaining the chart of accounts: sub-accounts, renaming, deleting, level-1 accounts, and the
// unit and exchange flag of leaf accounts. Each change is one transaction.

#include "data/message.h"
#include "data/number_format.h"

#include <QString>
#include <optional>
#include <vector>

namespace qm {

struct Account {
    QString code;
    QString name;
    QString fullName;
    QString direction;
    int level = 0;
};

// The account whose code is exactly `code`.
std::optional<Account> findAccount(const QString& code);

struct NewSubAccount {
    QString parentCode;
    QString digits;  // the three digits the new code adds
    QString name;
    QString direction;
};
// Asks first when the parent, still a leaf, has entries in the year's entry table.
ChangeCheck checkAddSubAccount(const NewSubAccount& account, int year);
// Moves the parent's entries of the year to the new account, makes the parent a non-leaf
// without opening values, and inserts the new leaf.
void addSubAccount(const NewSubAccount& account, int year);
// The digits of the next sibling: "009" gives "010", "999" gives "1000".
QString nextSiblingDigits(const QString& digits);

ChangeCheck checkRenameAccount(const QString& code, const QString& newName, const QString& direction);
// New name and direction; the full names of the account and of all its descendants follow.
void renameAccount(const QString& code, const QString& newName, const QString& direction);

ChangeCheck checkDeleteAccount(const QString& code, int year);
// Deletes the account with its descendants; the parent is a leaf again once it has no
// sub-account left. Refuses, as the check does, an account with entries in the year.
void deleteAccount(const QString& code, int year);

struct NewLevel1Account {
    QString code;
    QString name;
    QString direction;
};
ChangeCheck checkAddLevel1Account(const NewLevel1Account& account);
void addLevel1Account(const NewLevel1Account& account);

// The leaf accounts with the two columns that are edited in place.
struct LeafAccount {
    QString code;
    QString fullName;
    QString unit;
    QString exchangeFlag;
};
std::vector<LeafAccount> leafAccounts();
void setLeafUnitAndFlag(const QString& code, const QString& unit, const QString& exchangeFlag);
// The exchange flag as typed: "Y" in either case, or nothing; anything else is refused.
TypedValue readExchangeFlag(const QString& text);

}  // namespace qm

#pragma once

// The rows a new database ships with: the level-1 chart of accounts, the cash-flow items,
// the five statement definitions with their formulas, and a few summary phrases.

#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

struct ShippedAccount {
    QString code;       // four digits, first digit the class
    QString name;       // also the full name at level 1
    QString direction;  // "借" or "贷"
};

// One row of 资产表05 / 资产表07. An empty caption or formula is stored as NULL,
// a right-hand line number of 0 as NULL.
struct BalanceSheetLine {
    int leftLine;           // 行次1
    QString leftCaption;    // 资产
    QString leftFormula;    // 公式1
    QString rightCaption;   // 负债及所有者权益
    int rightLine;          // 行次2
    QString rightFormula;   // 公式2
};

// One row of 利润表05 / 利润表07 / 现流表.
struct StatementLine {
    int line;         // 行次
    QString caption;  // 项目
    QString formula;  // 公式
};

struct CashFlowItem {
    QString code;  // three characters
    QString name;
};

const std::vector<ShippedAccount>& shippedAccounts();
const std::vector<CashFlowItem>& shippedCashFlowItems();
const std::vector<BalanceSheetLine>& shippedBalanceSheet05();
const std::vector<BalanceSheetLine>& shippedBalanceSheet07();
const std::vector<StatementLine>& shippedIncomeStatement05();
const std::vector<StatementLine>& shippedIncomeStatement07();
const std::vector<StatementLine>& shippedCashFlowStatement();
const QStringList& shippedSummaryPhrases();

}  // namespace qm

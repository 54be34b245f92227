#pragma once

// The views of the query centre, numbered as the query centre keeps them.

namespace qm {

enum class LedgerView {
    None = 0, Journal = 1, AccountSummary = 2, AmountBalance = 3, QuantityBalance = 4, DetailLedger = 5,
    GeneralLedger = 6, QuantityLedger = 7, MultiColumnLedger = 8, FixedAssetLedger = 9
};

}  // namespace qm

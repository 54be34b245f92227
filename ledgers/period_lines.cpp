#include "period_lines.h"

#include "ledger_keys.h"

namespace qm {

namespace {

template <typename T>
void addTo(std::optional<T>& sum, const std::optional<T>& value)
{
    // From zero, in period order, as the database's running sum over the periods adds.
    if (value)
        sum = sum.value_or(T{}) + *value;
}

}  // namespace

std::vector<PeriodLine> monthAndYearLines(const std::map<QByteArray, PeriodSums>& periods, const QByteArray& monthSuffix,
                                          const QByteArray& yearSuffix)
{
    std::vector<PeriodLine> lines;
    if (periods.empty())
        return lines;
    if (!monthSuffix.isEmpty()) {
        for (const auto& [period, sums] : periods)
            lines.push_back({period + monthSuffix, monthTotalLabel(), sums});
    }
    PeriodSums year;
    year.quantities.resize(periods.begin()->second.quantities.size());
    year.amounts.resize(periods.begin()->second.amounts.size());
    for (const auto& [period, sums] : periods) {
        for (std::size_t column = 0; column < year.quantities.size(); ++column)
            addTo(year.quantities[column], sums.quantities[column]);
        for (std::size_t column = 0; column < year.amounts.size(); ++column)
            addTo(year.amounts[column], sums.amounts[column]);
        lines.push_back({period + yearSuffix, yearToDateLabel(), year});
    }
    return lines;
}

}  // namespace qm

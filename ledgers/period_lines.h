#pragma once

// The month-total and year-to-date lines of the detail ledgers (three-column, general, quantity,
// fixed-asset), made one way from each period key's sums.

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace qm {

// A period's sums: quantities as they add up, amounts in exact thousandths; nothing where no
// line of the period has a value in that column.
struct PeriodSums {
    std::vector<std::optional<double>> quantities;
    std::vector<std::optional<qint64>> amounts;
};

struct PeriodLine {
    QByteArray id;
    QString label;
    PeriodSums sums;
};

// Per period key, in key order, a month total under `monthSuffix` (none when it is empty); then
// per period key the sums of the year so far under `yearSuffix`. Every period holds as many
// quantities and amounts as the first.
std::vector<PeriodLine> monthAndYearLines(const std::map<QByteArray, PeriodSums>& periods, const QByteArray& monthSuffix,
                                          const QByteArray& yearSuffix);

}  // namespace qm

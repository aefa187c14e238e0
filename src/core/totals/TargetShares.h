#pragma once

#include "core/totals/ChartedTotals.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <vector>

// One nutrient of a row against its daily target, for the "% of target" chart.
struct TargetShare
{
    QString key;
    double value = 0;
    // How many planned foods lack the nutrient: the value and the share are then lower bounds.
    int unknown = 0;
    // The bound the share is of: the minimum, or the maximum where only a maximum is set.
    double bound = 0;
    bool ofMaximum = false;
    double percent = 0;
};

// Where a calculated row stands against the targets, a share per nutrient with a target: of its
// minimum, the amount to reach, and where no minimum above zero is set, of the maximum, the
// amount to keep under. A nutrient without a bound above zero gives no share and is passed over,
// as is one the food table keeps no values of.
class TargetShares
{
    Q_DECLARE_TR_FUNCTIONS(TargetShares)

public:
    // The shares of `row`, the nine first in the grid's order, then the kept nutrients in the
    // catalogue's.
    static std::vector<TargetShare> of(const ChartedTotals& totals, int row);
    // "Sodium: 1900 mg, 83 % of the maximum of 2300 mg" in the grid's number text, with "at least"
    // before a lower bound's value and share, and how many foods lack a value.
    static QString describe(const ChartedTotals& totals, const TargetShare& share, const QLocale& locale = QLocale());
};

#include "core/totals/TargetShares.h"

#include "core/text/NumberText.h"
#include "core/totals/TotalsCalculator.h"

#include <cmath>

std::vector<TargetShare> TargetShares::of(const ChartedTotals& totals, int row)
{
    std::vector<TargetShare> shares;
    // The targets are daily: a row of more days than one has no share of them.
    if (row < 0 || row >= totals.rowCount() || !TotalsCalculator::standsForOneDay(totals.rowLabel(row))) {
        return shares;
    }
    const QStringList nine = ChartedTotals::nineKeys();
    QStringList keys = nine;
    keys += totals.keptNumbers();
    for (const QString& key : keys) {
        const NutrientTargets::Range& range = totals.range(key);
        // A nutrient that is one of the nine, with the same target, has its bar among the nine.
        bool shownAmongTheNine = false;
        for (int n = 0; n < nine.size() && !nine.contains(key); ++n) {
            shownAmongTheNine
                = shownAmongTheNine || (NutrientTargets::catalogueNumber(n) == key && totals.range(nine[n]) == range);
        }
        if (shownAmongTheNine) {
            continue;
        }
        TargetShare share;
        share.key = key;
        if (range.minimum && *range.minimum > 0) {
            share.bound = *range.minimum;
        } else if (range.maximum && *range.maximum > 0) {
            share.bound = *range.maximum;
            share.ofMaximum = true;
        } else {
            continue;
        }
        if (!totals.knows(key)) {
            continue;
        }
        share.value = totals.value(row, key, &share.unknown);
        share.percent = share.value / share.bound * 100;
        shares.push_back(share);
    }
    return shares;
}

QString TargetShares::describe(const ChartedTotals& totals, const TargetShare& share, const QLocale& locale)
{
    const QString unit = totals.unit(share.key);
    auto amount = [&](double value) {
        const QString number = GeneralNumberText(value, locale);
        return unit.isEmpty() ? number : QStringLiteral("%1 %2").arg(number, unit);
    };
    const QString percent = std::isfinite(share.percent) ? locale.toString(std::round(share.percent), 'f', 0)
                                                         : GeneralNumberText(share.percent, locale);
    const QString bound = share.ofMaximum ? tr("%1 % of the maximum of %2").arg(percent, amount(share.bound))
                                          : tr("%1 % of the minimum of %2").arg(percent, amount(share.bound));
    if (share.unknown == 0) {
        return tr("%1: %2, %3").arg(totals.name(share.key), amount(share.value), bound);
    }
    const QString lacking = share.unknown == 1 ? tr("1 planned food lacks a value")
                                               : tr("%1 planned foods lack a value").arg(share.unknown);
    return tr("%1: at least %2, at least %3 (%4)").arg(totals.name(share.key), amount(share.value), bound, lacking);
}

#include "core/totals/ChartedTotals.h"

#include <algorithm>

namespace {

const NutrientTotalsRow* rowNamed(const NutrientTotals& plans, const QString& label)
{
    const auto found = std::find_if(
        plans.rows.begin(), plans.rows.end(), [&label](const NutrientTotalsRow& row) { return row.label == label; });
    return found != plans.rows.end() ? &*found : nullptr;
}

} // namespace

ChartedTotals::ChartedTotals(const TotalsResult& result, const NutrientTotals& nutrients,
    const NutrientTargets& targets, const NutrientCatalogue& catalogue)
    : m_result(result)
    , m_nutrients(nutrients)
    , m_targets(targets)
    , m_catalogue(catalogue)
{
    m_rowCount = static_cast<int>(m_result.rows.size()) - (m_result.hasTotalsRow && !m_result.rows.empty() ? 1 : 0);
    for (int r = 0; r < m_rowCount; ++r) {
        const NutrientTotalsRow* row = rowNamed(m_nutrients, rowLabel(r));
        m_nutrientRows.push_back(row ? static_cast<int>(row - m_nutrients.rows.data()) : -1);
    }
}

const NutrientTotalsRow* ChartedTotals::nutrientRow(int row) const
{
    const int at = m_nutrientRows[static_cast<std::size_t>(row)];
    return at >= 0 ? &m_nutrients.rows[static_cast<std::size_t>(at)] : nullptr;
}

bool ChartedTotals::knows(const QString& key) const
{
    return nineOf(key) >= 0 || (m_nutrients.numbers.contains(key) && m_catalogue.find(key));
}

double ChartedTotals::value(int row, const QString& key, int* unknown) const
{
    if (unknown) {
        *unknown = 0;
    }
    if (const int nine = nineOf(key); nine >= 0) {
        return m_result.rows[static_cast<std::size_t>(row)].values[static_cast<std::size_t>(nine)];
    }
    const NutrientTotalsRow* kept = nutrientRow(row);
    const auto slot = static_cast<std::size_t>(m_nutrients.numbers.indexOf(key));
    if (!kept || slot >= kept->totals.size() || slot >= kept->unknownCounts.size()) {
        // Nothing is known of it: every planned food lacks it, and at least one stands behind a row.
        if (unknown) {
            *unknown = 1;
        }
        return 0;
    }
    if (unknown) {
        *unknown = kept->unknownCounts[slot];
    }
    return kept->totals[slot];
}

QString ChartedTotals::name(const QString& key) const
{
    if (const int nine = nineOf(key); nine >= 0) {
        return TotalsCalculator::headerTexts().at(nine + 1);
    }
    const Nutrient* nutrient = m_catalogue.find(key);
    return nutrient ? nutrient->name : key;
}

QString ChartedTotals::unit(const QString& key) const
{
    if (const int nine = nineOf(key); nine >= 0) {
        return NutrientTargets::unit(nine);
    }
    const Nutrient* nutrient = m_catalogue.find(key);
    return nutrient ? nutrient->unit : QString();
}

const NutrientTargets::Range& ChartedTotals::range(const QString& key) const
{
    if (const int nine = nineOf(key); nine >= 0) {
        return m_targets.range(nine);
    }
    return m_targets.targetOf(key);
}

QString ChartedTotals::rangeText(const QString& key, const QLocale& locale) const
{
    if (const int nine = nineOf(key); nine >= 0) {
        return m_targets.rangeText(nine, locale);
    }
    // Written as a range of the nine is, so that every chart's title reads alike.
    NutrientTargets alike;
    alike.setRange(0, range(key), nullptr);
    return alike.rangeText(0, locale);
}

#include "core/totals/ChartedTotals.h"

#include "core/plans/Periods.h"

#include <algorithm>

namespace {

// The week rows' labels, as the totals calculation gives them.
QString perDayLabel(const QString& label)
{
    return QCoreApplication::translate("TotalsCalculator", "%1 (per day)").arg(label);
}

QString weekFromPartsLabel()
{
    return QCoreApplication::translate("TotalsCalculator", "Week from Weekday and Weekend");
}

QString weekFromDaysLabel()
{
    return QCoreApplication::translate("TotalsCalculator", "Week from Sunday to Saturday");
}

// The label of the row a week view was made from, and how many days it is divided into.
std::pair<QString, int> baseOf(const QString& label)
{
    for (const QString& base : { QStringLiteral("Weekly"), weekFromPartsLabel(), weekFromDaysLabel() }) {
        if (label == perDayLabel(base)) {
            return { base, 7 };
        }
    }
    return { label, 1 };
}

const NutrientTotalsRow* rowNamed(const NutrientTotals& plans, const QString& label)
{
    const auto found = std::find_if(
        plans.rows.begin(), plans.rows.end(), [&label](const NutrientTotalsRow& row) { return row.label == label; });
    return found != plans.rows.end() ? &*found : nullptr;
}

// Adds `times` the row `part` to `sum`, its unknown foods once.
void addTo(NutrientTotalsRow& sum, const NutrientTotalsRow& part, double times)
{
    for (std::size_t n = 0; n < sum.totals.size() && n < part.totals.size(); ++n) {
        sum.totals[n] += times * part.totals[n];
    }
    for (std::size_t n = 0; n < sum.unknownCounts.size() && n < part.unknownCounts.size(); ++n) {
        sum.unknownCounts[n] += part.unknownCounts[n];
    }
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

TotalsSources ChartedTotals::plansOf(const TotalsResult& result)
{
    TotalsSources sources;
    const QStringList& periods = Periods::names();
    auto add = [&sources](const TotalsSources& more) {
        sources.active = sources.active || more.active;
        for (std::size_t p = 0; p < sources.periods.size(); ++p) {
            sources.periods[p] = sources.periods[p] || more.periods[p];
        }
    };
    for (const TotalsRow& row : result.rows) {
        const QString base = baseOf(row.label).first;
        if (base == QLatin1String("Active")) {
            sources.active = true;
        } else if (const qsizetype p = periods.indexOf(base); p >= 0) {
            sources.periods[static_cast<std::size_t>(p)] = true;
        } else if (base == weekFromPartsLabel()) {
            add(TotalsCalculator::weekdayAndWeekendPlans());
        } else if (base == weekFromDaysLabel()) {
            add(TotalsCalculator::sevenDayPlans());
        }
    }
    return sources;
}

NutrientTotals ChartedTotals::rowsFor(const TotalsResult& result, const NutrientTotals& plans)
{
    NutrientTotals shown;
    shown.numbers = plans.numbers;
    const std::size_t slotCount = static_cast<std::size_t>(plans.numbers.size());
    const std::size_t count = result.rows.size() - (result.hasTotalsRow && !result.rows.empty() ? 1 : 0);
    for (std::size_t r = 0; r < count; ++r) {
        const QString& label = result.rows[r].label;
        const auto [base, days] = baseOf(label);
        NutrientTotalsRow row { label, std::vector<double>(slotCount), std::vector<int>(slotCount), {} };
        std::vector<std::pair<QString, double>> parts;
        if (base == weekFromPartsLabel()) {
            parts = { { QStringLiteral("Weekday"), 5 }, { QStringLiteral("Weekend"), 2 } };
        } else if (base == weekFromDaysLabel()) {
            for (const QString& day : Periods::names().mid(4)) {
                parts.emplace_back(day, 1);
            }
        } else {
            parts = { { base, 1 } };
        }
        bool complete = true;
        for (const auto& [part, times] : parts) {
            const NutrientTotalsRow* plan = rowNamed(plans, part);
            complete = complete && plan;
            if (plan) {
                addTo(row, *plan, times / days);
            }
        }
        if (complete) {
            shown.rows.push_back(std::move(row));
        }
    }
    return shown;
}

#include "core/totals/LiveTotals.h"

#include "core/foods/FoodLookup.h"
#include "core/plans/PlanDocument.h"
#include "core/storage/FoodStore.h"

#include <algorithm>
#include <memory>

LiveTotals::LiveTotals(const PlanDocument& plan, FoodStore& foods, const UserFiles& files, QObject* parent)
    : QObject(parent)
    , m_plan(plan)
    , m_foods(foods)
    , m_files(files)
{
    connect(&plan, &PlanDocument::mealChanged, this, &LiveTotals::markMeal);
    // A step that changes several meals is told once as a whole: the sums follow once.
    connect(&plan, &PlanDocument::planChanged, this, &LiveTotals::update);
}

double LiveTotals::value(const Sum& sum, int nine, const QString& number, int* unknown) const
{
    if (unknown) {
        *unknown = 0;
    }
    if (number.isEmpty()) {
        return sum.nine.values[static_cast<std::size_t>(nine)];
    }
    const auto slot = static_cast<std::size_t>(m_numbers.indexOf(number));
    if (slot >= sum.nutrients.totals.size()) {
        return 0;
    }
    if (unknown && slot < sum.nutrients.unknownCounts.size()) {
        *unknown = sum.nutrients.unknownCounts[slot];
    }
    return sum.nutrients.totals[slot];
}

void LiveTotals::setOn(bool on)
{
    m_on = on;
    update();
}

void LiveTotals::refresh()
{
    m_stale.fill(true);
    m_current = false;
    update();
}

void LiveTotals::markMeal(int meal)
{
    if (meal >= 0 && meal < static_cast<int>(m_stale.size())) {
        m_stale[static_cast<std::size_t>(meal)] = true;
        m_current = false;
    }
}

void LiveTotals::update()
{
    if (!m_on || std::none_of(m_stale.begin(), m_stale.end(), [](bool stale) { return stale; })) {
        return;
    }
    m_error.clear();
    TotalsSources sources;
    sources.active = true;
    // The lookup holds a read lock on the food table only while the sums are made, and keeps what
    // it read for the next change (the store's kept values) as long as the table stays as it was.
    m_foods.refresh(nullptr);
    const std::unique_ptr<FoodLookup> lookup = m_foods.lookup();
    const auto add = [&](const MealPlan& plan, Sum* sum) {
        NutrientTotals nutrients;
        const TotalsResult result = TotalsCalculator::calculate(plan, m_files, sources, *lookup, &nutrients);
        if (result.stopped || result.rows.empty()) {
            m_error = result.stopReason.isEmpty() ? result.stopMessage : result.stopReason;
            *sum = Sum();
            return false;
        }
        sum->nine = result.rows.front();
        sum->nutrients = nutrients.rows.empty() ? NutrientTotalsRow() : nutrients.rows.front();
        m_numbers = nutrients.numbers;
        return true;
    };
    bool ok = add(m_plan.plan(), &m_day);
    for (std::size_t meal = 0; ok && meal < m_meals.size(); ++meal) {
        if (m_stale[meal]) {
            MealPlan one;
            one.tables[meal] = m_plan.meal(static_cast<int>(meal));
            ok = add(one, &m_meals[meal]);
        }
    }
    m_current = ok;
    if (ok) {
        m_stale.fill(false);
    } else {
        for (Sum& meal : m_meals) {
            meal = Sum();
        }
    }
    emit changed();
}

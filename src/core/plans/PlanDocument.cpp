#include "core/plans/PlanDocument.h"

#include <algorithm>

PlanDocument::PlanDocument(QObject* parent)
    : QObject(parent)
{ }

bool PlanDocument::isEmpty() const
{
    return std::all_of(
        m_plan.tables.begin(), m_plan.tables.end(), [](const MealTable& table) { return table.count() == 0; });
}

void PlanDocument::setMeal(int meal, const MealTable& table)
{
    if (replaceMeal(meal, table)) {
        emit planChanged();
    }
}

void PlanDocument::setPlan(const MealPlan& plan)
{
    bool changed = false;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        changed = replaceMeal(meal, plan.tables[static_cast<std::size_t>(meal)]) || changed;
    }
    if (changed) {
        emit planChanged();
    }
}

bool PlanDocument::replaceMeal(int meal, const MealTable& table)
{
    MealTable& held = m_plan.tables.at(static_cast<std::size_t>(meal));
    if (held == table) {
        return false;
    }
    emit mealAboutToChange(meal);
    held = table;
    emit mealChanged(meal);
    return true;
}

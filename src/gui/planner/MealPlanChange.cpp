#include "gui/planner/MealPlanChange.h"

#include "core/plans/PlanDocument.h"

#include <algorithm>

MealPlanChange::MealPlanChange(const QString& text, PlanDocument& document)
    : QUndoCommand(text)
    , m_document(document)
{ }

void MealPlanChange::change(int meal, const MealTable& after)
{
    const MealTable& before = m_document.meal(meal);
    if (before == after) {
        return;
    }
    m_before[static_cast<std::size_t>(meal)] = before;
    m_after[static_cast<std::size_t>(meal)] = after;
}

bool MealPlanChange::changesNothing() const
{
    return std::none_of(m_after.begin(), m_after.end(), [](const auto& table) { return table.has_value(); });
}

void MealPlanChange::undo()
{
    apply(m_before);
}

void MealPlanChange::redo()
{
    apply(m_after);
}

void MealPlanChange::apply(const Tables& tables)
{
    MealPlan plan = m_document.plan();
    for (std::size_t meal = 0; meal < tables.size(); ++meal) {
        if (tables[meal]) {
            plan.tables[meal] = *tables[meal];
        }
    }
    m_document.setPlan(plan);
}

#include "gui/planner/MealPlanChange.h"

#include "gui/planner/MealListModel.h"

#include <algorithm>

MealPlanChange::MealPlanChange(const QString& text, const Models& models)
    : QUndoCommand(text)
    , m_models(models)
{ }

void MealPlanChange::change(int meal, const MealTable& before, const MealTable& after)
{
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
    for (std::size_t meal = 0; meal < m_models.size(); ++meal) {
        if (m_before[meal]) {
            m_models[meal]->setTable(*m_before[meal]);
        }
    }
}

void MealPlanChange::redo()
{
    for (std::size_t meal = 0; meal < m_models.size(); ++meal) {
        if (m_after[meal]) {
            m_models[meal]->setTable(*m_after[meal]);
        }
    }
}

#pragma once

#include "core/plans/MealPlan.h"

#include <QObject>

// The meal plan on screen: the one copy of the four meals that the lists show, the totals add up
// and the plan-on-screen file keeps. Every change comes through setMeal or setPlan, and is told
// meal by meal, so that each list follows its own meal, and once as a whole, so that what keeps
// the plan writes it once for a step however many meals the step changed.
class PlanDocument : public QObject
{
    Q_OBJECT

public:
    explicit PlanDocument(QObject* parent = nullptr);

    const MealPlan& plan() const { return m_plan; }
    const MealTable& meal(int meal) const { return m_plan.tables.at(static_cast<std::size_t>(meal)); }
    // Whether no meal holds an entry.
    bool isEmpty() const;

    // Replaces one meal's entries; a meal set to what it holds is no change.
    void setMeal(int meal, const MealTable& table);
    // Replaces every meal that differs from `plan`.
    void setPlan(const MealPlan& plan);

signals:
    // Before and after a meal's entries are replaced, as a model's reset is told.
    void mealAboutToChange(int meal);
    void mealChanged(int meal);
    // After each setMeal or setPlan that changed at least one meal.
    void planChanged();

private:
    // Replaces one meal, telling it; false when it held those entries already.
    bool replaceMeal(int meal, const MealTable& table);

    MealPlan m_plan;
};

#pragma once

#include "core/plans/MealTable.h"
#include "core/plans/SharedState.h"

#include <QUndoCommand>

#include <array>
#include <optional>

class MealListModel;

// One step a person took on the plan on screen (an Add, a Remove, a Clear or a Load), as the
// meals' tables before and after it, so that undoing it gives back exactly the entries, their
// order and their quantity texts.
class MealPlanChange : public QUndoCommand
{
public:
    using Models = std::array<MealListModel*, MealPlan::MealCount>;

    MealPlanChange(const QString& text, const Models& models);

    // Records that `meal` goes from `before` to `after`; a meal left as it was is not recorded.
    void change(int meal, const MealTable& before, const MealTable& after);
    bool changesNothing() const;

    void undo() override;
    void redo() override;

private:
    Models m_models;
    std::array<std::optional<MealTable>, MealPlan::MealCount> m_before;
    std::array<std::optional<MealTable>, MealPlan::MealCount> m_after;
};

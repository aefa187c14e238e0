#pragma once

#include "core/plans/MealPlan.h"

#include <QUndoCommand>

#include <array>
#include <optional>

class PlanDocument;

// One step a person took on the plan on screen (an Add, a Remove, a Clear or a Load), as the
// meals' tables before and after it, so that undoing it gives back exactly the entries, their
// order and their quantity texts. It acts on the plan document; the lists follow the document.
class MealPlanChange : public QUndoCommand
{
public:
    MealPlanChange(const QString& text, PlanDocument& document);

    // Records that `meal` goes from what the document holds now to `after`; a meal left as it
    // was is not recorded.
    void change(int meal, const MealTable& after);
    bool changesNothing() const;

    void undo() override;
    void redo() override;

private:
    using Tables = std::array<std::optional<MealTable>, MealPlan::MealCount>;

    // Sets the recorded meals to `tables` in one change of the document.
    void apply(const Tables& tables);

    PlanDocument& m_document;
    Tables m_before;
    Tables m_after;
};

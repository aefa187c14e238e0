#pragma once

#include "core/NutrientTargets.h"

#include <QDialog>

#include <array>

class QLineEdit;
struct SharedState;

// "Targets": the user's daily minimum and maximum of each of the nine nutrients, either of which
// may stay empty. OK checks every row and writes the user's targets file; a minimum above its
// maximum is refused with a message naming the nutrient, and the window stays open.
class TargetsDialog : public QDialog
{
    Q_OBJECT

public:
    TargetsDialog(const SharedState& state, QWidget* parent = nullptr);

    const NutrientTargets& targets() const { return m_targets; }

public slots:
    void accept() override;

private:
    const SharedState& m_state;
    NutrientTargets m_targets;
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_minimums {};
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_maximums {};
};

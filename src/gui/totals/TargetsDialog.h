#pragma once

#include "core/totals/NutrientTargets.h"

#include <QDialog>

#include <array>

class QLineEdit;
class UserTargets;

// "Targets": the user's daily minimum and maximum of each of the nine nutrients, either of which
// may stay empty. Numbers are shown and read in the form of the user's locale, grouping and
// decimal separator included, and read in the plain C form too. OK reads every field and writes
// the user's targets file when they changed; fields that are not numbers are named in one message
// and a minimum above its maximum in another, nothing is saved and the window stays open. The
// targets are read afresh when the window opens.
class TargetsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TargetsDialog(UserTargets& targets, QWidget* parent = nullptr);

    const NutrientTargets& targets() const;

public slots:
    void accept() override;

private:
    static QString boundText(const std::optional<double>& bound);

    UserTargets& m_targets;
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_minimums {};
    std::array<QLineEdit*, TotalsRow::NutrientCount> m_maximums {};
};

#pragma once

#include "core/foods/FoodFields.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// Finds the food rows whose name equals a planned name exactly (case and blanks count) and hands
// out their eight nutrient values, in table order. The totals add every row it returns, in the
// order returned, so two lookups that return the same rows give bit-identical totals.
class FoodLookup
{
public:
    using Nutrients = std::array<double, FoodFields::NutrientCount>;

    virtual ~FoodLookup() = default;

    // The matching rows, or nullptr when the food table could not be read (with the reason in
    // `error`). The list stays valid until the next call.
    virtual const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error) = 0;

    // A hint that these names are about to be asked for, so that a lookup can fetch them
    // together. False when the food table could not be read.
    virtual bool prefetch(const QStringList& names, QString* error)
    {
        Q_UNUSED(names)
        Q_UNUSED(error)
        return true;
    }
};

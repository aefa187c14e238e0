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

    // Every nutrient one food row keeps beyond the ten fields, by slot (the position of its
    // number in nutrientNumbers()): NaN where the row does not know it. `incomplete` holds the
    // slots whose value is only a recipe's partial sum.
    struct KeptNutrients
    {
        std::vector<double> values;
        std::vector<int> incomplete;
    };

    // Asks for every kept nutrient with the ten fields from now on; it is read with them, in
    // bulk, ahead. False when the food table could not be read.
    virtual bool includeNutrients(QString* error)
    {
        Q_UNUSED(error)
        return true;
    }
    // The nutrient numbers of the slots, in the catalogue's display order; none in a lookup that
    // keeps no nutrients.
    virtual const QStringList& nutrientNumbers() const
    {
        static const QStringList none;
        return none;
    }
    // The kept nutrients of the rows rowsNamed() gives for `name`, in that order, or nullptr when
    // the food table could not be read. Valid until the next call of either.
    virtual const std::vector<KeptNutrients>* nutrientsNamed(const QString& name, QString* error)
    {
        Q_UNUSED(name)
        Q_UNUSED(error)
        static const std::vector<KeptNutrients> none;
        return &none;
    }
};

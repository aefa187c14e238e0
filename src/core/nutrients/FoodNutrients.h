#pragma once

#include <QHash>
#include <QString>

#include <optional>

// Every nutrient kept for one food beyond the food table's ten fields, per serving as those are,
// keyed by nutrient number ("307"). A nutrient that is not there is unknown, which is not zero.
struct FoodNutrients
{
    // The weight of one serving in grams, where it is known.
    std::optional<double> servingGrams;
    QHash<QString, double> values;

    bool operator==(const FoodNutrients&) const = default;
};

// What one edit changes of a food's nutrients, and nothing else: a value absent here keeps what
// the table holds, and an empty optional makes a value unknown.
struct FoodNutrientChanges
{
    bool servingGramsChanged = false;
    std::optional<double> servingGrams;
    QHash<QString, std::optional<double>> values;

    bool isEmpty() const { return !servingGramsChanged && values.isEmpty(); }
};

#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

// Every nutrient kept for one food beyond the food table's ten fields, per serving as those are,
// keyed by nutrient number ("307"). A nutrient that is not there is unknown, which is not zero.
struct FoodNutrients
{
    // The weight of one serving in grams, where it is known.
    std::optional<double> servingGrams;
    QHash<QString, double> values;
    // The numbers among `values` whose value is only part of the whole: a recipe's sum over the
    // ingredients that know it, while some other ingredient does not. A recipe none of whose
    // ingredients knows a nutrient has no value for it at all.
    QSet<QString> incomplete {};

    bool isComplete(const QString& number) const { return values.contains(number) && !incomplete.contains(number); }

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

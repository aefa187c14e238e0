#pragma once

#include <QString>

// The groups the nutrient catalogue is shown in, in the order they are shown.
enum class NutrientGroup { EnergyAndMacronutrients, Fats, Carbohydrates, Minerals, Vitamins, AminoAcids, Other };

// One nutrient of the catalogue, keyed by its USDA nutrient number (`nutrient_nbr` of FoodData
// Central, which the SR releases use too), so that every source that speaks of nutrient 307 means
// sodium in milligrams.
struct Nutrient
{
    QString number;
    QString name;
    // "g", "mg", "µg", "kcal", "kJ" or "IU": the unit every amount of it is kept in.
    QString unit;
    NutrientGroup group = NutrientGroup::Other;
    // Where it stands among all nutrients when listed; lower first.
    int order = 0;

    bool operator==(const Nutrient&) const = default;
};

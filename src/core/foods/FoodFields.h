#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The ten fields of a food, in the order the food table holds them: its name, its serving unit
// and eight nutrients. Every part of the program names a field by this enum, whatever keeps the
// table.
class FoodFields
{
    Q_DECLARE_TR_FUNCTIONS(FoodFields)

public:
    enum Field { FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC, FieldCount };
    static constexpr int NutrientCount = 8;

    // New texts for some fields of one food, as typed.
    using FieldChanges = std::vector<std::pair<Field, QString>>;

    // The fields' names as the table's columns and a CSV file's header bear them.
    static const QStringList& fieldNames();
    // The eight nutrient fields' names, CALORIES to SUGAR_ALC, and the captions they are shown under.
    static const QStringList& nutrientFieldNames();
    static const QStringList& nutrientCaptions();
    // The captions the grids show above the fields ("Food", "Serving Unit", ...).
    static const QStringList& gridCaptions();
};

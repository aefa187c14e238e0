#pragma once

#include "core/plans/MealTable.h"

#include <QString>

#include <array>

// The four meals, always walked in this order.
struct MealPlan
{
    enum Meal { Breakfast, Lunch, Dinner, Other, MealCount };

    std::array<MealTable, MealCount> tables;

    MealTable& BreakfastTable() { return tables[Breakfast]; }
    MealTable& LunchTable() { return tables[Lunch]; }
    MealTable& DinnerTable() { return tables[Dinner]; }
    MealTable& OtherTable() { return tables[Other]; }

    // The meal's heading as the main window shows it: "Breakfast", "Lunch", "Dinner",
    // "Snacks or Other".
    static QString heading(int meal);

    bool operator==(const MealPlan&) const = default;
};

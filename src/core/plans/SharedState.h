#pragma once

#include "core/plans/MealTable.h"

#include <QString>
#include <QStringList>

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

// The state that lives for one run and that every window shares. Only the meal plan outlasts
// the run, in the file PlanOnScreenPath names, which the main window writes.
struct SharedState
{
    MealPlan mealPlan;
    // The folder of the documents and the base of the per-user file names; no trailing separator.
    QString DataFolder;
    QString CurrentUserName;
    // The food editor's previous search term.
    QString FoodSearchText;
    // The food table file; it does not follow the data folder.
    QString FoodDatabasePath;
    // The file that keeps the plan on screen from one run to the next; empty: it is not kept.
    QString PlanOnScreenPath;

    // The user name without blanks; computed afresh every time a file name is formed.
    QString fileKey() const;
    // Data folder text, file key, suffix and ".txt", with no separator: the per-user files lie
    // beside the data folder.
    QString perUserFile(const QString& suffix) const;
    // Data folder, "/" and the document's name.
    QString documentPath(const QString& name) const;
};

namespace Periods {

// The eleven periods in the order of the period selector and the totals window.
const QStringList& names();
// The per-user file suffixes in the order they are copied ("Weekend" before "Weekday"): the
// eleven plans, the totals report, the food property table and the daily targets.
const QStringList& copySuffixes();

} // namespace Periods

#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class FoodLookup;
class UserFiles;
struct MealPlan;

// One row of the totals: its label ("Active", a period name or "Totals") and the nine nutrient
// totals in column order.
struct TotalsRow
{
    enum Nutrient {
        Calories,
        Carbohydrates,
        Fat,
        Sugar,
        Cholesterol,
        Points,
        Fiber,
        SugarAlcohols,
        NetCarbs,
        NutrientCount
    };

    QString label;
    std::array<double, NutrientCount> values {};
};

// What one calculation produced: the rows in the order they are shown, the last one being
// "Totals" when hasTotalsRow is set. When a period file could not be read the calculation
// stopped: `stopped` is set, `stopMessage` is what to tell the user, and the rows written
// before the failure are kept.
struct TotalsResult
{
    std::vector<TotalsRow> rows;
    bool hasTotalsRow = false;
    bool stopped = false;
    QString stopMessage;
    // The underlying reason of a stop (file name and system message), for logs and tests.
    QString stopReason;
    // The period whose file could not be opened or read, with the file's path; empty when the
    // stop had another cause.
    QString stopPeriod;
    QString stopFile;
};

// Every nutrient kept beyond the ten fields, added up for one plan: per slot (the position of
// its number in NutrientTotals::numbers) the sum of what the planned foods know, and how many
// planned foods do not know it (a food the table lacks, one whose nutrients are not kept, one
// that lacks the value, or a recipe whose value is only a partial sum).
struct NutrientTotalsRow
{
    QString label;
    std::vector<double> totals;
    std::vector<int> unknownCounts;
};

// The nutrient totals of one calculation: a row for each plan totalled, in the order of the
// TotalsResult's rows, without a "Totals" row.
struct NutrientTotals
{
    QStringList numbers;
    std::vector<NutrientTotalsRow> rows;
};

// Which plans to total: the plan on screen, and each of the eleven periods in their order.
struct TotalsSources
{
    bool active = false;
    std::array<bool, 11> periods {};
};

// Adds up the nutrients of the plan on screen and of the chosen periods' saved plans.
// For every planned food each food row of that exact name counts: its eight nutrients times the
// quantity are added to the source's running totals in nutrient order, and Net Carbs is derived
// afresh from the running Carbohydrates, Fiber and Sugar Alcohols after each row. The grand
// totals add the rows' values, Net Carbs included. Nothing is rounded.
class TotalsCalculator
{
    Q_DECLARE_TR_FUNCTIONS(TotalsCalculator)

public:
    // The plan on screen is `onScreen`; the periods' plans are read from the user's files.
    static TotalsResult calculate(
        const MealPlan& onScreen, const UserFiles& files, const TotalsSources& sources, FoodLookup& lookup);
    // The same, adding up every kept nutrient of each plan into `nutrients` too, through the same
    // lookup; the nine values come out as without it.
    static TotalsResult calculate(const MealPlan& onScreen, const UserFiles& files, const TotalsSources& sources,
        FoodLookup& lookup, NutrientTotals* nutrients);

    // The labels of the grid's header row, column 0 to 9.
    static const QStringList& headerTexts();

    // Rows made of other rows, value by value and without rounding: a row divided into days (the
    // Weekly plan per day), and a week of five weekdays and two weekend days.
    static TotalsRow perDay(const TotalsRow& row, int days, const QString& label);
    static TotalsRow weekFromWeekdayAndWeekend(
        const TotalsRow& weekday, const TotalsRow& weekend, const QString& label);

    // The plans of each week row: Weekday and Weekend, and the seven days.
    static TotalsSources weekdayAndWeekendPlans();
    static TotalsSources sevenDayPlans();
    // Whether a row of that label stands for one day: the plan on screen, every period but
    // Weekly, and every row shown per day.
    static bool standsForOneDay(const QString& label);
    // The week views over a calculated result: with `perDay` the Weekly row shows one day of it
    // ("Weekly (per day)"); with `rollUps` the rows "Week from Weekday and Weekend" (5 x Weekday +
    // 2 x Weekend, from `fromParts`, a calculation of weekdayAndWeekendPlans()) and "Week from
    // Sunday to Saturday" (the seven days added, from `fromDays`, a calculation of
    // sevenDayPlans()) follow the chosen rows, per day too with `perDay`. Each week row stands on
    // its own plans: one whose calculation stopped is left out, and the returned messages say so,
    // naming the plan and its file. The Totals row then adds the chosen rows as shown, in their
    // order.
    static QStringList addWeekViews(
        TotalsResult* result, const TotalsResult& fromParts, const TotalsResult& fromDays, bool perDay, bool rollUps);
};

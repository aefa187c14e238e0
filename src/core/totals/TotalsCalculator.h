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

// The planned foods of a row that lack one nutrient, named for a tool tip: the first
// MessageText::MaxListedItems names, each once, with how many planned foods of that name lack it.
// The row's unknown count minus those is how many more lack it.
struct LackingFoods
{
    QStringList names;
    std::vector<int> times;

    int listedTimes() const;
    // Adds `other`'s foods, `factor` times each, while there is room for their names.
    void add(const LackingFoods& other, int factor = 1);
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
    // Per slot, which planned foods lack it: the first few names, each once.
    std::vector<LackingFoods> lacking;
};

// The nutrient totals of one calculation: a row for each plan totalled, in the order of the
// TotalsResult's rows, without a "Totals" row until addTotalsRow() or addWeekViews() adds it.
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
    // The same for every nutrient. A row per day keeps its unknown counts, as it stands on the same
    // planned foods; a week of five weekdays and two weekend days counts each weekday food five
    // times and each weekend food twice, as the week from the seven days does.
    static NutrientTotalsRow perDay(const NutrientTotalsRow& row, int days, const QString& label);
    static NutrientTotalsRow weekFromWeekdayAndWeekend(
        const NutrientTotalsRow& weekday, const NutrientTotalsRow& weekend, const QString& label);
    // Rows added slot by slot, unknown counts and lacking foods too.
    static NutrientTotalsRow added(const std::vector<NutrientTotalsRow>& rows, const QString& label);
    // Gives `nutrients`, as calculated with `result`, the "Totals" row that `result` has.
    static void addTotalsRow(const TotalsResult& result, NutrientTotals* nutrients);

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
    // The same over the nine values and every nutrient: `nutrients` and the two week plans' nutrient
    // totals are those calculated with each result, and `nutrients` comes out with the same rows as
    // `result`, its "Totals" row included.
    static QStringList addWeekViews(TotalsResult* result, NutrientTotals* nutrients, const TotalsResult& fromParts,
        const NutrientTotals& partsNutrients, const TotalsResult& fromDays, const NutrientTotals& daysNutrients,
        bool perDay, bool rollUps);
};

#pragma once

#include "core/foods/FoodDatabase.h"
#include "core/nutrients/FoodNutrients.h"
#include "core/text/WrittenNumber.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>

// One food as a reader of a source hands it to the import: where it stands in the source, its
// name and serving unit as the source has them, and its eight nutrients as stored values (a null
// QVariant for an empty nutrient, a double, or a text as the user wrote it).
struct ImportedFood
{
    // Nutrient amounts in 100 g of a food, in the table's units (kcal, g, cholesterol in mg).
    struct Per100g
    {
        std::optional<double> calories;
        std::optional<double> carbs;
        std::optional<double> fat;
        std::optional<double> sugar;
        std::optional<double> cholesterol;
        std::optional<double> fiber;
        std::optional<double> sugarAlcohols;
    };

    qint64 location = 0;
    bool isFdcId = false;
    QString name;
    QString serving;
    std::array<QVariant, FoodDatabase::NutrientCount> nutrients;
    // The serving's grams and the nutrients of the table's catalogue beyond the eight, per
    // serving in the catalogue's units, as far as the source gives them.
    FoodNutrients more;
    // What the reader changed in the row, for the report.
    QStringList notes;

    // The heaviest serving taken as the data gives it; a larger one is a slip in the data, and
    // scaling to it would make nutrients no number holds.
    static constexpr double MaxServingGrams = 100000;

    // Sets the nutrients to the per-100-g amounts scaled to `grams`, rounded as the starter
    // table is (calories and cholesterol to 1 decimal, the rest to 2), with the points worked
    // out from them: calories/50 + fat/12 - min(fiber, 4)/5, never below 0, to 1 decimal, none
    // without calories or fat. An amount the source does not give stays empty. An amount too
    // large for a double is held at the largest one, as the food table stores a typed one, and
    // a note says so.
    void setScaled(const Per100g& amounts, double grams);
    // Sets nutrient `index` (0 for calories) to `value` in the table's unit, rounded as
    // setScaled rounds it; a value too large for a double is held at the largest one, and a note
    // says so.
    void setAmount(std::size_t index, double value);
    // Whether `grams` (or millilitres) can be a serving: above 0 and at most MaxServingGrams.
    static bool isServingWeight(double grams);
    // Sets the serving to "100 g" with a note that `grams`, what the data gives as the serving
    // (named `what`), is no serving; the nutrients then go for 100 g. Returns 100.
    double useHundredGrams(const QString& what, double grams);
    void clear();

    // A gram or millilitre figure as the serving units write it: "240", "28.35".
    static QString amountText(double value);
    // The serving `size` with its weight: "240 g" when it is empty, `size` itself when it names
    // the weight as a whole number ("30 g", "1 bar (30g)"), else "1 cup (240 g)".
    static QString servingWithWeight(const QString& size, double grams, const QString& unit = QStringLiteral("g"));
    // The grams (or millilitres) a serving unit names as the whole of it or in brackets at its
    // end: "100 g", "30g", "1 cup (240 g)", "1 glass (200 ml)". False when it names none.
    static bool weightOfServing(QStringView serving, NumberStyle style, double* grams);
};

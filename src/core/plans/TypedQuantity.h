#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

// What the main window's Quantity box holds, as the serving units a meal keeps: a number is read
// as servings, as it always was ("2 cups" is 2); a weight ("150 g", "5.3 oz", "1,5 kg" where the
// locale writes a decimal comma) is divided by the grams of one serving of the food.
class TypedQuantity
{
public:
    enum class Outcome {
        // `quantityText` holds the serving units to store.
        Read,
        // A weight was typed for a food whose serving has no known weight.
        NoServingWeight,
        // A weight whose number cannot be read or is not above 0 ("abc g", "-5 g", "0 g").
        BadWeight,
    };

    // Whether `typed` is a weight, so that reading it needs the food's serving grams.
    static bool isWeight(QStringView typed);

    // The serving units `typed` names, as the text NumberToText makes and a meal stores; nothing
    // is written to `quantityText` unless it is Read.
    static Outcome read(
        QStringView typed, std::optional<double> servingGrams, const QLocale& locale, QString* quantityText);
};

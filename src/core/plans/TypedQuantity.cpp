#include "core/plans/TypedQuantity.h"

#include "core/plans/TypedWeight.h"
#include "core/text/NumberText.h"

#include <cmath>

bool TypedQuantity::isWeight(QStringView typed)
{
    return TypedWeight::endsInWeightUnit(typed);
}

TypedQuantity::Outcome TypedQuantity::read(
    QStringView typed, std::optional<double> servingGrams, const QLocale& locale, QString* quantityText)
{
    if (!isWeight(typed)) {
        // A plain quantity is read as leniently as ever, so that plans typed before read the same.
        *quantityText = NumberToText(TextToNumber(typed));
        return Outcome::Read;
    }
    double grams = 0;
    if (!TypedWeight::grams(typed, &grams, locale)) {
        return Outcome::BadWeight;
    }
    // A serving weight of 0 or less, which no food can have, is as good as none.
    if (!servingGrams || !std::isfinite(*servingGrams) || *servingGrams <= 0) {
        return Outcome::NoServingWeight;
    }
    const double servings = grams / *servingGrams;
    if (!std::isfinite(servings)) {
        return Outcome::BadWeight;
    }
    *quantityText = NumberToText(servings);
    return Outcome::Read;
}

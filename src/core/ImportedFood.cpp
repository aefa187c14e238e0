#include "core/ImportedFood.h"

#include <algorithm>
#include <cmath>

namespace {

double rounded(double value, int decimals)
{
    const double scale = decimals == 1 ? 10.0 : 100.0;
    const double result = std::round(value * scale) / scale;
    return result == 0 ? 0.0 : result;
}

QVariant scaled(const std::optional<double>& per100g, double factor, int decimals)
{
    if (!per100g || !std::isfinite(*per100g)) {
        return QVariant();
    }
    return rounded(*per100g * factor, decimals);
}

} // namespace

void ImportedFood::setScaled(const Per100g& amounts, double grams)
{
    const double factor = grams / 100.0;
    nutrients[0] = scaled(amounts.calories, factor, 1);
    nutrients[1] = scaled(amounts.carbs, factor, 2);
    nutrients[2] = scaled(amounts.fat, factor, 2);
    nutrients[3] = scaled(amounts.sugar, factor, 2);
    nutrients[4] = scaled(amounts.cholesterol, factor, 1);
    nutrients[6] = scaled(amounts.fiber, factor, 2);
    nutrients[7] = scaled(amounts.sugarAlcohols, factor, 2);
    nutrients[5] = QVariant();
    if (!nutrients[0].isNull() && !nutrients[2].isNull()) {
        const double fiber = nutrients[6].isNull() ? 0.0 : nutrients[6].toDouble();
        const double points = nutrients[0].toDouble() / 50 + nutrients[2].toDouble() / 12 - std::min(fiber, 4.0) / 5;
        nutrients[5] = rounded(std::max(points, 0.0), 1);
    }
}

void ImportedFood::clear()
{
    location = 0;
    name.clear();
    serving.clear();
    nutrients.fill(QVariant());
    notes.clear();
}

QString ImportedFood::amountText(double value)
{
    return FoodDatabase::numberText(std::round(value * 1000) / 1000);
}

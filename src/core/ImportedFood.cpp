#include "core/ImportedFood.h"

#include <QCoreApplication>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Beyond this a double has no decimals left to round away, and multiplying it to round could
// overflow.
constexpr double kWholeNumbersOnly = 1e15;

double rounded(double value, int decimals)
{
    if (std::abs(value) >= kWholeNumbersOnly) {
        return value;
    }
    const double scale = decimals == 1 ? 10.0 : 100.0;
    const double result = std::round(value * scale) / scale;
    return result == 0 ? 0.0 : result;
}

QVariant scaled(const std::optional<double>& per100g, double factor, int decimals, bool* held)
{
    if (!per100g || std::isnan(*per100g)) {
        return QVariant();
    }
    double value = *per100g * factor;
    if (std::isinf(value)) {
        value = std::copysign(DBL_MAX, value);
        *held = true;
    }
    return rounded(value, decimals);
}

} // namespace

void ImportedFood::setScaled(const Per100g& amounts, double grams)
{
    const double factor = grams / 100.0;
    bool held = false;
    nutrients[0] = scaled(amounts.calories, factor, 1, &held);
    nutrients[1] = scaled(amounts.carbs, factor, 2, &held);
    nutrients[2] = scaled(amounts.fat, factor, 2, &held);
    nutrients[3] = scaled(amounts.sugar, factor, 2, &held);
    nutrients[4] = scaled(amounts.cholesterol, factor, 1, &held);
    nutrients[6] = scaled(amounts.fiber, factor, 2, &held);
    nutrients[7] = scaled(amounts.sugarAlcohols, factor, 2, &held);
    nutrients[5] = QVariant();
    if (!nutrients[0].isNull() && !nutrients[2].isNull()) {
        const double fiber = nutrients[6].isNull() ? 0.0 : nutrients[6].toDouble();
        // Each part is at most DBL_MAX / 12, so their sum stays finite.
        const double points = nutrients[0].toDouble() / 50 + nutrients[2].toDouble() / 12 - std::min(fiber, 4.0) / 5;
        nutrients[5] = rounded(std::max(points, 0.0), 1);
    }
    if (held) {
        notes.append(QCoreApplication::translate(
            "ImportedFood", "a nutrient too large for a number was held at the largest one"));
    }
}

bool ImportedFood::isServingWeight(double grams)
{
    return grams > 0 && grams <= MaxServingGrams;
}

double ImportedFood::useHundredGrams(const QString& what, double grams)
{
    serving = QStringLiteral("100 g");
    notes.append(QCoreApplication::translate("ImportedFood", "%1 %2 is no serving weight, so the serving is 100 g")
                     .arg(what, QString::number(grams, 'g', 6)));
    return 100;
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
    if (std::abs(value) >= kWholeNumbersOnly) {
        return FoodDatabase::numberText(value);
    }
    const double amount = std::round(value * 1000) / 1000;
    QString text = FoodDatabase::numberText(amount);
    // The shortest text of 100000 is "1e+05"; a serving unit is read by people.
    if (text.contains(u'e')) {
        text = QString::number(amount, 'f', 3);
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    return text;
}

#include "core/imports/ImportedFood.h"

#include "core/foods/FoodValues.h"

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

// The decimals each nutrient is rounded to, as the starter table has them.
constexpr int kDecimals[FoodDatabase::NutrientCount] = { 1, 2, 2, 2, 1, 1, 2, 2 };

QVariant held(double value, int decimals, bool* held)
{
    if (std::isinf(value)) {
        value = std::copysign(DBL_MAX, value);
        *held = true;
    }
    return rounded(value, decimals);
}

QVariant scaled(const std::optional<double>& per100g, double factor, int decimals, bool* wasHeld)
{
    if (!per100g || std::isnan(*per100g)) {
        return QVariant();
    }
    return held(*per100g * factor, decimals, wasHeld);
}

bool isWeightUnit(QStringView word)
{
    for (const char* unit : { "g", "gr", "gram", "grams", "ml" }) {
        if (word.compare(QLatin1String(unit), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void ImportedFood::setScaled(const Per100g& amounts, double grams)
{
    const double factor = grams / 100.0;
    bool held = false;
    nutrients[0] = scaled(amounts.calories, factor, kDecimals[0], &held);
    nutrients[1] = scaled(amounts.carbs, factor, kDecimals[1], &held);
    nutrients[2] = scaled(amounts.fat, factor, kDecimals[2], &held);
    nutrients[3] = scaled(amounts.sugar, factor, kDecimals[3], &held);
    nutrients[4] = scaled(amounts.cholesterol, factor, kDecimals[4], &held);
    nutrients[6] = scaled(amounts.fiber, factor, kDecimals[6], &held);
    nutrients[7] = scaled(amounts.sugarAlcohols, factor, kDecimals[7], &held);
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

void ImportedFood::setAmount(std::size_t index, double value)
{
    bool wasHeld = false;
    nutrients[index] = held(value, kDecimals[index], &wasHeld);
    const QString note
        = QCoreApplication::translate("ImportedFood", "a nutrient too large for a number was held at the largest one");
    if (wasHeld && !notes.contains(note)) {
        notes.append(note);
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
    more = FoodNutrients();
    notes.clear();
}

QString ImportedFood::amountText(double value)
{
    if (std::abs(value) >= kWholeNumbersOnly) {
        return FoodValues::numberText(value);
    }
    const double amount = std::round(value * 1000) / 1000;
    QString text = FoodValues::numberText(amount);
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

QString ImportedFood::servingWithWeight(const QString& size, double grams, const QString& unit)
{
    const QString amount = amountText(grams);
    if (size.isEmpty()) {
        return amount + QLatin1Char(' ') + unit;
    }
    // Whether the size already gives the amount as a whole number: "30 g" and "1 bar (30g)" give
    // 30, "1 tbsp (15 g)" does not give 5. Written out rather than as a regular expression, which
    // a million products would compile a million times.
    auto isNumberChar = [](QChar c) { return c.isDigit() || c == u'.' || c == u','; };
    const QStringView text(size);
    for (qsizetype at = text.indexOf(amount); at >= 0; at = text.indexOf(amount, at + 1)) {
        if (at > 0 && isNumberChar(text[at - 1])) {
            continue;
        }
        qsizetype end = at + amount.size();
        while (end < text.size() && text[end].isSpace()) {
            ++end;
        }
        qsizetype letters = end;
        while (letters < text.size() && text[letters].isLetter()) {
            ++letters;
        }
        if (isWeightUnit(text.sliced(end, letters - end))) {
            return size;
        }
    }
    return QStringLiteral("%1 (%2 %3)").arg(size, amount, unit);
}

bool ImportedFood::weightOfServing(QStringView serving, NumberStyle style, double* grams)
{
    QStringView text = serving.trimmed();
    if (text.endsWith(u')')) {
        const qsizetype open = text.lastIndexOf(u'(');
        if (open < 0) {
            return false;
        }
        text = text.sliced(open + 1, text.size() - open - 2);
    }
    QStringView unit;
    double value = 0;
    if (!WrittenNumber::read(text, style, &value, &unit) || !isWeightUnit(unit)) {
        return false;
    }
    *grams = value;
    return true;
}

#include "core/nutrients/NutrientUnit.h"

#include <cstdlib>

namespace {

// Kilocalories per kilojoule: the thermochemical calorie, as food labels use it.
constexpr double KilojoulesPerKilocalorie = 4.184;

// The power of ten of a gram one of the unit is; false for no mass unit.
bool massExponent(QStringView unit, int* exponent)
{
    if (unit == u"g") {
        *exponent = 0;
    } else if (unit == u"mg") {
        *exponent = -3;
    } else if (unit == u"µg") {
        *exponent = -6;
    } else {
        return false;
    }
    return true;
}

} // namespace

QString NutrientUnit::normalised(QStringView unit)
{
    const QString text = unit.trimmed().toString();
    const QString lower = text.toLower();
    if (lower == u"g" || lower == u"mg") {
        return lower;
    }
    if (lower == u"ug" || lower == u"mcg" || lower == u"µg" || lower == u"μg") {
        return QStringLiteral("µg");
    }
    if (lower == u"kcal") {
        return QStringLiteral("kcal");
    }
    if (lower == u"kj") {
        return QStringLiteral("kJ");
    }
    if (lower == u"iu") {
        return QStringLiteral("IU");
    }
    return text;
}

bool NutrientUnit::isKnown(QStringView unit)
{
    int exponent = 0;
    return massExponent(unit, &exponent) || unit == u"kcal" || unit == u"kJ" || unit == u"IU";
}

bool NutrientUnit::convert(double value, QStringView from, QStringView to, double* converted)
{
    if (from == to && isKnown(from)) {
        *converted = value;
        return true;
    }
    int fromExponent = 0;
    int toExponent = 0;
    if (massExponent(from, &fromExponent) && massExponent(to, &toExponent)) {
        // Multiplying or dividing by an exact power of ten keeps the usual conversions exact:
        // 1.5 g is 1500 mg, not 1499.9999999999998.
        const int shift = fromExponent - toExponent;
        const double factor = shift == 0 ? 1 : (std::abs(shift) == 3 ? 1e3 : 1e6);
        *converted = shift >= 0 ? value * factor : value / factor;
        return true;
    }
    if (from == u"kJ" && to == u"kcal") {
        *converted = value / KilojoulesPerKilocalorie;
        return true;
    }
    if (from == u"kcal" && to == u"kJ") {
        *converted = value * KilojoulesPerKilocalorie;
        return true;
    }
    return false;
}

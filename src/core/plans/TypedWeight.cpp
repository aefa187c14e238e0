#include "core/plans/TypedWeight.h"

#include <QLocale>

#include <cmath>

namespace {

// Grams per unit; 0 for a text that is no weight unit.
double gramsPerUnit(QStringView unit)
{
    const QString u = unit.trimmed().toString().toLower();
    if (u == u"g" || u == u"gr" || u == u"gram" || u == u"grams") {
        return 1;
    }
    if (u == u"kg" || u == u"kilogram" || u == u"kilograms") {
        return 1000;
    }
    if (u == u"mg") {
        return 0.001;
    }
    if (u == u"oz" || u == u"ounce" || u == u"ounces") {
        return 28.349523125;
    }
    if (u == u"lb" || u == u"lbs" || u == u"pound" || u == u"pounds") {
        return 453.59237;
    }
    return 0;
}

} // namespace

bool TypedWeight::grams(QStringView text, double* grams, const QLocale& locale)
{
    const QStringView trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size()
        && (trimmed[end].isDigit() || trimmed[end] == u'.' || trimmed[end] == u',' || trimmed[end] == u'+')) {
        ++end;
    }
    if (end == 0 || end == trimmed.size()) {
        return false;
    }
    const double perUnit = gramsPerUnit(trimmed.sliced(end));
    if (perUnit == 0) {
        return false;
    }
    const QString number = trimmed.first(end).toString();
    bool ok = false;
    double value = locale.toDouble(number, &ok);
    if (!ok) {
        value = QLocale::c().toDouble(number, &ok);
    }
    if (!ok || !std::isfinite(value) || value <= 0) {
        return false;
    }
    *grams = value * perUnit;
    return std::isfinite(*grams);
}

bool TypedWeight::endsInWeightUnit(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    qsizetype unitStart = trimmed.size();
    while (unitStart > 0 && trimmed[unitStart - 1].isLetter()) {
        --unitStart;
    }
    return unitStart > 0 && unitStart < trimmed.size() && gramsPerUnit(trimmed.sliced(unitStart)) != 0;
}

#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// A quantity typed as a weight instead of serving units: "150 g", "150g", "0.2 kg", "5.3 oz",
// "1 lb". The number is read with the locale's decimal separator (the default locale's unless
// given) or a point.
namespace TypedWeight {

// The grams the text names; false when it is not a number followed by a weight unit (a plain
// number, "2 cups", "1/2", or a weight of 0 or less).
bool grams(QStringView text, double* grams, const QLocale& locale = QLocale());

// Whether the text ends in a weight unit ("g", "oz", "kg", ...) after something else: a text
// the user meant as a weight, whether or not its number can be read.
bool endsInWeightUnit(QStringView text);

} // namespace TypedWeight

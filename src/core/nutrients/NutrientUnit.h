#pragma once

#include <QString>
#include <QStringView>

// The units nutrient amounts are kept in, and conversion between those of one kind: mass (g, mg,
// µg), energy (kcal, kJ). International units (IU) are a measure of their own for each vitamin
// and convert to nothing.
namespace NutrientUnit {

// The unit as the catalogue writes it: "ug", "mcg" and the Greek mu "μg" become "µg", "KCAL"
// becomes "kcal", "kj" becomes "kJ", blanks around it go. A text that is no unit is given back
// trimmed.
QString normalised(QStringView unit);
// Whether the catalogue can keep amounts in this (normalised) unit.
bool isKnown(QStringView unit);
// `value` in `from` expressed in `to`; false when the two cannot be converted (other kinds, IU,
// an unknown unit). Equal units give the value itself.
bool convert(double value, QStringView from, QStringView to, double* converted);

} // namespace NutrientUnit

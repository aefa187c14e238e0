#pragma once

#include "core/foods/FoodFields.h"

#include <QString>
#include <QVariant>

// A food's values as the grids show them and as the table stores them. Nutrients are stored as
// numbers where they read wholly as one and as the text typed otherwise ("12.5g", "n/a"); the
// program counts each as the number TextToNumber reads in the text a grid shows for it.
class FoodValues
{
public:
    // The text a grid cell shows for a stored value.
    static QString cellText(const QVariant& value);
    // The text a grid cell shows for a stored real number: the shortest that reads back as it.
    static QString numberText(double value);
    // A stored nutrient as a number: TextToNumber of its cell text.
    static double nutrientValue(const QVariant& value);
    // The value a typed text is stored as in `field`: NULL for an empty nutrient, the largest
    // double for a number too large for one, else the text itself (the column's numeric affinity
    // makes a number of it when it reads wholly as one).
    static QVariant storedValueOf(FoodFields::Field field, const QString& text);
};

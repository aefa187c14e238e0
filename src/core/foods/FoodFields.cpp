#include "core/foods/FoodFields.h"

const QStringList& FoodFields::fieldNames()
{
    static const QStringList names { QStringLiteral("FOOD"), QStringLiteral("SERVING_UN"), QStringLiteral("CALORIES"),
        QStringLiteral("CARBS"), QStringLiteral("FAT"), QStringLiteral("SUGAR"), QStringLiteral("CHOLESTERO"),
        QStringLiteral("POINTS"), QStringLiteral("FIBER"), QStringLiteral("SUGAR_ALC") };
    return names;
}

const QStringList& FoodFields::nutrientFieldNames()
{
    static const QStringList names = fieldNames().mid(CALORIES);
    return names;
}

const QStringList& FoodFields::nutrientCaptions()
{
    static const QStringList captions { tr("Calories"), tr("Carbohydrates"), tr("Fat"), tr("Sugar"), tr("Cholesterol"),
        tr("Points"), tr("Fiber"), tr("Sugar Alcohols") };
    return captions;
}

const QStringList& FoodFields::gridCaptions()
{
    static const QStringList captions = QStringList { tr("Food"), tr("Serving Unit") } + nutrientCaptions();
    return captions;
}

#include "core/plans/MealPlan.h"

#include <QStringList>

QString MealPlan::heading(int meal)
{
    static const QStringList headings { QStringLiteral("Breakfast"), QStringLiteral("Lunch"), QStringLiteral("Dinner"),
        QStringLiteral("Snacks or Other") };
    return headings.value(meal);
}

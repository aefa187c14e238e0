#include "core/plans/SharedState.h"

#include "core/files/UserNames.h"

QString MealPlan::heading(int meal)
{
    static const QStringList headings { QStringLiteral("Breakfast"), QStringLiteral("Lunch"), QStringLiteral("Dinner"),
        QStringLiteral("Snacks or Other") };
    return headings.value(meal);
}

QString SharedState::fileKey() const
{
    return UserNames::fileKey(CurrentUserName);
}

QString SharedState::perUserFile(const QString& suffix) const
{
    return DataFolder + fileKey() + suffix + QStringLiteral(".txt");
}

QString SharedState::documentPath(const QString& name) const
{
    return DataFolder + QLatin1Char('/') + name;
}

namespace Periods {

const QStringList& names()
{
    static const QStringList list { QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Weekday"),
        QStringLiteral("Weekend"), QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
        QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"), QStringLiteral("Saturday") };
    return list;
}

const QStringList& copySuffixes()
{
    static const QStringList list { QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Weekend"),
        QStringLiteral("Weekday"), QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
        QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"), QStringLiteral("Saturday"),
        QStringLiteral("TotalsReport"), QStringLiteral("foodpropertytable"), QStringLiteral("Targets") };
    return list;
}

} // namespace Periods

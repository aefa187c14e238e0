#include "core/plans/Periods.h"

namespace Periods {

const QStringList& names()
{
    static const QStringList list { QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Weekday"),
        QStringLiteral("Weekend"), QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
        QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"), QStringLiteral("Saturday") };
    return list;
}

} // namespace Periods

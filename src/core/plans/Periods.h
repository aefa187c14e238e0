#pragma once

#include <QStringList>

namespace Periods {

// The eleven periods in the order of the period selector and the totals window.
const QStringList& names();

} // namespace Periods

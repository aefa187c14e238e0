#include "core/imports/ImportTypes.h"

#include <QCoreApplication>

// The texts keep the import's translation context, which reports have always used.
QString ImportProblem::locationText() const
{
    return isFdcId ? QStringLiteral("fdc_id %1").arg(location)
                   : QCoreApplication::translate("FoodImport", "line %1").arg(location);
}

QString ImportProblem::kindText() const
{
    switch (kind) {
    case Refused:
        return QCoreApplication::translate("FoodImport", "refused");
    case Repeated:
        return QCoreApplication::translate("FoodImport", "repeated");
    case Mended:
        break;
    }
    return QCoreApplication::translate("FoodImport", "mended");
}

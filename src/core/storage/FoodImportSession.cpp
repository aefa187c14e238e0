#include "core/storage/FoodImportSession.h"

#include <QCoreApplication>

namespace {

bool refuse(QString* error)
{
    if (error) {
        *error = QCoreApplication::translate("FoodImportSession", "this food table cannot take a copy of another");
    }
    return false;
}

} // namespace

bool FoodImportSession::insertStored(const StoredRow&, RowId*, QString* error)
{
    return refuse(error);
}

bool FoodImportSession::insertRecipe(Recipe*, RowId, QString* error)
{
    return refuse(error);
}

bool FoodImportSession::clearAll(QString* error)
{
    return refuse(error);
}

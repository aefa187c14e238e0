#include "core/workspace/FolderSetup.h"

#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"

#include <QDir>
#include <QFileInfo>

bool FolderSetup::prepare(const QString& folder, QString* error)
{
    const QString data = PlatewellFolder::dataFolder(folder);
    if (!QDir().mkpath(data)) {
        if (error) {
            *error = tr("%1: the folder could not be created").arg(QDir::toNativeSeparators(data));
        }
        return false;
    }
    const QString database = PlatewellFolder::foodDatabasePath(folder);
    if (!QFileInfo::exists(database) && !QFileInfo(database).isSymLink()) {
        if (!FoodDatabase::createFromCsv(database, PlatewellFolder::starterFoodsCsv(), error)) {
            return false;
        }
    }
    return PlatewellFolder::installDocuments(data, error);
}

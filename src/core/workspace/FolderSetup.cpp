#include "core/workspace/FolderSetup.h"

#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/workspace/StarterNutrients.h"

#include <QDir>
#include <QFileInfo>

bool FolderSetup::prepare(const QString& folder, QString* error, int* startersGivenNutrients)
{
    if (startersGivenNutrients) {
        *startersGivenNutrients = 0;
    }
    const QString data = PlatewellFolder::dataFolder(folder);
    if (!QDir().mkpath(data)) {
        if (error) {
            *error = tr("%1: the folder could not be created").arg(QDir::toNativeSeparators(data));
        }
        return false;
    }
    const QString database = PlatewellFolder::foodDatabasePath(folder);
    const bool created = !QFileInfo::exists(database) && !QFileInfo(database).isSymLink();
    if (created && !FoodDatabase::createFromCsv(database, PlatewellFolder::starterFoodsCsv(), error)) {
        return false;
    }
    // A new table gets them now; one an interrupted first start or an older Platewell left
    // without them gets them once, at the window's start. Whatever stops it leaves the table as
    // it was.
    int added = 0;
    QString ignored;
    if ((created || startersGivenNutrients) && QFileInfo(database).isFile()
        && StarterNutrients::addTo(database, &added, &ignored) && !created && startersGivenNutrients) {
        *startersGivenNutrients = added;
    }
    return PlatewellFolder::installDocuments(data, error);
}

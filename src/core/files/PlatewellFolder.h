#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The folder Platewell works in: the food table foods.db, the data folder "Tamo" with the
// documents, and the per-user files beside it.
class PlatewellFolder
{
    Q_DECLARE_TR_FUNCTIONS(PlatewellFolder)

public:
    // `--home` when given, else PLATEWELL_HOME, else the user's data location + "/Platewell".
    static QString resolve(const QString& homeOption);

    static QString foodDatabasePath(const QString& folder);
    static QString dataFolder(const QString& folder);
    // The plan on screen between runs. Its name does not begin with the data folder's name, as
    // every per-user file's does, so that no user name can make a file of the same name.
    static QString planOnScreenPath(const QString& folder);

    // The starter food table that ships with the program, as CSV text.
    static QString starterFoodsCsv();
    // Every nutrient of the same foods, in the same order, per 100 g, as CSV bytes (UTF-8).
    static QByteArray starterNutrientsCsv();
    // Copies the documents that ship with the program into the data folder where missing.
    static bool installDocuments(const QString& dataFolder, QString* error);
};

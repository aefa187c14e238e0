#pragma once

#include <QCoreApplication>
#include <QString>

// The first start on a Platewell folder: it stands above the files and the food table, since it
// makes both.
class FolderSetup
{
    Q_DECLARE_TR_FUNCTIONS(FolderSetup)

public:
    // Creates what is missing (the folder, the data folder, the food table filled with the starter
    // foods, the documents) and never touches what exists.
    static bool prepare(const QString& folder, QString* error);
};

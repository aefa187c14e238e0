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
    // foods and their nutrients, the documents) and never touches what exists, but for giving the
    // starter foods of an older food table their nutrients once (StarterNutrients) when
    // `startersGivenNutrients` is given, as the window's start gives it: how many got them comes
    // back there, for the window to say once. A command-line import leaves it out, so that it
    // changes nothing but what it imports. A table that cannot be written goes without them, and
    // without a message.
    static bool prepare(const QString& folder, QString* error, int* startersGivenNutrients = nullptr);
};

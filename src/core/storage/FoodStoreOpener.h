#pragma once

#include <QString>

#include <memory>

class FoodStore;

// Makes the store for a food table's location: the one place that knows which engine keeps a
// table there (today SQLite, whose location is a file's path). Every connection the program
// needs is made here, such as a worker thread's own for an import or an export.
class FoodStoreOpener
{
public:
    // The store for the table at `location`, not opened yet: its refresh() opens it.
    static std::unique_ptr<FoodStore> forLocation(const QString& location);
    // The same, opened; null, with the reason, when the table cannot be opened.
    static std::unique_ptr<FoodStore> open(const QString& location, QString* error);
};

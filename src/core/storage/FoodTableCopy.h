#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class FoodStore;

// Copies a whole food table into another, whichever engine keeps each: every food row exactly as
// stored, its nutrients beyond the ten fields, the catalogue they need, and every recipe, all in
// one transaction of the target, so that a copy that fails leaves it as it was. A target that
// holds any food or recipe is refused unless it is to be replaced.
class FoodTableCopy
{
    Q_DECLARE_TR_FUNCTIONS(FoodTableCopy)

public:
    // Called now and then with the foods copied and the number to copy; false cancels the copy.
    using Progress = std::function<bool(qint64 copied, qint64 total)>;

    struct Result
    {
        qint64 foods = 0;
        qint64 recipes = 0;
    };

    static bool copy(const FoodStore& from, FoodStore& to, bool replace, Result* result, QString* error,
        const Progress& progress = {});
};

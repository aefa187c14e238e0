#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringView>

#include <optional>

// The starter foods' every nutrient, which a food table gains once: a new folder's table at once,
// a table made by an older Platewell when it is next opened. Only a food whose ten fields are
// still exactly the starter's row of its name gets them, scaled from the starter's per-100-g
// values to its serving; a food the user changed keeps its nutrients unknown.
class StarterNutrients
{
    Q_DECLARE_TR_FUNCTIONS(StarterNutrients)

public:
    // Gives the table at `path` the starter's nutrients unless it had them given before, in one
    // transaction; `added` is the number of foods that got them (0 when none did or they were
    // given before). False, and the file as it was, when it cannot be written.
    static bool addTo(const QString& path, int* added, QString* error);

    // The grams of one serving a starter food's serving unit names: "1 cup, chopped (125 g)" is
    // 125, "100 g" is 100, and "1 oz (28.4 g)" is the 28.35 g the starter's ten fields were
    // scaled with. None for a unit without a weight.
    static std::optional<double> servingGrams(QStringView servingUnit);
};

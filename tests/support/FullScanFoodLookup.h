#pragma once

#include "core/foods/FoodLookup.h"

#include "core/text/TextColumn.h"

class FoodStore;

// The plain way to find a food: compare the name with every row of the table, first to last.
// It holds the whole table in memory and is slow on big tables; it serves as the reference that
// the indexed lookup must match exactly.
class FullScanFoodLookup : public FoodLookup
{
public:
    // Reads every row of the table in table order.
    bool load(const FoodStore& foods, QString* error);
    qsizetype rowCount() const { return m_names.size(); }

    const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error) override;

    // Reads every row's kept nutrients too, through the store's grid reading, with the marks of
    // the recipes' partial sums; without it the lookup keeps none.
    bool loadNutrients(const FoodStore& foods, QString* error);
    const QStringList& nutrientNumbers() const override { return m_numbers; }
    const std::vector<KeptNutrients>* nutrientsNamed(const QString& name, QString* error) override;

private:
    TextColumn m_names;
    std::vector<Nutrients> m_values;
    std::vector<Nutrients> m_matches;
    QStringList m_numbers;
    std::vector<KeptNutrients> m_kept;
    std::vector<KeptNutrients> m_keptMatches;
};

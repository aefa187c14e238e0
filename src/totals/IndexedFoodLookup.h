#pragma once

#include "FoodLookup.h"

#include <QHash>

class FoodDatabase;

// Looks names up through the food table's index on FOOD, so a calculation costs a few hundred
// index probes instead of a scan of the whole table per planned food. Each distinct name is read
// once; the cache lives as long as this object, which is meant to be one calculation.
class IndexedFoodLookup : public FoodLookup
{
public:
    explicit IndexedFoodLookup(const FoodDatabase& foods);

    const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error) override;

private:
    const FoodDatabase& m_foods;
    QHash<QString, std::vector<Nutrients>> m_cache;
};

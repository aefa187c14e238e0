#include "IndexedFoodLookup.h"

#include "fooddb/FoodDatabase.h"

IndexedFoodLookup::IndexedFoodLookup(const FoodDatabase& foods)
    : m_foods(foods)
{
}

const std::vector<FoodLookup::Nutrients>* IndexedFoodLookup::rowsNamed(const QString& name, QString* error)
{
    auto found = m_cache.find(name);
    if (found != m_cache.end()) {
        return &found.value();
    }
    std::vector<Nutrients> rows;
    if (!m_foods.isOpen()) {
        if (error) {
            *error = QStringLiteral("The food table is not open.");
        }
        return nullptr;
    }
    if (!m_foods.nutrientsOf(name, &rows, error)) {
        return nullptr;
    }
    return &m_cache.insert(name, std::move(rows)).value();
}

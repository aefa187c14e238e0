#include "FullScanFoodLookup.h"

#include "core/storage/FoodStore.h"
#include "core/text/NumberText.h"

#include <QSet>

#include <limits>

bool FullScanFoodLookup::load(const FoodStore& foods, QString* error)
{
    const std::vector<FoodFields::Field> fields { FoodFields::FOOD, FoodFields::CALORIES, FoodFields::CARBS,
        FoodFields::FAT, FoodFields::SUGAR, FoodFields::CHOLESTERO, FoodFields::POINTS, FoodFields::FIBER,
        FoodFields::SUGAR_ALC };
    std::vector<TextColumn> columns;
    if (!foods.readColumns(fields, &columns, nullptr, error)) {
        return false;
    }
    m_names = std::move(columns[0]);
    m_values.assign(static_cast<std::size_t>(m_names.size()), Nutrients {});
    for (qsizetype r = 0; r < m_names.size(); ++r) {
        auto& values = m_values[static_cast<std::size_t>(r)];
        for (std::size_t n = 0; n < values.size(); ++n) {
            values[n] = TextToNumber(columns[n + 1].at(r));
        }
    }
    return true;
}

const std::vector<FoodLookup::Nutrients>* FullScanFoodLookup::rowsNamed(const QString& name, QString*)
{
    m_matches.clear();
    const qsizetype rows = m_names.size();
    for (qsizetype r = 0; r < rows; ++r) {
        if (m_names.at(r) == name) {
            m_matches.push_back(m_values[static_cast<std::size_t>(r)]);
        }
    }
    return &m_matches;
}

bool FullScanFoodLookup::loadNutrients(const FoodStore& foods, QString* error)
{
    NutrientCatalogue catalogue;
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rows;
    QSet<FoodStore::RowId> recipes;
    if (!foods.nutrientCatalogue(&catalogue, error) || !foods.readColumns({ FoodFields::FOOD }, &columns, &rows, error)
        || !foods.recipeRows(&recipes, error)) {
        return false;
    }
    m_numbers.clear();
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        m_numbers.append(nutrient.number);
    }
    std::vector<std::vector<double>> values;
    if (!foods.readNutrientColumns(m_numbers, rows, &values, error)) {
        return false;
    }
    KeptNutrients unknown;
    unknown.values.assign(std::size_t(m_numbers.size()), std::numeric_limits<double>::quiet_NaN());
    m_kept.assign(rows.size(), unknown);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        KeptNutrients& kept = m_kept[r];
        for (std::size_t n = 0; n < values.size(); ++n) {
            kept.values[n] = values[n][r];
        }
        if (recipes.contains(rows[r])) {
            FoodNutrients nutrients;
            if (!foods.readFoodNutrients(rows[r], &nutrients, error)) {
                return false;
            }
            for (const QString& number : nutrients.incomplete) {
                kept.incomplete.push_back(int(m_numbers.indexOf(number)));
            }
        }
    }
    return true;
}

const std::vector<FoodLookup::KeptNutrients>* FullScanFoodLookup::nutrientsNamed(const QString& name, QString*)
{
    m_keptMatches.clear();
    for (qsizetype r = 0; r < m_names.size() && !m_kept.empty(); ++r) {
        if (m_names.at(r) == name) {
            m_keptMatches.push_back(m_kept[static_cast<std::size_t>(r)]);
        }
    }
    return &m_keptMatches;
}

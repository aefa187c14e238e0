#include "FullScanFoodLookup.h"

#include "core/storage/FoodStore.h"
#include "core/text/NumberText.h"

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

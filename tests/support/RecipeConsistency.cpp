#include "RecipeConsistency.h"

#include "core/recipes/RecipeTables.h"
#include "core/storage/FoodStore.h"

#include <bit>

QString recipeInconsistency(FoodStore& foods)
{
    std::vector<std::pair<qint64, QString>> recipes;
    QString error;
    if (!foods.listRecipes(&recipes, &error)) {
        return error;
    }
    for (const auto& [id, name] : recipes) {
        Recipe recipe;
        std::array<double, TotalsRow::NutrientCount> values {};
        std::vector<FoodStore::Nutrients> rows;
        if (!foods.loadRecipe(id, &recipe, &error) || !foods.recipeValues(recipe, &values, nullptr, &error)
            || !foods.nutrientsOf(name, &rows, &error)) {
            return error;
        }
        if (rows.size() != 1) {
            return QStringLiteral("%1: %2 food rows").arg(name).arg(rows.size());
        }
        for (std::size_t n = 0; n < rows[0].size(); ++n) {
            const double expected = RecipeTables::storableValue(values[n]);
            if (std::bit_cast<quint64>(rows[0][n]) != std::bit_cast<quint64>(expected)) {
                return QStringLiteral("%1: nutrient %2 is %3, its ingredients make %4")
                    .arg(name)
                    .arg(n)
                    .arg(rows[0][n], 0, 'g', 17)
                    .arg(expected, 0, 'g', 17);
            }
        }
    }
    return QString();
}

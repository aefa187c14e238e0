#include "core/storage/FoodTableCopy.h"

#include "core/storage/FoodImportSession.h"
#include "core/storage/FoodStore.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <climits>

#include <cmath>
#include <memory>

bool FoodTableCopy::copy(
    const FoodStore& from, FoodStore& to, bool replace, Result* result, QString* error, const Progress& progress)
{
    *result = Result();
    const auto fail = [error](const QString& reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    QString reason;
    NutrientCatalogue catalogue;
    std::vector<std::pair<qint64, QString>> recipes;
    // The recipes' own rows, found among the rows in table order, which the copy takes in the same order.
    std::vector<TextColumn> names;
    std::vector<FoodStore::RowId> sourceRows;
    QSet<FoodStore::RowId> recipeRows;
    const qint64 total = from.rowCount(&reason);
    if (total < 0 || !from.nutrientCatalogue(&catalogue, &reason) || !from.listRecipes(&recipes, &reason)
        || !from.readColumns({ FoodFields::FOOD }, &names, &sourceRows, &reason)
        || !from.recipeRows(&recipeRows, &reason)) {
        return fail(reason);
    }
    std::unique_ptr<FoodImportSession> session = to.beginImport(&reason);
    if (!session) {
        return fail(reason);
    }
    // Whether the target holds anything is asked inside its transaction, which holds its write
    // lock: no other desk adds a food between the answer and the copy.
    std::vector<std::pair<qint64, QString>> targetRecipes;
    const qint64 targetFoods = to.rowCount(&reason);
    if (targetFoods < 0 || !to.listRecipes(&targetRecipes, &reason)) {
        session->rollback();
        return fail(reason);
    }
    if (!replace && (targetFoods > 0 || !targetRecipes.empty())) {
        session->rollback();
        return fail(tr("The food table there holds %n food(s) and %1 recipe(s) already; nothing was copied "
                       "(--replace empties it first).",
            nullptr, int(std::min<qint64>(targetFoods, INT_MAX)))
                        .arg(targetRecipes.size()));
    }
    if (replace && !session->clearAll(&reason)) {
        session->rollback();
        return fail(reason);
    }
    // The target's catalogue gains the nutrients it lacks; one it names in another unit would
    // read every value wrongly.
    QStringList numbers;
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        numbers.append(nutrient.number);
        const Nutrient* there = session->nutrientCatalogue().find(nutrient.number);
        if (there && there->unit != nutrient.unit) {
            session->rollback();
            return fail(tr("nutrient %1 is in %2 here and in %3 there; nothing was copied.")
                            .arg(nutrient.number, nutrient.unit, there->unit));
        }
        if (!there && !session->addNutrient(nutrient, &reason)) {
            session->rollback();
            return fail(reason);
        }
    }
    qint64 copied = 0;
    bool cancelled = false;
    std::vector<FoodImportSession::RowId> copies;
    copies.reserve(sourceRows.size());
    const bool read = from.readRowsWithNutrients(
        numbers,
        [&](const StoredRow& row, const std::optional<double>& servingGrams,
            const std::vector<std::optional<double>>& values, QString* why) {
            FoodImportSession::RowId id = 0;
            if (!session->insertStored(row, &id, why)) {
                return false;
            }
            copies.push_back(id);
            FoodNutrients nutrients;
            nutrients.servingGrams = servingGrams;
            for (std::size_t n = 0; n < values.size(); ++n) {
                if (values[n] && std::isfinite(*values[n])) {
                    nutrients.values.insert(numbers[qsizetype(n)], *values[n]);
                }
            }
            if ((nutrients.servingGrams || !nutrients.values.isEmpty())
                && !session->writeNutrients(id, nutrients, why)) {
                return false;
            }
            ++copied;
            if (progress && copied % 4096 == 0 && !progress(copied, total)) {
                cancelled = true;
                *why = tr("the copy was cancelled");
                return false;
            }
            return true;
        },
        &reason);
    if (!read) {
        session->rollback();
        return fail(cancelled ? tr("The copy was cancelled; nothing was copied.") : reason);
    }
    if (copies.size() != sourceRows.size()) {
        session->rollback();
        return fail(tr("the food table changed while it was copied; nothing was copied."));
    }
    QHash<QString, FoodImportSession::RowId> ownRows;
    for (std::size_t r = 0; r < sourceRows.size(); ++r) {
        if (recipeRows.contains(sourceRows[r])) {
            ownRows.insert(names[0].at(qsizetype(r)), copies[r]);
        }
    }
    // Each recipe keeps its own row; its values are worked out again from its ingredients in the
    // same transaction, so that none disagrees with them, and a recipe whose row was lost gets one.
    QStringList ingredients;
    for (const auto& [id, name] : recipes) {
        Recipe recipe;
        if (!from.loadRecipe(id, &recipe, &reason)) {
            session->rollback();
            return fail(reason);
        }
        for (const RecipeIngredient& ingredient : recipe.ingredients) {
            ingredients.append(ingredient.food);
        }
        if (!session->insertRecipe(&recipe, ownRows.value(recipe.name, 0), &reason)) {
            session->rollback();
            return fail(reason);
        }
    }
    ingredients.removeDuplicates();
    if (!session->commit(ingredients, &reason)) {
        return fail(reason);
    }
    if (progress) {
        progress(copied, total);
    }
    result->foods = copied;
    result->recipes = qint64(recipes.size());
    return true;
}

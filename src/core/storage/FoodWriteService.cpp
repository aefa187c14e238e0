#include "core/storage/FoodWriteService.h"

#include "core/foods/FoodDatabase.h"
#include "core/nutrients/NutrientTables.h"
#include "core/recipes/RecipeTables.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteTransaction.h"
#include "core/text/MessageText.h"

#include <algorithm>

namespace {

// Whether the file's recipes allow writing row `rowid` (0 for a new row), now named `shownName`,
// as `newName`, or deleting it; if not, `reason` says why.
bool mayWriteBesideRecipes(RecipeTables& recipes, qint64 rowid, const QString& shownName, const QString& newName,
    bool deleting, QString* reason)
{
    // A recipe's row holds values computed from its ingredients; an edit by hand would go stale,
    // and a second food of a recipe's name would be counted with it wherever the name is planned.
    qint64 recipe = 0;
    if (rowid > 0 && !recipes.recipeOfRow(rowid, &recipe, reason)) {
        return false;
    }
    if (recipe != 0) {
        *reason = deleting
            ? FoodWriteService::tr("\"%1\" is a recipe: delete it in the Recipes window")
                  .arg(MessageText::quoted(shownName))
            : FoodWriteService::tr(
                "\"%1\" is a recipe: change it in the Recipes window, which keeps its values in step with its "
                "ingredients")
                  .arg(MessageText::quoted(shownName));
        return false;
    }
    if (!deleting && newName != shownName) {
        if (!recipes.recipeNamed(newName, &recipe, reason)) {
            return false;
        }
        if (recipe != 0) {
            *reason = FoodWriteService::tr("a recipe is named \"%1\"; give the food another name")
                          .arg(MessageText::quoted(newName));
            return false;
        }
    }
    return true;
}

// A recipe names its ingredients by food name, so a food renamed from under it would drop out of
// it. While no other row keeps the old name, the rename is the same food under a new name: its
// recipes follow it. Where another row still bears the old name, that row is what the recipes
// now mean. A new name another food bears is refused: the recipes would count that food too,
// and their values would change without a word.
bool followRename(RecipeTables& recipes, qint64 rowid, const QString& oldName, const QString& newName,
    QStringList* renamedIn, QString* reason)
{
    bool stillThere = false;
    if (!recipes.otherFoodNamed(oldName, rowid, &stillThere, reason)) {
        return false;
    }
    if (stillThere) {
        return true;
    }
    QStringList users;
    if (!recipes.directUserNames(oldName, 0, &users, reason)) {
        return false;
    }
    if (users.isEmpty()) {
        return true;
    }
    QString clash;
    if (!recipes.renameIngredient(oldName, newName, &clash, reason)) {
        return false;
    }
    if (!clash.isEmpty()) {
        *reason = FoodWriteService::tr("the recipe \"%1\" has both \"%2\" and \"%3\" as ingredients; join them in the "
                                       "Recipes window first")
                      .arg(MessageText::quoted(clash), MessageText::quoted(oldName), MessageText::quoted(newName));
        return false;
    }
    bool taken = false;
    if (!recipes.otherFoodNamed(newName, rowid, &taken, reason)) {
        return false;
    }
    if (taken) {
        *reason = FoodWriteService::tr("another food is named \"%1\", and recipes are made of \"%2\": they would count "
                                       "both foods. Give the food a name of its own")
                      .arg(MessageText::quoted(newName), MessageText::quoted(oldName));
        return false;
    }
    if (renamedIn) {
        std::sort(users.begin(), users.end(),
            [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
        *renamedIn = users;
    }
    return true;
}

// An edit of a food's ten fields leaves its other nutrients as they are, and so its recipes'; a
// rename may make its recipes' ingredients other rows, which changes all of them.
RecipeTables::Recompute recomputeAfterFields(const QString& oldName, const QString& newName)
{
    RecipeTables::Recompute recompute;
    if (oldName == newName) {
        recompute.nutrients = RecipeNutrients::Scope::nothing();
    }
    return recompute;
}

} // namespace

FoodWriteService::FoodWriteService(FoodDatabase& foods)
    : m_foods(foods)
{ }

bool FoodWriteService::inTransaction(qint64 rowid, const QString& shownName,
    const std::function<bool(RecipeTables* recipes, QString*)>& write, QString* error)
{
    SqliteTransaction transaction(m_foods.connection());
    if (!transaction.beginWrite()) {
        return m_foods.fail(m_foods.connection().message(), error);
    }
    QString reason;
    RecipeTables recipes(m_foods.connection());
    bool withRecipes = false;
    if ((rowid == 0 || m_foods.holdsShownName(rowid, shownName, &reason)) && recipes.exist(&withRecipes, &reason)
        && write(withRecipes ? &recipes : nullptr, &reason) && transaction.commit()) {
        return true;
    }
    // Whatever failed, the transaction rolls back as it goes: nothing of the write stays.
    return m_foods.fail(reason.isEmpty() ? m_foods.connection().message() : reason, error);
}

bool FoodWriteService::updateFields(qint64 rowid, const QString& shownName, const FoodFields::FieldChanges& changes,
    QString* error, QStringList* renamedIn)
{
    if (renamedIn) {
        renamedIn->clear();
    }
    if (changes.empty()) {
        return true;
    }
    QString newName = shownName;
    bool valuesChange = false;
    for (const auto& change : changes) {
        if (change.first == FoodFields::FOOD) {
            newName = change.second;
        }
        valuesChange = valuesChange || change.first != FoodFields::SERVING_UN;
    }
    return inTransaction(
        rowid, shownName,
        [&](RecipeTables* recipes, QString* reason) {
            return (!recipes || mayWriteBesideRecipes(*recipes, rowid, shownName, newName, false, reason))
                && m_foods.writeFields(rowid, changes, reason)
                && (!recipes || newName == shownName
                    || followRename(*recipes, rowid, shownName, newName, renamedIn, reason))
                && (!recipes || !valuesChange
                    || recipes->recomputeUsing(
                        { shownName, newName }, reason, recomputeAfterFields(shownName, newName)));
        },
        error);
}

bool FoodWriteService::insertRecord(const QStringList& values, qint64* rowid, QString* error)
{
    // The check for a recipe of that name and the recipes recomputed see the table as the insert
    // leaves it, inside the one transaction.
    const QString name = values.value(FoodFields::FOOD);
    qint64 id = 0;
    const bool written = inTransaction(
        0, QString(),
        [&](RecipeTables* recipes, QString* reason) {
            return (!recipes || mayWriteBesideRecipes(*recipes, 0, QString(), name, false, reason))
                && m_foods.insertRow(values, &id, reason) && (!recipes || recipes->recomputeUsing({ name }, reason));
        },
        error);
    if (written && rowid) {
        *rowid = id;
    }
    return written;
}

bool FoodWriteService::deleteRecord(qint64 rowid, const QString& shownName, QString* error)
{
    return inTransaction(
        rowid, shownName,
        [&](RecipeTables* recipes, QString* reason) {
            return (!recipes || mayWriteBesideRecipes(*recipes, rowid, shownName, QString(), true, reason))
                && m_foods.deleteRow(rowid, reason) && (!recipes || recipes->recomputeUsing({ shownName }, reason));
        },
        error);
}

bool FoodWriteService::writeNutrients(
    qint64 rowid, const QString& shownName, const FoodNutrientChanges& changes, QString* error)
{
    if (changes.isEmpty()) {
        return true;
    }
    return inTransaction(
        rowid, shownName,
        [&](RecipeTables* recipes, QString* reason) {
            NutrientTables nutrients(m_foods.connection());
            // The recipes made of the food change in the nutrients the edit names, and only there.
            RecipeTables::Recompute recompute { false, RecipeNutrients::Scope::nothing() };
            recompute.nutrients.servingGrams = changes.servingGramsChanged;
            for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
                recompute.nutrients.numbers.insert(it.key());
            }
            return (!recipes || mayWriteBesideRecipes(*recipes, rowid, shownName, shownName, false, reason))
                && nutrients.create(reason) && nutrients.write(rowid, changes, reason)
                && (!recipes || recipes->recomputeUsing({ shownName }, reason, recompute));
        },
        error);
}

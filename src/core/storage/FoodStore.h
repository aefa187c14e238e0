#pragma once

#include "core/foods/FoodFields.h"
#include "core/foods/StoredRow.h"
#include "core/nutrients/FoodNutrients.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/recipes/Recipe.h"
#include "core/text/TextColumn.h"
#include "core/totals/TotalsCalculator.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class FoodImportSession;
class FoodLookup;

// The food table and its recipes, wherever they are kept: every window and core service reaches
// them through this interface alone, and each engine (SQLite today) is one implementation of it.
// A row is known by an opaque 64-bit identity that stays with it while it exists and means
// nothing else. Every write is one transaction, made whole or not at all: a food and the recipes
// made of it change together. Nothing here shows a window; every failure comes back as false
// with a message that names the table.
class FoodStore
{
public:
    using RowId = qint64;
    using FieldChanges = FoodFields::FieldChanges;
    using Nutrients = std::array<double, FoodFields::NutrientCount>;
    using RecipeValues = std::array<double, TotalsRow::NutrientCount>;
    // Called with each row in table order; false stops the reading, with the reason in `reason`.
    using RowVisitor = std::function<bool(const StoredRow& row, QString* reason)>;

    virtual ~FoodStore() = default;

    // Where the table is, as messages name it.
    virtual QString location() const = 0;
    // Opens the table unless it is open and still the one at its location: a file another
    // program replaced, or deleted, is opened afresh, so every reader sees what is there now.
    virtual bool refresh(QString* error) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    // Reading foods.
    // The given fields of every row, in table order, with each row's identity.
    virtual bool readColumns(const std::vector<FoodFields::Field>& fields, std::vector<TextColumn>* columns,
        std::vector<RowId>* rows, QString* error) const = 0;
    // The same for the first `limit` rows, in table order or (`byName`) in the order of their
    // names (by name, equal names by identity), found without reading the others; false when the
    // table cannot give them so.
    virtual bool readFirstRows(const std::vector<FoodFields::Field>& fields, int limit, bool byName,
        std::vector<TextColumn>* columns, std::vector<RowId>* rows, QString* error) const = 0;
    // A number of rows the table does not exceed, told at once without reading them; -1 on failure.
    virtual qint64 rowCountBound(QString* error) const = 0;
    // Once `*stop` is true, a read running on this store (on another thread) fails at once; for
    // a store opened to read on a worker thread. Null stops nothing.
    virtual void stopReadsWhen(const std::atomic<bool>* stop) = 0;
    // Every row in table order as stored; a failure or `visit`'s reason comes back as it is.
    virtual bool readRows(const RowVisitor& visit, QString* error) const = 0;
    // The number of rows, or -1.
    virtual qint64 rowCount(QString* error) const = 0;
    // The positions (into `rows`, read in table order) of the foods in the order of their names
    // as the table's name index holds them; false when there is no such order to take.
    virtual bool readNameOrder(
        const std::vector<RowId>& rows, std::vector<std::uint32_t>* order, QString* error) const = 0;
    // The ten cell texts of one row; false when it cannot be read or no longer exists.
    virtual bool readRecord(RowId row, QStringList* values, QString* error) const = 0;
    // The eight nutrients, as numbers, of every row whose name is exactly `name`, in table order.
    virtual bool nutrientsOf(const QString& name, std::vector<Nutrients>* rows, QString* error) const = 0;
    // The serving unit of the first row of exactly that name; empty when there is none.
    virtual bool servingUnitOf(const QString& name, QString* unit, QString* error) const = 0;
    // A lookup of foods by name for one calculation of totals, reading one state of the table; it
    // holds the table's read lock until it goes, and goes before the store.
    virtual std::unique_ptr<FoodLookup> lookup() const = 0;

    // Writing foods. A write to a row shown to the user first checks, in its transaction, that
    // the row still holds the name that was shown (`shownName`): another program may have changed
    // the table. A recipe's own row is refused: it changes only with its recipe.
    // Writes only the given fields, so that a field another program changed meanwhile keeps its
    // value. A food renamed while no other row keeps its old name takes its recipes along;
    // `renamedIn` (when given) names them. Such a rename to the name of another food is refused,
    // naming it: the recipes would count both.
    virtual bool updateFields(RowId row, const QString& shownName, const FieldChanges& changes, QString* error,
        QStringList* renamedIn = nullptr)
        = 0;
    virtual bool insertRecord(const QStringList& values, RowId* row, QString* error) = 0;
    virtual bool deleteRecord(RowId row, const QString& shownName, QString* error) = 0;
    // Begins an import: many writes in one transaction, which only its commit ends well.
    virtual std::unique_ptr<FoodImportSession> beginImport(QString* error) = 0;

    // Nutrients beyond the ten fields, per serving, with the grams of one serving: a food has
    // them only while its row bears the name they were written under, and a nutrient without a
    // value is unknown, never 0. Deleting a food drops them. A file that has never kept any
    // reads as the starter's catalogue with every value unknown.
    virtual bool nutrientCatalogue(NutrientCatalogue* catalogue, QString* error) const = 0;
    virtual bool readFoodNutrients(RowId row, FoodNutrients* nutrients, QString* error) const = 0;
    // The grams of one serving of the first row of exactly that name (as servingUnitOf), by the
    // name index and that one row's nutrients; none where the food or its serving weight is not
    // known.
    virtual bool servingGramsOf(const QString& name, std::optional<double>* grams, QString* error) const = 0;
    // Writes only `changes`, after checking in its transaction that the row still bears
    // `shownName`; a recipe's own row is refused, as for its fields.
    virtual bool writeFoodNutrients(
        RowId row, const QString& shownName, const FoodNutrientChanges& changes, QString* error)
        = 0;
    // For each nutrient number, the value of each of `rows` in that order (unknown where none),
    // read in one pass for a grid of a million foods.
    // Every row in table order as readRows() hands it, with its serving grams and its values of
    // `numbers` (unknown where none), all of one state of the table.
    using NutrientRowVisitor = std::function<bool(const StoredRow& row, const std::optional<double>& servingGrams,
        const std::vector<std::optional<double>>& values, QString* reason)>;
    virtual bool readRowsWithNutrients(
        const QStringList& numbers, const NutrientRowVisitor& visit, QString* error) const = 0;
    virtual bool readNutrientColumns(const QStringList& numbers, const std::vector<RowId>& rows,
        std::vector<std::vector<double>>* columns, QString* error) const = 0;
    // The grams of one serving of each of `rows` in that order (not-a-number where not known),
    // read in one pass.
    virtual bool readServingGrams(const std::vector<RowId>& rows, std::vector<double>* grams, QString* error) const = 0;
    // The foods richest in nutrient `number` per serving, found without reading the others: every
    // food whose value lies above some bound, with its name and value, in no order. `*found` is
    // false where the table cannot give them so, and every food must be ranked.
    struct RichFood
    {
        RowId row = 0;
        QString name;
        double value = 0;
    };
    virtual bool readRichest(
        const QString& number, std::vector<RichFood>* foods, bool* found, QString* error) const = 0;

    // Recipes. The messages say what to do, ready to show.
    // The recipes' ids and names, by name; none when the table has no recipes.
    virtual bool listRecipes(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const = 0;
    virtual bool loadRecipe(qint64 id, Recipe* recipe, QString* error) const = 0;
    // The nine values (Net Carbs last) of one serving of `recipe` as it stands, read from the
    // table now; the ingredients whose food is not in the table are named in `missing`.
    virtual bool recipeValues(
        const Recipe& recipe, RecipeValues* values, QStringList* missing, QString* error) const = 0;
    // Checks the recipe and writes it, its own row and the recipes made of it; a new recipe gets
    // its id, and `recipe` holds what was saved. `storedName`, when given, is the name the user
    // last saw the stored recipe under: a recipe that no longer bears it is left alone.
    virtual bool saveRecipe(Recipe* recipe, QString* error, const QString& storedName = {}) = 0;
    virtual bool renameRecipe(qint64 id, const QString& storedName, const QString& newName, QString* error) = 0;
    // Deletes the recipe and its row; refused while other recipes are made of it.
    virtual bool removeRecipe(qint64 id, const QString& storedName, QString* error) = 0;
    // The recipes made of the food of that name, directly or through other recipes, by name.
    virtual bool recipesUsing(const QString& foodName, QStringList* recipeNames, QString* error) const = 0;
    // Whether the row is a recipe's own row.
    virtual bool isRecipeRow(RowId row) const = 0;
    virtual bool isRecipeName(const QString& name) const = 0;
    // The rows that are recipes' own rows; none in a table without recipes.
    virtual bool recipeRows(QSet<RowId>* rows, QString* error) const = 0;
};

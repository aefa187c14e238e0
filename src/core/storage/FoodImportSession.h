#pragma once

#include "core/foods/FoodFields.h"
#include "core/foods/StoredRow.h"
#include "core/nutrients/FoodNutrients.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/recipes/Recipe.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <vector>

// One import's writes to the food table (FoodStore::beginImport), all in one transaction that
// only commit() ends well: rolled back, or dropped before that, it leaves the table as it was.
// The transaction holds the table's write lock from the start, so no other writer comes between
// the import's checks and its writes. Its messages name the table.
class FoodImportSession
{
public:
    using RowId = qint64;
    // A food's eight nutrients as a source gives them: null, a number, or a text as typed, which
    // is stored as the food editor stores a typed text.
    using Nutrients = std::array<QVariant, FoodFields::NutrientCount>;

    virtual ~FoodImportSession() = default;

    // The recipes' names, and the foods they are made of, as the import began.
    virtual const QSet<QString>& recipeNames() const = 0;
    virtual const QSet<QString>& ingredientFoods() const = 0;

    // findRows() without a limit.
    static constexpr qint64 AllRows = -1;

    // The first `most` rows (all for AllRows) that bear exactly that name, as the program writes
    // it or as an older tool stored it, in table order. The table's name index finds the first
    // without reading the others, however many there are.
    virtual bool findRows(const QString& name, qint64 most, std::vector<RowId>* rows, QString* error) = 0;
    virtual bool insertFood(
        const QString& name, const QString& serving, const Nutrients& nutrients, RowId* row, QString* error)
        = 0;
    // Gives row `row` the name, serving unit and nutrients in place.
    virtual bool replaceFood(
        RowId row, const QString& name, const QString& serving, const Nutrients& nutrients, QString* error)
        = 0;

    // The table's nutrient catalogue as the import began, with what addNutrient() added since.
    virtual const NutrientCatalogue& nutrientCatalogue() const = 0;
    // Adds a nutrient the catalogue lacks (NutrientCatalogue::add says which can be added).
    virtual bool addNutrient(const Nutrient& nutrient, QString* error) = 0;
    // Makes `nutrients` all that row `row`, just inserted or replaced, keeps besides its ten
    // fields. replaceFood() drops what the row kept before, which belonged to its old values.
    virtual bool writeNutrients(RowId row, const FoodNutrients& nutrients, QString* error) = 0;

    // For a copy of a whole table. The default refuses, for a table that cannot do it.
    // Inserts a row exactly as another table holds it, each cell of the same kind.
    virtual bool insertStored(const StoredRow& row, RowId* id, QString* error);
    // Writes a recipe as another table holds it, with `ownRow` as its own row, without working
    // its values out again; `recipe` gets its id here.
    virtual bool insertRecipe(Recipe* recipe, RowId ownRow, QString* error);
    // Empties the table: every food, with its nutrients, and every recipe.
    virtual bool clearAll(QString* error);

    // Recomputes the recipes made of `changedFoods` and commits, in the import's one transaction;
    // on failure nothing of the import stays.
    virtual bool commit(const QStringList& changedFoods, QString* error) = 0;
    virtual void rollback() = 0;
};

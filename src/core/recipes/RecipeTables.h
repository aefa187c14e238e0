#pragma once

#include "core/foods/FoodFields.h"
#include "core/recipes/Recipe.h"
#include "core/recipes/RecipeNutrients.h"
#include "core/totals/TotalsCalculator.h"

#include "core/sqlite/SqliteStatementCache.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class SqliteConnection;
class SqliteStatement;

// The recipe tables of a food table file, worked through an open SQLite connection: the recipes'
// definitions (table `recipes`, and `recipe_ingredients` in recipe order), each recipe's values
// per serving computed from the food rows of its ingredients, and each recipe's own row in
// `foods`, which is linked by rowid and counts only while it still holds the recipe's name.
//
// It never begins or ends a transaction. Every write is made inside the caller's write
// transaction, so that a food and the recipes made of it change together or not at all; reads
// see whatever the caller's transaction (or none) sees. A file without the recipe tables has no
// recipes: nothing here writes to it unless create() is called.
class RecipeTables
{
    Q_DECLARE_TR_FUNCTIONS(RecipeTables)

public:
    using Values = std::array<double, TotalsRow::NutrientCount>;
    using Nutrients = std::array<double, FoodFields::NutrientCount>;

    explicit RecipeTables(SqliteConnection& connection);
    ~RecipeTables();
    RecipeTables(const RecipeTables&) = delete;
    RecipeTables& operator=(const RecipeTables&) = delete;

    // Whether the file holds the recipe tables.
    bool exist(bool* exist, QString* error);
    // Creates the recipe tables and their indexes unless they exist.
    bool create(QString* error);

    // The ids and names of all recipes, in no particular order.
    bool list(std::vector<std::pair<qint64, QString>>* recipes, QString* error);
    // Reads a recipe and the rowid of its food row as last written; `found` is false when no
    // recipe has this id.
    bool read(qint64 id, Recipe* recipe, qint64* foodRowid, bool* found, QString* error);
    // The names of every food some recipe has as an ingredient.
    bool ingredientFoods(QSet<QString>* foods, QString* error);
    // The id of the recipe of exactly that name, or 0.
    bool recipeNamed(const QString& name, qint64* id, QString* error);
    // The id of the recipe whose own food row is `rowid`, or 0.
    bool recipeOfRow(qint64 rowid, qint64* id, QString* error);
    // The rowids of every recipe's own food row that still bears its recipe's name.
    bool recipeRows(QSet<qint64>* rowids, QString* error);
    // The names of the recipes other than `except` with an ingredient of exactly that name.
    bool directUserNames(const QString& food, qint64 except, QStringList* names, QString* error);
    // Every recipe that uses one of `foods`, directly or through other recipes, each after the
    // recipes it uses among them, with the rowid of its food row.
    bool usersInOrder(const QStringList& foods, std::vector<std::pair<Recipe, qint64>>* recipes, QString* error);

    // The nine values of one serving: for each ingredient in order, each food row of its exact
    // name in table order adds its eight nutrients times the quantity to running totals, Net
    // Carbs derived afresh after each row, as the totals add a plan; then each is divided by the
    // servings. The ingredients that match no food row are appended to `missing`.
    bool values(const Recipe& recipe, Values* values, QStringList* missing, QString* error);

    // The recipe's own food row: updated in place when `linkedRowid` still holds `linkedName`,
    // else inserted; `rowid` is the row written.
    bool writeFoodRow(const Recipe& recipe, qint64 linkedRowid, const QString& linkedName, const Values& values,
        qint64* rowid, QString* error);
    // Whether row `rowid` exists and holds the food name `name`.
    bool rowHolds(qint64 rowid, const QString& name, bool* holds, QString* error);
    // Whether a food row other than `except` bears that name.
    bool otherFoodNamed(const QString& name, qint64 except, bool* exists, QString* error);
    // Writes the definition (a new recipe gets its id) and the rowid of its food row.
    bool writeDefinition(Recipe* recipe, qint64 foodRowid, QString* error);
    bool deleteRecipe(qint64 id, QString* error);
    bool deleteFoodRow(qint64 rowid, QString* error);
    // Makes the recipes that use `from` as an ingredient use `to` instead; `clash` names a recipe
    // that already holds both, and then nothing is changed.
    bool renameIngredient(const QString& from, const QString& to, QString* clash, QString* error);

    // What a recompute works out: the ten fields of the recipes' rows, and which of the nutrients
    // beyond them. An edit of a food's ten fields changes none of its other nutrients, and an edit
    // of some of its nutrients only those.
    struct Recompute
    {
        bool fields = true;
        RecipeNutrients::Scope nutrients;
    };

    // Recomputes every recipe that uses one of `foods`, directly or through other recipes, in
    // dependency order, and writes its food row. Does nothing in a file without recipe tables.
    bool recomputeUsing(const QStringList& foods, QString* error);
    bool recomputeUsing(const QStringList& foods, QString* error, const Recompute& what);
    // Works out `scope` of the recipe's nutrients beyond the ten fields and writes them to its own
    // row `rowid` (see RecipeNutrients).
    bool writeNutrients(const Recipe& recipe, qint64 rowid, const RecipeNutrients::Scope& scope, QString* error);

    // The recipes through which `ingredients` lead back to the recipe named `name` (or its former
    // name, which references will follow): the chain from `name` back to it, or empty.
    bool findCycle(const QString& name, const QString& formerName, const std::vector<RecipeIngredient>& ingredients,
        QStringList* chain, QString* error);

    // The value a food row keeps for a computed one: a double that reads back as itself, an
    // overflow held at the largest double as the food table holds typed numbers too large.
    static double storableValue(double value);

private:
    // What the connection's last failure means to the user; always false.
    bool fail(QString* error) const;
    // A prepared statement of the cache, ready for a new run; null after a failure.
    SqliteStatement* statement(const char* sql, QString* error);
    bool readIngredients(qint64 id, std::vector<RecipeIngredient>* ingredients, QString* error);
    bool directUsers(const QString& food, std::vector<qint64>* ids, QString* error);
    const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error);
    // Reads the rows of all these names not read yet, a few hundred names a query.
    bool prefetch(const QStringList& names, QString* error);
    bool execute(SqliteStatement* statement, QString* error);

    SqliteConnection& m_connection;
    // Keyed by the text's address: each statement is a literal or a static text.
    SqliteStatementCache m_statements;
    // Food rows by name, read once per object; a recipe row written here replaces its entry.
    QHash<QString, std::vector<Nutrients>> m_rows;
    std::unique_ptr<RecipeNutrients> m_nutrients;
};

#pragma once

#include "core/recipes/Recipe.h"
#include "core/totals/TotalsCalculator.h"

#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <utility>
#include <vector>

class FoodDatabase;
class RecipeTables;

// The recipes of the open food table file. A recipe is kept in tables of its own beside `foods`
// (made when the first recipe is saved; a file without them is only ever read) and as a food row
// of its name holding the values of one serving, which the food table keeps in step whenever one
// of its ingredients changes. Every write is one immediate transaction: it is made whole or not
// at all, and a refused or failed one leaves the file as it was.
// This class never shows a window: every failure comes back as false with a message to show.
class RecipeBook
{
    Q_DECLARE_TR_FUNCTIONS(RecipeBook)

public:
    explicit RecipeBook(FoodDatabase& foods);

    // The recipes' ids and names, by name; none (and true) when the file has no recipe tables.
    bool list(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const;
    bool load(qint64 id, Recipe* recipe, QString* error) const;
    // The nine values (TotalsRow order, Net Carbs last) of one serving of `recipe` as it stands,
    // read from the food table now; the ingredients whose food is not in the table are named in
    // `missing`. Nothing is written, so this serves a preview of a recipe being typed.
    bool valuesPerServing(const Recipe& recipe, std::array<double, TotalsRow::NutrientCount>* values,
        QStringList* missing, QString* error) const;
    // Checks the recipe and writes it and its food row in one transaction; the recipes made of
    // it are recomputed in the same one. A new recipe gets its id. On success `recipe` holds what
    // was saved: the name without blanks around it and each quantity as ingredientQuantity()
    // makes it. A recipe saved under a new name keeps its place in the recipes made of it.
    // `storedName`, when given, is the name the user last saw the stored recipe under: another
    // program may have replaced the file meanwhile, and a recipe of the same id but another name
    // is then a different recipe, which is left alone.
    bool save(Recipe* recipe, QString* error, const QString& storedName = {});
    // Saves the stored recipe, last seen as `storedName`, under a new name, as save() does.
    bool rename(qint64 id, const QString& storedName, const QString& newName, QString* error);
    // Deletes the recipe, last seen as `storedName`, and its food row; refused, naming them, while
    // other recipes use it.
    bool remove(qint64 id, const QString& storedName, QString* error);
    // The recipes that use the food of that name, directly or through other recipes, by name.
    bool recipesUsing(const QString& foodName, QStringList* recipeNames, QString* error) const;
    // Whether the food row with this rowid is a recipe's own row; a row of a recipe's name that
    // another program renamed or added is not.
    bool isRecipeRow(qint64 rowid) const;
    // Whether a recipe bears exactly this name.
    bool isRecipeName(const QString& name) const;
    // The rowids of the food rows that are recipes' own rows; none in a file without recipes.
    static bool recipeRows(const FoodDatabase& foods, QSet<qint64>* rowids, QString* error);

    // The quantity as an ingredient holds it, the text the main window's Add stores for the
    // typed text (NumberToText of TextToNumber, so "2 cups" is 2); empty with a reason when it
    // reads as no number above 0.
    static QString ingredientQuantity(const QString& typed, QString* reason);
    // Why a name cannot be a recipe's, or empty when it can (blanks around it are not counted):
    // the plan files must hold it as a food name.
    static QString nameProblem(const QString& name);
    // Why a number of servings cannot be a recipe's, or empty: it must be a number above 0.
    static QString servingsProblem(double servings);

private:
    enum class Access { Read, Write };

    // Runs `work` on the recipe tables in one transaction of the file, with the message to give
    // in `error` when it fails: a read sees one state of the file (joining a transaction already
    // open), a write takes the write lock first and commits only when `work` succeeds.
    bool inTransaction(Access access, const std::function<bool(RecipeTables&, QString*)>& work, QString* error) const;
    // Checks what needs no file, trims the name and rewrites the quantities; empty when fine.
    static QString checkFields(Recipe* recipe);
    // Writes a checked recipe inside the caller's transaction; the message when refused.
    QString write(RecipeTables& tables, Recipe* recipe, const QString& storedName = {}) const;
    // A message for a failure of the file, naming it.
    QString inFile(const QString& reason) const;
    // Whether the food table is open; false, with the message to give, when it is not.
    bool isOpen(QString* error) const;
    // Reads the stored recipe `id` inside the caller's transaction; false, with the message to
    // give, when it cannot be read, is no longer there or no longer bears `storedName` (when given).
    bool readStored(RecipeTables& tables, qint64 id, Recipe* recipe, qint64* rowid, QString* error,
        const QString& storedName = {}) const;
    // The message for a recipe that is gone or is now another one.
    static QString goneMessage();
    bool refuse(const QString& message, QString* error) const;

    FoodDatabase& m_foods;
};

#pragma once

#include <QString>

#include <vector>

// One ingredient of a recipe: a food of the food table, by its exact name, and how many of that
// food's serving units go in, as the text NumberToText makes (as a meal holds its quantities).
struct RecipeIngredient
{
    QString food;
    QString quantity;

    bool operator==(const RecipeIngredient&) const = default;
};

// A dish made of foods. It is also a food of its own: the food table holds a row of its name and
// serving unit with the values of one serving, so that it is planned and totalled like any food.
struct Recipe
{
    // The recipe's identity in the file; 0 for a recipe not saved yet.
    qint64 id = 0;
    QString name;
    // How many servings the ingredients make.
    double servings = 1;
    QString servingUnit = QStringLiteral("1 serving");
    std::vector<RecipeIngredient> ingredients;

    bool operator==(const Recipe&) const = default;
};

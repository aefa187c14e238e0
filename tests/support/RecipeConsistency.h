#pragma once

#include <QString>

class FoodStore;

// Checks every recipe of the open food table: its food row exists once under its name and holds,
// to the last bit, the values per serving its ingredients make now. Empty when all hold; else
// what differs, naming the recipe.
QString recipeInconsistency(FoodStore& foods);

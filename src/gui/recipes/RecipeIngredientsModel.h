#pragma once

#include "core/recipes/Recipe.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

// The ingredients of the recipe a window edits, a row each: the food, its quantity and the food's
// serving unit. The recipe is the window's own; the calls below change it and tell the views, so
// the window changes its ingredients only through them. An ingredient whose food left the food
// table is shown in italics, with "(missing)" for its unit.
class RecipeIngredientsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { FoodColumn, QuantityColumn, UnitColumn, ColumnCount };

    explicit RecipeIngredientsModel(Recipe& recipe, QObject* parent = nullptr);

    // Replaces the whole recipe, ingredients and all.
    void setRecipe(const Recipe& recipe);
    void append(const RecipeIngredient& ingredient);
    void remove(int row);
    // Swaps the ingredient in `row` with the one in `to`, next to it.
    void swap(int row, int to);
    void setQuantity(int row, const QString& quantity);
    // The serving unit of each food, by its name, as the food table holds it now.
    void setServingUnits(const QHash<QString, QString>& units);
    // The foods no longer in the food table.
    void setMissing(const QStringList& foods);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void allRowsChanged();

    Recipe& m_recipe;
    QHash<QString, QString> m_units;
    QStringList m_missing;
};

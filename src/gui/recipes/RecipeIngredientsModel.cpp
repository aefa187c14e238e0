#include "gui/recipes/RecipeIngredientsModel.h"

#include <QFont>

#include <algorithm>

RecipeIngredientsModel::RecipeIngredientsModel(Recipe& recipe, QObject* parent)
    : QAbstractTableModel(parent)
    , m_recipe(recipe)
{ }

void RecipeIngredientsModel::setRecipe(const Recipe& recipe)
{
    // The same foods in the same order (a recipe as saved, its quantities written out) keep their
    // rows, and the views their current row.
    const bool sameRows = std::equal(m_recipe.ingredients.begin(), m_recipe.ingredients.end(),
        recipe.ingredients.begin(), recipe.ingredients.end(),
        [](const RecipeIngredient& a, const RecipeIngredient& b) { return a.food == b.food; });
    if (sameRows) {
        m_recipe = recipe;
        allRowsChanged();
        return;
    }
    beginResetModel();
    m_recipe = recipe;
    endResetModel();
}

void RecipeIngredientsModel::append(const RecipeIngredient& ingredient)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_recipe.ingredients.push_back(ingredient);
    endInsertRows();
}

void RecipeIngredientsModel::remove(int row)
{
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_recipe.ingredients.erase(m_recipe.ingredients.begin() + row);
    endRemoveRows();
}

void RecipeIngredientsModel::swap(int row, int to)
{
    if (row < 0 || row >= rowCount() || to < 0 || to >= rowCount() || (to != row + 1 && to != row - 1)) {
        return;
    }
    // A row moves down by being placed before the row after its neighbour.
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), to > row ? to + 1 : to);
    std::swap(m_recipe.ingredients[std::size_t(row)], m_recipe.ingredients[std::size_t(to)]);
    endMoveRows();
}

void RecipeIngredientsModel::setQuantity(int row, const QString& quantity)
{
    if (row < 0 || row >= rowCount()) {
        return;
    }
    m_recipe.ingredients[std::size_t(row)].quantity = quantity;
    emit dataChanged(index(row, QuantityColumn), index(row, QuantityColumn));
}

void RecipeIngredientsModel::setServingUnits(const QHash<QString, QString>& units)
{
    m_units = units;
    allRowsChanged();
}

void RecipeIngredientsModel::setMissing(const QStringList& foods)
{
    if (foods == m_missing) {
        return;
    }
    m_missing = foods;
    allRowsChanged();
}

void RecipeIngredientsModel::allRowsChanged()
{
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

int RecipeIngredientsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_recipe.ingredients.size());
}

int RecipeIngredientsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecipeIngredientsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index)) {
        return QVariant();
    }
    const RecipeIngredient& ingredient = m_recipe.ingredients[std::size_t(index.row())];
    const bool missing = m_missing.contains(ingredient.food);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FoodColumn:
            return ingredient.food;
        case QuantityColumn:
            return ingredient.quantity.trimmed();
        default:
            return missing ? tr("(missing)") : m_units.value(ingredient.food);
        }
    case Qt::FontRole:
        if (index.column() == FoodColumn && missing) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return QVariant();
    case Qt::ToolTipRole:
        if (index.column() == FoodColumn && missing) {
            return tr("This food is no longer in the food table: it counts nothing.");
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant RecipeIngredientsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const QStringList captions { tr("Ingredient"), tr("Quantity"), tr("Serving unit") };
    return captions.value(section);
}

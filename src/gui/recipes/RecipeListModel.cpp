#include "gui/recipes/RecipeListModel.h"

void RecipeListModel::setRecipes(std::vector<std::pair<qint64, QString>> recipes)
{
    beginResetModel();
    m_recipes = std::move(recipes);
    endResetModel();
}

qint64 RecipeListModel::idAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_recipes[std::size_t(row)].first : 0;
}

int RecipeListModel::rowOf(qint64 id) const
{
    for (std::size_t r = 0; r < m_recipes.size(); ++r) {
        if (m_recipes[r].first == id) {
            return int(r);
        }
    }
    return -1;
}

int RecipeListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_recipes.size());
}

QVariant RecipeListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return QVariant();
    }
    return m_recipes[std::size_t(index.row())].second;
}

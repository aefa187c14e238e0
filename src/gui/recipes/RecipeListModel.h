#pragma once

#include <QAbstractListModel>
#include <QString>

#include <utility>
#include <vector>

// The recipes of the food table by name, in the order RecipeBook::list gives them, each with its
// id in the file.
class RecipeListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setRecipes(std::vector<std::pair<qint64, QString>> recipes);
    // The id of the recipe in `row`, or 0.
    qint64 idAt(int row) const;
    // The row of the recipe `id`, or -1.
    int rowOf(qint64 id) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<std::pair<qint64, QString>> m_recipes;
};

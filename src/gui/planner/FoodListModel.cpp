#include "gui/planner/FoodListModel.h"

#include "core/GenericOrder.h"

#include <numeric>

FoodListModel::FoodListModel(QObject* parent)
    : QAbstractListModel(parent)
{ }

void FoodListModel::setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder)
{
    beginResetModel();
    m_names = std::move(names);
    m_units = std::move(units);
    if (nameOrder.size() == static_cast<std::size_t>(m_names.size())) {
        m_order = std::move(nameOrder);
        GenericOrder(m_names).sortPresorted(m_order);
    } else {
        m_order.resize(static_cast<std::size_t>(m_names.size()));
        std::iota(m_order.begin(), m_order.end(), 0u);
        GenericOrder(m_names).sort(m_order);
    }
    endResetModel();
}

void FoodListModel::clear()
{
    setFoods(TextColumn(), TextColumn());
}

int FoodListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

QVariant FoodListModel::data(const QModelIndex& index, int role) const
{
    // Long names are cut off by the list's width; the tool tip shows them whole.
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return QVariant();
    }
    return foodName(index.row());
}

QString FoodListModel::foodName(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    return m_names.at(m_order[static_cast<std::size_t>(row)]).toString();
}

QString FoodListModel::servingUnit(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    return m_units.at(m_order[static_cast<std::size_t>(row)]).toString();
}

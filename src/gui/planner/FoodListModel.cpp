#include "gui/planner/FoodListModel.h"

#include "core/text/GenericOrder.h"
#include "core/text/MessageText.h"
#include "gui/common/WindowSizes.h"

#include <algorithm>
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
    searchAfresh();
    endResetModel();
}

void FoodListModel::copyFoods(const FoodListModel& other)
{
    beginResetModel();
    m_names = other.m_names;
    m_units = other.m_units;
    m_order = other.m_order;
    searchAfresh();
    endResetModel();
}

void FoodListModel::searchAfresh()
{
    m_search.clear();
    m_searchReady = false;
    m_filtering = false;
    if (!m_filterText.trimmed().isEmpty()) {
        prepareSearch();
        m_filtering = m_search.search(m_filterText);
    }
}

void FoodListModel::prepareSearch()
{
    if (!m_searchReady) {
        m_search.setNames(m_names, m_order);
        m_searchReady = true;
    }
}

void FoodListModel::setFilterText(const QString& text)
{
    if (text == m_filterText) {
        return;
    }
    beginResetModel();
    m_filterText = text;
    if (text.trimmed().isEmpty()) {
        m_filtering = false;
        m_search.search(QString());
    } else {
        prepareSearch();
        m_filtering = m_search.search(text);
    }
    endResetModel();
}

int FoodListModel::positionOfRow(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    return m_filtering ? static_cast<int>(m_search.rows()[static_cast<std::size_t>(row)]) : row;
}

int FoodListModel::rowOfPosition(int position) const
{
    if (!m_filtering) {
        return position >= 0 && position < totalCount() ? position : -1;
    }
    const auto& rows = m_search.rows();
    const auto found = std::lower_bound(rows.begin(), rows.end(), static_cast<std::uint32_t>(position));
    return found != rows.end() && *found == static_cast<std::uint32_t>(position)
        ? static_cast<int>(found - rows.begin())
        : -1;
}

void FoodListModel::clear()
{
    setFoods(TextColumn(), TextColumn());
}

int FoodListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(m_filtering ? m_search.rows().size() : m_order.size());
}

QVariant FoodListModel::data(const QModelIndex& index, int role) const
{
    // Long names are cut off by the list's width; the tool tip shows them whole, up to what a
    // screen can show.
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return QVariant();
    }
    if (role == Qt::ToolTipRole) {
        return MessageText::quoted(foodName(index.row()), WindowSizes::ShownNameCharacters);
    }
    return foodName(index.row());
}

QString FoodListModel::foodName(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    return m_names.at(m_order[static_cast<std::size_t>(positionOfRow(row))]).toString();
}

QString FoodListModel::servingUnit(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    return m_units.at(m_order[static_cast<std::size_t>(positionOfRow(row))]).toString();
}

#include "gui/planner/FoodListModel.h"

#include "core/text/MessageText.h"
#include "gui/common/WindowSizes.h"

#include <algorithm>

FoodListModel::FoodListModel(QObject* parent)
    : QAbstractListModel(parent)
{ }

void FoodListModel::setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder, bool complete)
{
    auto foods = std::make_shared<FoodList>();
    foods->setFoods(std::move(names), std::move(units), std::move(nameOrder));
    adoptFoods(std::move(foods), complete);
}

void FoodListModel::adoptFoods(std::shared_ptr<FoodList> foods, bool complete)
{
    beginResetModel();
    m_foods = std::move(foods);
    m_complete = complete;
    searchAfresh();
    endResetModel();
}

void FoodListModel::copyFoods(const FoodListModel& other)
{
    beginResetModel();
    auto foods = std::make_shared<FoodList>();
    foods->copyFoods(*other.m_foods);
    m_foods = std::move(foods);
    m_complete = other.m_complete;
    searchAfresh();
    endResetModel();
}

void FoodListModel::searchAfresh()
{
    m_filtering = false;
    if (!m_filterText.trimmed().isEmpty()) {
        prepareSearch();
        m_filtering = m_foods->search().search(m_filterText);
    }
}

void FoodListModel::prepareSearch()
{
    m_foods->prepareSearch();
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
        m_foods->search().search(QString());
    } else {
        prepareSearch();
        m_filtering = m_foods->search().search(text);
    }
    endResetModel();
}

int FoodListModel::positionOfRow(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    return m_filtering ? static_cast<int>(m_foods->search().rows()[static_cast<std::size_t>(row)]) : row;
}

int FoodListModel::rowOfPosition(int position) const
{
    if (!m_filtering) {
        return position >= 0 && position < totalCount() ? position : -1;
    }
    const auto& rows = m_foods->search().rows();
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
    return static_cast<int>(m_filtering ? m_foods->search().rows().size() : m_foods->order().size());
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
    return m_foods->names().at(m_foods->order()[static_cast<std::size_t>(positionOfRow(row))]);
}

QString FoodListModel::servingUnit(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    return m_foods->units().at(m_foods->order()[static_cast<std::size_t>(positionOfRow(row))]);
}

#include "gui/planner/RichestFoodsModel.h"

#include "core/search/RankingFoods.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"
#include "gui/common/WindowSizes.h"

#include <limits>

RichestFoodsModel::RichestFoodsModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void RichestFoodsModel::setRanking(std::shared_ptr<RankingFoods> foods, const std::vector<double>& column,
    const QString& unit, NutrientRanking::Basis basis)
{
    beginResetModel();
    m_first.clear();
    m_foods = std::move(foods);
    m_unit = unit;
    m_basisText = NutrientRanking::basisText(basis);
    m_ranking.rank(column, m_foods->servingGrams(), m_foods->calories(), m_foods->nameRanks(), basis, FirstScreen);
    m_searchOrdered = false;
    m_filtering = false;
    m_matches.clear();
    if (!m_filterText.trimmed().isEmpty()) {
        search();
    }
    endResetModel();
}

void RichestFoodsModel::setFirstFoods(std::vector<FoodStore::RichFood> foods, const QString& unit)
{
    beginResetModel();
    m_foods.reset();
    m_ranking = NutrientRanking();
    m_first = std::move(foods);
    m_unit = unit;
    m_basisText = NutrientRanking::basisText(NutrientRanking::Basis::PerServing);
    m_searchOrdered = false;
    m_filtering = false;
    m_matches.clear();
    endResetModel();
}

void RichestFoodsModel::clear()
{
    beginResetModel();
    m_first.clear();
    m_foods.reset();
    m_ranking = NutrientRanking();
    m_searchOrdered = false;
    m_filtering = false;
    m_matches.clear();
    endResetModel();
}

void RichestFoodsModel::complete()
{
    m_ranking.complete();
}

void RichestFoodsModel::setFilterText(const QString& text)
{
    if (text == m_filterText) {
        return;
    }
    beginResetModel();
    m_filterText = text;
    m_filtering = false;
    m_matches.clear();
    if (m_foods && !text.trimmed().isEmpty()) {
        search();
    }
    endResetModel();
}

void RichestFoodsModel::search()
{
    FoodNameSearch& names = m_foods->search();
    // The search's rows are places in the ranking's order, so it takes the settled order, once
    // for each ranking: a text that only grew then narrows what the last one found.
    if (!m_searchOrdered) {
        m_ranking.complete();
        names.setOrder(m_ranking.order());
        m_searchOrdered = true;
    }
    m_filtering = names.search(m_filterText);
    if (!m_filtering) {
        return;
    }
    // The foods left out follow the ranked ones in the order, so the found ranks are a prefix.
    const std::uint32_t ranked = std::uint32_t(m_ranking.rankedCount());
    for (const std::uint32_t row : names.rows()) {
        if (row >= ranked) {
            break;
        }
        m_matches.push_back(row);
    }
}

std::size_t RichestFoodsModel::rankOf(int row) const
{
    const std::size_t rank = m_filtering ? m_matches[std::size_t(row)] : std::size_t(row);
    if (rank >= RichestFoodsModel::FirstScreen) {
        m_ranking.complete();
    }
    return rank;
}

QString RichestFoodsModel::foodName(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return QString();
    }
    if (!m_foods) {
        return m_first[std::size_t(row)].name;
    }
    return m_foods->names().at(qsizetype(m_ranking.foodAt(rankOf(row))));
}

double RichestFoodsModel::amount(int row) const
{
    if (row < 0 || row >= rowCount()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (!m_foods) {
        return m_first[std::size_t(row)].value;
    }
    return m_ranking.amountAt(rankOf(row));
}

int RichestFoodsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid()) {
        return 0;
    }
    if (!m_foods) {
        return m_filterText.trimmed().isEmpty() ? int(m_first.size()) : 0;
    }
    return int(m_filtering ? m_matches.size() : m_ranking.rankedCount());
}

int RichestFoodsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RichestFoodsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() == Amount ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                        : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && index.column() == Food) {
        return MessageText::quoted(foodName(index.row()), WindowSizes::ShownNameCharacters);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (index.column()) {
    case Food:
        return foodName(index.row());
    case Amount:
        return QStringLiteral("%1 %2").arg(RoundedValueText(amount(index.row())), m_unit);
    case Basis:
        return m_basisText;
    default:
        return QVariant();
    }
}

QVariant RichestFoodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Food:
        return tr("Food");
    case Amount:
        return tr("Amount");
    case Basis:
        return tr("Basis");
    default:
        return QVariant();
    }
}

#include "gui/totals/NutrientViewModel.h"

#include <QFont>

namespace {

// The internal id of a group's own item; a nutrient's item carries its group's position plus one.
constexpr quintptr kGroupItem = 0;

} // namespace

NutrientViewModel::NutrientViewModel(QObject* parent)
    : QAbstractItemModel(parent)
{ }

void NutrientViewModel::setBreakdown(NutrientBreakdown breakdown)
{
    beginResetModel();
    m_breakdown = std::move(breakdown);
    m_groups.clear();
    for (int n = 0; n < m_breakdown.nutrientCount(); ++n) {
        const NutrientGroup group = m_breakdown.nutrient(n).group;
        if (m_groups.empty() || m_groups.back().group != group) {
            m_groups.push_back({ group, n, 0 });
        }
        ++m_groups.back().count;
    }
    if (m_row >= m_breakdown.rowCount()) {
        m_row = m_breakdown.rowCount() > 0 ? 0 : -1;
    }
    endResetModel();
}

void NutrientViewModel::setRow(int row)
{
    const int shown = row >= 0 && row < m_breakdown.rowCount() ? row : -1;
    if (shown == m_row) {
        return;
    }
    m_row = shown;
    for (int g = 0; g < int(m_groups.size()); ++g) {
        const QModelIndex group = index(g, 0);
        emit dataChanged(index(0, AmountColumn, group), index(rowCount(group) - 1, TargetColumn, group));
    }
}

int NutrientViewModel::nutrientAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == kGroupItem) {
        return -1;
    }
    return m_groups[std::size_t(index.internalId() - 1)].first + index.row();
}

QModelIndex NutrientViewModel::indexOfNutrient(int nutrient, int column) const
{
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        if (nutrient >= m_groups[g].first && nutrient < m_groups[g].first + m_groups[g].count) {
            return createIndex(nutrient - m_groups[g].first, column, quintptr(g + 1));
        }
    }
    return QModelIndex();
}

QModelIndex NutrientViewModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent)) {
        return QModelIndex();
    }
    if (!parent.isValid()) {
        return createIndex(row, column, kGroupItem);
    }
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex NutrientViewModel::parent(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == kGroupItem) {
        return QModelIndex();
    }
    return createIndex(int(index.internalId() - 1), 0, kGroupItem);
}

int NutrientViewModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid()) {
        return int(m_groups.size());
    }
    if (parent.internalId() != kGroupItem || parent.column() != 0) {
        return 0;
    }
    return m_groups[std::size_t(parent.row())].count;
}

int NutrientViewModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant NutrientViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return QVariant();
    }
    const int nutrient = nutrientAt(index);
    if (nutrient < 0) {
        if (role == Qt::DisplayRole && index.column() == NameColumn) {
            return NutrientCatalogue::groupName(m_groups[std::size_t(index.row())].group);
        }
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return m_breakdown.nutrient(nutrient).name;
        case AmountColumn:
            return m_row < 0 ? QString() : m_breakdown.amountText(m_row, nutrient);
        case UnitColumn:
            return m_breakdown.nutrient(nutrient).unit;
        case ShareColumn:
            return m_row < 0 ? QString() : m_breakdown.shareText(m_row, nutrient);
        case TargetColumn:
            return m_breakdown.targetText(nutrient);
        default:
            return QVariant();
        }
    case Qt::ToolTipRole:
        return m_row < 0 ? QVariant() : QVariant(m_breakdown.toolTip(m_row, nutrient));
    case Qt::TextAlignmentRole:
        if (index.column() == AmountColumn || index.column() == ShareColumn || index.column() == TargetColumn) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant NutrientViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (section) {
    case NameColumn:
        return tr("Nutrient");
    case AmountColumn:
        return tr("Amount");
    case UnitColumn:
        return tr("Unit");
    case ShareColumn:
        return tr("% of daily target");
    case TargetColumn:
        return tr("Daily target");
    default:
        return QVariant();
    }
}

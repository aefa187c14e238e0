#include "gui/recipes/RecipePreviewModel.h"

#include "core/text/NumberText.h"

RecipePreviewModel::RecipePreviewModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_captions(TotalsCalculator::headerTexts().mid(1))
{ }

void RecipePreviewModel::setValues(const std::optional<Values>& values)
{
    m_values = values;
    emit dataChanged(index(0, 0), index(0, columnCount() - 1));
}

int RecipePreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

int RecipePreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant RecipePreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index) || index.column() >= TotalsRow::NutrientCount) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        return m_values ? RoundedValueText((*m_values)[std::size_t(index.column())]) : QString();
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    }
    return QVariant();
}

QVariant RecipePreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return m_captions.value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

#include "gui/planner/MealListModel.h"

#include "core/text/MessageText.h"
#include "gui/common/WindowSizes.h"

MealListModel::MealListModel(MealTable& table, QObject* parent)
    : QAbstractListModel(parent)
    , m_table(table)
{ }

void MealListModel::setTable(const MealTable& table)
{
    beginResetModel();
    m_table = table;
    endResetModel();
}

int MealListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.count();
}

QVariant MealListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= m_table.count()) {
        return QVariant();
    }
    // A name longer than any list can show is cut before its quantity, which stays in sight.
    const MealSlot& slot = m_table.slot(index.row() + 1);
    return QString(MessageText::quoted(slot.FoodName, WindowSizes::ShownNameCharacters) + QStringLiteral(", ")
        + slot.QuantityText);
}

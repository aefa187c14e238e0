#include "gui/planner/MealListModel.h"

MealListModel::MealListModel(MealTable& table, QObject* parent)
    : QAbstractListModel(parent)
    , m_table(table)
{ }

MealTable::AddResult MealListModel::add(const QString& foodName, const QString& quantityText)
{
    MealTable added = m_table;
    const MealTable::AddResult result = added.add(foodName, quantityText);
    if (result == MealTable::AddResult::Added) {
        beginInsertRows(QModelIndex(), m_table.count(), m_table.count());
        m_table = added;
        endInsertRows();
    }
    return result;
}

bool MealListModel::removeLine(int line)
{
    if (line < 0 || line >= m_table.count()) {
        return false;
    }
    beginRemoveRows(QModelIndex(), line, line);
    m_table.removeLine(line);
    endRemoveRows();
    return true;
}

void MealListModel::clear()
{
    setTable(MealTable());
}

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
    const MealSlot& slot = m_table.slot(index.row() + 1);
    return QString(slot.FoodName + QStringLiteral(", ") + slot.QuantityText);
}

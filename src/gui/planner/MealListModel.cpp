#include "gui/planner/MealListModel.h"

#include "core/plans/PlanDocument.h"
#include "core/text/MessageText.h"
#include "gui/common/WindowSizes.h"

MealListModel::MealListModel(const PlanDocument& document, int meal, QObject* parent)
    : QAbstractListModel(parent)
    , m_document(document)
    , m_meal(meal)
{
    connect(&m_document, &PlanDocument::mealAboutToChange, this, [this](int changing) {
        if (changing == m_meal) {
            beginResetModel();
        }
    });
    connect(&m_document, &PlanDocument::mealChanged, this, [this](int changed) {
        if (changed == m_meal) {
            endResetModel();
        }
    });
}

const MealTable& MealListModel::table() const
{
    return m_document.meal(m_meal);
}

int MealListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : table().count();
}

QVariant MealListModel::data(const QModelIndex& index, int role) const
{
    const MealTable& meal = table();
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= meal.count()) {
        return QVariant();
    }
    // A name longer than any list can show is cut before its quantity, which stays in sight.
    const MealSlot& slot = meal.slot(index.row() + 1);
    return QString(MessageText::quoted(slot.FoodName, WindowSizes::ShownNameCharacters) + QStringLiteral(", ")
        + slot.QuantityText);
}

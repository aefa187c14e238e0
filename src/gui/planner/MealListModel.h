#pragma once

#include "core/plans/MealTable.h"

#include <QAbstractListModel>

class PlanDocument;

// One meal's list: a view's rows over one meal of the plan on screen, each "food name, quantity
// text". It follows the document's changes of its meal, so the list and the meal never differ.
class MealListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    MealListModel(const PlanDocument& document, int meal, QObject* parent = nullptr);

    const MealTable& table() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const PlanDocument& m_document;
    int m_meal;
};

#pragma once

#include "core/plans/MealTable.h"

#include <QAbstractListModel>

// One meal's list: a view's rows over the meal's table, each "food name, quantity text". The table
// lives in the shared state, where the totals read it; every change to it goes through this model
// (the main window's undoable steps set whole tables), so the list and the table never differ.
class MealListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    MealListModel(MealTable& table, QObject* parent = nullptr);

    // Replaces every entry with those of `table`.
    void setTable(const MealTable& table);
    const MealTable& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    MealTable& m_table;
};

#pragma once

#include "core/TextColumn.h"

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

// The main window's food list: the food names in the generic ascending order, each line tied to
// the serving unit of the same food. One model over two packed columns, so a million foods cost
// no item objects.
class FoodListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FoodListModel(QObject* parent = nullptr);

    // Takes the foods in table order and sorts them by name. `nameOrder`, when not empty, is the
    // order the name index gives, which makes sorting a check in linear time.
    void setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder = {});
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QString foodName(int row) const;
    QString servingUnit(int row) const;

private:
    TextColumn m_names;
    TextColumn m_units;
    std::vector<std::uint32_t> m_order;
};

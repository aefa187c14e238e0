#pragma once

#include "core/totals/NutrientBreakdown.h"

#include <QAbstractItemModel>

#include <vector>

// The totals window's nutrient view: every nutrient of the catalogue under its group, for one
// calculated row at a time, with its amount, unit, share of the daily target and the target
// itself. Groups are the top-level items, their nutrients the children.
class NutrientViewModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, AmountColumn, UnitColumn, ShareColumn, TargetColumn, ColumnCount };

    explicit NutrientViewModel(QObject* parent = nullptr);

    // Shows `breakdown`, keeping the row shown where it still has one.
    void setBreakdown(NutrientBreakdown breakdown);
    const NutrientBreakdown& breakdown() const { return m_breakdown; }
    // The calculated row shown; -1 shows the nutrients without amounts.
    void setRow(int row);
    int row() const { return m_row; }

    // The nutrient (its position in the catalogue) an index stands for, or -1 for a group.
    int nutrientAt(const QModelIndex& index) const;
    QModelIndex indexOfNutrient(int nutrient, int column = NameColumn) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Group
    {
        NutrientGroup group;
        int first;
        int count;
    };

    NutrientBreakdown m_breakdown;
    std::vector<Group> m_groups;
    int m_row = -1;
};

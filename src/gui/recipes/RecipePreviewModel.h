#pragma once

#include "core/totals/TotalsCalculator.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <optional>

// The values of one serving of a recipe, in one row whose columns the totals grid names.
class RecipePreviewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using Values = std::array<double, TotalsRow::NutrientCount>;

    explicit RecipePreviewModel(QObject* parent = nullptr);

    // The values to show, rounded as the totals show them; none leaves the row empty.
    void setValues(const std::optional<Values>& values);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_captions;
    std::optional<Values> m_values;
};

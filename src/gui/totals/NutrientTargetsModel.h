#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"

#include <QAbstractTableModel>

#include <map>
#include <vector>

// Every nutrient of the food table's catalogue with its daily minimum and maximum, under a heading
// row for each of the catalogue's groups, narrowed to the nutrients whose name, number or group
// holds the filter text. A bound is typed as people type numbers; a text that is no number, or a
// minimum above its maximum, is refused with a message and changes nothing. Targets of numbers
// the catalogue lacks are kept as they were.
class NutrientTargetsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, UnitColumn, MinimumColumn, MaximumColumn, ColumnCount };

    NutrientTargetsModel(const NutrientCatalogue& catalogue, std::map<QString, NutrientTargets::Range> ranges,
        QObject* parent = nullptr);

    const std::map<QString, NutrientTargets::Range>& ranges() const { return m_ranges; }
    // Sets the ranges of the nutrients in `ranges` (an empty one removes the target); the others
    // stay as they were.
    void fill(const std::map<QString, NutrientTargets::Range>& ranges);

    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    // Whether a row is a group's heading; the nutrient number of a nutrient's row.
    bool isHeading(int row) const;
    QString numberAt(int row) const;
    // The row of a nutrient shown, or -1.
    int rowOf(const QString& number) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A typed bound was not taken; `message` says why.
    void refused(const QString& message);

private:
    struct Row
    {
        // A catalogue position, or -1 for the heading of `group`.
        qsizetype nutrient = -1;
        NutrientGroup group = NutrientGroup::Other;
    };

    void rebuild();
    const Nutrient& nutrientOf(int row) const;

    NutrientCatalogue m_catalogue;
    std::map<QString, NutrientTargets::Range> m_ranges;
    QString m_filter;
    std::vector<Row> m_rows;
};

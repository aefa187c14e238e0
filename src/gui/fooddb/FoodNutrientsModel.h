#pragma once

#include "core/nutrients/FoodNutrients.h"
#include "core/nutrients/NutrientCatalogue.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// Every nutrient of one food, as the food editor lists them: the grams of a serving first, then
// the catalogue's nutrients under a heading per group, in display order. Only amounts are
// edited; an empty amount is unknown, never 0. Edits are kept as changes against what the table
// held, so that saving writes only what the user changed.
class FoodNutrientsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, AmountColumn, UnitColumn, ColumnCount };
    static constexpr int ServingRow = 0;

    explicit FoodNutrientsModel(QObject* parent = nullptr);

    void setFood(const NutrientCatalogue& catalogue, const FoodNutrients& stored, bool editable);
    void clear();

    // What the user changed since setFood or acceptChanges.
    const FoodNutrientChanges& changes() const { return m_changes; }
    bool hasChanges() const { return !m_changes.isEmpty(); }
    // The changes were written: they become what the table holds.
    void acceptChanges();

    // The row of the nutrient of that number, or -1.
    int rowOf(const QString& number) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Reads the typed amount in the user's locale; a text that is no amount changes nothing and
    // is reported through refused().
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void refused(const QString& message);

private:
    struct Line
    {
        enum Kind { Serving, Heading, Amount } kind;
        // The nutrient's place in the catalogue, for an amount.
        qsizetype nutrient = -1;
        NutrientGroup group = NutrientGroup::Other;
    };

    std::optional<double> amount(const Line& line) const;

    NutrientCatalogue m_catalogue;
    FoodNutrients m_stored;
    FoodNutrientChanges m_changes;
    std::vector<Line> m_lines;
    bool m_editable = false;
};

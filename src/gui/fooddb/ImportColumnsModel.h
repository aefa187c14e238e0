#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class FoodImport;

// The columns of a CSV file being imported, a row each: the column's name, its first values, and
// the food field, unit and amounts (per serving or per 100 g) the import reads it as. The choices
// are read from the import's own mapping and written into it, never kept here, so that what the
// window shows is what the import will do. A choice cell offers its texts in ChoicesRole; its
// EditRole is the place of the one chosen among them. Only a nutrient has a unit and amounts.
class ImportColumnsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, SamplesColumn, FieldColumn, UnitColumn, AmountsColumn, ColumnCount };
    static constexpr int ChoicesRole = Qt::UserRole + 1;

    explicit ImportColumnsModel(QObject* parent = nullptr);

    // Shows the columns of `import`, inspected as a CSV file, or none; the import stays the
    // caller's and must outlive its showing here.
    void setImport(FoodImport* import);
    // Whether the cell offers a choice.
    bool isChoice(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QStringList choices(int row, int column) const;
    int chosen(int row, int column) const;
    void rowChanged(int row);

    FoodImport* m_import = nullptr;
};

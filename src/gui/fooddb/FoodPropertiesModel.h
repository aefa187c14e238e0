#pragma once

#include "core/foods/FoodFields.h"
#include "core/nutrients/Nutrient.h"
#include "core/text/GenericOrder.h"
#include "core/text/TextColumn.h"
#include "core/text/UpperColumn.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class FoodStore;

// The food properties grid: every food of the table, one column per field, read-only. The cell
// texts stay packed per column in table order; the grid shows them through a row order that the
// sort rearranges. The bold marks of the text search are one bit per cell, kept with the food, so
// rows carry their marks when they move. No item object exists per cell, which keeps a million
// foods cheap. Beside the ten fields the grid may show nutrient columns the user chooses, kept as
// numbers (unknown as not-a-number) and written out only for the cells shown or searched.
class FoodPropertiesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The ten fields' columns, which the grid always has, first.
    static constexpr int ColumnCount = FoodFields::FieldCount;
    // Called during a search with the column being searched and the row reached in it.
    using Progress = std::function<void(int column, int row)>;

    explicit FoodPropertiesModel(QObject* parent = nullptr);
    ~FoodPropertiesModel() override;

    // What the grid shows of the ten fields, read and put in order: built on any thread, then
    // shown whole.
    struct Contents
    {
        std::vector<TextColumn> columns;
        std::vector<qint64> rowids;
        std::vector<std::uint32_t> order;
        // The food names' sort keys when the order was made from them; they point into `columns`,
        // whose cells stay where they are when the contents move.
        std::unique_ptr<GenericOrder> nameKeys;
        // The upper-cased copies Find Text searches, when made with the contents.
        std::array<std::unique_ptr<UpperColumn>, ColumnCount> uppers;
    };

    // Reads every food of the table, in table order or, with `sortedByName`, in the generic
    // ascending order of the food names (the order in which the table's name index delivers them,
    // when it has one); false with the reason when it cannot, and once `*stop` turns true. With
    // `forFind`, the copies Find Text searches are made too, so that its first search costs no
    // more than the next (a worker thread's time, not the user's).
    static bool read(const FoodStore& foods, bool sortedByName, Contents* contents, QString* error,
        const std::atomic<bool>* stop = nullptr, bool forFind = false);
    // The first `limit` foods the same way, without reading the others; false when the table
    // cannot give them so.
    static bool readFirst(const FoodStore& foods, bool sortedByName, int limit, Contents* contents);
    // Shows `contents`; `complete` is false for the first foods of a table still being read.
    void show(Contents contents, bool complete = true);
    bool isComplete() const { return m_complete; }
    // The identity of the food on a grid row.
    qint64 rowidAt(int row) const;

    // Reads every food of the table into the model (see read()). On failure the model is empty.
    bool load(const FoodStore& foods, QString* error, bool sortedByName = false);
    // Takes the ten columns of cell texts (equal sizes), in table order. `nameOrder`, when it
    // holds every row, is the order of the food names as the name index delivers it; the grid then
    // starts in the generic ascending order of the names, checked and completed from it.
    void setColumns(std::vector<TextColumn> columns, std::vector<std::uint32_t> nameOrder = {});
    void clear();
    // Shows the nutrients' columns after the ten fields, in the order given, read in one pass for
    // every food; no nutrient columns on failure. The grid rows keep their order.
    bool setNutrientColumns(const FoodStore& foods, const std::vector<Nutrient>& nutrients, QString* error);
    const std::vector<Nutrient>& nutrientColumns() const { return m_nutrients; }
    // The ten captions, then "<name> (<unit>)" for each nutrient column.
    QStringList captions() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QString cellText(int row, int column) const;
    bool isMarked(int row, int column) const;
    qsizetype markedCount() const;

    // Removes every bold mark, then marks every cell whose upper-cased text contains the
    // upper-cased `text`; the empty text marks nothing. Returns the last marked cell in
    // column-by-column, row-by-row order, or cell (0, 0) when nothing matched (an invalid index
    // when the grid is empty). `progress` is called a few times per column, for every column.
    QModelIndex find(const QString& text, const Progress& progress = {});

    // Sorts ascending with the generic order on the key columns (a nutrient column by its amounts,
    // unknown after every number), taken left to right, keeping the
    // order of equal rows. Only the grid rows firstRow to lastRow move; rows move whole.
    void sortRows(const std::vector<int>& keyColumns, int firstRow, int lastRow);
    void sortAll(int keyColumn) { sortRows({ keyColumn }, 0, rowCount() - 1); }

    // The grid as it stands: a line of the captions, then one line per row in grid order, the
    // cells separated by tabs. Tabs and line breaks inside a cell become blanks so that every food
    // stays one line of ten fields, followed by the nutrient columns shown, if any.
    QStringList tableLines() const;

private:
    // Gives every row all ten cells and puts the rows in order: the name index's order checked
    // when `nameOrder` holds every row, else by name with `sortedByName`, else table order.
    static void arrange(Contents* contents, std::vector<std::uint32_t> nameOrder, bool sortedByName);
    static void roundRecipeValues(
        const FoodStore& foods, const std::vector<qint64>& rowids, std::vector<TextColumn>* columns);
    std::size_t tableRow(int row) const { return m_order[static_cast<std::size_t>(row)]; }
    const GenericOrder& orderOf(int column);
    const UpperColumn& upperOf(int column);
    void setMark(int column, std::size_t tableRow);

    bool isNutrientColumn(int column) const { return column >= ColumnCount; }
    double amountAt(int column, std::size_t tableRow) const
    {
        return m_amounts[static_cast<std::size_t>(column - ColumnCount)][tableRow];
    }
    void sortByAmounts(int column, std::vector<std::uint32_t>* rows) const;
    void resetMarks();

    std::vector<TextColumn> m_columns;
    // The identity of each table row, to read nutrient columns for.
    std::vector<qint64> m_rowids;
    std::vector<Nutrient> m_nutrients;
    std::vector<std::vector<double>> m_amounts;
    // m_order[grid row] is the table row shown there; m_position is its inverse.
    std::vector<std::uint32_t> m_order;
    std::vector<std::uint32_t> m_position;
    // One bit per cell, column by column (the nutrient columns after the ten), indexed by table row.
    std::vector<std::uint64_t> m_marks;
    std::size_t m_markWords = 0;
    std::array<std::unique_ptr<GenericOrder>, ColumnCount> m_orders;
    std::array<std::unique_ptr<UpperColumn>, ColumnCount> m_uppers;
    bool m_complete = true;
};

#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class BackgroundFoodRead;
class FoodStore;
class GridCaptionBar;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class UserFiles;

// "View Food Properties": the whole food table in a read-only grid, one row per food and one
// column per field, with a text search that marks matching cells in bold, a sort on the selected
// columns, and a command that saves the grid as a text file. Beside the ten fields it opens with,
// the user may choose nutrient columns, by group, from the food table's catalogue. Nothing of it survives closing.
// A large table shows its first rows at once and is read whole on a worker thread; the commands
// that need every row wait for it, and the bar under the grid says so.
class FoodGridDialog : public QDialog
{
    Q_OBJECT

public:
    // Fills the grid from the food table, opening `database` at the shared food table path when it
    // is not open yet. With `sortedByName` the grid starts in ascending food name order, as the
    // main window opens it; the food editor opens it in table order.
    FoodGridDialog(const UserFiles& files, FoodStore& database, bool sortedByName, QWidget* parent = nullptr);
    ~FoodGridDialog() override;

    FoodPropertiesModel* model() const { return m_model; }
    // Whether the whole table is still being read.
    bool isReading() const;
    // Shows the nutrients of these numbers as columns after the ten fields, in catalogue order;
    // false (after saying why) when they cannot be read.
    bool showNutrientColumns(const QStringList& numbers);

private slots:
    void findText();
    void sortSelection();
    void saveTable();
    void showQuickHelp();

private:
    void loadFoods(bool sortedByName);
    // Shows the whole table read behind the window in place of its first rows.
    void takeReadFoods(bool read, const QString& error);
    void showReading(bool reading);
    // Runs `change`, which lays the model out afresh, keeping the ten columns' widths.
    void keepingWidths(const std::function<void()>& change);
    void setCurrentCell(int row, int column);
    void fillNutrientMenu();

    const UserFiles& m_files;
    FoodStore& m_database;
    FoodPropertiesModel* m_model;
    QTableView* m_grid;
    GridCaptionBar* m_captions;
    QPushButton* m_findText;
    QLineEdit* m_searchText;
    QPushButton* m_sort;
    QPushButton* m_printTable;
    QPushButton* m_help;
    QPushButton* m_close;
    QPushButton* m_nutrientColumns;
    QMenu* m_nutrientMenu;
    NutrientCatalogue m_catalogue;
    QProgressBar* m_progress;
    BackgroundFoodRead* m_reader;
    // The whole table while the worker reads it; the worker alone touches it until it is done.
    std::shared_ptr<FoodPropertiesModel::Contents> m_reading;
};

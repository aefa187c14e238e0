#pragma once

#include <QDialog>

class FoodStore;
class FoodPropertiesModel;
class GridCaptionBar;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class UserFiles;

// "View Food Properties": the whole food table in a read-only grid, one row per food and one
// column per field, with a text search that marks matching cells in bold, a sort on the selected
// columns, and a command that saves the grid as a text file. Nothing of it survives closing.
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

private slots:
    void findText();
    void sortSelection();
    void saveTable();
    void showQuickHelp();

private:
    void loadFoods(bool sortedByName);
    void setCurrentCell(int row, int column);

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
    QProgressBar* m_progress;
};

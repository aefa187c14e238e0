#pragma once

#include "core/foods/FoodFields.h"
#include "core/search/FoodNameIndex.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class BackgroundFoodRead;
class FoodStore;
class UserFiles;
class FoodNutrientsModel;

// "Edit Food List": the one window that changes the food table. It shows one food at a time in ten
// fields, with every other nutrient it keeps in a list beside them; a changed record is written when another record
// becomes current (navigation, Find, Add) and when the window closes. A write that fails is reported and the record
// stays current with the typed values, so nothing typed is lost and the table keeps its old record.
// A large table shows its first records at once while the rest is read on a worker thread; Last,
// Add, Delete and Find, which need every record, wait for it.
class FoodEditorDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens `database` when it is not open yet, or afresh when another program replaced it, and
    // shows the first record. `previousSearch` is the search text Find uses again when it is
    // answered with nothing; it outlives the window.
    FoodEditorDialog(const UserFiles& files, FoodStore& database, QString& previousSearch, QWidget* parent = nullptr);
    ~FoodEditorDialog() override;

    // The record shown, counted from 0 in table order; -1 when the table is empty.
    qsizetype currentRecord() const { return m_current; }
    qsizetype recordCount() const { return m_records.size(); }
    // Whether the whole table is still being read.
    bool isReading() const;
    QLineEdit* field(FoodFields::Field field) const { return m_fields[static_cast<std::size_t>(field)]; }
    QTableView* nutrientsView() const { return m_nutrientsView; }
    FoodNutrientsModel* nutrientsModel() const { return m_nutrients; }

    void done(int result) override;

private slots:
    void moveToFirst();
    void moveToPrevious();
    void moveToNext();
    void moveToLast();
    void addFood();
    void deleteFood();
    void findFood();
    void viewAllFoods();
    void showQuickHelp();

private:
    void loadFoods();
    // Takes the records read behind the window in place of the first ones.
    void takeReadRecords(bool read, const QString& error);
    // Turns the commands that need every record off while they are read, and on again.
    void showReading(bool reading);
    QStringList fieldValues() const;
    // Writes the current record when its fields differ from the table; false (after telling the
    // user why) when the write failed.
    bool saveCurrent();
    // Writes what the user changed of the current food's nutrients, under the name the row bears
    // now; false (after telling the user why) when the write failed.
    bool saveNutrients();
    // An amount still being typed counts as typed when the food is left.
    void commitNutrientEdit();
    void showNutrients(qint64 rowid, bool editable);
    // saveCurrent, and a record made by Add that is still wholly empty is deleted instead.
    bool leaveCurrent();
    void moveTo(qsizetype record);
    void showRecord(qsizetype record);
    void showNoRecord();

    const UserFiles& m_files;
    FoodStore& m_database;
    QString& m_previousSearch;
    FoodNameIndex m_records;
    BackgroundFoodRead* m_reader;
    // Every record while the worker reads them; the worker alone touches it until it is done.
    std::shared_ptr<FoodNameIndex> m_reading;
    // The names written meanwhile, by row, to be given to what the worker read.
    std::vector<std::pair<qint64, QString>> m_renamedWhileReading;
    bool m_loaded = false;
    qsizetype m_current = -1;
    // The current record as the table held it when it was shown, or as last written.
    QStringList m_stored;
    // The fields' texts as shown, to tell which fields the user changed.
    QStringList m_shown;
    // The record made by Add, while it has never held anything.
    qint64 m_blankRowid = -1;

    std::array<QLineEdit*, FoodFields::FieldCount> m_fields {};
    QToolButton* m_moveFirst;
    QToolButton* m_movePrevious;
    QToolButton* m_moveNext;
    QToolButton* m_moveLast;
    QPushButton* m_addFood;
    QPushButton* m_deleteFood;
    QPushButton* m_findFood;
    QPushButton* m_viewAll;
    QPushButton* m_quickHelp;
    QPushButton* m_close;
    FoodNutrientsModel* m_nutrients;
    QTableView* m_nutrientsView;
};

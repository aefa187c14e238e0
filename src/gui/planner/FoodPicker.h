#pragma once

#include <QObject>
#include <QString>

#include <memory>

class FoodStore;
class BackgroundFoodRead;
class FoodList;
class FoodListModel;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QListView;
class QWidget;

// The food list with its search box and count, as the main window and the Recipes window show
// it. Typing narrows the list to the foods whose names hold the words, matches drawn in bold;
// Down goes from the box into the list, Escape empties the box, and Enter in the box or the list
// takes the chosen food: the selected one, else the first shown while a search narrows the list
// (or while the list holds one food only).
class FoodPicker : public QObject
{
    Q_OBJECT

public:
    enum class FillResult { Filled, CannotOpen, CannotRead };

    // Makes the widgets as children of `parent`; layout() places them.
    explicit FoodPicker(QWidget* parent);

    QLineEdit* searchBox() const { return m_search; }
    QListView* list() const { return m_view; }
    QLabel* countLabel() const { return m_count; }
    FoodListModel* model() const { return m_model; }
    // The search box and count above the list.
    QBoxLayout* makeLayout() const;

    // Fills the list from the food table, as it is now, in food-name order; the reason in `error`.
    // A large table shows its first foods at once and is read whole behind the window; searching
    // meanwhile searches the foods read, and the count says the rest is coming.
    FillResult fill(FoodStore& foods, QString* error);
    // Shows the foods `other` shows, without reading the table again.
    void copyFoods(const FoodListModel& other);
    // The row of the food Enter takes, as above; -1 when there is none.
    int chosenRow() const;
    // The name and serving unit of the chosen food; empty when none is.
    QString chosenFood() const;
    QString chosenServingUnit() const;

signals:
    // Enter was pressed in the box or the list.
    void taken();
    // The table read behind the window could not be read whole; the first foods stay shown.
    void readFailed(const QString& error);
    // Another food became the chosen one, or none is any more.
    void chosenChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filter();
    void showCount();
    // Shows the whole list read behind the window in place of its first foods.
    void takeReadFoods(bool read, const QString& error);

    FoodListModel* m_model = nullptr;
    BackgroundFoodRead* m_reader = nullptr;
    // The whole list while the worker reads it; the worker alone touches it until it is done.
    std::shared_ptr<FoodList> m_reading;
    QLineEdit* m_search = nullptr;
    QLabel* m_count = nullptr;
    QListView* m_view = nullptr;
    // The place in the full list of the food that was current before the search, kept while a
    // search hides it; -1 for none.
    int m_keptPosition = -1;
    bool m_keptSelected = false;
};

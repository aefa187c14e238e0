#pragma once

#include "app/SharedState.h"
#include "fooddb/FoodDatabase.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class FoodListModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

// The main window: the food list, the four meal lists, the period selector with Save and Load,
// the commands that open the other windows, and the menu bar.
class MainMenu : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainMenu(SharedState& state, QWidget* parent = nullptr);
    ~MainMenu() override;

    SharedState& state() { return m_state; }
    FoodDatabase& foods() { return m_foods; }
    FoodListModel* foodListModel() const { return m_foodList; }

    // Refills the food list from the food table, in food-name order.
    void FillFoodList();

public slots:
    void List1_Click();
    void mealAdd(int meal);
    void mealDelete(int meal);
    void mealClear(int meal);
    void LoadFoodList_Click();
    void Command10_Click();

private:
    void Form_Load();
    void buildControls();
    void buildMenus();
    QPushButton* makeButton(const char* name, const QString& caption);

    SharedState& m_state;
    FoodDatabase m_foods;
    FoodListModel* m_foodList = nullptr;

    QComboBox* m_dayOfWeek = nullptr;
    QPushButton* m_userName = nullptr;
    QListView* m_list1 = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLabel* m_servingUnit = nullptr;
    std::array<QListWidget*, MealPlan::MealCount> m_mealLists {};
};

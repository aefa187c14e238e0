#pragma once

#include "core/SharedState.h"
#include "core/FoodDatabase.h"

#include <QMainWindow>

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
    void Command1_Click();
    void Command9_Click();
    void SaveDiet_Click();
    void LoadDiet_Click();
    void HelpEdit_Click();
    void servconvinfo_Click();
    void mnuItemCalendar_Click();
    void MnuItemNVoF_Click();
    void MnuItemManual_Click();
    void MnuItemLicense_Click();
    void MnuItemAbout_Click();
    void mnuItemCopyFiles_Click();
    void EditFoodList_Click();
    void ViewFoodProps_Click();

private:
    void Form_Load();
    void buildControls();
    void buildMenus();
    QPushButton* makeButton(const char* name, const QString& caption);
    // The period chosen in the period selector, as one of the eleven names; empty, after a
    // message, when the text names none of them.
    QString chosenPeriod();
    bool foodTableReady();
    // Shows the meal tables in the four meal lists.
    void showMealPlan();
    // Opens a document of the data folder in the desktop's viewer.
    void showDocument(const QString& name);

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

#pragma once

#include "core/FoodDatabase.h"
#include "core/SharedState.h"

#include <QMainWindow>

#include <array>

class FoodListModel;
class MealListModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

// The main window: the food list, the four meal lists, the period selector with Save and Load,
// the commands that open the other windows, and the menu bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(SharedState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    SharedState& state() { return m_state; }
    FoodDatabase& foods() { return m_foods; }
    FoodListModel* foodListModel() const { return m_foodList; }

    // Refills the food list from the food table, in food-name order.
    void fillFoodList();

public slots:
    void showServingUnit();
    void addToMeal(int meal);
    void removeFromMeal(int meal);
    void clearMeal(int meal);
    void refreshFoodList();
    void exitProgram();
    void chooseUserName();
    void calculateTotals();
    void savePeriodPlan();
    void loadPeriodPlan();
    void showQuickHelp();
    void showConversionChart();
    void showCalendar();
    void openNutritiveValueTable();
    void openUserManual();
    void showLicense();
    void showAbout();
    void copyUserFiles();
    void editFoods();
    void viewFoodProperties();

private:
    void startUp();
    void buildControls();
    void buildMenus();
    // The period chosen in the period selector, as one of the eleven names; empty, after a
    // message, when the text names none of them.
    QString chosenPeriod();
    bool foodTableReady();
    // Opens a window over the food table, modally, once the table is ready.
    template <class Window, class... Options> void openWithFoodTable(Options... options);
    // Opens a document of the data folder in the desktop's viewer.
    void showDocument(const QString& name);

    SharedState& m_state;
    FoodDatabase m_foods;
    FoodListModel* m_foodList = nullptr;

    QComboBox* m_periods = nullptr;
    QPushButton* m_userNameButton = nullptr;
    QListView* m_foodView = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLabel* m_servingUnit = nullptr;
    std::array<MealListModel*, MealPlan::MealCount> m_mealModels {};
    std::array<QListView*, MealPlan::MealCount> m_mealViews {};
};

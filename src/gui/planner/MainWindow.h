#pragma once

#include "core/plans/MealPlan.h"
#include "core/storage/FoodStore.h"
#include "core/workspace/Workspace.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class FoodListModel;
class LiveTotals;
class LiveTotalsStrip;
class QAction;
class QBoxLayout;
class FoodPicker;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QTimer;
class QPushButton;
class QUndoStack;

// The main window: the food list, the four meal lists, the period selector with Save and Load,
// the commands that open the other windows, and the menu bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(Workspace& workspace, QWidget* parent = nullptr);

    Workspace& workspace() { return m_workspace; }
    FoodStore& foods() { return m_workspace.foods(); }
    FoodListModel* foodListModel() const { return m_foodList; }
    QUndoStack* undoStack() const { return m_undoStack; }
    LiveTotals* liveTotals() const { return m_liveTotals; }
    LiveTotalsStrip* liveTotalsStrip() const { return m_liveStrip; }

    // Writes the food table to `path` with a progress window; false, after a message, when it was
    // not written.
    bool exportFoodsTo(const QString& path);
    // Refills the food list from the food table, in food-name order.
    void fillFoodList();

public slots:
    void showServingUnit();
    void addToMeal(int meal);
    // Adds `food` to `meal` in the quantity typed, read as the Quantity box's text is; what is said
    // about it goes over `asker` (the main window when none).
    void addFoodToMeal(int meal, const QString& food, const QString& typedQuantity, QWidget* asker = nullptr);
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
    // Brings foods in from a FoodData Central download, an Open Food Facts file or a CSV file.
    void importFoods();
    // Writes the whole food table to a CSV file of the user's choosing.
    void exportFoods();
    // File > Food Table on a Server...: the food table the folder plans from at its next start.
    void chooseFoodTableServer();
    // Opens the Recipes window.
    void showRecipes();
    // Opens the Recipes window with a new recipe made of the entries of `meal`.
    void saveMealAsRecipe(int meal);
    // Opens the Richest Foods window, on the nutrient of that number when given, over `over` (the
    // window that asked for it), else over this one.
    void showRichestFoods(const QString& nutrientNumber = QString(), QWidget* over = nullptr);
    // Opens the daily targets of the current user.
    void editTargets();
    // Adds the chosen food to the current meal (Breakfast until another is chosen).
    void addToCurrentMeal();
    // Makes `meal` the current meal, marked by its underlined heading, and adds the food to it.
    void chooseMeal(int meal);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startUp();
    void buildControls();
    void buildMenus();
    // The period chosen in the period selector, as one of the eleven names; empty, after a
    // message, when the text names none of them.
    QString chosenPeriod();
    bool foodTableReady();
    // Puts back the plan on screen of the last run, without an Undo step.
    void restorePlan();
    // Says that the plan on screen could not be kept for the next start.
    void tellPlanNotKept(const QString& error);
    // Changes meals to the given tables as one step that Undo takes back.
    // The serving units `typed` names for `food`, as a meal stores them; false, after saying why,
    // when a weight was typed that cannot be turned into servings.
    bool readQuantity(const QString& food, const QString& typed, QString* quantity, QWidget* asker = nullptr);
    void changeMeals(const QString& step, const std::vector<std::pair<int, MealTable>>& tables);
    // Opens a window over the food table, modally, once the table is ready.
    template <class Window, class... Arguments> void openWithFoodTable(Arguments&&... arguments);
    // Opens a document of the data folder in the desktop's viewer.
    void showDocument(const QString& name);
    // Shows or hides the live totals, which add up nothing while hidden.
    void showLiveTotals(bool shown);
    // The height the live totals' row takes.
    int liveTotalsRoom() const;
    // Keeps what the live totals show for the next start.
    void keepLiveTotalsChoice();
    // What the window does once it has first been painted: the nutrients' names and the first
    // sums of the live totals.
    void afterFirstPaint();

    Workspace& m_workspace;
    QUndoStack* m_undoStack;
    int m_currentMeal = MealPlan::Breakfast;
    FoodPicker* m_picker = nullptr;
    FoodListModel* m_foodList = nullptr;

    QComboBox* m_periods = nullptr;
    QPushButton* m_userNameButton = nullptr;
    QListView* m_foodView = nullptr;
    QLineEdit* m_foodFilter = nullptr;
    std::array<QLabel*, MealPlan::MealCount> m_mealHeadings {};
    QLineEdit* m_quantity = nullptr;
    QLabel* m_servingUnit = nullptr;
    std::array<QListView*, MealPlan::MealCount> m_mealViews {};
    // The row of commands under the plan.
    QBoxLayout* m_commands = nullptr;
    // The plan's totals as it changes, under the meals; View > Live Totals shows and hides them.
    LiveTotals* m_liveTotals = nullptr;
    LiveTotalsStrip* m_liveStrip = nullptr;
    QAction* m_liveAction = nullptr;
    // Runs afterFirstPaint() should the window not be painted soon, as when it starts minimised.
    QTimer* m_firstPaintWait = nullptr;
};

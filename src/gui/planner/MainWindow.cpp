#include "gui/planner/MainWindow.h"

#include "core/postgres/PgConnection.h"
#include "core/workspace/FoodTableLocation.h"
#include "gui/planner/FoodTableServerDialog.h"

#include "core/imports/FoodExport.h"
#include "core/text/MessageText.h"
#include "core/totals/LiveTotals.h"
#include "core/totals/LiveTotalsChoice.h"
#include "gui/common/BackgroundWork.h"
#include "gui/fooddb/ImportFoodsDialog.h"
#include "gui/totals/TargetsDialog.h"

#include "core/plans/PeriodFile.h"
#include "core/plans/Periods.h"
#include "core/plans/TypedQuantity.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Program.h"
#include "gui/common/Prompt.h"
#include "gui/common/ShrinkingScrollArea.h"
#include "gui/common/WindowKeys.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/info/AboutDialog.h"
#include "gui/info/CalendarWindow.h"
#include "gui/info/ConversionChartViewer.h"
#include "gui/info/LicenseViewer.h"
#include "gui/info/QuickHelpViewer.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/FoodPicker.h"
#include "gui/planner/LiveTotalsStrip.h"
#include "gui/planner/MealListModel.h"
#include "gui/planner/MealPlanChange.h"
#include "gui/planner/RichestFoodsDialog.h"
#include "gui/recipes/RecipesWindow.h"
#include "gui/totals/TotalsDialog.h"
#include "gui/userfiles/CopyFilesDialog.h"
#include "gui/userfiles/UserNameDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// The measures the layout keeps, in pixels at 100 % scale. Lists may shrink to three quarters of
// their usual width before the window stops getting narrower.
constexpr int kPeriodsWidth = 105;
constexpr QSize kUserNameButton { 81, 57 };
constexpr int kFoodListWidth = 192;
constexpr int kQuantityWidth = 162;
constexpr QSize kServingUnit { 81, 49 };
constexpr int kHelpButtonHeight = 41;
constexpr int kMiddleTopSpace = 24;
constexpr int kMiddleGroupSpace = 16;
constexpr QSize kMealList { 204, 100 };
constexpr int kFoodCommandHeight = 33;
constexpr int kCommandHeight = 49;

struct MealControls
{
    const char* label;
    const char* list;
    const char* add;
    const char* remove;
    const char* clear;
};

constexpr MealControls kMeals[MealPlan::MealCount] = {
    { "Label1", "List2", "Breakfast_Add", "BreakfastDelete", "BreakfastClear" },
    { "Label2", "List3", "Lunch_Add", "LunchDelete", "LunchClear" },
    { "Label3", "List4", "Dinner_Add", "DinnerDelete", "DinnerClear" },
    { "Label4", "List5", "Other_Add", "OtherDelete", "OtherClear" },
};

QFont sansFont(double points, bool bold)
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFrame* groupRectangle(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    return frame;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    return label;
}

} // namespace

namespace {

// The keys of Undo and Redo, which Ctrl+Shift+Z also means.
QList<QKeySequence> undoKeys()
{
    return QKeySequence::keyBindings(QKeySequence::Undo) + QKeySequence::keyBindings(QKeySequence::Redo)
        + QList<QKeySequence> { QKeySequence(QStringLiteral("Ctrl+Shift+Z")) };
}

} // namespace

MainWindow::MainWindow(Workspace& workspace, QWidget* parent)
    : QMainWindow(parent)
    , m_workspace(workspace)
    , m_undoStack(new QUndoStack(this))
{
    setObjectName(QStringLiteral("MainMenu"));
    setWindowTitle(tr("Platewell"));
    buildControls();
    buildMenus();
    // The status bar is there from the start, so that the first message in it does not make the
    // window taller.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // On a screen too narrow for the commands in one row (a small one scaled up), they take two.
    if (centralWidget()->minimumSizeHint().width() > WindowSizes::room(this).width()) {
        m_commands->setDirection(QBoxLayout::TopToBottom);
    }
    const LiveTotalsChoice choice = LiveTotalsChoice::load(m_workspace.files().liveTotalsPath());
    m_liveStrip->setKeys(choice.keys);
    {
        const QSignalBlocker quiet(m_liveAction);
        m_liveAction->setChecked(choice.shown);
    }
    m_liveStrip->setVisible(choice.shown);
    // The live totals add their own row to the window, so that the meals keep their room.
    resize(WindowSizes::MainWindow
        + QSize(0,
            menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + (choice.shown ? liveTotalsRoom() : 0)));
    startUp();
    // The targets the live totals measure against follow the user.
    m_workspace.targets().load(nullptr, nullptr);
    connect(&m_workspace.files(), &UserFiles::userNameChanged, this,
        [this] { m_workspace.targets().load(nullptr, nullptr); });
    // The nutrients' names and the first sums wait for the window's first paint, which they
    // would otherwise hold up.
    m_firstPaintWait = new QTimer(this);
    m_firstPaintWait->setSingleShot(true);
    m_firstPaintWait->setInterval(250);
    connect(m_firstPaintWait, &QTimer::timeout, this, &MainWindow::afterFirstPaint);
    m_firstPaintWait->start();
    // A change to the plan before then is summed at once.
    connect(&m_workspace.plan(), &PlanDocument::mealChanged, this, &MainWindow::afterFirstPaint);
    connect(&m_workspace.plan(), &PlanDocument::planChanged, this, &MainWindow::afterFirstPaint);
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Paint && m_firstPaintWait && m_firstPaintWait->isActive()) {
        // Posted now, it comes after the painted window reaches the screen.
        m_firstPaintWait->stop();
        QTimer::singleShot(0, this, &MainWindow::afterFirstPaint);
    }
    return QMainWindow::event(event);
}

void MainWindow::afterFirstPaint()
{
    if (!m_firstPaintWait) {
        return;
    }
    delete m_firstPaintWait;
    m_firstPaintWait = nullptr;
    disconnect(&m_workspace.plan(), &PlanDocument::mealChanged, this, &MainWindow::afterFirstPaint);
    disconnect(&m_workspace.plan(), &PlanDocument::planChanged, this, &MainWindow::afterFirstPaint);
    m_foodFilter->setClearButtonEnabled(true);
    NutrientCatalogue catalogue;
    if (m_workspace.foods().nutrientCatalogue(&catalogue, nullptr)) {
        m_liveStrip->setCatalogue(catalogue);
    }
    showLiveTotals(m_liveAction->isChecked());
}

int MainWindow::liveTotalsRoom() const
{
    const auto* rows = static_cast<const QGridLayout*>(m_liveStrip->parentWidget()->layout());
    return m_liveStrip->sizeHint().height() + std::max(0, rows->verticalSpacing());
}

void MainWindow::showLiveTotals(bool shown)
{
    m_liveStrip->setVisible(shown);
    m_liveTotals->setOn(shown);
}

void MainWindow::keepLiveTotalsChoice()
{
    LiveTotalsChoice choice;
    choice.shown = m_liveAction->isChecked();
    choice.keys = m_liveStrip->keys();
    QString error;
    if (!choice.save(m_workspace.files().liveTotalsPath(), &error)) {
        statusBar()->showMessage(tr("What the live totals show could not be kept: %1").arg(error));
    }
}

void MainWindow::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    const QFont listFont = sansFont(9.75, false);
    const QFont labelFont = sansFont(8.25, true);

    // Period selector with Save and Load, inside their rectangle.
    auto* periodBox = groupRectangle(central);
    periodBox->setObjectName(QStringLiteral("Shape1"));
    auto* periodRow = new QHBoxLayout(periodBox);
    m_periods = new QComboBox(periodBox);
    m_periods->setObjectName(QStringLiteral("DayofWeek"));
    m_periods->setAccessibleName(tr("Period"));
    m_periods->setEditable(true);
    m_periods->setInsertPolicy(QComboBox::NoInsert);
    m_periods->setMinimumWidth(kPeriodsWidth);
    auto* saveButton = makeCommandButton(this, QStringLiteral("SaveDiet"), tr("Save"));
    auto* loadButton = makeCommandButton(this, QStringLiteral("LoadDiet"), tr("Load"));
    periodRow->addWidget(m_periods);
    periodRow->addWidget(saveButton);
    periodRow->addWidget(loadButton);

    m_userNameButton = makeCommandButton(this, QStringLiteral("Command1"), tr("User Name"));
    QFont georgia(QStringLiteral("Georgia"), 12, QFont::Bold);
    georgia.setStyleHint(QFont::Serif);
    m_userNameButton->setFont(georgia);
    m_userNameButton->setMinimumSize(m_userNameButton->sizeHint().expandedTo(kUserNameButton));

    // The food list with its search box and count.
    m_picker = new FoodPicker(central);
    m_foodList = m_picker->model();
    m_foodView = m_picker->list();
    m_foodFilter = m_picker->searchBox();
    giveKeysToWindow(m_foodFilter, undoKeys());
    QBoxLayout* foodColumn = m_picker->makeLayout();
    connect(m_picker, &FoodPicker::taken, this, &MainWindow::addToCurrentMeal);
    m_foodView->setMinimumWidth(kFoodListWidth);
    m_foodView->setFont(listFont);

    // Quantity and serving unit.
    auto* middle = new QVBoxLayout;
    m_quantity = new QLineEdit(QStringLiteral("1"), central);
    m_quantity->setObjectName(QStringLiteral("Text1"));
    m_quantity->setAccessibleName(tr("Quantity"));
    // Ctrl+Z and Ctrl+Shift+Z undo and redo the plan, not the box's own text.
    giveKeysToWindow(m_quantity, undoKeys());
    m_quantity->setMaximumWidth(kQuantityWidth);
    m_servingUnit = makeLabel(central, "Label7", QString(), sansFont(12, false));
    m_servingUnit->setWordWrap(true);
    m_servingUnit->setMinimumSize(kServingUnit);
    m_servingUnit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_servingUnit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* quantityLabel = makeLabel(central, "Label5", tr("Quantity"), labelFont);
    quantityLabel->setBuddy(m_quantity);
    auto* quickHelpButton = makeCommandButton(this, QStringLiteral("HelpEdit"), tr("Quick Help"));
    quickHelpButton->setMinimumHeight(kHelpButtonHeight);
    middle->addSpacing(kMiddleTopSpace);
    middle->addWidget(quantityLabel);
    middle->addWidget(m_quantity);
    middle->addSpacing(kMiddleGroupSpace);
    middle->addWidget(makeLabel(central, "Label6", tr("Serving Unit"), labelFont));
    middle->addWidget(m_servingUnit);
    middle->addSpacing(kMiddleGroupSpace);
    middle->addWidget(quickHelpButton);
    middle->addStretch(1);

    // The four meals: heading and buttons, then the meal's list.
    auto* meals = new QGridLayout;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        const MealControls& names = kMeals[meal];
        auto* buttons = new QVBoxLayout;
        auto* heading = makeLabel(central, names.label, MealPlan::heading(meal), labelFont);
        m_mealHeadings[static_cast<std::size_t>(meal)] = heading;
        heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* add = makeCommandButton(this, QLatin1String(names.add), tr("Add  ->"));
        auto* remove = makeCommandButton(this, QLatin1String(names.remove), tr("<-  Remove"));
        auto* clear = makeCommandButton(this, QLatin1String(names.clear), tr("Clear"));
        buttons->addWidget(heading);
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addWidget(clear);
        buttons->addStretch(1);
        auto* list = new QListView(central);
        list->setObjectName(QLatin1String(names.list));
        list->setModel(new MealListModel(m_workspace.plan(), meal, list));
        list->setFont(listFont);
        list->setMinimumSize(kMealList);
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setAccessibleName(tr("%1 foods").arg(MealPlan::heading(meal)));
        list->installEventFilter(this);
        // The meal's context menu makes a recipe of it.
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* asRecipe = new QAction(tr("Save Meal as Recipe..."), list);
        asRecipe->setObjectName(QStringLiteral("SaveMealAsRecipe%1").arg(meal + 1));
        list->addAction(asRecipe);
        connect(asRecipe, &QAction::triggered, this, [this, meal] { saveMealAsRecipe(meal); });
        m_mealViews[static_cast<std::size_t>(meal)] = list;
        meals->addLayout(buttons, meal, 0);
        meals->addWidget(list, meal, 1);
        meals->setRowStretch(meal, 1);
        connect(add, &QPushButton::clicked, this, [this, meal] { addToMeal(meal); });
        connect(remove, &QPushButton::clicked, this, [this, meal] { removeFromMeal(meal); });
        connect(clear, &QPushButton::clicked, this, [this, meal] { clearMeal(meal); });
    }
    meals->setColumnStretch(1, 1);

    // The three food table commands inside their rectangle, then the other commands.
    auto* foodBox = groupRectangle(central);
    foodBox->setObjectName(QStringLiteral("Shape2"));
    auto* foodRow = new QHBoxLayout(foodBox);
    auto* refreshButton = makeCommandButton(this, QStringLiteral("LoadFoodList"), tr("Refresh Food List"));
    auto* editButton = makeCommandButton(this, QStringLiteral("EditFoodList"), tr("Edit Food List"));
    auto* viewAllButton = makeCommandButton(this, QStringLiteral("ViewFoodProps"), tr("View All Food Properties"));
    for (auto* button : { refreshButton, editButton, viewAllButton }) {
        button->setMinimumHeight(kFoodCommandHeight);
        foodRow->addWidget(button);
    }
    auto* conversionChartButton
        = makeCommandButton(this, QStringLiteral("servconvinfo"), tr("Serving Conversion Information"));
    auto* totalsButton = makeCommandButton(this, QStringLiteral("Command9"), tr("Calculate Totals"));
    auto* exitButton = makeCommandButton(this, QStringLiteral("Command10"), tr("Exit"));
    for (auto* button : { conversionChartButton, totalsButton, exitButton }) {
        button->setMinimumHeight(kCommandHeight);
    }

    // Everything above the commands scrolls on a screen too small for it, so that the commands
    // stay in sight (WindowSizes::fitToScreen).
    auto* upper = new QWidget;
    auto* grid = new QGridLayout(upper);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(periodBox, 0, 0);
    grid->addWidget(m_userNameButton, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(foodColumn, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addLayout(meals, 0, 2, 2, 1);
    m_commands = new QBoxLayout(QBoxLayout::LeftToRight);
    m_commands->addWidget(foodBox, 0, Qt::AlignLeft);
    auto* otherCommands = new QHBoxLayout;
    otherCommands->addStretch(1);
    otherCommands->addWidget(conversionChartButton);
    otherCommands->addWidget(totalsButton);
    otherCommands->addWidget(exitButton);
    m_commands->addLayout(otherCommands, 1);
    auto* column = new QVBoxLayout(central);
    column->addWidget(new ShrinkingScrollArea(upper, central), 1);
    column->addLayout(m_commands);
    // The live totals under the meals, the width of the window.
    m_liveTotals = new LiveTotals(m_workspace.plan(), m_workspace.foods(), m_workspace.files(), this);
    m_liveStrip = new LiveTotalsStrip(*m_liveTotals, m_workspace.targets(), upper);
    grid->addWidget(m_liveStrip, 2, 0, 1, 3);
    connect(m_liveStrip, &LiveTotalsStrip::keysChosen, this, &MainWindow::keepLiveTotalsChoice);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(2, 5);

    // Keyboard planning: Ctrl+1 to Ctrl+4 add the food to a meal and make it the current one,
    // which Enter then adds to; Alt+Q goes to the quantity.
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + meal)), this);
        connect(shortcut, &QShortcut::activated, this, [this, meal] { chooseMeal(meal); });
    }
    auto* toQuantity = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Q), this);
    connect(toQuantity, &QShortcut::activated, this, [this] {
        m_quantity->setFocus(Qt::ShortcutFocusReason);
        m_quantity->selectAll();
    });
    QWidget* previous = m_foodFilter;
    for (QWidget* next : std::initializer_list<QWidget*> { m_foodView, m_quantity }) {
        setTabOrder(previous, next);
        previous = next;
    }
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        setTabOrder(previous, m_mealViews[static_cast<std::size_t>(meal)]);
        previous = m_mealViews[static_cast<std::size_t>(meal)];
    }

    connect(m_picker, &FoodPicker::chosenChanged, this, &MainWindow::showServingUnit);
    connect(m_picker, &FoodPicker::readFailed, this,
        [this](const QString& error) { Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error)); });
    connect(m_quantity, &QLineEdit::returnPressed, this, &MainWindow::addToCurrentMeal);
    connect(refreshButton, &QPushButton::clicked, this, &MainWindow::refreshFoodList);
    connect(exitButton, &QPushButton::clicked, this, &MainWindow::exitProgram);
    connect(m_userNameButton, &QPushButton::clicked, this, &MainWindow::chooseUserName);
    connect(totalsButton, &QPushButton::clicked, this, &MainWindow::calculateTotals);
    connect(saveButton, &QPushButton::clicked, this, &MainWindow::savePeriodPlan);
    connect(loadButton, &QPushButton::clicked, this, &MainWindow::loadPeriodPlan);
    connect(quickHelpButton, &QPushButton::clicked, this, &MainWindow::showQuickHelp);
    connect(conversionChartButton, &QPushButton::clicked, this, &MainWindow::showConversionChart);
    connect(editButton, &QPushButton::clicked, this, &MainWindow::editFoods);
    connect(viewAllButton, &QPushButton::clicked, this, &MainWindow::viewFoodProperties);
}

void MainWindow::buildMenus()
{
    auto addMenu = [this](const char* name, const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    QMenu* file = addMenu("mnuItemFile", tr("&File"));
    connect(addItem(file, "mnuItemCopyFiles", tr("Copy Your Files")), &QAction::triggered, this,
        &MainWindow::copyUserFiles);
    file->addSeparator();
    connect(addItem(file, "mnuItemImportFoods", tr("Import Foods...")), &QAction::triggered, this,
        &MainWindow::importFoods);
    connect(addItem(file, "mnuItemExportFoods", tr("Export Foods...")), &QAction::triggered, this,
        &MainWindow::exportFoods);
    connect(addItem(file, "mnuItemFoodTableServer", tr("Food Table on a Server...")), &QAction::triggered, this,
        &MainWindow::chooseFoodTableServer);
    file->addSeparator();
    QAction* exit = addItem(file, "mnuItemExit", tr("Exit"));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &MainWindow::exitProgram);
    // Undo and Redo of every change to the plan on screen; their texts name the step.
    QMenu* editMenu = addMenu("mnuItemEdit", tr("&Edit"));
    QAction* undo = m_undoStack->createUndoAction(this, tr("Undo"));
    undo->setObjectName(QStringLiteral("mnuItemUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_undoStack->createRedoAction(this, tr("Redo"));
    redo->setObjectName(QStringLiteral("mnuItemRedo"));
    redo->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence::Redo });
    editMenu->addAction(undo);
    editMenu->addAction(redo);
    editMenu->addSeparator();
    connect(addItem(editMenu, "mnuItemSaveMealAsRecipe", tr("Save Meal as Recipe...")), &QAction::triggered, this,
        [this] { saveMealAsRecipe(m_currentMeal); });

    QMenu* view = addMenu("mnuitemView", tr("&View"));
    connect(addItem(view, "mnuItemCalendar", tr("Calendar")), &QAction::triggered, this, &MainWindow::showCalendar);
    connect(addItem(view, "MnuItemNVoF", tr("Nutritive Value of Foods")), &QAction::triggered, this,
        &MainWindow::openNutritiveValueTable);
    connect(addItem(view, "mnuItemTargets", tr("Targets...")), &QAction::triggered, this, &MainWindow::editTargets);
    connect(addItem(view, "mnuItemRecipes", tr("Recipes")), &QAction::triggered, this, &MainWindow::showRecipes);
    connect(addItem(view, "mnuItemRichestFoods", tr("Richest Foods...")), &QAction::triggered, this,
        [this] { showRichestFoods(); });
    view->addSeparator();
    m_liveAction = addItem(view, "mnuItemLiveTotals", tr("Live Totals"));
    m_liveAction->setCheckable(true);
    m_liveAction->setChecked(true);
    connect(m_liveAction, &QAction::toggled, this, [this](bool shown) {
        // The window grows by the strip's row and gives it back, unless it fills the screen.
        const int room = liveTotalsRoom();
        const int before = height();
        showLiveTotals(shown);
        // The layouts take in the change first, so the window's least size follows before it does.
        m_liveStrip->parentWidget()->layout()->activate();
        if (auto* area = centralWidget()->findChild<ShrinkingScrollArea*>()) {
            area->updateGeometry();
        }
        centralWidget()->layout()->activate();
        layout()->activate();
        if (!isMaximized() && !isFullScreen()) {
            resize(width(), before + (shown ? room : -room));
        }
        keepLiveTotalsChoice();
    });
    QMenu* help = addMenu("MnuItemHelp", tr("&Help"));
    QAction* manual = addItem(help, "MnuItemManual", tr("User Manual"));
    manual->setShortcut(QKeySequence::HelpContents);
    connect(manual, &QAction::triggered, this, &MainWindow::openUserManual);
    connect(
        addItem(help, "MnuItemLicense", tr("License Agreement")), &QAction::triggered, this, &MainWindow::showLicense);
    connect(addItem(help, "MnuItemAbout", tr("About Platewell")), &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::startUp()
{
    m_periods->clear();
    m_periods->addItems(Periods::names());
    m_periods->setCurrentIndex(0);
    m_workspace.foodSearchText().clear();
    m_workspace.files().setUserName(QString());
    UserNameDialog::showUserNameOn(m_userNameButton, m_workspace.files());
    fillFoodList();
    restorePlan();
    connect(&m_workspace, &Workspace::planNotKept, this, &MainWindow::tellPlanNotKept);
    if (const int starters = m_workspace.takeStartersGivenNutrients(); starters > 0) {
        // Said once, it stays until the next message takes its place.
        statusBar()->showMessage(starters == 1
                ? tr("Added nutrients to 1 starter food.")
                : tr("Added nutrients to %1 starter foods.").arg(QLocale().toString(starters)));
    }
    // A new user starts by typing a food's name, so the first keystrokes go to the search.
    m_foodFilter->setFocus(Qt::OtherFocusReason);
}

void MainWindow::restorePlan()
{
    QStringList problems;
    QString error;
    switch (m_workspace.restorePlan(&problems, &error)) {
    case PlanOnScreenFile::Restored::Nothing:
        return;
    case PlanOnScreenFile::Restored::Unreadable:
        Prompt::error(this,
            tr("The plan on screen from the last run could not be read, so the meals start empty. The file stays "
               "as it is until you change the plan; it is then first copied to %1.\n%2")
                .arg(QDir::toNativeSeparators(m_workspace.planAsidePath()), error));
        return;
    case PlanOnScreenFile::Restored::Partly:
        Prompt::message(this,
            tr("Some lines of the plan on screen from the last run could not be placed and were left out. When you "
               "change the plan, the file is first copied to %1.\n%2")
                .arg(QDir::toNativeSeparators(m_workspace.planAsidePath()), problems.join(QLatin1Char('\n'))),
            tr("Platewell"));
        break;
    case PlanOnScreenFile::Restored::Whole:
        break;
    }
}

void MainWindow::tellPlanNotKept(const QString& error)
{
    Prompt::error(this,
        tr("The plan on screen could not be kept for the next start of Platewell; save it to keep it. Platewell "
           "tries again at every change without saying so again.\n%1")
            .arg(error));
}

void MainWindow::fillFoodList()
{
    QFont font = m_foodView->font();
    font.setPointSizeF(10);
    m_foodView->setFont(font);
    QString error;
    // The foods under the plan may have changed: the live totals add up again.
    if (m_liveTotals) {
        m_liveTotals->refresh();
    }
    switch (m_picker->fill(m_workspace.foods(), &error)) {
    case FoodPicker::FillResult::Filled:
        break;
    case FoodPicker::FillResult::CannotOpen:
        Prompt::error(this, tr("The food table cannot be opened.\n%1").arg(error));
        break;
    case FoodPicker::FillResult::CannotRead:
        Prompt::error(this, tr("The food table cannot be read.\n%1").arg(error));
        break;
    }
}

void MainWindow::showServingUnit()
{
    // The unit of the food an Add or Enter would add, and nothing when none would be.
    m_servingUnit->setText(MessageText::quoted(m_picker->chosenServingUnit()));
}

void MainWindow::addToMeal(int meal)
{
    addFoodToMeal(meal, m_picker->chosenFood(), m_quantity->text());
}

void MainWindow::addFoodToMeal(int meal, const QString& food, const QString& typedQuantity, QWidget* asker)
{
    if (food.isEmpty()) {
        return;
    }
    MealTable after = m_workspace.plan().meal(meal);
    // A food the meal holds already is not added again, so its serving weight is not looked up.
    if (after.contains(food)) {
        return;
    }
    QString quantity;
    if (!readQuantity(food, typedQuantity, &quantity, asker)) {
        return;
    }
    switch (after.add(food, quantity)) {
    case MealTable::AddResult::Added:
        changeMeals(tr("Add %1 to %2").arg(MessageText::quoted(food), MealPlan::heading(meal)), { { meal, after } });
        break;
    case MealTable::AddResult::Full:
        Prompt::message(asker ? asker : this,
            tr("%1 already holds %2 foods, as many as a meal can hold.")
                .arg(MealPlan::heading(meal))
                .arg(MealTable::MaxEntries),
            tr("Platewell"));
        break;
    case MealTable::AddResult::NoFood:
    case MealTable::AddResult::Duplicate:
        break;
    }
}

bool MainWindow::readQuantity(const QString& food, const QString& typed, QString* quantity, QWidget* asker)
{
    std::optional<double> servingGrams;
    // Only a weight needs the food's serving grams: one read of that food by the name index.
    if (TypedQuantity::isWeight(typed)) {
        QString error;
        if (!m_workspace.foods().refresh(&error) || !m_workspace.foods().servingGramsOf(food, &servingGrams, &error)) {
            Prompt::error(asker ? asker : this, tr("The food table cannot be read.\n%1").arg(error));
            return false;
        }
    }
    switch (TypedQuantity::read(typed, servingGrams, QLocale(), quantity)) {
    case TypedQuantity::Outcome::Read:
        return true;
    case TypedQuantity::Outcome::NoServingWeight:
        Prompt::message(asker ? asker : this,
            tr("\"%1\" has no serving weight, so its quantity can only be given in servings.")
                .arg(MessageText::quoted(food)),
            tr("Platewell"));
        return false;
    case TypedQuantity::Outcome::BadWeight:
        Prompt::message(asker ? asker : this,
            tr("\"%1\" is no weight Platewell can read. Type a weight above 0, such as 150 g or 5.3 oz, or a "
               "number of servings.")
                .arg(MessageText::quoted(typed)),
            tr("Platewell"));
        return false;
    }
    return false;
}

void MainWindow::removeFromMeal(int meal)
{
    QListView* list = m_mealViews[static_cast<std::size_t>(meal)];
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return;
    }
    const int line = selected.first().row();
    MealTable after = m_workspace.plan().meal(meal);
    const QString food = after.slot(line + 1).FoodName;
    if (after.removeLine(line)) {
        changeMeals(
            tr("Remove %1 from %2").arg(MessageText::quoted(food), MealPlan::heading(meal)), { { meal, after } });
    }
    list->clearSelection();
    list->setCurrentIndex(QModelIndex());
}

void MainWindow::clearMeal(int meal)
{
    changeMeals(tr("Clear %1").arg(MealPlan::heading(meal)), { { meal, MealTable() } });
}

void MainWindow::changeMeals(const QString& step, const std::vector<std::pair<int, MealTable>>& tables)
{
    auto change = std::make_unique<MealPlanChange>(step, m_workspace.plan());
    for (const auto& [meal, table] : tables) {
        change->change(meal, table);
    }
    // A step that changes nothing (clearing an empty meal) is no step to undo.
    if (!change->changesNothing()) {
        m_undoStack->push(change.release());
    }
}

void MainWindow::addToCurrentMeal()
{
    addToMeal(m_currentMeal);
}

void MainWindow::chooseMeal(int meal)
{
    m_currentMeal = meal;
    for (int m = 0; m < MealPlan::MealCount; ++m) {
        QLabel* heading = m_mealHeadings[static_cast<std::size_t>(m)];
        QFont font = heading->font();
        font.setUnderline(m == meal);
        heading->setFont(font);
    }
    addToMeal(meal);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete) {
        for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
            if (watched == m_mealViews[static_cast<std::size_t>(meal)]) {
                removeFromMeal(meal);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::refreshFoodList()
{
    fillFoodList();
}

void MainWindow::importFoods()
{
    ImportFoodsDialog window(m_workspace.files(), this);
    execWindowModal(window);
    if (window.changedTable()) {
        refreshFoodList();
    }
}

void MainWindow::exportFoods()
{
    if (!foodTableReady()) {
        return;
    }
    // The ending is added before the file window asks about replacing a file of that name.
    QFileDialog chooser(
        this, tr("Export Foods"), QDir::home().filePath(QStringLiteral("foods.csv")), tr("CSV files (*.csv)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("csv"));
    if (execWindowModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return;
    }
    exportFoodsTo(chooser.selectedFiles().constFirst());
}

bool MainWindow::exportFoodsTo(const QString& path)
{
    qint64 written = 0;
    bool done = false;
    bool cancelled = false;
    QString error;
    const QString database = m_workspace.files().foodDatabasePath();
    BackgroundWork::run(
        this, QStringLiteral("ExportProgress"), tr("Exporting Foods"), [&](const BackgroundWork::Report& tell) {
            done = FoodExport::run(
                database, path,
                [&](qint64 rows, qint64 total) {
                    cancelled = !tell(rows, total,
                        tr("%1 of %2 foods written").arg(QLocale().toString(rows), QLocale().toString(total)));
                    return !cancelled;
                },
                &written, &error);
        });
    if (cancelled) {
        Prompt::message(this, tr("The export was cancelled; no file was written."), tr("Export Foods"));
    } else if (!done) {
        Prompt::error(this, tr("The foods were not exported.\n%1").arg(error));
    } else {
        Prompt::message(this,
            tr("%n food(s) were written to %1.", nullptr, int(std::min<qint64>(written, INT_MAX)))
                .arg(QDir::toNativeSeparators(path)),
            tr("Export Foods"));
    }
    return done;
}

void MainWindow::chooseFoodTableServer()
{
    const QString folder = QFileInfo(m_workspace.files().dataFolder()).absolutePath();
    const QString current = m_workspace.files().foodDatabasePath();
    FoodTableServerDialog dialog(FoodTableLocation::savedAddress(folder),
        PgConnection::isServerLocation(current) ? PgConnection::displayName(current)
                                                : QDir::toNativeSeparators(current),
        this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const QString address = dialog.address();
    QString error;
    if (!FoodTableLocation::saveAddress(folder, address, &error)) {
        Prompt::error(this, tr("The choice of food table was not kept.\n%1").arg(error));
        return;
    }
    Prompt::message(this,
        address.isEmpty() ? tr("From its next start Platewell plans from this folder's foods.db.")
                          : tr("From its next start Platewell plans from the food table on %1.")
                                .arg(PgConnection::displayName(address)),
        tr("Food Table on a Server"));
}

void MainWindow::showRecipes()
{
    saveMealAsRecipe(-1);
}

void MainWindow::saveMealAsRecipe(int meal)
{
    if (!foodTableReady()) {
        return;
    }
    RecipesWindow window(m_workspace.files(), m_workspace.foods(), m_foodList, this);
    if (meal >= 0) {
        window.startFromMeal(m_workspace.plan().meal(meal));
    }
    execWindowModal(window);
    if (window.changedFoods()) {
        refreshFoodList();
    }
}

void MainWindow::showRichestFoods(const QString& nutrientNumber, QWidget* over)
{
    if (!foodTableReady()) {
        return;
    }
    RichestFoodsDialog window(m_workspace.foods(), nutrientNumber, over ? over : this);
    connect(&window, &RichestFoodsDialog::addToMealRequested, this,
        [this, &window](const QString& food, const QString& quantity) {
            // The meal is out of sight behind this window, so a food it holds already is said.
            if (m_workspace.plan().meal(m_currentMeal).contains(food)) {
                Prompt::message(&window,
                    tr("\"%1\" is already in %2.").arg(MessageText::quoted(food), MealPlan::heading(m_currentMeal)),
                    tr("Platewell"));
                return;
            }
            addFoodToMeal(m_currentMeal, food, quantity, &window);
        });
    execWindowModal(window);
}

void MainWindow::editTargets()
{
    NutrientCatalogue catalogue;
    m_workspace.foods().nutrientCatalogue(&catalogue, nullptr);
    TargetsDialog window(m_workspace.targets(), catalogue, this);
    connect(&window, &TargetsDialog::richestFoodsRequested, this,
        [this, &window](const QString& number) { showRichestFoods(number, &window); });
    execWindowModal(window);
}

void MainWindow::exitProgram()
{
    EndProgram();
}

void MainWindow::chooseUserName()
{
    UserNameDialog window(m_workspace.files(), this);
    execWindowModal(window);
}

void MainWindow::calculateTotals()
{
    if (!foodTableReady()) {
        return;
    }
    TotalsDialog window(m_workspace.files(), m_workspace.foods(), m_workspace.plan(), m_workspace.targets(), this);
    // The foods richest in a nutrient open over whichever window asked for them.
    connect(&window, &TotalsDialog::richestFoodsRequested, this, [this](const QString& number) {
        QWidget* over = QApplication::activeModalWidget();
        showRichestFoods(number, over ? over : this);
    });
    execWindowModal(window);
}

QString MainWindow::chosenPeriod()
{
    const QString typed = m_periods->currentText().trimmed();
    for (const QString& period : Periods::names()) {
        if (typed.compare(period, Qt::CaseInsensitive) == 0) {
            return period;
        }
    }
    Prompt::message(this,
        tr("\"%1\" is not a period Platewell keeps plans for. Choose one of: %2.")
            .arg(MessageText::quoted(m_periods->currentText()), Periods::names().join(QStringLiteral(", "))),
        tr("Platewell"));
    return QString();
}

void MainWindow::savePeriodPlan()
{
    const QString period = chosenPeriod();
    if (period.isEmpty()) {
        return;
    }
    QString error;
    const MealPlan& plan = m_workspace.plan().plan();
    if (!PeriodFile::canSave(plan, &error)) {
        Prompt::error(this, error);
        return;
    }
    const QString path = m_workspace.files().periodPlanPath(period);
    if (QFileInfo::exists(path)
        && !Prompt::question(this,
            tr("A %1 plan is already saved in %2.\nReplace it with the plan on screen?")
                .arg(period, QDir::toNativeSeparators(path)),
            tr("Save"))) {
        return;
    }
    if (!PeriodFile::save(path, plan, &error)) {
        Prompt::error(this, tr("The %1 plan was not saved.\n%2").arg(period, error));
        return;
    }
    statusBar()->showMessage(tr("Saved the %1 plan to %2").arg(period, QDir::toNativeSeparators(path)), 10000);
}

void MainWindow::loadPeriodPlan()
{
    const QString period = chosenPeriod();
    if (period.isEmpty()) {
        return;
    }
    const QString path = m_workspace.files().periodPlanPath(period);
    QString error;
    if (!QFileInfo::exists(path)) {
        Prompt::error(this,
            tr("No %1 plan is saved for this user name.\n%2 does not exist.")
                .arg(period, QDir::toNativeSeparators(path)));
        return;
    }
    MealPlan plan;
    QStringList problems;
    if (!PeriodFile::load(path, &plan, &problems, &error)) {
        Prompt::error(this, tr("The %1 plan could not be read.\n%2").arg(period, error));
        return;
    }
    if (!m_workspace.plan().isEmpty()
        && !Prompt::question(
            this, tr("Loading the saved %1 plan replaces the plan on screen.\nLoad it?").arg(period), tr("Load"))) {
        return;
    }
    std::vector<std::pair<int, MealTable>> tables;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        tables.emplace_back(meal, plan.tables[static_cast<std::size_t>(meal)]);
    }
    changeMeals(tr("Load %1 Plan").arg(period), tables);
    statusBar()->showMessage(tr("Loaded the %1 plan from %2").arg(period, QDir::toNativeSeparators(path)), 10000);
    if (!problems.isEmpty()) {
        Prompt::message(this,
            tr("Some lines of %1 could not be placed in the plan and were left out:\n%2")
                .arg(QDir::toNativeSeparators(path), problems.join(QLatin1Char('\n'))),
            tr("Load"));
    }
}

void MainWindow::showQuickHelp()
{
    QuickHelpViewer window(m_workspace.files(), this);
    execWindowModal(window);
}

void MainWindow::showConversionChart()
{
    ConversionChartViewer window(m_workspace.files(), this);
    execWindowModal(window);
}

void MainWindow::showCalendar()
{
    CalendarWindow::openSingle();
}

void MainWindow::showDocument(const QString& name)
{
    // The viewer opens even for a missing file and says so itself; only a viewer that cannot be
    // started at all is ours to report, with the file's place so that it can be opened otherwise.
    const QString path = m_workspace.files().documentPath(name);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        Prompt::error(this,
            tr("No document viewer could be started for %1.\nInstall a PDF viewer, such as Evince or Okular, to "
               "read it from Platewell, or open the file with a program you have.")
                .arg(QDir::toNativeSeparators(path)));
    }
}

void MainWindow::openNutritiveValueTable()
{
    showDocument(QStringLiteral("Nutritive Value of Foods.pdf"));
}

void MainWindow::openUserManual()
{
    showDocument(QStringLiteral("PWmanual.pdf"));
}

void MainWindow::showLicense()
{
    LicenseViewer window(m_workspace.files(), this);
    execWindowModal(window);
}

void MainWindow::showAbout()
{
    AboutDialog window(this);
    execWindowModal(window);
}

void MainWindow::copyUserFiles()
{
    CopyFilesDialog window(m_workspace.files(), this);
    execWindowModal(window);
}

// The windows over the food table need it open; when it could not be opened at start-up, or
// another program has replaced the file since, it is opened afresh here, and the message says why
// when that fails.
template <class Window, class... Arguments> void MainWindow::openWithFoodTable(Arguments&&... arguments)
{
    if (!foodTableReady()) {
        return;
    }
    Window window(std::forward<Arguments>(arguments)..., this);
    execWindowModal(window);
}

bool MainWindow::foodTableReady()
{
    QString error;
    if (m_workspace.foods().refresh(&error)) {
        return true;
    }
    Prompt::error(this, tr("The food table cannot be opened.\n%1").arg(error));
    return false;
}

void MainWindow::editFoods()
{
    openWithFoodTable<FoodEditorDialog>(m_workspace.files(), m_workspace.foods(), m_workspace.foodSearchText());
}

void MainWindow::viewFoodProperties()
{
    openWithFoodTable<FoodGridDialog>(m_workspace.files(), m_workspace.foods(), true);
}

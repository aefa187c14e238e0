#include "gui/planner/MainMenu.h"

#include "gui/planner/FoodListModel.h"
#include "core/NumberText.h"
#include "gui/common/Program.h"
#include "gui/common/Twips.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEdit.h"
#include "gui/fooddb/GridView.h"
#include "gui/info/About.h"
#include "gui/info/License.h"
#include "gui/info/PlatewellHelp.h"
#include "gui/info/ViewCalendar.h"
#include "gui/info/convinfo.h"
#include "gui/totals/CalculateTotals.h"
#include "core/PeriodFile.h"
#include "gui/userfiles/ChangeFolder.h"
#include "gui/userfiles/UserName.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QUrl>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

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

MainMenu::MainMenu(SharedState& state, QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("MainMenu"));
    setWindowTitle(QStringLiteral("Platewell"));
    buildControls();
    buildMenus();
    resize(twips(11340), twips(7515) + menuBar()->sizeHint().height());
    Form_Load();
}

MainMenu::~MainMenu() = default;

QPushButton* MainMenu::makeButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

void MainMenu::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    const QFont listFont = sansFont(9.75, false);
    const QFont labelFont = sansFont(8.25, true);

    // Period selector with Save and Load, inside their rectangle.
    auto* periodBox = groupRectangle(central);
    periodBox->setObjectName(QStringLiteral("Shape1"));
    auto* periodRow = new QHBoxLayout(periodBox);
    m_dayOfWeek = new QComboBox(periodBox);
    m_dayOfWeek->setObjectName(QStringLiteral("DayofWeek"));
    m_dayOfWeek->setEditable(true);
    m_dayOfWeek->setInsertPolicy(QComboBox::NoInsert);
    m_dayOfWeek->setMinimumWidth(twips(1575));
    auto* saveDiet = makeButton("SaveDiet", QStringLiteral("Save"));
    auto* loadDiet = makeButton("LoadDiet", QStringLiteral("Load"));
    periodRow->addWidget(m_dayOfWeek);
    periodRow->addWidget(saveDiet);
    periodRow->addWidget(loadDiet);

    m_userName = makeButton("Command1", QStringLiteral("User Name"));
    QFont georgia(QStringLiteral("Georgia"), 12, QFont::Bold);
    georgia.setStyleHint(QFont::Serif);
    m_userName->setFont(georgia);
    m_userName->setMinimumSize(std::max(twips(1215), m_userName->sizeHint().width()), twips(855));

    m_foodList = new FoodListModel(this);
    m_list1 = new QListView(central);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setModel(m_foodList);
    m_list1->setUniformItemSizes(true);
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list1->setMinimumWidth(twips(3855) * 3 / 4);
    m_list1->setFont(listFont);

    // Quantity and serving unit.
    auto* middle = new QVBoxLayout;
    m_quantity = new QLineEdit(QStringLiteral("1"), central);
    m_quantity->setObjectName(QStringLiteral("Text1"));
    m_quantity->setMaximumWidth(twips(1215) * 2);
    m_servingUnit = makeLabel(central, "Label7", QString(), sansFont(12, false));
    m_servingUnit->setWordWrap(true);
    m_servingUnit->setMinimumSize(twips(1215), twips(735));
    m_servingUnit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_servingUnit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* quantityLabel = makeLabel(central, "Label5", QStringLiteral("Quantity"), labelFont);
    quantityLabel->setBuddy(m_quantity);
    auto* helpEdit = makeButton("HelpEdit", QStringLiteral("Quick Help"));
    helpEdit->setMinimumHeight(twips(615));
    middle->addSpacing(twips(360));
    middle->addWidget(quantityLabel);
    middle->addWidget(m_quantity);
    middle->addSpacing(twips(240));
    middle->addWidget(makeLabel(central, "Label6", QStringLiteral("Serving Unit"), labelFont));
    middle->addWidget(m_servingUnit);
    middle->addSpacing(twips(240));
    middle->addWidget(helpEdit);
    middle->addStretch(1);

    // The four meals: heading and buttons, then the meal's list.
    auto* meals = new QGridLayout;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        const MealControls& names = kMeals[meal];
        auto* buttons = new QVBoxLayout;
        auto* heading = makeLabel(central, names.label, MealPlan::heading(meal), labelFont);
        heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* add = makeButton(names.add, QStringLiteral("Add  ->"));
        auto* remove = makeButton(names.remove, QStringLiteral("<-  Remove"));
        auto* clear = makeButton(names.clear, QStringLiteral("Clear"));
        buttons->addWidget(heading);
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addWidget(clear);
        buttons->addStretch(1);
        auto* list = new QListWidget(central);
        list->setObjectName(QLatin1String(names.list));
        list->setFont(listFont);
        list->setMinimumSize(twips(4095) * 3 / 4, twips(1500));
        list->setUniformItemSizes(true);
        m_mealLists[static_cast<std::size_t>(meal)] = list;
        meals->addLayout(buttons, meal, 0);
        meals->addWidget(list, meal, 1);
        meals->setRowStretch(meal, 1);
        connect(add, &QPushButton::clicked, this, [this, meal] { mealAdd(meal); });
        connect(remove, &QPushButton::clicked, this, [this, meal] { mealDelete(meal); });
        connect(clear, &QPushButton::clicked, this, [this, meal] { mealClear(meal); });
    }
    meals->setColumnStretch(1, 1);

    // The three food table commands inside their rectangle, then the other commands.
    auto* foodBox = groupRectangle(central);
    foodBox->setObjectName(QStringLiteral("Shape2"));
    auto* foodRow = new QHBoxLayout(foodBox);
    auto* loadFoodList = makeButton("LoadFoodList", QStringLiteral("Refresh Food List"));
    auto* editFoodList = makeButton("EditFoodList", QStringLiteral("Edit Food List"));
    auto* viewFoodProps = makeButton("ViewFoodProps", QStringLiteral("View All Food Properties"));
    for (auto* button : { loadFoodList, editFoodList, viewFoodProps }) {
        button->setMinimumHeight(twips(495));
        foodRow->addWidget(button);
    }
    auto* servconvinfo = makeButton("servconvinfo", QStringLiteral("Serving Conversion Information"));
    auto* command9 = makeButton("Command9", QStringLiteral("Calculate Totals"));
    auto* command10 = makeButton("Command10", QStringLiteral("Exit"));
    for (auto* button : { servconvinfo, command9, command10 }) {
        button->setMinimumHeight(twips(735));
    }

    auto* grid = new QGridLayout(central);
    grid->addWidget(periodBox, 0, 0);
    grid->addWidget(m_userName, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(m_list1, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addLayout(meals, 0, 2, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(foodBox, 0);
    bottom->addStretch(1);
    bottom->addWidget(servconvinfo);
    bottom->addWidget(command9);
    bottom->addWidget(command10);
    grid->addLayout(bottom, 2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(2, 5);

    connect(m_list1->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainMenu::List1_Click);
    connect(m_list1, &QListView::clicked, this, &MainMenu::List1_Click);
    connect(loadFoodList, &QPushButton::clicked, this, &MainMenu::LoadFoodList_Click);
    connect(command10, &QPushButton::clicked, this, &MainMenu::Command10_Click);
    connect(m_userName, &QPushButton::clicked, this, &MainMenu::Command1_Click);
    connect(command9, &QPushButton::clicked, this, &MainMenu::Command9_Click);
    connect(saveDiet, &QPushButton::clicked, this, &MainMenu::SaveDiet_Click);
    connect(loadDiet, &QPushButton::clicked, this, &MainMenu::LoadDiet_Click);
    connect(helpEdit, &QPushButton::clicked, this, &MainMenu::HelpEdit_Click);
    connect(servconvinfo, &QPushButton::clicked, this, &MainMenu::servconvinfo_Click);
    connect(editFoodList, &QPushButton::clicked, this, &MainMenu::EditFoodList_Click);
    connect(viewFoodProps, &QPushButton::clicked, this, &MainMenu::ViewFoodProps_Click);
}

void MainMenu::buildMenus()
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
    QMenu* file = addMenu("mnuItemFile", QStringLiteral("&File"));
    connect(addItem(file, "mnuItemCopyFiles", QStringLiteral("Copy Your Files")), &QAction::triggered, this,
        &MainMenu::mnuItemCopyFiles_Click);
    QAction* exit = addItem(file, "mnuItemExit", QStringLiteral("Exit"));
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &MainMenu::Command10_Click);
    QMenu* view = addMenu("mnuitemView", QStringLiteral("&View"));
    connect(addItem(view, "mnuItemCalendar", QStringLiteral("Calendar")), &QAction::triggered, this,
        &MainMenu::mnuItemCalendar_Click);
    connect(addItem(view, "MnuItemNVoF", QStringLiteral("Nutritive Value of Foods")), &QAction::triggered, this,
        &MainMenu::MnuItemNVoF_Click);
    QMenu* help = addMenu("MnuItemHelp", QStringLiteral("&Help"));
    QAction* manual = addItem(help, "MnuItemManual", QStringLiteral("User Manual"));
    manual->setShortcut(QKeySequence::HelpContents);
    connect(manual, &QAction::triggered, this, &MainMenu::MnuItemManual_Click);
    connect(addItem(help, "MnuItemLicense", QStringLiteral("License Agreement")), &QAction::triggered, this,
        &MainMenu::MnuItemLicense_Click);
    connect(addItem(help, "MnuItemAbout", QStringLiteral("About Platewell")), &QAction::triggered, this,
        &MainMenu::MnuItemAbout_Click);
}

void MainMenu::Form_Load()
{
    m_dayOfWeek->clear();
    m_dayOfWeek->addItems(Periods::names());
    m_dayOfWeek->setCurrentIndex(0);
    m_state.FoodSearchText.clear();
    m_state.CurrentUserName.clear();
    m_userName->setText(QStringLiteral("User Name"));
    FillFoodList();
}

void MainMenu::FillFoodList()
{
    m_foodList->clear();
    QString error;
    if (!m_foods.ensureOpen(m_state.FoodDatabasePath, &error)) {
        Prompt::error(this, QStringLiteral("The food table cannot be opened.\n%1").arg(error));
        return;
    }
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    if (!m_foods.readColumns({ FoodDatabase::FOOD, FoodDatabase::SERVING_UN }, &columns, &rowids, &error)) {
        // A table that fails now may be fixed by the user: open it afresh next time.
        m_foods.close();
        Prompt::error(this, QStringLiteral("The food table cannot be read.\n%1").arg(error));
        return;
    }
    QFont font = m_list1->font();
    font.setPointSizeF(10);
    m_list1->setFont(font);
    // Without the name order (a read-only table without its index, say) the list sorts itself.
    std::vector<std::uint32_t> nameOrder;
    m_foods.readNameOrder(rowids, &nameOrder, nullptr);
    m_foodList->setFoods(std::move(columns[0]), std::move(columns[1]), std::move(nameOrder));
}

void MainMenu::List1_Click()
{
    const QModelIndex current = m_list1->currentIndex();
    if (current.isValid()) {
        m_servingUnit->setText(m_foodList->servingUnit(current.row()));
    }
}

void MainMenu::mealAdd(int meal)
{
    const QModelIndex current = m_list1->currentIndex();
    if (!current.isValid() || !m_list1->selectionModel()->isSelected(current)) {
        return;
    }
    const QString food = m_foodList->foodName(current.row());
    const QString quantity = NumberToText(TextToNumber(m_quantity->text()));
    MealTable& table = m_state.mealPlan.tables[static_cast<std::size_t>(meal)];
    switch (table.add(food, quantity)) {
    case MealTable::AddResult::Added:
        m_mealLists[static_cast<std::size_t>(meal)]->addItem(food + QStringLiteral(", ") + quantity);
        break;
    case MealTable::AddResult::Full:
        Prompt::message(this,
            QStringLiteral("%1 already holds %2 foods, as many as a meal can hold.")
                .arg(MealPlan::heading(meal))
                .arg(MealTable::MaxEntries),
            QStringLiteral("Platewell"));
        break;
    case MealTable::AddResult::NoFood:
    case MealTable::AddResult::Duplicate:
        break;
    }
}

void MainMenu::mealDelete(int meal)
{
    QListWidget* list = m_mealLists[static_cast<std::size_t>(meal)];
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int line = list->row(selected.first());
    if (m_state.mealPlan.tables[static_cast<std::size_t>(meal)].removeLine(line)) {
        delete list->takeItem(line);
    }
    list->clearSelection();
    list->setCurrentRow(-1);
}

void MainMenu::mealClear(int meal)
{
    m_state.mealPlan.tables[static_cast<std::size_t>(meal)].clear();
    m_mealLists[static_cast<std::size_t>(meal)]->clear();
}

void MainMenu::LoadFoodList_Click()
{
    FillFoodList();
}

void MainMenu::Command10_Click()
{
    EndProgram();
}

void MainMenu::Command1_Click()
{
    UserName window(m_state, m_userName, this);
    window.exec();
}

void MainMenu::Command9_Click()
{
    if (!foodTableReady()) {
        return;
    }
    CalculateTotals window(m_state, m_foods, this);
    window.exec();
}

QString MainMenu::chosenPeriod()
{
    const QString typed = m_dayOfWeek->currentText().trimmed();
    for (const QString& period : Periods::names()) {
        if (typed.compare(period, Qt::CaseInsensitive) == 0) {
            return period;
        }
    }
    Prompt::message(this,
        QStringLiteral("\"%1\" is not a period Platewell keeps plans for. Choose one of: %2.")
            .arg(m_dayOfWeek->currentText(), Periods::names().join(QStringLiteral(", "))),
        QStringLiteral("Platewell"));
    return QString();
}

void MainMenu::SaveDiet_Click()
{
    const QString period = chosenPeriod();
    if (period.isEmpty()) {
        return;
    }
    QString error;
    if (!PeriodFile::canSave(m_state.mealPlan, &error)) {
        Prompt::error(this, error);
        return;
    }
    const QString path = m_state.perUserFile(period);
    if (QFileInfo::exists(path)
        && !Prompt::question(this,
            QStringLiteral("A %1 plan is already saved in %2.\nReplace it with the plan on screen?")
                .arg(period, QDir::toNativeSeparators(path)),
            QStringLiteral("Save"))) {
        return;
    }
    if (!PeriodFile::save(path, m_state.mealPlan, &error)) {
        Prompt::error(this, QStringLiteral("The %1 plan was not saved.\n%2").arg(period, error));
        return;
    }
    statusBar()->showMessage(
        QStringLiteral("Saved the %1 plan to %2").arg(period, QDir::toNativeSeparators(path)), 10000);
}

void MainMenu::LoadDiet_Click()
{
    const QString period = chosenPeriod();
    if (period.isEmpty()) {
        return;
    }
    const QString path = m_state.perUserFile(period);
    QString error;
    if (!QFileInfo::exists(path)) {
        Prompt::error(this,
            QStringLiteral("No %1 plan is saved for this user name.\n%2 does not exist.")
                .arg(period, QDir::toNativeSeparators(path)));
        return;
    }
    MealPlan plan;
    QStringList problems;
    if (!PeriodFile::load(path, &plan, &problems, &error)) {
        Prompt::error(this, QStringLiteral("The %1 plan could not be read.\n%2").arg(period, error));
        return;
    }
    bool planOnScreen = false;
    for (const MealTable& table : m_state.mealPlan.tables) {
        planOnScreen = planOnScreen || table.count() > 0;
    }
    if (planOnScreen
        && !Prompt::question(this,
            QStringLiteral("Loading the saved %1 plan replaces the plan on screen.\nLoad it?").arg(period),
            QStringLiteral("Load"))) {
        return;
    }
    m_state.mealPlan = plan;
    showMealPlan();
    statusBar()->showMessage(
        QStringLiteral("Loaded the %1 plan from %2").arg(period, QDir::toNativeSeparators(path)), 10000);
    if (!problems.isEmpty()) {
        Prompt::message(this,
            QStringLiteral("Some lines of %1 could not be placed in the plan and were left out:\n%2")
                .arg(QDir::toNativeSeparators(path), problems.join(QLatin1Char('\n'))),
            QStringLiteral("Load"));
    }
}

void MainMenu::showMealPlan()
{
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        QListWidget* list = m_mealLists[static_cast<std::size_t>(meal)];
        const MealTable& table = m_state.mealPlan.tables[static_cast<std::size_t>(meal)];
        list->clear();
        for (int k = 1; k <= table.count(); ++k) {
            list->addItem(table.slot(k).FoodName + QStringLiteral(", ") + table.slot(k).QuantityText);
        }
    }
}

void MainMenu::HelpEdit_Click()
{
    PlatewellHelp window(m_state, this);
    window.exec();
}

void MainMenu::servconvinfo_Click()
{
    convinfo window(m_state, this);
    window.exec();
}

void MainMenu::mnuItemCalendar_Click()
{
    ViewCalendar::openSingle();
}

void MainMenu::showDocument(const QString& name)
{
    // The viewer opens even for a missing file and says so itself; only a viewer that cannot be
    // started at all is ours to report.
    const QString path = m_state.documentPath(name);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        Prompt::error(this, QStringLiteral("No document viewer could be started for %1.").arg(QDir::toNativeSeparators(path)));
    }
}

void MainMenu::MnuItemNVoF_Click()
{
    showDocument(QStringLiteral("Nutritive Value of Foods.pdf"));
}

void MainMenu::MnuItemManual_Click()
{
    showDocument(QStringLiteral("PWmanual.pdf"));
}

void MainMenu::MnuItemLicense_Click()
{
    License window(m_state, this);
    window.exec();
}

void MainMenu::MnuItemAbout_Click()
{
    About window(this);
    window.exec();
}

void MainMenu::mnuItemCopyFiles_Click()
{
    ChangeFolder window(m_state, this);
    window.exec();
}

// The editor and the grid need the food table; when it could not be opened at start-up, or another
// program has replaced the file since, it is opened afresh here, and the message says why when
// that fails.
bool MainMenu::foodTableReady()
{
    QString error;
    if (m_foods.ensureOpen(m_state.FoodDatabasePath, &error)) {
        return true;
    }
    Prompt::error(this, QStringLiteral("The food table cannot be opened.\n%1").arg(error));
    return false;
}

void MainMenu::EditFoodList_Click()
{
    if (!foodTableReady()) {
        return;
    }
    FoodEdit window(m_state, m_foods, this);
    window.exec();
}

void MainMenu::ViewFoodProps_Click()
{
    if (!foodTableReady()) {
        return;
    }
    GridView window(m_state, m_foods, true, this);
    window.exec();
}

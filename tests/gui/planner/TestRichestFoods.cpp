// The Richest Foods window over a real food table, opened from the real main window's View menu:
// the ranking of each basis with the foods it leaves out, the search box narrowing the list by
// the main window's rules, Add to Meal and Enter reaching the current meal as the main window's
// own Add does, and the same list when the table is read behind the window.

#include "TestSupport.h"
#include "core/storage/BackgroundFoodRead.h"
#include "gui/common/Prompt.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"
#include "gui/planner/RichestFoodsDialog.h"
#include "gui/planner/RichestFoodsModel.h"
#include "gui/totals/NutrientTargetsModel.h"
#include "gui/totals/NutrientViewModel.h"
#include "gui/totals/TargetsDialog.h"
#include "gui/totals/TotalsDialog.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(NutrientRanking::Basis)

class TestRichestFoods : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rankingOfEachBasis_data();
    void rankingOfEachBasis();
    void searchNarrowsAsTheFoodList_data();
    void searchNarrowsAsTheFoodList();
    void addReachesTheCurrentMeal_data();
    void addReachesTheCurrentMeal();
    void opensOnANutrient_data();
    void opensOnANutrient();
    void readBehindTheWindowGivesTheSameList();
    void aFoodTheMealHoldsIsSaid();
    void opensFromTheNutrientWindows_data();
    void opensFromTheNutrientWindows();

private:
    // Opens the window from View and runs `work` on it while it is up.
    void openRichest(const std::function<void(RichestFoodsDialog*)>& work);
    static QStringList shownNames(const RichestFoodsDialog* window);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

namespace {

const QString iron = QStringLiteral("303");

// Name, serving unit, calories, serving grams (0 for none) and iron in mg (-1 for none).
struct Food
{
    const char* name;
    const char* calories;
    double grams;
    double iron;
};

const Food foods[] = {
    { "Spinach", "7", 30, 0.81 },
    { "Beef", "213", 85, 2.2 },
    { "Lentils", "230", 198, 6.59 },
    { "Bread", "80", 0, 1.2 },
    { "Apple", "", 182, 0.22 },
    { "Water", "0", 240, -1 },
    { "Cereal", "110", 30, 2.2 },
};

} // namespace

void TestRichestFoods::init()
{
    Prompt::setAnswering(true);
    BackgroundFoodRead::setReadBehindFrom(50000);
    m_folder = std::make_unique<TestFolder>();
    QStringList rows;
    for (const Food& food : foods) {
        rows.append(foodRow(QLatin1String(food.name), QStringLiteral("1 serving"), { QLatin1String(food.calories) }));
    }
    m_folder->createFoods(rows);
    m_workspace = m_folder->workspace();
    QString error;
    QVERIFY2(m_workspace->foods().refresh(&error), qPrintable(error));
    for (const Food& food : foods) {
        FoodNutrientChanges changes;
        if (food.grams > 0) {
            changes.servingGramsChanged = true;
            changes.servingGrams = food.grams;
        }
        if (food.iron >= 0) {
            changes.values.insert(iron, food.iron);
        }
        if (!changes.isEmpty()) {
            QVERIFY(writeNutrients(m_workspace->foods(), QLatin1String(food.name), changes));
        }
    }
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestRichestFoods::cleanup()
{
    BackgroundFoodRead::setReadBehindFrom(50000);
    m_window.reset();
    m_workspace.reset();
    m_folder.reset();
}

void TestRichestFoods::openRichest(const std::function<void(RichestFoodsDialog*)>& work)
{
    bool ran = false;
    whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<RichestFoodsDialog*>(modal);
        QVERIFY(window);
        QCOMPARE(window->objectName(), QStringLiteral("RichestFoods"));
        QTRY_VERIFY(!window->isReading());
        ran = true;
        work(window);
        window->close();
    });
    auto* action = m_window->findChild<QAction*>(QStringLiteral("mnuItemRichestFoods"));
    QVERIFY(action);
    action->trigger();
    QVERIFY(ran);
}

QStringList TestRichestFoods::shownNames(const RichestFoodsDialog* window)
{
    QStringList names;
    for (int row = 0; row < window->model()->rowCount(); ++row) {
        names.append(window->model()->foodName(row));
    }
    return names;
}

void TestRichestFoods::rankingOfEachBasis_data()
{
    QTest::addColumn<NutrientRanking::Basis>("basis");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QString>("count");
    // Beef and Cereal bring as much iron a serving: name order settles it. Water has no value;
    // Bread has no serving weight and Apple no calories, and Water's 0 calories are none to divide by.
    QTest::newRow("per serving") << NutrientRanking::Basis::PerServing
                                 << QStringList { "Lentils", "Beef", "Cereal", "Bread", "Spinach", "Apple" }
                                 << QStringList { "6.59 mg", "2.2 mg", "2.2 mg", "1.2 mg", "0.81 mg", "0.22 mg" }
                                 << "6 of 6 foods; 1 without the value left out";
    QTest::newRow("per 100 g") << NutrientRanking::Basis::Per100Grams
                               << QStringList { "Cereal", "Lentils", "Spinach", "Beef", "Apple" }
                               << QStringList { "7.33 mg", "3.33 mg", "2.7 mg", "2.59 mg", "0.12 mg" }
                               << "5 of 5 foods; 2 without the value left out";
    QTest::newRow("per 100 kcal") << NutrientRanking::Basis::Per100Calories
                                  << QStringList { "Spinach", "Lentils", "Cereal", "Bread", "Beef" }
                                  << QStringList { "11.57 mg", "2.87 mg", "2 mg", "1.5 mg", "1.03 mg" }
                                  << "5 of 5 foods; 2 without the value left out";
}

void TestRichestFoods::rankingOfEachBasis()
{
    QFETCH(NutrientRanking::Basis, basis);
    QFETCH(QStringList, names);
    QFETCH(QStringList, amounts);
    QFETCH(QString, count);
    openRichest([&](RichestFoodsDialog* window) {
        QAbstractItemModelTester tester(window->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(window->chooseNutrient(iron));
        window->chooseBasis(basis);
        QCOMPARE(shownNames(window), names);
        QStringList shownAmounts;
        for (int row = 0; row < window->model()->rowCount(); ++row) {
            shownAmounts.append(window->model()->index(row, RichestFoodsModel::Amount).data().toString());
            QCOMPARE(window->model()->index(row, RichestFoodsModel::Basis).data().toString(),
                NutrientRanking::basisText(basis));
        }
        QCOMPARE(shownAmounts, amounts);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("RichestCount"))->text(), count);
    });
}

void TestRichestFoods::searchNarrowsAsTheFoodList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one word") << "e" << QStringList { "Lentils", "Beef", "Cereal", "Bread", "Apple" };
    QTest::newRow("case and order") << "EA BR" << QStringList { "Bread" };
    QTest::newRow("two words in one name") << "en il" << QStringList { "Lentils" };
    QTest::newRow("only a food left out") << "water" << QStringList {};
    QTest::newRow("blanks show all") << "   "
                                     << QStringList { "Lentils", "Beef", "Cereal", "Bread", "Spinach", "Apple" };
}

// The window finds what the main window's food list finds for the same text, in rank order.
void TestRichestFoods::searchNarrowsAsTheFoodList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    auto* listFilter = m_window->findChild<QLineEdit*>(QStringLiteral("FoodFilter"));
    listFilter->setText(typed);
    QStringList listed;
    for (int row = 0; row < m_window->foodListModel()->rowCount(); ++row) {
        listed.append(m_window->foodListModel()->foodName(row));
    }
    openRichest([&](RichestFoodsDialog* window) {
        QVERIFY(window->chooseNutrient(iron));
        auto* search = window->findChild<QLineEdit*>(QStringLiteral("RichestFilter"));
        QTRY_COMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(search, typed);
        QCOMPARE(shownNames(window), names);
        for (const QString& name : names) {
            QVERIFY2(listed.contains(name), qPrintable(name));
        }
        // Another basis keeps the search.
        window->chooseBasis(NutrientRanking::Basis::Per100Grams);
        for (const QString& name : shownNames(window)) {
            QVERIFY2(names.contains(name), qPrintable(name));
        }
    });
}

void TestRichestFoods::addReachesTheCurrentMeal_data()
{
    QTest::addColumn<int>("meal");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("first found, Enter, breakfast") << int(MealPlan::Breakfast) << "lent"
                                                   << "1" << true << "Lentils,  1"
                                                   << "";
    QTest::newRow("Add, dinner, two servings") << int(MealPlan::Dinner) << "beef"
                                               << "2" << false << "Beef,  2"
                                               << "";
    QTest::newRow("a weight of a food with a serving weight") << int(MealPlan::Lunch) << "lentils"
                                                              << "396 g" << true << "Lentils,  2"
                                                              << "";
    QTest::newRow("a weight of a food without one")
        << int(MealPlan::Other) << "bread"
        << "150 g" << false << ""
        << "\"Bread\" has no serving weight, so its quantity can only be given in servings.";
    QTest::newRow("no weight to read") << int(MealPlan::Lunch) << "beef"
                                       << "abc g" << true << ""
                                       << "\"abc g\" is no weight Platewell can read.";
}

// Add to Meal and Enter add the chosen food to the main window's current meal, reading the
// quantity as its Quantity box is read, as one step to undo.
void TestRichestFoods::addReachesTheCurrentMeal()
{
    QFETCH(int, meal);
    QFETCH(QString, search);
    QFETCH(QString, quantity);
    QFETCH(bool, byEnter);
    QFETCH(QString, line);
    QFETCH(QString, message);
    m_window->chooseMeal(meal);
    QVERIFY(m_workspace->plan().plan().tables[std::size_t(meal)].count() == 0);
    openRichest([&](RichestFoodsDialog* window) {
        QVERIFY(window->chooseNutrient(iron));
        auto* filter = window->findChild<QLineEdit*>(QStringLiteral("RichestFilter"));
        auto* quantityBox = window->findChild<QLineEdit*>(QStringLiteral("RichestQuantity"));
        QCOMPARE(quantityBox->text(), QStringLiteral("1"));
        QTest::keyClicks(filter, search);
        quantityBox->setText(quantity);
        if (byEnter) {
            QTest::keyClick(quantityBox, Qt::Key_Return);
        } else {
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("RichestAdd")), Qt::LeftButton);
        }
        QVERIFY(window->isVisible());
    });
    const MealTable& table = m_workspace->plan().plan().tables[std::size_t(meal)];
    if (message.isEmpty()) {
        QVERIFY(Prompt::shown().isEmpty());
        QCOMPARE(table.count(), 1);
        QCOMPARE(QStringLiteral("%1, %2").arg(table.slot(1).FoodName, table.slot(1).QuantityText), line);
        QVERIFY(m_window->undoStack()->canUndo());
        m_window->undoStack()->undo();
        QCOMPARE(m_workspace->plan().plan().tables[std::size_t(meal)].count(), 0);
    } else {
        QCOMPARE(Prompt::shown().size(), 1);
        QVERIFY2(Prompt::shown().first().text.startsWith(message), qPrintable(Prompt::shown().first().text));
        // Over the window the user is in, not the main window behind it.
        QCOMPARE(Prompt::shown().first().window, QStringLiteral("RichestFoods"));
        QCOMPARE(table.count(), 0);
        QVERIFY(!m_window->undoStack()->canUndo());
    }
}

void TestRichestFoods::opensOnANutrient_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("opened");
    QTest::newRow("iron") << iron << iron;
    QTest::newRow("not in the catalogue") << "99999"
                                          << "";
}

// The window opens on the nutrient asked for, else on the catalogue's first; its groups' names
// cannot be chosen.
void TestRichestFoods::opensOnANutrient()
{
    QFETCH(QString, number);
    QFETCH(QString, opened);
    bool ran = false;
    whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<RichestFoodsDialog*>(modal);
        QVERIFY(window);
        QTRY_VERIFY(!window->isReading());
        auto* nutrients = window->findChild<QComboBox*>(QStringLiteral("RichestNutrient"));
        QVERIFY(!nutrients->currentData().toString().isEmpty());
        if (!opened.isEmpty()) {
            QCOMPARE(window->chosenNutrient(), opened);
        } else {
            QVERIFY(window->chosenNutrient() != number);
        }
        QVERIFY(!(nutrients->model()->flags(nutrients->model()->index(0, 0)) & Qt::ItemIsEnabled));
        ran = true;
        window->close();
    });
    m_window->showRichestFoods(number);
    QVERIFY(ran);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestRichestFoods::readBehindTheWindowGivesTheSameList()
{
    QStringList direct;
    openRichest([&](RichestFoodsDialog* window) {
        window->chooseNutrient(iron);
        direct = shownNames(window);
    });
    BackgroundFoodRead::setReadBehindFrom(1);
    openRichest([&](RichestFoodsDialog* window) {
        window->chooseNutrient(QStringLiteral("203"));
        window->chooseNutrient(iron);
        QTRY_VERIFY(!window->isReading());
        QCOMPARE(shownNames(window), direct);
    });
    QCOMPARE(direct.size(), 6);
    // Before anything is read behind it, the window shows the first foods the table finds without
    // reading the others; the whole ranking then takes their place, on the row the user chose.
    RichestFoodsDialog window(m_workspace->foods(), iron);
    QVERIFY(window.isReading());
    QVERIFY(window.model()->isShowingFirstFoods());
    QCOMPARE(shownNames(&window), direct);
    auto* list = window.findChild<QTableView*>(QStringLiteral("RichestList"));
    list->setCurrentIndex(window.model()->index(2, 0));
    list->selectRow(2);
    QTRY_VERIFY(!window.isReading());
    QVERIFY(!window.model()->isShowingFirstFoods());
    QCOMPARE(shownNames(&window), direct);
    QCOMPARE(window.chosenFood(), direct.at(2));
}

// A food the current meal holds already is not added twice, and the window says so, since the
// meal is out of sight behind it.
void TestRichestFoods::aFoodTheMealHoldsIsSaid()
{
    MealTable lunch;
    lunch.add(QStringLiteral("Lentils"), QStringLiteral("2"));
    m_workspace->plan().setMeal(MealPlan::Lunch, lunch);
    m_window->chooseMeal(MealPlan::Lunch);
    openRichest([&](RichestFoodsDialog* window) {
        QVERIFY(window->chooseNutrient(iron));
        QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("RichestFilter")), QStringLiteral("lent"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("RichestAdd")), Qt::LeftButton);
    });
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().text, QStringLiteral("\"Lentils\" is already in Lunch."));
    QCOMPARE(m_workspace->plan().plan().tables[MealPlan::Lunch].count(), 1);
    QCOMPARE(m_workspace->plan().plan().tables[MealPlan::Lunch].slot(1).QuantityText, QStringLiteral("2"));
}

void TestRichestFoods::opensFromTheNutrientWindows_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("targets") << "targets";
    QTest::newRow("totals' nutrient view") << "totals";
    QTest::newRow("targets from the totals window") << "totals targets";
}

// The Targets window and the totals window's nutrient view open the richest foods on the nutrient
// chosen in them, over themselves, and a food added there reaches the main window's current meal.
void TestRichestFoods::opensFromTheNutrientWindows()
{
    QFETCH(QString, path);
    m_window->chooseMeal(MealPlan::Dinner);
    bool reached = false;
    const auto richest = [&](QWidget* over) {
        auto* button = over->findChild<QPushButton*>(qobject_cast<TargetsDialog*>(over)
                ? QStringLiteral("TargetsRichestFoods")
                : QStringLiteral("NutrientRichestFoods"));
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        whenModal([&](QWidget* modal) {
            auto* window = qobject_cast<RichestFoodsDialog*>(modal);
            QVERIFY(window);
            QCOMPARE(window->parentWidget(), over);
            QTRY_VERIFY(!window->isReading());
            QCOMPARE(window->chosenNutrient(), iron);
            QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("RichestFilter")), QStringLiteral("lent"));
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("RichestAdd")), Qt::LeftButton);
            reached = true;
            window->close();
        });
        QTest::mouseClick(button, Qt::LeftButton);
    };
    const auto inTargets = [&](QWidget* modal) {
        auto* window = qobject_cast<TargetsDialog*>(modal);
        QVERIFY(window);
        auto* list = window->findChild<QTreeView*>(QStringLiteral("NutrientTargetsList"));
        list->setCurrentIndex(window->nutrientsModel()->index(window->nutrientsModel()->rowOf(iron), 0));
        richest(window);
        window->reject();
    };
    if (path == QLatin1String("targets")) {
        whenModal(inTargets);
        m_window->editTargets();
    } else {
        whenModal([&](QWidget* modal) {
            auto* window = qobject_cast<TotalsDialog*>(modal);
            QVERIFY(window);
            if (path.endsWith(QLatin1String("targets"))) {
                whenModal(inTargets);
                QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("TotalsTargets")), Qt::LeftButton);
            } else {
                window->findChild<QTabWidget*>(QStringLiteral("TotalsTabs"))->setCurrentIndex(1);
                auto* view = window->findChild<QTreeView*>(QStringLiteral("NutrientView"));
                auto* model = qobject_cast<NutrientViewModel*>(view->model());
                view->setCurrentIndex(model->indexOfNutrient(int(window->nutrients().catalogue().indexOf(iron))));
                richest(window);
            }
            window->close();
        });
        m_window->calculateTotals();
    }
    QVERIFY(reached);
    const MealTable& dinner = m_workspace->plan().plan().tables[MealPlan::Dinner];
    QCOMPARE(dinner.count(), 1);
    QCOMPARE(dinner.slot(1).FoodName, QStringLiteral("Lentils"));
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestRichestFoods)
#include "TestRichestFoods.moc"

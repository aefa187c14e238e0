#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodPropertiesModel.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"
#include "gui/recipes/RecipesWindow.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

// The Recipes window and the main window's ways into it, driven through the real widgets over a
// real food table: a recipe built by searching and typing, one made from a meal, the values
// that follow as a quantity is typed, refusals that keep what was typed, and the food editor's
// word on the recipes a food is used in.
class TestRecipesWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void buildsARecipeByKeyboard_data();
    void buildsARecipeByKeyboard();
    void savesAMealAsRecipe();
    void ingredientCommandsFollowTheChosenRow();
    void editorNamesTheRecipesOfAFood();
    void renameInEditorTakesTheRecipes();
    void recipeValuesShowRounded();
    void recipeChangesAfterTableReplaced_data();
    void recipeChangesAfterTableReplaced();

private:
    QStringList foodNames() const;
    QString preview(int nutrient) const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
    RecipesWindow* m_recipes = nullptr;
};

void TestRecipesWindow::init()
{
    Prompt::setAnswering(true);
    Prompt::clearShown();
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Apple", "1 medium", { "95", "25", "0.3", "19", "0", "1", "4.4", "0" }),
        foodRow("Oats", "0.5 cup", { "150", "27", "2.5", "1", "", "3", "4", "" }) });
    m_workspace = m_folder->workspace();
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
}

void TestRecipesWindow::cleanup()
{
    m_window.reset();
    m_folder.reset();
    Prompt::setAnswering(false);
}

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QStringList TestRecipesWindow::foodNames() const
{
    QStringList names;
    for (int r = 0; r < m_window->foodListModel()->rowCount(); ++r) {
        names.append(m_window->foodListModel()->index(r, 0).data().toString());
    }
    return names;
}

QString TestRecipesWindow::preview(int nutrient) const
{
    auto* table = m_recipes->findChild<QTableView*>("RecipePreview");
    return table->model()->index(0, nutrient).data().toString();
}

// New, a name, servings, foods found by typing and taken with Enter, each quantity typed: the
// values of one serving follow each keystroke, and Save makes the recipe a food of the main
// window's list. A quantity or a number of servings that cannot be one is refused with what was
// typed kept, and nothing is saved.
void TestRecipesWindow::buildsARecipeByKeyboard_data()
{
    QTest::addColumn<QString>("servings");
    QTest::addColumn<QString>("appleQuantity");
    QTest::addColumn<QString>("calories");
    QTest::addColumn<bool>("saved");
    QTest::newRow("two servings") << "2"
                                  << "3"
                                  << "217.5" << true;
    QTest::newRow("a third, rounded") << "3"
                                      << "1"
                                      << "81.67" << true;
    QTest::newRow("half a serving") << "0.5"
                                    << "1"
                                    << "490" << true;
    QTest::newRow("quantity not a number") << "2"
                                           << "lots"
                                           << "122.5" << false;
    QTest::newRow("no servings") << "0"
                                 << "1"
                                 << "" << false;
}

void TestRecipesWindow::buildsARecipeByKeyboard()
{
    QFETCH(QString, servings);
    QFETCH(QString, appleQuantity);
    QFETCH(QString, calories);
    QFETCH(bool, saved);
    whenModal([&](QWidget* window) {
        m_recipes = qobject_cast<RecipesWindow*>(window);
        QVERIFY(m_recipes);
        QCOMPARE(m_recipes->objectName(), QStringLiteral("Recipes"));
        QTest::mouseClick(m_recipes->findChild<QPushButton*>("RecipeNew"), Qt::LeftButton);
        QTest::keyClicks(m_recipes->findChild<QLineEdit*>("RecipeName"), "Porridge");
        auto* servingsBox = m_recipes->findChild<QLineEdit*>("RecipeServings");
        servingsBox->selectAll();
        QTest::keyClicks(servingsBox, servings);
        auto* search = m_recipes->findChild<QLineEdit*>("FoodFilter");
        auto* quantity = m_recipes->findChild<QLineEdit*>("RecipeQuantity");
        for (const auto& [words, amount] : { std::pair<QString, QString>("oats", "1"), { "appl", appleQuantity } }) {
            search->clear();
            QTest::keyClicks(search, words);
            QTest::keyClick(search, Qt::Key_Return);
            QCOMPARE(m_recipes->focusWidget(), quantity);
            QTest::keyClicks(quantity, amount);
        }
        QCOMPARE(m_recipes->findChild<QTableView*>("RecipeIngredients")->model()->rowCount(), 2);
        QCOMPARE(preview(0), calories);
        QTest::mouseClick(m_recipes->findChild<QPushButton*>("RecipeSave"), Qt::LeftButton);
        QCOMPARE(m_recipes->findChild<QListView*>("RecipeList")->model()->rowCount(), saved ? 1 : 0);
        // What was typed stays after a refusal; closing then asks before dropping it.
        QCOMPARE(m_recipes->recipe().name, QStringLiteral("Porridge"));
        Prompt::queueAnswer(true);
        m_recipes->findChild<QPushButton*>("RecipeClose")->click();
    });
    m_window->findChild<QAction*>("mnuItemRecipes")->trigger();
    QCOMPARE(foodNames().contains("Porridge"), saved);
    if (!saved) {
        QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    }
}

// A meal's context menu makes a recipe of its entries with their quantities; planned, the recipe
// adds up like the meal divided by its servings.
void TestRecipesWindow::savesAMealAsRecipe()
{
    addToMeal(m_workspace->plan(), MealPlan::Lunch, "Apple", " 2");
    addToMeal(m_workspace->plan(), MealPlan::Lunch, "Oats", " .5");
    whenModal([&](QWidget* window) {
        m_recipes = static_cast<RecipesWindow*>(window);
        QCOMPARE(m_recipes->recipe().ingredients.size(), std::size_t(2));
        QCOMPARE(m_recipes->recipe().ingredients[1].quantity, QStringLiteral(" .5"));
        QCOMPARE(preview(0), QStringLiteral("265"));
        QTest::keyClicks(m_recipes->findChild<QLineEdit*>("RecipeName"), "Lunch box");
        QTest::mouseClick(m_recipes->findChild<QPushButton*>("RecipeSave"), Qt::LeftButton);
        m_recipes->findChild<QPushButton*>("RecipeClose")->click();
    });
    m_window->findChild<QAction*>("SaveMealAsRecipe2")->trigger();
    QVERIFY(foodNames().contains("Lunch box"));
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(nullptr));
    std::vector<std::array<double, FoodDatabase::NutrientCount>> rows;
    QVERIFY(foods.nutrientsOf("Lunch box", &rows, nullptr));
    QCOMPARE(rows.size(), std::size_t(1));
    QCOMPARE(rows[0][0], 265.0);
}

// Up, Down and Remove work on the chosen ingredient, which stays chosen, and the quantity box
// always shows the chosen one's quantity; a food no longer in the table is marked. Qt's model
// tester watches the window's models throughout.
void TestRecipesWindow::ingredientCommandsFollowTheChosenRow()
{
    addToMeal(m_workspace->plan(), MealPlan::Lunch, "Apple", " 3");
    addToMeal(m_workspace->plan(), MealPlan::Lunch, "Gone", " 1");
    whenModal([&](QWidget* window) {
        m_recipes = static_cast<RecipesWindow*>(window);
        std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
        for (const char* name : { "RecipeList", "RecipeIngredients", "RecipePreview" }) {
            testers.push_back(
                std::make_unique<QAbstractItemModelTester>(m_recipes->findChild<QAbstractItemView*>(name)->model(),
                    QAbstractItemModelTester::FailureReportingMode::QtTest));
        }
        auto* table = m_recipes->findChild<QTableView*>("RecipeIngredients");
        auto* quantity = m_recipes->findChild<QLineEdit*>("RecipeQuantity");
        auto rows = [&] {
            QStringList shown;
            for (int r = 0; r < table->model()->rowCount(); ++r) {
                shown.append(QStringList { table->model()->index(r, 0).data().toString(),
                    table->model()->index(r, 1).data().toString(), table->model()->index(r, 2).data().toString() }
                                 .join(u'|'));
            }
            return shown;
        };
        auto click = [&](const char* button) { m_recipes->findChild<QPushButton*>(button)->click(); };
        QCOMPARE(rows(), (QStringList { "Apple|3|1 medium", "Gone|1|(missing)" }));
        QCOMPARE(quantity->text(), QStringLiteral("3"));

        auto* search = m_recipes->findChild<QLineEdit*>("FoodFilter");
        QTest::keyClicks(search, "oats");
        QTest::keyClick(search, Qt::Key_Return);
        QTest::keyClicks(quantity, "2");
        QCOMPARE(table->currentIndex().row(), 2);
        click("RecipeUp");
        QCOMPARE(rows(), (QStringList { "Apple|3|1 medium", "Oats|2|0.5 cup", "Gone|1|(missing)" }));
        QCOMPARE(table->currentIndex().row(), 1);
        QCOMPARE(quantity->text(), QStringLiteral("2"));
        table->setCurrentIndex(table->model()->index(0, 1));
        QCOMPARE(quantity->text(), QStringLiteral("3"));
        click("RecipeDown");
        QCOMPARE(rows(), (QStringList { "Oats|2|0.5 cup", "Apple|3|1 medium", "Gone|1|(missing)" }));
        QCOMPARE(table->currentIndex().row(), 1);
        QCOMPARE(quantity->text(), QStringLiteral("3"));
        click("RecipeRemoveIngredient");
        QCOMPARE(rows(), (QStringList { "Oats|2|0.5 cup", "Gone|1|(missing)" }));
        QCOMPARE(table->currentIndex().row(), 1);
        QCOMPARE(quantity->text(), QStringLiteral("1"));
        QCOMPARE(m_recipes->recipe().ingredients.size(), std::size_t(2));
        QCOMPARE(m_recipes->recipe().ingredients[0].quantity.trimmed(), QStringLiteral("2"));
        QCOMPARE(preview(0), QStringLiteral("300"));
        Prompt::queueAnswer(true);
        click("RecipeClose");
    });
    m_window->findChild<QAction*>("SaveMealAsRecipe2")->trigger();
}

// Deleting a food asks with the recipes that use it named; a correction of an ingredient in the
// food editor reaches the recipe at once, and the recipe's own row cannot be edited by hand.
void TestRecipesWindow::editorNamesTheRecipesOfAFood()
{
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(nullptr));
    Recipe recipe;
    recipe.name = "Zoo snack";
    recipe.ingredients = { { "Apple", " 1" } };
    QString error;
    QVERIFY2(foods.saveRecipe(&recipe, &error), qPrintable(error));
    foods.close();
    whenModal([&](QWidget* window) {
        auto* editor = static_cast<FoodEditorDialog*>(window);
        auto* find = editor->findChild<QLineEdit*>("FindText");
        if (find) {
            find->setText("Apple");
        }
        Prompt::queueAnswer(false);
        QTest::mouseClick(editor->findChild<QPushButton*>("DeleteFood"), Qt::LeftButton);
        editor->close();
    });
    QTest::mouseClick(m_window->findChild<QPushButton*>("EditFoodList"), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QVERIFY2(Prompt::shown().first().text.contains("Zoo snack"), qPrintable(Prompt::shown().first().text));

    // Apple's calories corrected in the editor, then the recipe's row tried by hand.
    for (const char* move : { "MoveFirst", "MoveLast" }) {
        whenModal([&](QWidget* window) {
            auto* editor = static_cast<FoodEditorDialog*>(window);
            editor->findChild<QAbstractButton*>(QLatin1String(move))->click();
            // The recipe's row takes no typing; set all the same, it is refused when saved.
            QCOMPARE(
                editor->field(FoodDatabase::CALORIES)->isReadOnly(), QLatin1String(move) == QLatin1String("MoveLast"));
            editor->field(FoodDatabase::CALORIES)
                ->setText(QLatin1String(move) == QLatin1String("MoveLast") ? "250" : "100");
            // The recipe's row is refused; the editor then asks before giving up the change.
            if (QLatin1String(move) == QLatin1String("MoveLast")) {
                Prompt::queueAnswer(true);
            }
            editor->findChild<QAbstractButton*>("CloseEditor")->click();
        });
        QTest::mouseClick(m_window->findChild<QPushButton*>("EditFoodList"), Qt::LeftButton);
    }
    const QList<Prompt::Shown> shown = Prompt::shown();
    QVERIFY(std::any_of(shown.begin(), shown.end(), [](const Prompt::Shown& p) {
        return p.title == "Error" && p.text.contains("Zoo snack") && p.text.contains("Recipes window");
    }));
    QVERIFY(foods.refresh(nullptr));
    std::vector<std::array<double, FoodDatabase::NutrientCount>> rows;
    QVERIFY(foods.nutrientsOf("Zoo snack", &rows, nullptr));
    QCOMPARE(rows.at(0)[0], 100.0);
}

// A food renamed in the editor stays in the recipes made of it, and the editor says which.
void TestRecipesWindow::renameInEditorTakesTheRecipes()
{
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(nullptr));
    Recipe recipe;
    recipe.name = "Zoo snack";
    recipe.ingredients = { { "Apple", " 2" } };
    QString error;
    QVERIFY2(foods.saveRecipe(&recipe, &error), qPrintable(error));
    std::vector<std::array<double, FoodDatabase::NutrientCount>> before;
    QVERIFY(foods.nutrientsOf("Zoo snack", &before, nullptr));
    foods.close();
    whenModal([&](QWidget* window) {
        auto* editor = static_cast<FoodEditorDialog*>(window);
        editor->findChild<QAbstractButton*>("MoveFirst")->click();
        QCOMPARE(editor->field(FoodDatabase::FOOD)->text(), QStringLiteral("Apple"));
        editor->field(FoodDatabase::FOOD)->setText("Red apple");
        editor->findChild<QAbstractButton*>("CloseEditor")->click();
    });
    QTest::mouseClick(m_window->findChild<QPushButton*>("EditFoodList"), Qt::LeftButton);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().text, QStringLiteral("1 recipe now uses \"Red apple\":\n\"Zoo snack\""));
    QVERIFY(foods.refresh(nullptr));
    QVERIFY(foods.loadRecipe(recipe.id, &recipe, &error));
    QCOMPARE(recipe.ingredients.at(0).food, QStringLiteral("Red apple"));
    std::vector<std::array<double, FoodDatabase::NutrientCount>> after;
    QVERIFY(foods.nutrientsOf("Zoo snack", &after, nullptr));
    QCOMPARE(after, before);
}

// A recipe's values are shown rounded in the food grid and the editor, as typed values are, while
// the table keeps them whole.
void TestRecipesWindow::recipeValuesShowRounded()
{
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(nullptr));
    Recipe recipe;
    recipe.name = "Zoo snack";
    recipe.servings = 3;
    recipe.ingredients = { { "Apple", " 1" }, { "Oats", " 1" } };
    QString error;
    QVERIFY2(foods.saveRecipe(&recipe, &error), qPrintable(error));
    std::vector<std::array<double, FoodDatabase::NutrientCount>> stored;
    QVERIFY(foods.nutrientsOf("Zoo snack", &stored, nullptr));
    QCOMPARE(stored.at(0)[0], (95.0 + 150.0) / 3);

    FoodPropertiesModel grid;
    QVERIFY2(grid.load(foods, &error), qPrintable(error));
    QStringList shown;
    for (int r = 0; r < grid.rowCount(); ++r) {
        if (grid.index(r, FoodDatabase::FOOD).data().toString() == "Zoo snack") {
            for (int c = FoodDatabase::CALORIES; c <= FoodDatabase::FAT; ++c) {
                shown.append(grid.index(r, c).data().toString());
            }
        }
    }
    QCOMPARE(shown, QStringList({ "81.67", "17.33", "0.93" }));
    // A food that is not a recipe shows what was typed.
    QCOMPARE(grid.index(0, FoodDatabase::FAT).data().toString(), QStringLiteral("0.3"));
    foods.close();

    whenModal([&](QWidget* window) {
        auto* editor = static_cast<FoodEditorDialog*>(window);
        editor->findChild<QAbstractButton*>("MoveLast")->click();
        QCOMPARE(editor->field(FoodDatabase::CALORIES)->text(), QStringLiteral("81.67"));
        editor->findChild<QAbstractButton*>("CloseEditor")->click();
    });
    const QByteArray before = fileBytes(m_folder->databasePath());
    QTest::mouseClick(m_window->findChild<QPushButton*>("EditFoodList"), Qt::LeftButton);
    QCOMPARE(fileBytes(m_folder->databasePath()), before);
}

// A food table another program renamed over the open one (a restore, a sync tool) is reopened
// by Rename and Delete as by Save; they change the recipe in the file that is there now.
void TestRecipesWindow::recipeChangesAfterTableReplaced_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("rename") << "RecipeRename";
    QTest::newRow("delete") << "RecipeDelete";
}

void TestRecipesWindow::recipeChangesAfterTableReplaced()
{
    QFETCH(QString, button);
    {
        SqliteFoodStore foods(m_folder->databasePath());
        QVERIFY(foods.refresh(nullptr));
        Recipe recipe;
        recipe.name = "Zoo snack";
        recipe.ingredients = { { "Apple", " 1" } };
        QString error;
        QVERIFY2(foods.saveRecipe(&recipe, &error), qPrintable(error));
    }
    whenModal([&](QWidget* window) {
        m_recipes = static_cast<RecipesWindow*>(window);
        auto* list = m_recipes->findChild<QListView*>("RecipeList");
        list->setCurrentIndex(list->model()->index(0, 0));
        QCOMPARE(m_recipes->recipe().name, QStringLiteral("Zoo snack"));
        const QString path = m_folder->databasePath();
        QVERIFY(QFile::copy(path, path + ".restored"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(path + ".restored", path));
        Prompt::queueAnswer(button == "RecipeRename" ? QVariant("Snack box") : QVariant(true));
        m_recipes->findChild<QPushButton*>(button)->click();
        m_recipes->findChild<QPushButton*>("RecipeClose")->click();
    });
    m_window->findChild<QAction*>("mnuItemRecipes")->trigger();
    for (const Prompt::Shown& shown : Prompt::shown()) {
        QVERIFY2(shown.title != "Error", qPrintable(shown.text));
    }
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(nullptr));
    std::vector<std::pair<qint64, QString>> recipes;
    QString error;
    QVERIFY(foods.listRecipes(&recipes, &error));
    QCOMPARE(recipes.size(), std::size_t(button == "RecipeRename" ? 1 : 0));
    if (!recipes.empty()) {
        QCOMPARE(recipes.front().second, QStringLiteral("Snack box"));
    }
}

QTEST_MAIN(TestRecipesWindow)
#include "TestRecipesWindow.moc"

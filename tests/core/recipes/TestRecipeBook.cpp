#include "OtherProgram.h"
#include "RecipeConsistency.h"
#include "TestSupport.h"
#include "UnwritablePlace.h"
#include "core/files/TextLineReader.h"
#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodLookup.h"
#include "core/imports/FoodImport.h"
#include "core/plans/PeriodFile.h"
#include "core/plans/Periods.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/TotalsCalculator.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

#include <bit>
#include <cmath>
#include <memory>

namespace {

using Values = std::array<double, TotalsRow::NutrientCount>;

// Ingredients written as "food|quantity".
Recipe recipeOf(const QString& name, double servings, const QStringList& ingredients)
{
    Recipe recipe;
    recipe.name = name;
    recipe.servings = servings;
    for (const QString& ingredient : ingredients) {
        recipe.ingredients.push_back({ ingredient.section(u'|', 0, 0), ingredient.section(u'|', 1) });
    }
    return recipe;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

qint64 rowidOf(FoodStore& foods, const QString& name)
{
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rows;
    if (!foods.readColumns({ FoodFields::FOOD }, &columns, &rows, nullptr)) {
        return 0;
    }
    for (qsizetype r = 0; r < columns[0].size(); ++r) {
        if (columns[0].at(r) == name) {
            return rows[std::size_t(r)];
        }
    }
    return 0;
}

std::vector<std::array<double, 8>> rowsOf(FoodStore& foods, const QString& name)
{
    std::vector<std::array<double, 8>> rows;
    foods.nutrientsOf(name, &rows, nullptr);
    return rows;
}

QStringList importCsv(const QString& database, const QByteArray& csv, DuplicateRule rule)
{
    const QString source = database + QStringLiteral(".csv");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size()) {
        return { QStringLiteral("cannot write the source") };
    }
    file.close();
    FoodImport import(source);
    QStringList problems;
    ImportSummary summary;
    QString error;
    if (!import.inspect(&error)
        || !import.run(
            database, rule, {}, [&](const ImportProblem& p) { problems.append(p.name + u'|' + p.reason); }, &summary,
            &error)) {
        problems.append(error);
    }
    return problems;
}

// A food table of three foods and three recipes: Sauce (of Apple, Cheese and the missing
// Pear), Chili (of Sauce and Bread) and Toast (of Bread).
struct Kitchen
{
    TestFolder folder;
    SqliteFoodStore foods { folder.databasePath() };
    FoodStore& book { foods };
    Recipe sauce = recipeOf(QStringLiteral("Sauce"), 4, { "Apple|2", "Cheese|.5", "Pear|1" });
    Recipe chili = recipeOf(QStringLiteral("Chili"), 2, { "Sauce|3", "Bread|1" });
    Recipe toast = recipeOf(QStringLiteral("Toast"), 1, { "Bread|2" });

    Kitchen()
    {
        folder.createFoods({ foodRow("Apple", "1 medium", { "95.3", "25.1", ".3", "18.9", "0", "1", "4.4", "0" }),
            foodRow("Bread", "1 slice", { "79.1", "14.7", "1", "1.4", "0", "2", "1.1", "0.1" }),
            foodRow("Cheese", "1 oz", { "113", ".4", "9.3", ".1", "29.4", "3", "0", "" }) });
        QString error;
        if (!foods.refresh(&error) || !book.saveRecipe(&sauce, &error) || !book.saveRecipe(&chili, &error)
            || !book.saveRecipe(&toast, &error)) {
            qFatal("cannot set up the recipes: %s", qPrintable(error));
        }
    }
};

} // namespace

class TestRecipeBook : public QObject
{
    Q_OBJECT

private slots:
    void valuesEqualPlanTotals_data();
    void valuesEqualPlanTotals();
    void refusals_data();
    void refusals();
    void unwritableFile_data();
    void unwritableFile();
    void foodChangesReachRecipes_data();
    void foodChangesReachRecipes();
    void recipeRowsAreGuarded_data();
    void recipeRowsAreGuarded();
    void renameKeepsUsersAndRemoveTakesTheRow();
    void renamedFoodTakesItsRecipes_data();
    void renamedFoodTakesItsRecipes();
    void recipeReplacedMeanwhileIsLeftAlone_data();
    void recipeReplacedMeanwhileIsLeftAlone();
    void plannedSavedLoadedTotalled();
    void fileWithoutRecipesIsOnlyRead();
};

void TestRecipeBook::valuesEqualPlanTotals_data()
{
    QTest::addColumn<QStringList>("foods");
    QTest::addColumn<QStringList>("inner");
    QTest::addColumn<QStringList>("ingredients");
    QTest::addColumn<double>("servings");
    const QStringList foods { foodRow("Oats", "1 cup", { "307.1", "54.8", "5.3", "1.1", "0", "8", "8.2", "0.1" }),
        foodRow("Milk", "1 cup", { "102.3", "12.2", "2.37", "12.7", "12.2", "3", "0", "0.3" }),
        foodRow("Honey", "1 tbsp", { "63.84", "17.3", "0", "17.25", "0", "2", "0.04", "0" }) };
    const QStringList porridge { "Oats|1.5", "Milk|.3", "Honey|0.7" };
    QTest::newRow("one serving") << foods << QStringList() << porridge << 1.0;
    QTest::newRow("three servings") << foods << QStringList() << porridge << 3.0;
    QTest::newRow("half a serving") << foods << QStringList() << porridge << 0.5;
    QTest::newRow("two rows of one name")
        << foods + QStringList { foodRow("Milk", "1 cup", { "149.9", "11.7", "7.9", "12.3", "24.4", "4", "0", "0" }) }
        << QStringList() << porridge << 3.0;
    QTest::newRow("empty and text values")
        << foods + QStringList { foodRow("Syrup", "1 tbsp", { "52.1", "", "n/a", "13.4g", "", "1", "", "0.02" }) }
        << QStringList() << QStringList { "Syrup|2.1", "Oats|.7", "Milk|1.3" } << 3.0;
    QTest::newRow("nested") << foods << QStringList { "Oats|2", "Honey|.1", "Milk|.7" }
                            << QStringList { "Sauce|1.5", "Milk|0.3", "Honey|.2" } << 0.5;
}

void TestRecipeBook::valuesEqualPlanTotals()
{
    QFETCH(QStringList, foods);
    QFETCH(QStringList, inner);
    QFETCH(QStringList, ingredients);
    QFETCH(double, servings);
    TestFolder folder;
    folder.createFoods(foods);
    SqliteFoodStore database(folder.databasePath());
    QString error;
    QVERIFY2(database.refresh(&error), qPrintable(error));
    FoodStore& book = database;
    if (!inner.isEmpty()) {
        Recipe sauce = recipeOf(QStringLiteral("Sauce"), 3, inner);
        QVERIFY2(book.saveRecipe(&sauce, &error), qPrintable(error));
    }
    Recipe recipe = recipeOf(QStringLiteral("Porridge"), servings, ingredients);
    QVERIFY2(book.saveRecipe(&recipe, &error), qPrintable(error));
    Values values {};
    QStringList missing;
    QVERIFY2(book.recipeValues(recipe, &values, &missing, &error), qPrintable(error));
    QCOMPARE(missing, QStringList());

    MealPlan plan;
    const std::unique_ptr<UserFiles> files = folder.files();
    for (const RecipeIngredient& ingredient : recipe.ingredients) {
        plan.tables[MealPlan::Lunch].add(ingredient.food, ingredient.quantity);
    }
    TotalsSources sources;
    sources.active = true;
    const std::unique_ptr<FoodLookup> lookupOwner = database.lookup();
    FoodLookup& lookup = *lookupOwner;
    const TotalsResult totals = TotalsCalculator::calculate(plan, *files, sources, lookup);
    QVERIFY(!totals.stopped);
    for (std::size_t n = 0; n < values.size(); ++n) {
        const double expected = totals.rows.at(0).values[n] / servings;
        QVERIFY2(std::bit_cast<quint64>(values[n]) == std::bit_cast<quint64>(expected),
            qPrintable(QStringLiteral("value %1: %2 instead of %3")
                           .arg(n)
                           .arg(values[n], 0, 'g', 17)
                           .arg(expected, 0, 'g', 17)));
    }
    QCOMPARE(recipeInconsistency(database), QString());
}

void TestRecipeBook::refusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("servings");
    QTest::addColumn<QStringList>("ingredients");
    QTest::addColumn<bool>("editSauce");
    QTest::addColumn<QString>("message");
    const QStringList apple { "Apple|1" };
    QTest::newRow("no name") << "" << 1.0 << apple << false << "needs a name";
    QTest::newRow("separator") << "Apple_pie" << 1.0 << apple << false << "cannot contain \"_\"";
    QTest::newRow("line break") << "Apple\npie" << 1.0 << apple << false << "line breaks";
    QTest::newRow("too long for a plan") << QString(TextLineReader::MaxLineBytes, u'x') << 1.0 << apple << false
                                         << "too long";
    QTest::newRow("a food's name") << "Bread" << 1.0 << apple << false << "already has a food named \"Bread\"";
    QTest::newRow("another recipe's name") << "Toast" << 1.0 << apple << false << "\"Toast\" already exists";
    QTest::newRow("no servings") << "Pie" << 0.0 << apple << false << "servings";
    QTest::newRow("servings not a number") << "Pie" << std::nan("") << apple << false << "servings";
    QTest::newRow("no quantity") << "Pie" << 1.0 << QStringList { "Apple| " } << false << "Type a quantity";
    QTest::newRow("quantity not a number")
        << "Pie" << 1.0 << QStringList { "Apple|lots" } << false << "\"lots\" is not a number";
    QTest::newRow("quantity 0") << "Pie" << 1.0 << QStringList { "Apple|0.0" } << false << "more than 0";
    QTest::newRow("ingredient twice") << "Pie" << 1.0 << QStringList { "Apple|1", "Bread|1", "Apple|2" } << false
                                      << "\"Apple\" is an ingredient twice";
    QTest::newRow("made of itself") << "Pie" << 1.0 << QStringList { "Apple|1", "Pie|1" } << false
                                    << "\"Pie\" cannot be made of itself: Pie → Pie.";
    QTest::newRow("cycle") << "Sauce" << 1.0 << QStringList { "Chili|1" } << true << "Sauce → Chili → Sauce.";
    QTest::newRow("cycle through its new name")
        << "Stew" << 1.0 << QStringList { "Chili|1" } << true << "Stew → Chili → Stew.";
}

void TestRecipeBook::refusals()
{
    QFETCH(QString, name);
    QFETCH(double, servings);
    QFETCH(QStringList, ingredients);
    QFETCH(bool, editSauce);
    QFETCH(QString, message);
    Kitchen kitchen;
    const QByteArray before = fileHash(kitchen.folder.databasePath());
    Recipe recipe = recipeOf(name, servings, ingredients);
    recipe.id = editSauce ? kitchen.sauce.id : 0;
    const Recipe typed = recipe;
    QString error;
    QVERIFY(!kitchen.book.saveRecipe(&recipe, &error));
    QVERIFY2(error.contains(message), qPrintable(error.left(200)));
    QVERIFY2(error.size() < 200, qPrintable(error.left(200)));
    QVERIFY(recipe.id == typed.id && recipe.name == typed.name && recipe.ingredients == typed.ingredients);
    QVERIFY(std::bit_cast<quint64>(recipe.servings) == std::bit_cast<quint64>(typed.servings));
    QCOMPARE(fileHash(kitchen.folder.databasePath()), before);
}

void TestRecipeBook::unwritableFile_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("message");
    QTest::newRow("locked by another program") << false << "another program is writing";
    QTest::newRow("read-only") << true << "read-only";
}

void TestRecipeBook::unwritableFile()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, message);
    TestFolder folder;
    QString path = folder.databasePath();
    folder.createFoods({ foodRow("Apple", "1 medium", { "95" }) });
    std::unique_ptr<UnwritablePlace> place;
    if (readOnly) {
        place = std::make_unique<UnwritablePlace>(UnwritablePlace::ReadOnly);
        if (!place->ready()) {
            QSKIP(qPrintable(place->why()));
        }
        QVERIFY(QFile::copy(path, place->staging() + QStringLiteral("/foods.db")));
        QVERIFY(place->lock());
        path = place->path() + QStringLiteral("/foods.db");
    }
    const QByteArray before = fileHash(path);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName(path);
    QVERIFY(other.open());
    if (!readOnly) {
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
    }
    {
        SqliteFoodStore foods(path);
        QString error;
        QVERIFY2(foods.refresh(&error), qPrintable(error));
        FoodStore& book = foods;
        Recipe recipe = recipeOf(QStringLiteral("Pie"), 2, { "Apple|3" });
        const Recipe typed = recipe;
        QVERIFY(!book.saveRecipe(&recipe, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(recipe, typed);
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QCOMPARE(fileHash(path), before);
}

void TestRecipeBook::foodChangesReachRecipes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<bool>("valuesChange");
    const QStringList pear { "Pear" };
    QTest::newRow("edited") << "edit" << pear << true;
    QTest::newRow("renamed") << "rename" << pear << false;
    QTest::newRow("a second row") << "insert" << pear << true;
    QTest::newRow("deleted") << "delete" << QStringList { "Apple", "Pear" } << true;
    QTest::newRow("imported, replacing") << "import replace" << pear << true;
    QTest::newRow("imported beside") << "import keep" << pear << true;
    QTest::newRow("imported, skipped") << "import skip" << pear << false;
    QTest::newRow("missing food imported") << "import new" << QStringList() << true;
    QTest::newRow("serving unit edited") << "unit" << pear << false;
}

void TestRecipeBook::foodChangesReachRecipes()
{
    QFETCH(QString, change);
    QFETCH(QStringList, missing);
    QFETCH(bool, valuesChange);
    Kitchen kitchen;
    FoodStore& foods = kitchen.foods;
    const auto chiliBefore = rowsOf(foods, "Chili");
    const auto toastBefore = rowsOf(foods, "Toast");
    const qint64 apple = rowidOf(foods, "Apple");
    const QString path = kitchen.folder.databasePath();
    const QByteArray appleCsv = "FOOD,CALORIES,CARBS,FIBER\nApple,120,30.5,2\n";
    QString error;
    bool ok = true;
    if (change == "edit") {
        ok = foods.updateFields(apple, "Apple", { { FoodDatabase::CALORIES, "120" } }, &error);
    } else if (change == "rename") {
        ok = foods.updateFields(apple, "Apple", { { FoodDatabase::FOOD, "Green apple" } }, &error);
    } else if (change == "insert") {
        ok = foods.insertRecord({ "Apple", "1 small", "50", "13" }, nullptr, &error);
    } else if (change == "delete") {
        ok = foods.deleteRecord(apple, "Apple", &error);
    } else if (change == "unit") {
        ok = foods.updateFields(apple, "Apple", { { FoodDatabase::SERVING_UN, "1 large" } }, &error);
    } else {
        const DuplicateRule rule = change.endsWith("replace") ? DuplicateRule::Replace
            : change.endsWith("keep")                         ? DuplicateRule::KeepBoth
                                                              : DuplicateRule::Skip;
        const QStringList problems
            = importCsv(path, change.endsWith("new") ? "FOOD,CALORIES,CARBS\nPear,57,15.2\n" : appleCsv, rule);
        QCOMPARE(problems, QStringList());
    }
    QVERIFY2(ok, qPrintable(error));
    QCOMPARE(recipeInconsistency(foods), QString());
    QCOMPARE(rowsOf(foods, "Chili") != chiliBefore, valuesChange);
    QCOMPARE(rowsOf(foods, "Toast"), toastBefore);
    Values values {};
    QStringList absent;
    Recipe sauce;
    QVERIFY(kitchen.book.loadRecipe(kitchen.sauce.id, &sauce, &error));
    QVERIFY(kitchen.book.recipeValues(sauce, &values, &absent, &error));
    QCOMPARE(absent, missing);
}

void TestRecipeBook::recipeRowsAreGuarded_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("message");
    QTest::newRow("edit a recipe's row") << "edit"
                                         << "\"Chili\" is a recipe: change it in the Recipes window";
    QTest::newRow("delete a recipe's row") << "delete"
                                           << "\"Chili\" is a recipe: delete it in the Recipes window";
    QTest::newRow("add a food of a recipe's name") << "insert"
                                                   << "a recipe is named \"Chili\"";
    QTest::newRow("rename a food to a recipe's name") << "rename"
                                                      << "a recipe is named \"Chili\"";
    QTest::newRow("import a recipe's name") << "import"
                                            << "Chili|a recipe has this name";
    QTest::newRow("delete a recipe others are made of")
        << "remove"
        << "\"Sauce\" cannot be deleted while the recipes \"Chili\" are made of it";
}

void TestRecipeBook::recipeRowsAreGuarded()
{
    QFETCH(QString, write);
    QFETCH(QString, message);
    Kitchen kitchen;
    FoodStore& foods = kitchen.foods;
    const QByteArray before = fileHash(kitchen.folder.databasePath());
    const qint64 chili = rowidOf(foods, "Chili");
    QString error;
    bool ok = false;
    if (write == "edit") {
        ok = foods.updateFields(chili, "Chili", { { FoodDatabase::CALORIES, "1" } }, &error);
    } else if (write == "delete") {
        ok = foods.deleteRecord(chili, "Chili", &error);
    } else if (write == "insert") {
        ok = foods.insertRecord({ "Chili" }, nullptr, &error);
    } else if (write == "rename") {
        ok = foods.updateFields(rowidOf(foods, "Bread"), "Bread", { { FoodDatabase::FOOD, "Chili" } }, &error);
    } else if (write == "import") {
        error
            = importCsv(kitchen.folder.databasePath(), "FOOD,CALORIES\nChili,1\n", DuplicateRule::Replace).join(u'\n');
    } else {
        ok = kitchen.book.removeRecipe(kitchen.sauce.id, kitchen.sauce.name, &error);
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(kitchen.book.isRecipeRow(chili));
    QVERIFY(!kitchen.book.isRecipeRow(rowidOf(foods, "Bread")));
    if (write != "import") {
        QCOMPARE(fileHash(kitchen.folder.databasePath()), before);
    }
    QCOMPARE(rowsOf(foods, "Chili").size(), std::size_t(1));
}

void TestRecipeBook::renamedFoodTakesItsRecipes_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("secondRowOfOldName");
    QTest::addColumn<QStringList>("renamedIn");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("one recipe follows") << "Apple"
                                        << "Green apple" << false << QStringList { "Sauce" } << QString();
    QTest::newRow("two recipes follow") << "Bread"
                                        << "Rye bread" << false << QStringList { "Chili", "Toast" } << QString();
    QTest::newRow("cheese") << "Cheese"
                            << "Swiss cheese" << false << QStringList { "Sauce" } << QString();
    // The recipes keep meaning the row that still bears the name.
    QTest::newRow("another row keeps the name") << "Apple"
                                                << "Green apple" << true << QStringList() << QString();
    QTest::newRow("recipe has both names")
        << "Apple"
        << "Cheese" << false << QStringList() << "the recipe \"Sauce\" has both \"Apple\" and \"Cheese\"";
}

void TestRecipeBook::renamedFoodTakesItsRecipes()
{
    QFETCH(QString, food);
    QFETCH(QString, newName);
    QFETCH(bool, secondRowOfOldName);
    QFETCH(QStringList, renamedIn);
    QFETCH(QString, refusal);
    Kitchen kitchen;
    FoodStore& foods = kitchen.foods;
    QString error;
    const qint64 rowid = rowidOf(foods, food);
    if (secondRowOfOldName) {
        QVERIFY2(foods.insertRecord({ food, "1 small", "50", "13" }, nullptr, &error), qPrintable(error));
    }
    const auto chiliBefore = rowsOf(foods, "Chili");
    const auto toastBefore = rowsOf(foods, "Toast");
    const QByteArray before = fileHash(kitchen.folder.databasePath());
    QStringList followed { "stale" };
    const bool ok = foods.updateFields(rowid, food, { { FoodDatabase::FOOD, newName } }, &error, &followed);
    QCOMPARE(followed, renamedIn);
    if (!refusal.isEmpty()) {
        QVERIFY(!ok);
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QCOMPARE(fileHash(kitchen.folder.databasePath()), before);
        return;
    }
    QVERIFY2(ok, qPrintable(error));
    QCOMPARE(recipeInconsistency(foods), QString());
    QStringList users;
    QVERIFY(kitchen.book.recipesUsing(newName, &users, &error));
    QCOMPARE(users.isEmpty(), renamedIn.isEmpty());
    if (!secondRowOfOldName) {
        // Only the name changed, so every recipe holds the values it held.
        QCOMPARE(rowsOf(foods, "Chili"), chiliBefore);
        QCOMPARE(rowsOf(foods, "Toast"), toastBefore);
        QVERIFY(kitchen.book.recipesUsing(food, &users, &error));
        QCOMPARE(users, QStringList());
    }
}

void TestRecipeBook::recipeReplacedMeanwhileIsLeftAlone_data()
{
    QTest::addColumn<QString>("write");
    QTest::newRow("save") << "save";
    QTest::newRow("rename") << "rename";
    QTest::newRow("delete") << "delete";
}

// Another program may replace the file, after which the id the window shows can stand for another
// recipe: the write checks the name it was last seen under.
void TestRecipeBook::recipeReplacedMeanwhileIsLeftAlone()
{
    QFETCH(QString, write);
    Kitchen kitchen;
    FoodStore& book = kitchen.book;
    const QByteArray before = fileHash(kitchen.folder.databasePath());
    const QString seenAs = QStringLiteral("Pancakes");
    QString error;
    bool ok = true;
    if (write == "save") {
        Recipe edited = kitchen.toast;
        edited.name = seenAs;
        ok = book.saveRecipe(&edited, &error, seenAs);
    } else if (write == "rename") {
        ok = book.renameRecipe(kitchen.toast.id, seenAs, QStringLiteral("Crepes"), &error);
    } else {
        ok = book.removeRecipe(kitchen.toast.id, seenAs, &error);
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains("no longer in the food table"), qPrintable(error));
    QCOMPARE(fileHash(kitchen.folder.databasePath()), before);
}

void TestRecipeBook::renameKeepsUsersAndRemoveTakesTheRow()
{
    Kitchen kitchen;
    FoodStore& book = kitchen.book;
    const auto chiliBefore = rowsOf(kitchen.foods, "Chili");
    QString error;
    QVERIFY2(book.renameRecipe(kitchen.sauce.id, kitchen.sauce.name, " Tomato sauce ", &error), qPrintable(error));
    Recipe chili;
    QVERIFY(book.loadRecipe(kitchen.chili.id, &chili, &error));
    QCOMPARE(chili.ingredients.at(0).food, QStringLiteral("Tomato sauce"));
    QCOMPARE(rowsOf(kitchen.foods, "Chili"), chiliBefore);
    QCOMPARE(rowsOf(kitchen.foods, "Sauce").size(), std::size_t(0));
    QStringList users;
    QVERIFY(book.recipesUsing("Apple", &users, &error));
    QCOMPARE(users, QStringList({ "Chili", "Tomato sauce" }));

    const qint64 chiliRow = rowidOf(kitchen.foods, "Chili");
    QVERIFY2(book.removeRecipe(kitchen.chili.id, kitchen.chili.name, &error), qPrintable(error));
    QVERIFY(!book.isRecipeRow(chiliRow));
    QCOMPARE(rowsOf(kitchen.foods, "Chili").size(), std::size_t(0));
    QVERIFY2(book.removeRecipe(kitchen.sauce.id, QStringLiteral("Tomato sauce"), &error), qPrintable(error));
    std::vector<std::pair<qint64, QString>> left;
    QVERIFY(book.listRecipes(&left, &error));
    QCOMPARE(left.size(), std::size_t(1));
    QCOMPARE(left.at(0).second, QStringLiteral("Toast"));
    QVERIFY(!book.loadRecipe(kitchen.chili.id, &chili, &error));
    QVERIFY2(error.contains("no longer"), qPrintable(error));
}

void TestRecipeBook::plannedSavedLoadedTotalled()
{
    Kitchen kitchen;
    MealPlan plan;
    const std::unique_ptr<UserFiles> files = kitchen.folder.files();
    plan.tables[MealPlan::Dinner].add("Chili", " 2");
    const QString path = files->perUserFile(QStringLiteral("Daily"));
    QString error;
    QVERIFY2(PeriodFile::save(path, plan, &error), qPrintable(error));
    MealPlan loaded;
    QStringList problems;
    QVERIFY(PeriodFile::load(path, &loaded, &problems, &error));
    QCOMPARE(loaded, plan);

    TotalsSources sources;
    sources.periods[static_cast<std::size_t>(Periods::names().indexOf("Daily"))] = true;
    const std::unique_ptr<FoodLookup> lookupOwner = kitchen.foods.lookup();
    FoodLookup& lookup = *lookupOwner;
    const TotalsResult totals = TotalsCalculator::calculate(plan, *files, sources, lookup);
    QVERIFY(!totals.stopped);
    Values values {};
    QVERIFY(kitchen.book.recipeValues(kitchen.chili, &values, nullptr, &error));
    for (std::size_t n = 0; n < FoodDatabase::NutrientCount; ++n) {
        QCOMPARE(totals.rows.at(0).values[n], values[n] * 2);
    }
}

void TestRecipeBook::fileWithoutRecipesIsOnlyRead()
{
    TestFolder folder;
    folder.createFoods({ foodRow("Apple", "1 medium", { "95" }) });
    const QByteArray before = fileHash(folder.databasePath());
    const QDateTime modified = QFileInfo(folder.databasePath()).lastModified();
    {
        SqliteFoodStore foods(folder.databasePath());
        QString error;
        QVERIFY(foods.refresh(&error));
        FoodStore& book = foods;
        std::vector<std::pair<qint64, QString>> recipes;
        QVERIFY(book.listRecipes(&recipes, &error));
        QVERIFY(recipes.empty());
        Recipe recipe = recipeOf("Pie", 2, { "Apple|2", "Pear|1" });
        Values values {};
        QStringList missing;
        QVERIFY(book.recipeValues(recipe, &values, &missing, &error));
        QCOMPARE(values[TotalsRow::Calories], 95.0);
        QCOMPARE(missing, QStringList { "Pear" });
        QStringList users;
        QVERIFY(book.recipesUsing("Apple", &users, &error));
        QVERIFY(!book.loadRecipe(1, &recipe, &error));
        QVERIFY(!book.isRecipeRow(1) && !book.isRecipeName("Apple"));
        recipe.name = "Pie_2";
        QVERIFY(!book.saveRecipe(&recipe, &error));
        QCOMPARE(rowsOf(foods, "Apple").size(), std::size_t(1));
    }
    QCOMPARE(fileHash(folder.databasePath()), before);
    QCOMPARE(QFileInfo(folder.databasePath()).lastModified(), modified);

    // Food edits keep working and make no recipe tables either.
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    QVERIFY(foods.updateFields(1, "Apple", { { FoodDatabase::CALORIES, "96" } }, &error));
    QVERIFY(foods.insertRecord({ "Pear" }, nullptr, &error));
    QCOMPARE(OtherProgram(folder.databasePath()).value("SELECT count(*) FROM sqlite_master WHERE name LIKE 'recipe%'"),
        QVariant(0));
}

QTEST_GUILESS_MAIN(TestRecipeBook)

#include "TestRecipeBook.moc"

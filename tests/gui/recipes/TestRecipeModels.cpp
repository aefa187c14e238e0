// The Recipes window's models: the recipe list, the ingredients of the recipe being edited and
// the values of one serving, each watched by Qt's model tester while it changes, the ingredients
// kept in step with the recipe the window saves.

#include "gui/recipes/RecipeIngredientsModel.h"
#include "gui/recipes/RecipeListModel.h"
#include "gui/recipes/RecipePreviewModel.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QTest>

class TestRecipeModels : public QObject
{
    Q_OBJECT

private slots:
    void ingredientsFollowTheRecipe_data();
    void ingredientsFollowTheRecipe();
    void missingFoodsAreMarked();
    void recipeListKeepsIds();
    void previewShowsOneServing();
};

void TestRecipeModels::ingredientsFollowTheRecipe_data()
{
    // Steps on a recipe of Oats and Milk: "+name" adds, "-n" removes row n, "vn" and "^n" move
    // row n down and up, "n=q" sets row n's quantity, "load" replaces the recipe with another,
    // "saved" with the same foods written out as saved.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("as loaded") << QStringList {} << QStringList { "Oats 1", "Milk 2" };
    QTest::newRow("add and remove") << QStringList { "+Tea", "-0" } << QStringList { "Milk 2", "Tea 1" };
    QTest::newRow("move down and up") << QStringList { "+Tea", "v0", "^2" }
                                      << QStringList { "Milk 2", "Tea 1", "Oats 1" };
    QTest::newRow("moves past the ends do nothing")
        << QStringList { "^0", "v1", "-5" } << QStringList { "Oats 1", "Milk 2" };
    QTest::newRow("quantity") << QStringList { "1=0.5" } << QStringList { "Oats 1", "Milk 0.5" };
    QTest::newRow("another recipe") << QStringList { "load" } << QStringList { "Bread 3" };
    QTest::newRow("saved keeps the rows") << QStringList { "saved" } << QStringList { "Oats 1.0", "Milk 2.0" };
}

void TestRecipeModels::ingredientsFollowTheRecipe()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, rows);
    Recipe recipe;
    RecipeIngredientsModel model(recipe);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    Recipe loaded;
    loaded.ingredients = { { "Oats", " 1" }, { "Milk", " 2" } };
    model.setRecipe(loaded);
    for (const QString& step : steps) {
        if (step.startsWith(u'+')) {
            model.append({ step.mid(1), QStringLiteral(" 1") });
        } else if (step.startsWith(u'-')) {
            model.remove(step.mid(1).toInt());
        } else if (step.startsWith(u'v')) {
            model.swap(step.mid(1).toInt(), step.mid(1).toInt() + 1);
        } else if (step.startsWith(u'^')) {
            model.swap(step.mid(1).toInt(), step.mid(1).toInt() - 1);
        } else if (step.contains(u'=')) {
            model.setQuantity(step.section(u'=', 0, 0).toInt(), u' ' + step.section(u'=', 1));
        } else if (step == QLatin1String("load")) {
            Recipe other;
            other.name = QStringLiteral("Toast");
            other.ingredients = { { "Bread", " 3" } };
            model.setRecipe(other);
        } else {
            Recipe saved = recipe;
            saved.ingredients = { { "Oats", " 1.0" }, { "Milk", " 2.0" } };
            model.setRecipe(saved);
        }
    }
    QStringList shown;
    QStringList held;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown.append(model.index(row, RecipeIngredientsModel::FoodColumn).data().toString() + u' '
            + model.index(row, RecipeIngredientsModel::QuantityColumn).data().toString());
    }
    for (const RecipeIngredient& ingredient : recipe.ingredients) {
        held.append(ingredient.food + ingredient.quantity);
    }
    QCOMPARE(shown, rows);
    // The recipe the window saves holds exactly what the table shows.
    QCOMPARE(held, rows);
}

void TestRecipeModels::missingFoodsAreMarked()
{
    Recipe recipe;
    recipe.ingredients = { { "Oats", " 1" }, { "Gone", " 2" } };
    RecipeIngredientsModel model(recipe);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setServingUnits({ { "Oats", "0.5 cup" } });
    model.setMissing({ "Gone" });
    const auto cell
        = [&](int row, int column, int role = Qt::DisplayRole) { return model.index(row, column).data(role); };
    QCOMPARE(cell(0, RecipeIngredientsModel::UnitColumn).toString(), QStringLiteral("0.5 cup"));
    QCOMPARE(cell(1, RecipeIngredientsModel::UnitColumn).toString(), QStringLiteral("(missing)"));
    QVERIFY(cell(1, RecipeIngredientsModel::FoodColumn, Qt::FontRole).value<QFont>().italic());
    QVERIFY(cell(1, RecipeIngredientsModel::FoodColumn, Qt::ToolTipRole).toString().contains("no longer"));
    QVERIFY(!cell(0, RecipeIngredientsModel::FoodColumn, Qt::FontRole).isValid());
    QVERIFY(!cell(0, RecipeIngredientsModel::FoodColumn, Qt::ToolTipRole).isValid());
}

void TestRecipeModels::recipeListKeepsIds()
{
    RecipeListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRecipes({ { 7, "Porridge" }, { 3, "Lunch box" } });
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1).data().toString(), QStringLiteral("Lunch box"));
    QCOMPARE(model.idAt(1), qint64(3));
    QCOMPARE(model.rowOf(7), 0);
    QCOMPARE(model.rowOf(8), -1);
    QCOMPARE(model.idAt(2), qint64(0));
    QCOMPARE(model.idAt(-1), qint64(0));
    model.setRecipes({});
    QCOMPARE(model.rowCount(), 0);
}

void TestRecipeModels::previewShowsOneServing()
{
    RecipePreviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.columnCount(), int(TotalsRow::NutrientCount));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), TotalsCalculator::headerTexts().at(1));
    QCOMPARE(model.index(0, 0).data().toString(), QString());
    RecipePreviewModel::Values values {};
    values[0] = 81.666666;
    model.setValues(values);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("81.67"));
    model.setValues(std::nullopt);
    QCOMPARE(model.index(0, 0).data().toString(), QString());
}

QTEST_MAIN(TestRecipeModels)
#include "TestRecipeModels.moc"

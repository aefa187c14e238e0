#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/files/PlatewellFolder.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/workspace/FolderSetup.h"
#include "core/workspace/StarterNutrients.h"

#include <QTest>

#include <optional>

// The starter foods' every nutrient: a new folder starts with them, and a folder an older
// Platewell made gains them once for the foods the user left as they came.
class TestStarterNutrients : public QObject
{
    Q_OBJECT

private slots:
    void servingGrams_data();
    void servingGrams();
    void newFolderHasThem_data();
    void newFolderHasThem();
    void olderFolderGainsThemOnce();
    void olderFolderRecipesGainThem();
};

void TestStarterNutrients::servingGrams_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<std::optional<double>>("grams");
    QTest::newRow("household measure") << "1 cup, quartered or chopped (125 g)" << std::optional<double>(125);
    QTest::newRow("plain 100 g") << "100 g" << std::optional<double>(100);
    QTest::newRow("decimal grams") << "1 tbsp (2.5 g)" << std::optional<double>(2.5);
    QTest::newRow("an ounce, as the fields were scaled") << "1 oz (28.4 g)" << std::optional<double>(28.35);
    QTest::newRow("ounces, boneless") << "3 oz, boneless (85 g)" << std::optional<double>(85.05);
    QTest::newRow("ounces that are not the grams") << "2 oz, 2 links (56 g)" << std::optional<double>(56);
    QTest::newRow("ounces inside the measure") << "1 jar, Gerber (4 oz) (113 g)" << std::optional<double>(113);
    QTest::newRow("no weight") << "1 cup" << std::optional<double>();
    QTest::newRow("no grams") << "1 slice (large)" << std::optional<double>();
}

void TestStarterNutrients::servingGrams()
{
    QFETCH(QString, unit);
    QFETCH(std::optional<double>, grams);
    const std::optional<double> read = StarterNutrients::servingGrams(unit);
    QCOMPARE(read.has_value(), grams.has_value());
    if (grams) {
        QVERIFY2(qFuzzyCompare(*read, *grams), qPrintable(QString::number(*read)));
    }
}

void TestStarterNutrients::newFolderHasThem_data()
{
    // Worked by hand from the starter's per-100-g file and each food's serving grams.
    QTest::addColumn<QString>("food");
    QTest::addColumn<double>("grams");
    QTest::addColumn<double>("protein");
    QTest::addColumn<double>("sodium");
    QTest::newRow("half a cup, 114 g") << "Abiyuch, raw" << 114.0 << 1.71 << 22.8;
    QTest::newRow("a cup, 104 g") << "Beans, navy, mature seeds, sprouted, raw" << 104.0 << 6.396 << 13.52;
    QTest::newRow("100 g") << "Acorn stew (Apache)" << 100.0 << 6.81 << 130.0;
    QTest::newRow("an ounce") << "Babyfood, apples, dices, toddler" << 28.35 << 0.0567 << 1.701;
}

void TestStarterNutrients::newFolderHasThem()
{
    QFETCH(QString, food);
    QFETCH(double, grams);
    QFETCH(double, protein);
    QFETCH(double, sodium);
    TestFolder folder;
    QString error;
    int told = -1;
    QVERIFY2(FolderSetup::prepare(folder.path(), &error, &told), qPrintable(error));
    // A new folder has nothing to be told about.
    QCOMPARE(told, 0);
    const FoodNutrients nutrients = nutrientsOf(folder.databasePath(), food);
    QVERIFY(nutrients.servingGrams);
    QVERIFY(qFuzzyCompare(*nutrients.servingGrams, grams));
    QVERIFY2(qFuzzyCompare(nutrients.values.value(QStringLiteral("203")), protein),
        qPrintable(QString::number(nutrients.values.value(QStringLiteral("203")))));
    QVERIFY(qFuzzyCompare(nutrients.values.value(QStringLiteral("307")), sodium));
    // What the starter does not give stays unknown.
    if (food == QStringLiteral("Abiyuch, raw")) {
        QVERIFY(!nutrients.values.contains(QStringLiteral("209")));
        QVERIFY(!nutrients.values.contains(QStringLiteral("221")));
    }
}

void TestStarterNutrients::olderFolderGainsThemOnce()
{
    TestFolder folder;
    // The food table as an older Platewell made it, with two foods the user changed.
    folder.createStarterFoods();
    {
        OtherProgram other(folder.databasePath());
        QVERIFY(other.exec(QStringLiteral("UPDATE foods SET CALORIES = 80 WHERE FOOD = 'Abiyuch, raw'")));
        QVERIFY(
            other.exec(QStringLiteral("UPDATE foods SET SERVING_UN = '1 glass' WHERE FOOD = 'Acerola juice, raw'")));
    }
    QString error;
    int told = 0;
    QVERIFY2(FolderSetup::prepare(folder.path(), &error, &told), qPrintable(error));
    const qint64 starters = 7878;
    QCOMPARE(told, starters - 2);
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Abiyuch, raw")), FoodNutrients());
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Acerola juice, raw")), FoodNutrients());
    const FoodNutrients kept = nutrientsOf(folder.databasePath(), QStringLiteral("Acorn stew (Apache)"));
    QCOMPARE(kept.values.value(QStringLiteral("307")), 130.0);

    // The user empties one food of its nutrients; the next start gives them back to none.
    {
        OtherProgram other(folder.databasePath());
        QVERIFY(other.exec(QStringLiteral("DELETE FROM food_servings")));
        QVERIFY(other.exec(QStringLiteral("DELETE FROM food_nutrients")));
    }
    QVERIFY2(FolderSetup::prepare(folder.path(), &error, &told), qPrintable(error));
    QCOMPARE(told, 0);
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Acorn stew (Apache)")), FoodNutrients());
}

void TestStarterNutrients::olderFolderRecipesGainThem()
{
    TestFolder folder;
    folder.createStarterFoods();
    // A recipe an older Platewell saved, made of two starter foods and one the user changed.
    {
        SqliteFoodStore store(folder.databasePath());
        QString error;
        QVERIFY2(store.refresh(&error), qPrintable(error));
        Recipe recipe;
        recipe.name = QStringLiteral("Stew for two");
        recipe.servings = 2;
        recipe.ingredients = { { QStringLiteral("Acorn stew (Apache)"), QStringLiteral("3") },
            { QStringLiteral("Abiyuch, raw"), QStringLiteral("1") } };
        QVERIFY2(store.saveRecipe(&recipe, &error), qPrintable(error));
        Recipe plain;
        plain.name = QStringLiteral("Plain stew");
        plain.ingredients = { { QStringLiteral("Acorn stew (Apache)"), QStringLiteral("2") } };
        QVERIFY2(store.saveRecipe(&plain, &error), qPrintable(error));
        OtherProgram other(folder.databasePath());
        QVERIFY(other.exec(QStringLiteral("UPDATE foods SET CALORIES = 80 WHERE FOOD = 'Abiyuch, raw'")));
    }
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Plain stew")), FoodNutrients());
    QString error;
    int told = 0;
    QVERIFY2(FolderSetup::prepare(folder.path(), &error, &told), qPrintable(error));
    // Sodium per serving: 130 mg per stew serving, twice; the changed food keeps none, so the
    // recipe of it keeps the part it knows and says it is only part.
    const FoodNutrients plainStew = nutrientsOf(folder.databasePath(), QStringLiteral("Plain stew"));
    QCOMPARE(plainStew.values.value(QStringLiteral("307")), 260.0);
    QVERIFY(plainStew.incomplete.isEmpty());
    const FoodNutrients forTwo = nutrientsOf(folder.databasePath(), QStringLiteral("Stew for two"));
    QCOMPARE(forTwo.values.value(QStringLiteral("307")), 195.0);
    QVERIFY(forTwo.incomplete.contains(QStringLiteral("307")));
}

QTEST_GUILESS_MAIN(TestStarterNutrients)
#include "TestStarterNutrients.moc"

#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/storage/SqliteFoodStore.h"

#include <QTest>

#include <optional>

using Values = QHash<QString, std::optional<double>>;

Q_DECLARE_METATYPE(FoodNutrients)
Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

const QString kSodium = QStringLiteral("307");
const QString kProtein = QStringLiteral("203");

FoodNutrients expected(std::optional<double> grams, const QHash<QString, double>& values, const QStringList& partial)
{
    return { grams, values, QSet<QString>(partial.begin(), partial.end()) };
}

} // namespace

// A recipe's nutrients beyond the ten fields, summed from its ingredients: what is only part of
// the sum says so, and every edit of an ingredient reaches the recipes made of it.
class TestRecipeNutrients : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sumsItsIngredients_data();
    void sumsItsIngredients();
    void nestedRecipeCarriesTheMark();
    void editingAnIngredientRecomputesItsRecipes_data();
    void editingAnIngredientRecomputesItsRecipes();
    void editReadsTheOtherIngredientsAsTheyAre_data();
    void editReadsTheOtherIngredientsAsTheyAre();
    void editReadsManyIngredientsInBatches_data();
    void editReadsManyIngredientsInBatches();

private:
    bool write(const QString& food, std::optional<double> grams, const Values& values);
    bool saveRecipe(const QString& name, double servings, const std::vector<RecipeIngredient>& ingredients);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<SqliteFoodStore> m_store;
};

void TestRecipeNutrients::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Oats"), QStringLiteral("1/2 cup (40 g)"), { "150" }),
        foodRow(QStringLiteral("Milk"), QStringLiteral("1 cup (240 g)"), { "120" }),
        foodRow(QStringLiteral("Honey"), QStringLiteral("1 tbsp (21 g)"), { "64" }) });
    m_store = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_store->refresh(&error), qPrintable(error));
}

void TestRecipeNutrients::cleanup()
{
    m_store.reset();
    m_folder.reset();
}

bool TestRecipeNutrients::write(const QString& food, std::optional<double> grams, const Values& values)
{
    FoodNutrientChanges changes;
    changes.servingGramsChanged = true;
    changes.servingGrams = grams;
    changes.values = values;
    return writeNutrients(*m_store, food, changes);
}

bool TestRecipeNutrients::saveRecipe(
    const QString& name, double servings, const std::vector<RecipeIngredient>& ingredients)
{
    Recipe recipe;
    recipe.name = name;
    recipe.servings = servings;
    recipe.ingredients = ingredients;
    QString error;
    const bool saved = m_store->saveRecipe(&recipe, &error);
    if (!saved) {
        qWarning("%s", qPrintable(error));
    }
    return saved;
}

void TestRecipeNutrients::sumsItsIngredients_data()
{
    QTest::addColumn<Values>("oats");
    QTest::addColumn<Values>("milk");
    QTest::addColumn<std::optional<double>>("milkGrams");
    QTest::addColumn<QString>("third");
    QTest::addColumn<FoodNutrients>("porridge");

    // 2 x Oats and 1 x Milk (and the third ingredient, 1 x, where named) make 2 servings.
    QTest::newRow("both known, different servings")
        << Values { { kSodium, 2.0 }, { kProtein, 5.0 } } << Values { { kSodium, 100.0 }, { kProtein, 8.0 } }
        << std::optional<double>(240) << QString() << expected(160, { { kSodium, 52.0 }, { kProtein, 9.0 } }, {});
    QTest::newRow("an unknown makes it partial, 0 stays 0")
        << Values { { kSodium, 0.0 }, { kProtein, 5.0 } } << Values { { kProtein, 8.0 } } << std::optional<double>(240)
        << QString() << expected(160, { { kSodium, 0.0 }, { kProtein, 9.0 } }, { kSodium });
    QTest::newRow("0 from both is a known 0")
        << Values { { kSodium, 0.0 } } << Values { { kSodium, 0.0 } } << std::optional<double>(240) << QString()
        << expected(160, { { kSodium, 0.0 } }, {});
    QTest::newRow("known by none stays unknown")
        << Values { { kProtein, 5.0 } } << Values { { kProtein, 8.0 } } << std::optional<double>() << QString()
        << expected(std::nullopt, { { kProtein, 9.0 } }, {});
    QTest::newRow("a food that keeps nothing")
        << Values { { kSodium, 2.0 } } << Values { { kSodium, 100.0 } } << std::optional<double>(240)
        << QStringLiteral("Honey") << expected(std::nullopt, { { kSodium, 52.0 } }, { kSodium });
    QTest::newRow("an ingredient not in the table")
        << Values { { kSodium, 2.0 } } << Values { { kSodium, 100.0 } } << std::optional<double>(240)
        << QStringLiteral("Nowhere") << expected(std::nullopt, { { kSodium, 52.0 } }, { kSodium });
}

void TestRecipeNutrients::sumsItsIngredients()
{
    QFETCH(Values, oats);
    QFETCH(Values, milk);
    QFETCH(std::optional<double>, milkGrams);
    QFETCH(QString, third);
    QFETCH(FoodNutrients, porridge);

    QVERIFY(write(QStringLiteral("Oats"), 40, oats));
    QVERIFY(write(QStringLiteral("Milk"), milkGrams, milk));
    std::vector<RecipeIngredient> ingredients { { QStringLiteral("Oats"), QStringLiteral("2") },
        { QStringLiteral("Milk"), QStringLiteral("1") } };
    if (!third.isEmpty()) {
        ingredients.push_back({ third, QStringLiteral("1") });
    }
    QVERIFY(saveRecipe(QStringLiteral("Porridge"), 2, ingredients));
    const FoodNutrients read = nutrientsOf(*m_store, QStringLiteral("Porridge"));
    QCOMPARE(read.values, porridge.values);
    QCOMPARE(read.incomplete, porridge.incomplete);
    QCOMPARE(read.servingGrams, porridge.servingGrams);
    for (const QString& number : { kSodium, kProtein }) {
        QCOMPARE(read.isComplete(number), porridge.values.contains(number) && !porridge.incomplete.contains(number));
    }
}

void TestRecipeNutrients::nestedRecipeCarriesTheMark()
{
    QVERIFY(write(QStringLiteral("Oats"), 40, { { kSodium, 2.0 }, { kProtein, 5.0 } }));
    QVERIFY(write(QStringLiteral("Milk"), 240, { { kProtein, 8.0 } }));
    QVERIFY(write(QStringLiteral("Honey"), 21, { { kSodium, 1.0 }, { kProtein, 0.0 } }));
    QVERIFY(saveRecipe(QStringLiteral("Porridge"), 1,
        { { QStringLiteral("Oats"), QStringLiteral("1") }, { QStringLiteral("Milk"), QStringLiteral("1") } }));
    QVERIFY(saveRecipe(QStringLiteral("Breakfast"), 1,
        { { QStringLiteral("Porridge"), QStringLiteral("2") }, { QStringLiteral("Honey"), QStringLiteral("1") } }));
    QCOMPARE(nutrientsOf(*m_store, QStringLiteral("Breakfast")),
        expected(581, { { kSodium, 5.0 }, { kProtein, 26.0 } }, { kSodium }));

    // Once Milk knows its sodium, both recipes are whole again, in the one write.
    QVERIFY(write(QStringLiteral("Milk"), 240, { { kSodium, 100.0 } }));
    QCOMPARE(nutrientsOf(*m_store, QStringLiteral("Porridge")),
        expected(280, { { kSodium, 102.0 }, { kProtein, 13.0 } }, {}));
    QCOMPARE(nutrientsOf(*m_store, QStringLiteral("Breakfast")),
        expected(581, { { kSodium, 205.0 }, { kProtein, 26.0 } }, {}));
}

void TestRecipeNutrients::editingAnIngredientRecomputesItsRecipes_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<FoodNutrients>("porridge");

    QTest::newRow("a value changed") << "sodium" << expected(280, { { kSodium, 108.0 }, { kProtein, 13.0 } }, {});
    QTest::newRow("a value made unknown")
        << "unknown" << expected(280, { { kSodium, 100.0 }, { kProtein, 13.0 } }, { kSodium });
    QTest::newRow("the serving's grams") << "grams" << expected(290, { { kSodium, 102.0 }, { kProtein, 13.0 } }, {});
    QTest::newRow("the ten fields alone")
        << "calories" << expected(280, { { kSodium, 102.0 }, { kProtein, 13.0 } }, {});
    QTest::newRow("renamed, still its ingredient")
        << "rename" << expected(280, { { kSodium, 102.0 }, { kProtein, 13.0 } }, {});
    QTest::newRow("deleted") << "delete"
                             << expected(
                                    std::nullopt, { { kSodium, 100.0 }, { kProtein, 8.0 } }, { kSodium, kProtein });
}

void TestRecipeNutrients::editingAnIngredientRecomputesItsRecipes()
{
    QFETCH(QString, edit);
    QFETCH(FoodNutrients, porridge);

    QVERIFY(write(QStringLiteral("Oats"), 40, { { kSodium, 2.0 }, { kProtein, 5.0 } }));
    QVERIFY(write(QStringLiteral("Milk"), 240, { { kSodium, 100.0 }, { kProtein, 8.0 } }));
    QVERIFY(saveRecipe(QStringLiteral("Porridge"), 1,
        { { QStringLiteral("Oats"), QStringLiteral("1") }, { QStringLiteral("Milk"), QStringLiteral("1") } }));
    QVERIFY(saveRecipe(QStringLiteral("Big porridge"), 1, { { QStringLiteral("Porridge"), QStringLiteral("3") } }));

    QString error;
    const FoodStore::RowId oats = rowOf(*m_store, QStringLiteral("Oats"));
    FoodNutrientChanges changes;
    if (edit == QLatin1String("sodium")) {
        changes.values.insert(kSodium, 8.0);
    } else if (edit == QLatin1String("unknown")) {
        changes.values.insert(kSodium, std::nullopt);
    } else if (edit == QLatin1String("grams")) {
        changes.servingGramsChanged = true;
        changes.servingGrams = 50;
    }
    if (!changes.isEmpty()) {
        QVERIFY2(m_store->writeFoodNutrients(oats, QStringLiteral("Oats"), changes, &error), qPrintable(error));
    } else if (edit == QLatin1String("calories")) {
        QVERIFY2(m_store->updateFields(
                     oats, QStringLiteral("Oats"), { { FoodFields::CALORIES, QStringLiteral("99") } }, &error),
            qPrintable(error));
    } else if (edit == QLatin1String("rename")) {
        QVERIFY2(m_store->updateFields(
                     oats, QStringLiteral("Oats"), { { FoodFields::FOOD, QStringLiteral("Rolled oats") } }, &error),
            qPrintable(error));
    } else {
        QVERIFY2(m_store->deleteRecord(oats, QStringLiteral("Oats"), &error), qPrintable(error));
    }
    QCOMPARE(nutrientsOf(*m_store, QStringLiteral("Porridge")), porridge);
    FoodNutrients big = porridge;
    for (double& value : big.values) {
        value *= 3;
    }
    if (big.servingGrams) {
        *big.servingGrams *= 3;
    }
    QCOMPARE(nutrientsOf(*m_store, QStringLiteral("Big porridge")), big);
}

void TestRecipeNutrients::editReadsTheOtherIngredientsAsTheyAre_data()
{
    QTest::addColumn<QString>("ingredient");
    QTest::addColumn<double>("sodium");
    QTest::addColumn<bool>("incomplete");

    // Dish is 1 x Salt and 1 x the ingredient; Salt's sodium goes from 1 to 1000.
    QTest::newRow("a plain food") << "Oats" << 1002.0 << false;
    QTest::newRow("a whole recipe") << "Porridge" << 1102.0 << false;
    QTest::newRow("a recipe marked incomplete, not recomputed") << "Unsalted porridge" << 1002.0 << true;
    QTest::newRow("a name not plain ASCII") << "Cr\u00e8me br\u00fbl\u00e9e" << 1030.0 << false;
    QTest::newRow("a name stored as Windows-1252 bytes") << "Cr\u00eape" << 1030.0 << false;
}

// The recipes a food's edit recomputes read their other ingredients anew, all at once: each
// counts as it is kept, a nested recipe's mark of an incomplete value included.
void TestRecipeNutrients::editReadsTheOtherIngredientsAsTheyAre()
{
    QFETCH(QString, ingredient);
    QFETCH(double, sodium);
    QFETCH(bool, incomplete);

    QString error;
    QVERIFY2(
        m_store->insertRecord({ QStringLiteral("Salt"), QStringLiteral("1 tsp") }, nullptr, &error), qPrintable(error));
    QVERIFY2(
        m_store->insertRecord(
            { QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"), QStringLiteral("1 cup") }, nullptr, &error),
        qPrintable(error));
    // As the sqlite3 tool leaves a name from a Windows CSV: "Crêpe" in Windows-1252 bytes.
    QVERIFY(OtherProgram(m_folder->databasePath())
                .exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES) VALUES (CAST(x'4372ea7065' AS TEXT), 90)")));
    QVERIFY(write(QStringLiteral("Salt"), 6, { { kSodium, 1.0 } }));
    QVERIFY(write(QStringLiteral("Oats"), 40, { { kSodium, 2.0 }, { kProtein, 5.0 } }));
    QVERIFY(write(QStringLiteral("Milk"), 240, { { kSodium, 100.0 }, { kProtein, 8.0 } }));
    QVERIFY(write(QStringLiteral("Honey"), 21, { { kProtein, 0.0 } }));
    QVERIFY(write(QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"), 100, { { kSodium, 30.0 } }));
    QVERIFY(write(QString::fromUtf8("Cr\xc3\xaape"), 100, { { kSodium, 30.0 } }));
    QVERIFY(saveRecipe(QStringLiteral("Porridge"), 1,
        { { QStringLiteral("Oats"), QStringLiteral("1") }, { QStringLiteral("Milk"), QStringLiteral("1") } }));
    QVERIFY(saveRecipe(QStringLiteral("Unsalted porridge"), 1,
        { { QStringLiteral("Oats"), QStringLiteral("1") }, { QStringLiteral("Honey"), QStringLiteral("1") } }));
    QVERIFY(saveRecipe(QStringLiteral("Dish"), 1,
        { { QStringLiteral("Salt"), QStringLiteral("1") }, { ingredient, QStringLiteral("1") } }));
    const FoodNutrients before = nutrientsOf(*m_store, QStringLiteral("Dish"));
    QCOMPARE(before.values.value(kSodium), sodium - 999);
    QCOMPARE(before.incomplete.contains(kSodium), incomplete);

    QVERIFY(write(QStringLiteral("Salt"), 6, { { kSodium, 1000.0 } }));
    const FoodNutrients after = nutrientsOf(*m_store, QStringLiteral("Dish"));
    QCOMPARE(after.values.value(kSodium), sodium);
    QCOMPARE(after.incomplete.contains(kSodium), incomplete);
}

void TestRecipeNutrients::editReadsManyIngredientsInBatches_data()
{
    QTest::addColumn<int>("foods");

    // The recipes' ingredients are read 400 rows a query; Salt is one of the rows.
    QTest::newRow("one full batch") << 399;
    QTest::newRow("a full batch and a short one") << 450;
    QTest::newRow("two full batches and a short one") << 821;
}

// Every recipe a food's edit recomputes comes out as saving it again would make it, however many
// ingredients the recipes have between them.
void TestRecipeNutrients::editReadsManyIngredientsInBatches()
{
    QFETCH(int, foods);

    QString error;
    QVERIFY2(
        m_store->insertRecord({ QStringLiteral("Salt"), QStringLiteral("1 tsp") }, nullptr, &error), qPrintable(error));
    QVERIFY(write(QStringLiteral("Salt"), 6, { { kSodium, 1.0 }, { kProtein, 0.0 } }));
    // Food n keeps sodium n + 1 and protein 1; 50 foods and Salt make a dish.
    std::vector<std::vector<RecipeIngredient>> dishes;
    for (int n = 0; n < foods; ++n) {
        const QString food = QStringLiteral("Food %1").arg(n, 4, 10, QLatin1Char('0'));
        QVERIFY2(m_store->insertRecord({ food, QStringLiteral("1 cup") }, nullptr, &error), qPrintable(error));
        QVERIFY(write(food, 100, { { kSodium, double(n + 1) }, { kProtein, 1.0 } }));
        if (n % 50 == 0) {
            dishes.push_back({ { QStringLiteral("Salt"), QStringLiteral("1") } });
        }
        dishes.back().push_back({ food, QStringLiteral("1") });
    }
    for (std::size_t d = 0; d < dishes.size(); ++d) {
        QVERIFY(saveRecipe(QStringLiteral("Dish %1").arg(d), 1, dishes[d]));
    }

    QVERIFY(write(QStringLiteral("Salt"), 6, { { kSodium, 1000.0 } }));
    for (std::size_t d = 0; d < dishes.size(); ++d) {
        const int first = int(d) * 50;
        const int last = std::min(foods, first + 50);
        const double sodium = 1000.0 + double(first + 1 + last) * (last - first) / 2;
        const FoodNutrients dish = nutrientsOf(*m_store, QStringLiteral("Dish %1").arg(d));
        QCOMPARE(dish.values.value(kSodium), sodium);
        QCOMPARE(dish.values.value(kProtein), double(last - first));
        QVERIFY(dish.incomplete.isEmpty());
        QCOMPARE(dish.servingGrams, std::optional<double>(6 + 100 * (last - first)));
    }
}

QTEST_GUILESS_MAIN(TestRecipeNutrients)
#include "TestRecipeNutrients.moc"

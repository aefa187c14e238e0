// Copying a whole food table into another: every row exactly as stored (each cell's kind and
// bytes), nutrients known and unknown, the catalogue, and the recipes with rows that agree with
// their ingredients, in one transaction; a target that holds foods is refused unless replaced,
// and a refused or failed copy leaves it as it was.

#include "EngineStores.h"
#include "OtherProgram.h"
#include "PlatewellRun.h"
#include "TestSupport.h"
#include "core/storage/FoodTableCopy.h"

#include <QTest>

#include <cmath>

class TestFoodTableCopy : public QObject
{
    Q_OBJECT

private slots:
    void copiedExactly_data();
    void copiedExactly();
    void nutrientInAnotherUnitRefused();
    void roundTripThroughAServer();

private:
    // Every row as stored, each cell written with its kind, and its nutrients.
    static QStringList contents(const FoodStore& foods, const QStringList& numbers);
};

QStringList TestFoodTableCopy::contents(const FoodStore& foods, const QStringList& numbers)
{
    QStringList rows;
    QString error;
    const bool read = foods.readRowsWithNutrients(
        numbers,
        [&](const StoredRow& row, const std::optional<double>& grams, const std::vector<std::optional<double>>& values,
            QString*) {
            QStringList cells;
            for (const StoredCell& cell : row) {
                cells.append(storedCellText(cell));
            }
            cells.append(grams ? QString::number(*grams, 'g', 17) : QStringLiteral("no grams"));
            for (const std::optional<double>& value : values) {
                cells.append(value ? QString::number(*value, 'g', 17) : QStringLiteral("unknown"));
            }
            rows.append(cells.join(u'|'));
            return true;
        },
        &error);
    if (!read) {
        qWarning("%s", qPrintable(error));
    }
    return rows;
}

void TestFoodTableCopy::copiedExactly_data()
{
    QTest::addColumn<bool>("targetHoldsFoods");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("copied");
    QTest::newRow("into an empty table") << false << false << true;
    QTest::newRow("into a table with foods, refused") << true << false << false;
    QTest::newRow("into a table with foods, replaced") << true << true << true;
}

void TestFoodTableCopy::copiedExactly()
{
    QFETCH(bool, targetHoldsFoods);
    QFETCH(bool, replace);
    QFETCH(bool, copied);
    TestFolder source;
    source.createFoods({ foodRow(QStringLiteral("Spinach"), QStringLiteral("1 cup (30 g)"), { QStringLiteral("7") }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { QStringLiteral("79.5"), QStringLiteral("n/a") }),
        foodRow(QStringLiteral("Crème fraîche"), QStringLiteral("1 tbsp"), { QString() }) });
    {
        // Cells another tool stored: an integer, an exact binary fraction, a Windows-1252 name.
        OtherProgram other(source.databasePath());
        QVERIFY(
            other.exec(QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN, CALORIES, CARBS) VALUES (?, '1 g', ?, ?)"),
                { QByteArray("Caf\\xe9 au lait"), qint64(12), 0.1 }));
    }
    std::unique_ptr<Workspace> from = source.workspace();
    QString error;
    QVERIFY2(from->foods().refresh(&error), qPrintable(error));
    FoodNutrientChanges spinach;
    spinach.servingGramsChanged = true;
    spinach.servingGrams = 30;
    spinach.values.insert(QStringLiteral("303"), 0.81);
    spinach.values.insert(QStringLiteral("307"), 0.0);
    QVERIFY(writeNutrients(from->foods(), QStringLiteral("Spinach"), spinach));
    Recipe toast;
    toast.name = QStringLiteral("Spinach toast");
    toast.servings = 2;
    toast.ingredients
        = { { QStringLiteral("Bread"), QStringLiteral("2") }, { QStringLiteral("Spinach"), QStringLiteral("1") } };
    QVERIFY2(from->foods().saveRecipe(&toast, &error), qPrintable(error));

    TestFolder target;
    target.createFoods(
        targetHoldsFoods ? QStringList { foodRow(QStringLiteral("Kept"), QStringLiteral("1")) } : QStringList());
    std::unique_ptr<Workspace> to = target.workspace();
    QVERIFY2(to->foods().refresh(&error), qPrintable(error));
    NutrientCatalogue catalogue;
    QVERIFY(from->foods().nutrientCatalogue(&catalogue, &error));
    QStringList numbers;
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        numbers.append(nutrient.number);
    }
    const QStringList before = contents(to->foods(), numbers);

    FoodTableCopy::Result result;
    QCOMPARE(FoodTableCopy::copy(from->foods(), to->foods(), replace, &result, &error), copied);
    if (!copied) {
        QVERIFY2(error.contains(QLatin1String("--replace")), qPrintable(error));
        QCOMPARE(contents(to->foods(), numbers), before);
        return;
    }
    QCOMPARE(result.foods, qint64(5));
    QCOMPARE(result.recipes, qint64(1));
    QCOMPARE(contents(to->foods(), numbers), contents(from->foods(), numbers));
    std::vector<std::pair<qint64, QString>> recipes;
    QVERIFY(to->foods().listRecipes(&recipes, &error));
    QCOMPARE(recipes.size(), std::size_t(1));
    Recipe copy;
    QVERIFY(to->foods().loadRecipe(recipes.front().first, &copy, &error));
    QCOMPARE(copy.name, toast.name);
    QCOMPARE(copy.servings, 2.0);
    QCOMPARE(copy.ingredients.size(), std::size_t(2));
    QCOMPARE(copy.ingredients[1].food, QStringLiteral("Spinach"));
    // The recipe's row is its own in the copy too: it is not written as a food.
    std::vector<TextColumn> names;
    std::vector<qint64> rows;
    QVERIFY(to->foods().readColumns({ FoodFields::FOOD }, &names, &rows, &error));
    QVERIFY(to->foods().isRecipeRow(rows.back()));
    QVERIFY(
        !to->foods().updateFields(rows.back(), toast.name, { { FoodFields::CALORIES, QStringLiteral("1") } }, &error));
}

// A target whose catalogue holds a nutrient in another unit would read every copied value wrongly.
void TestFoodTableCopy::nutrientInAnotherUnitRefused()
{
    TestFolder source;
    source.createFoods({ foodRow(QStringLiteral("Spinach"), QStringLiteral("1 cup"), { QStringLiteral("7") }) });
    TestFolder target;
    target.createFoods({ foodRow(QStringLiteral("Kept"), QStringLiteral("1")) });
    std::unique_ptr<Workspace> from = source.workspace();
    std::unique_ptr<Workspace> to = target.workspace();
    QString error;
    QVERIFY(from->foods().refresh(&error) && to->foods().refresh(&error));
    FoodNutrientChanges iron;
    iron.values.insert(QStringLiteral("303"), 2.0);
    QVERIFY(writeNutrients(from->foods(), QStringLiteral("Spinach"), iron));
    QVERIFY(writeNutrients(to->foods(), QStringLiteral("Kept"), iron));
    QVERIFY(OtherProgram(target.databasePath())
                .exec(QStringLiteral("UPDATE nutrients SET unit = 'µg' WHERE number = '303'")));
    QVERIFY(to->foods().refresh(&error));
    const QStringList before = contents(to->foods(), { QStringLiteral("303") });
    FoodTableCopy::Result result;
    QVERIFY(!FoodTableCopy::copy(from->foods(), to->foods(), true, &result, &error));
    QVERIFY2(error.contains(QLatin1String("303")), qPrintable(error));
    QCOMPARE(contents(to->foods(), { QStringLiteral("303") }), before);
}

// The command line copies a folder's table to a server and back into another folder, exact to
// the last value and unknown; a second copy to the same server is refused until --replace.
void TestFoodTableCopy::roundTripThroughAServer()
{
    TestFolder source;
    source.createFoods({ foodRow(QStringLiteral("Spinach"), QStringLiteral("1 cup (30 g)"), { QStringLiteral("7") }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { QStringLiteral("79.5"), QStringLiteral("n/a") }),
        foodRow(QStringLiteral("Crème fraîche"), QStringLiteral("1 tbsp"), { QString(), QStringLiteral("0.1") }),
        foodRow(QStringLiteral("Crème fraîche"), QStringLiteral(""), { QStringLiteral("1e-300") }) });
    // Integers another tool stored, beyond what a double holds exactly.
    QVERIFY(OtherProgram(source.databasePath())
                .exec(QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN, CALORIES) VALUES (?, '1 g', ?)"),
                    { qint64(12345678901234567), qint64(9007199254740993) }));
    QString error;
    {
        std::unique_ptr<Workspace> from = source.workspace();
        QVERIFY2(from->foods().refresh(&error), qPrintable(error));
        FoodNutrientChanges spinach;
        spinach.servingGramsChanged = true;
        spinach.servingGrams = 30;
        spinach.values.insert(QStringLiteral("303"), 0.1 + 0.2);
        spinach.values.insert(QStringLiteral("307"), 0.0);
        QVERIFY(writeNutrients(from->foods(), QStringLiteral("Spinach"), spinach));
    }
    const QString server = EngineStores::newServerDatabase(&error);
    QVERIFY2(!server.isEmpty(), qPrintable(error));

    PlatewellRun to = PlatewellRun::start({ QStringLiteral("--copy-foods-to"), server }, source.path(), source.path());
    QVERIFY2(to.status == 0, qPrintable(to.printed()));
    QVERIFY2(to.printed().contains(QLatin1String("Copied 5 foods")), qPrintable(to.printed()));
    to = PlatewellRun::start({ QStringLiteral("--copy-foods-to"), server }, source.path(), source.path());
    QCOMPARE(to.status, 1);
    QVERIFY2(to.printed().contains(QLatin1String("--replace")), qPrintable(to.printed()));

    TestFolder back;
    back.createFoods({ foodRow(QStringLiteral("Replaced"), QStringLiteral("1")) });
    const PlatewellRun from = PlatewellRun::start(
        { QStringLiteral("--copy-foods-from"), server, QStringLiteral("--replace") }, back.path(), back.path());
    QVERIFY2(from.status == 0, qPrintable(from.printed()));
    std::unique_ptr<Workspace> original = source.workspace();
    std::unique_ptr<Workspace> copy = back.workspace();
    QVERIFY(original->foods().refresh(&error) && copy->foods().refresh(&error));
    NutrientCatalogue catalogue;
    QVERIFY(original->foods().nutrientCatalogue(&catalogue, &error));
    QStringList numbers;
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        numbers.append(nutrient.number);
    }
    QCOMPARE(contents(copy->foods(), numbers), contents(original->foods(), numbers));
}

QTEST_MAIN(TestFoodTableCopy)
#include "TestFoodTableCopy.moc"

#include "OtherProgram.h"
#include "RecipeConsistency.h"
#include "TestSupport.h"
#include "core/imports/FoodImport.h"
#include "core/storage/SqliteFoodStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

std::vector<FoodStore::Nutrients> rowsOf(FoodStore& foods, const QString& name)
{
    std::vector<FoodStore::Nutrients> rows;
    foods.nutrientsOf(name, &rows, nullptr);
    return rows;
}

bool importCsv(const QString& database, const QByteArray& csv, DuplicateRule rule, QString* error)
{
    const QString source = database + QStringLiteral(".csv");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size()) {
        *error = QStringLiteral("cannot write the source");
        return false;
    }
    file.close();
    FoodImport import(source);
    return import.inspect(error) && import.run(database, rule, {}, {}, nullptr, error);
}

} // namespace

// The writes that recipes follow: a food and the recipes made of it change in one transaction,
// whichever kind of write it is.
class TestFoodWriteService : public QObject
{
    Q_OBJECT

private slots:
    void recipesFollowInTheWritesTransaction_data();
    void recipesFollowInTheWritesTransaction();
};

void TestFoodWriteService::recipesFollowInTheWritesTransaction_data()
{
    QTest::addColumn<QString>("write");
    // What another program makes refuse the recipe's part of the write.
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<bool>("valuesChange");
    // A recipe's own row is rewritten whenever its values are worked out again.
    const QString rowHeld = "CREATE TRIGGER held BEFORE UPDATE ON foods WHEN OLD.FOOD = 'Pie' "
                            "BEGIN SELECT RAISE(ABORT, 'Pie is held'); END";
    QTest::newRow("edited") << "edit" << rowHeld << true;
    QTest::newRow("a second row of the name") << "insert" << rowHeld << true;
    QTest::newRow("deleted") << "delete" << rowHeld << true;
    QTest::newRow("renamed")
        << "rename"
        << "CREATE TRIGGER held BEFORE UPDATE ON recipe_ingredients BEGIN SELECT RAISE(ABORT, 'Pie is held'); END"
        << false;
    QTest::newRow("imported, replacing") << "import replace" << rowHeld << true;
    QTest::newRow("imported beside") << "import keep" << rowHeld << true;
    QTest::newRow("the missing ingredient imported") << "import new" << rowHeld << true;
}

void TestFoodWriteService::recipesFollowInTheWritesTransaction()
{
    QFETCH(QString, write);
    QFETCH(QString, blocker);
    QFETCH(bool, valuesChange);
    TestFolder folder;
    folder.createFoods({ foodRow("Apple", "1 medium", { "95.3", "25.1", ".3" }),
        foodRow("Bread", "1 slice", { "79.1", "14.7", "1" }) });
    const QString path = folder.databasePath();
    SqliteFoodStore foods(path);
    QString error;
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    Recipe pie;
    pie.name = "Pie";
    pie.servings = 3;
    pie.ingredients = { { "Apple", " 2" }, { "Bread", " 1" }, { "Pear", " 1" } };
    QVERIFY2(foods.saveRecipe(&pie, &error), qPrintable(error));
    const auto pieBefore = rowsOf(foods, "Pie");

    auto runWrite = [&] {
        const qint64 apple = rowOf(foods, "Apple");
        if (write == "edit") {
            return foods.updateFields(apple, "Apple", { { FoodFields::CALORIES, "120" } }, &error);
        }
        if (write == "insert") {
            return foods.insertRecord({ "Apple", "1 small", "50", "13" }, nullptr, &error);
        }
        if (write == "delete") {
            return foods.deleteRecord(apple, "Apple", &error);
        }
        if (write == "rename") {
            return foods.updateFields(apple, "Apple", { { FoodFields::FOOD, "Green apple" } }, &error);
        }
        const DuplicateRule rule = write.endsWith("replace") ? DuplicateRule::Replace : DuplicateRule::KeepBoth;
        return importCsv(path,
            write.endsWith("new") ? "FOOD,CALORIES,CARBS\nPear,57,15.2\n" : "FOOD,CALORIES,CARBS\nApple,120,30.5\n",
            rule, &error);
    };

    // Refused in its recipe's part, the write leaves nothing behind, the food's own change included.
    QVERIFY(OtherProgram(path).exec(blocker));
    const QByteArray before = fileHash(path);
    QVERIFY(!runWrite());
    QVERIFY2(error.contains("Pie is held"), qPrintable(error));
    QCOMPARE(fileHash(path), before);
    QVERIFY(rowOf(foods, "Apple") != 0);
    QCOMPARE(rowsOf(foods, "Apple").size(), std::size_t(1));
    QCOMPARE(rowsOf(foods, "Pear").size(), std::size_t(0));
    QCOMPARE(rowsOf(foods, "Pie"), pieBefore);

    // Let through, the same write carries the recipe along with it.
    QVERIFY(OtherProgram(path).exec("DROP TRIGGER held"));
    QVERIFY2(runWrite(), qPrintable(error));
    QCOMPARE(recipeInconsistency(foods), QString());
    QCOMPARE(rowsOf(foods, "Pie") != pieBefore, valuesChange);
}

QTEST_GUILESS_MAIN(TestFoodWriteService)
#include "TestFoodWriteService.moc"

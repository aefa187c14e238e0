#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/foods/KeptNutrientCache.h"
#include "core/plans/MealPlan.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/TotalsCalculator.h"

#include <QTest>

#include <optional>

namespace {

const QString kSodium = QStringLiteral("307");

} // namespace

// The kept nutrients the totals read are kept from one calculation to the next only while the
// food table is as it was: whatever changes it, this program or another, is seen by the next.
class TestKeptNutrientCache : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nextCalculationSeesTheChange_data();
    void nextCalculationSeesTheChange();
    void reopenedFileIsReadAfresh();

private:
    bool sodium(double* total, int* unknown);
    bool writeSodium(const QString& food, std::optional<double> value);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<SqliteFoodStore> m_foods;
};

void TestKeptNutrientCache::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { "95" }),
        foodRow(QStringLiteral("Cheese"), QStringLiteral("1 oz"), { "110" }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { "80" }) });
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    QVERIFY(writeSodium(QStringLiteral("Apple"), 1.0));
    QVERIFY(writeSodium(QStringLiteral("Cheese"), 400.0));
}

void TestKeptNutrientCache::cleanup()
{
    m_foods.reset();
    m_folder.reset();
}

bool TestKeptNutrientCache::writeSodium(const QString& food, std::optional<double> value)
{
    FoodNutrientChanges changes;
    changes.values.insert(kSodium, value);
    return writeNutrients(*m_foods, food, changes);
}

// The sodium of a plan of 2 x Apple and 1 x Cheese on screen, through a fresh lookup as the
// Totals window makes one for every calculation.
bool TestKeptNutrientCache::sodium(double* total, int* unknown)
{
    MealPlan plan;
    plan.tables[0].add(QStringLiteral("Apple"), QStringLiteral("2"));
    plan.tables[0].add(QStringLiteral("Cheese"), QStringLiteral("1"));
    TotalsSources sources;
    sources.active = true;
    const std::unique_ptr<UserFiles> files = m_folder->files();
    NutrientTotals nutrients;
    const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, *m_foods->lookup(), &nutrients);
    const qsizetype slot = nutrients.numbers.indexOf(kSodium);
    if (result.stopped || slot < 0 || nutrients.rows.size() != 1) {
        qWarning("%s", qPrintable(result.stopReason));
        return false;
    }
    *total = nutrients.rows[0].totals[std::size_t(slot)];
    *unknown = nutrients.rows[0].unknownCounts[std::size_t(slot)];
    return true;
}

void TestKeptNutrientCache::nextCalculationSeesTheChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<double>("total");
    QTest::addColumn<int>("unknown");

    // Apple keeps sodium 1 and Cheese 400: 402 before any change.
    QTest::newRow("this program edits a value") << "edit" << 410.0 << 0;
    QTest::newRow("this program makes a value unknown") << "unknown" << 400.0 << 1;
    QTest::newRow("this program renames the food away") << "rename" << 400.0 << 1;
    QTest::newRow("this program adds a food in a deleted food's row") << "reuse" << 2.0 << 1;
    QTest::newRow("this program changes the schema only") << "schema" << 0.0 << 2;
    QTest::newRow("another program edits a value") << "other edit" << 420.0 << 0;
    QTest::newRow("another program deletes a value") << "other delete" << 2.0 << 1;
    QTest::newRow("another program renames, then back") << "other rename" << 2.0 << 1;
    QTest::newRow("another program leaves the values under old names") << "other refill" << 0.0 << 2;
    QTest::newRow("another program changes the schema only") << "other schema" << 402.0 << 0;
    QTest::newRow("nothing changes") << "none" << 402.0 << 0;
}

void TestKeptNutrientCache::nextCalculationSeesTheChange()
{
    QFETCH(QString, change);
    QFETCH(double, total);
    QFETCH(int, unknown);

    double before = 0;
    int unknownBefore = -1;
    QVERIFY(sodium(&before, &unknownBefore));
    QCOMPARE(before, 402.0);
    QCOMPARE(unknownBefore, 0);

    QString error;
    if (change == QLatin1String("edit")) {
        QVERIFY(writeSodium(QStringLiteral("Apple"), 5.0));
    } else if (change == QLatin1String("unknown")) {
        QVERIFY(writeSodium(QStringLiteral("Apple"), std::nullopt));
    } else if (change == QLatin1String("rename")) {
        // The plan still names Apple, which no row bears now.
        QVERIFY2(m_foods->updateFields(rowOf(*m_foods, QStringLiteral("Apple")), QStringLiteral("Apple"),
                     { { FoodFields::FOOD, QStringLiteral("Green apple") } }, &error),
            qPrintable(error));
    } else if (change == QLatin1String("reuse")) {
        // With the last row gone too, SQLite gives the new Cheese the old one's row number, whose
        // kept sodium is not the new row's.
        const FoodStore::RowId cheese = rowOf(*m_foods, QStringLiteral("Cheese"));
        QVERIFY2(m_foods->deleteRecord(rowOf(*m_foods, QStringLiteral("Bread")), QStringLiteral("Bread"), &error),
            qPrintable(error));
        QVERIFY2(m_foods->deleteRecord(cheese, QStringLiteral("Cheese"), &error), qPrintable(error));
        FoodStore::RowId added = 0;
        QVERIFY2(m_foods->insertRecord({ QStringLiteral("Cheese"), QStringLiteral("1 oz") }, &added, &error),
            qPrintable(error));
        QCOMPARE(added, cheese);
    } else if (change == QLatin1String("schema")) {
        // A schema change on the program's own connection changes neither the file's data_version
        // nor the connection's count of changes: the values move to another table.
        QVERIFY(m_foods->table().connection().execute(
            "ALTER TABLE food_nutrients RENAME TO earlier_values;"
            "CREATE TABLE food_nutrients (food INTEGER NOT NULL, nutrient INTEGER NOT NULL, "
            "value REAL NOT NULL, PRIMARY KEY (food, nutrient)) WITHOUT ROWID"));
    } else if (change != QLatin1String("none")) {
        OtherProgram other(m_folder->databasePath());
        if (change == QLatin1String("other edit")) {
            QVERIFY(other.exec(QStringLiteral("UPDATE food_nutrients SET value = 10 WHERE food = ?"),
                { rowOf(*m_foods, QStringLiteral("Apple")) }));
        } else if (change == QLatin1String("other delete")) {
            QVERIFY(other.exec(QStringLiteral("DELETE FROM food_nutrients WHERE food = ?"),
                { rowOf(*m_foods, QStringLiteral("Cheese")) }));
        } else if (change == QLatin1String("other rename")) {
            // Without the triggers the values stay under the old name, which the row no longer
            // bears when it gets it back: they count no more.
            QVERIFY(other.exec(QStringLiteral("DROP TRIGGER foods_rename_nutrients")));
            QVERIFY(other.exec(QStringLiteral("UPDATE foods SET FOOD = 'Stilton' WHERE FOOD = 'Cheese'")));
            QVERIFY(other.exec(QStringLiteral("UPDATE food_servings SET name = 'Brie' WHERE name = 'Cheese'")));
            QVERIFY(other.exec(QStringLiteral("UPDATE foods SET FOOD = 'Cheese' WHERE FOOD = 'Stilton'")));
        } else if (change == QLatin1String("other refill")) {
            // As when it empties and refills the table: the same row numbers, the values kept
            // under names the rows no longer bear.
            QVERIFY(other.exec(QStringLiteral("UPDATE food_servings SET name = name || ' (old)'")));
        } else if (change == QLatin1String("other schema")) {
            QVERIFY(other.exec(QStringLiteral("CREATE TABLE other_notes (note TEXT)")));
        }
    }
    double after = 0;
    int unknownAfter = -1;
    QVERIFY(sodium(&after, &unknownAfter));
    QCOMPARE(after, total);
    QCOMPARE(unknownAfter, unknown);
}

void TestKeptNutrientCache::reopenedFileIsReadAfresh()
{
    double total = 0;
    int unknown = -1;
    QVERIFY(sodium(&total, &unknown));
    QCOMPARE(total, 402.0);
    // Another program replaces the file while it is closed; the reopened file is read anew.
    m_foods->close();
    {
        OtherProgram other(m_folder->databasePath());
        QVERIFY(other.exec(QStringLiteral("UPDATE food_nutrients SET value = 0")));
    }
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    QVERIFY(sodium(&total, &unknown));
    QCOMPARE(total, 0.0);
    QCOMPARE(unknown, 0);
}

QTEST_GUILESS_MAIN(TestKeptNutrientCache)
#include "TestKeptNutrientCache.moc"

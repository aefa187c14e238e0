#include "FullScanFoodLookup.h"
#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/foods/KeptNutrientCache.h"
#include "core/plans/MealPlan.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/TotalsCalculator.h"

#include <QTest>

#include <cstring>
#include <optional>

namespace {

const QString kSodium = QStringLiteral("307");

// 2 x Apple and 1 x Cheese on screen.
MealPlan appleTwiceAndCheese()
{
    MealPlan plan;
    plan.tables[0].add(QStringLiteral("Apple"), QStringLiteral("2"));
    plan.tables[0].add(QStringLiteral("Cheese"), QStringLiteral("1"));
    return plan;
}

bool sameNutrients(const NutrientTotals& a, const NutrientTotals& b)
{
    if (a.numbers != b.numbers || a.rows.size() != b.rows.size()) {
        return false;
    }
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
        const std::vector<double>& x = a.rows[r].totals;
        const std::vector<double>& y = b.rows[r].totals;
        if (x.size() != y.size() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) != 0
            || a.rows[r].unknownCounts != b.rows[r].unknownCounts) {
            return false;
        }
    }
    return true;
}

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
    void keptNamesGiveTheSameTotals_data();
    void keptNamesGiveTheSameTotals();
    void nextCalculationSeesChangedRows_data();
    void nextCalculationSeesChangedRows();

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
    const MealPlan plan = appleTwiceAndCheese();
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

void TestKeptNutrientCache::keptNamesGiveTheSameTotals_data()
{
    QTest::addColumn<int>("foods");
    QTest::addColumn<int>("unknownNames");
    QTest::addColumn<QString>("extra");

    // One query asks for at most 400 names; a name with Windows-1252 bytes of its own takes two.
    QTest::newRow("more names than one batch holds") << 450 << 0 << "";
    QTest::newRow("one batch exactly") << 400 << 0 << "";
    QTest::newRow("Windows-1252 bytes inside a batch") << 300 << 0 << "legacy";
    QTest::newRow("Windows-1252 bytes across a batch's end") << 399 << 0 << "legacy";
    QTest::newRow("a name in several rows") << 120 << 0 << "several";
    QTest::newRow("names not in the table") << 200 << 60 << "";
    QTest::newRow("all at once, over two batches") << 430 << 25 << "legacy several";
}

void TestKeptNutrientCache::keptNamesGiveTheSameTotals()
{
    QFETCH(int, foods);
    QFETCH(int, unknownNames);
    QFETCH(QString, extra);

    // Values with many bits, so that any other order of adding would show.
    QStringList rows;
    QStringList names;
    for (int i = 0; i < foods; ++i) {
        const QString name = QStringLiteral("Food %1").arg(i);
        rows.append(foodRow(name, QStringLiteral("1 cup"),
            { QString::number(i * 0.37 + 0.013, 'g', 17), QString::number(i % 7 * 1.1, 'g', 17), "0.3", "", "", "0.1",
                QString::number(i % 5 * 0.7, 'g', 17), "0.2" }));
        names.append(name);
    }
    for (int i = 0; i < unknownNames; ++i) {
        names.insert(i * 3, QStringLiteral("Not a food %1").arg(i));
    }
    m_foods.reset();
    m_folder->createFoods(rows);
    {
        OtherProgram other(m_folder->databasePath());
        if (extra.contains(QLatin1String("legacy"))) {
            // An older tool's row under the Windows-1252 bytes, and the program's own under UTF-8.
            QVERIFY(other.exec(
                QStringLiteral("INSERT INTO foods (FOOD, CALORIES, FIBER) VALUES (CAST(? AS TEXT), 21.7, 1.3)"),
                { QByteArray("Cr\xe8"
                             "me br\xfb"
                             "l\xe9"
                             "e") }));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES, FIBER) VALUES (?, 3.3, 0.9)"),
                { QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e") }));
            names.insert(names.size() - 2, QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"));
        }
        if (extra.contains(QLatin1String("several"))) {
            QVERIFY(
                other.exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES, CARBS) VALUES ('Food 7', 0.1, 9.9)")));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES, CARBS) VALUES ('Food 7', 1e-9, 3)")));
        }
    }
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    QVERIFY(writeSodium(QStringLiteral("Food 7"), 1.25));
    QVERIFY(writeSodium(QStringLiteral("Food 11"), 0.1));

    // The plan on screen names the first foods, the Daily plan every name twice.
    const QStringList quantities { "1", " .5", "2", "1.5", "-1" };
    MealPlan plan;
    for (qsizetype i = 0; i < names.size() && i < 4 * MealTable::MaxEntries; ++i) {
        plan.tables[std::size_t(i / MealTable::MaxEntries)].add(names[i], quantities[i % quantities.size()]);
    }
    QStringList lines;
    for (int round = 0; round < 2; ++round) {
        for (qsizetype i = 0; i < names.size(); ++i) {
            lines.append(QStringLiteral("Lunch_%1_%2").arg(names[i], quantities[(i + round) % quantities.size()]));
        }
    }
    const std::unique_ptr<UserFiles> files = m_folder->files();
    QVERIFY(TextFile::writeLines(files->periodPlanPath(QStringLiteral("Daily")), lines, nullptr));
    TotalsSources sources;
    sources.active = true;
    sources.periods[0] = true;

    FullScanFoodLookup scan;
    QVERIFY2(scan.load(*m_foods, &error), qPrintable(error));
    const TotalsResult expected = TotalsCalculator::calculate(plan, *files, sources, scan);
    QVERIFY(!expected.stopped);

    // The first calculation reads every name from the file, the later ones find them kept.
    for (int run = 0; run < 3; ++run) {
        QVERIFY2(sameBits(TotalsCalculator::calculate(plan, *files, sources, *m_foods->lookup()), expected),
            qPrintable(QStringLiteral("run %1").arg(run)));
    }
    // With the nutrients: what a store opened afresh reads, the kept rows give again.
    NutrientTotals fresh;
    {
        SqliteFoodStore other(m_folder->databasePath());
        QVERIFY2(other.refresh(&error), qPrintable(error));
        QVERIFY(sameBits(TotalsCalculator::calculate(plan, *files, sources, *other.lookup(), &fresh), expected));
    }
    QCOMPARE(fresh.rows.size(), std::size_t(2));
    const qsizetype sodiumSlot = fresh.numbers.indexOf(kSodium);
    QVERIFY(sodiumSlot >= 0);
    QVERIFY(fresh.rows[0].totals[std::size_t(sodiumSlot)] != 0);
    for (int run = 0; run < 2; ++run) {
        NutrientTotals kept;
        QVERIFY(sameBits(TotalsCalculator::calculate(plan, *files, sources, *m_foods->lookup(), &kept), expected));
        QVERIFY2(sameNutrients(kept, fresh), qPrintable(QStringLiteral("run %1").arg(run)));
    }
}

void TestKeptNutrientCache::nextCalculationSeesChangedRows_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<double>("calories");

    // The plan is 2 x Apple (95) and 1 x Cheese (110): 300 before any change.
    QTest::newRow("this program edits the calories") << "edit" << 310.0;
    QTest::newRow("this program renames the food away") << "rename" << 110.0;
    QTest::newRow("this program adds a row of the name") << "insert" << 320.0;
    QTest::newRow("another program adds a row of the name") << "other insert" << 310.0;
    QTest::newRow("another program deletes the row") << "other delete" << 190.0;
    QTest::newRow("another program gives a row the name") << "other rename" << 380.0;
    QTest::newRow("another program changes the schema only") << "other schema" << 300.0;
    QTest::newRow("nothing changes") << "none" << 300.0;
}

void TestKeptNutrientCache::nextCalculationSeesChangedRows()
{
    QFETCH(QString, change);
    QFETCH(double, calories);

    const MealPlan plan = appleTwiceAndCheese();
    TotalsSources sources;
    sources.active = true;
    const std::unique_ptr<UserFiles> files = m_folder->files();
    auto total = [&] {
        const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, *m_foods->lookup());
        return result.rows.empty() ? -1.0 : result.rows[0].values[TotalsRow::Calories];
    };
    QCOMPARE(total(), 300.0);
    QCOMPARE(total(), 300.0);

    QString error;
    if (change == QLatin1String("edit")) {
        QVERIFY2(m_foods->updateFields(rowOf(*m_foods, QStringLiteral("Apple")), QStringLiteral("Apple"),
                     { { FoodFields::CALORIES, QStringLiteral("100") } }, &error),
            qPrintable(error));
    } else if (change == QLatin1String("rename")) {
        QVERIFY2(m_foods->updateFields(rowOf(*m_foods, QStringLiteral("Apple")), QStringLiteral("Apple"),
                     { { FoodFields::FOOD, QStringLiteral("Green apple") } }, &error),
            qPrintable(error));
    } else if (change == QLatin1String("insert")) {
        FoodStore::RowId row = 0;
        QVERIFY2(m_foods->insertRecord({ "Cheese", "1 oz", "20" }, &row, &error), qPrintable(error));
    } else if (change != QLatin1String("none")) {
        OtherProgram other(m_folder->databasePath());
        if (change == QLatin1String("other insert")) {
            QVERIFY(other.exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES) VALUES ('Apple', 5)")));
        } else if (change == QLatin1String("other delete")) {
            QVERIFY(other.exec(QStringLiteral("DELETE FROM foods WHERE FOOD = 'Cheese'")));
        } else if (change == QLatin1String("other rename")) {
            QVERIFY(other.exec(QStringLiteral("UPDATE foods SET FOOD = 'Cheese' WHERE FOOD = 'Bread'")));
        } else if (change == QLatin1String("other schema")) {
            QVERIFY(other.exec(QStringLiteral("CREATE TABLE other_notes (note TEXT)")));
        }
    }
    QCOMPARE(total(), calories);
}

QTEST_GUILESS_MAIN(TestKeptNutrientCache)
#include "TestKeptNutrientCache.moc"

#include "FullScanFoodLookup.h"
#include "core/foods/FoodLookup.h"
#include "core/totals/TotalsCalculator.h"

#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodDatabase.h"
#include "core/plans/MealPlan.h"
#include "core/plans/Periods.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/NumberText.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include <cmath>
#include <cstring>

namespace {

QStringList texts(const TotalsRow& row)
{
    QStringList result { row.label };
    for (double value : row.values) {
        result.append(GeneralNumberText(value, QLocale::c()));
    }
    return result;
}

QStringList zeroRow(const QString& label)
{
    QStringList row { label };
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        row.append("0");
    }
    return row;
}

TotalsSources sourcesOf(bool active, const QStringList& periods)
{
    TotalsSources sources;
    sources.active = active;
    for (const QString& period : periods) {
        sources.periods[static_cast<std::size_t>(Periods::names().indexOf(period))] = true;
    }
    return sources;
}

} // namespace

class TestTotalsCalculator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void activePlan_data();
    void activePlan();
    void periodFile_data();
    void periodFile();
    void sourcesAndTotalsRow();
    void missingPeriodStopsAndKeepsEarlierRows();
    void missingFirstPeriodWithoutActive();
    void weekRowsStandOnTheirOwnPlans_data();
    void weekRowsStandOnTheirOwnPlans();
    void periodFilesFollowTheFileKey();
    void unreadableFoodTableStops();
    void manyNamesInOnePeriod();
    void indexMatchesFullScan_data();
    void indexMatchesFullScan();

private:
    void openFoods(const QStringList& csvRows);
    // Runs the calculation with both lookups and insists that they agree to the last bit.
    TotalsResult calculate(const TotalsSources& sources);

    std::unique_ptr<TestFolder> m_folder;
    MealPlan m_plan;
    std::unique_ptr<UserFiles> m_files;
    std::unique_ptr<SqliteFoodStore> m_foods;
};

void TestTotalsCalculator::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_plan = MealPlan();
    m_files = m_folder->files();
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
}

void TestTotalsCalculator::cleanup()
{
    m_foods.reset();
    m_folder.reset();
}

void TestTotalsCalculator::openFoods(const QStringList& csvRows)
{
    m_foods->close();
    m_folder->createFoods(csvRows);
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
}

TotalsResult TestTotalsCalculator::calculate(const TotalsSources& sources)
{
    const std::unique_ptr<FoodLookup> indexedOwner = m_foods->lookup();
    FoodLookup& indexed = *indexedOwner;
    const TotalsResult result = TotalsCalculator::calculate(m_plan, *m_files, sources, indexed);
    FullScanFoodLookup scan;
    QString error;
    if (!scan.load(*m_foods, &error)) {
        qWarning("full scan could not read the food table: %s", qPrintable(error));
    }
    const TotalsResult reference = TotalsCalculator::calculate(m_plan, *m_files, sources, scan);
    if (!sameBits(result, reference)) {
        qWarning("the indexed lookup and the full scan disagree");
        return TotalsResult();
    }
    return result;
}

void TestTotalsCalculator::activePlan_data()
{
    QTest::addColumn<QStringList>("foods");
    QTest::addColumn<QStringList>("entries"); // meal index, food, quantity text, separated by "|"
    QTest::addColumn<QStringList>("expected");

    const QString apple = foodRow("Apple", "1 medium", { "95", "25", "0.3", "19", "0", "1", "4.4", "0" });
    QTest::newRow("two portions") << QStringList { apple } << QStringList { "0|Apple| 2" }
                                  << QStringList { "Active", "190", "50", "0.6", "38", "0", "2", "8.8", "0", "41.2" };
    QTest::newRow("half portion as stored")
        << QStringList { apple } << QStringList { "1|Apple| .5" }
        << QStringList { "Active", "47.5", "12.5", "0.15", "9.5", "0", "0.5", "2.2", "0", "10.3" };
    QTest::newRow("fraction reads as its numerator")
        << QStringList { apple } << QStringList { "1|Apple|1/2" }
        << QStringList { "Active", "95", "25", "0.3", "19", "0", "1", "4.4", "0", "20.6" };
    QTest::newRow("empty quantity") << QStringList { apple } << QStringList { "1|Apple|" } << zeroRow("Active");
    QTest::newRow("text quantity") << QStringList { apple } << QStringList { "1|Apple|some" } << zeroRow("Active");
    QTest::newRow("negative quantity subtracts")
        << QStringList { apple } << QStringList { "2|Apple|-1" }
        << QStringList { "Active", "-95", "-25", "-0.3", "-19", "0", "-1", "-4.4", "0", "-20.6" };
    QTest::newRow("net carbs") << QStringList { foodRow("Bar", "1", { "200", "30", "", "", "", "", "5", "4" }) }
                               << QStringList { "0|Bar| 1" }
                               << QStringList { "Active", "200", "30", "0", "0", "0", "0", "5", "4", "21" };
    QTest::newRow("negative net carbs") << QStringList {
        foodRow("Fiber", "1", { "10", "2", "", "", "", "", "5", "4" })
    } << QStringList { "0|Fiber| 1" } << QStringList { "Active", "10", "2", "0", "0", "0", "0", "5", "4", "-7" };
    QTest::newRow("three tenths") << QStringList { foodRow("Oil", "1", { "", "", "0.1" }) }
                                  << QStringList { "3|Oil| 3" }
                                  << QStringList { "Active", "0", "0", "0.3", "0", "0", "0", "0", "0", "0" };
    QTest::newRow("same food in two meals")
        << QStringList { apple } << QStringList { "0|Apple| 1", "3|Apple| 1" }
        << QStringList { "Active", "190", "50", "0.6", "38", "0", "2", "8.8", "0", "41.2" };
    QTest::newRow("duplicate table rows add up")
        << QStringList { foodRow("Tea", "1", { "2" }), foodRow("Milk", "1", { "50" }), foodRow("Tea", "1", { "3" }) }
        << QStringList { "0|Tea| 2" } << QStringList { "Active", "10", "0", "0", "0", "0", "0", "0", "0", "0" };
    QTest::newRow("case counts") << QStringList { apple } << QStringList { "0|apple| 1" } << zeroRow("Active");
    QTest::newRow("trailing blank in plan")
        << QStringList { apple } << QStringList { "0|Apple | 1" } << zeroRow("Active");
    QTest::newRow("trailing blank in table")
        << QStringList { foodRow("Apple ", "1", { "95" }) } << QStringList { "0|Apple| 1" } << zeroRow("Active");
    QTest::newRow("nutrient text with unit")
        << QStringList { foodRow("Soup", "1", { "12.5g", "n/a", "2 oz" }) } << QStringList { "0|Soup| 2" }
        << QStringList { "Active", "25", "0", "4", "0", "0", "0", "0", "0", "0" };
    QTest::newRow("nameless food row adds nothing for empty slots")
        << QStringList { apple, foodRow("", "1", { "500", "500" }) } << QStringList { "0|Apple| 1" }
        << QStringList { "Active", "95", "25", "0.3", "19", "0", "1", "4.4", "0", "20.6" };
}

void TestTotalsCalculator::activePlan()
{
    QFETCH(QStringList, foods);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);
    openFoods(foods);
    for (const QString& entry : entries) {
        const QStringList parts = entry.split('|');
        m_plan.tables[parts[0].toUInt()].add(parts[1], parts[2]);
    }
    const TotalsResult result = calculate(sourcesOf(true, {}));
    QCOMPARE(result.rows.size(), std::size_t(2));
    QCOMPARE(texts(result.rows[0]), expected);
    expected[0] = "Totals";
    QCOMPARE(texts(result.rows[1]), expected);
    QVERIFY(result.hasTotalsRow);
    QVERIFY(!result.stopped);
}

void TestTotalsCalculator::periodFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("totalsRow");
    auto calories = [](const QString& value) {
        QStringList row = zeroRow("Weekly");
        row[1] = value;
        return row;
    };
    QTest::newRow("three fields") << QByteArray("Lunch_Apple_2\r\n") << calories("190") << true;
    QTest::newRow("two fields add nothing") << QByteArray("Apple_2\r\n") << calories("0") << true;
    QTest::newRow("fourth field ignored") << QByteArray("Lunch_Apple_2_extra\r\n") << calories("190") << true;
    QTest::newRow("trailing separator") << QByteArray("Lunch_Apple_2_") << calories("190") << true;
    QTest::newRow("no quantity field") << QByteArray("Lunch_Apple_") << calories("0") << true;
    QTest::newRow("empty group label") << QByteArray("_Apple_2") << calories("190") << true;
    QTest::newRow("empty name field") << QByteArray("Lunch__2") << calories("0") << true;
    QTest::newRow("half portion") << QByteArray("Dinner_Apple_ .5") << calories("47.5") << true;
    QTest::newRow("case counts") << QByteArray("Dinner_apple_1") << calories("0") << true;
    QTest::newRow("every line counts") << QByteArray("A_Apple_1\nB_Apple_1\rC_Apple_-3\r\n") << calories("-95") << true;
    QTest::newRow("old encoding") << QByteArray("Lunch_Cr\xe8me_2") << calories("20") << true;
    QTest::newRow("empty file") << QByteArray() << calories("0") << false;
    QTest::newRow("one empty line") << QByteArray("\r\n") << calories("0") << true;
}

void TestTotalsCalculator::periodFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QFETCH(bool, totalsRow);
    openFoods({ foodRow("Apple", "1", { "95" }), foodRow(QString::fromUtf8("Crème"), "1", { "10" }) });
    QVERIFY(TextFile::writeBytes(m_files->perUserFile("Weekly"), content, nullptr));
    const TotalsResult result = calculate(sourcesOf(false, { "Weekly" }));
    QVERIFY(!result.stopped);
    QCOMPARE(result.hasTotalsRow, totalsRow);
    QCOMPARE(result.rows.size(), std::size_t(totalsRow ? 2 : 1));
    QCOMPARE(texts(result.rows[0]), expected);
}

void TestTotalsCalculator::sourcesAndTotalsRow()
{
    openFoods({ foodRow("Bar", "1", { "100", "30", "", "", "", "", "5", "4" }) });
    QVERIFY(calculate(sourcesOf(false, {})).rows.empty());
    QCOMPARE(calculate(sourcesOf(false, {})).hasTotalsRow, false);

    const TotalsResult empty = calculate(sourcesOf(true, {}));
    QCOMPARE(empty.rows.size(), std::size_t(2));
    QCOMPARE(texts(empty.rows[0]), zeroRow("Active"));
    QCOMPARE(texts(empty.rows[1]), zeroRow("Totals"));

    m_plan.LunchTable().add("Bar", " 1");
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Daily"), { "Lunch_Bar_ 2" }, nullptr));
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Saturday"), { "Lunch_Bar_-4" }, nullptr));
    // Ticked out of order: the rows still follow the period list.
    const TotalsResult result = calculate(sourcesOf(true, { "Saturday", "Daily" }));
    QCOMPARE(result.rows.size(), std::size_t(4));
    QCOMPARE(texts(result.rows[0]), QStringList({ "Active", "100", "30", "0", "0", "0", "0", "5", "4", "21" }));
    QCOMPARE(texts(result.rows[1]), QStringList({ "Daily", "200", "60", "0", "0", "0", "0", "10", "8", "42" }));
    QCOMPARE(
        texts(result.rows[2]), QStringList({ "Saturday", "-400", "-120", "0", "0", "0", "0", "-20", "-16", "-84" }));
    QCOMPARE(texts(result.rows[3]), QStringList({ "Totals", "-100", "-30", "0", "0", "0", "0", "-5", "-4", "-21" }));
    QVERIFY(result.hasTotalsRow);
}

void TestTotalsCalculator::missingPeriodStopsAndKeepsEarlierRows()
{
    openFoods({ foodRow("Apple", "1", { "95" }) });
    m_plan.BreakfastTable().add("Apple", " 1");
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Daily"), { "Lunch_Apple_ 2" }, nullptr));
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Friday"), { "Lunch_Apple_ 2" }, nullptr));
    const TotalsResult result = calculate(sourcesOf(true, { "Daily", "Weekly", "Friday" }));
    QVERIFY(result.stopped);
    QCOMPARE(result.stopMessage, QString("File Not Found"));
    QVERIFY(result.stopReason.contains("TamoWeekly.txt"));
    QVERIFY(!result.hasTotalsRow);
    QCOMPARE(result.rows.size(), std::size_t(2));
    QCOMPARE(result.rows[0].label, QString("Active"));
    QCOMPARE(result.rows[1].label, QString("Daily"));
    QCOMPARE(result.rows[1].values[TotalsRow::Calories], 190.0);
}

void TestTotalsCalculator::missingFirstPeriodWithoutActive()
{
    openFoods({ foodRow("Apple", "1", { "95" }) });
    // A folder of the file's name cannot be read as a file either.
    QVERIFY(QDir().mkpath(m_files->perUserFile("Daily")));
    const TotalsResult result = calculate(sourcesOf(false, { "Daily", "Weekly" }));
    QVERIFY(result.stopped);
    QCOMPARE(result.stopMessage, QString("File Not Found"));
    QVERIFY(result.rows.empty());
}

// Each week row needs only its own plans: a missing day leaves out the week of the seven days and
// nothing else, and the message names the plan and its file.
void TestTotalsCalculator::weekRowsStandOnTheirOwnPlans_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("messages");
    const QString parts = "Week from Weekday and Weekend:1140";
    const QString days = "Week from Sunday to Saturday:665";
    QTest::newRow("every plan there") << "" << QStringList {} << QStringList { "Daily:95", parts, days, "Totals:95" }
                                      << QStringList {};
    QTest::newRow("a day missing")
        << "" << QStringList { "Tuesday" } << QStringList { "Daily:95", parts, "Totals:95" }
        << QStringList { "File Not Found: the Tuesday plan, TamoTuesday.txt, so \"Week from Sunday to Saturday\" was "
                         "left out." };
    QTest::newRow("Weekend missing")
        << "Ann" << QStringList { "Weekend" } << QStringList { "Daily:95", days, "Totals:95" }
        << QStringList {
               "File Not Found: the Weekend plan, TamoAnnWeekend.txt, so \"Week from Weekday and Weekend\" was "
               "left out."
           };
    QTest::newRow("one of each missing")
        << "" << QStringList { "Weekday", "Saturday" } << QStringList { "Daily:95", "Totals:95" }
        << QStringList {
               "File Not Found: the Weekday plan, TamoWeekday.txt, so \"Week from Weekday and Weekend\" was left out.",
               "File Not Found: the Saturday plan, TamoSaturday.txt, so \"Week from Sunday to Saturday\" was left out."
           };
    const QString longName(150, u'n');
    QTest::newRow("a long user name quoted shortly")
        << longName << QStringList { "Monday" } << QStringList { "Daily:95", parts, "Totals:95" }
        << QStringList { "File Not Found: the Monday plan, Tamo" + longName.left(56)
               + "..., so \"Week from Sunday to Saturday\" was left out." };
}

void TestTotalsCalculator::weekRowsStandOnTheirOwnPlans()
{
    QFETCH(QString, user);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, messages);
    openFoods({ foodRow("Apple", "1", { "95" }) });
    m_files->setUserName(user);
    for (const QString& period : Periods::names()) {
        const QString quantity = period == "Weekday" ? " 2" : " 1";
        if (!missing.contains(period)) {
            QVERIFY(TextFile::writeLines(m_files->perUserFile(period), { "Lunch_Apple_" + quantity }, nullptr));
        }
    }
    TotalsResult result = calculate(sourcesOf(false, { "Daily" }));
    const TotalsResult fromParts = calculate(TotalsCalculator::weekdayAndWeekendPlans());
    const TotalsResult fromDays = calculate(TotalsCalculator::sevenDayPlans());
    QCOMPARE(TotalsCalculator::addWeekViews(&result, fromParts, fromDays, false, true), messages);
    QStringList shown;
    for (const TotalsRow& row : result.rows) {
        shown.append(row.label + u':' + GeneralNumberText(row.values[TotalsRow::Calories], QLocale::c()));
    }
    QCOMPARE(shown, rows);
}

void TestTotalsCalculator::periodFilesFollowTheFileKey()
{
    openFoods({ foodRow("Apple", "1", { "95" }) });
    m_files->setUserName(" Ann Lee ");
    QVERIFY(TextFile::writeLines(m_folder->dataFolder() + "AnnLeeMonday.txt", { "Lunch_Apple_1" }, nullptr));
    QVERIFY(TextFile::writeLines(m_folder->dataFolder() + "Monday.txt", { "Lunch_Apple_5" }, nullptr));
    const TotalsResult result = calculate(sourcesOf(false, { "Monday" }));
    QVERIFY(!result.stopped);
    QCOMPARE(result.rows[0].values[TotalsRow::Calories], 95.0);
}

void TestTotalsCalculator::unreadableFoodTableStops()
{
    openFoods({ foodRow("Apple", "1", { "95" }) });
    m_plan.BreakfastTable().add("Apple", " 1");
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Daily"), { "Lunch_Apple_ 2" }, nullptr));
    m_foods->close();
    const std::unique_ptr<FoodLookup> lookupOwner = m_foods->lookup();
    FoodLookup& lookup = *lookupOwner;
    TotalsResult result = TotalsCalculator::calculate(m_plan, *m_files, sourcesOf(true, {}), lookup);
    QVERIFY(result.stopped);
    QVERIFY(result.rows.empty());
    result = TotalsCalculator::calculate(m_plan, *m_files, sourcesOf(false, { "Daily" }), lookup);
    QVERIFY(result.stopped);
    QCOMPARE(result.stopMessage, QString("File Not Found"));
    QVERIFY(result.rows.empty());
}

void TestTotalsCalculator::manyNamesInOnePeriod()
{
    // More names than one batch of the indexed lookup holds, some twice and some unknown.
    QStringList foods;
    for (int i = 0; i < 1000; ++i) {
        foods.append(foodRow(QStringLiteral("Food %1").arg(i), "1", { QString::number(i) }));
    }
    openFoods(foods);
    QStringList lines;
    double expected = 0;
    for (int i = 0; i < 1100; i += 1) {
        lines.append(QStringLiteral("Dinner_Food %1_ 1").arg(i % 1050));
        expected += i % 1050 < 1000 ? i % 1050 : 0;
    }
    QVERIFY(TextFile::writeLines(m_files->perUserFile("Sunday"), lines, nullptr));
    const TotalsResult result = calculate(sourcesOf(false, { "Sunday" }));
    QCOMPARE(result.rows.size(), std::size_t(2));
    QCOMPARE(result.rows[0].values[TotalsRow::Calories], expected);
}

void TestTotalsCalculator::indexMatchesFullScan_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : { 1u, 2u, 3u, 4u, 5u }) {
        QTest::addRow("seed %u", seed) << seed;
    }
}

void TestTotalsCalculator::indexMatchesFullScan()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    // Few names, so that duplicates are common, with near-misses of case and blanks.
    const QStringList names { "Apple", "apple", "Apple ", " Apple", "", "Bread", "Bread", "Milk, whole",
        QString::fromUtf8("Crème"), "Tea" };
    const QStringList values { "95", "0.1", "1.7", "12.5g", "", "n/a", "-3", "1e-5", "33.333", "0.3", "7" };
    const QStringList quantities { " 1", " .5", "1/2", "", "-2", " 3", "0.1", " 1.25", "x" };
    QStringList rows;
    for (int r = 0; r < 300; ++r) {
        QStringList nutrients;
        for (int n = 0; n < 8; ++n) {
            nutrients.append(values[random.bounded(values.size())]);
        }
        rows.append(foodRow(names[random.bounded(names.size())], "1", nutrients));
    }
    openFoods(rows);
    // A name stored as NULL reads as empty text, like the empty name.
    QVERIFY(
        OtherProgram(m_folder->databasePath()).exec("INSERT INTO foods (FOOD, CALORIES, CARBS) VALUES (NULL, 4, 2)"));

    const QStringList planned = names + QStringList { "Pear", "APPLE", "Bread " };
    for (auto& table : m_plan.tables) {
        for (int i = 0; i < 60; ++i) {
            table.add(planned[random.bounded(planned.size())] + (i % 3 ? QString() : QString::number(i % 7)),
                quantities[random.bounded(quantities.size())]);
            table.add(planned[random.bounded(planned.size())], quantities[random.bounded(quantities.size())]);
        }
    }
    TotalsSources sources;
    sources.active = true;
    for (std::size_t p = 0; p < sources.periods.size(); ++p) {
        sources.periods[p] = true;
        QStringList lines;
        for (int l = 0; l < 80; ++l) {
            const QString label = l % 11 == 0 ? QString() : QStringLiteral("Lunch");
            QString line = label + '_' + planned[random.bounded(planned.size())] + '_'
                + quantities[random.bounded(quantities.size())];
            if (l % 13 == 0) {
                line += "_extra";
            }
            if (l % 17 == 0) {
                line = planned[random.bounded(planned.size())];
            }
            lines.append(line);
        }
        QVERIFY(
            TextFile::writeLines(m_files->perUserFile(Periods::names()[static_cast<qsizetype>(p)]), lines, nullptr));
    }

    const std::unique_ptr<FoodLookup> indexedOwner = m_foods->lookup();
    FoodLookup& indexed = *indexedOwner;
    const TotalsResult result = TotalsCalculator::calculate(m_plan, *m_files, sources, indexed);
    FullScanFoodLookup scan;
    QVERIFY(scan.load(*m_foods, nullptr));
    QCOMPARE(scan.rowCount(), qsizetype(301));
    const TotalsResult reference = TotalsCalculator::calculate(m_plan, *m_files, sources, scan);
    QVERIFY(!result.stopped);
    QCOMPARE(result.rows.size(), std::size_t(13));
    QVERIFY(sameBits(result, reference));
    // Asked one name at a time, without fetching ahead, the index finds the same rows.
    const std::unique_ptr<FoodLookup> singleOwner = m_foods->lookup();
    FoodLookup& single = *singleOwner;
    for (const QString& name : planned + QStringList { "" }) {
        const std::vector<FoodLookup::Nutrients> expected = *scan.rowsNamed(name, nullptr);
        const std::vector<FoodLookup::Nutrients>* found = single.rowsNamed(name, nullptr);
        QVERIFY(found);
        QVERIFY2(*found == expected, qPrintable(name));
    }
    // The sums were really exercised, with fractions that round.
    const double calories = result.rows.back().values[TotalsRow::Calories];
    QVERIFY(calories != 0 && calories != std::floor(calories));
}

QTEST_GUILESS_MAIN(TestTotalsCalculator)
#include "TestTotalsCalculator.moc"

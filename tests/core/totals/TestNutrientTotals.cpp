#include "FullScanFoodLookup.h"
#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodLookup.h"
#include "core/plans/MealPlan.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/NutrientBreakdown.h"
#include "core/totals/TotalsCalculator.h"

#include <QTest>

#include <cstring>
#include <optional>

namespace {

using Entries = QList<QPair<QString, QString>>;

const QString kSodium = QStringLiteral("307");
const QString kProtein = QStringLiteral("203");

} // namespace

Q_DECLARE_METATYPE(Entries)

// Every kept nutrient added up for a plan, with the count of planned foods that do not know it,
// the same through the indexed lookup and the plain full scan.
class TestNutrientTotals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void addsWhatIsKnownAndCountsTheRest_data();
    void addsWhatIsKnownAndCountsTheRest();
    void namesTheFoodsThatLackANutrient_data();
    void namesTheFoodsThatLackANutrient();

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<SqliteFoodStore> m_foods;
};

void TestNutrientTotals::initTestCase()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { "95", "25" }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { "80", "15", "1", "1", "0", "0", "1" }),
        foodRow(QStringLiteral("Cheese"), QStringLiteral("1 oz"), { "110", "1", "9" }),
        foodRow(QStringLiteral("Plain"), QStringLiteral("1 cup"), { "10" }) });
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    const QList<QPair<QString, QHash<QString, std::optional<double>>>> kept {
        { QStringLiteral("Apple"), { { kSodium, 1.0 }, { kProtein, 0.5 } } },
        { QStringLiteral("Bread"), { { kProtein, 4.0 } } },
        { QStringLiteral("Cheese"), { { kSodium, 400.0 }, { kProtein, 25.0 } } },
    };
    for (const auto& [food, values] : kept) {
        FoodNutrientChanges changes;
        changes.values = values;
        QVERIFY(writeNutrients(*m_foods, food, changes));
    }
    Recipe sandwich;
    sandwich.name = QStringLiteral("Sandwich");
    sandwich.ingredients
        = { { QStringLiteral("Bread"), QStringLiteral("2") }, { QStringLiteral("Cheese"), QStringLiteral("1") } };
    QVERIFY2(m_foods->saveRecipe(&sandwich, &error), qPrintable(error));
}

void TestNutrientTotals::cleanupTestCase()
{
    m_foods.reset();
    m_folder.reset();
}

void TestNutrientTotals::addsWhatIsKnownAndCountsTheRest_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<double>("sodium");
    QTest::addColumn<int>("sodiumUnknown");
    QTest::addColumn<double>("protein");
    QTest::addColumn<int>("proteinUnknown");

    QTest::newRow("one food's sodium unknown")
        << Entries { { "Apple", "2" }, { "Bread", "1" }, { "Cheese", "0.5" } } << 202.0 << 1 << 17.5 << 0;
    QTest::newRow("a recipe's partial sum")
        << Entries { { "Sandwich", "1" }, { "Apple", "1" } } << 401.0 << 1 << 33.5 << 0;
    QTest::newRow("kept nothing, not in the table")
        << Entries { { "Plain", "1" }, { "Nowhere", "1" }, { "Apple", "2" } } << 2.0 << 2 << 1.0 << 2;
    QTest::newRow("two unknowns, a negative quantity")
        << Entries { { "Bread", "1" }, { "Sandwich", "2" }, { "Cheese", "-1" } } << 400.0 << 2 << 45.0 << 0;
    QTest::newRow("nothing planned") << Entries {} << 0.0 << 0 << 0.0 << 0;
}

void TestNutrientTotals::addsWhatIsKnownAndCountsTheRest()
{
    QFETCH(Entries, entries);
    QFETCH(double, sodium);
    QFETCH(int, sodiumUnknown);
    QFETCH(double, protein);
    QFETCH(int, proteinUnknown);

    // The same plan on screen and saved as the Daily plan.
    MealPlan plan;
    QStringList lines;
    for (const auto& [food, quantity] : entries) {
        plan.tables[1].add(food, quantity);
        lines.append(QStringLiteral("Lunch_%1_%2").arg(food, quantity));
    }
    const std::unique_ptr<UserFiles> files = m_folder->files();
    QVERIFY(TextFile::writeLines(files->periodPlanPath(QStringLiteral("Daily")), lines, nullptr));
    TotalsSources sources;
    sources.active = true;
    sources.periods[0] = true;

    const std::unique_ptr<FoodLookup> indexed = m_foods->lookup();
    NutrientTotals totals;
    const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, *indexed, &totals);
    QVERIFY2(!result.stopped, qPrintable(result.stopReason));
    QCOMPARE(totals.rows.size(), std::size_t(2));
    const qsizetype sodiumSlot = totals.numbers.indexOf(kSodium);
    const qsizetype proteinSlot = totals.numbers.indexOf(kProtein);
    QVERIFY(sodiumSlot >= 0 && proteinSlot >= 0);
    for (const NutrientTotalsRow& row : totals.rows) {
        QCOMPARE(row.totals[std::size_t(sodiumSlot)], sodium);
        QCOMPARE(row.unknownCounts[std::size_t(sodiumSlot)], sodiumUnknown);
        QCOMPARE(row.totals[std::size_t(proteinSlot)], protein);
        QCOMPARE(row.unknownCounts[std::size_t(proteinSlot)], proteinUnknown);
    }
    QCOMPARE(totals.rows[0].label, QStringLiteral("Active"));
    QCOMPARE(totals.rows[1].label, QStringLiteral("Daily"));

    // The nine values are as without the nutrients.
    const std::unique_ptr<FoodLookup> plainLookup = m_foods->lookup();
    QVERIFY(sameBits(result, TotalsCalculator::calculate(plan, *files, sources, *plainLookup)));

    // The full scan gives the same, every nutrient of the catalogue.
    FullScanFoodLookup scan;
    QString error;
    QVERIFY2(scan.load(*m_foods, &error) && scan.loadNutrients(*m_foods, &error), qPrintable(error));
    NutrientTotals scanned;
    QVERIFY(sameBits(result, TotalsCalculator::calculate(plan, *files, sources, scan, &scanned)));
    QCOMPARE(scanned.numbers, totals.numbers);
    QCOMPARE(scanned.rows.size(), totals.rows.size());
    for (std::size_t r = 0; r < totals.rows.size(); ++r) {
        QCOMPARE(scanned.rows[r].totals, totals.rows[r].totals);
        QCOMPARE(scanned.rows[r].unknownCounts, totals.rows[r].unknownCounts);
    }
}

// The tool tip of a lower bound names the planned foods that lack the value: each once, with how
// many times it is planned when more than once, the first ten, then how many more planned foods.
void TestNutrientTotals::namesTheFoodsThatLackANutrient_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("tip");

    QTest::newRow("all known") << Entries { { "Apple", "2" }, { "Cheese", "1" } } << "402"
                               << QStringList { "Sodium in Active: 402 mg" };
    QTest::newRow("one food, twice, and a recipe's partial sum")
        << Entries { { "Bread", "1" }, { "Apple", "1" }, { "Bread", "2" }, { "Sandwich", "1" } } << "\u2265 401"
        << QStringList { "Sodium in Active: \u2265 401 mg",
               "3 planned foods lack this value, so the amount is at least this much:", "Bread (2 times)", "Sandwich" };
    Entries many;
    QStringList named;
    for (int i = 1; i <= 13; ++i) {
        many.append(qMakePair(QStringLiteral("Missing %1").arg(i), QStringLiteral("1")));
        if (i <= 10) {
            named.append(QStringLiteral("Missing %1").arg(i));
        }
    }
    many.append(qMakePair(QStringLiteral("Missing 2"), QStringLiteral("1")));
    many.append(qMakePair(QStringLiteral("Missing 12"), QStringLiteral("1")));
    QTest::newRow("more than ten foods")
        << many << "\u2265 0"
        << QStringList { "Sodium in Active: \u2265 0 mg",
               "15 planned foods lack this value, so the amount is at least this much:" }
            + named.mid(0, 1) + QStringList { "Missing 2 (2 times)" } + named.mid(2)
            + QStringList { "... and 4 more." };
    const QString longName = QString(80, u'x');
    QTest::newRow("a long name is cut") << Entries { { longName, "1" } } << "\u2265 0"
                                        << QStringList { "Sodium in Active: \u2265 0 mg",
                                               "1 planned food lacks this value, so the amount is at least this much:",
                                               QString(60, u'x') + "..." };
}

void TestNutrientTotals::namesTheFoodsThatLackANutrient()
{
    QFETCH(Entries, entries);
    QFETCH(QString, amount);
    QFETCH(QStringList, tip);
    // A meal plans a food once: a food planned again goes into the next meal.
    MealPlan plan;
    for (const auto& [food, quantity] : entries) {
        for (MealTable& table : plan.tables) {
            if (table.add(food, quantity) == MealTable::AddResult::Added) {
                break;
            }
        }
    }
    const std::unique_ptr<UserFiles> files = m_folder->files();
    TotalsSources sources;
    sources.active = true;
    NutrientTotals totals;
    const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, *m_foods->lookup(), &totals);
    QVERIFY2(!result.stopped, qPrintable(result.stopReason));
    TotalsCalculator::addTotalsRow(result, &totals);
    NutrientCatalogue catalogue;
    QString error;
    QVERIFY2(m_foods->nutrientCatalogue(&catalogue, &error), qPrintable(error));
    const NutrientBreakdown breakdown(catalogue, totals, NutrientTargets());
    QCOMPARE(breakdown.rowCount(), 2);
    const int sodium = int(catalogue.indexOf(kSodium));
    QCOMPARE(breakdown.amountText(0, sodium), amount);
    QCOMPARE(breakdown.toolTip(0, sodium).split(u'\n'), tip);
    // The Totals row of one plan names the same foods.
    QCOMPARE(breakdown.toolTip(1, sodium).split(u'\n').mid(1), tip.mid(1));
}

QTEST_GUILESS_MAIN(TestNutrientTotals)
#include "TestNutrientTotals.moc"

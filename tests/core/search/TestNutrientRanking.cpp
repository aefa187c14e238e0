// Ranking foods by a nutrient: the largest amount first, equal amounts in name order, foods
// without the value (or the weight or calories the basis needs) left out and counted; the first
// places settled alone are those of a full sort, and so is the whole once complete. The foods
// are read from a real food table as the food list orders them.

#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/foods/FoodValues.h"
#include "core/nutrients/NutrientTables.h"
#include "core/search/FoodList.h"
#include "core/search/NutrientRanking.h"
#include "core/search/RankingFoods.h"
#include "core/storage/FoodImportSession.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

Q_DECLARE_METATYPE(NutrientRanking::Basis)

class TestNutrientRanking : public QObject
{
    Q_OBJECT

private slots:
    void rankingIsAFullSort_data();
    void rankingIsAFullSort();
    void amountOfEachBasis_data();
    void amountOfEachBasis();
    void foodsReadAsTheFoodListOrdersThem();
    void firstFoodsAreTheRankingsFirst_data();
    void firstFoodsAreTheRankingsFirst();
};

namespace {

constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

} // namespace

void TestNutrientRanking::rankingIsAFullSort_data()
{
    QTest::addColumn<NutrientRanking::Basis>("basis");
    QTest::addColumn<int>("foods");
    // How many distinct values the foods share: few make many ties.
    QTest::addColumn<int>("distinct");
    QTest::addColumn<int>("firstCount");
    const std::pair<const char*, NutrientRanking::Basis> bases[]
        = { { "per serving", NutrientRanking::Basis::PerServing }, { "per 100 g", NutrientRanking::Basis::Per100Grams },
              { "per 100 kcal", NutrientRanking::Basis::Per100Calories } };
    for (const auto& [name, basis] : bases) {
        QTest::addRow("%s, all settled at once", name) << basis << 5000 << 1000000 << int(-1);
        QTest::addRow("%s, first screen then the rest", name) << basis << 5000 << 1000000 << 40;
        QTest::addRow("%s, many ties", name) << basis << 5000 << 7 << 40;
        QTest::addRow("%s, first screen past the end", name) << basis << 30 << 5 << 256;
        QTest::addRow("%s, one food", name) << basis << 1 << 1 << 1;
        QTest::addRow("%s, no foods", name) << basis << 0 << 1 << 10;
    }
}

void TestNutrientRanking::rankingIsAFullSort()
{
    QFETCH(NutrientRanking::Basis, basis);
    QFETCH(int, foods);
    QFETCH(int, distinct);
    QFETCH(int, firstCount);
    QRandomGenerator random(20261208);
    std::vector<double> values(std::size_t(foods), unknown);
    std::vector<double> grams(std::size_t(foods), unknown);
    std::vector<double> calories(std::size_t(foods), unknown);
    for (int food = 0; food < foods; ++food) {
        const auto f = std::size_t(food);
        // About one in eight of each is unknown; weights and calories of 0 or below count as none.
        if (random.bounded(8) != 0) {
            values[f] = (random.bounded(distinct) - distinct / 10) / 4.0;
        }
        const int weight = random.bounded(10);
        grams[f] = weight == 0 ? unknown : weight == 1 ? 0.0 : weight == 2 ? -5.0 : 10.0 * weight;
        const int energy = random.bounded(10);
        calories[f] = energy == 0 ? unknown : energy == 1 ? 0.0 : 25.0 * energy;
    }
    std::vector<std::uint32_t> nameRanks(static_cast<std::size_t>(foods));
    std::iota(nameRanks.begin(), nameRanks.end(), 0u);
    std::shuffle(nameRanks.begin(), nameRanks.end(), random);

    // The full sort, written out plainly: every food with an amount, largest first, then by name.
    std::vector<std::uint32_t> expected;
    std::vector<std::uint32_t> expectedLeftOut;
    for (int food = 0; food < foods; ++food) {
        const auto f = std::size_t(food);
        const bool needsWeight = basis == NutrientRanking::Basis::Per100Grams;
        const bool needsCalories = basis == NutrientRanking::Basis::Per100Calories;
        const bool known = !std::isnan(values[f]) && (!needsWeight || (!std::isnan(grams[f]) && grams[f] > 0))
            && (!needsCalories || (!std::isnan(calories[f]) && calories[f] > 0));
        (known ? expected : expectedLeftOut).push_back(std::uint32_t(food));
    }
    const auto amountOf
        = [&](std::uint32_t f) { return NutrientRanking::amount(values[f], grams[f], calories[f], basis); };
    std::sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (amountOf(a) != amountOf(b)) {
            return amountOf(a) > amountOf(b);
        }
        return nameRanks[a] < nameRanks[b];
    });

    NutrientRanking ranking;
    const std::size_t first = firstCount < 0 ? NutrientRanking::Everything : std::size_t(firstCount);
    ranking.rank(values, grams, calories, nameRanks, basis, first);
    QCOMPARE(ranking.rankedCount(), expected.size());
    QCOMPARE(ranking.leftOutCount(), expectedLeftOut.size());
    const std::size_t settled = std::min(first, expected.size());
    for (std::size_t rank = 0; rank < settled; ++rank) {
        QCOMPARE(ranking.foodAt(rank), expected[rank]);
    }
    QCOMPARE(ranking.isComplete(), settled == expected.size());
    ranking.complete();
    QVERIFY(ranking.isComplete());
    for (std::size_t rank = 0; rank < expected.size(); ++rank) {
        QCOMPARE(ranking.foodAt(rank), expected[rank]);
        QCOMPARE(ranking.amountAt(rank), amountOf(expected[rank]));
    }
    // The order holds every food once: the ranked ones by rank, then those left out in table order.
    std::vector<std::uint32_t> whole = expected;
    whole.insert(whole.end(), expectedLeftOut.begin(), expectedLeftOut.end());
    QCOMPARE(ranking.order(), whole);
}

void TestNutrientRanking::amountOfEachBasis_data()
{
    QTest::addColumn<double>("perServing");
    QTest::addColumn<double>("grams");
    QTest::addColumn<double>("calories");
    QTest::addColumn<double>("perServingAmount");
    QTest::addColumn<double>("per100Grams");
    QTest::addColumn<double>("per100Calories");
    QTest::newRow("all known") << 12.0 << 240.0 << 150.0 << 12.0 << 5.0 << 8.0;
    QTest::newRow("no weight") << 12.0 << unknown << 150.0 << 12.0 << unknown << 8.0;
    QTest::newRow("weight 0") << 12.0 << 0.0 << 150.0 << 12.0 << unknown << 8.0;
    QTest::newRow("no calories") << 12.0 << 240.0 << unknown << 12.0 << 5.0 << unknown;
    QTest::newRow("calories 0") << 12.0 << 240.0 << 0.0 << 12.0 << 5.0 << unknown;
    QTest::newRow("negative calories") << 12.0 << 240.0 << -10.0 << 12.0 << 5.0 << unknown;
    QTest::newRow("value unknown") << unknown << 240.0 << 150.0 << unknown << unknown << unknown;
    QTest::newRow("value 0 is known") << 0.0 << 240.0 << 150.0 << 0.0 << 0.0 << 0.0;
}

void TestNutrientRanking::amountOfEachBasis()
{
    QFETCH(double, perServing);
    QFETCH(double, grams);
    QFETCH(double, calories);
    QFETCH(double, perServingAmount);
    QFETCH(double, per100Grams);
    QFETCH(double, per100Calories);
    const auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; };
    QVERIFY(same(
        NutrientRanking::amount(perServing, grams, calories, NutrientRanking::Basis::PerServing), perServingAmount));
    QVERIFY(
        same(NutrientRanking::amount(perServing, grams, calories, NutrientRanking::Basis::Per100Grams), per100Grams));
    QVERIFY(same(
        NutrientRanking::amount(perServing, grams, calories, NutrientRanking::Basis::Per100Calories), per100Calories));
}

// Names, calories (unknown unless written as a number), serving grams and nutrient values are
// read for every food in table order, and the name ranks are the food list's positions.
void TestNutrientRanking::foodsReadAsTheFoodListOrdersThem()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Spinach"), QStringLiteral("1 cup (30 g)"), { QStringLiteral("7") }),
        foodRow(QStringLiteral("apple"), QStringLiteral("1 small"), { QStringLiteral("n/a") }),
        foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QString() }),
        foodRow(QStringLiteral("10 grain bread"), QStringLiteral("1 slice"), { QStringLiteral(" 80 ") }),
        foodRow(QStringLiteral("Crème fraîche"), QStringLiteral("1 tbsp"), { QStringLiteral("52") }) });
    std::unique_ptr<Workspace> workspace = folder.workspace();
    FoodStore& foods = workspace->foods();
    QString error;
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    FoodNutrientChanges spinach;
    spinach.servingGramsChanged = true;
    spinach.servingGrams = 30;
    spinach.values.insert(QStringLiteral("303"), 0.81);
    FoodNutrientChanges bread;
    bread.values.insert(QStringLiteral("303"), 1.2);
    QVERIFY(writeNutrients(foods, QStringLiteral("Spinach"), spinach));
    QVERIFY(writeNutrients(foods, QStringLiteral("10 grain bread"), bread));

    RankingFoods read;
    QVERIFY2(RankingFoods::read(foods, &read, &error), qPrintable(error));
    QCOMPARE(read.size(), std::size_t(5));
    QCOMPARE(read.names().at(0), QStringLiteral("Spinach"));
    const auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; };
    const std::vector<double> calories { 7, unknown, unknown, 80, 52 };
    const std::vector<double> grams { 30, unknown, unknown, unknown, unknown };
    for (std::size_t food = 0; food < 5; ++food) {
        QVERIFY2(same(read.calories()[food], calories[food]), qPrintable(QString::number(food)));
        QVERIFY2(same(read.servingGrams()[food], grams[food]), qPrintable(QString::number(food)));
    }
    FoodList list;
    QVERIFY(FoodList::read(foods, &list, &error));
    for (std::size_t place = 0; place < list.order().size(); ++place) {
        QCOMPARE(read.nameRanks()[list.order()[place]], std::uint32_t(place));
    }
    std::vector<double> iron;
    QVERIFY2(RankingFoods::readColumn(foods, read.rows(), QStringLiteral("303"), &iron, &error), qPrintable(error));
    QCOMPARE(iron.size(), std::size_t(5));
    QCOMPARE(iron[0], 0.81);
    QCOMPARE(iron[3], 1.2);
    QVERIFY(std::isnan(iron[1]) && std::isnan(iron[2]) && std::isnan(iron[4]));
}

namespace {

enum class Then {
    Nothing,
    EditedUp,
    EditedDown,
    Deleted,
    RenamedElsewhere,
    ImportedLower,
    ImportedHigher,
    FileBeforeTheLists,
    ValueAsText,
    ValueWithoutEnd,
    OlderToolsName,
    TriggersLost,
};

// Sets the iron of `food` to `value` (an SQL expression) as another program would.
bool setIronElsewhere(const QString& path, const QString& food, const QString& value)
{
    return OtherProgram(path).exec(QStringLiteral("UPDATE food_nutrients SET value = %1 WHERE food = (SELECT rowid "
                                                  "FROM foods WHERE FOOD = ?) AND nutrient = (SELECT id FROM nutrients "
                                                  "WHERE number = '303')")
                                       .arg(value),
        { food });
}

QString foodName(int food)
{
    return QStringLiteral("Food %1").arg(food, 4, 10, QLatin1Char('0'));
}

// Writes iron `values` (by food number) through one import, inserting the foods not in the table.
bool importIron(FoodStore& foods, const std::vector<std::pair<int, double>>& values, QString* error)
{
    std::unique_ptr<FoodImportSession> session = foods.beginImport(error);
    if (!session) {
        return false;
    }
    for (const auto& [food, value] : values) {
        std::vector<FoodImportSession::RowId> rows;
        FoodImportSession::RowId row = 0;
        if (!session->findRows(foodName(food), 1, &rows, error)) {
            return false;
        }
        if (rows.empty()
                ? !session->insertFood(foodName(food), QStringLiteral("1 serving"), {}, &row, error)
                : !session->replaceFood(rows.front(), foodName(food), QStringLiteral("1 serving"), {}, error)) {
            return false;
        }
        FoodNutrients nutrients;
        nutrients.servingGrams = 100;
        nutrients.values.insert(QStringLiteral("303"), value);
        if (!session->writeNutrients(rows.empty() ? row : rows.front(), nutrients, error)) {
            return false;
        }
    }
    return session->commit({}, error);
}

} // namespace

void TestNutrientRanking::firstFoodsAreTheRankingsFirst_data()
{
    QTest::addColumn<Then>("then");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("absent");
    QTest::newRow("imported") << Then::Nothing << foodName(0) << QString();
    QTest::newRow("a low value raised") << Then::EditedUp << foodName(500) << QString();
    QTest::newRow("a top value lowered") << Then::EditedDown << foodName(0) << foodName(2);
    QTest::newRow("a top food deleted") << Then::Deleted << foodName(0) << foodName(1);
    QTest::newRow("a top food renamed by another program")
        << Then::RenamedElsewhere << QStringLiteral("Aaa") << foodName(5);
    QTest::newRow("top foods imported lower") << Then::ImportedLower << foodName(10) << foodName(0);
    QTest::newRow("new foods imported higher") << Then::ImportedHigher << foodName(1049) << QString();
    QTest::newRow("a file kept before the lists, imported into")
        << Then::FileBeforeTheLists << foodName(1049) << QString();
    QTest::newRow("a top value made text by another program") << Then::ValueAsText << foodName(0) << foodName(3);
    QTest::newRow("a value without end") << Then::ValueWithoutEnd << foodName(0) << foodName(4);
    QTest::newRow("a name in an older tool's Windows-1252")
        << Then::OlderToolsName << QStringLiteral("Caf\u00e9") << foodName(6);
    QTest::newRow("triggers lost to another tool, then imported into")
        << Then::TriggersLost << foodName(500) << QString();
}

// The foods the table finds without reading the others are exactly the first places of a ranking
// of every food, whichever way their values were written, and enough for a screen.
void TestNutrientRanking::firstFoodsAreTheRankingsFirst()
{
    QFETCH(Then, then);
    QFETCH(QString, top);
    QFETCH(QString, absent);
    TestFolder folder;
    folder.createFoods({});
    std::unique_ptr<Workspace> workspace = folder.workspace();
    FoodStore& foods = workspace->foods();
    QString error;
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    // A thousand different values, and ten equal ones above them, which go in name order.
    std::vector<std::pair<int, double>> values;
    for (int food = 0; food < 1000; ++food) {
        values.emplace_back(food, food < 10 ? 200.0 : double((food * 7919) % 1000) / 10.0);
    }
    QVERIFY2(importIron(foods, values, &error), qPrintable(error));
    const auto iron = [](double value) {
        FoodNutrientChanges changes;
        changes.values.insert(QStringLiteral("303"), value);
        return changes;
    };
    switch (then) {
    case Then::Nothing:
        break;
    case Then::EditedUp:
        QVERIFY(writeNutrients(foods, foodName(500), iron(250)));
        break;
    case Then::EditedDown:
        QVERIFY(writeNutrients(foods, foodName(2), iron(0.05)));
        break;
    case Then::Deleted: {
        std::vector<TextColumn> names;
        std::vector<qint64> rows;
        QVERIFY(foods.readColumns({ FoodFields::FOOD }, &names, &rows, &error));
        QVERIFY2(foods.deleteRecord(rows[1], foodName(1), &error), qPrintable(error));
        break;
    }
    case Then::RenamedElsewhere:
        QVERIFY(OtherProgram(folder.databasePath())
                    .exec(QStringLiteral("UPDATE foods SET FOOD = 'Aaa' WHERE FOOD = ?"), { foodName(5) }));
        break;
    case Then::ImportedLower:
        QVERIFY2(importIron(foods, { { 0, 1.0 }, { 1, 2.0 }, { 10, 500 } }, &error), qPrintable(error));
        break;
    case Then::ValueAsText:
        QVERIFY(setIronElsewhere(folder.databasePath(), foodName(3), QStringLiteral("'0,5'")));
        break;
    case Then::ValueWithoutEnd:
        QVERIFY(setIronElsewhere(folder.databasePath(), foodName(4), QStringLiteral("9e999")));
        break;
    case Then::OlderToolsName:
        QVERIFY(OtherProgram(folder.databasePath())
                    .exec(QStringLiteral("UPDATE foods SET FOOD = CAST(X'436166E9' AS TEXT) WHERE FOOD = ?"),
                        { foodName(6) }));
        break;
    case Then::TriggersLost: {
        for (const char* drop : { "DROP TRIGGER food_nutrients_top", "DROP TRIGGER food_nutrients_top_change" }) {
            QVERIFY(OtherProgram(folder.databasePath()).exec(QLatin1String(drop)));
        }
        QVERIFY(setIronElsewhere(folder.databasePath(), foodName(500), QStringLiteral("999")));
        // The next write finds the triggers gone: no list is trusted until an import.
        QVERIFY(writeNutrients(foods, foodName(600), iron(1)));
        std::vector<FoodStore::RichFood> none;
        bool found = true;
        QVERIFY2(RankingFoods::readFirst(foods, QStringLiteral("303"), &none, &found, &error), qPrintable(error));
        QVERIFY(!found);
        QVERIFY2(importIron(foods, { { 700, 5.0 } }, &error), qPrintable(error));
        break;
    }
    case Then::FileBeforeTheLists:
        for (const char* drop : { "DROP TRIGGER food_nutrients_top", "DROP TRIGGER food_nutrients_top_change",
                 "DROP TABLE nutrient_top", "DROP TABLE nutrient_tops" }) {
            QVERIFY(OtherProgram(folder.databasePath()).exec(QLatin1String(drop)));
        }
        QVERIFY(foods.refresh(&error));
        {
            std::vector<FoodStore::RichFood> none;
            bool found = true;
            QVERIFY2(RankingFoods::readFirst(foods, QStringLiteral("303"), &none, &found, &error), qPrintable(error));
            QVERIFY(!found);
        }
        [[fallthrough]];
    case Then::ImportedHigher: {
        std::vector<std::pair<int, double>> higher;
        for (int food = 1000; food < 1050; ++food) {
            higher.emplace_back(food, 300.0 + food);
        }
        QVERIFY2(importIron(foods, higher, &error), qPrintable(error));
        break;
    }
    }

    std::vector<FoodStore::RichFood> first;
    bool found = false;
    QVERIFY2(RankingFoods::readFirst(foods, QStringLiteral("303"), &first, &found, &error), qPrintable(error));
    QVERIFY(found);
    QVERIFY2(
        first.size() >= 250 && first.size() <= NutrientTables::TopKept + 60, qPrintable(QString::number(first.size())));
    RankingFoods read;
    std::vector<double> column;
    QVERIFY2(RankingFoods::read(foods, &read, &error), qPrintable(error));
    QVERIFY2(RankingFoods::readColumn(foods, read.rows(), QStringLiteral("303"), &column, &error), qPrintable(error));
    NutrientRanking ranking;
    ranking.rank(column, read.servingGrams(), read.calories(), read.nameRanks(), NutrientRanking::Basis::PerServing);
    for (std::size_t rank = 0; rank < first.size(); ++rank) {
        QCOMPARE(first[rank].name, read.names().at(qsizetype(ranking.foodAt(rank))));
        QCOMPARE(first[rank].value, ranking.amountAt(rank));
    }
    QCOMPARE(first.front().name, top);
    for (const FoodStore::RichFood& food : first) {
        QVERIFY(food.name != absent);
    }
}

QTEST_MAIN(TestNutrientRanking)
#include "TestNutrientRanking.moc"

#include "TestSupport.h"
#include "core/imports/FoodImport.h"
#include "core/storage/SqliteFoodStore.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(FoodNutrients)

namespace {

// Amounts worked out through kJ or a float come within a rounding of the written ones.
bool sameNutrients(const FoodNutrients& actual, const FoodNutrients& expected)
{
    if (actual.servingGrams != expected.servingGrams || actual.values.size() != expected.values.size()) {
        return false;
    }
    for (auto it = expected.values.cbegin(); it != expected.values.cend(); ++it) {
        const auto found = actual.values.constFind(it.key());
        if (found == actual.values.cend() || std::abs(*found - it.value()) > 1e-9 * std::max(1.0, std::abs(*found))) {
            return false;
        }
    }
    return true;
}

QString shown(const FoodNutrients& nutrients)
{
    QStringList parts { QStringLiteral("grams %1").arg(nutrients.servingGrams ? *nutrients.servingGrams : -1) };
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        parts.append(QStringLiteral("%1=%2").arg(it.key()).arg(it.value(), 0, 'g', 17));
    }
    parts.sort();
    return parts.join(QLatin1Char(' '));
}

struct Outcome
{
    bool ok = false;
    QString error;
    ImportSummary summary;
};

Outcome importInto(const QString& database, const QString& source)
{
    Outcome outcome;
    FoodImport import(source);
    outcome.ok = import.inspect(&outcome.error)
        && import.run(database, DuplicateRule::Skip, {}, {}, &outcome.summary, &outcome.error);
    return outcome;
}

const QByteArray kNutrientCsv = "id,name,unit_name,nutrient_nbr,rank\n"
                                "1008,Energy,KCAL,208,300\n"
                                "1062,Energy,kJ,268,400\n"
                                "1003,Protein,G,203,600\n"
                                "1087,\"Calcium, Ca\",MG,301,5300\n"
                                "1178,Vitamin B-12,MG,418,7300\n"
                                "1235,\"Sugars, added\",G,539,1540\n"
                                "1105,Retinol,IU,319,7430\n"
                                "1024,Specific Gravity,SP_GR,,\n";

} // namespace

// FoodData Central and Open Food Facts bring every nutrient the table's catalogue can keep, per
// serving and in the catalogue's units, beside the ten fields.
class TestNutrientImport : public QObject
{
    Q_OBJECT

private slots:
    void foodDataCentral_data();
    void foodDataCentral();
    void openFoodFacts_data();
    void openFoodFacts();
};

void TestNutrientImport::foodDataCentral_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QByteArray>("portions");
    QTest::addColumn<FoodNutrients>("oats");
    QTest::addColumn<FoodNutrients>("rye");
    QTest::addColumn<QString>("calories");
    QTest::addColumn<QStringList>("leftOut");
    // A nutrient the catalogue has afterwards, as "<number> <name> (<unit>)".
    QTest::addColumn<QString>("catalogued");
    QTest::newRow("energy in kJ only") << QByteArray("1,1,1062,418.4\n") << QByteArray()
                                       << FoodNutrients { 100.0, { { "268", 418.4 }, { "208", 100.0 } } }
                                       << FoodNutrients { 100.0, {} } << "100" << QStringList() << "268 Energy (kJ)";
    QTest::newRow("kcal wins over kJ") << QByteArray("1,1,1062,1000\n2,1,1008,250\n") << QByteArray()
                                       << FoodNutrients { 100.0, { { "268", 1000.0 }, { "208", 250.0 } } }
                                       << FoodNutrients { 100.0, {} } << "250" << QStringList() << "208 Energy (kcal)";
    QTest::newRow("milligrams into a microgram nutrient")
        << QByteArray("1,1,1178,0.0025\n2,2,1178,0.5\n") << QByteArray() << FoodNutrients { 100.0, { { "418", 2.5 } } }
        << FoodNutrients { 100.0, { { "418", 500.0 } } } << "" << QStringList() << "418 Vitamin B12 (µg)";
    QTest::newRow("a nutrient the catalogue lacks joins it")
        << QByteArray("1,1,1235,3.5\n") << QByteArray() << FoodNutrients { 100.0, { { "539", 3.5 } } }
        << FoodNutrients { 100.0, {} } << "" << QStringList() << "539 Sugars, added (g)";
    QTest::newRow("international units where the catalogue keeps micrograms")
        << QByteArray("1,1,1105,50\n2,2,1105,70\n3,2,1003,2.25\n") << QByteArray() << FoodNutrients { 100.0, {} }
        << FoodNutrients { 100.0, { { "203", 2.25 } } } << "" << QStringList { "319 Retinol (IU)" }
        << "319 Retinol (µg)";
    QTest::newRow("zero is kept, a missing value stays unknown")
        << QByteArray("1,1,1087,0\n2,1,1003,0\n3,2,1003,13.1\n") << QByteArray()
        << FoodNutrients { 100.0, { { "301", 0.0 }, { "203", 0.0 } } } << FoodNutrients { 100.0, { { "203", 13.1 } } }
        << "" << QStringList() << "301 Calcium (mg)";
    QTest::newRow("scaled to the portion as the ten fields are")
        << QByteArray("1,2,1087,52\n2,1,1008,380\n3,1,1087,40\n4,2,1003,10.3\n")
        << QByteArray("fdc_id,seq_num,amount,measure_unit_id,modifier,gram_weight\n1,1,0.5,1000,cup,40.5\n")
        << FoodNutrients { 40.5, { { "208", 153.9 }, { "301", 16.2 } } }
        << FoodNutrients { 100.0, { { "301", 52.0 }, { "203", 10.3 } } } << "153.9" << QStringList()
        << "301 Calcium (mg)";
    QTest::newRow("a food's rows apart in the file")
        << QByteArray("1,1,1003,1.5\n2,2,1003,2.5\n3,1,1087,7\n4,2,1087,9\n5,1,1087,8\n") << QByteArray()
        << FoodNutrients { 100.0, { { "203", 1.5 }, { "301", 7.0 } } }
        << FoodNutrients { 100.0, { { "203", 2.5 }, { "301", 9.0 } } } << "" << QStringList() << "203 Protein (g)";
}

void TestNutrientImport::foodDataCentral()
{
    QFETCH(QByteArray, rows);
    QFETCH(QByteArray, portions);
    QFETCH(FoodNutrients, oats);
    QFETCH(FoodNutrients, rye);
    QFETCH(QString, calories);
    QFETCH(QStringList, leftOut);
    QFETCH(QString, catalogued);
    TestFolder folder;
    folder.createFoods({});
    const QString source = folder.path() + "/download";
    QVERIFY(QDir().mkpath(source));
    writeFile(source + "/food.csv", "fdc_id,data_type,description\n1,sr_legacy_food,Oats\n2,sr_legacy_food,Rye\n");
    writeFile(source + "/nutrient.csv", kNutrientCsv);
    writeFile(source + "/food_nutrient.csv", "id,fdc_id,nutrient_id,amount\n" + rows);
    if (!portions.isEmpty()) {
        writeFile(source + "/food_portion.csv", portions);
    }
    const Outcome outcome = importInto(folder.databasePath(), source);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const FoodNutrients gotOats = nutrientsOf(folder.databasePath(), "Oats");
    const FoodNutrients gotRye = nutrientsOf(folder.databasePath(), "Rye");
    QVERIFY2(sameNutrients(gotOats, oats), qPrintable(shown(gotOats)));
    QVERIFY2(sameNutrients(gotRye, rye), qPrintable(shown(gotRye)));
    QCOMPARE(outcome.summary.nutrientsLeftOut, leftOut);
    QCOMPARE(outcome.summary.nutrientValues, oats.values.size() + rye.values.size());
    QCOMPARE(outcome.summary.foodsWithNutrients, (oats.values.isEmpty() ? 0 : 1) + (rye.values.isEmpty() ? 0 : 1));

    SqliteFoodStore store(folder.databasePath());
    NutrientCatalogue catalogue;
    QString error;
    QVERIFY(store.refresh(&error) && store.nutrientCatalogue(&catalogue, &error));
    Nutrient expected;
    QVERIFY(NutrientCatalogue::parseColumnHeader(catalogued, &expected));
    const Nutrient* found = catalogue.find(expected.number);
    QVERIFY(found);
    QCOMPARE(NutrientCatalogue::columnHeader(*found), catalogued);
    // A nutrient of nutrient.csv that no food has a value of stays out of the catalogue.
    QCOMPARE(catalogue.find(u"539") != nullptr, rows.contains(",1235,"));
    QCOMPARE(catalogue.find(u"268") != nullptr, rows.contains(",1062,"));
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> ids;
    QVERIFY(store.readColumns({ FoodFields::FOOD, FoodFields::CALORIES }, &columns, &ids, &error));
    QCOMPARE(columns[1].at(0), calories);
}

void TestNutrientImport::openFoodFacts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<FoodNutrients>("expected");
    // product_name serving_quantity serving_quantity_unit energy-kcal proteins sodium salt vitamin-c
    // nutrition-score-fr
    QTest::newRow("proteins and sodium, salt not used beside it")
        << QByteArray("Muesli\t\t\t400\t10\t0.4\t5\t\t12")
        << FoodNutrients { 100.0, { { "208", 400.0 }, { "203", 10.0 }, { "307", 400.0 } } };
    QTest::newRow("salt gives the sodium when there is none")
        << QByteArray("Crackers\t\t\t\t\t\t1.25\t\t") << FoodNutrients { 100.0, { { "307", 500.0 } } };
    QTest::newRow("vitamin C from grams to milligrams")
        << QByteArray("Juice\t\t\t\t\t\t\t0.012\t") << FoodNutrients { 100.0, { { "401", 12.0 } } };
    QTest::newRow("zero kept, the rest unknown")
        << QByteArray("Water\t\t\t0\t0\t\t\t\t") << FoodNutrients { 100.0, { { "208", 0.0 }, { "203", 0.0 } } };
    QTest::newRow("scaled to the serving")
        << QByteArray("Bar\t40\tg\t450\t20\t\t0.5\t\t")
        << FoodNutrients { 40.0, { { "208", 180.0 }, { "203", 8.0 }, { "307", 80.0 } } };
    QTest::newRow("a serving in millilitres has no grams")
        << QByteArray("Milk\t250\tml\t\t3.2\t\t\t\t") << FoodNutrients { std::nullopt, { { "203", 8.0 } } };
}

void TestNutrientImport::openFoodFacts()
{
    QFETCH(QByteArray, line);
    QFETCH(FoodNutrients, expected);
    TestFolder folder;
    folder.createFoods({});
    const QString source = folder.path() + "/products.csv";
    writeFile(source,
        "code\tproduct_name\tserving_quantity\tserving_quantity_unit\tenergy-kcal_100g\tproteins_100g\t"
        "sodium_100g\tsalt_100g\tvitamin-c_100g\tnutrition-score-fr_100g\n1\t"
            + line + "\n");
    const Outcome outcome = importInto(folder.databasePath(), source);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QString name = QString::fromUtf8(line.left(line.indexOf('\t')));
    const FoodNutrients got = nutrientsOf(folder.databasePath(), name);
    QVERIFY2(sameNutrients(got, expected), qPrintable(shown(got)));
    QVERIFY(outcome.summary.nutrientsLeftOut.isEmpty());
    QCOMPARE(outcome.summary.nutrientValues, expected.values.size());
}

QTEST_GUILESS_MAIN(TestNutrientImport)
#include "TestNutrientImport.moc"

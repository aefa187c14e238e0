#include "TestSupport.h"
#include "core/imports/FoodExport.h"
#include "core/imports/FoodImport.h"
#include "core/imports/FoodTransferCommand.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/storage/SqliteFoodStore.h"

#include <QFile>
#include <QTest>
#include <QTextStream>

Q_DECLARE_METATYPE(FoodNutrients)

namespace {

bool importFile(const QString& database, const QString& source, ImportSummary* summary, QString* error)
{
    FoodImport import(source);
    return import.inspect(error) && import.run(database, DuplicateRule::Replace, {}, {}, summary, error);
}

// The first `count` nutrients of the starter's catalogue, each with a value of its own.
FoodNutrients manyNutrients(int count)
{
    FoodNutrients nutrients;
    nutrients.servingGrams = 243.0;
    const std::vector<Nutrient>& all = NutrientCatalogue::starter().nutrients();
    for (int n = 0; n < count && n < int(all.size()); ++n) {
        nutrients.values.insert(all[std::size_t(n)].number, 0.25 * (n + 1));
    }
    return nutrients;
}

FoodNutrientChanges changesOf(const FoodNutrients& nutrients)
{
    FoodNutrientChanges changes;
    changes.servingGramsChanged = true;
    changes.servingGrams = nutrients.servingGrams;
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        changes.values.insert(it.key(), it.value());
    }
    return changes;
}

} // namespace

// Every nutrient a food keeps goes out with Export and comes back with Import: values, zeros
// and unknowns alike, in the units the table keeps them in.
class TestNutrientTransfer : public QObject
{
    Q_OBJECT

private slots:
    void exportThenImportGivesEveryValueBack();
    void nutrientColumnsAreRead_data();
    void nutrientColumnsAreRead();
    void columnsOptionPlacesNutrients_data();
    void columnsOptionPlacesNutrients();
};

void TestNutrientTransfer::exportThenImportGivesEveryValueBack()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium (182 g)"), { "94.6" }),
        foodRow(QStringLiteral("Banana"), QStringLiteral("1 medium"), { "105", "", "n/a" }),
        foodRow(QStringLiteral("Cherry"), QStringLiteral("100 g"), { "50" }),
        foodRow(QStringLiteral("Durian"), QStringLiteral("1 cup (243 g)"), { "357" }) });
    const QHash<QString, FoodNutrients> kept {
        { QStringLiteral("Apple"),
            { 182.0,
                { { QStringLiteral("203"), 0.47 }, { QStringLiteral("307"), 0.0 },
                    { QStringLiteral("417"), 5.46 } } } },
        { QStringLiteral("Banana"), { std::nullopt, { { QStringLiteral("324"), 1e-7 } } } },
        { QStringLiteral("Cherry"), {} },
        // More values than one statement writes, and a few over.
        { QStringLiteral("Durian"), manyNutrients(37) },
    };
    QString error;
    {
        SqliteFoodStore store(folder.databasePath());
        QVERIFY(store.refresh(&error));
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            if (it.value() != FoodNutrients()) {
                QVERIFY(writeNutrients(store, it.key(), changesOf(it.value())));
            }
        }
    }
    const QString csv = folder.path() + QStringLiteral("/out.csv");
    qint64 written = 0;
    QVERIFY2(FoodExport::run(folder.databasePath(), csv, {}, &written, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.readLine();
    QVERIFY2(header.startsWith("FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC,SERVING_G,"
                               "208 Energy (kcal),203 Protein (g)"),
        header.constData());
    QVERIFY(header.contains(",\"417 Folate, total (\xc2\xb5g)\","));

    TestFolder other;
    other.createFoods({});
    ImportSummary summary;
    QVERIFY2(importFile(other.databasePath(), csv, &summary, &error), qPrintable(error));
    QCOMPARE(summary.foodsAdded, 4);
    QCOMPARE(summary.rowsRefused, 0);
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        QCOMPARE(nutrientsOf(other.databasePath(), it.key()), it.value());
    }
    // The ten fields come back as they were, the serving as written.
    SqliteFoodStore store(other.databasePath());
    QVERIFY(store.refresh(&error));
    QStringList record;
    QVERIFY(store.readRecord(rowOf(store, QStringLiteral("Banana")), &record, &error));
    QCOMPARE(record.mid(0, 5), (QStringList { "Banana", "1 medium", "105", "", "n/a" }));
}

void TestNutrientTransfer::nutrientColumnsAreRead_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<FoodNutrients>("expected");
    // The unit the catalogue keeps the first nutrient of the header in, afterwards.
    QTest::addColumn<QString>("unit");
    QTest::newRow("milligrams into micrograms") << QByteArray("Food,\"417 Folate, total (mg)\"\nPear,0.5\n")
                                                << FoodNutrients { {}, { { "417", 500.0 } } } << "µg";
    QTest::newRow("grams into milligrams")
        << QByteArray("Food,307 Sodium (g)\nPear,1.5\n") << FoodNutrients { {}, { { "307", 1500.0 } } } << "mg";
    QTest::newRow("a number with a leading zero is a nutrient of its own")
        << QByteArray("Food,0307 Odd (mg),307 Sodium (mg)\nPear,3,2\n")
        << FoodNutrients { {}, { { "0307", 3.0 }, { "307", 2.0 } } } << "mg";
    QTest::newRow("a nutrient the catalogue lacks joins it")
        << QByteArray("Food,957.1 Something (ug)\nPear,3\n") << FoodNutrients { {}, { { "957.1", 3.0 } } } << "µg";
    QTest::newRow("empty stays unknown, zero is kept") << QByteArray("Food,307 Sodium (mg),203 Protein (g)\nPear,,0\n")
                                                       << FoodNutrients { {}, { { "203", 0.0 } } } << "mg";
    QTest::newRow("n/a stays unknown") << QByteArray("Food,307 Sodium (mg),203 Protein (g)\nPear,n/a,2\n")
                                       << FoodNutrients { {}, { { "203", 2.0 } } } << "mg";
    QTest::newRow("micrograms cannot be international units")
        << QByteArray("Food,324 Vitamin D (ug),203 Protein (g)\nPear,3,2\n") << FoodNutrients { {}, { { "203", 2.0 } } }
        << "IU";
    QTest::newRow("serving weight kept") << QByteArray("Food,Serving,SERVING_G,307 Sodium (mg)\nPear,1 pear,178,2\n")
                                         << FoodNutrients { 178.0, { { "307", 2.0 } } } << "mg";
    // Columns named as people name nutrients; no number in the header, so no unit to check.
    QTest::newRow("a name proposes its nutrient, grams into milligrams")
        << QByteArray("Food,Sodium (g)\nPear,1.5\n") << FoodNutrients { {}, { { "307", 1500.0 } } } << "";
    QTest::newRow("milligrams into grams")
        << QByteArray("Food,Protein (mg)\nPear,2500\n") << FoodNutrients { {}, { { "203", 2.5 } } } << "";
    QTest::newRow("per 100 g scaled to the serving's weight")
        << QByteArray("Food,SERVING_G,Sodium (mg/100 g),Iron_100g\nPear,200,50,1.5\n")
        << FoodNutrients { 200.0, { { "307", 100.0 }, { "303", 3.0 } } } << "";
    QTest::newRow("per 100 g and per serving scaled alike by the serving unit")
        << QByteArray("Food,Serving,Calcium_100g,Potassium\nPear,1 pear (150 g),20,300\n")
        << FoodNutrients { {}, { { "301", 30.0 }, { "306", 300.0 } } } << "";
}

void TestNutrientTransfer::nutrientColumnsAreRead()
{
    QFETCH(QByteArray, csv);
    QFETCH(FoodNutrients, expected);
    QFETCH(QString, unit);
    TestFolder folder;
    folder.createFoods({});
    const QString source = folder.path() + QStringLiteral("/in.csv");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csv);
    file.close();
    ImportSummary summary;
    QString error;
    QVERIFY2(importFile(folder.databasePath(), source, &summary, &error), qPrintable(error));
    QCOMPARE(summary.foodsAdded, 1);
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Pear")), expected);
    SqliteFoodStore store(folder.databasePath());
    NutrientCatalogue catalogue;
    QVERIFY(store.refresh(&error) && store.nutrientCatalogue(&catalogue, &error));
    Nutrient first;
    const QByteArray header = csv.left(csv.indexOf('\n'));
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        if (header.indexOf(nutrient.number.toUtf8() + ' ') >= 0
            && (first.number.isEmpty()
                || header.indexOf(nutrient.number.toUtf8() + ' ') < header.indexOf(first.number.toUtf8() + ' '))) {
            first = nutrient;
        }
    }
    QCOMPARE(first.unit, unit);
}

void TestNutrientTransfer::columnsOptionPlacesNutrients_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("status");
    // Pear's nutrients afterwards, when it went in.
    QTest::addColumn<FoodNutrients>("expected");
    QTest::newRow("one of Export's headings given none is not read")
        << QByteArray("Food,307 Sodium (mg),203 Protein (g)\nPear,2,3\n") << "307 Sodium (mg)=none"
        << int(FoodTransferCommand::Success) << FoodNutrients { {}, { { "203", 3.0 } } };
    QTest::newRow("by number, in grams per 100 g")
        << QByteArray("Food,Na,Weight\nPear,0.5,200\n") << "Na=307:g:per100g,Weight=SERVING_G"
        << int(FoodTransferCommand::Success) << FoodNutrients { 200.0, { { "307", 1000.0 } } };
    QTest::newRow("by name, in micrograms")
        << QByteArray("Food,Na\nPear,2000\n") << "Na=sodium:ug" << int(FoodTransferCommand::Success)
        << FoodNutrients { {}, { { "307", 2.0 } } };
    QTest::newRow("in international units, its own")
        << QByteArray("Food,D\nPear,40\n") << "D=Vitamin D" << int(FoodTransferCommand::Success)
        << FoodNutrients { {}, { { "324", 40.0 } } };
    QTest::newRow("a unit the nutrient cannot be had from")
        << QByteArray("Food,Na\nPear,2\n") << "Na=307:kcal" << int(FoodTransferCommand::UsageError) << FoodNutrients {};
    QTest::newRow("international units where it is kept in milligrams")
        << QByteArray("Food,Na\nPear,2\n") << "Na=307:IU" << int(FoodTransferCommand::UsageError) << FoodNutrients {};
}

void TestNutrientTransfer::columnsOptionPlacesNutrients()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, columns);
    QFETCH(int, status);
    QFETCH(FoodNutrients, expected);
    TestFolder folder;
    folder.createFoods({});
    const QString source = folder.path() + QStringLiteral("/in.csv");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(csv);
    file.close();
    QString printed;
    QString said;
    QTextStream out(&printed);
    QTextStream err(&said);
    QCOMPARE(FoodTransferCommand::importFoods(
                 folder.databasePath(), source, QStringLiteral("skip"), columns, out, err, false),
        status);
    SqliteFoodStore store(folder.databasePath());
    QString error;
    QVERIFY(store.refresh(&error));
    if (status != FoodTransferCommand::Success) {
        QVERIFY2(said.contains(QStringLiteral("cannot be in")), qPrintable(said));
        QCOMPARE(store.rowCount(&error), 0);
        return;
    }
    QCOMPARE(nutrientsOf(folder.databasePath(), QStringLiteral("Pear")), expected);
}

QTEST_GUILESS_MAIN(TestNutrientTransfer)
#include "TestNutrientTransfer.moc"

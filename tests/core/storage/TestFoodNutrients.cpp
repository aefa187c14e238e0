#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/FoodImportSession.h"
#include "core/storage/SqliteFoodStore.h"

#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(FoodNutrients)
Q_DECLARE_METATYPE(FoodNutrientChanges)

namespace {

FoodNutrients nutrientsOf(FoodStore& foods, FoodStore::RowId row)
{
    FoodNutrients nutrients;
    QString error;
    if (!foods.readFoodNutrients(row, &nutrients, &error)) {
        qWarning("%s", qPrintable(error));
    }
    return nutrients;
}

FoodNutrientChanges changesOf(
    std::optional<std::optional<double>> grams, const QHash<QString, std::optional<double>>& values)
{
    FoodNutrientChanges changes;
    changes.servingGramsChanged = grams.has_value();
    changes.servingGrams = grams.value_or(std::nullopt);
    changes.values = values;
    return changes;
}

QStringList tableInfo(OtherProgram& other)
{
    QSqlQuery query(other.database());
    query.exec(QStringLiteral("PRAGMA table_info(foods)"));
    QStringList columns;
    while (query.next()) {
        columns.append(QStringLiteral("%1 %2 %3")
                           .arg(query.value(1).toString(), query.value(2).toString(), query.value(4).toString()));
    }
    return columns;
}

const FoodNutrients kApple { 182.0, { { QStringLiteral("203"), 0.47 }, { QStringLiteral("307"), 2.0 } } };

// A grid column's amounts with its unknowns (not-a-number) as none, to compare.
std::vector<std::optional<double>> known(const std::vector<double>& amounts)
{
    std::vector<std::optional<double>> result;
    for (const double amount : amounts) {
        result.push_back(std::isnan(amount) ? std::nullopt : std::optional<double>(amount));
    }
    return result;
}

} // namespace

// The nutrients a food keeps beside its ten fields: unknown stays apart from 0, and the values
// stay with their food whatever another program does to the table.
class TestFoodNutrients : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesKeepUnknownApartFromZero_data();
    void writesKeepUnknownApartFromZero();
    void badWritesChangeNothing_data();
    void badWritesChangeNothing();
    void valuesFollowTheirFood_data();
    void valuesFollowTheirFood();
    void foodsTableLooksAsBefore();
    void deletedFoodDropsItsNutrients();
    void columnsForAGrid();
    void importWritesNutrients();
    void servingGramsByName_data();
    void servingGramsByName();

private:
    // Apple (row 1) keeps kApple; Banana (row 2) and Cherry (row 3) keep nothing.
    void writeApple();
    // Another program runs `statements` on the food table, each of which must succeed.
    bool otherProgramRuns(const QStringList& statements);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<SqliteFoodStore> m_store;
};

void TestFoodNutrients::init()
{
    m_store.reset();
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium (182 g)"), { "94.6" }),
        foodRow(QStringLiteral("Banana"), QStringLiteral("1 medium (118 g)"), { "105" }),
        foodRow(QStringLiteral("Cherry"), QStringLiteral("100 g"), { "50" }) });
    m_store = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_store->refresh(&error), qPrintable(error));
}

void TestFoodNutrients::writeApple()
{
    QString error;
    FoodNutrientChanges changes = changesOf(kApple.servingGrams, {});
    for (auto it = kApple.values.cbegin(); it != kApple.values.cend(); ++it) {
        changes.values.insert(it.key(), it.value());
    }
    QVERIFY2(m_store->writeFoodNutrients(1, QStringLiteral("Apple"), changes, &error), qPrintable(error));
}

bool TestFoodNutrients::otherProgramRuns(const QStringList& statements)
{
    OtherProgram other(m_folder->databasePath());
    return std::all_of(statements.cbegin(), statements.cend(), [&](const QString& sql) { return other.exec(sql); });
}

void TestFoodNutrients::writesKeepUnknownApartFromZero_data()
{
    QTest::addColumn<FoodNutrientChanges>("first");
    QTest::addColumn<FoodNutrientChanges>("second");
    QTest::addColumn<FoodNutrients>("expected");
    const QString protein = QStringLiteral("203");
    const QString sodium = QStringLiteral("307");
    QTest::newRow("zero is a value") << changesOf({}, { { protein, 0.0 } }) << FoodNutrientChanges()
                                     << FoodNutrients { {}, { { protein, 0.0 } } };
    QTest::newRow("unknown grams, known values") << changesOf(std::optional<double>(), { { sodium, 12.5 } })
                                                 << FoodNutrientChanges() << FoodNutrients { {}, { { sodium, 12.5 } } };
    QTest::newRow("a value made unknown")
        << changesOf(30.0, { { protein, 0.0 }, { sodium, 12.5 } }) << changesOf({}, { { protein, std::nullopt } })
        << FoodNutrients { 30.0, { { sodium, 12.5 } } };
    QTest::newRow("grams made unknown, values kept")
        << changesOf(30.0, { { protein, 3.0 } }) << changesOf(std::optional<double>(), {})
        << FoodNutrients { {}, { { protein, 3.0 } } };
    QTest::newRow("only what changed is written")
        << changesOf(30.0, { { protein, 3.0 }, { sodium, 1.0 } }) << changesOf({}, { { sodium, 0.0 } })
        << FoodNutrients { 30.0, { { protein, 3.0 }, { sodium, 0.0 } } };
}

void TestFoodNutrients::writesKeepUnknownApartFromZero()
{
    QFETCH(FoodNutrientChanges, first);
    QFETCH(FoodNutrientChanges, second);
    QFETCH(FoodNutrients, expected);
    QString error;
    QVERIFY2(m_store->writeFoodNutrients(2, QStringLiteral("Banana"), first, &error), qPrintable(error));
    QVERIFY2(m_store->writeFoodNutrients(2, QStringLiteral("Banana"), second, &error), qPrintable(error));
    QCOMPARE(nutrientsOf(*m_store, 2), expected);
    // Read afresh by another connection, as the next start reads it.
    SqliteFoodStore again(m_folder->databasePath());
    QVERIFY(again.refresh(&error));
    QCOMPARE(nutrientsOf(again, 2), expected);
    QCOMPARE(nutrientsOf(again, 1), FoodNutrients());
}

void TestFoodNutrients::badWritesChangeNothing_data()
{
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<FoodNutrientChanges>("changes");
    QTest::newRow("row renamed since it was shown")
        << QStringLiteral("Apples") << changesOf({}, { { QStringLiteral("203"), 1.0 } });
    QTest::newRow("nutrient not in the catalogue") << QStringLiteral(
        "Apple") << changesOf({}, { { QStringLiteral("203"), 1.0 }, { QStringLiteral("99999"), 1.0 } });
    QTest::newRow("not a number") << QStringLiteral(
        "Apple") << changesOf({}, { { QStringLiteral("307"), std::numeric_limits<double>::quiet_NaN() } });
    QTest::newRow("infinite") << QStringLiteral("Apple")
                              << changesOf({}, { { QStringLiteral("307"), std::numeric_limits<double>::infinity() } });
    QTest::newRow("no weight") << QStringLiteral("Apple") << changesOf(0.0, {});
}

void TestFoodNutrients::badWritesChangeNothing()
{
    QFETCH(QString, shownName);
    QFETCH(FoodNutrientChanges, changes);
    writeApple();
    QString error;
    QVERIFY(!m_store->writeFoodNutrients(1, shownName, changes, &error));
    QVERIFY(error.contains(m_folder->databasePath()));
    QCOMPARE(nutrientsOf(*m_store, 1), kApple);
}

void TestFoodNutrients::valuesFollowTheirFood_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<bool>("kept");
    const QString create = FoodDatabase::createTableStatement();
    QTest::newRow("renamed by another program")
        << QStringList { QStringLiteral("UPDATE foods SET FOOD = 'Apple, raw' WHERE rowid = 1") } << true;
    QTest::newRow("serving changed by another program")
        << QStringList { QStringLiteral("UPDATE foods SET SERVING_UN = '1 large' WHERE rowid = 1") } << true;
    // Banana and Cherry go, so the new food takes rowid 1 again.
    QTest::newRow("deleted, its rowid given to a new food") << QStringList { QStringLiteral("DELETE FROM foods"),
        QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN) VALUES ('Walnut', '1 oz')") }
                                                            << false;
    QTest::newRow("table dropped and refilled in another order") << QStringList { QStringLiteral("DROP TABLE foods"),
        create, QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN, CALORIES) VALUES ('Cherry', '100 g', 50)"),
        QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN, CALORIES) VALUES ('Apple', '1 medium (182 g)', "
                       "94.6)") } << false;
}

void TestFoodNutrients::valuesFollowTheirFood()
{
    QFETCH(QStringList, statements);
    QFETCH(bool, kept);
    writeApple();
    QVERIFY(otherProgramRuns(statements));
    QString error;
    QVERIFY2(m_store->refresh(&error), qPrintable(error));
    QCOMPARE(nutrientsOf(*m_store, 1), kept ? kApple : FoodNutrients());
    std::vector<std::vector<double>> columns;
    QVERIFY(m_store->readNutrientColumns({ QStringLiteral("307") }, { 1 }, &columns, &error));
    QCOMPARE(
        known(columns[0]), (std::vector<std::optional<double>> { kept ? std::optional<double>(2.0) : std::nullopt }));
    // A value written now belongs to the food the row bears now, and nothing of the old one
    // comes with it.
    QStringList record;
    QVERIFY(m_store->readRecord(1, &record, &error));
    QVERIFY2(m_store->writeFoodNutrients(1, record.value(0), changesOf({}, { { QStringLiteral("208"), 1.0 } }), &error),
        qPrintable(error));
    FoodNutrients expected = kept ? kApple : FoodNutrients();
    expected.values.insert(QStringLiteral("208"), 1.0);
    QCOMPARE(nutrientsOf(*m_store, 1), expected);
}

void TestFoodNutrients::foodsTableLooksAsBefore()
{
    QStringList before;
    {
        OtherProgram other(m_folder->databasePath());
        before = tableInfo(other);
    }
    writeApple();
    OtherProgram other(m_folder->databasePath());
    QCOMPARE(tableInfo(other), before);
    QCOMPARE(
        other.value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'foods'"))
            .toInt(),
        2);
    // The program's own reading of the food table sees the foods as they were.
    FoodDatabase table;
    QString error;
    QVERIFY2(table.open(m_folder->databasePath(), &error), qPrintable(error));
    std::vector<TextColumn> columns;
    std::vector<qint64> rows;
    QVERIFY(table.readColumns({ FoodFields::FOOD, FoodFields::CALORIES }, &columns, &rows, &error));
    QCOMPARE(columns[0].size(), 3);
    QCOMPARE(columns[1].at(0), QStringLiteral("94.6"));
    QStringList record;
    QVERIFY(table.readRecord(1, &record, &error));
    QCOMPARE(record.size(), 10);
}

void TestFoodNutrients::deletedFoodDropsItsNutrients()
{
    writeApple();
    QString error;
    QVERIFY2(m_store->deleteRecord(1, QStringLiteral("Apple"), &error), qPrintable(error));
    OtherProgram other(m_folder->databasePath());
    QCOMPARE(other.value(QStringLiteral("SELECT count(*) FROM food_nutrients")).toInt(), 0);
    QCOMPARE(other.value(QStringLiteral("SELECT count(*) FROM food_servings")).toInt(), 0);
}

void TestFoodNutrients::columnsForAGrid()
{
    writeApple();
    QString error;
    QVERIFY(m_store->writeFoodNutrients(
        3, QStringLiteral("Cherry"), changesOf({}, { { QStringLiteral("307"), 0.0 } }), &error));
    std::vector<std::vector<double>> columns;
    // Rows in any order, a number twice, a number the catalogue lacks.
    QVERIFY2(m_store->readNutrientColumns(
                 { QStringLiteral("307"), QStringLiteral("203"), QStringLiteral("99"), QStringLiteral("307") },
                 { 3, 1, 2 }, &columns, &error),
        qPrintable(error));
    using V = std::vector<std::optional<double>>;
    QCOMPARE(columns.size(), std::size_t(4));
    QCOMPARE(known(columns[0]), (V { 0.0, 2.0, std::nullopt }));
    QCOMPARE(known(columns[1]), (V { std::nullopt, 0.47, std::nullopt }));
    QCOMPARE(known(columns[2]), (V { std::nullopt, std::nullopt, std::nullopt }));
    QCOMPARE(known(columns[3]), known(columns[0]));
}

void TestFoodNutrients::importWritesNutrients()
{
    writeApple();
    QString error;
    {
        std::unique_ptr<FoodImportSession> session = m_store->beginImport(&error);
        QVERIFY2(session, qPrintable(error));
        QCOMPARE(session->nutrientCatalogue().size(), NutrientCatalogue::starter().size());
        QVERIFY2(session->addNutrient({ QStringLiteral("957.1"), QStringLiteral("Something"), QStringLiteral("mcg"),
                                          NutrientGroup::Other, 0 },
                     &error),
            qPrintable(error));
        QVERIFY(!session->addNutrient(
            { QStringLiteral("307"), QStringLiteral("Sodium"), QStringLiteral("mg"), NutrientGroup::Minerals, 0 },
            &error));
        FoodImportSession::RowId row = 0;
        QVERIFY(session->insertFood(QStringLiteral("Date"), QStringLiteral("1 date (24 g)"), {}, &row, &error));
        QVERIFY2(session->writeNutrients(
                     row, { 24.0, { { QStringLiteral("957.1"), 5.0 }, { QStringLiteral("307"), 0.0 } } }, &error),
            qPrintable(error));
        // A food replaced by the import loses what it kept for its old values.
        QVERIFY(session->replaceFood(1, QStringLiteral("Apple"), QStringLiteral("1 small"), {}, &error));
        QVERIFY2(session->commit({}, &error), qPrintable(error));
    }
    NutrientCatalogue catalogue;
    QVERIFY(m_store->nutrientCatalogue(&catalogue, &error));
    QCOMPARE(catalogue.find(u"957.1")->unit, QStringLiteral("µg"));
    QCOMPARE(nutrientsOf(*m_store, rowOf(*m_store, QStringLiteral("Date"))),
        (FoodNutrients { 24.0, { { QStringLiteral("957.1"), 5.0 }, { QStringLiteral("307"), 0.0 } } }));
    QCOMPARE(nutrientsOf(*m_store, 1), FoodNutrients());
}

void TestFoodNutrients::servingGramsByName_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<double>>("grams");
    QTest::newRow("kept") << QStringList() << "Apple" << std::optional(182.0);
    QTest::newRow("none kept") << QStringList() << "Banana" << std::optional<double>();
    QTest::newRow("no such food") << QStringList() << "Durian" << std::optional<double>();
    QTest::newRow("renamed by another program")
        << QStringList { QStringLiteral("UPDATE foods SET FOOD = 'Apple, raw' WHERE rowid = 1") } << "Apple, raw"
        << std::optional(182.0);
    // The first row of the name is the food a plan counts; a later one's grams are not its.
    QTest::newRow("a later row of the same name")
        << QStringList { QStringLiteral("INSERT INTO foods (FOOD, SERVING_UN) VALUES ('Banana', '1 large (136 g)')"),
               QStringLiteral("INSERT INTO food_servings (food, name, grams) VALUES (4, 'Banana', 136)") }
        << "Banana" << std::optional<double>();
}

void TestFoodNutrients::servingGramsByName()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, name);
    QFETCH(std::optional<double>, grams);
    writeApple();
    QVERIFY(otherProgramRuns(statements));
    QString error;
    QVERIFY2(m_store->refresh(&error), qPrintable(error));
    std::optional<double> read = 1.0;
    QVERIFY2(m_store->servingGramsOf(name, &read, &error), qPrintable(error));
    QCOMPARE(read, grams);
}

QTEST_GUILESS_MAIN(TestFoodNutrients)
#include "TestFoodNutrients.moc"

// The food table's contract, the same on every engine: this program runs once on SQLite and once
// on a PostgreSQL server of its own (PLATEWELL_TEST_ENGINE), and checks that a table on the engine
// hands back exactly what an SQLite table gives for the same writes.

#include "EngineStores.h"
#include "TestSupport.h"
#include "core/foods/FoodLookup.h"
#include "core/postgres/PgConnection.h"
#include "core/storage/FoodImportSession.h"
#include "core/storage/FoodStoreOpener.h"

#include <QTest>

#include <algorithm>
#include <cstring>
#include <random>

class TestFoodStoreEngines : public QObject
{
    Q_OBJECT

private slots:
    void cellsReadAsOnSqlite_data();
    void cellsReadAsOnSqlite();
    void namesComeInByteOrder();
    void writesCheckTheShownName_data();
    void writesCheckTheShownName();
    void nutrientsAreUnknownUnlessWritten();
    void importEndsWhole_data();
    void importEndsWhole();
    void richestFoodsAreTheTopOfAFullSort();
    void aStopEndsEveryRead();
    void aNewerTableIsRefused();
    void aWriteWaitsForALookupOnAServer();
    void recipesAreRefusedOnAServer();
};

namespace {

std::unique_ptr<FoodStore> store(const QStringList& rows, const QString& engine = EngineStores::engine())
{
    QString error;
    std::unique_ptr<FoodStore> made = EngineStores::storeWith(rows, &error, engine);
    if (!made) {
        qWarning() << error;
    }
    return made;
}

// Every row as readRows() hands it, each cell spelled with its kind.
QStringList storedRows(const FoodStore& foods)
{
    QStringList rows;
    QString error;
    const bool read = foods.readRows(
        [&](const StoredRow& row, QString*) {
            QStringList cells;
            for (const StoredCell& cell : row) {
                cells.append(storedCellText(cell));
            }
            rows.append(cells.join(QStringLiteral(" | ")));
            return true;
        },
        &error);
    if (!read) {
        qWarning() << error;
    }
    return rows;
}

QStringList allTexts(const FoodStore& foods)
{
    std::vector<FoodFields::Field> fields;
    for (int f = 0; f < FoodFields::FieldCount; ++f) {
        fields.push_back(FoodFields::Field(f));
    }
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rows;
    QString error;
    if (!foods.readColumns(fields, &columns, &rows, &error)) {
        qWarning() << error;
        return {};
    }
    QStringList texts;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QStringList cells;
        for (const TextColumn& column : columns) {
            cells.append(column.at(qsizetype(r)));
        }
        QStringList record;
        if (!foods.readRecord(rows[r], &record, &error)) {
            qWarning() << error;
        }
        texts.append(cells.join(u'|') + QStringLiteral(" / ") + record.join(u'|'));
    }
    return texts;
}

// The eight nutrients of every row of that name, bit for bit, through nutrientsOf() and a lookup.
QStringList nutrientBits(const FoodStore& foods, const QString& name)
{
    std::vector<FoodStore::Nutrients> rows;
    QString error;
    if (!foods.nutrientsOf(name, &rows, &error)) {
        qWarning() << error;
    }
    const std::unique_ptr<FoodLookup> lookup = foods.lookup();
    const std::vector<FoodLookup::Nutrients>* looked = lookup->rowsNamed(name, &error);
    QStringList bits;
    for (const auto& values : rows) {
        bits.append(
            QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(values.data()), sizeof values).toHex()));
    }
    if (!looked || looked->size() != rows.size() || !std::equal(rows.begin(), rows.end(), looked->begin())) {
        bits.append(QStringLiteral("the lookup differs"));
    }
    return bits;
}

QStringList row(const QString& name, const QString& unit, const QString& nutrient)
{
    QStringList values { name, unit };
    for (int n = 0; n < FoodFields::NutrientCount; ++n) {
        values.append(n == 0 || n == 5 ? nutrient : QString::number(n));
    }
    return values;
}

} // namespace

void TestFoodStoreEngines::cellsReadAsOnSqlite_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("decimal") << QStringLiteral("95.3");
    QTest::newRow("integer") << QStringLiteral("120");
    QTest::newRow("negative") << QStringLiteral("-4");
    QTest::newRow("leading zeros") << QStringLiteral("007");
    QTest::newRow("blanks around") << QStringLiteral(" 12 ");
    QTest::newRow("plus sign") << QStringLiteral("+5");
    QTest::newRow("exponent of an integer") << QStringLiteral("3.0e+5");
    QTest::newRow("tiny") << QStringLiteral("1e-300");
    QTest::newRow("huge") << QStringLiteral("1e20");
    QTest::newRow("beyond 64 bits") << QStringLiteral("99999999999999999999");
    QTest::newRow("beyond a double") << QStringLiteral("1e400");
    QTest::newRow("minus zero") << QStringLiteral("-0.0");
    QTest::newRow("seventeen digits") << QStringLiteral("0.30000000000000004");
    QTest::newRow("unit typed") << QStringLiteral("12.5g");
    QTest::newRow("comma") << QStringLiteral("1,5");
    QTest::newRow("words") << QStringLiteral("n/a");
    QTest::newRow("inf") << QStringLiteral("inf");
    QTest::newRow("an infinity's spelling") << QStringLiteral("-1e999");
    QTest::newRow("empty") << QString();
    QTest::newRow("unicode") << QStringLiteral("½ Tasse, 豆腐 🍓");
}

void TestFoodStoreEngines::cellsReadAsOnSqlite()
{
    QFETCH(QString, typed);
    // Written alike through insertRecord() and updateFields(), on the engine and on SQLite.
    std::unique_ptr<FoodStore> foods = store({});
    std::unique_ptr<FoodStore> sqlite = store({}, QStringLiteral("sqlite"));
    QVERIFY(foods && sqlite);
    for (FoodStore* table : { foods.get(), sqlite.get() }) {
        QString error;
        FoodStore::RowId inserted = 0;
        FoodStore::RowId updated = 0;
        QVERIFY2(table->insertRecord(row(typed, typed, typed), &inserted, &error), qPrintable(error));
        QVERIFY2(
            table->insertRecord(row(QStringLiteral("B"), QStringLiteral("g"), QStringLiteral("1")), &updated, &error),
            qPrintable(error));
        QVERIFY2(table->updateFields(updated, QStringLiteral("B"),
                     { { FoodFields::CALORIES, typed }, { FoodFields::SUGAR, typed } }, &error),
            qPrintable(error));
        // An import gives a nutrient as typed, or as the number a source read in it.
        std::unique_ptr<FoodImportSession> import = table->beginImport(&error);
        QVERIFY2(import, qPrintable(error));
        FoodImportSession::Nutrients nutrients;
        nutrients[0] = typed;
        bool isNumber = false;
        const double number = typed.toDouble(&isNumber);
        nutrients[1] = isNumber ? QVariant(number) : QVariant();
        FoodImportSession::RowId imported = 0;
        QVERIFY2(import->insertFood(QStringLiteral("C"), typed, nutrients, &imported, &error), qPrintable(error));
        QVERIFY2(import->commit({}, &error), qPrintable(error));
    }
    QCOMPARE(storedRows(*foods), storedRows(*sqlite));
    QCOMPARE(allTexts(*foods), allTexts(*sqlite));
    QCOMPARE(nutrientBits(*foods, QStringLiteral("B")), nutrientBits(*sqlite, QStringLiteral("B")));
    QCOMPARE(nutrientBits(*foods, typed), nutrientBits(*sqlite, typed));
    QCOMPARE(nutrientBits(*foods, QStringLiteral("C")), nutrientBits(*sqlite, QStringLiteral("C")));
}

void TestFoodStoreEngines::namesComeInByteOrder()
{
    const QStringList names { QStringLiteral("apple"), QStringLiteral("Apple"), QStringLiteral("Äpfel"),
        QStringLiteral("Zebra"), QStringLiteral("éclair"), QStringLiteral("🍓 jam"), QStringLiteral("ﬁg"),
        QStringLiteral("Apple"), QStringLiteral(""), QStringLiteral("apple pie"), QStringLiteral("a b"),
        QStringLiteral("a-b") };
    QStringList rows;
    for (const QString& name : names) {
        rows.append(foodRow(name, QStringLiteral("1 cup")));
    }
    std::unique_ptr<FoodStore> foods = store(rows);
    QVERIFY(foods);
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> ids;
    std::vector<std::uint32_t> order;
    QString error;
    QVERIFY2(foods->readColumns({ FoodFields::FOOD }, &columns, &ids, &error), qPrintable(error));
    QVERIFY2(foods->readNameOrder(ids, &order, &error), qPrintable(error));
    // By UTF-8 bytes, equal names by identity: SQLite's BINARY collation.
    std::vector<std::uint32_t> expected(names.size());
    for (std::uint32_t i = 0; i < expected.size(); ++i) {
        expected[i] = i;
    }
    std::stable_sort(expected.begin(), expected.end(),
        [&](std::uint32_t a, std::uint32_t b) { return names[a].toUtf8() < names[b].toUtf8(); });
    QCOMPARE(order, expected);
    std::vector<TextColumn> first;
    std::vector<FoodStore::RowId> firstIds;
    QVERIFY2(foods->readFirstRows({ FoodFields::FOOD }, 5, true, &first, &firstIds, &error), qPrintable(error));
    QCOMPARE(firstIds.size(), std::size_t(5));
    for (std::size_t i = 0; i < 5; ++i) {
        QCOMPARE(firstIds[i], ids[expected[i]]);
    }
    QVERIFY2(foods->readFirstRows({ FoodFields::FOOD }, 3, false, &first, &firstIds, &error), qPrintable(error));
    QCOMPARE(firstIds, std::vector<FoodStore::RowId>(ids.begin(), ids.begin() + 3));
    QCOMPARE(foods->rowCount(&error), qint64(names.size()));
    QVERIFY(foods->rowCountBound(&error) >= qint64(names.size()));
}

void TestFoodStoreEngines::writesCheckTheShownName_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<bool>("written");
    for (const char* write : { "update", "delete", "nutrients" }) {
        QTest::addRow("%s as shown", write) << QString::fromLatin1(write) << QStringLiteral("Apple") << true;
        QTest::addRow("%s renamed meanwhile", write) << QString::fromLatin1(write) << QStringLiteral("Pear") << false;
        QTest::addRow("%s of a deleted row", write) << QString::fromLatin1(write) << QString() << false;
    }
}

void TestFoodStoreEngines::writesCheckTheShownName()
{
    QFETCH(QString, write);
    QFETCH(QString, shownName);
    QFETCH(bool, written);
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { "95" }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { "80" }) });
    QVERIFY(foods);
    FoodStore::RowId row = rowOf(*foods, QStringLiteral("Apple"));
    QString error;
    if (shownName.isEmpty()) {
        // Gone: another program deleted it.
        QVERIFY2(foods->deleteRecord(row, QStringLiteral("Apple"), &error), qPrintable(error));
        shownName = QStringLiteral("Apple");
    }
    const QStringList before = allTexts(*foods);
    NutrientCatalogue catalogue;
    QVERIFY2(foods->nutrientCatalogue(&catalogue, &error), qPrintable(error));
    FoodNutrientChanges changes;
    changes.values.insert(catalogue.nutrients().front().number, 2.5);
    bool ok = false;
    if (write == QLatin1String("update")) {
        ok = foods->updateFields(row, shownName, { { FoodFields::CALORIES, QStringLiteral("96") } }, &error);
    } else if (write == QLatin1String("delete")) {
        ok = foods->deleteRecord(row, shownName, &error);
    } else {
        ok = foods->writeFoodNutrients(row, shownName, changes, &error);
    }
    QCOMPARE(ok, written);
    if (!written) {
        QVERIFY2(error.endsWith(QLatin1String(": the food is no longer in the table")), qPrintable(error));
        QVERIFY2(
            error.contains(EngineStores::onServer() ? PgConnection::displayName(foods->location()) : foods->location()),
            qPrintable(error));
        QCOMPARE(allTexts(*foods), before);
    } else {
        QVERIFY(allTexts(*foods) != before || write == QLatin1String("nutrients"));
    }
}

void TestFoodStoreEngines::nutrientsAreUnknownUnlessWritten()
{
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium")),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice")) });
    QVERIFY(foods);
    QString error;
    NutrientCatalogue catalogue;
    QVERIFY2(foods->nutrientCatalogue(&catalogue, &error), qPrintable(error));
    QCOMPARE(catalogue.nutrients(), NutrientCatalogue::starter().nutrients());
    const QString a = catalogue.nutrients().at(0).number;
    const QString b = catalogue.nutrients().at(1).number;
    FoodNutrientChanges changes;
    changes.servingGramsChanged = true;
    changes.servingGrams = 182;
    changes.values.insert(a, 0.0);
    QVERIFY(writeNutrients(*foods, QStringLiteral("Apple"), changes));
    FoodNutrients apple = nutrientsOf(*foods, QStringLiteral("Apple"));
    QCOMPARE(apple.servingGrams, std::optional<double>(182));
    QCOMPARE(apple.values.value(a, -1), 0.0);
    QVERIFY(!apple.values.contains(b));
    QCOMPARE(nutrientsOf(*foods, QStringLiteral("Bread")), FoodNutrients());

    // The reads in bulk tell the same.
    const FoodStore::RowId appleRow = rowOf(*foods, QStringLiteral("Apple"));
    const FoodStore::RowId breadRow = rowOf(*foods, QStringLiteral("Bread"));
    std::vector<std::vector<double>> columns;
    QVERIFY2(foods->readNutrientColumns({ a, b }, { breadRow, appleRow }, &columns, &error), qPrintable(error));
    QVERIFY(std::isnan(columns[0][0]) && columns[0][1] == 0 && std::isnan(columns[1][1]));
    std::vector<double> grams;
    QVERIFY2(foods->readServingGrams({ breadRow, appleRow }, &grams, &error), qPrintable(error));
    QVERIFY(std::isnan(grams[0]) && grams[1] == 182);
    QStringList walked;
    QVERIFY2(foods->readRowsWithNutrients(
                 { b, a },
                 [&](const StoredRow& row, const std::optional<double>& servingGrams,
                     const std::vector<std::optional<double>>& values, QString*) {
                     walked.append(QStringLiteral("%1 %2 %3 %4")
                                       .arg(QString::fromUtf8(row[0].text))
                                       .arg(servingGrams ? *servingGrams : -1)
                                       .arg(values[0] ? *values[0] : -1)
                                       .arg(values[1] ? *values[1] : -1));
                     return true;
                 },
                 &error),
        qPrintable(error));
    QCOMPARE(walked, QStringList({ QStringLiteral("Apple 182 -1 0"), QStringLiteral("Bread -1 -1 -1") }));
    // A calculation's lookup hands them out by slot, unknown as not-a-number.
    {
        const std::unique_ptr<FoodLookup> lookup = foods->lookup();
        QVERIFY2(lookup->includeNutrients(&error), qPrintable(error));
        const QStringList& numbers = lookup->nutrientNumbers();
        QCOMPARE(numbers.size(), catalogue.size());
        const std::vector<FoodLookup::KeptNutrients>* kept = lookup->nutrientsNamed(QStringLiteral("Apple"), &error);
        QVERIFY2(kept, qPrintable(error));
        QCOMPARE(kept->size(), std::size_t(1));
        QCOMPARE(kept->front().values.at(std::size_t(numbers.indexOf(a))), 0.0);
        QVERIFY(std::isnan(kept->front().values.at(std::size_t(numbers.indexOf(b)))));
        QVERIFY(lookup->nutrientsNamed(QStringLiteral("Nothing"), &error)->empty());
    }
    std::optional<double> servingGrams;
    QVERIFY2(foods->servingGramsOf(QStringLiteral("Apple"), &servingGrams, &error), qPrintable(error));
    QCOMPARE(servingGrams, std::optional<double>(182));

    // A rename takes them along; a value made unknown is gone, not 0; a value no number is refused.
    QVERIFY2(foods->updateFields(
                 appleRow, QStringLiteral("Apple"), { { FoodFields::FOOD, QStringLiteral("Red apple") } }, &error),
        qPrintable(error));
    QCOMPARE(nutrientsOf(*foods, QStringLiteral("Red apple")).servingGrams, std::optional<double>(182));
    FoodNutrientChanges unknown;
    unknown.values.insert(a, std::nullopt);
    QVERIFY(writeNutrients(*foods, QStringLiteral("Red apple"), unknown));
    QVERIFY(nutrientsOf(*foods, QStringLiteral("Red apple")).values.isEmpty());
    FoodNutrientChanges bad;
    bad.values.insert(a, std::numeric_limits<double>::infinity());
    QVERIFY(!foods->writeFoodNutrients(appleRow, QStringLiteral("Red apple"), bad, &error));
    QVERIFY2(error.contains(QLatin1String("is not a number")), qPrintable(error));
}

void TestFoodStoreEngines::importEndsWhole_data()
{
    QTest::addColumn<bool>("commit");
    QTest::newRow("committed") << true;
    QTest::newRow("rolled back") << false;
}

void TestFoodStoreEngines::importEndsWhole()
{
    QFETCH(bool, commit);
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { "95" }),
        foodRow(QStringLiteral("Apple"), QStringLiteral("1 small"), { "70" }) });
    QVERIFY(foods);
    const QStringList before = allTexts(*foods);
    QString error;
    std::unique_ptr<FoodImportSession> import = foods->beginImport(&error);
    QVERIFY2(import, qPrintable(error));
    std::vector<FoodImportSession::RowId> rows;
    QVERIFY2(import->findRows(QStringLiteral("Apple"), FoodImportSession::AllRows, &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), std::size_t(2));
    QVERIFY2(import->findRows(QStringLiteral("Apple"), 1, &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), std::size_t(1));
    FoodImportSession::Nutrients values;
    values[0] = 52.0;
    values[1] = QStringLiteral("13.8");
    values[2] = QStringLiteral("n/a");
    QVERIFY2(import->replaceFood(rows.front(), QStringLiteral("Apple"), QStringLiteral("100 g"), values, &error),
        qPrintable(error));
    FoodImportSession::RowId added = 0;
    QVERIFY2(import->insertFood(QStringLiteral("Kiwi"), QStringLiteral("1 fruit"), values, &added, &error),
        qPrintable(error));
    const Nutrient extra { QStringLiteral("99001"), QStringLiteral("Imported thing"), QStringLiteral("mg") };
    QVERIFY2(import->addNutrient(extra, &error), qPrintable(error));
    QVERIFY(import->nutrientCatalogue().find(extra.number));
    FoodNutrients kept;
    kept.servingGrams = 69;
    kept.values.insert(extra.number, 4.25);
    QVERIFY2(import->writeNutrients(added, kept, &error), qPrintable(error));
    // A name inserted twice within the import is found, first to last, and its second row can be
    // replaced and given nutrients anew.
    FoodImportSession::RowId again = 0;
    QVERIFY2(import->insertFood(QStringLiteral("Kiwi"), QStringLiteral("1 fruit"), values, &again, &error),
        qPrintable(error));
    QVERIFY2(import->findRows(QStringLiteral("Kiwi"), FoodImportSession::AllRows, &rows, &error), qPrintable(error));
    QCOMPARE(rows, std::vector<FoodImportSession::RowId>({ added, again }));
    QVERIFY2(import->findRows(QStringLiteral("Kiwi"), 1, &rows, &error), qPrintable(error));
    QCOMPARE(rows, std::vector<FoodImportSession::RowId>({ added }));
    QVERIFY2(import->writeNutrients(again, kept, &error), qPrintable(error));
    QVERIFY2(import->replaceFood(again, QStringLiteral("Gold kiwi"), QStringLiteral("1 fruit"), values, &error),
        qPrintable(error));
    FoodNutrients gold;
    gold.values.insert(extra.number, 5);
    QVERIFY2(import->writeNutrients(again, gold, &error), qPrintable(error));
    if (commit) {
        QVERIFY2(import->commit({}, &error), qPrintable(error));
    } else {
        import->rollback();
    }
    import.reset();
    if (!commit) {
        QCOMPARE(allTexts(*foods), before);
        NutrientCatalogue catalogue;
        QVERIFY2(foods->nutrientCatalogue(&catalogue, &error), qPrintable(error));
        QVERIFY(!catalogue.find(extra.number));
        return;
    }
    QCOMPARE(foods->rowCount(&error), qint64(4));
    QCOMPARE(nutrientsOf(*foods, QStringLiteral("Gold kiwi")), gold);
    QStringList record;
    QVERIFY2(foods->readRecord(added, &record, &error), qPrintable(error));
    QCOMPARE(record.mid(0, 5),
        QStringList({ QStringLiteral("Kiwi"), QStringLiteral("1 fruit"), QStringLiteral("52"), QStringLiteral("13.8"),
            QStringLiteral("n/a") }));
    QCOMPARE(nutrientsOf(*foods, QStringLiteral("Kiwi")), kept);
}

void TestFoodStoreEngines::richestFoodsAreTheTopOfAFullSort()
{
    QStringList rows;
    for (int i = 0; i < 700; ++i) {
        rows.append(foodRow(QStringLiteral("Food %1").arg(i), QStringLiteral("1 cup")));
    }
    std::unique_ptr<FoodStore> foods = store(rows);
    QVERIFY(foods);
    const QString number = NutrientCatalogue::starter().nutrients().front().number;
    std::mt19937 random(7);
    std::vector<std::pair<double, QString>> all;
    for (int i = 0; i < 700; ++i) {
        if (i % 9 == 0) {
            continue; // unknown, never ranked
        }
        // Few distinct values, so that ties stand at the bound.
        const double value = double(random() % 200) / 4;
        FoodNutrientChanges changes;
        changes.values.insert(number, value);
        QVERIFY(writeNutrients(*foods, QStringLiteral("Food %1").arg(i), changes));
        all.emplace_back(value, QStringLiteral("Food %1").arg(i));
    }
    std::vector<FoodStore::RichFood> richest;
    bool found = false;
    QString error;
    QVERIFY2(foods->readRichest(number, &richest, &found, &error), qPrintable(error));
    if (!found) {
        QSKIP("this table keeps no list of the richest foods");
    }
    QVERIFY(!richest.empty());
    double least = richest.front().value;
    for (const FoodStore::RichFood& food : richest) {
        least = std::min(least, food.value);
    }
    // Every food above the least value given is given, with its name and value.
    std::vector<std::pair<double, QString>> expected;
    for (const auto& food : all) {
        if (food.first > least) {
            expected.push_back(food);
        }
    }
    std::vector<std::pair<double, QString>> given;
    for (const FoodStore::RichFood& food : richest) {
        if (food.value > least) {
            given.emplace_back(food.value, food.name);
        }
    }
    std::sort(expected.begin(), expected.end());
    std::sort(given.begin(), given.end());
    QCOMPARE(given, expected);
    // At least as many as a window of the richest shows, where the table has them.
    QVERIFY(richest.size() >= std::min<std::size_t>(300, all.size()));
}

void TestFoodStoreEngines::aStopEndsEveryRead()
{
    QStringList rows;
    for (int i = 0; i < 3000; ++i) {
        rows.append(foodRow(QStringLiteral("Food %1").arg(i), QStringLiteral("1 cup")));
    }
    std::unique_ptr<FoodStore> foods = store(rows);
    QVERIFY(foods);
    std::atomic<bool> stop = false;
    foods->stopReadsWhen(&stop);
    int seen = 0;
    QString error;
    const auto visit = [&](const StoredRow&, QString*) {
        // Stopped from outside while the rows are handed out.
        if (++seen == 10) {
            stop = true;
        }
        return true;
    };
    QVERIFY(!foods->readRows(visit, &error));
    QVERIFY(seen < 3000);
    QVERIFY(!error.isEmpty());
    std::vector<TextColumn> columns;
    QVERIFY(!foods->readColumns({ FoodFields::FOOD }, &columns, nullptr, &error));
    stop = false;
    seen = 0;
    QVERIFY2(foods->readColumns({ FoodFields::FOOD }, &columns, nullptr, &error), qPrintable(error));
    QCOMPARE(columns.front().size(), 3000);
}

void TestFoodStoreEngines::aNewerTableIsRefused()
{
    if (!EngineStores::onServer()) {
        QSKIP("an SQLite table keeps no version of its tables");
    }
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium")) });
    QVERIFY(foods);
    PgConnection db;
    QString error;
    QVERIFY2(db.open(foods->location(), &error), qPrintable(error));
    QVERIFY2(db.execute("UPDATE platewell_schema SET version = version + 1", &error), qPrintable(error));
    QVERIFY(!FoodStoreOpener::open(foods->location(), &error));
    QVERIFY2(error.contains(QLatin1String("made by a newer version of Platewell")), qPrintable(error));
    // It is left as it was.
    QCOMPARE(foods->rowCount(&error), qint64(1));
}

void TestFoodStoreEngines::aWriteWaitsForALookupOnAServer()
{
    if (!EngineStores::onServer()) {
        QSKIP("a server's lookup holds a transaction on the store's one connection; an SQLite lookup does not");
    }
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium")) });
    QVERIFY(foods);
    const FoodStore::RowId row = rowOf(*foods, QStringLiteral("Apple"));
    QString error;
    {
        const std::unique_ptr<FoodLookup> lookup = foods->lookup();
        QVERIFY2(lookup->rowsNamed(QStringLiteral("Apple"), &error), qPrintable(error));
        QVERIFY(!foods->deleteRecord(row, QStringLiteral("Apple"), &error));
        QVERIFY2(error.contains(QLatin1String("still working on the table")), qPrintable(error));
        QVERIFY(!foods->beginImport(&error));
        QCOMPARE(lookup->rowsNamed(QStringLiteral("Apple"), &error)->size(), std::size_t(1));
    }
    QVERIFY2(foods->deleteRecord(row, QStringLiteral("Apple"), &error), qPrintable(error));
    QCOMPARE(foods->rowCount(&error), qint64(0));
}

void TestFoodStoreEngines::recipesAreRefusedOnAServer()
{
    if (!EngineStores::onServer()) {
        QSKIP("an SQLite table keeps recipes");
    }
    std::unique_ptr<FoodStore> foods = store({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium")) });
    QVERIFY(foods);
    Recipe recipe;
    recipe.name = QStringLiteral("Apple pie");
    QString error;
    QVERIFY(!foods->saveRecipe(&recipe, &error));
    QCOMPARE(error, QStringLiteral("Recipes are not kept on a food table on a server yet."));
    std::vector<std::pair<qint64, QString>> recipes { { 1, QStringLiteral("stale") } };
    QVERIFY2(foods->listRecipes(&recipes, &error), qPrintable(error));
    QVERIFY(recipes.empty());
}

QTEST_GUILESS_MAIN(TestFoodStoreEngines)
#include "TestFoodStoreEngines.moc"

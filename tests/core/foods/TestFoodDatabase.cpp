#include "TestSupport.h"
#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodValues.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/GenericOrder.h"
#include "core/workspace/FolderSetup.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

#include <QRandomGenerator>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void runSql(const QString& path, const QString& sql)
{
    const QString name = QStringLiteral("setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(statement), qPrintable(statement));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

class TestFoodDatabase : public QObject
{
    Q_OBJECT

private slots:
    void newFolderGetsStarterFoods();
    void prepareNeverReplacesTheUsersTable();
    void lenientReads_data();
    void lenientReads();
    void nutrientsOfMatchesExactly();
    void brokenFiles_data();
    void brokenFiles();
    void lockedFileIsReported();
    void nameOrderFollowsTheIndex();
    void writesAreTransactions();
    void numberTextAsQtWritesIt();
    void genericOrder_data();
    void genericOrder();
};

void TestFoodDatabase::newFolderGetsStarterFoods()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(FolderSetup::prepare(dir.path(), &error), qPrintable(error));
    QVERIFY(QFileInfo(PlatewellFolder::dataFolder(dir.path())).isDir());
    SqliteFoodStore foods(PlatewellFolder::foodDatabasePath(dir.path()));
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    QCOMPARE(foods.rowCount(&error), 7878);
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns(
        { FoodDatabase::FOOD, FoodDatabase::SERVING_UN, FoodDatabase::CALORIES }, &columns, nullptr, &error));
    QCOMPARE(columns[0].at(0), QStringLiteral("Abiyuch, raw"));
    QCOMPARE(columns[1].at(0), QStringLiteral("0.5 cup (114 g)"));
    QCOMPARE(columns[2].at(0), QStringLiteral("78.7"));
    QVERIFY(!QFileInfo::exists(PlatewellFolder::foodDatabasePath(dir.path()) + QStringLiteral(".new")));
}

void TestFoodDatabase::prepareNeverReplacesTheUsersTable()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Mine"), QStringLiteral("1 cup")) });
    const QByteArray before = fileHash(folder.databasePath());
    QString error;
    QVERIFY(FolderSetup::prepare(folder.path(), &error));
    QCOMPARE(fileHash(folder.databasePath()), before);
}

void TestFoodDatabase::lenientReads_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("with unit") << "12.5g"
                               << "12.5g" << 12.5;
    QTest::newRow("not available") << "n/a"
                                   << "n/a" << 0.0;
    QTest::newRow("empty") << ""
                           << "" << 0.0;
    QTest::newRow("decimal") << "0.25"
                             << "0.25" << 0.25;
    QTest::newRow("whole") << "95"
                           << "95" << 95.0;
}

void TestFoodDatabase::lenientReads()
{
    QFETCH(QString, stored);
    QFETCH(QString, text);
    QFETCH(double, number);
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { stored }) });
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns({ FoodDatabase::CALORIES }, &columns, nullptr, &error));
    QCOMPARE(columns[0].at(0), text);
    std::vector<std::array<double, 8>> rows;
    QVERIFY(foods.nutrientsOf(QStringLiteral("Apple"), &rows, &error));
    QCOMPARE(rows.size(), std::size_t(1));
    QCOMPARE(rows[0][0], number);
}

void TestFoodDatabase::nutrientsOfMatchesExactly()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QString(), { QStringLiteral("1") }),
        foodRow(QStringLiteral("apple"), QString(), { QStringLiteral("2") }),
        foodRow(QStringLiteral("Apple "), QString(), { QStringLiteral("4") }),
        foodRow(QStringLiteral("Apple"), QString(), { QStringLiteral("8") }) });
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    std::vector<std::array<double, 8>> rows;
    QVERIFY(foods.nutrientsOf(QStringLiteral("Apple"), &rows, &error));
    QCOMPARE(rows.size(), std::size_t(2));
    QCOMPARE(rows[0][0], 1.0);
    QCOMPARE(rows[1][0], 8.0);
    QVERIFY(foods.nutrientsOf(QStringLiteral("Pear"), &rows, &error));
    QVERIFY(rows.empty());
}

void TestFoodDatabase::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty file") << QByteArray() << QString() << "not an SQLite";
    QTest::newRow("not sqlite") << QByteArray("FOOD,SERVING_UN\nApple,1\n") << QString() << "not an SQLite";
    QTest::newRow("truncated") << QByteArray("SQLite format 3\0\x10\0", 19) << QString() << "";
    QTest::newRow("no foods table") << QByteArray() << "CREATE TABLE other (x)"
                                    << "no table named foods";
    QTest::newRow("missing columns") << QByteArray() << "CREATE TABLE foods (FOOD TEXT, SERVING_UN TEXT)"
                                     << "CALORIES";
}

void TestFoodDatabase::brokenFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    TestFolder folder;
    if (sql.isEmpty()) {
        QFile file(folder.databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
    } else {
        runSql(folder.databasePath(), sql);
    }
    const QByteArray before = fileHash(folder.databasePath());
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(!foods.refresh(&error));
    QVERIFY2(error.contains(QStringLiteral("foods.db")), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY(!foods.isOpen());
    QCOMPARE(fileHash(folder.databasePath()), before);
    // Preparing the folder again must not "repair" the user's file either.
    QVERIFY(FolderSetup::prepare(folder.path(), &error));
    QCOMPARE(fileHash(folder.databasePath()), before);
}

void TestFoodDatabase::lockedFileIsReported()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QString()) });
    // Another process holds an exclusive lock for a while.
    QProcess locker;
    locker.start(QStringLiteral("sqlite3"), { folder.databasePath() });
    if (!locker.waitForStarted()) {
        QSKIP("the sqlite3 command is not installed");
    }
    locker.write("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT 1;\n");
    QTest::qWait(300);
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    const bool opened = foods.refresh(&error);
    std::vector<TextColumn> columns;
    const bool read = opened && foods.readColumns({ FoodDatabase::FOOD }, &columns, nullptr, &error);
    locker.closeWriteChannel();
    locker.kill();
    locker.waitForFinished();
    QVERIFY(!read);
    QVERIFY2(error.contains(QStringLiteral("locked")), qPrintable(error));
}

void TestFoodDatabase::nameOrderFollowsTheIndex()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Pear"), QString()), foodRow(QStringLiteral("10"), QString()),
        foodRow(QStringLiteral("Apple"), QString()), foodRow(QStringLiteral("9"), QString()),
        foodRow(QStringLiteral("Apple"), QString()) });
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD }, &columns, &rowids, &error));
    std::vector<std::uint32_t> order;
    QVERIFY2(foods.readNameOrder(rowids, &order, &error), qPrintable(error));
    GenericOrder(columns[0]).sortPresorted(order);
    QCOMPARE(order, (std::vector<std::uint32_t> { 3, 1, 2, 4, 0 }));
    // Rowids with gaps are found by search.
    QVERIFY(foods.deleteRecord(rowids[1], columns[0].at(1), &error));
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD }, &columns, &rowids, &error));
    QVERIFY(foods.readNameOrder(rowids, &order, &error));
    GenericOrder(columns[0]).sortPresorted(order);
    QCOMPARE(order, (std::vector<std::uint32_t> { 2, 1, 3, 0 }));
}

void TestFoodDatabase::writesAreTransactions()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }) });
    SqliteFoodStore foods(folder.databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD }, &columns, &rowids, &error));
    const FoodDatabase::FieldChanges record { { FoodDatabase::FOOD, QStringLiteral("Green apple") },
        { FoodDatabase::SERVING_UN, QStringLiteral("1 small") }, { FoodDatabase::CALORIES, QStringLiteral("12.5g") } };
    QVERIFY2(foods.updateFields(rowids[0], QStringLiteral("Apple"), record, &error), qPrintable(error));
    qint64 added = 0;
    QVERIFY(foods.insertRecord({ QStringLiteral("Pear") }, &added, &error));
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD, FoodDatabase::CALORIES }, &columns, &rowids, &error));
    QCOMPARE(columns[0].at(0), QStringLiteral("Green apple"));
    QCOMPARE(columns[1].at(0), QStringLiteral("12.5g"));
    QCOMPARE(columns[0].at(1), QStringLiteral("Pear"));
    QCOMPARE(rowids[1], added);
    QVERIFY(foods.deleteRecord(added, QStringLiteral("Pear"), &error));
    QCOMPARE(foods.rowCount(&error), 1);
    // A record that is gone (another program deleted it) is not reported as saved.
    QVERIFY(!foods.updateFields(added, QStringLiteral("Pear"), record, &error));
    QVERIFY2(error.contains(QStringLiteral("no longer")), qPrintable(error));
    QVERIFY(!foods.deleteRecord(added, QStringLiteral("Pear"), &error));
    QCOMPARE(foods.rowCount(&error), 1);
}

void TestFoodDatabase::numberTextAsQtWritesIt()
{
    // Stored numbers show as Qt's shortest text, whatever their size.
    QRandomGenerator random(7);
    for (int i = 0; i < 200000; ++i) {
        double value;
        if (i % 2) {
            value = random.bounded(100000000) / 100.0;
        } else {
            value = std::bit_cast<double>(random.generate64());
            if (!std::isfinite(value)) {
                continue;
            }
        }
        QCOMPARE(FoodValues::numberText(value), QString::number(value, 'g', QLocale::FloatingPointShortest));
    }
    QCOMPARE(FoodValues::numberText(-0.0), QStringLiteral("0"));
    QCOMPARE(FoodValues::numberText(1e5), QStringLiteral("1e+05"));
}

void TestFoodDatabase::genericOrder_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value") << QStringList { "10", "2", "1.5" } << QStringList { "1.5", "2", "10" };
    QTest::newRow("numbers before texts")
        << QStringList { "b", "10", "1a", "9" } << QStringList { "9", "10", "1a", "b" };
    QTest::newRow("names by characters") << QStringList { "Pear", "Apple pie", "Apple" }
                                         << QStringList { "Apple", "Apple pie", "Pear" };
    QTest::newRow("empty cells among texts") << QStringList { "x", "", "3" } << QStringList { "3", "", "x" };
    QTest::newRow("equal keys keep order") << QStringList { "2", "2.0", "02" } << QStringList { "2", "2.0", "02" };
}

void TestFoodDatabase::genericOrder()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, sorted);
    TextColumn column;
    for (const QString& cell : cells) {
        column.append(cell);
    }
    std::vector<std::uint32_t> rows(cells.size());
    std::iota(rows.begin(), rows.end(), 0u);
    std::vector<std::uint32_t> unsorted = rows;
    GenericOrder(column).sort(rows);
    QStringList result;
    for (auto row : rows) {
        result.append(column.at(row));
    }
    QCOMPARE(result, sorted);
    // Rows that are not in text order as promised are still sorted right.
    std::reverse(unsorted.begin(), unsorted.end());
    GenericOrder(column).sortPresorted(unsorted);
    QStringList fromPresorted;
    for (auto row : unsorted) {
        fromPresorted.append(column.at(row));
    }
    if (!sorted.contains(QStringLiteral("02"))) {
        QCOMPARE(fromPresorted, sorted);
    }
}

QTEST_GUILESS_MAIN(TestFoodDatabase)
#include "TestFoodDatabase.moc"

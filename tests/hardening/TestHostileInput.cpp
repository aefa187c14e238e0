// Broken and hostile input: huge and malformed period files, overflowing nutrients, odd food
// table files and user names. Nothing may crash, hang or change a stored file.

#include "FullScanFoodLookup.h"
#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodLookup.h"
#include "core/plans/PeriodFile.h"
#include "core/search/FoodNameIndex.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/NumberText.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <sys/stat.h>

namespace {

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void periodFiles_data();
    void periodFiles();
    void targetsFiles_data();
    void targetsFiles();
    void pipesAreNotRead();
    void overflowingNutrients_data();
    void overflowingNutrients();
    void foodTableWithExtraColumns();
    void searchTexts_data();
    void searchTexts();
    void userNames_data();
    void userNames();
    void namesStoredAsWindows1252();

private:
    TotalsResult totalsOfDaily(const QByteArray& content, qint64* milliseconds = nullptr);

    std::unique_ptr<TestFolder> m_folder;
};

void TestHostileInput::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1"), { QStringLiteral("95") }),
        foodRow(QString::fromUtf8("Cr\xc3\xa8me"), QStringLiteral("1"), { QStringLiteral("10") }),
        foodRow(
            QStringLiteral("Huge"), QStringLiteral("1"), { QStringLiteral("1e308"), QStringLiteral("&HFFFFFFFF") }) });
}

TotalsResult TestHostileInput::totalsOfDaily(const QByteArray& content, qint64* milliseconds)
{
    const MealPlan plan {};
    const std::unique_ptr<UserFiles> files = m_folder->files();
    const QString path = files->perUserFile(QStringLiteral("Daily"));
    writeFile(path, content);
    const QByteArray before = hashOf(path);
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    if (!foods.refresh(&error)) {
        qFatal("%s", qPrintable(error));
    }
    const std::unique_ptr<FoodLookup> lookupOwner = foods.lookup();
    FoodLookup& lookup = *lookupOwner;
    TotalsSources sources;
    sources.periods[0] = true;
    QElapsedTimer timer;
    timer.start();
    TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, lookup);
    if (milliseconds) {
        *milliseconds = timer.elapsed();
    }
    if (hashOf(path) != before) {
        qFatal("the period file changed while it was read");
    }
    return result;
}

void TestHostileInput::periodFiles_data()
{
    // The Daily totals, then what Load makes of the same file: the entries it places and the
    // lines it cannot place.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<double>("calories");
    QTest::addColumn<int>("placed");
    QTest::addColumn<qint64>("unplaced");
    QTest::newRow("100 MB of lines") << QByteArray("Lunch_Apple_ 1\r\n").repeated(100 * 1024 * 1024 / 16)
                                     << 95.0 * (100 * 1024 * 1024 / 16) << 1 << qint64(100 * 1024 * 1024 / 16 - 1);
    QTest::newRow("one line of 10 MB") << QByteArray("Lunch_") + QByteArray(10 * 1024 * 1024, 'x') + "_ 1" << 0.0 << 1
                                       << qint64(0);
    QTest::newRow("10 MB quantity") << QByteArray("Lunch_Apple_") + QByteArray(10 * 1024 * 1024, '9') << DBL_MAX * 95
                                    << 1 << qint64(0);
    QTest::newRow("6 MB line without a food") << QByteArray("abcdef").repeated(1 << 20) << 0.0 << 0 << qint64(1);
    QTest::newRow("a line too long to read whole")
        << QByteArray("Lunch_Apple_ 1\r\nLunch_") + QByteArray(17 << 20, 'x') + "_ 1\r\nDinner_Apple_ 2" << 285.0 << 2
        << qint64(1);
    QTest::newRow("a million lines that name no meal")
        << QByteArray("x\r\n").repeated(1000000) << 0.0 << 0 << qint64(1000000);
    QTest::newRow("NUL bytes") << QByteArray("Lunch_Apple_ 2\0\0\r\nLunch_\0Apple_ 1\r\n", 32) << 190.0 << 2
                               << qint64(0);
    QTest::newRow("invalid UTF-8 read as Windows-1252")
        << QByteArray("Dinner_Cr\xe8me_ 3\r\nLunch_Apple_1\xff\r\n") << 30.0 + 95.0 << 2 << qint64(0);
    QTest::newRow("lone CR line ends") << QByteArray("Lunch_Apple_1\rLunch_Apple_2\r") << 285.0 << 1 << qint64(1);
    QTest::newRow("only separators") << QByteArray(4096, '_') << 0.0 << 0 << qint64(1);
    // More distinct names than the lookup keeps known: the ones it let go still count each time.
    QByteArray distinct;
    const int names = 300000;
    for (int i = 0; i < names; ++i) {
        distinct += "Lunch_Food " + QByteArray::number(i) + (i % 1000 == 0 ? "_ 1\r\nDinner_Apple_ 1\r\n" : "_ 1\r\n");
    }
    // Load places the first foods of Lunch and one Apple in Dinner; the rest overflow or repeat.
    QTest::newRow("300,000 distinct names") << distinct << 95.0 * (names / 1000) << MealTable::MaxEntries + 1
                                            << qint64(names - MealTable::MaxEntries + names / 1000 - 1);
}

void TestHostileInput::periodFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(double, calories);
    qint64 milliseconds = 0;
    const TotalsResult result = totalsOfDaily(content, &milliseconds);
    QVERIFY(!result.stopped);
    QCOMPARE(result.rows.size(), std::size_t(2));
    QCOMPARE(result.rows[0].label, QStringLiteral("Daily"));
    if (std::isinf(calories)) {
        QVERIFY(std::isinf(result.rows[0].values[TotalsRow::Calories]));
    } else {
        QCOMPARE(result.rows[0].values[TotalsRow::Calories], calories);
    }
    qInfo("%lld bytes totalled in %lld ms", qint64(content.size()), milliseconds);

    QFETCH(int, placed);
    QFETCH(qint64, unplaced);
    MealPlan plan;
    QStringList problems;
    QString error;
    QVERIFY2(PeriodFile::load(m_folder->files()->perUserFile(QStringLiteral("Daily")), &plan, &problems, &error),
        qPrintable(error));
    int entries = 0;
    for (const MealTable& table : plan.tables) {
        entries += table.count();
    }
    QCOMPARE(entries, placed);
    // A short message however many lines failed: a few quoted shortly, the rest counted.
    QCOMPARE(problems.size(), int(std::min<qint64>(unplaced, PeriodFile::ListedProblems + 1)));
    for (const QString& problem : problems) {
        QVERIFY2(problem.size() < 160, qPrintable(problem.left(200)));
    }
    if (unplaced > PeriodFile::ListedProblems) {
        QCOMPARE(problems.last(),
            QStringLiteral("... and %1 more.").arg(QLocale().toString(unplaced - PeriodFile::ListedProblems)));
    }
}

void TestHostileInput::targetsFiles_data()
{
    // The targets file, the Calories maximum read from it ("" for none), how many lines could not
    // be read, and what the first problem says.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<qint64>("unreadable");
    QTest::addColumn<QString>("firstProblem");
    QTest::newRow("200,000 bad lines") << QByteArray("Calories_1800_2200\r\n")
            + QByteArray("seventy\r\n").repeated(200000)
                                       << "2200" << qint64(200000) << "Line 2 \"seventy\" is not a target.";
    QTest::newRow("30 MB of short lines") << QByteArray("x\n").repeated(15 << 20) + "Calories__2200"
                                          << "2200" << qint64(15 << 20) << "Line 1 \"x\" is not a target.";
    QTest::newRow("a line too long to read whole")
        << QByteArray("Calories_1_") + QByteArray(17 << 20, '2') + "\r\nCalories__2200\r\n"
        << "2200" << qint64(1) << "Line 1 \"Calories_1_222";
    QTest::newRow("a name of 10,000 characters") << QByteArray(10000, 'N') + "_1_2"
                                                 << "" << qint64(1) << "Line 1 \"NNN";
    QTest::newRow("only separators") << QByteArray(4096, '_') << "" << qint64(1) << "Line 1 \"___";
    QTest::newRow("two lines for one nutrient")
        << QByteArray("Calories_1800_2200\r\nFat__70\r\nCalories__2500\r\n") << "2200" << qint64(1)
        << "Line 3 \"Calories__2500\" is a second target of Calories; the one on line 1 counts.";
}

void TestHostileInput::targetsFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, maximum);
    QFETCH(qint64, unreadable);
    QFETCH(QString, firstProblem);
    const QString path = m_folder->files()->perUserFile(NutrientTargets::fileSuffix());
    writeFile(path, content);
    NutrientTargets targets;
    QStringList problems;
    QString error;
    QVERIFY2(NutrientTargets::load(path, &targets, &problems, &error), qPrintable(error));
    const std::optional<double> expected = maximum.isEmpty() ? std::nullopt : std::optional(maximum.toDouble());
    QCOMPARE(targets.range(TotalsRow::Calories).maximum, expected);
    // A short message however many lines failed: a few quoted shortly, the rest counted.
    QCOMPARE(problems.size(), int(std::min<qint64>(unreadable, NutrientTargets::ListedProblems + 1)));
    QVERIFY2(problems.first().startsWith(firstProblem), qPrintable(problems.first().left(200)));
    for (const QString& problem : problems) {
        QVERIFY2(problem.size() < 160, qPrintable(problem.left(200)));
    }
    if (unreadable > NutrientTargets::ListedProblems) {
        QCOMPARE(problems.last(),
            QStringLiteral("... and %1 more.").arg(QLocale().toString(unreadable - NutrientTargets::ListedProblems)));
    }
}

// A pipe in a plan's or the targets' place would make the first read wait for a writer forever.
void TestHostileInput::pipesAreNotRead()
{
    const MealPlan plan {};
    const std::unique_ptr<UserFiles> files = m_folder->files();
    for (const QString& suffix : { QStringLiteral("Daily"), NutrientTargets::fileSuffix() }) {
        QCOMPARE(mkfifo(QFile::encodeName(files->perUserFile(suffix)).constData(), 0600), 0);
    }
    NutrientTargets targets;
    QString error;
    QVERIFY(!NutrientTargets::load(files->perUserFile(NutrientTargets::fileSuffix()), &targets, nullptr, &error));
    QVERIFY2(error.contains(QStringLiteral("not a regular file")), qPrintable(error));
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(&error));
    const std::unique_ptr<FoodLookup> lookupOwner = foods.lookup();
    FoodLookup& lookup = *lookupOwner;
    TotalsSources sources;
    sources.periods[0] = true;
    const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, lookup);
    QVERIFY(result.stopped);
    QCOMPARE(result.stopMessage, QStringLiteral("File Not Found"));
}

void TestHostileInput::overflowingNutrients_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QString>("calories");
    QTest::addColumn<QString>("carbohydrates");
    QTest::newRow("1e308 times a large quantity") << QByteArray("Lunch_Huge_ 1E+10\r\n") << "Overflow"
                                                  << "4.294967295E+19";
    QTest::newRow("infinities that cancel stay an overflow")
        << QByteArray("Lunch_Huge_ 1E+300\r\nLunch_Huge_-1E+300\r\n") << "Overflow"
        << "Overflow";
    QTest::newRow("hexadecimal nutrient") << QByteArray("Lunch_Huge_ 1\r\n") << "1E+308"
                                          << "4294967295";
}

void TestHostileInput::overflowingNutrients()
{
    QFETCH(QByteArray, plan);
    QFETCH(QString, calories);
    QFETCH(QString, carbohydrates);
    const TotalsResult result = totalsOfDaily(plan);
    QVERIFY(!result.stopped);
    const TotalsRow& row = result.rows.at(0);
    QCOMPARE(GeneralNumberText(row.values[TotalsRow::Calories], QLocale::c()), calories);
    QCOMPARE(GeneralNumberText(row.values[TotalsRow::Carbohydrates], QLocale::c()), carbohydrates);
    for (double value : row.values) {
        QVERIFY(!GeneralNumberText(value, QLocale::c()).isEmpty());
    }
}

void TestHostileInput::foodTableWithExtraColumns()
{
    {
        SqliteFoodStore foods(m_folder->databasePath());
        QString error;
        QVERIFY(foods.refresh(&error));
        QVERIFY(OtherProgram(m_folder->databasePath()).exec(QStringLiteral("ALTER TABLE foods ADD COLUMN BRAND TEXT")));
    }
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD, FoodDatabase::SUGAR_ALC }, &columns, nullptr, &error));
    QCOMPARE(columns[0].size(), 3);
    const TotalsResult result = totalsOfDaily("Lunch_Apple_2\r\n");
    QCOMPARE(result.rows.at(0).values[TotalsRow::Calories], 190.0);
}

void TestHostileInput::searchTexts_data()
{
    QTest::addColumn<QString>("term");
    QTest::addColumn<QStringList>("found");
    const QStringList special { "100% juice", "snake_case", "Bob's \"best\" pie", "a.*b", "[x]", "C:\\temp", "(a|b)",
        "^start$", "%_%", "plus+", "50%" };
    for (const QString& name : special) {
        QTest::newRow(qPrintable(name)) << name << QStringList { name };
    }
    QTest::newRow("percent alone") << "%" << QStringList { "100% juice", "%_%", "50%" };
    QTest::newRow("underscore alone") << "_" << QStringList { "snake_case", "%_%" };
    QTest::newRow("quote") << "'" << QStringList { "Bob's \"best\" pie" };
    QTest::newRow("dot matches only a dot") << "." << QStringList { "a.*b" };
    QTest::newRow("SQL text") << "' OR 1=1 --" << QStringList {};
    QTest::newRow("long term") << QString(100000, QLatin1Char('%')) << QStringList {};
}

void TestHostileInput::searchTexts()
{
    QFETCH(QString, term);
    QFETCH(QStringList, found);
    const QStringList names { "100% juice", "snake_case", "Bob's \"best\" pie", "a.*b", "[x]", "C:\\temp", "(a|b)",
        "^start$", "%_%", "plus+", "50%", "plain" };
    QStringList rows;
    for (const QString& name : names) {
        rows.append(foodRow(name, QStringLiteral("1 cup")));
    }
    m_folder->createFoods(rows);
    const QByteArray before = hashOf(m_folder->databasePath());
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));

    // The grid's Find Text marks exactly the food cells that hold the term.
    FoodPropertiesModel model;
    QVERIFY(model.load(foods, &error));
    model.find(term);
    QStringList marked;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.isMarked(row, 0)) {
            marked.append(model.cellText(row, 0));
        }
    }
    QCOMPARE(marked, found);

    // The editor's Find steps through the same foods.
    FoodNameIndex index;
    QVERIFY(index.load(foods, &error));
    QStringList stepped;
    qsizetype current = 0;
    for (int i = 0; i < names.size(); ++i) {
        current = index.search(current, term);
        const QString name = names.value(static_cast<int>(current));
        if (!found.contains(name) || stepped.contains(name)) {
            break;
        }
        stepped.append(name);
    }
    QCOMPARE(stepped.size(), found.size());
    foods.close();
    QCOMPARE(hashOf(m_folder->databasePath()), before);
}

void TestHostileInput::userNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    // The longest file a name forms is "Tamo<key>foodpropertytable.txt", whose name may take 255 bytes.
    QTest::newRow("a megabyte") << QString(1024 * 1024, QLatin1Char('a')) << false;
    QTest::newRow("longest file name just fits") << QString(230, QLatin1Char('a')) << true;
    QTest::newRow("one byte too many") << QString(231, QLatin1Char('a')) << false;
    QTest::newRow("blanks do not count") << QString(230, QLatin1Char('a')) + QString(300, QLatin1Char(' ')) << true;
    QTest::newRow("bytes count, not characters") << QString(116, QChar(0xe9)) << false;
    QTest::newRow("tab") << "Ann\tLee" << true;
    for (char16_t c = 0; c < 0x20; ++c) {
        if (c != u'\t') {
            QTest::addRow("control %d", int(c)) << QStringLiteral("Ann") + QChar(c) << false;
        }
    }
    QTest::newRow("delete") << QStringLiteral("Ann") + QChar(0x7f) << false;
    QTest::newRow("slash") << "../Ann" << false;
    QTest::newRow("backslash") << "..\\Ann" << false;
    QTest::newRow("dots alone stay inside the folder") << ".." << true;
}

void TestHostileInput::userNames()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QString reason;
    QCOMPARE(m_folder->files()->canTakeUserName(name, &reason), usable);
    QCOMPARE(reason.isEmpty(), usable);
}

// A name stored as Windows-1252 bytes, as a Windows CSV imported with the sqlite3 tool leaves it,
// is shown decoded and counted by the name it shows, before and after the plan is saved and loaded.
void TestHostileInput::namesStoredAsWindows1252()
{
    const QString name = QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65");
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    QVERIFY(OtherProgram(m_folder->databasePath())
                .exec(QStringLiteral("INSERT INTO foods (FOOD, CALORIES) VALUES "
                                     "(CAST(x'4372e86d65206272fb6ce965' AS TEXT), 300), ('%1', 1)")
                          .arg(name)));
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns({ FoodDatabase::FOOD }, &columns, nullptr, &error));
    QCOMPARE(columns[0].at(3), name);

    MealPlan plan;
    const std::unique_ptr<UserFiles> files = m_folder->files();
    plan.tables[MealPlan::Lunch].add(name, QStringLiteral(" 2"));
    QString saveError;
    QVERIFY2(PeriodFile::save(files->perUserFile(QStringLiteral("Daily")), plan, &saveError), qPrintable(saveError));
    MealPlan loaded;
    QVERIFY(PeriodFile::load(files->perUserFile(QStringLiteral("Daily")), &loaded, nullptr, &error));
    QCOMPARE(loaded, plan);
    TotalsSources sources;
    sources.active = true;
    sources.periods[0] = true;
    const std::unique_ptr<FoodLookup> indexedOwner = foods.lookup();
    FoodLookup& indexed = *indexedOwner;
    FullScanFoodLookup scanned;
    QVERIFY(scanned.load(foods, &error));
    for (FoodLookup* lookup : std::initializer_list<FoodLookup*> { &indexed, &scanned }) {
        const TotalsResult result = TotalsCalculator::calculate(plan, *files, sources, *lookup);
        QCOMPARE(result.rows.size(), std::size_t(3));
        QCOMPARE(result.rows[0].values[TotalsRow::Calories], 602.0);
        QCOMPARE(result.rows[1].values[TotalsRow::Calories], 602.0);
    }
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "TestHostileInput.moc"

#include "core/plans/PeriodFile.h"

#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/plans/MealPlan.h"

#include <QFile>
#include <QTest>

namespace {

struct Entry
{
    int meal;
    QString food;
    QString quantity;
};

MealPlan planOf(const QList<Entry>& entries)
{
    MealPlan plan;
    for (const Entry& e : entries) {
        plan.tables[static_cast<std::size_t>(e.meal)].add(e.food, e.quantity);
    }
    return plan;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

Q_DECLARE_METATYPE(MealPlan)

class TestPeriodFile : public QObject
{
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void planLinesWritesMealsInOrder();
    void saveThenLoadGivesThePlanBack_data();
    void saveThenLoadGivesThePlanBack();
    void loadStoresQuantitiesAsTheMainWindowDoes_data();
    void loadStoresQuantitiesAsTheMainWindowDoes();
    void saveWritesUtf8WithCrLf();
    void saveRefusesWhatTheFormatCannotHold_data();
    void saveRefusesWhatTheFormatCannotHold();
    void failedSaveKeepsTheOldFile();
    void readsAnyLineEndAndOldEncoding_data();
    void readsAnyLineEndAndOldEncoding();
    void loadOfMissingFileLeavesThePlan();
    void loadReportsLinesItCannotPlace_data();
    void loadReportsLinesItCannotPlace();
};

void TestPeriodFile::fields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("three fields") << "Lunch_Apple_2" << QStringList { "Lunch", "Apple", "2" };
    QTest::newRow("two fields") << "Apple_2" << QStringList { "Apple", "2" };
    QTest::newRow("fourth field kept apart") << "Lunch_Apple_2_extra" << QStringList { "Lunch", "Apple", "2", "extra" };
    QTest::newRow("trailing separator adds no field") << "Lunch_Apple_2_" << QStringList { "Lunch", "Apple", "2" };
    QTest::newRow("trailing separator after two") << "Lunch_Apple_" << QStringList { "Lunch", "Apple" };
    QTest::newRow("double separator gives empty field") << "Lunch__2" << QStringList { "Lunch", "", "2" };
    QTest::newRow("empty third field") << "Lunch_Apple__" << QStringList { "Lunch", "Apple", "" };
    QTest::newRow("leading separator") << "_Apple_2" << QStringList { "", "Apple", "2" };
    QTest::newRow("separator alone") << "_" << QStringList { "" };
    QTest::newRow("empty line") << "" << QStringList {};
    QTest::newRow("one character") << "x" << QStringList { "x" };
    QTest::newRow("blanks kept") << " Lunch _ Apple _ .5 " << QStringList { " Lunch ", " Apple ", " .5 " };
}

void TestPeriodFile::fields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(PeriodFile::fields(line), expected);
}

void TestPeriodFile::planLinesWritesMealsInOrder()
{
    const MealPlan plan = planOf({ { MealPlan::Other, "Nuts", " 1" }, { MealPlan::Breakfast, "Oats", " .5" },
        { MealPlan::Dinner, "Rice", "" }, { MealPlan::Breakfast, "Milk", " 2" }, { MealPlan::Lunch, "Soup", "-1" } });
    QCOMPARE(PeriodFile::planLines(plan),
        QStringList({ "Breakfast_Oats_ .5", "Breakfast_Milk_ 2", "Lunch_Soup_-1", "Dinner_Rice__",
            "Snacks or Other_Nuts_ 1" }));
}

void TestPeriodFile::saveThenLoadGivesThePlanBack_data()
{
    QTest::addColumn<MealPlan>("plan");
    QTest::newRow("empty plan") << MealPlan();
    QTest::newRow("every meal") << planOf({ { MealPlan::Breakfast, "Oats, rolled", " 1" },
        { MealPlan::Lunch, "Soup", " .5" }, { MealPlan::Dinner, "Rice", " 2" }, { MealPlan::Other, "Tea", "-1" } });
    QTest::newRow("blanks around names") << planOf(
        { { MealPlan::Lunch, " Apple ", " 1" }, { MealPlan::Lunch, "Apple", " 1" } });
    QTest::newRow("fifteen digits and exponents") << planOf({ { MealPlan::Dinner, "Rice", " 1.23456789012345" },
        { MealPlan::Dinner, "Salt", " 1E-05" }, { MealPlan::Dinner, "Water", "-1E+15" } });
    QTest::newRow("non-latin names and tab") << planOf({ { MealPlan::Other, QString::fromUtf8("Crème brûlée"), " 1" },
        { MealPlan::Other, QString::fromUtf8("緑茶\tcup"), " 3" } });
    QTest::newRow("same food in two meals")
        << planOf({ { MealPlan::Breakfast, "Apple", " 1" }, { MealPlan::Other, "Apple", " 1" } });
    QList<Entry> full;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        for (int i = 1; i <= MealTable::MaxEntries; ++i) {
            full.append({ meal, QStringLiteral("Food %1").arg(i), QStringLiteral(" %1").arg(i) });
        }
    }
    QTest::newRow("full meals") << planOf(full);
}

void TestPeriodFile::saveThenLoadGivesThePlanBack()
{
    QFETCH(MealPlan, plan);
    TestFolder folder;
    const QString path = folder.files()->perUserFile("Daily");
    QString error;
    QVERIFY2(PeriodFile::save(path, plan, &error), qPrintable(error));
    MealPlan loaded = planOf({ { MealPlan::Lunch, "left over", " 1" } });
    QStringList problems;
    QVERIFY2(PeriodFile::load(path, &loaded, &problems, &error), qPrintable(error));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(loaded == plan);
}

void TestPeriodFile::loadStoresQuantitiesAsTheMainWindowDoes_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored");
    QTest::newRow("no leading blank") << "2"
                                      << " 2";
    QTest::newRow("blanks around") << " 1 "
                                   << " 1";
    QTest::newRow("fraction") << "1/2 cup"
                              << " 1";
    QTest::newRow("empty") << ""
                           << " 0";
    QTest::newRow("text") << "some"
                          << " 0";
    QTest::newRow("leading zero") << "0.50"
                                  << " .5";
    QTest::newRow("negative") << "-.5"
                              << "-.5";
}

void TestPeriodFile::loadStoresQuantitiesAsTheMainWindowDoes()
{
    QFETCH(QString, written);
    QFETCH(QString, stored);
    MealPlan plan;
    QStringList problems;
    QVERIFY(PeriodFile::loadPlan({ QStringLiteral("Lunch_Apple_") + written + QStringLiteral("_") }, &plan, &problems));
    QCOMPARE(plan.tables[MealPlan::Lunch].slot(1).QuantityText, stored);
}

void TestPeriodFile::saveWritesUtf8WithCrLf()
{
    TestFolder folder;
    const QString path = folder.files()->perUserFile("Weekly");
    const MealPlan plan
        = planOf({ { MealPlan::Breakfast, QString::fromUtf8("Crème"), " 1" }, { MealPlan::Lunch, "Apple", " .5" } });
    QVERIFY(PeriodFile::save(path, plan, nullptr));
    QCOMPARE(fileBytes(path), QByteArray("Breakfast_Cr\xc3\xa8me_ 1\r\nLunch_Apple_ .5\r\n"));
}

void TestPeriodFile::saveRefusesWhatTheFormatCannotHold_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("quantity");
    QTest::newRow("separator in the name") << "Soup_tomato"
                                           << " 1";
    QTest::newRow("separator in the quantity") << "Soup"
                                               << "1_5";
    QTest::newRow("line break in the name") << "Soup\ntomato"
                                            << " 1";
}

void TestPeriodFile::saveRefusesWhatTheFormatCannotHold()
{
    QFETCH(QString, food);
    QFETCH(QString, quantity);
    TestFolder folder;
    const QString path = folder.files()->perUserFile("Daily");
    QVERIFY(TextFile::writeLines(path, { "Lunch_Old_ 1" }, nullptr));
    const MealPlan plan = planOf({ { MealPlan::Breakfast, "Apple", " 1" }, { MealPlan::Lunch, food, quantity } });
    QString error;
    QVERIFY(!PeriodFile::canSave(plan, nullptr));
    QVERIFY(!PeriodFile::save(path, plan, &error));
    QVERIFY2(error.contains(food), qPrintable(error));
    QCOMPARE(fileBytes(path), QByteArray("Lunch_Old_ 1\r\n"));
}

void TestPeriodFile::failedSaveKeepsTheOldFile()
{
    TestFolder folder;
    // A folder standing where the file should be cannot be replaced by a file.
    const QString blocked = folder.files()->perUserFile("Daily");
    QVERIFY(QDir().mkpath(blocked));
    QString error;
    QVERIFY(!PeriodFile::save(blocked, planOf({ { MealPlan::Lunch, "Apple", " 1" } }), &error));
    QVERIFY2(error.contains("Daily.txt"), qPrintable(error));
    QVERIFY(QFileInfo(blocked).isDir());

    const QString missingFolder = folder.path() + "/no such folder/TamoDaily.txt";
    QVERIFY(!PeriodFile::save(missingFolder, planOf({ { MealPlan::Lunch, "Apple", " 1" } }), &error));
    QVERIFY2(error.contains("TamoDaily.txt"), qPrintable(error));
}

void TestPeriodFile::readsAnyLineEndAndOldEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("CR LF, last line unended")
        << QByteArray("Lunch_A_1\r\nLunch_B_2") << QStringList { "Lunch_A_1", "Lunch_B_2" };
    QTest::newRow("LF") << QByteArray("Lunch_A_1\nLunch_B_2\n") << QStringList { "Lunch_A_1", "Lunch_B_2" };
    QTest::newRow("CR") << QByteArray("Lunch_A_1\rLunch_B_2\r") << QStringList { "Lunch_A_1", "Lunch_B_2" };
    QTest::newRow("empty line kept") << QByteArray("\r\nLunch_A_1\r\n") << QStringList { "", "Lunch_A_1" };
    QTest::newRow("empty file") << QByteArray() << QStringList {};
    QTest::newRow("Windows-1252") << QByteArray("Lunch_Cr\xe8me_1\r\n")
                                  << QStringList { QString::fromUtf8("Lunch_Crème_1") };
    QTest::newRow("UTF-8") << QByteArray("Lunch_Cr\xc3\xa8me_1\r\n")
                           << QStringList { QString::fromUtf8("Lunch_Crème_1") };
}

void TestPeriodFile::readsAnyLineEndAndOldEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TestFolder folder;
    const QString path = folder.files()->perUserFile("Daily");
    QVERIFY(TextFile::writeBytes(path, bytes, nullptr));
    QStringList lines;
    QVERIFY(TextFile::readLines(path, &lines, nullptr));
    QCOMPARE(lines, expected);
}

void TestPeriodFile::loadOfMissingFileLeavesThePlan()
{
    TestFolder folder;
    const MealPlan before = planOf({ { MealPlan::Lunch, "Soup", " 1" } });
    MealPlan plan = before;
    QStringList problems;
    QString error;
    QVERIFY(!PeriodFile::load(folder.files()->perUserFile("Tuesday"), &plan, &problems, &error));
    QVERIFY2(error.contains("TamoTuesday.txt"), qPrintable(error));
    QVERIFY(plan == before);
}

void TestPeriodFile::loadReportsLinesItCannotPlace_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("placed");
    QTest::addColumn<int>("problems");
    QTest::newRow("all good") << QStringList { "Breakfast_Oats_ 1", "Snacks or Other_Nuts_ 2" }
                              << QStringList { "Breakfast:Oats: 1", "Snacks or Other:Nuts: 2" } << 0;
    QTest::newRow("label case and blanks") << QStringList { " lunch _Soup_ 1", "SNACKS OR OTHER_Tea_1" }
                                           << QStringList { "Lunch:Soup: 1", "Snacks or Other:Tea: 1" } << 0;
    QTest::newRow("empty lines pass") << QStringList { "", "Lunch_Soup_ 1", "" } << QStringList { "Lunch:Soup: 1" }
                                      << 0;
    QTest::newRow("unknown label") << QStringList { "Brunch_Eggs_ 2", "Lunch_Soup_ 1" }
                                   << QStringList { "Lunch:Soup: 1" } << 1;
    QTest::newRow("too few fields") << QStringList { "Soup_1", "Lunch_Soup_" } << QStringList {} << 2;
    QTest::newRow("empty food name") << QStringList { "Lunch__1" } << QStringList {} << 1;
    QTest::newRow("duplicate in a meal") << QStringList { "Lunch_Soup_ 1", "Lunch_Soup_ 2", "Dinner_Soup_ 3" }
                                         << QStringList { "Lunch:Soup: 1", "Dinner:Soup: 3" } << 1;
    QTest::newRow("extra fields placed and told")
        << QStringList { "Lunch_Soup_ 1_x" } << QStringList { "Lunch:Soup: 1" } << 1;
    QStringList many;
    QStringList placed;
    for (int i = 1; i <= 101; ++i) {
        many.append(QStringLiteral("Dinner_Food %1_ 1").arg(i));
        if (i <= 100) {
            placed.append(QStringLiteral("Dinner:Food %1: 1").arg(i));
        }
    }
    QTest::newRow("more than a meal holds") << many << placed << 1;
}

void TestPeriodFile::loadReportsLinesItCannotPlace()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, placed);
    QFETCH(int, problems);
    MealPlan plan;
    QStringList found;
    QCOMPARE(PeriodFile::loadPlan(lines, &plan, &found), problems == 0);
    QCOMPARE(found.size(), problems);
    QStringList entries;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        const MealTable& table = plan.tables[static_cast<std::size_t>(meal)];
        for (int i = 1; i <= table.count(); ++i) {
            entries.append(MealPlan::heading(meal) + ':' + table.slot(i).FoodName + ':' + table.slot(i).QuantityText);
        }
    }
    QCOMPARE(entries, placed);
}

QTEST_GUILESS_MAIN(TestPeriodFile)
#include "TestPeriodFile.moc"

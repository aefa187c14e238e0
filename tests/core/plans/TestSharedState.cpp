#include "core/files/UserFilesCopy.h"
#include "core/files/UserNames.h"
#include "core/plans/MealTable.h"
#include "core/plans/SharedState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSharedState : public QObject
{
    Q_OBJECT

private slots:
    void stripSpaces_data();
    void stripSpaces();
    void fileExists();
    void perUserFileNames_data();
    void perUserFileNames();
    void mealTableAddRemoveClear();
    void mealTableRefusals_data();
    void mealTableRefusals();
    void mealTableRemoveAtEveryCount();
};

void TestSharedState::stripSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inner blank") << "John Smith"
                                 << "JohnSmith";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("tab remains") << "a\tb c"
                                 << "a\tbc";
    QTest::newRow("leading and trailing") << " Ann Lee "
                                          << "AnnLee";
    QTest::newRow("no-break space remains") << QString::fromUtf8("a\xc2\xa0"
                                                                 "b")
                                            << QString::fromUtf8("a\xc2\xa0"
                                                                 "b");
}

void TestSharedState::stripSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(UserNames::fileKey(text), expected);
}

void TestSharedState::fileExists()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.txt"));
    QVERIFY(!UserFilesCopy::isReadableFile(file));
    QVERIFY(!UserFilesCopy::isReadableFile(QString()));
    QVERIFY(!UserFilesCopy::isReadableFile(dir.path()));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    QVERIFY(UserFilesCopy::isReadableFile(file));
    // The file was closed again: it can be removed at once.
    QVERIFY(QFile::remove(file));
}

void TestSharedState::perUserFileNames_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    QTest::newRow("inner space") << "Ann Lee"
                                 << "/p/TamoAnnLeeWeekly.txt";
    QTest::newRow("empty name") << ""
                                << "/p/TamoWeekly.txt";
    QTest::newRow("spaces only") << "   "
                                 << "/p/TamoWeekly.txt";
    QTest::newRow("tab kept") << "A\tB"
                              << "/p/TamoA\tBWeekly.txt";
}

void TestSharedState::perUserFileNames()
{
    QFETCH(QString, user);
    QFETCH(QString, expected);
    SharedState state;
    state.DataFolder = QStringLiteral("/p/Tamo");
    state.CurrentUserName = user;
    QCOMPARE(state.perUserFile(QStringLiteral("Weekly")), expected);
    QCOMPARE(state.documentPath(QStringLiteral("foods.hlp")), QStringLiteral("/p/Tamo/foods.hlp"));
}

void TestSharedState::mealTableAddRemoveClear()
{
    MealTable table;
    QCOMPARE(table.add(QStringLiteral("A"), QStringLiteral(" 1")), MealTable::AddResult::Added);
    QCOMPARE(table.add(QStringLiteral("B"), QStringLiteral(" 2")), MealTable::AddResult::Added);
    QCOMPARE(table.add(QStringLiteral("C"), QStringLiteral(" 3")), MealTable::AddResult::Added);
    QVERIFY(table.removeLine(1));
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.slot(1), (MealSlot { QStringLiteral("A"), QStringLiteral(" 1") }));
    QCOMPARE(table.slot(2), (MealSlot { QStringLiteral("C"), QStringLiteral(" 3") }));
    QCOMPARE(table.slot(3), MealSlot {});
    QCOMPARE(table.slot(0), MealSlot {});
    QVERIFY(!table.removeLine(2));
    QVERIFY(!table.removeLine(-1));
    table.clear();
    QCOMPARE(table.count(), 0);
    for (int i = 0; i < MealTable::SlotCount; ++i) {
        QCOMPARE(table.slot(i), MealSlot {});
    }
}

void TestSharedState::mealTableRefusals_data()
{
    QTest::addColumn<QString>("present");
    QTest::addColumn<QString>("added");
    QTest::addColumn<int>("result");
    QTest::newRow("identical refused") << "Apple"
                                       << "Apple" << int(MealTable::AddResult::Duplicate);
    QTest::newRow("part of a longer name accepted") << "Apple Pie"
                                                    << "Apple" << int(MealTable::AddResult::Added);
    QTest::newRow("longer name accepted") << "Apple"
                                          << "Apple Pie" << int(MealTable::AddResult::Added);
    QTest::newRow("other case accepted") << "Apple"
                                         << "apple" << int(MealTable::AddResult::Added);
    QTest::newRow("trailing blank accepted") << "Apple"
                                             << "Apple " << int(MealTable::AddResult::Added);
    QTest::newRow("empty name refused") << "Apple"
                                        << "" << int(MealTable::AddResult::NoFood);
}

void TestSharedState::mealTableRefusals()
{
    QFETCH(QString, present);
    QFETCH(QString, added);
    QFETCH(int, result);
    MealTable table;
    table.add(present, QStringLiteral(" 1"));
    const MealTable before = table;
    QCOMPARE(int(table.add(added, QStringLiteral(" 2"))), result);
    if (result != int(MealTable::AddResult::Added)) {
        QCOMPARE(table, before);
    } else {
        QCOMPARE(table.count(), 2);
    }
}

void TestSharedState::mealTableRemoveAtEveryCount()
{
    for (int n = 1; n <= MealTable::MaxEntries; ++n) {
        MealTable table;
        for (int i = 0; i < n; ++i) {
            QCOMPARE(table.add(QString::number(i), QStringLiteral(" 1")), MealTable::AddResult::Added);
        }
        if (n == MealTable::MaxEntries) {
            const MealTable full = table;
            QCOMPARE(table.add(QStringLiteral("one more"), QStringLiteral(" 1")), MealTable::AddResult::Full);
            QCOMPARE(table, full);
        }
        const int line = n / 2;
        QVERIFY(table.removeLine(line));
        QCOMPARE(table.count(), n - 1);
        for (int k = 1; k <= n - 1; ++k) {
            const int original = k - 1 < line ? k - 1 : k;
            QCOMPARE(table.slot(k).FoodName, QString::number(original));
        }
        QCOMPARE(table.slot(n), MealSlot {});
    }
}

QTEST_APPLESS_MAIN(TestSharedState)
#include "TestSharedState.moc"

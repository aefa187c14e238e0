#include "core/plans/MealTable.h"

#include <QTest>

class TestMealTable : public QObject
{
    Q_OBJECT

private slots:
    void addRemoveClear();
    void refusals_data();
    void refusals();
    void removeAtEveryCount();
};

void TestMealTable::addRemoveClear()
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

void TestMealTable::refusals_data()
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

void TestMealTable::refusals()
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

void TestMealTable::removeAtEveryCount()
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

QTEST_APPLESS_MAIN(TestMealTable)
#include "TestMealTable.moc"

#include "core/plans/PlanDocument.h"

#include <QSignalSpy>
#include <QTest>

class TestPlanDocument : public QObject
{
    Q_OBJECT

private slots:
    void changesAreTold_data();
    void changesAreTold();
};

namespace {

MealTable tableOf(const QStringList& foods)
{
    MealTable table;
    for (const QString& food : foods) {
        table.add(food, QStringLiteral(" 1"));
    }
    return table;
}

// Lunch holds Soup, Dinner holds Fish; every other meal is empty.
MealPlan startingPlan()
{
    MealPlan plan;
    plan.tables[MealPlan::Lunch] = tableOf({ QStringLiteral("Soup") });
    plan.tables[MealPlan::Dinner] = tableOf({ QStringLiteral("Fish") });
    return plan;
}

} // namespace

void TestPlanDocument::changesAreTold_data()
{
    // A change is either one meal (meal >= 0, set to `foods`) or a whole plan (meal -1: Lunch set
    // to `foods`, Breakfast to "Tea", the others as they were).
    QTest::addColumn<int>("meal");
    QTest::addColumn<QStringList>("foods");
    QTest::addColumn<QList<int>>("told");
    QTest::newRow("add to a meal") << int(MealPlan::Lunch) << QStringList { "Soup", "Bread" } << QList<int> { 1 };
    QTest::newRow("fill an empty meal") << int(MealPlan::Other) << QStringList { "Nuts" } << QList<int> { 3 };
    QTest::newRow("clear a meal") << int(MealPlan::Dinner) << QStringList {} << QList<int> { 2 };
    QTest::newRow("clear an empty meal: no change") << int(MealPlan::Breakfast) << QStringList {} << QList<int> {};
    QTest::newRow("the same entries: no change") << int(MealPlan::Lunch) << QStringList { "Soup" } << QList<int> {};
    QTest::newRow("load: only the meals that differ") << -1 << QStringList { "Soup" } << QList<int> { 0 };
    QTest::newRow("load over two meals") << -1 << QStringList { "Pie" } << QList<int> { 0, 1 };
}

// Each change tells every meal it changed, before and after, in meal order, and then the plan
// once; a change to what is held already tells nothing.
void TestPlanDocument::changesAreTold()
{
    QFETCH(int, meal);
    QFETCH(QStringList, foods);
    QFETCH(QList<int>, told);
    PlanDocument document;
    document.setPlan(startingPlan());
    QStringList heard;
    connect(&document, &PlanDocument::mealAboutToChange, this,
        [&heard](int m) { heard.append(QStringLiteral("before %1").arg(m)); });
    connect(&document, &PlanDocument::mealChanged, this,
        [&heard](int m) { heard.append(QStringLiteral("after %1").arg(m)); });
    connect(&document, &PlanDocument::planChanged, this, [&heard] { heard.append(QStringLiteral("plan")); });

    MealPlan expected = startingPlan();
    if (meal >= 0) {
        expected.tables[static_cast<std::size_t>(meal)] = tableOf(foods);
        document.setMeal(meal, tableOf(foods));
    } else {
        expected.tables[MealPlan::Lunch] = tableOf(foods);
        expected.tables[MealPlan::Breakfast] = tableOf({ QStringLiteral("Tea") });
        document.setPlan(expected);
    }
    QStringList wanted;
    for (const int m : told) {
        wanted << QStringLiteral("before %1").arg(m) << QStringLiteral("after %1").arg(m);
    }
    if (!told.isEmpty()) {
        wanted << QStringLiteral("plan");
    }
    QCOMPARE(heard, wanted);
    QCOMPARE(document.plan(), expected);
}

QTEST_APPLESS_MAIN(TestPlanDocument)
#include "TestPlanDocument.moc"

#include "core/plans/PlanDocument.h"
#include "gui/planner/MealPlanChange.h"

#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <memory>

class TestMealPlanChange : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedoGiveBackEveryState_data();
    void undoAndRedoGiveBackEveryState();
    void changingNothingIsNoStep();
};

void TestMealPlanChange::undoAndRedoGiveBackEveryState_data()
{
    // Steps: "+meal name quantity" adds, "-meal line" removes, "0meal" clears, "load" replaces
    // three meals at once.
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("adds to one meal") << QStringList { "+1 Soup  1", "+1 Bread  2", "+1 Tea .5" };
    QTest::newRow("adds, remove and clear") << QStringList { "+0 Oats  1", "+0 Milk 1/2", "+3 Nuts  1", "-0 0", "03" };
    QTest::newRow("load over a plan") << QStringList { "+2 Fish  1", "+0 Egg  2", "load", "+2 Rice  1" };
    QTest::newRow("remove from the middle keeps quantities")
        << QStringList { "+1 A  1", "+1 B 2.50", "+1 C -1", "-1 1", "-1 0" };
}

// Every state the plan went through comes back by Undo, in reverse, and again by Redo, each step
// told once as a change of the plan.
void TestMealPlanChange::undoAndRedoGiveBackEveryState()
{
    QFETCH(QStringList, steps);
    PlanDocument document;
    QUndoStack stack;
    QList<MealPlan> states { document.plan() };
    for (const QString& step : steps) {
        auto change = std::make_unique<MealPlanChange>(step, document);
        const int meal = step.mid(1, 1).toInt();
        MealTable table = document.meal(meal);
        if (step.startsWith(u'+')) {
            const QStringList parts = step.mid(3).split(u' ');
            table.add(parts[0], step.mid(3 + parts[0].size() + 1));
            change->change(meal, table);
        } else if (step.startsWith(u'-')) {
            table.removeLine(step.mid(3).toInt());
            change->change(meal, table);
        } else if (step.startsWith(u'0')) {
            change->change(meal, MealTable());
        } else {
            MealPlan loaded;
            loaded.LunchTable().add(QStringLiteral("Stew"), QStringLiteral(" 1"));
            loaded.DinnerTable().add(QStringLiteral("Fish"), QStringLiteral(" 1"));
            for (int m = 0; m < MealPlan::MealCount; ++m) {
                change->change(m, loaded.tables[static_cast<std::size_t>(m)]);
            }
        }
        QVERIFY2(!change->changesNothing(), qPrintable(step));
        stack.push(change.release());
        QVERIFY(document.plan() != states.last());
        states.append(document.plan());
    }
    QSignalSpy told(&document, &PlanDocument::planChanged);
    for (qsizetype i = states.size() - 2; i >= 0; --i) {
        stack.undo();
        QCOMPARE(document.plan(), states[i]);
    }
    QCOMPARE(told.size(), steps.size());
    for (qsizetype i = 1; i < states.size(); ++i) {
        stack.redo();
        QCOMPARE(document.plan(), states[i]);
    }
    QCOMPARE(told.size(), 2 * steps.size());
}

void TestMealPlanChange::changingNothingIsNoStep()
{
    PlanDocument document;
    MealTable lunch;
    lunch.add(QStringLiteral("Soup"), QStringLiteral(" 1"));
    document.setMeal(MealPlan::Lunch, lunch);
    MealPlanChange change(QStringLiteral("Clear Breakfast"), document);
    change.change(MealPlan::Breakfast, MealTable());
    change.change(MealPlan::Lunch, lunch);
    QVERIFY(change.changesNothing());
}

QTEST_APPLESS_MAIN(TestMealPlanChange)
#include "TestMealPlanChange.moc"

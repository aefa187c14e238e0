// The main window's models: the food list and the meal lists, each checked by Qt's model tester
// while it changes, and the meal lists kept in step with the plan document the totals read.

#include "core/plans/PlanDocument.h"
#include "core/text/TextColumn.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MealListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestPlannerModels : public QObject
{
    Q_OBJECT

private slots:
    void mealListFollowsItsMeal_data();
    void mealListFollowsItsMeal();
    void foodListPassesTheModelTester();
};

void TestPlannerModels::mealListFollowsItsMeal_data()
{
    // Steps: "+name" adds with quantity " 1", "-n" removes line n, "clear", "load" sets a table
    // of two foods.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("adds in order") << QStringList { "+Oats", "+Milk" } << QStringList { "Oats,  1", "Milk,  1" };
    QTest::newRow("refused add changes nothing") << QStringList { "+Oats", "+Oats", "+" } << QStringList { "Oats,  1" };
    QTest::newRow("remove the middle line")
        << QStringList { "+A", "+B", "+C", "-1" } << QStringList { "A,  1", "C,  1" };
    QTest::newRow("remove past the end") << QStringList { "+A", "-1", "--1" } << QStringList { "A,  1" };
    QTest::newRow("clear") << QStringList { "+A", "+B", "clear" } << QStringList {};
    QTest::newRow("load replaces") << QStringList { "+A", "load", "+C" }
                                   << QStringList { "Tea,  2", "Toast,  1", "C,  1" };
}

void TestPlannerModels::mealListFollowsItsMeal()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);
    PlanDocument document;
    MealListModel model(document, MealPlan::Lunch);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    for (const QString& step : steps) {
        MealTable changed = model.table();
        if (step.startsWith(u'+')) {
            changed.add(step.mid(1), QStringLiteral(" 1"));
            document.setMeal(MealPlan::Lunch, changed);
        } else if (step.startsWith(u'-')) {
            changed.removeLine(step.mid(1).toInt());
            document.setMeal(MealPlan::Lunch, changed);
        } else if (step == QLatin1String("clear")) {
            document.setMeal(MealPlan::Lunch, MealTable());
        } else {
            MealPlan loaded;
            loaded.LunchTable().add(QStringLiteral("Tea"), QStringLiteral(" 2"));
            loaded.LunchTable().add(QStringLiteral("Toast"), QStringLiteral(" 1"));
            loaded.DinnerTable().add(QStringLiteral("Soup"), QStringLiteral(" 1"));
            document.setPlan(loaded);
        }
        // Another meal's change is not this list's.
        const int resets = reset.size();
        MealTable other = document.meal(MealPlan::Breakfast);
        other.add(step, QStringLiteral(" 1"));
        document.setMeal(MealPlan::Breakfast, other);
        QCOMPARE(reset.size(), resets);
    }
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown.append(model.index(row, 0).data().toString());
    }
    QCOMPARE(shown, lines);
    // The meal the totals read holds exactly what the list shows.
    const MealTable& table = document.meal(MealPlan::Lunch);
    QCOMPARE(table.count(), lines.size());
    for (int i = 1; i <= table.count(); ++i) {
        QCOMPARE(table.slot(i).FoodName + QStringLiteral(", ") + table.slot(i).QuantityText, lines[i - 1]);
    }
}

void TestPlannerModels::foodListPassesTheModelTester()
{
    FoodListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TextColumn names;
    TextColumn units;
    for (const char* name : { "Pear", "Apple", "apple" }) {
        names.append(QString::fromLatin1(name));
        units.append(QStringLiteral("1 medium"));
    }
    model.setFoods(std::move(names), std::move(units));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Apple"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestPlannerModels)
#include "TestPlannerModels.moc"

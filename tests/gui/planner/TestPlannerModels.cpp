// The main window's models: the food list and the meal lists, each checked by Qt's model tester
// while it changes, and the meal lists kept in step with the meal tables the totals read.

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
    void mealListFollowsItsTable_data();
    void mealListFollowsItsTable();
    void foodListPassesTheModelTester();
};

void TestPlannerModels::mealListFollowsItsTable_data()
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

void TestPlannerModels::mealListFollowsItsTable()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);
    MealTable table;
    MealListModel model(table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const QString& step : steps) {
        MealTable changed = model.table();
        if (step.startsWith(u'+')) {
            changed.add(step.mid(1), QStringLiteral(" 1"));
            model.setTable(changed);
        } else if (step.startsWith(u'-')) {
            changed.removeLine(step.mid(1).toInt());
            model.setTable(changed);
        } else if (step == QLatin1String("clear")) {
            model.setTable(MealTable());
        } else {
            MealTable loaded;
            loaded.add(QStringLiteral("Tea"), QStringLiteral(" 2"));
            loaded.add(QStringLiteral("Toast"), QStringLiteral(" 1"));
            model.setTable(loaded);
        }
    }
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown.append(model.index(row, 0).data().toString());
    }
    QCOMPARE(shown, lines);
    // The table the totals read holds exactly what the list shows.
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

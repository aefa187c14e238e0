// Renders the screenshots of the README, the AppStream metadata and the manual from the real
// windows: the main window with a planned day, the totals window with a calculation, the same
// measured against daily targets with the week rolled up, the chart of it, the targets of every
// nutrient set from the recommended intakes, the day's nutrients and their "% of target" chart,
// the foods richest in iron, and the food grid. scripts/screenshots.sh runs it under Xvfb.
//   platewell_screenshots FOLDER

#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/plans/PeriodFile.h"
#include "core/totals/ChartedTotals.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/RecommendedIntakes.h"
#include "core/totals/TotalsCalculator.h"
#include "core/workspace/FolderSetup.h"
#include "core/workspace/Workspace.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/planner/MainWindow.h"
#include "gui/planner/RichestFoodsDialog.h"
#include "gui/totals/TargetsDialog.h"
#include "gui/totals/TotalsChartWindow.h"
#include "gui/totals/TotalsDialog.h"
#include "gui/totals/TotalsModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Finds a food by the words of the search box, chooses the first match and adds it to a meal.
void plan(MainWindow& window, const QString& words, const QString& quantity, int meal)
{
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("FoodFilter"));
    auto* foods = window.findChild<QListView*>(QStringLiteral("List1"));
    filter->setText(words);
    if (foods->model()->rowCount() == 0) {
        std::fprintf(stderr, "no food matches \"%s\"\n", qPrintable(words));
        return;
    }
    foods->setCurrentIndex(foods->model()->index(0, 0));
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(quantity);
    window.addToMeal(meal);
}

bool save(QWidget* window, const QString& path)
{
    QApplication::processEvents();
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: platewell_screenshots FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    QString error;
    if (!FolderSetup::prepare(home.path(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    UserFiles::Places places = UserFiles::placesIn(home.path());
    places.planOnScreenPath.clear();
    Workspace workspace(places);
    const UserFiles& files = workspace.files();
    const MealPlan& planOnScreen = workspace.plan().plan();

    MainWindow window(workspace);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the main window was not shown\n");
    }
    plan(window, QStringLiteral("oats regular dry"), QStringLiteral("0.5"), MealPlan::Breakfast);
    plan(window, QStringLiteral("milk reduced fat 2%"), QStringLiteral("1"), MealPlan::Breakfast);
    plan(window, QStringLiteral("blueberries raw"), QStringLiteral("0.5"), MealPlan::Breakfast);
    plan(window, QStringLiteral("chicken breast roasted"), QStringLiteral("1"), MealPlan::Lunch);
    plan(window, QStringLiteral("apples raw with skin"), QStringLiteral("1"), MealPlan::Lunch);
    plan(window, QStringLiteral("salmon atlantic cooked"), QStringLiteral("1"), MealPlan::Dinner);
    plan(window, QStringLiteral("rice brown long-grain cooked"), QStringLiteral("1"), MealPlan::Dinner);
    plan(window, QStringLiteral("broccoli cooked"), QStringLiteral("1"), MealPlan::Dinner);
    plan(window, QStringLiteral("yogurt plain low fat"), QStringLiteral("1"), MealPlan::Other);
    window.findChild<QLineEdit*>(QStringLiteral("FoodFilter"))->setText(QStringLiteral("salmon"));
    bool ok = save(&window, out + QStringLiteral("/main-window.png"));

    ok = PeriodFile::save(files.periodPlanPath(QStringLiteral("Daily")), planOnScreen, &error) && ok;
    TotalsDialog totals(files, workspace.foods(), workspace.plan(), workspace.targets());
    totals.show();
    ok = QTest::qWaitForWindowExposed(&totals) && ok;
    for (const char* source : { "Check1", "Check2" }) {
        totals.findChild<QCheckBox*>(QLatin1String(source))->setChecked(true);
    }
    totals.findChild<QPushButton*>(QStringLiteral("CalcTot"))->click();
    ok = save(&totals, out + QStringLiteral("/totals.png")) && ok;
    totals.close();

    // A weekday plan and a weekend plan with a treat, and daily targets to measure them against.
    for (const char* day : { "Weekday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday" }) {
        ok = PeriodFile::save(files.periodPlanPath(QLatin1String(day)), planOnScreen, &error) && ok;
    }
    plan(window, QStringLiteral("pizza cheese regular crust"), QStringLiteral("2"), MealPlan::Dinner);
    plan(window, QStringLiteral("ice creams vanilla"), QStringLiteral("1"), MealPlan::Other);
    for (const char* day : { "Weekend", "Saturday", "Sunday" }) {
        ok = PeriodFile::save(files.periodPlanPath(QLatin1String(day)), planOnScreen, &error) && ok;
    }
    NutrientTargets targets;
    const std::pair<std::optional<double>, std::optional<double>> ranges[] = { { 1800, 2200 }, { {}, 250 }, { 44, 78 },
        { {}, 50 }, { {}, 300 }, { {}, {} }, { 25, {} }, { {}, {} }, { {}, 200 } };
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        ok = targets.setRange(n, { ranges[n].first, ranges[n].second }, &error) && ok;
    }
    ok = targets.save(files.targetsPath(), &error) && ok;
    // The other nutrients' targets, from the recommended intakes of a woman of 40.
    NutrientCatalogue catalogue;
    ok = workspace.foods().nutrientCatalogue(&catalogue, &error) && ok;
    {
        TargetsDialog targetsWindow(workspace.targets(), catalogue);
        targetsWindow.show();
        ok = QTest::qWaitForWindowExposed(&targetsWindow) && ok;
        RecommendedIntakes::Person person;
        person.sex = RecommendedIntakes::Sex::Female;
        person.age = 40;
        targetsWindow.fillFromRecommendedIntakes(person);
        ok = save(&targetsWindow, out + QStringLiteral("/targets.png")) && ok;
        targetsWindow.accept();
    }
    TotalsDialog measured(files, workspace.foods(), workspace.plan(), workspace.targets());
    measured.resize(measured.width() + 160, measured.height() + 40);
    measured.show();
    ok = QTest::qWaitForWindowExposed(&measured) && ok;
    for (const char* source : { "Check2", "Check4", "Check5", "WeekRollups", "PerDay" }) {
        measured.findChild<QCheckBox*>(QLatin1String(source))->setChecked(true);
    }
    measured.findChild<QPushButton*>(QStringLiteral("CalcTot"))->click();
    ok = save(&measured, out + QStringLiteral("/totals-targets.png")) && ok;
    const TotalsModel* model = measured.findChild<TotalsModel*>();
    TotalsChartWindow chart(model->result(), model->targets(), QString(), &measured);
    chart.show();
    ok = QTest::qWaitForWindowExposed(&chart) && ok;
    ok = save(&chart, out + QStringLiteral("/totals-chart.png")) && ok;
    chart.close();
    // The Daily row's every nutrient, and its "% of target" chart.
    measured.findChild<QTabWidget*>(QStringLiteral("TotalsTabs"))->setCurrentIndex(1);
    ok = save(&measured, out + QStringLiteral("/totals-nutrients.png")) && ok;
    TotalsChartWindow shares(ChartedTotals(model->result(), measured.nutrients().totals(), model->targets(),
                                 measured.nutrients().catalogue()),
        QString(), &measured);
    shares.show();
    ok = QTest::qWaitForWindowExposed(&shares) && ok;
    shares.showShares(0);
    ok = save(&shares, out + QStringLiteral("/totals-target-share.png")) && ok;
    shares.close();
    measured.close();

    RichestFoodsDialog richest(workspace.foods(), QStringLiteral("303"));
    richest.chooseBasis(NutrientRanking::Basis::Per100Calories);
    richest.show();
    ok = QTest::qWaitForWindowExposed(&richest) && ok;
    for (int wait = 0; wait < 1000 && richest.isReading(); ++wait) {
        QTest::qWait(10);
    }
    ok = save(&richest, out + QStringLiteral("/richest-foods.png")) && ok;
    richest.close();

    FoodGridDialog grid(files, workspace.foods(), true);
    grid.show();
    ok = QTest::qWaitForWindowExposed(&grid) && ok;
    ok = save(&grid, out + QStringLiteral("/food-grid.png")) && ok;
    return ok ? 0 : 1;
}

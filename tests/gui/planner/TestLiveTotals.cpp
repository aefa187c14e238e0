#include "TestSupport.h"
#include "core/foods/FoodLookup.h"
#include "core/totals/LiveTotals.h"
#include "core/totals/LiveTotalsChoice.h"
#include "gui/common/Prompt.h"
#include "gui/planner/LiveTotalsStrip.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <cmath>
#include <memory>

// The main window's live totals: after every kind of change to the plan on screen they equal
// what Calculate Totals gives for the Active row (and, meal by meal, for each meal alone); a value
// some planned foods lack shows as a lower bound; View > Live Totals hides them, and both the
// choice and the values shown are there at the next start.
class TestLiveTotals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void followsEveryChange_data();
    void followsEveryChange();
    void lowerBoundWhereFoodsLackAValue();
    void targetBarAndHiding();
    void targetBarOfAnotherNutrient_data();
    void targetBarOfAnotherNutrient();
    void choiceFile_data();
    void choiceFile();
    void sumsBeforeTheFirstPaint_data();
    void sumsBeforeTheFirstPaint();

private:
    void open();
    void add(const QString& food, const QString& quantity, int meal);
    void click(const QString& name);
    // The live totals equal a calculation of the same plan through the same table.
    void compareWithCalculation();

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

namespace {

const char* const kAdd[] = { "Breakfast_Add", "Lunch_Add", "Dinner_Add", "Other_Add" };
const char* const kList[] = { "List2", "List3", "List4", "List5" };

LiveTotals::Sum calculated(const MealPlan& plan, Workspace& workspace)
{
    TotalsSources sources;
    sources.active = true;
    NutrientTotals nutrients;
    const std::unique_ptr<FoodLookup> lookup = workspace.foods().lookup();
    const TotalsResult result = TotalsCalculator::calculate(plan, workspace.files(), sources, *lookup, &nutrients);
    LiveTotals::Sum sum;
    if (!result.rows.empty()) {
        sum.nine = result.rows.front();
    }
    if (!nutrients.rows.empty()) {
        sum.nutrients = nutrients.rows.front();
    }
    return sum;
}

bool sameSum(const LiveTotals::Sum& a, const LiveTotals::Sum& b)
{
    return a.nine.values == b.nine.values && a.nutrients.totals == b.nutrients.totals
        && a.nutrients.unknownCounts == b.nutrients.unknownCounts;
}

} // namespace

void TestLiveTotals::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestLiveTotals::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"),
                                { "95", "25.1", "0.3", "19", "0", "1.9", "4.4", "" }),
        foodRow(
            QStringLiteral("Bread"), QStringLiteral("1 slice"), { "80", "15", "1", "1.5", "0", "1.6", "0.8", "0.5" }),
        foodRow(QStringLiteral("Cheese"), QStringLiteral("1 oz"), { "110", "0.4", "9", "0.1", "28", "3", "0", "" }) });
    m_workspace = m_folder->workspace();
    QVERIFY(m_workspace->foods().refresh(nullptr));
    FoodNutrientChanges apple;
    apple.values.insert(QStringLiteral("203"), 0.5);
    apple.values.insert(QStringLiteral("307"), 2.0);
    QVERIFY(writeNutrients(m_workspace->foods(), QStringLiteral("Apple"), apple));
    FoodNutrientChanges bread;
    bread.values.insert(QStringLiteral("203"), 2.7);
    bread.values.insert(QStringLiteral("307"), 147.0);
    QVERIFY(writeNutrients(m_workspace->foods(), QStringLiteral("Bread"), bread));
    // Cheese knows its sodium but not its protein.
    FoodNutrientChanges cheese;
    cheese.values.insert(QStringLiteral("307"), 174.0);
    QVERIFY(writeNutrients(m_workspace->foods(), QStringLiteral("Cheese"), cheese));
    open();
}

void TestLiveTotals::cleanup()
{
    m_window.reset();
    m_workspace.reset();
    m_folder.reset();
}

void TestLiveTotals::open()
{
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestLiveTotals::click(const QString& name)
{
    auto* button = m_window->findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestLiveTotals::add(const QString& food, const QString& quantity, int meal)
{
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    const QModelIndexList found
        = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, food, 1, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentIndex(found.first());
    m_window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(quantity);
    click(QLatin1String(kAdd[meal]));
}

void TestLiveTotals::compareWithCalculation()
{
    const LiveTotals& live = *m_window->liveTotals();
    const MealPlan& plan = m_workspace->plan().plan();
    QVERIFY(sameSum(live.day(), calculated(plan, *m_workspace)));
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        MealPlan one;
        one.tables[std::size_t(meal)] = plan.tables[std::size_t(meal)];
        QVERIFY2(sameSum(live.meal(meal), calculated(one, *m_workspace)), qPrintable(MealPlan::heading(meal)));
    }
}

void TestLiveTotals::followsEveryChange_data()
{
    // Steps: "add <food> <quantity> <meal>", "remove <meal>" (its first line), "clear <meal>",
    // "undo", "redo", "save <period>", "load <period>".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<double>("calories");
    QTest::addColumn<QString>("shown");
    QTest::newRow("add") << QStringList { "add Apple 2 0", "add Bread 1 1" } << 270.0 << "270 kcal";
    QTest::newRow("remove") << QStringList { "add Apple 2 0", "add Bread 1 0", "remove 0" } << 80.0 << "80 kcal";
    QTest::newRow("clear") << QStringList { "add Apple 2 0", "add Bread 1 1", "clear 0" } << 80.0 << "80 kcal";
    QTest::newRow("undo and redo") << QStringList { "add Apple 2 0", "add Cheese 1 2", "undo", "undo", "redo" } << 190.0
                                   << "190 kcal";
    QTest::newRow("load a saved period") << QStringList { "add Cheese 2 3", "save Monday", "clear 3", "add Apple 1 0",
        "load Monday" } << 220.0 << "220 kcal";
    QTest::newRow("quantities of a fraction, shown whole from 100")
        << QStringList { "add Bread 0.5 1", "add Cheese 1.25 1" } << 177.5 << "178 kcal";
    QTest::newRow("below 100, to a tenth") << QStringList { "add Bread 0.123 1" } << 9.84 << "9.8 kcal";
}

void TestLiveTotals::followsEveryChange()
{
    QFETCH(QStringList, steps);
    QFETCH(double, calories);
    QFETCH(QString, shown);
    for (const QString& step : steps) {
        const QStringList words = step.split(u' ');
        if (words[0] == u"add") {
            add(words[1], words[2], words[3].toInt());
        } else if (words[0] == u"remove") {
            auto* list = m_window->findChild<QListView*>(QLatin1String(kList[words[1].toInt()]));
            list->setCurrentIndex(list->model()->index(0, 0));
            click(
                QString::fromLatin1(kAdd[words[1].toInt()]).replace(QStringLiteral("_Add"), QStringLiteral("Delete")));
        } else if (words[0] == u"clear") {
            click(QString::fromLatin1(kAdd[words[1].toInt()]).replace(QStringLiteral("_Add"), QStringLiteral("Clear")));
        } else if (words[0] == u"undo") {
            m_window->undoStack()->undo();
        } else if (words[0] == u"redo") {
            m_window->undoStack()->redo();
        } else {
            m_window->findChild<QComboBox*>(QStringLiteral("DayofWeek"))->setCurrentText(words[1]);
            click(words[0] == u"save" ? QStringLiteral("SaveDiet") : QStringLiteral("LoadDiet"));
        }
        compareWithCalculation();
    }
    QCOMPARE(m_window->liveTotals()->day().nine.values[TotalsRow::Calories], calories);
    QCOMPARE(m_window->liveTotalsStrip()->valueText(0), QStringLiteral("Calories ") + shown);
}

void TestLiveTotals::lowerBoundWhereFoodsLackAValue()
{
    add(QStringLiteral("Bread"), QStringLiteral("2"), 0);
    add(QStringLiteral("Cheese"), QStringLiteral("1"), 1);
    LiveTotalsStrip* strip = m_window->liveTotalsStrip();
    QCOMPARE(strip->keys(), LiveTotalsChoice::defaultKeys());
    // Protein: bread knows it, cheese does not; the day has at least the bread's.
    QCOMPARE(strip->valueText(1), QStringLiteral("Protein \u2265 5.4 g"));
    const QString tip = strip->valueToolTip(1);
    QVERIFY2(tip.contains(QStringLiteral("Breakfast: 5.4 g")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("Lunch: \u2265 0 g")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("1 planned food lacks this value")), qPrintable(tip));
    // No value is cut short.
    QCoreApplication::processEvents();
    for (int i = 0; i < strip->keys().size(); ++i) {
        auto* label = strip->findChild<QLabel*>(QStringLiteral("LiveTotal%1").arg(i));
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    }
    // Every food knows its sodium: no bound.
    strip->setKeys({ QStringLiteral("307") });
    QCOMPARE(strip->valueText(0), QStringLiteral("Sodium 468 mg"));
    QVERIFY(!strip->valueToolTip(0).contains(QStringLiteral("lack")));
}

void TestLiveTotals::targetBarAndHiding()
{
    NutrientTargets targets;
    QVERIFY(targets.setRange(TotalsRow::Calories, { 1800.0, 2000.0 }, nullptr));
    QVERIFY(m_workspace->targets().setTargets(targets, nullptr));
    add(QStringLiteral("Cheese"), QStringLiteral("5"), 0);
    auto* bar = m_window->findChild<QProgressBar*>(QStringLiteral("LiveTotalBar0"));
    QVERIFY(bar && bar->isVisible());
    QCOMPARE(bar->value(), 275);
    // Protein has no target, so no bar.
    QVERIFY(!m_window->findChild<QProgressBar*>(QStringLiteral("LiveTotalBar1"))->isVisible());
    QVERIFY(m_window->liveTotalsStrip()->valueToolTip(0).contains(QStringLiteral("Target: ")));

    auto* item = m_window->findChild<QAction*>(QStringLiteral("mnuItemLiveTotals"));
    const QSize withStrip = m_window->size();
    item->trigger();
    QVERIFY(!m_window->liveTotalsStrip()->isVisible());
    QVERIFY(!m_window->liveTotals()->isOn());
    QCoreApplication::processEvents();
    // The window gives back the strip's row, and takes it again when the strip comes back.
    QVERIFY(m_window->height() < withStrip.height());
    item->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(m_window->size(), withStrip);
    item->trigger();
    // Hidden, the totals wait; shown again, they have caught up.
    add(QStringLiteral("Apple"), QStringLiteral("1"), 1);
    QCOMPARE(m_window->liveTotals()->day().nine.values[TotalsRow::Calories], 550.0);
    m_window.reset();
    open();
    QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("mnuItemLiveTotals"))->isChecked());
    QVERIFY(!m_window->liveTotalsStrip()->isVisible());
    m_window->findChild<QAction*>(QStringLiteral("mnuItemLiveTotals"))->trigger();
    QVERIFY(m_window->liveTotalsStrip()->isVisible());
    QCOMPARE(m_window->liveTotals()->day().nine.values[TotalsRow::Calories], 645.0);
}

void TestLiveTotals::targetBarOfAnotherNutrient_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("tip");
    // Five servings of cheese bring 870 mg of sodium; NaN is no bound, -1 no bar.
    const double none = std::nan("");
    QTest::newRow("a maximum") << "307" << none << 2300.0 << 378 << "Target: 870 of at most 2300 mg (38 %)";
    QTest::newRow("a range: the share of its maximum")
        << "307" << 1500.0 << 2300.0 << 378 << "Target: 870 of 1500\u20132300 mg (38 %)";
    QTest::newRow("a minimum passed: a full bar") << "307" << 500.0 << none << 1000 << "(174 %)";
    QTest::newRow("a target of another nutrient: no bar") << "203" << 50.0 << none << -1 << "";
}

void TestLiveTotals::targetBarOfAnotherNutrient()
{
    QFETCH(QString, number);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(int, bar);
    QFETCH(QString, tip);
    NutrientTargets targets;
    NutrientTargets::Range range;
    if (!std::isnan(minimum)) {
        range.minimum = minimum;
    }
    if (!std::isnan(maximum)) {
        range.maximum = maximum;
    }
    QVERIFY(targets.setKeptRange(number, range, nullptr));
    QVERIFY(m_workspace->targets().setTargets(targets, nullptr));
    LiveTotalsStrip* strip = m_window->liveTotalsStrip();
    strip->setKeys({ QStringLiteral("Calories"), QStringLiteral("307") });
    add(QStringLiteral("Cheese"), QStringLiteral("5"), 0);
    auto* shown = strip->findChild<QProgressBar*>(QStringLiteral("LiveTotalBar1"));
    QVERIFY(shown);
    QCOMPARE(shown->isVisible(), bar >= 0);
    // Calories have no target here, whatever the other nutrients have.
    QVERIFY(!strip->findChild<QProgressBar*>(QStringLiteral("LiveTotalBar0"))->isVisible());
    if (bar >= 0) {
        QCOMPARE(shown->value(), bar);
        QVERIFY2(strip->valueToolTip(1).contains(tip), qPrintable(strip->valueToolTip(1)));
    } else {
        QVERIFY(!strip->valueToolTip(1).contains(QStringLiteral("Target")));
    }
}

void TestLiveTotals::choiceFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QStringList>("keys");
    const QStringList defaults = LiveTotalsChoice::defaultKeys();
    QTest::newRow("none") << QByteArray() << true << QStringList();
    QTest::newRow("hidden, sodium and fiber")
        << QByteArray("hidden\r\n307\r\nFiber\r\n") << false << QStringList { "307", "Fiber" };
    QTest::newRow("unknown lines and repeats passed over")
        << QByteArray("307\nprotein\n307\n../x\n\n Fat \n") << true << QStringList { "307", "Fat" };
    QTest::newRow("larger than any choice") << QByteArray(100000, '1') << true << defaults;
}

void TestLiveTotals::choiceFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    QFETCH(QStringList, keys);
    const QString path = m_workspace->files().liveTotalsPath();
    QVERIFY(!path.isEmpty());
    if (!bytes.isEmpty()) {
        writeFile(path, bytes);
    }
    const LiveTotalsChoice choice = LiveTotalsChoice::load(path);
    QCOMPARE(choice.shown, shown);
    QCOMPARE(choice.keys, bytes.isEmpty() ? LiveTotalsChoice::defaultKeys() : keys);
    // What is written reads back as itself.
    QVERIFY(choice.save(path, nullptr));
    QCOMPARE(LiveTotalsChoice::load(path), choice);
}

void TestLiveTotals::sumsBeforeTheFirstPaint_data()
{
    QTest::addColumn<bool>("changeFirst");
    QTest::newRow("a change before the paint") << true;
    QTest::newRow("a window never painted") << false;
}

// The window leaves its first sums until it has painted; a change before then, or a window that
// is never painted, still gets them.
void TestLiveTotals::sumsBeforeTheFirstPaint()
{
    QFETCH(bool, changeFirst);
    m_window.reset();
    m_window = std::make_unique<MainWindow>(*m_workspace);
    const LiveTotals& live = *m_window->liveTotals();
    if (changeFirst) {
        MealTable lunch;
        lunch.add(QStringLiteral("Bread"), QStringLiteral("2"));
        m_workspace->plan().setMeal(MealPlan::Lunch, lunch);
        QVERIFY(live.isCurrent());
        QCOMPARE(live.day().nine.values[TotalsRow::Calories], 160.0);
    } else {
        QTRY_VERIFY(live.isCurrent());
    }
    compareWithCalculation();
    QVERIFY(m_window->findChild<QLineEdit*>(QStringLiteral("FoodFilter"))->isClearButtonEnabled());
}

QTEST_MAIN(TestLiveTotals)
#include "TestLiveTotals.moc"

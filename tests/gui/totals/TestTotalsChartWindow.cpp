// The chart window opened from the totals window over a real food table with kept nutrients:
// nutrients picked from its list and charted for the calculated rows, the "% of target" chart of
// one row, and both saved as an image and printed to PDF.

#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/NutrientTargets.h"
#include "gui/common/Prompt.h"
#include "gui/totals/TotalsChartWindow.h"
#include "gui/totals/TotalsCharts.h"
#include "gui/totals/TotalsDialog.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace {

const QString kSodium = QStringLiteral("307");
const QString kProtein = QStringLiteral("203");

QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

} // namespace

class TestTotalsChartWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void chartsThePickedNutrients_data();
    void chartsThePickedNutrients();
    void barsOfTheShareOfTarget_data();
    void barsOfTheShareOfTarget();
    void savesAndPrintsTheChartOnShow_data();
    void savesAndPrintsTheChartOnShow();

private:
    // Calculates Active and Daily and runs `check` on the chart window opened from the totals.
    void withChart(const std::function<void(TotalsChartWindow*)>& check);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<SqliteFoodStore> m_foods;
};

// Active: 2 apples and a slice of bread, which lacks sodium; Daily: cheese and an apple. Targets:
// calories at least 200, protein at least 50 g, sodium at most 2,300 mg.
void TestTotalsChartWindow::init()
{
    Prompt::setAnswering(true);
    QLocale::setDefault(QLocale::c());
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Apple", "1 medium", { "95", "25" }), foodRow("Bread", "1 slice", { "80", "15" }),
        foodRow("Cheese", "1 oz", { "110", "1", "9" }) });
    m_workspace = m_folder->workspace();
    m_workspace->files().setUserName("Ann Lee");
    addToMeal(m_workspace->plan(), MealPlan::Breakfast, "Apple", "2");
    addToMeal(m_workspace->plan(), MealPlan::Breakfast, "Bread", "1");
    QVERIFY(TextFile::writeLines(
        m_workspace->files().perUserFile("Daily"), { "Lunch_Cheese_ 1", "Dinner_Apple_ 1" }, nullptr));
    QVERIFY(TextFile::writeLines(m_workspace->files().perUserFile("Targets"), { "Calories_200_" }, nullptr));
    QVERIFY(TextFile::writeLines(
        m_workspace->files().perUserFile(NutrientTargets::keptFileSuffix()), { "203_50_", "307__2300" }, nullptr));
    m_foods = std::make_unique<SqliteFoodStore>(m_folder->databasePath());
    QString error;
    QVERIFY2(m_foods->refresh(&error), qPrintable(error));
    const QList<QPair<QString, QHash<QString, std::optional<double>>>> kept {
        { QStringLiteral("Apple"), { { kSodium, 1.0 }, { kProtein, 0.5 } } },
        { QStringLiteral("Bread"), { { kProtein, 4.0 } } },
        { QStringLiteral("Cheese"), { { kSodium, 400.0 }, { kProtein, 25.0 } } },
    };
    for (const auto& [food, values] : kept) {
        FoodNutrientChanges changes;
        changes.values = values;
        QVERIFY(writeNutrients(*m_foods, food, changes));
    }
}

void TestTotalsChartWindow::cleanup()
{
    m_foods.reset();
    m_workspace.reset();
    m_folder.reset();
    Prompt::setAnswering(false);
}

void TestTotalsChartWindow::withChart(const std::function<void(TotalsChartWindow*)>& check)
{
    TotalsDialog totals(m_workspace->files(), *m_foods, m_workspace->plan(), m_workspace->targets());
    totals.show();
    for (const char* box : { "Check1", "Check2" }) {
        QTest::mouseClick(totals.findChild<QCheckBox*>(box), Qt::LeftButton);
    }
    QTest::mouseClick(totals.findChild<QPushButton*>("CalcTot"), Qt::LeftButton);
    bool checked = false;
    whenModal([&](QWidget* widget) {
        auto* window = qobject_cast<TotalsChartWindow*>(widget);
        QVERIFY(window);
        check(window);
        checked = true;
        window->close();
    });
    QTest::mouseClick(totals.findChild<QPushButton*>("TotalsChart"), Qt::LeftButton);
    QVERIFY(checked);
}

void TestTotalsChartWindow::chartsThePickedNutrients_data()
{
    QTest::addColumn<QStringList>("toggled");
    // Those the list offered no more, as the charts were full.
    QTest::addColumn<QStringList>("refused");
    // The charts' titles in order, then the last one's values and which of them are hatched.
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<double>>("lastValues");
    QTest::addColumn<QList<bool>>("lastHatched");

    const QStringList nine { "Calories (kcal), target \u2265 200", "Carbohydrates (g)", "Fat (g)", "Sugar (g)",
        "Cholesterol (mg)", "Points", "Fiber (g)", "Sugar Alcohols (g)", "Net Carbs (g)" };
    QTest::newRow("untouched: the nine, as the grid")
        << QStringList() << QStringList() << nine << QList<double> { 65, 26 } << QList<bool> { false, false };
    QTest::newRow("sodium after the nine, a lower bound where bread lacks it")
        << QStringList { kSodium } << QStringList() << nine + QStringList { "Sodium (mg), target \u2264 2300" }
        << QList<double> { 2, 401 } << QList<bool> { true, false };
    QTest::newRow("the nine off, protein and sodium in the list's order")
        << NutrientTargets::nutrientNames() + QStringList { kSodium, kProtein } << QStringList()
        << QStringList { "Protein (g), target \u2265 50", "Sodium (mg), target \u2264 2300" }
        << QList<double> { 2, 401 } << QList<bool> { true, false };
    QTest::newRow("one off and on again keeps its place") << QStringList { "Fat", kProtein, "Fat" } << QStringList()
                                                          << nine + QStringList { "Protein (g), target \u2265 50" }
                                                          << QList<double> { 5, 25.5 } << QList<bool> { false, false };
    QTest::newRow("a thirteenth is not taken")
        << QStringList { kProtein, kSodium, "204", "205", "291" } << QStringList { "205", "291" }
        << nine + QStringList { "Protein (g), target \u2265 50", "Total fat (g)", "Sodium (mg), target \u2264 2300" }
        << QList<double> { 2, 401 } << QList<bool> { true, false };
}

// Nutrients are ticked in the list with the keyboard; each ticked one gets a chart with a bar per
// calculated row at its value, hatched where a planned food lacks the value.
void TestTotalsChartWindow::chartsThePickedNutrients()
{
    QFETCH(QStringList, toggled);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, titles);
    QFETCH(QList<double>, lastValues);
    QFETCH(QList<bool>, lastHatched);
    withChart([&](TotalsChartWindow* window) {
        auto* list = window->findChild<QTreeWidget*>("ChartNutrients");
        QStringList refusedNow;
        for (const QString& key : toggled) {
            const QList<QTreeWidgetItem*> items
                = list->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
            QTreeWidgetItem* item = nullptr;
            for (QTreeWidgetItem* candidate : items) {
                item = candidate->data(0, Qt::UserRole).toString() == key ? candidate : item;
            }
            QVERIFY2(item, qPrintable(key));
            if (!(item->flags() & Qt::ItemIsEnabled)) {
                refusedNow.append(key);
                continue;
            }
            list->scrollToItem(item);
            list->setCurrentItem(item);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Space);
        }
        QStringList shown;
        for (const QChartView* view : window->views()) {
            shown.append(view->chart()->title());
        }
        QCOMPARE(refusedNow, refused);
        QCOMPARE(shown.join("; "), titles.join("; "));
        QCOMPARE(window->keys().size(), titles.size());
        auto* bars = qobject_cast<QBarSeries*>(window->views().last()->chart()->series().last());
        QVERIFY(bars);
        QList<double> values;
        QList<bool> hatched;
        for (const QBarSet* set : bars->barSets()) {
            values.append(set->at(0));
            hatched.append(set->brush().style() != Qt::SolidPattern);
        }
        QCOMPARE(values, lastValues);
        QCOMPARE(hatched, lastHatched);
        const QString key = window->findChild<QLabel*>("ChartKey")->text();
        QCOMPARE(key.contains(QStringLiteral("Hatched")), lastHatched.contains(true));
    });
}

void TestTotalsChartWindow::barsOfTheShareOfTarget_data()
{
    QTest::addColumn<int>("row");
    // The bars from the top: their text and share; "≥" marks a hatched one.
    QTest::addColumn<QStringList>("bars");
    QTest::addColumn<QList<double>>("shares");
    QTest::newRow("Active: sodium a lower bound, as bread lacks it")
        << 0 << QStringList { "Calories 135 %", "Protein 10 %", "Sodium \u2265 0 %" }
        << QList<double> { 135, 10, 2.0 / 2300 * 100 };
    QTest::newRow("Daily") << 1 << QStringList { "Calories 102 %", "Protein 51 %", "Sodium 17 %" }
                           << QList<double> { 205.0 / 200 * 100, 51, 401.0 / 2300 * 100 };
}

// A bar per nutrient with a target, none for the others, in the list's order from the top, at its
// share of the minimum (sodium's of its maximum), against a line at 100 %.
void TestTotalsChartWindow::barsOfTheShareOfTarget()
{
    QFETCH(int, row);
    QFETCH(QStringList, bars);
    QFETCH(QList<double>, shares);
    withChart([&](TotalsChartWindow* window) {
        auto* kind = window->findChild<QComboBox*>("ChartKind");
        auto* rows = window->findChild<QComboBox*>("ChartRow");
        QVERIFY(!rows->isEnabled());
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        QVERIFY(rows->isEnabled());
        QVERIFY(!window->findChild<QTreeWidget*>("ChartNutrients")->isEnabled());
        rows->setCurrentIndex(row);
        QChart* chart = window->shareView()->chart();
        QVERIFY(chart->title().startsWith(rows->currentText()));
        QHorizontalStackedBarSeries* series = nullptr;
        QLineSeries* hundred = nullptr;
        for (QAbstractSeries* s : chart->series()) {
            series = series ? series : qobject_cast<QHorizontalStackedBarSeries*>(s);
            hundred = hundred ? hundred : qobject_cast<QLineSeries*>(s);
        }
        QVERIFY(series && hundred);
        auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical, series).value(0));
        QVERIFY(axis);
        // The axis counts from the bottom.
        QStringList shown = axis->categories();
        std::reverse(shown.begin(), shown.end());
        QCOMPARE(shown, bars);
        const QBarSet* known = series->barSets()[0];
        const QBarSet* atLeast = series->barSets()[1];
        QVERIFY(atLeast->brush().style() != Qt::SolidPattern);
        for (int b = 0; b < bars.size(); ++b) {
            const int at = static_cast<int>(bars.size()) - 1 - b;
            const bool lowerBound = bars[b].contains(QStringLiteral("\u2265"));
            QCOMPARE(known->at(at), lowerBound ? 0 : shares[b]);
            QCOMPARE(atLeast->at(at), lowerBound ? shares[b] : 0);
            QVERIFY(known->property("toolTips")
                        .toStringList()[at]
                        .contains(b == 2 ? QStringLiteral("of the maximum of 2300 mg")
                                         : QStringLiteral("of the minimum of")));
        }
        QCOMPARE(hundred->points(),
            QList<QPointF>({ QPointF(100, -0.5), QPointF(100, static_cast<double>(bars.size()) - 0.5) }));
        QCOMPARE(window->findChild<QLabel*>("ChartKey")->text().contains(QStringLiteral("Hatched")), row == 0);
    });
}

void TestTotalsChartWindow::savesAndPrintsTheChartOnShow_data()
{
    QTest::addColumn<bool>("shares");
    // Texts the printed page must hold.
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("sodium's chart") << false << QStringList { "Sodium (mg), target \u2264 2300", "Daily" };
    QTest::newRow("% of target") << true << QStringList { "Daily: % of the daily target", "Protein 51 %", "100 %" };
}

// The chart on show is what is saved and printed: a PNG at the layout size and a PDF page with its
// texts; the charts of the nutrients and the shares differ.
void TestTotalsChartWindow::savesAndPrintsTheChartOnShow()
{
    QFETCH(bool, shares);
    QFETCH(QStringList, printed);
    withChart([&](TotalsChartWindow* window) {
        const QString nineImage = m_folder->path() + "/nine.png";
        QVERIFY(window->saveTo(nineImage));
        if (shares) {
            window->showShares(1);
        } else {
            window->setKeys({ kSodium });
        }
        const QString image = m_folder->path() + "/chart.png";
        QVERIFY(window->saveTo(image));
        const QImage saved(image);
        QCOMPARE(saved.size(), TotalsCharts::LayoutSize);
        QVERIFY(saved != QImage(nineImage));

        const QString pdf = m_folder->path() + "/chart.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(window->printTo(&printer));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Platewell Totals Chart")), qPrintable(text));
        for (const QString& expected : printed) {
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in: ") + text));
        }
        QVERIFY(!text.contains(QStringLiteral("Carbohydrates")));
    });
}

QTEST_MAIN(TestTotalsChartWindow)
#include "TestTotalsChartWindow.moc"

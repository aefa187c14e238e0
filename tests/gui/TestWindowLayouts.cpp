// Every window, rendered at its default size and larger, at the scale the test runs under (CTest
// runs it at 100 % and at 200 %): no control is cut off by the window's edge, squeezed below the
// size its content needs, or overlapping another control. With PLATEWELL_LAYOUT_SHOTS set to a
// folder, the renderings are saved there to be looked at.

#include "TestSupport.h"
#include "gui/common/Prompt.h"
#include "gui/common/ShrinkingScrollArea.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/GridCaptionBar.h"
#include "gui/fooddb/ImportFoodsDialog.h"
#include "gui/info/AboutDialog.h"
#include "gui/info/CalendarWindow.h"
#include "gui/info/ConversionChartViewer.h"
#include "gui/info/LicenseViewer.h"
#include "gui/info/QuickHelpViewer.h"
#include "gui/planner/MainWindow.h"
#include "gui/planner/RichestFoodsDialog.h"
#include "gui/recipes/RecipesWindow.h"
#include "gui/totals/RecommendedIntakesDialog.h"
#include "gui/totals/TargetsDialog.h"
#include "gui/totals/TotalsChartWindow.h"
#include "gui/totals/TotalsDialog.h"
#include "gui/userfiles/CopyFilesDialog.h"
#include "gui/userfiles/UserNameDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

class TestWindowLayouts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nothingCutOffOrOverlapping_data();
    void nothingCutOffOrOverlapping();
    void everyFocusableControlIsNamed_data();
    void everyFocusableControlIsNamed();
    void legibleUnderADarkPalette_data();
    void legibleUnderADarkPalette();

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
};

using WindowMaker = std::function<QWidget*(Workspace&, FoodStore&)>;
Q_DECLARE_METATYPE(WindowMaker)

namespace {

// The controls a user sees: named widgets, less the parts of a scroll area (its viewport and
// bars), which the area itself places, and the food grid's captions, which scroll with its
// columns as a header does. A window's part that scrolls only on a screen too small for it is
// laid out as part of the window.
QList<QWidget*> controlsOf(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->objectName().isEmpty() || !child->isVisible() || child->isWindow()) {
            continue;
        }
        bool insideScrollArea = false;
        for (QWidget* parent = child->parentWidget(); parent && parent != window; parent = parent->parentWidget()) {
            insideScrollArea = insideScrollArea
                || (qobject_cast<QAbstractScrollArea*>(parent) && !qobject_cast<ShrinkingScrollArea*>(parent))
                || qobject_cast<GridCaptionBar*>(parent);
        }
        if (!insideScrollArea) {
            controls.append(child);
        }
    }
    return controls;
}

QString describe(const QWidget* widget)
{
    const QRect r = widget->geometry();
    return QStringLiteral("%1 (%2) at %3,%4 %5x%6")
        .arg(widget->objectName(), QLatin1String(widget->metaObject()->className()))
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

} // namespace

void TestWindowLayouts::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createStarterFoods();
    m_workspace = m_folder->workspace();
    QDir().mkpath(m_workspace->files().dataFolder());
}

void TestWindowLayouts::cleanup()
{
    m_workspace.reset();
    m_folder.reset();
}

namespace {

// Two calculated rows with sodium and iron kept, sodium unknown for a food of Daily, and targets
// for calories, sodium and iron.
ChartedTotals chartedSample()
{
    TotalsResult result;
    result.rows = { { "Daily", { 1900, 210, 62, 40, 180, 30, 28, 3, 179 } },
        { "Weekend", { 2400, 260, 90, 70, 250, 41, 22, 0, 238 } } };
    NutrientTotals kept;
    kept.numbers = { QStringLiteral("303"), QStringLiteral("307") };
    kept.rows = { { "Daily", { 9, 1900 }, { 0, 1 }, {} }, { "Weekend", { 14, 2600 }, { 0, 0 }, {} } };
    NutrientTargets targets;
    targets.setRange(0, { 1800, 2200 }, nullptr);
    targets.setKeptRange(QStringLiteral("307"), { std::nullopt, 2300 }, nullptr);
    targets.setKeptRange(QStringLiteral("303"), { 18, 45 }, nullptr);
    return ChartedTotals(result, kept, targets, NutrientCatalogue::starter());
}

} // namespace

void TestWindowLayouts::nothingCutOffOrOverlapping_data()
{
    QTest::addColumn<WindowMaker>("make");
    QTest::addColumn<double>("enlarged");
    const QList<std::pair<const char*, WindowMaker>> windows {
        { "main window", [](Workspace& w, FoodStore&) -> QWidget* { return new MainWindow(w); } },
        { "totals",
            [](Workspace& w, FoodStore& f) -> QWidget* {
                return new TotalsDialog(w.files(), f, w.plan(), w.targets());
            } },
        { "totals, nutrients",
            [](Workspace& w, FoodStore& f) -> QWidget* {
                addToMeal(w.plan(), MealPlan::Lunch, QStringLiteral("Abiyuch, raw"), QStringLiteral(" 2"));
                auto* window = new TotalsDialog(w.files(), f, w.plan(), w.targets());
                window->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
                window->calculate();
                window->findChild<QTabWidget*>(QStringLiteral("TotalsTabs"))->setCurrentIndex(1);
                return window;
            } },
        { "food grid", [](Workspace& w, FoodStore& f) -> QWidget* { return new FoodGridDialog(w.files(), f, true); } },
        { "food editor",
            [](Workspace& w, FoodStore& f) -> QWidget* {
                return new FoodEditorDialog(w.files(), f, w.foodSearchText());
            } },
        { "quick help", [](Workspace& w, FoodStore&) -> QWidget* { return new QuickHelpViewer(w.files()); } },
        { "conversion chart",
            [](Workspace& w, FoodStore&) -> QWidget* { return new ConversionChartViewer(w.files()); } },
        { "licence", [](Workspace& w, FoodStore&) -> QWidget* { return new LicenseViewer(w.files()); } },
        { "calendar", [](Workspace&, FoodStore&) -> QWidget* { return new CalendarWindow; } },
        { "about", [](Workspace&, FoodStore&) -> QWidget* { return new AboutDialog; } },
        { "copy files", [](Workspace& w, FoodStore&) -> QWidget* { return new CopyFilesDialog(w.files()); } },
        { "user name", [](Workspace& w, FoodStore&) -> QWidget* { return new UserNameDialog(w.files()); } },
        { "targets", [](Workspace& w, FoodStore&) -> QWidget* { return new TargetsDialog(w.targets()); } },
        { "targets from recommended intakes",
            [](Workspace& w, FoodStore&) -> QWidget* {
                auto* window = new TargetsDialog(w.targets());
                window->fillFromRecommendedIntakes(
                    { RecommendedIntakes::Sex::Female, 30, RecommendedIntakes::Stage::Pregnant });
                return window;
            } },
        { "recommended intakes", [](Workspace&, FoodStore&) -> QWidget* { return new RecommendedIntakesDialog; } },
        { "chart",
            [](Workspace&, FoodStore&) -> QWidget* {
                TotalsResult result;
                result.rows = { { "Daily", { 1850, 210, 62, 40, 180, 30, 28, 3, 179 } },
                    { "Weekend", { 2400, 260, 90, 70, 250, 41, 22, 0, 238 } } };
                NutrientTargets targets;
                targets.setRange(0, { 1800, 2200 }, nullptr);
                return new TotalsChartWindow(result, targets, QString());
            } },
        { "chart of any nutrient",
            [](Workspace&, FoodStore&) -> QWidget* {
                auto* window = new TotalsChartWindow(chartedSample(), QString());
                window->setKeys({ QStringLiteral("Calories"), QStringLiteral("307"), QStringLiteral("303") });
                return window;
            } },
        { "% of target chart",
            [](Workspace&, FoodStore&) -> QWidget* {
                auto* window = new TotalsChartWindow(chartedSample(), QString());
                window->showShares(0);
                return window;
            } },
        { "import foods", [](Workspace& w, FoodStore&) -> QWidget* { return new ImportFoodsDialog(w.files()); } },
        { "recipes", [](Workspace& w, FoodStore& f) -> QWidget* { return new RecipesWindow(w.files(), f); } },
        { "richest foods",
            [](Workspace&, FoodStore& f) -> QWidget* { return new RichestFoodsDialog(f, QStringLiteral("303")); } },
    };
    for (const auto& [name, make] : windows) {
        QTest::addRow("%s, default size", name) << make << 1.0;
        QTest::addRow("%s, enlarged", name) << make << 1.6;
    }
}

void TestWindowLayouts::nothingCutOffOrOverlapping()
{
    QFETCH(WindowMaker, make);
    QFETCH(double, enlarged);
    std::unique_ptr<QWidget> window(make(*m_workspace, m_workspace->foods()));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (enlarged != 1.0) {
        window->resize(window->size() * enlarged);
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    const QPixmap shot = window->grab();
    QVERIFY(!shot.isNull());
    const QString folder = qEnvironmentVariable("PLATEWELL_LAYOUT_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        shot.save(QStringLiteral("%1/%2-%3.png")
                      .arg(folder, QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), u'-'))
                      .arg(window->devicePixelRatio()));
    }

    const QList<QWidget*> controls = controlsOf(window.get());
    QVERIFY(!controls.isEmpty());
    for (QWidget* control : controls) {
        const QRect inWindow(control->mapTo(window.get(), QPoint(0, 0)), control->size());
        QVERIFY2(window->rect().contains(inWindow), qPrintable(QStringLiteral("cut off: ") + describe(control)));
        const QSize needed = control->minimumSizeHint();
        QVERIFY2(!needed.isValid() || (control->width() >= needed.width() && control->height() >= needed.height()),
            qPrintable(
                QStringLiteral("squeezed below %1x%2: ").arg(needed.width()).arg(needed.height()) + describe(control)));
    }
    for (QWidget* a : controls) {
        for (QWidget* b : controls) {
            if (a == b || a->isAncestorOf(b) || b->isAncestorOf(a)) {
                continue;
            }
            const QRect ra(a->mapTo(window.get(), QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(window.get(), QPoint(0, 0)), b->size());
            QVERIFY2(!ra.intersects(rb), qPrintable(describe(a) + QStringLiteral(" overlaps ") + describe(b)));
        }
    }
}

void TestWindowLayouts::everyFocusableControlIsNamed_data()
{
    nothingCutOffOrOverlapping_data();
}

// A screen reader names every control that takes focus: by its own text, its accessible name
// or the label it is the buddy of.
void TestWindowLayouts::everyFocusableControlIsNamed()
{
    QFETCH(WindowMaker, make);
    QFETCH(double, enlarged);
    if (enlarged != 1.0) {
        QSKIP("the names do not depend on the size");
    }
    std::unique_ptr<QWidget> window(make(*m_workspace, m_workspace->foods()));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QStringList unnamed;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!child->isVisible() || !(child->focusPolicy() & Qt::TabFocus) || child->focusProxy()) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(child);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed.append(describe(child));
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
}

namespace {

double luminance(QRgb colour)
{
    auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast between a rendering's most common colour, its background, and the colour that
// stands out most from it, its text.
double textContrast(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y) | 0xFF000000u];
        }
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        best = std::max(best, contrast(background, it.key()));
    }
    return best;
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    dark.setColor(QPalette::ToolTipText, QColor(235, 235, 235));
    dark.setColor(QPalette::PlaceholderText, QColor(170, 170, 170));
    return dark;
}

} // namespace

void TestWindowLayouts::legibleUnderADarkPalette_data()
{
    nothingCutOffOrOverlapping_data();
}

// Under a dark desktop palette every control that shows text keeps it readable: at least 4.5 : 1
// between its text and its background, measured on its rendering.
void TestWindowLayouts::legibleUnderADarkPalette()
{
    QFETCH(WindowMaker, make);
    QFETCH(double, enlarged);
    if (enlarged != 1.0) {
        QSKIP("the colours do not depend on the size");
    }
    const QPalette before = QApplication::palette();
    QApplication::setPalette(darkPalette());
    std::unique_ptr<QWidget> window(make(*m_workspace, m_workspace->foods()));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QStringList faint;
    for (QWidget* control : controlsOf(window.get())) {
        const auto* label = qobject_cast<QLabel*>(control);
        const auto* button = qobject_cast<QAbstractButton*>(control);
        const auto* view = qobject_cast<QAbstractItemView*>(control);
        const bool showsText = (label && !label->text().isEmpty()) || (button && !button->text().isEmpty())
            || (view && view->model() && view->model()->rowCount() > 0);
        if (!showsText || control->width() < 4 || control->height() < 4) {
            continue;
        }
        const double ratio = textContrast(control->grab().toImage());
        if (ratio < 4.5) {
            faint.append(QStringLiteral("%1 (%2 : 1)").arg(describe(control)).arg(ratio, 0, 'f', 1));
        }
    }
    // The chart takes the dark theme but keeps its own colours: the key shows each bar's colour,
    // and the target band stays see-through over the grid lines.
    QStringList unmatched;
    if (const auto* chartWindow = qobject_cast<TotalsChartWindow*>(window.get());
        chartWindow && !chartWindow->shareView()->isVisible()) {
        QStringList keyColours;
        const QString key = chartWindow->findChild<QLabel*>(QStringLiteral("ChartKey"))->text();
        for (const QRegularExpressionMatch& match :
            QRegularExpression(QStringLiteral("background-color:(#[0-9a-f]{6})")).globalMatch(key)) {
            keyColours.append(match.captured(1));
        }
        for (const QChartView* view : chartWindow->views()) {
            for (QAbstractSeries* series : view->chart()->series()) {
                if (const auto* bars = qobject_cast<QBarSeries*>(series)) {
                    QStringList barColours;
                    for (QBarSet* set : bars->barSets()) {
                        barColours.append(set->color().name());
                    }
                    if (barColours != keyColours) {
                        unmatched.append(QStringLiteral("%1: bars %2, key %3")
                                             .arg(view->objectName(), barColours.join(u','), keyColours.join(u',')));
                    }
                } else if (const auto* band = qobject_cast<QAreaSeries*>(series); band && band->brush().isOpaque()) {
                    unmatched.append(QStringLiteral("%1: opaque target band").arg(view->objectName()));
                }
            }
        }
    }
    // The "% of target" chart's bars and its 100 % line stand out from its dark ground.
    if (const auto* chartWindow = qobject_cast<TotalsChartWindow*>(window.get());
        chartWindow && chartWindow->shareView()->isVisible()) {
        QChartView* view = chartWindow->shareView();
        const QRectF plot = view->chart()->plotArea();
        const QRgb ground = view->grab().toImage().pixel(QPoint(int(plot.right()) - 4, int(plot.top()) + 4));
        if (qGray(ground) >= 128) {
            unmatched.append(QStringLiteral("% of target chart: light ground"));
        }
        for (QAbstractSeries* series : view->chart()->series()) {
            QColor mark;
            if (const auto* bars = qobject_cast<QAbstractBarSeries*>(series)) {
                mark = bars->barSets().value(0)->color();
            } else if (const auto* line = qobject_cast<QLineSeries*>(series)) {
                mark = line->pen().color();
            }
            if (mark.isValid() && contrast(ground, mark.rgb()) < 3) {
                unmatched.append(QStringLiteral("% of target chart: %1 on %2 (%3 : 1)")
                                     .arg(mark.name(), QColor(ground).name())
                                     .arg(contrast(ground, mark.rgb()), 0, 'f', 1));
            }
        }
    }
    window.reset();
    QApplication::setPalette(before);
    QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral("; "))));
    QVERIFY2(unmatched.isEmpty(), qPrintable(unmatched.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestWindowLayouts)
#include "TestWindowLayouts.moc"

// Every window, rendered at its default size and larger, at the scale the test runs under (CTest
// runs it at 100 % and at 200 %): no control is cut off by the window's edge, squeezed below the
// size its content needs, or overlapping another control. With PLATEWELL_LAYOUT_SHOTS set to a
// folder, the renderings are saved there to be looked at.

#include "TestSupport.h"
#include "core/FoodDatabase.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/GridCaptionBar.h"
#include "gui/info/AboutDialog.h"
#include "gui/info/CalendarWindow.h"
#include "gui/info/ConversionChartViewer.h"
#include "gui/info/LicenseViewer.h"
#include "gui/info/QuickHelpViewer.h"
#include "gui/planner/MainWindow.h"
#include "gui/totals/TotalsDialog.h"
#include "gui/userfiles/CopyFilesDialog.h"
#include "gui/userfiles/UserNameDialog.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QTest>

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

private:
    std::unique_ptr<TestFolder> m_folder;
    SharedState m_state;
    FoodDatabase m_foods;
};

using WindowMaker = std::function<QWidget*(SharedState&, FoodDatabase&)>;
Q_DECLARE_METATYPE(WindowMaker)

namespace {

// The controls a user sees: named widgets, less the parts of a scroll area (its viewport and
// bars), which the area itself places, and the food grid's captions, which scroll with its
// columns as a header does.
QList<QWidget*> controlsOf(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->objectName().isEmpty() || !child->isVisible() || child->isWindow()) {
            continue;
        }
        bool insideScrollArea = false;
        for (QWidget* parent = child->parentWidget(); parent && parent != window; parent = parent->parentWidget()) {
            insideScrollArea = insideScrollArea || qobject_cast<QAbstractScrollArea*>(parent)
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
    m_state = m_folder->state();
    QDir().mkpath(m_state.DataFolder);
}

void TestWindowLayouts::cleanup()
{
    m_foods.close();
    m_folder.reset();
}

void TestWindowLayouts::nothingCutOffOrOverlapping_data()
{
    QTest::addColumn<WindowMaker>("make");
    QTest::addColumn<double>("enlarged");
    const QList<std::pair<const char*, WindowMaker>> windows {
        { "main window", [](SharedState& s, FoodDatabase&) -> QWidget* { return new MainWindow(s); } },
        { "totals", [](SharedState& s, FoodDatabase& f) -> QWidget* { return new TotalsDialog(s, f); } },
        { "food grid", [](SharedState& s, FoodDatabase& f) -> QWidget* { return new FoodGridDialog(s, f, true); } },
        { "food editor", [](SharedState& s, FoodDatabase& f) -> QWidget* { return new FoodEditorDialog(s, f); } },
        { "quick help", [](SharedState& s, FoodDatabase&) -> QWidget* { return new QuickHelpViewer(s); } },
        { "conversion chart", [](SharedState& s, FoodDatabase&) -> QWidget* { return new ConversionChartViewer(s); } },
        { "licence", [](SharedState& s, FoodDatabase&) -> QWidget* { return new LicenseViewer(s); } },
        { "calendar", [](SharedState&, FoodDatabase&) -> QWidget* { return new CalendarWindow; } },
        { "about", [](SharedState&, FoodDatabase&) -> QWidget* { return new AboutDialog; } },
        { "copy files", [](SharedState& s, FoodDatabase&) -> QWidget* { return new CopyFilesDialog(s); } },
        { "user name", [](SharedState& s, FoodDatabase&) -> QWidget* { return new UserNameDialog(s, nullptr); } },
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
    std::unique_ptr<QWidget> window(make(m_state, m_foods));
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
    std::unique_ptr<QWidget> window(make(m_state, m_foods));
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

QTEST_MAIN(TestWindowLayouts)
#include "TestWindowLayouts.moc"

// Every window opened as the program opens it, on a 1600 x 1000 screen at 200 % (800 x 500 in
// Qt's pixels): none is larger than the screen with room for its frame, and the main window keeps
// its row of commands in sight. The program sets up that screen itself before the application
// starts, so it runs the same from CTest and by hand.

#include "TestSupport.h"
#include "gui/common/Prompt.h"
#include "gui/common/WindowModal.h"
#include "gui/common/WindowSizes.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/ImportFoodsDialog.h"
#include "gui/planner/MainWindow.h"
#include "gui/recipes/RecipesWindow.h"
#include "gui/totals/TotalsDialog.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QTest>

#include <functional>
#include <memory>

using DialogMaker = std::function<QDialog*(Workspace&, FoodStore&)>;
Q_DECLARE_METATYPE(DialogMaker)

class TestWindowsFitTheScreen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void mainWindowFitsWithItsCommandsInSight();
    void statusMessageKeepsTheWindowsHeight();
    void modalWindowsFit_data();
    void modalWindowsFit();

private:
    // The free part of the screen less the frame the desktop may add.
    QRect room() const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
};

void TestWindowsFitTheScreen::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createStarterFoods();
    m_workspace = m_folder->workspace();
}

void TestWindowsFitTheScreen::cleanup()
{
    m_workspace.reset();
    m_folder.reset();
}

QRect TestWindowsFitTheScreen::room() const
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void TestWindowsFitTheScreen::mainWindowFitsWithItsCommandsInSight()
{
    QCOMPARE(room().size(), QSize(800, 500));
    MainWindow window(*m_workspace);
    WindowSizes::fitToScreen(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(room().contains(window.frameGeometry()),
        qPrintable(QStringLiteral("%1x%2").arg(window.frameGeometry().width()).arg(window.frameGeometry().height())));
    for (const char* name :
        { "LoadFoodList", "EditFoodList", "ViewFoodProps", "servconvinfo", "Command9", "Command10" }) {
        auto* button = window.findChild<QPushButton*>(QLatin1String(name));
        QVERIFY2(button->visibleRegion() == QRegion(button->rect()), name);
    }
    const QString shots = qEnvironmentVariable("PLATEWELL_LAYOUT_SHOTS");
    if (!shots.isEmpty()) {
        window.grab().save(shots + QStringLiteral("/main-window-small-screen.png"));
    }
    // What scrolls is still all there, and the food list still works.
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("FoodFilter")), QStringLiteral("oatmeal"));
    QVERIFY(list->model()->rowCount() > 0);
}

// The status bar is part of the window from the start: the message after Save changes nothing
// of the window's size.
void TestWindowsFitTheScreen::statusMessageKeepsTheWindowsHeight()
{
    MainWindow window(*m_workspace);
    WindowSizes::fitToScreen(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.frameGeometry();
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Breakfast_Add")), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton);
    QVERIFY(!window.statusBar()->currentMessage().isEmpty());
    QTest::qWait(50);
    QCOMPARE(window.frameGeometry(), before);
}

void TestWindowsFitTheScreen::modalWindowsFit_data()
{
    QTest::addColumn<DialogMaker>("make");
    QTest::newRow("totals") << DialogMaker(
        [](Workspace& w, FoodStore& f) -> QDialog* { return new TotalsDialog(w.files(), f, w.plan(), w.targets()); });
    QTest::newRow("food grid") << DialogMaker(
        [](Workspace& w, FoodStore& f) -> QDialog* { return new FoodGridDialog(w.files(), f, true); });
    QTest::newRow("food editor") << DialogMaker(
        [](Workspace& w, FoodStore& f) -> QDialog* { return new FoodEditorDialog(w.files(), f, w.foodSearchText()); });
    QTest::newRow("import foods") << DialogMaker(
        [](Workspace& w, FoodStore&) -> QDialog* { return new ImportFoodsDialog(w.files()); });
    QTest::newRow("recipes") << DialogMaker(
        [](Workspace& w, FoodStore& f) -> QDialog* { return new RecipesWindow(w.files(), f); });
}

// Opened as every modal window is, each fits; a window whose content needs more than the screen
// scrolls, and each of its buttons can be scrolled into sight, whole, and pressed there.
void TestWindowsFitTheScreen::modalWindowsFit()
{
    QFETCH(DialogMaker, make);
    QString error;
    QVERIFY2(m_workspace->foods().refresh(&error), qPrintable(error));
    QWidget owner;
    owner.show();
    std::unique_ptr<QDialog> window(make(*m_workspace, m_workspace->foods()));
    window->setParent(&owner, window->windowFlags());
    QRect shown;
    int buttons = 0;
    QStringList outOfReach;
    whenModal([&](QWidget* modal) {
        QVERIFY(QTest::qWaitForWindowExposed(modal));
        shown = modal->frameGeometry();
        for (QPushButton* button : modal->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(modal)) {
                continue;
            }
            ++buttons;
            // As a user would: every scroll area around the button brings it into sight.
            for (QWidget* up = button->parentWidget(); up && up != modal; up = up->parentWidget()) {
                if (auto* area = qobject_cast<QScrollArea*>(up)) {
                    area->ensureWidgetVisible(button, 0, 0);
                }
            }
            QCoreApplication::processEvents();
            const QRect inWindow(button->mapTo(modal, QPoint(0, 0)), button->size());
            if (button->visibleRegion() != QRegion(button->rect()) || !modal->rect().contains(inWindow)) {
                outOfReach.append(button->objectName() + u' ' + button->text());
            }
        }
        modal->close();
    });
    execWindowModal(*window);
    window->setParent(nullptr);
    QVERIFY(shown.isValid());
    QVERIFY2(room().contains(shown), qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
    QVERIFY(buttons > 0);
    QVERIFY2(outOfReach.isEmpty(), qPrintable(outOfReach.join(QStringLiteral(", "))));
}

int main(int argc, char* argv[])
{
    // A screen of 1600 x 1000 pixels at 200 %, in place of the offscreen platform's own.
    QTemporaryFile screens;
    if (!screens.open()) {
        return 1;
    }
    screens.write(R"({ "screens": [ { "name": "wide", "x": 0, "y": 0, "width": 1600, "height": 1000,
                   "logicalDpi": 96, "logicalBaseDpi": 96 } ] })");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(screens.fileName()));
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestWindowsFitTheScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestWindowsFitTheScreen.moc"

// The main window from the keyboard: the search box over the food list, adding with Enter and
// Ctrl+1 to Ctrl+4, Delete in a meal list, and undo and redo of every change to the plan.

#include "TestSupport.h"
#include "core/plans/PeriodFile.h"
#include "gui/common/Prompt.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

#include <memory>

class TestPlanningByKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void searchBoxFiltersTheList_data();
    void searchBoxFiltersTheList();
    void emptyBoxGivesBackTheFullListAndSelection();
    void keysAddAndRemove();
    void firstKeystrokesGoToTheSearch();
    void enterAddsTheFoodTheUnitBelongsTo_data();
    void enterAddsTheFoodTheUnitBelongsTo();
    void undoAndRedoEveryStep_data();
    void undoAndRedoEveryStep();

private:
    QStringList shownFoods() const;
    QStringList mealLines(const char* list) const;
    QString planText() const;
    QLineEdit* filter() const { return m_window->findChild<QLineEdit*>(QStringLiteral("FoodFilter")); }
    QListView* foods() const { return m_window->findChild<QListView*>(QStringLiteral("List1")); }
    void selectFood(const QString& name);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

void TestPlanningByKeyboard::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Chicken, breast, roasted"), QStringLiteral("3 oz"), { "140" }),
        foodRow(QStringLiteral("APPLEBEE'S, chicken fingers"), QStringLiteral("1 serving"), { "600" }),
        foodRow(QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"), QStringLiteral("1 cup"), { "330" }),
        foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { "95" }),
        foodRow(QStringLiteral("Milk, whole"), QStringLiteral("1 cup"), { "149" }) });
    m_workspace = m_folder->workspace();
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPlanningByKeyboard::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

QStringList TestPlanningByKeyboard::shownFoods() const
{
    QStringList names;
    for (int row = 0; row < foods()->model()->rowCount(); ++row) {
        names.append(foods()->model()->index(row, 0).data().toString());
    }
    return names;
}

QStringList TestPlanningByKeyboard::mealLines(const char* list) const
{
    QStringList lines;
    QAbstractItemModel* model = m_window->findChild<QListView*>(QLatin1String(list))->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        lines.append(model->index(row, 0).data().toString());
    }
    return lines;
}

// The four meal lists and the meal tables the totals read, as one text.
QString TestPlanningByKeyboard::planText() const
{
    QStringList parts;
    for (const char* list : { "List2", "List3", "List4", "List5" }) {
        parts.append(mealLines(list).join(u'|'));
    }
    for (const MealTable& table : m_workspace->plan().plan().tables) {
        for (int i = 1; i <= table.count(); ++i) {
            parts.append(table.slot(i).FoodName + u'=' + table.slot(i).QuantityText);
        }
    }
    return parts.join(u'/');
}

void TestPlanningByKeyboard::selectFood(const QString& name)
{
    const int row = static_cast<int>(shownFoods().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name));
    foods()->setCurrentIndex(foods()->model()->index(row, 0));
}

void TestPlanningByKeyboard::searchBoxFiltersTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("words in any order") << "breast chick" << QStringList { "Chicken, breast, roasted" };
    QTest::newRow("case ignored, name order kept")
        << "CHICKEN" << QStringList { "APPLEBEE'S, chicken fingers", "Chicken, breast, roasted" };
    QTest::newRow("accents ignored") << "creme brul"
                                     << QStringList { QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65") };
    QTest::newRow("no match") << "pizza" << QStringList {};
}

void TestPlanningByKeyboard::searchBoxFiltersTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QCOMPARE(filter()->placeholderText(), QStringLiteral("Search foods"));
    QTest::keyClicks(filter(), typed);
    QCOMPARE(shownFoods(), shown);
    const QString shots = qEnvironmentVariable("PLATEWELL_LAYOUT_SHOTS");
    if (!shots.isEmpty()) {
        m_window->grab().save(
            QStringLiteral("%1/search-%2.png").arg(shots, QString::fromLatin1(QTest::currentDataTag())));
    }
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("FoodCount"))->text(),
        QStringLiteral("%1 of 5 foods").arg(shown.size()));
    // Refresh Food List keeps the search.
    QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("LoadFoodList")), Qt::LeftButton);
    QCOMPARE(shownFoods(), shown);
    QTest::keyClick(filter(), Qt::Key_Escape);
    QCOMPARE(filter()->text(), QString());
    QCOMPARE(shownFoods().size(), 5);
}

void TestPlanningByKeyboard::emptyBoxGivesBackTheFullListAndSelection()
{
    const QStringList full = shownFoods();
    selectFood(QStringLiteral("Chicken, breast, roasted"));
    QTest::keyClicks(filter(), QStringLiteral("chick"));
    // The selected food is still shown and still selected; its serving unit stays.
    QCOMPARE(foods()->currentIndex().data().toString(), QStringLiteral("Chicken, breast, roasted"));
    QVERIFY(foods()->selectionModel()->isSelected(foods()->currentIndex()));
    QTest::keyClicks(filter(), QStringLiteral("x"));
    QCOMPARE(shownFoods(), QStringList {});
    filter()->clear();
    QCOMPARE(shownFoods(), full);
    QCOMPARE(foods()->currentIndex().data().toString(), QStringLiteral("Chicken, breast, roasted"));
    QVERIFY(foods()->selectionModel()->isSelected(foods()->currentIndex()));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("3 oz"));
}

void TestPlanningByKeyboard::keysAddAndRemove()
{
    // Enter in the box adds the one food shown to the current meal, Breakfast to begin with.
    QTest::keyClicks(filter(), QStringLiteral("milk"));
    QTest::keyClick(filter(), Qt::Key_Return);
    QCOMPARE(mealLines("List2"), QStringList { "Milk, whole,  1" });
    // Ctrl+Z in the box undoes the plan's last step, not the typing; keypad Enter adds again.
    QTest::keyClick(filter(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(mealLines("List2"), QStringList {});
    QCOMPARE(filter()->text(), QStringLiteral("milk"));
    QTest::keyClick(filter(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(mealLines("List2"), QStringList { "Milk, whole,  1" });
    // Down goes into the list; Ctrl+2 adds to Lunch and makes it the current meal for Enter.
    filter()->clear();
    QTest::keyClicks(filter(), QStringLiteral("chicken"));
    QTest::keyClick(filter(), Qt::Key_Down);
    QVERIFY(foods()->hasFocus());
    QTest::keyClick(foods(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(mealLines("List3"), QStringList { "APPLEBEE'S, chicken fingers,  1" });
    QTest::keyClick(foods(), Qt::Key_Down);
    QTest::keyClick(m_window->findChild<QLineEdit*>(QStringLiteral("Text1")), Qt::Key_Q, Qt::AltModifier);
    auto* quantity = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(quantity->hasFocus());
    QTest::keyClicks(quantity, QStringLiteral("2"));
    foods()->setFocus();
    QTest::keyClick(foods(), Qt::Key_Return);
    QCOMPARE(mealLines("List3"), (QStringList { "APPLEBEE'S, chicken fingers,  1", "Chicken, breast, roasted,  2" }));
    // The same refusal as the buttons: a food already in the meal is not added twice.
    QTest::keyClick(foods(), Qt::Key_Return);
    QCOMPARE(mealLines("List3").size(), 2);
    // Delete in a meal list removes the selected entry.
    auto* lunch = m_window->findChild<QListView*>(QStringLiteral("List3"));
    lunch->setCurrentIndex(lunch->model()->index(0, 0));
    QTest::keyClick(lunch, Qt::Key_Delete);
    QCOMPARE(mealLines("List3"), QStringList { "Chicken, breast, roasted,  2" });
    QCOMPARE(m_workspace->plan().meal(MealPlan::Lunch).slot(1).FoodName, QStringLiteral("Chicken, breast, roasted"));
}

// Typed into the window as it opens, through the window system as a person's keys come: a food's
// name and Enter put the food in Breakfast and leave the period as it was.
void TestPlanningByKeyboard::firstKeystrokesGoToTheSearch()
{
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    for (const char key : QByteArrayLiteral("milk")) {
        QTest::keyClick(m_window->windowHandle(), key);
    }
    QTest::keyClick(m_window->windowHandle(), Qt::Key_Return);
    QCOMPARE(filter()->text(), QStringLiteral("milk"));
    QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("DayofWeek"))->currentText(), QStringLiteral("Daily"));
    QCOMPARE(mealLines("List2"), QStringList { "Milk, whole,  1" });
}

void TestPlanningByKeyboard::enterAddsTheFoodTheUnitBelongsTo_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("enterIn");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("breakfast");
    const QStringList first { "APPLEBEE'S, chicken fingers,  2" };
    QTest::newRow("search, none selected") << ""
                                           << "chicken"
                                           << "FoodFilter"
                                           << "1 serving" << first;
    QTest::newRow("search, one selected") << "Chicken, breast, roasted"
                                          << "chicken"
                                          << "FoodFilter"
                                          << "3 oz" << QStringList { "Chicken, breast, roasted,  2" };
    QTest::newRow("selection hidden by a new search") << "Milk, whole"
                                                      << "chicken"
                                                      << "FoodFilter"
                                                      << "1 serving" << first;
    QTest::newRow("quantity after a search") << ""
                                             << "chicken"
                                             << "Text1"
                                             << "1 serving" << first;
    QTest::newRow("quantity, food selected") << "Apple"
                                             << ""
                                             << "Text1"
                                             << "1 medium" << QStringList { "Apple,  2" };
    QTest::newRow("quantity, nothing chosen") << ""
                                              << ""
                                              << "Text1"
                                              << "" << QStringList {};
    QTest::newRow("search finds nothing") << "Apple"
                                          << "pizza"
                                          << "FoodFilter"
                                          << "" << QStringList {};
}

// Enter in the search box or the quantity adds the food whose serving unit is shown, to the
// current meal; the unit never belongs to another food.
void TestPlanningByKeyboard::enterAddsTheFoodTheUnitBelongsTo()
{
    QFETCH(QString, selected);
    QFETCH(QString, typed);
    QFETCH(QString, enterIn);
    QFETCH(QString, unit);
    QFETCH(QStringList, breakfast);
    auto* quantity = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    quantity->setText(QStringLiteral("2"));
    if (!selected.isEmpty()) {
        selectFood(selected);
    }
    QTest::keyClicks(filter(), typed);
    auto* shownUnit = m_window->findChild<QLabel*>(QStringLiteral("Label7"));
    QCOMPARE(shownUnit->text(), unit);
    QTest::keyClick(m_window->findChild<QLineEdit*>(enterIn), Qt::Key_Return);
    QCOMPARE(mealLines("List2"), breakfast);
    QCOMPARE(shownUnit->text(), unit);
}

void TestPlanningByKeyboard::undoAndRedoEveryStep_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("undoText");
    QTest::newRow("add") << "add"
                         << "Undo Add Apple to Dinner";
    QTest::newRow("remove") << "remove"
                            << "Undo Remove Milk, whole from Lunch";
    QTest::newRow("clear") << "clear"
                           << "Undo Clear Lunch";
    QTest::newRow("load") << "load"
                          << "Undo Load Daily Plan";
}

void TestPlanningByKeyboard::undoAndRedoEveryStep()
{
    QFETCH(QString, step);
    QFETCH(QString, undoText);
    // A plan to start from, with a saved Daily plan to load.
    for (const char* food : { "Milk, whole", "Apple" }) {
        selectFood(QLatin1String(food));
        QTest::keyClick(foods(), Qt::Key_2, Qt::ControlModifier);
    }
    MealPlan saved;
    saved.tables[MealPlan::Other].add(QStringLiteral("Apple"), QStringLiteral(" 3"));
    QString error;
    QVERIFY(PeriodFile::save(m_workspace->files().perUserFile(QStringLiteral("Daily")), saved, &error));

    const QString before = planText();
    if (step == QLatin1String("add")) {
        selectFood(QStringLiteral("Apple"));
        QTest::keyClick(foods(), Qt::Key_3, Qt::ControlModifier);
    } else if (step == QLatin1String("remove")) {
        auto* lunch = m_window->findChild<QListView*>(QStringLiteral("List3"));
        lunch->setCurrentIndex(lunch->model()->index(0, 0));
        QTest::keyClick(lunch, Qt::Key_Delete);
    } else if (step == QLatin1String("clear")) {
        QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("LunchClear")), Qt::LeftButton);
    } else {
        Prompt::queueAnswer(true);
        QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("LoadDiet")), Qt::LeftButton);
    }
    const QString after = planText();
    QVERIFY(after != before);
    auto* undo = m_window->findChild<QAction*>(QStringLiteral("mnuItemUndo"));
    auto* redo = m_window->findChild<QAction*>(QStringLiteral("mnuItemRedo"));
    QCOMPARE(undo->text(), undoText);
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(planText(), before);
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(planText(), after);
    undo->trigger();
    redo->trigger();
    QCOMPARE(planText(), after);
}

QTEST_MAIN(TestPlanningByKeyboard)
#include "TestPlanningByKeyboard.moc"

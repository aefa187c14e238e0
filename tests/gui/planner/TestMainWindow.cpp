#include "OtherProgram.h"
#include "TestSupport.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/workspace/StarterNutrients.h"
#include "gui/common/Prompt.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QUndoStack>

#include <cstdio>
#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startUp();
    void starterFoodsInNameOrder();
    void servingUnitFollowsClickedFood();
    void addStoresQuantityText_data();
    void addStoresQuantityText();
    void duplicates_data();
    void duplicates();
    void addWithoutSelectionDoesNothing();
    void weightPlansServings_data();
    void weightPlansServings();
    void removeAndClear();
    void mealHoldsAtMostHundred();
    void refreshShowsChangedTable();
    void brokenTableGivesMessageAndEmptyList();
    void replacedFoodTableIsReopened();
    void hostileLengthsStayShort_data();
    void hostileLengthsStayShort();

private:
    void open();
    void selectFood(const QString& name);
    QPushButton* button(const char* name) { return m_window->findChild<QPushButton*>(QLatin1String(name)); }
    QListView* mealList(const char* name) { return m_window->findChild<QListView*>(QLatin1String(name)); }
    QStringList lines(const char* list);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple Pie"), QStringLiteral("1 slice"), { QStringLiteral("300") }),
        foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }),
        foodRow(QStringLiteral("apple"), QStringLiteral("1 small"), { QStringLiteral("80") }),
        foodRow(QStringLiteral("Banana"), QStringLiteral("1 large (136 g)"), { QStringLiteral("121") }) });
    m_workspace = m_folder->workspace();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

void TestMainWindow::open()
{
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::selectFood(const QString& name)
{
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    const QModelIndexList found = list->model()->match(
        list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    list->scrollTo(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(found.first()).center());
    QCOMPARE(list->currentIndex(), found.first());
}

QStringList TestMainWindow::lines(const char* name)
{
    QStringList result;
    QAbstractItemModel* model = mealList(name)->model();
    for (int i = 0; i < model->rowCount(); ++i) {
        result.append(model->index(i, 0).data().toString());
    }
    return result;
}

void TestMainWindow::startUp()
{
    m_workspace->files().setUserName(QStringLiteral("left over"));
    open();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Platewell"));
    auto* period = m_window->findChild<QComboBox*>(QStringLiteral("DayofWeek"));
    QCOMPARE(period->count(), 11);
    QCOMPARE(period->currentText(), QStringLiteral("Daily"));
    QCOMPARE(period->itemText(10), QStringLiteral("Saturday"));
    QCOMPARE(button("Command1")->text(), QStringLiteral("User Name"));
    QVERIFY(m_workspace->files().userName().isEmpty());
    QCOMPARE(m_window->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("1"));
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("Label7"))->text().isEmpty());
    for (const char* name : { "SaveDiet", "LoadDiet", "HelpEdit", "Breakfast_Add", "BreakfastDelete", "BreakfastClear",
             "Other_Add", "LoadFoodList", "EditFoodList", "ViewFoodProps", "servconvinfo", "Command9", "Command10" }) {
        QVERIFY2(button(name), name);
    }
    QCOMPARE(button("Breakfast_Add")->text(), QStringLiteral("Add  ->"));
    QCOMPARE(button("LunchDelete")->text(), QStringLiteral("<-  Remove"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral("Snacks or Other"));
    QCOMPARE(m_window->findChild<QListView*>(QStringLiteral("List1"))->model()->rowCount(), 4);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestMainWindow::starterFoodsInNameOrder()
{
    m_folder->createStarterFoods();
    open();
    const QAbstractItemModel* model = m_window->findChild<QListView*>(QStringLiteral("List1"))->model();
    QCOMPARE(model->rowCount(), 7878);
    QString previous;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString name = model->index(row, 0).data().toString();
        QVERIFY2(previous <= name, qPrintable(previous + QStringLiteral(" / ") + name));
        previous = name;
    }
}

void TestMainWindow::servingUnitFollowsClickedFood()
{
    open();
    auto* unit = m_window->findChild<QLabel*>(QStringLiteral("Label7"));
    selectFood(QStringLiteral("Banana"));
    QCOMPARE(unit->text(), QStringLiteral("1 large (136 g)"));
    selectFood(QStringLiteral("apple"));
    QCOMPARE(unit->text(), QStringLiteral("1 small"));
    // Keys move the selection too.
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    // Names sort by their characters: "Apple", "Apple Pie", "Banana", "apple".
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(unit->text(), QStringLiteral("1 large (136 g)"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(unit->text(), QStringLiteral("1 slice"));
}

void TestMainWindow::addStoresQuantityText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("cups") << "2 cups"
                          << " 2";
    QTest::newRow("fraction") << "1/2"
                              << " 1";
    QTest::newRow("empty") << ""
                           << " 0";
    QTest::newRow("letters") << "abc"
                             << " 0";
    QTest::newRow("half") << "0.5"
                          << " .5";
    QTest::newRow("one and a half") << "1.5"
                                    << " 1.5";
    QTest::newRow("negative") << "-2"
                              << "-2";
}

void TestMainWindow::addStoresQuantityText()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    open();
    selectFood(QStringLiteral("Apple"));
    auto* quantity = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    quantity->clear();
    QTest::keyClicks(quantity, typed);
    QTest::mouseClick(button("Lunch_Add"), Qt::LeftButton);
    QCOMPARE(lines("List3"), QStringList { QStringLiteral("Apple, ") + stored });
    const MealTable& lunch = m_workspace->plan().meal(MealPlan::Lunch);
    QCOMPARE(lunch.count(), 1);
    QCOMPARE(lunch.slot(1), (MealSlot { QStringLiteral("Apple"), stored }));
    QCOMPARE(quantity->text(), typed);
}

void TestMainWindow::duplicates_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("lines");
    QTest::newRow("same food twice") << "Apple"
                                     << "Apple" << 1;
    QTest::newRow("name inside a longer name") << "Apple Pie"
                                               << "Apple" << 2;
    QTest::newRow("longer name") << "Apple"
                                 << "Apple Pie" << 2;
    QTest::newRow("other case") << "Apple Pie"
                                << "apple" << 2;
}

void TestMainWindow::duplicates()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, lines);
    open();
    selectFood(first);
    QTest::mouseClick(button("Dinner_Add"), Qt::LeftButton);
    selectFood(second);
    QTest::mouseClick(button("Dinner_Add"), Qt::LeftButton);
    QCOMPARE(mealList("List4")->model()->rowCount(), lines);
    QCOMPARE(m_workspace->plan().meal(MealPlan::Dinner).count(), lines);
    // The same food may stand once in each meal.
    QTest::mouseClick(button("Other_Add"), Qt::LeftButton);
    QCOMPARE(mealList("List5")->model()->rowCount(), 1);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestMainWindow::addWithoutSelectionDoesNothing()
{
    open();
    QTest::mouseClick(button("Breakfast_Add"), Qt::LeftButton);
    QCOMPARE(mealList("List2")->model()->rowCount(), 0);
    QCOMPARE(m_workspace->plan().meal(MealPlan::Breakfast).count(), 0);
}

void TestMainWindow::weightPlansServings_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");
    // The line planned, or the start of the message shown instead.
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    // "Acorn stew (Apache)" is a starter food of 100 g a serving.
    QTest::newRow("grams, Add") << "Acorn stew (Apache)"
                                << "150 g" << false << "Acorn stew (Apache),  1.5"
                                << "";
    QTest::newRow("ounces, Enter") << "Acorn stew (Apache)"
                                   << "5.3oz" << true << "Acorn stew (Apache),  1.502524725625"
                                   << "";
    QTest::newRow("no serving weight") << "Grandma's soup"
                                       << "150 g" << false << ""
                                       << "\"Grandma's soup\" has no serving weight, so its quantity can only be given "
                                          "in servings.";
    QTest::newRow("weight of 0") << "Acorn stew (Apache)"
                                 << "0 g" << false << ""
                                 << "\"0 g\" is no weight Platewell can read.";
}

// A weight in Quantity is planned as servings of the food's known serving weight, as one step
// to undo; where it cannot be, a message says why and the plan stays as it was.
void TestMainWindow::weightPlansServings()
{
    QFETCH(QString, food);
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(QString, line);
    QFETCH(QString, message);
    m_folder->createStarterFoods();
    int added = 0;
    QString error;
    QVERIFY2(StarterNutrients::addTo(m_folder->databasePath(), &added, &error), qPrintable(error));
    FoodStore::RowId row = 0;
    QVERIFY2(m_workspace->foods().refresh(&error)
            && m_workspace->foods().insertRecord(
                { QStringLiteral("Grandma's soup"), QStringLiteral("1 bowl"), QStringLiteral("250") }, &row, &error),
        qPrintable(error));
    open();
    selectFood(food);
    auto* quantity = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    quantity->setText(typed);
    if (byEnter) {
        QTest::keyClick(quantity, Qt::Key_Return);
    } else {
        QTest::mouseClick(button("Breakfast_Add"), Qt::LeftButton);
    }
    if (message.isEmpty()) {
        QVERIFY(Prompt::shown().isEmpty());
        QCOMPARE(lines("List2"), QStringList { line });
        QVERIFY(m_window->undoStack()->canUndo());
        m_window->undoStack()->undo();
        QVERIFY(lines("List2").isEmpty());
        m_window->undoStack()->redo();
        QCOMPARE(lines("List2"), QStringList { line });
    } else {
        QCOMPARE(Prompt::shown().size(), 1);
        QVERIFY2(Prompt::shown().first().text.startsWith(message), qPrintable(Prompt::shown().first().text));
        QVERIFY(lines("List2").isEmpty());
        QCOMPARE(m_workspace->plan().meal(MealPlan::Breakfast).count(), 0);
        QVERIFY(!m_window->undoStack()->canUndo());
    }
    QCOMPARE(quantity->text(), typed);
}

void TestMainWindow::removeAndClear()
{
    open();
    for (const char* food : { "Apple", "Apple Pie", "Banana" }) {
        selectFood(QLatin1String(food));
        QTest::mouseClick(button("Breakfast_Add"), Qt::LeftButton);
    }
    QListView* list = mealList("List2");
    // Remove without a selected line does nothing.
    QTest::mouseClick(button("BreakfastDelete"), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    QTest::mouseClick(button("BreakfastDelete"), Qt::LeftButton);
    QCOMPARE(lines("List2"), (QStringList { QStringLiteral("Apple,  1"), QStringLiteral("Banana,  1") }));
    const MealTable& breakfast = m_workspace->plan().meal(MealPlan::Breakfast);
    QCOMPARE(breakfast.slot(1).FoodName, QStringLiteral("Apple"));
    QCOMPARE(breakfast.slot(2).FoodName, QStringLiteral("Banana"));
    QCOMPARE(breakfast.slot(3), MealSlot {});
    QVERIFY(list->selectionModel()->selectedRows().isEmpty());
    QTest::mouseClick(button("BreakfastClear"), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(breakfast, MealTable {});
    // Clearing an empty meal changes nothing.
    QTest::mouseClick(button("BreakfastClear"), Qt::LeftButton);
    QCOMPARE(breakfast, MealTable {});
}

void TestMainWindow::mealHoldsAtMostHundred()
{
    QStringList rows;
    for (int i = 0; i < 101; ++i) {
        rows.append(foodRow(QStringLiteral("Food %1").arg(i, 3, 10, QLatin1Char('0')), QString()));
    }
    m_folder->createFoods(rows);
    open();
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    for (int i = 0; i < 101; ++i) {
        list->setCurrentIndex(list->model()->index(i, 0));
        QTest::mouseClick(button("Other_Add"), Qt::LeftButton);
    }
    QCOMPARE(mealList("List5")->model()->rowCount(), 100);
    const MealTable& other = m_workspace->plan().meal(MealPlan::Other);
    QCOMPARE(other.count(), 100);
    QCOMPARE(other.slot(100).FoodName, QStringLiteral("Food 099"));
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("100")));
}

void TestMainWindow::refreshShowsChangedTable()
{
    open();
    selectFood(QStringLiteral("Banana"));
    QTest::mouseClick(button("Breakfast_Add"), Qt::LeftButton);
    {
        // Another program renames a food while the list shows it.
        QVERIFY(OtherProgram(m_folder->databasePath())
                    .exec(QStringLiteral("UPDATE foods SET FOOD = 'Aardvark melon', SERVING_UN = '1 melon' "
                                         "WHERE FOOD = 'Banana'")));
    }
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    QCOMPARE(list->model()->index(2, 0).data().toString(), QStringLiteral("Banana"));
    QTest::mouseClick(button("LoadFoodList"), Qt::LeftButton);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Aardvark melon"));
    QVERIFY(!list->currentIndex().isValid());
    selectFood(QStringLiteral("Aardvark melon"));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("1 melon"));
    QCOMPARE(mealList("List2")->model()->rowCount(), 1);
}

void TestMainWindow::brokenTableGivesMessageAndEmptyList()
{
    QFile file(m_folder->databasePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a database");
    file.close();
    open();
    QCOMPARE(m_window->findChild<QListView*>(QStringLiteral("List1"))->model()->rowCount(), 0);
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("foods.db")));
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QFile check(m_folder->databasePath());
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("not a database"));
}

// Another program renames a different food table over foods.db while Platewell runs, as a restore
// or a sync tool does. The food list, the editor and the totals then all use the new file.
void TestMainWindow::replacedFoodTableIsReopened()
{
    open();
    TestFolder other;
    other.createFoods({ foodRow(QStringLiteral("Kiwi"), QStringLiteral("1 fruit"), { QStringLiteral("42") }) });
    QCOMPARE(std::rename(QFile::encodeName(other.databasePath()).constData(),
                 QFile::encodeName(m_folder->databasePath()).constData()),
        0);
    Prompt::clearShown();

    QTest::mouseClick(button("LoadFoodList"), Qt::LeftButton);
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Kiwi"));

    whenModal([](QWidget* editor) {
        editor->findChild<QLineEdit*>(QStringLiteral("CALORIES"))->setText(QStringLiteral("43"));
        editor->close();
    });
    QTest::mouseClick(button("EditFoodList"), Qt::LeftButton);
    QVERIFY2(Prompt::shown().isEmpty(), qPrintable(Prompt::shown().value(0).text));
    SqliteFoodStore check(m_folder->databasePath());
    QString error;
    QVERIFY2(check.refresh(&error), qPrintable(error));
    QStringList record;
    QVERIFY(check.readRecord(1, &record, &error));
    QCOMPARE(record.mid(0, 3), (QStringList { "Kiwi", "1 fruit", "43" }));

    addToMeal(m_workspace->plan(), MealPlan::Lunch, QStringLiteral("Kiwi"), QStringLiteral(" 2"));
    QString calories;
    whenModal([&calories](QWidget* totals) {
        totals->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
        QTest::mouseClick(totals->findChild<QPushButton*>(QStringLiteral("CalcTot")), Qt::LeftButton);
        calories
            = totals->findChild<QTableView*>(QStringLiteral("MSFlexGrid1"))->model()->index(1, 1).data().toString();
        totals->close();
    });
    QTest::mouseClick(button("Command9"), Qt::LeftButton);
    QCOMPARE(calories, QStringLiteral("86"));
}

void TestMainWindow::hostileLengthsStayShort_data()
{
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("long name with a field separator") << QStringLiteral("Stew_") + QString(100000, u'x') << "Daily"
                                                      << "separates the fields";
    QTest::newRow("name longer than a saved line") << QString(17 * 1000 * 1000, u'y') << "Daily"
                                                   << "too long";
    QTest::newRow("long period text") << "Apple" << QString(100000, u'p') << "not a period";
}

// An imported name of megabytes, or a period text pasted by mistake: adding and saving quote
// at most a short start of it, in the messages and in the Undo command, and the lists lay out
// no more of it than they can show.
void TestMainWindow::hostileLengthsStayShort()
{
    QFETCH(QString, food);
    QFETCH(QString, period);
    QFETCH(QString, refusal);
    if (food != QLatin1String("Apple")) {
        m_folder->createFoods({ foodRow(food, QStringLiteral("1 bowl")) });
    }
    open();
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
    QCOMPARE(list->currentIndex().data().toString().size(), food.size());
    QTest::mouseClick(button("Breakfast_Add"), Qt::LeftButton);
    QCOMPARE(m_workspace->plan().meal(MealPlan::Breakfast).slot(1).FoodName.size(), food.size());
    auto* undo = m_window->findChild<QAction*>(QStringLiteral("mnuItemUndo"));
    QVERIFY2(undo->text().size() < 100, qPrintable(undo->text().left(100)));
    QVERIFY(lines("List2").constFirst().size() < 1100);
    QVERIFY(lines("List2").constFirst().endsWith(QStringLiteral(",  1")));
    QStyleOptionViewItem option;
    option.initFrom(list);
    QVERIFY(list->itemDelegate()->sizeHint(option, list->currentIndex()).width() < 20000);

    m_window->findChild<QComboBox*>(QStringLiteral("DayofWeek"))->setEditText(period);
    QTest::mouseClick(button("SaveDiet"), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QVERIFY2(
        Prompt::shown().constLast().text.contains(refusal), qPrintable(Prompt::shown().constLast().text.left(300)));
    for (const Prompt::Shown& shown : Prompt::shown()) {
        QVERIFY2(shown.text.size() < 400, qPrintable(shown.text.left(300)));
        QVERIFY(shown.detail.size() < 400);
    }
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"

#include "TestSupport.h"
#include "core/foods/FoodDatabase.h"
#include "core/nutrients/NutrientAmount.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/workspace/StarterNutrients.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/FoodNutrientsModel.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

class TestFoodEditorDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnFirstRecord();
    void layout();
    void navigation_data();
    void navigation();
    void changeIsWrittenWhenRecordIsLeft_data();
    void changeIsWrittenWhenRecordIsLeft();
    void findPromptAndRememberedTerm();
    void find_data();
    void find();
    void addShowsEmptyRecordForTyping();
    void addedEmptyRecordIsNotKept_data();
    void addedEmptyRecordIsNotKept();
    void deleteAsksAndMovesOn_data();
    void deleteAsksAndMovesOn();
    void deletingTheLastFoodLeavesEmptyEditor();
    void emptyTable();
    void unreadableTableGivesMessageAndNothingToEdit();
    void lockedTableKeepsTypedValues();
    void closeWithUnsavedChangeAsks();
    void viewAllShowsTableOrderWithPendingChange();
    void quickHelpOpensModally();
    void anotherProgramMeanwhile_data();
    void anotherProgramMeanwhile();
    void browsingWritesNothing();
    void typedOverflowStoredAsLargestNumber_data();
    void typedOverflowStoredAsLargestNumber();
    void messagesStayShortWithLongNamesAndManyRecipes();
    void nutrientsShowStarterFood();
    void nutrientEditWritesOnlyIt_data();
    void nutrientEditWritesOnlyIt();
    void nutrientsOfRenamedRowAreNotWritten();

private:
    // The starter foods with every nutrient, the editor on the first of them.
    void openOnStarterFoods();
    // The first starter food's row and name, and its nutrients as the table holds them now.
    FoodNutrients storedNutrients(qint64* row = nullptr, QString* name = nullptr) const;
    QString amountShown(const QString& number) const;
    // Edits an amount as a user does: the first key typed on the list opens the editor (F2 on an
    // empty text, which then clears it), Enter keeps it.
    void typeAmount(const QString& number, const QString& text);
    // Runs SQL on the food table through a connection of its own, as another program would.
    void otherProgram(const QString& sql) const;
    void open();
    void openOn(const QStringList& csvRows);
    void press(const QString& action);
    static void typeAtEnd(QLineEdit* edit, const QString& text)
    {
        edit->end(false);
        QTest::keyClicks(edit, text);
    }
    QString shownFood() const { return m_window->field(FoodDatabase::FOOD)->text(); }
    QLineEdit* field(FoodDatabase::Field f) const { return m_window->field(f); }
    QAbstractButton* button(const char* name) const
    {
        return m_window->findChild<QAbstractButton*>(QLatin1String(name));
    }
    // Every record in the file, read through a connection of its own, each as its ten texts.
    QList<QStringList> storedFoods() const;
    QStringList storedNames() const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
    // The previous search text, which the program keeps from one opening of the editor to the next.
    QString m_previousSearch;
    std::unique_ptr<SqliteFoodStore> m_database;
    std::unique_ptr<FoodEditorDialog> m_window;
    // The locale the tests started in, which a test under another locale gives back.
    QLocale m_locale;
};

namespace {

const QStringList starterNames { "Garlic Bread", "Milk", "BREAD STICKS", "Tomato Soup", "Rye bread" };

} // namespace

void TestFoodEditorDialog::init()
{
    m_locale = QLocale();
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow("Garlic Bread", "1 slice", { "150", "18", "7" }),
        foodRow("Milk", "1 cup", { "103", "12", "2.4", "12", "12" }), foodRow("BREAD STICKS", "2 sticks", { "82" }),
        foodRow("Tomato Soup", "1 cup", { "74", "n/a" }), foodRow("Rye bread", "1 slice", { "83", "15.5g" }) });
    m_files = m_folder->files();
    m_previousSearch.clear();
    m_database = std::make_unique<SqliteFoodStore>(m_files->foodDatabasePath());
}

void TestFoodEditorDialog::cleanup()
{
    QLocale::setDefault(m_locale);
    m_window.reset();
    m_database.reset();
    m_folder.reset();
}

void TestFoodEditorDialog::open()
{
    m_window = std::make_unique<FoodEditorDialog>(*m_files, *m_database, m_previousSearch, nullptr);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFoodEditorDialog::openOn(const QStringList& csvRows)
{
    m_folder->createFoods(csvRows);
    open();
}

QList<QStringList> TestFoodEditorDialog::storedFoods() const
{
    SqliteFoodStore other(m_folder->databasePath());
    QString error;
    if (!other.refresh(&error)) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    std::vector<FoodDatabase::Field> fields;
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        fields.push_back(static_cast<FoodDatabase::Field>(f));
    }
    std::vector<TextColumn> columns;
    if (!other.readColumns(fields, &columns, nullptr, &error)) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    QList<QStringList> foods;
    for (qsizetype r = 0; r < columns.front().size(); ++r) {
        QStringList food;
        for (const TextColumn& column : columns) {
            food.append(column.at(r));
        }
        foods.append(food);
    }
    return foods;
}

QStringList TestFoodEditorDialog::storedNames() const
{
    QStringList names;
    for (const QStringList& food : storedFoods()) {
        names.append(food.first());
    }
    return names;
}

void TestFoodEditorDialog::press(const QString& action)
{
    const QHash<QString, const char*> buttons { { "first", "MoveFirst" }, { "previous", "MovePrevious" },
        { "next", "MoveNext" }, { "last", "MoveLast" }, { "find", "FindFood" }, { "add", "AddFood" },
        { "delete", "DeleteFood" }, { "close", "CloseEditor" } };
    QVERIFY2(buttons.contains(action), qPrintable(action));
    QTest::mouseClick(button(buttons.value(action)), Qt::LeftButton);
}

void TestFoodEditorDialog::opensOnFirstRecord()
{
    open();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Edit Food List"));
    QCOMPARE(m_window->recordCount(), 5);
    QCOMPARE(m_window->currentRecord(), 0);
    const QStringList expected { "Garlic Bread", "1 slice", "150", "18", "7", "", "", "", "", "" };
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        QCOMPARE(field(static_cast<FoodDatabase::Field>(f))->text(), expected[f]);
        QVERIFY(field(static_cast<FoodDatabase::Field>(f))->isEnabled());
    }
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodEditorDialog::layout()
{
    open();
    const QStringList order { "FOOD", "SERVING_UN", "CALORIES", "CARBS", "FAT", "SUGAR", "CHOLESTERO", "FIBER",
        "SUGAR_ALC", "POINTS" };
    const QStringList captions { "Food", "Per Serving Unit", "Calories", "Carbohydrates", "Fat", "Sugar", "Cholesterol",
        "Fiber", "Sugar Alcohols", "Points" };
    const QStringList units { "", "", "", "g", "g", "g", "mg", "g", "g", "" };
    int previousTop = -1;
    for (int i = 0; i < order.size(); ++i) {
        auto* edit = m_window->findChild<QLineEdit*>(order[i]);
        QVERIFY2(edit, qPrintable(order[i]));
        QVERIFY2(edit->y() > previousTop, qPrintable(order[i]));
        previousTop = edit->y();
        auto* caption = m_window->findChild<QLabel*>(order[i] + "_Caption");
        QCOMPARE(caption->text(), captions[i]);
        QVERIFY(caption->x() < edit->x());
        auto* unit = m_window->findChild<QLabel*>(order[i] + "_Unit");
        QCOMPARE(unit ? unit->text() : QString(), units[i]);
        if (unit) {
            QVERIFY(unit->x() > edit->x() + edit->width());
        }
    }
    QVERIFY(m_window->findChild<QWidget*>("Foods"));
    QCOMPARE(m_window->findChild<QLabel*>("Foods_Caption")->text(), QStringLiteral(" Food List"));
    const QList<QPair<const char*, QString>> buttons { { "AddFood", "Add" }, { "DeleteFood", "Delete" },
        { "FindFood", "Find" }, { "ViewFoodProps", "View All Food Properties" }, { "PlatewellHelp", "Quick Help" },
        { "CloseEditor", "Close" } };
    for (const auto& [name, caption] : buttons) {
        QVERIFY2(button(name), name);
        QCOMPARE(button(name)->text(), caption);
    }
}

void TestFoodEditorDialog::navigation_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("shown");
    QTest::newRow("next") << QStringList { "next" } << "Milk";
    QTest::newRow("next twice") << QStringList { "next", "next" } << "BREAD STICKS";
    QTest::newRow("last") << QStringList { "last" } << "Rye bread";
    QTest::newRow("next stops at the last") << QStringList { "last", "next" } << "Rye bread";
    QTest::newRow("previous") << QStringList { "last", "previous" } << "Tomato Soup";
    QTest::newRow("previous stops at the first") << QStringList { "previous" } << "Garlic Bread";
    QTest::newRow("first") << QStringList { "last", "first" } << "Garlic Bread";
    // The keys of the navigation bar and of Find.
    QTest::newRow("Page Down") << QStringList { "PgDown", "PgDown" } << "BREAD STICKS";
    QTest::newRow("Page Up") << QStringList { "Ctrl+End", "PgUp" } << "Tomato Soup";
    QTest::newRow("Ctrl+Home") << QStringList { "PgDown", "Ctrl+Home" } << "Garlic Bread";
    QTest::newRow("Ctrl+F finds") << QStringList { "Ctrl+F" } << "BREAD STICKS";
}

void TestFoodEditorDialog::navigation()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, shown);
    open();
    const QHash<QString, QKeyCombination> keys { { "PgDown", Qt::Key_PageDown }, { "PgUp", Qt::Key_PageUp },
        { "Ctrl+End", Qt::CTRL | Qt::Key_End }, { "Ctrl+Home", Qt::CTRL | Qt::Key_Home },
        { "Ctrl+F", Qt::CTRL | Qt::Key_F } };
    for (const QString& action : actions) {
        if (!keys.contains(action)) {
            press(action);
            continue;
        }
        if (action == QLatin1String("Ctrl+F")) {
            Prompt::queueAnswer(QStringLiteral("bread st"));
        }
        const QKeyCombination key = keys.value(action);
        QTest::keyClick(field(FoodDatabase::CALORIES), key.key(), key.keyboardModifiers());
    }
    QCOMPARE(shownFood(), shown);
    QCOMPARE(m_window->currentRecord(), starterNames.indexOf(shown));
    // Moving without a change writes nothing.
    QCOMPARE(storedNames(), starterNames);
}

void TestFoodEditorDialog::changeIsWrittenWhenRecordIsLeft_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("leave");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("next") << ""
                          << "next"
                          << "Milk";
    QTest::newRow("previous") << "next"
                              << "previous"
                              << "Garlic Bread";
    QTest::newRow("first") << "next"
                           << "first"
                           << "Garlic Bread";
    QTest::newRow("last") << ""
                          << "last"
                          << "Rye bread";
    QTest::newRow("find") << ""
                          << "find"
                          << "Tomato Soup";
    QTest::newRow("add") << ""
                         << "add"
                         << "";
    QTest::newRow("close") << ""
                           << "close"
                           << "";
}

void TestFoodEditorDialog::changeIsWrittenWhenRecordIsLeft()
{
    QFETCH(QString, before);
    QFETCH(QString, leave);
    QFETCH(QString, shownAfter);
    open();
    if (!before.isEmpty()) {
        press(before);
    }
    const qsizetype record = m_window->currentRecord();
    const QStringList original = storedFoods().at(record);
    QLineEdit* calories = field(FoodDatabase::CALORIES);
    calories->selectAll();
    QTest::keyClicks(calories, "99.5");
    typeAtEnd(field(FoodDatabase::FOOD), " (edited)");
    // Typing alone writes nothing.
    QCOMPARE(storedFoods().at(record), original);
    Prompt::queueAnswer(QStringLiteral("soup"));
    press(leave);
    const QStringList stored = storedFoods().at(record);
    QCOMPARE(stored.at(FoodDatabase::CALORIES), QStringLiteral("99.5"));
    QCOMPARE(stored.at(FoodDatabase::FOOD), starterNames.at(record) + " (edited)");
    if (leave == "close") {
        QVERIFY(!m_window->isVisible());
    } else {
        QCOMPARE(shownFood(), shownAfter);
    }
    QCOMPARE(Prompt::shown().size(), leave == "find" ? 1 : 0);
}

void TestFoodEditorDialog::findPromptAndRememberedTerm()
{
    open();
    Prompt::queueAnswer(QStringLiteral("soup"));
    press("find");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().at(0).kind, Prompt::Kind::Input);
    QCOMPARE(Prompt::shown().at(0).title, QStringLiteral("Food Name Search"));
    QCOMPARE(Prompt::shown().at(0).text,
        QStringLiteral("Enter the complete or partial food name\r\nor leave blank and use previous search: "));
    QCOMPARE(m_previousSearch, QStringLiteral("soup"));
    press("find");
    QCOMPARE(Prompt::shown().at(1).text,
        QStringLiteral("Enter the complete or partial food name\r\nor leave blank and use previous search: soup"));

    // The term outlives the window; a new answer replaces it exactly as typed.
    press("close");
    open();
    Prompt::clearShown();
    Prompt::queueAnswer(QStringLiteral("BREAD s"));
    press("find");
    QVERIFY(Prompt::shown().at(0).text.endsWith(QStringLiteral("search: soup")));
    QCOMPARE(m_previousSearch, QStringLiteral("BREAD s"));
    QCOMPARE(shownFood(), QStringLiteral("BREAD STICKS"));
}

void TestFoodEditorDialog::find_data()
{
    QTest::addColumn<QString>("previousTerm");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("steps through all matches and wraps")
        << "" << 0 << QStringList { "bread", "", "", "" }
        << QStringList { "BREAD STICKS", "Rye bread", "Garlic Bread", "BREAD STICKS" };
    QTest::newRow("cancel repeats the previous search") << "milk" << 3 << QStringList { "" } << QStringList { "Milk" };
    QTest::newRow("cancel without a previous term does nothing")
        << "" << 2 << QStringList { "" } << QStringList { "BREAD STICKS" };
    QTest::newRow("only match is the current food")
        << "" << 3 << QStringList { "SOUP" } << QStringList { "Tomato Soup" };
    QTest::newRow("no match shows the first food")
        << "" << 3 << QStringList { "pizza" } << QStringList { "Garlic Bread" };
    QTest::newRow("from the last food") << "" << 4 << QStringList { "bread" } << QStringList { "Garlic Bread" };
}

void TestFoodEditorDialog::find()
{
    QFETCH(QString, previousTerm);
    QFETCH(int, start);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, shown);
    m_previousSearch = previousTerm;
    open();
    for (int i = 0; i < start; ++i) {
        press("next");
    }
    for (int i = 0; i < answers.size(); ++i) {
        Prompt::queueAnswer(answers[i]);
        press("find");
        QCOMPARE(shownFood(), shown[i]);
        QCOMPARE(m_window->currentRecord(), starterNames.indexOf(shown[i]));
    }
    QCOMPARE(Prompt::shown().size(), answers.size());
    QCOMPARE(storedNames(), starterNames);
}

void TestFoodEditorDialog::addShowsEmptyRecordForTyping()
{
    open();
    press("next");
    press("add");
    QCOMPARE(m_window->recordCount(), 6);
    QCOMPARE(m_window->currentRecord(), 5);
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        QVERIFY(field(static_cast<FoodDatabase::Field>(f))->text().isEmpty());
        QVERIFY(field(static_cast<FoodDatabase::Field>(f))->isEnabled());
    }
    QCOMPARE(m_window->focusWidget(), field(FoodDatabase::FOOD));
    QCOMPARE(storedFoods().size(), 6);
    QTest::keyClicks(field(FoodDatabase::FOOD), "Kiwi");
    QTest::keyClicks(field(FoodDatabase::SERVING_UN), "1 fruit");
    QTest::keyClicks(field(FoodDatabase::POINTS), "1");
    press("first");
    QCOMPARE(storedFoods().last(), (QStringList { "Kiwi", "1 fruit", "", "", "", "", "", "1", "", "" }));
    press("last");
    QCOMPARE(shownFood(), QStringLiteral("Kiwi"));
}

void TestFoodEditorDialog::addedEmptyRecordIsNotKept_data()
{
    QTest::addColumn<QString>("leave");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("previous") << "previous"
                              << "Rye bread";
    QTest::newRow("first") << "first"
                           << "Garlic Bread";
    QTest::newRow("find") << "find"
                          << "Milk";
    QTest::newRow("add again") << "add"
                               << "";
    QTest::newRow("close") << "close"
                           << "";
}

void TestFoodEditorDialog::addedEmptyRecordIsNotKept()
{
    QFETCH(QString, leave);
    QFETCH(QString, shownAfter);
    open();
    press("add");
    // Typing and taking it back leaves the record as empty as it was made.
    QTest::keyClicks(field(FoodDatabase::FOOD), "x");
    field(FoodDatabase::FOOD)->clear();
    Prompt::queueAnswer(QStringLiteral("milk"));
    press(leave);
    const int expectedCount = leave == "add" ? 6 : 5;
    QCOMPARE(storedFoods().size(), expectedCount);
    QCOMPARE(storedNames().mid(0, 5), starterNames);
    if (leave != "close") {
        QCOMPARE(m_window->recordCount(), expectedCount);
        QCOMPARE(shownFood(), shownAfter);
    }
}

void TestFoodEditorDialog::deleteAsksAndMovesOn_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<QStringList>("storedAfter");
    QTest::newRow("shows the next food") << 1 << true << "BREAD STICKS"
                                         << QStringList { "Garlic Bread", "BREAD STICKS", "Tomato Soup", "Rye bread" };
    QTest::newRow("at the end shows the previous")
        << 4 << true << "Tomato Soup" << QStringList { "Garlic Bread", "Milk", "BREAD STICKS", "Tomato Soup" };
    QTest::newRow("No keeps the food") << 1 << false << "Milk" << starterNames;
}

void TestFoodEditorDialog::deleteAsksAndMovesOn()
{
    QFETCH(int, start);
    QFETCH(bool, answer);
    QFETCH(QString, shownAfter);
    QFETCH(QStringList, storedAfter);
    open();
    for (int i = 0; i < start; ++i) {
        press("next");
    }
    const QString name = shownFood();
    Prompt::queueAnswer(answer);
    press("delete");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().kind, Prompt::Kind::Question);
    QVERIFY2(Prompt::shown().first().text.contains(name), qPrintable(Prompt::shown().first().text));
    QCOMPARE(shownFood(), shownAfter);
    QCOMPARE(storedNames(), storedAfter);
    QCOMPARE(m_window->recordCount(), storedAfter.size());
}

void TestFoodEditorDialog::deletingTheLastFoodLeavesEmptyEditor()
{
    openOn({ foodRow("Only", "each", { "1" }) });
    press("delete");
    QCOMPARE(storedFoods().size(), 0);
    QCOMPARE(m_window->currentRecord(), -1);
    QVERIFY(!field(FoodDatabase::FOOD)->isEnabled());
    QVERIFY(field(FoodDatabase::FOOD)->text().isEmpty());
    press("add");
    QVERIFY(field(FoodDatabase::FOOD)->isEnabled());
    QTest::keyClicks(field(FoodDatabase::FOOD), "Again");
    press("close");
    QCOMPARE(storedNames(), QStringList { "Again" });
}

void TestFoodEditorDialog::emptyTable()
{
    openOn({});
    QCOMPARE(m_window->currentRecord(), -1);
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        QVERIFY(!field(static_cast<FoodDatabase::Field>(f))->isEnabled());
    }
    m_previousSearch = QStringLiteral("bread");
    for (const char* action : { "next", "previous", "first", "last", "delete" }) {
        press(action);
        QCOMPARE(m_window->currentRecord(), -1);
    }
    QVERIFY(Prompt::shown().isEmpty());
    // Find still asks and keeps the term; the search then finds nothing and changes nothing.
    Prompt::queueAnswer(QStringLiteral("soup"));
    press("find");
    QCOMPARE(m_window->currentRecord(), -1);
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().kind, Prompt::Kind::Input);
    QCOMPARE(m_previousSearch, QStringLiteral("soup"));
    press("add");
    QCOMPARE(m_window->currentRecord(), 0);
    QVERIFY(field(FoodDatabase::FOOD)->isEnabled());
    QCOMPARE(storedFoods().size(), 1);
}

void TestFoodEditorDialog::unreadableTableGivesMessageAndNothingToEdit()
{
    QFile file(m_folder->databasePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a food table");
    file.close();
    open();
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("not an SQLite food table")));
    QVERIFY(!field(FoodDatabase::FOOD)->isEnabled());
    QVERIFY(!button("AddFood")->isEnabled());
    for (const char* action : { "next", "find", "delete" }) {
        press(action);
    }
    QCOMPARE(Prompt::shown().size(), 1);
    press("close");
    QVERIFY(!m_window->isVisible());
    file.open(QIODevice::ReadOnly);
    QCOMPARE(file.readAll(), QByteArray("not a food table"));
}

void TestFoodEditorDialog::lockedTableKeepsTypedValues()
{
    open();
    // Another program holds the write lock: every write of the editor fails after its wait.
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(m_folder->databasePath());
        QVERIFY(locker.open());
        QSqlQuery lock(locker);
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));

        field(FoodDatabase::CALORIES)->selectAll();
        QTest::keyClicks(field(FoodDatabase::CALORIES), "77");
        press("next");
        QCOMPARE(Prompt::shown().size(), 1);
        QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
        QVERIFY2(
            Prompt::shown().first().text.contains(QStringLiteral("locked")), qPrintable(Prompt::shown().first().text));
        QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("Garlic Bread")));
        QCOMPARE(m_window->currentRecord(), 0);
        QCOMPARE(field(FoodDatabase::CALORIES)->text(), QStringLiteral("77"));

        // Add and Find do not move on either.
        Prompt::queueAnswer(QStringLiteral("milk"));
        press("find");
        press("add");
        QCOMPARE(m_window->currentRecord(), 0);
        QCOMPARE(m_window->recordCount(), 5);
        QCOMPARE(field(FoodDatabase::CALORIES)->text(), QStringLiteral("77"));
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    QCOMPARE(storedFoods().at(0).at(FoodDatabase::CALORIES), QStringLiteral("150"));

    Prompt::clearShown();
    press("next");
    QVERIFY(Prompt::shown().isEmpty());
    QCOMPARE(shownFood(), QStringLiteral("Milk"));
    QCOMPARE(storedFoods().at(0).at(FoodDatabase::CALORIES), QStringLiteral("77"));
}

void TestFoodEditorDialog::closeWithUnsavedChangeAsks()
{
    open();
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(m_folder->databasePath());
        QVERIFY(locker.open());
        QSqlQuery lock(locker);
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
        typeAtEnd(field(FoodDatabase::FAT), "1");
        Prompt::queueAnswer(false);
        press("close");
        QVERIFY(m_window->isVisible());
        QCOMPARE(Prompt::shown().size(), 2);
        QCOMPARE(Prompt::shown().at(0).title, QStringLiteral("Error"));
        QCOMPARE(Prompt::shown().at(1).kind, Prompt::Kind::Question);
        QCOMPARE(field(FoodDatabase::FAT)->text(), QStringLiteral("71"));

        Prompt::queueAnswer(true);
        press("close");
        QVERIFY(!m_window->isVisible());
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    QCOMPARE(storedFoods().at(0).at(FoodDatabase::FAT), QStringLiteral("7"));
}

void TestFoodEditorDialog::viewAllShowsTableOrderWithPendingChange()
{
    open();
    field(FoodDatabase::FOOD)->selectAll();
    QTest::keyClicks(field(FoodDatabase::FOOD), "Zucchini bread");
    QStringList names;
    QString caption;
    whenModal([&](QWidget* modal) {
        auto* grid = qobject_cast<FoodGridDialog*>(modal);
        if (grid) {
            caption = grid->windowTitle();
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                names.append(grid->model()->cellText(r, 0));
            }
        }
        modal->close();
    });
    QTest::mouseClick(button("ViewFoodProps"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("View Food Properties"));
    QCOMPARE(names, (QStringList { "Zucchini bread", "Milk", "BREAD STICKS", "Tomato Soup", "Rye bread" }));
    QVERIFY(m_window->isVisible());
    QCOMPARE(shownFood(), QStringLiteral("Zucchini bread"));
}

void TestFoodEditorDialog::quickHelpOpensModally()
{
    open();
    QString opened;
    whenModal([&](QWidget* modal) {
        opened = modal->objectName();
        modal->close();
    });
    QTest::mouseClick(button("PlatewellHelp"), Qt::LeftButton);
    QCOMPARE(opened, QStringLiteral("PlatewellHelp"));
    QVERIFY(m_window->isVisible());
}

void TestFoodEditorDialog::otherProgram(const QString& sql) const
{
    const QString name = QStringLiteral("another program");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(m_folder->databasePath());
        QVERIFY(db.open());
        for (const QString& statement : sql.split(u';', Qt::SkipEmptyParts)) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(statement), qPrintable(statement));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Another program changes the table while the editor shows a food; then the user edits Calories
// and moves on, or deletes the food. Only what the user changed is written, and only onto the
// food that was shown.
void TestFoodEditorDialog::anotherProgramMeanwhile_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("rowAfter");
    const QString kiwi
        = QStringLiteral("DELETE FROM foods WHERE FOOD = 'Rye bread';"
                         "INSERT INTO foods (FOOD, SERVING_UN, CALORIES) VALUES ('Kiwi', '1 fruit', 42)");
    QTest::newRow("serving unit changed, calories typed")
        << "Milk"
        << "UPDATE foods SET SERVING_UN = '2 cups' WHERE FOOD = 'Milk'"
        << "edit" << false << QStringList { "Milk", "2 cups", "1039", "12", "2.4", "12", "12", "", "", "" };
    QTest::newRow("last food replaced under its rowid, edited")
        << "Rye bread" << kiwi << "edit" << true << QStringList { "Kiwi", "1 fruit", "42", "", "", "", "", "", "", "" };
    QTest::newRow("last food replaced under its rowid, deleted")
        << "Rye bread" << kiwi << "delete" << true
        << QStringList { "Kiwi", "1 fruit", "42", "", "", "", "", "", "", "" };
    QTest::newRow("food deleted, edited") << "Milk"
                                          << "DELETE FROM foods WHERE FOOD = 'Milk'"
                                          << "edit" << true << QStringList();
    // Crème brûlée as a Windows CSV imported with the sqlite3 tool leaves it.
    QTest::newRow("name stored as Windows-1252, edited")
        << QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65")
        << "UPDATE foods SET FOOD = CAST(x'4372e86d65206272fb6ce965' AS TEXT) WHERE FOOD = 'Milk'"
        << "edit" << false
        << QStringList { QString::fromUtf8("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"), "1 cup", "1039", "12", "2.4", "12",
               "12", "", "", "" };
}

void TestFoodEditorDialog::anotherProgramMeanwhile()
{
    QFETCH(QString, shown);
    QFETCH(QString, sql);
    QFETCH(QString, action);
    QFETCH(bool, refused);
    QFETCH(QStringList, rowAfter);
    const bool renamesShownFood = sql.contains(QStringLiteral("CAST"));
    if (renamesShownFood) {
        otherProgram(sql);
    }
    open();
    while (shownFood() != shown && m_window->currentRecord() + 1 < m_window->recordCount()) {
        press("next");
    }
    QCOMPARE(shownFood(), shown);
    const qsizetype record = m_window->currentRecord();
    if (!renamesShownFood) {
        otherProgram(sql);
    }
    Prompt::clearShown();
    if (action == QLatin1String("edit")) {
        typeAtEnd(field(FoodDatabase::CALORIES), QStringLiteral("9"));
        press(record == 0 ? "next" : "first");
    } else {
        Prompt::queueAnswer(true);
        press("delete");
    }
    const QList<Prompt::Shown> shownPrompts = Prompt::shown();
    const bool told = std::any_of(shownPrompts.begin(), shownPrompts.end(),
        [](const Prompt::Shown& prompt) { return prompt.text.contains(QStringLiteral("no longer in the table")); });
    QCOMPARE(told, refused);
    if (refused) {
        // Nothing moved and what was typed is still there.
        QCOMPARE(m_window->currentRecord(), record);
        QCOMPARE(shownFood(), shown);
    }
    const QList<QStringList> stored = storedFoods();
    if (rowAfter.isEmpty()) {
        QCOMPARE(stored.size(), starterNames.size() - 1);
    } else {
        QVERIFY(stored.contains(rowAfter));
    }
}

// A record the user only looks at is never written, whatever it holds: a name far longer than a
// line edit's default limit stays whole in the field and in the file.
void TestFoodEditorDialog::browsingWritesNothing()
{
    const QString longName = QString(40000, u'x') + QStringLiteral("Apple");
    otherProgram(QStringLiteral("UPDATE foods SET FOOD = '%1' WHERE FOOD = 'Milk'").arg(longName));
    otherProgram(QStringLiteral("UPDATE foods SET CALORIES = CAST(x'31ff' AS TEXT) WHERE FOOD = 'Tomato Soup'"));
    QFile file(m_folder->databasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    open();
    press("next");
    QCOMPARE(field(FoodDatabase::FOOD)->text(), longName);
    for (int r = 0; r < starterNames.size(); ++r) {
        press("next");
    }
    press("first");
    m_window->close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == before);
}

void TestFoodEditorDialog::typedOverflowStoredAsLargestNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("too large") << "1e400"
                               << "1.7976931348623157e+308";
    QTest::newRow("too large, negative, with blanks") << " -1E400 "
                                                      << "-1.7976931348623157e+308";
    QTest::newRow("plus sign and fraction") << "+12345.5e999"
                                            << "1.7976931348623157e+308";
    QTest::newRow("text after the number stays text") << "1e400 kcal"
                                                      << "1e400 kcal";
    QTest::newRow("largest finite stays") << "1.7976931348623157e308"
                                          << "1.7976931348623157e+308";
}

void TestFoodEditorDialog::typedOverflowStoredAsLargestNumber()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    open();
    field(FoodDatabase::CALORIES)->setText(typed);
    press("next");
    QCOMPARE(storedFoods().at(0).at(FoodDatabase::CALORIES), stored);
    press("first");
    QCOMPARE(field(FoodDatabase::CALORIES)->text(), stored);
}

// A food of a 500-character name in 1,200 recipes, one of them of a long name too: every message
// of the editor quotes at most 60 characters of a name and lists ten recipes, then counts the rest.
void TestFoodEditorDialog::messagesStayShortWithLongNamesAndManyRecipes()
{
    const QString food = QStringLiteral("Long food ") + QString(500, u'x');
    const QString longRecipe = QStringLiteral("Long recipe ") + QString(500, u'y');
    m_folder->createFoods({ foodRow(food, QStringLiteral("1 cup"), { QStringLiteral("100") }) });
    {
        SqliteFoodStore foods(m_folder->databasePath());
        QString error;
        QVERIFY2(foods.refresh(&error), qPrintable(error));
        for (int i = 0; i < 1200; ++i) {
            Recipe recipe;
            recipe.name = i == 0 ? longRecipe : QStringLiteral("Soup %1").arg(i);
            recipe.ingredients = { { food, QStringLiteral(" 1") } };
            QVERIFY2(foods.saveRecipe(&recipe, &error), qPrintable(error));
        }
    }
    auto isShort = [](const QString& text) {
        return !text.contains(QString(61, u'x')) && !text.contains(QString(61, u'y')) && text.count(u'\n') < 15
            && text.size() < 1500;
    };
    open();
    QCOMPARE(shownFood(), food);
    Prompt::queueAnswer(false);
    press("delete");
    const QString question = Prompt::shown().last().text;
    QVERIFY2(isShort(question), qPrintable(question));
    QVERIFY2(question.contains(food.left(60) + QStringLiteral("...")), qPrintable(question));
    QVERIFY2(question.contains(longRecipe.left(60) + QStringLiteral("...")), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("... and %1 more.").arg(QLocale().toString(1190))), qPrintable(question));

    press("next");
    QCOMPARE(shownFood(), longRecipe);
    QVERIFY2(isShort(field(FoodDatabase::FOOD)->toolTip()), qPrintable(field(FoodDatabase::FOOD)->toolTip()));
    QVERIFY(field(FoodDatabase::FOOD)->toolTip().contains(longRecipe.left(60) + QStringLiteral("...")));
    press("previous");

    // Another program holds the write lock: the change and the delete both fail, and say so shortly.
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(m_folder->databasePath());
        QVERIFY(locker.open());
        QSqlQuery lock(locker);
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
        Prompt::clearShown();
        field(FoodDatabase::CALORIES)->selectAll();
        QTest::keyClicks(field(FoodDatabase::CALORIES), "77");
        press("next");
        Prompt::queueAnswer(true);
        press("delete");
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    const QList<Prompt::Shown> shown = Prompt::shown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0].title, QStringLiteral("Error"));
    QCOMPARE(shown[2].title, QStringLiteral("Error"));
    for (const Prompt::Shown& message : shown) {
        QVERIFY2(isShort(message.text), qPrintable(message.text));
        QVERIFY2(message.text.contains(food.left(60) + QStringLiteral("...")), qPrintable(message.text));
    }
}

void TestFoodEditorDialog::openOnStarterFoods()
{
    m_folder->createStarterFoods();
    int added = 0;
    QString error;
    QVERIFY2(StarterNutrients::addTo(m_folder->databasePath(), &added, &error), qPrintable(error));
    QVERIFY(added > 0);
    open();
}

FoodNutrients TestFoodEditorDialog::storedNutrients(qint64* row, QString* name) const
{
    // Another connection, as another program reads the file.
    SqliteFoodStore other(m_folder->databasePath());
    std::vector<TextColumn> columns;
    std::vector<qint64> rows;
    FoodNutrients nutrients;
    QString error;
    if (!other.refresh(&error) || !other.readColumns({ FoodDatabase::FOOD }, &columns, &rows, &error) || rows.empty()
        || !other.readFoodNutrients(rows.front(), &nutrients, &error)) {
        qWarning("cannot read the nutrients: %s", qPrintable(error));
        return {};
    }
    if (row) {
        *row = rows.front();
    }
    if (name) {
        *name = columns.front().at(0);
    }
    return nutrients;
}

QString TestFoodEditorDialog::amountShown(const QString& number) const
{
    const FoodNutrientsModel* model = m_window->nutrientsModel();
    return model->index(model->rowOf(number), FoodNutrientsModel::AmountColumn).data().toString();
}

void TestFoodEditorDialog::typeAmount(const QString& number, const QString& text)
{
    QTableView* view = m_window->nutrientsView();
    const QModelIndex cell = m_window->nutrientsModel()->index(
        m_window->nutrientsModel()->rowOf(number), FoodNutrientsModel::AmountColumn);
    view->setFocus();
    view->setCurrentIndex(cell);
    if (text.isEmpty()) {
        QTest::keyClick(view, Qt::Key_F2);
    } else {
        QTest::keyClicks(view, text.left(1));
    }
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(cell));
    QVERIFY(editor);
    if (text.isEmpty()) {
        editor->clear();
    } else {
        QCOMPARE(editor->text(), text.left(1));
        QTest::keyClicks(editor, text.mid(1));
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!view->indexWidget(cell));
}

void TestFoodEditorDialog::nutrientsShowStarterFood()
{
    openOnStarterFoods();
    QTableView* view = m_window->nutrientsView();
    QCOMPARE(view->objectName(), QStringLiteral("nutrientsView"));
    const FoodNutrients stored = storedNutrients();
    for (const QString number : { "203", "307" }) {
        QVERIFY2(stored.values.contains(number), qPrintable(number));
        QCOMPARE(amountShown(number), NutrientAmount::text(stored.values.value(number)));
    }
    QVERIFY(stored.servingGrams);
    QCOMPARE(m_window->nutrientsModel()->index(FoodNutrientsModel::ServingRow, FoodNutrientsModel::AmountColumn).data(),
        QVariant(NutrientAmount::text(*stored.servingGrams)));
    // Tab from the last field reaches the list and leaves it again, rather than walking its cells.
    field(FoodDatabase::POINTS)->setFocus();
    QWidget* next = field(FoodDatabase::POINTS);
    for (int step = 0; step < 12 && next != view; ++step) {
        next = next->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible()) {
            next = next->nextInFocusChain();
        }
    }
    QCOMPARE(next, view);
    QVERIFY(!view->tabKeyNavigation());
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodEditorDialog::nutrientEditWritesOnlyIt_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    // The protein stored afterwards (an invalid variant for unknown) and shown on coming back;
    // a refused text leaves the stored value and shows no change.
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shownAgain");
    QTest::addColumn<bool>("refused");
    QTest::newRow("zero is kept as 0") << "en_US"
                                       << "0" << QVariant(0.0) << "0" << false;
    QTest::newRow("cleared is unknown") << "en_US"
                                        << "" << QVariant() << "" << false;
    QTest::newRow("grouped with a point") << "en_US"
                                          << "1,234.5" << QVariant(1234.5) << "1234.5" << false;
    QTest::newRow("with its unit") << "en_US"
                                   << "7.25 g" << QVariant(7.25) << "7.25" << false;
    QTest::newRow("decimal comma") << "de_DE"
                                   << "12,5" << QVariant(12.5) << "12,5" << false;
    QTest::newRow("grouped with a comma") << "de_DE"
                                          << "1.234,5" << QVariant(1234.5) << "1234,5" << false;
    QTest::newRow("a point under a decimal comma") << "de_DE"
                                                   << "1.5" << QVariant() << "" << true;
    QTest::newRow("a word") << "en_US"
                            << "lots" << QVariant() << "" << true;
    QTest::newRow("a comma under a decimal point") << "en_US"
                                                   << "1,5" << QVariant() << "" << true;
    QTest::newRow("below zero") << "en_US"
                                << "-3" << QVariant() << "" << true;
    QTest::newRow("another unit") << "en_US"
                                  << "3 mg" << QVariant() << "" << true;
}

void TestFoodEditorDialog::nutrientEditWritesOnlyIt()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, shownAgain);
    QFETCH(bool, refused);
    QLocale::setDefault(QLocale(locale));
    openOnStarterFoods();
    qint64 row = -1;
    QString name;
    const FoodNutrients before = storedNutrients(&row, &name);
    const QString proteinBefore = amountShown("203");

    // Another program changes the sodium while the food is shown: the save must keep it.
    {
        SqliteFoodStore other(m_folder->databasePath());
        FoodNutrientChanges sodium;
        sodium.values.insert("307", 999.0);
        QString error;
        QVERIFY2(other.refresh(&error) && other.writeFoodNutrients(row, name, sodium, &error), qPrintable(error));
    }
    Prompt::clearShown();
    typeAmount("203", typed);
    QTRY_COMPARE(Prompt::shown().size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(Prompt::shown().at(0).kind, Prompt::Kind::Message);
        QCOMPARE(amountShown("203"), proteinBefore);
        QVERIFY(!m_window->nutrientsModel()->hasChanges());
    }
    press("next");
    press("first");

    FoodNutrients expected = before;
    expected.values.insert("307", 999.0);
    if (!refused) {
        if (stored.isValid()) {
            expected.values.insert("203", stored.toDouble());
        } else {
            expected.values.remove("203");
        }
    }
    QCOMPARE(storedNutrients(), expected);
    QCOMPARE(amountShown("203"), refused ? proteinBefore : shownAgain);
    QCOMPARE(amountShown("307"), NutrientAmount::text(999));
}

void TestFoodEditorDialog::nutrientsOfRenamedRowAreNotWritten()
{
    openOnStarterFoods();
    qint64 row = -1;
    const FoodNutrients before = storedNutrients(&row);
    const QString shown = shownFood();
    otherProgram(QStringLiteral("UPDATE foods SET FOOD = 'Renamed elsewhere' WHERE rowid = %1").arg(row));
    Prompt::clearShown();
    typeAmount("203", "42");
    press("next");
    // Nothing moved, the typed amount stays, and the row keeps its nutrients as they were.
    QCOMPARE(m_window->currentRecord(), 0);
    QCOMPARE(shownFood(), shown);
    QCOMPARE(amountShown("203"), QStringLiteral("42"));
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY(Prompt::shown().at(0).text.contains(QStringLiteral("could not be saved")));
    QCOMPARE(storedNutrients(), before);
}

QTEST_MAIN(TestFoodEditorDialog)
#include "TestFoodEditorDialog.moc"

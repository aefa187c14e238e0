// A large table in the food editor: the first records show at once and the rest is read on a
// worker thread. Stepping and editing the first records works meanwhile, and a name written
// meanwhile is found afterwards even when the worker read the table before it was written; Last,
// Add, Delete and Find wait for every record; the record shown stays current.

#include "TestSupport.h"
#include "core/files/UserFiles.h"
#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"

#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <memory>

class TestFoodEditorReadBehind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nameWrittenDuringTheReadIsFound_data();
    void nameWrittenDuringTheReadIsFound();
    void commandsWaitForEveryRecord_data();
    void commandsWaitForEveryRecord();

private:
    void open();
    void click(const char* name);
    QString shownName() const { return m_window->field(FoodFields::FOOD)->text(); }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
    std::unique_ptr<SqliteFoodStore> m_database;
    std::unique_ptr<FoodEditorDialog> m_window;
    QString m_previousSearch;
};

namespace {

constexpr int kFoods = 600;

} // namespace

void TestFoodEditorReadBehind::init()
{
    Prompt::setAnswering(true);
    BackgroundFoodRead::setReadBehindFrom(100);
    m_folder = std::make_unique<TestFolder>();
    QStringList foods;
    for (int i = 0; i < kFoods; ++i) {
        foods.append(foodRow(QStringLiteral("Food %1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("1 g")));
    }
    m_folder->createFoods(foods);
    m_files = m_folder->files();
    m_database = std::make_unique<SqliteFoodStore>(m_files->foodDatabasePath());
    m_previousSearch.clear();
}

void TestFoodEditorReadBehind::cleanup()
{
    m_window.reset();
    m_database.reset();
    m_files.reset();
    m_folder.reset();
    BackgroundFoodRead::setReadBehindFrom(50000);
}

void TestFoodEditorReadBehind::open()
{
    m_window = std::make_unique<FoodEditorDialog>(*m_files, *m_database, m_previousSearch, nullptr);
    m_window->show();
    QVERIFY(m_window->isReading());
    QCOMPARE(shownName(), QStringLiteral("Food 000"));
}

void TestFoodEditorReadBehind::click(const char* name)
{
    auto* button = m_window->findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    button->click();
}

void TestFoodEditorReadBehind::nameWrittenDuringTheReadIsFound_data()
{
    QTest::addColumn<bool>("readBeforeTheWrite");
    QTest::newRow("worker read before the write") << true;
    QTest::newRow("worker reading meanwhile") << false;
}

void TestFoodEditorReadBehind::nameWrittenDuringTheReadIsFound()
{
    QFETCH(bool, readBeforeTheWrite);
    open();
    if (readBeforeTheWrite) {
        // The worker's result waits in the queue until events are processed.
        QThread::msleep(300);
    }
    click("MoveNext");
    click("MoveNext");
    QCOMPARE(shownName(), QStringLiteral("Food 002"));
    m_window->field(FoodFields::FOOD)->setText(QStringLiteral("Quince jelly"));
    click("MoveNext");
    QCOMPARE(rowOf(*m_database, QStringLiteral("Quince jelly")), rowOf(*m_database, QStringLiteral("Food 001")) + 1);
    QTRY_VERIFY(!m_window->isReading());
    QCOMPARE(m_window->recordCount(), kFoods);
    QCOMPARE(m_window->currentRecord(), 3);
    QCOMPARE(shownName(), QStringLiteral("Food 003"));
    click("MoveLast");
    QCOMPARE(shownName(), QStringLiteral("Food 599"));
    Prompt::queueAnswer(QStringLiteral("quince"));
    click("FindFood");
    QCOMPARE(m_window->currentRecord(), 2);
    QCOMPARE(shownName(), QStringLiteral("Quince jelly"));
    // The Find box alone.
    QCOMPARE(Prompt::shown().size(), 1);
}

void TestFoodEditorReadBehind::commandsWaitForEveryRecord_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Last") << QStringLiteral("MoveLast");
    QTest::newRow("Add") << QStringLiteral("AddFood");
    QTest::newRow("Delete") << QStringLiteral("DeleteFood");
    QTest::newRow("Find") << QStringLiteral("FindFood");
}

void TestFoodEditorReadBehind::commandsWaitForEveryRecord()
{
    QFETCH(QString, command);
    open();
    click("MoveNext");
    const qsizetype records = m_window->recordCount();
    QVERIFY(records < kFoods);
    // What Find and Delete would be answered, had they asked.
    Prompt::queueAnswer(command == QLatin1String("FindFood") ? QVariant(QStringLiteral("Food 5")) : QVariant(true));
    QVERIFY(!m_window->findChild<QAbstractButton*>(command)->isEnabled());
    QMetaObject::invokeMethod(m_window.get(),
        command == QLatin1String("MoveLast")         ? "moveToLast"
            : command == QLatin1String("AddFood")    ? "addFood"
            : command == QLatin1String("DeleteFood") ? "deleteFood"
                                                     : "findFood");
    QCOMPARE(m_window->currentRecord(), 1);
    QCOMPARE(m_window->recordCount(), records);
    QCOMPARE(shownName(), QStringLiteral("Food 001"));
    QTRY_VERIFY(!m_window->isReading());
    QVERIFY(m_window->findChild<QAbstractButton*>(command)->isEnabled());
    QCOMPARE(m_window->recordCount(), kFoods);
    QCOMPARE(m_window->currentRecord(), 1);
    QCOMPARE(m_database->rowCount(nullptr), kFoods);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Edit Food List"));
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestFoodEditorReadBehind)
#include "TestFoodEditorReadBehind.moc"

// A large table in the food properties grid: the first rows show at once and the rest is read on
// a worker thread. The rows first shown are the whole grid's first rows in either order; Find
// Text, Sort, Save and the nutrient columns wait for the whole table instead of working on part
// of it; the cell the user is on keeps its place; closing the window mid-read is safe. The worker's
// result arrives only when events are processed, so each step runs while the grid is partly read.

#include "TestSupport.h"
#include "core/files/UserFiles.h"
#include "core/storage/BackgroundFoodRead.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

class TestFoodGridReadBehind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRowsAreTheWholeGridsFirstRows_data();
    void firstRowsAreTheWholeGridsFirstRows();
    void commandsWaitForTheWholeTable_data();
    void commandsWaitForTheWholeTable();
    void closingDuringTheRead();

private:
    void open(bool sortedByName);
    QStringList rows(const FoodPropertiesModel* model, int count = -1) const;
    QTableView* grid() const { return m_window->findChild<QTableView*>(QStringLiteral("MSFlexGrid1")); }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
    std::unique_ptr<SqliteFoodStore> m_database;
    std::unique_ptr<FoodGridDialog> m_window;
};

namespace {

constexpr int kFoods = 600;

} // namespace

void TestFoodGridReadBehind::init()
{
    Prompt::setAnswering(true);
    BackgroundFoodRead::setReadBehindFrom(100);
    m_folder = std::make_unique<TestFolder>();
    QStringList foods;
    for (int i = 0; i < kFoods; ++i) {
        // Table order is not name order; the last food by name alone holds "zz".
        const int n = (i * 7919) % kFoods;
        foods.append(
            foodRow(QStringLiteral("Food %1%2").arg(n, 3, 10, QLatin1Char('0')).arg(n == kFoods - 1 ? "zz" : ""),
                QStringLiteral("%1 g").arg(n % 7), { QString::number(n % 50), QString::number(n % 3) }));
    }
    m_folder->createFoods(foods);
    m_files = m_folder->files();
    m_database = std::make_unique<SqliteFoodStore>(m_files->foodDatabasePath());
}

void TestFoodGridReadBehind::cleanup()
{
    m_window.reset();
    m_database.reset();
    m_files.reset();
    m_folder.reset();
    BackgroundFoodRead::setReadBehindFrom(50000);
}

void TestFoodGridReadBehind::open(bool sortedByName)
{
    m_window = std::make_unique<FoodGridDialog>(*m_files, *m_database, sortedByName, nullptr);
    m_window->show();
}

QStringList TestFoodGridReadBehind::rows(const FoodPropertiesModel* model, int count) const
{
    QStringList lines;
    for (int r = 0; r < (count < 0 ? model->rowCount() : count); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c) {
            cells.append(model->cellText(r, c));
        }
        lines.append(cells.join(QLatin1Char('|')));
    }
    return lines;
}

void TestFoodGridReadBehind::firstRowsAreTheWholeGridsFirstRows_data()
{
    QTest::addColumn<bool>("sortedByName");
    QTest::newRow("by name, from the main window") << true;
    QTest::newRow("table order, from the editor") << false;
}

void TestFoodGridReadBehind::firstRowsAreTheWholeGridsFirstRows()
{
    QFETCH(bool, sortedByName);
    open(sortedByName);
    QVERIFY(m_window->isReading());
    const FoodPropertiesModel* model = m_window->model();
    QVERIFY(!model->isComplete());
    const QStringList first = rows(model);
    QVERIFY(!first.isEmpty() && first.size() < kFoods);
    QVERIFY(m_window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->isVisible());
    QTRY_VERIFY(model->isComplete());
    const QStringList whole = rows(model);
    QCOMPARE(whole.size(), kFoods);
    QCOMPARE(whole.mid(0, first.size()), first);

    BackgroundFoodRead::setReadBehindFrom(50000);
    FoodGridDialog atOnce(*m_files, *m_database, sortedByName, nullptr);
    QVERIFY(atOnce.model()->isComplete());
    QCOMPARE(whole, rows(atOnce.model()));
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodGridReadBehind::commandsWaitForTheWholeTable_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Find Text by Enter") << QStringLiteral("find");
    QTest::newRow("Sort") << QStringLiteral("sort");
    QTest::newRow("Save") << QStringLiteral("save");
    QTest::newRow("Nutrients") << QStringLiteral("nutrients");
}

void TestFoodGridReadBehind::commandsWaitForTheWholeTable()
{
    QFETCH(QString, command);
    open(true);
    FoodPropertiesModel* model = m_window->model();
    QVERIFY(!model->isComplete());
    auto* button = m_window->findChild<QPushButton*>(command == QLatin1String("find") ? QStringLiteral("cmdFindTxt")
            : command == QLatin1String("sort")                                        ? QStringLiteral("cmdSort")
            : command == QLatin1String("save")                                        ? QStringLiteral("PrintTable")
                                               : QStringLiteral("nutrientColumns"));
    QVERIFY(!button->isEnabled());
    // The user stands on a cell of the first rows meanwhile.
    grid()->setCurrentIndex(model->index(5, 2));
    const QStringList before = rows(model);
    if (command == QLatin1String("find")) {
        auto* text = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
        text->setText(QStringLiteral("zz"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(model->markedCount(), 0);
    } else if (command == QLatin1String("sort")) {
        grid()->setCurrentIndex(model->index(0, FoodFields::CALORIES));
        QMetaObject::invokeMethod(m_window.get(), "sortSelection");
        QCOMPARE(rows(model), before);
        grid()->setCurrentIndex(model->index(5, 2));
    } else if (command == QLatin1String("save")) {
        QMetaObject::invokeMethod(m_window.get(), "saveTable");
        QVERIFY(!QFile::exists(m_files->foodPropertyTablePath()));
    } else {
        QVERIFY(!m_window->showNutrientColumns({ QStringLiteral("203") }));
        QCOMPARE(model->columnCount(), FoodPropertiesModel::ColumnCount);
    }
    QTRY_VERIFY(model->isComplete());
    QVERIFY(button->isEnabled());
    QCOMPARE(grid()->currentIndex(), model->index(5, 2));
    QCOMPARE(rows(model, before.size()), before);
    if (command == QLatin1String("find")) {
        // Now over every food: the one that holds the text is the grid's last row.
        QTest::keyClick(m_window->findChild<QLineEdit*>(QStringLiteral("Text1")), Qt::Key_Return);
        QCOMPARE(model->markedCount(), 1);
        QCOMPARE(grid()->currentIndex().row(), kFoods - 1);
    }
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodGridReadBehind::closingDuringTheRead()
{
    open(true);
    QVERIFY(m_window->isReading());
    m_window.reset();
    QTest::qWait(100);
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestFoodGridReadBehind)
#include "TestFoodGridReadBehind.moc"

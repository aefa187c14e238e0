// A large food table is read behind the main window: the list shows its first foods at once, and
// what the user does meanwhile (a search, Enter, a refresh, opening the recipes, closing the
// window) is neither lost nor applied to another food. Tables are made large by lowering the size
// from which the list is read behind; the worker's result arrives only when events are processed,
// so each step below happens while the list is still partly read.

#include "TestSupport.h"
#include "core/storage/BackgroundFoodRead.h"
#include "gui/common/Prompt.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/FoodPicker.h"
#include "gui/planner/MainWindow.h"
#include "gui/recipes/RecipesWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

class TestFoodListReadBehind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRowsAreTheWholeListsFirstRows_data();
    void firstRowsAreTheWholeListsFirstRows();
    void workDuringTheRead_data();
    void workDuringTheRead();
    void closingDuringTheReadIsAtOnce();

private:
    // Opens the main window on a table of kFoods names of `kind`, shown and still being read.
    void open(const QString& kind);
    QStringList shownNames() const;
    FoodListModel* model() const { return m_window->foodListModel(); }
    QListView* list() const { return m_window->findChild<QListView*>(QStringLiteral("List1")); }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

namespace {

constexpr int kFoods = 600;

// Names in a scrambled table order: plain, or differing by case and accents only.
QStringList tableNames(const QString& kind)
{
    QStringList names;
    for (int i = 0; i < kFoods; ++i) {
        const int n = (i * 7919) % kFoods;
        if (kind == QLatin1String("case and accents")) {
            static const QStringList stems { QStringLiteral("apple"), QStringLiteral("Apple"),
                QStringLiteral("\u00c4pfel"), QStringLiteral("\u00e9clair"), QStringLiteral("Eclair"),
                QStringLiteral("zucchini") };
            names.append(stems[n % stems.size()] + QStringLiteral(" %1").arg(n));
        } else {
            names.append(QStringLiteral("Food %1").arg(n, 3, 10, QLatin1Char('0')));
        }
    }
    return names;
}

} // namespace

void TestFoodListReadBehind::init()
{
    Prompt::setAnswering(true);
    BackgroundFoodRead::setReadBehindFrom(100);
    m_folder = std::make_unique<TestFolder>();
}

void TestFoodListReadBehind::cleanup()
{
    m_window.reset();
    m_workspace.reset();
    m_folder.reset();
    BackgroundFoodRead::setReadBehindFrom(50000);
}

void TestFoodListReadBehind::open(const QString& kind)
{
    QStringList rows;
    for (const QString& name : tableNames(kind)) {
        rows.append(foodRow(name, QStringLiteral("1 cup")));
    }
    m_folder->createFoods(rows);
    m_workspace = m_folder->workspace();
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(!model()->isComplete());
}

QStringList TestFoodListReadBehind::shownNames() const
{
    QStringList names;
    for (int row = 0; row < model()->rowCount(); ++row) {
        names.append(model()->foodName(row));
    }
    return names;
}

void TestFoodListReadBehind::firstRowsAreTheWholeListsFirstRows_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("plain names") << QStringLiteral("plain");
    QTest::newRow("case and accents") << QStringLiteral("case and accents");
}

void TestFoodListReadBehind::firstRowsAreTheWholeListsFirstRows()
{
    QFETCH(QString, kind);
    open(kind);
    const QStringList first = shownNames();
    QVERIFY(!first.isEmpty() && first.size() < kFoods);
    QTRY_VERIFY(model()->isComplete());
    const QStringList whole = shownNames();
    QCOMPARE(whole.size(), kFoods);
    QCOMPARE(whole.mid(0, first.size()), first);

    // The same list as a table read at once gives.
    BackgroundFoodRead::setReadBehindFrom(50000);
    MainWindow atOnce(*m_workspace);
    QVERIFY(atOnce.foodListModel()->isComplete());
    QStringList direct;
    for (int row = 0; row < atOnce.foodListModel()->rowCount(); ++row) {
        direct.append(atOnce.foodListModel()->foodName(row));
    }
    QCOMPARE(whole, direct);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodListReadBehind::workDuringTheRead_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("search") << QStringLiteral("search");
    QTest::newRow("enter on a food") << QStringLiteral("enter");
    QTest::newRow("refresh twice") << QStringLiteral("refresh");
    QTest::newRow("recipes opened") << QStringLiteral("recipes");
}

void TestFoodListReadBehind::workDuringTheRead()
{
    QFETCH(QString, step);
    open(QStringLiteral("plain"));
    auto* count = m_window->findChild<QLabel*>(QStringLiteral("FoodCount"));
    QVERIFY2(count->text().contains(QLatin1String("reading")), qPrintable(count->text()));

    if (step == QLatin1String("search")) {
        // 195 of the 600 names hold a 5: the first foods give some of them, the whole list all.
        QTest::keyClicks(m_window->findChild<QLineEdit*>(QStringLiteral("FoodFilter")), QStringLiteral("food 5"));
        const int early = model()->rowCount();
        QVERIFY(early > 0 && early < 195);
        QVERIFY2(count->text().contains(QLatin1String("reading")), qPrintable(count->text()));
        QTRY_VERIFY(model()->isComplete());
        QCOMPARE(model()->rowCount(), 195);
        QCOMPARE(model()->foodName(0), QStringLiteral("Food 005"));
        QCOMPARE(model()->foodName(194), QStringLiteral("Food 599"));
        QCOMPARE(count->text(), QStringLiteral("195 of 600 foods"));
    } else if (step == QLatin1String("enter")) {
        list()->setFocus();
        list()->setCurrentIndex(model()->index(7));
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(m_workspace->plan().meal(0).count(), 1);
        QCOMPARE(m_workspace->plan().meal(0).slot(1).FoodName, QStringLiteral("Food 007"));
        QTRY_VERIFY(model()->isComplete());
        // The food the user was on stays the chosen one.
        QCOMPARE(list()->currentIndex().row(), 7);
        QVERIFY(list()->selectionModel()->isSelected(list()->currentIndex()));
        QCOMPARE(m_workspace->plan().meal(0).count(), 1);
    } else if (step == QLatin1String("refresh")) {
        auto* refresh = m_window->findChild<QPushButton*>(QStringLiteral("LoadFoodList"));
        QTest::mouseClick(refresh, Qt::LeftButton);
        QTest::mouseClick(refresh, Qt::LeftButton);
        QTRY_VERIFY(model()->isComplete());
        QCOMPARE(model()->rowCount(), kFoods);
        QTest::qWait(50);
        QCOMPARE(model()->rowCount(), kFoods);
    } else if (step == QLatin1String("recipes")) {
        // The half-read list is not copied: the window reads the table itself.
        RecipesWindow recipes(m_workspace->files(), m_workspace->foods(), model());
        const auto* recipeFoods = recipes.findChild<QListView*>(QStringLiteral("List1"))->model();
        QTRY_VERIFY(model()->isComplete());
        QTRY_COMPARE(recipeFoods->rowCount(), kFoods);
    }
    QVERIFY(Prompt::shown().isEmpty());
}

void TestFoodListReadBehind::closingDuringTheReadIsAtOnce()
{
    open(QStringLiteral("plain"));
    m_window.reset();
    // What the worker read finds no window to go to.
    QTest::qWait(100);
    QVERIFY(Prompt::shown().isEmpty());
}

QTEST_MAIN(TestFoodListReadBehind)
#include "TestFoodListReadBehind.moc"

// Saving into places that cannot take the file: a full disk and a read-only mount (both stop
// root, who runs CI), and a file size limit. Every case gives a clear message, leaves the old
// file whole and keeps what the user typed.

#include "TestSupport.h"
#include "UnwritablePlace.h"
#include "core/UserFilesCopy.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/planner/MainWindow.h"
#include "gui/totals/TotalsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray kOld = "the old file, whole\r\n";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestUnwritablePlaces : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void savingAPlan_data();
    void savingAPlan();
    void savingAPlanOverTheFileSizeLimit();
    void keepingThePlanOnScreen_data();
    void keepingThePlanOnScreen();
    void writingTheTotalsReport_data();
    void writingTheTotalsReport();
    void savingTheFoodPropertyTable_data();
    void savingTheFoodPropertyTable();
    void editingAFood_data();
    void editingAFood();
    void copyingFiles_data();
    void copyingFiles();

private:
    void kinds();
    // A state whose data folder lies in `folder` (the per-user files beside it), with the
    // test's food table.
    SharedState stateIn(const QString& folder) const;
    std::unique_ptr<TestFolder> m_folder;
};

void TestUnwritablePlaces::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }),
        foodRow(QStringLiteral("Bread"), QStringLiteral("1 slice"), { QStringLiteral("80") }) });
}

void TestUnwritablePlaces::cleanup()
{
    m_folder.reset();
}

void TestUnwritablePlaces::kinds()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("full disk") << int(UnwritablePlace::FullDisk);
    QTest::newRow("read-only") << int(UnwritablePlace::ReadOnly);
}

SharedState TestUnwritablePlaces::stateIn(const QString& folder) const
{
    SharedState state = m_folder->state();
    state.DataFolder = folder + QStringLiteral("/Tamo");
    QDir().mkpath(state.DataFolder);
    return state;
}

void TestUnwritablePlaces::savingAPlan_data()
{
    kinds();
}

void TestUnwritablePlaces::savingAPlan()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    SharedState state = stateIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(state.perUserFile(QStringLiteral("Daily")), kOld);
    QVERIFY(place.lock());
    state.DataFolder = place.path() + QStringLiteral("/Tamo");
    const QString path = state.perUserFile(QStringLiteral("Daily"));

    MainWindow window(state);
    window.show();
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Lunch_Add")), Qt::LeftButton);
    const MealPlan typed = state.mealPlan;
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton);

    const auto shown = Prompt::shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.last().title, QStringLiteral("Error"));
    QVERIFY2(shown.last().text.contains(QStringLiteral("TamoDaily.txt")), qPrintable(shown.last().text));
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(state.mealPlan, typed);
    QCOMPARE(window.findChild<QListView*>(QStringLiteral("List3"))->model()->rowCount(), 1);
}

void TestUnwritablePlaces::savingAPlanOverTheFileSizeLimit()
{
    const SharedState folderState = m_folder->state();
    SharedState state = folderState;
    const QString path = state.perUserFile(QStringLiteral("Weekly"));
    writeFile(path, kOld);
    for (int i = 0; i < 50; ++i) {
        state.mealPlan.tables[MealPlan::Dinner].add(
            QStringLiteral("A food with a long name, number %1").arg(i), QStringLiteral(" 1"));
    }
    // The limit stops root too; the signal it raises is ignored so the write fails instead.
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 512;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    MainWindow window(state);
    window.findChild<QComboBox*>(QStringLiteral("DayofWeek"))->setCurrentText(QStringLiteral("Weekly"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("TamoWeekly.txt")));
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(state.mealPlan.tables[MealPlan::Dinner].count(), 50);
}

void TestUnwritablePlaces::keepingThePlanOnScreen_data()
{
    kinds();
}

// The plan on screen is put back from a place that takes no file, and every change to it fails
// to be kept there: that is said once, not at every change, and the old file stays whole.
void TestUnwritablePlaces::keepingThePlanOnScreen()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    const QByteArray old = "Lunch_Apple_ 2\r\n";
    writeFile(
        (kind == UnwritablePlace::FullDisk ? place.path() : place.staging()) + QStringLiteral("/plan-on-screen.txt"),
        old);
    QVERIFY(place.lock());
    SharedState state = m_folder->state();
    state.PlanOnScreenPath = place.path() + QStringLiteral("/plan-on-screen.txt");
    MainWindow window(state);
    window.show();
    QCOMPARE(window.findChild<QListView*>(QStringLiteral("List3"))->model()->rowCount(), 1);
    QVERIFY(Prompt::shown().isEmpty());
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    list->setCurrentIndex(list->model()->index(1, 0));
    for (const char* add : { "Breakfast_Add", "Dinner_Add", "Other_Add", "LunchClear" }) {
        QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(add)), Qt::LeftButton);
    }
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().title, QStringLiteral("Error"));
    QVERIFY2(Prompt::shown().first().text.contains(QStringLiteral("plan-on-screen.txt")),
        qPrintable(Prompt::shown().first().text));
    QCOMPARE(readFile(state.PlanOnScreenPath), old);
    QCOMPARE(state.mealPlan.tables[MealPlan::Other].slot(1).FoodName, QStringLiteral("Bread"));
    QCOMPARE(state.mealPlan.tables[MealPlan::Lunch].count(), 0);
}

void TestUnwritablePlaces::writingTheTotalsReport_data()
{
    kinds();
}

void TestUnwritablePlaces::writingTheTotalsReport()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    SharedState state = stateIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(state.perUserFile(QStringLiteral("TotalsReport")), kOld);
    QVERIFY(place.lock());
    state.DataFolder = place.path() + QStringLiteral("/Tamo");
    FoodDatabase foods;
    QString error;
    QVERIFY(foods.open(m_folder->databasePath(), &error));
    TotalsDialog window(state, foods);
    window.show();
    window.findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CalcTot")), Qt::LeftButton);
    window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("TotalsPrint")), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("TamoTotalsReport.txt")));
    QCOMPARE(readFile(state.perUserFile(QStringLiteral("TotalsReport"))), kOld);
}

void TestUnwritablePlaces::savingTheFoodPropertyTable_data()
{
    kinds();
}

void TestUnwritablePlaces::savingTheFoodPropertyTable()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    SharedState state = stateIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(state.perUserFile(QStringLiteral("foodpropertytable")), kOld);
    QVERIFY(place.lock());
    state.DataFolder = place.path() + QStringLiteral("/Tamo");
    FoodDatabase foods;
    QString error;
    QVERIFY(foods.open(m_folder->databasePath(), &error));
    FoodGridDialog window(state, foods, true);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("PrintTable")), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("Tamofoodpropertytable.txt")));
    QCOMPARE(readFile(state.perUserFile(QStringLiteral("foodpropertytable"))), kOld);
}

void TestUnwritablePlaces::editingAFood_data()
{
    kinds();
}

void TestUnwritablePlaces::editingAFood()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    const QString staged
        = (kind == UnwritablePlace::FullDisk ? place.path() : place.staging()) + QStringLiteral("/foods.db");
    QVERIFY(QFile::copy(m_folder->databasePath(), staged));
    const QString database = place.path() + QStringLiteral("/foods.db");
    {
        // Opened once while writable, so the name index exists before the place is locked.
        FoodDatabase foods;
        QString error;
        QVERIFY(foods.open(database, &error));
    }
    QVERIFY(place.lock());
    SharedState state = m_folder->state();
    state.FoodDatabasePath = database;
    FoodDatabase foods;
    QString error;
    QVERIFY2(foods.open(database, &error), qPrintable(error));
    FoodEditorDialog window(state, foods);
    window.show();
    auto* calories = window.findChild<QLineEdit*>(QStringLiteral("CALORIES"));
    auto* food = window.findChild<QLineEdit*>(QStringLiteral("FOOD"));
    QCOMPARE(food->text(), QStringLiteral("Apple"));
    calories->selectAll();
    QTest::keyClicks(calories, QStringLiteral("123"));
    QTest::mouseClick(window.findChild<QToolButton*>(QStringLiteral("MoveNext")), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    // The record did not move on and the typed value is still there.
    QCOMPARE(food->text(), QStringLiteral("Apple"));
    QCOMPARE(calories->text(), QStringLiteral("123"));
    std::vector<TextColumn> columns;
    QVERIFY(foods.readColumns({ FoodDatabase::CALORIES }, &columns, nullptr, &error));
    QCOMPARE(columns[0].at(0), QStringLiteral("95"));
}

void TestUnwritablePlaces::copyingFiles_data()
{
    kinds();
}

void TestUnwritablePlaces::copyingFiles()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    SharedState state = m_folder->state();
    state.CurrentUserName = QStringLiteral("Ann Lee");
    writeFile(state.perUserFile(QStringLiteral("Daily")), QByteArray("Lunch_Apple_ 2\r\n").repeated(200));
    writeFile(state.perUserFile(QStringLiteral("Monday")), "Lunch_Bread_ 1\r\n");
    writeFile((kind == UnwritablePlace::FullDisk ? place.path() : place.staging()) + QStringLiteral("/AnnLeeDaily.txt"),
        kOld);
    QVERIFY(place.lock());
    const UserFilesCopy::Result result = UserFilesCopy::copy(state, place.path());
    QVERIFY(!result.succeeded());
    QVERIFY(result.failed.join(QLatin1Char(' ')).contains(QStringLiteral("AnnLeeDaily.txt")));
    QCOMPARE(readFile(place.path() + QStringLiteral("/AnnLeeDaily.txt")), kOld);
    QVERIFY(!UserFilesCopy::failureMessage(result, place.path()).isEmpty());
}

QTEST_MAIN(TestUnwritablePlaces)
#include "TestUnwritablePlaces.moc"

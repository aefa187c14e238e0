// Saving into places that cannot take the file: a full disk and a read-only mount (both stop
// root, who runs CI), and a file size limit. Every case gives a clear message, leaves the old
// file whole and keeps what the user typed.

#include "PlatewellRun.h"
#include "TestSupport.h"
#include "UnwritablePlace.h"
#include "core/files/UserFilesCopy.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/workspace/StarterNutrients.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/planner/MainWindow.h"
#include "gui/totals/TotalsChartWindow.h"
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
#include <sys/stat.h>

namespace {

const QByteArray kOld = "the old file, whole\r\n";

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The system's own words for why the place took no file, which every message must give.
QString reasonOf(int kind)
{
    return kind == UnwritablePlace::FullDisk ? QStringLiteral("No space left on device")
                                             : QStringLiteral("Read-only file system");
}

bool isNamedPipe(const QString& path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
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
    void givingTheStarterFoodsTheirNutrients();
    void copyingFiles_data();
    void copyingFiles();
    void exportingFoods_data();
    void exportingFoods();
    void exportingOnTheCommandLine_data();
    void exportingOnTheCommandLine();
    void writingOntoANamedPipe_data();
    void writingOntoANamedPipe();

private:
    void kinds();
    // The places of the test's folder, but with the data folder in `folder` (the per-user files
    // beside it).
    UserFiles::Places placesIn(const QString& folder) const;
    // A food table whose export takes about 100 KB.
    void createManyFoods() const;
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

UserFiles::Places TestUnwritablePlaces::placesIn(const QString& folder) const
{
    UserFiles::Places places = m_folder->places();
    places.dataFolder = folder + QStringLiteral("/Tamo");
    QDir().mkpath(places.dataFolder);
    return places;
}

void TestUnwritablePlaces::createManyFoods() const
{
    QStringList rows;
    for (int i = 0; i < 2000; ++i) {
        rows.append(foodRow(QStringLiteral("Food number %1 with a longer name").arg(i), QStringLiteral("1 cup"),
            { QStringLiteral("95"), QStringLiteral("12.5") }));
    }
    m_folder->createFoods(rows);
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
    UserFiles::Places places = placesIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(UserFiles(places).perUserFile(QStringLiteral("Daily")), kOld);
    QVERIFY(place.lock());
    places.dataFolder = place.path() + QStringLiteral("/Tamo");
    Workspace workspace(places);
    const QString path = workspace.files().perUserFile(QStringLiteral("Daily"));

    MainWindow window(workspace);
    window.show();
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Lunch_Add")), Qt::LeftButton);
    const MealPlan typed = workspace.plan().plan();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton);

    const auto shown = Prompt::shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.last().title, QStringLiteral("Error"));
    QVERIFY2(
        shown.last().text.contains(QStringLiteral("TamoDaily.txt: ") + reasonOf(kind)), qPrintable(shown.last().text));
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(workspace.plan().plan(), typed);
    QCOMPARE(window.findChild<QListView*>(QStringLiteral("List3"))->model()->rowCount(), 1);
}

void TestUnwritablePlaces::savingAPlanOverTheFileSizeLimit()
{
    Workspace workspace(m_folder->places());
    const QString path = workspace.files().perUserFile(QStringLiteral("Weekly"));
    writeFile(path, kOld);
    MealTable dinner;
    for (int i = 0; i < 50; ++i) {
        dinner.add(QStringLiteral("A food with a long name, number %1").arg(i), QStringLiteral(" 1"));
    }
    workspace.plan().setMeal(MealPlan::Dinner, dinner);
    // The limit stops root too; the signal it raises is ignored so the write fails instead.
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 512;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    MainWindow window(workspace);
    window.findChild<QComboBox*>(QStringLiteral("DayofWeek"))->setCurrentText(QStringLiteral("Weekly"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("TamoWeekly.txt: File too large")));
    QCOMPARE(readFile(path), kOld);
    QCOMPARE(workspace.plan().meal(MealPlan::Dinner).count(), 50);
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
    UserFiles::Places places = m_folder->places();
    places.planOnScreenPath = place.path() + QStringLiteral("/plan-on-screen.txt");
    Workspace workspace(places);
    MainWindow window(workspace);
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
    QCOMPARE(readFile(places.planOnScreenPath), old);
    QCOMPARE(workspace.plan().meal(MealPlan::Other).slot(1).FoodName, QStringLiteral("Bread"));
    QCOMPARE(workspace.plan().meal(MealPlan::Lunch).count(), 0);
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
    UserFiles::Places places = placesIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(UserFiles(places).perUserFile(QStringLiteral("TotalsReport")), kOld);
    QVERIFY(place.lock());
    places.dataFolder = place.path() + QStringLiteral("/Tamo");
    Workspace workspace(places);
    QString error;
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(&error));
    TotalsDialog window(workspace.files(), foods, workspace.plan(), workspace.targets());
    window.show();
    window.findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CalcTot")), Qt::LeftButton);
    window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("TotalsPrint")), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("TamoTotalsReport.txt: ") + reasonOf(kind)));
    QCOMPARE(readFile(workspace.files().perUserFile(QStringLiteral("TotalsReport"))), kOld);
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
    UserFiles::Places places = placesIn(kind == UnwritablePlace::FullDisk ? place.path() : place.staging());
    writeFile(UserFiles(places).perUserFile(QStringLiteral("foodpropertytable")), kOld);
    QVERIFY(place.lock());
    places.dataFolder = place.path() + QStringLiteral("/Tamo");
    const UserFiles files(places);
    QString error;
    SqliteFoodStore foods(m_folder->databasePath());
    QVERIFY(foods.refresh(&error));
    FoodGridDialog window(files, foods, true);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("PrintTable")), Qt::LeftButton);
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("Tamofoodpropertytable.txt: ") + reasonOf(kind)));
    QCOMPARE(readFile(files.perUserFile(QStringLiteral("foodpropertytable"))), kOld);
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
        SqliteFoodStore foods(database);
        QString error;
        QVERIFY(foods.refresh(&error));
    }
    QVERIFY(place.lock());
    UserFiles::Places places = m_folder->places();
    places.foodDatabasePath = database;
    const UserFiles files(places);
    QString previousSearch;
    QString error;
    SqliteFoodStore foods(database);
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    FoodEditorDialog window(files, foods, previousSearch);
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

void TestUnwritablePlaces::givingTheStarterFoodsTheirNutrients()
{
    // An older food table on a read-only mount: the start-up that would give its starter foods
    // their nutrients says why it cannot and leaves the file as it was, still readable.
    UnwritablePlace place { UnwritablePlace::ReadOnly };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    TestFolder older;
    older.createStarterFoods();
    const QString staged = place.staging() + QStringLiteral("/foods.db");
    QVERIFY(QFile::copy(older.databasePath(), staged));
    {
        // Opened once while writable, so the name index exists before the place is locked.
        SqliteFoodStore foods(staged);
        QString error;
        QVERIFY2(foods.refresh(&error), qPrintable(error));
    }
    QVERIFY(place.lock());
    const QString database = place.path() + QStringLiteral("/foods.db");
    const QByteArray before = readFile(database);
    int added = -1;
    QString error;
    QVERIFY(!StarterNutrients::addTo(database, &added, &error));
    QCOMPARE(added, 0);
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.size() < 200, qPrintable(error));
    QCOMPARE(readFile(database), before);
    SqliteFoodStore foods(database);
    QVERIFY2(foods.refresh(&error), qPrintable(error));
    std::vector<TextColumn> columns;
    QVERIFY2(foods.readColumns({ FoodDatabase::FOOD }, &columns, nullptr, &error), qPrintable(error));
    QCOMPARE(columns[0].size(), 7878);
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
    UserFiles files(m_folder->places());
    files.setUserName(QStringLiteral("Ann Lee"));
    writeFile(files.perUserFile(QStringLiteral("Daily")), QByteArray("Lunch_Apple_ 2\r\n").repeated(200));
    writeFile(files.perUserFile(QStringLiteral("Monday")), "Lunch_Bread_ 1\r\n");
    writeFile((kind == UnwritablePlace::FullDisk ? place.path() : place.staging()) + QStringLiteral("/AnnLeeDaily.txt"),
        kOld);
    QVERIFY(place.lock());
    const UserFilesCopy::Result result = UserFilesCopy::copy(files, place.path());
    QVERIFY(!result.succeeded());
    QVERIFY(result.failed.join(QLatin1Char(' ')).contains(QStringLiteral("AnnLeeDaily.txt")));
    QCOMPARE(readFile(place.path() + QStringLiteral("/AnnLeeDaily.txt")), kOld);
    QVERIFY(UserFilesCopy::failureMessage(result, place.path()).contains(reasonOf(kind)));
}

void TestUnwritablePlaces::exportingFoods_data()
{
    kinds();
}

void TestUnwritablePlaces::exportingFoods()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    writeFile(
        (kind == UnwritablePlace::FullDisk ? place.path() : place.staging()) + QStringLiteral("/foods.csv"), kOld);
    QVERIFY(place.lock());
    // Some room is left, so the system takes part of the file before the disk is full.
    createManyFoods();
    QVERIFY(kind != UnwritablePlace::FullDisk || place.leaveRoom(16 * 1024));
    const QString path = place.path() + QStringLiteral("/foods.csv");
    Workspace workspace(m_folder->places());
    MainWindow window(workspace);
    QVERIFY(!window.exportFoodsTo(path));
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY2(Prompt::shown().last().text.contains(path + QStringLiteral(": ") + reasonOf(kind)),
        qPrintable(Prompt::shown().last().text));
    QCOMPARE(readFile(path), kOld);
}

void TestUnwritablePlaces::exportingOnTheCommandLine_data()
{
    kinds();
}

// An export only reads the food table: a Platewell folder it cannot write, holding nothing but
// foods.db, does not stop it. Onto a full disk it fails with the system's reason.
void TestUnwritablePlaces::exportingOnTheCommandLine()
{
    QFETCH(int, kind);
    UnwritablePlace place { static_cast<UnwritablePlace::Kind>(kind) };
    if (!place.ready()) {
        QSKIP(qPrintable(place.why()));
    }
    if (kind == UnwritablePlace::ReadOnly) {
        QVERIFY(QFile::copy(m_folder->databasePath(), place.staging() + QStringLiteral("/foods.db")));
        QVERIFY(place.lock());
        const QString path = m_folder->path() + QStringLiteral("/out.csv");
        const PlatewellRun run = PlatewellRun::start(
            { QStringLiteral("--home"), place.path(), QStringLiteral("--export"), path }, m_folder->path());
        QVERIFY2(run.status == 0, run.err.constData());
        QVERIFY2(run.out.contains("Exported 2 foods"), run.out.constData());
        QVERIFY(readFile(path).startsWith("FOOD,SERVING_UN,"));
        QCOMPARE(QDir(place.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList { QStringLiteral("foods.db") });
        return;
    }
    writeFile(place.path() + QStringLiteral("/foods.csv"), kOld);
    QVERIFY(place.lock());
    createManyFoods();
    QVERIFY(place.leaveRoom(16 * 1024));
    const QString path = place.path() + QStringLiteral("/foods.csv");
    const PlatewellRun run = PlatewellRun::start(
        { QStringLiteral("--home"), m_folder->path(), QStringLiteral("--export"), path }, m_folder->path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QFile::encodeName(path) + ": No space left on device"), run.err.constData());
    QCOMPARE(readFile(path), kOld);
}

void TestUnwritablePlaces::writingOntoANamedPipe_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("chart") << "chart";
    QTest::newRow("totals report") << "report";
    QTest::newRow("food property table") << "table";
    QTest::newRow("exported foods") << "export";
}

// Only a regular file is ever replaced: a named pipe where the file should go is left as it is,
// never opened (which would wait for a reader), and the message says why.
void TestUnwritablePlaces::writingOntoANamedPipe()
{
    QFETCH(QString, what);
    Workspace workspace(m_folder->places());
    const QString path = what == QLatin1String("chart") ? m_folder->path() + QStringLiteral("/chart.png")
        : what == QLatin1String("report")               ? workspace.files().totalsReportPath()
        : what == QLatin1String("table")                ? workspace.files().foodPropertyTablePath()
                                                        : m_folder->path() + QStringLiteral("/foods.csv");
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    SqliteFoodStore foods(m_folder->databasePath());
    QString error;
    QVERIFY(foods.refresh(&error));
    if (what == QLatin1String("chart")) {
        TotalsChartWindow window(TotalsResult(), NutrientTargets(), path);
        QVERIFY(!window.saveTo(path));
    } else if (what == QLatin1String("report")) {
        TotalsDialog window(workspace.files(), foods, workspace.plan(), workspace.targets());
        window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("TotalsPrint")), Qt::LeftButton);
    } else if (what == QLatin1String("table")) {
        FoodGridDialog window(workspace.files(), foods, true);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("PrintTable")), Qt::LeftButton);
    } else {
        MainWindow window(workspace);
        QVERIFY(!window.exportFoodsTo(path));
    }
    QVERIFY(!Prompt::shown().isEmpty());
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY2(Prompt::shown().last().text.contains(
                 QFileInfo(path).fileName() + QStringLiteral(": a named pipe of that name is in the way")),
        qPrintable(Prompt::shown().last().text));
    QVERIFY(isNamedPipe(path));
}

QTEST_MAIN(TestUnwritablePlaces)
#include "TestUnwritablePlaces.moc"

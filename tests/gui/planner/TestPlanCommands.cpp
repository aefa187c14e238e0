#include "TestSupport.h"
#include "core/files/PlatewellFolder.h"
#include "core/plans/PeriodFile.h"
#include "gui/common/Prompt.h"
#include "gui/planner/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <memory>

#include <sys/stat.h>

// The main window's plan commands worked through the real windows: the user name, Save and
// Load of a period's plan, and the totals of saved plans.
class TestPlanCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveLoadRoundTripUnderUserName();
    void totalsOfActiveAndTwoSavedPeriods();
    void saveRefusals_data();
    void saveRefusals();
    void saveAsksBeforeReplacing();
    void saveFailureKeepsOldFile();
    void loadMissingFileChangesNothing();
    void loadReportsLinesItCannotPlace();
    void planOutlastsEveryWayOfEnding_data();
    void planOutlastsEveryWayOfEnding();
    void everyChangeIsKept_data();
    void everyChangeIsKept();
    void brokenKeptPlanDoesNotStopStartUp_data();
    void brokenKeptPlanDoesNotStopStartUp();

private:
    void open();
    // Opens a new main window over the same folder, as the next start of the program does.
    void restart();
    QString keptPlanPath() const { return m_folder->path() + QStringLiteral("/plan-on-screen.txt"); }
    void add(const QString& food, const QString& quantity, const char* addButton);
    void setUserName(const QString& name);
    void choosePeriod(const QString& period);
    void click(const char* name);
    QStringList lines(const char* list) const;
    QByteArray fileBytes(const QString& path) const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<MainWindow> m_window;
};

void TestPlanCommands::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestPlanCommands::init()
{
    Prompt::setAnswering(true);
    m_folder = std::make_unique<TestFolder>();
    m_folder->createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"),
                                { "95", "25.1", "0.3", "19", "0", "1.9", "4.4", "" }),
        foodRow(
            QStringLiteral("Bread"), QStringLiteral("1 slice"), { "80", "15", "1", "1.5", "0", "1.6", "0.8", "0.5" }),
        foodRow(QStringLiteral("Bad_Name"), QStringLiteral("1"), { "1" }) });
    m_workspace = m_folder->workspace();
    open();
}

void TestPlanCommands::cleanup()
{
    m_window.reset();
    m_folder.reset();
}

void TestPlanCommands::open()
{
    m_window = std::make_unique<MainWindow>(*m_workspace);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPlanCommands::restart()
{
    Prompt::clearShown();
    m_window.reset();
    m_workspace = m_folder->workspace();
    open();
}

void TestPlanCommands::click(const char* name)
{
    auto* button = m_window->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestPlanCommands::add(const QString& food, const QString& quantity, const char* addButton)
{
    auto* list = m_window->findChild<QListView*>(QStringLiteral("List1"));
    const QModelIndexList found
        = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, food, 1, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentIndex(found.first());
    auto* text = m_window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    text->setText(quantity);
    click(addButton);
}

void TestPlanCommands::setUserName(const QString& name)
{
    whenModal([name](QWidget* window) {
        QCOMPARE(window->objectName(), QStringLiteral("UserName"));
        auto* text = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QVERIFY(text->text().isEmpty());
        QTest::keyClicks(text, name);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    click("Command1");
    QCOMPARE(m_workspace->files().userName(), name);
}

void TestPlanCommands::choosePeriod(const QString& period)
{
    auto* box = m_window->findChild<QComboBox*>(QStringLiteral("DayofWeek"));
    box->setCurrentText(period);
}

QStringList TestPlanCommands::lines(const char* name) const
{
    QStringList result;
    QAbstractItemModel* model = m_window->findChild<QListView*>(QLatin1String(name))->model();
    for (int i = 0; i < model->rowCount(); ++i) {
        result.append(model->index(i, 0).data().toString());
    }
    return result;
}

QByteArray TestPlanCommands::fileBytes(const QString& path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestPlanCommands::saveLoadRoundTripUnderUserName()
{
    setUserName(QStringLiteral("Ann Lee"));
    QCOMPARE(m_window->findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Ann Lee"));
    add(QStringLiteral("Apple"), QStringLiteral("0.5"), "Breakfast_Add");
    add(QStringLiteral("Bread"), QStringLiteral("2 slices"), "Breakfast_Add");
    add(QStringLiteral("Apple"), QStringLiteral("-1"), "Lunch_Add");
    add(QStringLiteral("Bread"), QStringLiteral(""), "Other_Add");
    const MealPlan saved = m_workspace->plan().plan();
    const QStringList breakfast = lines("List2");
    choosePeriod(QStringLiteral("Weekly"));
    click("SaveDiet");
    QVERIFY(Prompt::shown().isEmpty());
    const QString path = m_folder->path() + QStringLiteral("/TamoAnnLeeWeekly.txt");
    QCOMPARE(fileBytes(path),
        QByteArray("Breakfast_Apple_ .5\r\nBreakfast_Bread_ 2\r\nLunch_Apple_-1\r\nSnacks or Other_Bread_ 0\r\n"));

    for (const char* clear : { "BreakfastClear", "LunchClear", "DinnerClear", "OtherClear" }) {
        click(clear);
    }
    QCOMPARE(m_workspace->plan().plan(), MealPlan {});
    click("LoadDiet");
    QVERIFY(Prompt::shown().isEmpty());
    QCOMPARE(m_workspace->plan().plan(), saved);
    QCOMPARE(lines("List2"), breakfast);
    QCOMPARE(lines("List3"), QStringList { QStringLiteral("Apple, -1") });
    QCOMPARE(lines("List5"), QStringList { QStringLiteral("Bread,  0") });
}

void TestPlanCommands::totalsOfActiveAndTwoSavedPeriods()
{
    setUserName(QStringLiteral("Ann Lee"));
    add(QStringLiteral("Apple"), QStringLiteral("2"), "Breakfast_Add");
    add(QStringLiteral("Bread"), QStringLiteral("1.5"), "Lunch_Add");
    choosePeriod(QStringLiteral("Daily"));
    click("SaveDiet");
    click("LunchClear");
    add(QStringLiteral("Bread"), QStringLiteral("3"), "Dinner_Add");
    choosePeriod(QStringLiteral("Monday"));
    click("SaveDiet");
    QVERIFY(Prompt::shown().isEmpty());

    QList<QStringList> rows;
    QList<bool> bold;
    whenModal([&rows, &bold](QWidget* window) {
        QCOMPARE(window->objectName(), QStringLiteral("CalculateTotals"));
        for (const char* check : { "Check1", "Check2", "Check7" }) {
            window->findChild<QCheckBox*>(QLatin1String(check))->click();
        }
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("CalcTot")), Qt::LeftButton);
        QAbstractItemModel* grid = window->findChild<QTableView*>(QStringLiteral("MSFlexGrid1"))->model();
        for (int r = 0; r < grid->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < grid->columnCount(); ++c) {
                row.append(grid->index(r, c).data().toString());
            }
            rows.append(row);
            bold.append(grid->index(r, 0).data(Qt::FontRole).value<QFont>().bold());
        }
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    });
    click("Command9");
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[1], (QStringList { "Active", "430", "95.2", "3.6", "42.5", "0", "8.6", "11.2", "1.5", "82.5" }));
    QCOMPARE(rows[2], (QStringList { "Daily", "310", "72.7", "2.1", "40.25", "0", "6.2", "10", "0.75", "61.95" }));
    QCOMPARE(rows[3], (QStringList { "Monday", "430", "95.2", "3.6", "42.5", "0", "8.6", "11.2", "1.5", "82.5" }));
    QCOMPARE(
        rows[4], (QStringList { "Totals", "1170", "263.1", "9.3", "125.25", "0", "23.4", "32.4", "3.75", "226.95" }));
    QCOMPARE(bold, (QList<bool> { true, false, false, false, true }));
}

void TestPlanCommands::saveRefusals_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("food");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown period") << "Holiday"
                                    << "Apple"
                                    << "Holiday";
    QTest::newRow("path in period") << "../Daily"
                                    << "Apple"
                                    << "../Daily";
    QTest::newRow("separator in food name") << "Daily"
                                            << "Bad_Name"
                                            << "Bad_Name";
}

void TestPlanCommands::saveRefusals()
{
    QFETCH(QString, period);
    QFETCH(QString, food);
    QFETCH(QString, message);
    add(food, QStringLiteral("1"), "Dinner_Add");
    // A name that no saved plan can hold is said once at the Add, as the plan on screen is kept.
    Prompt::clearShown();
    choosePeriod(period);
    const QStringList before = QDir(m_folder->path()).entryList(QDir::Files);
    click("SaveDiet");
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY2(Prompt::shown().first().text.contains(message), qPrintable(Prompt::shown().first().text));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), before);
    // Load refuses the same unknown periods.
    if (food == QStringLiteral("Apple")) {
        click("LoadDiet");
        QCOMPARE(Prompt::shown().size(), 2);
        QCOMPARE(m_workspace->plan().meal(MealPlan::Dinner).count(), 1);
    }
}

void TestPlanCommands::saveAsksBeforeReplacing()
{
    add(QStringLiteral("Apple"), QStringLiteral("1"), "Breakfast_Add");
    click("SaveDiet");
    const QString path = m_folder->path() + QStringLiteral("/TamoDaily.txt");
    const QByteArray first = fileBytes(path);
    QVERIFY(!first.isEmpty());
    add(QStringLiteral("Bread"), QStringLiteral("1"), "Breakfast_Add");
    Prompt::queueAnswer(false);
    click("SaveDiet");
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(Prompt::shown().first().kind, Prompt::Kind::Question);
    QCOMPARE(fileBytes(path), first);
    Prompt::queueAnswer(true);
    click("SaveDiet");
    QVERIFY(fileBytes(path).contains("Bread"));
}

void TestPlanCommands::saveFailureKeepsOldFile()
{
    // A folder standing where the plan file should be stops the write, for root as well.
    const QString path = m_folder->path() + QStringLiteral("/TamoDaily.txt");
    QVERIFY(QDir().mkdir(path));
    add(QStringLiteral("Apple"), QStringLiteral("1"), "Breakfast_Add");
    click("SaveDiet");
    QCOMPARE(Prompt::shown().size(), 2);
    QCOMPARE(Prompt::shown().last().title, QStringLiteral("Error"));
    QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("TamoDaily.txt")));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(m_workspace->plan().meal(MealPlan::Breakfast).count(), 1);
}

void TestPlanCommands::loadMissingFileChangesNothing()
{
    add(QStringLiteral("Apple"), QStringLiteral("1"), "Breakfast_Add");
    const MealPlan before = m_workspace->plan().plan();
    choosePeriod(QStringLiteral("Friday"));
    click("LoadDiet");
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY(Prompt::shown().first().text.contains(QStringLiteral("TamoFriday.txt")));
    QCOMPARE(m_workspace->plan().plan(), before);
    QCOMPARE(lines("List2").size(), 1);
}

void TestPlanCommands::loadReportsLinesItCannotPlace()
{
    QFile file(m_folder->path() + QStringLiteral("/TamoWeekend.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Lunch_Apple_ 2\nBrunch_Bread_ 1\rDinner_Bread\r\nDinner_Bread_ 1.5\r\n");
    file.close();
    choosePeriod(QStringLiteral("Weekend"));
    click("LoadDiet");
    QCOMPARE(lines("List3"), QStringList { QStringLiteral("Apple,  2") });
    QCOMPARE(lines("List4"), QStringList { QStringLiteral("Bread,  1.5") });
    QCOMPARE(Prompt::shown().size(), 1);
    const QString text = Prompt::shown().first().text;
    QVERIFY2(
        text.contains(QStringLiteral("Brunch")) && text.contains(QStringLiteral("Dinner_Bread\"")), qPrintable(text));
}

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

void TestPlanCommands::planOutlastsEveryWayOfEnding_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("Exit button") << "Command10";
    QTest::newRow("Exit in the File menu") << "mnuItemExit";
    QTest::newRow("window's close button") << "close";
    QTest::newRow("I Don't Accept") << "MnuItemLicense";
}

// However the program ends, at once and asking nothing, the plan on screen is there at the next
// start; its Undo history is not. Starting writes nothing.
void TestPlanCommands::planOutlastsEveryWayOfEnding()
{
    QFETCH(QString, ending);
    QString error;
    QVERIFY2(PlatewellFolder::installDocuments(m_folder->dataFolder(), &error), qPrintable(error));
    add(QStringLiteral("Apple"), QStringLiteral("0.5"), "Breakfast_Add");
    add(QStringLiteral("Bread"), QStringLiteral("2 slices"), "Breakfast_Add");
    add(QStringLiteral("Bread"), QStringLiteral("1"), "Other_Add");
    const MealPlan shown = m_workspace->plan().plan();
    const QStringList breakfast = lines("List2");
    // The application's own event loop runs, as in the program, and ending the program leaves it.
    QTimer::singleShot(0, m_window.get(), [this, ending] {
        if (ending == QLatin1String("close")) {
            m_window->close();
            return;
        }
        if (ending == QLatin1String("MnuItemLicense")) {
            whenModal([](QWidget* licence) {
                QTest::mouseClick(licence->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
            });
        }
        if (auto* button = m_window->findChild<QPushButton*>(ending)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            m_window->findChild<QAction*>(ending)->trigger();
        }
    });
    QTimer::singleShot(10000, m_window.get(), [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!m_window->isVisible());
    QVERIFY2(Prompt::shown().isEmpty(), qPrintable(Prompt::shown().value(0).text));

    const ino_t written = inodeOf(keptPlanPath());
    restart();
    QCOMPARE(m_workspace->plan().plan(), shown);
    QCOMPARE(lines("List2"), breakfast);
    QCOMPARE(lines("List5"), QStringList { QStringLiteral("Bread,  1") });
    QVERIFY(!m_window->undoStack()->canUndo());
    click("LunchClear");
    QCOMPARE(inodeOf(keptPlanPath()), written);
    QVERIFY(Prompt::shown().isEmpty());
}

void TestPlanCommands::everyChangeIsKept_data()
{
    QTest::addColumn<QString>("step");
    for (const char* step : { "add", "remove", "clear", "load", "undo", "redo" }) {
        QTest::newRow(step) << QString::fromLatin1(step);
    }
}

// After each step on the meals the file holds exactly the plan on screen.
void TestPlanCommands::everyChangeIsKept()
{
    QFETCH(QString, step);
    add(QStringLiteral("Apple"), QStringLiteral("1"), "Lunch_Add");
    add(QStringLiteral("Bread"), QStringLiteral("2"), "Lunch_Add");
    MealPlan saved;
    saved.tables[MealPlan::Other].add(QStringLiteral("Apple"), QStringLiteral(" 3"));
    QString error;
    QVERIFY(PeriodFile::save(m_workspace->files().perUserFile(QStringLiteral("Daily")), saved, &error));
    const MealPlan before = m_workspace->plan().plan();
    if (step == QLatin1String("add")) {
        add(QStringLiteral("Bread"), QStringLiteral("1.5"), "Dinner_Add");
    } else if (step == QLatin1String("remove")) {
        auto* lunch = m_window->findChild<QListView*>(QStringLiteral("List3"));
        lunch->setCurrentIndex(lunch->model()->index(0, 0));
        click("LunchDelete");
    } else if (step == QLatin1String("clear")) {
        click("LunchClear");
    } else if (step == QLatin1String("load")) {
        click("LoadDiet");
    } else {
        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
        if (step == QLatin1String("redo")) {
            QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        }
    }
    QVERIFY(step == QLatin1String("redo") || m_workspace->plan().plan() != before);
    MealPlan kept;
    QStringList problems;
    QVERIFY2(PeriodFile::load(keptPlanPath(), &kept, &problems, &error), qPrintable(error));
    QVERIFY(problems.isEmpty());
    QCOMPARE(kept, m_workspace->plan().plan());
    QVERIFY(Prompt::shown().size() <= 1);
}

void TestPlanCommands::brokenKeptPlanDoesNotStopStartUp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lunch");
    QTest::addColumn<QString>("said");
    QTest::newRow("a line that names no meal")
        << QByteArray("Brunch_Apple_ 1\r\nLunch_Bread_ 2\r\n") << QStringList { "Bread,  2" } << "Brunch";
    QTest::newRow("not a plan at all") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QStringList {}
                                       << "left out";
    QTest::newRow("a line of 17 MB") << QByteArray(17 << 20, 'x') << QStringList {} << "too long";
    QTest::newRow("a folder in its place") << QByteArray() << QStringList {} << "not a regular file";
}

// A kept plan that cannot be read, or only in part, gives one short message and what could be
// read; the file stays as it was until the plan changes, and is then copied aside before the
// plan on screen replaces it. A failure to keep the plan is told once.
void TestPlanCommands::brokenKeptPlanDoesNotStopStartUp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lunch);
    QFETCH(QString, said);
    m_window.reset();
    const bool folder = bytes.isEmpty();
    if (folder) {
        QVERIFY(QDir().mkdir(keptPlanPath()));
    } else {
        QFile file(keptPlanPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    restart();
    QCOMPARE(Prompt::shown().size(), 1);
    QVERIFY2(Prompt::shown().first().text.contains(said), qPrintable(Prompt::shown().first().text.left(300)));
    QVERIFY(Prompt::shown().first().text.size() < 800);
    QCOMPARE(lines("List3"), lunch);
    QCOMPARE(folder ? QByteArray() : fileBytes(keptPlanPath()), bytes);

    add(QStringLiteral("Apple"), QStringLiteral("1"), "Breakfast_Add");
    add(QStringLiteral("Bread"), QStringLiteral("1"), "Breakfast_Add");
    QCOMPARE(lines("List2").size(), 2);
    if (folder) {
        QVERIFY(QFileInfo(keptPlanPath()).isDir());
        QCOMPARE(Prompt::shown().size(), 2);
        QVERIFY(Prompt::shown().last().text.contains(QStringLiteral("plan-on-screen.txt")));
        return;
    }
    QCOMPARE(Prompt::shown().size(), 1);
    QCOMPARE(fileBytes(m_folder->path() + QStringLiteral("/plan-on-screen-unread.txt")), bytes);
    restart();
    QCOMPARE(Prompt::shown().size(), 0);
    QCOMPARE(lines("List2"), (QStringList { "Apple,  1", "Bread,  1" }));
    QCOMPARE(lines("List3"), lunch);
}

QTEST_MAIN(TestPlanCommands)
#include "TestPlanCommands.moc"

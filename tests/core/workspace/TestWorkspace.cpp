#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/plans/PeriodFile.h"
#include "core/workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void planIsKeptOnlyOnceRestored();
    void notKeptIsToldOnceUntilKeptAgain();
    void noPlanFileNoKeeping();

private:
    MealPlan keptPlan() const;

    std::unique_ptr<TestFolder> m_folder;
};

void TestWorkspace::init()
{
    m_folder = std::make_unique<TestFolder>();
}

void TestWorkspace::cleanup()
{
    m_folder.reset();
}

MealPlan TestWorkspace::keptPlan() const
{
    MealPlan plan;
    QString error;
    PeriodFile::load(m_folder->places().planOnScreenPath, &plan, nullptr, &error);
    return plan;
}

// The plan of the last run is read before anything is written over it: a change made before the
// restore is not kept, and the restored plan replaces it.
void TestWorkspace::planIsKeptOnlyOnceRestored()
{
    const QString path = m_folder->places().planOnScreenPath;
    QVERIFY(TextFile::writeBytes(path, "Lunch_Soup_ 1\r\n", nullptr));
    Workspace workspace(m_folder->places());
    addToMeal(workspace.plan(), MealPlan::Dinner, QStringLiteral("Fish"), QStringLiteral(" 1"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Lunch_Soup_ 1\r\n"));
    file.close();

    QStringList problems;
    QString error;
    QCOMPARE(workspace.restorePlan(&problems, &error), PlanOnScreenFile::Restored::Whole);
    QCOMPARE(workspace.plan().meal(MealPlan::Lunch).slot(1).FoodName, QStringLiteral("Soup"));
    QCOMPARE(workspace.plan().meal(MealPlan::Dinner).count(), 0);
    addToMeal(workspace.plan(), MealPlan::Other, QStringLiteral("Nuts"), QStringLiteral(" 2"));
    QCOMPARE(keptPlan(), workspace.plan().plan());
}

// A file that cannot be written is told at the first change only; once it is written again, the
// next failure is told again.
void TestWorkspace::notKeptIsToldOnceUntilKeptAgain()
{
    Workspace workspace(m_folder->places());
    QStringList problems;
    QString error;
    workspace.restorePlan(&problems, &error);
    QSignalSpy notKept(&workspace, &Workspace::planNotKept);
    const QString path = m_folder->places().planOnScreenPath;
    QVERIFY(QDir().mkpath(path));
    addToMeal(workspace.plan(), MealPlan::Lunch, QStringLiteral("A"), QStringLiteral(" 1"));
    addToMeal(workspace.plan(), MealPlan::Lunch, QStringLiteral("B"), QStringLiteral(" 1"));
    QCOMPARE(notKept.size(), 1);
    QVERIFY2(notKept.first().first().toString().contains(QStringLiteral("plan-on-screen.txt")),
        qPrintable(notKept.first().first().toString()));
    QVERIFY(QDir(path).removeRecursively());
    addToMeal(workspace.plan(), MealPlan::Lunch, QStringLiteral("C"), QStringLiteral(" 1"));
    QCOMPARE(notKept.size(), 1);
    QCOMPARE(keptPlan(), workspace.plan().plan());
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    addToMeal(workspace.plan(), MealPlan::Lunch, QStringLiteral("D"), QStringLiteral(" 1"));
    QCOMPARE(notKept.size(), 2);
}

void TestWorkspace::noPlanFileNoKeeping()
{
    UserFiles::Places places = m_folder->places();
    places.planOnScreenPath.clear();
    Workspace workspace(places);
    QStringList problems;
    QString error;
    QCOMPARE(workspace.restorePlan(&problems, &error), PlanOnScreenFile::Restored::Nothing);
    QSignalSpy notKept(&workspace, &Workspace::planNotKept);
    addToMeal(workspace.plan(), MealPlan::Lunch, QStringLiteral("A"), QStringLiteral(" 1"));
    QCOMPARE(notKept.size(), 0);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
}

QTEST_GUILESS_MAIN(TestWorkspace)
#include "TestWorkspace.moc"

#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/files/UserFiles.h"
#include "core/totals/UserTargets.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestUserTargets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadReadsTheUsersFile_data();
    void loadReadsTheUsersFile();
    void setTargetsWritesOnlyAChange();
    void otherNutrientsInTheirOwnFile();
    void anotherUserForgetsThem();

private:
    static NutrientTargets caloriesBetween(double minimum, double maximum);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<UserFiles> m_files;
};

void TestUserTargets::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_files = m_folder->files();
    m_files->setUserName(QStringLiteral("Ann Lee"));
}

void TestUserTargets::cleanup()
{
    m_files.reset();
    m_folder.reset();
}

NutrientTargets TestUserTargets::caloriesBetween(double minimum, double maximum)
{
    NutrientTargets targets;
    targets.setRange(TotalsRow::Calories, { minimum, maximum }, nullptr);
    return targets;
}

void TestUserTargets::loadReadsTheUsersFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("problems");
    QTest::addColumn<bool>("told");
    QTest::newRow("targets") << QByteArray("Calories_1800_2200\r\n") << true << 0 << true;
    QTest::newRow("no file: no targets, no change") << QByteArray() << true << 0 << false;
    QTest::newRow("a line that is no target") << QByteArray("Calories_1800_2200\r\nFat_x_\r\n") << true << 1 << true;
    QTest::newRow("a folder in the file's place") << QByteArray("folder") << false << 0 << false;
}

void TestUserTargets::loadReadsTheUsersFile()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, read);
    QFETCH(int, problems);
    QFETCH(bool, told);
    const QString path = m_folder->dataFolder() + QStringLiteral("AnnLeeTargets.txt");
    if (file == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (!file.isNull()) {
        QVERIFY(TextFile::writeBytes(path, file, nullptr));
    }
    UserTargets targets(*m_files);
    QSignalSpy changed(&targets, &UserTargets::targetsChanged);
    QStringList found;
    QString error;
    QCOMPARE(targets.load(&found, &error), read);
    QCOMPARE(error.isEmpty(), read);
    QCOMPARE(found.size(), problems);
    QCOMPARE(changed.size(), told ? 1 : 0);
    QCOMPARE(targets.targets(), told ? caloriesBetween(1800, 2200) : NutrientTargets());
    // Reading the same file again is no change.
    targets.load(nullptr, &error);
    QCOMPARE(changed.size(), told ? 1 : 0);
}

void TestUserTargets::setTargetsWritesOnlyAChange()
{
    UserTargets targets(*m_files);
    QSignalSpy changed(&targets, &UserTargets::targetsChanged);
    QString error;
    QVERIFY(targets.setTargets(NutrientTargets(), &error));
    QVERIFY(!QFileInfo::exists(m_files->targetsPath()));
    QCOMPARE(changed.size(), 0);

    QVERIFY2(targets.setTargets(caloriesBetween(1500, 2000), &error), qPrintable(error));
    QCOMPARE(changed.size(), 1);
    NutrientTargets stored;
    QVERIFY(NutrientTargets::load(m_files->targetsPath(), &stored, nullptr, &error));
    QCOMPARE(stored, caloriesBetween(1500, 2000));

    // The same targets again: the file is not written again.
    QVERIFY(QFile::remove(m_files->targetsPath()));
    QVERIFY(targets.setTargets(caloriesBetween(1500, 2000), &error));
    QVERIFY(!QFileInfo::exists(m_files->targetsPath()));
    QCOMPARE(changed.size(), 1);

    // Targets that could not be written are not held either.
    QVERIFY(QDir().mkpath(m_files->targetsPath()));
    QVERIFY(!targets.setTargets(caloriesBetween(1600, 2000), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(targets.targets(), caloriesBetween(1500, 2000));
    QCOMPARE(changed.size(), 1);
}

// A target of a nutrient beyond the nine goes to its own file, written only when those targets
// change; the targets file keeps the nine's lines alone, and both are read back.
void TestUserTargets::otherNutrientsInTheirOwnFile()
{
    UserTargets targets(*m_files);
    const QString keptPath = m_files->perUserFile(NutrientTargets::keptFileSuffix());
    QString error;
    QVERIFY(targets.setTargets(caloriesBetween(1500, 2000), &error));
    QVERIFY(!QFileInfo::exists(keptPath));
    NutrientTargets more = caloriesBetween(1500, 2000);
    QVERIFY(more.setKeptRange(QStringLiteral("307"), { std::nullopt, 2300 }, nullptr));
    QVERIFY(QFile::remove(m_files->targetsPath()));
    QVERIFY2(targets.setTargets(more, &error), qPrintable(error));
    // Only the file of what changed is written.
    QVERIFY(!QFileInfo::exists(m_files->targetsPath()));
    QStringList lines;
    QVERIFY(TextFile::readLines(keptPath, &lines, nullptr));
    QCOMPARE(lines, QStringList { "307__2300" });

    QVERIFY(targets.setTargets(caloriesBetween(1500, 2000), &error));
    UserTargets again(*m_files);
    QVERIFY(again.load(nullptr, &error));
    QCOMPARE(again.targets(), NutrientTargets());
    QVERIFY(TextFile::writeBytes(m_files->targetsPath(), "Calories_1500_2000\r\n", nullptr));
    QVERIFY(TextFile::writeBytes(keptPath, "307__2300\r\n303_x_\r\n", nullptr));
    QStringList problems;
    QVERIFY(again.load(&problems, &error));
    QCOMPARE(again.targets(), more);
    QCOMPARE(problems.size(), 1);
}

// Targets belong to a user: another name's file is read when the targets are next needed.
void TestUserTargets::anotherUserForgetsThem()
{
    QVERIFY(TextFile::writeBytes(m_files->targetsPath(), "Calories_1800_2200\r\n", nullptr));
    UserTargets targets(*m_files);
    QString error;
    QVERIFY(targets.load(nullptr, &error));
    QSignalSpy changed(&targets, &UserTargets::targetsChanged);
    m_files->setUserName(QStringLiteral("Bo"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(targets.targets(), NutrientTargets());
    QVERIFY(targets.load(nullptr, &error));
    QCOMPARE(targets.targets(), NutrientTargets());
    m_files->setUserName(QStringLiteral("Ann Lee"));
    QVERIFY(targets.load(nullptr, &error));
    QCOMPARE(targets.targets(), caloriesBetween(1800, 2200));
}

QTEST_GUILESS_MAIN(TestUserTargets)
#include "TestUserTargets.moc"

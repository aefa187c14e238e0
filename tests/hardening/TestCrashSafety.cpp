// Kills a process that saves plans, totals reports, food edits and recipes over and over, at random
// moments, and checks after every kill that each file is whole (the old or the new one) and that
// the food table is sound, holds every edit and recipe that was reported committed, and that
// every recipe's food row holds what its ingredients make.

#include "OtherProgram.h"
#include "RecipeConsistency.h"
#include "TestSupport.h"
#include "core/files/TextFile.h"
#include "core/files/UserFiles.h"
#include "core/foods/FoodDatabase.h"
#include "core/plans/PeriodFile.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/NumberText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kKills = 200;

// The plan of generation g: its size changes with g, so a torn file cannot pass as whole.
MealPlan planOf(int generation)
{
    MealPlan plan;
    for (int i = 0; i < 1 + generation % 50; ++i) {
        plan.tables[static_cast<std::size_t>(i % 4)].add(
            QStringLiteral("Food %1 of generation %2").arg(i).arg(generation), NumberToText(i));
    }
    return plan;
}

QStringList reportOf(int generation)
{
    QStringList lines { QStringLiteral("Period\tCalories") };
    for (int i = 0; i < 1 + generation % 40; ++i) {
        lines.append(QStringLiteral("Row %1\t%2").arg(i).arg(generation));
    }
    return lines;
}

int runChild(const QString& folder)
{
    const UserFiles files({ folder + QStringLiteral("/Tamo"), QString(), QString() });
    SqliteFoodStore foods(folder + QStringLiteral("/foods.db"));
    QString error;
    if (!foods.refresh(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    // Generations go on from the last edit that reached the table, so they only ever grow.
    int start = 1;
    {
        QStringList first;
        if (foods.readRecord(1, &first, nullptr)) {
            start = first.value(FoodFields::CALORIES).toInt() + 1;
        }
    }
    // Each generation edits Flour, which every cake is made of, saves a new cake made of the one
    // before it (chains of up to ten), and saves the Base recipe again with other servings.
    Recipe base;
    base.name = QStringLiteral("Base");
    base.ingredients
        = { { QStringLiteral("Flour"), QStringLiteral(" 2") }, { QStringLiteral("Sugar"), QStringLiteral(" .5") } };
    std::vector<std::pair<qint64, QString>> saved;
    if (foods.listRecipes(&saved, &error)) {
        for (const auto& [id, name] : saved) {
            if (name == base.name) {
                foods.loadRecipe(id, &base, &error);
            }
        }
    }
    for (int generation = start;; ++generation) {
        PeriodFile::save(files.perUserFile(QStringLiteral("Daily")), planOf(generation), &error);
        TextFile::writeLines(files.perUserFile(QStringLiteral("TotalsReport")), reportOf(generation), &error);
        const QStringList record { QStringLiteral("Edited food"), QStringLiteral("1 cup"),
            QString::number(generation) };
        const FoodDatabase::FieldChanges changes { { FoodDatabase::FOOD, record[0] },
            { FoodDatabase::SERVING_UN, record[1] }, { FoodDatabase::CALORIES, record[2] } };
        QStringList shown;
        qint64 added = 0;
        Recipe cake;
        cake.name = QStringLiteral("Cake %1").arg(generation);
        cake.servings = 1 + generation % 7;
        cake.ingredients = { { QStringLiteral("Flour"), NumberToText(1 + generation % 3) },
            { QStringLiteral("Sugar"), QStringLiteral(" .3") } };
        if (generation % 10 != 0) {
            cake.ingredients.push_back({ QStringLiteral("Cake %1").arg(generation - 1), QStringLiteral(" .25") });
        }
        base.servings = generation;
        if (foods.readRecord(1, &shown, &error) && foods.updateFields(1, shown[0], changes, &error)
            && foods.insertRecord(record, &added, &error)
            && foods.updateFields(
                2, QStringLiteral("Flour"), { { FoodDatabase::CALORIES, QString::number(generation) } }, &error)
            && foods.saveRecipe(&cake, &error) && foods.saveRecipe(&base, &error)) {
            std::printf("committed %d\n", generation);
            std::fflush(stdout);
        }
    }
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSaving();
};

void TestCrashSafety::killedWhileSaving()
{
    TestFolder folder;
    folder.createFoods({ foodRow(QStringLiteral("Apple"), QStringLiteral("1 medium"), { QStringLiteral("95") }),
        foodRow(QStringLiteral("Flour"), QStringLiteral("1 cup"), { QStringLiteral("455"), QStringLiteral("95.4") }),
        foodRow(
            QStringLiteral("Sugar"), QStringLiteral("1 tbsp"), { QStringLiteral("48.4"), QStringLiteral("12.5") }) });
    const std::unique_ptr<UserFiles> files = folder.files();
    const QString planPath = files->perUserFile(QStringLiteral("Daily"));
    const QString reportPath = files->perUserFile(QStringLiteral("TotalsReport"));
    QRandomGenerator random(20261207);
    QElapsedTimer timer;
    timer.start();
    int committed = 0;
    QSet<int> allCommitted;
    int kills = 0;
    int tornFiles = 0;
    for (; kills < kKills && timer.elapsed() < 240000; ++kills) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--child"), folder.path() });
        QVERIFY(child.waitForStarted());
        QTest::qWait(static_cast<int>(random.bounded(5, 80)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            if (line.startsWith("committed ")) {
                committed = std::max(committed, line.mid(10).toInt());
                allCommitted.insert(line.mid(10).toInt());
            }
        }

        // Each file is one whole generation, or absent before the first save.
        QStringList lines;
        QString error;
        if (QFileInfo::exists(planPath)) {
            QVERIFY(TextFile::readLines(planPath, &lines, &error));
            MealPlan plan;
            QVERIFY(PeriodFile::loadPlan(lines, &plan, nullptr));
            const int generation = plan.tables[0].slot(1).FoodName.section(QLatin1Char(' '), -1).toInt();
            if (!(plan == planOf(generation))) {
                ++tornFiles;
            }
        }
        if (QFileInfo::exists(reportPath)) {
            QVERIFY(TextFile::readLines(reportPath, &lines, &error));
            const int generation = lines.value(1).section(QLatin1Char('\t'), -1).toInt();
            if (lines != reportOf(generation)) {
                ++tornFiles;
            }
        }

        SqliteFoodStore foods(folder.databasePath());
        QVERIFY2(foods.refresh(&error), qPrintable(error));
        OtherProgram reader(folder.databasePath());
        QSqlQuery query(reader.database());
        QVERIFY(query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
        QVERIFY(query.exec(QStringLiteral("SELECT CALORIES FROM foods WHERE rowid = 1")));
        QVERIFY(query.next());
        // Every edit reported committed is there; the one in flight may be too.
        QVERIFY2(query.value(0).toInt() >= committed, qPrintable(QString::number(committed)));
        query.finish();
        const QString inconsistency = recipeInconsistency(foods);
        QVERIFY2(inconsistency.isEmpty(), qPrintable(inconsistency));
    }
    {
        SqliteFoodStore foods(folder.databasePath());
        QString error;
        QVERIFY(foods.refresh(&error));
        for (const int generation : std::as_const(allCommitted)) {
            QVERIFY2(
                foods.isRecipeName(QStringLiteral("Cake %1").arg(generation)), qPrintable(QString::number(generation)));
        }
        OtherProgram reader(folder.databasePath());
        QSqlQuery query(reader.database());
        QVERIFY(query.exec(QStringLiteral("SELECT CALORIES FROM foods WHERE rowid > 3 AND FOOD = 'Edited food'")));
        QSet<int> inserted;
        while (query.next()) {
            inserted.insert(query.value(0).toInt());
        }
        QVERIFY(inserted.contains(allCommitted));
    }
    qInfo("%d kills, last committed edit %d, torn files %d", kills, committed, tornFiles);
    QCOMPARE(tornFiles, 0);
    QVERIFY(kills >= kKills);
    QVERIFY(committed > 0);
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return runChild(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCrashSafety.moc"

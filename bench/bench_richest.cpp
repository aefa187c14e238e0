// Speed of the Richest Foods window: the first ranked list after the window opens (the first foods
// the table finds without reading the others), the whole ranking (the foods and one nutrient's
// values read behind it), and again on the same window for another basis, another
// nutrient and the first nutrient once more; each beside the floor of reading the same nutrient's
// values for every food through the food table in the same run.
//
// Usage: bench_richest [number of foods ...]   (default: 100000; the target is at 1000000)
// Every food has 73 nutrients and a serving of 100 g. With the environment variable
// PLATEWELL_BENCH_KEEP set to a folder, generated tables are kept there and reused by later runs.

#include "BenchFoods.h"
#include "core/search/NutrientRanking.h"
#include "core/search/RankingFoods.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/planner/RichestFoodsDialog.h"
#include "gui/planner/RichestFoodsModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

template <typename Work> double timed(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char* what, qint64 foods, double milliseconds, double floor)
{
    std::printf("%-58s %9lld foods %9.1f ms   (floor %8.1f ms, %.2fx)\n", what, static_cast<long long>(foods),
        milliseconds, floor, floor > 0 ? milliseconds / floor : 0.0);
    std::fflush(stdout);
}

// Reading one nutrient's values for every food, as the window reads them: the least any ranking
// by it can cost. The best of three.
double columnFloor(const FoodStore& foods, const std::vector<qint64>& rows, const QString& number)
{
    double best = 1e12;
    for (int run = 0; run < 3; ++run) {
        std::vector<std::vector<double>> columns;
        QString error;
        best = std::min(best, timed([&] {
            if (!foods.readNutrientColumns({ number }, rows, &columns, &error)) {
                qFatal("cannot read the values: %s", qPrintable(error));
            }
        }));
    }
    return best;
}

// Waits until the window shows its first rows, the whole ranking or the first foods found
// without it, and has painted them.
void waitForRows(RichestFoodsDialog& window)
{
    while (window.model()->rowCount() == 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    window.findChild<QTableView*>(QStringLiteral("RichestList"))->viewport()->repaint();
}

// Waits until the window shows a ranking and has painted it.
void waitForList(RichestFoodsDialog& window)
{
    while (window.isReading() || window.model()->rowCount() == 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    window.findChild<QTableView*>(QStringLiteral("RichestList"))->viewport()->repaint();
}

void run(qint64 count)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("foods.db"));
    const QString keep = qEnvironmentVariable("PLATEWELL_BENCH_KEEP");
    const QString kept = keep.isEmpty() ? QString() : QStringLiteral("%1/richest-%2.db").arg(keep).arg(count);
    QString error;
    if (!kept.isEmpty() && QFile::exists(kept)) {
        QFile::copy(kept, path);
    } else {
        const double making = timed([&] {
            if (!bench::makeFoodTableFile(path, int(count), &error) || !bench::addNutrients(path, &error)) {
                qFatal("cannot make the foods: %s", qPrintable(error));
            }
        });
        std::printf("%-58s %9lld foods %9.1f ms\n", "making the table, 73 nutrients a food (not a target)",
            static_cast<long long>(count), making);
        if (!kept.isEmpty()) {
            QDir().mkpath(keep);
            QFile::copy(path, kept);
        }
    }
    SqliteFoodStore foods(path);
    if (!foods.refresh(&error)) {
        qFatal("cannot open the foods: %s", qPrintable(error));
    }
    std::vector<TextColumn> names;
    std::vector<qint64> rows;
    foods.readColumns({ FoodFields::FOOD }, &names, &rows, &error);
    const QString protein = QStringLiteral("203");
    const QString iron = QStringLiteral("303");
    const double proteinFloor = columnFloor(foods, rows, protein);
    const double ironFloor = columnFloor(foods, rows, iron);

    {
        // The parts of a first list, on this thread.
        RankingFoods read;
        report("core: the foods read (names, calories, weights, order)", count,
            timed([&] { RankingFoods::read(foods, &read, &error); }), proteinFloor);
        std::vector<double> column;
        report("core: one nutrient's values read", count,
            timed([&] { RankingFoods::readColumn(foods, read.rows(), protein, &column, &error); }), proteinFloor);
        NutrientRanking ranking;
        const double first = timed([&] {
            ranking.rank(column, read.servingGrams(), read.calories(), read.nameRanks(),
                NutrientRanking::Basis::PerServing, RichestFoodsModel::FirstScreen);
        });
        report("core: the first screen ranked", count, first, proteinFloor);
        report("core: the rest ranked", count, timed([&] { ranking.complete(); }), proteinFloor);
    }

    RichestFoodsDialog* window = nullptr;
    QElapsedTimer opening;
    opening.start();
    window = new RichestFoodsDialog(foods, protein);
    window->show();
    waitForRows(*window);
    report("window: first ranked list painted (protein)", count, double(opening.nsecsElapsed()) / 1e6, proteinFloor);
    waitForList(*window);
    report("window: the whole ranking read behind it", count, double(opening.nsecsElapsed()) / 1e6, proteinFloor);
    report("window: per 100 g", count, timed([&] {
        window->chooseBasis(NutrientRanking::Basis::Per100Grams);
        waitForList(*window);
    }),
        proteinFloor);
    report("window: per 100 kcal", count, timed([&] {
        window->chooseBasis(NutrientRanking::Basis::Per100Calories);
        waitForList(*window);
    }),
        proteinFloor);
    // The first rows of another nutrient are found at once per serving only.
    window->chooseBasis(NutrientRanking::Basis::PerServing);
    waitForList(*window);
    QElapsedTimer another;
    another.start();
    window->chooseNutrient(iron);
    waitForRows(*window);
    report("window: another nutrient (iron), first rows", count, double(another.nsecsElapsed()) / 1e6, ironFloor);
    waitForList(*window);
    report("window: another nutrient, its values read behind", count, double(another.nsecsElapsed()) / 1e6, ironFloor);
    report("window: protein again (its values kept)", count, timed([&] {
        window->chooseNutrient(protein);
        waitForList(*window);
    }),
        proteinFloor);
    report("window: the rest of the ranking settled", count, timed([&] { window->model()->complete(); }), proteinFloor);
    delete window;
    std::printf("    peak memory: %ld MB\n\n", bench::peakMemoryMB());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Prompt::setAnswering(true);
    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.append(QString::fromLocal8Bit(argv[i]).toLongLong());
    }
    if (sizes.isEmpty()) {
        sizes = { 100000 };
    }
    for (const qint64 count : sizes) {
        run(count);
    }
    return 0;
}

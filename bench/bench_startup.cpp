// Time from program start to a main window whose food list shows its first rows and whose search
// box takes keys, and to a food list that holds every food; peak memory at each. Each start is a
// fresh child process, as a real start would be. The floors come from the same run: an empty Qt
// window (a menu and a line of text) started the same way, and that start plus reading the first
// 100 foods through the name index (in a warm process, the table's pages cached as for the starts).
//
//   bench_startup [FOODS...]    default 7878 100000 1000000; 3000000 takes minutes to make

#include "BenchFoods.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/workspace/Workspace.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 3;

int runEmptyWindow(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A window with a menu and a line of text, so that the fonts are loaded as for any window.
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    window.setCentralWidget(new QLabel(QStringLiteral("Platewell")));
    window.resize(800, 600);
    window.show();
    QCoreApplication::processEvents();
    std::printf("0 %ld\n", bench::peakMemoryMB());
    std::fflush(stdout);
    return 0;
}

int runMainWindow(int argc, char* argv[], const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Workspace workspace(bench::placesFor(folder));
    MainWindow window(workspace);
    window.show();
    QCoreApplication::processEvents();
    std::printf("%d %ld\n", window.foodListModel()->rowCount(), bench::peakMemoryMB());
    std::fflush(stdout);
    // The rest of the table, read behind the window.
    while (!window.foodListModel()->isComplete()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf("%d %ld\n", window.foodListModel()->rowCount(), bench::peakMemoryMB());
    std::fflush(stdout);
    return 0;
}

struct Start
{
    double firstSeconds = 1e9;
    double wholeSeconds = 1e9;
    QList<QByteArray> first;
    QList<QByteArray> whole;
};

// The best of kRuns starts of this program with `arguments`; the times to its first and (when
// it prints one) its second line.
Start startChild(const QStringList& arguments, bool twoLines)
{
    Start best;
    for (int run = 0; run < kRuns; ++run) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QByteArray output;
        while (!output.contains('\n') && child.waitForReadyRead(-1)) {
            output += child.readAllStandardOutput();
        }
        const double first = timer.elapsed() / 1000.0;
        while (twoLines && output.count('\n') < 2 && child.waitForReadyRead(-1)) {
            output += child.readAllStandardOutput();
        }
        const double whole = timer.elapsed() / 1000.0;
        child.waitForFinished(-1);
        const QList<QByteArray> lines = output.split('\n');
        if (first < best.firstSeconds) {
            best.firstSeconds = first;
            best.first = lines.value(0).split(' ');
        }
        if (whole < best.wholeSeconds) {
            best.wholeSeconds = whole;
            best.whole = lines.value(1).split(' ');
        }
    }
    return best;
}

// Reading the first 100 foods by the name index, best of five, in seconds.
double firstRowsSeconds(const QString& folder)
{
    SqliteFoodStore foods(PlatewellFolder::foodDatabasePath(folder));
    QString error;
    if (!foods.refresh(&error)) {
        return 0;
    }
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        std::vector<TextColumn> columns;
        QElapsedTimer timer;
        timer.start();
        foods.readFirstRows({ FoodFields::FOOD, FoodFields::SERVING_UN }, 100, true, &columns, nullptr, &error);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && QByteArray(argv[1]) == "--empty") {
        return runEmptyWindow(1, argv);
    }
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        return runMainWindow(1, argv, QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(QByteArray(argv[i]).toInt());
    }
    if (counts.empty()) {
        counts = { 7878, 100000, 1000000 };
    }
    QTemporaryDir dir;
    std::printf("%-9s | %-26s | %-16s | %-18s | %-9s\n", "foods", "first rows shown (s, MB)", "floor (s, MB)",
        "multiple of floor", "whole list (s, MB)");
    for (int count : counts) {
        const QString folder = dir.filePath(QString::number(count));
        QString error;
        if (!bench::makeFoodTable(folder, count, &error)) {
            std::fprintf(stderr, "cannot make the food table: %s\n", qPrintable(error));
            return 1;
        }
        const Start empty = startChild({ QStringLiteral("--empty") }, false);
        const Start window = startChild({ QStringLiteral("--child"), folder }, true);
        const double floor = empty.firstSeconds + firstRowsSeconds(folder);
        std::printf("%-9d | %6.3f s %6s MB %7s rows | %6.3f s %5s MB | %5.2fx (%.2fx empty) | %6.3f s %5s MB\n", count,
            window.firstSeconds, window.first.value(1).constData(), window.first.value(0).constData(), floor,
            empty.first.value(1).constData(), window.firstSeconds / floor, window.firstSeconds / empty.firstSeconds,
            window.wholeSeconds, window.whole.value(1).constData());
        std::fflush(stdout);
    }
    return 0;
}

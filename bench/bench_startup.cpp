// Time from program start to a filled food list, and peak memory, at 7,878, 100,000 and
// 1,000,000 foods. Each run is a fresh child process, as a real start would be.

#include "BenchFoods.h"
#include "core/workspace/Workspace.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

static int runChild(int argc, char* argv[], const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Workspace workspace(bench::placesFor(folder));
    MainWindow window(workspace);
    window.show();
    QCoreApplication::processEvents();
    std::printf("%d %ld\n", window.foodListModel()->rowCount(), bench::peakMemoryMB());
    std::fflush(stdout);
    return 0;
}

int main(int argc, char* argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        return runChild(1, argv, QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("%-10s %12s %12s %10s\n", "foods", "start (s)", "listed", "peak MB");
    for (int count : { 7878, 100000, 1000000 }) {
        const QString folder = dir.filePath(QString::number(count));
        QString error;
        if (!bench::makeFoodTable(folder, count, &error)) {
            std::fprintf(stderr, "cannot make the food table: %s\n", qPrintable(error));
            return 1;
        }
        double best = 1e9;
        QByteArray output;
        for (int run = 0; run < 3; ++run) {
            QProcess child;
            QElapsedTimer timer;
            timer.start();
            child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--child"), folder });
            child.waitForFinished(-1);
            best = std::min(best, timer.elapsed() / 1000.0);
            output = child.readAllStandardOutput().trimmed();
        }
        const QList<QByteArray> parts = output.split(' ');
        std::printf("%-10d %12.3f %12s %10s\n", count, best, parts.value(0).constData(), parts.value(1).constData());
    }
    return 0;
}

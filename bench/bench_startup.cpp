// Time from program start to a main window whose food list has painted its first rows, to the
// moment its search box takes keys (the start's work done), and to a food list that holds every
// food; peak memory at each. Each start is a fresh child process, as a real start would be. The
// floors come from the same run: an empty Qt window (a menu and a line of text) started the same
// way and timed to the paint of its text, and that start plus reading the first 100 foods through
// the name index (in a warm process, the table's pages cached as for the starts).
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
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRuns = 3;

// Prints its line the moment `widget` has first painted itself, that is when its first rows (or
// its text) are drawn.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget* widget, const std::function<QByteArray()>& line)
        : m_line(line)
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        // Paint first, then tell; the paint runs within the window's own painting.
        watched->removeEventFilter(this);
        QCoreApplication::sendEvent(watched, event);
        std::printf("%s\n", m_line().constData());
        std::fflush(stdout);
        // Posted after what the window posts from its own first paint, which precedes its rows'.
        QTimer::singleShot(0, [this] { m_settled = true; });
        return true;
    }

    bool settled() const { return m_settled; }

private:
    std::function<QByteArray()> m_line;
    bool m_settled = false;
};

int runEmptyWindow(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A window with a menu and a line of text, so that the fonts are loaded as for any window.
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    auto* text = new QLabel(QStringLiteral("Platewell"));
    window.setCentralWidget(text);
    window.resize(800, 600);
    const FirstPaint painted(text, [] { return QByteArray("0 ") + QByteArray::number(qint64(bench::peakMemoryMB())); });
    window.show();
    QCoreApplication::processEvents();
    return 0;
}

int runMainWindow(int argc, char* argv[], const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Workspace workspace(bench::placesFor(folder));
    MainWindow window(workspace);
    auto* rows = window.findChild<QWidget*>(QStringLiteral("List1"))
                     ->findChild<QWidget*>(QStringLiteral("qt_scrollarea_viewport"));
    const auto line = [&window] {
        return QByteArray::number(window.foodListModel()->rowCount()) + ' '
            + QByteArray::number(qint64(bench::peakMemoryMB()));
    };
    FirstPaint painted(rows, line);
    window.show();
    // The start's work done: the events of the first paint and what waits for it.
    while (!painted.settled()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf("%s\n", line().constData());
    std::fflush(stdout);
    // The rest of the table, read behind the window.
    while (!window.foodListModel()->isComplete()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf("%s\n", line().constData());
    std::fflush(stdout);
    return 0;
}

// The best of each line's times over the runs, and what the line said then.
struct Start
{
    std::vector<double> seconds;
    std::vector<QList<QByteArray>> lines;

    double at(std::size_t line) const { return line < seconds.size() ? seconds[line] : 0; }
    QByteArray said(std::size_t line, qsizetype field) const
    {
        return line < lines.size() ? lines[line].value(field) : QByteArray();
    }
};

// kRuns starts of this program with `arguments`, timing each of its first `lineCount` lines.
Start startChild(const QStringList& arguments, int lineCount)
{
    Start best;
    best.seconds.assign(std::size_t(lineCount), 1e9);
    best.lines.resize(std::size_t(lineCount));
    for (int run = 0; run < kRuns; ++run) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QByteArray output;
        std::vector<double> times;
        while (int(times.size()) < lineCount) {
            while (output.count('\n') <= qsizetype(times.size()) && child.waitForReadyRead(-1)) {
                output += child.readAllStandardOutput();
            }
            const double now = timer.elapsed() / 1000.0;
            while (qsizetype(times.size()) < std::min(qsizetype(lineCount), output.count('\n'))) {
                times.push_back(now);
            }
            if (child.state() == QProcess::NotRunning && output.count('\n') < lineCount) {
                break;
            }
        }
        child.waitForFinished(-1);
        const QList<QByteArray> lines = output.split('\n');
        for (std::size_t line = 0; line < times.size(); ++line) {
            if (times[line] < best.seconds[line]) {
                best.seconds[line] = times[line];
                best.lines[line] = lines.value(qsizetype(line)).split(' ');
            }
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
    std::printf("%-9s | %-26s | %-16s | %-18s | %-17s | %-9s\n", "foods", "first rows shown (s, MB)", "floor (s, MB)",
        "multiple of floor", "search takes keys", "whole list (s, MB)");
    for (int count : counts) {
        const QString folder = dir.filePath(QString::number(count));
        QString error;
        if (!bench::makeFoodTable(folder, count, &error)) {
            std::fprintf(stderr, "cannot make the food table: %s\n", qPrintable(error));
            return 1;
        }
        const Start empty = startChild({ QStringLiteral("--empty") }, 1);
        const Start window = startChild({ QStringLiteral("--child"), folder }, 3);
        const double floor = empty.at(0) + firstRowsSeconds(folder);
        std::printf(
            "%-9d | %6.3f s %6s MB %7s rows | %6.3f s %5s MB | %5.2fx (%.2fx empty) | %6.3f s (%.2fx) | %6.3f s %5s "
            "MB\n",
            count, window.at(0), window.said(0, 1).constData(), window.said(0, 0).constData(), floor,
            empty.said(0, 1).constData(), window.at(0) / floor, window.at(0) / empty.at(0), window.at(1),
            window.at(1) / floor, window.at(2), window.said(2, 1).constData());
        std::fflush(stdout);
    }
    return 0;
}

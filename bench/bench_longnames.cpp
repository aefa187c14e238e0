// Times the main window over one food whose name is megabytes long, as a careless import can
// bring: selecting it, adding it to a meal (which keeps the plan on screen in its file), and Save,
// each with the repaint that follows. Message boxes are answered unseen, so what is timed is the
// window's own work.

#include "BenchFoods.h"
#include "gui/common/Prompt.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Runs `step` and the repaint it causes; seconds taken.
template <class Step> double timed(QWidget& window, Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    window.repaint();
    QCoreApplication::processEvents();
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Prompt::setAnswering(true);
    QTemporaryDir dir;
    std::printf("%-12s %10s %10s %10s %10s\n", "name (MB)", "open (s)", "select", "add", "save");
    for (int megabytes : { 1, 5, 17 }) {
        const QString folder = dir.filePath(QString::number(megabytes));
        QDir().mkpath(PlatewellFolder::dataFolder(folder));
        QString error;
        const QString name(megabytes * 1000 * 1000, QLatin1Char('n'));
        if (!bench::makeFoodTableFile(PlatewellFolder::foodDatabasePath(folder), 1, &error,
                [&name](QRandomGenerator&, int) { return name; })) {
            std::fprintf(stderr, "cannot make the food table: %s\n", qPrintable(error));
            return 1;
        }
        Workspace workspace(UserFiles::placesIn(folder));
        QElapsedTimer timer;
        timer.start();
        MainWindow window(workspace);
        window.show();
        QCoreApplication::processEvents();
        const double open = timer.elapsed() / 1000.0;
        auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
        const double select = timed(window, [&] { list->setCurrentIndex(list->model()->index(0, 0)); });
        const double add = timed(window, [&] {
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Breakfast_Add")), Qt::LeftButton);
        });
        const double save = timed(window,
            [&] { QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("SaveDiet")), Qt::LeftButton); });
        std::printf("%-12d %10.3f %10.3f %10.3f %10.3f\n", megabytes, open, select, add, save);
        std::fflush(stdout);
    }
    return 0;
}

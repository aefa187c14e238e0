// Times the main window's search box at 7,878, 100,000 and 1,000,000 foods: from a keystroke to
// the filtered list (the model's new rows, the count and the selection), for a first letter, a
// second letter, a second word, a word that matches nothing and clearing the box; and the memory
// the folded copy of the names takes. A last run has a million names that each hold an accent, a
// decomposed accent, a ß or a ligature, so none folds the plain ASCII way. Each table runs in a
// process of its own. Sizes may be given on the command line: bench_foodsearch 3000000

#include "BenchFoods.h"
#include "core/files/PlatewellFolder.h"
#include "core/workspace/Workspace.h"
#include "gui/planner/FoodListModel.h"
#include "gui/planner/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

int measure(int argc, char** argv, const QString& folder)
{
    QApplication app(argc, argv);
    Workspace workspace(bench::placesFor(folder));
    MainWindow window(workspace);
    window.show();
    QApplication::processEvents();
    // A large table is read whole behind the window; the keystrokes are timed on the whole list.
    while (!window.foodListModel()->isComplete()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("FoodFilter"));
    auto* list = window.findChild<QListView*>(QStringLiteral("List1"));
    const double before = bench::statusMB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    box->setFocus();
    QApplication::processEvents();
    std::printf("  folded copy of the names, on focus:        %8.1f ms\n", double(timer.nsecsElapsed()) / 1e6);

    // Typing "chicken br", then a word that matches nothing, then clearing the box.
    const QStringList steps { "c", "ch", "chi", "chic", "chick", "chicke", "chicken", "chicken ", "chicken b",
        "chicken br", "chicken brzq", "" };
    const char* labels[] = { "first letter", "second letter", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        "second word, first letter", "second word, second letter", "a word that matches nothing", "clearing the box" };
    double slowest = 0;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        // The best of three, each from the previous text, as a person types it.
        double best = 1e9;
        int shown = 0;
        for (int round = 0; round < 3; ++round) {
            box->setText(i > 0 ? steps[i - 1] : QString());
            QApplication::processEvents();
            timer.restart();
            box->setText(steps[i]);
            shown = list->model()->rowCount();
            best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
        }
        slowest = std::max(slowest, best);
        if (labels[i]) {
            std::printf("  %-32s %-14s %8.2f ms  %8d shown\n", labels[i],
                qPrintable(QLatin1Char('"') + steps[i] + QLatin1Char('"')), best, shown);
        }
    }
    // The floor: memmem of the longest word over the same names, lower-cased, in one block.
    QByteArray names;
    for (int row = 0; row < window.foodListModel()->totalCount(); ++row) {
        names += window.foodListModel()->foodName(row).toLower().toUtf8();
        names += '\n';
    }
    double floor = 1e9;
    int hits = 0;
    for (int round = 0; round < 5; ++round) {
        timer.restart();
        const char* from = names.constData();
        const char* const end = from + names.size();
        hits = 0;
        while (const void* hit = memmem(from, std::size_t(end - from), "chicken", 7)) {
            ++hits;
            from = static_cast<const char*>(hit) + 7;
        }
        floor = std::min(floor, double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("  slowest keystroke:                         %8.2f ms   floor, memmem of \"chicken\" over the "
                "names (%d hits): %.2f ms (%.1fx)\n",
        slowest, hits, floor, slowest / floor);
    std::printf("  extra memory for the search:               %8.1f MB\n", bench::statusMB("VmRSS:") - before);
    return 0;
}

// A generated name with a word that folds through Unicode: composed and decomposed accents, ß, a
// ligature, a dotless ı.
QString accentedName(QRandomGenerator& random, int index)
{
    static const QStringList words { QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"), QStringLiteral("Cre\u0300me"),
        QStringLiteral("Wei\u00dfwurst"), QStringLiteral("\ufb01let"), QStringLiteral("K\u0131s\u0131r"),
        QStringLiteral("Pur\u00e9e") };
    return bench::generatedName(random, index) + QStringLiteral(", ") + words.at(random.bounded(words.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        return measure(1, argv, QString::fromLocal8Bit(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    // Sizes on the command line (3000000 takes minutes to make); by default three sizes and a
    // million accented names.
    std::vector<std::pair<int, bool>> runs;
    for (int i = 1; i < argc; ++i) {
        runs.emplace_back(QByteArray(argv[i]).toInt(), false);
    }
    if (runs.empty()) {
        runs = { { 7878, false }, { 100000, false }, { 1000000, false }, { 1000000, true } };
    }
    for (const auto& [count, accented] : runs) {
        QTemporaryDir dir;
        QString error;
        if (!bench::makeFoodTableFile(PlatewellFolder::foodDatabasePath(dir.path()), count, &error,
                accented ? accentedName : bench::generatedName)) {
            std::fprintf(stderr, "cannot make the food table: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%d foods%s\n", count, accented ? ", every name with an accent, a ß or a ligature" : "");
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), { QStringLiteral("--child"), dir.path() });
        child.waitForFinished(-1);
    }
    return 0;
}

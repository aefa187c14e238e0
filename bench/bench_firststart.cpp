// The first start's folder set-up: the starter food table alone, then with every starter food's
// nutrients, and the one-time upgrade of a table an older Platewell made. Best of five runs each.

#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/workspace/FolderSetup.h"
#include "core/workspace/StarterNutrients.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double bestOf(const std::function<bool(const QString& folder)>& run)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("Platewell"));
        QDir().mkpath(folder);
        QElapsedTimer timer;
        timer.start();
        if (!run(folder)) {
            std::fprintf(stderr, "the run failed\n");
            return -1;
        }
        best = std::min(best, timer.elapsed() / 1000.0);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const double tableOnly = bestOf([](const QString& folder) {
        QString error;
        return FoodDatabase::createFromCsv(
            PlatewellFolder::foodDatabasePath(folder), PlatewellFolder::starterFoodsCsv(), &error);
    });
    const double whole = bestOf([](const QString& folder) {
        QString error;
        return FolderSetup::prepare(folder, &error);
    });
    double upgrade = 1e9;
    for (int i = 0; i < 5; ++i) {
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("foods.db"));
        QString error;
        FoodDatabase::createFromCsv(database, PlatewellFolder::starterFoodsCsv(), &error);
        QElapsedTimer timer;
        timer.start();
        int added = 0;
        if (!StarterNutrients::addTo(database, &added, &error) || added != 7878) {
            std::fprintf(stderr, "the upgrade failed: %s\n", qPrintable(error));
            return 1;
        }
        upgrade = std::min(upgrade, timer.elapsed() / 1000.0);
    }
    std::printf("%-46s %8.3f s\n", "starter food table alone", tableOnly);
    std::printf("%-46s %8.3f s\n", "folder set-up with the starter nutrients", whole);
    std::printf("%-46s %8.3f s\n", "starter nutrients added to an older table", upgrade);
    return 0;
}

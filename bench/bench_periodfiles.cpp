// Times Load and the totals over hostile period files: a Daily plan of one 6 MB line without a
// food or quantity, and a 150 MB plan of 50 million short lines that name no meal. Each
// measurement runs in a process of its own, so that its peak memory is its own; the figure given
// is the peak beyond what the process held before it started.

#include "BenchFoods.h"
#include "core/files/PlatewellFolder.h"
#include "core/files/UserFiles.h"
#include "core/foods/FoodLookup.h"
#include "core/plans/MealPlan.h"
#include "core/plans/PeriodFile.h"
#include "core/plans/Periods.h"
#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"
#include "core/totals/TotalsCalculator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

const char* const kUser = "Bench";

// The bench user's files in the Platewell folder `home`.
std::unique_ptr<UserFiles> filesIn(const QString& home)
{
    auto files = std::make_unique<UserFiles>(UserFiles::placesIn(home));
    files->setUserName(QString::fromLatin1(kUser));
    return files;
}

bool writeRepeated(const QString& path, const QByteArray& piece, qint64 times)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray block;
    const qint64 perBlock = std::max<qint64>(1, (1 << 20) / piece.size());
    for (qint64 i = 0; i < perBlock; ++i) {
        block += piece;
    }
    for (qint64 written = 0; written < times; written += perBlock) {
        const qint64 count = std::min(perBlock, times - written);
        if (file.write(block.constData(), count * piece.size()) != count * piece.size()) {
            return false;
        }
    }
    return true;
}

// One measurement in this process: prints milliseconds and extra peak memory in MB.
int measure(const QString& what, const QString& home)
{
    const std::unique_ptr<UserFiles> files = filesIn(home);
    const QString period = what.endsWith(QStringLiteral("line")) ? QStringLiteral("Daily") : QStringLiteral("Weekly");
    const long before = bench::peakMemoryMB();
    QElapsedTimer timer;
    timer.start();
    if (what.startsWith(QStringLiteral("load"))) {
        MealPlan plan;
        QStringList problems;
        QString error;
        if (!PeriodFile::load(files->periodPlanPath(period), &plan, &problems, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        // What the main window shows afterwards.
        const QString message = problems.join(QLatin1Char('\n'));
        std::fprintf(stderr, "message: %lld characters\n", static_cast<long long>(message.size()));
    } else {
        QString error;
        const std::unique_ptr<FoodStore> foods = FoodStoreOpener::open(files->foodDatabasePath(), &error);
        if (!foods) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        TotalsSources sources;
        sources.periods[static_cast<std::size_t>(Periods::names().indexOf(period))] = true;
        const auto lookup = foods->lookup();
        const TotalsResult result = TotalsCalculator::calculate(MealPlan(), *files, sources, *lookup);
        if (result.stopped) {
            std::fprintf(stderr, "%s\n", qPrintable(result.stopReason));
            return 1;
        }
    }
    std::printf("%.0f %ld\n", static_cast<double>(timer.nsecsElapsed()) / 1e6, bench::peakMemoryMB() - before);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3) {
        return measure(args.at(1), args.at(2));
    }

    QTemporaryDir dir;
    const QString home = dir.path();
    QString error;
    if (!bench::makeFoodTable(home, 7878, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const std::unique_ptr<UserFiles> files = filesIn(home);
    QDir().mkpath(files->dataFolder());
    // One line of 6 MB without a separator, then a line end.
    if (!writeRepeated(files->periodPlanPath(QStringLiteral("Daily")), QByteArray("abcdef"), 1 << 20)
        || !writeRepeated(files->periodPlanPath(QStringLiteral("Weekly")), QByteArray("x\r\n"), 50'000'000)) {
        std::fprintf(stderr, "could not write the period files\n");
        return 1;
    }
    std::printf("%-34s %10s %14s\n", "hostile period file", "time (ms)", "extra memory");
    const std::pair<const char*, const char*> cases[] = {
        { "load-line", "Load, one 6 MB line" },
        { "load-lines", "Load, 50 million lines (150 MB)" },
        { "totals-line", "Totals, one 6 MB line" },
        { "totals-lines", "Totals, 50 million lines (150 MB)" },
    };
    for (const auto& [what, label] : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(app.applicationFilePath(), { QString::fromLatin1(what), home });
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("%-34s failed\n", label);
            continue;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        std::printf("%-34s %10s %11s MB\n", label, figures.value(0).constData(), figures.value(1).constData());
        std::fflush(stdout);
    }
    return 0;
}

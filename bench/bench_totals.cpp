// Times the totals calculation against food tables of 7,878, 100,000 and 1,000,000 foods: an
// active plan of 4 x 100 entries and eleven period files of 400 lines, looked up through the
// index and through the plain full scan, and the time to open the totals window. Every food keeps
// 73 nutrients beside its ten fields, and the calculation is timed with them too, as is the
// totals window's nutrient view made of it.

#include "BenchFoods.h"
#include "FullScanFoodLookup.h"
#include "core/files/PlatewellFolder.h"
#include "core/files/TextFile.h"
#include "core/files/TextLineReader.h"
#include "core/foods/FoodLookup.h"
#include "core/plans/PeriodFile.h"
#include "core/plans/Periods.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/totals/LiveTotals.h"
#include "core/totals/NutrientBreakdown.h"
#include "core/totals/TotalsCalculator.h"
#include "core/totals/UserTargets.h"
#include "core/workspace/Workspace.h"
#include "gui/totals/TotalsDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Above this many foods the full scan is timed for the "Active" source only: all twelve
// sources would take minutes, and the active plan alone already shows the scan's cost.
constexpr int kFullScanAllSourcesLimit = 100000;

// Generated names where every 50th food repeats an earlier number, so some names stand in more
// than one row, as the totals must add up.
QString generatedName(QRandomGenerator& random, int i)
{
    static const QStringList words { "Apple", "Beef", "Chicken", "soup", "bread", "Cheese", "roasted", "Yogurt",
        "low fat", "Rice", "brown", "Pasta", "tomato", "Salmon", "raw", "Oats", "Cereal", "Milk", "whole" };
    QString name = words.at(random.bounded(words.size()));
    for (int w = random.bounded(1, 4); w > 0; --w) {
        name += QStringLiteral(", ") + words.at(random.bounded(words.size()));
    }
    return name + QStringLiteral(" #%1").arg(i % 50 == 0 ? random.bounded(i + 1) : i);
}

// Names for the plans: mostly foods of the table, some that are not in it.
QStringList sampleNames(const QString& path, int count, QRandomGenerator& random)
{
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-sample"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("SELECT FOOD FROM foods ORDER BY random() LIMIT %1").arg(count));
        while (query.next()) {
            names.append(query.value(0).toString());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-sample"));
    for (int i = 0; i < count / 20; ++i) {
        names[random.bounded(names.size())] = QStringLiteral("Not a food %1").arg(i);
    }
    return names;
}

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool sameBits(const TotalsResult& a, const TotalsResult& b)
{
    if (a.rows.size() != b.rows.size()) {
        return false;
    }
    for (std::size_t r = 0; r < a.rows.size(); ++r) {
        if (std::memcmp(a.rows[r].values.data(), b.rows[r].values.data(), sizeof(a.rows[r].values)) != 0) {
            return false;
        }
    }
    return true;
}

// The least any calculation of the same plans has to do, timed on the store's own connection: the
// period files read once, each distinct planned name looked up with one prepared statement and,
// with `nutrients`, the nutrient rows of every food row found read with another. Nothing is added
// up beyond what keeps the reads from being left out.
double floorMs(SqliteFoodStore& foods, const UserFiles& files, const MealPlan& plan, const TotalsSources& sources,
    bool nutrients, double* sink)
{
    QElapsedTimer timer;
    timer.start();
    QStringList names;
    if (sources.active) {
        for (const MealTable& table : plan.tables) {
            for (int i = 1; i < MealTable::SlotCount; ++i) {
                names.append(table.slot(i).FoodName);
            }
        }
    }
    for (std::size_t p = 0; p < sources.periods.size(); ++p) {
        if (!sources.periods[p]) {
            continue;
        }
        TextLineReader reader(files.periodPlanPath(Periods::names()[static_cast<qsizetype>(p)]));
        QString line;
        if (!reader.open(nullptr)) {
            continue;
        }
        while (reader.readLine(&line)) {
            QStringView group;
            QStringView food;
            QStringView quantity;
            if (PeriodFile::splitLine(line, &group, &food, &quantity) >= 3) {
                names.append(food.toString());
            }
        }
    }
    SqliteConnection& connection = foods.table().connection();
    SqliteTransaction reading(connection);
    reading.beginRead();
    SqliteStatement byName(connection.handle(),
        QStringLiteral("SELECT rowid, %1 FROM foods WHERE FOOD = ?")
            .arg(FoodDatabase::nutrientFieldNames().join(QStringLiteral(", ")))
            .toUtf8());
    SqliteStatement values(connection.handle(), "SELECT nutrient, value FROM food_nutrients WHERE food = ?");
    QSet<QString> seen;
    for (const QString& name : names) {
        if (name.isEmpty() || seen.contains(name)) {
            continue;
        }
        seen.insert(name);
        SqliteStatement& query = byName.restart();
        query.bindText(1, name);
        while (query.next()) {
            for (int n = 1; n <= int(FoodFields::NutrientCount); ++n) {
                *sink += query.real(n);
            }
            if (nutrients) {
                SqliteStatement& kept = values.restart();
                kept.bindInt64(1, query.int64(0));
                while (kept.next()) {
                    *sink += kept.real(1);
                }
            }
        }
    }
    reading.rollback();
    return msSince(timer);
}

// The median of five runs of `run`.
template <typename Run> double medianOfFive(Run run)
{
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        runs.push_back(run());
    }
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

void runSize(int count)
{
    QTemporaryDir dir;
    // BENCH_TOTALS_TABLE names a food table file to keep between runs (made when missing), so
    // that a profile of the calculation need not wait for the table each time.
    const QString keptTable = qEnvironmentVariable("BENCH_TOTALS_TABLE");
    const QString databasePath = keptTable.isEmpty() ? PlatewellFolder::foodDatabasePath(dir.path()) : keptTable;
    QString error;
    QElapsedTimer timer;
    timer.start();
    double makeMs = 0;
    double nutrientsMs = 0;
    if (keptTable.isEmpty() || !QFile::exists(keptTable)) {
        if (!bench::makeFoodTableFile(databasePath, count, &error, generatedName)) {
            std::printf("cannot make %d foods: %s\n", count, qPrintable(error));
            return;
        }
        makeMs = msSince(timer);
        timer.restart();
        if (!bench::addNutrients(databasePath, &error)) {
            std::printf("cannot give %d foods their nutrients: %s\n", count, qPrintable(error));
            return;
        }
        nutrientsMs = msSince(timer);
    }

    Workspace workspace({ PlatewellFolder::dataFolder(dir.path()), databasePath, QString() });
    QDir().mkpath(workspace.files().dataFolder());

    SqliteFoodStore foods(databasePath);
    timer.restart();
    if (!foods.refresh(&error)) {
        std::printf("cannot open %d foods: %s\n", count, qPrintable(error));
        return;
    }
    const double openMs = msSince(timer);

    QRandomGenerator random(11);
    const QStringList names = sampleNames(databasePath, 4 * 100 + 11 * 400, random);
    const QStringList quantities { " 1", " .5", " 2", " 1.5", "1/2", " 3", "-1" };
    int next = 0;
    MealPlan plan;
    for (MealTable& table : plan.tables) {
        while (table.count() < MealTable::MaxEntries) {
            table.add(names[next++ % names.size()], quantities[random.bounded(quantities.size())]);
        }
    }
    workspace.plan().setPlan(plan);
    TotalsSources all;
    all.active = true;
    for (std::size_t p = 0; p < all.periods.size(); ++p) {
        all.periods[p] = true;
        QStringList lines;
        for (int l = 0; l < 400; ++l) {
            lines.append(QStringLiteral("Lunch_%1_%2")
                             .arg(names[next++ % names.size()], quantities[random.bounded(quantities.size())]));
        }
        TextFile::writeLines(
            workspace.files().periodPlanPath(Periods::names()[static_cast<qsizetype>(p)]), lines, nullptr);
    }
    TotalsSources activeOnly;
    activeOnly.active = true;

    // The window makes a fresh lookup for every calculation, so every run starts cold.
    std::vector<double> indexedRuns;
    TotalsResult indexedAll;
    TotalsResult indexedActive;
    for (int run = 0; run < 5; ++run) {
        const auto lookup = foods.lookup();
        timer.restart();
        indexedAll = TotalsCalculator::calculate(plan, workspace.files(), all, *lookup);
        indexedRuns.push_back(msSince(timer));
    }
    // The first run asks the file for every name; the later ones find the names' rows kept.
    const double nineColdMs = indexedRuns.front();
    std::sort(indexedRuns.begin(), indexedRuns.end());
    // The same with every kept nutrient, first on a store opened afresh, as at start, which knows
    // no name and no nutrient yet and reads them all from the file.
    bool sameNine = true;
    double nutrientColdMs = 0;
    {
        SqliteFoodStore fresh(databasePath);
        fresh.refresh(&error);
        const auto lookup = fresh.lookup();
        NutrientTotals coldTotals;
        timer.restart();
        const TotalsResult cold = TotalsCalculator::calculate(plan, workspace.files(), all, *lookup, &coldTotals);
        nutrientColdMs = msSince(timer);
        sameNine = sameBits(cold, indexedAll);
    }
    // Then each run on a fresh lookup of the store the nine values were read with: the first reads
    // the planned foods' nutrients from the file, the later ones find them kept by the store.
    std::vector<double> nutrientRuns;
    NutrientTotals nutrientTotals;
    for (int run = 0; run < 5; ++run) {
        const auto lookup = foods.lookup();
        timer.restart();
        const TotalsResult withNutrients
            = TotalsCalculator::calculate(plan, workspace.files(), all, *lookup, &nutrientTotals);
        nutrientRuns.push_back(msSince(timer));
        sameNine = sameNine && sameBits(withNutrients, indexedAll);
    }
    std::sort(nutrientRuns.begin(), nutrientRuns.end());
    int unknownActive = 0;
    if (!nutrientTotals.rows.empty()) {
        const qsizetype sodium = nutrientTotals.numbers.indexOf(QStringLiteral("307"));
        unknownActive = sodium < 0 ? -1 : nutrientTotals.rows.front().unknownCounts[std::size_t(sodium)];
    }
    {
        const auto lookup = foods.lookup();
        indexedActive = TotalsCalculator::calculate(plan, workspace.files(), activeOnly, *lookup);
    }
    timer.restart();
    const auto activeLookup = foods.lookup();
    TotalsCalculator::calculate(plan, workspace.files(), activeOnly, *activeLookup);
    const double indexedActiveMs = msSince(timer);

    double sink = 0;
    const double floorNine = medianOfFive([&] { return floorMs(foods, workspace.files(), plan, all, false, &sink); });
    const double floorNutrients
        = medianOfFive([&] { return floorMs(foods, workspace.files(), plan, all, true, &sink); });
    // The first runs start on a connection of their own, with SQLite's page cache empty: so do
    // their floors. These floors run after the calculations, on pages the system has by then: the
    // floor's own first run in a process takes several times as long.
    auto freshFloor = [&](bool nutrients) {
        return medianOfFive([&] {
            SqliteFoodStore fresh(databasePath);
            fresh.refresh(&error);
            return floorMs(fresh, workspace.files(), plan, all, nutrients, &sink);
        });
    };
    const double floorNineFresh = freshFloor(false);
    const double floorNutrientsFresh = freshFloor(true);
    const double floorActive
        = medianOfFive([&] { return floorMs(foods, workspace.files(), plan, activeOnly, false, &sink); });

    if (sink == 0.5) {
        std::printf("(the floor's reads add up to one half)\n");
    }

    FullScanFoodLookup scan;
    timer.restart();
    scan.load(foods, &error);
    const double scanLoadMs = msSince(timer);
    const bool scanAll = count <= kFullScanAllSourcesLimit;
    timer.restart();
    const TotalsResult scanned = TotalsCalculator::calculate(plan, workspace.files(), scanAll ? all : activeOnly, scan);
    const double scanMs = msSince(timer);
    const bool identical = sameBits(scanAll ? indexedAll : indexedActive, scanned);

    std::vector<double> windowRuns;
    double firstCalcMs = 0;
    for (int run = 0; run < 3; ++run) {
        timer.restart();
        auto* window = new TotalsDialog(workspace.files(), foods, workspace.plan(), workspace.targets());
        window->show();
        QApplication::processEvents();
        windowRuns.push_back(msSince(timer));
        if (run == 0) {
            for (const char* name : { "Check1", "Check2", "Check3", "Check4", "Check5", "Check6", "Check7", "Check8",
                     "Check9", "Check10", "Check11", "Check12" }) {
                window->findChild<QAbstractButton*>(name)->setChecked(true);
            }
            timer.restart();
            window->calculate();
            QApplication::processEvents();
            firstCalcMs = msSince(timer);
        }
        delete window;
    }
    std::sort(windowRuns.begin(), windowRuns.end());

    // The nutrient view of Active and the eleven periods, every nutrient with a daily target: the
    // calculation through a fresh lookup as the window makes one, its Totals row, and every text
    // the view can show of every row (amount, share, tool tip), more than one row's view shows.
    NutrientCatalogue catalogue;
    foods.nutrientCatalogue(&catalogue, &error);
    NutrientTargets targets;
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        targets.setKeptRange(nutrient.number, { 1, 1e6 }, nullptr);
    }
    workspace.targets().setTargets(targets, &error);
    qsizetype viewTexts = 0;
    const double nutrientViewMs = medianOfFive([&] {
        QElapsedTimer view;
        view.start();
        const auto lookup = foods.lookup();
        NutrientTotals kept;
        const TotalsResult result = TotalsCalculator::calculate(plan, workspace.files(), all, *lookup, &kept);
        TotalsCalculator::addTotalsRow(result, &kept);
        const NutrientBreakdown breakdown(catalogue, std::move(kept), targets);
        viewTexts = 0;
        for (int row = 0; row < breakdown.rowCount(); ++row) {
            for (int n = 0; n < breakdown.nutrientCount(); ++n) {
                viewTexts += breakdown.amountText(row, n).size() + breakdown.shareText(row, n).size()
                    + breakdown.toolTip(row, n).size();
            }
        }
        return msSince(view);
    });
    // The same in the window: all twelve ticked, the nutrient view on show, Calculate pressed.
    double nutrientWindowMs = 0;
    {
        TotalsDialog window(workspace.files(), foods, workspace.plan(), workspace.targets());
        for (int box = 1; box <= 12; ++box) {
            window.findChild<QAbstractButton*>(QStringLiteral("Check%1").arg(box))->setChecked(true);
        }
        window.findChild<QTabWidget*>(QStringLiteral("TotalsTabs"))->setCurrentIndex(1);
        window.show();
        QApplication::processEvents();
        nutrientWindowMs = medianOfFive([&] {
            QElapsedTimer shown;
            shown.start();
            window.calculate();
            QApplication::processEvents();
            return msSince(shown);
        });
    }

    // The main window's live totals: one change to one meal of the plan on screen, after which the
    // day and that meal are added up again with every nutrient.
    LiveTotals live(workspace.plan(), foods, workspace.files());
    live.setOn(true);
    const double liveMs = medianOfFive([&] {
        MealTable changed = workspace.plan().meal(0);
        changed.removeLine(0);
        changed.add(names[next++ % names.size()], QStringLiteral(" 1"));
        QElapsedTimer change;
        change.start();
        workspace.plan().setMeal(0, changed);
        return msSince(change);
    });
    const double liveFloor = medianOfFive(
        [&] { return floorMs(foods, workspace.files(), workspace.plan().plan(), activeOnly, true, &sink); });

    std::printf("\n%d foods (table made in %.0f ms, %lld nutrients each added in %.0f ms, opened in %.1f ms)\n", count,
        makeMs, static_cast<long long>(nutrientTotals.numbers.size()), nutrientsMs, openMs);
    // Each calculation beside its floor and as a multiple of it.
    auto printBeside = [](const char* label, double ms, const char* note, double floor) {
        std::printf("  %-44s %8.2f ms%s | floor %.2f ms, %.1fx\n", label, ms, note, floor, ms / floor);
    };
    char note[64];
    std::snprintf(note, sizeof note, " (median of 5; fastest %.2f)", indexedRuns[0]);
    printBeside("calculation, Active + 11 periods, index:", indexedRuns[2], note, floorNine);
    std::snprintf(note, sizeof note, " (median of 5; fastest %.2f)", nutrientRuns[0]);
    printBeside("the same with every nutrient (target 50):", nutrientRuns[2], note, floorNutrients);
    printBeside("every nutrient, first run, read from file:", nutrientColdMs, "", floorNutrientsFresh);
    printBeside("nine values, first run, read from file:", nineColdMs, "", floorNineFresh);
    std::printf("  floor: files read once, one statement a name: %6.2f ms, with nutrient rows %.2f ms (median of 5)\n",
        floorNine, floorNutrients);
    std::printf("  floor on a connection opened afresh:          %6.2f ms, with nutrient rows %.2f ms (median of 5)\n",
        floorNineFresh, floorNutrientsFresh);
    std::printf("  nine values unchanged by the nutrients:      %s (Active: %d planned foods without sodium)\n",
        sameNine ? "yes" : "NO", unknownActive);
    printBeside("calculation, Active only, index:", indexedActiveMs, "", floorActive);
    std::printf("  full scan: reading the table into memory:    %8.1f ms\n", scanLoadMs);
    std::printf(
        "  calculation, %s, full scan: %8.1f ms\n", scanAll ? "Active + 11 periods" : "Active only        ", scanMs);
    std::printf("  index and full scan bit-identical:           %s\n", identical ? "yes" : "NO");
    std::printf("  opening the totals window:                   %8.2f ms (median of 3)\n", windowRuns[1]);
    std::printf("  window: calculate all twelve and show:       %8.2f ms\n", firstCalcMs);
    printBeside("nutrient view, Active + 11 periods (target 50):", nutrientViewMs, " (median of 5)", floorNutrients);
    std::printf(
        "    (every row's amounts, shares and tool tips: %lld characters)\n", static_cast<long long>(viewTexts));
    printBeside("the same in the window, calculated and shown:", nutrientWindowMs, " (median of 5)", floorNutrients);
    std::printf("  live totals after one change, every nutrient: %7.2f ms (median of 5) | floor, the plan's values "
                "read: %.2f ms, %.1fx\n",
        liveMs, liveFloor, liveMs / liveFloor);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QList<int> sizes { 7878, 100000, 1000000 };
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) {
            sizes.append(QString::fromLocal8Bit(argv[i]).toInt());
        }
    }
    std::printf("Totals benchmark: active plan 4 x 100 entries, eleven period files of 400 lines\n");
    for (int count : sizes) {
        runSize(count);
    }
    return 0;
}

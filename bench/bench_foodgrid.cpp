// Speed of the food database windows at 7,878 (the starter table), 100,000 and 1,000,000 foods:
// opening the food properties grid sorted by name, Find Text over every cell, Sort on a numeric
// and on a text column, opening the food editor and its Find that wraps the whole table, and the
// peak memory of the process; then the grid with ten nutrient columns chosen beside the ten fields,
// its peak memory printed beside the ten-column grid's.
//
// Usage: bench_foodgrid [number of foods ...]   (default: 7878 100000 1000000)
// 7878 stands for the starter table itself; other sizes are generated from it. With the
// environment variable PLATEWELL_BENCH_KEEP set to a folder, generated tables are kept there and
// reused by later runs.

#include "BenchFoods.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/PlatewellFolder.h"
#include "core/files/UserFiles.h"
#include "core/foods/FoodDatabase.h"
#include "core/storage/FoodImportSession.h"
#include "core/storage/SqliteFoodStore.h"
#include "gui/common/Prompt.h"
#include "gui/fooddb/FoodEditorDialog.h"
#include "gui/fooddb/FoodGridDialog.h"
#include "gui/fooddb/FoodPropertiesModel.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr int StarterSize = 7878;

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void report(const char* what, qint64 foods, double milliseconds)
{
    std::printf("%-52s %9lld foods %10.1f ms\n", what, static_cast<long long>(foods), milliseconds);
    std::fflush(stdout);
}

QList<QStringList> starterRows()
{
    QList<QStringList> rows;
    const auto starter = ByteSource::fromBytes(PlatewellFolder::starterFoodsCsv().toUtf8());
    CsvStreamReader reader(*starter);
    bool header = true;
    while (reader.readRecord()) {
        if (header) {
            header = false;
        } else if (reader.fieldCount() >= FoodDatabase::FieldCount) {
            rows.append(reader.fieldTexts());
        }
    }
    return rows;
}

// Foods shaped like the starter foods: a starter name with a brand and a number, its serving unit,
// and its nutrients scaled a little. Every 97th nutrient is empty and every 1,009th is "n/a", as in
// tables that users import.
bool generateFoods(const QString& path, qint64 count, QString* error)
{
    if (count == StarterSize) {
        return FoodDatabase::createFromCsv(path, PlatewellFolder::starterFoodsCsv(), error);
    }
    if (!FoodDatabase::createFromCsv(
            path, FoodDatabase::fieldNames().join(QLatin1Char(',')) + QLatin1Char('\n'), error)) {
        return false;
    }
    const QList<QStringList> starter = starterRows();
    static const QStringList brands { QStringLiteral("Acme"), QStringLiteral("Best Choice"),
        QStringLiteral("Green Valley"), QStringLiteral("Hometown"), QStringLiteral("Nature's Way"),
        QStringLiteral("Sunrise"), QStringLiteral("Golden Farms"), QStringLiteral("Kroger") };
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> scale(0.8, 1.25);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-generate"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery insert(db);
        ok = ok && insert.prepare(QStringLiteral("INSERT INTO foods VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (qint64 i = 0; ok && i < count; ++i) {
            // A stride through the starter foods, so that the table is not already in name order.
            const QStringList& base = starter.at(static_cast<qsizetype>((i * 7919) % starter.size()));
            insert.addBindValue(QStringLiteral("%1, %2 #%3").arg(base.at(0), brands.at(i % brands.size())).arg(i));
            insert.addBindValue(base.at(1));
            for (int n = 2; n < FoodDatabase::FieldCount; ++n) {
                const qint64 k = i * 8 + n;
                if (k % 97 == 0 || base.at(n).isEmpty()) {
                    insert.addBindValue(QVariant(QMetaType(QMetaType::QString)));
                } else if (k % 1009 == 0) {
                    insert.addBindValue(QStringLiteral("n/a"));
                } else {
                    const double value = base.at(n).toDouble() * scale(random);
                    insert.addBindValue(QString::number(value, 'g', 4));
                }
            }
            ok = insert.exec();
        }
        ok = ok && db.commit();
        if (!ok && error) {
            *error = insert.lastError().isValid() ? insert.lastError().text() : db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-generate"));
    return ok;
}

// The first ten nutrients of the catalogue for every food, as an import writes them, every 13th
// left unknown.
bool giveNutrients(FoodStore& database, QStringList* numbers, QString* error)
{
    std::vector<TextColumn> names;
    std::vector<qint64> rows;
    if (!database.readColumns({ FoodDatabase::FOOD }, &names, &rows, error)) {
        return false;
    }
    std::unique_ptr<FoodImportSession> session = database.beginImport(error);
    if (!session) {
        return false;
    }
    for (const Nutrient& nutrient : session->nutrientCatalogue().nutrients()) {
        if (numbers->size() < 10) {
            numbers->append(nutrient.number);
        }
    }
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> amount(0, 500);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        FoodNutrients nutrients;
        nutrients.servingGrams = 100;
        for (qsizetype n = 0; n < numbers->size(); ++n) {
            if ((row * 10 + std::size_t(n)) % 13 != 0) {
                nutrients.values.insert(numbers->at(n), std::round(amount(random) * 100) / 100);
            }
        }
        if (!session->writeNutrients(rows[row], nutrients, error)) {
            session->rollback();
            return false;
        }
    }
    return session->commit({}, error);
}

// Waits until the grid holds the whole table, read on its worker thread.
void waitWhole(const FoodGridDialog& grid)
{
    while (grid.isReading()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
}

template <typename Work> double timed(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void run(qint64 count)
{
    QTemporaryDir dir;
    const UserFiles files(
        { dir.path() + QStringLiteral("/Tamo"), dir.path() + QStringLiteral("/foods.db"), QString() });
    QDir().mkpath(files.dataFolder());
    QString error;
    const QString keep = qEnvironmentVariable("PLATEWELL_BENCH_KEEP");
    const QString kept = keep.isEmpty() ? QString() : QStringLiteral("%1/foods-%2.db").arg(keep).arg(count);
    if (!kept.isEmpty() && QFile::exists(kept)) {
        QFile::copy(kept, files.foodDatabasePath());
    } else {
        const double generating = timed([&] {
            if (!generateFoods(files.foodDatabasePath(), count, &error)) {
                qFatal("cannot generate the foods: %s", qPrintable(error));
            }
        });
        report("generating the food table (not a target)", count, generating);
        if (!kept.isEmpty()) {
            QDir().mkpath(keep);
            QFile::copy(files.foodDatabasePath(), kept);
        }
    }

    SqliteFoodStore database(files.foodDatabasePath());
    if (!database.refresh(&error)) {
        qFatal("cannot open the foods: %s", qPrintable(error));
    }
    QStringList numbers;
    report("giving every food 10 nutrients (not a target)", count, timed([&] {
        if (!giveNutrients(database, &numbers, &error)) {
            qFatal("cannot write the nutrients: %s", qPrintable(error));
        }
    }));
    double tenColumnPeak = 0;

    {
        // The floor of a first paint: an empty grid window shown and painted, and the first 100
        // rows of the ten fields read through the name index.
        double window = 1e9;
        for (int run = 0; run < 3; ++run) {
            window = std::min(window, timed([] {
                QDialog empty;
                auto* view = new QTableView(&empty);
                view->setMinimumSize(881, 233);
                empty.show();
                QCoreApplication::processEvents();
                empty.repaint();
            }));
        }
        double floor = 1e9;
        for (int run = 0; run < 5; ++run) {
            std::vector<TextColumn> columns;
            std::vector<qint64> rows;
            std::vector<FoodDatabase::Field> fields;
            for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
                fields.push_back(static_cast<FoodDatabase::Field>(f));
            }
            floor = std::min(floor, timed([&] { database.readFirstRows(fields, 100, true, &columns, &rows, &error); }));
        }
        std::unique_ptr<FoodGridDialog> grid;
        const double before = bench::statusMB("VmRSS:");
        const double firstPaint = timed([&] {
            grid = std::make_unique<FoodGridDialog>(files, database, true, nullptr);
            grid->show();
            QCoreApplication::processEvents();
            grid->repaint();
        });
        floor += window;
        report("food grid: first rows painted (open sorted by name)", count, firstPaint);
        std::printf("    floor, an empty grid window and the first 100 rows by the name index: %.1f ms (%.1fx)\n",
            floor, firstPaint / floor);
        report("food grid: whole table read behind the window", count, timed([&] { waitWhole(*grid); }));
        std::printf("    memory the grid holds with its ten columns: %.0f MB\n", bench::statusMB("VmRSS:") - before);
        auto* text = grid->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* findButton = grid->findChild<QPushButton*>(QStringLiteral("cmdFindTxt"));
        auto* sortButton = grid->findChild<QPushButton*>(QStringLiteral("cmdSort"));
        auto* view = grid->findChild<QTableView*>(QStringLiteral("MSFlexGrid1"));
        text->setText(QStringLiteral("chicken"));
        report("food grid: Find Text \"chicken\" (first)", count, timed([&] { findButton->click(); }));
        report("food grid: Find Text \"chicken\" again", count, timed([&] { findButton->click(); }));
        text->setText(QStringLiteral("12"));
        report("food grid: Find Text \"12\"", count, timed([&] { findButton->click(); }));
        view->setCurrentIndex(view->model()->index(0, FoodDatabase::CALORIES));
        report("food grid: Sort on Calories (first)", count, timed([&] { sortButton->click(); }));
        view->setCurrentIndex(view->model()->index(0, FoodDatabase::SERVING_UN));
        report("food grid: Sort on Serving Unit (first)", count, timed([&] { sortButton->click(); }));
        // Measured before anything else runs at this size, so it is the grid's own peak.
        tenColumnPeak = peakMegabytes();
        std::printf("    peak memory with the grid open: %.0f MB\n", tenColumnPeak);
    }

    {
        std::unique_ptr<FoodGridDialog> grid;
        const double before = bench::statusMB("VmRSS:");
        grid = std::make_unique<FoodGridDialog>(files, database, true, nullptr);
        waitWhole(*grid);
        report("food grid: show 10 nutrient columns", count, timed([&] { grid->showNutrientColumns(numbers); }));
        std::printf(
            "    memory the grid holds with 10 nutrient columns more: %.0f MB\n", bench::statusMB("VmRSS:") - before);
        auto* text = grid->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* findButton = grid->findChild<QPushButton*>(QStringLiteral("cmdFindTxt"));
        auto* sortButton = grid->findChild<QPushButton*>(QStringLiteral("cmdSort"));
        auto* view = grid->findChild<QTableView*>(QStringLiteral("MSFlexGrid1"));
        text->setText(QStringLiteral("12"));
        report("food grid: Find Text \"12\" in 20 columns", count, timed([&] { findButton->click(); }));
        view->setCurrentIndex(view->model()->index(0, FoodPropertiesModel::ColumnCount));
        report("food grid: Sort on a nutrient column", count, timed([&] { sortButton->click(); }));
        std::printf("    peak memory with 10 nutrient columns: %.0f MB (ten-column grid: %.0f MB)\n", peakMegabytes(),
            tenColumnPeak);
    }

    {
        FoodPropertiesModel model;
        report("model: read all ten columns in table order", count, timed([&] { model.load(database, &error); }));
        report("model: sort by name (first, builds keys)", count, timed([&] { model.sortAll(FoodDatabase::FOOD); }));
        report("model: read all ten columns in name order", count, timed([&] { model.load(database, &error, true); }));
        report("model: Find \"chicken\" (first, builds upper copies)", count,
            timed([&] { model.find(QStringLiteral("chicken")); }));
        report("model: Find \"chicken\" again", count, timed([&] { model.find(QStringLiteral("chicken")); }));
        report("model: Find \"12\"", count, timed([&] { model.find(QStringLiteral("12")); }));
        std::printf("    cells marked by \"12\": %lld\n", static_cast<long long>(model.markedCount()));
        report("model: Find \"cup\"", count, timed([&] { model.find(QStringLiteral("cup")); }));
        report("model: Find \"no such text\"", count, timed([&] { model.find(QStringLiteral("no such text")); }));
        report(
            "model: Sort CALORIES (first, builds keys)", count, timed([&] { model.sortAll(FoodDatabase::CALORIES); }));
        report("model: Sort CALORIES again", count, timed([&] { model.sortAll(FoodDatabase::CALORIES); }));
        report("model: Sort SERVING_UN (first)", count, timed([&] { model.sortAll(FoodDatabase::SERVING_UN); }));
        report("model: Sort FOOD (keys cached)", count, timed([&] { model.sortAll(FoodDatabase::FOOD); }));
    }

    {
        std::unique_ptr<FoodGridDialog> grid;
        report("food grid: open in table order (from the editor)", count,
            timed([&] { grid = std::make_unique<FoodGridDialog>(files, database, false, nullptr); }));
        report("food grid: whole table read behind the window", count, timed([&] { waitWhole(*grid); }));
    }

    {
        QString previousSearch;
        std::unique_ptr<FoodEditorDialog> editor;
        report("food editor: open", count, timed([&] {
            editor = std::make_unique<FoodEditorDialog>(files, database, previousSearch, nullptr);
            editor->show();
            QCoreApplication::processEvents();
        }));
        report("food editor: every record read behind the window", count, timed([&] {
            while (editor->isReading()) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            }
        }));
        // The floor of a Find that wraps: memmem over the same names, upper-cased, in one block.
        QByteArray names;
        {
            std::vector<TextColumn> columns;
            database.readColumns({ FoodDatabase::FOOD }, &columns, nullptr, &error);
            names = columns.front().isLatin1() ? columns.front().latin1().toUpper()
                                               : columns.front().utf16().toUpper().toLatin1();
        }
        const QByteArray absent("NO SUCH FOOD ANYWHERE");
        double memmemFloor = 1e9;
        for (int run = 0; run < 5; ++run) {
            memmemFloor = std::min(memmemFloor, timed([&] {
                volatile const void* hit = memmem(
                    names.constData(), std::size_t(names.size()), absent.constData(), std::size_t(absent.size()));
                (void)hit;
            }));
        }
        auto* findButton = editor->findChild<QPushButton*>(QStringLiteral("FindFood"));
        Prompt::queueAnswer(QStringLiteral("no such food anywhere"));
        const double wrap = timed([&] { findButton->click(); });
        report("food editor: Find that wraps the whole table", count, wrap);
        std::printf("    floor, memmem over the same %lld bytes of names: %.1f ms (%.1fx)\n",
            static_cast<long long>(names.size()), memmemFloor, wrap / memmemFloor);
        Prompt::queueAnswer(QStringLiteral("chicken"));
        report("food editor: Find \"chicken\"", count, timed([&] { findButton->click(); }));
        editor->close();
    }
    std::printf("    peak memory so far: %.0f MB\n\n", peakMegabytes());
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
        sizes = { StarterSize, 100000, 1000000 };
    }
    for (const qint64 count : sizes) {
        run(count);
    }
    return 0;
}

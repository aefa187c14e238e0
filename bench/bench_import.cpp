// Times importing a million foods from each kind of source, into an empty food table and into the
// starter table, and exporting a million foods: a FoodData-Central-shaped folder (1,000,000 foods,
// 8 nutrients each, so 8 million food_nutrient rows, and one portion each), an Open Food Facts
// TSV of 1,000,000 products and a plain CSV of 1,000,000 foods. It also times a CSV file that
// repeats one name 100,000 times, kept beside one another, whose every row is checked against the
// rows of that name before it, and a FoodData Central folder of 1,000,000 foods with 30 nutrients
// each (30 million food_nutrient rows), every one of which the import brings. Each measurement
// runs in a process of its own, so that the peak memory given (the whole process's) is its own.
// Given case names (fdc-empty, same-keep, ...), it runs those alone; --foods N makes sources of N foods.

#include "BenchFoods.h"
#include "core/imports/FoodExport.h"
#include "core/imports/FoodImport.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The number of foods in each source; --foods N sets another (3000000 takes minutes to write).
int foodCount = 1000000;
constexpr int kRepeats = 100000;

// Writes a file in blocks, so that the generated sources never sit whole in memory.
class BlockWriter
{
public:
    explicit BlockWriter(const QString& path)
        : m_file(path)
    {
        m_ok = m_file.open(QIODevice::WriteOnly);
    }
    ~BlockWriter() { close(); }
    void add(const QByteArray& text)
    {
        m_block += text;
        if (m_block.size() > (1 << 20)) {
            flush();
        }
    }
    bool close()
    {
        flush();
        m_file.close();
        return m_ok;
    }

private:
    void flush()
    {
        if (m_block.isEmpty()) {
            return;
        }
        m_ok = m_ok && m_file.write(m_block) == m_block.size();
        m_block.clear();
    }
    QFile m_file;
    QByteArray m_block;
    bool m_ok = false;
};

QByteArray nameOf(QRandomGenerator& random)
{
    return bench::generatedName(random, 0).toUtf8();
}

QByteArray amount(QRandomGenerator& random, int scale)
{
    return QByteArray::number(random.bounded(scale * 100) / 100.0);
}

// The nutrients of the 30-nutrient folder beyond the eight: id, name, unit, number.
const char* const kMoreNutrients[] = { "1003,Protein,G,203", "1051,Water,G,255", "1009,Starch,G,209",
    "1018,Alcohol,G,221", "1057,Caffeine,MG,262", "1258,Saturated fat,G,606", "1292,Monounsaturated fat,G,645",
    "1293,Polyunsaturated fat,G,646", "1257,Trans fat,G,605", "1087,Calcium,MG,301", "1089,Iron,MG,303",
    "1090,Magnesium,MG,304", "1091,Phosphorus,MG,305", "1092,Potassium,MG,306", "1093,Sodium,MG,307",
    "1095,Zinc,MG,309", "1162,Vitamin C,MG,401", "1165,Thiamin,MG,404", "1166,Riboflavin,MG,405",
    "1175,Vitamin B6,MG,415", "1178,Vitamin B12,UG,418", "1235,Sugars added,G,539", "1185,Vitamin K,UG,430" };

bool writeFoodDataCentral(const QString& folder, bool allNutrients)
{
    QDir().mkpath(folder);
    QRandomGenerator random(1);
    BlockWriter food(folder + QStringLiteral("/food.csv"));
    BlockWriter nutrients(folder + QStringLiteral("/food_nutrient.csv"));
    BlockWriter portions(folder + QStringLiteral("/food_portion.csv"));
    food.add("\"fdc_id\",\"data_type\",\"description\",\"food_category_id\",\"publication_date\"\n");
    nutrients.add("\"id\",\"fdc_id\",\"nutrient_id\",\"amount\",\"data_points\",\"derivation_id\",\"min\",\"max\","
                  "\"median\",\"footnote\",\"min_year_acquired\"\n");
    portions.add("\"id\",\"fdc_id\",\"seq_num\",\"amount\",\"measure_unit_id\",\"portion_description\",\"modifier\","
                 "\"gram_weight\",\"data_points\",\"footnote\",\"min_year_acquired\"\n");
    std::vector<int> nutrientIds { 1008, 1005, 1004, 2000, 1253, 1079, 1086, 1003 };
    QByteArray nutrientRows = "\"1008\",\"Energy\",\"KCAL\",\"208\",\"300\"\n"
                              "\"1253\",\"Cholesterol\",\"MG\",\"601\",\"15700\"\n";
    if (allNutrients) {
        nutrientRows = "1008,Energy,KCAL,208,300\n1005,Carbohydrate,G,205,1\n1004,Total fat,G,204,1\n"
                       "2000,Sugars,G,269,1\n1253,Cholesterol,MG,601,1\n1079,Fiber,G,291,1\n"
                       "1086,Sugar alcohols,G,299,1\n";
        nutrientIds.pop_back();
        for (const char* more : kMoreNutrients) {
            nutrientIds.push_back(QByteArray(more).split(',').value(0).toInt());
            nutrientRows += QByteArray(more) + ",1\n";
        }
    }
    qint64 row = 1;
    for (int i = 0; i < foodCount; ++i) {
        const QByteArray id = QByteArray::number(100000 + i);
        food.add("\"" + id + "\",\"sr_legacy_food\",\"" + nameOf(random) + "\",\"" + QByteArray::number(i % 25)
            + "\",\"2019-04-01\"\n");
        for (const int nutrient : nutrientIds) {
            nutrients.add("\"" + QByteArray::number(row++) + "\",\"" + id + "\",\"" + QByteArray::number(nutrient)
                + "\",\"" + amount(random, 500) + "\",\"\",\"1\",\"\",\"\",\"\",\"\",\"\"\n");
        }
        portions.add("\"" + QByteArray::number(i + 1) + "\",\"" + id
            + "\",\"1\",\"1.0\",\"9999\",\"\",\"cup, chopped\",\"" + amount(random, 300) + "\",\"\",\"\",\"\"\n");
    }
    BlockWriter units(folder + QStringLiteral("/measure_unit.csv"));
    units.add("\"id\",\"name\"\n\"1000\",\"cup\"\n\"9999\",\"undetermined\"\n");
    BlockWriter names(folder + QStringLiteral("/nutrient.csv"));
    names.add("\"id\",\"name\",\"unit_name\",\"nutrient_nbr\",\"rank\"\n" + nutrientRows);
    return food.close() && nutrients.close() && portions.close() && units.close() && names.close();
}

bool writeOpenFoodFacts(const QString& path)
{
    QRandomGenerator random(2);
    BlockWriter file(path);
    QByteArrayList header { "code", "url", "creator", "created_t", "last_modified_t", "product_name", "generic_name",
        "quantity", "packaging", "brands", "categories", "labels", "stores", "countries", "ingredients_text",
        "allergens", "serving_size", "serving_quantity", "nutriscore_grade", "nova_group", "energy-kj_100g",
        "energy-kcal_100g", "energy_100g", "fat_100g", "saturated-fat_100g", "carbohydrates_100g", "sugars_100g",
        "polyols_100g", "fiber_100g", "proteins_100g", "salt_100g", "sodium_100g", "cholesterol_100g" };
    file.add(header.join('\t') + '\n');
    for (int i = 0; i < foodCount; ++i) {
        QByteArrayList row;
        row << QByteArray::number(3000000000000LL + i) << "http://world-en.openfoodfacts.org/product/x"
            << "bench"
            << "1600000000"
            << "1600000001" << nameOf(random) << ""
            << "500 g"
            << "Plastic"
            << "Brand " + QByteArray::number(i % 5000) << "Snacks,Sweet snacks"
            << ""
            << ""
            << "France"
            << "sugar, wheat flour, palm oil, cocoa, salt"
            << "en:gluten"
            << "30 g"
            << "30"
            << "d"
            << "4";
        const QByteArray kcal = amount(random, 600);
        row << "" << kcal << QByteArray::number(kcal.toDouble() * 4.184) << amount(random, 40) << amount(random, 20)
            << amount(random, 80) << amount(random, 50) << "" << amount(random, 10) << amount(random, 20)
            << amount(random, 2) << amount(random, 1) << (i % 3 == 0 ? amount(random, 1) : QByteArray());
        file.add(row.join('\t') + '\n');
    }
    return file.close();
}

bool writePlainCsv(const QString& path)
{
    QRandomGenerator random(3);
    BlockWriter file(path);
    file.add("FOOD,SERVING_UN,CALORIES,CARBS,FAT,SUGAR,CHOLESTERO,POINTS,FIBER,SUGAR_ALC\n");
    for (int i = 0; i < foodCount; ++i) {
        QByteArray row = "\"" + nameOf(random) + "\",1 cup (240 g)";
        for (int n = 0; n < 8; ++n) {
            row += ',' + (n == 7 ? QByteArray() : amount(random, 300));
        }
        file.add(row + '\n');
    }
    return file.close();
}

bool writeOneNameRepeated(const QString& path)
{
    BlockWriter file(path);
    file.add("FOOD,SERVING_UN,CALORIES\n");
    for (int i = 0; i < kRepeats; ++i) {
        file.add("Apple,1 medium," + QByteArray::number(i % 300) + '\n');
    }
    return file.close();
}

long peakMemoryMB()
{
    const double peak = bench::statusMB("VmHWM:");
    return peak > 0 ? static_cast<long>(peak) : bench::peakMemoryMB();
}

// The floor of an import: SQLite writing the rows the import wrote, into the same tables with the
// same indexes in an empty file, in one transaction and with no checks (copied from the imported
// file itself, so nothing is parsed). -1 when it cannot be measured.
double floorSeconds(const QString& imported)
{
    const QString path = imported + QStringLiteral(".floor");
    QFile::remove(path);
    QList<QByteArray> schema;
    QList<QByteArray> tables;
    {
        SqliteConnection source;
        QString error;
        if (!source.open(imported, 2000, &error)) {
            return -1;
        }
        SqliteStatement query(source.handle(),
            "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND type IN ('table', 'index') "
            "AND name NOT LIKE 'sqlite_%' ORDER BY type DESC");
        while (query.next()) {
            schema.append(query.text(2).toByteArray());
            if (query.text(0) == "table") {
                tables.append(query.text(1).toByteArray());
            }
        }
    }
    SqliteConnection floor;
    QString error;
    if (!floor.open(path, 2000, &error)) {
        return -1;
    }
    for (const QByteArray& statement : schema) {
        floor.execute(statement.constData());
    }
    SqliteStatement attach(floor.handle(), "ATTACH ? AS imported");
    attach.bindText(1, imported);
    attach.next();
    QElapsedTimer timer;
    timer.start();
    bool ok = floor.execute("BEGIN");
    for (const QByteArray& table : tables) {
        ok = ok
            && floor.execute(
                ("INSERT INTO main.\"" + table + "\" SELECT * FROM imported.\"" + table + "\"").constData());
    }
    ok = ok && floor.execute("COMMIT");
    const double seconds = timer.nsecsElapsed() / 1e9;
    floor.close();
    QFile::remove(path);
    return ok ? seconds : -1;
}

// One measurement in this process: prints seconds, peak memory in MB, the foods added or written
// and, for an import, its floor in seconds.
int measure(const QString& what, const QString& data)
{
    const QString database = data + QStringLiteral("/") + what + QStringLiteral(".db");
    QString error;
    if (what == QLatin1String("export")) {
        QElapsedTimer timer;
        timer.start();
        qint64 written = 0;
        if (!FoodExport::run(
                data + QStringLiteral("/million.db"), data + QStringLiteral("/export.csv"), {}, &written, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%.2f %ld %lld\n", timer.nsecsElapsed() / 1e9, peakMemoryMB(), static_cast<long long>(written));
        return 0;
    }
    const int starter = what.endsWith(QLatin1String("starter")) ? 7878 : 0;
    if (!bench::makeFoodTableFile(database, starter, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString source = data + QLatin1Char('/') + what.section(QLatin1Char('-'), 0, 0);
    QElapsedTimer timer;
    timer.start();
    FoodImport import(source);
    ImportSummary summary;
    const DuplicateRule rule = what.endsWith(QLatin1String("-keep")) ? DuplicateRule::KeepBoth : DuplicateRule::Skip;
    if (!import.inspect(&error) || !import.run(database, rule, {}, {}, &summary, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const long peak = peakMemoryMB();
    std::printf(
        "%.2f %ld %lld %.2f\n", seconds, peak, static_cast<long long>(summary.foodsAdded), floorSeconds(database));
    QFile::remove(database);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--measure")) {
        return measure(args.at(2), args.at(3));
    }
    const qsizetype foods = args.indexOf(QStringLiteral("--foods"));
    if (foods > 0 && foods + 1 < args.size()) {
        foodCount = args.at(foods + 1).toInt();
        args.remove(foods, 2);
    }

    const std::pair<const char*, const char*> allCases[] = {
        { "fdc-empty", "FoodData Central folder into an empty table" },
        { "fdc-starter", "FoodData Central folder into the starter table" },
        { "fdc30-empty", "FoodData Central, 30 nutrients, into an empty table" },
        { "off-empty", "Open Food Facts TSV into an empty table" },
        { "off-starter", "Open Food Facts TSV into the starter table" },
        { "csv-empty", "plain CSV into an empty table" },
        { "csv-starter", "plain CSV into the starter table" },
        { "same-keep", "one name 100,000 times, both kept" },
        { "export", "export to CSV" },
    };
    std::vector<std::pair<const char*, const char*>> cases;
    for (const auto& entry : allCases) {
        if (args.size() == 1 || args.contains(QString::fromLatin1(entry.first))) {
            cases.push_back(entry);
        }
    }
    // Only the sources of the cases run are written.
    auto runs = [&](const char* source) {
        return std::any_of(cases.begin(), cases.end(), [&](const auto& entry) {
            return QString::fromLatin1(entry.first).section(QLatin1Char('-'), 0, 0) == QLatin1String(source);
        });
    };

    QTemporaryDir dir;
    const QString data = dir.path();
    QElapsedTimer timer;
    timer.start();
    QString error;
    if ((runs("fdc") && !writeFoodDataCentral(data + QStringLiteral("/fdc"), false))
        || (runs("fdc30") && !writeFoodDataCentral(data + QStringLiteral("/fdc30"), true))
        || (runs("off") && !writeOpenFoodFacts(data + QStringLiteral("/off")))
        || (runs("csv") && !writePlainCsv(data + QStringLiteral("/csv")))
        || (runs("same") && !writeOneNameRepeated(data + QStringLiteral("/same")))
        || (runs("export") && !bench::makeFoodTableFile(data + QStringLiteral("/million.db"), foodCount, &error))) {
        std::fprintf(stderr, "could not write the sources %s\n", qPrintable(error));
        return 1;
    }
    std::printf("sources written in %.1f s\n", timer.nsecsElapsed() / 1e9);
    std::printf("%-46s %9s %11s %10s\n", qPrintable(QLocale::c().toString(foodCount) + QStringLiteral(" foods")),
        "time (s)", "peak memory", "foods");
    for (const auto& [what, label] : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(app.applicationFilePath(), { QStringLiteral("--measure"), QString::fromLatin1(what), data });
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("%-46s failed\n", label);
            continue;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        const double floor = figures.value(3).toDouble();
        std::printf("%-46s %9s %8s MB %10s", label, figures.value(0).constData(), figures.value(1).constData(),
            figures.value(2).constData());
        if (floor > 0) {
            std::printf(
                "   floor, SQLite writing the same rows: %.2f s (%.1fx)", floor, figures.value(0).toDouble() / floor);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}

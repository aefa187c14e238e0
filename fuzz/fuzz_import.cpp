// The food import's readers on any bytes: the streaming CSV reader with each delimiter, with and
// without quoting, numbers read in either style, then the whole import of the bytes as a file
// (told apart by content: CSV, Open Food Facts, gzip, zip) into a real food table, and once more
// as a source read only once (a pipe), its columns placed on the ten fields or the catalogue's
// nutrients, in units and per 100 g, as the bytes choose and by a --columns made of them. No crash, no hang, the reader
// always makes progress, and the summary accounts for every food record it read.

#include "FuzzSupport.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/foods/FoodDatabase.h"
#include "core/imports/FoodImport.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/storage/SqliteFoodStore.h"
#include "core/text/WrittenNumber.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

void readNumbers(QByteArrayView field)
{
    const QString text = QString::fromUtf8(field);
    for (const NumberStyle style : { NumberStyle::DecimalPoint, NumberStyle::DecimalComma }) {
        double value = 0;
        QStringView rest;
        if (WrittenNumber::read(text, style, &value, &rest) && (!std::isfinite(value) || rest.size() > text.size())) {
            fuzz::fail("a number read is no finite number", value, text);
        }
    }
}

// Imports `import` (inspected) into `database`, checks that every food record is accounted for
// and that the table holds the foods added, then empties the table.
void runImport(const FoodImport& import, const QString& database, DuplicateRule rule)
{
    ImportSummary summary;
    QString error;
    if (!import.run(database, rule, {}, {}, &summary, &error)) {
        return;
    }
    // A name repeated within the source is skipped, replaced or kept (then added) as a duplicate is.
    const qint64 accounted = summary.foodsAdded + summary.duplicatesSkipped + summary.duplicatesReplaced
        + summary.rowsRefused + summary.productsWithoutName
        + (rule == DuplicateRule::KeepBoth ? 0 : summary.repeatedInSource);
    if (accounted != summary.foodsRead) {
        fuzz::fail("food records not accounted for", double(summary.foodsRead - accounted), QString());
    }
    SqliteFoodStore foods(database);
    if (!foods.refresh(&error) || foods.rowCount(&error) != summary.foodsAdded) {
        fuzz::fail("the table does not hold the foods added", double(summary.foodsAdded), error);
    }
    foods.table().connection().execute("DELETE FROM foods");
}

void readAll(const QByteArray& bytes, char delimiter, bool quoting)
{
    auto source = ByteSource::fromBytes(bytes);
    CsvStreamReader reader(*source, delimiter, quoting);
    qint64 records = 0;
    qint64 lastLine = 0;
    while (reader.readRecord()) {
        ++records;
        qsizetype fieldBytes = 0;
        for (qsizetype i = 0; i < reader.fieldCount(); ++i) {
            fieldBytes += reader.field(i).size();
        }
        if (records < 50) {
            for (qsizetype i = 0; i < reader.fieldCount() && i < 50; ++i) {
                readNumbers(reader.field(i));
            }
        }
        if (fieldBytes > bytes.size() || records > bytes.size() + 1) {
            fuzz::fail("the reader gives more than it read", double(records), QString());
        }
        if (reader.lineNumber() <= lastLine) {
            fuzz::fail("a record starts on a line already read", double(reader.lineNumber()), QString());
        }
        lastLine = reader.lineNumber();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_import";
    static char* argv[] = { name, nullptr };
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static const QString database = dir.filePath(QStringLiteral("foods.db"));
    static const bool created = FoodDatabase::createFromCsv(database, QStringLiteral("FOOD\n"), nullptr);
    if (!created) {
        fuzz::fail("no food table", 0, database);
    }

    const QByteArray bytes = fuzz::bytes(data, size);
    readAll(bytes, ',', true);
    readAll(bytes, ';', true);
    readAll(bytes, '\t', false);

    const QString path = dir.filePath(QStringLiteral("source"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        fuzz::fail("cannot write the source", 0, path);
    }
    file.close();
    const DuplicateRule rule = DuplicateRule(size % 3);
    QString error;
    FoodImport import(path);
    if (import.inspect(&error)) {
        runImport(import, database, rule);
    }

    // The same bytes read once, as from a pipe; a CSV file's columns placed as its bytes choose.
    FoodImport once(ByteSource::fromBytes(bytes), QStringLiteral("standard input"));
    if (!once.inspect(&error)) {
        return 0;
    }
    if (once.format() == ImportFormat::Csv) {
        for (qsizetype c = 0; c < once.columns().size() && c < 64; ++c) {
            const auto choice = static_cast<unsigned char>(bytes[c % bytes.size()]);
            const int field = int(choice % (ColumnMapping::ChoiceCount + 2)) - 1;
            const std::vector<Nutrient>& nutrients = once.nutrientChoices().nutrients();
            ImportColumn column;
            if (field == ColumnMapping::CatalogueNutrient && !nutrients.empty()) {
                const auto which = static_cast<unsigned char>(bytes[(c + 1) % bytes.size()]);
                column = ColumnMapping::column(nutrients[which % nutrients.size()]);
            } else {
                column = ColumnMapping::column(std::min(field, ColumnMapping::ChoiceCount - 1));
            }
            const QList<NutrientUnit> units = ColumnMapping::units(column);
            if (!units.isEmpty()) {
                column.unit = units.at((choice >> 4) % units.size());
            }
            column.per100g = ColumnMapping::hasAmounts(column) && (choice & 0x80) != 0;
            once.placeColumn(int(c), column);
        }
        // A --columns made of the first line's bytes, which may well not read.
        once.applyColumnsOption(QString::fromUtf8(bytes.left(bytes.indexOf('\n'))), &error);
    }
    runImport(once, database, rule);
    // A source read once cannot run twice.
    ImportSummary again;
    if (once.run(database, rule, {}, {}, &again, &error)) {
        fuzz::fail("a source read once ran twice", 0, error);
    }
    return 0;
}

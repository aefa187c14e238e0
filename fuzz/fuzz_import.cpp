// The food import's readers on any bytes: the streaming CSV reader with each delimiter, with and
// without quoting, then the whole import of the bytes as a file (told apart by content: CSV,
// Open Food Facts, gzip, zip) into a real food table. No crash, no hang, the reader always makes
// progress, and the summary accounts for every food record it read.

#include "FuzzSupport.h"
#include "core/ByteSource.h"
#include "core/CsvStreamReader.h"
#include "core/FoodDatabase.h"
#include "core/FoodImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

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
    FoodImport import(path);
    QString error;
    if (!import.inspect(&error)) {
        return 0;
    }
    ImportSummary summary;
    const DuplicateRule rule = DuplicateRule(size % 3);
    if (import.run(database, rule, {}, {}, &summary, &error)) {
        const qint64 accounted = summary.foodsAdded + summary.duplicatesSkipped + summary.duplicatesReplaced
            + summary.rowsRefused + summary.productsWithoutName;
        if (accounted != summary.foodsRead) {
            fuzz::fail("food records not accounted for", double(summary.foodsRead - accounted), QString());
        }
        FoodDatabase foods;
        if (!foods.open(database, &error) || foods.rowCount(&error) != summary.foodsAdded) {
            fuzz::fail("the table does not hold the foods added", double(summary.foodsAdded), error);
        }
        QSqlQuery(foods.connection()).exec(QStringLiteral("DELETE FROM foods"));
    }
    return 0;
}

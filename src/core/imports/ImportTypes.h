#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the food import's dispatcher (FoodImport), its writer and its readers share: the kinds of
// source, the duplicate rule, and what an import tells as it runs and once it is done.

enum class ImportFormat { Unknown, FoodDataCentral, OpenFoodFacts, Csv };

// What happens to a food whose exact name is already in the table or came earlier in the same
// import: the old one stays (Skip), its row or rows take the new values in place (Replace), or
// the new one goes in beside it (KeepBoth).
enum class DuplicateRule { Skip, Replace, KeepBoth };

struct ImportProgress
{
    // Data rows read so far from every file of the source (for FoodData Central, the nutrient
    // and portion rows as well as the foods).
    qint64 rowsRead = 0;
    qint64 foodsAdded = 0;
    qint64 bytesRead = 0;
    // The bytes there are to read in all; 0 when not known.
    qint64 totalBytes = 0;
};

// A row that was refused, mended, or whose name came earlier in the same source. `location` is
// the line of the source file the row starts on, or for FoodData Central the food's fdc_id
// (`isFdcId`). `name` is whole, as the report file keeps it; what shows it in a window or on a
// terminal cuts it (MessageText::quoted).
struct ImportProblem
{
    enum Kind { Mended, Refused, Repeated };

    qint64 location = 0;
    bool isFdcId = false;
    QString name;
    QString reason;
    Kind kind = Mended;

    // "mended", "refused" or "repeated", for reports.
    QString kindText() const;

    // "line 12" or "fdc_id 167512".
    QString locationText() const;
};

struct ImportSummary
{
    qint64 rowsRead = 0;
    // The food records met: foods, products or CSV rows (blank lines and, for FoodData Central,
    // sample and acquisition records are no foods).
    qint64 foodsRead = 0;
    qint64 foodsAdded = 0;
    qint64 duplicatesSkipped = 0;
    qint64 duplicatesReplaced = 0;
    qint64 duplicatesKept = 0;
    // Foods whose name came earlier in the same source; the duplicate rule applies to them as to
    // a name already in the table (a kept one is also counted in foodsAdded), but they are not
    // counted among the duplicates above.
    qint64 repeatedInSource = 0;
    qint64 rowsMended = 0;
    qint64 rowsRefused = 0;
    // Open Food Facts products without a name.
    qint64 productsWithoutName = 0;
    // FoodData Central records that describe lab samples or acquisitions rather than foods.
    qint64 recordsNotFoods = 0;
    // The nutrient values beyond the ten fields written with the foods, and the foods that got
    // any; and the source's nutrients left out because their unit cannot be had in the table's.
    qint64 nutrientValues = 0;
    qint64 foodsWithNutrients = 0;
    QStringList nutrientsLeftOut;
    bool cancelled = false;
    // The source's columns that no food field takes (a generic CSV file).
    QStringList unplacedColumns;
};

// Called every few thousand rows; returns false to cancel the import.
using ImportProgressCallback = std::function<bool(const ImportProgress&)>;
// Called for every row that was mended, refused or repeated.
using ImportProblemCallback = std::function<void(const ImportProblem&)>;

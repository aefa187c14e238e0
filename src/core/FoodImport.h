#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

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

// A row that was refused or mended. `location` is the line of the source file the row starts on,
// or for FoodData Central the food's fdc_id (`isFdcId`).
struct ImportProblem
{
    qint64 location = 0;
    bool isFdcId = false;
    QString name;
    QString reason;
    bool refused = false;

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
    qint64 rowsMended = 0;
    qint64 rowsRefused = 0;
    // Open Food Facts products without a name.
    qint64 productsWithoutName = 0;
    // FoodData Central records that describe lab samples or acquisitions rather than foods.
    qint64 recordsNotFoods = 0;
    bool cancelled = false;
    // The source's columns that no food field takes (a generic CSV file).
    QStringList unplacedColumns;
};

// Brings foods into the food table from a FoodData Central download (its zip or its unpacked
// folder), an Open Food Facts product dump (tab-separated, also gzip-compressed) or any CSV or
// tab-separated file with a header. The kind of file is told by its content, not its name.
//
// inspect() and run() open what they read themselves and never show a window, so run() may be
// called on a worker thread: it opens its own connection to the food table there, writes the
// whole import in one transaction and commits only at the end. On Cancel or any failure nothing
// of the import stays in the table.
class FoodImport
{
    Q_DECLARE_TR_FUNCTIONS(FoodImport)

public:
    // Called every few thousand rows; return false to cancel the import.
    using ProgressCallback = std::function<bool(const ImportProgress&)>;
    using ProblemCallback = std::function<void(const ImportProblem&)>;
    // The field a source column goes to (FoodDatabase::Field), or none.
    static constexpr int NoField = -1;

    explicit FoodImport(const QString& sourcePath);

    // Finds out what kind of source it is, reading only its beginning (and a zip archive's list
    // of members). False, with a short message naming the file, when it cannot be imported.
    bool inspect(QString* error);
    ImportFormat format() const { return m_format; }
    static QString formatName(ImportFormat format);
    QString sourcePath() const { return m_path; }

    // A generic CSV file's header, the field each of its columns goes to (NoField for none),
    // and its first rows for a preview, decoded.
    const QStringList& columns() const { return m_columns; }
    const std::vector<int>& mapping() const { return m_mapping; }
    const QList<QStringList>& previewRows() const { return m_preview; }
    QChar delimiter() const { return QLatin1Char(m_delimiter); }
    // Sets the mapping the user chose: one entry per column; no field may take two columns.
    bool setMapping(const std::vector<int>& mapping, QString* error);
    // The columns the mapping leaves out.
    QStringList unplacedColumns() const;
    // The field each column name goes to, matched by name: the food table's field names, the
    // grids' captions and common spellings, whatever the case, blanks, punctuation and unit
    // (such as "(g)"); a field takes only the first column that matches it.
    static std::vector<int> proposeMapping(const QStringList& columns);

    // Imports into the food table at `databasePath`. True when the import was committed;
    // otherwise the table is as it was, `summary->cancelled` tells a Cancel, and `error` says why.
    bool run(const QString& databasePath, DuplicateRule rule, const ProgressCallback& progress,
        const ProblemCallback& problems, ImportSummary* summary, QString* error) const;

private:
    bool fail(const QString& reason, QString* error) const;
    bool inspectText(const QByteArray& head, bool truncated, QString* error);

    QString m_path;
    ImportFormat m_format = ImportFormat::Unknown;
    bool m_gzip = false;
    char m_delimiter = ',';
    QStringList m_columns;
    std::vector<int> m_mapping;
    QList<QStringList> m_preview;
};

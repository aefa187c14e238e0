#pragma once

#include "core/imports/ColumnMapping.h"
#include "core/imports/ImportTypes.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/WrittenNumber.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ByteSource;

// Brings foods into the food table from a FoodData Central download (its zip or its unpacked
// folder), an Open Food Facts product dump (tab-separated, also gzip-compressed) or any CSV or
// tab-separated file with a header. The kind of file is told by its content, not its name.
//
// inspect() and run() open what they read themselves and never show a window, so run() may be
// called on a worker thread: it opens its own connection to the food table there, writes the
// whole import in one transaction and commits only at the end. On Cancel or any failure nothing
// of the import stays in the table.
//
// A source that cannot be read twice (standard input, a pipe) is read once: inspect() keeps the
// beginning it looked at, and run() reads that and then the rest; such a source can run once.
// A compressed file or a zip archive is refused from one, as its reading needs the whole file.
class FoodImport
{
    Q_DECLARE_TR_FUNCTIONS(FoodImport)

public:
    using ProgressCallback = ImportProgressCallback;
    using ProblemCallback = ImportProblemCallback;
    // The field a source column goes to (FoodDatabase::Field), or none.
    static constexpr int NoField = ColumnMapping::NoField;

    explicit FoodImport(const QString& sourcePath);
    // Imports from a source that can be read only once, such as standard input, named `name`.
    FoodImport(std::unique_ptr<ByteSource> stream, const QString& name);
    ~FoodImport();
    FoodImport(const FoodImport&) = delete;
    FoodImport& operator=(const FoodImport&) = delete;

    // The catalogue of the food table the foods go to, whose nutrients a CSV file's columns may go
    // to; the starter's unless set before inspect().
    void setNutrientCatalogue(const NutrientCatalogue& catalogue) { m_catalogue = catalogue; }
    // The catalogue of the table at `databasePath`; the starter's when there is no table there
    // yet or it cannot be read, which the import then tells of itself.
    static NutrientCatalogue catalogueOf(const QString& databasePath);

    // Finds out what kind of source it is, reading only its beginning (and a zip archive's list
    // of members). False, with a short message naming the file, when it cannot be imported.
    bool inspect(QString* error);
    ImportFormat format() const { return m_format; }
    static QString formatName(ImportFormat format);
    QString sourcePath() const { return m_path; }

    // A generic CSV file's header, how each of its columns is read, its first rows for a preview,
    // decoded, and the style its numbers are written in.
    const QStringList& columns() const { return m_columns; }
    const std::vector<ImportColumn>& mapping() const { return m_mapping; }
    // The nutrients a column may go to: the catalogue's, and after them those a CSV file's
    // headings name that it lacks ("957.1 Something (µg)"), which the import would add.
    const NutrientCatalogue& nutrientChoices() const { return m_choices; }
    const QList<QStringList>& previewRows() const { return m_preview; }
    QChar delimiter() const { return QLatin1Char(m_delimiter); }
    // Judged by the columns the mapping now reads as numbers.
    NumberStyle numberStyle() const;
    // Sets how one column is read; a field or nutrient it takes leaves the column that had it.
    // Returns that column, or -1.
    int placeColumn(int column, const ImportColumn& choice);
    // Applies the command line's --columns (see ColumnMapping::applyOption).
    bool applyColumnsOption(const QString& option, QString* error);
    // Whether a column holds the food names, without which a CSV file cannot be imported.
    bool hasNameColumn() const;
    // The columns the mapping leaves out.
    QStringList unplacedColumns() const;
    // How each column name is read (see ColumnMapping::propose), without a catalogue's names.
    static std::vector<ImportColumn> proposeMapping(const QStringList& columns);

    // Imports into the food table at `databasePath`. True when the import was committed;
    // otherwise the table is as it was, `summary->cancelled` tells a Cancel, and `error` says why.
    bool run(const QString& databasePath, DuplicateRule rule, const ProgressCallback& progress,
        const ProblemCallback& problems, ImportSummary* summary, QString* error) const;

private:
    bool fail(const QString& reason, QString* error) const;
    bool inspectStream(QString* error);
    bool inspectText(const QByteArray& head, bool truncated, QString* error);

    QString m_path;
    ImportFormat m_format = ImportFormat::Unknown;
    bool m_gzip = false;
    char m_delimiter = ',';
    QStringList m_columns;
    std::vector<ImportColumn> m_mapping;
    NutrientCatalogue m_catalogue = NutrientCatalogue::starter();
    NutrientCatalogue m_choices;
    QList<QStringList> m_preview;
    // A source read only once: what is left of it after its beginning (m_head) was read; null
    // once run() took it.
    bool m_onceOnly = false;
    mutable std::unique_ptr<ByteSource> m_stream;
    QByteArray m_head;
    bool m_headEnded = false;
};

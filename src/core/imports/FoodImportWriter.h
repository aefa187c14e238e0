#pragma once

#include "core/imports/ImportTypes.h"
#include "core/imports/ImportedFood.h"
#include "core/nutrients/Nutrient.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

class FoodImportSession;
class FoodStore;

// Writes the foods of one import into the food table, on a connection of its own, in one
// transaction that only commit() ends well: destroyed or rolled back before that, it leaves the
// table as it was. It mends names the plan files could not hold, refuses rows without
// a name, applies the duplicate rule, counts everything in the summary and reports every mended
// or refused row. It also keeps the progress and asks the progress callback whether to go on.
// A food named as a recipe is refused, and the recipes made of the foods it writes are
// recomputed in the same transaction before it commits. A name of over MaxNameCharacters is
// refused, and a name that came earlier in the same source is reported as repeated, with its
// line, before the duplicate rule applies to it.
class FoodImportWriter
{
    Q_DECLARE_TR_FUNCTIONS(FoodImportWriter)

public:
    // The longest name a food may have; no real food's name comes near it.
    static constexpr qsizetype MaxNameCharacters = 1000;

    FoodImportWriter(DuplicateRule rule, const ImportProgressCallback& progress, const ImportProblemCallback& problems,
        ImportSummary* summary);
    ~FoodImportWriter();
    FoodImportWriter(const FoodImportWriter&) = delete;
    FoodImportWriter& operator=(const FoodImportWriter&) = delete;

    // Opens the table and begins the transaction.
    bool begin(const QString& databasePath, QString* error);
    // Makes ready the source's columns of catalogue nutrients ("307 Sodium (mg)"): a nutrient the
    // table's catalogue lacks is added to it. `factors` gets for each what its amounts are
    // multiplied by to be in the catalogue's unit, 0 for one whose unit cannot be converted
    // (IU where the catalogue keeps µg), which `unusable` then names.
    bool prepareNutrients(
        const std::vector<Nutrient>& columns, std::vector<double>* factors, QStringList* unusable, QString* error);
    // Names in the summary, once each, nutrients of the source none of whose values went in, as
    // their unit cannot be had in the table's.
    void leftOut(const QStringList& nutrients);
    // Mends, checks and writes one food. False only when the table could not be written.
    bool add(ImportedFood& food, QString* error);
    // Counts a row that cannot go in and reports it.
    void refuse(qint64 location, bool isFdcId, const QString& name, const QString& reason);
    // Reports a row that went in with a change the reason describes.
    void mended(qint64 location, bool isFdcId, const QString& name, const QString& reason);
    // Counts a record that is no food (a FoodData Central sample) and an Open Food Facts product
    // without a name.
    void notFood() { ++m_summary->recordsNotFoods; }
    void nameless()
    {
        ++m_summary->foodsRead;
        ++m_summary->productsWithoutName;
    }
    bool cancelled() const { return m_summary->cancelled; }
    bool commit(QString* error);
    void rollback();

    // Counts one row read from the source, `position` being the bytes read so far of all its
    // files. False when the user cancelled; the summary then says so.
    bool rowRead(qint64 position);
    void setTotalBytes(qint64 total) { m_progress.totalBytes = total; }
    // Tells the progress callback where the import stands now; false when the user cancelled.
    bool reportProgress();

    // The name as the table takes it: control characters, tabs and line breaks become blanks,
    // blanks are trimmed and inner runs folded to one, and "_" (the plan files' separator)
    // becomes "-". Each change that is worth telling is added to `reasons`.
    static QString mendedName(QStringView name, QStringList* reasons);
    // A serving unit with its control characters turned to blanks; otherwise kept as it is.
    static QString mendedServing(QStringView serving, QStringList* reasons);

private:
    void countNutrients(const FoodNutrients& nutrients);
    void report(qint64 location, bool isFdcId, const QString& name, const QString& reason, ImportProblem::Kind kind);
    // Where the name whose first row in the table is `firstRow` came earlier in this import, or 0.
    qint64 earlierLocation(qint64 firstRow) const;

    DuplicateRule m_rule;
    ImportProgressCallback m_progressCallback;
    ImportProblemCallback m_problems;
    ImportSummary* m_summary;
    ImportProgress m_progress;
    // The import's own connection to the table, and its writes there.
    std::unique_ptr<FoodStore> m_store;
    std::unique_ptr<FoodImportSession> m_session;
    std::vector<qint64> m_rowids;
    // The foods written that recipes are made of.
    QSet<QString> m_changedIngredients;
    // The rows this import inserted, with where each came from, in the order of their identities;
    // and for each name of this import found in the table before it, the first row of the name
    // with where the name came first. A name's first row tells whether it came earlier in the
    // source, so no name's text is kept, and a name repeated many times is looked up in one step.
    std::vector<std::pair<qint64, qint64>> m_inserted;
    QHash<qint64, qint64> m_metInTable;
};

#pragma once

#include "core/nutrients/FoodNutrients.h"
#include "core/nutrients/NutrientCatalogue.h"

#include "core/sqlite/SqliteStatementCache.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class SqliteConnection;
class SqliteStatement;

// The nutrients a food table file keeps beside its ten fields, worked through an open SQLite
// connection: the catalogue (table `nutrients`), one row per food that has nutrients
// (`food_servings`: the food's rowid, its name as it was written and its serving grams) and the
// values (`food_nutrients`, one row per known value, per serving). The `foods` table itself is
// never changed, so an older Platewell and other programs read it as they always did.
//
// A food's nutrients count only while its row in `foods` still bears the name they were written
// under: a VACUUM may renumber rows, and another program may empty and refill the table. Triggers
// in the file drop a deleted food's nutrients and follow a rename, whichever program makes it.
//
// Like RecipeTables it never begins or ends a transaction: every write is made inside the
// caller's. A file without the tables has no nutrients, and nothing here writes to it unless
// create() is called.
class NutrientTables
{
    Q_DECLARE_TR_FUNCTIONS(NutrientTables)

public:
    explicit NutrientTables(SqliteConnection& connection);
    ~NutrientTables();
    NutrientTables(const NutrientTables&) = delete;
    NutrientTables& operator=(const NutrientTables&) = delete;

    // Whether the file holds the nutrient tables.
    bool exist(bool* exist, QString* error);
    // Creates the tables and triggers unless they exist, and gives the catalogue the starter
    // foods' nutrients it lacks.
    bool create(QString* error);
    // Puts back the triggers where another program dropped and made `foods` anew, which drops
    // them with it; nothing in a file without the tables or that cannot be written.
    void restoreTriggers();

    bool readCatalogue(NutrientCatalogue* catalogue, QString* error);
    // Adds a nutrient the file's catalogue lacks, ordered as NutrientCatalogue::add orders it.
    bool addNutrient(const Nutrient& nutrient, QString* error);

    // The nutrients of food row `food`: none when it has none or they were written under another
    // name than it bears now.
    bool read(qint64 food, FoodNutrients* nutrients, QString* error);
    // Writes only what `changes` holds for row `food`. A number unknown to the catalogue or a
    // value that is no finite number is refused, and nothing is written.
    bool write(qint64 food, const FoodNutrientChanges& changes, QString* error);
    // Makes `nutrients` the whole of what row `food` keeps, as an import or the starter foods give
    // it; fast enough for a million foods written in rowid order.
    bool replace(qint64 food, const FoodNutrients& nutrients, QString* error);
    // The same with the values keyed by the catalogue's ids (ids()) in ascending order, for a
    // writer of many foods that looks the numbers up once.
    bool replace(qint64 food, std::optional<double> servingGrams, const std::vector<std::pair<qint64, double>>& values,
        QString* error);
    // The catalogue's nutrient ids by number.
    bool ids(QHash<QString, qint64>* ids, QString* error);
    // Drops what row `food` keeps.
    bool clear(qint64 food, QString* error);
    // For each nutrient number (columns) the value of each row of `rows` (in that order), read in
    // one pass for a grid of a million foods; not-a-number where the value is unknown (SQLite
    // stores no such number, so it stands for none).
    bool readColumns(const QStringList& numbers, const std::vector<qint64>& rows,
        std::vector<std::vector<double>>* columns, QString* error);
    // The grams of one serving of each row of `rows` (in that order), in one
    // pass; not-a-number where the weight is not known.
    bool readServingGrams(const std::vector<qint64>& rows, std::vector<double>* grams, QString* error);

    // Walks the foods' nutrients in rowid order beside a reader of the food table: after
    // beginWalk(), each walkTo() with a rowid above the last gives that row's serving grams and
    // its values of `numbers` (unknown where none).
    bool beginWalk(const QStringList& numbers, QString* error);
    bool walkTo(
        qint64 food, std::optional<double>* servingGrams, std::vector<std::optional<double>>* values, QString* error);

    // The foods richest in a nutrient, found without reading the others. For each nutrient it
    // tracks, the file keeps a threshold (`nutrient_tops`) and a list of foods (`nutrient_top`)
    // that holds every food whose value lies above it, and maybe some that no longer do; a
    // trigger adds a food as its value is written, whichever program writes it. A nutrient is
    // tracked from the moment it has no values in the file; a file kept by an earlier version
    // has its lists made when an import next ends.
    struct TopFood
    {
        qint64 food = 0;
        QString name;
        double value = 0;
    };
    // The foods whose value of `number` lies above its threshold, their names and values in no
    // order, each still bearing the name its values were written under; `*tracked` false when
    // the file keeps no list for it.
    bool readTop(const QString& number, std::vector<TopFood>* foods, bool* tracked, QString* error);
    // Many values written at once (an import, the starter foods): the trigger is set aside, and
    // endBulk() settles the lists from what replace() was given, in the same transaction.
    bool beginBulk(QString* error);
    bool endBulk(QString* error);
    // Makes every list afresh from every value in the file, in one pass.
    bool rebuildTops(QString* error);
    // How many foods a list keeps above its threshold once settled.
    static constexpr std::size_t TopKept = 300;

    // Marks that something was done to the file once (the starter foods given their nutrients),
    // and tells whether it was.
    bool isMarked(const QString& mark, bool* marked, QString* error);
    bool setMark(const QString& mark, QString* error);

private:
    bool fail(QString* error) const;
    SqliteStatement* statement(const char* sql, QString* error);
    // The catalogue's nutrient ids by number, read once per object.
    bool nutrientIds(QString* error);
    // The id of `number`, none when the catalogue lacks it. A number written as a plain integer,
    // as nearly all are, is found by its value: an import looks up tens of millions of them, and
    // a string's hash costs many times an integer's.
    std::optional<qint64> idOf(const QString& number) const;
    // Keeps the name the row bears now beside its serving grams, dropping the values kept under
    // another name.
    bool claimRow(qint64 food, QString* error);
    // Makes the triggers that keep the lists of richest foods where they are missing, and then
    // no list is trusted; nothing while many values are written at once.
    bool ensureTopTriggers(QString* error);
    // Whether the first column of the first row of `sql` is `count`.
    bool countIs(const char* sql, qint64 count, bool* is, QString* error);
    // Whether the file keeps the lists of richest foods.
    bool topTablesExist(bool* exist, QString* error);
    // The largest values met of one nutrient, the least first (a heap), and how many were met.
    struct TopHeap
    {
        std::vector<std::pair<double, qint64>> entries;
        std::size_t met = 0;
        void offer(double value, qint64 food);
    };
    // Lowers nothing: raises the threshold of `nutrient` to at least `above` and to the
    // TopKept-th value of its list, adds `heap`'s foods above it and drops from the list the foods
    // no longer above it.
    bool settleTop(qint64 nutrient, double above, const TopHeap& heap, QString* error);

    SqliteConnection& m_connection;
    SqliteStatementCache m_statements;
    std::optional<QHash<QString, qint64>> m_ids;
    QHash<qint64, qint64> m_idsOfIntegers;
    std::unique_ptr<SqliteStatement> m_walk;
    QHash<qint64, std::vector<std::size_t>> m_walkColumns;
    std::size_t m_walkWidth = 0;
    bool m_walkOnRow = false;
    // While many values are written at once: the largest met of each nutrient, by id.
    std::optional<std::unordered_map<qint64, TopHeap>> m_bulk;
};

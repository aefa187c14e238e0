#pragma once

#include "core/nutrients/FoodNutrients.h"
#include "core/recipes/Recipe.h"

#include "core/sqlite/SqliteStatementCache.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class NutrientTables;
class SqliteConnection;
class SqliteStatement;

// A recipe's nutrients beyond the ten fields, worked out from what its ingredients keep: per
// serving, the sum over each ingredient's food rows of the quantity times the row's value. Where
// an ingredient matches no food row, or one of its rows does not know a nutrient or knows only
// part of it, the recipe keeps the partial sum with a mark in `food_nutrient_gaps`, a table made
// when first needed whose rows a trigger drops with their food; a nutrient none of its rows knows
// stays unknown. A mark counts only on a row that is still its recipe's own.
//
// Like RecipeTables it never begins or ends a transaction.
class RecipeNutrients
{
public:
    // Which nutrients a recompute works out: every one, or only `numbers` and, with
    // `servingGrams`, the grams of a serving, as an edit of one food's nutrients changes them.
    struct Scope
    {
        bool everything = true;
        QSet<QString> numbers;
        bool servingGrams = false;

        static Scope nothing() { return { false, {}, false }; }
        bool isEmpty() const { return !everything && numbers.isEmpty() && !servingGrams; }
    };

    explicit RecipeNutrients(SqliteConnection& connection);
    ~RecipeNutrients();
    RecipeNutrients(const RecipeNutrients&) = delete;
    RecipeNutrients& operator=(const RecipeNutrients&) = delete;

    // Works out `scope` of `recipe`'s nutrients from the table as it stands and writes them to
    // its own row `rowid`; nothing in a file whose foods keep no nutrients.
    bool write(const Recipe& recipe, qint64 rowid, const Scope& scope, QString* error);
    // Reads what `scope` needs of the rows of all these names not read yet, as write() would one
    // name at a time: the names in the order of their index, then the values and marks in table
    // order a few hundred rows a query, so that the ingredients of a thousand recipes cost a few
    // hundred statements instead of tens of thousands.
    bool prefetch(const QStringList& names, const Scope& scope, QString* error);
    // What was read of the rows of `name` is read again when next needed.
    void forget(const QString& name);
    void forgetAll();

    // Adds to `nutrients` (read for row `rowid`) the numbers whose value is a partial sum.
    static bool readIncomplete(SqliteConnection& connection, qint64 rowid, FoodNutrients* nutrients, QString* error);

private:
    // What one food row keeps, by the catalogue's ids in ascending order.
    struct Row
    {
        bool kept = false;
        std::optional<double> grams;
        std::vector<std::pair<qint64, double>> values;
        std::vector<qint64> gaps;
    };
    struct Rows
    {
        bool everything = false;
        QSet<qint64> ids;
        std::vector<Row> rows;
    };

    bool fail(QString* error) const;
    SqliteStatement* statement(const char* sql, QString* error);
    bool prepare(QString* error);
    const std::vector<Row>* rowsNamed(const QString& name, const Scope& scope, QString* error);
    bool isRead(const QString& name, const Scope& scope, const QSet<qint64>& wanted) const;
    QSet<qint64> wantedIds(const Scope& scope) const;
    // Reads the food rows of `name` (their rowids, whether they keep nutrients, serving grams).
    bool readRows(const QString& name, std::vector<std::pair<qint64, Row>>* found, QString* error);
    bool writeGaps(qint64 rowid, const Scope& scope, const std::vector<qint64>& gaps, QString* error);

    SqliteConnection& m_connection;
    std::unique_ptr<NutrientTables> m_tables;
    SqliteStatementCache m_statements;
    // Known once per object: whether the file keeps nutrients and marks, and the catalogue's ids.
    std::optional<bool> m_kept;
    std::optional<bool> m_gapsExist;
    QHash<QString, qint64> m_ids;
    QHash<qint64, QString> m_numbers;
    QHash<QString, Rows> m_rows;
};

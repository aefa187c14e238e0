#pragma once

#include "core/foods/FoodLookup.h"

#include <QCoreApplication>
#include <QHash>

#include <memory>
#include <utility>
#include <vector>

class FoodDatabase;
class KeptNutrientCache;
class SqliteStatement;
class SqliteTransaction;

// Looks names up through the food table's index on FOOD, so a calculation costs a few thousand
// index probes instead of a scan of the whole table per planned food. Each distinct name is read
// once while the cache holds it; the cache lives as long as this object, which is meant to be one
// calculation, and is emptied when it grows beyond what any plan names.
class IndexedFoodLookup : public FoodLookup
{
    Q_DECLARE_TR_FUNCTIONS(IndexedFoodLookup)

public:
    // `kept`, where given, holds the kept nutrients of earlier lookups of the same table, which
    // this one uses while the table is unchanged and adds to.
    explicit IndexedFoodLookup(const FoodDatabase& foods, std::shared_ptr<KeptNutrientCache> kept = nullptr);
    ~IndexedFoodLookup() override;
    IndexedFoodLookup(const IndexedFoodLookup&) = delete;
    IndexedFoodLookup& operator=(const IndexedFoodLookup&) = delete;

    const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error) override;
    // Reads the rows of all names not yet known in a few queries of many names each.
    bool prefetch(const QStringList& names, QString* error) override;

    // The kept nutrients come with the rows, a few hundred foods a query, read in rowid order.
    bool includeNutrients(QString* error) override;
    const QStringList& nutrientNumbers() const override { return m_numbers; }
    const std::vector<KeptNutrients>* nutrientsNamed(const QString& name, QString* error) override;

private:
    bool beginReading(QString* error);
    bool prepareQueries(QString* error);
    // Reads the rows of `names`, none of them known yet, into the cache, adding each row's rowid,
    // name and place among the name's rows to `kept` for its nutrients.
    bool readNames(const QStringList& names, std::vector<std::pair<qint64, std::pair<QString, std::size_t>>>* kept,
        QString* error);
    bool prepareNutrients(QString* error);
    // The statements that read nutrients, prepared only once some are not kept.
    bool prepareNutrientQueries(QString* error);
    // Fills in the kept nutrients of each row (by rowid), all unknown to begin with.
    bool readNutrients(std::vector<std::pair<qint64, KeptNutrients*>>& rows, QString* error);
    bool readNutrientRows(std::vector<std::pair<qint64, KeptNutrients*>>& rows, QString* error);
    KeptNutrients unknownNutrients() const;
    bool fail(QString* error) const;

    const FoodDatabase& m_foods;
    // All lookups of one calculation read one snapshot of the table under one read lock; without
    // it SQLite takes and drops the file lock for every single lookup.
    std::unique_ptr<SqliteTransaction> m_reading;
    // Prepared once: preparing a statement costs more than running it.
    std::unique_ptr<SqliteStatement> m_query;
    std::unique_ptr<SqliteStatement> m_batchQuery;
    QHash<QString, std::vector<Nutrients>> m_cache;

    bool m_withNutrients = false;
    bool m_nutrientsPrepared = false;
    QStringList m_numbers;
    // The slot of each nutrient id of the file's catalogue, -1 for none.
    std::vector<int> m_slotOfId;
    // Whether the file holds nutrients at all.
    bool m_nutrientTables = false;
    std::unique_ptr<SqliteStatement> m_nutrientQuery;
    std::unique_ptr<SqliteStatement> m_gapQuery;
    QHash<QString, std::vector<KeptNutrients>> m_nutrientCache;
    std::shared_ptr<KeptNutrientCache> m_kept;
};

#include "core/foods/IndexedFoodLookup.h"

#include "core/foods/FoodDatabase.h"
#include "core/foods/KeptNutrientCache.h"
#include "core/foods/StoredText.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/nutrients/NutrientTables.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Names per batch query; well below SQLite's smallest limit on parameters (999).
constexpr int kBatchSize = 400;
// The most names the cache keeps: a plan names a few hundred foods, while a hostile file of
// millions of distinct names must not keep them all.
constexpr qsizetype kMaxCachedNames = 20000;

QString nutrientList()
{
    return FoodDatabase::nutrientFieldNames().join(QStringLiteral(", "));
}

} // namespace

IndexedFoodLookup::IndexedFoodLookup(const FoodDatabase& foods, std::shared_ptr<KeptNutrientCache> kept)
    : m_foods(foods)
    , m_kept(std::move(kept))
{ }

IndexedFoodLookup::~IndexedFoodLookup()
{
    // The statements go before the read transaction ends.
    m_query.reset();
    m_batchQuery.reset();
    m_nutrientQuery.reset();
    m_gapQuery.reset();
    m_reading.reset();
}

bool IndexedFoodLookup::fail(QString* error) const
{
    if (error) {
        *error = QStringLiteral("%1: %2").arg(m_foods.path(), m_foods.connection().message());
    }
    return false;
}

bool IndexedFoodLookup::beginReading(QString* error)
{
    if (m_reading) {
        return true;
    }
    if (!m_foods.isOpen()) {
        if (error) {
            *error = tr("The food table is not open.");
        }
        return false;
    }
    // A table already inside someone else's transaction is simply read within it.
    m_reading = std::make_unique<SqliteTransaction>(m_foods.connection());
    m_reading->beginRead();
    // Checked inside this lookup's read transaction, before any row is read.
    QString reason;
    if (m_kept && !m_kept->checkFile(m_foods.connection(), &reason)) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
        }
        return false;
    }
    return !m_withNutrients || prepareNutrients(error);
}

bool IndexedFoodLookup::prepareQueries(QString* error)
{
    if (m_query) {
        return true;
    }
    sqlite3* db = m_foods.connection().handle();
    // Each name is asked for as the program writes it and as the Windows-1252 bytes an older tool
    // may have stored for it (bound as a blob, cast to text), so both rows count.
    auto query = std::make_unique<SqliteStatement>(db,
        QStringLiteral("SELECT %1, rowid FROM foods WHERE FOOD IN (?, CAST(? AS TEXT)) ORDER BY rowid")
            .arg(nutrientList())
            .toUtf8());
    if (!query->isPrepared()) {
        return fail(error);
    }
    QStringList marks;
    for (int i = 0; i < kBatchSize; ++i) {
        marks.append(QStringLiteral("CAST(? AS TEXT)"));
    }
    m_batchQuery = std::make_unique<SqliteStatement>(db,
        QStringLiteral("SELECT CAST(FOOD AS BLOB), %1, rowid FROM foods WHERE FOOD IN (%2) ORDER BY rowid")
            .arg(nutrientList(), marks.join(QLatin1Char(',')))
            .toUtf8());
    if (!m_batchQuery->isPrepared()) {
        m_batchQuery.reset();
        return fail(error);
    }
    m_query = std::move(query);
    return true;
}

const std::vector<FoodLookup::Nutrients>* IndexedFoodLookup::rowsNamed(const QString& name, QString* error)
{
    auto found = m_cache.find(name);
    if (found != m_cache.end()) {
        return &found.value();
    }
    if (!beginReading(error) || !prepareQueries(error)) {
        return nullptr;
    }
    std::vector<Nutrients> rows;
    // The empty name also matches names stored as NULL; the food table knows how to ask for that.
    // It names no planned food, so its nutrients are not read.
    if (name.isEmpty()) {
        if (!m_foods.nutrientsOf(name, &rows, error)) {
            return nullptr;
        }
        if (m_withNutrients) {
            m_nutrientCache.insert(name, std::vector<KeptNutrients>(rows.size(), unknownNutrients()));
        }
        return &m_cache.insert(name, std::move(rows)).value();
    }
    std::vector<qint64> rowids;
    SqliteStatement& query = m_query->restart();
    query.bindText(1, name);
    const QByteArray legacy = StoredText::windows1252Bytes(name);
    if (legacy.isEmpty()) {
        query.bindNull(2);
    } else {
        query.bindBlob(2, legacy);
    }
    while (query.next()) {
        Nutrients values {};
        for (std::size_t n = 0; n < values.size(); ++n) {
            values[n] = FoodDatabase::nutrientValue(query, static_cast<int>(n));
        }
        rows.push_back(values);
        rowids.push_back(query.int64(static_cast<int>(FoodFields::NutrientCount)));
    }
    if (query.failed()) {
        fail(error);
        return nullptr;
    }
    if (m_withNutrients) {
        std::vector<KeptNutrients>& kept = m_nutrientCache[name];
        kept.assign(rowids.size(), unknownNutrients());
        std::vector<std::pair<qint64, KeptNutrients*>> targets;
        for (std::size_t r = 0; r < rowids.size(); ++r) {
            targets.emplace_back(rowids[r], &kept[r]);
        }
        if (!readNutrients(targets, error)) {
            return nullptr;
        }
    }
    return &m_cache.insert(name, std::move(rows)).value();
}

bool IndexedFoodLookup::prefetch(const QStringList& names, QString* error)
{
    // Emptied before the names of this batch go in, so that those stay known until the next batch.
    if (m_cache.size() + names.size() > kMaxCachedNames) {
        m_cache.clear();
        m_nutrientCache.clear();
    }
    // Each name new to this lookup takes its place at once; a name planned twice is asked for once.
    m_cache.reserve(m_cache.size() + names.size());
    QStringList wanted;
    for (const QString& name : names) {
        if (!name.isEmpty() && !m_cache.contains(name)) {
            m_cache.insert(name, {});
            wanted.append(name);
        }
    }
    if (wanted.isEmpty()) {
        return true;
    }
    if (!beginReading(error)) {
        // A lookup that could not read the table knows none of them.
        for (const QString& name : wanted) {
            m_cache.remove(name);
        }
        return false;
    }
    // Each row's rowid, name and place among the name's rows, for its nutrients.
    std::vector<std::pair<qint64, std::pair<QString, std::size_t>>> kept;
    // Names an earlier calculation of the same state of the file found are not asked for again.
    QStringList unread;
    for (const QString& name : wanted) {
        const KeptNutrientCache::NamedRows* known = m_kept ? m_kept->findName(name) : nullptr;
        // Names that match nothing are known too: they add nothing.
        if (!known) {
            unread.append(name);
            continue;
        }
        m_cache[name] = known->values;
        if (m_withNutrients) {
            for (std::size_t r = 0; r < known->rowids.size(); ++r) {
                kept.push_back({ known->rowids[r], { name, r } });
            }
        }
    }
    if (!unread.isEmpty() && !readNames(unread, &kept, error)) {
        return false;
    }
    if (!m_withNutrients) {
        return true;
    }
    // Every name gets its place first: a hash that grows moves its values.
    m_nutrientCache.reserve(m_nutrientCache.size() + wanted.size());
    for (const QString& name : wanted) {
        m_nutrientCache.insert(name, std::vector<KeptNutrients>(m_cache.value(name).size(), unknownNutrients()));
    }
    std::vector<std::pair<qint64, KeptNutrients*>> targets;
    targets.reserve(kept.size());
    for (const auto& [rowid, place] : kept) {
        targets.emplace_back(rowid, &m_nutrientCache.find(place.first).value()[place.second]);
    }
    return readNutrients(targets, error);
}

bool IndexedFoodLookup::readNames(
    const QStringList& names, std::vector<std::pair<qint64, std::pair<QString, std::size_t>>>* kept, QString* error)
{
    if (!prepareQueries(error)) {
        return false;
    }
    // A name whose Windows-1252 bytes differ from its UTF-8 bytes takes two places, always in one
    // batch, so that its rows still arrive in table order. A name goes as text, its older bytes
    // as a blob.
    std::vector<std::vector<QVariant>> batches(1);
    for (const QString& name : names) {
        const QByteArray legacy = StoredText::windows1252Bytes(name);
        const std::size_t places = legacy.isEmpty() ? 1 : 2;
        if (batches.back().size() + places > std::size_t(kBatchSize)) {
            batches.emplace_back();
        }
        batches.back().emplace_back(name);
        if (!legacy.isEmpty()) {
            batches.back().emplace_back(legacy);
        }
    }
    // The rowids of each name's rows, to keep for the next calculation.
    QHash<QString, std::vector<qint64>> rowids;
    QString buffer;
    for (const std::vector<QVariant>& batch : batches) {
        // A short batch is filled up with NULL, which matches no name.
        SqliteStatement& query = m_batchQuery->restart();
        for (std::size_t i = 0; i < batch.size(); ++i) {
            query.bindValue(static_cast<int>(i) + 1, batch[i]);
        }
        // Rows arrive in table order, so each name's rows keep that order.
        while (query.next()) {
            auto target = m_cache.find(StoredText::decoded(query.blob(0), &buffer).toString());
            if (target == m_cache.end()) {
                continue;
            }
            Nutrients values {};
            for (std::size_t n = 0; n < values.size(); ++n) {
                values[n] = FoodDatabase::nutrientValue(query, static_cast<int>(n) + 1);
            }
            target.value().push_back(values);
            const qint64 rowid = query.int64(static_cast<int>(FoodFields::NutrientCount) + 1);
            if (m_kept) {
                rowids[target.key()].push_back(rowid);
            }
            if (m_withNutrients) {
                kept->push_back({ rowid, { target.key(), target.value().size() - 1 } });
            }
        }
        if (query.failed()) {
            return fail(error);
        }
    }
    if (m_kept) {
        for (const QString& name : names) {
            m_kept->insertName(name, { m_cache.value(name), rowids.value(name) });
        }
    }
    return true;
}

FoodLookup::KeptNutrients IndexedFoodLookup::unknownNutrients() const
{
    return { std::vector<double>(std::size_t(m_numbers.size()), std::numeric_limits<double>::quiet_NaN()), {} };
}

bool IndexedFoodLookup::includeNutrients(QString* error)
{
    if (m_withNutrients) {
        return true;
    }
    // Rows read so far came without their nutrients.
    m_withNutrients = true;
    m_cache.clear();
    return beginReading(error) && prepareNutrients(error);
}

bool IndexedFoodLookup::prepareNutrients(QString* error)
{
    if (m_nutrientsPrepared) {
        return true;
    }
    NutrientTables tables(m_foods.connection());
    NutrientCatalogue catalogue;
    bool exist = false;
    QString reason;
    if (!tables.exist(&exist, &reason) || !tables.readCatalogue(&catalogue, &reason)) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
        }
        return false;
    }
    m_numbers.clear();
    for (const Nutrient& nutrient : catalogue.nutrients()) {
        m_numbers.append(nutrient.number);
    }
    // Checked inside this lookup's read transaction, before any row is read.
    if (m_kept && !m_kept->check(m_foods.connection(), m_numbers, &reason)) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
        }
        return false;
    }
    m_nutrientsPrepared = true;
    if (!exist) {
        return true;
    }
    QHash<QString, qint64> ids;
    if (!tables.ids(&ids, &reason)) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
        }
        return false;
    }
    for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
        if (it.value() < 0 || it.value() > 1000000) {
            continue;
        }
        if (m_slotOfId.size() <= std::size_t(it.value())) {
            m_slotOfId.resize(std::size_t(it.value()) + 1, -1);
        }
        m_slotOfId[std::size_t(it.value())] = int(m_numbers.indexOf(it.key()));
    }
    m_nutrientTables = true;
    // Rows kept in this state of the file were read by these statements, so they prepare as they
    // did then and wait until a row is not kept; else a file they cannot be asked of stops the
    // calculation here, before any row is read.
    return (m_kept && m_kept->size() > 0) || prepareNutrientQueries(error);
}

bool IndexedFoodLookup::prepareNutrientQueries(QString* error)
{
    if (m_nutrientQuery) {
        return true;
    }
    sqlite3* db = m_foods.connection().handle();
    QStringList marks;
    for (int i = 0; i < kBatchSize; ++i) {
        marks.append(QStringLiteral("?"));
    }
    // A food's values count only while its row bears the name they were written under.
    m_nutrientQuery = std::make_unique<SqliteStatement>(db,
        QStringLiteral("SELECT s.food, n.nutrient, n.value FROM food_servings s "
                       "JOIN foods f ON f.rowid = s.food AND f.FOOD IS s.name "
                       "JOIN food_nutrients n ON n.food = s.food WHERE s.food IN (%1)")
            .arg(marks.join(QLatin1Char(',')))
            .toUtf8());
    if (!m_nutrientQuery->isPrepared()) {
        m_nutrientQuery.reset();
        return fail(error);
    }
    SqliteStatement gaps(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'food_nutrient_gaps'");
    if (!gaps.isPrepared()) {
        return fail(error);
    }
    if (gaps.next()) {
        // A recipe's partial sums are marked; a mark counts only on a row that is still its recipe's.
        m_gapQuery = std::make_unique<SqliteStatement>(db,
            QStringLiteral("SELECT g.food, g.nutrient FROM food_nutrient_gaps g "
                           "JOIN recipes r ON r.food_rowid = g.food JOIN foods f ON f.rowid = g.food "
                           "AND f.FOOD IS r.name WHERE g.food IN (%1)")
                .arg(marks.join(QLatin1Char(',')))
                .toUtf8());
        if (!m_gapQuery->isPrepared()) {
            m_gapQuery.reset();
            return fail(error);
        }
    }
    return !gaps.failed() || fail(error);
}

bool IndexedFoodLookup::readNutrients(std::vector<std::pair<qint64, KeptNutrients*>>& rows, QString* error)
{
    if (!m_nutrientTables || rows.empty()) {
        return true;
    }
    // Rows an earlier lookup read of the same state of the file are copied; the others are read
    // and kept for the next.
    if (m_kept) {
        std::size_t unread = 0;
        for (const auto& row : rows) {
            if (const KeptNutrients* known = m_kept->find(row.first)) {
                *row.second = *known;
            } else {
                rows[unread++] = row;
            }
        }
        rows.resize(unread);
    }
    if (!readNutrientRows(rows, error)) {
        return false;
    }
    if (m_kept) {
        for (const auto& [rowid, kept] : rows) {
            m_kept->insert(rowid, *kept);
        }
    }
    return true;
}

bool IndexedFoodLookup::readNutrientRows(std::vector<std::pair<qint64, KeptNutrients*>>& rows, QString* error)
{
    if (rows.empty()) {
        return true;
    }
    if (!prepareNutrientQueries(error)) {
        return false;
    }
    // In rowid order the values of neighbouring foods share their pages.
    std::sort(rows.begin(), rows.end());
    auto slotOf = [this](qint64 id) {
        return id >= 0 && std::size_t(id) < m_slotOfId.size() ? m_slotOfId[std::size_t(id)] : -1;
    };
    for (std::size_t first = 0; first < rows.size(); first += kBatchSize) {
        const std::size_t end = std::min(rows.size(), first + std::size_t(kBatchSize));
        auto targetOf = [&](qint64 rowid) -> KeptNutrients* {
            const auto found
                = std::lower_bound(rows.begin() + std::ptrdiff_t(first), rows.begin() + std::ptrdiff_t(end), rowid,
                    [](const std::pair<qint64, KeptNutrients*>& row, qint64 wanted) { return row.first < wanted; });
            return found != rows.begin() + std::ptrdiff_t(end) && found->first == rowid ? found->second : nullptr;
        };
        for (SqliteStatement* statement : { m_nutrientQuery.get(), m_gapQuery.get() }) {
            if (!statement) {
                continue;
            }
            SqliteStatement& query = statement->restart();
            for (int i = 0; i < kBatchSize; ++i) {
                const std::size_t r = first + std::size_t(i);
                if (r < end) {
                    query.bindInt64(i + 1, rows[r].first);
                } else {
                    query.bindNull(i + 1);
                }
            }
            const bool values = statement == m_nutrientQuery.get();
            KeptNutrients* target = nullptr;
            qint64 targetRow = -1;
            while (query.next()) {
                const qint64 rowid = query.int64(0);
                if (rowid != targetRow) {
                    targetRow = rowid;
                    target = targetOf(rowid);
                }
                const int slot = slotOf(query.int64(1));
                if (!target || slot < 0) {
                    continue;
                }
                if (values) {
                    target->values[std::size_t(slot)] = query.real(2);
                } else if (!std::isnan(target->values[std::size_t(slot)])) {
                    target->incomplete.push_back(slot);
                }
            }
            if (query.failed()) {
                return fail(error);
            }
        }
    }
    return true;
}

const std::vector<FoodLookup::KeptNutrients>* IndexedFoodLookup::nutrientsNamed(const QString& name, QString* error)
{
    auto found = m_nutrientCache.find(name);
    if (found == m_nutrientCache.end()) {
        // Read with the ten fields; a name read before nutrients were asked for is read again.
        m_cache.remove(name);
        if (!includeNutrients(error) || !rowsNamed(name, error)) {
            return nullptr;
        }
        found = m_nutrientCache.find(name);
        if (found == m_nutrientCache.end()) {
            found = m_nutrientCache.insert(name, {});
        }
    }
    return &found.value();
}

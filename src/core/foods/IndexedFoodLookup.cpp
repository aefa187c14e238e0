#include "core/foods/IndexedFoodLookup.h"

#include "core/foods/FoodDatabase.h"
#include "core/foods/StoredText.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"

#include <QSet>

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

IndexedFoodLookup::IndexedFoodLookup(const FoodDatabase& foods)
    : m_foods(foods)
{ }

IndexedFoodLookup::~IndexedFoodLookup()
{
    // The statements go before the read transaction ends.
    m_query.reset();
    m_batchQuery.reset();
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
    if (m_query) {
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
    sqlite3* db = m_foods.connection().handle();
    // Each name is asked for as the program writes it and as the Windows-1252 bytes an older tool
    // may have stored for it (bound as a blob, cast to text), so both rows count.
    auto query = std::make_unique<SqliteStatement>(db,
        QStringLiteral("SELECT %1 FROM foods WHERE FOOD IN (?, CAST(? AS TEXT)) ORDER BY rowid")
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
        QStringLiteral("SELECT CAST(FOOD AS BLOB), %1 FROM foods WHERE FOOD IN (%2) ORDER BY rowid")
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
    if (!beginReading(error)) {
        return nullptr;
    }
    std::vector<Nutrients> rows;
    // The empty name also matches names stored as NULL; the food table knows how to ask for that.
    if (name.isEmpty()) {
        if (!m_foods.nutrientsOf(name, &rows, error)) {
            return nullptr;
        }
        return &m_cache.insert(name, std::move(rows)).value();
    }
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
    }
    if (query.failed()) {
        fail(error);
        return nullptr;
    }
    return &m_cache.insert(name, std::move(rows)).value();
}

bool IndexedFoodLookup::prefetch(const QStringList& names, QString* error)
{
    // Emptied before the names of this batch go in, so that those stay known until the next batch.
    if (m_cache.size() + names.size() > kMaxCachedNames) {
        m_cache.clear();
    }
    QStringList wanted;
    QSet<QString> seen;
    for (const QString& name : names) {
        if (!name.isEmpty() && !m_cache.contains(name) && !seen.contains(name)) {
            seen.insert(name);
            wanted.append(name);
        }
    }
    if (wanted.isEmpty()) {
        return true;
    }
    if (!beginReading(error)) {
        return false;
    }
    for (const QString& name : wanted) {
        // Names that match nothing are known too: they add nothing.
        m_cache.insert(name, {});
    }
    // A name whose Windows-1252 bytes differ from its UTF-8 bytes takes two places, always in one
    // batch, so that its rows still arrive in table order. A name goes as text, its older bytes
    // as a blob.
    std::vector<std::vector<QVariant>> batches(1);
    for (const QString& name : wanted) {
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
        }
        if (query.failed()) {
            return fail(error);
        }
    }
    return true;
}

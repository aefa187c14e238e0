#include "core/foods/KeptNutrientCache.h"

#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <sqlite3.h>

namespace {

// A plan names a few thousand foods at most; 73 values a row, this bounds the cache near 13 MB.
constexpr std::size_t kMaxRows = 20000;

bool pragmaValue(sqlite3* db, const char* sql, qint64* value)
{
    SqliteStatement query(db, sql);
    if (!query.isPrepared() || !query.next()) {
        return false;
    }
    *value = query.int64(0);
    return true;
}

} // namespace

bool KeptNutrientCache::check(SqliteConnection& connection, const QStringList& numbers, QString* error)
{
    State now;
    now.connection = connection.handle();
    now.numbers = numbers;
    // The count of changes is taken first: a write of this connection after it only makes the
    // next check fail.
    now.changes = sqlite3_total_changes64(now.connection);
    if (!pragmaValue(now.connection, "PRAGMA data_version", &now.dataVersion)
        || !pragmaValue(now.connection, "PRAGMA schema_version", &now.schemaVersion)) {
        clear();
        if (error) {
            *error = connection.problem();
        }
        return false;
    }
    if (m_state != now) {
        m_rows.clear();
        m_state = std::move(now);
    }
    return true;
}

const FoodLookup::KeptNutrients* KeptNutrientCache::find(qint64 rowid) const
{
    const auto found = m_rows.find(rowid);
    return found != m_rows.end() ? &found->second : nullptr;
}

void KeptNutrientCache::insert(qint64 rowid, const FoodLookup::KeptNutrients& nutrients)
{
    if (!m_state) {
        return;
    }
    if (m_rows.size() >= kMaxRows) {
        m_rows.clear();
    }
    m_rows.insert_or_assign(rowid, nutrients);
}

void KeptNutrientCache::clear()
{
    m_rows.clear();
    m_state.reset();
}

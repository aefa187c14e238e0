#include "core/foods/KeptNutrientCache.h"

#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <sqlite3.h>

namespace {

// A plan names a few thousand foods at most; 73 values a row, this bounds the cache near 13 MB.
constexpr std::size_t kMaxRows = 20000;
// Nine values and a rowid a row: a few hundred bytes a name.
constexpr qsizetype kMaxNames = 20000;

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

bool KeptNutrientCache::readState(SqliteConnection& connection, State* now, QString* error)
{
    now->connection = connection.handle();
    // The count of changes is taken first: a write of this connection after it only makes the
    // next check fail.
    now->changes = sqlite3_total_changes64(now->connection);
    if (!pragmaValue(now->connection, "PRAGMA data_version", &now->dataVersion)
        || !pragmaValue(now->connection, "PRAGMA schema_version", &now->schemaVersion)) {
        clear();
        if (error) {
            *error = connection.problem();
        }
        return false;
    }
    return true;
}

bool KeptNutrientCache::checkFile(SqliteConnection& connection, QString* error)
{
    State now;
    if (!readState(connection, &now, error)) {
        return false;
    }
    if (m_state) {
        now.numbers = m_state->numbers;
    }
    if (m_state != now) {
        m_rows.clear();
        m_names.clear();
        m_state = std::move(now);
    }
    return true;
}

bool KeptNutrientCache::check(SqliteConnection& connection, const QStringList& numbers, QString* error)
{
    if (!checkFile(connection, error)) {
        return false;
    }
    if (m_state->numbers != numbers) {
        m_rows.clear();
        m_state->numbers = numbers;
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

const KeptNutrientCache::NamedRows* KeptNutrientCache::findName(const QString& name) const
{
    const auto found = m_names.constFind(name);
    return found != m_names.cend() ? &found.value() : nullptr;
}

void KeptNutrientCache::insertName(const QString& name, NamedRows rows)
{
    if (!m_state) {
        return;
    }
    if (m_names.size() >= kMaxNames) {
        m_names.clear();
    }
    m_names.insert(name, std::move(rows));
}

void KeptNutrientCache::clear()
{
    m_rows.clear();
    m_names.clear();
    m_state.reset();
}

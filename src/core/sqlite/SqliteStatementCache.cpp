#include "core/sqlite/SqliteStatementCache.h"

#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

SqliteStatementCache::SqliteStatementCache(SqliteConnection& connection)
    : m_connection(connection)
{ }

SqliteStatementCache::~SqliteStatementCache() = default;

SqliteStatement* SqliteStatementCache::statement(const char* sql, QString* error)
{
    if (m_connection.isOpen()) {
        std::unique_ptr<SqliteStatement>& cached = m_statements[sql];
        if (cached) {
            return &cached->restart();
        }
        cached = std::make_unique<SqliteStatement>(m_connection.handle(), sql);
        if (cached->isPrepared()) {
            return cached.get();
        }
        m_statements.erase(sql);
    }
    if (error) {
        *error = m_connection.problem();
    }
    return nullptr;
}

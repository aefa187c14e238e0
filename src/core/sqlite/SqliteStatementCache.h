#pragma once

#include <QString>

#include <memory>
#include <unordered_map>

class SqliteConnection;
class SqliteStatement;

// The statements one piece of code runs again and again on a connection, each prepared once and
// restarted on every later use. Keyed by the SQL text's address: callers pass string literals.
class SqliteStatementCache
{
public:
    explicit SqliteStatementCache(SqliteConnection& connection);
    ~SqliteStatementCache();

    // The statement of `sql`, ready to bind; null, with the connection's problem in `error`, when
    // the connection is closed or the SQL cannot be prepared.
    SqliteStatement* statement(const char* sql, QString* error);

private:
    SqliteConnection& m_connection;
    std::unordered_map<const char*, std::unique_ptr<SqliteStatement>> m_statements;
};

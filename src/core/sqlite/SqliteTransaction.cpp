#include "core/sqlite/SqliteTransaction.h"

#include "core/sqlite/SqliteConnection.h"

SqliteTransaction::SqliteTransaction(SqliteConnection& connection)
    : m_connection(connection)
{ }

SqliteTransaction::~SqliteTransaction()
{
    rollback();
}

bool SqliteTransaction::failed(QString* problem) const
{
    if (problem) {
        *problem = m_connection.problem();
    }
    return false;
}

bool SqliteTransaction::begin(const char* sql, QString* problem)
{
    m_open = m_connection.execute(sql);
    return m_open || failed(problem);
}

bool SqliteTransaction::beginWrite(QString* problem)
{
    return begin("BEGIN IMMEDIATE", problem);
}

bool SqliteTransaction::beginRead(QString* problem)
{
    return m_connection.inTransaction() || begin("BEGIN", problem);
}

bool SqliteTransaction::commit(QString* problem)
{
    if (!m_connection.execute("COMMIT")) {
        return failed(problem);
    }
    m_open = false;
    return true;
}

void SqliteTransaction::rollback()
{
    if (m_open) {
        m_connection.execute("ROLLBACK");
        m_open = false;
    }
}

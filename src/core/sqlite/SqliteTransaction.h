#pragma once

#include <QString>

class SqliteConnection;

// One transaction on a connection, rolled back when it goes unless it was committed. A failure
// puts what it means to the user in `problem` when given (SqliteConnection::problem()); the
// connection keeps SQLite's own message too.
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteConnection& connection);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // An immediate transaction takes the write lock at once, so that nothing another program
    // writes can come between the checks and the writes made in it.
    bool beginWrite(QString* problem = nullptr);
    // A read joins a transaction the connection is already in (a totals lookup may hold one)
    // instead of beginning its own; all its reads then see one state of the file.
    bool beginRead(QString* problem = nullptr);
    bool commit(QString* problem = nullptr);
    // Rolls back a transaction this object began; one it joined is left to its owner.
    void rollback();
    bool isOpen() const { return m_open; }

private:
    bool begin(const char* sql, QString* problem);
    bool failed(QString* problem) const;

    SqliteConnection& m_connection;
    bool m_open = false;
};

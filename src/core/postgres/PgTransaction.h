#pragma once

#include <QString>

class PgConnection;

// One transaction on a PostgreSQL connection, rolled back when it goes unless it was committed.
class PgTransaction
{
public:
    explicit PgTransaction(PgConnection& connection)
        : m_connection(connection)
    { }
    ~PgTransaction();
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;

    bool begin(QString* error);
    bool commit(QString* error);
    void rollback();
    bool isOpen() const { return m_open; }

private:
    PgConnection& m_connection;
    bool m_open = false;
};

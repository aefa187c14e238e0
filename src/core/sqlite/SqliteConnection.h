#pragma once

#include <QCoreApplication>
#include <QString>

#include <atomic>

struct sqlite3;

// One connection to an SQLite file through SQLite's own API. It is opened as the food table has
// always been opened: read and write, a cache of its own, extended result codes, and a wait of a
// given time for another program's lock before a statement gives up.
class SqliteConnection
{
    Q_DECLARE_TR_FUNCTIONS(SqliteConnection)

public:
    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens the file at `path`, closing what was open; SQLite's reason in `error` on failure.
    bool open(const QString& path, int busyTimeoutMs, QString* error);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // Runs statements that return no rows, such as a PRAGMA or a schema.
    bool execute(const char* sql);
    void setBusyTimeout(int milliseconds);
    // Once `*stop` is true, a statement running on the connection fails as interrupted within a
    // few thousand steps, and one waiting for another program's lock gives up: another thread
    // ends a long read by setting it. Null stops nothing.
    void stopWhen(const std::atomic<bool>* stop);
    // Whether a transaction is open on the connection.
    bool inTransaction() const;
    qint64 lastInsertRowid() const;
    // The rows the last INSERT, UPDATE or DELETE changed.
    qint64 changes() const;

    // SQLite's own message for the last failure.
    QString message() const;
    // What the last failure means to the user: a file locked by another program or a read-only
    // file is said so in words; anything else in SQLite's.
    QString problem() const;

private:
    void applyStop();

    sqlite3* m_db = nullptr;
    const std::atomic<bool>* m_stop = nullptr;
    int m_busyTimeoutMs = 0;
};

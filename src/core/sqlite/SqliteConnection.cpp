#include "core/sqlite/SqliteConnection.h"

#include <sqlite3.h>

SqliteConnection::~SqliteConnection()
{
    close();
}

bool SqliteConnection::open(const QString& path, int busyTimeoutMs, QString* error)
{
    close();
    // The file is shared with other programs and other connections of this one, each on a thread
    // of its own; a connection is never used by two threads at once.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (error) {
            *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : tr("out of memory");
        }
        sqlite3_close(db);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    m_db = db;
    m_busyTimeoutMs = busyTimeoutMs;
    applyStop();
    return true;
}

void SqliteConnection::close()
{
    // A statement still prepared somewhere keeps the connection until it is finalized.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SqliteConnection::execute(const char* sql)
{
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void SqliteConnection::setBusyTimeout(int milliseconds)
{
    m_busyTimeoutMs = milliseconds;
    applyStop();
}

void SqliteConnection::stopWhen(const std::atomic<bool>* stop)
{
    m_stop = stop;
    applyStop();
}

void SqliteConnection::applyStop()
{
    if (!m_db) {
        return;
    }
    if (!m_stop) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
        return;
    }
    sqlite3_progress_handler(
        m_db, 4000,
        [](void* connection) {
            return static_cast<SqliteConnection*>(connection)->m_stop->load(std::memory_order_relaxed) ? 1 : 0;
        },
        this);
    // The same wait for a lock as the timeout's, in short naps that look at the flag.
    constexpr int kNapMs = 10;
    sqlite3_busy_handler(
        m_db,
        [](void* connection, int naps) {
            const auto* self = static_cast<SqliteConnection*>(connection);
            if (self->m_stop->load(std::memory_order_relaxed) || naps * kNapMs >= self->m_busyTimeoutMs) {
                return 0;
            }
            sqlite3_sleep(kNapMs);
            return 1;
        },
        this);
}

bool SqliteConnection::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

qint64 SqliteConnection::lastInsertRowid() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

qint64 SqliteConnection::changes() const
{
    return m_db ? sqlite3_changes64(m_db) : 0;
}

QString SqliteConnection::message() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : tr("the food table is not open");
}

QString SqliteConnection::problem() const
{
    if (!m_db) {
        return tr("the food table is not open");
    }
    switch (sqlite3_errcode(m_db)) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return tr("another program is writing to the food table; nothing was saved, try again in a moment");
    case SQLITE_READONLY:
        return tr("the food table file is read-only; nothing was saved");
    default:
        return QString::fromUtf8(sqlite3_errmsg(m_db));
    }
}

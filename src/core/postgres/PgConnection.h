#pragma once

#include "core/postgres/PgResult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct pg_conn;

// One connection to a PostgreSQL server through libpq, for a food table kept there instead of in
// an SQLite file. Statements with parameters are prepared once per connection and reused. Every
// failure leaves a short message naming the server as displayName() shows it, never a password,
// and tells whether it was the connection that failed (lostConnection()) or the statement.
class PgConnection
{
    Q_DECLARE_TR_FUNCTIONS(PgConnection)

public:
    // A parameter in text format; nullopt is SQL NULL.
    using Param = std::optional<QByteArray>;
    using Params = std::vector<Param>;
    // A null QString is NULL, as the SQLite helpers bind it; the empty text is a text.
    static Param param(const QString& text);
    static Param param(qint64 value);
    static Param param(int value) { return param(qint64(value)); }
    // NaN is NULL; any other double goes as the shortest text that reads back as the same double,
    // infinities as the server spells them.
    static Param param(double value);
    static Param null() { return std::nullopt; }

    // Whether a food table location names a server: a postgresql:// or postgres:// URI, the
    // scheme in any case.
    static bool isServerLocation(const QString& location);
    // The location as messages and windows show it: without the password, whether it stands in
    // the URI's user information or in a password (or sslpassword) parameter.
    static QString displayName(const QString& location);
    // Reads the location as libpq reads it: false when it cannot; `*password` tells whether it
    // gives a password (or an SSL key's password) of its own.
    static bool readLocation(const QString& location, bool* password);

    PgConnection();
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects to the server the URI names, closing what was open; libpq's own parameters (such as
    // sslmode) pass through. A server that does not answer is given up after ten seconds unless the
    // URI sets connect_timeout. The connection talks UTF-8 and sends doubles exactly.
    bool open(const QString& location, QString* error);
    // Connected, and the connection is not broken.
    bool isOpen() const;
    void close();
    QString location() const { return m_location; }

    // Runs statements without parameters (several may be separated by semicolons).
    bool execute(const char* sql, QString* error);
    // Runs one statement with parameters $1..$n, prepared on first use and then reused; its rows
    // in `result` when given.
    bool query(const char* sql, const Params& params, PgResult* result, QString* error);
    bool query(const QString& sql, const Params& params, PgResult* result, QString* error);

    bool begin(QString* error);
    // A transaction that failed part-way is rolled back by the server on COMMIT: that is a failure.
    bool commit(QString* error);
    // Rolls back the transaction open on the connection, if any.
    void rollback();
    bool inTransaction() const;

    // COPY ... FROM STDIN in text format: start it, put the rows, then finish it (or abort it,
    // which leaves nothing of the rows put). Rows are sent in large chunks.
    bool copyStart(const char* sql, QString* error);
    bool copyRow(const Params& fields, QString* error);
    bool copyFinish(QString* error);
    void copyAbort();

    // Channels listened to are listened to again after reconnect().
    bool listen(const QString& channel, QString* error);
    bool notify(const QString& channel, const QString& payload, QString* error);
    // The connection's socket, to watch for notifications with a QSocketNotifier; -1 when closed.
    // It changes with reconnect(), and a notifier on the old one must be made again.
    int socket() const;
    struct Notification
    {
        QString channel;
        QString payload;
        int backendPid = 0;
    };
    // Reads what the server sent and hands out the notifications received since the last call,
    // in the order they were sent.
    std::vector<Notification> takeNotifications(QString* error);
    int backendPid() const;

    // Whether the last failure was the connection itself (the server gone, the network lost, the
    // server process ended) rather than the statement.
    bool lostConnection() const { return m_lost; }
    // Tries once to connect again to the same server; statements are prepared afresh.
    bool reconnect(QString* error);
    // The SQLSTATE of the last failed statement ("40001", "25006", "23505"...); empty when none.
    QByteArray lastSqlState() const { return m_sqlState; }

private:
    bool connected(QString* error);
    bool setUp(QString* error);
    bool run(const QByteArray& sql, const Params& params, PgResult* result, QString* error);
    bool checked(PgResult result, PgResult* into, QString* error);
    bool fail(const QString& reason, QString* error);
    bool failWithConnection(QString* error);
    bool flushCopy(QString* error);
    void endCopy();
    void drainResults();
    QString scrubbed(QString text) const;
    void forgetStatements();

    pg_conn* m_conn = nullptr;
    QString m_location;
    QString m_displayName;
    QStringList m_secrets;
    QHash<QByteArray, QByteArray> m_statements;
    int m_statementCount = 0;
    QStringList m_channels;
    QByteArray m_copyBuffer;
    bool m_copying = false;
    bool m_lost = false;
    QByteArray m_sqlState;
};

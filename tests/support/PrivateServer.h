#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL server of a test's own: a new cluster in a temporary folder, reached through a Unix
// socket in that folder alone (no TCP), with trust authentication and no syncing to disk. It is
// run as the current user, or as the `postgres` system user when the test runs as root, which the
// server refuses to be. It is stopped and its folder removed when the object goes.
class PrivateServer
{
public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // Makes the cluster and starts the server; what went wrong, with the server's log, in `error`.
    bool start(QString* error);
    // Stops the server, leaving its folder, so that it can start again on the same socket.
    bool stop();
    bool startAgain(QString* error);

    bool createDatabase(const QString& name, QString* error);
    // Ends every server process on `database` but the caller's own, as an administrator's
    // pg_terminate_backend does, and waits until they have gone.
    bool terminateBackends(const QString& database);

    // The location of `database` as the program takes it: a postgresql:// URI.
    QString location(const QString& database) const;
    QString socketDir() const;
    int port() const { return m_port; }
    QString superuser() const { return m_superuser; }

    // The folder of initdb and pg_ctl: the one on PATH, else the newest /usr/lib/postgresql/*/bin.
    static QString binDir();

private:
    bool run(const QString& program, const QStringList& arguments, QString* error) const;
    bool startServer(QString* error);
    QString dataDir() const;
    QString logTail() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_superuser;
    int m_port = 0;
    bool m_running = false;
};

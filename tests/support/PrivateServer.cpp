#include "PrivateServer.h"

#include "core/postgres/PgConnection.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

namespace {

bool asRoot()
{
    return geteuid() == 0;
}

// Hands `path` and what is in it to the postgres system user.
bool giveToPostgres(const QString& path, QString* error)
{
    const passwd* user = getpwnam("postgres");
    if (!user) {
        *error = QStringLiteral("the tests run as root, and there is no postgres user to run the server as "
                                "(install Debian's postgresql package)");
        return false;
    }
    if (chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0) {
        *error = QStringLiteral("cannot hand %1 to the postgres user").arg(path);
        return false;
    }
    return true;
}

QString currentUser()
{
    const passwd* user = getpwuid(geteuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : qEnvironmentVariable("USER");
}

} // namespace

PrivateServer::PrivateServer() = default;

PrivateServer::~PrivateServer()
{
    if (m_running)
        run(QStringLiteral("pg_ctl"),
            { QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("immediate"),
                QStringLiteral("-D"), dataDir() },
            nullptr);
}

QString PrivateServer::binDir()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("pg_ctl"));
    if (!onPath.isEmpty() && QFileInfo::exists(QFileInfo(onPath).absolutePath() + QStringLiteral("/initdb")))
        return QFileInfo(onPath).absolutePath();
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto version = versions.crbegin(); version != versions.crend(); ++version) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*version);
        if (QFileInfo::exists(bin + QStringLiteral("/initdb")) && QFileInfo::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

QString PrivateServer::socketDir() const
{
    return m_dir ? m_dir->path() : QString();
}

QString PrivateServer::dataDir() const
{
    return socketDir() + QStringLiteral("/data");
}

QString PrivateServer::location(const QString& database) const
{
    return QStringLiteral("postgresql:///%1?host=%2&port=%3&user=%4")
        .arg(QString::fromUtf8(QUrl::toPercentEncoding(database)),
            QString::fromUtf8(QUrl::toPercentEncoding(socketDir(), "/")), QString::number(m_port),
            QString::fromUtf8(QUrl::toPercentEncoding(m_superuser)));
}

QString PrivateServer::logTail() const
{
    QFile log(socketDir() + QStringLiteral("/server.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = log.readAll();
    return QString::fromUtf8(text.right(2000));
}

bool PrivateServer::run(const QString& program, const QStringList& arguments, QString* error) const
{
    const QString bin = binDir();
    QProcess process;
    process.setWorkingDirectory(socketDir());
    if (asRoot()) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(
            QStringList { QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), bin + '/' + program }
            + arguments);
    } else {
        process.setProgram(bin + '/' + program);
        process.setArguments(arguments);
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        if (error) {
            *error = QStringLiteral("%1 failed: %2 %3")
                         .arg(program, process.errorString(), QString::fromLocal8Bit(process.readAll()).trimmed());
        }
        return false;
    }
    return true;
}

bool PrivateServer::start(QString* error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (binDir().isEmpty()) {
        *error = QStringLiteral("no initdb found, neither on PATH nor in /usr/lib/postgresql/*/bin: the tests need "
                                "Debian's postgresql package (scripts/setup.sh installs it)");
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/platewell-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        *error = QStringLiteral("cannot make a temporary folder: %1").arg(m_dir->errorString());
        return false;
    }
    if (asRoot() && !giveToPostgres(socketDir(), error))
        return false;
    m_superuser = asRoot() ? QStringLiteral("postgres") : currentUser();
    if (!run(QStringLiteral("initdb"),
            { QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), m_superuser, QStringLiteral("-A"),
                QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                QStringLiteral("--no-sync"), QStringLiteral("--no-instructions") },
            error))
        return false;
    // The server listens on a socket in its own folder alone, so no two test programs' servers
    // meet even on the same port number; the number still differs from program to program.
    m_port = 20000 + int(getpid() % 20000);
    for (int attempt = 0; attempt < 5; ++attempt, m_port = 20000 + (m_port + 7919) % 20000) {
        if (startServer(error))
            return true;
    }
    return false;
}

bool PrivateServer::startServer(QString* error)
{
    QFile conf(dataDir() + QStringLiteral("/postgresql.auto.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1").arg(conf.fileName());
        return false;
    }
    conf.write(QStringLiteral("listen_addresses = ''\n"
                              "unix_socket_directories = '%1'\n"
                              "port = %2\n"
                              "fsync = off\n"
                              "synchronous_commit = off\n"
                              "full_page_writes = off\n"
                              "shared_buffers = 16MB\n"
                              "max_connections = 40\n"
                              "autovacuum = off\n"
                              "wal_level = minimal\n"
                              "max_wal_senders = 0\n"
                              "log_min_messages = warning\n")
                   .arg(socketDir())
                   .arg(m_port)
                   .toUtf8());
    conf.close();
    if (asRoot() && !giveToPostgres(conf.fileName(), error))
        return false;
    if (!run(QStringLiteral("pg_ctl"),
            { QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                QStringLiteral("-D"), dataDir(), QStringLiteral("-l"), socketDir() + QStringLiteral("/server.log") },
            error)) {
        if (error)
            *error += QStringLiteral("\n") + logTail();
        return false;
    }
    m_running = true;
    return true;
}

bool PrivateServer::stop()
{
    if (!m_running)
        return true;
    m_running = !run(QStringLiteral("pg_ctl"),
        { QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast"),
            QStringLiteral("-D"), dataDir() },
        nullptr);
    return !m_running;
}

bool PrivateServer::startAgain(QString* error)
{
    QString ignored;
    return m_running || startServer(error ? error : &ignored);
}

bool PrivateServer::createDatabase(const QString& name, QString* error)
{
    PgConnection admin;
    if (!admin.open(location(QStringLiteral("postgres")), error))
        return false;
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return admin.execute(QStringLiteral("CREATE DATABASE \"%1\"").arg(quoted).toUtf8().constData(), error);
}

bool PrivateServer::terminateBackends(const QString& database)
{
    PgConnection admin;
    QString error;
    if (!admin.open(location(QStringLiteral("postgres")), &error))
        return false;
    // The second argument makes each call wait until the process has gone.
    return admin.query("SELECT count(pg_terminate_backend(pid, 10000)) FROM pg_stat_activity"
                       " WHERE datname = $1 AND pid <> pg_backend_pid()",
        { PgConnection::param(database) }, nullptr, &error);
}

#include "core/postgres/PgConnection.h"

#include <QRegularExpression>
#include <QUrl>

#include <libpq-fe.h>

#include <charconv>
#include <cmath>

namespace {

// Rows are handed to libpq in chunks of about this size during a COPY.
constexpr qsizetype copyChunk = 256 * 1024;

void ignoreNotice(void*, const char*) { }

// The first line of one of libpq's messages, its spaces made single.
QString firstLine(const char* message)
{
    QString text = QString::fromUtf8(message).trimmed();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    if (end >= 0)
        text.truncate(end);
    return text.simplified();
}

void keepSecret(const QString& secret, QStringList* secrets)
{
    if (!secrets || secret.isEmpty())
        return;
    secrets->append(secret);
    const QString decoded = QUrl::fromPercentEncoding(secret.toUtf8());
    if (decoded != secret && !decoded.isEmpty())
        secrets->append(decoded);
}

// The location without its passwords, which go to `secrets` (as written and decoded).
QString withoutPasswords(const QString& location, QStringList* secrets)
{
    if (!PgConnection::isServerLocation(location)) {
        // A libpq "keyword = value" string.
        static const QRegularExpression password(
            QStringLiteral(R"((?:^|\s)(?:ssl)?password\s*=\s*('(?:[^'\\]|\\.)*'|\S*))"),
            QRegularExpression::CaseInsensitiveOption);
        QString shown = location;
        for (;;) {
            const QRegularExpressionMatch match = password.match(shown);
            if (!match.hasMatch())
                break;
            QString value = match.captured(1);
            if (value.startsWith(QLatin1Char('\'')))
                value = value.mid(1, value.size() - 2);
            keepSecret(value, secrets);
            shown.replace(match.capturedStart(), match.capturedLength(), QStringLiteral(" "));
        }
        return shown.simplified();
    }
    const qsizetype authority = location.indexOf(QLatin1String("://")) + 3;
    const qsizetype query = location.indexOf(QLatin1Char('?'), authority);
    QString head = location.mid(authority, query < 0 ? -1 : query - authority);
    // A password may hold a raw '@' that was never percent-encoded: the user information ends at
    // the last one, so that no part of the password is ever shown.
    const qsizetype at = head.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        QString user = head.left(at);
        const qsizetype colon = user.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            keepSecret(user.mid(colon + 1), secrets);
            user.truncate(colon);
        }
        head = user.isEmpty() ? head.mid(at + 1) : user + head.mid(at);
    }
    QString shown = location.left(authority) + head;
    if (query >= 0) {
        QStringList kept;
        for (const QString& pair : location.mid(query + 1).split(QLatin1Char('&'))) {
            const QString key = QUrl::fromPercentEncoding(pair.section(QLatin1Char('='), 0, 0).toUtf8()).trimmed();
            if (key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0
                || key.compare(QLatin1String("sslpassword"), Qt::CaseInsensitive) == 0) {
                keepSecret(pair.section(QLatin1Char('='), 1), secrets);
                continue;
            }
            kept.append(pair);
        }
        if (!kept.isEmpty())
            shown += QLatin1Char('?') + kept.join(QLatin1Char('&'));
    }
    return shown;
}

} // namespace

PgConnection::Param PgConnection::param(const QString& text)
{
    if (text.isNull())
        return std::nullopt;
    return text.toUtf8();
}

PgConnection::Param PgConnection::param(qint64 value)
{
    return QByteArray::number(value);
}

PgConnection::Param PgConnection::param(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    if (std::isinf(value))
        return QByteArray(value > 0 ? "Infinity" : "-Infinity");
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, end - text);
}

bool PgConnection::isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString PgConnection::displayName(const QString& location)
{
    return withoutPasswords(location, nullptr);
}

PgConnection::PgConnection() = default;

PgConnection::~PgConnection()
{
    close();
}

bool PgConnection::open(const QString& location, QString* error)
{
    close();
    m_location = location;
    m_secrets.clear();
    m_displayName = withoutPasswords(location, &m_secrets);
    m_sqlState.clear();
    const QByteArray uri = location.toUtf8();
    // The keywords before the URI are defaults it may change; those after it override it. A
    // network that drops silently is noticed within half a minute rather than when TCP gives up,
    // a quarter of an hour later, with a window waiting on it.
    const char* const keywords[] = { "connect_timeout", "keepalives_idle", "keepalives_interval", "keepalives_count",
        "tcp_user_timeout", "dbname", "client_encoding", "fallback_application_name", nullptr };
    const char* const values[] = { "10", "30", "10", "3", "30000", uri.constData(), "UTF8", "Platewell", nullptr };
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (m_conn)
        PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        m_lost = true;
        if (error) {
            const QString reason = m_conn ? firstLine(PQerrorMessage(m_conn)) : tr("out of memory");
            *error = tr("The food table on %1 cannot be opened: %2").arg(m_displayName, scrubbed(reason));
        }
        return false;
    }
    m_lost = false;
    return setUp(error);
}

bool PgConnection::setUp(QString* error)
{
    // Any positive value makes the server write a double as the shortest text that reads back
    // exactly, whatever its configuration says.
    return execute("SET extra_float_digits = 3", error);
}

bool PgConnection::isOpen() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

void PgConnection::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    forgetStatements();
    m_channels.clear();
    m_copying = false;
    m_copyBuffer.clear();
}

void PgConnection::forgetStatements()
{
    m_statements.clear();
}

QString PgConnection::scrubbed(QString text) const
{
    static const QString hidden = QStringLiteral("***");
    for (const QString& secret : m_secrets)
        text.replace(secret, hidden);
    // libpq quotes what it cannot make sense of in a location, and that may be a piece of a
    // password it read as something else.
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    qsizetype from = 0;
    for (;;) {
        const QRegularExpressionMatch match = quoted.match(text, from);
        if (!match.hasMatch())
            break;
        const QString piece = match.captured(1);
        from = match.capturedEnd();
        for (const QString& secret : m_secrets) {
            if (secret.contains(piece)) {
                text.replace(match.capturedStart(1), piece.size(), hidden);
                from = match.capturedStart(1) + hidden.size() + 1;
                break;
            }
        }
    }
    return text;
}

bool PgConnection::fail(const QString& reason, QString* error)
{
    if (error) {
        *error = m_lost
            ? tr("The server of the food table on %1 cannot be reached: %2").arg(m_displayName, scrubbed(reason))
            : tr("The food table on %1: %2").arg(m_displayName, scrubbed(reason));
    }
    return false;
}

bool PgConnection::failWithConnection(QString* error)
{
    m_lost = !m_conn || PQstatus(m_conn) == CONNECTION_BAD;
    return fail(m_conn ? firstLine(PQerrorMessage(m_conn)) : tr("the food table is not open"), error);
}

bool PgConnection::connected(QString* error)
{
    m_sqlState.clear();
    m_lost = false;
    if (!m_conn) {
        m_displayName = displayName(m_location);
        return fail(tr("the food table is not open"), error);
    }
    if (PQstatus(m_conn) != CONNECTION_OK)
        return failWithConnection(error);
    if (m_copying)
        return fail(tr("a copy into the food table is under way"), error);
    return true;
}

void PgConnection::drainResults()
{
    while (PGresult* rest = PQgetResult(m_conn))
        PQclear(rest);
}

bool PgConnection::checked(PgResult result, PgResult* into, QString* error)
{
    PGresult* handle = result.handle();
    const ExecStatusType status = handle ? PQresultStatus(handle) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        if (into)
            *into = std::move(result);
        return true;
    }
    if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT) {
        // A COPY run as a plain statement: it is ended at once, and said to be misplaced.
        if (status == PGRES_COPY_IN) {
            PQputCopyEnd(m_conn, "COPY FROM STDIN goes through copyStart()");
        } else {
            char* row = nullptr;
            while (PQgetCopyData(m_conn, &row, 0) > 0)
                PQfreemem(row);
        }
        drainResults();
        m_lost = PQstatus(m_conn) == CONNECTION_BAD;
        return fail(tr("a COPY statement runs only through a copy"), error);
    }
    const char* state = handle ? PQresultErrorField(handle, PG_DIAG_SQLSTATE) : nullptr;
    m_sqlState = state ? QByteArray(state) : QByteArray();
    m_lost = PQstatus(m_conn) == CONNECTION_BAD;
    const char* primary = handle ? PQresultErrorField(handle, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return fail(firstLine(primary ? primary : PQerrorMessage(m_conn)), error);
}

bool PgConnection::execute(const char* sql, QString* error)
{
    if (!connected(error))
        return false;
    return checked(PgResult(PQexec(m_conn, sql)), nullptr, error);
}

bool PgConnection::query(const QString& sql, const Params& params, PgResult* result, QString* error)
{
    return run(sql.toUtf8(), params, result, error);
}

bool PgConnection::query(const char* sql, const Params& params, PgResult* result, QString* error)
{
    return run(QByteArray(sql), params, result, error);
}

bool PgConnection::run(const QByteArray& sql, const Params& params, PgResult* result, QString* error)
{
    if (!connected(error))
        return false;
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const Param& value : params) {
        // libpq reads a text parameter up to its first NUL: one inside would cut it short unseen.
        if (value && value->contains('\0'))
            return fail(tr("a text holds a NUL character, which the server cannot store"), error);
        values.push_back(value ? value->constData() : nullptr);
    }
    for (int attempt = 0;; ++attempt) {
        QByteArray name = m_statements.value(sql);
        if (name.isEmpty()) {
            name = "platewell_" + QByteArray::number(++m_statementCount);
            if (!checked(PgResult(PQprepare(m_conn, name.constData(), sql.constData(), 0, nullptr)), nullptr, error))
                return false;
            m_statements.insert(sql, name);
        }
        PgResult executed(
            PQexecPrepared(m_conn, name.constData(), int(values.size()), values.data(), nullptr, nullptr, 0));
        const char* state = executed.handle() ? PQresultErrorField(executed.handle(), PG_DIAG_SQLSTATE) : nullptr;
        // A table changed since the statement was prepared may make its rows another shape: the
        // statement is prepared again, once, where no transaction depends on the failed one.
        if (attempt == 0 && state && qstrcmp(state, "0A000") == 0 && !inTransaction()) {
            PQclear(PQexec(m_conn, ("DEALLOCATE " + name).constData()));
            m_statements.remove(sql);
            continue;
        }
        return checked(std::move(executed), result, error);
    }
}

bool PgConnection::begin(QString* error)
{
    return execute("BEGIN", error);
}

bool PgConnection::commit(QString* error)
{
    if (!connected(error))
        return false;
    PgResult result(PQexec(m_conn, "COMMIT"));
    const bool rolledBack = result.handle() && PQresultStatus(result.handle()) == PGRES_COMMAND_OK
        && qstrcmp(PQcmdStatus(result.handle()), "ROLLBACK") == 0;
    if (!checked(std::move(result), nullptr, error))
        return false;
    if (rolledBack) {
        m_sqlState = "25P02";
        return fail(tr("a statement of the transaction failed, so none of it was kept"), error);
    }
    return true;
}

void PgConnection::rollback()
{
    if (m_copying)
        copyAbort();
    if (inTransaction())
        PQclear(PQexec(m_conn, "ROLLBACK"));
}

bool PgConnection::inTransaction() const
{
    if (!m_conn)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

bool PgConnection::copyStart(const char* sql, QString* error)
{
    if (!connected(error))
        return false;
    PgResult result(PQexec(m_conn, sql));
    if (result.handle() && PQresultStatus(result.handle()) == PGRES_COPY_IN) {
        m_copying = true;
        m_copyBuffer.clear();
        return true;
    }
    if (!checked(std::move(result), nullptr, error))
        return false;
    return fail(tr("the statement is no COPY ... FROM STDIN"), error);
}

bool PgConnection::copyRow(const Params& fields, QString* error)
{
    if (!m_copying)
        return fail(tr("no copy into the food table is under way"), error);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_copyBuffer += '\t';
        if (!fields[i]) {
            m_copyBuffer += "\\N";
            continue;
        }
        for (const char c : *fields[i]) {
            switch (c) {
            case '\\':
                m_copyBuffer += "\\\\";
                break;
            case '\t':
                m_copyBuffer += "\\t";
                break;
            case '\n':
                m_copyBuffer += "\\n";
                break;
            case '\r':
                m_copyBuffer += "\\r";
                break;
            default:
                m_copyBuffer += c;
            }
        }
    }
    m_copyBuffer += '\n';
    return m_copyBuffer.size() < copyChunk || flushCopy(error);
}

bool PgConnection::flushCopy(QString* error)
{
    if (m_copyBuffer.isEmpty())
        return true;
    const int sent = PQputCopyData(m_conn, m_copyBuffer.constData(), int(m_copyBuffer.size()));
    m_copyBuffer.clear();
    if (sent == 1)
        return true;
    const QString reason = firstLine(PQerrorMessage(m_conn));
    endCopy();
    m_lost = PQstatus(m_conn) == CONNECTION_BAD;
    return fail(reason, error);
}

void PgConnection::endCopy()
{
    m_copying = false;
    m_copyBuffer.clear();
    PQputCopyEnd(m_conn, "the copy was abandoned");
    drainResults();
}

bool PgConnection::copyFinish(QString* error)
{
    if (!m_copying)
        return fail(tr("no copy into the food table is under way"), error);
    if (!flushCopy(error))
        return false;
    m_copying = false;
    PQputCopyEnd(m_conn, nullptr);
    PgResult result(PQgetResult(m_conn));
    drainResults();
    return checked(std::move(result), nullptr, error);
}

void PgConnection::copyAbort()
{
    if (m_copying)
        endCopy();
}

bool PgConnection::listen(const QString& channel, QString* error)
{
    if (!connected(error))
        return false;
    const QByteArray name = channel.toUtf8();
    char* quoted = PQescapeIdentifier(m_conn, name.constData(), size_t(name.size()));
    if (!quoted)
        return failWithConnection(error);
    const QByteArray sql = "LISTEN " + QByteArray(quoted);
    PQfreemem(quoted);
    if (!execute(sql.constData(), error))
        return false;
    if (!m_channels.contains(channel))
        m_channels.append(channel);
    return true;
}

bool PgConnection::notify(const QString& channel, const QString& payload, QString* error)
{
    return query("SELECT pg_notify($1, $2)", { param(channel), param(payload) }, nullptr, error);
}

int PgConnection::socket() const
{
    return m_conn ? PQsocket(m_conn) : -1;
}

int PgConnection::backendPid() const
{
    return m_conn ? PQbackendPID(m_conn) : 0;
}

std::vector<PgConnection::Notification> PgConnection::takeNotifications(QString* error)
{
    std::vector<Notification> notifications;
    m_sqlState.clear();
    m_lost = false;
    if (!m_conn) {
        fail(tr("the food table is not open"), error);
        return notifications;
    }
    if (PQconsumeInput(m_conn) == 0)
        failWithConnection(error);
    while (PGnotify* notification = PQnotifies(m_conn)) {
        notifications.push_back(
            { QString::fromUtf8(notification->relname), QString::fromUtf8(notification->extra), notification->be_pid });
        PQfreemem(notification);
    }
    return notifications;
}

bool PgConnection::reconnect(QString* error)
{
    if (!m_conn)
        return open(m_location, error);
    m_sqlState.clear();
    forgetStatements();
    m_copying = false;
    m_copyBuffer.clear();
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        return failWithConnection(error);
    m_lost = false;
    if (!setUp(error))
        return false;
    const QStringList channels = m_channels;
    for (const QString& channel : channels) {
        if (!listen(channel, error))
            return false;
    }
    return true;
}

bool PgConnection::readLocation(const QString& location, bool* password)
{
    *password = false;
    const QByteArray text = location.toUtf8();
    char* problem = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.constData(), &problem);
    if (!options) {
        PQfreemem(problem);
        return false;
    }
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        if (option->val && *option->val
            && (qstrcmp(option->keyword, "password") == 0 || qstrcmp(option->keyword, "sslpassword") == 0)) {
            *password = true;
        }
    }
    PQconninfoFree(options);
    return true;
}

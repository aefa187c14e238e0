#include "core/sqlite/SqliteStatement.h"

#include <utility>

SqliteStatement::SqliteStatement(sqlite3* db, QByteArrayView sql)
{
    if (!db || sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_result = SQLITE_ERROR;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr))
    , m_result(other.m_result)
{ }

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_statement = std::exchange(other.m_statement, nullptr);
        m_result = other.m_result;
    }
    return *this;
}

SqliteStatement& SqliteStatement::restart()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    m_result = SQLITE_OK;
    return *this;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
}

void SqliteStatement::bindUtf8(int index, QByteArrayView utf8)
{
    // A view of no bytes at all is still the empty text, not NULL.
    sqlite3_bind_text(m_statement, index, utf8.data() ? utf8.data() : "", int(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindUtf8InPlace(int index, QByteArrayView utf8)
{
    sqlite3_bind_text(m_statement, index, utf8.data() ? utf8.data() : "", int(utf8.size()), SQLITE_STATIC);
}

void SqliteStatement::bindText(int index, const QString& text)
{
    bindUtf8(index, text.toUtf8());
}

void SqliteStatement::bindBlob(int index, QByteArrayView bytes)
{
    sqlite3_bind_blob(m_statement, index, bytes.data() ? bytes.data() : "", int(bytes.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindInt64(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bindDouble(int index, double value)
{
    sqlite3_bind_double(m_statement, index, value);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
}

void SqliteStatement::bindValue(int index, const QVariant& value)
{
    // A null text or byte array counts as NULL too, as Qt's SQL drivers have always bound it.
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType:
        bindNull(index);
        break;
    case QMetaType::Double:
        bindDouble(index, value.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
        bindInt64(index, value.toLongLong());
        break;
    case QMetaType::QByteArray: {
        const auto* bytes = static_cast<const QByteArray*>(value.constData());
        if (bytes->isNull()) {
            bindNull(index);
        } else {
            bindBlob(index, *bytes);
        }
        break;
    }
    case QMetaType::QString: {
        const auto* text = static_cast<const QString*>(value.constData());
        if (text->isNull()) {
            bindNull(index);
        } else {
            bindText(index, *text);
        }
        break;
    }
    default:
        bindText(index, value.toString());
    }
}

bool SqliteStatement::execute()
{
    while (next()) { }
    const bool done = m_result == SQLITE_DONE;
    // The failure stays on the connection for its message when the statement is reset.
    sqlite3_reset(m_statement);
    return done;
}

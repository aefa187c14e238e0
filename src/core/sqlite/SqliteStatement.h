#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

// A prepared statement of SQLite's own API, finalized when it goes. Parameters are bound and texts
// read as SQLite keeps them, UTF-8 bytes; a run steps through its rows with next() or runs to its
// end with execute(). The column reads are inline: a million foods read ten cells each.
class SqliteStatement
{
public:
    enum ColumnType {
        Integer = SQLITE_INTEGER,
        Real = SQLITE_FLOAT,
        Text = SQLITE_TEXT,
        Blob = SQLITE_BLOB,
        Null = SQLITE_NULL
    };

    SqliteStatement() = default;
    // Prepares `sql` on `db`; isPrepared() tells whether it could be, the connection why not.
    SqliteStatement(sqlite3* db, QByteArrayView sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isPrepared() const { return m_statement != nullptr; }

    // Readies the statement for another run: reset, with no parameter bound.
    SqliteStatement& restart();
    // Ends the current run, so that the statement holds no lock on the file until it runs again.
    void reset();

    void bindUtf8(int index, QByteArrayView utf8);
    // Binds the bytes without copying them: they must stay as they are until the run ends.
    void bindUtf8InPlace(int index, QByteArrayView utf8);
    void bindText(int index, const QString& text);
    void bindBlob(int index, QByteArrayView bytes);
    void bindInt64(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindNull(int index);
    // A value as the food table stores it: a null one (a null text too) as NULL, a double as a
    // real number, an integer as one, bytes as a blob, anything else as its text.
    void bindValue(int index, const QVariant& value);

    // Steps to the next row: true while there is one; false at the end or on a failure, which
    // failed() then tells.
    bool next()
    {
        m_result = sqlite3_step(m_statement);
        return m_result == SQLITE_ROW;
    }
    // Runs the statement to its end; false on a failure. The statement is reset afterwards.
    bool execute();
    // Whether the last step failed rather than gave a row or came to the end.
    bool failed() const { return m_result != SQLITE_ROW && m_result != SQLITE_DONE; }

    ColumnType type(int column) const { return ColumnType(sqlite3_column_type(m_statement, column)); }
    bool isNull(int column) const { return type(column) == Null; }
    qint64 int64(int column) const { return sqlite3_column_int64(m_statement, column); }
    double real(int column) const { return sqlite3_column_double(m_statement, column); }
    // The column as text, its bytes in place until the next step.
    QByteArrayView text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
    }
    // The column's bytes as they are stored, not converted to text.
    QByteArrayView blob(int column) const
    {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_result = SQLITE_OK;
};

#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

struct pg_result;

// The rows, or the outcome, of one statement on a PostgreSQL server, owned: the result is freed
// when the object goes. Values are read as the server sends them, in text format; a row or column
// out of range reads as null.
class PgResult
{
public:
    PgResult() = default;
    explicit PgResult(pg_result* result);
    ~PgResult();
    PgResult(PgResult&& other) noexcept;
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    pg_result* handle() const { return m_result; }
    int rows() const;
    int columns() const;

    bool isNull(int row, int column) const;
    // The value decoded from UTF-8; empty for null.
    QString text(int row, int column) const;
    // The value as sent, without a copy; valid while the result lives.
    QByteArrayView bytes(int row, int column) const;
    // The value as a whole number; 0 for null or for what is not one.
    qint64 int64(int row, int column) const;
    // The value as a double, read back exactly as it was stored (the server sends the shortest
    // text that gives the same double); a quiet NaN for null or for what is not a number.
    double real(int row, int column) const;
    std::optional<double> optionalReal(int row, int column) const;
    // The rows an INSERT, UPDATE, DELETE or COPY changed; 0 for any other statement.
    qint64 affectedRows() const;

private:
    pg_result* m_result = nullptr;
};

#include "core/postgres/PgResult.h"

#include <libpq-fe.h>

#include <charconv>
#include <limits>
#include <utility>

PgResult::PgResult(pg_result* result)
    : m_result(result)
{ }

PgResult::~PgResult()
{
    PQclear(m_result);
}

PgResult::PgResult(PgResult&& other) noexcept
    : m_result(std::exchange(other.m_result, nullptr))
{ }

PgResult& PgResult::operator=(PgResult&& other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int PgResult::columns() const
{
    return m_result ? PQnfields(m_result) : 0;
}

bool PgResult::isNull(int row, int column) const
{
    if (row < 0 || row >= rows() || column < 0 || column >= columns())
        return true;
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArrayView PgResult::bytes(int row, int column) const
{
    if (isNull(row, column))
        return {};
    return QByteArrayView(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QString PgResult::text(int row, int column) const
{
    const QByteArrayView value = bytes(row, column);
    return QString::fromUtf8(value.data(), value.size());
}

qint64 PgResult::int64(int row, int column) const
{
    const QByteArrayView value = bytes(row, column);
    qint64 number = 0;
    const auto [end, error] = std::from_chars(value.begin(), value.end(), number);
    return error == std::errc() && end == value.end() ? number : 0;
}

double PgResult::real(int row, int column) const
{
    return optionalReal(row, column).value_or(std::numeric_limits<double>::quiet_NaN());
}

std::optional<double> PgResult::optionalReal(int row, int column) const
{
    const QByteArrayView value = bytes(row, column);
    if (value.isEmpty())
        return std::nullopt;
    // from_chars rounds correctly and reads "NaN", "Infinity" and "-Infinity" as the server
    // writes them; it takes no leading '+', which the server never writes.
    double number = 0;
    const auto [end, error] = std::from_chars(value.begin(), value.end(), number);
    if (error != std::errc() || end != value.end())
        return std::nullopt;
    return number;
}

qint64 PgResult::affectedRows() const
{
    if (!m_result)
        return 0;
    const char* tuples = PQcmdTuples(m_result);
    qint64 count = 0;
    std::from_chars(tuples, tuples + qstrlen(tuples), count);
    return count;
}

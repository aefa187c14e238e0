#pragma once

#include <QByteArrayView>

#include <charconv>
#include <cmath>

// Strict readings of the numbers machine-written data files hold ("12", "0.5", "-3e2", blanks
// around allowed): the whole field must be the number. False for an empty field or any other
// text, which the importers then treat as a missing value.
namespace FieldNumber {

inline QByteArrayView trimmed(QByteArrayView field)
{
    while (!field.isEmpty() && (field.front() == ' ' || field.front() == '\t')) {
        field = field.sliced(1);
    }
    while (!field.isEmpty() && (field.back() == ' ' || field.back() == '\t' || field.back() == '\r')) {
        field.chop(1);
    }
    return field;
}

inline bool readDouble(QByteArrayView field, double* value)
{
    field = trimmed(field);
    if (!field.isEmpty() && field.front() == '+') {
        field = field.sliced(1);
    }
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, *value);
    return !field.isEmpty() && result.ec == std::errc() && result.ptr == end && std::isfinite(*value);
}

inline bool readInteger(QByteArrayView field, qint64* value)
{
    field = trimmed(field);
    const char* end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, *value);
    if (!field.isEmpty() && result.ec == std::errc() && result.ptr == end) {
        return true;
    }
    // Some downloads write whole numbers as "123.0".
    double real = 0;
    if (readDouble(field, &real) && real == std::floor(real) && std::abs(real) < 9.0e15) {
        *value = static_cast<qint64>(real);
        return true;
    }
    return false;
}

} // namespace FieldNumber

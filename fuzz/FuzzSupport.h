#pragma once

#include <QByteArray>
#include <QString>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The value rounded to 15 significant digits, as a double; a rounding that leaves the range of
// doubles gives the largest double of that sign, as the lenient reading does.
inline double roundedTo15(double value)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    *end = '\0';
    errno = 0;
    const double rounded = std::strtod(buffer, nullptr);
    if (std::isinf(rounded)) {
        return rounded > 0 ? DBL_MAX : -DBL_MAX;
    }
    return rounded;
}

[[noreturn]] inline void fail(const char* what, double value, const QString& text)
{
    std::fprintf(stderr, "%s: value %.17g text \"%s\"\n", what, value, qPrintable(text));
    std::abort();
}

} // namespace fuzz

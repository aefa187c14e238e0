#include "core/text/NumberText.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

double readRadixInteger(const std::u16string& s, std::size_t pos, int radix)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos];
        int digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (radix == 16 && c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (radix == 16 && c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            break;
        }
        if (digit >= radix) {
            break;
        }
        value = value * radix + digit;
    }
    if (!std::isfinite(value)) {
        return std::numeric_limits<double>::max();
    }
    return value;
}

// Formats a finite value with at most 15 significant digits, shortest form, "." decimal point and
// an upper-case "E" exponent of at least two digits ("1.5E-05", "1E+15"). No sign.
std::string formatG15(double magnitude)
{
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::general, 15);
    std::string s(buf, result.ptr);
    for (char& c : s) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return s;
}

} // namespace

double TextToNumber(QStringView text)
{
    std::u16string s;
    s.reserve(static_cast<std::size_t>(std::min<qsizetype>(text.size(), 64)));
    // Only the leading number matters, so stop collecting once a character that can never be part
    // of a number turns up; this keeps very long texts cheap.
    for (QChar c : text) {
        if (isIgnored(c)) {
            continue;
        }
        const char16_t u = c.unicode();
        const bool numberish = isDigit(u) || u == u'+' || u == u'-' || u == u'.' || u == u'&'
            || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (!numberish) {
            break;
        }
        s.push_back(u);
    }

    if (s.size() >= 2 && s[0] == u'&') {
        if (s[1] == u'H' || s[1] == u'h') {
            return readRadixInteger(s, 2, 16);
        }
        if (s[1] == u'O' || s[1] == u'o') {
            return readRadixInteger(s, 2, 8);
        }
        return 0;
    }

    std::string number;
    std::size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }
    bool anyDigit = false;
    while (pos < s.size() && isDigit(s[pos])) {
        number.push_back(static_cast<char>(s[pos++]));
        anyDigit = true;
    }
    if (pos < s.size() && s[pos] == u'.') {
        number.push_back('.');
        ++pos;
        while (pos < s.size() && isDigit(s[pos])) {
            number.push_back(static_cast<char>(s[pos++]));
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0;
    }
    if (pos < s.size() && (s[pos] == u'E' || s[pos] == u'e' || s[pos] == u'D' || s[pos] == u'd')) {
        std::size_t exp = pos + 1;
        std::string exponent = "e";
        if (exp < s.size() && (s[exp] == u'+' || s[exp] == u'-')) {
            exponent.push_back(static_cast<char>(s[exp++]));
        }
        bool expDigit = false;
        while (exp < s.size() && isDigit(s[exp])) {
            exponent.push_back(static_cast<char>(s[exp++]));
            expDigit = true;
        }
        if (expDigit) {
            number += exponent;
        }
    }
    if (number.front() == '.') {
        number.insert(number.begin(), '0');
    }

    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars gives no value on range errors. strtod in the C locale gives the subnormal
        // or zero that a tiny value rounds to, and infinity for a huge one, which is held at the
        // largest double so that every reading stays finite.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        value = strtod_l(number.c_str(), nullptr, cLocale);
        if (std::isinf(value)) {
            value = std::numeric_limits<double>::max();
        }
    }
    return negative ? -value : value;
}

QString NumberToText(double value)
{
    if (std::isnan(value)) {
        value = 0;
    }
    if (std::isinf(value)) {
        value = value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
    }
    std::string digits = value == 0 ? std::string("0") : formatG15(std::fabs(value));
    // formatG15 may round a value just below 1 up to "1"; only a true leading "0." loses its zero.
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
        digits.erase(0, 1);
    }
    const bool negative = value < 0 && digits != "0";
    return QString::fromLatin1((negative ? "-" : " ") + digits);
}

QString GeneralNumberText(double value, const QLocale& locale)
{
    if (!std::isfinite(value)) {
        return QStringLiteral("Overflow");
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    std::string digits = formatG15(std::fabs(value));
    QString text = QString::fromLatin1(digits);
    const QString separator = locale.decimalPoint();
    if (separator != QLatin1String(".")) {
        text.replace(QLatin1Char('.'), separator);
    }
    if (value < 0 && digits != "0") {
        text.prepend(QLatin1Char('-'));
    }
    return text;
}

QString RoundedValueText(double value, const QLocale& locale)
{
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || magnitude >= 1e15) {
        return GeneralNumberText(value, locale);
    }
    int decimals = 2;
    if (magnitude > 0 && magnitude < 0.1) {
        decimals = std::min(6, 2 - static_cast<int>(std::floor(std::log10(magnitude))));
    }
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    if (text == QLatin1String("-0")) {
        text = QStringLiteral("0");
    }
    const QString separator = locale.decimalPoint();
    if (separator != QLatin1String(".")) {
        text.replace(QLatin1Char('.'), separator);
    }
    return text;
}

double GeneralNumberValue(double value)
{
    if (!std::isfinite(value) || value == 0) {
        return value;
    }
    const std::string digits = formatG15(std::fabs(value));
    double shown = 0;
    // Near the largest double the rounded text may lie beyond it; the value then stands as it is.
    if (std::from_chars(digits.data(), digits.data() + digits.size(), shown).ec != std::errc()) {
        return value;
    }
    return value < 0 ? -shown : shown;
}

QString GroupedCount(qint64 value)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(value);
}

bool IsWholeNumber(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) {
        ++begin;
    }
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) {
        --end;
    }
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    bool anyDigit = false;
    while (i < end && isDigit(text[i].unicode())) {
        ++i;
        anyDigit = true;
    }
    if (i < end && text[i] == u'.') {
        ++i;
        while (i < end && isDigit(text[i].unicode())) {
            ++i;
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return false;
    }
    if (i < end && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        bool expDigit = false;
        while (i < end && isDigit(text[i].unicode())) {
            ++i;
            expDigit = true;
        }
        if (!expDigit) {
            return false;
        }
    }
    return i == end;
}

#include "core/text/WrittenNumber.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x00A0) || c == QChar(0x2009) || c == QChar(0x202F);
}

bool isDigit(QStringView text, qsizetype i)
{
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

} // namespace

bool WrittenNumber::read(QStringView text, NumberStyle style, double* value, QStringView* rest)
{
    const QChar decimal = style == NumberStyle::DecimalComma ? u',' : u'.';
    const QChar grouping = style == NumberStyle::DecimalComma ? u'.' : u',';
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') {
            number += '-';
        }
        ++i;
    }
    int digits = 0;
    int groupDigits = 0;
    QChar groupMark;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(text, i)) {
            number += char(c.unicode());
            ++digits;
            ++groupDigits;
            continue;
        }
        // A grouping mark stands between a group of one to three digits (three after the first
        // mark) and exactly three digits, and one file's number keeps to one mark.
        const bool mark = c == grouping || c == u'\'' || isBlank(c);
        const bool groupFollows
            = isDigit(text, i + 1) && isDigit(text, i + 2) && isDigit(text, i + 3) && !isDigit(text, i + 4);
        if (mark && digits > 0 && groupDigits <= 3 && groupFollows && (groupMark.isNull() || groupMark == c)) {
            groupMark = c;
            groupDigits = 0;
            continue;
        }
        break;
    }
    if (i < n && text[i] == decimal) {
        ++i;
        number += '.';
        for (; isDigit(text, i); ++i) {
            number += char(text[i].unicode());
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype e = i + 1;
        std::string exponent = "e";
        if (e < n && (text[e] == u'+' || text[e] == u'-')) {
            exponent += char(text[e].unicode());
            ++e;
        }
        if (isDigit(text, e)) {
            for (; isDigit(text, e); ++e) {
                exponent += char(text[e].unicode());
            }
            number += exponent;
            i = e;
        }
    }
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    // What follows must not go on with the number: "1,5" in the other style, "1.2.3", "1/2" or
    // "1 2" are no numbers, rather than their first part.
    if (i < n) {
        const QChar c = text[i];
        if (c.isDigit() || c == u'.' || c == u',' || c == u'+' || c == u'-' || c == u'/' || c == u'\'') {
            return false;
        }
    }
    QStringView after = text.sliced(i);
    while (!after.isEmpty() && isBlank(after.back())) {
        after.chop(1);
    }
    if (rest) {
        *rest = after;
    }
    // As the program reads numbers: beyond the range of a double is the largest one.
    const auto result = std::from_chars(number.data(), number.data() + number.size(), *value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) {
        *value = TextToNumber(QString::fromLatin1(number.data(), qsizetype(number.size())));
    }
    return true;
}

NumberStyle WrittenNumber::guess(const QList<QStringList>& rows, char delimiter)
{
    qsizetype commas = 0;
    qsizetype points = 0;
    // Only a field that is a number, with at most a unit after it, tells: not a name such as
    // "1,5 litres of soup".
    auto reads = [](const QString& field, NumberStyle style) {
        double value = 0;
        QStringView rest;
        return read(field, style, &value, &rest) && rest.size() <= 4
            && std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isLetter() || c == u'%'; });
    };
    for (const QStringList& row : rows) {
        for (const QString& field : row) {
            const bool point = reads(field, NumberStyle::DecimalPoint);
            const bool comma = reads(field, NumberStyle::DecimalComma);
            points += point && !comma ? 1 : 0;
            commas += comma && !point ? 1 : 0;
        }
    }
    if (commas != points) {
        return commas > points ? NumberStyle::DecimalComma : NumberStyle::DecimalPoint;
    }
    return delimiter == ';' ? NumberStyle::DecimalComma : NumberStyle::DecimalPoint;
}

QString WrittenNumber::example(NumberStyle style)
{
    return style == NumberStyle::DecimalComma ? QStringLiteral("1.234,5") : QStringLiteral("1,234.5");
}

bool WrittenNumber::isUnknownMark(QStringView text)
{
    const QString word = text.trimmed().toString().toLower();
    static const QStringList marks { QStringLiteral("n/a"), QStringLiteral("na"), QStringLiteral("n.a."),
        QStringLiteral("-"), QStringLiteral("--"), QStringLiteral("\u2013"), QStringLiteral("\u2014"),
        QStringLiteral("tr"), QStringLiteral("trace") };
    return marks.contains(word);
}

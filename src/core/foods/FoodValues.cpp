#include "core/foods/FoodValues.h"

#include "core/text/NumberText.h"

#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace {

// Whether SQLite's numeric affinity would turn `text` into an infinity: a well-formed number, blanks
// around it allowed, too large for a double.
bool overflowsToInfinity(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    return ec == std::errc::result_out_of_range && stop == end && std::abs(TextToNumber(text)) == DBL_MAX;
}

} // namespace

QString FoodValues::cellText(const QVariant& value)
{
    if (value.isNull()) {
        return QString();
    }
    if (value.typeId() == QMetaType::Double) {
        return numberText(value.toDouble());
    }
    return value.toString();
}

QString FoodValues::numberText(double value)
{
    // The shortest text that reads back as the same number, as Qt writes it; std::to_chars makes
    // the same text several times faster, which a million foods of eight numbers each notice.
    // Qt writes large integers with trailing zeros instead of exact digits, and -0 as 0.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    const auto length = end - buffer;
    const bool plainDigits = std::find_if(buffer, end, [](char c) { return c == '.' || c == 'e'; }) == end;
    if (value == 0) {
        return QStringLiteral("0");
    }
    if (plainDigits && length > 15) {
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    }
    return QString::fromLatin1(buffer, length);
}

double FoodValues::nutrientValue(const QVariant& value)
{
    return TextToNumber(cellText(value));
}

QVariant FoodValues::storedValueOf(FoodFields::Field field, const QString& text)
{
    // Empty nutrient texts are stored as NULL; every other text is stored as typed, and the
    // column's numeric affinity keeps texts such as "12.5g" as they are. A number too large for a
    // double is stored as the largest one, as TextToNumber reads it, never as an infinity.
    if (field >= FoodFields::CALORIES && text.isEmpty()) {
        return QVariant(QMetaType(QMetaType::QString));
    }
    if (field >= FoodFields::CALORIES && overflowsToInfinity(text)) {
        return TextToNumber(text);
    }
    return text;
}

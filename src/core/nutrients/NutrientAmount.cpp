#include "core/nutrients/NutrientAmount.h"

#include "core/text/WrittenNumber.h"

#include <charconv>
#include <cmath>

namespace NutrientAmount {

std::size_t write(double value, char* buffer)
{
    if (value == 0 || !std::isfinite(value)) {
        buffer[0] = '0';
        return 1;
    }
    char general[BufferSize];
    const auto rounded = std::to_chars(general, general + BufferSize, value, std::chars_format::general, 6);
    double shown = value;
    std::from_chars(general, rounded.ptr, shown);
    // Fixed notation for what a serving holds; the exponent only for amounts no food has.
    const double magnitude = std::abs(shown);
    if (magnitude >= 1e-6 && magnitude < 1e15) {
        const auto fixed = std::to_chars(buffer, buffer + BufferSize, shown, std::chars_format::fixed);
        if (fixed.ec == std::errc()) {
            return static_cast<std::size_t>(fixed.ptr - buffer);
        }
    }
    const auto length = static_cast<std::size_t>(rounded.ptr - general);
    std::copy(general, rounded.ptr, buffer);
    return length;
}

QString text(double value, const QLocale& locale)
{
    char buffer[BufferSize];
    const std::size_t length = write(value, buffer);
    QString shown = QString::fromLatin1(buffer, static_cast<qsizetype>(length));
    const QString decimal = locale.decimalPoint();
    if (decimal != QLatin1String(".")) {
        shown.replace(QLatin1Char('.'), decimal);
    }
    return shown;
}

Reading read(QStringView text, const QLocale& locale, QStringView unit, double* value)
{
    if (text.trimmed().isEmpty()) {
        return Reading::Empty;
    }
    const NumberStyle style
        = locale.decimalPoint() == QLatin1String(",") ? NumberStyle::DecimalComma : NumberStyle::DecimalPoint;
    double number = 0;
    QStringView rest;
    if (!WrittenNumber::read(text, style, &number, &rest)
        || (!rest.isEmpty() && (unit.isEmpty() || rest.compare(unit, Qt::CaseInsensitive) != 0))
        || !std::isfinite(number) || std::abs(number) >= 1e300) {
        return Reading::NotANumber;
    }
    if (number < 0) {
        return Reading::Negative;
    }
    *value = number == 0 ? 0.0 : number;
    return Reading::Number;
}

} // namespace NutrientAmount

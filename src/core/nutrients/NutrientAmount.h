#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <cstddef>

// Nutrient amounts as the windows show them and read them back from what the user types.
namespace NutrientAmount {

// Rounded to six significant digits and written without exponent where that stays short, trailing
// zeros dropped, with "." as decimal point: the form a grid writes a million times, into `buffer`
// (at least BufferSize characters). Returns the number of characters written.
constexpr std::size_t BufferSize = 48;
std::size_t write(double value, char* buffer);
// As write(), with the locale's decimal mark and no grouping.
QString text(double value, const QLocale& locale = QLocale());

enum class Reading { Number, Empty, NotANumber, Negative };
// Reads `text` as a person writes a number in `locale` (grouping, a decimal comma where the locale
// uses one), optionally followed by `unit`. Empty (blanks only) means not known; a number below 0
// or one that does not fit a double is refused.
Reading read(QStringView text, const QLocale& locale, QStringView unit, double* value);

} // namespace NutrientAmount

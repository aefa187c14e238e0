#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// The program's two number forms. Quantities are stored as the text NumberToText makes and read
// back with the lenient TextToNumber; the totals show numbers in the general number text.

// Lenient reading of a number: blanks, tabs and line feeds are ignored anywhere, then an optional
// sign, digits with at most one ".", and an optional exponent (E, e, D or d) are read up to the
// first character that does not fit. "&H" and "&O" read a hexadecimal or octal integer. Text
// without a leading number gives 0. The result is always finite: magnitudes beyond the range of a
// double read as the largest double of that sign.
double TextToNumber(QStringView text);

// A leading blank for zero and above, "-" below; the shortest decimal form with at most 15
// significant digits, "." as decimal point, no leading zero before it.
QString NumberToText(double value);

// Totals form: at most 15 significant digits, the locale's decimal separator, "0" for zero, a
// leading 0 below 1, exponent form below 1E-4 and from 1E15. A value that overflowed (infinite or
// not a number) is shown as "Overflow".
QString GeneralNumberText(double value, const QLocale& locale = QLocale());
// The number GeneralNumberText shows for `value`: rounded to 15 significant digits, so that what
// is judged against a bound is what the user reads. Infinite and not-a-number values stay as they are.
double GeneralNumberValue(double value);

// A computed value (a recipe's, made of its ingredients) as the food table's own values are
// written: two decimals, more below 1 to keep three significant digits (at most six), trailing
// zeros dropped, the locale's decimal separator. Very large or overflowed values are given as
// GeneralNumberText gives them.
QString RoundedValueText(double value, const QLocale& locale = QLocale());

// A count as the command line and the import's messages write it, grouped by threes with ","
// whatever the locale ("17,825,792"), so that scripts reading it meet one form.
QString GroupedCount(qint64 value);

// True when the text, apart from blanks and tabs at either end, is wholly a decimal number
// (sign, digits, one ".", exponent). The generic sort compares such texts by value.
bool IsWholeNumber(QStringView text);

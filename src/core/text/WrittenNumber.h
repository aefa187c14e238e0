#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// How a file writes its numbers: "1,234.5" or "1.234,5".
enum class NumberStyle { DecimalPoint, DecimalComma };

// Numbers as people write them in the files they import: a decimal point or a decimal comma,
// digits grouped by threes with the other mark, a blank or an apostrophe. One style holds for a
// whole file, so that "1,234" is never a thousand in one row and one and a bit in the next.
class WrittenNumber
{
public:
    // Reads `text` as a number written in `style`: blanks around, a sign, digits (grouped or
    // not), decimals, an exponent, and then any word that does not go on with the number, such as
    // a unit ("12,5 g"). False for a text that is no such number, "1,5" in DecimalPoint for one:
    // then nothing is read, rather than the number's first part. `rest`, when given, is the text
    // after the number, blanks trimmed.
    static bool read(QStringView text, NumberStyle style, double* value, QStringView* rest = nullptr);

    // The style the numbers among `rows` are written in: the one style that reads values the
    // other does not ("1,5" and "1.234,5" only read with a decimal comma, "1.5" and "1,234.5"
    // only with a decimal point), the more of them deciding. Where no value tells, a file
    // separated by semicolons, as spreadsheets write where the comma is the decimal mark, is
    // taken to write decimal commas, and any other decimal points.
    static NumberStyle guess(const QList<QStringList>& rows, char delimiter);

    // "1,234.5" or "1.234,5", to show the style.
    static QString example(NumberStyle style);

    // Whether `text` (blanks around it allowed) only marks a value as not known: "n/a", "-",
    // "tr" (a trace).
    static bool isUnknownMark(QStringView text);
};

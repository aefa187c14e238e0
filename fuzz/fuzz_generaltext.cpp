// The totals grid's number text: never empty, and for every finite double it reads back as the
// number rounded to 15 significant digits.

#include "FuzzSupport.h"
#include "core/text/NumberText.h"

#include <QLocale>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(double)) {
        return 0;
    }
    double value;
    std::memcpy(&value, data, sizeof value);
    const QString text = GeneralNumberText(value, QLocale::c());
    if (text.isEmpty()) {
        fuzz::fail("GeneralNumberText is empty", value, text);
    }
    if (!std::isfinite(value)) {
        if (text != QStringLiteral("Overflow")) {
            fuzz::fail("an overflow is not shown as such", value, text);
        }
        return 0;
    }
    const double back = TextToNumber(text);
    const double expected = fuzz::roundedTo15(value);
    if (back != expected && !(back == 0 && expected == 0)) {
        fuzz::fail("GeneralNumberText does not read back", value, text);
    }
    if (std::fabs(value) < 1 && value != 0 && std::fabs(expected) < 1 && !text.contains(u'E')
        && !text.startsWith(value < 0 ? QStringLiteral("-0.") : QStringLiteral("0."))) {
        fuzz::fail("a fraction lacks its leading zero", value, text);
    }
    return 0;
}

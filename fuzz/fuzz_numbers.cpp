// The lenient number reading on any text, and the quantity text read back: NumberToText of every
// finite double reads back with TextToNumber as the number rounded to 15 significant digits.

#include "FuzzSupport.h"
#include "core/text/NumberText.h"

#include <clocale>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::setlocale(LC_NUMERIC, "C");
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const double read = TextToNumber(text);
    if (!std::isfinite(read)) {
        fuzz::fail("TextToNumber gave a value that is not finite", read, text);
    }
    IsWholeNumber(text);

    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            const QString quantity = NumberToText(value);
            if (quantity.isEmpty() || (quantity[0] != u' ' && quantity[0] != u'-')) {
                fuzz::fail("NumberToText lacks its sign place", value, quantity);
            }
            const double back = TextToNumber(quantity);
            const double expected = fuzz::roundedTo15(value);
            if (back != expected && !(back == 0 && expected == 0)) {
                fuzz::fail("NumberToText does not read back", value, quantity);
            }
        }
    }
    return 0;
}

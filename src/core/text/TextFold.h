#pragma once

#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

// Text folded for matching whatever its letter case, accents and Unicode form: "Crème" stored
// composed or decomposed, "CREME" and "creme" all become "creme", "Weißwurst" "weisswurst", "ﬁsh"
// "fish", "ＴＯＦＵ" "tofu" and "Kısır" "kisir". ICU does the work: NFKC with full case folding,
// then each character's canonical decomposition without its non-spacing marks. Korean syllables
// stay whole (their decomposition is letters, not accents); the dotless ı, which no Unicode folding
// joins to i, becomes i. Unpaired surrogates pass through as they are.
class TextFold
{
public:
    static QString fold(QStringView text);
    // Appends the fold of `text` to `out`, for callers that fold many texts into one.
    static void appendFold(QStringView text, QString* out);
    // The same folded text, and where each of its units came from: sources[k] is the start and the
    // end, in `text`, of the characters that folded unit k stems from, so that a match in the
    // folded text can be shown on the written one.
    static QString fold(QStringView text, std::vector<std::pair<int, int>>* sources);
    // Lower-cases an all-ASCII `text` into `out` (room for text.size() units), which is its fold;
    // tells whether it was all ASCII (otherwise `out` holds nothing useful). Kept simple enough for
    // the compiler to vectorise: most food names take this way.
    template <class Unit> static bool foldAscii(QStringView text, Unit* out);
};

template <class Unit> bool TextFold::foldAscii(QStringView text, Unit* out)
{
    const char16_t* from = text.utf16();
    const qsizetype size = text.size();
    char16_t seen = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = from[i];
        seen |= unit;
        const char16_t upper = static_cast<char16_t>(unit - u'A') <= u'Z' - u'A' ? 32 : 0;
        out[i] = static_cast<Unit>(unit + upper);
    }
    return seen < 0x80;
}

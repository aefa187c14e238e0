#include "core/TextFold.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <limits>

namespace {

struct Normalizers
{
    const icu::Normalizer2* caseFold = nullptr;
    const icu::Normalizer2* decompose = nullptr;
};

// ICU's own instances, built from the data it ships; both are null should that data be missing.
const Normalizers& normalizers()
{
    static const Normalizers instances = [] {
        UErrorCode status = U_ZERO_ERROR;
        Normalizers found { icu::Normalizer2::getNFKCCasefoldInstance(status),
            icu::Normalizer2::getNFDInstance(status) };
        return U_SUCCESS(status) ? found : Normalizers {};
    }();
    return instances;
}

bool isHangulSyllable(UChar32 c)
{
    return c >= 0xAC00 && c <= 0xD7A3;
}

void appendKept(UChar32 c, QString* out)
{
    if (u_charType(c) == U_NON_SPACING_MARK) {
        return;
    }
    if (c == 0x0131) {
        c = u'i';
    }
    if (c > 0xFFFF) {
        out->append(QChar(QChar::highSurrogate(static_cast<char32_t>(c))));
        out->append(QChar(QChar::lowSurrogate(static_cast<char32_t>(c))));
    } else {
        out->append(QChar(static_cast<char16_t>(c)));
    }
}

void appendFolded(QStringView text, QString* out)
{
    const qsizetype at = out->size();
    out->resize(at + text.size());
    if (TextFold::foldAscii(text, reinterpret_cast<char16_t*>(out->data() + at))) {
        return;
    }
    out->truncate(at);
    const Normalizers& icu = normalizers();
    if (!icu.caseFold || text.size() > std::numeric_limits<int32_t>::max()) {
        out->append(text.toString().toCaseFolded());
        return;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString source(false, text.utf16(), static_cast<int32_t>(text.size()));
    icu::UnicodeString folded;
    icu.caseFold->normalize(source, folded, status);
    if (U_FAILURE(status)) {
        out->append(text.toString().toCaseFolded());
        return;
    }
    icu::UnicodeString parts;
    for (int32_t i = 0; i < folded.length();) {
        const UChar32 c = folded.char32At(i);
        i += U16_LENGTH(c);
        if (!isHangulSyllable(c) && icu.decompose->getDecomposition(c, parts)) {
            for (int32_t j = 0; j < parts.length();) {
                const UChar32 part = parts.char32At(j);
                j += U16_LENGTH(part);
                appendKept(part, out);
            }
        } else {
            appendKept(c, out);
        }
    }
}

} // namespace

QString TextFold::fold(QStringView text)
{
    QString folded;
    appendFolded(text, &folded);
    return folded;
}

QString TextFold::fold(QStringView text, std::vector<std::pair<int, int>>* sources)
{
    // The text is folded in pieces that ICU says fold alone as they do within the whole: a letter
    // with the accents after it, a syllable. Each unit folded from a piece stems from all of it.
    sources->clear();
    QString folded;
    const icu::Normalizer2* caseFold = normalizers().caseFold;
    qsizetype start = 0;
    const auto foldPiece = [&](qsizetype end) {
        const qsizetype before = folded.size();
        appendFolded(text.sliced(start, end - start), &folded);
        sources->insert(sources->end(), static_cast<std::size_t>(folded.size() - before),
            { static_cast<int>(start), static_cast<int>(end) });
        start = end;
    };
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype next = i + 1;
        if (QChar::isHighSurrogate(c) && next < text.size() && text[next].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[next]);
            ++next;
        }
        if (i > start && (!caseFold || caseFold->hasBoundaryBefore(static_cast<UChar32>(c)))) {
            foldPiece(i);
        }
        i = next;
    }
    if (start < text.size()) {
        foldPiece(text.size());
    }
    return folded;
}

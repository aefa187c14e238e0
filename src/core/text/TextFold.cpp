#include "core/text/TextFold.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>

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

// Folds `text` through ICU whole.
void appendFoldedByIcu(QStringView text, QString* out)
{
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

// The fold of each UTF-16 unit on its own, asked of ICU once per block of 256 units when a text
// first holds one, and whether the unit stands alone: ICU finds no normalisation boundary inside a
// letter and its accents, so only a unit with a boundary before it (and no surrogate) may be
// folded apart from its neighbours. Most texts then fold by lookups; a run of units that go
// together, such as a letter and its decomposed accents, is still folded by ICU whole.
class UnitFolds
{
public:
    static constexpr std::uint32_t Alone = 1;

    struct Block
    {
        // Per unit: Alone, the length of its fold shifted by 1, the fold's start in `folds` by 8.
        std::array<std::uint32_t, 256> entries {};
        std::u16string folds;
    };

    const Block& block(char16_t unit)
    {
        const std::size_t index = unit >> 8;
        const Block* found = m_blocks[index].load(std::memory_order_acquire);
        if (!found) {
            std::call_once(m_built[index], [this, index] {
                m_owned[index] = build(index);
                m_blocks[index].store(m_owned[index].get(), std::memory_order_release);
            });
            found = m_owned[index].get();
        }
        return *found;
    }

private:
    static std::unique_ptr<Block> build(std::size_t index)
    {
        auto block = std::make_unique<Block>();
        const icu::Normalizer2* caseFold = normalizers().caseFold;
        QString folded;
        for (std::size_t low = 0; low < 256; ++low) {
            const auto unit = static_cast<char16_t>(index << 8 | low);
            if (!caseFold || QChar::isSurrogate(unit) || !caseFold->hasBoundaryBefore(unit)) {
                continue;
            }
            folded.resize(0);
            appendFoldedByIcu(QStringView(&unit, 1), &folded);
            block->entries[low] = static_cast<std::uint32_t>(block->folds.size()) << 8
                | static_cast<std::uint32_t>(folded.size()) << 1 | Alone;
            block->folds.append(reinterpret_cast<const char16_t*>(folded.constData()), folded.size());
        }
        return block;
    }

    std::array<std::once_flag, 256> m_built;
    std::array<std::unique_ptr<Block>, 256> m_owned;
    std::array<std::atomic<const Block*>, 256> m_blocks {};
};

// Writes units after the end of a string, growing it by steps rather than unit by unit.
class Appender
{
public:
    // Writes from `end` on; `out` may be longer already, and is cut to what was written at last.
    Appender(QString* out, qsizetype end)
        : m_out(out)
        , m_end(end)
    { }
    ~Appender() { m_out->resize(m_end); }

    qsizetype size() const { return m_end; }
    void truncate(qsizetype end) { m_end = end; }
    void append(const char16_t* units, qsizetype count)
    {
        std::copy(units, units + count, room(count));
        m_end += count;
    }
    void appendAscii(QStringView ascii)
    {
        TextFold::foldAscii(ascii, room(ascii.size()));
        m_end += ascii.size();
    }

private:
    char16_t* room(qsizetype count)
    {
        if (m_end + count > m_out->size()) {
            m_out->resize(std::max(m_out->size() * 2, m_end + count));
        }
        return reinterpret_cast<char16_t*>(m_out->data()) + m_end;
    }

    QString* m_out;
    qsizetype m_end;
};

void appendFolded(QStringView text, QString* out)
{
    const qsizetype at = out->size();
    out->resize(at + text.size());
    if (TextFold::foldAscii(text, reinterpret_cast<char16_t*>(out->data() + at))) {
        return;
    }
    static UnitFolds units;
    // The text is read in pieces, each starting at a unit that stands alone; a piece of one unit
    // takes that unit's fold, a longer one is folded by ICU. The ASCII before the first other unit
    // is folded already, and its last unit is the piece before.
    qsizetype first = 0;
    while (text[first].unicode() < 0x80) {
        ++first;
    }
    Appender appender(out, at + first);
    QString piece;
    const auto foldPiece = [&](qsizetype start, qsizetype end, qsizetype written) {
        appender.truncate(written);
        piece.resize(0);
        appendFoldedByIcu(text.sliced(start, end - start), &piece);
        appender.append(reinterpret_cast<const char16_t*>(piece.constData()), piece.size());
    };
    qsizetype pieceStart = std::max<qsizetype>(first - 1, 0);
    qsizetype pieceWritten = at + pieceStart;
    bool single = true;
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            // ASCII stands alone and folds to its lower case: a run of it is written at once.
            if (!single) {
                foldPiece(pieceStart, i, pieceWritten);
            }
            qsizetype end = i + 1;
            while (end < text.size() && text[end].unicode() < 0x80) {
                ++end;
            }
            appender.appendAscii(text.sliced(i, end - i));
            pieceStart = end - 1;
            pieceWritten = appender.size() - 1;
            single = true;
            i = end - 1;
            continue;
        }
        const UnitFolds::Block& block = units.block(unit);
        const std::uint32_t entry = block.entries[unit & 0xFF];
        if (!(entry & UnitFolds::Alone)) {
            single = false;
            continue;
        }
        if (!single) {
            foldPiece(pieceStart, i, pieceWritten);
        }
        pieceStart = i;
        pieceWritten = appender.size();
        single = true;
        appender.append(block.folds.data() + (entry >> 8), (entry >> 1) & 0x7F);
    }
    if (!single) {
        foldPiece(pieceStart, text.size(), pieceWritten);
    }
}

} // namespace

QString TextFold::fold(QStringView text)
{
    QString folded;
    appendFolded(text, &folded);
    return folded;
}

void TextFold::appendFold(QStringView text, QString* out)
{
    appendFolded(text, out);
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

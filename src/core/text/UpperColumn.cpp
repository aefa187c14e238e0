#include "core/text/UpperColumn.h"

#include <algorithm>
#include <cstdint>

namespace {

bool isAscii(const QChar* begin, const QChar* end)
{
    for (const QChar* c = begin; c != end; ++c) {
        if (c->unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

void upperAsciiInPlace(QChar* begin, QChar* end)
{
    for (QChar* c = begin; c != end; ++c) {
        const char16_t u = c->unicode();
        if (u >= u'a' && u <= u'z') {
            *c = QChar(static_cast<char16_t>(u - (u'a' - u'A')));
        }
    }
}

// Latin-1 upper case for the letters that keep their length and stay in Latin-1, and the other
// case of each upper-case letter; every other byte maps to itself.
struct CaseTables
{
    unsigned char upper[256];
    unsigned char lower[256];
    constexpr CaseTables()
        : upper()
        , lower()
    {
        for (int b = 0; b < 256; ++b) {
            upper[b] = static_cast<unsigned char>(b);
            lower[b] = static_cast<unsigned char>(b);
        }
        for (int b = 'a'; b <= 'z'; ++b) {
            upper[b] = static_cast<unsigned char>(b - 32);
            lower[b - 32] = static_cast<unsigned char>(b);
        }
        // à to þ, but ÷; ÿ upper-cases beyond Latin-1 and ß to two letters (see keepsLatin1).
        for (int b = 0xE0; b <= 0xFE; ++b) {
            if (b != 0xF7) {
                upper[b] = static_cast<unsigned char>(b - 0x20);
                lower[b - 0x20] = static_cast<unsigned char>(b);
            }
        }
    }
};
constexpr CaseTables kCase;

// Whether every byte of a Latin-1 text upper-cases through the table: µ, ß and ÿ do not.
bool keepsLatin1(const QByteArray& bytes)
{
    const auto n = static_cast<std::size_t>(bytes.size());
    for (const char special : { '\xB5', '\xDF', '\xFF' }) {
        if (std::memchr(bytes.constData(), special, n)) {
            return false;
        }
    }
    return true;
}

// A text beyond ASCII upper-cased in its composed form, so that an accent stored decomposed (as
// files from macOS often have it) reads as the same letter typed composed, and the other way round.
QString upperComposed(QStringView text)
{
    return text.toString().normalized(QString::NormalizationForm_C).toUpper();
}

} // namespace

QString UpperColumn::upper(QStringView text)
{
    if (isAscii(text.begin(), text.end())) {
        QString result = text.toString();
        upperAsciiInPlace(result.data(), result.data() + result.size());
        return result;
    }
    return upperComposed(text);
}

TextColumn UpperColumn::upperCased(const TextColumn& column)
{
    TextColumn result;
    result.reserve(column.size(), column.characterCount());
    QString scratch;
    for (qsizetype i = 0; i < column.size(); ++i) {
        const QStringView cell = column.view(i, scratch);
        if (isAscii(cell.begin(), cell.end())) {
            result.appendUpperAscii(cell);
        } else {
            result.append(upperComposed(cell));
        }
    }
    return result;
}

UpperColumn::Pattern::Pattern(QStringView text)
    : m_text(upper(text))
    , m_matcher(m_text, Qt::CaseSensitive)
{
    if (std::all_of(m_text.begin(), m_text.end(), [](QChar c) { return c.unicode() < 0x100; })) {
        m_latin1 = m_text.toLatin1();
    }
}

UpperColumn::UpperColumn(const TextColumn& column)
    : m_offsets(&column.offsets())
{
    if (column.isLatin1() && keepsLatin1(column.latin1())) {
        m_inPlace = &column;
        return;
    }
    // Most texts keep their length when upper-cased, so the cells are folded in place over the
    // original's layout; only a cell that grows or shrinks ("ß", a decomposed accent) calls for a
    // new layout.
    m_text = column.isLatin1() ? QString::fromLatin1(column.latin1()) : column.utf16();
    const auto& offsets = column.offsets();
    QChar* const data = m_text.data();
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
        QChar* const begin = data + offsets[i];
        QChar* const end = data + offsets[i + 1];
        if (isAscii(begin, end)) {
            upperAsciiInPlace(begin, end);
            continue;
        }
        const QString upperCell = upperComposed(QStringView(begin, end - begin));
        if (upperCell.size() != end - begin) {
            TextColumn rebuilt = upperCased(column);
            m_text = rebuilt.isLatin1() ? QString::fromLatin1(rebuilt.latin1()) : rebuilt.utf16();
            m_ownOffsets = rebuilt.offsets();
            return;
        }
        std::copy(upperCell.begin(), upperCell.end(), begin);
    }
}

qsizetype UpperColumn::firstMatch(
    const TextColumn& cells, const Pattern& pattern, qsizetype firstCell, qsizetype endCell)
{
    qsizetype found = -1;
    const auto stop = [&found](qsizetype cell) {
        found = cell;
        return false;
    };
    if (!cells.isLatin1()) {
        const QStringView text(cells.utf16());
        scanCells(
            cells.offsets(), pattern.size(), firstCell, endCell,
            [&](qsizetype from, qsizetype limit) { return pattern.matcher().indexIn(text.first(limit), from); }, stop);
        return found;
    }
    // The cells are upper-cased already, so a plain byte search does.
    const QByteArray& needle = pattern.latin1();
    if (needle.isEmpty()) {
        return -1;
    }
    const char* const bytes = cells.latin1().constData();
    scanCells(
        cells.offsets(), needle.size(), firstCell, endCell,
        [&](qsizetype from, qsizetype limit) -> qsizetype {
            const void* hit = memmem(bytes + from, static_cast<std::size_t>(limit - from), needle.constData(),
                static_cast<std::size_t>(needle.size()));
            return hit ? static_cast<const char*>(hit) - bytes : -1;
        },
        stop);
    return found;
}

qsizetype UpperColumn::findCaseBlind(const char* bytes, qsizetype from, qsizetype limit, const QByteArray& needle)
{
    const auto* hay = reinterpret_cast<const unsigned char*>(bytes);
    const auto* pattern = reinterpret_cast<const unsigned char*>(needle.constData());
    const qsizetype length = needle.size();
    const qsizetype lastStart = limit - length;
    const auto matchesAt = [&](qsizetype at) {
        for (qsizetype j = 0; j < length; ++j) {
            if (kCase.upper[hay[at + j]] != pattern[j]) {
                return false;
            }
        }
        return true;
    };
    // Sixteen places at a time, those whose first and last bytes both match either case are
    // checked in full (the generic SIMD search of Wojciech Muła), in the compiler's portable
    // vectors.
    using Bytes = unsigned char __attribute__((vector_size(16)));
    const unsigned char first = pattern[0];
    const unsigned char last = pattern[length - 1];
    const Bytes firstUpper = first - Bytes {};
    const Bytes firstLower = kCase.lower[first] - Bytes {};
    const Bytes lastUpper = last - Bytes {};
    const Bytes lastLower = kCase.lower[last] - Bytes {};
    qsizetype at = from;
    for (; at + 16 <= lastStart + 1; at += 16) {
        Bytes starts;
        Bytes ends;
        std::memcpy(&starts, hay + at, 16);
        std::memcpy(&ends, hay + at + length - 1, 16);
        const auto candidates
            = ((starts == firstUpper) | (starts == firstLower)) & ((ends == lastUpper) | (ends == lastLower));
        std::uint64_t words[2];
        std::memcpy(words, &candidates, 16);
        if ((words[0] | words[1]) == 0) {
            continue;
        }
        for (int k = 0; k < 16; ++k) {
            if (candidates[k] && matchesAt(at + k)) {
                return at + k;
            }
        }
    }
    for (; at <= lastStart; ++at) {
        if (kCase.upper[hay[at]] == first && matchesAt(at)) {
            return at;
        }
    }
    return -1;
}

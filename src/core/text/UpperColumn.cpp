#include "core/text/UpperColumn.h"

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

// Upper-cases the ASCII letters of `text` into bytes in one pass, simple enough for the compiler
// to vectorise. Tells whether the text was all ASCII (only then are the bytes its upper case).
QByteArray upperAsciiBytes(const QString& text, bool* ascii)
{
    const qsizetype n = text.size();
    QByteArray result(n, Qt::Uninitialized);
    const auto* from = reinterpret_cast<const char16_t*>(text.constData());
    auto* to = reinterpret_cast<unsigned char*>(result.data());
    char16_t high = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = from[i];
        const char16_t isLower = static_cast<char16_t>(u - u'a') <= u'z' - u'a' ? 1 : 0;
        high |= u & 0xFF80;
        to[i] = static_cast<unsigned char>(u - isLower * 32);
    }
    *ascii = high == 0;
    return result;
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
    result.reserve(column.size(), column.text().size());
    QString folded;
    for (qsizetype i = 0; i < column.size(); ++i) {
        const QStringView cell = column.at(i);
        if (isAscii(cell.begin(), cell.end())) {
            result.appendUpperAscii(cell);
        } else {
            folded = upperComposed(cell);
            result.append(folded);
        }
    }
    return result;
}

UpperColumn::Pattern::Pattern(QStringView text)
    : m_text(upper(text))
    , m_matcher(m_text, Qt::CaseSensitive)
{
    bool ascii = true;
    QByteArray bytes = upperAsciiBytes(m_text, &ascii);
    if (ascii) {
        m_ascii = std::move(bytes);
    }
}

UpperColumn::UpperColumn(const TextColumn& column)
    : m_offsets(&column.offsets())
{
    bool ascii = true;
    m_bytes = upperAsciiBytes(column.text(), &ascii);
    if (ascii) {
        m_isAscii = true;
        return;
    }
    m_bytes = QByteArray();
    // Most texts keep their length when upper-cased, so the cells are folded in place over the
    // original's layout; only a cell that grows or shrinks ("ß", a decomposed accent) calls for a
    // new layout.
    m_text = column.text();
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
            const TextColumn rebuilt = upperCased(column);
            m_text = rebuilt.text();
            m_ownOffsets = rebuilt.offsets();
            return;
        }
        std::copy(upperCell.begin(), upperCell.end(), begin);
    }
}

qsizetype UpperColumn::firstMatch(
    const TextColumn& cells, const QStringMatcher& matcher, qsizetype firstCell, qsizetype endCell)
{
    qsizetype found = -1;
    forEachMatch(cells, matcher, firstCell, endCell, [&found](qsizetype cell) {
        found = cell;
        return false;
    });
    return found;
}

QByteArray UpperColumn::asciiText(const TextColumn& cells)
{
    bool ascii = true;
    QByteArray bytes = upperAsciiBytes(cells.text(), &ascii);
    return ascii ? bytes : QByteArray();
}

qsizetype UpperColumn::firstMatch(const QByteArray& ascii, const std::vector<qsizetype>& offsets,
    const Pattern& pattern, qsizetype firstCell, qsizetype endCell)
{
    const QByteArray& needle = pattern.ascii();
    if (needle.isEmpty()) {
        return -1;
    }
    const char* const bytes = ascii.constData();
    qsizetype found = -1;
    scanCells(
        offsets, needle.size(), firstCell, endCell,
        [&](qsizetype from, qsizetype limit) -> qsizetype {
            const void* hit = memmem(bytes + from, static_cast<std::size_t>(limit - from), needle.constData(),
                static_cast<std::size_t>(needle.size()));
            return hit ? static_cast<const char*>(hit) - bytes : -1;
        },
        [&found](qsizetype cell) {
            found = cell;
            return false;
        });
    return found;
}

#include "core/text/TextColumn.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies `text` into `to` as Latin-1 bytes in one pass simple enough for the compiler to
// vectorise; true when every character fit (only then do the bytes hold the text).
bool narrowInto(QStringView text, char* to)
{
    const auto* from = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype n = text.size();
    char16_t high = 0;
    for (qsizetype i = 0; i < n; ++i) {
        high |= from[i] & 0xFF00;
        to[i] = static_cast<char>(from[i]);
    }
    return high == 0;
}

bool fitsLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

void TextColumn::reserve(qsizetype cells, qsizetype characters)
{
    m_offsets.reserve(static_cast<std::size_t>(cells) + 1);
    if (m_isWide) {
        m_utf16.reserve(characters);
    } else {
        m_latin1.reserve(characters);
    }
}

bool TextColumn::append(QStringView text)
{
    const qsizetype begin = characterCount();
    if (text.size() > MostCharacters - begin) {
        return false;
    }
    if (!m_isWide) {
        m_latin1.resize(begin + text.size());
        if (!narrowInto(text, m_latin1.data() + begin)) {
            m_latin1.resize(begin);
            widen();
        }
    }
    if (m_isWide) {
        m_utf16.append(text);
    }
    m_offsets.push_back(static_cast<Offset>(begin + text.size()));
    return true;
}

void TextColumn::appendUpperAscii(QStringView text)
{
    const qsizetype begin = characterCount();
    const auto* from = reinterpret_cast<const char16_t*>(text.data());
    if (!m_isWide) {
        m_latin1.resize(begin + text.size());
        auto* to = reinterpret_cast<unsigned char*>(m_latin1.data() + begin);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = from[i];
            to[i] = static_cast<unsigned char>(u >= u'a' && u <= u'z' ? u - (u'a' - u'A') : u);
        }
    } else {
        m_utf16.append(text);
        QChar* c = m_utf16.data() + begin;
        QChar* const end = m_utf16.data() + m_utf16.size();
        for (; c != end; ++c) {
            const char16_t u = c->unicode();
            if (u >= u'a' && u <= u'z') {
                *c = QChar(static_cast<char16_t>(u - (u'a' - u'A')));
            }
        }
    }
    m_offsets.push_back(static_cast<Offset>(begin + text.size()));
}

void TextColumn::clear()
{
    m_isWide = false;
    m_latin1.clear();
    m_utf16.clear();
    m_offsets.assign(1, 0);
}

QString TextColumn::at(qsizetype index) const
{
    const auto begin = static_cast<qsizetype>(m_offsets[std::size_t(index)]);
    if (m_isWide) {
        return m_utf16.mid(begin, length(index));
    }
    return QString::fromLatin1(m_latin1.constData() + begin, length(index));
}

QStringView TextColumn::view(qsizetype index, QString& scratch) const
{
    const auto begin = static_cast<qsizetype>(m_offsets[std::size_t(index)]);
    const qsizetype n = length(index);
    if (m_isWide) {
        return QStringView(m_utf16).mid(begin, n);
    }
    scratch.resize(n);
    const auto* from = reinterpret_cast<const unsigned char*>(m_latin1.constData() + begin);
    auto* to = reinterpret_cast<char16_t*>(scratch.data());
    for (qsizetype i = 0; i < n; ++i) {
        to[i] = from[i];
    }
    return scratch;
}

int TextColumn::compare(qsizetype a, qsizetype b) const
{
    const auto beginA = static_cast<qsizetype>(m_offsets[std::size_t(a)]);
    const auto beginB = static_cast<qsizetype>(m_offsets[std::size_t(b)]);
    const qsizetype lengthA = length(a);
    const qsizetype lengthB = length(b);
    if (m_isWide) {
        return QStringView(m_utf16).mid(beginA, lengthA).compare(QStringView(m_utf16).mid(beginB, lengthB));
    }
    // Latin-1 bytes are the UTF-16 code units' low halves, so bytes order as the code units do.
    const int c = std::memcmp(
        m_latin1.constData() + beginA, m_latin1.constData() + beginB, std::size_t(std::min(lengthA, lengthB)));
    if (c != 0) {
        return c < 0 ? -1 : 1;
    }
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

void TextColumn::widen()
{
    const qsizetype room = m_latin1.capacity();
    m_utf16 = QString::fromLatin1(m_latin1);
    m_utf16.reserve(room);
    m_latin1 = QByteArray();
    m_isWide = true;
}

void TextColumn::place(qsizetype at, qsizetype replacing, QStringView text)
{
    if (!m_isWide && !fitsLatin1(text)) {
        widen();
    }
    if (m_isWide) {
        m_utf16.replace(at, replacing, text.toString());
        return;
    }
    m_latin1.replace(at, replacing, text.toLatin1());
}

void TextColumn::shiftFrom(std::size_t first, qsizetype delta)
{
    if (delta == 0) {
        return;
    }
    for (std::size_t k = first; k < m_offsets.size(); ++k) {
        m_offsets[k] = static_cast<Offset>(static_cast<qsizetype>(m_offsets[k]) + delta);
    }
}

void TextColumn::set(qsizetype index, QStringView text)
{
    // Rewriting one cell moves the texts after it; editing is rare next to reading.
    const auto i = static_cast<std::size_t>(index);
    const qsizetype oldLength = length(index);
    place(static_cast<qsizetype>(m_offsets[i]), oldLength, text);
    shiftFrom(i + 1, text.size() - oldLength);
}

void TextColumn::insert(qsizetype index, QStringView text)
{
    const auto i = static_cast<std::size_t>(index);
    const auto begin = static_cast<qsizetype>(m_offsets[i]);
    place(begin, 0, text);
    m_offsets.insert(m_offsets.begin() + static_cast<std::ptrdiff_t>(i) + 1, static_cast<Offset>(begin));
    shiftFrom(i + 1, text.size());
}

void TextColumn::remove(qsizetype index)
{
    const auto i = static_cast<std::size_t>(index);
    const auto begin = static_cast<qsizetype>(m_offsets[i]);
    const qsizetype n = length(index);
    if (m_isWide) {
        m_utf16.remove(begin, n);
    } else {
        m_latin1.remove(begin, n);
    }
    m_offsets.erase(m_offsets.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    shiftFrom(i + 1, -n);
}

qsizetype TextColumn::bytes() const
{
    return m_latin1.capacity() + m_utf16.capacity() * 2 + static_cast<qsizetype>(m_offsets.capacity() * sizeof(Offset));
}

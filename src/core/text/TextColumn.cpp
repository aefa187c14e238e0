#include "core/text/TextColumn.h"

void TextColumn::reserve(qsizetype cells, qsizetype characters)
{
    m_offsets.reserve(static_cast<std::size_t>(cells) + 1);
    m_text.reserve(characters);
}

void TextColumn::append(QStringView text)
{
    m_text.append(text);
    m_offsets.push_back(m_text.size());
}

void TextColumn::appendUpperAscii(QStringView text)
{
    const qsizetype begin = m_text.size();
    m_text.append(text);
    QChar* c = m_text.data() + begin;
    QChar* const end = m_text.data() + m_text.size();
    for (; c != end; ++c) {
        const char16_t u = c->unicode();
        if (u >= u'a' && u <= u'z') {
            *c = QChar(static_cast<char16_t>(u - (u'a' - u'A')));
        }
    }
    m_offsets.push_back(m_text.size());
}

void TextColumn::clear()
{
    m_text.clear();
    m_offsets.assign(1, 0);
}

void TextColumn::set(qsizetype index, QStringView text)
{
    // Rewriting one cell moves the texts after it; editing is rare next to reading.
    const auto i = static_cast<std::size_t>(index);
    const qsizetype begin = m_offsets[i];
    const qsizetype oldLength = m_offsets[i + 1] - begin;
    m_text.replace(begin, oldLength, text.toString());
    const qsizetype delta = text.size() - oldLength;
    if (delta != 0) {
        for (std::size_t k = i + 1; k < m_offsets.size(); ++k) {
            m_offsets[k] += delta;
        }
    }
}

void TextColumn::insert(qsizetype index, QStringView text)
{
    const auto i = static_cast<std::size_t>(index);
    const qsizetype begin = m_offsets[i];
    m_text.insert(begin, text);
    m_offsets.insert(m_offsets.begin() + static_cast<std::ptrdiff_t>(i) + 1, begin + text.size());
    for (std::size_t k = i + 2; k < m_offsets.size(); ++k) {
        m_offsets[k] += text.size();
    }
}

void TextColumn::remove(qsizetype index)
{
    const auto i = static_cast<std::size_t>(index);
    const qsizetype begin = m_offsets[i];
    const qsizetype length = m_offsets[i + 1] - begin;
    m_text.remove(begin, length);
    m_offsets.erase(m_offsets.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    if (length != 0) {
        for (std::size_t k = i + 1; k < m_offsets.size(); ++k) {
            m_offsets[k] -= length;
        }
    }
}

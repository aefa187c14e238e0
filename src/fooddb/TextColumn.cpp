#include "TextColumn.h"

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

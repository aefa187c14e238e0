#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// One column of cell texts kept in a single string with an offset per cell, so that a million
// foods cost two allocations per column instead of a string object per cell, and a search can
// scan the whole column in one pass.
class TextColumn
{
public:
    void reserve(qsizetype cells, qsizetype characters);
    void append(QStringView text);
    // Appends an ASCII text with its letters upper-cased, without an intermediate string.
    void appendUpperAscii(QStringView text);
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(m_offsets.size()) - 1; }
    QStringView at(qsizetype index) const
    {
        const auto begin = m_offsets[static_cast<std::size_t>(index)];
        const auto end = m_offsets[static_cast<std::size_t>(index) + 1];
        return QStringView(m_text).mid(begin, end - begin);
    }
    void set(qsizetype index, QStringView text);
    // Makes `text` cell `index`; the cells from there on move one place up.
    void insert(qsizetype index, QStringView text);
    void remove(qsizetype index);

    const QString& text() const { return m_text; }
    // offsets()[i] is where cell i begins in text(); offsets()[size()] is the end.
    const std::vector<qsizetype>& offsets() const { return m_offsets; }

private:
    QString m_text;
    std::vector<qsizetype> m_offsets { 0 };
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// One column of cell texts kept in a single string with an offset per cell, so that a million
// foods cost two allocations per column instead of a string object per cell, and a search can
// scan the whole column in one pass.
//
// A column whose characters all lie in Latin-1 (nearly every food table, and every column of
// numbers) keeps one byte per character; the first character beyond it turns the whole column to
// UTF-16. Either way a character takes one place, so the offsets are the same in both forms, and
// 32 bits each.
class TextColumn
{
public:
    using Offset = std::uint32_t;
    // The most characters one column holds. Readers refuse a table beyond it, with room to spare
    // for an upper-cased copy, which may grow ("ß" becomes "SS").
    static constexpr qsizetype MostCharacters = qsizetype(1) << 30;

    void reserve(qsizetype cells, qsizetype characters);
    // Appends a cell; false, with the column unchanged, when it would hold more than
    // MostCharacters.
    bool append(QStringView text);
    // Appends an ASCII text with its letters upper-cased, without an intermediate string.
    void appendUpperAscii(QStringView text);
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(m_offsets.size()) - 1; }
    qsizetype characterCount() const { return static_cast<qsizetype>(m_offsets.back()); }
    qsizetype length(qsizetype index) const
    {
        return static_cast<qsizetype>(m_offsets[std::size_t(index) + 1] - m_offsets[std::size_t(index)]);
    }
    // A cell's text.
    QString at(qsizetype index) const;
    // A cell's text without copying when the column is in UTF-16; a Latin-1 column's cell is
    // widened into `scratch`, which the view then points into until its next use.
    QStringView view(qsizetype index, QString& scratch) const;
    // Negative, zero or positive as cell a's text sorts before, with or after cell b's, by UTF-16
    // code units (QStringView::compare).
    int compare(qsizetype a, qsizetype b) const;

    void set(qsizetype index, QStringView text);
    // Makes `text` cell `index`; the cells from there on move one place up.
    void insert(qsizetype index, QStringView text);
    void remove(qsizetype index);

    // True while every character is in Latin-1 and kept in latin1(); else the text is utf16().
    bool isLatin1() const { return !m_isWide; }
    const QByteArray& latin1() const { return m_latin1; }
    const QString& utf16() const { return m_utf16; }
    // offsets()[i] is where cell i begins in the text; offsets()[size()] is the end.
    const std::vector<Offset>& offsets() const { return m_offsets; }

    // Memory held, in bytes.
    qsizetype bytes() const;

private:
    // Turns the column to UTF-16 for a character beyond Latin-1.
    void widen();
    // Copies `text` into the column's text at `at`, widening it first when needed.
    void place(qsizetype at, qsizetype replacing, QStringView text);
    void shiftFrom(std::size_t first, qsizetype delta);

    bool m_isWide = false;
    QByteArray m_latin1;
    QString m_utf16;
    std::vector<Offset> m_offsets { 0 };
};

#pragma once

#include "core/text/TextColumn.h"

#include <QByteArray>
#include <QString>
#include <QStringMatcher>
#include <QStringView>

#include <cstring>

// An upper-cased copy of a column of cell texts, built once, so that a search that ignores letter
// case scans one packed string instead of folding every cell again. A column of plain ASCII texts
// (numbers, and most food names) is kept in one byte per character, which halves its memory and
// lets the search run over bytes.
class UpperColumn
{
public:
    // A search text, upper-cased once for both kinds of column.
    class Pattern
    {
    public:
        explicit Pattern(QStringView text);
        bool isEmpty() const { return m_text.isEmpty(); }
        qsizetype size() const { return m_text.size(); }
        const QStringMatcher& matcher() const { return m_matcher; }
        // The pattern in bytes; empty when it holds anything beyond ASCII and so cannot occur in
        // an ASCII column.
        const QByteArray& ascii() const { return m_ascii; }

    private:
        QString m_text;
        QStringMatcher m_matcher;
        QByteArray m_ascii;
    };

    // The original's offsets are used while the cell lengths stay the same, so the original must
    // outlive this copy and keep its cells.
    explicit UpperColumn(const TextColumn& column);

    // The text upper-cased as the searches compare it: ASCII letters directly, anything else
    // composed (NFC) and through QString::toUpper, either of which may change the length: "ß"
    // becomes "SS", a letter with its accent stored decomposed becomes one character.
    static QString upper(QStringView text);
    // An upper-cased column that owns its text, for callers that edit it afterwards.
    static TextColumn upperCased(const TextColumn& column);

    qsizetype size() const { return static_cast<qsizetype>(offsets().size()) - 1; }
    const std::vector<qsizetype>& offsets() const { return m_ownOffsets.empty() ? *m_offsets : m_ownOffsets; }

    // Calls onMatch(cell) for every cell in [firstCell, endCell) whose upper-cased text contains
    // the pattern, in cell order; the pattern must not be empty. A hit counts only when it lies
    // wholly inside one cell. onMatch returns false to stop early.
    template <typename OnMatch>
    void forEachMatch(const Pattern& pattern, qsizetype firstCell, qsizetype endCell, OnMatch onMatch) const;

    // The same search over a column that is already upper-cased.
    template <typename OnMatch>
    static void forEachMatch(const TextColumn& cells, const QStringMatcher& matcher, qsizetype firstCell,
        qsizetype endCell, OnMatch onMatch);
    // The first cell in [firstCell, endCell) of an upper-cased column that contains the pattern,
    // or -1.
    static qsizetype firstMatch(
        const TextColumn& cells, const QStringMatcher& matcher, qsizetype firstCell, qsizetype endCell);
    // The text of an upper-cased column in bytes when every character is ASCII; empty otherwise.
    static QByteArray asciiText(const TextColumn& cells);
    // The same first match over such bytes, with the column's offsets: a byte search instead.
    static qsizetype firstMatch(const QByteArray& ascii, const std::vector<qsizetype>& offsets, const Pattern& pattern,
        qsizetype firstCell, qsizetype endCell);

private:
    // The common walk: `find(from, limit)` gives the next hit at or after `from` that ends by
    // `limit`, or -1.
    template <typename Find, typename OnMatch>
    static void scanCells(const std::vector<qsizetype>& offsets, qsizetype length, qsizetype firstCell,
        qsizetype endCell, Find find, OnMatch onMatch);

    bool m_isAscii = false;
    QByteArray m_bytes;
    QString m_text;
    const std::vector<qsizetype>* m_offsets = nullptr;
    std::vector<qsizetype> m_ownOffsets;
};

template <typename Find, typename OnMatch>
void UpperColumn::scanCells(const std::vector<qsizetype>& offsets, qsizetype length, qsizetype firstCell,
    qsizetype endCell, Find find, OnMatch onMatch)
{
    if (firstCell >= endCell) {
        return;
    }
    // The search ends where the range ends, so a hit past the last cell of the range is never seen.
    const qsizetype limit = offsets[static_cast<std::size_t>(endCell)];
    qsizetype cell = firstCell;
    qsizetype from = offsets[static_cast<std::size_t>(firstCell)];
    while (cell < endCell) {
        const qsizetype hit = find(from, limit);
        if (hit < 0) {
            return;
        }
        // Hits come in rising order, so walking the offsets forward costs one step per cell at most.
        while (offsets[static_cast<std::size_t>(cell) + 1] <= hit) {
            ++cell;
        }
        const qsizetype cellEnd = offsets[static_cast<std::size_t>(cell) + 1];
        // A hit that runs over the end of its cell joins two texts; no later hit starting in the
        // same cell can fit either, so the search goes on at the next cell.
        if (hit + length <= cellEnd && !onMatch(cell)) {
            return;
        }
        from = cellEnd;
        ++cell;
    }
}

template <typename OnMatch>
void UpperColumn::forEachMatch(const Pattern& pattern, qsizetype firstCell, qsizetype endCell, OnMatch onMatch) const
{
    if (!m_isAscii) {
        const QStringView text(m_text);
        scanCells(
            offsets(), pattern.size(), firstCell, endCell,
            [&](qsizetype from, qsizetype limit) { return pattern.matcher().indexIn(text.first(limit), from); },
            onMatch);
        return;
    }
    const QByteArray& needle = pattern.ascii();
    if (needle.isEmpty()) {
        return;
    }
    const char* const bytes = m_bytes.constData();
    scanCells(
        offsets(), needle.size(), firstCell, endCell,
        [&](qsizetype from, qsizetype limit) -> qsizetype {
            const void* hit = memmem(bytes + from, static_cast<std::size_t>(limit - from), needle.constData(),
                static_cast<std::size_t>(needle.size()));
            return hit ? static_cast<const char*>(hit) - bytes : -1;
        },
        onMatch);
}

template <typename OnMatch>
void UpperColumn::forEachMatch(
    const TextColumn& cells, const QStringMatcher& matcher, qsizetype firstCell, qsizetype endCell, OnMatch onMatch)
{
    const QStringView text(cells.text());
    scanCells(
        cells.offsets(), matcher.pattern().size(), firstCell, endCell,
        [&](qsizetype from, qsizetype limit) { return matcher.indexIn(text.first(limit), from); }, onMatch);
}

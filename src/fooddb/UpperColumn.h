#pragma once

#include "TextColumn.h"

#include <QString>
#include <QStringMatcher>
#include <QStringView>

// An upper-cased copy of a column of cell texts, built once, so that a search that ignores letter
// case scans one packed string instead of folding every cell again. A column that upper-casing
// leaves unchanged (numbers, mostly) is not copied: the copy then refers to the original.
class UpperColumn
{
public:
    // The original's offsets are used while the cell lengths stay the same, so the original must
    // outlive this copy and keep its cells.
    explicit UpperColumn(const TextColumn& column);

    // The text upper-cased as the searches compare it: ASCII letters directly, anything else
    // through QString::toUpper (which may change the length, as "ß" becomes "SS").
    static QString upper(QStringView text);
    // An upper-cased column that owns its text, for callers that edit it afterwards.
    static TextColumn upperCased(const TextColumn& column);

    qsizetype size() const { return static_cast<qsizetype>(offsets().size()) - 1; }
    const QString& text() const { return m_text; }
    const std::vector<qsizetype>& offsets() const { return m_ownOffsets.empty() ? *m_offsets : m_ownOffsets; }
    // True when upper-casing changed nothing and the original text is shared, not copied.
    bool sharesOriginal() const { return m_shared; }

    // Calls onMatch(cell) for every cell in [firstCell, endCell) whose text contains the matcher's
    // pattern, in cell order; the pattern must not be empty. A hit counts only when it lies
    // wholly inside one cell. onMatch returns false to stop early.
    template <typename OnMatch>
    static void forEachMatch(QStringView text, const std::vector<qsizetype>& offsets, const QStringMatcher& matcher,
        qsizetype firstCell, qsizetype endCell, OnMatch onMatch);
    template <typename OnMatch>
    void forEachMatch(const QStringMatcher& matcher, qsizetype firstCell, qsizetype endCell, OnMatch onMatch) const
    {
        forEachMatch(m_text, offsets(), matcher, firstCell, endCell, onMatch);
    }

    // The first cell in [firstCell, endCell) of an upper-cased column that contains the pattern,
    // or -1.
    static qsizetype firstMatch(
        const TextColumn& cells, const QStringMatcher& matcher, qsizetype firstCell, qsizetype endCell);

private:
    QString m_text;
    const std::vector<qsizetype>* m_offsets = nullptr;
    std::vector<qsizetype> m_ownOffsets;
    bool m_shared = false;
};

template <typename OnMatch>
void UpperColumn::forEachMatch(QStringView text, const std::vector<qsizetype>& offsets, const QStringMatcher& matcher,
    qsizetype firstCell, qsizetype endCell, OnMatch onMatch)
{
    if (firstCell >= endCell) {
        return;
    }
    const qsizetype length = matcher.pattern().size();
    // The search ends where the range ends, so a hit past the last cell of the range is never seen.
    const QStringView haystack = text.first(offsets[static_cast<std::size_t>(endCell)]);
    qsizetype cell = firstCell;
    qsizetype from = offsets[static_cast<std::size_t>(firstCell)];
    while (cell < endCell) {
        const qsizetype hit = matcher.indexIn(haystack, from);
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

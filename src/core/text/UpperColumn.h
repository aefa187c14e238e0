#pragma once

#include "core/text/TextColumn.h"

#include <QByteArray>
#include <QString>
#include <QStringMatcher>
#include <QStringView>

#include <cstring>

// A column of cell texts as a search that ignores letter case sees it, made once. A column kept
// in Latin-1 whose letters upper-case one to one (nearly every food table, and every column of
// numbers) is searched in place, its bytes compared case-blind, so it costs no copy at all. Any
// other column gets an upper-cased copy in UTF-16, which the search scans instead of folding every
// cell again.
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
        // The pattern in Latin-1 bytes; empty when it holds a character beyond Latin-1 and so
        // cannot occur in a Latin-1 column.
        const QByteArray& latin1() const { return m_latin1; }

    private:
        QString m_text;
        QStringMatcher m_matcher;
        QByteArray m_latin1;
    };

    // The column is searched in place or its offsets are shared, so it must outlive this and
    // keep its cells.
    explicit UpperColumn(const TextColumn& column);

    // The text upper-cased as the searches compare it: ASCII letters directly, anything else
    // composed (NFC) and through QString::toUpper, either of which may change the length: "ß"
    // becomes "SS", a letter with its accent stored decomposed becomes one character.
    static QString upper(QStringView text);
    // An upper-cased column that owns its text, for callers that edit it afterwards.
    static TextColumn upperCased(const TextColumn& column);

    qsizetype size() const { return static_cast<qsizetype>(offsets().size()) - 1; }
    const std::vector<TextColumn::Offset>& offsets() const { return m_ownOffsets.empty() ? *m_offsets : m_ownOffsets; }
    // True when the search reads the column itself, with no copy.
    bool isInPlace() const { return m_inPlace != nullptr; }

    // Calls onMatch(cell) for every cell in [firstCell, endCell) whose upper-cased text contains
    // the pattern, in cell order; the pattern must not be empty. A hit counts only when it lies
    // wholly inside one cell. onMatch returns false to stop early.
    template <typename OnMatch>
    void forEachMatch(const Pattern& pattern, qsizetype firstCell, qsizetype endCell, OnMatch onMatch) const;

    // The first cell in [firstCell, endCell) of an upper-cased column (see upperCased()) that
    // contains the pattern, or -1.
    static qsizetype firstMatch(
        const TextColumn& cells, const Pattern& pattern, qsizetype firstCell, qsizetype endCell);

    // Where the upper-cased Latin-1 `needle` first occurs in bytes [from, limit) of `bytes`
    // compared case-blind (each byte upper-cased as a Latin-1 letter that keeps its length is),
    // or -1. `needle` must not be empty.
    static qsizetype findCaseBlind(const char* bytes, qsizetype from, qsizetype limit, const QByteArray& needle);

private:
    // The common walk: `find(from, limit)` gives the next hit at or after `from` that ends by
    // `limit`, or -1.
    template <typename Find, typename OnMatch>
    static void scanCells(const std::vector<TextColumn::Offset>& offsets, qsizetype length, qsizetype firstCell,
        qsizetype endCell, Find find, OnMatch onMatch);

    // Set when the column is searched in place.
    const TextColumn* m_inPlace = nullptr;
    QString m_text;
    const std::vector<TextColumn::Offset>* m_offsets = nullptr;
    std::vector<TextColumn::Offset> m_ownOffsets;
};

template <typename Find, typename OnMatch>
void UpperColumn::scanCells(const std::vector<TextColumn::Offset>& offsets, qsizetype length, qsizetype firstCell,
    qsizetype endCell, Find find, OnMatch onMatch)
{
    if (firstCell >= endCell) {
        return;
    }
    // The search ends where the range ends, so a hit past the last cell of the range is never seen.
    const auto limit = static_cast<qsizetype>(offsets[static_cast<std::size_t>(endCell)]);
    qsizetype cell = firstCell;
    auto from = static_cast<qsizetype>(offsets[static_cast<std::size_t>(firstCell)]);
    while (cell < endCell) {
        const qsizetype hit = find(from, limit);
        if (hit < 0) {
            return;
        }
        // Hits come in rising order, so walking the offsets forward costs one step per cell at most.
        while (static_cast<qsizetype>(offsets[static_cast<std::size_t>(cell) + 1]) <= hit) {
            ++cell;
        }
        const auto cellEnd = static_cast<qsizetype>(offsets[static_cast<std::size_t>(cell) + 1]);
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
    if (!m_inPlace) {
        const QStringView text(m_text);
        scanCells(
            offsets(), pattern.size(), firstCell, endCell,
            [&](qsizetype from, qsizetype limit) { return pattern.matcher().indexIn(text.first(limit), from); },
            onMatch);
        return;
    }
    const QByteArray& needle = pattern.latin1();
    if (needle.isEmpty()) {
        return;
    }
    const char* const bytes = m_inPlace->latin1().constData();
    scanCells(
        offsets(), needle.size(), firstCell, endCell,
        [&](qsizetype from, qsizetype limit) { return findCaseBlind(bytes, from, limit, needle); }, onMatch);
}

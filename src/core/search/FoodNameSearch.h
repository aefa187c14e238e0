#pragma once

#include "core/text/TextColumn.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

// Finds foods by the words a person types: a name matches when it contains every word, in any
// order, ignoring case, accents and Unicode form ("creme brul" finds "Crème brûlée" however it is
// stored, "weisswurst" finds "Weißwurst"; see TextFold). The names are kept once, folded and packed
// in one text in table order (one byte a character while every folded character fits in one), so
// a keystroke scans memory instead of a million strings; the rows found are then put in list order
// through a bitmap. When each earlier word lies inside a new one (as when the typed text only
// grew), the previous result is narrowed instead of searching anew.
class FoodNameSearch
{
public:
    // The folded words of a typed text; blanks separate words.
    static QStringList words(QStringView typed);
    // Where any of `words` (folded) occurs in `name`: pairs of start and length, in name order,
    // overlapping matches merged.
    static std::vector<std::pair<int, int>> matchedRanges(QStringView name, const QStringList& words);

    // Takes `names` (in table order) and the list's `order` (list row i is names[order[i]]), which
    // must outlive the search or the next setNames().
    void setNames(const TextColumn& names, const std::vector<std::uint32_t>& order);
    // Shows the same names in another `order` (again every name once), keeping their folded text:
    // a list that reorders its foods searches them without folding them again. The last search is
    // forgotten.
    void setOrder(const std::vector<std::uint32_t>& order);
    void clear();

    // Searches for the typed text. Returns false when it holds no word: every row is shown.
    bool search(QStringView typed);
    // The list rows holding every word of the last search, ascending; meaningful after search()
    // gave true.
    const std::vector<std::uint32_t>& rows() const { return m_rows; }
    const QStringList& currentWords() const { return m_words; }
    qsizetype nameCount() const { return static_cast<qsizetype>(m_starts.size()); }
    // The memory the search holds, in bytes.
    qsizetype memoryUse() const;

private:
    template <class Text> void collectRows(const Text& text, const QStringList& words);
    // Marks the list rows of the names firstName to endName that hold every word.
    template <class Text>
    void collectRange(const Text& text, const QStringList& words, const QList<QByteArray>& narrowWords,
        std::uint32_t firstName, std::uint32_t endName, std::vector<std::uint8_t>* marked) const;
    // The name (in table order) that holds text `position`, looking from name `from` on.
    std::uint32_t nameAt(std::uint32_t from, qsizetype position) const;
    bool rowHolds(std::uint32_t row, const QString& word, const QByteArray& narrowWord) const;

    // The folded names, each followed by a line feed, which no word holds; the text is in bytes
    // (m_narrow) unless a folded character needs more (m_wide).
    QByteArray m_narrow;
    QString m_wide;
    bool m_isNarrow = true;
    // Where each name (in table order) starts in the text; the list row of each name.
    std::vector<std::uint32_t> m_starts;
    std::vector<std::uint32_t> m_rowOfName;
    const std::vector<std::uint32_t>* m_order = nullptr;
    QStringList m_words;
    std::vector<std::uint32_t> m_rows;
};

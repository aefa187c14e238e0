#include "core/FoodNameSearch.h"

#include <QRegularExpression>
#include <QStringMatcher>

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

namespace {

// Every UTF-16 code unit folded: its canonical decomposition's base letter, case-folded.
// Surrogates stay as they are, so a character outside the first plane still matches itself.
const std::array<char16_t, 65536>& foldTable()
{
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> folded {};
        for (std::uint32_t unit = 0; unit < 65536; ++unit) {
            QChar ch(static_cast<char16_t>(unit));
            if (ch.isSurrogate()) {
                folded[unit] = static_cast<char16_t>(unit);
                continue;
            }
            // "ǖ" decomposes to "ü" and a mark, "ü" to "u" and a mark. Only accents are dropped: a
            // Korean syllable decomposes into letters, and stays whole.
            while (ch.decompositionTag() == QChar::Canonical) {
                const QString parts = ch.decomposition();
                const bool accents = std::all_of(parts.begin() + 1, parts.end(),
                    [](QChar part) { return part.category() == QChar::Mark_NonSpacing; });
                if (parts.size() < 2 || parts.front() == ch || !accents) {
                    break;
                }
                ch = parts.front();
            }
            const char32_t lower = QChar::toCaseFolded(static_cast<char32_t>(ch.unicode()));
            folded[unit] = lower <= 0xFFFF ? static_cast<char16_t>(lower) : ch.unicode();
        }
        return folded;
    }();
    return table;
}

} // namespace

QString FoodNameSearch::fold(QStringView text)
{
    const auto& table = foldTable();
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (const QChar ch : text) {
        *out++ = QChar(table[ch.unicode()]);
    }
    return folded;
}

QStringList FoodNameSearch::words(QStringView typed)
{
    QStringList found;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : typed.toString().split(blanks, Qt::SkipEmptyParts)) {
        // An accent typed on its own, after its letter, is dropped as the names' accents are.
        QString folded = fold(word);
        folded.removeIf([](QChar ch) { return ch.category() == QChar::Mark_NonSpacing; });
        if (!folded.isEmpty() && !found.contains(folded)) {
            found.append(folded);
        }
    }
    return found;
}

std::vector<std::pair<int, int>> FoodNameSearch::matchedRanges(QStringView name, const QStringList& words)
{
    const QString folded = fold(name);
    std::vector<std::pair<int, int>> ranges;
    for (const QString& word : words) {
        for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + 1)) {
            ranges.emplace_back(static_cast<int>(at), static_cast<int>(word.size()));
        }
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& [start, length] : ranges) {
        if (!merged.empty() && start <= merged.back().first + merged.back().second) {
            merged.back().second = std::max(merged.back().second, start + length - merged.back().first);
        } else {
            merged.emplace_back(start, length);
        }
    }
    return merged;
}

namespace {

// The first place at or after `from` where `word` stands in `text`; -1 when nowhere. The first
// byte is found with memchr, which scans many bytes at a time.
qsizetype findBytes(QByteArrayView text, qsizetype from, QByteArrayView word)
{
    const char* data = text.data();
    const qsizetype size = text.size();
    const qsizetype length = word.size();
    while (from + length <= size) {
        const void* hit = std::memchr(data + from, word[0], static_cast<std::size_t>(size - from - length + 1));
        if (!hit) {
            return -1;
        }
        const qsizetype at = static_cast<const char*>(hit) - data;
        if (std::memcmp(data + at + 1, word.data() + 1, static_cast<std::size_t>(length - 1)) == 0) {
            return at;
        }
        from = at + 1;
    }
    return -1;
}

} // namespace

void FoodNameSearch::clear()
{
    m_narrow.clear();
    m_wide.clear();
    m_isNarrow = true;
    m_starts.clear();
    m_rowOfName.clear();
    m_order = nullptr;
    m_words.clear();
    m_typed.clear();
    m_rows.clear();
}

qsizetype FoodNameSearch::memoryUse() const
{
    return m_narrow.capacity() + m_wide.capacity() * 2
        + static_cast<qsizetype>((m_starts.capacity() + m_rowOfName.capacity() + m_rows.capacity()) * 4);
}

void FoodNameSearch::setNames(const TextColumn& names, const std::vector<std::uint32_t>& order)
{
    clear();
    m_order = &order;
    const auto& table = foldTable();
    // Names whose folded characters all fit in a byte (nearly every food table) are kept in bytes.
    // They are read in table order, one pass through memory.
    const QString& all = names.text();
    m_isNarrow = std::all_of(all.begin(), all.end(), [&table](QChar ch) { return table[ch.unicode()] <= 0xFF; });
    const qsizetype characters = all.size() + names.size();
    if (m_isNarrow) {
        m_narrow.resize(characters);
    } else {
        m_wide.resize(characters);
    }
    char* narrow = m_isNarrow ? m_narrow.data() : nullptr;
    QChar* wide = m_isNarrow ? nullptr : m_wide.data();
    m_starts.resize(static_cast<std::size_t>(names.size()));
    qsizetype at = 0;
    for (qsizetype index = 0; index < names.size(); ++index) {
        m_starts[static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(at);
        const QStringView name = names.at(index);
        if (narrow) {
            for (const QChar ch : name) {
                narrow[at++] = static_cast<char>(table[ch.unicode()]);
            }
            narrow[at++] = '\n';
        } else {
            for (const QChar ch : name) {
                wide[at++] = QChar(table[ch.unicode()]);
            }
            wide[at++] = u'\n';
        }
    }
    m_rowOfName.resize(order.size());
    for (std::size_t row = 0; row < order.size(); ++row) {
        m_rowOfName[order[row]] = static_cast<std::uint32_t>(row);
    }
}

bool FoodNameSearch::rowHolds(std::uint32_t row, const QString& word, const QByteArray& narrowWord) const
{
    const std::uint32_t name = (*m_order)[row];
    const qsizetype start = m_starts[name];
    const qsizetype end
        = name + 1 < m_starts.size() ? m_starts[name + 1] : (m_isNarrow ? m_narrow.size() : m_wide.size());
    if (m_isNarrow) {
        return findBytes(QByteArrayView(m_narrow).sliced(start, end - start), 0, narrowWord) >= 0;
    }
    return QStringView(m_wide).sliced(start, end - start).indexOf(word) >= 0;
}

std::uint32_t FoodNameSearch::nameAt(std::uint32_t from, qsizetype position) const
{
    // Hits come in order, mostly a few names apart: step forward, and search only a long way.
    const auto count = static_cast<std::uint32_t>(m_starts.size());
    for (int step = 0; step < 8; ++step) {
        if (from + 1 >= count || m_starts[from + 1] > position) {
            return from;
        }
        ++from;
    }
    return static_cast<std::uint32_t>(
        std::upper_bound(m_starts.begin() + from, m_starts.end(), static_cast<std::uint32_t>(position))
        - m_starts.begin() - 1);
}

template <class Text> void FoodNameSearch::collectRows(const Text& text, const QStringList& words)
{
    // The first word scans the whole text once. At each hit the other words are tested on the
    // same name, which is still in the cache, and a name holding them all marks its list row in a
    // bitmap; the scan then skips to the next name. The marked rows, read in order, are in the
    // list's order.
    std::vector<bool> marked(m_starts.size(), false);
    QList<QByteArray> narrowWords;
    for (const QString& word : words) {
        narrowWords.append(word.toLatin1());
    }
    const qsizetype total = text.size();
    qsizetype at = 0;
    std::uint32_t name = 0;
    for (;;) {
        if constexpr (std::is_same_v<Text, QByteArray>) {
            at = findBytes(text, at, narrowWords.front());
        } else {
            at = QStringView(text).indexOf(words.front(), at);
        }
        if (at < 0) {
            break;
        }
        name = nameAt(name, at);
        const qsizetype start = m_starts[name];
        const qsizetype end = name + 1 < m_starts.size() ? m_starts[name + 1] : total;
        bool all = true;
        for (qsizetype w = 1; all && w < words.size(); ++w) {
            if constexpr (std::is_same_v<Text, QByteArray>) {
                all = findBytes(QByteArrayView(text).sliced(start, end - start), 0, narrowWords[w]) >= 0;
            } else {
                all = QStringView(text).sliced(start, end - start).indexOf(words[w]) >= 0;
            }
        }
        if (all) {
            marked[m_rowOfName[name]] = true;
        }
        at = end;
    }
    m_rows.clear();
    for (std::size_t row = 0; row < marked.size(); ++row) {
        if (marked[row]) {
            m_rows.push_back(static_cast<std::uint32_t>(row));
        }
    }
}

bool FoodNameSearch::search(QStringView typed)
{
    QStringList found = words(typed);
    if (found.isEmpty()) {
        m_words.clear();
        m_typed.clear();
        m_rows.clear();
        return false;
    }
    // The longest word first: it finds the fewest rows for the others to test.
    std::stable_sort(
        found.begin(), found.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    // Testing rows one by one reaches all over memory; past an eighth of the names one pass over
    // the whole text is faster.
    const bool narrowing = !m_words.isEmpty() && typed.startsWith(m_typed) && m_rows.size() * 8 < m_starts.size();
    m_words = found;
    m_typed = typed.toString();
    if (m_isNarrow && std::any_of(found.begin(), found.end(), [](const QString& word) {
            return std::any_of(word.begin(), word.end(), [](QChar ch) { return ch.unicode() > 0xFF; });
        })) {
        m_rows.clear();
        return true;
    }
    if (narrowing) {
        // Text that only grew can only keep fewer rows.
        for (const QString& word : found) {
            const QByteArray narrowWord = word.toLatin1();
            std::erase_if(m_rows, [&](std::uint32_t r) { return !rowHolds(r, word, narrowWord); });
        }
        return true;
    }
    if (m_isNarrow) {
        collectRows(m_narrow, found);
    } else {
        collectRows(m_wide, found);
    }
    return true;
}

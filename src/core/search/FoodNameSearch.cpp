#include "core/search/FoodNameSearch.h"

#include "core/text/TextFold.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <type_traits>

QStringList FoodNameSearch::words(QStringView typed)
{
    // Split by hand rather than by a regular expression, which gives up on text that is not valid
    // UTF-16 (an unpaired surrogate) and would leave it one word.
    QStringList found;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= typed.size(); ++i) {
        const bool blank = i == typed.size() || typed[i].isSpace();
        if (!blank && start < 0) {
            start = i;
        } else if (blank && start >= 0) {
            QString folded = TextFold::fold(typed.sliced(start, i - start));
            if (!folded.isEmpty() && !found.contains(folded)) {
                found.append(folded);
            }
            start = -1;
        }
    }
    return found;
}

std::vector<std::pair<int, int>> FoodNameSearch::matchedRanges(QStringView name, const QStringList& words)
{
    std::vector<std::pair<int, int>> sources;
    const QString folded = TextFold::fold(name, &sources);
    std::vector<std::pair<int, int>> ranges;
    for (const QString& word : words) {
        for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + 1)) {
            const int start = sources[static_cast<std::size_t>(at)].first;
            ranges.emplace_back(start, sources[static_cast<std::size_t>(at + word.size() - 1)].second - start);
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

// Writes `text` to `out` a byte a character, and tells whether every character fitted.
bool toLatin1(const QString& text, char* out)
{
    const auto* from = reinterpret_cast<const char16_t*>(text.constData());
    char16_t high = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        high |= from[i] & 0xFF00;
        out[i] = static_cast<char>(from[i]);
    }
    return high == 0;
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
    m_starts.resize(static_cast<std::size_t>(names.size()));
    // Names are read in table order, one pass through memory. Those whose folded characters all
    // fit in a byte (nearly every food table) are kept in bytes until the first name that does not;
    // a plain ASCII name folds to as many characters, so room for that is made once.
    const qsizetype room = names.characterCount() + names.size();
    m_narrow.reserve(room);
    QString folded;
    QString scratch;
    for (qsizetype index = 0; index < names.size(); ++index) {
        const QStringView name = names.view(index, scratch);
        const qsizetype at = m_isNarrow ? m_narrow.size() : m_wide.size();
        m_starts[static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(at);
        if (m_isNarrow) {
            m_narrow.resize(at + name.size());
            if (TextFold::foldAscii(name, m_narrow.data() + at)) {
                m_narrow.append('\n');
                continue;
            }
            folded.resize(0);
            TextFold::appendFold(name, &folded);
            m_narrow.resize(at + folded.size());
            if (toLatin1(folded, m_narrow.data() + at)) {
                m_narrow.append('\n');
                continue;
            }
            m_narrow.truncate(at);
            m_wide = QString::fromLatin1(m_narrow);
            m_wide.reserve(room + folded.size());
            m_narrow = QByteArray();
            m_isNarrow = false;
            m_wide.append(folded).append(u'\n');
            continue;
        }
        m_wide.resize(at + name.size());
        if (!TextFold::foldAscii(name, reinterpret_cast<char16_t*>(m_wide.data() + at))) {
            m_wide.truncate(at);
            TextFold::appendFold(name, &m_wide);
        }
        m_wide.append(u'\n');
    }
    setOrder(order);
}

void FoodNameSearch::setOrder(const std::vector<std::uint32_t>& order)
{
    m_order = &order;
    m_words.clear();
    m_rows.clear();
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

template <class Text>
void FoodNameSearch::collectRange(const Text& text, const QStringList& words, const QList<QByteArray>& narrowWords,
    std::uint32_t firstName, std::uint32_t endName, std::vector<std::uint8_t>* marked) const
{
    // The first word scans the range's text once. At each hit the other words are tested on the
    // same name, which is still in the cache, and a name holding them all marks its list row; the
    // scan then skips to the next name. A name ends in a line feed, which no word holds, so a hit
    // never runs from one name into the next, nor out of the range.
    const qsizetype limit = endName < m_starts.size() ? m_starts[endName] : text.size();
    qsizetype at = firstName < m_starts.size() ? m_starts[firstName] : limit;
    std::uint32_t name = firstName;
    for (;;) {
        if constexpr (std::is_same_v<Text, QByteArray>) {
            at = findBytes(QByteArrayView(text).first(limit), at, narrowWords.front());
        } else {
            at = QStringView(text).first(limit).indexOf(words.front(), at);
        }
        if (at < 0) {
            break;
        }
        name = nameAt(name, at);
        const qsizetype start = m_starts[name];
        const qsizetype end = name + 1 < m_starts.size() ? m_starts[name + 1] : text.size();
        bool all = true;
        for (qsizetype w = 1; all && w < words.size(); ++w) {
            if constexpr (std::is_same_v<Text, QByteArray>) {
                all = findBytes(QByteArrayView(text).sliced(start, end - start), 0, narrowWords[w]) >= 0;
            } else {
                all = QStringView(text).sliced(start, end - start).indexOf(words[w]) >= 0;
            }
        }
        if (all) {
            (*marked)[m_rowOfName[name]] = 1;
        }
        at = end;
    }
}

template <class Text> void FoodNameSearch::collectRows(const Text& text, const QStringList& words)
{
    // Marks in a byte a row, so that two threads mark rows side by side; read in order, the marked
    // rows are in the list's order.
    std::vector<std::uint8_t> marked(m_starts.size(), 0);
    QList<QByteArray> narrowWords;
    for (const QString& word : words) {
        narrowWords.append(word.toLatin1());
    }
    const auto names = static_cast<std::uint32_t>(m_starts.size());
    // A large text is scanned in two halves at once, on both cores; a small one is not worth a thread.
    constexpr qsizetype kSplitFrom = 8 * 1024 * 1024;
    if (text.size() >= kSplitFrom && std::thread::hardware_concurrency() > 1) {
        const std::uint32_t middle = names / 2;
        std::thread second([&] { collectRange(text, words, narrowWords, middle, names, &marked); });
        collectRange(text, words, narrowWords, 0, middle, &marked);
        second.join();
    } else {
        collectRange(text, words, narrowWords, 0, names, &marked);
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
        m_rows.clear();
        return false;
    }
    // The longest word first: it finds the fewest rows for the others to test.
    std::stable_sort(
        found.begin(), found.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    // A name holding every new word holds every earlier word when each earlier word lies inside a
    // new one, so the earlier rows can only be narrowed. That is so as a person types on, but not
    // always: Korean letters typed one by one join into a syllable that holds none of them.
    // Testing rows one by one reaches all over memory; past an eighth of the names one pass over
    // the whole text is faster.
    const bool narrowing = !m_words.isEmpty() && m_rows.size() * 8 < m_starts.size()
        && std::all_of(m_words.begin(), m_words.end(), [&found](const QString& earlier) {
               return std::any_of(
                   found.begin(), found.end(), [&earlier](const QString& word) { return word.contains(earlier); });
           });
    m_words = found;
    if (m_isNarrow && std::any_of(found.begin(), found.end(), [](const QString& word) {
            return std::any_of(word.begin(), word.end(), [](QChar ch) { return ch.unicode() > 0xFF; });
        })) {
        m_rows.clear();
        return true;
    }
    if (narrowing) {
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

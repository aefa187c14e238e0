#include "core/FoodNameSearch.h"

#include <QByteArrayMatcher>
#include <QStringMatcher>

#include <algorithm>
#include <array>
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
            // "ǖ" decomposes to "ü" and a mark, "ü" to "u" and a mark.
            while (ch.decompositionTag() == QChar::Canonical) {
                const QString parts = ch.decomposition();
                if (parts.isEmpty() || parts.front() == ch) {
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
    for (const QStringView word : typed.split(u' ', Qt::SkipEmptyParts)) {
        const QString folded = fold(word.trimmed());
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

void FoodNameSearch::clear()
{
    m_narrow.clear();
    m_wide.clear();
    m_isNarrow = true;
    m_starts.clear();
    m_words.clear();
    m_typed.clear();
    m_rows.clear();
}

void FoodNameSearch::setNames(const TextColumn& names, const std::vector<std::uint32_t>& order)
{
    clear();
    const auto& table = foldTable();
    const qsizetype characters = names.text().size() + names.size();
    m_starts.reserve(order.size());
    m_narrow.reserve(characters);
    for (const std::uint32_t index : order) {
        m_starts.push_back(static_cast<std::uint32_t>(m_isNarrow ? m_narrow.size() : m_wide.size()));
        for (const QChar ch : names.at(index)) {
            const char16_t folded = table[ch.unicode()];
            if (m_isNarrow && folded > 0xFF) {
                // A folded character needs more than a byte: keep the whole text in UTF-16.
                m_wide = QString::fromLatin1(m_narrow);
                m_narrow = QByteArray();
                m_isNarrow = false;
            }
            if (m_isNarrow) {
                m_narrow.append(static_cast<char>(folded));
            } else {
                m_wide.append(QChar(folded));
            }
        }
        if (m_isNarrow) {
            m_narrow.append('\n');
        } else {
            m_wide.append(u'\n');
        }
    }
}

bool FoodNameSearch::rowHolds(std::uint32_t row, const QString& word, const QByteArray& narrowWord) const
{
    const qsizetype start = m_starts[row];
    const qsizetype end
        = row + 1 < m_starts.size() ? m_starts[row + 1] : (m_isNarrow ? m_narrow.size() : m_wide.size());
    if (m_isNarrow) {
        return QByteArrayView(m_narrow).sliced(start, end - start).indexOf(narrowWord) >= 0;
    }
    return QStringView(m_wide).sliced(start, end - start).indexOf(word) >= 0;
}

template <class Text> void FoodNameSearch::collectRows(const Text& text, const QStringList& words)
{
    // The first word scans the whole text once; each hit marks its row and skips to the next row.
    // The other words then only test the rows found.
    std::vector<std::uint32_t> rows;
    const QString& first = words.front();
    const qsizetype total = text.size();
    qsizetype at = 0;
    std::uint32_t row = 0;
    if constexpr (std::is_same_v<Text, QByteArray>) {
        const QByteArrayMatcher matcher(first.toLatin1());
        while ((at = matcher.indexIn(text, at)) >= 0 && at < total) {
            row = static_cast<std::uint32_t>(
                std::upper_bound(m_starts.begin() + row, m_starts.end(), static_cast<std::uint32_t>(at))
                - m_starts.begin() - 1);
            rows.push_back(row);
            at = row + 1 < m_starts.size() ? m_starts[row + 1] : total;
        }
    } else {
        const QStringMatcher matcher(first);
        while ((at = matcher.indexIn(text, at)) >= 0 && at < total) {
            row = static_cast<std::uint32_t>(
                std::upper_bound(m_starts.begin() + row, m_starts.end(), static_cast<std::uint32_t>(at))
                - m_starts.begin() - 1);
            rows.push_back(row);
            at = row + 1 < m_starts.size() ? m_starts[row + 1] : total;
        }
    }
    for (qsizetype w = 1; w < words.size(); ++w) {
        const QByteArray narrowWord = words[w].toLatin1();
        std::erase_if(rows, [&](std::uint32_t r) { return !rowHolds(r, words[w], narrowWord); });
    }
    m_rows = std::move(rows);
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
    const bool narrowing = !m_words.isEmpty() && typed.startsWith(m_typed);
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

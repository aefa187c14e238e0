#include "core/text/GenericOrder.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Maps a double to an unsigned integer of the same order, so numbers compare as integers.
std::uint64_t orderedBits(double value)
{
    if (value == 0) {
        value = 0; // -0 and +0 are equal
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits & 0x8000000000000000ull) ? ~bits : (bits | 0x8000000000000000ull);
}

std::uint64_t textPrefix(QStringView text)
{
    std::uint64_t prefix = 0;
    for (int i = 0; i < 4; ++i) {
        prefix = (prefix << 16) | (i < text.size() ? text[i].unicode() : 0u);
    }
    return prefix;
}

} // namespace

GenericOrder::GenericOrder(const TextColumn& column)
    : m_column(&column)
{
    const auto n = static_cast<std::size_t>(column.size());
    m_keys.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const QStringView cell = column.at(static_cast<qsizetype>(i));
        if (IsWholeNumber(cell)) {
            m_keys[i] = Key { orderedBits(TextToNumber(cell)), false };
        } else {
            m_keys[i] = Key { textPrefix(cell), true };
        }
    }
}

int GenericOrder::compare(qsizetype a, qsizetype b) const
{
    const Key& ka = m_keys[static_cast<std::size_t>(a)];
    const Key& kb = m_keys[static_cast<std::size_t>(b)];
    if (ka.isText != kb.isText) {
        return ka.isText ? 1 : -1;
    }
    if (ka.high != kb.high) {
        return ka.high < kb.high ? -1 : 1;
    }
    if (!ka.isText) {
        return 0;
    }
    // A prefix padded with zeros cannot tell "ab" from "ab\0": the full texts decide.
    return m_column->at(a).compare(m_column->at(b));
}

void GenericOrder::sort(std::vector<std::uint32_t>& rows) const
{
    // Sorting contiguous (key, row) entries keeps most comparisons in the cache; the position
    // breaks ties, which makes the sort stable.
    struct Entry
    {
        std::uint64_t high;
        std::uint32_t row;
        std::uint32_t position;
        bool isText;
    };
    std::vector<Entry> entries(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Key& k = m_keys[rows[i]];
        entries[i] = Entry { k.high, rows[i], static_cast<std::uint32_t>(i), k.isText };
    }
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.isText != b.isText) {
            return b.isText;
        }
        if (a.high != b.high) {
            return a.high < b.high;
        }
        if (a.isText) {
            const int c = m_column->at(a.row).compare(m_column->at(b.row));
            if (c != 0) {
                return c < 0;
            }
        }
        return a.position < b.position;
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = entries[i].row;
    }
}

void GenericOrder::sortPresorted(std::vector<std::uint32_t>& rows) const
{
    // Numbers go first, by value; the texts keep the order they came in, which the check below
    // confirms before it is trusted.
    std::vector<std::uint32_t> numbers;
    std::vector<std::uint32_t> texts;
    texts.reserve(rows.size());
    for (auto row : rows) {
        (m_keys[row].isText ? texts : numbers).push_back(row);
    }
    sort(numbers);
    bool ordered = true;
    for (std::size_t i = 1; i < texts.size() && ordered; ++i) {
        const int c = compare(texts[i - 1], texts[i]);
        ordered = c < 0 || (c == 0 && texts[i - 1] < texts[i]);
    }
    if (!ordered) {
        sort(texts);
    }
    std::copy(numbers.begin(), numbers.end(), rows.begin());
    std::copy(texts.begin(), texts.end(), rows.begin() + static_cast<std::ptrdiff_t>(numbers.size()));
}

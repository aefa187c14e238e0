#include "core/text/GenericOrder.h"

#include "core/text/NumberText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

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

// A quick 64-bit hash of a short byte string, for the table of distinct texts.
std::uint64_t hashBytes(const char* bytes, std::size_t length)
{
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ length;
    while (length >= 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 31;
        bytes += 8;
        length -= 8;
    }
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, length);
    hash = (hash ^ word) * 0x94D049BB133111EBull;
    return hash ^ (hash >> 29);
}

} // namespace

GenericOrder::GenericOrder(const TextColumn& column)
    : m_column(&column)
{
    const auto n = static_cast<std::size_t>(column.size());
    m_keys.resize(n);
    QString scratch;
    // Short cells of a Latin-1 column are widened on the stack, where nothing needs checking.
    char16_t shortCell[64];
    const auto* latin1 = reinterpret_cast<const unsigned char*>(column.latin1().constData());
    const auto& offsets = column.offsets();
    for (std::size_t i = 0; i < n; ++i) {
        const qsizetype length = column.length(static_cast<qsizetype>(i));
        QStringView cell;
        if (column.isLatin1() && length <= qsizetype(std::size(shortCell))) {
            const unsigned char* from = latin1 + offsets[i];
            std::copy(from, from + length, shortCell);
            cell = QStringView(shortCell, length);
        } else {
            cell = column.view(static_cast<qsizetype>(i), scratch);
        }
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
    return m_column->compare(a, b);
}

bool GenericOrder::sortByRanks(std::vector<std::uint32_t>& rows) const
{
    // Worth it for many rows of few distinct texts only: past an eighth of the rows it stops.
    constexpr std::size_t kFewestRows = 16384;
    if (rows.size() < kFewestRows) {
        return false;
    }
    // Numbers sort by their keys alone: a column of numbers gains nothing.
    const auto texts
        = std::count_if(rows.begin(), rows.end(), [this](std::uint32_t row) { return m_keys[row].isText; });
    if (static_cast<std::size_t>(texts) * 2 < rows.size()) {
        return false;
    }
    std::vector<std::uint32_t> cellOfId;
    std::vector<std::uint32_t> idOfRow(rows.size());
    // Each distinct text gets an id, in the order first met, through a table of ids open to
    // linear probing, its hashes and comparisons made on the column's own bytes in whichever form
    // it is kept. It stops at an eighth of the rows, so a table of twice that many places never fills.
    const std::size_t mostDistinct = rows.size() / 8;
    const std::size_t tableSize = std::bit_ceil(2 * mostDistinct + 2);
    std::vector<std::uint32_t> idPlusOneAt(tableSize, 0);
    const auto& offsets = m_column->offsets();
    const std::size_t width = m_column->isLatin1() ? 1 : 2;
    const char* const text = m_column->isLatin1() ? m_column->latin1().constData()
                                                  : reinterpret_cast<const char*>(m_column->utf16().constData());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::uint32_t row = rows[i];
        const char* const bytes = text + std::size_t(offsets[row]) * width;
        const std::size_t length = std::size_t(m_column->length(row)) * width;
        std::size_t slot = hashBytes(bytes, length) & (tableSize - 1);
        while (true) {
            const std::uint32_t idPlusOne = idPlusOneAt[slot];
            if (idPlusOne == 0) {
                if (cellOfId.size() == mostDistinct) {
                    return false;
                }
                idOfRow[i] = static_cast<std::uint32_t>(cellOfId.size());
                cellOfId.push_back(row);
                idPlusOneAt[slot] = idOfRow[i] + 1;
                break;
            }
            const std::uint32_t other = cellOfId[idPlusOne - 1];
            if (std::size_t(m_column->length(other)) * width == length
                && std::memcmp(text + std::size_t(offsets[other]) * width, bytes, length) == 0) {
                idOfRow[i] = idPlusOne - 1;
                break;
            }
            slot = (slot + 1) & (tableSize - 1);
        }
    }
    // The distinct texts in order; texts that compare equal (one number written two ways) share
    // a rank, as they share a place in the order.
    std::vector<std::uint32_t> distinct(cellOfId.size());
    for (std::size_t id = 0; id < distinct.size(); ++id) {
        distinct[id] = static_cast<std::uint32_t>(id);
    }
    std::sort(distinct.begin(), distinct.end(),
        [&](std::uint32_t a, std::uint32_t b) { return compare(cellOfId[a], cellOfId[b]) < 0; });
    std::vector<std::uint32_t> rankOfId(distinct.size());
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        if (i > 0 && compare(cellOfId[distinct[i - 1]], cellOfId[distinct[i]]) != 0) {
            ++rank;
        }
        rankOfId[distinct[i]] = rank;
    }
    // A counting sort by rank keeps the rows of one rank in the order they came, as sort() does.
    std::vector<std::uint32_t> start(std::size_t(rank) + 2, 0);
    for (const std::uint32_t id : idOfRow) {
        ++start[rankOfId[id] + 1];
    }
    for (std::size_t r = 1; r < start.size(); ++r) {
        start[r] += start[r - 1];
    }
    std::vector<std::uint32_t> sorted(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        sorted[start[rankOfId[idOfRow[i]]]++] = rows[i];
    }
    rows = std::move(sorted);
    return true;
}

void GenericOrder::sort(std::vector<std::uint32_t>& rows) const
{
    // A column of few distinct texts (serving units, say) sorts its distinct texts once and then
    // places every row by its text's rank, in linear time.
    if (sortByRanks(rows)) {
        return;
    }
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
            const int c = m_column->compare(a.row, b.row);
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

#pragma once

#include "core/text/TextColumn.h"

#include <cstdint>
#include <vector>

// The grids' generic ascending order over one column: texts that read wholly as numbers come
// first, by value; all other texts follow, by their characters. Unlike a comparison that mixes
// numbers and texts pairwise, this is a strict weak ordering, so sorting is always well defined.
// The number test and conversion happen once per cell when the keys are built, not in every
// comparison.
class GenericOrder
{
public:
    explicit GenericOrder(const TextColumn& column);

    // Negative, zero or positive as cell a sorts before, with, or after cell b.
    int compare(qsizetype a, qsizetype b) const;

    // Sorts `rows` (indices into the column) ascending; equal keys keep their order.
    void sort(std::vector<std::uint32_t>& rows) const;
    // The same order for rows that already come in text order (as an index on the column
    // delivers them, equal texts by row): finishes in linear time when that holds, and falls
    // back to a full sort when it does not.
    void sortPresorted(std::vector<std::uint32_t>& rows) const;

    // Each cell's key: its class (number or text) and a 64-bit number that orders numbers by
    // value and texts by their first four characters, so most comparisons never touch the text.
    struct Key
    {
        std::uint64_t high;
        bool isText;
    };

private:
    // The sort by the ranks of the distinct texts; false, with `rows` untouched, when the rows
    // hold too many distinct texts for it to pay.
    bool sortByRanks(std::vector<std::uint32_t>& rows) const;

    const TextColumn* m_column;
    std::vector<Key> m_keys;
};

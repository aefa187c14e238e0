#pragma once

#include "TextColumn.h"

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
    int compare(qsizetype a, qsizetype b) const
    {
        const bool na = m_isNumber[static_cast<std::size_t>(a)];
        const bool nb = m_isNumber[static_cast<std::size_t>(b)];
        if (na != nb) {
            return na ? -1 : 1;
        }
        if (na) {
            const double va = m_values[static_cast<std::size_t>(a)];
            const double vb = m_values[static_cast<std::size_t>(b)];
            return va < vb ? -1 : (vb < va ? 1 : 0);
        }
        return m_column->at(a).compare(m_column->at(b));
    }

    // Sorts `rows` (indices into the column) ascending; equal keys keep their order.
    void sort(std::vector<std::uint32_t>& rows) const;

private:
    const TextColumn* m_column;
    std::vector<bool> m_isNumber;
    std::vector<double> m_values;
};

#pragma once

#include <QHash>

#include <algorithm>
#include <cstddef>
#include <vector>

// Where each food's row identity stands in a list of rows: rows read in table order come sorted,
// and are then found by halving; any other order goes through a hash. The list must outlive it.
class RowPositions
{
public:
    explicit RowPositions(const std::vector<qint64>& rows)
        : m_rows(rows)
        , m_sorted(std::is_sorted(rows.begin(), rows.end()))
    {
        if (!m_sorted) {
            m_positions.reserve(qsizetype(rows.size()));
            for (std::size_t r = 0; r < rows.size(); ++r) {
                m_positions.insert(rows[r], r);
            }
        }
    }

    // The position of `food`, false when the list does not hold it.
    bool find(qint64 food, std::size_t* row) const
    {
        if (m_sorted) {
            const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), food);
            if (found == m_rows.end() || *found != food) {
                return false;
            }
            *row = std::size_t(found - m_rows.begin());
            return true;
        }
        const auto found = m_positions.constFind(food);
        if (found == m_positions.cend()) {
            return false;
        }
        *row = *found;
        return true;
    }

private:
    const std::vector<qint64>& m_rows;
    const bool m_sorted;
    QHash<qint64, std::size_t> m_positions;
};

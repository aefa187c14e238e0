#include "GenericOrder.h"

#include "app/NumberText.h"

#include <algorithm>

GenericOrder::GenericOrder(const TextColumn& column)
    : m_column(&column)
{
    const auto n = static_cast<std::size_t>(column.size());
    m_isNumber.resize(n);
    m_values.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const QStringView cell = column.at(static_cast<qsizetype>(i));
        if (IsWholeNumber(cell)) {
            m_isNumber[i] = true;
            m_values[i] = TextToNumber(cell);
        }
    }
}

void GenericOrder::sort(std::vector<std::uint32_t>& rows) const
{
    std::stable_sort(rows.begin(), rows.end(), [this](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
}

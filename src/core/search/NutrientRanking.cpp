#include "core/search/NutrientRanking.h"

#include <algorithm>
#include <cmath>

QString NutrientRanking::basisText(Basis basis)
{
    switch (basis) {
    case Basis::PerServing:
        return tr("per serving");
    case Basis::Per100Grams:
        return tr("per 100 g");
    case Basis::Per100Calories:
        return tr("per 100 kcal");
    }
    return QString();
}

double NutrientRanking::amount(double perServing, double servingGrams, double calories, Basis basis)
{
    constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
    if (!std::isfinite(perServing)) {
        return unknown;
    }
    switch (basis) {
    case Basis::PerServing:
        return perServing;
    case Basis::Per100Grams:
        return std::isfinite(servingGrams) && servingGrams > 0 ? perServing * 100 / servingGrams : unknown;
    case Basis::Per100Calories:
        return std::isfinite(calories) && calories > 0 ? perServing * 100 / calories : unknown;
    }
    return unknown;
}

void NutrientRanking::rank(const std::vector<double>& values, const std::vector<double>& servingGrams,
    const std::vector<double>& calories, const std::vector<std::uint32_t>& nameRanks, Basis basis,
    std::size_t firstCount)
{
    m_entries.clear();
    m_entries.reserve(values.size());
    std::vector<std::uint32_t> leftOut;
    for (std::size_t food = 0; food < values.size(); ++food) {
        const double value = amount(values[food], servingGrams[food], calories[food], basis);
        if (std::isfinite(value)) {
            m_entries.push_back({ value, nameRanks[food], std::uint32_t(food) });
        } else {
            leftOut.push_back(std::uint32_t(food));
        }
    }
    // Every food has its own place in name order, so no two entries compare equal: the first
    // places a partial sort settles are those of the full sort.
    m_settled = std::min(firstCount, m_entries.size());
    if (m_settled == m_entries.size()) {
        std::sort(m_entries.begin(), m_entries.end(), before);
    } else {
        const auto settled = m_entries.begin() + std::ptrdiff_t(m_settled);
        std::nth_element(m_entries.begin(), settled, m_entries.end(), before);
        std::sort(m_entries.begin(), settled, before);
    }
    m_order.resize(values.size());
    writeOrder(0);
    std::copy(leftOut.begin(), leftOut.end(), m_order.begin() + std::ptrdiff_t(m_entries.size()));
}

void NutrientRanking::complete()
{
    if (isComplete()) {
        return;
    }
    // The entries past the settled ones all rank below them, so sorting those alone is enough.
    std::sort(m_entries.begin() + std::ptrdiff_t(m_settled), m_entries.end(), before);
    writeOrder(m_settled);
    m_settled = m_entries.size();
}

void NutrientRanking::writeOrder(std::size_t from)
{
    for (std::size_t rank = from; rank < m_entries.size(); ++rank) {
        m_order[rank] = m_entries[rank].food;
    }
}

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
    m_nameRanks = &nameRanks;
    m_amounts.resize(values.size());
    m_rankedCount = 0;
    m_entries.clear();
    m_order.clear();
    // The first places are kept in a heap whose top is the last of them, so that nearly every
    // food costs one comparison with it: one pass, where sorting or selecting among a million
    // foods would take several.
    const std::size_t first = std::min(firstCount, values.size());
    m_entries.reserve(first);
    for (std::size_t food = 0; food < values.size(); ++food) {
        const double value = amount(values[food], servingGrams[food], calories[food], basis);
        m_amounts[food] = value;
        if (std::isnan(value)) {
            continue;
        }
        ++m_rankedCount;
        const Entry entry { value, nameRanks[food], std::uint32_t(food) };
        if (m_entries.size() < first) {
            m_entries.push_back(entry);
            std::push_heap(m_entries.begin(), m_entries.end(), before);
        } else if (first > 0 && before(entry, m_entries.front())) {
            std::pop_heap(m_entries.begin(), m_entries.end(), before);
            m_entries.back() = entry;
            std::push_heap(m_entries.begin(), m_entries.end(), before);
        }
    }
    // Every food has its own place in name order, so no two entries compare equal: the places
    // settled are those of the full sort.
    std::sort_heap(m_entries.begin(), m_entries.end(), before);
    m_settled = m_entries.size();
    if (isComplete()) {
        writeOrder();
    }
}

void NutrientRanking::complete()
{
    if (isComplete()) {
        return;
    }
    m_entries.clear();
    m_entries.reserve(m_rankedCount);
    for (std::size_t food = 0; food < m_amounts.size(); ++food) {
        if (!std::isnan(m_amounts[food])) {
            m_entries.push_back({ m_amounts[food], (*m_nameRanks)[food], std::uint32_t(food) });
        }
    }
    std::sort(m_entries.begin(), m_entries.end(), before);
    m_settled = m_entries.size();
    writeOrder();
}

void NutrientRanking::writeOrder()
{
    m_order.resize(m_amounts.size());
    std::size_t next = 0;
    for (const Entry& entry : m_entries) {
        m_order[next++] = entry.food;
    }
    for (std::size_t food = 0; food < m_amounts.size(); ++food) {
        if (std::isnan(m_amounts[food])) {
            m_order[next++] = std::uint32_t(food);
        }
    }
}

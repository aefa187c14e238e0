#include "core/plans/MealTable.h"

MealTable::AddResult MealTable::add(const QString& foodName, const QString& quantityText)
{
    if (foodName.isEmpty()) {
        return AddResult::NoFood;
    }
    if (contains(foodName)) {
        return AddResult::Duplicate;
    }
    if (m_count >= MaxEntries) {
        return AddResult::Full;
    }
    ++m_count;
    m_slots[static_cast<std::size_t>(m_count)] = MealSlot { foodName, quantityText };
    return AddResult::Added;
}

bool MealTable::contains(const QString& foodName) const
{
    for (int k = 1; k <= m_count; ++k) {
        if (m_slots[static_cast<std::size_t>(k)].FoodName == foodName) {
            return true;
        }
    }
    return false;
}

bool MealTable::removeLine(int line)
{
    if (line < 0 || line >= m_count) {
        return false;
    }
    for (int k = line + 1; k < m_count; ++k) {
        m_slots[static_cast<std::size_t>(k)] = m_slots[static_cast<std::size_t>(k + 1)];
    }
    m_slots[static_cast<std::size_t>(m_count)] = MealSlot {};
    --m_count;
    return true;
}

void MealTable::clear()
{
    m_slots.fill(MealSlot {});
    m_count = 0;
}

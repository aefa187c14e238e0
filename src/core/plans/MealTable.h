#pragma once

#include <QString>

#include <array>

struct MealSlot
{
    QString FoodName;
    QString QuantityText;

    bool operator==(const MealSlot&) const = default;
};

// One meal's entries. Slot 0 is never used; slots 1 to count() hold the entries in the order of
// the meal's list lines, and every slot after them holds empty texts.
class MealTable
{
public:
    static constexpr int SlotCount = 101;
    static constexpr int MaxEntries = 100;

    enum class AddResult {
        Added,
        NoFood,
        Duplicate,
        Full,
    };

    int count() const { return m_count; }
    const MealSlot& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }

    // Appends an entry unless the name is empty, an entry of the identical name (exact,
    // case-sensitive) is already in this meal, or the meal is full.
    AddResult add(const QString& foodName, const QString& quantityText);
    bool contains(const QString& foodName) const;
    // Removes the entry of list line `line` (counted from 0); the entries after it move up.
    bool removeLine(int line);
    void clear();

    bool operator==(const MealTable&) const = default;

private:
    std::array<MealSlot, SlotCount> m_slots;
    int m_count = 0;
};

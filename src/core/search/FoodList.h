#pragma once

#include "core/search/FoodNameSearch.h"
#include "core/text/TextColumn.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

class FoodStore;

// What the food list shows: the food names and serving units in table order, the order in which
// the list shows them (the generic ascending order of the names), and the folded names its search
// scans. It is built whole on any thread and then handed to the list. It stays where it was made,
// because the search points into it.
class FoodList
{
public:
    FoodList() = default;
    FoodList(const FoodList&) = delete;
    FoodList& operator=(const FoodList&) = delete;

    // Reads every food of `foods` and builds the list and its search; false with the reason when
    // the table cannot be read, or once `*stop` turns true.
    static bool read(const FoodStore& foods, FoodList* list, QString* error, const std::atomic<bool>* stop = nullptr);

    // Takes the foods in table order and sorts them by name. `nameOrder`, when not empty, is the
    // order the name index gives, which makes sorting a check in linear time.
    void setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder = {});
    // The same foods as `other`, in the same order; the search is built when first needed.
    void copyFoods(const FoodList& other);

    // Builds the folded copy of the names the search scans, unless it is there already.
    void prepareSearch();

    const TextColumn& names() const { return m_names; }
    const TextColumn& units() const { return m_units; }
    // List position i shows food order()[i] (in table order).
    const std::vector<std::uint32_t>& order() const { return m_order; }
    FoodNameSearch& search() { return m_search; }
    const FoodNameSearch& search() const { return m_search; }

private:
    TextColumn m_names;
    TextColumn m_units;
    std::vector<std::uint32_t> m_order;
    FoodNameSearch m_search;
    bool m_searchReady = false;
};

#include "core/search/FoodList.h"

#include "core/storage/FoodStore.h"
#include "core/text/GenericOrder.h"

#include <numeric>

bool FoodList::read(const FoodStore& foods, FoodList* list, QString* error, const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::vector<TextColumn> columns;
    std::vector<FoodStore::RowId> rowids;
    if (!foods.readColumns({ FoodFields::FOOD, FoodFields::SERVING_UN }, &columns, &rowids, error) || stopped()) {
        return false;
    }
    // Without the name order (a read-only table without its index, say) the list sorts itself.
    std::vector<std::uint32_t> nameOrder;
    foods.readNameOrder(rowids, &nameOrder, nullptr);
    if (stopped()) {
        return false;
    }
    list->setFoods(std::move(columns[0]), std::move(columns[1]), std::move(nameOrder));
    if (stopped()) {
        return false;
    }
    // Built with the list, so that the first keystroke costs no more than any other.
    list->prepareSearch();
    return !stopped();
}

void FoodList::setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder)
{
    m_search.clear();
    m_searchReady = false;
    m_names = std::move(names);
    m_units = std::move(units);
    if (nameOrder.size() == static_cast<std::size_t>(m_names.size())) {
        m_order = std::move(nameOrder);
        GenericOrder(m_names).sortPresorted(m_order);
    } else {
        m_order.resize(static_cast<std::size_t>(m_names.size()));
        std::iota(m_order.begin(), m_order.end(), 0u);
        GenericOrder(m_names).sort(m_order);
    }
}

void FoodList::copyFoods(const FoodList& other)
{
    m_search.clear();
    m_searchReady = false;
    m_names = other.m_names;
    m_units = other.m_units;
    m_order = other.m_order;
}

void FoodList::prepareSearch()
{
    if (!m_searchReady) {
        m_search.setNames(m_names, m_order);
        m_searchReady = true;
    }
}

#include "core/search/RankingFoods.h"

#include "core/storage/FoodStore.h"
#include "core/text/GenericOrder.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <limits>
#include <numeric>

bool RankingFoods::read(const FoodStore& foods, RankingFoods* into, QString* error, const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::vector<TextColumn> columns;
    if (!foods.readColumns({ FoodFields::FOOD, FoodFields::CALORIES }, &columns, &into->m_rows, error) || stopped()
        || !foods.readServingGrams(into->m_rows, &into->m_grams, error) || stopped()) {
        return false;
    }
    into->m_names = std::move(columns[0]);
    const TextColumn& calories = columns[1];
    const std::size_t count = into->m_rows.size();
    into->m_calories.resize(count);
    QString scratch;
    for (std::size_t food = 0; food < count; ++food) {
        // Calories that are not written as a number are not known, which is not 0.
        const QStringView text = calories.view(qsizetype(food), scratch);
        into->m_calories[food] = IsWholeNumber(text) ? TextToNumber(text) : std::numeric_limits<double>::quiet_NaN();
    }
    // The food list's order, as FoodList builds it: the name index's, checked, or a sort.
    std::vector<std::uint32_t> order;
    foods.readNameOrder(into->m_rows, &order, nullptr);
    if (stopped()) {
        return false;
    }
    if (order.size() == count) {
        GenericOrder(into->m_names).sortPresorted(order);
    } else {
        order.resize(count);
        std::iota(order.begin(), order.end(), 0u);
        GenericOrder(into->m_names).sort(order);
    }
    into->m_nameRanks.resize(count);
    for (std::size_t place = 0; place < count; ++place) {
        into->m_nameRanks[order[place]] = std::uint32_t(place);
    }
    if (stopped()) {
        return false;
    }
    into->m_tableOrder.resize(count);
    std::iota(into->m_tableOrder.begin(), into->m_tableOrder.end(), 0u);
    into->m_search.setNames(into->m_names, into->m_tableOrder);
    return !stopped();
}

bool RankingFoods::readColumn(const FoodStore& foods, const std::vector<qint64>& rows, const QString& number,
    std::vector<double>* column, QString* error)
{
    std::vector<std::vector<double>> columns;
    if (!foods.readNutrientColumns({ number }, rows, &columns, error)) {
        return false;
    }
    *column = std::move(columns.front());
    return true;
}

bool RankingFoods::readFirst(
    const FoodStore& foods, const QString& number, std::vector<FoodStore::RichFood>* first, bool* found, QString* error)
{
    if (!foods.readRichest(number, first, found, error)) {
        return false;
    }
    // Equal amounts in the food list's order: its generic order of names, then as the name index
    // holds them, by name and then row.
    TextColumn names;
    for (const FoodStore::RichFood& food : *first) {
        names.append(food.name);
    }
    const GenericOrder byName(names);
    std::vector<std::uint32_t> order(first->size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const FoodStore::RichFood& x = (*first)[a];
        const FoodStore::RichFood& y = (*first)[b];
        if (x.value != y.value) {
            return x.value > y.value;
        }
        if (const int c = byName.compare(a, b); c != 0) {
            return c < 0;
        }
        if (const int c = x.name.compare(y.name); c != 0) {
            return c < 0;
        }
        return x.row < y.row;
    });
    std::vector<FoodStore::RichFood> ordered;
    ordered.reserve(first->size());
    for (const std::uint32_t food : order) {
        ordered.push_back(std::move((*first)[food]));
    }
    *first = std::move(ordered);
    return true;
}

const std::vector<double>* RankingFoods::column(const QString& number) const
{
    const auto found = m_columns.constFind(number);
    return found == m_columns.cend() ? nullptr : found->get();
}

void RankingFoods::keepColumn(const QString& number, std::vector<double> column)
{
    // A million foods take 8 MB a column: the few read last are kept, for a user going back and forth.
    constexpr qsizetype kept = 6;
    m_recent.removeAll(number);
    while (m_recent.size() >= kept) {
        m_columns.remove(m_recent.takeFirst());
    }
    m_recent.append(number);
    m_columns.insert(number, std::make_shared<const std::vector<double>>(std::move(column)));
}

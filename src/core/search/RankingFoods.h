#pragma once

#include "core/search/FoodNameSearch.h"
#include "core/storage/FoodStore.h"
#include "core/text/TextColumn.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// What a ranking of foods by a nutrient reads of the food table once: every food's identity, name,
// calories and serving grams in table order, its place in the food list's name order, the folded
// names its search scans, and the nutrient columns read so far. It is read whole on any thread
// and then handed to the window, and stays where it was made, because the search points into it.
class RankingFoods
{
public:
    RankingFoods() = default;
    RankingFoods(const RankingFoods&) = delete;
    RankingFoods& operator=(const RankingFoods&) = delete;

    // Reads every food of `foods`; false with the reason when the table cannot be read, or once
    // `*stop` turns true.
    static bool read(
        const FoodStore& foods, RankingFoods* into, QString* error, const std::atomic<bool>* stop = nullptr);
    // The values of nutrient `number` per serving for `rows` (not-a-number where unknown).
    static bool readColumn(const FoodStore& foods, const std::vector<qint64>& rows, const QString& number,
        std::vector<double>* column, QString* error);

    // The foods richest in nutrient `number` per serving that the table finds without reading the
    // others, in the order a ranking of every food gives them; `*found` false where it cannot.
    static bool readFirst(const FoodStore& foods, const QString& number, std::vector<FoodStore::RichFood>* first,
        bool* found, QString* error);

    std::size_t size() const { return m_rows.size(); }
    const std::vector<qint64>& rows() const { return m_rows; }
    const TextColumn& names() const { return m_names; }
    const std::vector<double>& calories() const { return m_calories; }
    const std::vector<double>& servingGrams() const { return m_grams; }
    // nameRanks()[food] is the food's place in the food list's order.
    const std::vector<std::uint32_t>& nameRanks() const { return m_nameRanks; }

    // The column of `number` read before and still kept, or null; a pointer that stays good
    // until the column is let go, six columns later.
    const std::vector<double>* column(const QString& number) const;
    void keepColumn(const QString& number, std::vector<double> column);

    // The search over the names; setOrder() gives it the list's order.
    FoodNameSearch& search() { return m_search; }

private:
    std::vector<qint64> m_rows;
    TextColumn m_names;
    std::vector<double> m_calories;
    std::vector<double> m_grams;
    std::vector<std::uint32_t> m_nameRanks;
    // The order the search starts with, until a ranking gives it another.
    std::vector<std::uint32_t> m_tableOrder;
    QHash<QString, std::shared_ptr<const std::vector<double>>> m_columns;
    QStringList m_recent;
    FoodNameSearch m_search;
};

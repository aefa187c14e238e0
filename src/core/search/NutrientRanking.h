#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// Foods ranked by the amount of one nutrient they bring, per serving, per 100 g or per 100 kcal:
// the largest first, equal amounts in the food list's name order. A food without the value, or
// without the serving weight or calories its basis needs, is left out and counted. The first
// foods can be placed alone, for a list's first screen, and the rest when complete() is called;
// either way the order is the one a full sort gives. The name ranks given must outlive the
// ranking.
class NutrientRanking
{
    Q_DECLARE_TR_FUNCTIONS(NutrientRanking)

public:
    enum class Basis { PerServing, Per100Grams, Per100Calories };
    static constexpr std::size_t Everything = std::numeric_limits<std::size_t>::max();

    // What a basis is written as beside an amount: "per serving", "per 100 g", "per 100 kcal".
    static QString basisText(Basis basis);
    // The amount of a food with `perServing` of the nutrient in a serving of `servingGrams`
    // that brings `calories`; not-a-number where it cannot be had (unknown value, or no weight or
    // no calories above 0 where the basis needs them).
    static double amount(double perServing, double servingGrams, double calories, Basis basis);

    // Ranks foods 0 to values.size() - 1 (the other columns as long, not-a-number for unknown);
    // `nameRanks` gives each food's distinct place in name order. Only the first `firstCount`
    // places are settled until complete(); they cost one pass over the foods.
    void rank(const std::vector<double>& values, const std::vector<double>& servingGrams,
        const std::vector<double>& calories, const std::vector<std::uint32_t>& nameRanks, Basis basis,
        std::size_t firstCount = Everything);
    // Settles every place.
    void complete();
    bool isComplete() const { return m_settled >= m_rankedCount; }

    std::size_t rankedCount() const { return m_rankedCount; }
    std::size_t leftOutCount() const { return m_amounts.size() - m_rankedCount; }
    // Every food once complete: the ranked ones by rank, then those left out, in table order.
    const std::vector<std::uint32_t>& order() const { return m_order; }
    // The food at `rank` and its amount, for a settled rank.
    std::uint32_t foodAt(std::size_t rank) const { return m_entries[rank].food; }
    double amountAt(std::size_t rank) const { return m_entries[rank].amount; }

private:
    struct Entry
    {
        double amount;
        std::uint32_t nameRank;
        std::uint32_t food;
    };
    static bool before(const Entry& a, const Entry& b)
    {
        return a.amount > b.amount || (a.amount == b.amount && a.nameRank < b.nameRank);
    }
    void writeOrder();

    // Each food's amount (not-a-number when left out), and its place in name order.
    std::vector<double> m_amounts;
    const std::vector<std::uint32_t>* m_nameRanks = nullptr;
    std::size_t m_rankedCount = 0;
    // The settled places, by rank: the first ones, or all once complete.
    std::vector<Entry> m_entries;
    std::size_t m_settled = 0;
    std::vector<std::uint32_t> m_order;
};

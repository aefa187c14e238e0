// The food search's folding on any UTF-16, unpaired surrogates included: no crash, the folded
// text the same with or without its sources, every source inside the name and in order, and a
// name always found by its own words, with every bold range inside it.

#include "FuzzSupport.h"
#include "core/search/FoodNameSearch.h"
#include "core/text/TextFold.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto units = static_cast<qsizetype>(std::min<std::size_t>(size / 2, 4096));
    QString name(units, Qt::Uninitialized);
    std::memcpy(name.data(), data, static_cast<std::size_t>(units) * 2);

    const QString folded = TextFold::fold(name);
    std::vector<std::pair<int, int>> sources;
    if (TextFold::fold(name, &sources) != folded || sources.size() != static_cast<std::size_t>(folded.size())) {
        fuzz::fail("the fold with sources differs", double(units), name);
    }
    int reached = 0;
    for (const auto& [start, end] : sources) {
        if (start < reached || start >= end || end > name.size()) {
            fuzz::fail("a source lies outside the name or out of order", double(start), name);
        }
        reached = start;
    }

    TextColumn column;
    column.append(name);
    const std::vector<std::uint32_t> order { 0 };
    FoodNameSearch search;
    search.setNames(column, order);
    if (search.search(name) && search.rows() != std::vector<std::uint32_t> { 0 }) {
        fuzz::fail("a name is not found by its own words", double(units), name);
    }
    for (const auto& [start, length] : FoodNameSearch::matchedRanges(name, search.currentWords())) {
        if (start < 0 || length <= 0 || start + length > name.size()) {
            fuzz::fail("a bold range lies outside the name", double(start), name);
        }
    }
    return 0;
}

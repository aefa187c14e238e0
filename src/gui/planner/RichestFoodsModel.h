#pragma once

#include "core/search/NutrientRanking.h"
#include "core/storage/FoodStore.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class RankingFoods;

// The foods ranked by one nutrient, as the Richest Foods window lists them: name, amount with its
// unit, and the basis. Only the first screen's places are settled when a ranking is shown; the
// rest are settled once asked for, or when complete() is called. A search text narrows the list
// to the foods whose names hold every word, as the main window's food list does, keeping the rank
// order.
class RichestFoodsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Food, Amount, Basis, ColumnCount };
    // The places settled before the list first shows: more than any screen holds.
    static constexpr std::size_t FirstScreen = 256;

    explicit RichestFoodsModel(QObject* parent = nullptr);

    // Ranks `foods` by `column` (values per serving of a nutrient in `unit`, for every food).
    void setRanking(std::shared_ptr<RankingFoods> foods, const std::vector<double>& column, const QString& unit,
        NutrientRanking::Basis basis);
    // Shows the first foods of a ranking per serving, as the table found them without reading the
    // others, until setRanking() or clear(); a search text hides them.
    void setFirstFoods(std::vector<FoodStore::RichFood> foods, const QString& unit);
    bool isShowingFirstFoods() const { return !m_foods && !m_first.empty(); }
    void clear();
    // Settles every place of the ranking.
    void complete();
    const NutrientRanking& ranking() const { return m_ranking; }

    // Shows the foods whose names match `text`; the text stays when the ranking changes.
    void setFilterText(const QString& text);
    bool isFiltering() const { return m_filtering; }

    QString foodName(int row) const;
    double amount(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // The rank of a row, its place settled first.
    std::size_t rankOf(int row) const;
    // Searches the ranked foods for the filter text; every place is settled first.
    void search();

    std::shared_ptr<RankingFoods> m_foods;
    // The first foods shown before the ranking, while there is none.
    std::vector<FoodStore::RichFood> m_first;
    // Settled on demand from const accessors: which places are settled is not what the model shows.
    mutable NutrientRanking m_ranking;
    QString m_unit;
    QString m_basisText;
    QString m_filterText;
    bool m_filtering = false;
    // Whether the search holds the order of the ranking shown.
    bool m_searchOrdered = false;
    // The ranks of the foods the search found, ascending.
    std::vector<std::uint32_t> m_matches;
};

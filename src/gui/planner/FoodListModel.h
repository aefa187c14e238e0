#pragma once

#include "core/search/FoodList.h"

#include <QAbstractListModel>

#include <cstdint>
#include <memory>
#include <vector>

// The main window's food list: the food names in the generic ascending order, each line tied to
// the serving unit of the same food. One model over two packed columns, so a million foods cost
// no item objects. A search text shows only the foods whose names hold every typed word, still
// in name order; the empty text shows them all, row for row. While a large table is read behind
// the window, the list shows its first foods by name: those are the first rows of the whole list.
class FoodListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FoodListModel(QObject* parent = nullptr);

    // Takes the foods in table order and sorts them by name. `nameOrder`, when not empty, is the
    // order the name index gives, which makes sorting a check in linear time.
    // `complete` is false for the first foods of a table still being read.
    void setFoods(TextColumn names, TextColumn units, std::vector<std::uint32_t> nameOrder = {}, bool complete = true);
    // Shows a list built elsewhere (see FoodList::read); the search text stays.
    void adoptFoods(std::shared_ptr<FoodList> foods, bool complete = true);
    void clear();
    // Shows the same foods as `other`, already in name order, without reading the table again.
    void copyFoods(const FoodListModel& other);
    // Whether the list holds every food of the table, not only the first ones of a read going on.
    bool isComplete() const { return m_complete; }

    // Shows the foods matching `text` (see FoodNameSearch); the text stays when the foods change.
    void setFilterText(const QString& text);
    QString filterText() const { return m_filterText; }
    // Whether a search narrows the list (a text of no words shows every food).
    bool isFiltering() const { return m_filtering; }
    // The folded words being searched for; empty when every food is shown.
    QStringList filterWords() const { return m_filtering ? m_foods->search().currentWords() : QStringList(); }
    // Builds the folded copy of the names the search scans, unless it is there already; a first
    // keystroke then costs no more than any other.
    void prepareSearch();
    int totalCount() const { return static_cast<int>(m_foods->order().size()); }
    // A row's place in the full list, and back (-1 when that food is not shown).
    int positionOfRow(int row) const;
    int rowOfPosition(int position) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QString foodName(int row) const;
    QString servingUnit(int row) const;

private:
    // Drops the search over the foods shown before and searches the new ones for the same text.
    void searchAfresh();

    std::shared_ptr<FoodList> m_foods = std::make_shared<FoodList>();
    bool m_complete = true;
    bool m_filtering = false;
    QString m_filterText;
};

#include "core/search/FoodNameIndex.h"

#include "core/storage/FoodStore.h"
#include "core/text/UpperColumn.h"

#include <algorithm>

bool FoodNameIndex::load(const FoodStore& foods, QString* error)
{
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    if (!take(foods.readColumns({ FoodFields::FOOD }, &columns, &rowids, error), &columns, &rowids)) {
        return false;
    }
    return true;
}

bool FoodNameIndex::loadFirst(const FoodStore& foods, int count, QString* error)
{
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    return take(foods.readFirstRows({ FoodFields::FOOD }, count, false, &columns, &rowids, error), &columns, &rowids);
}

bool FoodNameIndex::take(bool read, std::vector<TextColumn>* names, std::vector<qint64>* rowids)
{
    if (!read) {
        m_rowids.clear();
        m_upperNames.clear();
        return false;
    }
    m_rowids = std::move(*rowids);
    m_upperNames = UpperColumn::upperCased(names->front());
    return true;
}

qsizetype FoodNameIndex::recordOf(qint64 rowid) const
{
    // Records are in table order, which is rowid order.
    const auto found = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    return found != m_rowids.end() && *found == rowid ? found - m_rowids.begin() : -1;
}

qsizetype FoodNameIndex::keep(qint64 rowid, QStringView name)
{
    const auto place = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    const qsizetype record = place - m_rowids.begin();
    if (place == m_rowids.end() || *place != rowid) {
        m_rowids.insert(place, rowid);
        m_upperNames.insert(record, UpperColumn::upper(name));
    }
    return record;
}

void FoodNameIndex::append(qint64 rowid, QStringView name)
{
    m_rowids.push_back(rowid);
    m_upperNames.append(UpperColumn::upper(name));
}

void FoodNameIndex::rename(qsizetype index, QStringView name)
{
    m_upperNames.set(index, UpperColumn::upper(name));
}

void FoodNameIndex::remove(qsizetype index)
{
    m_rowids.erase(m_rowids.begin() + index);
    m_upperNames.remove(index);
}

qsizetype FoodNameIndex::search(qsizetype current, const QString& term) const
{
    if (isEmpty()) {
        return -1;
    }
    if (term.isEmpty()) {
        return current;
    }
    // Names kept in Latin-1 are searched as bytes; a term beyond Latin-1 is in none of them.
    const UpperColumn::Pattern pattern(term);
    qsizetype found = UpperColumn::firstMatch(m_upperNames, pattern, current + 1, size());
    if (found < 0) {
        found = UpperColumn::firstMatch(m_upperNames, pattern, 0, size());
    }
    return found < 0 ? 0 : found;
}

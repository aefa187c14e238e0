#include "core/search/FoodNameIndex.h"

#include "core/storage/FoodStore.h"
#include "core/text/UpperColumn.h"

#include <QStringMatcher>

bool FoodNameIndex::load(const FoodStore& foods, QString* error)
{
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    if (!foods.readColumns({ FoodFields::FOOD }, &columns, &rowids, error)) {
        m_rowids.clear();
        m_upperNames.clear();
        return false;
    }
    m_rowids = std::move(rowids);
    m_upperNames = UpperColumn::upperCased(columns.front());
    return true;
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
    const QStringMatcher matcher(UpperColumn::upper(term), Qt::CaseSensitive);
    qsizetype found = UpperColumn::firstMatch(m_upperNames, matcher, current + 1, size());
    if (found < 0) {
        found = UpperColumn::firstMatch(m_upperNames, matcher, 0, size());
    }
    return found < 0 ? 0 : found;
}

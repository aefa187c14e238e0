#include "core/search/FoodNameIndex.h"

#include "core/storage/FoodStore.h"
#include "core/text/UpperColumn.h"

#include <QStringMatcher>

#include <algorithm>

bool FoodNameIndex::load(const FoodStore& foods, QString* error)
{
    std::vector<TextColumn> columns;
    std::vector<qint64> rowids;
    if (!take(foods.readColumns({ FoodFields::FOOD }, &columns, &rowids, error), &columns, &rowids)) {
        return false;
    }
    // Made with the names, so that the first search costs no more than the next.
    asciiNames();
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
    m_asciiKnown = false;
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
        m_asciiKnown = false;
    }
    return record;
}

void FoodNameIndex::append(qint64 rowid, QStringView name)
{
    m_rowids.push_back(rowid);
    m_upperNames.append(UpperColumn::upper(name));
    m_asciiKnown = false;
}

void FoodNameIndex::rename(qsizetype index, QStringView name)
{
    m_upperNames.set(index, UpperColumn::upper(name));
    m_asciiKnown = false;
}

void FoodNameIndex::remove(qsizetype index)
{
    m_rowids.erase(m_rowids.begin() + index);
    m_upperNames.remove(index);
    m_asciiKnown = false;
}

const QByteArray& FoodNameIndex::asciiNames() const
{
    if (!m_asciiKnown) {
        m_asciiNames = UpperColumn::asciiText(m_upperNames);
        m_asciiKnown = true;
    }
    return m_asciiNames;
}

qsizetype FoodNameIndex::search(qsizetype current, const QString& term) const
{
    if (isEmpty()) {
        return -1;
    }
    if (term.isEmpty()) {
        return current;
    }
    qsizetype found = -1;
    const QByteArray& ascii = asciiNames();
    if (!ascii.isEmpty()) {
        // Names of ASCII alone are searched as bytes; a term beyond ASCII is in none of them.
        const UpperColumn::Pattern pattern(term);
        found = UpperColumn::firstMatch(ascii, m_upperNames.offsets(), pattern, current + 1, size());
        if (found < 0) {
            found = UpperColumn::firstMatch(ascii, m_upperNames.offsets(), pattern, 0, size());
        }
        return found < 0 ? 0 : found;
    }
    const QStringMatcher matcher(UpperColumn::upper(term), Qt::CaseSensitive);
    found = UpperColumn::firstMatch(m_upperNames, matcher, current + 1, size());
    if (found < 0) {
        found = UpperColumn::firstMatch(m_upperNames, matcher, 0, size());
    }
    return found < 0 ? 0 : found;
}

#pragma once

#include "core/text/TextColumn.h"

#include <QByteArray>
#include <QString>

#include <vector>

class FoodStore;

// The food editor's list of records: every row's identity in table order, with its food name
// upper-cased and packed in one string, so that the food name search scans memory instead of
// asking the database record by record.
class FoodNameIndex
{
public:
    bool load(const FoodStore& foods, QString* error);
    // Only the first records, in table order, while the rest is read behind the window.
    bool loadFirst(const FoodStore& foods, int count, QString* error);

    qsizetype size() const { return static_cast<qsizetype>(m_rowids.size()); }
    bool isEmpty() const { return m_rowids.empty(); }
    qint64 rowid(qsizetype index) const { return m_rowids[static_cast<std::size_t>(index)]; }

    // The record of row `rowid`, or -1 when there is none.
    qsizetype recordOf(qint64 rowid) const;
    // The record of row `rowid`, put in its place in table order first when it is not there:
    // a window that shows the row keeps it while another program may have deleted it.
    qsizetype keep(qint64 rowid, QStringView name);

    void append(qint64 rowid, QStringView name);
    void rename(qsizetype index, QStringView name);
    void remove(qsizetype index);

    // The food name search from the record `current`: the records after it to the last are
    // tested, then every record from the first once more (the current one included). Returns the
    // first record whose upper-cased name contains the upper-cased term, or 0 (the first record)
    // when none does; -1 when there are no records. The empty term finds nothing and stays on `current`.
    qsizetype search(qsizetype current, const QString& term) const;

private:
    // Takes what a read gave, when it `read`; else holds no records.
    bool take(bool read, std::vector<TextColumn>* names, std::vector<qint64>* rowids);

    std::vector<qint64> m_rowids;
    TextColumn m_upperNames;
};

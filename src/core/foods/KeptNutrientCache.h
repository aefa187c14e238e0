#pragma once

#include "core/foods/FoodLookup.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <unordered_map>

class SqliteConnection;
struct sqlite3;

// The kept nutrients of the food rows earlier lookups read, by rowid, kept from one totals
// calculation to the next: a plan is totalled again and again while the food table stays as it
// was, and reading its foods' few hundred thousand values costs more than adding them up. The
// rows each planned name found are kept the same way: a few thousand index probes into a table of
// a million foods cost more than the rest of the calculation.
//
// What is kept holds only while the file is exactly as it was read: any row another connection or
// program commits changes SQLite's data_version, any row this connection inserts, updates or
// deletes (a trigger's too) its count of changes, and any change of the schema its schema_version.
// check() compares all three, with the connection and the slots' nutrient numbers, and empties the
// cache when one differs.
class KeptNutrientCache
{
public:
    // Whether what is kept was read from the file as `connection` sees it now, through `numbers`
    // as slots; the cache is emptied when not. Run inside the reader's read transaction, so that
    // the rows read next are of the state checked. False when the file could not be asked.
    bool check(SqliteConnection& connection, const QStringList& numbers, QString* error);
    // The same for the rows of names alone, whatever the slots.
    bool checkFile(SqliteConnection& connection, QString* error);
    // The kept nutrients of row `rowid`, or nullptr when they are not kept.
    const FoodLookup::KeptNutrients* find(qint64 rowid) const;
    // Keeps the nutrients of row `rowid` as read in the state last checked; the cache is emptied
    // first when it holds as many rows as it may.
    void insert(qint64 rowid, const FoodLookup::KeptNutrients& nutrients);
    void clear();
    std::size_t size() const { return m_rows.size(); }

    // The food rows named exactly so, in table order: their nine values and rowids.
    struct NamedRows
    {
        std::vector<FoodLookup::Nutrients> values;
        std::vector<qint64> rowids;
    };
    // The rows kept for `name`, or nullptr when the name is not kept.
    const NamedRows* findName(const QString& name) const;
    // Keeps the rows of `name` as read in the state last checked; the names are emptied first
    // when they are as many as they may be.
    void insertName(const QString& name, NamedRows rows);

private:
    struct State
    {
        sqlite3* connection = nullptr;
        qint64 dataVersion = 0;
        qint64 schemaVersion = 0;
        qint64 changes = 0;
        QStringList numbers;

        bool operator==(const State&) const = default;
    };

    // The file's state only, without the slots.
    bool readState(SqliteConnection& connection, State* now, QString* error);

    std::optional<State> m_state;
    std::unordered_map<qint64, FoodLookup::KeptNutrients> m_rows;
    QHash<QString, NamedRows> m_names;
};

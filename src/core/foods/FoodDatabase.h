#pragma once

#include "core/foods/FoodFields.h"
#include "core/foods/StoredRow.h"
#include "core/text/TextColumn.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SqliteConnection;
class SqliteStatement;

// The food table of an SQLite file: table `foods`, ten fields, rows in rowid order. Values are
// handed out as the text a grid shows for them; nutrients are read as numbers with TextToNumber.
// It knows foods only: the recipes made of them, and the rules that keep the two in step, stand
// above it. This class never shows a window: every failure comes back as false with a reason.
class FoodDatabase : public FoodFields
{
    Q_DECLARE_TR_FUNCTIONS(FoodDatabase)

public:
    // Called with each row in table order; false stops the reading, with the reason in `reason`.
    using RowVisitor = std::function<bool(const StoredRow& row, QString* reason)>;

    // The statement that creates the food table.
    static QString createTableStatement();

    FoodDatabase();
    ~FoodDatabase();
    FoodDatabase(const FoodDatabase&) = delete;
    FoodDatabase& operator=(const FoodDatabase&) = delete;

    // Opens an existing file and checks that it is an SQLite database with a `foods` table that
    // has the ten fields. A file that fails the check is left exactly as it was.
    bool open(const QString& path, QString* error);
    // Opens the file at `path` unless it is the one already open. A file that another program
    // renamed over the open one, or deleted, counts as another file: the connection is reopened
    // on what is at the path now, so every reader sees the table's current content.
    bool ensureOpen(const QString& path, QString* error);
    // Whether the file at the open path is no longer the file that was opened.
    bool isReplaced() const;
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }

    // Creates a new food table file from CSV text (a header line, then the ten fields in table
    // order). The file is built under a temporary name and moved into place when complete, so an
    // interrupted start never leaves a half-filled table. An existing file is never replaced.
    static bool createFromCsv(const QString& path, const QString& csvText, QString* error);

    // Reads the given fields of every row, in table order, with each row's identity.
    bool readColumns(const std::vector<Field>& fields, std::vector<TextColumn>* columns, std::vector<qint64>* rowids,
        QString* error) const;
    // The same for the first `limit` rows, in table order or (`byName`) in the order of the name
    // index: by name, equal names by rowid. Either gives them without reading the others; false
    // when the name index is not there.
    bool readFirstRows(const std::vector<Field>& fields, int limit, bool byName, std::vector<TextColumn>* columns,
        std::vector<qint64>* rowids, QString* error) const;
    // The largest rowid, which no row count exceeds, found without reading the rows; -1 on failure.
    qint64 rowCountBound(QString* error) const;
    // Hands every row, in table order, to `visit` as stored. Why the reading failed or `visit`
    // stopped it comes back in `error` as it is, without the file's name.
    bool readRows(const RowVisitor& visit, QString* error) const;
    // The same, with each row's rowid.
    using IdRowVisitor = std::function<bool(qint64 rowid, const StoredRow& row, QString* reason)>;
    bool readRowsWithIds(const IdRowVisitor& visit, QString* error) const;
    qint64 rowCount(QString* error) const;
    // The positions (into rows read in table order, whose rowids are given) of the foods in
    // the order of their names as the name index holds them: by name, equal names by rowid.
    bool readNameOrder(const std::vector<qint64>& rowids, std::vector<std::uint32_t>* order, QString* error) const;
    // The ten cell texts of one record; false when it cannot be read or no longer exists.
    bool readRecord(qint64 rowid, QStringList* values, QString* error) const;
    // The eight nutrient values, as numbers, of every row whose FOOD equals `name` exactly
    // (case and blanks count), in table order.
    bool nutrientsOf(const QString& name, std::vector<std::array<double, NutrientCount>>* rows, QString* error) const;
    // The serving unit of the first row, in table order, of exactly that name; empty when none.
    bool servingUnitOf(const QString& name, QString* unit, QString* error) const;
    // The rowid of the first row of exactly that name, by the name index; none when there is none.
    bool firstRowOf(const QString& name, std::optional<qint64>* row, QString* error) const;

    // Writes of one row, made inside the caller's write transaction; each failure comes back as
    // the bare reason, for the caller to give with the path.
    // Whether row `rowid` still holds the food name the user was shown; another program may
    // have changed the table, and SQLite may give a deleted food's rowid to a new one.
    bool holdsShownName(qint64 rowid, const QString& shownName, QString* reason) const;
    // Writes only the given fields, so that a field another program changed meanwhile keeps its
    // new value.
    bool writeFields(qint64 rowid, const FieldChanges& changes, QString* reason);
    bool insertRow(const QStringList& values, qint64* rowid, QString* reason);
    bool deleteRow(qint64 rowid, QString* reason);

    // `reason` given with the file it concerns; always false, to return at once.
    bool fail(const QString& reason, QString* error) const;

    // The open connection, for the layers above to work in the same file and transactions.
    SqliteConnection& connection() const { return *m_connection; }

    // The text a grid shows for one cell of a statement's current row.
    static QStringView cellText(const SqliteStatement& statement, int column, QString* buffer);
    // A stored nutrient of a statement's current row as a number: TextToNumber of its cell text.
    static double nutrientValue(const SqliteStatement& statement, int column);

private:
    // The rows `statement` gives, each its rowid and then `fields` cells, into columns.
    bool readColumnsOf(SqliteStatement& statement, std::size_t fields, std::vector<TextColumn>* columns,
        std::vector<qint64>* rowids, QString* error) const;
    // Opens the connection and checks the table; the reason for a failure, or empty.
    QString openAndCheck();

    // The device and inode of the file that was opened.
    struct FileIdentity
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static bool identityOf(const QString& path, FileIdentity* identity);

    std::unique_ptr<SqliteConnection> m_connection;
    QString m_path;
    FileIdentity m_identity;
};

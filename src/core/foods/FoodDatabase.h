#pragma once

#include "core/text/TextColumn.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>
#include <utility>
#include <vector>

// The food table: table `foods` of an SQLite file, ten fields, rows in rowid order. Values are
// handed out as the text a grid shows for them; nutrients are read as numbers with TextToNumber.
// This class never shows a window: every failure comes back as false with a reason.
struct sqlite3;
struct sqlite3_stmt;

class FoodDatabase
{
    Q_DECLARE_TR_FUNCTIONS(FoodDatabase)

public:
    enum Field { FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC, FieldCount };
    static constexpr int NutrientCount = 8;

    static const QStringList& fieldNames();
    // The eight nutrient fields' names, CALORIES to SUGAR_ALC, and the captions they are shown under.
    static const QStringList& nutrientFieldNames();
    static const QStringList& nutrientCaptions();
    // The statement that creates the food table.
    static QString createTableStatement();
    // The captions the grids show above the fields ("Food", "Serving Unit", ...).
    static const QStringList& gridCaptions();

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
    qint64 rowCount(QString* error) const;
    // The positions (into rows read in table order, whose rowids are given) of the foods in
    // the order of their names as the name index holds them: by name, equal names by rowid.
    bool readNameOrder(const std::vector<qint64>& rowids, std::vector<std::uint32_t>* order, QString* error) const;
    // The ten cell texts of one record; false when it cannot be read or no longer exists.
    bool readRecord(qint64 rowid, QStringList* values, QString* error) const;

    // The eight nutrient values, as numbers, of every row whose FOOD equals `name` exactly
    // (case and blanks count), in table order.
    bool nutrientsOf(const QString& name, std::vector<std::array<double, NutrientCount>>* rows, QString* error) const;

    // Record writes, each one transaction: the file holds either the old record or the new one.
    // The recipes made of a food that is written are recomputed in the same transaction, and a
    // recipe's own row is refused: it changes only with its recipe (RecipeBook).
    // Another program may change the table meanwhile, and SQLite may give a deleted food's rowid
    // to a new one, so a write to a record shown to the user first checks, in the same
    // transaction, that the row still holds the food name that was shown (`shownName`); if not,
    // nothing is written and the reason says the food is no longer in the table.
    using FieldChanges = std::vector<std::pair<Field, QString>>;
    // Writes only the given fields, so that a field another program changed meanwhile keeps its
    // new value. A food renamed while no other row keeps its old name takes its recipes along:
    // they use the new name from then on, with the same values, and `renamedIn` (when given)
    // names them.
    bool updateFields(qint64 rowid, const QString& shownName, const FieldChanges& changes, QString* error,
        QStringList* renamedIn = nullptr);
    bool insertRecord(const QStringList& values, qint64* rowid, QString* error);
    bool deleteRecord(qint64 rowid, const QString& shownName, QString* error);

    // A stored text as the program shows it: UTF-8 when its bytes are valid UTF-8, else
    // Windows-1252, as older tools may have stored them. `buffer` is reused between calls.
    static QStringView storedText(QByteArrayView bytes, QString* buffer);
    // The Windows-1252 bytes under which a table written by such a tool holds the name the
    // program shows as `name`; empty when no such bytes exist or they are the UTF-8 bytes.
    static QByteArray windows1252Bytes(const QString& name);

    // The text a grid cell shows for a stored value.
    static QString cellText(const QVariant& value);
    // The text a grid cell shows for a stored real number.
    static QString numberText(double value);
    // A stored nutrient as a number: TextToNumber of its cell text.
    static double nutrientValue(const QVariant& value);
    // The same for a column of a statement's current row.
    static double nutrientValue(sqlite3_stmt* statement, int column);
    // The value a typed text is stored as in `field`: NULL for an empty nutrient, the largest
    // double for a number too large for one, else the text itself (the column's numeric affinity
    // makes a number of it when it reads wholly as one).
    static QVariant storedValueOf(Field field, const QString& text);

    QSqlDatabase connection() const;
    // SQLite's own handle of the open connection, for bulk reads and writes; null when closed.
    sqlite3* sqliteHandle() const;

private:
    bool fail(const QString& reason, QString* error) const;
    // Opens the connection and checks the table; the reason for a failure, or empty.
    QString openAndCheck();

    // Runs `write` inside an immediate transaction after checking that `rowid` still holds
    // `shownName`; commits when it returns true.
    bool writeShownRecord(
        qint64 rowid, const QString& shownName, const std::function<bool(QString*)>& write, QString* error);
    // The device and inode of the file that was opened.
    struct FileIdentity
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    static bool identityOf(const QString& path, FileIdentity* identity);

    QString m_connection;
    QString m_path;
    FileIdentity m_identity;
};

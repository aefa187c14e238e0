#pragma once

// Food tables for the benchmarks: the starter table, or generated tables of realistic shape.

#include "core/files/PlatewellFolder.h"
#include "core/files/UserFiles.h"
#include "core/foods/FoodDatabase.h"
#include "core/nutrients/NutrientTables.h"
#include "core/sqlite/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <cstring>
#include <functional>

#include <sys/resource.h>

namespace bench {

inline long peakMemoryMB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A figure of /proc/self/status in MB: "VmRSS:" the memory held now, "VmHWM:" its peak; 0 when
// it cannot be read.
inline double statusMB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith(field)) {
                return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
            }
        }
    }
    return 0;
}

// A realistic generated food name: a few words and a number.
inline QString generatedName(QRandomGenerator& random, int /*index*/)
{
    static const QStringList words { QStringLiteral("Apple"), QStringLiteral("Beef"), QStringLiteral("Chicken"),
        QStringLiteral("soup"), QStringLiteral("bread"), QStringLiteral("Cheese"), QStringLiteral("roasted"),
        QStringLiteral("Yogurt"), QStringLiteral("low fat"), QStringLiteral("Rice"), QStringLiteral("brown"),
        QStringLiteral("Pasta"), QStringLiteral("tomato"), QStringLiteral("Salmon"), QStringLiteral("raw"),
        QStringLiteral("Oats"), QStringLiteral("Cereal"), QStringLiteral("Milk"), QStringLiteral("whole"),
        QStringLiteral("Peanut butter"), QStringLiteral("crunchy"), QStringLiteral("Spinach"),
        QStringLiteral("frozen") };
    QString food = words.at(random.bounded(words.size()));
    for (int w = random.bounded(2, 5); w > 0; --w) {
        food += QStringLiteral(", ") + words.at(random.bounded(words.size()));
    }
    return food + QStringLiteral(" #%1").arg(random.bounded(1000000));
}

using NameGenerator = std::function<QString(QRandomGenerator&, int)>;

// Creates the food table file at `path` holding `count` foods; 7,878 gives the starter table
// itself. Generated foods take their names from `name` and random serving units and values.
inline bool makeFoodTableFile(const QString& path, int count, QString* error, const NameGenerator& name = generatedName)
{
    QFile::remove(path);
    if (count == 7878) {
        return FoodDatabase::createFromCsv(path, PlatewellFolder::starterFoodsCsv(), error);
    }
    static const QStringList units { QStringLiteral("1 cup (240 g)"), QStringLiteral("100 g"),
        QStringLiteral("1 slice (28 g)"), QStringLiteral("1 tbsp (16 g)"), QStringLiteral("1 medium (182 g)") };
    QRandomGenerator random(42);
    const QString connection = QStringLiteral("bench-create");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        ok = ok && query.exec(FoodDatabase::createTableStatement())
            && query.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        query.finish();
        ok = ok && db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO foods VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; ok && i < count; ++i) {
            insert.addBindValue(name(random, i));
            insert.addBindValue(units.at(random.bounded(units.size())));
            for (int n = 0; n < 8; ++n) {
                insert.addBindValue(QString::number(random.bounded(100000) / 100.0));
            }
            ok = insert.exec();
        }
        insert.finish();
        ok = ok && db.commit() && query.exec(QStringLiteral("CREATE INDEX foods_FOOD ON foods(FOOD)"));
        if (!ok && error) {
            *error = db.lastError().text() + insert.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

// Gives every food of the file at `path` 100 g a serving and a value for each nutrient of the
// starter catalogue (73), as the starter foods or a large import leave a table.
inline bool addNutrients(const QString& path, QString* error)
{
    SqliteConnection connection;
    if (!connection.open(path, 5000, error)) {
        return false;
    }
    NutrientTables tables(connection);
    // Foods and nutrients in rowid order, so each value goes in at the end of its table.
    // The lists of richest foods are made once, at the end, as an import makes them.
    const bool ok = connection.execute("PRAGMA journal_mode=OFF") && tables.create(error) && connection.execute("BEGIN")
        && tables.beginBulk(error)
        && connection.execute("INSERT INTO food_servings (food, name, grams) SELECT rowid, FOOD, 100 FROM foods")
        && connection.execute("INSERT INTO food_nutrients (food, nutrient, value) SELECT f.rowid, n.id, "
                              "(abs(random()) % 100000) / 100.0 FROM foods f CROSS JOIN nutrients n")
        && tables.rebuildTops(error) && tables.endBulk(error) && connection.execute("COMMIT");
    if (!ok && error && error->isEmpty()) {
        *error = connection.message();
    }
    return ok;
}

// The places of a Platewell folder, as the program sets them up at start, without keeping the
// plan on screen.
inline UserFiles::Places placesFor(const QString& folder)
{
    UserFiles::Places places = UserFiles::placesIn(folder);
    places.planOnScreenPath.clear();
    return places;
}

// Creates `<folder>/foods.db` holding `count` foods.
inline bool makeFoodTable(const QString& folder, int count, QString* error)
{
    QDir().mkpath(folder);
    return makeFoodTableFile(PlatewellFolder::foodDatabasePath(folder), count, error);
}

} // namespace bench

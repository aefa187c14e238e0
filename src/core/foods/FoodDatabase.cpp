#include "core/foods/FoodDatabase.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/recipes/RecipeTables.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

#include <sys/stat.h>

#include <sqlite3.h>

namespace {

QAtomicInt connectionCounter;

QString newConnectionName()
{
    return QStringLiteral("platewell-foods-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
}

QString selectList(const std::vector<FoodDatabase::Field>& fields)
{
    QStringList names;
    for (auto field : fields) {
        names.append(FoodDatabase::fieldNames().at(field));
    }
    return names.join(QStringLiteral(", "));
}

// Whether SQLite's numeric affinity would turn `text` into an infinity: a well-formed number, blanks
// around it allowed, too large for a double.
bool overflowsToInfinity(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    return ec == std::errc::result_out_of_range && stop == end && std::abs(TextToNumber(text)) == DBL_MAX;
}

// Empty nutrient texts are stored as NULL; every other text is stored as typed, and the column's
// numeric affinity keeps texts such as "12.5g" as they are. A number too large for a double is
// stored as the largest one, as TextToNumber reads it, never as an infinity.
QVariant storedValue(int field, const QString& text)
{
    if (field >= FoodDatabase::CALORIES && text.isEmpty()) {
        return QVariant(QMetaType(QMetaType::QString));
    }
    if (field >= FoodDatabase::CALORIES && overflowsToInfinity(text)) {
        return TextToNumber(text);
    }
    return text;
}

// The text a grid shows for one cell of a statement's current row.
QStringView cellTextAt(sqlite3_stmt* statement, int column, QString* buffer)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return QStringView();
    case SQLITE_INTEGER:
        *buffer = QString::number(sqlite3_column_int64(statement, column));
        return *buffer;
    case SQLITE_FLOAT:
        *buffer = FoodDatabase::numberText(sqlite3_column_double(statement, column));
        return *buffer;
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const int bytes = sqlite3_column_bytes(statement, column);
        return FoodDatabase::storedText(QByteArrayView(text, bytes), buffer);
    }
    }
}

bool bindAndRun(QSqlQuery& query, const QStringList& values, QString* error)
{
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        query.addBindValue(storedValue(f, values.value(f)));
    }
    if (!query.exec()) {
        if (error) {
            *error = query.lastError().text();
        }
        return false;
    }
    return true;
}

// Whether the file's recipes allow writing row `rowid` (0 for a new row), now named `shownName`,
// as `newName`, or deleting it; if not, `reason` says why.
bool mayWriteBesideRecipes(RecipeTables& recipes, qint64 rowid, const QString& shownName, const QString& newName,
    bool deleting, QString* reason)
{
    // A recipe's row holds values computed from its ingredients; an edit by hand would go stale,
    // and a second food of a recipe's name would be counted with it wherever the name is planned.
    qint64 recipe = 0;
    if (rowid > 0 && !recipes.recipeOfRow(rowid, &recipe, reason)) {
        return false;
    }
    if (recipe != 0) {
        *reason = deleting
            ? FoodDatabase::tr("\"%1\" is a recipe: delete it in the Recipes window").arg(shownName)
            : FoodDatabase::tr(
                "\"%1\" is a recipe: change it in the Recipes window, which keeps its values in step with its "
                "ingredients")
                  .arg(shownName);
        return false;
    }
    if (!deleting && newName != shownName) {
        if (!recipes.recipeNamed(newName, &recipe, reason)) {
            return false;
        }
        if (recipe != 0) {
            *reason = FoodDatabase::tr("a recipe is named \"%1\"; give the food another name").arg(newName);
            return false;
        }
    }
    return true;
}

// A recipe names its ingredients by food name, so a food renamed from under it would drop out of
// it. While no other row keeps the old name, the rename is the same food under a new name: its
// recipes follow it. Where another row still bears the old name, that row is what the recipes
// now mean.
bool followRename(RecipeTables& recipes, qint64 rowid, const QString& oldName, const QString& newName,
    QStringList* renamedIn, QString* reason)
{
    bool stillThere = false;
    if (!recipes.otherFoodNamed(oldName, rowid, &stillThere, reason)) {
        return false;
    }
    if (stillThere) {
        return true;
    }
    QStringList users;
    if (!recipes.directUserNames(oldName, 0, &users, reason)) {
        return false;
    }
    if (users.isEmpty()) {
        return true;
    }
    QString clash;
    if (!recipes.renameIngredient(oldName, newName, &clash, reason)) {
        return false;
    }
    if (!clash.isEmpty()) {
        *reason = FoodDatabase::tr("the recipe \"%1\" has both \"%2\" and \"%3\" as ingredients; join them in the "
                                   "Recipes window first")
                      .arg(MessageText::quoted(clash), MessageText::quoted(oldName), MessageText::quoted(newName));
        return false;
    }
    if (renamedIn) {
        std::sort(users.begin(), users.end(),
            [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
        *renamedIn = users;
    }
    return true;
}

} // namespace

const QStringList& FoodDatabase::fieldNames()
{
    static const QStringList names { QStringLiteral("FOOD"), QStringLiteral("SERVING_UN"), QStringLiteral("CALORIES"),
        QStringLiteral("CARBS"), QStringLiteral("FAT"), QStringLiteral("SUGAR"), QStringLiteral("CHOLESTERO"),
        QStringLiteral("POINTS"), QStringLiteral("FIBER"), QStringLiteral("SUGAR_ALC") };
    return names;
}

const QStringList& FoodDatabase::nutrientFieldNames()
{
    static const QStringList names = fieldNames().mid(CALORIES);
    return names;
}

const QStringList& FoodDatabase::nutrientCaptions()
{
    static const QStringList captions { tr("Calories"), tr("Carbohydrates"), tr("Fat"), tr("Sugar"), tr("Cholesterol"),
        tr("Points"), tr("Fiber"), tr("Sugar Alcohols") };
    return captions;
}

const QStringList& FoodDatabase::gridCaptions()
{
    static const QStringList captions = QStringList { tr("Food"), tr("Serving Unit") } + nutrientCaptions();
    return captions;
}

QString FoodDatabase::createTableStatement()
{
    // The name and serving unit are texts; the nutrients are numbers, while a typed "12.5g" or
    // "n/a" is kept as the text it is.
    QStringList columns;
    for (int f = 0; f < FieldCount; ++f) {
        columns.append(fieldNames().at(f) + (f < CALORIES ? QStringLiteral(" TEXT") : QStringLiteral(" NUMERIC")));
    }
    return QStringLiteral("CREATE TABLE foods (%1)").arg(columns.join(QStringLiteral(", ")));
}

FoodDatabase::FoodDatabase()
    : m_connection(newConnectionName())
{ }

FoodDatabase::~FoodDatabase()
{
    close();
}

bool FoodDatabase::fail(const QString& reason, QString* error) const
{
    if (error) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
    }
    return false;
}

bool FoodDatabase::open(const QString& path, QString* error)
{
    close();
    m_path = path;
    const QFileInfo info(path);
    if (!info.exists()) {
        return fail(tr("the file does not exist"), error);
    }
    if (info.isDir()) {
        return fail(tr("a folder stands where the food table file should be"), error);
    }
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        return fail(probe.errorString(), error);
    }
    const QByteArray header = probe.read(16);
    probe.close();
    // An empty file would silently become a new database: refuse it, and anything that is not an
    // SQLite file, before SQLite gets to touch it.
    if (header != QByteArray("SQLite format 3\0", 16)) {
        return fail(tr("the file is not an SQLite food table"), error);
    }

    identityOf(path, &m_identity);
    const QString reason = openAndCheck();
    if (!reason.isEmpty()) {
        close();
        return fail(reason, error);
    }
    return true;
}

bool FoodDatabase::identityOf(const QString& path, FileIdentity* identity)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return false;
    }
    identity->device = static_cast<quint64>(status.st_dev);
    identity->inode = static_cast<quint64>(status.st_ino);
    return true;
}

bool FoodDatabase::isReplaced() const
{
    FileIdentity now;
    return !identityOf(m_path, &now) || !(now == m_identity);
}

bool FoodDatabase::ensureOpen(const QString& path, QString* error)
{
    if (isOpen() && path == m_path && !isReplaced()) {
        return true;
    }
    return open(path, error);
}

QString FoodDatabase::openAndCheck()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        return db.lastError().text();
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(foods)"))) {
        return query.lastError().text();
    }
    QStringList columns;
    while (query.next()) {
        columns.append(query.value(1).toString());
    }
    if (query.lastError().isValid()) {
        return query.lastError().text();
    }
    if (columns.isEmpty()) {
        return tr("the file holds no table named foods");
    }
    QStringList missing;
    for (const QString& field : fieldNames()) {
        if (!columns.contains(field, Qt::CaseInsensitive)) {
            missing.append(field);
        }
    }
    if (!missing.isEmpty()) {
        return tr("the foods table lacks the field(s) %1").arg(missing.join(QStringLiteral(", ")));
    }
    // The totals look foods up by exact name; an index keeps that instant at a million foods.
    // A read-only file simply goes without it.
    QSqlQuery index(db);
    index.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS foods_FOOD ON foods(FOOD)"));
    return QString();
}

void FoodDatabase::close()
{
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool FoodDatabase::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QSqlDatabase FoodDatabase::connection() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool FoodDatabase::createFromCsv(const QString& path, const QString& csvText, QString* error)
{
    auto failWith = [&](const QString& reason) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    };
    if (QFileInfo::exists(path)) {
        return failWith(tr("the file already exists"));
    }
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);

    const QString name = newConnectionName();
    bool ok = false;
    QString reason;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temporary);
        if (!db.open()) {
            reason = db.lastError().text();
        } else {
            QSqlQuery query(db);
            ok = query.exec(createTableStatement()) && db.transaction();
            if (ok) {
                QSqlQuery insert(db);
                insert.prepare(QStringLiteral("INSERT INTO foods VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
                const auto source = ByteSource::fromBytes(csvText.toUtf8());
                CsvStreamReader reader(*source);
                bool header = true;
                while (ok && reader.readRecord()) {
                    if (header) {
                        header = false;
                        continue;
                    }
                    if (reader.fieldCount() == 1 && reader.field(0).isEmpty()) {
                        continue;
                    }
                    ok = bindAndRun(insert, reader.fieldTexts(), &reason);
                }
                if (ok && reader.failed()) {
                    ok = false;
                    reason = reader.endsInsideQuotes() ? tr("the starter food table ends inside a quoted field")
                                                       : reader.errorString();
                }
                ok = ok && db.commit();
                if (!ok && reason.isEmpty()) {
                    reason = db.lastError().text();
                }
                if (ok) {
                    ok = query.exec(QStringLiteral("CREATE INDEX foods_FOOD ON foods(FOOD)"));
                    if (!ok) {
                        reason = query.lastError().text();
                    }
                }
            } else {
                reason = query.lastError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (ok && !QFile::rename(temporary, path)) {
        ok = false;
        reason = tr("could not move the new food table into place");
    }
    if (!ok) {
        QFile::remove(temporary);
        return failWith(reason);
    }
    return true;
}

bool FoodDatabase::readColumns(const std::vector<Field>& fields, std::vector<TextColumn>* columns,
    std::vector<qint64>* rowids, QString* error) const
{
    // Reading a million foods through QVariants costs seconds; SQLite's own statement API on the
    // connection's handle hands out each text in place, so a cell costs no allocation at all.
    sqlite3* sqlite = sqliteHandle();
    if (!sqlite) {
        return fail(tr("the food table is not open"), error);
    }
    const QByteArray sql
        = QStringLiteral("SELECT rowid, %1 FROM foods ORDER BY rowid").arg(selectList(fields)).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(sqlite, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(sqlite));
        sqlite3_finalize(statement);
        return fail(reason, error);
    }
    columns->assign(fields.size(), TextColumn());
    if (rowids) {
        rowids->clear();
    }
    QString buffer;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (rowids) {
            rowids->push_back(sqlite3_column_int64(statement, 0));
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const int c = static_cast<int>(f) + 1;
            TextColumn& column = (*columns)[f];
            column.append(cellTextAt(statement, c, &buffer));
        }
    }
    const QString reason = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(sqlite));
    sqlite3_finalize(statement);
    if (!reason.isEmpty()) {
        return fail(reason, error);
    }
    return true;
}

sqlite3* FoodDatabase::sqliteHandle() const
{
    QSqlDatabase db = connection();
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3* const*>(handle.data());
}

bool FoodDatabase::readNameOrder(
    const std::vector<qint64>& rowids, std::vector<std::uint32_t>* order, QString* error) const
{
    sqlite3* sqlite = sqliteHandle();
    if (!sqlite) {
        return fail(tr("the food table is not open"), error);
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(sqlite, "SELECT rowid FROM foods ORDER BY FOOD, rowid", -1, &statement, nullptr)
        != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(sqlite));
        sqlite3_finalize(statement);
        return fail(reason, error);
    }
    order->clear();
    order->reserve(rowids.size());
    // Rowids were read ascending; most tables number them densely, which needs no search.
    const bool dense = rowids.empty() || rowids.back() - rowids.front() + 1 == qint64(rowids.size());
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const qint64 rowid = sqlite3_column_int64(statement, 0);
        std::size_t index;
        if (dense) {
            index = static_cast<std::size_t>(rowid - rowids.front());
        } else {
            index = static_cast<std::size_t>(std::lower_bound(rowids.begin(), rowids.end(), rowid) - rowids.begin());
        }
        if (index >= rowids.size() || rowids[index] != rowid) {
            rc = SQLITE_ERROR;
            break;
        }
        order->push_back(static_cast<std::uint32_t>(index));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE || order->size() != rowids.size()) {
        // The table changed between the two reads: the caller sorts for itself.
        return fail(tr("the food table changed while it was read"), error);
    }
    return true;
}

qint64 FoodDatabase::rowCount(QString* error) const
{
    QSqlQuery query(connection());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM foods")) || !query.next()) {
        fail(query.lastError().text(), error);
        return -1;
    }
    return query.value(0).toLongLong();
}

bool FoodDatabase::readRecord(qint64 rowid, QStringList* values, QString* error) const
{
    sqlite3* sqlite = sqliteHandle();
    if (!sqlite) {
        return fail(tr("the food table is not open"), error);
    }
    const QByteArray sql
        = QStringLiteral("SELECT %1 FROM foods WHERE rowid = ?").arg(fieldNames().join(QStringLiteral(", "))).toUtf8();
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(sqlite, sql.constData(), -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(statement, 1, rowid);
        rc = sqlite3_step(statement);
    }
    if (rc == SQLITE_ROW) {
        values->clear();
        QString buffer;
        for (int f = 0; f < FieldCount; ++f) {
            values->append(cellTextAt(statement, f, &buffer).toString());
        }
    }
    const QString reason = rc == SQLITE_ROW ? QString()
        : rc == SQLITE_DONE                 ? tr("the food record no longer exists")
                                            : QString::fromUtf8(sqlite3_errmsg(sqlite));
    sqlite3_finalize(statement);
    return reason.isEmpty() || fail(reason, error);
}

bool FoodDatabase::nutrientsOf(
    const QString& name, std::vector<std::array<double, NutrientCount>>* rows, QString* error) const
{
    rows->clear();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    // A grid shows a missing name as empty text, so the empty name matches NULL names as well.
    const QString condition = name.isEmpty() ? QStringLiteral("FOOD = '' OR FOOD IS NULL") : QStringLiteral("FOOD = ?");
    query.prepare(QStringLiteral("SELECT %1 FROM foods WHERE %2 ORDER BY rowid")
                      .arg(nutrientFieldNames().join(QStringLiteral(", ")), condition));
    if (!name.isEmpty()) {
        query.addBindValue(name);
    }
    if (!query.exec()) {
        return fail(query.lastError().text(), error);
    }
    while (query.next()) {
        std::array<double, NutrientCount> values {};
        for (int n = 0; n < NutrientCount; ++n) {
            values[static_cast<std::size_t>(n)] = nutrientValue(query.value(n));
        }
        rows->push_back(values);
    }
    if (query.lastError().isValid()) {
        return fail(query.lastError().text(), error);
    }
    return true;
}

bool FoodDatabase::writeShownRecord(
    qint64 rowid, const QString& shownName, const std::function<bool(QString*)>& write, QString* error)
{
    QSqlDatabase db = connection();
    QSqlQuery query(db);
    // An immediate transaction takes the write lock before the check, so nothing can come
    // between the check and the write.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return fail(query.lastError().text(), error);
    }
    QString reason;
    query.prepare(QStringLiteral("SELECT CAST(FOOD AS BLOB) FROM foods WHERE rowid = ?"));
    query.addBindValue(rowid);
    if (!query.exec()) {
        reason = query.lastError().text();
    } else if (!query.next()) {
        reason = query.lastError().isValid() ? query.lastError().text() : tr("the food is no longer in the table");
    } else {
        QString buffer;
        const QByteArray stored = query.value(0).toByteArray();
        if (storedText(stored, &buffer) != shownName) {
            reason = tr("the food is no longer in the table");
        }
    }
    query.finish();
    if (reason.isEmpty()) {
        write(&reason);
    }
    if (reason.isEmpty() && !query.exec(QStringLiteral("COMMIT"))) {
        reason = query.lastError().text();
    }
    if (!reason.isEmpty()) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(reason, error);
    }
    return true;
}

bool FoodDatabase::updateFields(
    qint64 rowid, const QString& shownName, const FieldChanges& changes, QString* error, QStringList* renamedIn)
{
    if (renamedIn) {
        renamedIn->clear();
    }
    if (changes.empty()) {
        return true;
    }
    QString newName = shownName;
    bool valuesChange = false;
    for (const auto& change : changes) {
        if (change.first == FOOD) {
            newName = change.second;
        }
        valuesChange = valuesChange || change.first != SERVING_UN;
    }
    return writeShownRecord(
        rowid, shownName,
        [&](QString* reason) {
            RecipeTables recipes(sqliteHandle());
            bool withRecipes = false;
            if (!recipes.exist(&withRecipes, reason)) {
                return false;
            }
            if (withRecipes && !mayWriteBesideRecipes(recipes, rowid, shownName, newName, false, reason)) {
                return false;
            }
            QStringList assignments;
            for (const auto& change : changes) {
                assignments.append(fieldNames().at(change.first) + QStringLiteral(" = ?"));
            }
            QSqlQuery query(connection());
            query.prepare(
                QStringLiteral("UPDATE foods SET %1 WHERE rowid = ?").arg(assignments.join(QStringLiteral(", "))));
            for (const auto& change : changes) {
                query.addBindValue(storedValue(change.first, change.second));
            }
            query.addBindValue(rowid);
            if (!query.exec()) {
                *reason = query.lastError().text();
            } else if (query.numRowsAffected() != 1) {
                *reason = tr("the food is no longer in the table");
            } else if (withRecipes && newName != shownName) {
                followRename(recipes, rowid, shownName, newName, renamedIn, reason);
            }
            if (reason->isEmpty() && withRecipes && valuesChange) {
                recipes.recomputeUsing({ shownName, newName }, reason);
            }
            return reason->isEmpty();
        },
        error);
}

bool FoodDatabase::insertRecord(const QStringList& values, qint64* rowid, QString* error)
{
    QSqlDatabase db = connection();
    // Immediate, so that the check for a recipe of that name and the recipes recomputed see the
    // table as the insert leaves it.
    if (!QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return fail(db.lastError().text(), error);
    }
    const QString name = values.value(FOOD);
    QString reason;
    qint64 id = 0;
    {
        RecipeTables recipes(sqliteHandle());
        bool withRecipes = false;
        if (recipes.exist(&withRecipes, &reason)
            && (!withRecipes || mayWriteBesideRecipes(recipes, 0, QString(), name, false, &reason))) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("INSERT INTO foods (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                              .arg(fieldNames().join(QStringLiteral(", "))));
            if (bindAndRun(query, values, &reason)) {
                id = query.lastInsertId().toLongLong();
                if (withRecipes) {
                    recipes.recomputeUsing({ name }, &reason);
                }
            }
        }
    }
    QSqlQuery commit(db);
    if (reason.isEmpty() && !commit.exec(QStringLiteral("COMMIT"))) {
        reason = commit.lastError().text();
    }
    if (!reason.isEmpty()) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return fail(reason, error);
    }
    if (rowid) {
        *rowid = id;
    }
    return true;
}

bool FoodDatabase::deleteRecord(qint64 rowid, const QString& shownName, QString* error)
{
    return writeShownRecord(
        rowid, shownName,
        [&](QString* reason) {
            RecipeTables recipes(sqliteHandle());
            bool withRecipes = false;
            if (!recipes.exist(&withRecipes, reason)) {
                return false;
            }
            if (withRecipes && !mayWriteBesideRecipes(recipes, rowid, shownName, QString(), true, reason)) {
                return false;
            }
            QSqlQuery query(connection());
            query.prepare(QStringLiteral("DELETE FROM foods WHERE rowid = ?"));
            query.addBindValue(rowid);
            if (!query.exec()) {
                *reason = query.lastError().text();
            } else if (query.numRowsAffected() != 1) {
                *reason = tr("the food is no longer in the table");
            } else if (withRecipes) {
                recipes.recomputeUsing({ shownName }, reason);
            }
            return reason->isEmpty();
        },
        error);
}

QStringView FoodDatabase::storedText(QByteArrayView bytes, QString* buffer)
{
    return TextFile::decodeInto(bytes, bytes.isValidUtf8(), buffer);
}

QByteArray FoodDatabase::windows1252Bytes(const QString& name)
{
    QByteArray bytes;
    if (!TextFile::toWindows1252(name, &bytes) || bytes.isValidUtf8()) {
        return QByteArray();
    }
    return bytes;
}

QString FoodDatabase::cellText(const QVariant& value)
{
    if (value.isNull()) {
        return QString();
    }
    if (value.typeId() == QMetaType::Double) {
        return numberText(value.toDouble());
    }
    return value.toString();
}

QString FoodDatabase::numberText(double value)
{
    // The shortest text that reads back as the same number, as Qt writes it; std::to_chars makes
    // the same text several times faster, which a million foods of eight numbers each notice.
    // Qt writes large integers with trailing zeros instead of exact digits, and -0 as 0.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    const auto length = end - buffer;
    const bool plainDigits = std::find_if(buffer, end, [](char c) { return c == '.' || c == 'e'; }) == end;
    if (value == 0) {
        return QStringLiteral("0");
    }
    if (plainDigits && length > 15) {
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    }
    return QString::fromLatin1(buffer, length);
}

double FoodDatabase::nutrientValue(const QVariant& value)
{
    return TextToNumber(cellText(value));
}

double FoodDatabase::nutrientValue(sqlite3_stmt* statement, int column)
{
    // numberText gives the shortest text that reads back as the same number, so a stored real
    // reads as itself; only an infinity (no number to TextToNumber) and -0 (shown as "0") do not.
    if (sqlite3_column_type(statement, column) == SQLITE_FLOAT) {
        const double value = sqlite3_column_double(statement, column);
        if (std::isfinite(value) && value != 0) {
            return value;
        }
    }
    QString buffer;
    return TextToNumber(cellTextAt(statement, column, &buffer));
}

QVariant FoodDatabase::storedValueOf(Field field, const QString& text)
{
    return storedValue(field, text);
}

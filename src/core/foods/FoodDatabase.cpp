#include "core/foods/FoodDatabase.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/foods/FoodValues.h"
#include "core/foods/StoredText.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"
#include "core/text/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

namespace {

// How long a statement waits for another program's lock before it gives up.
constexpr int kBusyTimeoutMs = 2000;

QString selectList(const std::vector<FoodDatabase::Field>& fields)
{
    QStringList names;
    for (auto field : fields) {
        names.append(FoodDatabase::fieldNames().at(field));
    }
    return names.join(QStringLiteral(", "));
}

// Binds the ten fields of a record, as typed, in table order from parameter 1.
void bindRecord(SqliteStatement& statement, const QStringList& values)
{
    for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
        statement.bindValue(f + 1, FoodValues::storedValueOf(FoodDatabase::Field(f), values.value(f)));
    }
}

} // namespace

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
    : m_connection(std::make_unique<SqliteConnection>())
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
    QString reason;
    if (!m_connection->open(m_path, kBusyTimeoutMs, &reason)) {
        return reason;
    }
    SqliteStatement query(m_connection->handle(), "PRAGMA table_info(foods)");
    if (!query.isPrepared()) {
        return m_connection->message();
    }
    QStringList columns;
    while (query.next()) {
        columns.append(QString::fromUtf8(query.text(1)));
    }
    if (query.failed()) {
        return m_connection->message();
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
    m_connection->execute("CREATE INDEX IF NOT EXISTS foods_FOOD ON foods(FOOD)");
    return QString();
}

void FoodDatabase::close()
{
    m_connection->close();
}

bool FoodDatabase::isOpen() const
{
    return m_connection->isOpen();
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

    bool ok = false;
    QString reason;
    {
        SqliteConnection db;
        if (db.open(temporary, kBusyTimeoutMs, &reason)) {
            SqliteTransaction transaction(db);
            ok = db.execute(createTableStatement().toUtf8().constData()) && transaction.beginWrite();
            if (ok) {
                SqliteStatement insert(db.handle(), "INSERT INTO foods VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
                ok = insert.isPrepared();
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
                    insert.restart();
                    bindRecord(insert, reader.fieldTexts());
                    ok = insert.execute();
                }
                if (ok && reader.failed()) {
                    ok = false;
                    reason = reader.endsInsideQuotes() ? tr("the starter food table ends inside a quoted field")
                                                       : reader.errorString();
                }
                ok = ok && transaction.commit();
                if (ok) {
                    ok = db.execute("CREATE INDEX foods_FOOD ON foods(FOOD)");
                }
            }
            if (!ok && reason.isEmpty()) {
                reason = db.message();
            }
        }
    }
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

QStringView FoodDatabase::cellText(const SqliteStatement& statement, int column, QString* buffer)
{
    switch (statement.type(column)) {
    case SqliteStatement::Null:
        return QStringView();
    case SqliteStatement::Integer:
        *buffer = QString::number(statement.int64(column));
        return *buffer;
    case SqliteStatement::Real:
        *buffer = FoodValues::numberText(statement.real(column));
        return *buffer;
    default:
        return StoredText::decoded(statement.text(column), buffer);
    }
}

double FoodDatabase::nutrientValue(const SqliteStatement& statement, int column)
{
    // numberText gives the shortest text that reads back as the same number, so a stored real
    // reads as itself; only an infinity (no number to TextToNumber) and -0 (shown as "0") do not.
    if (statement.type(column) == SqliteStatement::Real) {
        const double value = statement.real(column);
        if (std::isfinite(value) && value != 0) {
            return value;
        }
    }
    QString buffer;
    return TextToNumber(cellText(statement, column, &buffer));
}

bool FoodDatabase::readColumns(const std::vector<Field>& fields, std::vector<TextColumn>* columns,
    std::vector<qint64>* rowids, QString* error) const
{
    if (!isOpen()) {
        return fail(tr("the food table is not open"), error);
    }
    SqliteStatement statement(m_connection->handle(),
        QStringLiteral("SELECT rowid, %1 FROM foods ORDER BY rowid").arg(selectList(fields)).toUtf8());
    return readColumnsOf(statement, fields.size(), columns, rowids, error);
}

bool FoodDatabase::readColumnsOf(SqliteStatement& statement, std::size_t fields, std::vector<TextColumn>* columns,
    std::vector<qint64>* rowids, QString* error) const
{
    // SQLite's own statement API hands out each text in place, so a cell costs no allocation at
    // all: a million foods are read in well under a second.
    if (!statement.isPrepared()) {
        return fail(m_connection->message(), error);
    }
    columns->assign(fields, TextColumn());
    if (rowids) {
        rowids->clear();
    }
    QString buffer;
    while (statement.next()) {
        if (rowids) {
            rowids->push_back(statement.int64(0));
        }
        for (std::size_t f = 0; f < fields; ++f) {
            if (!(*columns)[f].append(cellText(statement, static_cast<int>(f) + 1, &buffer))) {
                columns->clear();
                return fail(tr("the food table holds more text than can be shown at once"), error);
            }
        }
    }
    if (statement.failed()) {
        return fail(m_connection->message(), error);
    }
    return true;
}

bool FoodDatabase::readFirstRows(const std::vector<Field>& fields, int limit, bool byName,
    std::vector<TextColumn>* columns, std::vector<qint64>* rowids, QString* error) const
{
    if (!isOpen()) {
        return fail(tr("the food table is not open"), error);
    }
    // Named, so that a table without its name index says so instead of sorting every row.
    SqliteStatement statement(m_connection->handle(),
        QStringLiteral("SELECT rowid, %1 FROM foods %2 LIMIT ?")
            .arg(selectList(fields),
                byName ? QStringLiteral("INDEXED BY foods_FOOD ORDER BY FOOD, rowid")
                       : QStringLiteral("ORDER BY rowid"))
            .toUtf8());
    if (statement.isPrepared()) {
        statement.bindInt64(1, limit);
    }
    return readColumnsOf(statement, fields.size(), columns, rowids, error);
}

qint64 FoodDatabase::rowCountBound(QString* error) const
{
    if (!isOpen()) {
        fail(tr("the food table is not open"), error);
        return -1;
    }
    SqliteStatement query(m_connection->handle(), "SELECT max(rowid) FROM foods");
    if (!query.isPrepared() || !query.next()) {
        fail(m_connection->message(), error);
        return -1;
    }
    return query.int64(0);
}

bool FoodDatabase::readRows(const RowVisitor& visit, QString* error) const
{
    return readRowsWithIds(
        [&visit](qint64, const StoredRow& row, QString* reason) { return visit(row, reason); }, error);
}

bool FoodDatabase::readRowsWithIds(const IdRowVisitor& visit, QString* error) const
{
    QString reason;
    SqliteStatement statement(m_connection->handle(),
        QStringLiteral("SELECT %1, rowid FROM foods ORDER BY rowid")
            .arg(fieldNames().join(QStringLiteral(", ")))
            .toUtf8());
    StoredRow row;
    bool ok = true;
    while (ok && statement.next()) {
        for (int f = 0; f < FieldCount; ++f) {
            StoredCell& cell = row[static_cast<std::size_t>(f)];
            switch (statement.type(f)) {
            case SqliteStatement::Null:
                cell.kind = StoredCell::Null;
                break;
            case SqliteStatement::Integer:
                cell.kind = StoredCell::Integer;
                cell.integer = statement.int64(f);
                break;
            case SqliteStatement::Real:
                cell.kind = StoredCell::Real;
                cell.real = statement.real(f);
                break;
            default:
                cell.kind = StoredCell::Text;
                cell.text = statement.text(f);
            }
        }
        ok = visit(statement.int64(FieldCount), row, &reason);
    }
    if (ok && statement.failed()) {
        ok = false;
        reason = m_connection->message();
    }
    if (!ok && error) {
        *error = reason;
    }
    return ok;
}

bool FoodDatabase::readNameOrder(
    const std::vector<qint64>& rowids, std::vector<std::uint32_t>* order, QString* error) const
{
    if (!isOpen()) {
        return fail(tr("the food table is not open"), error);
    }
    SqliteStatement statement(m_connection->handle(), "SELECT rowid FROM foods ORDER BY FOOD, rowid");
    if (!statement.isPrepared()) {
        return fail(m_connection->message(), error);
    }
    order->clear();
    order->reserve(rowids.size());
    // Rowids were read ascending; most tables number them densely, which needs no search.
    const bool dense = rowids.empty() || rowids.back() - rowids.front() + 1 == qint64(rowids.size());
    bool complete = true;
    while (complete && statement.next()) {
        const qint64 rowid = statement.int64(0);
        std::size_t index;
        if (dense) {
            index = static_cast<std::size_t>(rowid - rowids.front());
        } else {
            index = static_cast<std::size_t>(std::lower_bound(rowids.begin(), rowids.end(), rowid) - rowids.begin());
        }
        complete = index < rowids.size() && rowids[index] == rowid;
        if (complete) {
            order->push_back(static_cast<std::uint32_t>(index));
        }
    }
    if (!complete || statement.failed() || order->size() != rowids.size()) {
        // The table changed between the two reads: the caller sorts for itself.
        return fail(tr("the food table changed while it was read"), error);
    }
    return true;
}

qint64 FoodDatabase::rowCount(QString* error) const
{
    SqliteStatement query(m_connection->handle(), "SELECT count(*) FROM foods");
    if (!query.isPrepared() || !query.next()) {
        fail(m_connection->message(), error);
        return -1;
    }
    return query.int64(0);
}

bool FoodDatabase::readRecord(qint64 rowid, QStringList* values, QString* error) const
{
    if (!isOpen()) {
        return fail(tr("the food table is not open"), error);
    }
    SqliteStatement statement(m_connection->handle(),
        QStringLiteral("SELECT %1 FROM foods WHERE rowid = ?").arg(fieldNames().join(QStringLiteral(", "))).toUtf8());
    if (statement.isPrepared()) {
        statement.bindInt64(1, rowid);
        if (statement.next()) {
            values->clear();
            QString buffer;
            for (int f = 0; f < FieldCount; ++f) {
                values->append(cellText(statement, f, &buffer).toString());
            }
            return true;
        }
        if (!statement.failed()) {
            return fail(tr("the food record no longer exists"), error);
        }
    }
    return fail(m_connection->message(), error);
}

bool FoodDatabase::nutrientsOf(
    const QString& name, std::vector<std::array<double, NutrientCount>>* rows, QString* error) const
{
    rows->clear();
    // A grid shows a missing name as empty text, so the empty name matches NULL names as well.
    const QString condition = name.isEmpty() ? QStringLiteral("FOOD = '' OR FOOD IS NULL") : QStringLiteral("FOOD = ?");
    SqliteStatement query(m_connection->handle(),
        QStringLiteral("SELECT %1 FROM foods WHERE %2 ORDER BY rowid")
            .arg(nutrientFieldNames().join(QStringLiteral(", ")), condition)
            .toUtf8());
    if (!query.isPrepared()) {
        return fail(m_connection->message(), error);
    }
    if (!name.isEmpty()) {
        query.bindText(1, name);
    }
    while (query.next()) {
        std::array<double, NutrientCount> values {};
        for (int n = 0; n < NutrientCount; ++n) {
            values[static_cast<std::size_t>(n)] = nutrientValue(query, n);
        }
        rows->push_back(values);
    }
    if (query.failed()) {
        return fail(m_connection->message(), error);
    }
    return true;
}

bool FoodDatabase::servingUnitOf(const QString& name, QString* unit, QString* error) const
{
    unit->clear();
    SqliteStatement query(m_connection->handle(), "SELECT SERVING_UN FROM foods WHERE FOOD = ? ORDER BY rowid LIMIT 1");
    if (!query.isPrepared()) {
        return fail(m_connection->message(), error);
    }
    query.bindText(1, name);
    if (query.next()) {
        QString buffer;
        *unit = cellText(query, 0, &buffer).toString();
    }
    return !query.failed() || fail(m_connection->message(), error);
}

bool FoodDatabase::firstRowOf(const QString& name, std::optional<qint64>* row, QString* error) const
{
    row->reset();
    SqliteStatement query(m_connection->handle(), "SELECT rowid FROM foods WHERE FOOD = ? ORDER BY rowid LIMIT 1");
    if (!query.isPrepared()) {
        return fail(m_connection->message(), error);
    }
    query.bindText(1, name);
    if (query.next()) {
        *row = query.int64(0);
    }
    return !query.failed() || fail(m_connection->message(), error);
}

bool FoodDatabase::holdsShownName(qint64 rowid, const QString& shownName, QString* reason) const
{
    SqliteStatement query(m_connection->handle(), "SELECT CAST(FOOD AS BLOB) FROM foods WHERE rowid = ?");
    if (!query.isPrepared()) {
        *reason = m_connection->message();
        return false;
    }
    query.bindInt64(1, rowid);
    if (!query.next()) {
        *reason = query.failed() ? m_connection->message() : tr("the food is no longer in the table");
        return false;
    }
    QString buffer;
    if (StoredText::decoded(query.blob(0), &buffer) != shownName) {
        *reason = tr("the food is no longer in the table");
        return false;
    }
    return true;
}

bool FoodDatabase::writeFields(qint64 rowid, const FieldChanges& changes, QString* reason)
{
    QStringList assignments;
    for (const auto& change : changes) {
        assignments.append(fieldNames().at(change.first) + QStringLiteral(" = ?"));
    }
    SqliteStatement update(m_connection->handle(),
        QStringLiteral("UPDATE foods SET %1 WHERE rowid = ?").arg(assignments.join(QStringLiteral(", "))).toUtf8());
    int index = 1;
    for (const auto& change : changes) {
        update.bindValue(index++, FoodValues::storedValueOf(change.first, change.second));
    }
    update.bindInt64(index, rowid);
    if (!update.isPrepared() || !update.execute()) {
        *reason = m_connection->message();
        return false;
    }
    if (m_connection->changes() != 1) {
        *reason = tr("the food is no longer in the table");
        return false;
    }
    return true;
}

bool FoodDatabase::insertRow(const QStringList& values, qint64* rowid, QString* reason)
{
    SqliteStatement insert(m_connection->handle(),
        QStringLiteral("INSERT INTO foods (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(fieldNames().join(QStringLiteral(", ")))
            .toUtf8());
    bindRecord(insert, values);
    if (!insert.isPrepared() || !insert.execute()) {
        *reason = m_connection->message();
        return false;
    }
    *rowid = m_connection->lastInsertRowid();
    return true;
}

bool FoodDatabase::deleteRow(qint64 rowid, QString* reason)
{
    SqliteStatement remove(m_connection->handle(), "DELETE FROM foods WHERE rowid = ?");
    remove.bindInt64(1, rowid);
    if (!remove.isPrepared() || !remove.execute()) {
        *reason = m_connection->message();
        return false;
    }
    if (m_connection->changes() != 1) {
        *reason = tr("the food is no longer in the table");
        return false;
    }
    return true;
}

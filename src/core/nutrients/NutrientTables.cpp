#include "core/nutrients/NutrientTables.h"

#include "core/foods/FoodDatabase.h"
#include "core/foods/RowPositions.h"

#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int kRowsPerInsert = 16;

// The value of a number written as a plain integer: digits only, no sign, no leading zero, few
// enough to fit. "0307" is another number than "307", so it is not one.
std::optional<qint64> plainInteger(const QString& number)
{
    if (number.isEmpty() || number.size() > 15 || (number.size() > 1 && number.front() == u'0')) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const QChar c : number) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// The triggers that keep the nutrients with their food whichever program changes `foods`. A
// rename carries them along only while they were the renamed row's.
const char* const kTriggers
    = "CREATE TRIGGER IF NOT EXISTS foods_drop_nutrients AFTER DELETE ON foods BEGIN "
      "DELETE FROM food_nutrients WHERE food = OLD.rowid; "
      "DELETE FROM food_servings WHERE food = OLD.rowid; END;"
      "CREATE TRIGGER IF NOT EXISTS foods_rename_nutrients AFTER UPDATE OF FOOD ON foods BEGIN "
      "UPDATE food_servings SET name = NEW.FOOD WHERE food = NEW.rowid AND name IS OLD.FOOD; END;";

// The lists of the foods richest in each nutrient, and the trigger that adds a food to them as its
// value is written. A value written by INSERT OR REPLACE fires it as an insert; a food dropped
// from the values stays listed until the list is next settled, and a reader checks each listed
// food's value as it stands.
const char* const kTopTables
    = "CREATE TABLE IF NOT EXISTS nutrient_tops (nutrient INTEGER PRIMARY KEY, above REAL NOT NULL);"
      "CREATE TABLE IF NOT EXISTS nutrient_top (nutrient INTEGER NOT NULL, food INTEGER NOT NULL, "
      "PRIMARY KEY (nutrient, food)) WITHOUT ROWID;";
const char* const kTopTriggers
    = "CREATE TRIGGER IF NOT EXISTS food_nutrients_top AFTER INSERT ON food_nutrients BEGIN "
      "INSERT OR IGNORE INTO nutrient_top (nutrient, food) SELECT NEW.nutrient, NEW.food FROM nutrient_tops "
      "WHERE nutrient = NEW.nutrient AND NEW.value > above; END;"
      "CREATE TRIGGER IF NOT EXISTS food_nutrients_top_change AFTER UPDATE ON food_nutrients BEGIN "
      "INSERT OR IGNORE INTO nutrient_top (nutrient, food) SELECT NEW.nutrient, NEW.food FROM nutrient_tops "
      "WHERE nutrient = NEW.nutrient AND NEW.value > above; END;";
const char* const kDropTopTriggers
    = "DROP TRIGGER IF EXISTS food_nutrients_top; DROP TRIGGER IF EXISTS food_nutrients_top_change;";

constexpr double kBelowEverything = -std::numeric_limits<double>::infinity();

} // namespace

NutrientTables::NutrientTables(SqliteConnection& connection)
    : m_connection(connection)
    , m_statements(connection)
{ }

NutrientTables::~NutrientTables() = default;

bool NutrientTables::fail(QString* error) const
{
    if (error) {
        *error = m_connection.problem();
    }
    return false;
}

SqliteStatement* NutrientTables::statement(const char* sql, QString* error)
{
    return m_statements.statement(sql, error);
}

bool NutrientTables::exist(bool* exist, QString* error)
{
    return countIs("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                   "('nutrients', 'food_servings', 'food_nutrients', 'nutrient_marks')",
        4, exist, error);
}

bool NutrientTables::countIs(const char* sql, qint64 count, bool* is, QString* error)
{
    SqliteStatement* query = statement(sql, error);
    if (!query) {
        return false;
    }
    if (!query->next()) {
        return fail(error);
    }
    *is = query->int64(0) == count;
    query->reset();
    return true;
}

bool NutrientTables::create(QString* error)
{
    // Values are keyed by small integers and kept without a rowid, so that the tens of millions
    // of rows a large import brings stay small and go in in key order.
    const char* schema
        = "CREATE TABLE IF NOT EXISTS nutrients (id INTEGER PRIMARY KEY, number TEXT NOT NULL UNIQUE, "
          "name TEXT NOT NULL, unit TEXT NOT NULL, nutrient_group INTEGER NOT NULL, display_order INTEGER NOT NULL);"
          "CREATE TABLE IF NOT EXISTS food_servings (food INTEGER PRIMARY KEY, name TEXT NOT NULL, grams REAL);"
          "CREATE TABLE IF NOT EXISTS food_nutrients (food INTEGER NOT NULL, nutrient INTEGER NOT NULL, "
          "value REAL NOT NULL, PRIMARY KEY (food, nutrient)) WITHOUT ROWID;"
          "CREATE TABLE IF NOT EXISTS nutrient_marks (mark TEXT PRIMARY KEY);";
    if (!m_connection.execute(schema) || !m_connection.execute(kTriggers) || !m_connection.execute(kTopTables)) {
        return fail(error);
    }
    if (!ensureTopTriggers(error)) {
        return false;
    }
    SqliteStatement* insert = statement("INSERT OR IGNORE INTO nutrients (number, name, unit, nutrient_group, "
                                        "display_order) VALUES (?1, ?2, ?3, ?4, ?5)",
        error);
    if (!insert) {
        return false;
    }
    for (const Nutrient& nutrient : NutrientCatalogue::starter().nutrients()) {
        insert->restart();
        insert->bindText(1, nutrient.number);
        insert->bindText(2, nutrient.name);
        insert->bindText(3, nutrient.unit);
        insert->bindInt64(4, static_cast<int>(nutrient.group));
        insert->bindInt64(5, nutrient.order);
        if (!insert->execute()) {
            return fail(error);
        }
    }
    m_ids.reset();
    m_idsOfIntegers.clear();
    // While the file keeps no values at all, every nutrient's list is complete as it stands.
    SqliteStatement* anyValue = statement("SELECT EXISTS (SELECT 1 FROM food_nutrients)", error);
    if (!anyValue) {
        return false;
    }
    const bool empty = anyValue->next() && anyValue->int64(0) == 0;
    anyValue->reset();
    if (empty) {
        SqliteStatement* track
            = statement("INSERT OR IGNORE INTO nutrient_tops (nutrient, above) SELECT id, ?1 FROM nutrients", error);
        if (!track) {
            return false;
        }
        track->bindDouble(1, kBelowEverything);
        if (!track->execute()) {
            return fail(error);
        }
    }
    return true;
}

void NutrientTables::restoreTriggers()
{
    bool tables = false;
    if (exist(&tables, nullptr) && tables) {
        m_connection.execute(kTriggers);
        if (topTablesExist(&tables, nullptr) && tables) {
            ensureTopTriggers(nullptr);
        }
    }
}

bool NutrientTables::ensureTopTriggers(QString* error)
{
    if (m_bulk) {
        return true;
    }
    bool present = false;
    if (!countIs("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name IN ('food_nutrients_top', "
                 "'food_nutrients_top_change')",
            2, &present, error)) {
        return false;
    }
    // Without them values may have been written unseen (a tool that rebuilds `food_nutrients`
    // drops its triggers): no list can be trusted until an import makes them afresh.
    return present || (m_connection.execute("DELETE FROM nutrient_tops") && m_connection.execute(kTopTriggers))
        || fail(error);
}

bool NutrientTables::readCatalogue(NutrientCatalogue* catalogue, QString* error)
{
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        // A file without the tables gets the starter's catalogue when it first keeps a nutrient.
        *catalogue = NutrientCatalogue::starter();
        return true;
    }
    SqliteStatement* query
        = statement("SELECT number, name, unit, nutrient_group, display_order FROM nutrients", error);
    if (!query) {
        return false;
    }
    std::vector<Nutrient> nutrients;
    while (query->next()) {
        Nutrient nutrient;
        nutrient.number = QString::fromUtf8(query->text(0));
        nutrient.name = QString::fromUtf8(query->text(1));
        nutrient.unit = QString::fromUtf8(query->text(2));
        const qint64 group = query->int64(3);
        nutrient.group = group >= 0 && group <= static_cast<int>(NutrientGroup::Other) ? NutrientGroup(group)
                                                                                       : NutrientGroup::Other;
        nutrient.order = static_cast<int>(query->int64(4));
        nutrients.push_back(nutrient);
    }
    if (query->failed()) {
        return fail(error);
    }
    *catalogue = NutrientCatalogue(std::move(nutrients));
    return true;
}

bool NutrientTables::addNutrient(const Nutrient& nutrient, QString* error)
{
    SqliteStatement* insert = statement("INSERT INTO nutrients (number, name, unit, nutrient_group, display_order) "
                                        "VALUES (?1, ?2, ?3, ?4, ?5)",
        error);
    if (!insert) {
        return false;
    }
    insert->bindText(1, nutrient.number);
    insert->bindText(2, nutrient.name);
    insert->bindText(3, nutrient.unit);
    insert->bindInt64(4, static_cast<int>(nutrient.group));
    insert->bindInt64(5, nutrient.order);
    if (!insert->execute()) {
        return fail(error);
    }
    // A nutrient new to the file has no values yet: its list is complete, empty.
    const qint64 id = m_connection.lastInsertRowid();
    bool tops = false;
    if (!topTablesExist(&tops, error)) {
        return false;
    }
    if (tops) {
        SqliteStatement* track
            = statement("INSERT OR REPLACE INTO nutrient_tops (nutrient, above) VALUES (?1, ?2)", error);
        if (!track) {
            return false;
        }
        track->bindInt64(1, id);
        track->bindDouble(2, kBelowEverything);
        if (!track->execute()) {
            return fail(error);
        }
    }
    if (m_ids) {
        m_ids->insert(nutrient.number, id);
        if (const auto integer = plainInteger(nutrient.number)) {
            m_idsOfIntegers.insert(*integer, id);
        }
    }
    return true;
}

bool NutrientTables::nutrientIds(QString* error)
{
    if (m_ids) {
        return true;
    }
    SqliteStatement* query = statement("SELECT number, id FROM nutrients", error);
    if (!query) {
        return false;
    }
    QHash<QString, qint64> ids;
    QHash<qint64, qint64> idsOfIntegers;
    while (query->next()) {
        const QString number = QString::fromUtf8(query->text(0));
        ids.insert(number, query->int64(1));
        if (const auto integer = plainInteger(number)) {
            idsOfIntegers.insert(*integer, query->int64(1));
        }
    }
    if (query->failed()) {
        return fail(error);
    }
    m_ids = std::move(ids);
    m_idsOfIntegers = std::move(idsOfIntegers);
    return true;
}

std::optional<qint64> NutrientTables::idOf(const QString& number) const
{
    if (const auto integer = plainInteger(number)) {
        const auto id = m_idsOfIntegers.constFind(*integer);
        return id == m_idsOfIntegers.cend() ? std::nullopt : std::optional<qint64>(*id);
    }
    const auto id = m_ids->constFind(number);
    return id == m_ids->cend() ? std::nullopt : std::optional<qint64>(*id);
}

bool NutrientTables::read(qint64 food, FoodNutrients* nutrients, QString* error)
{
    *nutrients = FoodNutrients();
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    // One statement, so that the grams and the values are of one state of the file.
    SqliteStatement* query = statement("SELECT s.grams, m.number, n.value FROM food_servings s "
                                       "JOIN foods f ON f.rowid = s.food AND f.FOOD IS s.name "
                                       "LEFT JOIN food_nutrients n ON n.food = s.food "
                                       "LEFT JOIN nutrients m ON m.id = n.nutrient WHERE s.food = ?1",
        error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, food);
    while (query->next()) {
        if (!query->isNull(0)) {
            nutrients->servingGrams = query->real(0);
        }
        if (!query->isNull(1) && !query->isNull(2)) {
            nutrients->values.insert(QString::fromUtf8(query->text(1)), query->real(2));
        }
    }
    return !query->failed() || fail(error);
}

bool NutrientTables::claimRow(qint64 food, QString* error)
{
    SqliteStatement* query = statement("SELECT s.food IS NULL, s.name IS f.FOOD FROM foods f "
                                       "LEFT JOIN food_servings s ON s.food = f.rowid WHERE f.rowid = ?1",
        error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, food);
    if (!query->next()) {
        if (query->failed()) {
            return fail(error);
        }
        if (error) {
            *error = tr("the food is no longer in the table");
        }
        return false;
    }
    const bool none = query->int64(0) != 0;
    const bool same = query->int64(1) != 0;
    query->reset();
    if (same) {
        return true;
    }
    if (!none) {
        // What is kept was another food's, under the name this row bore before another program
        // refilled the table: it goes.
        SqliteStatement* drop = statement("DELETE FROM food_nutrients WHERE food = ?1", error);
        if (!drop) {
            return false;
        }
        drop->bindInt64(1, food);
        if (!drop->execute()) {
            return fail(error);
        }
    }
    SqliteStatement* claim = statement("INSERT OR REPLACE INTO food_servings (food, name, grams) "
                                       "SELECT rowid, FOOD, NULL FROM foods WHERE rowid = ?1",
        error);
    if (!claim) {
        return false;
    }
    claim->bindInt64(1, food);
    return claim->execute() || fail(error);
}

bool NutrientTables::write(qint64 food, const FoodNutrientChanges& changes, QString* error)
{
    if (changes.isEmpty()) {
        return true;
    }
    if (!nutrientIds(error)) {
        return false;
    }
    if (changes.servingGramsChanged && changes.servingGrams
        && (!std::isfinite(*changes.servingGrams) || *changes.servingGrams <= 0)) {
        if (error) {
            *error = tr("the weight of a serving must be a number of grams above 0");
        }
        return false;
    }
    for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
        if (!m_ids->contains(it.key())) {
            if (error) {
                *error = tr("the nutrient %1 is not in the table's catalogue").arg(it.key().left(20));
            }
            return false;
        }
        if (it.value() && !std::isfinite(*it.value())) {
            if (error) {
                *error = tr("the value of nutrient %1 is not a number").arg(it.key());
            }
            return false;
        }
    }
    if (!claimRow(food, error)) {
        return false;
    }
    if (changes.servingGramsChanged) {
        SqliteStatement* grams = statement("UPDATE food_servings SET grams = ?2 WHERE food = ?1", error);
        if (!grams) {
            return false;
        }
        grams->bindInt64(1, food);
        if (changes.servingGrams) {
            grams->bindDouble(2, *changes.servingGrams);
        } else {
            grams->bindNull(2);
        }
        if (!grams->execute()) {
            return fail(error);
        }
    }
    for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
        SqliteStatement* change = it.value()
            ? statement("INSERT OR REPLACE INTO food_nutrients (food, nutrient, value) VALUES (?1, ?2, ?3)", error)
            : statement("DELETE FROM food_nutrients WHERE food = ?1 AND nutrient = ?2", error);
        if (!change) {
            return false;
        }
        change->bindInt64(1, food);
        change->bindInt64(2, m_ids->value(it.key()));
        if (it.value()) {
            change->bindDouble(3, *it.value());
        }
        if (!change->execute()) {
            return fail(error);
        }
    }
    return true;
}

bool NutrientTables::clear(qint64 food, QString* error)
{
    SqliteStatement* values = statement("DELETE FROM food_nutrients WHERE food = ?1", error);
    if (!values) {
        return false;
    }
    values->bindInt64(1, food);
    if (!values->execute()) {
        return fail(error);
    }
    SqliteStatement* serving = statement("DELETE FROM food_servings WHERE food = ?1", error);
    if (!serving) {
        return false;
    }
    serving->bindInt64(1, food);
    return serving->execute() || fail(error);
}

bool NutrientTables::replace(qint64 food, const FoodNutrients& nutrients, QString* error)
{
    if (!nutrientIds(error)) {
        return false;
    }
    std::vector<std::pair<qint64, double>> values;
    values.reserve(std::size_t(nutrients.values.size()));
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        const std::optional<qint64> id = idOf(it.key());
        if (!id) {
            if (error) {
                *error = tr("the nutrient %1 is not in the table's catalogue").arg(it.key().left(20));
            }
            return false;
        }
        if (!std::isfinite(it.value())) {
            if (error) {
                *error = tr("the value of nutrient %1 is not a number").arg(it.key());
            }
            return false;
        }
        values.emplace_back(*id, it.value());
    }
    std::sort(values.begin(), values.end());
    return replace(food, nutrients.servingGrams, values, error);
}

bool NutrientTables::ids(QHash<QString, qint64>* ids, QString* error)
{
    if (!nutrientIds(error)) {
        return false;
    }
    *ids = *m_ids;
    return true;
}

bool NutrientTables::replace(qint64 food, std::optional<double> servingGrams,
    const std::vector<std::pair<qint64, double>>& values, QString* error)
{
    SqliteStatement* drop = statement("DELETE FROM food_nutrients WHERE food = ?1", error);
    if (!drop) {
        return false;
    }
    drop->bindInt64(1, food);
    if (!drop->execute()) {
        return fail(error);
    }
    if (values.empty() && !servingGrams) {
        return clear(food, error);
    }
    SqliteStatement* serving = statement("INSERT OR REPLACE INTO food_servings (food, name, grams) "
                                         "SELECT rowid, FOOD, ?2 FROM foods WHERE rowid = ?1",
        error);
    if (!serving) {
        return false;
    }
    serving->bindInt64(1, food);
    if (servingGrams && std::isfinite(*servingGrams) && *servingGrams > 0) {
        serving->bindDouble(2, *servingGrams);
    } else {
        serving->bindNull(2);
    }
    if (!serving->execute()) {
        return fail(error);
    }
    if (m_connection.changes() != 1) {
        if (error) {
            *error = tr("the food is no longer in the table");
        }
        return false;
    }
    // In key order, so that each row goes in at the end of the table's tree, and up to
    // kRowsPerInsert rows a statement: an import writes tens of millions, and each statement run
    // costs as much as a row. A food's last few rows go in one statement of their number, so a food
    // of ten values takes one run instead of ten.
    static const std::array<QByteArray, kRowsPerInsert + 1> runs = [] {
        std::array<QByteArray, kRowsPerInsert + 1> sql;
        for (int rows = 1; rows <= kRowsPerInsert; ++rows) {
            sql[std::size_t(rows)] = "INSERT INTO food_nutrients (food, nutrient, value) VALUES (?1, ?2, ?3)";
            for (int r = 1; r < rows; ++r) {
                sql[std::size_t(rows)]
                    += ", (?1, ?" + QByteArray::number(2 + 2 * r) + ", ?" + QByteArray::number(3 + 2 * r) + ")";
            }
        }
        return sql;
    }();
    if (m_bulk) {
        for (const auto& [id, value] : values) {
            (*m_bulk)[id].offer(value, food);
        }
    }
    for (std::size_t next = 0; next < values.size();) {
        const std::size_t rows = std::min(values.size() - next, std::size_t(kRowsPerInsert));
        SqliteStatement* insert = statement(runs[rows].constData(), error);
        if (!insert) {
            return false;
        }
        insert->bindInt64(1, food);
        for (std::size_t r = 0; r < rows; ++r) {
            insert->bindInt64(2 + 2 * int(r), values[next + r].first);
            insert->bindDouble(3 + 2 * int(r), values[next + r].second);
        }
        if (!insert->execute()) {
            return fail(error);
        }
        next += rows;
    }
    return true;
}

bool NutrientTables::readColumns(const QStringList& numbers, const std::vector<qint64>& rows,
    std::vector<std::vector<double>>* columns, QString* error)
{
    columns->assign(
        std::size_t(numbers.size()), std::vector<double>(rows.size(), std::numeric_limits<double>::quiet_NaN()));
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables || rows.empty() || numbers.isEmpty()) {
        return true;
    }
    if (!nutrientIds(error)) {
        return false;
    }
    // Several numbers may name one nutrient; each of their columns gets its value.
    std::vector<std::vector<std::size_t>> targets;
    QHash<qint64, std::size_t> targetOfId;
    QStringList ids;
    for (qsizetype c = 0; c < numbers.size(); ++c) {
        const auto id = m_ids->constFind(numbers[c]);
        if (id == m_ids->cend()) {
            continue;
        }
        auto known = targetOfId.constFind(*id);
        if (known == targetOfId.cend()) {
            known = targetOfId.insert(*id, targets.size());
            targets.emplace_back();
            ids.append(QString::number(*id));
        }
        targets[*known].push_back(std::size_t(c));
    }
    if (ids.isEmpty()) {
        return true;
    }
    const RowPositions positions(rows);
    // The ids are the file's own integers, so the list is written into the statement. The food's
    // row is found by its rowid: through the name index SQLite would look up every name, which
    // takes three times as long. One or two nutrients are looked up food by food, a few rows
    // each; more are read in one pass over all the values, which then costs less.
    const QString join = ids.size() <= 2
        ? QStringLiteral("SELECT s.food, n.nutrient, n.value FROM food_servings s CROSS JOIN foods f NOT INDEXED "
                         "CROSS JOIN food_nutrients n WHERE f.rowid = s.food AND f.FOOD IS s.name "
                         "AND n.food = s.food AND n.nutrient IN (%1)")
        : QStringLiteral("SELECT s.food, n.nutrient, n.value FROM food_servings s "
                         "JOIN foods f NOT INDEXED ON f.rowid = s.food AND f.FOOD IS s.name "
                         "JOIN food_nutrients n ON n.food = s.food AND n.nutrient IN (%1)");
    const QByteArray sql = join.arg(ids.join(u',')).toUtf8();
    SqliteStatement query(m_connection.handle(), sql);
    if (!query.isPrepared()) {
        return fail(error);
    }
    while (query.next()) {
        std::size_t row = 0;
        if (!positions.find(query.int64(0), &row)) {
            continue;
        }
        const double value = query.real(2);
        for (const std::size_t c : targets[targetOfId.value(query.int64(1))]) {
            (*columns)[c][row] = value;
        }
    }
    return !query.failed() || fail(error);
}

bool NutrientTables::readServingGrams(const std::vector<qint64>& rows, std::vector<double>* grams, QString* error)
{
    grams->assign(rows.size(), std::numeric_limits<double>::quiet_NaN());
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables || rows.empty()) {
        return true;
    }
    // The food's row is found by its rowid: through the name index SQLite would look up every
    // name, several times slower.
    SqliteStatement query(m_connection.handle(),
        "SELECT s.food, s.grams FROM food_servings s JOIN foods f NOT INDEXED ON f.rowid = s.food "
        "AND f.FOOD IS s.name WHERE s.grams > 0");
    if (!query.isPrepared()) {
        return fail(error);
    }
    const RowPositions positions(rows);
    while (query.next()) {
        if (std::size_t row = 0; positions.find(query.int64(0), &row)) {
            (*grams)[row] = query.real(1);
        }
    }
    return !query.failed() || fail(error);
}

bool NutrientTables::beginWalk(const QStringList& numbers, QString* error)
{
    m_walk.reset();
    m_walkColumns.clear();
    m_walkWidth = std::size_t(numbers.size());
    m_walkOnRow = false;
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    if (!nutrientIds(error)) {
        return false;
    }
    for (qsizetype c = 0; c < numbers.size(); ++c) {
        const auto id = m_ids->constFind(numbers[c]);
        if (id != m_ids->cend()) {
            m_walkColumns[*id].push_back(std::size_t(c));
        }
    }
    m_walk = std::make_unique<SqliteStatement>(m_connection.handle(),
        "SELECT s.food, s.grams, n.nutrient, n.value FROM food_servings s "
        "JOIN foods f ON f.rowid = s.food AND f.FOOD IS s.name "
        "LEFT JOIN food_nutrients n ON n.food = s.food ORDER BY s.food");
    if (!m_walk->isPrepared()) {
        m_walk.reset();
        return fail(error);
    }
    m_walkOnRow = m_walk->next();
    return !m_walk->failed() || fail(error);
}

bool NutrientTables::walkTo(
    qint64 food, std::optional<double>* servingGrams, std::vector<std::optional<double>>* values, QString* error)
{
    servingGrams->reset();
    values->assign(m_walkWidth, std::nullopt);
    if (!m_walk) {
        return true;
    }
    while (m_walkOnRow && m_walk->int64(0) < food) {
        m_walkOnRow = m_walk->next();
    }
    while (m_walkOnRow && m_walk->int64(0) == food) {
        if (!m_walk->isNull(1)) {
            *servingGrams = m_walk->real(1);
        }
        if (!m_walk->isNull(2)) {
            const auto columns = m_walkColumns.constFind(m_walk->int64(2));
            if (columns != m_walkColumns.cend()) {
                for (const std::size_t c : *columns) {
                    (*values)[c] = m_walk->real(3);
                }
            }
        }
        m_walkOnRow = m_walk->next();
    }
    return !m_walk->failed() || fail(error);
}

void NutrientTables::TopHeap::offer(double value, qint64 food)
{
    ++met;
    const auto least
        = [](const std::pair<double, qint64>& a, const std::pair<double, qint64>& b) { return a.first > b.first; };
    if (entries.size() < TopKept) {
        entries.emplace_back(value, food);
        std::push_heap(entries.begin(), entries.end(), least);
    } else if (value > entries.front().first) {
        std::pop_heap(entries.begin(), entries.end(), least);
        entries.back() = { value, food };
        std::push_heap(entries.begin(), entries.end(), least);
    }
}

bool NutrientTables::topTablesExist(bool* exist, QString* error)
{
    return countIs(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('nutrient_tops', 'nutrient_top')", 2,
        exist, error);
}

bool NutrientTables::readTop(const QString& number, std::vector<TopFood>* foods, bool* tracked, QString* error)
{
    foods->clear();
    *tracked = false;
    bool tables = false;
    if (!exist(&tables, error) || (tables && !topTablesExist(&tables, error))) {
        return false;
    }
    if (!tables) {
        return true;
    }
    if (!nutrientIds(error)) {
        return false;
    }
    const std::optional<qint64> id = idOf(number);
    if (!id) {
        return true;
    }
    SqliteStatement* threshold = statement("SELECT above FROM nutrient_tops WHERE nutrient = ?1", error);
    if (!threshold) {
        return false;
    }
    threshold->bindInt64(1, *id);
    if (!threshold->next()) {
        threshold->reset();
        return !threshold->failed() || fail(error);
    }
    const double above = threshold->real(0);
    threshold->reset();
    // Each listed food's value as it stands, read as every reader reads it (a text by the number
    // it begins with), and only while the food bears the name it was written under. A value
    // without end is left out, as a ranking leaves it out. At most one more than a list keeps
    // is read: those of the last value read are dropped then, so that the foods given are the
    // ranking's first places whatever another program wrote to the list.
    SqliteStatement* query
        = statement("SELECT t.food, f.FOOD, CAST(n.value AS REAL) AS amount FROM nutrient_top t "
                    "JOIN food_nutrients n ON n.food = t.food AND n.nutrient = t.nutrient "
                    "JOIN food_servings s ON s.food = t.food JOIN foods f ON f.rowid = t.food AND f.FOOD IS s.name "
                    "WHERE t.nutrient = ?1 AND amount > ?2 AND amount < ?3 ORDER BY amount DESC LIMIT ?4",
            error);
    if (!query) {
        return false;
    }
    const qint64 most = qint64(TopKept) + 1;
    query->bindInt64(1, *id);
    query->bindDouble(2, above);
    query->bindDouble(3, std::numeric_limits<double>::infinity());
    query->bindInt64(4, most);
    QString buffer;
    while (query->next()) {
        foods->push_back(
            TopFood { query->int64(0), FoodDatabase::cellText(*query, 1, &buffer).toString(), query->real(2) });
    }
    query->reset();
    if (query->failed()) {
        return fail(error);
    }
    if (qint64(foods->size()) == most) {
        const double cut = foods->back().value;
        while (!foods->empty() && foods->back().value == cut) {
            foods->pop_back();
        }
    }
    *tracked = true;
    return true;
}

bool NutrientTables::beginBulk(QString* error)
{
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    // A file kept by an earlier version gets the lists here, made whole at the end.
    if (tables && (!m_connection.execute(kTopTables) || !m_connection.execute(kDropTopTriggers))) {
        return fail(error);
    }
    m_bulk.emplace();
    return true;
}

bool NutrientTables::endBulk(QString* error)
{
    if (!m_bulk) {
        return true;
    }
    const std::unordered_map<qint64, TopHeap> bulk = std::move(*m_bulk);
    m_bulk.reset();
    bool tables = false;
    if (!topTablesExist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    if (!m_connection.execute(kTopTriggers)) {
        return fail(error);
    }
    // A nutrient without a list was kept by an earlier version: every list is made afresh.
    SqliteStatement* untracked = statement(
        "SELECT EXISTS (SELECT 1 FROM nutrients WHERE id NOT IN (SELECT nutrient FROM nutrient_tops))", error);
    if (!untracked) {
        return false;
    }
    const bool rebuild = untracked->next() && untracked->int64(0) != 0;
    untracked->reset();
    if (untracked->failed()) {
        return fail(error);
    }
    if (rebuild) {
        return rebuildTops(error);
    }
    SqliteStatement* threshold = statement("SELECT above FROM nutrient_tops WHERE nutrient = ?1", error);
    if (!threshold) {
        return false;
    }
    for (const auto& [nutrient, heap] : bulk) {
        threshold->bindInt64(1, nutrient);
        if (!threshold->next()) {
            threshold->reset();
            if (threshold->failed()) {
                return fail(error);
            }
            continue;
        }
        const double above = threshold->real(0);
        threshold->reset();
        // Of the values written, those above the least the heap kept are all in it.
        const double least = heap.met > heap.entries.size() ? heap.entries.front().first : kBelowEverything;
        if (!settleTop(nutrient, std::max(above, least), heap, error)) {
            return false;
        }
    }
    return true;
}

bool NutrientTables::rebuildTops(QString* error)
{
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    if (!m_connection.execute(kTopTables) || (!m_bulk && !m_connection.execute(kTopTriggers))
        || !m_connection.execute("DELETE FROM nutrient_top") || !m_connection.execute("DELETE FROM nutrient_tops")) {
        return fail(error);
    }
    std::unordered_map<qint64, TopHeap> heaps;
    {
        SqliteStatement values(m_connection.handle(), "SELECT food, nutrient, value FROM food_nutrients");
        if (!values.isPrepared()) {
            return fail(error);
        }
        while (values.next()) {
            heaps[values.int64(1)].offer(values.real(2), values.int64(0));
        }
        if (values.failed()) {
            return fail(error);
        }
    }
    SqliteStatement* track
        = statement("INSERT OR REPLACE INTO nutrient_tops (nutrient, above) SELECT id, ?1 FROM nutrients", error);
    if (!track) {
        return false;
    }
    track->bindDouble(1, kBelowEverything);
    if (!track->execute()) {
        return fail(error);
    }
    for (const auto& [nutrient, heap] : heaps) {
        const double least = heap.met > heap.entries.size() ? heap.entries.front().first : kBelowEverything;
        if (!settleTop(nutrient, least, heap, error)) {
            return false;
        }
    }
    return true;
}

bool NutrientTables::settleTop(qint64 nutrient, double above, const TopHeap& heap, QString* error)
{
    SqliteStatement* add = statement("INSERT OR IGNORE INTO nutrient_top (nutrient, food) VALUES (?1, ?2)", error);
    if (!add) {
        return false;
    }
    for (const auto& [value, food] : heap.entries) {
        if (value > above) {
            add->bindInt64(1, nutrient);
            add->bindInt64(2, food);
            if (!add->execute()) {
                return fail(error);
            }
        }
    }
    // The list keeps every food above its threshold, so the threshold may rise to any value of it.
    SqliteStatement* kept = statement("SELECT n.value FROM nutrient_top t JOIN food_nutrients n ON n.food = t.food "
                                      "AND n.nutrient = t.nutrient WHERE t.nutrient = ?1 AND n.value > ?2 "
                                      "ORDER BY n.value DESC LIMIT 1 OFFSET ?3",
        error);
    if (!kept) {
        return false;
    }
    kept->bindInt64(1, nutrient);
    kept->bindDouble(2, above);
    kept->bindInt64(3, qint64(TopKept));
    if (kept->next()) {
        above = std::max(above, kept->real(0));
    }
    kept->reset();
    if (kept->failed()) {
        return fail(error);
    }
    SqliteStatement* threshold
        = statement("INSERT OR REPLACE INTO nutrient_tops (nutrient, above) VALUES (?1, ?2)", error);
    SqliteStatement* drop = statement("DELETE FROM nutrient_top WHERE nutrient = ?1 AND NOT EXISTS (SELECT 1 FROM "
                                      "food_nutrients n WHERE n.food = nutrient_top.food AND n.nutrient = ?1 "
                                      "AND n.value > ?2)",
        error);
    if (!threshold || !drop) {
        return false;
    }
    threshold->bindInt64(1, nutrient);
    threshold->bindDouble(2, above);
    drop->bindInt64(1, nutrient);
    drop->bindDouble(2, above);
    return (threshold->execute() && drop->execute()) || fail(error);
}

bool NutrientTables::isMarked(const QString& mark, bool* marked, QString* error)
{
    *marked = false;
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    SqliteStatement* query = statement("SELECT 1 FROM nutrient_marks WHERE mark = ?1", error);
    if (!query) {
        return false;
    }
    query->bindText(1, mark);
    *marked = query->next();
    query->reset();
    return !query->failed() || fail(error);
}

bool NutrientTables::setMark(const QString& mark, QString* error)
{
    SqliteStatement* insert = statement("INSERT OR IGNORE INTO nutrient_marks (mark) VALUES (?1)", error);
    if (!insert) {
        return false;
    }
    insert->bindText(1, mark);
    return insert->execute() || fail(error);
}

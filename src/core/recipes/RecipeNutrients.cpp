#include "core/recipes/RecipeNutrients.h"

#include "core/foods/StoredText.h"
#include "core/nutrients/NutrientTables.h"
#include "core/recipes/RecipeTables.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/text/NumberText.h"

#include <algorithm>

namespace {

const char* const kGapsTable = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'food_nutrient_gaps'";

// A mark counts only while its row is the own row of the recipe of the name the row bears: a
// row number another program reuses carries no mark over to a plain food.
const char* const kGapsOfRow = "SELECT g.nutrient FROM food_nutrient_gaps g JOIN recipes r ON r.food_rowid = g.food "
                               "JOIN foods f ON f.rowid = g.food AND f.FOOD IS r.name WHERE g.food = ?1";

// Up to this many nutrients a row's values are found one by one; beyond, its whole range is read.
constexpr qsizetype kPointReads = 8;

bool contains(const std::vector<qint64>& sorted, qint64 id)
{
    return std::binary_search(sorted.begin(), sorted.end(), id);
}

const double* valueOf(const std::vector<std::pair<qint64, double>>& values, qint64 id)
{
    const auto found = std::lower_bound(values.begin(), values.end(), id,
        [](const std::pair<qint64, double>& value, qint64 wanted) { return value.first < wanted; });
    return found != values.end() && found->first == id ? &found->second : nullptr;
}

} // namespace

RecipeNutrients::RecipeNutrients(SqliteConnection& connection)
    : m_connection(connection)
    , m_tables(std::make_unique<NutrientTables>(connection))
    , m_statements(connection)
{ }

RecipeNutrients::~RecipeNutrients() = default;

bool RecipeNutrients::fail(QString* error) const
{
    if (error) {
        *error = m_connection.problem();
    }
    return false;
}

SqliteStatement* RecipeNutrients::statement(const char* sql, QString* error)
{
    return m_statements.statement(sql, error);
}

void RecipeNutrients::forget(const QString& name)
{
    m_rows.remove(name);
}

void RecipeNutrients::forgetAll()
{
    m_rows.clear();
}

bool RecipeNutrients::prepare(QString* error)
{
    if (m_kept) {
        return true;
    }
    bool kept = false;
    if (!m_tables->exist(&kept, error)) {
        return false;
    }
    if (kept && !m_tables->ids(&m_ids, error)) {
        return false;
    }
    for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it) {
        m_numbers.insert(it.value(), it.key());
    }
    SqliteStatement* gaps = statement(kGapsTable, error);
    if (!gaps) {
        return false;
    }
    m_gapsExist = gaps->next();
    gaps->reset();
    if (gaps->failed()) {
        return fail(error);
    }
    m_kept = kept;
    return true;
}

QSet<qint64> RecipeNutrients::wantedIds(const Scope& scope) const
{
    QSet<qint64> wanted;
    for (const QString& number : scope.numbers) {
        if (m_ids.contains(number)) {
            wanted.insert(m_ids.value(number));
        }
    }
    return wanted;
}

bool RecipeNutrients::isRead(const QString& name, const Scope& scope, const QSet<qint64>& wanted) const
{
    const auto cached = m_rows.constFind(name);
    return cached != m_rows.constEnd() && (cached->everything || (!scope.everything && cached->ids.contains(wanted)));
}

bool RecipeNutrients::readRows(const QString& name, std::vector<std::pair<qint64, Row>>* found, QString* error)
{
    // The name as the program writes it and, where they differ, as the Windows-1252 bytes an
    // older tool may have stored, as the ten fields find it. A name of one form needs no list of
    // two, which SQLite would build a table for on every run.
    const QByteArray utf8 = name.toUtf8();
    const QByteArray legacy = StoredText::windows1252Bytes(name);
    SqliteStatement* rows = legacy.isEmpty()
        ? statement("SELECT f.rowid, s.food IS NOT NULL, s.grams FROM foods f "
                    "LEFT JOIN food_servings s ON s.food = f.rowid AND s.name IS f.FOOD "
                    "WHERE f.FOOD = ?1 ORDER BY f.rowid",
            error)
        : statement("SELECT f.rowid, s.food IS NOT NULL, s.grams FROM foods f "
                    "LEFT JOIN food_servings s ON s.food = f.rowid AND s.name IS f.FOOD "
                    "WHERE f.FOOD IN (?1, ?2) ORDER BY f.rowid",
            error);
    if (!rows) {
        return false;
    }
    rows->bindUtf8(1, utf8);
    if (!legacy.isEmpty()) {
        rows->bindUtf8(2, legacy);
    }
    while (rows->next()) {
        Row row;
        row.kept = rows->int64(1) != 0;
        if (row.kept && !rows->isNull(2)) {
            row.grams = rows->real(2);
        }
        found->emplace_back(rows->int64(0), std::move(row));
    }
    return !rows->failed() || fail(error);
}

bool RecipeNutrients::prefetch(const QStringList& names, const Scope& scope, QString* error)
{
    if (scope.isEmpty()) {
        return true;
    }
    if (!prepare(error)) {
        return false;
    }
    if (!*m_kept) {
        return true;
    }
    const QSet<qint64> wanted = wantedIds(scope);
    std::vector<std::pair<QByteArray, QString>> unread;
    QSet<QString> seen;
    for (const QString& name : names) {
        if (!seen.contains(name) && !isRead(name, scope, wanted)) {
            seen.insert(name);
            unread.emplace_back(name.toUtf8(), name);
        }
    }
    if (unread.empty()) {
        return true;
    }
    // In the order of the name index neighbouring names share their pages.
    std::sort(unread.begin(), unread.end());
    std::vector<std::vector<std::pair<qint64, Row>>> found(unread.size());
    // Each kept row's rowid and where its Row is.
    std::vector<std::pair<qint64, Row*>> kept;
    for (std::size_t n = 0; n < unread.size(); ++n) {
        if (!readRows(unread[n].second, &found[n], error)) {
            return false;
        }
    }
    for (auto& rows : found) {
        for (auto& [rowid, row] : rows) {
            if (row.kept) {
                kept.emplace_back(rowid, &row);
            }
        }
    }
    std::sort(kept.begin(), kept.end());
    const std::vector<qint64> ids(wanted.begin(), wanted.end());
    constexpr std::size_t kBatch = 400;
    QByteArray marks = "?";
    for (std::size_t i = 1; i < kBatch; ++i) {
        marks += ",?";
    }
    // The catalogue's ids are the file's own integers, so an edit's few are written into the
    // statement, and each row's values are found by key rather than read whole.
    QByteArray valuesSql = "SELECT food, nutrient, value FROM food_nutrients WHERE food IN (" + marks + ")";
    if (!scope.everything) {
        QByteArray list;
        for (const qint64 id : ids) {
            list += (list.isEmpty() ? "" : ",") + QByteArray::number(id);
        }
        valuesSql += " AND nutrient IN (" + (list.isEmpty() ? QByteArray("NULL") : list) + ")";
    }
    SqliteStatement values(m_connection.handle(), valuesSql);
    SqliteStatement gaps;
    if (*m_gapsExist) {
        gaps = SqliteStatement(m_connection.handle(),
            "SELECT g.food, g.nutrient FROM food_nutrient_gaps g JOIN recipes r ON r.food_rowid = g.food "
            "JOIN foods f ON f.rowid = g.food AND f.FOOD IS r.name WHERE g.food IN ("
                + marks + ")");
    }
    if (!values.isPrepared() || (*m_gapsExist && !gaps.isPrepared())) {
        return fail(error);
    }
    for (std::size_t first = 0; first < kept.size(); first += kBatch) {
        const std::size_t end = std::min(kept.size(), first + kBatch);
        auto rowOf = [&](qint64 rowid) -> Row* {
            const auto at = std::lower_bound(kept.begin() + std::ptrdiff_t(first), kept.begin() + std::ptrdiff_t(end),
                rowid, [](const std::pair<qint64, Row*>& row, qint64 id) { return row.first < id; });
            return at != kept.begin() + std::ptrdiff_t(end) && at->first == rowid ? at->second : nullptr;
        };
        for (SqliteStatement* query : { &values, &gaps }) {
            if (!query->isPrepared()) {
                continue;
            }
            query->restart();
            // A short batch is filled up with NULL, which matches no row.
            for (std::size_t i = first; i < first + kBatch; ++i) {
                if (i < end) {
                    query->bindInt64(int(i - first) + 1, kept[i].first);
                } else {
                    query->bindNull(int(i - first) + 1);
                }
            }
            while (query->next()) {
                Row* row = rowOf(query->int64(0));
                if (!row) {
                    continue;
                }
                if (query == &values) {
                    row->values.emplace_back(query->int64(1), query->real(2));
                } else {
                    row->gaps.push_back(query->int64(1));
                }
            }
            if (query->failed()) {
                return fail(error);
            }
            query->reset();
        }
    }
    for (std::size_t n = 0; n < unread.size(); ++n) {
        Rows entry;
        entry.everything = scope.everything;
        entry.ids = wanted;
        for (auto& [rowid, row] : found[n]) {
            std::sort(row.values.begin(), row.values.end());
            std::sort(row.gaps.begin(), row.gaps.end());
            entry.rows.push_back(std::move(row));
        }
        m_rows.insert(unread[n].second, std::move(entry));
    }
    return true;
}

const std::vector<RecipeNutrients::Row>* RecipeNutrients::rowsNamed(
    const QString& name, const Scope& scope, QString* error)
{
    const QSet<qint64> wanted = wantedIds(scope);
    if (isRead(name, scope, wanted)) {
        return &m_rows.constFind(name)->rows;
    }
    std::vector<std::pair<qint64, Row>> found;
    if (!readRows(name, &found, error)) {
        return nullptr;
    }
    const std::vector<qint64> ids(wanted.begin(), wanted.end());
    for (auto& [rowid, row] : found) {
        if (!row.kept) {
            continue;
        }
        if (scope.everything || ids.size() > std::size_t(kPointReads)) {
            SqliteStatement* values = statement("SELECT nutrient, value FROM food_nutrients WHERE food = ?1", error);
            if (!values) {
                return nullptr;
            }
            values->bindInt64(1, rowid);
            while (values->next()) {
                if (scope.everything || wanted.contains(values->int64(0))) {
                    row.values.emplace_back(values->int64(0), values->real(1));
                }
            }
            if (values->failed()) {
                fail(error);
                return nullptr;
            }
        } else {
            for (const qint64 id : ids) {
                SqliteStatement* value
                    = statement("SELECT value FROM food_nutrients WHERE food = ?1 AND nutrient = ?2", error);
                if (!value) {
                    return nullptr;
                }
                value->bindInt64(1, rowid);
                value->bindInt64(2, id);
                if (value->next()) {
                    row.values.emplace_back(id, value->real(0));
                }
                value->reset();
                if (value->failed()) {
                    fail(error);
                    return nullptr;
                }
            }
        }
        std::sort(row.values.begin(), row.values.end());
        if (*m_gapsExist) {
            SqliteStatement* gaps = statement(kGapsOfRow, error);
            if (!gaps) {
                return nullptr;
            }
            gaps->bindInt64(1, rowid);
            while (gaps->next()) {
                row.gaps.push_back(gaps->int64(0));
            }
            if (gaps->failed()) {
                fail(error);
                return nullptr;
            }
            std::sort(row.gaps.begin(), row.gaps.end());
        }
    }
    Rows entry;
    entry.everything = scope.everything;
    entry.ids = wanted;
    for (auto& [rowid, row] : found) {
        entry.rows.push_back(std::move(row));
    }
    return &m_rows.insert(name, std::move(entry)).value().rows;
}

bool RecipeNutrients::write(const Recipe& recipe, qint64 rowid, const Scope& scope, QString* error)
{
    if (scope.isEmpty()) {
        return true;
    }
    if (!prepare(error)) {
        return false;
    }
    // A file whose foods keep no nutrients has none to sum, and gets no tables for it.
    if (!*m_kept) {
        return true;
    }
    struct Ingredient
    {
        const std::vector<Row>* rows;
        double quantity;
    };
    std::vector<Ingredient> ingredients;
    bool missing = false;
    for (const RecipeIngredient& ingredient : recipe.ingredients) {
        if (!rowsNamed(ingredient.food, scope, error)) {
            return false;
        }
    }
    // Taken once all are read: a hash that grows moves its values.
    for (const RecipeIngredient& ingredient : recipe.ingredients) {
        const std::vector<Row>* rows = &m_rows.constFind(ingredient.food)->rows;
        missing = missing || rows->empty();
        ingredients.push_back({ rows, TextToNumber(ingredient.quantity) });
    }
    // The nutrients to work out: all that some row knows, or those of the edit.
    std::vector<qint64> ids;
    if (scope.everything) {
        QSet<qint64> known;
        for (const Ingredient& ingredient : ingredients) {
            for (const Row& row : *ingredient.rows) {
                for (const auto& value : row.values) {
                    known.insert(value.first);
                }
            }
        }
        ids.assign(known.begin(), known.end());
    } else {
        for (const QString& number : scope.numbers) {
            if (m_ids.contains(number)) {
                ids.push_back(m_ids.value(number));
            }
        }
    }
    std::sort(ids.begin(), ids.end());
    std::vector<std::pair<qint64, double>> values;
    std::vector<qint64> gaps;
    for (const qint64 id : ids) {
        double sum = 0;
        bool known = false;
        bool incomplete = missing;
        for (const Ingredient& ingredient : ingredients) {
            for (const Row& row : *ingredient.rows) {
                if (const double* value = valueOf(row.values, id)) {
                    sum += *value * ingredient.quantity;
                    known = true;
                    incomplete = incomplete || contains(row.gaps, id);
                } else {
                    incomplete = true;
                }
            }
        }
        if (known) {
            values.emplace_back(id, RecipeTables::storableValue(sum / recipe.servings));
            if (incomplete) {
                gaps.push_back(id);
            }
        }
    }
    // A serving weighs what its share of the ingredients weighs, where every one's weight is known.
    std::optional<double> grams;
    if (scope.everything || scope.servingGrams) {
        double sum = 0;
        bool known = !missing && !ingredients.empty();
        for (const Ingredient& ingredient : ingredients) {
            for (const Row& row : *ingredient.rows) {
                known = known && row.grams;
                sum += row.grams.value_or(0) * ingredient.quantity;
            }
        }
        const double perServing = sum / recipe.servings;
        if (known && perServing > 0 && perServing <= 1e12) {
            grams = perServing;
        }
    }
    forget(recipe.name);
    if (scope.everything) {
        if (!m_tables->replace(rowid, grams, values, error)) {
            return false;
        }
    } else {
        FoodNutrientChanges changes;
        changes.servingGramsChanged = scope.servingGrams;
        changes.servingGrams = grams;
        for (const qint64 id : ids) {
            const double* value = valueOf(values, id);
            changes.values.insert(m_numbers.value(id), value ? std::optional<double>(*value) : std::nullopt);
        }
        if (!m_tables->write(rowid, changes, error)) {
            return false;
        }
    }
    return writeGaps(rowid, scope, gaps, error);
}

bool RecipeNutrients::writeGaps(qint64 rowid, const Scope& scope, const std::vector<qint64>& gaps, QString* error)
{
    if (!*m_gapsExist) {
        if (gaps.empty()) {
            return true;
        }
        const char* schema = "CREATE TABLE IF NOT EXISTS food_nutrient_gaps (food INTEGER NOT NULL, "
                             "nutrient INTEGER NOT NULL, PRIMARY KEY (food, nutrient)) WITHOUT ROWID;"
                             "CREATE TRIGGER IF NOT EXISTS foods_drop_nutrient_gaps AFTER DELETE ON foods BEGIN "
                             "DELETE FROM food_nutrient_gaps WHERE food = OLD.rowid; END;";
        if (!m_connection.execute(schema)) {
            return fail(error);
        }
        m_gapsExist = true;
    }
    if (scope.everything) {
        SqliteStatement* drop = statement("DELETE FROM food_nutrient_gaps WHERE food = ?1", error);
        if (!drop) {
            return false;
        }
        drop->bindInt64(1, rowid);
        if (!drop->execute()) {
            return fail(error);
        }
    } else {
        for (const QString& number : scope.numbers) {
            SqliteStatement* drop
                = statement("DELETE FROM food_nutrient_gaps WHERE food = ?1 AND nutrient = ?2", error);
            if (!drop) {
                return false;
            }
            drop->bindInt64(1, rowid);
            drop->bindInt64(2, m_ids.value(number));
            if (!drop->execute()) {
                return fail(error);
            }
        }
    }
    for (const qint64 id : gaps) {
        SqliteStatement* insert
            = statement("INSERT OR REPLACE INTO food_nutrient_gaps (food, nutrient) VALUES (?1, ?2)", error);
        if (!insert) {
            return false;
        }
        insert->bindInt64(1, rowid);
        insert->bindInt64(2, id);
        if (!insert->execute()) {
            return fail(error);
        }
    }
    return true;
}

bool RecipeNutrients::readIncomplete(
    SqliteConnection& connection, qint64 rowid, FoodNutrients* nutrients, QString* error)
{
    if (nutrients->values.isEmpty()) {
        return true;
    }
    SqliteStatement exists(connection.handle(), kGapsTable);
    if (!exists.isPrepared()) {
        *error = connection.problem();
        return false;
    }
    if (!exists.next()) {
        if (exists.failed()) {
            *error = connection.problem();
            return false;
        }
        return true;
    }
    SqliteStatement gaps(connection.handle(),
        "SELECT m.number FROM food_nutrient_gaps g JOIN recipes r ON r.food_rowid = g.food "
        "JOIN foods f ON f.rowid = g.food AND f.FOOD IS r.name JOIN nutrients m ON m.id = g.nutrient "
        "WHERE g.food = ?1");
    if (!gaps.isPrepared()) {
        *error = connection.problem();
        return false;
    }
    gaps.bindInt64(1, rowid);
    while (gaps.next()) {
        const QString number = QString::fromUtf8(gaps.text(0));
        if (nutrients->values.contains(number)) {
            nutrients->incomplete.insert(number);
        }
    }
    if (gaps.failed()) {
        *error = connection.problem();
        return false;
    }
    return true;
}

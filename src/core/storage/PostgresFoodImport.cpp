#include "core/storage/PostgresFoodImport.h"

#include "core/foods/StoredText.h"

#include "core/foods/FoodValues.h"
#include "core/postgres/PgConnection.h"
#include "core/postgres/PgResult.h"
#include "core/postgres/PgTransaction.h"
#include "core/storage/PostgresFoodStore.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// How many new foods, and how many values, are gathered before they are sent.
constexpr std::size_t kGatheredFoods = 20000;
constexpr std::size_t kGatheredValues = 200000;

} // namespace

PostgresFoodImport::PostgresFoodImport(PostgresFoodStore& store)
    : m_store(store)
{ }

PostgresFoodImport::~PostgresFoodImport()
{
    rollback();
}

bool PostgresFoodImport::isOpen(QString* error) const
{
    return (m_transaction && m_transaction->isOpen())
        || m_store.fail(PostgresFoodStore::tr("the import has ended"), error);
}

bool PostgresFoodImport::begin(QString* error)
{
    PgConnection& db = m_store.connection();
    m_transaction = std::make_unique<PgTransaction>(db);
    // Other writers wait from now on, so that none comes between the import's checks and its
    // writes; readers go on reading the table as it was.
    if (!m_transaction->begin(error) || !db.execute("SET LOCAL lock_timeout = '5s'", error)
        || !db.execute("LOCK TABLE foods, food_servings, food_nutrients, nutrients IN SHARE ROW EXCLUSIVE MODE", error)
        || !m_store.nutrientCatalogue(&m_catalogue, error) || !m_store.nutrientIds(&m_ids, error)) {
        rollback();
        return false;
    }
    return true;
}

bool PostgresFoodImport::findRows(const QString& name, qint64 most, std::vector<RowId>* rows, QString* error)
{
    rows->clear();
    PgResult result;
    if (!isOpen(error)
        || !m_store.connection().query("SELECT id FROM foods WHERE FOOD = $1 ORDER BY id LIMIT $2",
            { PgConnection::param(name), most == AllRows ? PgConnection::null() : PgConnection::param(most) }, &result,
            error)) {
        return false;
    }
    rows->reserve(std::size_t(result.rows()));
    for (int r = 0; r < result.rows(); ++r) {
        rows->push_back(result.int64(r, 0));
    }
    // The foods gathered and not sent yet come after every row of the table: their identities
    // were taken from the sequence after all of those.
    const auto gathered = m_gatheredByName.constFind(name);
    if (gathered != m_gatheredByName.cend()) {
        for (const qint64 id : *gathered) {
            if (most != AllRows && qint64(rows->size()) >= most) {
                break;
            }
            rows->push_back(id);
        }
    }
    return true;
}

bool PostgresFoodImport::foodParams(const QString& name, const QString& serving, const Nutrients& nutrients,
    std::vector<std::optional<QByteArray>>* params, QString* error)
{
    params->clear();
    // The name and serving unit are texts, the empty text too, as the SQLite import binds them.
    params->push_back(name.toUtf8());
    params->push_back(serving.toUtf8());
    for (std::size_t n = 0; n < nutrients.size(); ++n) {
        const auto field = FoodFields::Field(FoodFields::CALORIES + int(n));
        const QVariant& read = nutrients[n];
        const QVariant value
            = read.typeId() == QMetaType::QString ? FoodValues::storedValueOf(field, read.toString()) : read;
        PgConnection::Param param;
        QString reason;
        if (!m_store.cells().stored(field, value, &param, &reason)) {
            return m_store.fail(reason, error);
        }
        params->push_back(std::move(param));
    }
    return true;
}

bool PostgresFoodImport::nextId(qint64* id, QString* error)
{
    if (m_spareIds.empty()) {
        PgResult result;
        if (!m_store.connection().query(
                "SELECT nextval(pg_get_serial_sequence('foods', 'id')) FROM generate_series(1, 1000)", {}, &result,
                error)) {
            return false;
        }
        for (int r = 0; r < result.rows(); ++r) {
            m_spareIds.push_back(result.int64(r, 0));
        }
        // Given out in rising order, the least last.
        std::sort(m_spareIds.begin(), m_spareIds.end(), std::greater<>());
    }
    *id = m_spareIds.back();
    m_spareIds.pop_back();
    return true;
}

bool PostgresFoodImport::insertFood(
    const QString& name, const QString& serving, const Nutrients& nutrients, RowId* row, QString* error)
{
    PgConnection::Params params;
    qint64 id = 0;
    if (!isOpen(error) || !foodParams(name, serving, nutrients, &params, error) || !nextId(&id, error)) {
        return false;
    }
    params.insert(params.begin(), PgConnection::param(id));
    m_foods.push_back(std::move(params));
    m_gatheredByName[name].push_back(id);
    m_gatheredNames.insert(id, name);
    *row = id;
    return m_foods.size() < kGatheredFoods || flush(error);
}

bool PostgresFoodImport::insertStored(const StoredRow& row, RowId* id, QString* error)
{
    if (!isOpen(error)) {
        return false;
    }
    // Each cell as an SQLite table given the same value keeps it; a text an older tool wrote in
    // Windows-1252 arrives as the same characters in UTF-8, which is all the server keeps.
    PgConnection::Params params;
    QString buffer;
    QString name;
    for (int f = 0; f < FoodFields::FieldCount; ++f) {
        const StoredCell& cell = row[std::size_t(f)];
        QVariant value;
        switch (cell.kind) {
        case StoredCell::Null:
            break;
        case StoredCell::Integer:
            // As its text, which an SQLite column keeps as the same integer, beyond 2^53 too.
            value = QString::number(cell.integer);
            break;
        case StoredCell::Real:
            value = f <= FoodFields::SERVING_UN ? QVariant(FoodValues::numberText(cell.real)) : QVariant(cell.real);
            break;
        case StoredCell::Text:
            value = StoredText::decoded(cell.text, &buffer).toString();
            break;
        }
        if (f <= FoodFields::SERVING_UN) {
            const QString text = value.isNull() ? QString() : value.toString();
            params.push_back(value.isNull() ? PgConnection::null() : PgConnection::Param(text.toUtf8()));
            if (f == FoodFields::FOOD) {
                name = text;
            }
            continue;
        }
        PgConnection::Param param;
        QString reason;
        if (!m_store.cells().stored(FoodFields::Field(f), value, &param, &reason)) {
            return m_store.fail(reason, error);
        }
        params.push_back(std::move(param));
    }
    qint64 next = 0;
    if (!nextId(&next, error)) {
        return false;
    }
    params.insert(params.begin(), PgConnection::param(next));
    m_foods.push_back(std::move(params));
    m_gatheredByName[name].push_back(next);
    m_gatheredNames.insert(next, name);
    *id = next;
    return m_foods.size() < kGatheredFoods || flush(error);
}

bool PostgresFoodImport::insertRecipe(Recipe*, RowId, QString* error)
{
    return m_store.recipesRefused(error);
}

bool PostgresFoodImport::clearAll(QString* error)
{
    if (!isOpen(error) || !flush(error)) {
        return false;
    }
    return m_store.connection().execute("DELETE FROM recipe_ingredients; DELETE FROM recipes; DELETE FROM "
                                        "food_nutrients; DELETE FROM food_servings; DELETE FROM foods",
        error);
}

bool PostgresFoodImport::replaceFood(
    RowId row, const QString& name, const QString& serving, const Nutrients& nutrients, QString* error)
{
    PgConnection::Params params;
    if (!isOpen(error) || !foodParams(name, serving, nutrients, &params, error)) {
        return false;
    }
    // A food gathered in this import is replaced where it is, once it is sent.
    if ((m_gatheredNames.contains(row) || m_withGatheredNutrients.contains(row)) && !flush(error)) {
        return false;
    }
    params.push_back(PgConnection::param(row));
    PgConnection& db = m_store.connection();
    // What the row kept beside its ten fields belonged to the values it no longer has.
    if (!db.query("UPDATE foods SET FOOD = $1, SERVING_UN = $2, CALORIES = $3, CARBS = $4, FAT = $5, SUGAR = $6, "
                  "CHOLESTERO = $7, POINTS = $8, FIBER = $9, SUGAR_ALC = $10 WHERE id = $11",
            params, nullptr, error)
        || !db.query("DELETE FROM food_servings WHERE food = $1", { PgConnection::param(row) }, nullptr, error)) {
        return false;
    }
    m_replacedNames.insert(row, name);
    return true;
}

bool PostgresFoodImport::addNutrient(const Nutrient& nutrient, QString* error)
{
    QString reason;
    NutrientCatalogue extended = m_catalogue;
    if (!isOpen(error)) {
        return false;
    }
    if (!extended.add(nutrient, &reason)) {
        return m_store.fail(reason, error);
    }
    const Nutrient& added = *extended.find(nutrient.number);
    PgResult result;
    if (!m_store.connection().query("INSERT INTO nutrients (number, name, unit, nutrient_group, display_order) "
                                    "VALUES ($1, $2, $3, $4, $5) RETURNING id",
            { PgConnection::param(added.number), PgConnection::param(added.name), PgConnection::param(added.unit),
                PgConnection::param(int(added.group)), PgConnection::param(added.order) },
            &result, error)) {
        return false;
    }
    m_ids.insert(added.number, result.int64(0, 0));
    m_catalogue = std::move(extended);
    return true;
}

bool PostgresFoodImport::writeNutrients(RowId row, const FoodNutrients& nutrients, QString* error)
{
    if (!isOpen(error)) {
        return false;
    }
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        if (!m_ids.contains(it.key())) {
            return m_store.fail(
                PostgresFoodStore::tr("the nutrient %1 is not in the table's catalogue").arg(it.key().left(20)), error);
        }
        if (!std::isfinite(it.value())) {
            return m_store.fail(PostgresFoodStore::tr("the value of nutrient %1 is not a number").arg(it.key()), error);
        }
    }
    const PgConnection::Param food = PgConnection::param(row);
    // A row written twice, or not by this import, has what it kept dropped first.
    QString name;
    if (m_gatheredNames.contains(row) && !m_withGatheredNutrients.contains(row)) {
        name = m_gatheredNames.value(row);
    } else if (m_replacedNames.contains(row) && !m_withGatheredNutrients.contains(row)) {
        // Its servings went with replaceFood(); a second write drops what the first gathered.
        name = m_replacedNames.take(row);
    } else {
        PgResult result;
        if (!flush(error)
            || !m_store.connection().query("DELETE FROM food_servings WHERE food = $1", { food }, nullptr, error)
            || !m_store.connection().query("SELECT FOOD FROM foods WHERE id = $1", { food }, &result, error)) {
            return false;
        }
        if (result.rows() == 0) {
            return m_store.fail(PostgresFoodStore::tr("the food is no longer in the table"), error);
        }
        name = result.isNull(0, 0) ? QString() : result.text(0, 0);
    }
    if (nutrients.values.isEmpty() && !nutrients.servingGrams) {
        return true;
    }
    m_withGatheredNutrients.insert(row);
    m_servings.push_back({ food, PgConnection::param(name),
        nutrients.servingGrams ? PgConnection::param(*nutrients.servingGrams) : PgConnection::null() });
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        m_values.push_back({ food, PgConnection::param(m_ids.value(it.key())), PgConnection::param(it.value()) });
    }
    return m_values.size() < kGatheredValues || flush(error);
}

bool PostgresFoodImport::copy(const char* sql, const std::vector<PgConnection::Params>& rows, QString* error)
{
    if (rows.empty()) {
        return true;
    }
    PgConnection& db = m_store.connection();
    if (!db.copyStart(sql, error)) {
        return false;
    }
    for (const PgConnection::Params& row : rows) {
        if (!db.copyRow(row, error)) {
            db.copyAbort();
            return false;
        }
    }
    return db.copyFinish(error);
}

bool PostgresFoodImport::flush(QString* error)
{
    // COPY writes the identities it is given, as INSERT does with OVERRIDING SYSTEM VALUE.
    const bool sent = copy("COPY foods (id, FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, "
                           "SUGAR_ALC) FROM STDIN",
                          m_foods, error)
        && copy("COPY food_servings (food, name, grams) FROM STDIN", m_servings, error)
        && copy("COPY food_nutrients (food, nutrient, value) FROM STDIN", m_values, error);
    forgetGathered();
    if (!sent) {
        rollback();
    }
    return sent;
}

void PostgresFoodImport::forgetGathered()
{
    m_foods.clear();
    m_servings.clear();
    m_values.clear();
    m_gatheredByName.clear();
    m_gatheredNames.clear();
    m_withGatheredNutrients.clear();
}

bool PostgresFoodImport::commit(const QStringList& changedFoods, QString* error)
{
    // No recipe is kept on a server, so none is recomputed.
    Q_UNUSED(changedFoods)
    if (!isOpen(error) || !flush(error)) {
        return false;
    }
    if (!m_transaction->commit(error)) {
        rollback();
        return false;
    }
    return true;
}

void PostgresFoodImport::rollback()
{
    forgetGathered();
    m_replacedNames.clear();
    if (m_transaction) {
        m_transaction->rollback();
    }
}

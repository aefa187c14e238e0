#include "core/storage/PostgresFoodImport.h"

#include "core/foods/FoodValues.h"
#include "core/postgres/PgConnection.h"
#include "core/postgres/PgResult.h"
#include "core/postgres/PgTransaction.h"
#include "core/storage/PostgresFoodStore.h"

#include <cmath>

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
    if (!m_transaction->begin(error)
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
    return true;
}

bool PostgresFoodImport::foodParams(const QString& name, const QString& serving, const Nutrients& nutrients,
    std::vector<std::optional<QByteArray>>* params, QString* error)
{
    params->clear();
    params->push_back(PgConnection::param(name));
    params->push_back(PgConnection::param(serving));
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

bool PostgresFoodImport::insertFood(
    const QString& name, const QString& serving, const Nutrients& nutrients, RowId* row, QString* error)
{
    PgConnection::Params params;
    PgResult result;
    if (!isOpen(error) || !foodParams(name, serving, nutrients, &params, error)
        || !m_store.connection().query(
            "INSERT INTO foods (FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC) "
            "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) RETURNING id",
            params, &result, error)) {
        return false;
    }
    *row = result.int64(0, 0);
    return true;
}

bool PostgresFoodImport::replaceFood(
    RowId row, const QString& name, const QString& serving, const Nutrients& nutrients, QString* error)
{
    PgConnection::Params params;
    if (!isOpen(error) || !foodParams(name, serving, nutrients, &params, error)) {
        return false;
    }
    params.push_back(PgConnection::param(row));
    PgConnection& db = m_store.connection();
    // What the row kept beside its ten fields belonged to the values it no longer has.
    return db.query("UPDATE foods SET FOOD = $1, SERVING_UN = $2, CALORIES = $3, CARBS = $4, FAT = $5, SUGAR = $6, "
                    "CHOLESTERO = $7, POINTS = $8, FIBER = $9, SUGAR_ALC = $10 WHERE id = $11",
               params, nullptr, error)
        && db.query("DELETE FROM food_servings WHERE food = $1", { PgConnection::param(row) }, nullptr, error);
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
    PgConnection& db = m_store.connection();
    const PgConnection::Param food = PgConnection::param(row);
    if (!db.query("DELETE FROM food_servings WHERE food = $1", { food }, nullptr, error)) {
        return false;
    }
    if (nutrients.values.isEmpty() && !nutrients.servingGrams) {
        return true;
    }
    if (!db.query("INSERT INTO food_servings (food, name, grams) SELECT id, FOOD, $2 FROM foods WHERE id = $1",
            { food, nutrients.servingGrams ? PgConnection::param(*nutrients.servingGrams) : PgConnection::null() },
            nullptr, error)) {
        return false;
    }
    for (auto it = nutrients.values.cbegin(); it != nutrients.values.cend(); ++it) {
        if (!db.query("INSERT INTO food_nutrients (food, nutrient, value) VALUES ($1, $2, $3)",
                { food, PgConnection::param(m_ids.value(it.key())), PgConnection::param(it.value()) }, nullptr,
                error)) {
            return false;
        }
    }
    return true;
}

bool PostgresFoodImport::commit(const QStringList& changedFoods, QString* error)
{
    // No recipe is kept on a server, so none is recomputed.
    Q_UNUSED(changedFoods)
    if (!isOpen(error)) {
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
    if (m_transaction) {
        m_transaction->rollback();
    }
}

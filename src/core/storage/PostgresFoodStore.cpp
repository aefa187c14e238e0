#include "core/storage/PostgresFoodStore.h"

#include "core/foods/RowPositions.h"

#include "core/foods/FoodLookup.h"
#include "core/postgres/PgResult.h"
#include "core/postgres/PgTransaction.h"
#include "core/storage/PostgresFoodImport.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Rows read per statement by the readers of the whole table.
constexpr int kBatchRows = 10000;

// A read of one state of the table. The lock comes first: a statement takes the snapshot before
// it waits for a lock, so a read that waited for another program would not see what it wrote.
const char* const kBeginSnapshot = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; "
                                   "LOCK TABLE foods, food_servings, food_nutrients, nutrients IN ACCESS SHARE MODE";

// Any number, the same for every Platewell: the first opening of a new database takes it so
// that two programs never make the tables at once.
constexpr qint64 kSchemaLock = 0x506c617465;

// The name order of SQLite's BINARY collation on UTF-8: bytes, an empty name (NULL) first.
const char* const kNameOrder = "FOOD COLLATE \"C\" NULLS FIRST, id";

const char* const kSchema
    = "CREATE TABLE platewell_schema (version integer NOT NULL);"
      "CREATE TABLE foods (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, FOOD text, SERVING_UN text, "
      "CALORIES text, CARBS text, FAT text, SUGAR text, CHOLESTERO text, POINTS text, FIBER text, SUGAR_ALC text);"
      "CREATE INDEX foods_name ON foods (FOOD COLLATE \"C\" NULLS FIRST, id);"
      "CREATE TABLE nutrients (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, number text NOT NULL UNIQUE, "
      "name text NOT NULL, unit text NOT NULL, nutrient_group integer NOT NULL, display_order integer NOT NULL);"
      // A food's nutrients count while its row bears the name they were written under.
      "CREATE TABLE food_servings (food bigint PRIMARY KEY REFERENCES foods (id) ON DELETE CASCADE, name text, "
      "grams double precision);"
      "CREATE TABLE food_nutrients (food bigint NOT NULL REFERENCES food_servings (food) ON DELETE CASCADE, "
      "nutrient bigint NOT NULL REFERENCES nutrients (id), value double precision NOT NULL, "
      "PRIMARY KEY (food, nutrient));"
      "CREATE INDEX food_nutrients_rank ON food_nutrients (nutrient, value);"
      // Recipes, made of foods by name, each with its own row in `foods`.
      "CREATE TABLE recipes (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, name text NOT NULL UNIQUE, "
      "servings double precision NOT NULL, serving_unit text NOT NULL, food_row bigint NOT NULL REFERENCES foods (id));"
      "CREATE INDEX recipes_food_row ON recipes (food_row);"
      "CREATE TABLE recipe_ingredients (recipe_id bigint NOT NULL REFERENCES recipes (id) ON DELETE CASCADE, "
      "position integer NOT NULL, food text NOT NULL, quantity text NOT NULL, PRIMARY KEY (recipe_id, position));"
      "CREATE INDEX recipe_ingredients_food ON recipe_ingredients (food);"
      // A rename carries the nutrients along while they were the renamed row's, whichever program
      // makes it.
      "CREATE FUNCTION platewell_follow_rename() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
      "UPDATE food_servings SET name = NEW.FOOD WHERE food = NEW.id AND name IS NOT DISTINCT FROM OLD.FOOD; "
      "RETURN NULL; END $$;"
      "CREATE TRIGGER foods_rename_nutrients AFTER UPDATE OF FOOD ON foods FOR EACH ROW "
      "WHEN (OLD.FOOD IS DISTINCT FROM NEW.FOOD) EXECUTE FUNCTION platewell_follow_rename();";

// The servings and values that still belong to their food.
const char* const kValidServings
    = "food_servings s JOIN foods f ON f.id = s.food AND f.FOOD IS NOT DISTINCT FROM s.name";

QString selectList(const std::vector<FoodFields::Field>& fields)
{
    QStringList names;
    for (auto field : fields) {
        names.append(FoodFields::fieldNames().at(field));
    }
    return names.join(QStringLiteral(", "));
}

QString allFields()
{
    return FoodFields::fieldNames().join(QStringLiteral(", "));
}

// A text[] literal of `texts`, each quoted.
QByteArray textArray(const QStringList& texts)
{
    QByteArray literal = "{";
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QByteArray text = texts[i].toUtf8();
        text.replace("\\", "\\\\").replace("\"", "\\\"");
        literal += (i ? ",\"" : "\"") + text + '"';
    }
    return literal + '}';
}

QString cellText(const PgResult& result, int row, int column, FoodFields::Field field)
{
    return PgFoodCells::cellText(field, result.bytes(row, column), result.isNull(row, column));
}

// Looks names up for one calculation of totals, all in one state of the table: a read-only
// transaction of its own, unless one is open already, lasts as long as the lookup.
class PgFoodLookup : public FoodLookup
{
public:
    explicit PgFoodLookup(const PostgresFoodStore& store)
        : m_store(store)
    { }
    ~PgFoodLookup() override
    {
        if (m_ownTransaction) {
            m_store.connection().rollback();
        }
    }

    const std::vector<Nutrients>* rowsNamed(const QString& name, QString* error) override
    {
        auto found = m_cache.find(name);
        if (found != m_cache.end()) {
            return &found->nutrients;
        }
        if (!beginReading(error)) {
            return nullptr;
        }
        // A grid shows a missing name as empty text, so the empty name matches NULL names as well.
        const QString sql
            = QStringLiteral("SELECT id, %1 FROM foods WHERE %2 ORDER BY id")
                  .arg(FoodFields::nutrientFieldNames().join(QStringLiteral(", ")),
                      name.isEmpty() ? QStringLiteral("FOOD = '' OR FOOD IS NULL") : QStringLiteral("FOOD = $1"));
        PgResult result;
        if (!m_store.connection().query(sql,
                name.isEmpty() ? PgConnection::Params {} : PgConnection::Params { PgConnection::param(name) }, &result,
                error)) {
            return nullptr;
        }
        if (m_cache.size() > 20000) {
            m_cache.clear();
            m_nutrientCache.clear();
        }
        Named named;
        named.nutrients.reserve(std::size_t(result.rows()));
        for (int r = 0; r < result.rows(); ++r) {
            Nutrients values {};
            for (int n = 0; n < FoodFields::NutrientCount; ++n) {
                values[std::size_t(n)] = PgFoodCells::nutrientValue(result.bytes(r, n + 1), result.isNull(r, n + 1));
            }
            named.rows.push_back(result.int64(r, 0));
            named.nutrients.push_back(values);
        }
        return &m_cache.insert(name, std::move(named))->nutrients;
    }

    bool includeNutrients(QString* error) override
    {
        if (m_withNutrients) {
            return true;
        }
        NutrientCatalogue catalogue;
        if (!beginReading(error) || !m_store.nutrientCatalogue(&catalogue, error)) {
            return false;
        }
        m_numbers.clear();
        for (const Nutrient& nutrient : catalogue.nutrients()) {
            m_numbers.append(nutrient.number);
        }
        m_withNutrients = true;
        return true;
    }

    const QStringList& nutrientNumbers() const override { return m_numbers; }

    const std::vector<KeptNutrients>* nutrientsNamed(const QString& name, QString* error) override
    {
        auto found = m_nutrientCache.find(name);
        if (found != m_nutrientCache.end()) {
            return &*found;
        }
        if (!includeNutrients(error) || !rowsNamed(name, error)) {
            return nullptr;
        }
        const std::vector<qint64>& rows = m_cache.value(name).rows;
        std::vector<KeptNutrients> kept(rows.size(),
            KeptNutrients {
                std::vector<double>(std::size_t(m_numbers.size()), std::numeric_limits<double>::quiet_NaN()), {} });
        if (!rows.empty()) {
            QByteArray ids = "{";
            for (std::size_t r = 0; r < rows.size(); ++r) {
                ids += (r ? "," : "") + QByteArray::number(rows[r]);
            }
            ids += '}';
            PgResult result;
            if (!m_store.connection().query(
                    QStringLiteral("SELECT v.food, n.number, v.value FROM food_nutrients v JOIN nutrients n ON n.id = "
                                   "v.nutrient JOIN %1 ON s.food = v.food WHERE v.food = ANY ($1::bigint[])")
                        .arg(QLatin1String(kValidServings)),
                    { ids }, &result, error)) {
                return nullptr;
            }
            for (int r = 0; r < result.rows(); ++r) {
                const auto row = std::find(rows.begin(), rows.end(), result.int64(r, 0));
                const qsizetype slot = m_numbers.indexOf(result.text(r, 1));
                if (row != rows.end() && slot >= 0) {
                    kept[std::size_t(row - rows.begin())].values[std::size_t(slot)] = result.real(r, 2);
                }
            }
        }
        return &*m_nutrientCache.insert(name, std::move(kept));
    }

private:
    bool beginReading(QString* error)
    {
        if (m_begun) {
            return true;
        }
        PgConnection& db = m_store.connection();
        if (!db.inTransaction()) {
            if (!db.execute(kBeginSnapshot, error)) {
                db.rollback();
                return false;
            }
            m_ownTransaction = true;
        }
        m_begun = true;
        return true;
    }

    struct Named
    {
        std::vector<qint64> rows;
        std::vector<Nutrients> nutrients;
    };

    const PostgresFoodStore& m_store;
    bool m_begun = false;
    bool m_ownTransaction = false;
    QHash<QString, Named> m_cache;
    bool m_withNutrients = false;
    QStringList m_numbers;
    QHash<QString, std::vector<KeptNutrients>> m_nutrientCache;
};

} // namespace

PostgresFoodStore::PostgresFoodStore(const QString& location)
    : m_location(location)
{ }

PostgresFoodStore::~PostgresFoodStore() = default;

bool PostgresFoodStore::fail(const QString& reason, QString* error) const
{
    if (error) {
        *error = tr("The food table on %1: %2").arg(PgConnection::displayName(m_location), reason);
    }
    return false;
}

bool PostgresFoodStore::refresh(QString* error)
{
    if (m_db.isOpen() && m_db.location() == m_location) {
        return true;
    }
    // A statement waits for another program's lock as long as an SQLite table waits, then gives up
    // with a message instead of hanging a window or a worker.
    if (!m_db.open(m_location, error) || !m_db.execute("SET lock_timeout = '2s'", error)) {
        m_db.close();
        return false;
    }
    if (!ensureSchema(error)) {
        m_db.close();
        return false;
    }
    return true;
}

bool PostgresFoodStore::ensureSchema(QString* error)
{
    PgTransaction transaction(m_db);
    PgResult result;
    if (!transaction.begin(error)
        || !m_db.query("SELECT pg_advisory_xact_lock($1)", { PgConnection::param(kSchemaLock) }, nullptr, error)
        || !m_db.query("SELECT to_regclass('platewell_schema') IS NOT NULL", {}, &result, error)) {
        return false;
    }
    if (result.text(0, 0) == QLatin1String("t")) {
        if (!m_db.query("SELECT max(version) FROM platewell_schema", {}, &result, error)) {
            return false;
        }
        const qint64 version = result.int64(0, 0);
        if (version > SchemaVersion) {
            return fail(tr("the table was made by a newer version of Platewell (its tables are of version %1, this "
                           "Platewell knows version %2 at most): open it with that version")
                            .arg(version)
                            .arg(SchemaVersion),
                error);
        }
        return transaction.commit(error);
    }
    if (!m_db.execute(kSchema, error)
        || !m_db.query("INSERT INTO platewell_schema (version) VALUES ($1)", { PgConnection::param(SchemaVersion) },
            nullptr, error)) {
        return false;
    }
    for (const Nutrient& nutrient : NutrientCatalogue::starter().nutrients()) {
        if (!m_db.query("INSERT INTO nutrients (number, name, unit, nutrient_group, display_order) "
                        "VALUES ($1, $2, $3, $4, $5)",
                { PgConnection::param(nutrient.number), PgConnection::param(nutrient.name),
                    PgConnection::param(nutrient.unit), PgConnection::param(int(nutrient.group)),
                    PgConnection::param(nutrient.order) },
                nullptr, error)) {
            return false;
        }
    }
    return transaction.commit(error);
}

bool PostgresFoodStore::isOpen() const
{
    return m_db.isOpen();
}

void PostgresFoodStore::close()
{
    m_db.close();
}

bool PostgresFoodStore::ensureOpen(QString* error) const
{
    return m_db.isOpen() || fail(tr("the food table is not open"), error);
}

bool PostgresFoodStore::stopped(QString* error) const
{
    return m_stop && m_stop->load() && !fail(tr("the reading was stopped"), error);
}

bool PostgresFoodStore::notBusy(QString* error) const
{
    // A lookup or an import holds a transaction on the connection until it goes; a write begun
    // inside it would end it with its own.
    return !m_db.inTransaction()
        || fail(tr("a calculation or an import is still working on the table; write once it has ended"), error);
}

bool PostgresFoodStore::inSnapshot(const std::function<bool(QString*)>& read, QString* error) const
{
    if (!ensureOpen(error)) {
        return false;
    }
    if (m_db.inTransaction()) {
        return read(error);
    }
    if (!m_db.execute(kBeginSnapshot, error)) {
        m_db.rollback();
        return false;
    }
    const bool ok = read(error);
    m_db.rollback();
    return ok;
}

bool PostgresFoodStore::readBatches(const QString& select, const BatchVisitor& visit, QString* error) const
{
    const QString sql
        = QStringLiteral("SELECT id, %1 FROM foods WHERE id > $1 ORDER BY id LIMIT %2").arg(select).arg(kBatchRows);
    return inSnapshot(
        [&](QString* why) {
            qint64 last = std::numeric_limits<qint64>::min();
            for (;;) {
                PgResult result;
                if (stopped(why) || !m_db.query(sql, { PgConnection::param(last) }, &result, why)) {
                    return false;
                }
                for (int r = 0; r < result.rows(); ++r) {
                    if (stopped(why) || !visit(result, r, why)) {
                        return false;
                    }
                }
                if (result.rows() < kBatchRows) {
                    return true;
                }
                last = result.int64(result.rows() - 1, 0);
            }
        },
        error);
}

bool PostgresFoodStore::readColumns(const std::vector<FoodFields::Field>& fields, std::vector<TextColumn>* columns,
    std::vector<RowId>* rows, QString* error) const
{
    columns->assign(fields.size(), TextColumn());
    if (rows) {
        rows->clear();
    }
    QString buffer;
    const bool read = readBatches(
        selectList(fields),
        [&](const PgResult& result, int r, QString* why) {
            if (rows) {
                rows->push_back(result.int64(r, 0));
            }
            for (std::size_t f = 0; f < fields.size(); ++f) {
                const int column = int(f) + 1;
                buffer = cellText(result, r, column, fields[f]);
                if (!(*columns)[f].append(buffer)) {
                    return fail(tr("the food table holds more text than can be shown at once"), why);
                }
            }
            return true;
        },
        error);
    if (!read) {
        columns->clear();
    }
    return read;
}

bool PostgresFoodStore::readFirstRows(const std::vector<FoodFields::Field>& fields, int limit, bool byName,
    std::vector<TextColumn>* columns, std::vector<RowId>* rows, QString* error) const
{
    if (!ensureOpen(error)) {
        return false;
    }
    PgResult result;
    const QString sql = QStringLiteral("SELECT id, %1 FROM foods ORDER BY %2 LIMIT $1")
                            .arg(selectList(fields), byName ? QLatin1String(kNameOrder) : QLatin1String("id"));
    if (!m_db.query(sql, { PgConnection::param(limit) }, &result, error)) {
        return false;
    }
    columns->assign(fields.size(), TextColumn());
    if (rows) {
        rows->clear();
    }
    for (int r = 0; r < result.rows(); ++r) {
        if (rows) {
            rows->push_back(result.int64(r, 0));
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            (*columns)[f].append(cellText(result, r, int(f) + 1, fields[f]));
        }
    }
    return true;
}

qint64 PostgresFoodStore::rowCountBound(QString* error) const
{
    PgResult result;
    if (!ensureOpen(error) || !m_db.query("SELECT coalesce(max(id), 0) FROM foods", {}, &result, error)) {
        return -1;
    }
    return result.int64(0, 0);
}

void PostgresFoodStore::stopReadsWhen(const std::atomic<bool>* stop)
{
    m_stop = stop;
}

bool PostgresFoodStore::readRows(const RowVisitor& visit, QString* error) const
{
    StoredRow row;
    return readBatches(
        allFields(),
        [&](const PgResult& result, int r, QString* why) {
            for (int f = 0; f < FoodFields::FieldCount; ++f) {
                PgFoodCells::cellOf(
                    FoodFields::Field(f), result.bytes(r, f + 1), result.isNull(r, f + 1), &row[std::size_t(f)]);
            }
            return visit(row, why);
        },
        error);
}

qint64 PostgresFoodStore::rowCount(QString* error) const
{
    PgResult result;
    if (!ensureOpen(error) || !m_db.query("SELECT count(*) FROM foods", {}, &result, error)) {
        return -1;
    }
    return result.int64(0, 0);
}

bool PostgresFoodStore::readNameOrder(
    const std::vector<RowId>& rows, std::vector<std::uint32_t>* order, QString* error) const
{
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query(
            QStringLiteral("SELECT id FROM foods ORDER BY %1").arg(QLatin1String(kNameOrder)), {}, &result, error)) {
        return false;
    }
    order->clear();
    order->reserve(rows.size());
    bool complete = std::size_t(result.rows()) == rows.size();
    for (int r = 0; complete && r < result.rows(); ++r) {
        const qint64 id = result.int64(r, 0);
        const auto found = std::lower_bound(rows.begin(), rows.end(), id);
        complete = found != rows.end() && *found == id;
        if (complete) {
            order->push_back(std::uint32_t(found - rows.begin()));
        }
    }
    if (!complete) {
        // The table changed between the two reads: the caller sorts for itself.
        order->clear();
        return fail(tr("the food table changed while it was read"), error);
    }
    return true;
}

bool PostgresFoodStore::readRecord(RowId row, QStringList* values, QString* error) const
{
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query(QStringLiteral("SELECT %1 FROM foods WHERE id = $1").arg(allFields()),
            { PgConnection::param(row) }, &result, error)) {
        return false;
    }
    if (result.rows() == 0) {
        return fail(tr("the food record no longer exists"), error);
    }
    values->clear();
    for (int f = 0; f < FoodFields::FieldCount; ++f) {
        values->append(cellText(result, 0, f, FoodFields::Field(f)));
    }
    return true;
}

bool PostgresFoodStore::nutrientsOf(const QString& name, std::vector<Nutrients>* rows, QString* error) const
{
    rows->clear();
    PgFoodLookup lookup(*this);
    const std::vector<Nutrients>* found = lookup.rowsNamed(name, error);
    if (!found) {
        return false;
    }
    *rows = *found;
    return true;
}

bool PostgresFoodStore::servingUnitOf(const QString& name, QString* unit, QString* error) const
{
    unit->clear();
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query("SELECT SERVING_UN FROM foods WHERE FOOD = $1 ORDER BY id LIMIT 1",
            { PgConnection::param(name) }, &result, error)) {
        return false;
    }
    if (result.rows() > 0) {
        *unit = cellText(result, 0, 0, FoodFields::SERVING_UN);
    }
    return true;
}

std::unique_ptr<FoodLookup> PostgresFoodStore::lookup() const
{
    return std::make_unique<PgFoodLookup>(*this);
}

bool PostgresFoodStore::holdsShownName(RowId row, const QString& shownName, QString* error) const
{
    PgResult result;
    if (!m_db.query("SELECT FOOD FROM foods WHERE id = $1 FOR UPDATE", { PgConnection::param(row) }, &result, error)) {
        return false;
    }
    if (result.rows() == 0 || cellText(result, 0, 0, FoodFields::FOOD) != shownName) {
        return fail(tr("the food is no longer in the table"), error);
    }
    return true;
}

bool PostgresFoodStore::inWrite(
    RowId row, const QString& shownName, const std::function<bool(QString*)>& write, QString* error)
{
    if (!ensureOpen(error) || !notBusy(error)) {
        return false;
    }
    // Whatever fails, the transaction rolls back as it goes: nothing of the write stays.
    PgTransaction transaction(m_db);
    return transaction.begin(error) && (row == 0 || holdsShownName(row, shownName, error)) && write(error)
        && transaction.commit(error);
}

bool PostgresFoodStore::updateFields(
    RowId row, const QString& shownName, const FieldChanges& changes, QString* error, QStringList* renamedIn)
{
    if (renamedIn) {
        renamedIn->clear();
    }
    if (changes.empty()) {
        return true;
    }
    return inWrite(
        row, shownName,
        [&](QString* why) {
            QStringList assignments;
            PgConnection::Params params;
            for (const auto& change : changes) {
                PgConnection::Param value;
                if (!m_cells.storedTyped(change.first, change.second, &value, why)) {
                    return fail(*why, why);
                }
                params.push_back(value);
                assignments.append(
                    QStringLiteral("%1 = $%2").arg(FoodFields::fieldNames().at(change.first)).arg(params.size()));
            }
            params.push_back(PgConnection::param(row));
            PgResult result;
            if (!m_db.query(QStringLiteral("UPDATE foods SET %1 WHERE id = $%2")
                                .arg(assignments.join(QStringLiteral(", ")))
                                .arg(params.size()),
                    params, &result, why)) {
                return false;
            }
            return result.affectedRows() == 1 || fail(tr("the food is no longer in the table"), why);
        },
        error);
}

bool PostgresFoodStore::insertRecord(const QStringList& values, RowId* row, QString* error)
{
    qint64 id = 0;
    const bool written = inWrite(
        0, QString(),
        [&](QString* why) {
            PgConnection::Params params;
            for (int f = 0; f < FoodFields::FieldCount; ++f) {
                PgConnection::Param value;
                if (!m_cells.storedTyped(FoodFields::Field(f), values.value(f), &value, why)) {
                    return fail(*why, why);
                }
                params.push_back(value);
            }
            PgResult result;
            if (!m_db.query(QStringLiteral("INSERT INTO foods (%1) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) "
                                           "RETURNING id")
                                .arg(allFields()),
                    params, &result, why)) {
                return false;
            }
            id = result.int64(0, 0);
            return true;
        },
        error);
    if (written && row) {
        *row = id;
    }
    return written;
}

bool PostgresFoodStore::deleteRecord(RowId row, const QString& shownName, QString* error)
{
    return inWrite(
        row, shownName,
        [&](QString* why) {
            PgResult result;
            return m_db.query("DELETE FROM foods WHERE id = $1", { PgConnection::param(row) }, &result, why)
                && (result.affectedRows() == 1 || fail(tr("the food is no longer in the table"), why));
        },
        error);
}

std::unique_ptr<FoodImportSession> PostgresFoodStore::beginImport(QString* error)
{
    if (!ensureOpen(error) || !notBusy(error)) {
        return nullptr;
    }
    auto session = std::make_unique<PostgresFoodImport>(*this);
    if (!session->begin(error)) {
        return nullptr;
    }
    return session;
}

bool PostgresFoodStore::nutrientCatalogue(NutrientCatalogue* catalogue, QString* error) const
{
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query("SELECT number, name, unit, nutrient_group, display_order FROM nutrients ORDER BY id", {},
            &result, error)) {
        return false;
    }
    std::vector<Nutrient> nutrients;
    for (int r = 0; r < result.rows(); ++r) {
        Nutrient nutrient;
        nutrient.number = result.text(r, 0);
        nutrient.name = result.text(r, 1);
        nutrient.unit = result.text(r, 2);
        const qint64 group = result.int64(r, 3);
        nutrient.group = group >= 0 && group <= int(NutrientGroup::Other) ? NutrientGroup(group) : NutrientGroup::Other;
        nutrient.order = int(result.int64(r, 4));
        nutrients.push_back(nutrient);
    }
    *catalogue = NutrientCatalogue(std::move(nutrients));
    return true;
}

bool PostgresFoodStore::nutrientIds(QHash<QString, qint64>* ids, QString* error) const
{
    PgResult result;
    if (!m_db.query("SELECT number, id FROM nutrients", {}, &result, error)) {
        return false;
    }
    ids->clear();
    for (int r = 0; r < result.rows(); ++r) {
        ids->insert(result.text(r, 0), result.int64(r, 1));
    }
    return true;
}

bool PostgresFoodStore::readFoodNutrients(RowId row, FoodNutrients* nutrients, QString* error) const
{
    *nutrients = FoodNutrients();
    return inSnapshot(
        [&](QString* why) {
            PgResult result;
            if (!m_db.query(
                    QStringLiteral("SELECT s.grams FROM %1 WHERE s.food = $1").arg(QLatin1String(kValidServings)),
                    { PgConnection::param(row) }, &result, why)) {
                return false;
            }
            if (result.rows() == 0) {
                return true;
            }
            nutrients->servingGrams = result.optionalReal(0, 0);
            if (!m_db.query("SELECT n.number, v.value FROM food_nutrients v JOIN nutrients n ON n.id = v.nutrient "
                            "WHERE v.food = $1",
                    { PgConnection::param(row) }, &result, why)) {
                return false;
            }
            for (int r = 0; r < result.rows(); ++r) {
                nutrients->values.insert(result.text(r, 0), result.real(r, 1));
            }
            return true;
        },
        error);
}

bool PostgresFoodStore::servingGramsOf(const QString& name, std::optional<double>* grams, QString* error) const
{
    grams->reset();
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query("SELECT id FROM foods WHERE FOOD = $1 ORDER BY id LIMIT 1", { PgConnection::param(name) },
            &result, error)) {
        return false;
    }
    if (result.rows() == 0) {
        return true;
    }
    FoodNutrients nutrients;
    if (!readFoodNutrients(result.int64(0, 0), &nutrients, error)) {
        return false;
    }
    *grams = nutrients.servingGrams;
    return true;
}

bool PostgresFoodStore::writeFoodNutrients(
    RowId row, const QString& shownName, const FoodNutrientChanges& changes, QString* error)
{
    if (changes.isEmpty()) {
        return true;
    }
    return inWrite(
        row, shownName,
        [&](QString* why) {
            QHash<QString, qint64> ids;
            if (!nutrientIds(&ids, why)) {
                return false;
            }
            if (changes.servingGramsChanged && changes.servingGrams
                && (!std::isfinite(*changes.servingGrams) || *changes.servingGrams <= 0)) {
                return fail(tr("the weight of a serving must be a number of grams above 0"), why);
            }
            for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
                if (!ids.contains(it.key())) {
                    return fail(tr("the nutrient %1 is not in the table's catalogue").arg(it.key().left(20)), why);
                }
                if (it.value() && !std::isfinite(*it.value())) {
                    return fail(tr("the value of nutrient %1 is not a number").arg(it.key()), why);
                }
            }
            const PgConnection::Param food = PgConnection::param(row);
            // What the row kept under another name was another food's: it goes before the row
            // takes its new values.
            if (!m_db.query("DELETE FROM food_nutrients v USING food_servings s, foods f WHERE v.food = $1 AND "
                            "s.food = v.food AND f.id = s.food AND f.FOOD IS DISTINCT FROM s.name",
                    { food }, nullptr, why)
                || !m_db.query("INSERT INTO food_servings AS s (food, name, grams) SELECT id, FOOD, NULL FROM foods "
                               "WHERE id = $1 ON CONFLICT (food) DO UPDATE SET name = EXCLUDED.name, grams = NULL "
                               "WHERE s.name IS DISTINCT FROM EXCLUDED.name",
                    { food }, nullptr, why)) {
                return false;
            }
            if (changes.servingGramsChanged
                && !m_db.query("UPDATE food_servings SET grams = $2 WHERE food = $1",
                    { food, changes.servingGrams ? PgConnection::param(*changes.servingGrams) : PgConnection::null() },
                    nullptr, why)) {
                return false;
            }
            for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
                const PgConnection::Param nutrient = PgConnection::param(ids.value(it.key()));
                const bool written = it.value()
                    ? m_db.query("INSERT INTO food_nutrients (food, nutrient, value) VALUES ($1, $2, $3) "
                                 "ON CONFLICT (food, nutrient) DO UPDATE SET value = EXCLUDED.value",
                        { food, nutrient, PgConnection::param(*it.value()) }, nullptr, why)
                    : m_db.query("DELETE FROM food_nutrients WHERE food = $1 AND nutrient = $2", { food, nutrient },
                        nullptr, why);
                if (!written) {
                    return false;
                }
            }
            return true;
        },
        error);
}

bool PostgresFoodStore::readRowsWithNutrients(
    const QStringList& numbers, const NutrientRowVisitor& visit, QString* error) const
{
    // The rows a batch at a time, each batch's nutrients read beside it for its range of ids.
    const QString foodsSql = QStringLiteral("SELECT id, %1 FROM foods WHERE id > $1 ORDER BY id LIMIT %2")
                                 .arg(allFields())
                                 .arg(kBatchRows);
    const QString servingsSql = QStringLiteral("SELECT s.food, s.grams FROM %1 WHERE s.food > $1 AND s.food <= $2")
                                    .arg(QLatin1String(kValidServings));
    const QString valuesSql = QStringLiteral("SELECT v.food, n.number, v.value FROM food_nutrients v "
                                             "JOIN nutrients n ON n.id = v.nutrient JOIN %1 ON s.food = v.food "
                                             "WHERE v.food > $1 AND v.food <= $2 AND n.number = ANY ($3::text[])")
                                  .arg(QLatin1String(kValidServings));
    const PgConnection::Param wanted = textArray(numbers);
    return inSnapshot(
        [&](QString* why) {
            qint64 last = std::numeric_limits<qint64>::min();
            StoredRow row;
            std::vector<std::optional<double>> values;
            for (;;) {
                PgResult foods;
                PgResult servings;
                PgResult kept;
                if (stopped(why) || !m_db.query(foodsSql, { PgConnection::param(last) }, &foods, why)) {
                    return false;
                }
                if (foods.rows() == 0) {
                    return true;
                }
                const qint64 end = foods.int64(foods.rows() - 1, 0);
                const PgConnection::Params range { PgConnection::param(last), PgConnection::param(end) };
                if (!m_db.query(servingsSql, range, &servings, why)
                    || !m_db.query(valuesSql, { range[0], range[1], wanted }, &kept, why)) {
                    return false;
                }
                QHash<qint64, std::optional<double>> grams;
                for (int r = 0; r < servings.rows(); ++r) {
                    grams.insert(servings.int64(r, 0), servings.optionalReal(r, 1));
                }
                QHash<qint64, std::vector<std::pair<qsizetype, double>>> valuesOf;
                for (int r = 0; r < kept.rows(); ++r) {
                    valuesOf[kept.int64(r, 0)].emplace_back(numbers.indexOf(kept.text(r, 1)), kept.real(r, 2));
                }
                for (int r = 0; r < foods.rows(); ++r) {
                    const qint64 id = foods.int64(r, 0);
                    for (int f = 0; f < FoodFields::FieldCount; ++f) {
                        PgFoodCells::cellOf(
                            FoodFields::Field(f), foods.bytes(r, f + 1), foods.isNull(r, f + 1), &row[std::size_t(f)]);
                    }
                    values.assign(std::size_t(numbers.size()), std::nullopt);
                    for (const auto& [column, value] : valuesOf.value(id)) {
                        if (column >= 0) {
                            values[std::size_t(column)] = value;
                        }
                    }
                    if (stopped(why) || !visit(row, grams.value(id), values, why)) {
                        return false;
                    }
                }
                if (foods.rows() < kBatchRows) {
                    return true;
                }
                last = end;
            }
        },
        error);
}

bool PostgresFoodStore::readNutrientColumns(const QStringList& numbers, const std::vector<RowId>& rows,
    std::vector<std::vector<double>>* columns, QString* error) const
{
    columns->assign(
        std::size_t(numbers.size()), std::vector<double>(rows.size(), std::numeric_limits<double>::quiet_NaN()));
    const RowPositions positions(rows);
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query(QStringLiteral("SELECT v.food, n.number, v.value FROM food_nutrients v "
                                      "JOIN nutrients n ON n.id = v.nutrient JOIN %1 ON s.food = v.food "
                                      "WHERE n.number = ANY ($1::text[])")
                           .arg(QLatin1String(kValidServings)),
            { textArray(numbers) }, &result, error)) {
        return false;
    }
    for (int r = 0; r < result.rows(); ++r) {
        std::size_t position = 0;
        const qsizetype column = numbers.indexOf(result.text(r, 1));
        if (positions.find(result.int64(r, 0), &position) && column >= 0) {
            (*columns)[std::size_t(column)][position] = result.real(r, 2);
        }
    }
    return true;
}

bool PostgresFoodStore::readServingGrams(
    const std::vector<RowId>& rows, std::vector<double>* grams, QString* error) const
{
    grams->assign(rows.size(), std::numeric_limits<double>::quiet_NaN());
    const RowPositions positions(rows);
    PgResult result;
    if (!ensureOpen(error)
        || !m_db.query(QStringLiteral("SELECT s.food, s.grams FROM %1 WHERE s.grams IS NOT NULL")
                           .arg(QLatin1String(kValidServings)),
            {}, &result, error)) {
        return false;
    }
    for (int r = 0; r < result.rows(); ++r) {
        if (std::size_t position = 0; positions.find(result.int64(r, 0), &position)) {
            (*grams)[position] = result.real(r, 1);
        }
    }
    return true;
}

bool PostgresFoodStore::readRichest(
    const QString& number, std::vector<RichFood>* foods, bool* found, QString* error) const
{
    foods->clear();
    *found = false;
    PgResult result;
    // The bound is the RichestKept-th value of the nutrient, found by the (nutrient, value) index
    // as the foods above it are; every food at or above it is ranked.
    const QString sql = QStringLiteral(
        "WITH n AS (SELECT id FROM nutrients WHERE number = $1), "
        "bound AS (SELECT coalesce((SELECT v.value FROM food_nutrients v WHERE v.nutrient = (SELECT id FROM n) "
        "ORDER BY v.value DESC OFFSET %1 LIMIT 1), '-Infinity'::double precision) AS value) "
        "SELECT v.food, f.FOOD, v.value FROM food_nutrients v JOIN %2 ON s.food = v.food "
        "WHERE v.nutrient = (SELECT id FROM n) AND v.value >= (SELECT value FROM bound)")
                            .arg(RichestKept - 1)
                            .arg(QLatin1String(kValidServings));
    if (!ensureOpen(error) || !m_db.query(sql, { PgConnection::param(number) }, &result, error)) {
        return false;
    }
    foods->reserve(std::size_t(result.rows()));
    for (int r = 0; r < result.rows(); ++r) {
        foods->push_back(RichFood { result.int64(r, 0), cellText(result, r, 1, FoodFields::FOOD), result.real(r, 2) });
    }
    *found = true;
    return true;
}

bool PostgresFoodStore::recipesRefused(QString* error) const
{
    if (error) {
        *error = tr("Recipes are not kept on a food table on a server yet.");
    }
    return false;
}

bool PostgresFoodStore::listRecipes(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const
{
    recipes->clear();
    return ensureOpen(error);
}

bool PostgresFoodStore::loadRecipe(qint64, Recipe*, QString* error) const
{
    return recipesRefused(error);
}

bool PostgresFoodStore::recipeValues(const Recipe&, RecipeValues*, QStringList*, QString* error) const
{
    return recipesRefused(error);
}

bool PostgresFoodStore::saveRecipe(Recipe*, QString* error, const QString&)
{
    return recipesRefused(error);
}

bool PostgresFoodStore::renameRecipe(qint64, const QString&, const QString&, QString* error)
{
    return recipesRefused(error);
}

bool PostgresFoodStore::removeRecipe(qint64, const QString&, QString* error)
{
    return recipesRefused(error);
}

bool PostgresFoodStore::recipesUsing(const QString&, QStringList* recipeNames, QString* error) const
{
    recipeNames->clear();
    return ensureOpen(error);
}

bool PostgresFoodStore::isRecipeRow(RowId) const
{
    return false;
}

bool PostgresFoodStore::isRecipeName(const QString&) const
{
    return false;
}

bool PostgresFoodStore::recipeRows(QSet<RowId>* rows, QString* error) const
{
    rows->clear();
    return ensureOpen(error);
}

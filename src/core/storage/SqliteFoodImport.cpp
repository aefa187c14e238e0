#include "core/storage/SqliteFoodImport.h"

#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodValues.h"
#include "core/foods/StoredText.h"
#include "core/nutrients/NutrientTables.h"
#include "core/recipes/RecipeTables.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"

SqliteFoodImport::SqliteFoodImport(FoodDatabase& foods)
    : m_foods(foods)
{ }

SqliteFoodImport::~SqliteFoodImport()
{
    rollback();
}

bool SqliteFoodImport::fail(const QString& reason, QString* error)
{
    if (error) {
        *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
    }
    return false;
}

bool SqliteFoodImport::begin(QString* error)
{
    SqliteConnection& connection = m_foods.connection();
    if (!connection.isOpen()) {
        return fail(connection.message(), error);
    }
    // The write lock is taken now, so that no other writer comes between the duplicate checks and
    // the writes. A larger page cache keeps a million inserts from spilling to the file often.
    connection.setBusyTimeout(5000);
    m_transaction = std::make_unique<SqliteTransaction>(connection);
    if (!connection.execute("PRAGMA cache_size = -65536") || !m_transaction->beginWrite()) {
        return fail(connection.message(), error);
    }
    QString reason;
    std::vector<std::pair<qint64, QString>> named;
    {
        RecipeTables recipes(connection);
        bool withRecipes = false;
        if (recipes.exist(&withRecipes, &reason) && withRecipes && recipes.list(&named, &reason)) {
            recipes.ingredientFoods(&m_ingredientFoods, &reason);
        }
    }
    if (!reason.isEmpty()) {
        rollback();
        return fail(reason, error);
    }
    for (const auto& recipe : named) {
        m_recipeNames.insert(recipe.second);
    }
    m_nutrients = std::make_unique<NutrientTables>(connection);
    if (!m_nutrients->exist(&m_nutrientTablesExist, &reason) || !m_nutrients->readCatalogue(&m_catalogue, &reason)) {
        rollback();
        return fail(reason, error);
    }
    m_find = std::make_unique<SqliteStatement>(
        connection.handle(), "SELECT rowid FROM foods WHERE FOOD IN (?1, ?2) ORDER BY rowid LIMIT ?3");
    // A name with no other stored form is found by equality: SQLite builds a table for a list on
    // every run, and a million foods find their names faster without.
    m_findPlain = std::make_unique<SqliteStatement>(
        connection.handle(), "SELECT rowid FROM foods WHERE FOOD = ?1 ORDER BY rowid LIMIT ?3");
    m_insert = std::make_unique<SqliteStatement>(connection.handle(),
        "INSERT INTO foods (FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    m_update = std::make_unique<SqliteStatement>(connection.handle(),
        "UPDATE foods SET FOOD = ?1, SERVING_UN = ?2, CALORIES = ?3, CARBS = ?4, FAT = ?5, SUGAR = ?6, "
        "CHOLESTERO = ?7, POINTS = ?8, FIBER = ?9, SUGAR_ALC = ?10 WHERE rowid = ?11");
    if (!m_find->isPrepared() || !m_findPlain->isPrepared() || !m_insert->isPrepared() || !m_update->isPrepared()) {
        reason = connection.message();
        rollback();
        return fail(reason, error);
    }
    return true;
}

bool SqliteFoodImport::findRows(const QString& name, qint64 most, std::vector<RowId>* rows, QString* error)
{
    rows->clear();
    // A name an older tool stored in Windows-1252 is the same name.
    const QByteArray utf8 = name.toUtf8();
    const QByteArray legacy = StoredText::windows1252Bytes(name);
    SqliteStatement& find = legacy.isEmpty() ? m_findPlain->restart() : m_find->restart();
    find.bindUtf8InPlace(1, utf8);
    if (!legacy.isEmpty()) {
        find.bindUtf8InPlace(2, legacy);
    }
    find.bindInt64(3, most);
    while (find.next()) {
        rows->push_back(find.int64(0));
    }
    find.reset();
    return !find.failed() || fail(m_foods.connection().message(), error);
}

void SqliteFoodImport::bindFood(
    SqliteStatement& statement, const QString& name, const QString& serving, const Nutrients& nutrients)
{
    // Every parameter is bound afresh, so the statement need not drop the last food's.
    statement.reset();
    statement.bindText(1, name);
    statement.bindText(2, serving);
    for (std::size_t n = 0; n < nutrients.size(); ++n) {
        const int index = 3 + int(n);
        const QVariant& read = nutrients[n];
        const QVariant value = read.typeId() == QMetaType::QString
            ? FoodValues::storedValueOf(FoodFields::Field(FoodFields::CALORIES + int(n)), read.toString())
            : read;
        if (value.isNull()) {
            statement.bindNull(index);
        } else if (value.typeId() == QMetaType::Double) {
            statement.bindDouble(index, value.toDouble());
        } else {
            statement.bindText(index, value.toString());
        }
    }
}

bool SqliteFoodImport::insertFood(
    const QString& name, const QString& serving, const Nutrients& nutrients, RowId* row, QString* error)
{
    bindFood(*m_insert, name, serving, nutrients);
    if (!m_insert->execute()) {
        return fail(m_foods.connection().message(), error);
    }
    *row = m_foods.connection().lastInsertRowid();
    return true;
}

bool SqliteFoodImport::replaceFood(
    RowId row, const QString& name, const QString& serving, const Nutrients& nutrients, QString* error)
{
    bindFood(*m_update, name, serving, nutrients);
    m_update->bindInt64(11, row);
    if (!m_update->execute()) {
        return fail(m_foods.connection().message(), error);
    }
    // What the row kept beside its ten fields belonged to the values it no longer has.
    QString reason;
    return !m_nutrientTablesExist || m_nutrients->clear(row, &reason) || fail(reason, error);
}

bool SqliteFoodImport::ensureNutrientTables(QString* error)
{
    if (m_nutrientTablesExist) {
        return true;
    }
    QString reason;
    if (!m_nutrients->create(&reason)) {
        return fail(reason, error);
    }
    m_nutrientTablesExist = true;
    // The starter's nutrients are in the catalogue now; those the import added already are not.
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        if (!NutrientCatalogue::starter().find(nutrient.number) && !m_nutrients->addNutrient(nutrient, &reason)) {
            return fail(reason, error);
        }
    }
    return true;
}

bool SqliteFoodImport::addNutrient(const Nutrient& nutrient, QString* error)
{
    QString reason;
    NutrientCatalogue extended = m_catalogue;
    if (!extended.add(nutrient, &reason)) {
        return fail(reason, error);
    }
    if (m_nutrientTablesExist && !m_nutrients->addNutrient(*extended.find(nutrient.number), &reason)) {
        return fail(reason, error);
    }
    m_catalogue = std::move(extended);
    return true;
}

bool SqliteFoodImport::writeNutrients(RowId row, const FoodNutrients& nutrients, QString* error)
{
    if (!m_nutrientTablesExist && nutrients.values.isEmpty() && !nutrients.servingGrams) {
        return true;
    }
    QString reason;
    if (!ensureNutrientTables(error)) {
        return false;
    }
    // The lists of richest foods are settled once, at the end, from the values written.
    if (!m_bulk) {
        if (!m_nutrients->beginBulk(&reason)) {
            return fail(reason, error);
        }
        m_bulk = true;
    }
    return m_nutrients->replace(row, nutrients, &reason) || fail(reason, error);
}

bool SqliteFoodImport::insertStored(const StoredRow& row, RowId* id, QString* error)
{
    SqliteStatement& insert = *m_insert;
    insert.reset();
    for (std::size_t f = 0; f < row.size(); ++f) {
        const StoredCell& cell = row[f];
        const int index = int(f) + 1;
        switch (cell.kind) {
        case StoredCell::Null:
            insert.bindNull(index);
            break;
        case StoredCell::Integer:
            insert.bindInt64(index, cell.integer);
            break;
        case StoredCell::Real:
            insert.bindDouble(index, cell.real);
            break;
        case StoredCell::Text:
            // The bytes as they were stored, an older tool's Windows-1252 included.
            insert.bindUtf8(index, cell.text);
            break;
        }
    }
    if (!insert.execute()) {
        return fail(m_foods.connection().message(), error);
    }
    *id = m_foods.connection().lastInsertRowid();
    return true;
}

bool SqliteFoodImport::insertRecipe(Recipe* recipe, RowId ownRow, QString* error)
{
    RecipeTables recipes(m_foods.connection());
    QString reason;
    recipe->id = 0;
    if (!recipes.create(&reason) || !recipes.writeDefinition(recipe, ownRow, &reason)) {
        return fail(reason, error);
    }
    m_recipeNames.insert(recipe->name);
    for (const RecipeIngredient& ingredient : recipe->ingredients) {
        m_ingredientFoods.insert(ingredient.food);
    }
    return true;
}

bool SqliteFoodImport::clearAll(QString* error)
{
    SqliteConnection& connection = m_foods.connection();
    RecipeTables recipes(connection);
    bool withRecipes = false;
    QString reason;
    if (!recipes.exist(&withRecipes, &reason)) {
        return fail(reason, error);
    }
    // The triggers drop each food's nutrients with it.
    if ((withRecipes && !connection.execute("DELETE FROM recipe_ingredients; DELETE FROM recipes"))
        || !connection.execute("DELETE FROM foods")) {
        return fail(connection.message(), error);
    }
    m_recipeNames.clear();
    m_ingredientFoods.clear();
    return true;
}

void SqliteFoodImport::finalize()
{
    m_find.reset();
    m_findPlain.reset();
    m_insert.reset();
    m_update.reset();
    m_nutrients.reset();
}

bool SqliteFoodImport::commit(const QStringList& changedFoods, QString* error)
{
    if (m_nutrients && m_transaction && m_transaction->isOpen()) {
        QString reason;
        if (!m_nutrients->endBulk(&reason)) {
            rollback();
            return fail(reason, error);
        }
    }
    finalize();
    SqliteConnection& connection = m_foods.connection();
    if (m_transaction && m_transaction->isOpen() && !changedFoods.isEmpty()) {
        RecipeTables recipes(connection);
        QString reason;
        if (!recipes.recomputeUsing(changedFoods, &reason)) {
            rollback();
            return fail(reason, error);
        }
    }
    if (!m_transaction || !m_transaction->isOpen() || !m_transaction->commit()) {
        const QString reason = connection.message();
        rollback();
        return fail(reason, error);
    }
    return true;
}

void SqliteFoodImport::rollback()
{
    finalize();
    if (m_transaction) {
        m_transaction->rollback();
    }
}

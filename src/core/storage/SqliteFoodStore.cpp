#include "core/storage/SqliteFoodStore.h"

#include "core/foods/IndexedFoodLookup.h"
#include "core/foods/KeptNutrientCache.h"
#include "core/nutrients/NutrientTables.h"
#include "core/recipes/RecipeBook.h"
#include "core/recipes/RecipeNutrients.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteTransaction.h"
#include "core/storage/FoodWriteService.h"
#include "core/storage/SqliteFoodImport.h"

SqliteFoodStore::SqliteFoodStore(const QString& path)
    : m_path(path)
    , m_keptNutrients(std::make_shared<KeptNutrientCache>())
{ }

SqliteFoodStore::~SqliteFoodStore() = default;

bool SqliteFoodStore::refresh(QString* error)
{
    const bool wasOpen = m_table.isOpen() && m_table.path() == m_path && !m_table.isReplaced();
    if (!m_table.ensureOpen(m_path, error)) {
        return false;
    }
    if (!wasOpen) {
        // A new connection may reuse the old one's address and start its versions anew.
        m_keptNutrients->clear();
        // Another program that made `foods` anew dropped the triggers that keep nutrients with
        // their food; the values stay apart by name until then.
        NutrientTables(m_table.connection()).restoreTriggers();
    }
    return true;
}

bool SqliteFoodStore::isOpen() const
{
    return m_table.isOpen();
}

void SqliteFoodStore::close()
{
    m_keptNutrients->clear();
    m_table.close();
}

bool SqliteFoodStore::readColumns(const std::vector<FoodFields::Field>& fields, std::vector<TextColumn>* columns,
    std::vector<RowId>* rows, QString* error) const
{
    return m_table.readColumns(fields, columns, rows, error);
}

bool SqliteFoodStore::readFirstRows(const std::vector<FoodFields::Field>& fields, int limit, bool byName,
    std::vector<TextColumn>* columns, std::vector<RowId>* rows, QString* error) const
{
    return m_table.readFirstRows(fields, limit, byName, columns, rows, error);
}

qint64 SqliteFoodStore::rowCountBound(QString* error) const
{
    return m_table.rowCountBound(error);
}

void SqliteFoodStore::stopReadsWhen(const std::atomic<bool>* stop)
{
    // The connection keeps it through every reopening.
    m_table.connection().stopWhen(stop);
}

bool SqliteFoodStore::readRows(const RowVisitor& visit, QString* error) const
{
    return m_table.readRows(visit, error);
}

qint64 SqliteFoodStore::rowCount(QString* error) const
{
    return m_table.rowCount(error);
}

bool SqliteFoodStore::readNameOrder(
    const std::vector<RowId>& rows, std::vector<std::uint32_t>* order, QString* error) const
{
    return m_table.readNameOrder(rows, order, error);
}

bool SqliteFoodStore::readRecord(RowId row, QStringList* values, QString* error) const
{
    return m_table.readRecord(row, values, error);
}

bool SqliteFoodStore::nutrientsOf(const QString& name, std::vector<Nutrients>* rows, QString* error) const
{
    return m_table.nutrientsOf(name, rows, error);
}

bool SqliteFoodStore::servingUnitOf(const QString& name, QString* unit, QString* error) const
{
    return m_table.servingUnitOf(name, unit, error);
}

std::unique_ptr<FoodLookup> SqliteFoodStore::lookup() const
{
    return std::make_unique<IndexedFoodLookup>(m_table, m_keptNutrients);
}

bool SqliteFoodStore::updateFields(
    RowId row, const QString& shownName, const FieldChanges& changes, QString* error, QStringList* renamedIn)
{
    return FoodWriteService(m_table).updateFields(row, shownName, changes, error, renamedIn);
}

bool SqliteFoodStore::insertRecord(const QStringList& values, RowId* row, QString* error)
{
    return FoodWriteService(m_table).insertRecord(values, row, error);
}

bool SqliteFoodStore::deleteRecord(RowId row, const QString& shownName, QString* error)
{
    return FoodWriteService(m_table).deleteRecord(row, shownName, error);
}

std::unique_ptr<FoodImportSession> SqliteFoodStore::beginImport(QString* error)
{
    auto session = std::make_unique<SqliteFoodImport>(m_table);
    if (!session->begin(error)) {
        return nullptr;
    }
    return session;
}

bool SqliteFoodStore::nutrientCatalogue(NutrientCatalogue* catalogue, QString* error) const
{
    QString reason;
    return NutrientTables(m_table.connection()).readCatalogue(catalogue, &reason) || m_table.fail(reason, error);
}

bool SqliteFoodStore::readFoodNutrients(RowId row, FoodNutrients* nutrients, QString* error) const
{
    QString reason;
    // The values and the marks of a recipe's partial sums are of one state of the file.
    SqliteTransaction reading(m_table.connection());
    reading.beginRead();
    return (NutrientTables(m_table.connection()).read(row, nutrients, &reason)
               && RecipeNutrients::readIncomplete(m_table.connection(), row, nutrients, &reason))
        || m_table.fail(reason, error);
}

bool SqliteFoodStore::servingGramsOf(const QString& name, std::optional<double>* grams, QString* error) const
{
    grams->reset();
    std::optional<qint64> row;
    FoodNutrients nutrients;
    if (!m_table.firstRowOf(name, &row, error) || (row && !readFoodNutrients(*row, &nutrients, error))) {
        return false;
    }
    *grams = nutrients.servingGrams;
    return true;
}

bool SqliteFoodStore::writeFoodNutrients(
    RowId row, const QString& shownName, const FoodNutrientChanges& changes, QString* error)
{
    return FoodWriteService(m_table).writeNutrients(row, shownName, changes, error);
}

bool SqliteFoodStore::readRowsWithNutrients(
    const QStringList& numbers, const NutrientRowVisitor& visit, QString* error) const
{
    // Both reads see one state of the file, walking it in rowid order side by side.
    SqliteTransaction transaction(m_table.connection());
    QString reason;
    if (!transaction.beginRead(&reason)) {
        return m_table.fail(reason, error);
    }
    bool read = false;
    {
        NutrientTables nutrients(m_table.connection());
        if (!nutrients.beginWalk(numbers, &reason)) {
            return m_table.fail(reason, error);
        }
        std::optional<double> grams;
        std::vector<std::optional<double>> values;
        read = m_table.readRowsWithIds(
            [&](qint64 rowid, const StoredRow& row, QString* why) {
                return nutrients.walkTo(rowid, &grams, &values, why) && visit(row, grams, values, why);
            },
            error);
    }
    transaction.rollback();
    return read;
}

bool SqliteFoodStore::readNutrientColumns(const QStringList& numbers, const std::vector<RowId>& rows,
    std::vector<std::vector<double>>* columns, QString* error) const
{
    QString reason;
    return NutrientTables(m_table.connection()).readColumns(numbers, rows, columns, &reason)
        || m_table.fail(reason, error);
}

bool SqliteFoodStore::readServingGrams(const std::vector<RowId>& rows, std::vector<double>* grams, QString* error) const
{
    QString reason;
    return NutrientTables(m_table.connection()).readServingGrams(rows, grams, &reason) || m_table.fail(reason, error);
}

bool SqliteFoodStore::readRichest(
    const QString& number, std::vector<RichFood>* foods, bool* found, QString* error) const
{
    foods->clear();
    std::vector<NutrientTables::TopFood> top;
    QString reason;
    if (!NutrientTables(m_table.connection()).readTop(number, &top, found, &reason)) {
        return m_table.fail(reason, error);
    }
    foods->reserve(top.size());
    for (NutrientTables::TopFood& food : top) {
        foods->push_back(RichFood { food.food, std::move(food.name), food.value });
    }
    return true;
}

bool SqliteFoodStore::listRecipes(std::vector<std::pair<qint64, QString>>* recipes, QString* error) const
{
    return RecipeBook(m_table).list(recipes, error);
}

bool SqliteFoodStore::loadRecipe(qint64 id, Recipe* recipe, QString* error) const
{
    return RecipeBook(m_table).load(id, recipe, error);
}

bool SqliteFoodStore::recipeValues(
    const Recipe& recipe, RecipeValues* values, QStringList* missing, QString* error) const
{
    return RecipeBook(m_table).valuesPerServing(recipe, values, missing, error);
}

bool SqliteFoodStore::saveRecipe(Recipe* recipe, QString* error, const QString& storedName)
{
    return RecipeBook(m_table).save(recipe, error, storedName);
}

bool SqliteFoodStore::renameRecipe(qint64 id, const QString& storedName, const QString& newName, QString* error)
{
    return RecipeBook(m_table).rename(id, storedName, newName, error);
}

bool SqliteFoodStore::removeRecipe(qint64 id, const QString& storedName, QString* error)
{
    return RecipeBook(m_table).remove(id, storedName, error);
}

bool SqliteFoodStore::recipesUsing(const QString& foodName, QStringList* recipeNames, QString* error) const
{
    return RecipeBook(m_table).recipesUsing(foodName, recipeNames, error);
}

bool SqliteFoodStore::isRecipeRow(RowId row) const
{
    return RecipeBook(m_table).isRecipeRow(row);
}

bool SqliteFoodStore::isRecipeName(const QString& name) const
{
    return RecipeBook(m_table).isRecipeName(name);
}

bool SqliteFoodStore::recipeRows(QSet<RowId>* rows, QString* error) const
{
    return RecipeBook::recipeRows(m_table, rows, error);
}

#include "core/recipes/RecipeTables.h"

#include "core/foods/FoodDatabase.h"
#include "core/foods/StoredText.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Binds a food name as the program writes it (?index) and as the Windows-1252 bytes an older
// tool may have stored for it (?index + 1), as the totals look names up.
void bindFoodName(SqliteStatement& statement, int index, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    const QByteArray legacy = StoredText::windows1252Bytes(name);
    statement.bindUtf8(index, utf8);
    statement.bindUtf8(index + 1, legacy.isEmpty() ? utf8 : legacy);
}

QString columnText(const SqliteStatement& statement, int column)
{
    QString buffer;
    return StoredText::decoded(statement.blob(column), &buffer).toString();
}

const char* const kNutrientColumns = "CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC";

} // namespace

RecipeTables::RecipeTables(SqliteConnection& connection)
    : m_connection(connection)
    , m_statements(connection)
{ }

RecipeTables::~RecipeTables() = default;

bool RecipeTables::fail(QString* error) const
{
    if (error) {
        *error = m_connection.problem();
    }
    return false;
}

SqliteStatement* RecipeTables::statement(const char* sql, QString* error)
{
    return m_statements.statement(sql, error);
}

bool RecipeTables::execute(SqliteStatement* statement, QString* error)
{
    return statement->execute() || fail(error);
}

bool RecipeTables::exist(bool* exist, QString* error)
{
    SqliteStatement* query
        = statement("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('recipes', "
                    "'recipe_ingredients')",
            error);
    if (!query) {
        return false;
    }
    if (!query->next()) {
        return fail(error);
    }
    *exist = query->int64(0) == 2;
    query->reset();
    return true;
}

bool RecipeTables::create(QString* error)
{
    // The ingredients are found by food name when a food changes, and a recipe by the rowid of
    // its food row when that row is edited; both want an index at a million foods.
    const char* schema = "CREATE TABLE IF NOT EXISTS recipes (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, "
                         "servings REAL NOT NULL, serving_unit TEXT NOT NULL, food_rowid INTEGER NOT NULL);"
                         "CREATE TABLE IF NOT EXISTS recipe_ingredients (recipe_id INTEGER NOT NULL, "
                         "position INTEGER NOT NULL, food TEXT NOT NULL, quantity TEXT NOT NULL, "
                         "PRIMARY KEY (recipe_id, position)) WITHOUT ROWID;"
                         "CREATE INDEX IF NOT EXISTS recipe_ingredients_food ON recipe_ingredients(food);"
                         "CREATE INDEX IF NOT EXISTS recipes_food_rowid ON recipes(food_rowid);";
    return m_connection.execute(schema) || fail(error);
}

bool RecipeTables::list(std::vector<std::pair<qint64, QString>>* recipes, QString* error)
{
    SqliteStatement* query = statement("SELECT id, name FROM recipes", error);
    if (!query) {
        return false;
    }
    recipes->clear();
    while (query->next()) {
        recipes->emplace_back(query->int64(0), columnText(*query, 1));
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::readIngredients(qint64 id, std::vector<RecipeIngredient>* ingredients, QString* error)
{
    SqliteStatement* query
        = statement("SELECT food, quantity FROM recipe_ingredients WHERE recipe_id = ? ORDER BY position", error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, id);
    ingredients->clear();
    while (query->next()) {
        ingredients->push_back({ columnText(*query, 0), columnText(*query, 1) });
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::read(qint64 id, Recipe* recipe, qint64* foodRowid, bool* found, QString* error)
{
    SqliteStatement* query = statement("SELECT r.name, r.servings, r.serving_unit, r.food_rowid, i.food, i.quantity "
                                       "FROM recipes r LEFT JOIN recipe_ingredients i ON i.recipe_id = r.id "
                                       "WHERE r.id = ?1 ORDER BY i.position",
        error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, id);
    *found = false;
    while (query->next()) {
        if (!*found) {
            *found = true;
            recipe->id = id;
            recipe->name = columnText(*query, 0);
            recipe->servings = query->real(1);
            recipe->servingUnit = columnText(*query, 2);
            recipe->ingredients.clear();
            if (foodRowid) {
                *foodRowid = query->int64(3);
            }
        }
        if (!query->isNull(4)) {
            recipe->ingredients.push_back({ columnText(*query, 4), columnText(*query, 5) });
        }
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::ingredientFoods(QSet<QString>* foods, QString* error)
{
    SqliteStatement* query = statement("SELECT DISTINCT food FROM recipe_ingredients", error);
    if (!query) {
        return false;
    }
    while (query->next()) {
        foods->insert(columnText(*query, 0));
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::recipeNamed(const QString& name, qint64* id, QString* error)
{
    SqliteStatement* query = statement("SELECT id FROM recipes WHERE name = ?", error);
    if (!query) {
        return false;
    }
    query->bindText(1, name);
    *id = query->next() ? query->int64(0) : 0;
    query->reset();
    return !query->failed() || fail(error);
}

bool RecipeTables::recipeRows(QSet<qint64>* rowids, QString* error)
{
    SqliteStatement* query = statement("SELECT r.food_rowid, r.name, CAST(f.FOOD AS BLOB) FROM recipes r "
                                       "JOIN foods f ON f.rowid = r.food_rowid",
        error);
    if (!query) {
        return false;
    }
    rowids->clear();
    while (query->next()) {
        if (columnText(*query, 1) == columnText(*query, 2)) {
            rowids->insert(query->int64(0));
        }
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::recipeOfRow(qint64 rowid, qint64* id, QString* error)
{
    SqliteStatement* query = statement("SELECT r.id, r.name, CAST(f.FOOD AS BLOB) FROM recipes r "
                                       "JOIN foods f ON f.rowid = r.food_rowid WHERE r.food_rowid = ?",
        error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, rowid);
    *id = 0;
    while (query->next()) {
        // A row another program renamed is no recipe's any more.
        if (columnText(*query, 1) == columnText(*query, 2)) {
            *id = query->int64(0);
        }
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::directUsers(const QString& food, std::vector<qint64>* ids, QString* error)
{
    SqliteStatement* query = statement("SELECT DISTINCT recipe_id FROM recipe_ingredients WHERE food = ?", error);
    if (!query) {
        return false;
    }
    query->bindText(1, food);
    ids->clear();
    while (query->next()) {
        ids->push_back(query->int64(0));
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::directUserNames(const QString& food, qint64 except, QStringList* names, QString* error)
{
    SqliteStatement* query = statement("SELECT DISTINCT r.name FROM recipe_ingredients i JOIN recipes r "
                                       "ON r.id = i.recipe_id WHERE i.food = ? AND r.id <> ?",
        error);
    if (!query) {
        return false;
    }
    query->bindText(1, food);
    query->bindInt64(2, except);
    names->clear();
    while (query->next()) {
        names->append(columnText(*query, 0));
    }
    return !query->failed() || fail(error);
}

bool RecipeTables::usersInOrder(
    const QStringList& foods, std::vector<std::pair<Recipe, qint64>>* recipes, QString* error)
{
    recipes->clear();
    // Breadth first over the names: the recipes that use a name, then those that use them.
    QHash<qint64, std::size_t> indexOf;
    QStringList names = foods;
    QSet<QString> seenNames(foods.begin(), foods.end());
    std::vector<qint64> ids;
    std::vector<std::pair<Recipe, qint64>> found;
    for (qsizetype next = 0; next < names.size(); ++next) {
        if (!directUsers(names.at(next), &ids, error)) {
            return false;
        }
        for (const qint64 id : ids) {
            if (indexOf.contains(id)) {
                continue;
            }
            Recipe recipe;
            qint64 rowid = 0;
            bool exists = false;
            if (!read(id, &recipe, &rowid, &exists, error)) {
                return false;
            }
            if (!exists) {
                continue;
            }
            indexOf.insert(id, found.size());
            if (!seenNames.contains(recipe.name)) {
                seenNames.insert(recipe.name);
                names.append(recipe.name);
            }
            found.emplace_back(std::move(recipe), rowid);
        }
    }

    // Each recipe after those of the found ones it uses (Kahn's order, ties by id so that the
    // order does not depend on the search). Saving refuses cycles; should a file hold one all the
    // same, its recipes come last, each once.
    QHash<QString, std::size_t> byName;
    for (std::size_t i = 0; i < found.size(); ++i) {
        byName.insert(found[i].first.name, i);
    }
    std::vector<int> waitingFor(found.size(), 0);
    std::vector<std::vector<std::size_t>> usedBy(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        QSet<std::size_t> uses;
        for (const RecipeIngredient& ingredient : found[i].first.ingredients) {
            const auto dependency = byName.constFind(ingredient.food);
            if (dependency != byName.constEnd() && *dependency != i && !uses.contains(*dependency)) {
                uses.insert(*dependency);
                usedBy[*dependency].push_back(i);
                ++waitingFor[i];
            }
        }
    }
    auto byId = [&found](std::size_t a, std::size_t b) { return found[a].first.id > found[b].first.id; };
    std::vector<std::size_t> ready;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (waitingFor[i] == 0) {
            ready.push_back(i);
        }
    }
    std::make_heap(ready.begin(), ready.end(), byId);
    std::vector<bool> placed(found.size(), false);
    std::vector<std::size_t> order;
    order.reserve(found.size());
    while (!ready.empty()) {
        std::pop_heap(ready.begin(), ready.end(), byId);
        const std::size_t i = ready.back();
        ready.pop_back();
        order.push_back(i);
        placed[i] = true;
        for (const std::size_t user : usedBy[i]) {
            if (--waitingFor[user] == 0) {
                ready.push_back(user);
                std::push_heap(ready.begin(), ready.end(), byId);
            }
        }
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!placed[i]) {
            order.push_back(i);
        }
    }
    recipes->reserve(order.size());
    for (const std::size_t i : order) {
        recipes->push_back(std::move(found[i]));
    }
    return true;
}

const std::vector<RecipeTables::Nutrients>* RecipeTables::rowsNamed(const QString& name, QString* error)
{
    const auto cached = m_rows.constFind(name);
    if (cached != m_rows.constEnd()) {
        return &cached.value();
    }
    // A name without other Windows-1252 bytes is one probe of the name index, which hands out
    // the rows of one name in rowid order without sorting them.
    const QByteArray legacy = StoredText::windows1252Bytes(name);
    static const QByteArray one
        = QByteArray("SELECT ") + kNutrientColumns + " FROM foods WHERE FOOD = ?1 ORDER BY rowid";
    static const QByteArray both
        = QByteArray("SELECT ") + kNutrientColumns + " FROM foods WHERE FOOD IN (?1, ?2) ORDER BY rowid";
    SqliteStatement* query = statement(legacy.isEmpty() ? one.constData() : both.constData(), error);
    if (!query) {
        return nullptr;
    }
    query->bindText(1, name);
    if (!legacy.isEmpty()) {
        query->bindUtf8(2, legacy);
    }
    std::vector<Nutrients> rows;
    while (query->next()) {
        Nutrients row {};
        for (int n = 0; n < FoodFields::NutrientCount; ++n) {
            row[static_cast<std::size_t>(n)] = FoodDatabase::nutrientValue(*query, n);
        }
        rows.push_back(row);
    }
    if (query->failed()) {
        fail(error);
        return nullptr;
    }
    return &m_rows.insert(name, std::move(rows)).value();
}

bool RecipeTables::prefetch(const QStringList& names, QString* error)
{
    std::vector<std::pair<QByteArray, QString>> wanted;
    for (const QString& name : names) {
        if (!m_rows.contains(name)) {
            m_rows.insert(name, {});
            wanted.emplace_back(name.toUtf8(), name);
        }
    }
    if (wanted.empty()) {
        return true;
    }
    // Thousands of foods spread over a big table cost a page read each; read in the order of the
    // name index and then of the table, neighbouring foods share their pages. First the rowids,
    // from the name index alone, in name order.
    std::sort(wanted.begin(), wanted.end());
    std::vector<std::pair<qint64, const QString*>> found;
    for (const auto& [utf8, name] : wanted) {
        const QByteArray legacy = StoredText::windows1252Bytes(name);
        SqliteStatement* query = legacy.isEmpty() ? statement("SELECT rowid FROM foods WHERE FOOD = ?1", error)
                                                  : statement("SELECT rowid FROM foods WHERE FOOD IN (?1, ?2)", error);
        if (!query) {
            return false;
        }
        query->bindUtf8InPlace(1, utf8);
        if (!legacy.isEmpty()) {
            query->bindUtf8InPlace(2, legacy);
        }
        while (query->next()) {
            found.emplace_back(query->int64(0), &name);
        }
        if (query->failed()) {
            return fail(error);
        }
    }
    // Then the rows in table order, which is also the order each name's rows are added in, a few
    // hundred a query (within SQLite's smallest limit on parameters, 999).
    constexpr int kBatch = 400;
    std::sort(found.begin(), found.end());
    static const QByteArray sql = [] {
        QByteArray marks = "?";
        for (int i = 1; i < kBatch; ++i) {
            marks += ",?";
        }
        return QByteArray("SELECT rowid, ") + kNutrientColumns + " FROM foods WHERE rowid IN (" + marks
            + ") ORDER BY rowid";
    }();
    for (std::size_t first = 0; first < found.size(); first += kBatch) {
        const std::size_t end = std::min(found.size(), first + kBatch);
        SqliteStatement* query = statement(sql.constData(), error);
        if (!query) {
            return false;
        }
        for (std::size_t i = first; i < end; ++i) {
            query->bindInt64(int(i - first) + 1, found[i].first);
        }
        std::size_t next = first;
        while (query->next()) {
            const qint64 rowid = query->int64(0);
            while (next < end && found[next].first < rowid) {
                ++next;
            }
            if (next == end || found[next].first != rowid) {
                continue;
            }
            Nutrients row {};
            for (int n = 0; n < FoodFields::NutrientCount; ++n) {
                row[static_cast<std::size_t>(n)] = FoodDatabase::nutrientValue(*query, n + 1);
            }
            m_rows[*found[next].second].push_back(row);
        }
        if (query->failed()) {
            return fail(error);
        }
    }
    return true;
}

bool RecipeTables::values(const Recipe& recipe, Values* values, QStringList* missing, QString* error)
{
    Values running {};
    for (const RecipeIngredient& ingredient : recipe.ingredients) {
        const std::vector<Nutrients>* rows = rowsNamed(ingredient.food, error);
        if (!rows) {
            return false;
        }
        if (rows->empty() && missing) {
            missing->append(ingredient.food);
        }
        const double quantity = TextToNumber(ingredient.quantity);
        for (const Nutrients& row : *rows) {
            for (std::size_t n = 0; n < row.size(); ++n) {
                const double product = row[n] * quantity;
                running[n] += product;
            }
            running[TotalsRow::NetCarbs]
                = (running[TotalsRow::Carbohydrates] - running[TotalsRow::Fiber]) - running[TotalsRow::SugarAlcohols];
        }
    }
    for (std::size_t n = 0; n < running.size(); ++n) {
        (*values)[n] = running[n] / recipe.servings;
    }
    return true;
}

double RecipeTables::storableValue(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return std::clamp(value, -DBL_MAX, DBL_MAX);
}

bool RecipeTables::rowHolds(qint64 rowid, const QString& name, bool* holds, QString* error)
{
    SqliteStatement* query = statement("SELECT CAST(FOOD AS BLOB) FROM foods WHERE rowid = ?", error);
    if (!query) {
        return false;
    }
    query->bindInt64(1, rowid);
    *holds = query->next() && columnText(*query, 0) == name;
    query->reset();
    return !query->failed() || fail(error);
}

bool RecipeTables::otherFoodNamed(const QString& name, qint64 except, bool* exists, QString* error)
{
    SqliteStatement* query = statement("SELECT 1 FROM foods WHERE FOOD IN (?1, ?2) AND rowid <> ?3 LIMIT 1", error);
    if (!query) {
        return false;
    }
    bindFoodName(*query, 1, name);
    query->bindInt64(3, except);
    *exists = query->next();
    query->reset();
    return !query->failed() || fail(error);
}

bool RecipeTables::writeFoodRow(const Recipe& recipe, qint64 linkedRowid, const QString& linkedName,
    const Values& values, qint64* rowid, QString* error)
{
    bool linked = false;
    if (linkedRowid > 0 && !rowHolds(linkedRowid, linkedName, &linked, error)) {
        return false;
    }
    // The row is found again by its rowid; one that another program deleted or renamed is left
    // alone and the recipe gets a new row.
    SqliteStatement* write = linked
        ? statement("UPDATE foods SET FOOD = ?1, SERVING_UN = ?2, CALORIES = ?3, CARBS = ?4, FAT = ?5, SUGAR = ?6, "
                    "CHOLESTERO = ?7, POINTS = ?8, FIBER = ?9, SUGAR_ALC = ?10 WHERE rowid = ?11",
            error)
        : statement("INSERT INTO foods (FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, "
                    "SUGAR_ALC) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
            error);
    if (!write) {
        return false;
    }
    write->bindText(1, recipe.name);
    write->bindText(2, recipe.servingUnit);
    for (int n = 0; n < FoodFields::NutrientCount; ++n) {
        write->bindDouble(3 + n, storableValue(values[static_cast<std::size_t>(n)]));
    }
    if (linked) {
        write->bindInt64(11, linkedRowid);
    }
    if (!execute(write, error)) {
        return false;
    }
    *rowid = linked ? linkedRowid : m_connection.lastInsertRowid();
    m_rows.remove(recipe.name);
    m_rows.remove(linkedName);
    if (m_nutrients) {
        m_nutrients->forget(recipe.name);
        m_nutrients->forget(linkedName);
    }
    return true;
}

bool RecipeTables::writeDefinition(Recipe* recipe, qint64 foodRowid, QString* error)
{
    SqliteStatement* write = recipe->id == 0
        ? statement("INSERT INTO recipes (name, servings, serving_unit, food_rowid) VALUES (?1, ?2, ?3, ?4)", error)
        : statement(
            "UPDATE recipes SET name = ?1, servings = ?2, serving_unit = ?3, food_rowid = ?4 WHERE id = ?5", error);
    if (!write) {
        return false;
    }
    write->bindText(1, recipe->name);
    write->bindDouble(2, recipe->servings);
    write->bindText(3, recipe->servingUnit);
    write->bindInt64(4, foodRowid);
    if (recipe->id != 0) {
        write->bindInt64(5, recipe->id);
    }
    if (!execute(write, error)) {
        return false;
    }
    if (recipe->id == 0) {
        recipe->id = m_connection.lastInsertRowid();
    }
    SqliteStatement* clear = statement("DELETE FROM recipe_ingredients WHERE recipe_id = ?", error);
    if (!clear) {
        return false;
    }
    clear->bindInt64(1, recipe->id);
    if (!execute(clear, error)) {
        return false;
    }
    SqliteStatement* insert
        = statement("INSERT INTO recipe_ingredients (recipe_id, position, food, quantity) VALUES (?, ?, ?, ?)", error);
    if (!insert) {
        return false;
    }
    for (std::size_t i = 0; i < recipe->ingredients.size(); ++i) {
        insert->bindInt64(1, recipe->id);
        insert->bindInt64(2, qint64(i));
        insert->bindText(3, recipe->ingredients[i].food);
        insert->bindText(4, recipe->ingredients[i].quantity);
        if (!execute(insert, error)) {
            return false;
        }
    }
    return true;
}

bool RecipeTables::deleteRecipe(qint64 id, QString* error)
{
    SqliteStatement* ingredients = statement("DELETE FROM recipe_ingredients WHERE recipe_id = ?", error);
    if (!ingredients) {
        return false;
    }
    ingredients->bindInt64(1, id);
    if (!execute(ingredients, error)) {
        return false;
    }
    SqliteStatement* recipe = statement("DELETE FROM recipes WHERE id = ?", error);
    if (!recipe) {
        return false;
    }
    recipe->bindInt64(1, id);
    return execute(recipe, error);
}

bool RecipeTables::deleteFoodRow(qint64 rowid, QString* error)
{
    SqliteStatement* remove = statement("DELETE FROM foods WHERE rowid = ?", error);
    if (!remove) {
        return false;
    }
    remove->bindInt64(1, rowid);
    m_rows.clear();
    if (m_nutrients) {
        m_nutrients->forgetAll();
    }
    return execute(remove, error);
}

bool RecipeTables::renameIngredient(const QString& from, const QString& to, QString* clash, QString* error)
{
    SqliteStatement* both
        = statement("SELECT r.name FROM recipe_ingredients a JOIN recipe_ingredients b "
                    "ON b.recipe_id = a.recipe_id AND b.food = ?2 JOIN recipes r ON r.id = a.recipe_id "
                    "WHERE a.food = ?1 LIMIT 1",
            error);
    if (!both) {
        return false;
    }
    both->bindText(1, from);
    both->bindText(2, to);
    if (both->next()) {
        *clash = columnText(*both, 0);
        both->reset();
        return true;
    }
    if (both->failed()) {
        return fail(error);
    }
    clash->clear();
    SqliteStatement* rename = statement("UPDATE recipe_ingredients SET food = ?2 WHERE food = ?1", error);
    if (!rename) {
        return false;
    }
    rename->bindText(1, from);
    rename->bindText(2, to);
    return execute(rename, error);
}

bool RecipeTables::writeNutrients(
    const Recipe& recipe, qint64 rowid, const RecipeNutrients::Scope& scope, QString* error)
{
    if (!m_nutrients) {
        m_nutrients = std::make_unique<RecipeNutrients>(m_connection);
    }
    return m_nutrients->write(recipe, rowid, scope, error);
}

bool RecipeTables::recomputeUsing(const QStringList& foods, QString* error)
{
    return recomputeUsing(foods, error, Recompute());
}

bool RecipeTables::recomputeUsing(const QStringList& foods, QString* error, const Recompute& what)
{
    bool tables = false;
    if (!exist(&tables, error)) {
        return false;
    }
    if (!tables) {
        return true;
    }
    std::vector<std::pair<Recipe, qint64>> users;
    if (!usersInOrder(foods, &users, error)) {
        return false;
    }
    // The foods the recipes are made of, apart from the recipes being recomputed, are read
    // together in the order of the name index before any recipe is computed.
    QSet<QString> recomputed;
    for (const auto& user : users) {
        recomputed.insert(user.first.name);
    }
    QStringList plain;
    QSet<QString> listed;
    for (const auto& user : users) {
        for (const RecipeIngredient& ingredient : user.first.ingredients) {
            if (!recomputed.contains(ingredient.food) && !listed.contains(ingredient.food)) {
                listed.insert(ingredient.food);
                plain.append(ingredient.food);
            }
        }
    }
    if (what.fields && !prefetch(plain, error)) {
        return false;
    }
    if (!what.nutrients.isEmpty()) {
        if (!m_nutrients) {
            m_nutrients = std::make_unique<RecipeNutrients>(m_connection);
        }
        if (!m_nutrients->prefetch(plain, what.nutrients, error)) {
            return false;
        }
    }
    for (auto& [recipe, rowid] : users) {
        qint64 written = rowid;
        bool linked = false;
        if (!what.fields && !rowHolds(rowid, recipe.name, &linked, error)) {
            return false;
        }
        // A recipe whose row another program took away gets a new one, worked out whole.
        const bool whole = what.fields || !linked;
        if (whole) {
            Values perServing {};
            if (!values(recipe, &perServing, nullptr, error)
                || !writeFoodRow(recipe, rowid, recipe.name, perServing, &written, error)) {
                return false;
            }
        }
        // A new row has no nutrients yet: it gets them all.
        if (!writeNutrients(recipe, written, written == rowid ? what.nutrients : RecipeNutrients::Scope(), error)) {
            return false;
        }
        if (written != rowid) {
            SqliteStatement* link = statement("UPDATE recipes SET food_rowid = ? WHERE id = ?", error);
            if (!link) {
                return false;
            }
            link->bindInt64(1, written);
            link->bindInt64(2, recipe.id);
            if (!execute(link, error)) {
                return false;
            }
        }
    }
    return true;
}

bool RecipeTables::findCycle(const QString& name, const QString& formerName,
    const std::vector<RecipeIngredient>& ingredients, QStringList* chain, QString* error)
{
    chain->clear();
    // Depth first with a stack of its own, so that a long chain of recipes cannot exhaust the
    // call stack; each recipe is entered once.
    struct Frame
    {
        QString name;
        std::vector<RecipeIngredient> ingredients;
        std::size_t next = 0;
    };
    std::vector<Frame> path;
    path.push_back({ name, ingredients, 0 });
    QSet<QString> entered;
    while (!path.empty()) {
        Frame& top = path.back();
        if (top.next == top.ingredients.size()) {
            path.pop_back();
            continue;
        }
        const QString food = top.ingredients[top.next++].food;
        if (food == name || (!formerName.isEmpty() && food == formerName)) {
            for (const Frame& frame : path) {
                chain->append(frame.name);
            }
            chain->append(name);
            return true;
        }
        if (entered.contains(food)) {
            continue;
        }
        entered.insert(food);
        qint64 id = 0;
        if (!recipeNamed(food, &id, error)) {
            return false;
        }
        if (id == 0) {
            continue;
        }
        Frame next { food, {}, 0 };
        if (!readIngredients(id, &next.ingredients, error)) {
            return false;
        }
        path.push_back(std::move(next));
    }
    return true;
}

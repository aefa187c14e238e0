#include "core/FoodImportWriter.h"

#include "core/MessageText.h"
#include "core/NumberText.h"
#include "core/RecipeTables.h"

#include <sqlite3.h>

namespace {

constexpr qint64 kProgressRows = 4096;

bool isLineBreakOrControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Turns control characters into blanks, trims and folds blank runs; whether a control character
// was met.
QString folded(QStringView text, bool* hadControl)
{
    QString result;
    result.reserve(text.size());
    bool blank = false;
    *hadControl = false;
    for (const QChar c : text) {
        const bool control = isLineBreakOrControl(c);
        *hadControl = *hadControl || control;
        if (control || c.isSpace()) {
            blank = !result.isEmpty();
            continue;
        }
        if (blank) {
            result += u' ';
            blank = false;
        }
        result += c;
    }
    return result;
}

bool bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull()) {
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    }
    if (value.typeId() == QMetaType::Double) {
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    }
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

} // namespace

FoodImportWriter::FoodImportWriter(DuplicateRule rule, const FoodImport::ProgressCallback& progress,
    const FoodImport::ProblemCallback& problems, ImportSummary* summary)
    : m_rule(rule)
    , m_progressCallback(progress)
    , m_problems(problems)
    , m_summary(summary)
{ }

FoodImportWriter::~FoodImportWriter()
{
    rollback();
}

bool FoodImportWriter::fail(QString* error)
{
    sqlite3* db = m_foods.sqliteHandle();
    if (error) {
        *error = QStringLiteral("%1: %2").arg(
            m_foods.path(), db ? QString::fromUtf8(sqlite3_errmsg(db)) : tr("the food table is not open"));
    }
    return false;
}

bool FoodImportWriter::begin(const QString& databasePath, QString* error)
{
    if (!m_foods.open(databasePath, error)) {
        return false;
    }
    sqlite3* db = m_foods.sqliteHandle();
    if (!db) {
        return fail(error);
    }
    // The write lock is taken now, so that no other writer comes between the duplicate checks and
    // the writes. A larger page cache keeps a million inserts from spilling to the file often.
    sqlite3_busy_timeout(db, 5000);
    if (sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(error);
    }
    m_inTransaction = true;
    QString reason;
    std::vector<std::pair<qint64, QString>> named;
    {
        RecipeTables recipes(db);
        bool withRecipes = false;
        if (recipes.exist(&withRecipes, &reason) && withRecipes && recipes.list(&named, &reason)) {
            recipes.ingredientFoods(&m_ingredientFoods, &reason);
        }
    }
    if (!reason.isEmpty()) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
        }
        rollback();
        return false;
    }
    for (const auto& recipe : named) {
        m_recipeNames.insert(recipe.second);
    }
    sqlite3_stmt* last = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT max(rowid) FROM foods", -1, &last, nullptr) != SQLITE_OK
        || sqlite3_step(last) != SQLITE_ROW) {
        sqlite3_finalize(last);
        fail(error);
        rollback();
        return false;
    }
    m_firstNewRowid = sqlite3_column_int64(last, 0) + 1;
    sqlite3_finalize(last);
    const char* find = "SELECT rowid FROM foods WHERE FOOD IN (?1, ?2) ORDER BY rowid";
    const char* insert = "INSERT INTO foods (FOOD, SERVING_UN, CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, "
                         "SUGAR_ALC) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)";
    const char* update = "UPDATE foods SET FOOD = ?1, SERVING_UN = ?2, CALORIES = ?3, CARBS = ?4, FAT = ?5, "
                         "SUGAR = ?6, CHOLESTERO = ?7, POINTS = ?8, FIBER = ?9, SUGAR_ALC = ?10 WHERE rowid = ?11";
    if (sqlite3_prepare_v2(db, find, -1, &m_find, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, insert, -1, &m_insert, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, update, -1, &m_update, nullptr) != SQLITE_OK) {
        fail(error);
        rollback();
        return false;
    }
    return true;
}

void FoodImportWriter::rollback()
{
    for (sqlite3_stmt** statement : { &m_find, &m_insert, &m_update }) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (m_inTransaction) {
        sqlite3_exec(m_foods.sqliteHandle(), "ROLLBACK", nullptr, nullptr, nullptr);
        m_inTransaction = false;
    }
    m_foods.close();
}

bool FoodImportWriter::commit(QString* error)
{
    for (sqlite3_stmt** statement : { &m_find, &m_insert, &m_update }) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (m_inTransaction && !m_changedIngredients.isEmpty()) {
        RecipeTables recipes(m_foods.sqliteHandle());
        QString reason;
        if (!recipes.recomputeUsing(QStringList(m_changedIngredients.begin(), m_changedIngredients.end()), &reason)) {
            if (error) {
                *error = QStringLiteral("%1: %2").arg(m_foods.path(), reason);
            }
            rollback();
            return false;
        }
    }
    if (!m_inTransaction || sqlite3_exec(m_foods.sqliteHandle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(error);
        rollback();
        return false;
    }
    m_inTransaction = false;
    m_foods.close();
    return true;
}

QString FoodImportWriter::mendedName(QStringView name, QStringList* reasons)
{
    bool hadControl = false;
    QString result = folded(name, &hadControl);
    if (hadControl) {
        reasons->append(tr("tabs, line breaks or control characters in the name became blanks"));
    } else if (result != name) {
        reasons->append(tr("blanks around the name or doubled inside it were taken out"));
    }
    if (result.contains(u'_')) {
        result.replace(u'_', u'-');
        reasons->append(tr("\"_\" in the name became \"-\", as the plan files separate their fields with \"_\""));
    }
    return result;
}

QString FoodImportWriter::mendedServing(QStringView serving, QStringList* reasons)
{
    QString result = serving.toString();
    bool hadControl = false;
    for (QChar& c : result) {
        if (isLineBreakOrControl(c)) {
            c = u' ';
            hadControl = true;
        }
    }
    if (hadControl) {
        reasons->append(tr("tabs, line breaks or control characters in the serving unit became blanks"));
    }
    return result;
}

void FoodImportWriter::report(
    qint64 location, bool isFdcId, const QString& name, const QString& reason, ImportProblem::Kind kind)
{
    // The name whole, for the report file; where a problem is shown, its name is cut.
    if (m_problems) {
        m_problems(ImportProblem { location, isFdcId, name, reason, kind });
    }
}

void FoodImportWriter::refuse(qint64 location, bool isFdcId, const QString& name, const QString& reason)
{
    ++m_summary->foodsRead;
    ++m_summary->rowsRefused;
    report(location, isFdcId, name, reason, ImportProblem::Refused);
}

void FoodImportWriter::mended(qint64 location, bool isFdcId, const QString& name, const QString& reason)
{
    ++m_summary->rowsMended;
    report(location, isFdcId, name, reason, ImportProblem::Mended);
}

qint64 FoodImportWriter::earlierLocation(const QString& name, const std::vector<qint64>& rows) const
{
    const auto met = m_metInTable.constFind(name);
    if (met != m_metInTable.constEnd()) {
        return *met;
    }
    for (const qint64 rowid : rows) {
        if (rowid < m_firstNewRowid) {
            continue;
        }
        const auto found = std::lower_bound(m_inserted.begin(), m_inserted.end(), std::make_pair(rowid, qint64(0)),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        if (found != m_inserted.end() && found->first == rowid) {
            return found->second;
        }
    }
    return 0;
}

bool FoodImportWriter::rowRead(qint64 position)
{
    ++m_progress.rowsRead;
    m_progress.bytesRead = position;
    m_summary->rowsRead = m_progress.rowsRead;
    if (m_progress.rowsRead % kProgressRows != 0) {
        return true;
    }
    return reportProgress();
}

bool FoodImportWriter::reportProgress()
{
    m_progress.foodsAdded = m_summary->foodsAdded;
    if (m_progressCallback && !m_progressCallback(m_progress)) {
        m_summary->cancelled = true;
        return false;
    }
    return true;
}

bool FoodImportWriter::findRows(const QString& name, std::vector<qint64>* rowids)
{
    rowids->clear();
    // A name an older tool stored in Windows-1252 is the same name.
    const QByteArray utf8 = name.toUtf8();
    const QByteArray legacy = FoodDatabase::windows1252Bytes(name);
    const QByteArray& other = legacy.isEmpty() ? utf8 : legacy;
    sqlite3_reset(m_find);
    sqlite3_bind_text(m_find, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    sqlite3_bind_text(m_find, 2, other.constData(), int(other.size()), SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(m_find)) == SQLITE_ROW) {
        rowids->push_back(sqlite3_column_int64(m_find, 0));
    }
    sqlite3_reset(m_find);
    return rc == SQLITE_DONE;
}

bool FoodImportWriter::bindFood(sqlite3_stmt* statement, const QString& name, const ImportedFood& food)
{
    sqlite3_reset(statement);
    bool ok = bindValue(statement, 1, name) && bindValue(statement, 2, food.serving);
    for (int n = 0; n < FoodDatabase::NutrientCount; ++n) {
        const QVariant& value = food.nutrients[static_cast<std::size_t>(n)];
        const QVariant stored = value.typeId() == QMetaType::QString
            ? FoodDatabase::storedValueOf(FoodDatabase::Field(FoodDatabase::CALORIES + n), value.toString())
            : value;
        ok = ok && bindValue(statement, 3 + n, stored);
    }
    return ok;
}

bool FoodImportWriter::add(ImportedFood& food, QString* error)
{
    QStringList reasons = food.notes;
    const QString name = mendedName(food.name, &reasons);
    if (name.isEmpty()) {
        refuse(food.location, food.isFdcId, food.name, tr("the food has no name"));
        return true;
    }
    if (name.size() > MaxNameCharacters) {
        refuse(food.location, food.isFdcId, name,
            tr("the name has %1 characters; a food's name may have %2")
                .arg(GroupedCount(name.size()), GroupedCount(MaxNameCharacters)));
        return true;
    }
    // A recipe's row holds what its ingredients make; a food of its name would stand beside it.
    if (m_recipeNames.contains(name)) {
        refuse(food.location, food.isFdcId, name,
            tr("a recipe has this name; a recipe is changed in the Recipes window, and a food needs a name of its "
               "own"));
        return true;
    }
    ++m_summary->foodsRead;
    food.serving = mendedServing(food.serving, &reasons);
    if (!reasons.isEmpty()) {
        mended(food.location, food.isFdcId, name, reasons.join(QStringLiteral("; ")));
    }
    if (!findRows(name, &m_rowids)) {
        return fail(error);
    }
    if (m_ingredientFoods.contains(name) && !(m_rule == DuplicateRule::Skip && !m_rowids.empty())) {
        m_changedIngredients.insert(name);
    }
    // A name this import met before is repeated within the source, not one the table had.
    const qint64 earlier = m_rowids.empty() ? 0 : earlierLocation(name, m_rowids);
    if (earlier != 0) {
        ++m_summary->repeatedInSource;
        const QString where = food.isFdcId ? QStringLiteral("fdc_id %1").arg(earlier) : tr("line %1").arg(earlier);
        report(food.location, food.isFdcId, name,
            m_rule == DuplicateRule::Skip ? tr("the name came earlier in the file (%1); skipped").arg(where)
                : m_rule == DuplicateRule::Replace
                ? tr("the name came earlier in the file (%1); it replaced that one").arg(where)
                : tr("the name came earlier in the file (%1); both kept").arg(where),
            ImportProblem::Repeated);
    } else if (!m_rowids.empty() && !m_metInTable.contains(name)) {
        m_metInTable.insert(name, food.location);
    }
    if (!m_rowids.empty()) {
        if (m_rule == DuplicateRule::Skip) {
            m_summary->duplicatesSkipped += earlier == 0 ? 1 : 0;
            return true;
        }
        if (m_rule == DuplicateRule::Replace) {
            for (const qint64 rowid : m_rowids) {
                if (!bindFood(m_update, name, food) || sqlite3_bind_int64(m_update, 11, rowid) != SQLITE_OK
                    || sqlite3_step(m_update) != SQLITE_DONE) {
                    return fail(error);
                }
            }
            sqlite3_reset(m_update);
            m_summary->duplicatesReplaced += earlier == 0 ? 1 : 0;
            return true;
        }
        m_summary->duplicatesKept += earlier == 0 ? 1 : 0;
    }
    if (!bindFood(m_insert, name, food) || sqlite3_step(m_insert) != SQLITE_DONE) {
        return fail(error);
    }
    sqlite3_reset(m_insert);
    const qint64 rowid = sqlite3_last_insert_rowid(m_foods.sqliteHandle());
    // Rows go in at the end, so their rowids rise; should one not, it is put in its place.
    const std::pair<qint64, qint64> entry { rowid, food.location };
    if (m_inserted.empty() || m_inserted.back().first < rowid) {
        m_inserted.push_back(entry);
    } else {
        m_inserted.insert(std::lower_bound(m_inserted.begin(), m_inserted.end(), entry), entry);
    }
    ++m_summary->foodsAdded;
    return true;
}

#include "core/imports/FoodImportWriter.h"

#include "core/storage/FoodImportSession.h"
#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <QLocale>

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

} // namespace

FoodImportWriter::FoodImportWriter(DuplicateRule rule, const ImportProgressCallback& progress,
    const ImportProblemCallback& problems, ImportSummary* summary)
    : m_rule(rule)
    , m_progressCallback(progress)
    , m_problems(problems)
    , m_summary(summary)
{ }

FoodImportWriter::~FoodImportWriter()
{
    rollback();
}

bool FoodImportWriter::begin(const QString& databasePath, QString* error)
{
    m_store = FoodStoreOpener::open(databasePath, error);
    if (m_store) {
        m_session = m_store->beginImport(error);
    }
    if (!m_session) {
        m_store.reset();
        return false;
    }
    return true;
}

void FoodImportWriter::rollback()
{
    if (m_session) {
        m_session->rollback();
        m_session.reset();
    }
    m_store.reset();
}

bool FoodImportWriter::commit(QString* error)
{
    if (!m_session) {
        if (error) {
            *error = tr("the food table is not open");
        }
        return false;
    }
    const bool committed
        = m_session->commit(QStringList(m_changedIngredients.begin(), m_changedIngredients.end()), error);
    m_session.reset();
    m_store.reset();
    return committed;
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

qint64 FoodImportWriter::earlierLocation(qint64 firstRow) const
{
    const auto inserted = std::lower_bound(m_inserted.begin(), m_inserted.end(), std::make_pair(firstRow, qint64(0)),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    if (inserted != m_inserted.end() && inserted->first == firstRow) {
        return inserted->second;
    }
    return m_metInTable.value(firstRow, 0);
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
    if (m_session->recipeNames().contains(name)) {
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
    // Only Replace writes to every row of the name; the others need to know of the first alone,
    // which keeps a name the source repeats a million times from being read back a million times.
    const qint64 most = m_rule == DuplicateRule::Replace ? FoodImportSession::AllRows : 1;
    if (!m_session->findRows(name, most, &m_rowids, error)) {
        return false;
    }
    if (m_session->ingredientFoods().contains(name) && !(m_rule == DuplicateRule::Skip && !m_rowids.empty())) {
        m_changedIngredients.insert(name);
    }
    // A name this import met before is repeated within the source, not one the table had.
    const qint64 earlier = m_rowids.empty() ? 0 : earlierLocation(m_rowids.front());
    if (earlier != 0) {
        ++m_summary->repeatedInSource;
        const QString where = food.isFdcId ? QStringLiteral("fdc_id %1").arg(earlier) : tr("line %1").arg(earlier);
        report(food.location, food.isFdcId, name,
            m_rule == DuplicateRule::Skip ? tr("the name came earlier in the file (%1); skipped").arg(where)
                : m_rule == DuplicateRule::Replace
                ? tr("the name came earlier in the file (%1); it replaced that one").arg(where)
                : tr("the name came earlier in the file (%1); both kept").arg(where),
            ImportProblem::Repeated);
    } else if (!m_rowids.empty()) {
        m_metInTable.insert(m_rowids.front(), food.location);
    }
    if (!m_rowids.empty()) {
        if (m_rule == DuplicateRule::Skip) {
            m_summary->duplicatesSkipped += earlier == 0 ? 1 : 0;
            return true;
        }
        if (m_rule == DuplicateRule::Replace) {
            for (const qint64 rowid : m_rowids) {
                if (!m_session->replaceFood(rowid, name, food.serving, food.nutrients, error)
                    || !m_session->writeNutrients(rowid, food.more, error)) {
                    return false;
                }
            }
            countNutrients(food.more);
            m_summary->duplicatesReplaced += earlier == 0 ? 1 : 0;
            return true;
        }
        m_summary->duplicatesKept += earlier == 0 ? 1 : 0;
    }
    qint64 rowid = 0;
    if (!m_session->insertFood(name, food.serving, food.nutrients, &rowid, error)
        || !m_session->writeNutrients(rowid, food.more, error)) {
        return false;
    }
    countNutrients(food.more);
    // Rows go in at the end, so their identities mostly rise; one that does not is put in its place.
    const std::pair<qint64, qint64> entry { rowid, food.location };
    if (m_inserted.empty() || m_inserted.back().first < rowid) {
        m_inserted.push_back(entry);
    } else {
        m_inserted.insert(std::lower_bound(m_inserted.begin(), m_inserted.end(), entry), entry);
    }
    ++m_summary->foodsAdded;
    return true;
}

bool FoodImportWriter::prepareNutrients(
    const std::vector<Nutrient>& columns, std::vector<double>* factors, QStringList* unusable, QString* error)
{
    factors->assign(columns.size(), 0.0);
    if (!m_session) {
        return true;
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Nutrient& column = columns[c];
        const Nutrient* known = m_session->nutrientCatalogue().find(column.number);
        if (!known) {
            if (!m_session->addNutrient(column, error)) {
                return false;
            }
            known = m_session->nutrientCatalogue().find(column.number);
        }
        if (!known || !NutrientCatalogue::conversionFactor(column.unit, known->unit, &(*factors)[c])) {
            (*factors)[c] = 0;
            unusable->append(NutrientCatalogue::columnHeader(column));
        }
    }
    return true;
}

void FoodImportWriter::countNutrients(const FoodNutrients& nutrients)
{
    m_summary->nutrientValues += nutrients.values.size();
    m_summary->foodsWithNutrients += nutrients.values.isEmpty() ? 0 : 1;
}

void FoodImportWriter::leftOut(const QStringList& nutrients)
{
    for (const QString& nutrient : nutrients) {
        if (!m_summary->nutrientsLeftOut.contains(nutrient)) {
            m_summary->nutrientsLeftOut.append(nutrient);
        }
    }
}

#include "IndexedFoodLookup.h"

#include "fooddb/FoodDatabase.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

// Names per batch query; well below SQLite's smallest limit on parameters (999).
constexpr int kBatchSize = 400;

const QString kNutrientList = QStringLiteral("CALORIES, CARBS, FAT, SUGAR, CHOLESTERO, POINTS, FIBER, SUGAR_ALC");

} // namespace

IndexedFoodLookup::IndexedFoodLookup(const FoodDatabase& foods)
    : m_foods(foods)
{ }

IndexedFoodLookup::~IndexedFoodLookup()
{
    m_query = QSqlQuery();
    m_batchQuery = QSqlQuery();
    if (m_reading && m_foods.isOpen()) {
        m_foods.connection().rollback();
    }
}

bool IndexedFoodLookup::fail(const QSqlQuery& query, QString* error) const
{
    if (error) {
        *error = QStringLiteral("%1: %2").arg(m_foods.path(), query.lastError().text());
    }
    return false;
}

bool IndexedFoodLookup::beginReading(QString* error)
{
    if (m_started) {
        return true;
    }
    if (!m_foods.isOpen()) {
        if (error) {
            *error = QStringLiteral("The food table is not open.");
        }
        return false;
    }
    // A table already inside someone else's transaction is simply read without our own.
    m_reading = m_foods.connection().transaction();
    m_query = QSqlQuery(m_foods.connection());
    m_query.setForwardOnly(true);
    if (!m_query.prepare(QStringLiteral("SELECT %1 FROM foods WHERE FOOD = ? ORDER BY rowid").arg(kNutrientList))) {
        return fail(m_query, error);
    }
    QStringList marks;
    for (int i = 0; i < kBatchSize; ++i) {
        marks.append(QStringLiteral("?"));
    }
    m_batchQuery = QSqlQuery(m_foods.connection());
    m_batchQuery.setForwardOnly(true);
    if (!m_batchQuery.prepare(QStringLiteral("SELECT FOOD, %1 FROM foods WHERE FOOD IN (%2) ORDER BY rowid")
                                  .arg(kNutrientList, marks.join(QLatin1Char(','))))) {
        return fail(m_batchQuery, error);
    }
    m_started = true;
    return true;
}

const std::vector<FoodLookup::Nutrients>* IndexedFoodLookup::rowsNamed(const QString& name, QString* error)
{
    auto found = m_cache.find(name);
    if (found != m_cache.end()) {
        return &found.value();
    }
    if (!beginReading(error)) {
        return nullptr;
    }
    std::vector<Nutrients> rows;
    // The empty name also matches names stored as NULL; the food table knows how to ask for that.
    if (name.isEmpty()) {
        if (!m_foods.nutrientsOf(name, &rows, error)) {
            return nullptr;
        }
        return &m_cache.insert(name, std::move(rows)).value();
    }
    m_query.bindValue(0, name);
    if (!m_query.exec()) {
        fail(m_query, error);
        return nullptr;
    }
    while (m_query.next()) {
        Nutrients values {};
        for (std::size_t n = 0; n < values.size(); ++n) {
            values[n] = FoodDatabase::nutrientValue(m_query.value(static_cast<int>(n)));
        }
        rows.push_back(values);
    }
    if (m_query.lastError().isValid()) {
        fail(m_query, error);
        return nullptr;
    }
    m_query.finish();
    return &m_cache.insert(name, std::move(rows)).value();
}

bool IndexedFoodLookup::prefetch(const QStringList& names, QString* error)
{
    QStringList wanted;
    QSet<QString> seen;
    for (const QString& name : names) {
        if (!name.isEmpty() && !m_cache.contains(name) && !seen.contains(name)) {
            seen.insert(name);
            wanted.append(name);
        }
    }
    if (wanted.isEmpty()) {
        return true;
    }
    if (!beginReading(error)) {
        return false;
    }
    for (qsizetype start = 0; start < wanted.size(); start += kBatchSize) {
        const QStringList batch = wanted.mid(start, kBatchSize);
        // Names that match nothing are known too: they add nothing.
        for (const QString& name : batch) {
            m_cache.insert(name, {});
        }
        // A short batch is filled up with NULL, which matches no name.
        for (int i = 0; i < kBatchSize; ++i) {
            m_batchQuery.bindValue(
                i, i < batch.size() ? QVariant(batch.at(i)) : QVariant(QMetaType(QMetaType::QString)));
        }
        if (!m_batchQuery.exec()) {
            return fail(m_batchQuery, error);
        }
        // Rows arrive in table order, so each name's rows keep that order.
        while (m_batchQuery.next()) {
            auto target = m_cache.find(FoodDatabase::cellText(m_batchQuery.value(0)));
            if (target == m_cache.end()) {
                continue;
            }
            Nutrients values {};
            for (std::size_t n = 0; n < values.size(); ++n) {
                values[n] = FoodDatabase::nutrientValue(m_batchQuery.value(static_cast<int>(n) + 1));
            }
            target.value().push_back(values);
        }
        if (m_batchQuery.lastError().isValid()) {
            return fail(m_batchQuery, error);
        }
        m_batchQuery.finish();
    }
    return true;
}

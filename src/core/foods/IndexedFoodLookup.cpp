#include "core/foods/IndexedFoodLookup.h"

#include "core/foods/FoodDatabase.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

// Names per batch query; well below SQLite's smallest limit on parameters (999).
constexpr int kBatchSize = 400;
// The most names the cache keeps: a plan names a few hundred foods, while a hostile file of
// millions of distinct names must not keep them all.
constexpr qsizetype kMaxCachedNames = 20000;

QString nutrientList()
{
    return FoodDatabase::nutrientFieldNames().join(QStringLiteral(", "));
}

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
            *error = tr("The food table is not open.");
        }
        return false;
    }
    // A table already inside someone else's transaction is simply read without our own.
    m_reading = m_foods.connection().transaction();
    m_query = QSqlQuery(m_foods.connection());
    m_query.setForwardOnly(true);
    // Each name is asked for as the program writes it and as the Windows-1252 bytes an older tool
    // may have stored for it (bound as a blob, cast to text), so both rows count.
    if (!m_query.prepare(QStringLiteral("SELECT %1 FROM foods WHERE FOOD IN (?, CAST(? AS TEXT)) ORDER BY rowid")
                             .arg(nutrientList()))) {
        return fail(m_query, error);
    }
    QStringList marks;
    for (int i = 0; i < kBatchSize; ++i) {
        marks.append(QStringLiteral("CAST(? AS TEXT)"));
    }
    m_batchQuery = QSqlQuery(m_foods.connection());
    m_batchQuery.setForwardOnly(true);
    if (!m_batchQuery.prepare(
            QStringLiteral("SELECT CAST(FOOD AS BLOB), %1 FROM foods WHERE FOOD IN (%2) ORDER BY rowid")
                .arg(nutrientList(), marks.join(QLatin1Char(','))))) {
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
    const QByteArray legacy = FoodDatabase::windows1252Bytes(name);
    m_query.bindValue(1, legacy.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(legacy));
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
    // Emptied before the names of this batch go in, so that those stay known until the next batch.
    if (m_cache.size() + names.size() > kMaxCachedNames) {
        m_cache.clear();
    }
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
    for (const QString& name : wanted) {
        // Names that match nothing are known too: they add nothing.
        m_cache.insert(name, {});
    }
    // A name whose Windows-1252 bytes differ from its UTF-8 bytes takes two places, always in one
    // batch, so that its rows still arrive in table order.
    std::vector<std::vector<QVariant>> batches(1);
    for (const QString& name : wanted) {
        const QByteArray legacy = FoodDatabase::windows1252Bytes(name);
        const std::size_t places = legacy.isEmpty() ? 1 : 2;
        if (batches.back().size() + places > std::size_t(kBatchSize)) {
            batches.emplace_back();
        }
        batches.back().emplace_back(name);
        if (!legacy.isEmpty()) {
            batches.back().emplace_back(legacy);
        }
    }
    QString buffer;
    for (const std::vector<QVariant>& batch : batches) {
        // A short batch is filled up with NULL, which matches no name.
        for (std::size_t i = 0; i < std::size_t(kBatchSize); ++i) {
            m_batchQuery.bindValue(
                static_cast<int>(i), i < batch.size() ? batch[i] : QVariant(QMetaType(QMetaType::QString)));
        }
        if (!m_batchQuery.exec()) {
            return fail(m_batchQuery, error);
        }
        // Rows arrive in table order, so each name's rows keep that order.
        while (m_batchQuery.next()) {
            const QByteArray stored = m_batchQuery.value(0).toByteArray();
            auto target = m_cache.find(FoodDatabase::storedText(stored, &buffer).toString());
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

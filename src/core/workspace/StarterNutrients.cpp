#include "core/workspace/StarterNutrients.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/PlatewellFolder.h"
#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodValues.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/nutrients/NutrientTables.h"
#include "core/plans/TypedWeight.h"
#include "core/recipes/RecipeTables.h"
#include "core/sqlite/SqliteConnection.h"
#include "core/sqlite/SqliteStatement.h"
#include "core/sqlite/SqliteTransaction.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Marks a table whose starter foods were given their nutrients, so that a food the user later
// empties of them does not get them again.
const QString kMark = QStringLiteral("starter nutrients usda-sr24");

constexpr double kGramsPerOunce = 28.35;

// The starter's values have six significant digits; a serving of them has no more. An integer
// divided or multiplied by an exact power of ten is the double nearest the decimal it names.
double scaled(double per100g, double grams)
{
    const double value = per100g * grams / 100.0;
    if (value == 0 || !std::isfinite(value)) {
        return value;
    }
    const int shift = 5 - static_cast<int>(std::floor(std::log10(std::abs(value))));
    if (shift >= 0 && shift <= 22) {
        const double power = std::pow(10.0, shift);
        return std::round(value * power) / power;
    }
    if (shift < 0 && shift >= -22) {
        const double power = std::pow(10.0, -shift);
        return std::round(value / power) * power;
    }
    return value;
}

struct StarterTable
{
    QStringList numbers;
    // Per food in the starter's order, each nutrient of `numbers` per 100 g; NaN where unknown.
    std::vector<std::vector<double>> per100g;
    std::vector<QStringList> fields;
};

bool readStarter(StarterTable* starter, QString* reason)
{
    const auto foodSource = ByteSource::fromBytes(PlatewellFolder::starterFoodsCsv().toUtf8());
    CsvStreamReader foods(*foodSource);
    bool header = true;
    while (foods.readRecord()) {
        if (!header && foods.fieldCount() >= FoodFields::FieldCount) {
            starter->fields.push_back(foods.fieldTexts());
        }
        header = false;
    }
    const auto nutrientSource = ByteSource::fromBytes(PlatewellFolder::starterNutrientsCsv());
    CsvStreamReader nutrients(*nutrientSource);
    if (!nutrients.readRecord()) {
        *reason = StarterNutrients::tr("the starter foods' nutrients cannot be read");
        return false;
    }
    const QStringList headers = nutrients.fieldTexts();
    for (qsizetype c = 1; c < headers.size(); ++c) {
        Nutrient nutrient;
        starter->numbers.append(
            NutrientCatalogue::parseColumnHeader(headers[c], &nutrient) ? nutrient.number : QString());
    }
    while (nutrients.readRecord()) {
        std::vector<double> values(std::size_t(starter->numbers.size()), std::numeric_limits<double>::quiet_NaN());
        for (qsizetype c = 1; c < nutrients.fieldCount() && c <= starter->numbers.size(); ++c) {
            const QByteArrayView cell = nutrients.field(c);
            bool ok = false;
            const double value = cell.isEmpty() ? 0 : QByteArray(cell.data(), cell.size()).toDouble(&ok);
            if (ok && std::isfinite(value)) {
                values[std::size_t(c - 1)] = value;
            }
        }
        starter->per100g.push_back(std::move(values));
    }
    if (foods.failed() || nutrients.failed() || starter->per100g.size() != starter->fields.size()) {
        *reason = StarterNutrients::tr("the starter foods' nutrients do not match the starter foods");
        return false;
    }
    return true;
}

} // namespace

std::optional<double> StarterNutrients::servingGrams(QStringView servingUnit)
{
    static const QRegularExpression weighed(QStringLiteral("^(.*)\\(\\s*([0-9.]+)\\s*g\\)$"));
    static const QRegularExpression ounces(QStringLiteral("^([0-9.]+) oz\\b"));
    const QStringView unit = servingUnit.trimmed();
    double grams = 0;
    const QRegularExpressionMatch match = weighed.match(unit.toString());
    if (match.hasMatch()) {
        bool ok = false;
        grams = match.capturedView(2).toDouble(&ok);
        if (!ok || !(grams > 0)) {
            return std::nullopt;
        }
        // The grams shown for ounces are rounded to a tenth; the ten fields were scaled by the
        // ounces themselves.
        const QRegularExpressionMatch measure = ounces.match(match.capturedView(1).trimmed().toString());
        if (measure.hasMatch()) {
            const double exact = measure.capturedView(1).toDouble(&ok) * kGramsPerOunce;
            if (ok && std::abs(exact - grams) < 0.06) {
                grams = exact;
            }
        }
        return grams;
    }
    if (TypedWeight::grams(unit, &grams)) {
        return grams;
    }
    return std::nullopt;
}

bool StarterNutrients::addTo(const QString& path, int* added, QString* error)
{
    *added = 0;
    FoodDatabase table;
    if (!table.open(path, error)) {
        return false;
    }
    SqliteConnection& connection = table.connection();
    QString reason;
    {
        NutrientTables nutrients(connection);
        bool marked = false;
        if (!nutrients.isMarked(kMark, &marked, &reason)) {
            return table.fail(reason, error);
        }
        if (marked) {
            return true;
        }
    }
    StarterTable starter;
    if (!readStarter(&starter, &reason)) {
        return table.fail(reason, error);
    }
    SqliteTransaction transaction(connection);
    if (!transaction.beginWrite(&reason)) {
        return table.fail(reason, error);
    }
    NutrientTables nutrients(connection);
    QHash<QString, qint64> ids;
    if (!nutrients.create(&reason) || !nutrients.ids(&ids, &reason) || !nutrients.beginBulk(&reason)) {
        return table.fail(reason, error);
    }
    // The starter's columns in the order of the catalogue's ids, which is the order the values go
    // in.
    std::vector<std::pair<qint64, std::size_t>> columns;
    for (qsizetype n = 0; n < starter.numbers.size(); ++n) {
        if (ids.contains(starter.numbers[n])) {
            columns.emplace_back(ids.value(starter.numbers[n]), std::size_t(n));
        }
    }
    std::sort(columns.begin(), columns.end());
    // Some 400,000 values go in at once; a larger page cache keeps them from spilling to the file.
    connection.execute("PRAGMA cache_size = -32768");
    // The starter rows go into a table of the same affinities, so that SQLite compares each field
    // as it compares what it stored from the same text.
    QString create = FoodDatabase::createTableStatement();
    create.replace(QStringLiteral("CREATE TABLE foods"), QStringLiteral("CREATE TEMP TABLE starter_foods"));
    if (!connection.execute("DROP TABLE IF EXISTS temp.starter_foods")
        || !connection.execute(create.toUtf8().constData())) {
        return table.fail(connection.problem(), error);
    }
    std::vector<std::pair<qint64, std::size_t>> matches;
    {
        SqliteStatement insert(
            connection.handle(), "INSERT INTO temp.starter_foods VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (!insert.isPrepared()) {
            return table.fail(connection.problem(), error);
        }
        for (const QStringList& fields : starter.fields) {
            insert.restart();
            for (int f = 0; f < FoodFields::FieldCount; ++f) {
                insert.bindValue(f + 1, FoodValues::storedValueOf(FoodFields::Field(f), fields.value(f)));
            }
            if (!insert.execute()) {
                return table.fail(connection.problem(), error);
            }
        }
        QString sql
            = QStringLiteral("SELECT f.rowid, t.rowid FROM foods f JOIN temp.starter_foods t ON t.FOOD = f.FOOD");
        for (int f = 1; f < FoodFields::FieldCount; ++f) {
            sql += QStringLiteral(" AND t.%1 IS f.%1").arg(FoodFields::fieldNames().at(f));
        }
        // A food that keeps nutrients already keeps what was written for it.
        sql += QStringLiteral(" WHERE NOT EXISTS (SELECT 1 FROM food_servings s WHERE s.food = f.rowid AND s.name IS "
                              "f.FOOD) ORDER BY f.rowid");
        SqliteStatement match(connection.handle(), sql.toUtf8());
        if (!match.isPrepared()) {
            return table.fail(connection.problem(), error);
        }
        while (match.next()) {
            matches.emplace_back(match.int64(0), std::size_t(match.int64(1) - 1));
        }
        if (match.failed()) {
            return table.fail(connection.problem(), error);
        }
    }
    if (matches.empty()) {
        // A table without the starter foods is left exactly as it was: it is looked at again at
        // the next start, which costs a read.
        return true;
    }
    std::vector<std::pair<qint64, double>> values;
    for (const auto& [row, index] : matches) {
        if (index >= starter.fields.size()) {
            continue;
        }
        const std::optional<double> grams = servingGrams(starter.fields[index].value(FoodFields::SERVING_UN));
        const std::vector<double>& per100g = starter.per100g[index];
        values.clear();
        if (grams) {
            for (const auto& [id, column] : columns) {
                if (!std::isnan(per100g[column])) {
                    values.emplace_back(id, scaled(per100g[column], *grams));
                }
            }
        }
        if (!nutrients.replace(row, grams, values, &reason)) {
            return table.fail(reason, error);
        }
        ++*added;
    }
    if (!nutrients.endBulk(&reason)) {
        return table.fail(reason, error);
    }
    // Recipes made of starter foods were worked out while their ingredients kept no nutrients:
    // they are worked out again now, in the same transaction, for their nutrients alone.
    RecipeTables recipes(connection);
    bool recipesExist = false;
    if (!recipes.exist(&recipesExist, &reason)) {
        return table.fail(reason, error);
    }
    if (recipesExist) {
        QStringList names;
        names.reserve(qsizetype(matches.size()));
        for (const auto& match : matches) {
            if (match.second < starter.fields.size()) {
                names.append(starter.fields[match.second].value(FoodFields::FOOD));
            }
        }
        if (!recipes.recomputeUsing(names, &reason, RecipeTables::Recompute { false, RecipeNutrients::Scope() })) {
            return table.fail(reason, error);
        }
    }
    if (!connection.execute("DROP TABLE temp.starter_foods") || !nutrients.setMark(kMark, &reason)
        || !transaction.commit(&reason)) {
        *added = 0;
        return table.fail(reason.isEmpty() ? connection.problem() : reason, error);
    }
    return true;
}

#include "core/imports/OpenFoodFactsReader.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/imports/FoodImportWriter.h"
#include "core/imports/ImportedFood.h"
#include "core/text/FieldNumber.h"
#include "core/text/MessageText.h"

#include <array>

namespace {

enum Column {
    ProductName,
    Brands,
    ServingSize,
    ServingQuantity,
    ServingQuantityUnit,
    EnergyKcal,
    EnergyKj,
    Carbs,
    Fat,
    Sugars,
    Cholesterol,
    Fiber,
    Polyols,
    ColumnCount
};

const std::array<const char*, ColumnCount> kColumnNames { "product_name", "brands", "serving_size", "serving_quantity",
    "serving_quantity_unit", "energy-kcal_100g", "energy_100g", "carbohydrates_100g", "fat_100g", "sugars_100g",
    "cholesterol_100g", "fiber_100g", "polyols_100g" };

} // namespace

bool OpenFoodFactsReader::recognise(const QStringList& columns)
{
    return columns.contains(QStringLiteral("product_name"))
        && (columns.contains(QStringLiteral("energy-kcal_100g")) || columns.contains(QStringLiteral("energy_100g")));
}

bool OpenFoodFactsReader::read(ByteSource& source, FoodImportWriter& writer, QString* error)
{
    writer.setTotalBytes(source.total());
    CsvStreamReader reader(source, '\t', false);
    if (!reader.readRecord()) {
        *error = reader.failed() ? reader.errorString() : tr("the file is empty");
        return false;
    }
    std::array<qsizetype, ColumnCount> at;
    at.fill(-1);
    for (qsizetype c = 0; c < reader.fieldCount(); ++c) {
        for (std::size_t k = 0; k < ColumnCount; ++k) {
            if (at[k] < 0 && FieldNumber::trimmed(reader.field(c)) == kColumnNames[k]) {
                at[k] = c;
            }
        }
    }
    QString buffer;
    ImportedFood food;
    while (reader.readRecord()) {
        if (!writer.rowRead(source.position())) {
            return false;
        }
        if (reader.fieldCount() == 1 && reader.field(0).isEmpty()) {
            continue;
        }
        // Each field is decoded on its own: one byte of Windows-1252 in any of the dump's many
        // columns does not make a UTF-8 name read as Windows-1252.
        QStringList legacy;
        auto text = [&](Column column, bool kept = false) {
            const QByteArrayView bytes = FieldNumber::trimmed(reader.field(at[column]));
            const bool utf8 = bytes.isValidUtf8();
            if (!utf8 && kept) {
                legacy.append(QLatin1String(kColumnNames[column]));
            }
            return TextFile::decodeInto(bytes, utf8, &buffer).toString();
        };
        food.location = reader.lineNumber();
        food.name = text(ProductName, true).trimmed();
        if (food.name.isEmpty()) {
            writer.nameless();
            continue;
        }
        const QString brand = text(Brands).section(QLatin1Char(','), 0, 0).trimmed();
        if (!brand.isEmpty() && !food.name.contains(brand, Qt::CaseInsensitive)) {
            food.name += QStringLiteral(" (%1)").arg(brand);
            text(Brands, true);
        }

        QStringList unreadable;
        auto number = [&](Column column) -> std::optional<double> {
            double value = 0;
            const QByteArrayView field = FieldNumber::trimmed(reader.field(at[column]));
            if (field.isEmpty()) {
                return std::nullopt;
            }
            if (!FieldNumber::readDouble(field, &value)) {
                unreadable.append(QStringLiteral("%1 \"%2\"")
                                      .arg(QLatin1String(kColumnNames[column]), MessageText::quoted(text(column))));
                return std::nullopt;
            }
            return value;
        };
        ImportedFood::Per100g amounts;
        amounts.calories = number(EnergyKcal);
        if (!amounts.calories) {
            if (const auto kj = number(EnergyKj)) {
                amounts.calories = *kj / 4.184;
            }
        }
        amounts.carbs = number(Carbs);
        amounts.fat = number(Fat);
        amounts.sugar = number(Sugars);
        if (const auto grams = number(Cholesterol)) {
            amounts.cholesterol = *grams * 1000;
        }
        amounts.fiber = number(Fiber);
        amounts.sugarAlcohols = number(Polyols);

        food.notes.clear();
        double grams = 100;
        food.serving = QStringLiteral("100 g");
        // A quantity of 0 is how the dump leaves it unknown.
        const std::optional<double> quantity = number(ServingQuantity);
        if (quantity && *quantity != 0 && !ImportedFood::isServingWeight(*quantity)) {
            grams = food.useHundredGrams(QLatin1String(kColumnNames[ServingQuantity]), *quantity);
        } else if (quantity && *quantity != 0) {
            grams = *quantity;
            const QString unit = text(ServingQuantityUnit).compare(QLatin1String("ml"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("ml")
                : QStringLiteral("g");
            food.serving = ImportedFood::servingWithWeight(text(ServingSize, true), grams, unit);
        }
        food.setScaled(amounts, grams);
        if (!legacy.isEmpty()) {
            food.notes.append(tr("not UTF-8, so read as Windows-1252: %1").arg(legacy.join(QStringLiteral(", "))));
        }
        if (!unreadable.isEmpty()) {
            food.notes.append(tr("not a number, left empty: %1").arg(unreadable.join(QStringLiteral(", "))));
        }
        if (!writer.add(food, error)) {
            return false;
        }
    }
    if (reader.failed()) {
        *error = reader.errorString();
        return false;
    }
    return writer.reportProgress();
}

#include "core/imports/OpenFoodFactsReader.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/imports/FoodImportWriter.h"
#include "core/imports/ImportedFood.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/FieldNumber.h"
#include "core/text/MessageText.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

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

// The dump's columns per 100 g that a catalogue nutrient takes, with the nutrient as it joins a
// catalogue that lacks it. The dump writes every one of them in grams; the catalogue keeps most
// in mg or µg. Alcohol is left out: the dump gives it in % vol, which is no weight.
struct OffNutrient
{
    const char* column;
    const char* number;
    const char* name;
    const char* unit;
};

const OffNutrient kOffNutrients[] = { { "proteins_100g", "203", "Protein", "g" },
    { "fat_100g", "204", "Total fat", "g" }, { "carbohydrates_100g", "205", "Carbohydrate", "g" },
    { "sugars_100g", "269", "Sugars", "g" }, { "fiber_100g", "291", "Fiber", "g" },
    { "starch_100g", "209", "Starch", "g" }, { "water_100g", "255", "Water", "g" },
    { "sucrose_100g", "210", "Sucrose", "g" }, { "glucose_100g", "211", "Glucose", "g" },
    { "fructose_100g", "212", "Fructose", "g" }, { "lactose_100g", "213", "Lactose", "g" },
    { "maltose_100g", "214", "Maltose", "g" }, { "galactose_100g", "287", "Galactose", "g" },
    { "caffeine_100g", "262", "Caffeine", "mg" }, { "saturated-fat_100g", "606", "Saturated fat", "g" },
    { "monounsaturated-fat_100g", "645", "Monounsaturated fat", "g" },
    { "polyunsaturated-fat_100g", "646", "Polyunsaturated fat", "g" }, { "trans-fat_100g", "605", "Trans fat", "g" },
    { "cholesterol_100g", "601", "Cholesterol", "mg" }, { "calcium_100g", "301", "Calcium", "mg" },
    { "iron_100g", "303", "Iron", "mg" }, { "magnesium_100g", "304", "Magnesium", "mg" },
    { "phosphorus_100g", "305", "Phosphorus", "mg" }, { "potassium_100g", "306", "Potassium", "mg" },
    { "sodium_100g", "307", "Sodium", "mg" }, { "zinc_100g", "309", "Zinc", "mg" },
    { "copper_100g", "312", "Copper", "mg" }, { "manganese_100g", "315", "Manganese", "mg" },
    { "selenium_100g", "317", "Selenium", "µg" }, { "fluoride_100g", "313", "Fluoride", "µg" },
    { "iodine_100g", "314", "Iodine", "µg" }, { "vitamin-a_100g", "320", "Vitamin A, RAE", "µg" },
    { "vitamin-d_100g", "328", "Vitamin D (D2 + D3)", "µg" },
    { "vitamin-e_100g", "323", "Vitamin E (alpha-tocopherol)", "mg" }, { "vitamin-k_100g", "430", "Vitamin K", "µg" },
    { "vitamin-c_100g", "401", "Vitamin C", "mg" }, { "vitamin-b1_100g", "404", "Thiamin", "mg" },
    { "vitamin-b2_100g", "405", "Riboflavin", "mg" }, { "vitamin-pp_100g", "406", "Niacin", "mg" },
    { "pantothenic-acid_100g", "410", "Pantothenic acid", "mg" }, { "vitamin-b6_100g", "415", "Vitamin B6", "mg" },
    { "biotin_100g", "416", "Biotin", "µg" }, { "vitamin-b9_100g", "417", "Folate, total", "µg" },
    { "folates_100g", "417", "Folate, total", "µg" }, { "vitamin-b12_100g", "418", "Vitamin B12", "µg" },
    { "choline_100g", "421", "Choline", "mg" } };

// Salt is sodium times 2.5 on the labels the dump is made from.
constexpr double kSaltPerSodium = 2.5;

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
    // The columns a catalogue nutrient takes, in grams, and the energy that follows the calories.
    std::vector<qsizetype> nutrientAt;
    std::vector<const char*> nutrientColumns;
    std::vector<Nutrient> nutrients;
    qsizetype saltAt = -1;
    std::size_t sodium = SIZE_MAX;
    for (const OffNutrient& known : kOffNutrients) {
        for (qsizetype c = 0; c < reader.fieldCount(); ++c) {
            if (FieldNumber::trimmed(reader.field(c)) == known.column) {
                Nutrient nutrient;
                nutrient.number = QLatin1String(known.number);
                nutrient.name = QLatin1String(known.name);
                nutrient.unit = QString::fromUtf8(known.unit);
                nutrient.group = NutrientCatalogue::groupOf(nutrient.number);
                // The catalogue's nutrient takes its unit; the dump's amount is in grams.
                nutrients.push_back(nutrient);
                nutrientAt.push_back(c);
                nutrientColumns.push_back(known.column);
                sodium = nutrient.number == u"307" ? nutrients.size() - 1 : sodium;
                break;
            }
        }
    }
    for (qsizetype c = 0; c < reader.fieldCount(); ++c) {
        if (FieldNumber::trimmed(reader.field(c)) == "salt_100g") {
            saltAt = c;
        }
    }
    if (saltAt >= 0 && sodium == SIZE_MAX) {
        nutrients.push_back({ QStringLiteral("307"), QStringLiteral("Sodium"), QStringLiteral("mg"),
            NutrientCatalogue::groupOf(u"307"), 0 });
        nutrientAt.push_back(-1);
        nutrientColumns.push_back("salt_100g");
        sodium = nutrients.size() - 1;
    }
    nutrients.push_back({ QStringLiteral("208"), QStringLiteral("Energy"), QStringLiteral("kcal"),
        NutrientCatalogue::groupOf(u"208"), 0 });
    std::vector<double> factors;
    QStringList unusable;
    if (!writer.prepareNutrients(nutrients, &factors, &unusable, error)) {
        return false;
    }
    // Each is prepared in its catalogue unit; the amounts come in grams (the energy in kcal).
    std::vector<double> gramFactors(nutrients.size(), 0.0);
    for (std::size_t n = 0; n + 1 < nutrients.size(); ++n) {
        double toUnit = 0;
        if (factors[n] != 0 && NutrientCatalogue::conversionFactor(u"g", nutrients[n].unit, &toUnit)) {
            gramFactors[n] = toUnit * factors[n];
        } else {
            unusable.append(NutrientCatalogue::columnHeader(nutrients[n]));
        }
    }
    gramFactors.back() = factors.back();
    unusable.removeDuplicates();
    writer.leftOut(unusable);

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
        food.more = FoodNutrients();
        // Kept per 100 g until the serving is known.
        for (std::size_t n = 0; n < nutrientAt.size(); ++n) {
            const qsizetype c = nutrientAt[n];
            double value = 0;
            const QByteArrayView field = c >= 0 ? FieldNumber::trimmed(reader.field(c)) : QByteArrayView();
            if (field.isEmpty() || gramFactors[n] == 0) {
                continue;
            }
            if (!FieldNumber::readDouble(field, &value) || !std::isfinite(value)) {
                unreadable.append(
                    QStringLiteral("%1 \"%2\"")
                        .arg(QLatin1String(nutrientColumns[n]),
                            MessageText::quoted(TextFile::decodeInto(field, field.isValidUtf8(), &buffer).toString())));
                continue;
            }
            food.more.values.insert(nutrients[n].number, value * gramFactors[n]);
        }
        if (saltAt >= 0 && gramFactors[sodium] != 0 && !food.more.values.contains(nutrients[sodium].number)) {
            double salt = 0;
            const QByteArrayView field = FieldNumber::trimmed(reader.field(saltAt));
            if (FieldNumber::readDouble(field, &salt) && std::isfinite(salt)) {
                food.more.values.insert(nutrients[sodium].number, salt / kSaltPerSodium * gramFactors[sodium]);
            } else if (!field.isEmpty()) {
                unreadable.append(QStringLiteral("salt_100g \"%1\"")
                                      .arg(MessageText::quoted(
                                          TextFile::decodeInto(field, field.isValidUtf8(), &buffer).toString())));
            }
        }
        if (amounts.calories && gramFactors.back() != 0) {
            food.more.values.insert(nutrients.back().number, *amounts.calories * gramFactors.back());
        }
        double grams = 100;
        bool millilitres = false;
        food.serving = QStringLiteral("100 g");
        // A quantity of 0 is how the dump leaves it unknown.
        const std::optional<double> quantity = number(ServingQuantity);
        if (quantity && *quantity != 0 && !ImportedFood::isServingWeight(*quantity)) {
            grams = food.useHundredGrams(QLatin1String(kColumnNames[ServingQuantity]), *quantity);
        } else if (quantity && *quantity != 0) {
            grams = *quantity;
            millilitres = text(ServingQuantityUnit).compare(QLatin1String("ml"), Qt::CaseInsensitive) == 0;
            const QString unit = millilitres ? QStringLiteral("ml") : QStringLiteral("g");
            food.serving = ImportedFood::servingWithWeight(text(ServingSize, true), grams, unit);
        }
        food.setScaled(amounts, grams);
        if (!millilitres) {
            food.more.servingGrams = grams;
        }
        // An amount too large for a double once converted stays unknown; the ten fields note it.
        for (auto it = food.more.values.begin(); it != food.more.values.end();) {
            *it *= grams / 100.0;
            it = std::isfinite(*it) ? std::next(it) : food.more.values.erase(it);
        }
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

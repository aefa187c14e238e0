#pragma once

#include "core/foods/FoodDatabase.h"
#include "core/nutrients/Nutrient.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

#include <vector>

class NutrientCatalogue;

// The unit a column's amounts are written in. None for a column that offers no choice: the name,
// the serving unit, the points and the serving's weight. International units are only ever a
// catalogue nutrient's own.
enum class NutrientUnit { None, Kcal, Kilojoule, Gram, Milligram, Microgram, InternationalUnit };

// How one column of a CSV file is read: the field it goes to (a FoodDatabase::Field,
// ColumnMapping::ServingGrams, ColumnMapping::CatalogueNutrient or ColumnMapping::NoField), the
// unit its amounts are in, and whether they are for 100 g of the food rather than for its serving.
struct ImportColumn
{
    int field = -1;
    NutrientUnit unit = NutrientUnit::None;
    bool per100g = false;
    // For CatalogueNutrient, the nutrient as the catalogue keeps it (its number, name and own
    // unit), or as a column heading "<number> <name> (<unit>)" names one the catalogue lacks.
    Nutrient nutrient {};

    bool operator==(const ImportColumn& other) const = default;
};

// Which column of a CSV file goes to which food field, in which unit, per serving or per 100 g:
// proposed from the header's names, checked, and set from the command line's --columns.
class ColumnMapping
{
    Q_DECLARE_TR_FUNCTIONS(ColumnMapping)

public:
    static constexpr int NoField = -1;
    // No field of the food table: the serving's weight in grams (or millilitres), which amounts
    // given per 100 g are scaled to.
    static constexpr int ServingGrams = FoodDatabase::FieldCount;
    // The fields a column can go to: the food table's and ServingGrams.
    static constexpr int ChoiceCount = FoodDatabase::FieldCount + 1;
    // A nutrient of the catalogue, which ImportColumn::nutrient names; it is kept per serving
    // beside the food's row, as Export writes it in a column of its own.
    static constexpr int CatalogueNutrient = ChoiceCount;

    static bool isNutrient(int field) { return field >= FoodDatabase::CALORIES && field < FoodDatabase::FieldCount; }
    // Whether the column holds amounts: one of the nine nutrients or a catalogue nutrient.
    static bool hasAmounts(const ImportColumn& column)
    {
        return isNutrient(column.field) || column.field == CatalogueNutrient;
    }
    // Whether two columns go to the same place, so that only one of them may.
    static bool sameTarget(const ImportColumn& a, const ImportColumn& b);
    // The units a field's amounts may be written in, its own (the food table's) first; {None}
    // for a field that has no unit.
    static QList<NutrientUnit> units(int field);
    // The same for any column: a catalogue nutrient's are those its own unit can be had from.
    static QList<NutrientUnit> units(const ImportColumn& column);
    static QString unitName(NutrientUnit unit);
    // What an amount in `unit` is multiplied by to be in the food table's unit of `field`.
    static double factor(int field, NutrientUnit unit);
    // The field with its own unit, per serving.
    static ImportColumn column(int field);
    static ImportColumn column(const Nutrient& nutrient);
    // "CALORIES", ..., "SERVING_G"; and the caption shown for it ("Calories", "Serving weight (g)").
    static QString fieldName(int field);
    static QString fieldCaption(int field);
    // A catalogue nutrient as the mapping shows it, with its own unit: "Sodium (mg)".
    static QString nutrientCaption(const Nutrient& nutrient);
    // The caption of where a column goes: its field's, or its nutrient's.
    static QString caption(const ImportColumn& column);

    // The field, unit and per-100-g choice each header name proposes. A header is matched by its
    // words, whatever their case, blanks and punctuation: "Total Fat (g)", "total_fat", a name
    // followed by a code ("Total Fat; fatce"); a unit in brackets or written onto the name
    // ("Energy (kJ)", "energy_kj", "cholesterol mg") is its unit, and "_100g" or "per 100 g"
    // marks amounts per 100 g. A field takes the first column that matches it, except that a
    // column in kcal takes the calories before one in kJ wherever it stands.
    static std::vector<ImportColumn> propose(const QStringList& headers);
    // The same, and then the catalogue's nutrients: a header written as Export heads a nutrient,
    // "<number> <name> (<unit>)", proposes that nutrient in that unit (one the catalogue lacks
    // too, which the import adds); a header that is a catalogue nutrient's name, matched by its
    // words as above, or the part of the name before a comma when no other nutrient shares it
    // ("Sodium" for "Sodium, Na"), proposes it. Such a proposal never takes a column the ten
    // fields' proposals take, nor one in a unit the nutrient cannot be had from, and each
    // nutrient takes the first column that proposes it.
    static std::vector<ImportColumn> propose(const QStringList& headers, const NutrientCatalogue& catalogue);

    // Whether `mapping` has one entry per header, units its fields take (for a catalogue nutrient,
    // one its own unit can be converted from), per 100 g only for nutrients and no field or
    // nutrient twice; if not, `error` says why.
    static bool check(const std::vector<ImportColumn>& mapping, const QStringList& headers, QString* error);

    // Applies the command line's --columns, "HEADER=FIELD[:UNIT][:per100g],...", to `mapping`. A
    // header is named as the file writes it, or as #N for the Nth column; "\" before a ",", "=",
    // ":" or "\" takes it literally. FIELD is a field's name or caption ("CALORIES", "Calories"),
    // SERVING_G for the serving's weight, or "none"; UNIT is kcal, kJ, g, mg or µg (ug, mcg).
    // A field given to a column is taken from any other column the header proposed it for.
    static bool applyOption(
        const QString& option, const QStringList& headers, std::vector<ImportColumn>* mapping, QString* error);
    // The same, where FIELD may also be a nutrient of `catalogue`, by its number ("307") or its
    // name in any case ("sodium"), the ten fields' names and captions coming first; its UNIT is
    // one its own unit can be had from (IU only for its own).
    static bool applyOption(const QString& option, const QStringList& headers, const NutrientCatalogue& catalogue,
        std::vector<ImportColumn>* mapping, QString* error);
};

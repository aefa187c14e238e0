#pragma once

#include <QCoreApplication>
#include <QStringList>

class ByteSource;
class FoodImportWriter;

// Reads the Open Food Facts product dump (en.openfoodfacts.org.products.csv, tab-separated, one
// product per line) into foods. The dump does not quote its fields by RFC 4180 (a quote is just a
// character in a product name), so each line is split at its tabs and nothing else.
//
// A food is named "product_name (first brand)", the brand left out when the name already has
// it. Its serving is serving_quantity grams (or millilitres when serving_quantity_unit says so),
// written as serving_size with the amount added when serving_size lacks it, e.g. "1 cup (240 g)";
// without a serving quantity it is "100 g". Nutrients come from the _100g columns: calories from
// energy-kcal_100g, else energy_100g (kJ) / 4.184; cholesterol_100g is in grams and becomes mg;
// polyols_100g fills the sugar alcohols. Products without a name are skipped and counted. Each
// field is decoded on its own, as UTF-8 when its bytes are valid UTF-8, else as Windows-1252, so
// that one such byte in any of the dump's columns leaves the others as they are; a name, brand or
// serving so read is told in the product's report.
class OpenFoodFactsReader
{
    Q_DECLARE_TR_FUNCTIONS(OpenFoodFactsReader)

public:
    // Whether a header line's columns are those of the dump.
    static bool recognise(const QStringList& columns);
    // Reads every product of the source after its header line.
    static bool read(ByteSource& source, FoodImportWriter& writer, QString* error);
};

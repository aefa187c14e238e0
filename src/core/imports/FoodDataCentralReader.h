#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>

class ByteSource;
class CsvStreamReader;
class FoodImportWriter;
class ZipArchive;

// Reads a USDA FoodData Central CSV download (Foundation, SR Legacy, Branded or Survey), as its
// zip archive or its unpacked folder, into foods: names from food.csv (with the brand from
// branded_food.csv), nutrients from food_nutrient.csv by nutrient id with their fallbacks, in
// the units nutrient.csv gives, scaled from 100 g to the serving: the label serving of a branded
// food, else the first household portion in food_portion.csv (units from measure_unit.csv),
// else 100 g. Columns are found by their header names. Each text field is decoded on its own, as
// UTF-8 when its bytes are valid UTF-8, else as Windows-1252; a name, brand or serving so read is
// told in the food's report. Every other nutrient nutrient.csv numbers (nutrient_nbr) is brought
// by that number, scaled as the eight are and converted to the unit the table's catalogue keeps
// it in; one the catalogue lacks joins it, and one whose unit cannot be converted (IU where the
// catalogue keeps µg) is left out and named once in the summary.
//
// The files are streamed. What is kept per food is a few numbers and its serving and brand texts,
// and per value of another nutrient six bytes (a float and its nutrient) in blocks;
// food.csv is read twice (once to number the foods, once to write them) so that the names are
// never all held at once. The foods go in in food.csv's order.
class FoodDataCentralReader
{
    Q_DECLARE_TR_FUNCTIONS(FoodDataCentralReader)

public:
    explicit FoodDataCentralReader(const QString& path);
    ~FoodDataCentralReader();
    FoodDataCentralReader(const FoodDataCentralReader&) = delete;
    FoodDataCentralReader& operator=(const FoodDataCentralReader&) = delete;

    // Whether the folder or zip archive at the path holds food.csv and food_nutrient.csv (in a
    // zip, in any one folder of it). A damaged zip archive gives its reason in `error`.
    bool locate(bool zip, QString* error);
    bool read(FoodImportWriter& writer, QString* error);

    // The nutrient slots and the nutrient ids that fill them, the best first.
    enum Slot { Energy, Carbs, Fat, Sugar, Cholesterol, Fiber, SugarAlcohols, SlotCount };
    // The slot of a nutrient id and its rank among the slot's ids (0 best); -1 when unused.
    static int slotOf(qint64 nutrientId, int* rank);

private:
    struct Data;
    struct File;
    bool exists(const QString& name) const;
    qint64 sizeOf(const QString& name) const;
    std::unique_ptr<ByteSource> open(const QString& name, QString* error) const;

    // Reads one file's header and hands each of its records to the file's pass.
    bool readFile(const File& file, Data& data, FoodImportWriter& writer, QString* error);
    // Reads a file's header; false when the file lacks one of `required`.
    bool readHeader(CsvStreamReader& reader, const QString& name, const QStringList& wanted, int required,
        std::vector<int>* columns, QString* error) const;

    QString m_path;
    std::unique_ptr<ZipArchive> m_zip;
    // The folder of the zip archive that holds the files, with its trailing "/".
    QString m_prefix;
    qint64 m_doneBytes = 0;
};

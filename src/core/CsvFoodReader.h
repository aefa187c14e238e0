#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QStringView>

#include <vector>

class ByteSource;
class FoodImportWriter;

// Reads any CSV or tab-separated file with a header into foods, each column going to the field
// the mapping gives it (FoodDatabase::Field, or FoodImport::NoField). Each row is decoded as
// UTF-8 when its bytes are valid UTF-8, else as Windows-1252, so that a file written by an older
// tool reads right. Nutrients are kept as written, as the food editor keeps a typed value, when
// they begin with a number as the program reads numbers ("12.5", " 3 g"); a value with no
// leading number refuses its row. A file whose header is the food table's ten field names in
// order (what Export and the starter file write) is the table itself: each nutrient is kept
// exactly, a text such as "n/a" too, so that it reads back to the same table. In a
// semicolon-separated file a decimal comma ("1,5") is read as a decimal point, as the tools that
// write such files mean it. A blank record is refused as a row without a name, unless only blank
// lines follow it.
class CsvFoodReader
{
    Q_DECLARE_TR_FUNCTIONS(CsvFoodReader)

public:
    static std::vector<int> proposeMapping(const QStringList& columns);
    // Whether the lenient number reading finds a number at the start of `text`.
    static bool hasLeadingNumber(QStringView text);
    static bool read(
        ByteSource& source, char delimiter, const std::vector<int>& mapping, FoodImportWriter& writer, QString* error);
};

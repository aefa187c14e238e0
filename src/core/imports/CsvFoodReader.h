#pragma once

#include "core/imports/ColumnMapping.h"
#include "core/text/WrittenNumber.h"

#include <QCoreApplication>
#include <QStringList>
#include <QStringView>

#include <vector>

class ByteSource;
class FoodImportWriter;

// Reads any CSV or tab-separated file with a header into foods, each column read as the mapping
// gives it. Each field is decoded on its own, as UTF-8 when its bytes are valid UTF-8, else as
// Windows-1252 (which the row's report then tells), so that a file written by an older tool
// reads right. Numbers are read in the file's one style ("1,234.5" or "1.234,5"); a nutrient
// kept in its column's own unit per serving is kept as written when the program reads it as the
// same number ("12.5", " 3 g"), else as the number; one in another unit or per 100 g is converted
// to the table's unit and scaled to the serving's weight. A value that reads as no number refuses
// its row; "n/a", "-" or "tr" leaves the value empty, with a note. Amounts per 100 g are scaled
// to the serving's weight when a SERVING_G column or the serving unit ("1 cup (240 g)") gives
// it; otherwise the serving becomes "100 g", unless other amounts of the row are per serving,
// which refuses the row. A file whose header is the food table's ten field names in order (what
// Export and the starter file write) is the table itself: each nutrient read as written is kept
// exactly, a text such as "n/a" too, so that it reads back to the same table. A blank record is
// refused as a row without a name, unless only blank lines follow it.
class CsvFoodReader
{
    Q_DECLARE_TR_FUNCTIONS(CsvFoodReader)

public:
    // Whether the lenient number reading finds a number at the start of `text`.
    static bool hasLeadingNumber(QStringView text);
    static bool read(ByteSource& source, char delimiter, NumberStyle style, const std::vector<ImportColumn>& mapping,
        FoodImportWriter& writer, QString* error);
};

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
// its row; "n/a", "-" or "tr" leaves the value empty, with a note, in a SERVING_G column too.
// Amounts per 100 g are scaled to the serving's weight when a SERVING_G column or the serving unit
// ("1 cup (240 g)") gives it; otherwise the serving becomes "100 g", unless other amounts of the
// row are per serving, which refuses the row. A file whose header is the food table's ten field
// names in order (what Export and the starter file write) is the table itself: a nutrient that
// reads as no number at all ("n/a") is kept exactly, and one the program reads as the number the
// file's style reads is kept exactly as written, so that it reads back to the same table; any
// other number is read as in any file ("1,234" as 1234). A column the mapping gives to a nutrient
// of the catalogue (as it proposes for one headed "307 Sodium (mg)") gives that nutrient,
// converted to the unit the table keeps it in and scaled as the nine are when per 100 g (a
// nutrient the table lacks joins its catalogue); an empty cell or "n/a" leaves it unknown, and a
// column mapped to none is not read whatever its heading. Export's own layout (the ten fields, SERVING_G, such
// columns) is the table itself: its serving stands as written, with SERVING_G as its grams. A
// blank record is refused as a row without a name, unless only blank lines follow it.
class CsvFoodReader
{
    Q_DECLARE_TR_FUNCTIONS(CsvFoodReader)

public:
    // Whether the lenient number reading finds a number at the start of `text`.
    static bool hasLeadingNumber(QStringView text);
    // The style the numbers among `rows` (the file's first rows) are written in, judged by the
    // columns the mapping reads as numbers only: a column not imported, such as notes or codes
    // with "1,5" in them, has no say.
    static NumberStyle guessStyle(
        const QList<QStringList>& rows, const std::vector<ImportColumn>& mapping, char delimiter);
    static bool read(ByteSource& source, char delimiter, NumberStyle style, const std::vector<ImportColumn>& mapping,
        FoodImportWriter& writer, QString* error);
};

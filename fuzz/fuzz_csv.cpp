// The CSV reader on any bytes, with and without quoting: no crash, no hang, the reader always
// makes progress, and every byte of the input is accounted for once it has read to the end. The
// first record, as a header, then has its columns proposed to the ten fields and the starter
// catalogue's nutrients, and a --columns made of the second line applied: whatever the mapping
// comes to passes its own check, so that no proposal or option can make the import refuse it.

#include "FuzzSupport.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/imports/ColumnMapping.h"
#include "core/nutrients/NutrientCatalogue.h"

namespace {

void readAll(const QByteArray& bytes, bool quoting)
{
    auto source = ByteSource::fromBytes(bytes);
    CsvStreamReader reader(*source, ',', quoting);
    qint64 records = 0;
    qsizetype fieldBytes = 0;
    while (reader.readRecord()) {
        ++records;
        for (qsizetype i = 0; i < reader.fieldCount(); ++i) {
            fieldBytes += reader.field(i).size();
        }
        if (reader.fieldTexts().size() != reader.fieldCount()) {
            fuzz::fail("the decoded fields are not the fields read", double(reader.fieldCount()), QString());
        }
        if (records > bytes.size() + 1 || fieldBytes > bytes.size()) {
            fuzz::fail("the reader gives more than it read", double(records), QString());
        }
    }
    if (!reader.failed() && reader.consumed() != bytes.size()) {
        fuzz::fail("the reader stopped before the end", double(reader.consumed()), QString());
    }
}

void mapHeader(const QByteArray& bytes)
{
    auto source = ByteSource::fromBytes(bytes);
    CsvStreamReader reader(*source, ',', true);
    if (!reader.readRecord()) {
        return;
    }
    QStringList headers = reader.fieldTexts();
    if (headers.size() > 200) {
        return;
    }
    for (QString& header : headers) {
        header = header.simplified();
    }
    const NutrientCatalogue& catalogue = NutrientCatalogue::starter();
    std::vector<ImportColumn> mapping = ColumnMapping::propose(headers, catalogue);
    QString error;
    if (!ColumnMapping::check(mapping, headers, &error)) {
        fuzz::fail("a proposed mapping fails its check", double(mapping.size()), error);
    }
    const qsizetype lineEnd = bytes.indexOf('\n');
    if (lineEnd >= 0) {
        const QString option
            = QString::fromUtf8(bytes.mid(lineEnd + 1, bytes.indexOf('\n', lineEnd + 1) - lineEnd - 1));
        if (ColumnMapping::applyOption(option, headers, catalogue, &mapping, &error)
            && !ColumnMapping::check(mapping, headers, &error)) {
            fuzz::fail("a mapping --columns gave fails its check", double(mapping.size()), error);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    readAll(bytes, true);
    readAll(bytes, false);
    mapHeader(bytes);
    return 0;
}

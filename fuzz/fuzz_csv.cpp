// The CSV reader on any bytes, with and without quoting: no crash, no hang, the reader always
// makes progress, and every byte of the input is accounted for once it has read to the end.

#include "FuzzSupport.h"
#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    readAll(bytes, true);
    readAll(bytes, false);
    return 0;
}

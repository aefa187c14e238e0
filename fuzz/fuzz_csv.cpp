// The CSV food reader on any bytes: no crash, no hang, and every character of the input is
// accounted for (the reader always makes progress).

#include "FuzzSupport.h"
#include "core/files/TextFile.h"
#include "core/imports/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = TextFile::decode(fuzz::bytes(data, size));
    CsvReader reader(text);
    QStringList fields;
    qsizetype records = 0;
    qsizetype characters = 0;
    while (reader.readRecord(fields)) {
        ++records;
        for (const QString& field : fields) {
            characters += field.size();
        }
        if (records > text.size() + 1) {
            fuzz::fail("more records than characters", double(records), QString());
        }
    }
    if (characters > text.size()) {
        fuzz::fail("fields hold more characters than the text", double(characters), QString());
    }
    return 0;
}

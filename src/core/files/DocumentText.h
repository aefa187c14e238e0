#pragma once

#include <QString>

// The text a document viewer shows: every line of the file followed by CR LF. Lines end at CR LF,
// CR or a lone LF, so documents written on any system read the same.
class DocumentText
{
public:
    // False when the file cannot be opened or read; `text` is then empty.
    static bool read(const QString& path, QString* text);
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How the food table's texts are held as bytes: the program writes UTF-8, while older tools
// stored names in Windows-1252. A name matches under either, so a lookup asks for both.
class StoredText
{
public:
    // A stored text as the program shows it: UTF-8 when its bytes are valid UTF-8, else
    // Windows-1252. `buffer` is reused between calls.
    static QStringView decoded(QByteArrayView bytes, QString* buffer);
    // The Windows-1252 bytes under which a table written by such a tool holds the name the
    // program shows as `name`; empty when no such bytes exist or they are the UTF-8 bytes.
    static QByteArray windows1252Bytes(const QString& name);
};

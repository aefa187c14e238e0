#include "core/foods/StoredText.h"

#include "core/files/TextFile.h"

#include <algorithm>

QStringView StoredText::decoded(QByteArrayView bytes, QString* buffer)
{
    return TextFile::decodeInto(bytes, bytes.isValidUtf8(), buffer);
}

QByteArray StoredText::windows1252Bytes(const QString& name)
{
    // Plain ASCII is the same bytes either way, and nearly every name is plain ASCII: lookups of
    // thousands of names ask this for each.
    if (std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        return QByteArray();
    }
    QByteArray bytes;
    if (!TextFile::toWindows1252(name, &bytes) || bytes.isValidUtf8()) {
        return QByteArray();
    }
    return bytes;
}

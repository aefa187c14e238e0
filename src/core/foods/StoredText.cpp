#include "core/foods/StoredText.h"

#include "core/files/TextFile.h"

QStringView StoredText::decoded(QByteArrayView bytes, QString* buffer)
{
    return TextFile::decodeInto(bytes, bytes.isValidUtf8(), buffer);
}

QByteArray StoredText::windows1252Bytes(const QString& name)
{
    QByteArray bytes;
    if (!TextFile::toWindows1252(name, &bytes) || bytes.isValidUtf8()) {
        return QByteArray();
    }
    return bytes;
}

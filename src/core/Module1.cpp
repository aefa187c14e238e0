#include "core/Module1.h"

#include <QFile>
#include <QFileInfo>

namespace Module1 {

QString StripSpaces(const QString& text)
{
    QString result = text;
    result.remove(QLatin1Char(' '));
    return result;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    file.close();
    return true;
}

} // namespace Module1

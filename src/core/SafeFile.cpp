#include "core/SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

bool SafeFile::write(const QString& path, const Filler& fill, QString* reason)
{
    if (QFileInfo(path).isDir()) {
        *reason = tr("a folder of that name is in the way");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    if (!fill(file, reason)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

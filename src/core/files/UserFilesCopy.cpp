#include "core/files/UserFilesCopy.h"

#include "core/files/SafeFile.h"
#include "core/files/UserFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString UserFilesCopy::destinationPath(const QString& folder, const QString& fileKey, const QString& suffix)
{
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path + fileKey + suffix + QStringLiteral(".txt");
}

bool UserFilesCopy::isReadableFile(const QString& path)
{
    // Only a regular file: opening a named pipe would wait for a writer that never comes.
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

UserFilesCopy::Result UserFilesCopy::copy(const UserFiles& files, const QString& destinationFolder)
{
    Result result;
    const QString key = files.fileKey();
    const QStringList& suffixes = UserFiles::copiedSuffixes();
    for (const QString& suffix : suffixes) {
        const QString source = files.perUserFile(suffix);
        if (!isReadableFile(source)) {
            continue;
        }
        const QString destination = destinationPath(destinationFolder, key, suffix);
        const QString name = QFileInfo(destination).fileName();
        QString error;
        if (copyFile(source, destination, &error)) {
            result.copied.append(name);
        } else {
            result.failed.append(name);
            result.reasons.append(error);
        }
    }
    return result;
}

bool UserFilesCopy::copyFile(const QString& source, const QString& destination, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    return SafeFile::write(
        destination,
        [&](SafeFile& out, QString* reason) {
            constexpr qint64 ChunkSize = 64 * 1024;
            for (;;) {
                const QByteArray chunk = in.read(ChunkSize);
                if (chunk.isEmpty()) {
                    if (in.error() != QFileDevice::NoError || !in.atEnd()) {
                        *reason = tr("reading %1 failed: %2").arg(QDir::toNativeSeparators(source), in.errorString());
                        return false;
                    }
                    return true;
                }
                if (!out.append(chunk)) {
                    *reason = out.errorString();
                    return false;
                }
            }
        },
        error);
}

QString UserFilesCopy::failureMessage(const Result& result, const QString& destinationFolder)
{
    QString text = tr("These files could not be copied to %1:").arg(QDir::toNativeSeparators(destinationFolder));
    for (qsizetype i = 0; i < result.failed.size(); ++i) {
        text += QStringLiteral("\n%1 (%2)").arg(result.failed[i], result.reasons.value(i));
    }
    if (!result.copied.isEmpty()) {
        text += tr("\n\nThe other files were copied.");
    }
    return text;
}

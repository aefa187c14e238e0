#pragma once

#include "core/files/ByteSource.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <memory>

struct zip;

// A zip archive read through libzip. A member is read as a stream (ByteSource), a block at a
// time, never extracted whole; its checksum is checked when its end is read, so damaged data is
// reported rather than imported.
class ZipArchive
{
    Q_DECLARE_TR_FUNCTIONS(ZipArchive)

public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False, with the file and the reason in `error`, when it is not a readable zip archive.
    bool open(const QString& path, QString* error);
    // The names of the files in the archive, folders left out.
    QStringList memberNames() const;
    // The uncompressed size of a member; -1 when there is none of that name.
    qint64 memberSize(const QString& name) const;
    std::unique_ptr<ByteSource> openMember(const QString& name, QString* error);

private:
    zip* m_zip = nullptr;
    QString m_path;
};

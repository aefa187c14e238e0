#include "UnwritablePlace.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

UnwritablePlace::UnwritablePlace(Kind kind)
    : m_kind(kind)
{
    const QByteArray target = QFile::encodeName(m_mountPoint.path());
    int rc;
    if (kind == FullDisk) {
        rc = ::mount("tmpfs", target.constData(), "tmpfs", 0, "size=1m,nr_inodes=64");
    } else {
        rc = ::mount(QFile::encodeName(m_staging.path()).constData(), target.constData(), nullptr, MS_BIND, nullptr);
    }
    m_mounted = rc == 0;
    if (!m_mounted) {
        m_why = QStringLiteral("cannot mount a test file system here (%1); no other way stops root from writing")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
}

UnwritablePlace::~UnwritablePlace()
{
    if (m_mounted) {
        ::umount2(QFile::encodeName(m_mountPoint.path()).constData(), MNT_DETACH);
    }
}

bool UnwritablePlace::lock()
{
    if (!m_mounted) {
        return false;
    }
    const QByteArray target = QFile::encodeName(m_mountPoint.path());
    if (m_kind == ReadOnly) {
        return ::mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    // Fill every last byte: large blocks first, then single bytes, straight to the system so no
    // buffer hides the moment the disk is full.
    const QByteArray name = QFile::encodeName(m_mountPoint.filePath(QStringLiteral("filler")));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) {
        return false;
    }
    const QByteArray block(64 * 1024, '\0');
    while (::write(fd, block.constData(), static_cast<std::size_t>(block.size())) > 0) { }
    while (::write(fd, "x", 1) == 1) { }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

bool UnwritablePlace::leaveRoom(qint64 bytes)
{
    QFile filler(m_mountPoint.filePath(QStringLiteral("filler")));
    return m_kind == FullDisk && filler.size() > bytes && filler.resize(filler.size() - bytes);
}

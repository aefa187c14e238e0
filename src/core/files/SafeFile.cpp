#include "core/files/SafeFile.h"

#include "core/files/FileOperationLog.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why a thing of this kind may not be replaced; empty for a regular file.
QString refusal(mode_t mode)
{
    if (S_ISREG(mode)) {
        return QString();
    }
    if (S_ISDIR(mode)) {
        return SafeFile::tr("a folder of that name is in the way");
    }
    if (S_ISFIFO(mode)) {
        return SafeFile::tr("a named pipe of that name is in the way; only a regular file is replaced");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return SafeFile::tr("a device of that name is in the way; only a regular file is replaced");
    }
    if (S_ISSOCK(mode)) {
        return SafeFile::tr("a socket of that name is in the way; only a regular file is replaced");
    }
    return SafeFile::tr("something that is not a regular file is in the way");
}

// Where the content goes: `path` itself, or for a symbolic link the file it leads to. Whether a
// file is there and its mode, which the new file keeps. False, with the reason, for anything
// but a regular file or a missing name. The target is only looked at, never opened.
bool resolveTarget(const QByteArray& path, QByteArray* target, bool* exists, mode_t* mode, QString* reason)
{
    *target = path;
    *exists = false;
    if (path.isEmpty()) {
        *reason = SafeFile::tr("no file name was given");
        return false;
    }
    struct stat status
    {
    };
    if (::lstat(path.constData(), &status) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        *reason = systemReason(errno);
        return false;
    }
    if (S_ISLNK(status.st_mode)) {
        char* resolved = ::realpath(path.constData(), nullptr);
        if (!resolved) {
            *reason
                = errno == ENOENT ? SafeFile::tr("a symbolic link of that name leads to no file") : systemReason(errno);
            return false;
        }
        *target = resolved;
        std::free(resolved);
        if (::lstat(target->constData(), &status) != 0) {
            *reason = systemReason(errno);
            return false;
        }
    }
    *reason = refusal(status.st_mode);
    if (!reason->isEmpty()) {
        return false;
    }
    // A file its owner made read-only is not replaced behind that, though the folder would allow it.
    if (::access(target->constData(), W_OK) != 0) {
        *reason = systemReason(errno);
        return false;
    }
    *exists = true;
    *mode = status.st_mode;
    return true;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

} // namespace

bool SafeFile::isReplaceable(const QString& path, QString* reason)
{
    QByteArray target;
    bool exists = false;
    mode_t mode = 0;
    return resolveTarget(QFile::encodeName(path), &target, &exists, &mode, reason);
}

bool SafeFile::write(const QString& path, const Filler& fill, QString* reason)
{
    QByteArray target;
    bool exists = false;
    mode_t mode = 0;
    if (!resolveTarget(QFile::encodeName(path), &target, &exists, &mode, reason)) {
        return false;
    }
    SafeFile file;
    if (!file.open(target, mode, exists)) {
        *reason = file.m_error;
        return false;
    }
    if (!fill(file, reason)) {
        file.discard();
        return false;
    }
    if (!file.commit(target)) {
        *reason = file.m_error;
        file.discard();
        return false;
    }
    return true;
}

SafeFile::~SafeFile()
{
    discard();
}

bool SafeFile::fail(int error)
{
    m_error = systemReason(error);
    return false;
}

bool SafeFile::open(const QByteArray& target, unsigned keptMode, bool keepMode)
{
    // A hidden name of fixed length beside the target, so that even a target whose name takes the
    // longest a folder allows has room for it.
    QByteArray prefix = folderOf(target);
    if (!prefix.endsWith('/')) {
        prefix += '/';
    }
    prefix += ".platewell-";
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        QByteArray name = prefix;
        for (int i = 0; i < 10; ++i) {
            name += Letters[QRandomGenerator::global()->bounded(int(sizeof(Letters) - 1))];
        }
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = name;
            break;
        }
        error = errno;
    }
    if (m_fd < 0) {
        return fail(error);
    }
    FileOperationLog::record(FileOperationLog::Kind::Create, m_temporary);
    if (keepMode) {
        // The replaced file's permissions stay; where they cannot be set the folder's default holds.
        ::fchmod(m_fd, keptMode & 07777);
    }
    return true;
}

bool SafeFile::append(QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return fail(n < 0 ? errno : ENOSPC);
        }
        if (FileOperationLog::recording()) {
            FileOperationLog::record(FileOperationLog::Kind::Append, m_temporary, {}, QByteArray(data, n));
        }
        data += n;
        left -= n;
    }
    return true;
}

bool SafeFile::commit(const QByteArray& target)
{
    if (::fsync(m_fd) != 0) {
        return fail(errno);
    }
    FileOperationLog::record(FileOperationLog::Kind::SyncFile, m_temporary);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        return fail(errno);
    }
    // The target is looked at once more: another program may have put something else there
    // while the content was written.
    struct stat status
    {
    };
    if (::lstat(target.constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        m_error = S_ISLNK(status.st_mode) ? tr("a symbolic link took the file's place while it was written")
                                          : refusal(status.st_mode);
        return false;
    }
    if (::rename(m_temporary.constData(), target.constData()) != 0) {
        return fail(errno);
    }
    FileOperationLog::record(FileOperationLog::Kind::Rename, m_temporary, target);
    m_temporary.clear();
    // The rename is only durable once the folder holding the name is synced; until then a power
    // cut may bring back the old file after the save was reported.
    const QByteArray folder = folderOf(target);
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = folderFd < 0 ? errno : 0;
    if (folderFd >= 0) {
        if (::fsync(folderFd) != 0) {
            error = errno;
        }
        ::close(folderFd);
    }
    // A file system that cannot sync a folder says so with EINVAL; nothing more can be done there.
    if (error != 0 && error != EINVAL && error != ENOTSUP) {
        m_error = tr("the new file is in place, but the system could not confirm it is on the disk: %1")
                      .arg(systemReason(error));
        return false;
    }
    FileOperationLog::record(FileOperationLog::Kind::SyncFolder, folder);
    return true;
}

void SafeFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        FileOperationLog::record(FileOperationLog::Kind::Remove, m_temporary);
        m_temporary.clear();
    }
}

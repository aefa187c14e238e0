#pragma once

#include <QString>
#include <QTemporaryDir>

// A folder that cannot take a file, for root as much as for anyone: a small tmpfs filled to the
// last byte, or a read-only bind mount of a folder of files. Mounting needs the right to mount
// (root); without it ready() is false and why() says so, for the test to skip with that reason.
class UnwritablePlace
{
public:
    enum Kind { FullDisk, ReadOnly };

    explicit UnwritablePlace(Kind kind);
    ~UnwritablePlace();
    UnwritablePlace(const UnwritablePlace&) = delete;
    UnwritablePlace& operator=(const UnwritablePlace&) = delete;

    bool ready() const { return m_mounted; }
    QString why() const { return m_why; }
    // The folder to write into. For a read-only place, files put into staging() before lock()
    // show up here.
    QString path() const { return m_mountPoint.path(); }
    QString staging() const { return m_staging.path(); }

    // Makes the place refuse writes: fills the disk, or remounts the bind mount read-only.
    bool lock();
    // After lock() on a full disk: frees about `bytes` again, so that a larger write is cut short
    // part way rather than refused at its first byte.
    bool leaveRoom(qint64 bytes);

private:
    Kind m_kind;
    QTemporaryDir m_staging;
    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
    QString m_why;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <vector>

// The file system calls the whole-or-nothing writer (SafeFile) makes, in order, for a test to
// work out what the disk would hold after a power cut at any point of a real save. Nothing is
// recorded unless a log exists; a save then pays one pointer check per call.
class FileOperationLog
{
public:
    enum class Kind {
        // A new, empty file was created at `path`.
        Create,
        // `bytes` were appended to the file at `path`.
        Append,
        // The data of the file at `path` was synced to the disk (fsync).
        SyncFile,
        // The file at `path` was renamed to `target`, replacing what was there.
        Rename,
        // The folder `path` was synced, making its names as they now are durable.
        SyncFolder,
        // The file at `path` was removed.
        Remove,
    };

    struct Operation
    {
        Kind kind;
        QString path;
        QString target;
        QByteArray bytes;
    };

    // Records every operation from now until the log is destroyed; one log at a time.
    FileOperationLog();
    ~FileOperationLog();
    FileOperationLog(const FileOperationLog&) = delete;
    FileOperationLog& operator=(const FileOperationLog&) = delete;

    const std::vector<Operation>& operations() const { return m_operations; }

    static bool recording() { return s_current.load(std::memory_order_relaxed) != nullptr; }
    static void record(Kind kind, const QByteArray& path, const QByteArray& target = {}, QByteArray bytes = {});

private:
    std::vector<Operation> m_operations;
    static std::atomic<FileOperationLog*> s_current;
};

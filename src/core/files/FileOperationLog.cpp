#include "core/files/FileOperationLog.h"

#include <QFile>

std::atomic<FileOperationLog*> FileOperationLog::s_current { nullptr };

FileOperationLog::FileOperationLog()
{
    s_current.store(this);
}

FileOperationLog::~FileOperationLog()
{
    s_current.store(nullptr);
}

void FileOperationLog::record(Kind kind, const QByteArray& path, const QByteArray& target, QByteArray bytes)
{
    FileOperationLog* log = s_current.load();
    if (log) {
        log->m_operations.push_back({ kind, QFile::decodeName(path), QFile::decodeName(target), std::move(bytes) });
    }
}

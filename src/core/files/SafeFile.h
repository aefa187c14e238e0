#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>

#include <functional>

// Writes a file so that it is either whole or as it was, and once reported written stays so
// through a power cut: the content goes to a new file beside the target, which is synced,
// renamed over the target and made durable by syncing the folder. Only a regular file or a
// missing name is ever replaced; a symbolic link is written through, so the link stays and the
// file it leads to is replaced. A named pipe, a device, a socket or a folder is refused untouched,
// and never opened.
class SafeFile
{
    Q_DECLARE_TR_FUNCTIONS(SafeFile)

public:
    // `fill` appends the content; it returns false, with the reason, to give up. False with the
    // reason (the path not included) when anything failed; the old file is then untouched.
    using Filler = std::function<bool(SafeFile& file, QString* reason)>;
    static bool write(const QString& path, const Filler& fill, QString* reason);

    // True when `path` names nothing yet, a regular file or a link to one: what write() may
    // replace. Else false with the reason, the path not included.
    static bool isReplaceable(const QString& path, QString* reason);

    // Appends to the new file; false, with the system's reason in errorString(), when not every
    // byte was written.
    bool append(QByteArrayView bytes);
    QString errorString() const { return m_error; }

private:
    SafeFile() = default;
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open(const QByteArray& target, unsigned keptMode, bool keepMode);
    bool commit(const QByteArray& target);
    void discard();
    bool fail(int error);

    int m_fd = -1;
    QByteArray m_temporary;
    QString m_error;
};

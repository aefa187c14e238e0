#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <memory>

// A stream of bytes read block by block: a plain file, a gzip file decompressed on the fly, one
// member of a zip archive (ZipArchive) or bytes already in memory. Readers over it keep only a
// block at a time, so a file of any size is read in bounded memory.
class ByteSource
{
    Q_DECLARE_TR_FUNCTIONS(ByteSource)

public:
    virtual ~ByteSource() = default;

    // Reads up to `size` bytes into `data`: the number read, 0 at the end, -1 on failure, with the
    // reason in errorString().
    virtual qint64 read(char* data, qint64 size) = 0;
    // How far reading has come and how far it goes, in bytes of the stored file (compressed
    // bytes for a gzip file), for progress; total() is 0 when not known.
    virtual qint64 position() const { return m_position; }
    virtual qint64 total() const { return m_total; }
    QString errorString() const { return m_error; }
    // "path: reason", as every failure to open or read a source is told.
    static QString describe(const QString& path, const QString& reason);

    // Null, with the file and the reason in `error`, when the file cannot be opened.
    static std::unique_ptr<ByteSource> openFile(const QString& path, QString* error);
    static std::unique_ptr<ByteSource> openGzip(const QString& path, QString* error);
    static std::unique_ptr<ByteSource> fromBytes(QByteArray bytes);
    // The program's standard input, which can be read only once.
    static std::unique_ptr<ByteSource> openStandardInput(QString* error);
    // `head`, bytes already read from `rest`, and then the rest of it: a source that can be read
    // only once, read on from where looking at its beginning stopped.
    static std::unique_ptr<ByteSource> chained(QByteArray head, std::unique_ptr<ByteSource> rest);
    // Reads until `size` bytes are in `bytes` or the source ends (`ended`); a pipe gives its bytes
    // a few at a time. False when reading failed.
    static bool readUpTo(ByteSource& source, qint64 size, QByteArray* bytes, bool* ended);

    // Up to `size` bytes from the start of the file, for telling what kind of file it is.
    static bool readHead(const QString& path, qint64 size, QByteArray* head, QString* error);

protected:
    // What read() returns for `n` bytes read: the bytes, counted into the position; or, when
    // reading failed (n < 0), -1 with the reason `reason()` gives.
    template <typename Reason> qint64 counted(qint64 n, Reason reason)
    {
        if (n < 0) {
            m_error = reason();
            return -1;
        }
        m_position += n;
        return n;
    }

    QString m_error;
    qint64 m_position = 0;
    qint64 m_total = 0;
};

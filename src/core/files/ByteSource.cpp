#include "core/files/ByteSource.h"

#include <QDir>
#include <QFile>

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

class FileSource : public ByteSource
{
public:
    explicit FileSource(const QString& path)
        : m_file(path)
    { }

    bool open(QString* error)
    {
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            *error = describe(m_file.fileName(), m_file.errorString());
            return false;
        }
        m_total = m_file.isSequential() ? 0 : m_file.size();
        return true;
    }

    bool openDescriptor(int descriptor, const QString& name, QString* error)
    {
        m_name = name;
        if (!m_file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            *error = describe(name, m_file.errorString());
            return false;
        }
        m_total = m_file.isSequential() ? 0 : m_file.size();
        return true;
    }

    qint64 read(char* data, qint64 size) override
    {
        return counted(m_file.read(data, size),
            [this] { return describe(m_name.isEmpty() ? m_file.fileName() : m_name, m_file.errorString()); });
    }

private:
    QFile m_file;
    QString m_name;
};

class GzipSource : public ByteSource
{
public:
    explicit GzipSource(const QString& path)
        : m_path(path)
    { }
    ~GzipSource() override
    {
        if (m_gz) {
            gzclose_r(m_gz);
        }
    }
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    bool open(QString* error)
    {
        m_total = QFile(m_path).size();
        m_gz = gzopen(QFile::encodeName(m_path).constData(), "rb");
        if (!m_gz) {
            *error = describe(m_path, tr("the file cannot be opened"));
            return false;
        }
        gzbuffer(m_gz, 256 * 1024);
        return true;
    }

    qint64 read(char* data, qint64 size) override
    {
        const int n = gzread(m_gz, data, static_cast<unsigned>(std::min<qint64>(size, INT_MAX)));
        int code = Z_OK;
        const char* message = gzerror(m_gz, &code);
        // zlib reports a file cut short only as an error after the bytes it could give.
        if (n < 0 || (code != Z_OK && code != Z_STREAM_END)) {
            m_error
                = describe(m_path, tr("the gzip data is damaged or cut short (%1)").arg(QString::fromUtf8(message)));
            return -1;
        }
        m_position = gzoffset(m_gz);
        return n;
    }

private:
    QString m_path;
    gzFile m_gz = nullptr;
};

class MemorySource : public ByteSource
{
public:
    explicit MemorySource(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
        m_total = m_bytes.size();
    }

    qint64 read(char* data, qint64 size) override
    {
        const qint64 n = std::min<qint64>(size, m_bytes.size() - m_position);
        std::memcpy(data, m_bytes.constData() + m_position, static_cast<std::size_t>(n));
        m_position += n;
        return n;
    }

private:
    QByteArray m_bytes;
};

class ChainedSource : public ByteSource
{
public:
    ChainedSource(QByteArray head, std::unique_ptr<ByteSource> rest)
        : m_head(std::move(head))
        , m_rest(std::move(rest))
    { }

    qint64 read(char* data, qint64 size) override
    {
        if (m_headRead < m_head.size()) {
            const qint64 n = std::min<qint64>(size, m_head.size() - m_headRead);
            std::memcpy(data, m_head.constData() + m_headRead, static_cast<std::size_t>(n));
            m_headRead += n;
            return n;
        }
        const qint64 n = m_rest->read(data, size);
        if (n < 0) {
            m_error = m_rest->errorString();
        }
        return n;
    }
    qint64 position() const override { return m_rest->position(); }
    qint64 total() const override { return m_rest->total(); }

private:
    QByteArray m_head;
    qint64 m_headRead = 0;
    std::unique_ptr<ByteSource> m_rest;
};

} // namespace

QString ByteSource::describe(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

std::unique_ptr<ByteSource> ByteSource::openStandardInput(QString* error)
{
    auto source = std::make_unique<FileSource>(QString());
    if (!source->openDescriptor(0, tr("standard input"), error)) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<ByteSource> ByteSource::chained(QByteArray head, std::unique_ptr<ByteSource> rest)
{
    return std::make_unique<ChainedSource>(std::move(head), std::move(rest));
}

bool ByteSource::readUpTo(ByteSource& source, qint64 size, QByteArray* bytes, bool* ended)
{
    bytes->resize(size);
    qint64 filled = 0;
    qint64 n = 0;
    while (filled < size && (n = source.read(bytes->data() + filled, size - filled)) > 0) {
        filled += n;
    }
    bytes->resize(filled);
    *ended = n == 0;
    return n >= 0;
}

std::unique_ptr<ByteSource> ByteSource::openFile(const QString& path, QString* error)
{
    auto source = std::make_unique<FileSource>(path);
    if (!source->open(error)) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<ByteSource> ByteSource::openGzip(const QString& path, QString* error)
{
    auto source = std::make_unique<GzipSource>(path);
    if (!source->open(error)) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<ByteSource> ByteSource::fromBytes(QByteArray bytes)
{
    return std::make_unique<MemorySource>(std::move(bytes));
}

bool ByteSource::readHead(const QString& path, qint64 size, QByteArray* head, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = describe(path, file.errorString());
        return false;
    }
    *head = file.read(size);
    return true;
}

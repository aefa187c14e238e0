#include "core/imports/ZipArchive.h"

#include <QDir>
#include <QFile>

#include <zip.h>

namespace {

class ZipMemberSource : public ByteSource
{
public:
    ZipMemberSource(zip_file_t* file, const QString& where, qint64 size)
        : m_file(file)
        , m_where(where)
    {
        m_total = size;
    }
    ~ZipMemberSource() override { zip_fclose(m_file); }
    ZipMemberSource(const ZipMemberSource&) = delete;
    ZipMemberSource& operator=(const ZipMemberSource&) = delete;

    qint64 read(char* data, qint64 size) override
    {
        return counted(zip_fread(m_file, data, static_cast<zip_uint64_t>(size)), [this] {
            return describe(m_where,
                ZipArchive::tr("the zip archive is damaged (%1)").arg(QString::fromUtf8(zip_file_strerror(m_file))));
        });
    }

private:
    zip_file_t* m_file;
    QString m_where;
};

} // namespace

ZipArchive::~ZipArchive()
{
    if (m_zip) {
        zip_discard(m_zip);
    }
}

bool ZipArchive::open(const QString& path, QString* error)
{
    m_path = path;
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_zip) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, code);
        *error = ByteSource::describe(
            path, tr("the zip archive cannot be read (%1)").arg(QString::fromUtf8(zip_error_strerror(&zipError))));
        zip_error_fini(&zipError);
        return false;
    }
    return true;
}

QStringList ZipArchive::memberNames() const
{
    QStringList names;
    const zip_int64_t count = m_zip ? zip_get_num_entries(m_zip, 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name && !QByteArrayView(name).endsWith('/')) {
            names.append(QString::fromUtf8(name));
        }
    }
    return names;
}

qint64 ZipArchive::memberSize(const QString& name) const
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (!m_zip || zip_stat(m_zip, name.toUtf8().constData(), ZIP_FL_ENC_GUESS, &stat) != 0
        || !(stat.valid & ZIP_STAT_SIZE)) {
        return -1;
    }
    return static_cast<qint64>(stat.size);
}

std::unique_ptr<ByteSource> ZipArchive::openMember(const QString& name, QString* error)
{
    const QString where = m_path + QLatin1Char('/') + name;
    zip_file_t* file = m_zip ? zip_fopen(m_zip, name.toUtf8().constData(), ZIP_FL_ENC_GUESS) : nullptr;
    if (!file) {
        *error = ByteSource::describe(where,
            tr("the zip archive is damaged (%1)").arg(QString::fromUtf8(m_zip ? zip_strerror(m_zip) : "not open")));
        return nullptr;
    }
    return std::make_unique<ZipMemberSource>(file, where, memberSize(name));
}

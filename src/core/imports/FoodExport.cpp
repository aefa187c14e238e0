#include "core/imports/FoodExport.h"

#include "core/files/SafeFile.h"
#include "core/foods/FoodFields.h"
#include "core/foods/FoodValues.h"
#include "core/foods/StoredText.h"
#include "core/imports/ColumnMapping.h"
#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <memory>

#include <sys/stat.h>

namespace {

constexpr qint64 kProgressRows = 8192;
constexpr qsizetype kWriteBytes = qsizetype(1) << 20;

bool sameFile(const QString& a, const QString& b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// The path with its folder's links and dots resolved, for a file that need not exist yet.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// Whether writing `csvPath` would overwrite the food table: its file under any name (a symbolic
// or hard link, another spelling of the path), or the journal files SQLite keeps beside it.
bool isTableFile(const QString& databasePath, const QString& csvPath)
{
    if (sameFile(databasePath, csvPath)) {
        return true;
    }
    const QString table = QFileInfo(databasePath).canonicalFilePath();
    const QString base = table.isEmpty() ? resolvedPath(databasePath) : table;
    const QString target = resolvedPath(csvPath);
    for (const char* suffix : { "", "-journal", "-wal", "-shm" }) {
        if (target == base + QLatin1String(suffix)) {
            return true;
        }
    }
    return false;
}

// The food table's rows as CSV, handed on in blocks of about a megabyte.
class TableRows
{
public:
    using Sink = std::function<bool(QByteArrayView block, QString* reason)>;

    bool open(const QString& databasePath, QString* error);
    // The header and every row in table order; false, with the reason, when the table could not
    // be read, `sink` failed or `progress` cancelled.
    bool write(const Sink& sink, const FoodExport::ProgressCallback& progress, QString* reason);

    qint64 rowCount() const { return m_rowCount; }
    qint64 written() const { return m_written; }
    bool cancelled() const { return m_cancelled; }

private:
    std::unique_ptr<FoodStore> m_foods;
    NutrientCatalogue m_catalogue;
    qint64 m_rowCount = 0;
    qint64 m_written = 0;
    bool m_cancelled = false;
};

bool TableRows::open(const QString& databasePath, QString* error)
{
    m_foods = FoodStoreOpener::open(databasePath, error);
    if (!m_foods) {
        return false;
    }
    m_rowCount = m_foods->rowCount(error);
    return m_rowCount >= 0 && m_foods->nutrientCatalogue(&m_catalogue, error);
}

bool TableRows::write(const Sink& sink, const FoodExport::ProgressCallback& progress, QString* reason)
{
    QByteArray block = FoodFields::fieldNames().join(QLatin1Char(',')).toUtf8();
    block.append(',');
    block.append(ColumnMapping::fieldName(ColumnMapping::ServingGrams).toUtf8());
    QStringList numbers;
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        block.append(',');
        FoodExport::appendField(&block, NutrientCatalogue::columnHeader(nutrient).toUtf8());
        numbers.append(nutrient.number);
    }
    block.append('\n');
    QString text;
    QByteArray utf8;
    const auto appendAmount = [&block](const std::optional<double>& amount) {
        block.append(',');
        if (amount) {
            block.append(FoodValues::numberText(*amount).toLatin1());
        }
    };
    const bool read = m_foods->readRowsWithNutrients(
        numbers,
        [&](const StoredRow& row, const std::optional<double>& servingGrams,
            const std::vector<std::optional<double>>& values, QString* why) {
            for (std::size_t f = 0; f < row.size(); ++f) {
                if (f > 0) {
                    block.append(',');
                }
                const StoredCell& cell = row[f];
                switch (cell.kind) {
                case StoredCell::Null:
                    break;
                case StoredCell::Integer:
                    block.append(QByteArray::number(cell.integer));
                    break;
                case StoredCell::Real:
                    block.append(FoodValues::numberText(cell.real).toLatin1());
                    break;
                case StoredCell::Text:
                    // A name an older tool stored in Windows-1252 goes out as the UTF-8 of its text.
                    if (cell.text.isValidUtf8()) {
                        FoodExport::appendField(&block, cell.text);
                    } else {
                        utf8 = StoredText::decoded(cell.text, &text).toUtf8();
                        FoodExport::appendField(&block, utf8);
                    }
                }
            }
            appendAmount(servingGrams);
            for (const std::optional<double>& value : values) {
                appendAmount(value);
            }
            block.append('\n');
            ++m_written;
            if (block.size() >= kWriteBytes) {
                if (!sink(block, why)) {
                    return false;
                }
                block.clear();
            }
            if (m_written % kProgressRows == 0 && progress && !progress(m_written, m_rowCount)) {
                m_cancelled = true;
                *why = FoodExport::tr("The export was cancelled; no file was written.");
                return false;
            }
            return true;
        },
        reason);
    return read && sink(block, reason);
}

} // namespace

void FoodExport::appendField(QByteArray* row, QByteArrayView field)
{
    const bool quote = field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')
        || (!field.isEmpty()
            && (field.front() == ' ' || field.back() == ' ' || field.front() == '\t' || field.back() == '\t'));
    if (!quote) {
        row->append(field);
        return;
    }
    row->append('"');
    for (const char c : field) {
        if (c == '"') {
            row->append('"');
        }
        row->append(c);
    }
    row->append('"');
}

bool FoodExport::run(const QString& databasePath, const QString& csvPath, const ProgressCallback& progress,
    qint64* rowsWritten, QString* error)
{
    if (rowsWritten) {
        *rowsWritten = 0;
    }
    if (isTableFile(databasePath, csvPath)) {
        if (error) {
            *error = tr("%1 is the food table itself; choose another file for the CSV")
                         .arg(QDir::toNativeSeparators(csvPath));
        }
        return false;
    }
    QString reason;
    // A pipe or a device in the file's place is refused before the table is read.
    if (!SafeFile::isReplaceable(csvPath, &reason)) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(csvPath), reason);
        }
        return false;
    }
    TableRows rows;
    if (!rows.open(databasePath, error)) {
        return false;
    }
    const bool ok = SafeFile::write(
        csvPath,
        [&](SafeFile& file, QString* why) {
            return rows.write(
                [&file](QByteArrayView block, QString* appendError) {
                    if (!file.append(block)) {
                        *appendError = file.errorString();
                        return false;
                    }
                    return true;
                },
                progress, why);
        },
        &reason);
    if (rowsWritten) {
        *rowsWritten = rows.written();
    }
    if (!ok && error) {
        *error = rows.cancelled() ? reason : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(csvPath), reason);
    }
    if (ok && progress) {
        progress(rows.written(), rows.rowCount());
    }
    return ok;
}

bool FoodExport::writeTo(const QString& databasePath, QIODevice* device, const QString& name,
    const ProgressCallback& progress, qint64* rowsWritten, QString* error)
{
    if (rowsWritten) {
        *rowsWritten = 0;
    }
    TableRows rows;
    if (!rows.open(databasePath, error)) {
        return false;
    }
    QString reason;
    const bool ok = rows.write(
        [device](QByteArrayView block, QString* why) {
            if (device->write(block.data(), block.size()) != block.size()) {
                *why = device->errorString();
                return false;
            }
            return true;
        },
        progress, &reason);
    if (rowsWritten) {
        *rowsWritten = rows.written();
    }
    if (!ok && error) {
        *error = rows.cancelled() ? reason : QStringLiteral("%1: %2").arg(name, reason);
    }
    if (ok && progress) {
        progress(rows.written(), rows.rowCount());
    }
    return ok;
}

#include "core/FoodExport.h"

#include "core/FoodDatabase.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>
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
    FoodDatabase foods;
    if (!foods.open(databasePath, error)) {
        return false;
    }
    const qint64 rowCount = foods.rowCount(error);
    if (rowCount < 0) {
        return false;
    }
    sqlite3* db = foods.sqliteHandle();
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = QStringLiteral("SELECT %1 FROM foods ORDER BY rowid")
                               .arg(FoodDatabase::fieldNames().join(QStringLiteral(", ")))
                               .toUtf8();
    if (!db || sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(databasePath),
                db ? QString::fromUtf8(sqlite3_errmsg(db)) : tr("the food table is not open"));
        }
        sqlite3_finalize(statement);
        return false;
    }
    qint64 written = 0;
    bool cancelled = false;
    QString reason;
    const bool ok = SafeFile::write(
        csvPath,
        [&](QSaveFile& file, QString* why) {
            QByteArray block = FoodDatabase::fieldNames().join(QLatin1Char(',')).toUtf8() + '\n';
            QString text;
            QByteArray utf8;
            int rc;
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
                for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
                    if (f > 0) {
                        block.append(',');
                    }
                    switch (sqlite3_column_type(statement, f)) {
                    case SQLITE_NULL:
                        break;
                    case SQLITE_INTEGER:
                        block.append(QByteArray::number(sqlite3_column_int64(statement, f)));
                        break;
                    case SQLITE_FLOAT:
                        block.append(FoodDatabase::numberText(sqlite3_column_double(statement, f)).toLatin1());
                        break;
                    default: {
                        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, f));
                        const QByteArrayView stored(bytes, sqlite3_column_bytes(statement, f));
                        // A name an older tool stored in Windows-1252 goes out as the UTF-8 of its text.
                        if (stored.isValidUtf8()) {
                            appendField(&block, stored);
                        } else {
                            utf8 = FoodDatabase::storedText(stored, &text).toUtf8();
                            appendField(&block, utf8);
                        }
                    }
                    }
                }
                block.append('\n');
                ++written;
                if (block.size() >= kWriteBytes) {
                    if (file.write(block) != block.size()) {
                        *why = file.errorString();
                        return false;
                    }
                    block.clear();
                }
                if (written % kProgressRows == 0 && progress && !progress(written, rowCount)) {
                    cancelled = true;
                    *why = tr("The export was cancelled; no file was written.");
                    return false;
                }
            }
            if (rc != SQLITE_DONE) {
                *why = QString::fromUtf8(sqlite3_errmsg(db));
                return false;
            }
            if (file.write(block) != block.size()) {
                *why = file.errorString();
                return false;
            }
            return true;
        },
        &reason);
    sqlite3_finalize(statement);
    if (rowsWritten) {
        *rowsWritten = written;
    }
    if (!ok && error) {
        *error = cancelled ? reason : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(csvPath), reason);
    }
    if (ok && progress) {
        progress(written, rowCount);
    }
    return ok;
}

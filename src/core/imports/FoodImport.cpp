#include "core/imports/FoodImport.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodDatabase.h"
#include "core/imports/CsvFoodReader.h"
#include "core/imports/FoodDataCentralReader.h"
#include "core/imports/FoodImportWriter.h"
#include "core/imports/OpenFoodFactsReader.h"
#include "core/postgres/PgConnection.h"
#include "core/storage/FoodStore.h"
#include "core/storage/FoodStoreOpener.h"
#include "core/text/FieldNumber.h"
#include "core/text/MessageText.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The beginning of a file that is looked at to tell its kind and show its first rows.
constexpr qint64 kHeadBytes = qint64(1) << 20;
constexpr int kPreviewRows = 20;

// The delimiter the header line uses most, outside quotes: tab, comma or semicolon.
char sniffDelimiter(QByteArrayView line)
{
    int tabs = 0;
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted) {
            tabs += c == '\t';
            commas += c == ',';
            semicolons += c == ';';
        }
    }
    if (tabs >= commas && tabs >= semicolons && tabs > 0) {
        return '\t';
    }
    return semicolons > commas ? ';' : ',';
}

bool looksBinary(QByteArrayView head)
{
    const QByteArrayView sample = head.first(std::min<qsizetype>(head.size(), 4096));
    qsizetype controls = 0;
    for (const char c : sample) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0) {
            return true;
        }
        controls += (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f') ? 1 : 0;
    }
    return controls * 100 > sample.size();
}

} // namespace

FoodImport::FoodImport(const QString& sourcePath)
    : m_path(sourcePath)
{ }

FoodImport::FoodImport(std::unique_ptr<ByteSource> stream, const QString& name)
    : m_path(name)
    , m_onceOnly(true)
    , m_stream(std::move(stream))
{ }

FoodImport::~FoodImport() = default;

QString FoodImport::formatName(ImportFormat format)
{
    switch (format) {
    case ImportFormat::FoodDataCentral:
        return tr("USDA FoodData Central");
    case ImportFormat::OpenFoodFacts:
        return tr("Open Food Facts");
    case ImportFormat::Csv:
        return tr("CSV file");
    case ImportFormat::Unknown:
        break;
    }
    return tr("unknown");
}

bool FoodImport::fail(const QString& reason, QString* error) const
{
    const QString path = QDir::toNativeSeparators(m_path);
    if (error) {
        *error = reason.startsWith(path) ? reason : QStringLiteral("%1: %2").arg(path, reason);
    }
    return false;
}

bool FoodImport::inspect(QString* error)
{
    m_format = ImportFormat::Unknown;
    m_gzip = false;
    m_columns.clear();
    m_mapping.clear();
    m_choices = NutrientCatalogue();
    m_preview.clear();
    if (m_onceOnly) {
        return inspectStream(error);
    }
    const QFileInfo info(m_path);
    if (!info.exists()) {
        return fail(tr("the file does not exist"), error);
    }
    // A pipe or a device gives its bytes once: they are read from one opening only.
    if (!info.isDir() && !info.isFile()) {
        QString reason;
        m_stream = ByteSource::openFile(m_path, &reason);
        if (!m_stream) {
            return fail(reason, error);
        }
        m_onceOnly = true;
        return inspectStream(error);
    }
    QString reason;
    if (info.isDir()) {
        FoodDataCentralReader fdc(m_path);
        if (!fdc.locate(false, &reason)) {
            return fail(tr("the folder holds no FoodData Central download (food.csv and food_nutrient.csv)"), error);
        }
        m_format = ImportFormat::FoodDataCentral;
        return true;
    }
    QByteArray head;
    if (!ByteSource::readHead(m_path, kHeadBytes, &head, &reason)) {
        return fail(reason, error);
    }
    if (head.isEmpty()) {
        return fail(tr("the file is empty"), error);
    }
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) {
        FoodDataCentralReader fdc(m_path);
        if (!fdc.locate(true, &reason)) {
            return fail(reason.isEmpty()
                    ? tr("the zip archive holds no FoodData Central download (food.csv and food_nutrient.csv)")
                    : reason,
                error);
        }
        m_format = ImportFormat::FoodDataCentral;
        return true;
    }
    if (head.startsWith("\x1f\x8b")) {
        auto source = ByteSource::openGzip(m_path, &reason);
        if (!source) {
            return fail(reason, error);
        }
        bool ended = false;
        if (!ByteSource::readUpTo(*source, kHeadBytes, &head, &ended)) {
            return fail(source->errorString(), error);
        }
        if (head.isEmpty()) {
            return fail(tr("the compressed file is empty"), error);
        }
        m_gzip = true;
        return inspectText(head, !ended, error);
    }
    return inspectText(head, info.size() > head.size(), error);
}

bool FoodImport::inspectStream(QString* error)
{
    if (!m_stream && m_head.isEmpty() && !m_headEnded) {
        return fail(tr("it can be read only once, and was read already"), error);
    }
    if (m_stream && m_head.isEmpty() && !m_headEnded
        && !ByteSource::readUpTo(*m_stream, kHeadBytes, &m_head, &m_headEnded)) {
        return fail(m_stream->errorString(), error);
    }
    if (m_head.isEmpty()) {
        return fail(tr("the file is empty"), error);
    }
    if (m_head.startsWith("PK\x03\x04") || m_head.startsWith("PK\x05\x06")) {
        return fail(tr("a zip archive cannot be read from a pipe; save it as a file and import that"), error);
    }
    if (m_head.startsWith("\x1f\x8b")) {
        return fail(tr("a compressed file cannot be read from a pipe; unpack it on the way (gunzip -c FILE | "
                       "platewell --import -) or import the file itself"),
            error);
    }
    return inspectText(m_head, !m_headEnded, error);
}

bool FoodImport::inspectText(const QByteArray& head, bool truncated, QString* error)
{
    if (head.startsWith(QByteArrayView("SQLite format 3\0", 16))) {
        return fail(tr("it is an SQLite database, not a list of foods"), error);
    }
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        return fail(tr("the file is in UTF-16; save it as UTF-8 or Windows-1252 text and import that"), error);
    }
    if (looksBinary(head)) {
        return fail(tr("it is not a text file, so not a list of foods"), error);
    }
    const QByteArrayView text = head.startsWith("\xEF\xBB\xBF") ? QByteArrayView(head).sliced(3) : head;
    qsizetype lineEnd = text.indexOf('\n');
    if (lineEnd < 0) {
        if (truncated) {
            return fail(tr("its first line is over 1 MB long, so it is no header of a list of foods"), error);
        }
        lineEnd = text.size();
    }
    const QByteArrayView firstLine = text.first(lineEnd);
    m_delimiter = sniffDelimiter(firstLine);
    // The window lists every column for the user to place; more than any reader takes is refused
    // before one is listed.
    if (firstLine.count(m_delimiter) >= CsvStreamReader::MaxFields) {
        return fail(
            tr("its first line has over %1 columns, which no list of foods has").arg(CsvStreamReader::MaxFields),
            error);
    }

    if (m_delimiter == '\t') {
        QStringList tabColumns;
        for (const QByteArray& column : firstLine.toByteArray().split('\t')) {
            tabColumns.append(QString::fromUtf8(FieldNumber::trimmed(column)));
        }
        if (OpenFoodFactsReader::recognise(tabColumns)) {
            m_format = ImportFormat::OpenFoodFacts;
            return true;
        }
    }

    auto source = ByteSource::fromBytes(head);
    CsvStreamReader reader(*source, m_delimiter, true);
    QString buffer;
    auto decodedRecord = [&] {
        QStringList fields;
        for (qsizetype c = 0; c < reader.fieldCount(); ++c) {
            const QByteArrayView field = reader.field(c);
            fields.append(TextFile::decodeInto(field, field.isValidUtf8(), &buffer).toString());
        }
        return fields;
    };
    if (!reader.readRecord()) {
        return fail(reader.failed() ? reader.errorString() : tr("the file has no header line"), error);
    }
    for (const QString& column : decodedRecord()) {
        m_columns.append(column.simplified());
    }
    if (std::all_of(m_columns.cbegin(), m_columns.cend(), [](const QString& c) { return c.isEmpty(); })) {
        return fail(tr("its first line is empty, so it has no header naming the columns"), error);
    }
    // Rows that run to the end of a cut-off beginning may be cut, so they are not shown.
    while (m_preview.size() < kPreviewRows && reader.readRecord() && !(truncated && reader.consumed() == head.size())) {
        m_preview.append(decodedRecord());
    }
    m_choices = m_catalogue;
    for (const QString& column : m_columns) {
        Nutrient heading;
        QString reason;
        if (NutrientCatalogue::parseColumnHeader(column, &heading) && !m_choices.find(heading.number)) {
            m_choices.add(heading, &reason);
        }
    }
    m_mapping = ColumnMapping::propose(m_columns, m_choices);
    m_format = ImportFormat::Csv;
    return true;
}

NutrientCatalogue FoodImport::catalogueOf(const QString& databasePath)
{
    NutrientCatalogue catalogue = NutrientCatalogue::starter();
    // Opening a file that is not there would make one, which only the import may do; a server's
    // table makes its tables on first use anyway.
    if (PgConnection::isServerLocation(databasePath) || QFileInfo(databasePath).isFile()) {
        QString error;
        const std::unique_ptr<FoodStore> foods = FoodStoreOpener::open(databasePath, &error);
        NutrientCatalogue stored;
        if (foods && foods->nutrientCatalogue(&stored, &error)) {
            catalogue = stored;
        }
    }
    return catalogue;
}

std::vector<ImportColumn> FoodImport::proposeMapping(const QStringList& columns)
{
    return ColumnMapping::propose(columns);
}

int FoodImport::placeColumn(int column, const ImportColumn& choice)
{
    if (column < 0 || std::size_t(column) >= m_mapping.size()) {
        return -1;
    }
    int loser = -1;
    if (choice.field != NoField) {
        for (std::size_t c = 0; c < m_mapping.size(); ++c) {
            if (int(c) != column && ColumnMapping::sameTarget(m_mapping[c], choice)) {
                m_mapping[c] = ImportColumn();
                loser = int(c);
            }
        }
    }
    m_mapping[std::size_t(column)] = choice;
    return loser;
}

bool FoodImport::applyColumnsOption(const QString& option, QString* error)
{
    if (m_format != ImportFormat::Csv) {
        return fail(tr("--columns is for a CSV file, and this is %1").arg(formatName(m_format)), error);
    }
    QString reason;
    if (!ColumnMapping::applyOption(option, m_columns, m_choices, &m_mapping, &reason)) {
        return fail(tr("--columns: %1").arg(reason), error);
    }
    return true;
}

NumberStyle FoodImport::numberStyle() const
{
    return CsvFoodReader::guessStyle(m_preview, m_mapping, m_delimiter);
}

bool FoodImport::hasNameColumn() const
{
    return std::any_of(
        m_mapping.begin(), m_mapping.end(), [](const ImportColumn& c) { return c.field == FoodDatabase::FOOD; });
}

QStringList FoodImport::unplacedColumns() const
{
    QStringList unplaced;
    for (std::size_t c = 0; c < m_mapping.size(); ++c) {
        if (m_mapping[c].field == NoField) {
            unplaced.append(m_columns.at(qsizetype(c)));
        }
    }
    return unplaced;
}

bool FoodImport::run(const QString& databasePath, DuplicateRule rule, const ProgressCallback& progress,
    const ProblemCallback& problems, ImportSummary* summary, QString* error) const
{
    ImportSummary ownSummary;
    ImportSummary* counts = summary ? summary : &ownSummary;
    *counts = ImportSummary();
    if (m_format == ImportFormat::Unknown) {
        return fail(tr("the kind of file is not known yet"), error);
    }
    if (m_format == ImportFormat::Csv) {
        if (!hasNameColumn()) {
            return fail(
                tr("no column holds the food names (the columns are: %1)").arg(MessageText::quotedList(m_columns)),
                error);
        }
        counts->unplacedColumns = unplacedColumns();
    }
    std::unique_ptr<ByteSource> once;
    if (m_onceOnly) {
        if (!m_stream) {
            return fail(tr("it can be read only once, and was read already"), error);
        }
        // What inspect() read of it comes first; the rest of it follows.
        once = ByteSource::chained(m_head, std::move(m_stream));
    }

    FoodImportWriter writer(rule, progress, problems, counts);
    if (!writer.begin(databasePath, error)) {
        return false;
    }
    QString reason;
    bool ok = false;
    if (m_format == ImportFormat::FoodDataCentral) {
        FoodDataCentralReader fdc(m_path);
        ok = fdc.locate(!QFileInfo(m_path).isDir(), &reason) && fdc.read(writer, &reason);
    } else {
        auto source = once ? std::move(once)
            : m_gzip       ? ByteSource::openGzip(m_path, &reason)
                           : ByteSource::openFile(m_path, &reason);
        if (source && m_format == ImportFormat::OpenFoodFacts) {
            ok = OpenFoodFactsReader::read(*source, writer, &reason);
        } else if (source) {
            ok = CsvFoodReader::read(*source, m_delimiter, numberStyle(), m_mapping, writer, &reason);
        }
    }
    if (!ok) {
        writer.rollback();
        if (counts->cancelled) {
            if (error) {
                *error = tr("The import was cancelled; the food table is as it was.");
            }
            return false;
        }
        if (reason.isEmpty()) {
            reason = tr("the source changed after it was looked at");
        }
        return fail(tr("%1 Nothing was imported.").arg(reason.endsWith(u'.') ? reason : reason + u'.'), error);
    }
    return writer.commit(error);
}

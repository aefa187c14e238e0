#include "core/imports/FoodDataCentralReader.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/imports/FoodImportWriter.h"
#include "core/imports/ImportedFood.h"
#include "core/imports/ZipArchive.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/nutrients/NutrientUnit.h"
#include "core/text/FieldNumber.h"
#include "core/text/MessageText.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

const QString kFood = QStringLiteral("food.csv");
const QString kFoodNutrient = QStringLiteral("food_nutrient.csv");
const QString kNutrient = QStringLiteral("nutrient.csv");
const QString kPortion = QStringLiteral("food_portion.csv");
const QString kMeasureUnit = QStringLiteral("measure_unit.csv");
const QString kBranded = QStringLiteral("branded_food.csv");

// measure_unit.csv's "undetermined" unit: the portion's words are in its modifier.
constexpr qint64 kUndeterminedUnit = 9999;
constexpr std::uint8_t kNoRank = 0xFF;
// A branded food's label serving comes before any household portion.
constexpr qint64 kLabelServing = LLONG_MIN;

// FoodData Central's energy in kJ, the last fallback for the calories.
constexpr qint64 kEnergyKj = 1062;
// The catalogue's energy, which follows the calories the food table gets.
const QString kEnergyNumber = QStringLiteral("208");

// The double a float kept for a value stands for: its shortest decimal form, so that 0.1 read
// into a float comes back as 0.1 and not 0.100000001490116.
double widened(float value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double result = value;
    std::from_chars(text, written.ptr, result);
    return result;
}

// The amounts of food_nutrient.csv beyond the eight, as compactly as a 30-million-row file
// needs: per value a float and its nutrient column, in blocks so that growing never copies;
// and runs of values of one food, as the file groups a food's rows.
class NutrientValues
{
public:
    void add(std::uint32_t food, std::uint16_t column, float value)
    {
        const std::uint64_t at = m_count++;
        if ((at >> BlockBits) >= m_blocks.size()) {
            m_blocks.push_back(std::make_unique<Block>());
        }
        Block& block = *m_blocks[at >> BlockBits];
        block.values[at & BlockMask] = value;
        block.columns[at & BlockMask] = column;
        if (m_runs.empty() || m_runs.back().food != food) {
            m_ordered = m_ordered && (m_runs.empty() || m_runs.back().food < food);
            m_runs.push_back(Run { food, 0, at });
        }
        ++m_runs.back().count;
    }
    // Puts the runs in food order, a food's own in the file's order; then forEach walks them.
    void finish()
    {
        if (!m_ordered) {
            std::stable_sort(m_runs.begin(), m_runs.end(), [](const Run& a, const Run& b) { return a.food < b.food; });
            m_ordered = true;
        }
        m_next = 0;
    }
    // Gives each value of `food` (foods being asked in rising order) to `take(column, value)`.
    template <typename Take> void forEach(std::uint32_t food, Take take)
    {
        while (m_next < m_runs.size() && m_runs[m_next].food < food) {
            ++m_next;
        }
        for (; m_next < m_runs.size() && m_runs[m_next].food == food; ++m_next) {
            const Run& run = m_runs[m_next];
            for (std::uint64_t at = run.start; at < run.start + run.count; ++at) {
                const Block& block = *m_blocks[at >> BlockBits];
                take(block.columns[at & BlockMask], block.values[at & BlockMask]);
            }
        }
    }

private:
    static constexpr int BlockBits = 16;
    static constexpr std::uint64_t BlockMask = (std::uint64_t(1) << BlockBits) - 1;
    struct Block
    {
        std::array<float, std::size_t(1) << BlockBits> values;
        std::array<std::uint16_t, std::size_t(1) << BlockBits> columns;
    };
    struct Run
    {
        std::uint32_t food;
        std::uint32_t count;
        std::uint64_t start;
    };
    std::vector<std::unique_ptr<Block>> m_blocks;
    std::vector<Run> m_runs;
    std::uint64_t m_count = 0;
    std::size_t m_next = 0;
    bool m_ordered = true;
};

// The records of food.csv that are foods; the others describe lab samples and acquisitions.
bool isFoodType(QByteArrayView type)
{
    type = FieldNumber::trimmed(type);
    return type.isEmpty() || type == "foundation_food" || type == "sr_legacy_food" || type == "branded_food"
        || type == "survey_fndds_food" || type == "experimental_food";
}

QString decoded(QByteArrayView bytes, bool* legacy = nullptr)
{
    QString buffer;
    const bool utf8 = bytes.isValidUtf8();
    if (legacy) {
        *legacy = !utf8;
    }
    return TextFile::decodeInto(bytes, utf8, &buffer).trimmed().toString();
}

// Where a text kept for a food was not UTF-8 and so was read as Windows-1252, for its report.
enum class Legacy : std::uint8_t { None, BrandName, BrandOwner, Portion, MeasureUnit, LabelServing };

QString legacyName(Legacy where)
{
    switch (where) {
    case Legacy::BrandName:
        return QStringLiteral("branded_food.csv brand_name");
    case Legacy::BrandOwner:
        return QStringLiteral("branded_food.csv brand_owner");
    case Legacy::Portion:
        return QStringLiteral("food_portion.csv");
    case Legacy::MeasureUnit:
        return QStringLiteral("measure_unit.csv name");
    case Legacy::LabelServing:
        return QStringLiteral("branded_food.csv household_serving_fulltext");
    case Legacy::None:
        break;
    }
    return QString();
}

// Texts kept per food in one block, so that a million of them cost one allocation.
class TextPool
{
public:
    void resize(std::size_t count) { m_refs.assign(count, Ref {}); }
    bool isEmpty() const { return m_refs.empty(); }
    void set(std::size_t index, const QString& text, Legacy legacy = Legacy::None)
    {
        const QByteArray bytes = text.toUtf8();
        m_refs[index] = Ref { m_data.size(), bytes.size(), legacy };
        m_data.append(bytes);
    }
    Legacy legacy(std::size_t index) const { return index < m_refs.size() ? m_refs[index].legacy : Legacy::None; }
    QString get(std::size_t index) const
    {
        if (index >= m_refs.size()) {
            return QString();
        }
        const Ref& ref = m_refs[index];
        return QString::fromUtf8(m_data.constData() + ref.begin, ref.size);
    }

private:
    struct Ref
    {
        qsizetype begin = 0;
        qsizetype size = 0;
        Legacy legacy = Legacy::None;
    };
    QByteArray m_data;
    std::vector<Ref> m_refs;
};

} // namespace

// What the files give, gathered per food, and what each file's records do with it.
struct FoodDataCentralReader::Data
{
    // Each food's fdc_id, in food.csv's order, and the same sorted with each one's place, when
    // food.csv is not in fdc_id order.
    std::vector<qint64> ids;
    std::vector<std::pair<qint64, std::uint32_t>> sortedIds;
    bool idsAscending = true;
    qint64 lastId = -1;
    std::int64_t lastIndex = -1;

    // Per food and slot: the amount per 100 g and the rank of the nutrient id it came from.
    std::vector<double> amounts;
    std::vector<std::uint8_t> ranks;
    // Each nutrient id's factor to the table's unit, from nutrient.csv's unit names.
    QHash<qint64, double> unitFactors { { kEnergyKj, 1 / 4.184 } };

    // Every nutrient nutrient.csv numbers, as the source gives it, and the one of each id; with
    // whether any food has a value of it and its factor to the catalogue's unit (0: left out).
    std::vector<Nutrient> nutrients;
    QHash<QString, std::uint16_t> columnOfNumber;
    QHash<qint64, std::uint16_t> columnOfId;
    std::vector<bool> used;
    std::vector<double> factors;
    // Per column, the index of the food last given its value.
    std::vector<std::size_t> taken;
    // What the calories in kcal are multiplied by to be the catalogue's energy.
    double energyFactor = 0;
    NutrientValues values;

    QHash<qint64, QString> measureUnits;
    // The measure units whose names were read as Windows-1252.
    QSet<qint64> legacyUnits;
    // Per food: the serving's rank (portion seq_num, or the label serving), grams and text, and
    // whether the grams are millilitres.
    std::vector<qint64> servingRanks;
    std::vector<double> servingGrams;
    std::vector<bool> servingInMl;
    TextPool servingTexts;
    TextPool brands;

    // The place in `ids` of the next food written, and the food each record fills in turn.
    std::size_t written = 0;
    ImportedFood food;

    // The place of a food in `ids`, or -1.
    std::int64_t indexOf(qint64 id)
    {
        if (id == lastId) {
            return lastIndex;
        }
        std::int64_t index = -1;
        if (idsAscending) {
            const auto it = std::lower_bound(ids.begin(), ids.end(), id);
            if (it != ids.end() && *it == id) {
                index = it - ids.begin();
            }
        } else {
            const auto it = std::lower_bound(sortedIds.begin(), sortedIds.end(), std::make_pair(id, std::uint32_t(0)));
            if (it != sortedIds.end() && it->first == id) {
                index = it->second;
            }
        }
        lastId = id;
        lastIndex = index;
        return index;
    }

    // Each takes one record of its file, its columns found by the header; false stops the import.
    using Columns = std::vector<int>;
    bool takeUnit(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool takeMeasureUnit(
        const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool numberFood(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool takeNutrient(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool takePortion(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool takeBrand(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);
    bool writeFood(const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error);

    // What comes before or after a file's records.
    void placeFoods();
    bool prepareNutrients(FoodImportWriter& writer, QString* error);
    void startServings();
    void startBrands();
    void startWriting();
};

// One pass over one file of the download.
struct FoodDataCentralReader::File
{
    using Take = bool (Data::*)(const CsvStreamReader&, const Data::Columns&, FoodImportWriter&, QString*);
    QString name;
    // The columns looked for by their header names; the first `required` of them must be there.
    QStringList columns;
    int required = 0;
    // Whether a download may lack the file.
    bool optional = false;
    // Whether its records count as rows read; the small tables of units do not.
    bool countsRows = true;
    void (Data::*before)() = nullptr;
    Take take = nullptr;
    void (Data::*after)() = nullptr;
    // Readies what the file gave for the table, after `after`.
    bool (Data::*finish)(FoodImportWriter&, QString*) = nullptr;
};

FoodDataCentralReader::FoodDataCentralReader(const QString& path)
    : m_path(path)
{ }

FoodDataCentralReader::~FoodDataCentralReader() = default;

int FoodDataCentralReader::slotOf(qint64 nutrientId, int* rank)
{
    struct Entry
    {
        qint64 id;
        int slot;
        int rank;
    };
    static constexpr Entry entries[]
        = { { 1008, Energy, 0 }, { 2047, Energy, 1 }, { 2048, Energy, 2 }, { kEnergyKj, Energy, 3 }, { 1005, Carbs, 0 },
              { 1050, Carbs, 1 }, { 1004, Fat, 0 }, { 1085, Fat, 1 }, { 2000, Sugar, 0 }, { 1063, Sugar, 1 },
              { 1253, Cholesterol, 0 }, { 1079, Fiber, 0 }, { 2033, Fiber, 1 }, { 1086, SugarAlcohols, 0 } };
    for (const Entry& entry : entries) {
        if (entry.id == nutrientId) {
            *rank = entry.rank;
            return entry.slot;
        }
    }
    return -1;
}

bool FoodDataCentralReader::locate(bool zip, QString* error)
{
    if (!zip) {
        const QDir folder(m_path);
        return folder.exists(kFood) && folder.exists(kFoodNutrient);
    }
    m_zip = std::make_unique<ZipArchive>();
    if (!m_zip->open(m_path, error)) {
        m_zip.reset();
        return false;
    }
    const QStringList names = m_zip->memberNames();
    for (const QString& name : names) {
        if (name == kFood || name.endsWith(QLatin1Char('/') + kFood)) {
            const QString prefix = name.left(name.size() - kFood.size());
            if (names.contains(prefix + kFoodNutrient)) {
                m_prefix = prefix;
                return true;
            }
        }
    }
    return false;
}

bool FoodDataCentralReader::exists(const QString& name) const
{
    return m_zip ? m_zip->memberSize(m_prefix + name) >= 0 : QFileInfo(QDir(m_path).filePath(name)).isFile();
}

qint64 FoodDataCentralReader::sizeOf(const QString& name) const
{
    if (!exists(name)) {
        return 0;
    }
    return m_zip ? m_zip->memberSize(m_prefix + name) : QFileInfo(QDir(m_path).filePath(name)).size();
}

std::unique_ptr<ByteSource> FoodDataCentralReader::open(const QString& name, QString* error) const
{
    return m_zip ? m_zip->openMember(m_prefix + name, error) : ByteSource::openFile(QDir(m_path).filePath(name), error);
}

bool FoodDataCentralReader::readHeader(CsvStreamReader& reader, const QString& name, const QStringList& wanted,
    int required, std::vector<int>* columns, QString* error) const
{
    columns->assign(static_cast<std::size_t>(wanted.size()), -1);
    if (!reader.readRecord()) {
        *error = reader.failed() ? reader.errorString() : tr("%1 is empty").arg(name);
        return false;
    }
    for (qsizetype c = 0; c < reader.fieldCount(); ++c) {
        const QString header = decoded(reader.field(c)).toLower();
        const qsizetype w = wanted.indexOf(header);
        if (w >= 0 && (*columns)[static_cast<std::size_t>(w)] < 0) {
            (*columns)[static_cast<std::size_t>(w)] = int(c);
        }
    }
    for (int w = 0; w < required; ++w) {
        if ((*columns)[static_cast<std::size_t>(w)] < 0) {
            *error = tr("%1 has no column %2").arg(name, wanted[w]);
            return false;
        }
    }
    return true;
}

bool FoodDataCentralReader::read(FoodImportWriter& writer, QString* error)
{
    enum { Required = false, Optional = true };
    enum { UnitsTable = false, Rows = true };
    // The units first, as the nutrients and portions are read with them; then food.csv numbers
    // the foods, their nutrients, portions and brands are gathered by that number, and food.csv
    // read once more writes them.
    const File files[] = {
        { kNutrient,
            { QStringLiteral("id"), QStringLiteral("unit_name"), QStringLiteral("nutrient_nbr"),
                QStringLiteral("name") },
            2, Optional, UnitsTable, nullptr, &Data::takeUnit, nullptr },
        { kMeasureUnit, { QStringLiteral("id"), QStringLiteral("name") }, 2, Optional, UnitsTable, nullptr,
            &Data::takeMeasureUnit, nullptr },
        { kFood, { QStringLiteral("fdc_id"), QStringLiteral("data_type") }, 1, Required, Rows, nullptr,
            &Data::numberFood, &Data::placeFoods },
        { kFoodNutrient, { QStringLiteral("fdc_id"), QStringLiteral("nutrient_id"), QStringLiteral("amount") }, 3,
            Required, Rows, nullptr, &Data::takeNutrient, nullptr, &Data::prepareNutrients },
        { kPortion,
            { QStringLiteral("fdc_id"), QStringLiteral("gram_weight"), QStringLiteral("seq_num"),
                QStringLiteral("amount"), QStringLiteral("measure_unit_id"), QStringLiteral("portion_description"),
                QStringLiteral("modifier") },
            2, Optional, Rows, &Data::startServings, &Data::takePortion, nullptr },
        { kBranded,
            { QStringLiteral("fdc_id"), QStringLiteral("brand_name"), QStringLiteral("brand_owner"),
                QStringLiteral("serving_size"), QStringLiteral("serving_size_unit"),
                QStringLiteral("household_serving_fulltext") },
            1, Optional, Rows, &Data::startBrands, &Data::takeBrand, nullptr },
        { kFood, { QStringLiteral("fdc_id"), QStringLiteral("description"), QStringLiteral("data_type") }, 2, Required,
            Rows, &Data::startWriting, &Data::writeFood, nullptr },
    };
    Data data;
    qint64 total = 0;
    for (const File& file : files) {
        total += sizeOf(file.name);
    }
    writer.setTotalBytes(total);
    m_doneBytes = 0;
    for (const File& file : files) {
        QString reason;
        if (!readFile(file, data, writer, &reason)) {
            if (!writer.cancelled()) {
                *error = reason;
            }
            return false;
        }
    }
    return writer.reportProgress();
}

bool FoodDataCentralReader::readFile(const File& file, Data& data, FoodImportWriter& writer, QString* error)
{
    if (file.optional && !exists(file.name)) {
        return true;
    }
    auto source = open(file.name, error);
    if (!source) {
        return false;
    }
    CsvStreamReader reader(*source);
    std::vector<int> columns;
    if (!readHeader(reader, file.name, file.columns, file.required, &columns, error)) {
        return false;
    }
    if (file.before) {
        (data.*file.before)();
    }
    while (reader.readRecord()) {
        if (file.countsRows && !writer.rowRead(m_doneBytes + source->position())) {
            return false;
        }
        if (!(data.*file.take)(reader, columns, writer, error)) {
            return false;
        }
    }
    if (reader.failed()) {
        *error = reader.errorString();
        return false;
    }
    if (file.after) {
        (data.*file.after)();
    }
    if (file.finish && !(data.*file.finish)(writer, error)) {
        return false;
    }
    m_doneBytes += sizeOf(file.name);
    return true;
}

bool FoodDataCentralReader::Data::takeUnit(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter&, QString*)
{
    enum { Id, UnitName, Number, Name };
    qint64 id = 0;
    int rank = 0;
    if (!FieldNumber::readInteger(record.field(columns[Id]), &id)) {
        return true;
    }
    // Every nutrient with a number is brought, by that number; ids that share one fill one column.
    const QString number = columns[Number] >= 0 ? decoded(record.field(columns[Number])) : QString();
    if (NutrientCatalogue::isNumber(number) && !columnOfId.contains(id)) {
        auto column = columnOfNumber.constFind(number);
        if (column == columnOfNumber.cend() && nutrients.size() < std::numeric_limits<std::uint16_t>::max()) {
            Nutrient nutrient;
            nutrient.number = number;
            nutrient.name = columns[Name] >= 0 ? decoded(record.field(columns[Name])) : QString();
            if (nutrient.name.isEmpty()) {
                nutrient.name = tr("Nutrient %1").arg(number);
            }
            nutrient.unit = NutrientUnit::normalised(decoded(record.field(columns[UnitName])));
            nutrient.group = NutrientCatalogue::groupOf(number);
            column = columnOfNumber.insert(number, std::uint16_t(nutrients.size()));
            nutrients.push_back(nutrient);
        }
        if (column != columnOfNumber.cend()) {
            columnOfId.insert(id, *column);
        }
    }
    const int slot = slotOf(id, &rank);
    if (slot < 0) {
        return true;
    }
    const QByteArray unit = record.field(columns[UnitName]).toByteArray().trimmed().toUpper();
    // Energy is kept in kcal, cholesterol in mg, the rest in g.
    double factor = 1;
    if (unit == "KJ") {
        factor = slot == Energy ? 1 / 4.184 : 1;
    } else if (unit == "MG") {
        factor = slot == Cholesterol ? 1 : 0.001;
    } else if (unit == "G") {
        factor = slot == Cholesterol ? 1000 : 1;
    } else if (unit == "UG" || unit == "\xC2\xB5G") {
        factor = slot == Cholesterol ? 0.001 : 0.000001;
    }
    unitFactors.insert(id, factor);
    return true;
}

bool FoodDataCentralReader::Data::takeMeasureUnit(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter&, QString*)
{
    qint64 id = 0;
    bool legacy = false;
    if (FieldNumber::readInteger(record.field(columns[0]), &id)) {
        measureUnits.insert(id, decoded(record.field(columns[1]), &legacy));
    }
    if (legacy) {
        legacyUnits.insert(id);
    }
    return true;
}

bool FoodDataCentralReader::Data::numberFood(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter&, QString*)
{
    qint64 id = 0;
    if (!FieldNumber::readInteger(record.field(columns[0]), &id)
        || (columns[1] >= 0 && !isFoodType(record.field(columns[1])))) {
        return true;
    }
    idsAscending = idsAscending && (ids.empty() || ids.back() < id);
    ids.push_back(id);
    return true;
}

void FoodDataCentralReader::Data::placeFoods()
{
    if (!idsAscending) {
        sortedIds.reserve(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            sortedIds.emplace_back(ids[i], std::uint32_t(i));
        }
        std::sort(sortedIds.begin(), sortedIds.end());
    }
    amounts.assign(ids.size() * SlotCount, 0.0);
    ranks.assign(ids.size() * SlotCount, kNoRank);
    used.assign(nutrients.size(), false);
}

bool FoodDataCentralReader::Data::prepareNutrients(FoodImportWriter& writer, QString* error)
{
    values.finish();
    // Only the nutrients some food has a value of join the catalogue; the energy always may, as
    // it follows the calories.
    std::vector<Nutrient> wanted;
    std::vector<std::size_t> wantedColumns;
    QStringList leftOut;
    for (std::size_t c = 0; c < nutrients.size(); ++c) {
        if (!used[c]) {
            continue;
        }
        if (!NutrientUnit::isKnown(nutrients[c].unit)) {
            leftOut.append(NutrientCatalogue::columnHeader(nutrients[c]));
            continue;
        }
        wanted.push_back(nutrients[c]);
        wantedColumns.push_back(c);
    }
    Nutrient energy;
    energy.number = kEnergyNumber;
    energy.name = QStringLiteral("Energy");
    energy.unit = QStringLiteral("kcal");
    energy.group = NutrientCatalogue::groupOf(kEnergyNumber);
    wanted.push_back(energy);
    std::vector<double> wantedFactors;
    QStringList unusable;
    if (!writer.prepareNutrients(wanted, &wantedFactors, &unusable, error)) {
        return false;
    }
    factors.assign(nutrients.size(), 0.0);
    for (std::size_t w = 0; w < wantedColumns.size(); ++w) {
        factors[wantedColumns[w]] = wantedFactors[w];
    }
    energyFactor = wantedFactors.back();
    for (std::size_t w = 0; w + 1 < wanted.size(); ++w) {
        if (wantedFactors[w] == 0) {
            leftOut.append(NutrientCatalogue::columnHeader(wanted[w]));
        }
    }
    writer.leftOut(leftOut);
    return true;
}

bool FoodDataCentralReader::Data::takeNutrient(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString*)
{
    qint64 nutrientId = 0;
    int rank = 0;
    if (!FieldNumber::readInteger(record.field(columns[1]), &nutrientId)) {
        return true;
    }
    const int slot = slotOf(nutrientId, &rank);
    const auto column = columnOfId.constFind(nutrientId);
    const bool brought = column != columnOfId.cend();
    if (slot < 0 && !brought) {
        return true;
    }
    qint64 fdcId = 0;
    if (!FieldNumber::readInteger(record.field(columns[0]), &fdcId)) {
        return true;
    }
    const std::int64_t index = indexOf(fdcId);
    if (index < 0) {
        return true;
    }
    const std::size_t at = std::size_t(index) * SlotCount + std::size_t(std::max(slot, 0));
    const bool better = slot >= 0 && rank < ranks[at];
    if (!better && !brought) {
        return true;
    }
    double amount = 0;
    const QByteArrayView text = record.field(columns[2]);
    if (!FieldNumber::readDouble(text, &amount)) {
        if (!FieldNumber::trimmed(text).isEmpty()) {
            writer.mended(fdcId, true, QString(),
                tr("the amount \"%1\" of nutrient %2 is not a number; it was left out")
                    .arg(MessageText::quoted(decoded(text)))
                    .arg(nutrientId));
        }
        return true;
    }
    if (better) {
        amounts[at] = amount * unitFactors.value(nutrientId, 1.0);
        ranks[at] = std::uint8_t(rank);
    }
    if (brought) {
        const float kept = float(amount);
        if (!std::isfinite(kept)) {
            writer.mended(fdcId, true, QString(),
                tr("the amount \"%1\" of nutrient %2 is too large; it was left out")
                    .arg(MessageText::quoted(decoded(text)))
                    .arg(nutrientId));
            return true;
        }
        values.add(std::uint32_t(index), *column, kept);
        used[*column] = true;
    }
    return true;
}

void FoodDataCentralReader::Data::startServings()
{
    if (servingRanks.empty()) {
        servingRanks.assign(ids.size(), LLONG_MAX);
        servingGrams.assign(ids.size(), 0.0);
        servingInMl.assign(ids.size(), false);
        servingTexts.resize(ids.size());
    }
}

bool FoodDataCentralReader::Data::takePortion(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter&, QString*)
{
    enum { FdcId, GramWeight, SeqNum, Amount, MeasureUnit, Description, Modifier };
    qint64 fdcId = 0;
    double grams = 0;
    if (!FieldNumber::readInteger(record.field(columns[FdcId]), &fdcId)
        || !FieldNumber::readDouble(record.field(columns[GramWeight]), &grams) || grams <= 0) {
        return true;
    }
    const std::int64_t index = indexOf(fdcId);
    if (index < 0) {
        return true;
    }
    // The first portion by seq_num; one without a seq_num comes after those with one, and
    // among equals the first in the file.
    qint64 seq = LLONG_MAX - 1;
    FieldNumber::readInteger(record.field(columns[SeqNum]), &seq);
    const std::size_t at = std::size_t(index);
    if (seq >= servingRanks[at]) {
        return true;
    }
    qint64 unitId = kUndeterminedUnit;
    FieldNumber::readInteger(record.field(columns[MeasureUnit]), &unitId);
    const QString unit = measureUnits.value(unitId);
    bool legacyModifier = false;
    bool legacyDescription = false;
    QString modifier = decoded(record.field(columns[Modifier]), &legacyModifier);
    // Survey foods keep a numeric code in the modifier and their words in the description.
    bool code = false;
    modifier.toLongLong(&code);
    if (code) {
        modifier.clear();
    }
    const QString description = decoded(record.field(columns[Description]), &legacyDescription);
    double amount = 0;
    const bool hasAmount = FieldNumber::readDouble(record.field(columns[Amount]), &amount);
    QString measure;
    bool unitNamed = false;
    if (unitId != kUndeterminedUnit && !unit.isEmpty() && unit != QLatin1String("undetermined")) {
        measure = modifier.isEmpty() ? unit : unit + QStringLiteral(", ") + modifier;
        unitNamed = true;
    } else if (!modifier.isEmpty()) {
        measure = modifier;
    }
    QString text;
    Legacy legacy = Legacy::None;
    if (!measure.isEmpty()) {
        text = hasAmount ? ImportedFood::amountText(amount) + QLatin1Char(' ') + measure : measure;
        legacy = legacyModifier && !modifier.isEmpty()  ? Legacy::Portion
            : unitNamed && legacyUnits.contains(unitId) ? Legacy::MeasureUnit
                                                        : Legacy::None;
    } else if (!description.isEmpty()) {
        text = description;
        legacy = legacyDescription ? Legacy::Portion : Legacy::None;
    } else {
        return true;
    }
    servingRanks[at] = seq;
    servingGrams[at] = grams;
    servingInMl[at] = false;
    servingTexts.set(at, QStringLiteral("%1 (%2 g)").arg(text, ImportedFood::amountText(grams)), legacy);
    return true;
}

void FoodDataCentralReader::Data::startBrands()
{
    startServings();
    brands.resize(ids.size());
}

bool FoodDataCentralReader::Data::takeBrand(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter&, QString*)
{
    enum { FdcId, BrandName, BrandOwner, Size, Unit, Household };
    qint64 fdcId = 0;
    if (!FieldNumber::readInteger(record.field(columns[FdcId]), &fdcId)) {
        return true;
    }
    const std::int64_t index = indexOf(fdcId);
    if (index < 0) {
        return true;
    }
    const std::size_t at = std::size_t(index);
    bool legacy = false;
    QString brand = decoded(record.field(columns[BrandName]), &legacy);
    Legacy where = legacy ? Legacy::BrandName : Legacy::None;
    if (brand.isEmpty()) {
        brand = decoded(record.field(columns[BrandOwner]), &legacy);
        where = legacy ? Legacy::BrandOwner : Legacy::None;
    }
    if (!brand.isEmpty()) {
        brands.set(at, brand, where);
    }
    // The label serving, when it is given in grams or millilitres: nutrients are per 100 g
    // or per 100 ml.
    double size = 0;
    const QByteArray unit = record.field(columns[Unit]).toByteArray().trimmed().toLower();
    const char* unitText = unit == "g" || unit == "grm" ? "g" : unit == "ml" || unit == "mlt" ? "ml" : nullptr;
    if (!unitText || !FieldNumber::readDouble(record.field(columns[Size]), &size) || size <= 0) {
        return true;
    }
    bool legacyHousehold = false;
    const QString household = decoded(record.field(columns[Household]), &legacyHousehold);
    const QString amount = ImportedFood::amountText(size) + QLatin1Char(' ') + QLatin1String(unitText);
    servingRanks[at] = kLabelServing;
    servingGrams[at] = size;
    servingInMl[at] = unitText[0] == 'm';
    servingTexts.set(at, household.isEmpty() ? amount : QStringLiteral("%1 (%2)").arg(household, amount),
        legacyHousehold && !household.isEmpty() ? Legacy::LabelServing : Legacy::None);
    return true;
}

void FoodDataCentralReader::Data::startWriting()
{
    written = 0;
    food = ImportedFood();
    food.isFdcId = true;
}

bool FoodDataCentralReader::Data::writeFood(
    const CsvStreamReader& record, const Columns& columns, FoodImportWriter& writer, QString* error)
{
    enum { FdcId, Description, DataType };
    qint64 id = 0;
    const bool hasId = FieldNumber::readInteger(record.field(columns[FdcId]), &id);
    if (hasId && columns[DataType] >= 0 && !isFoodType(record.field(columns[DataType]))) {
        writer.notFood();
        return true;
    }
    bool nameLegacy = false;
    food.name = decoded(record.field(columns[Description]), &nameLegacy);
    if (!hasId) {
        // Blank lines are no records; a record without a readable id is refused by name.
        if (record.fieldCount() > 1 || !FieldNumber::trimmed(record.field(0)).isEmpty()) {
            writer.refuse(record.lineNumber(), false, food.name,
                tr("the fdc_id \"%1\" is not a number")
                    .arg(MessageText::quoted(decoded(record.field(columns[FdcId])))));
        }
        return true;
    }
    const std::size_t index = written;
    if (index >= ids.size() || ids[index] != id) {
        *error = tr("%1 changed while it was read").arg(kFood);
        return false;
    }
    food.location = id;
    // Each text is decoded on its own; those read as Windows-1252 are told.
    QStringList legacy;
    if (nameLegacy) {
        legacy.append(QStringLiteral("%1 description").arg(kFood));
    }
    const QString brand = brands.get(index);
    if (!brand.isEmpty() && !food.name.contains(brand, Qt::CaseInsensitive)) {
        food.name += QStringLiteral(" (%1)").arg(brand);
        if (brands.legacy(index) != Legacy::None) {
            legacy.append(legacyName(brands.legacy(index)));
        }
    }
    food.notes.clear();
    double grams = 100;
    bool millilitres = false;
    food.serving = QStringLiteral("100 g");
    if (!servingRanks.empty() && servingRanks[index] != LLONG_MAX) {
        grams = servingGrams[index];
        millilitres = servingInMl[index];
        food.serving = servingTexts.get(index);
        if (servingTexts.legacy(index) != Legacy::None && ImportedFood::isServingWeight(grams)) {
            legacy.append(legacyName(servingTexts.legacy(index)));
        }
        if (!ImportedFood::isServingWeight(grams)) {
            millilitres = false;
            grams = food.useHundredGrams(servingRanks[index] == kLabelServing
                    ? QStringLiteral("%1 serving_size").arg(kBranded)
                    : QStringLiteral("%1 gram_weight").arg(kPortion),
                grams);
        }
    }
    ImportedFood::Per100g per100g;
    std::array<std::optional<double>*, SlotCount> targets { &per100g.calories, &per100g.carbs, &per100g.fat,
        &per100g.sugar, &per100g.cholesterol, &per100g.fiber, &per100g.sugarAlcohols };
    for (std::size_t s = 0; s < SlotCount; ++s) {
        const std::size_t at = index * SlotCount + s;
        if (ranks[at] != kNoRank) {
            *targets[s] = amounts[at];
        }
    }
    food.setScaled(per100g, grams);
    // The other nutrients, scaled as the eight are, in the catalogue's units; the energy is the
    // calories the food table gets, wherever they came from.
    const double scale = grams / 100.0;
    food.more = FoodNutrients();
    if (!millilitres) {
        food.more.servingGrams = grams;
    }
    // A column a food has twice keeps its first value. Marking the columns taken with the food's
    // index spares looking each number up in the values before adding it.
    taken.resize(nutrients.size(), std::numeric_limits<std::size_t>::max());
    values.forEach(std::uint32_t(index), [&](std::uint16_t column, float amount) {
        const double value = widened(amount) * factors[column] * scale;
        if (factors[column] != 0 && std::isfinite(value) && taken[column] != index) {
            taken[column] = index;
            food.more.values.insert(nutrients[column].number, value);
        }
    });
    if (per100g.calories && energyFactor != 0 && std::isfinite(*per100g.calories * energyFactor * scale)) {
        food.more.values.insert(kEnergyNumber, *per100g.calories * energyFactor * scale);
    }
    if (!legacy.isEmpty()) {
        food.notes.append(tr("not UTF-8, so read as Windows-1252: %1").arg(legacy.join(QStringLiteral(", "))));
    }
    ++written;
    return writer.add(food, error);
}

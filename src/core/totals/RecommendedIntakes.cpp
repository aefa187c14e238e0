#include "core/totals/RecommendedIntakes.h"

#include "core/files/TextLineReader.h"
#include "core/nutrients/NutrientUnit.h"
#include "core/text/MessageText.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

// The table lives in this library, whose resources a program registers by hand.
static void initReferenceResources()
{
    Q_INIT_RESOURCE(reference);
}

namespace {

const QLatin1String kHeader("nutrient,name,sex,age_from,age_to,stage,intake,intake_kind,upper_limit,upper_kind,unit");
constexpr int kFields = 11;
// Energy has no recommended intake, only estimated needs that hang on weight and activity.
const QStringList kEnergyNumbers { QStringLiteral("208"), QStringLiteral("268") };

// A whole number of years, or empty when `allowEmpty`.
bool readAge(QStringView field, bool allowEmpty, std::optional<int>* age)
{
    if (field.isEmpty()) {
        age->reset();
        return allowEmpty;
    }
    bool ok = false;
    const int value = field.toInt(&ok);
    if (!ok || value < 0 || value > RecommendedIntakes::OldestAge) {
        return false;
    }
    *age = value;
    return true;
}

// An amount in the C form, not negative; empty is none. `kind` must name what it is exactly when
// there is one.
bool readAmount(QStringView field, QStringView kind, const QStringList& kinds, std::optional<double>* amount)
{
    if (field.isEmpty()) {
        amount->reset();
        return kind.isEmpty();
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(field, &ok);
    if (!ok || !std::isfinite(value) || value < 0 || !kinds.contains(kind.toString())) {
        return false;
    }
    *amount = value;
    return true;
}

// "µg RAE" is "µg" of a measure of its own; "mg" is plain mass.
void splitUnit(const QString& unit, QString* base, QString* measure)
{
    const qsizetype space = unit.indexOf(QLatin1Char(' '));
    *base = NutrientUnit::normalised(space < 0 ? QStringView(unit) : QStringView(unit).first(space));
    *measure = space < 0 ? QString() : unit.sliced(space + 1).trimmed();
}

} // namespace

bool RecommendedIntakes::canBeMother(const Person& person)
{
    return person.sex == Sex::Female && person.age >= FirstMotherAge && person.age <= LastMotherAge;
}

QString RecommendedIntakes::builtInPath()
{
    initReferenceResources();
    return QStringLiteral(":/reference/dietary-reference-intakes.csv");
}

const RecommendedIntakes& RecommendedIntakes::builtIn()
{
    static const RecommendedIntakes intakes = [] {
        RecommendedIntakes read;
        QString error;
        RecommendedIntakes::read(builtInPath(), &read, nullptr, &error);
        return read;
    }();
    return intakes;
}

bool RecommendedIntakes::readRow(const QString& line, Row* row, QString* reason)
{
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != kFields) {
        *reason = tr("it has %1 fields, not %2").arg(fields.size()).arg(kFields);
        return false;
    }
    QStringList f;
    for (const QString& field : fields) {
        f.append(field.trimmed());
    }
    row->number = f[0];
    row->name = f[1];
    if (!NutrientCatalogue::isNumber(row->number) || row->name.isEmpty()) {
        *reason = tr("it names no nutrient by number and name");
        return false;
    }
    if (f[2] == u"any") {
        row->sex.reset();
    } else if (f[2] == u"female") {
        row->sex = Sex::Female;
    } else if (f[2] == u"male") {
        row->sex = Sex::Male;
    } else {
        *reason = tr("its sex is not \"female\", \"male\" or \"any\"");
        return false;
    }
    std::optional<int> from;
    if (!readAge(f[3], false, &from) || !readAge(f[4], true, &row->ageTo) || (row->ageTo && *row->ageTo < *from)) {
        *reason = tr("its ages are not whole years from %1 to %2").arg(0).arg(OldestAge);
        return false;
    }
    row->ageFrom = *from;
    if (f[5].isEmpty()) {
        row->stage = Stage::None;
    } else if (f[5] == u"pregnant") {
        row->stage = Stage::Pregnant;
    } else if (f[5] == u"lactating") {
        row->stage = Stage::Lactating;
    } else {
        *reason = tr("its stage is not \"pregnant\", \"lactating\" or empty");
        return false;
    }
    if (row->stage != Stage::None && row->sex != Sex::Female) {
        *reason = tr("pregnancy and lactation are given for females only");
        return false;
    }
    static const QStringList intakeKinds { QStringLiteral("RDA"), QStringLiteral("AI") };
    static const QStringList upperKinds { QStringLiteral("UL"), QStringLiteral("CDRR") };
    if (!readAmount(f[6], f[7], intakeKinds, &row->range.minimum)
        || !readAmount(f[8], f[9], upperKinds, &row->range.maximum)) {
        *reason = tr("its amounts are not numbers, each with its kind (RDA or AI, UL or CDRR)");
        return false;
    }
    if (!row->range.minimum && !row->range.maximum) {
        *reason = tr("it has neither an intake nor an upper limit");
        return false;
    }
    if (row->range.minimum && row->range.maximum && *row->range.minimum > *row->range.maximum) {
        *reason = tr("its intake is above its upper limit");
        return false;
    }
    QString base;
    QString measure;
    splitUnit(f[10], &base, &measure);
    if (!NutrientUnit::isKnown(base)) {
        *reason = tr("its unit \"%1\" is none Platewell knows").arg(MessageText::quoted(f[10], 20));
        return false;
    }
    row->unit = measure.isEmpty() ? base : base + QLatin1Char(' ') + measure;
    return true;
}

bool RecommendedIntakes::read(const QString& path, RecommendedIntakes* intakes, QStringList* problems, QString* error)
{
    TextLineReader reader(path);
    if (!reader.open(error)) {
        return false;
    }
    RecommendedIntakes read;
    ListedItems found(NutrientTargets::ListedProblems);
    bool headerSeen = false;
    QString line;
    while (reader.readLine(&line)) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('#'))) {
            if (read.m_source.isEmpty()) {
                read.m_source = trimmed.sliced(1).trimmed().left(LongestLine);
            }
            continue;
        }
        QString reason;
        Row row;
        if (reader.lineCut() || trimmed.size() > LongestLine) {
            reason = tr("it is longer than %1 characters").arg(LongestLine);
        } else if (!headerSeen) {
            if (trimmed == kHeader) {
                headerSeen = true;
                continue;
            }
            reason = tr("the heading \"%1\" should come first").arg(kHeader);
        } else if (readRow(trimmed, &row, &reason)) {
            if (static_cast<int>(read.m_rows.size()) >= MostRows) {
                *error = tr("%1 holds more than %2 recommended intakes.").arg(QFileInfo(path).fileName()).arg(MostRows);
                return false;
            }
            read.m_rows.push_back(std::move(row));
            continue;
        }
        if (found.listsNext()) {
            found.add(tr("Line %1 \"%2\" is not a recommended intake: %3.")
                          .arg(QString::number(reader.lineNumber()),
                              MessageText::quoted(trimmed, NutrientTargets::QuotedCharacters), reason));
        } else {
            found.countUnlisted();
        }
    }
    if (reader.failed(error)) {
        return false;
    }
    if (problems) {
        *problems = found.lines();
    }
    *intakes = std::move(read);
    return true;
}

bool RecommendedIntakes::matches(const Row& row, const Person& person)
{
    return (!row.sex || *row.sex == person.sex) && person.age >= row.ageFrom && (!row.ageTo || person.age <= *row.ageTo)
        && row.stage == person.stage;
}

RecommendedIntakes::Filled RecommendedIntakes::rangesFor(const Person& person, const NutrientCatalogue& catalogue) const
{
    Filled filled;
    QStringList seen;
    for (const Row& row : m_rows) {
        if (!matches(row, person) || seen.contains(row.number) || kEnergyNumbers.contains(row.number)) {
            continue;
        }
        const Nutrient* nutrient = catalogue.find(row.number);
        if (!nutrient) {
            continue;
        }
        // The first row for a person counts.
        seen.append(row.number);
        QString base;
        QString measure;
        splitUnit(row.unit, &base, &measure);
        NutrientTargets::Range range;
        bool converted = measure.isEmpty();
        for (auto [from, to] :
            { std::pair(&row.range.minimum, &range.minimum), std::pair(&row.range.maximum, &range.maximum) }) {
            double value = 0;
            if (*from && converted) {
                converted = NutrientUnit::convert(**from, base, nutrient->unit, &value);
                *to = value;
            }
        }
        if (!converted) {
            filled.unset.append(tr("%1 (%2): recommended in %3, which %2 cannot be converted to.")
                                    .arg(MessageText::quoted(nutrient->name), nutrient->unit, row.unit));
            continue;
        }
        filled.ranges[row.number] = range;
    }
    return filled;
}

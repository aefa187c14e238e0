#include "core/imports/ColumnMapping.h"

#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/MessageText.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

namespace {

// A name reduced to its lower-case letters and digits: "Total Fat" and "total_fat" both become
// "totalfat".
QString normalised(QStringView name)
{
    QString result;
    result.reserve(name.size());
    for (const QChar c : name) {
        if (c.isLetterOrNumber()) {
            result += c.toLower();
        }
    }
    return result;
}

struct Spelling
{
    int field = ColumnMapping::NoField;
    NutrientUnit unit = NutrientUnit::None;
};

const QHash<QString, Spelling>& knownNames()
{
    static const QHash<QString, Spelling> names = [] {
        QHash<QString, Spelling> map;
        const QList<QPair<int, QStringList>> spellings {
            { FoodDatabase::FOOD,
                { "food", "name", "foodname", "description", "fooddescription", "item", "product", "productname" } },
            { FoodDatabase::SERVING_UN,
                { "servingun", "servingunit", "serving", "servingsize", "unit", "measure", "portion",
                    "householdmeasure" } },
            { FoodDatabase::CALORIES, { "calories", "calorie", "energy", "cal", "enerc", "energycalories" } },
            { FoodDatabase::CARBS,
                { "carbs", "carb", "carbohydrate", "carbohydrates", "totalcarbs", "totalcarbohydrate",
                    "totalcarbohydrates", "carbohydratebydifference", "chocdf", "choavl" } },
            { FoodDatabase::FAT, { "fat", "fats", "totalfat", "totallipidfat", "lipid", "lipids", "fatce" } },
            { FoodDatabase::SUGAR, { "sugar", "sugars", "totalsugar", "totalsugars", "sugarstotal" } },
            { FoodDatabase::CHOLESTERO, { "cholestero", "cholesterol", "chole" } },
            { FoodDatabase::POINTS, { "points", "point" } },
            { FoodDatabase::FIBER,
                { "fiber", "fibre", "dietaryfiber", "dietaryfibre", "totaldietaryfiber", "fibertotaldietary",
                    "fibtg" } },
            { FoodDatabase::SUGAR_ALC, { "sugaralc", "sugaralcohol", "sugaralcohols", "polyols", "polyol", "polyl" } },
            { ColumnMapping::ServingGrams,
                { "servingg", "servinggrams", "servingweight", "servingsizegrams", "servingquantity", "gramweight",
                    "grams", "weight", "portionweight", "portiongrams" } },
        };
        for (const auto& [field, words] : spellings) {
            for (const QString& word : words) {
                map.insert(word, { field, NutrientUnit::None });
            }
        }
        for (int f = 0; f < ColumnMapping::ChoiceCount; ++f) {
            map.insert(normalised(ColumnMapping::fieldName(f)), { f, NutrientUnit::None });
            map.insert(normalised(ColumnMapping::fieldCaption(f)), { f, NutrientUnit::None });
        }
        for (const char* word : { "kcal", "kilocalories", "kcals" }) {
            map.insert(QLatin1String(word), { FoodDatabase::CALORIES, NutrientUnit::Kcal });
        }
        for (const char* word : { "kj", "kilojoules", "kilojoule" }) {
            map.insert(QLatin1String(word), { FoodDatabase::CALORIES, NutrientUnit::Kilojoule });
        }
        return map;
    }();
    return names;
}

// The units and the per-100-g mark a header may end with or hold in brackets, longest first so
// that "mg" is not read as "g".
struct Suffix
{
    const char16_t* text;
    NutrientUnit unit;
    bool per100g;
};
constexpr Suffix kSuffixes[] = {
    { u"per100g", NutrientUnit::None, true },
    { u"per100ml", NutrientUnit::None, true },
    { u"100ml", NutrientUnit::None, true },
    { u"100g", NutrientUnit::None, true },
    { u"kilocalories", NutrientUnit::Kcal, false },
    { u"kilojoules", NutrientUnit::Kilojoule, false },
    { u"micrograms", NutrientUnit::Microgram, false },
    { u"milligrams", NutrientUnit::Milligram, false },
    { u"grams", NutrientUnit::Gram, false },
    { u"gram", NutrientUnit::Gram, false },
    { u"kcal", NutrientUnit::Kcal, false },
    { u"mcg", NutrientUnit::Microgram, false },
    { u"iu", NutrientUnit::InternationalUnit, false },
    { u"\u00b5g", NutrientUnit::Microgram, false },
    { u"\u03bcg", NutrientUnit::Microgram, false },
    { u"ug", NutrientUnit::Microgram, false },
    { u"mg", NutrientUnit::Milligram, false },
    { u"kj", NutrientUnit::Kilojoule, false },
    { u"gr", NutrientUnit::Gram, false },
    { u"g", NutrientUnit::Gram, false },
};

struct Marks
{
    NutrientUnit unit = NutrientUnit::None;
    bool per100g = false;
};

// Takes one unit or per-100-g mark off the end of `name`, leaving at least `keep` characters.
bool stripSuffix(QString* name, qsizetype keep, Marks* marks)
{
    for (const Suffix& suffix : kSuffixes) {
        const QStringView text(suffix.text);
        if (name->size() >= keep + text.size() && name->endsWith(text)) {
            name->chop(text.size());
            if (suffix.per100g) {
                marks->per100g = true;
            } else if (marks->unit == NutrientUnit::None) {
                marks->unit = suffix.unit;
            }
            return true;
        }
    }
    return false;
}

// The spelling `name` is, once the units written onto its end are taken off.
bool matchName(QString name, Spelling* spelling, Marks* marks)
{
    for (;;) {
        const auto found = knownNames().constFind(name);
        if (found != knownNames().constEnd()) {
            *spelling = *found;
            return true;
        }
        if (!stripSuffix(&name, 1, marks)) {
            return false;
        }
    }
}

// Whether a bracket's words are only units and per-100-g marks ("g", "kcal/100 g", "per 100 g").
bool readMarks(QString words, Marks* marks)
{
    if (words.isEmpty()) {
        return false;
    }
    Marks found;
    while (!words.isEmpty()) {
        if (words == u"per" || words == u"perserving") {
            words.clear();
            break;
        }
        if (!stripSuffix(&words, 0, &found)) {
            return false;
        }
    }
    marks->per100g = marks->per100g || found.per100g;
    if (marks->unit == NutrientUnit::None) {
        marks->unit = found.unit;
    }
    return true;
}

struct Match
{
    ImportColumn column;
    // A column in kJ takes the calories only when no column in kcal does.
    bool fallback = false;
};

// A header's names to match, each reduced by normalised(), with the units and per-100-g marks
// its brackets hold.
struct HeaderNames
{
    QStringList candidates;
    Marks bracketMarks;
};

HeaderNames headerNames(const QString& header)
{
    // Words in brackets are units when they read as units ("(kJ)", "[mg]", "(g/100 g)"), else
    // part of the name ("Total lipid (fat)").
    QString outside;
    QString withBrackets;
    Marks bracketMarks;
    QString inside;
    int depth = 0;
    for (const QChar c : header) {
        if (c == u'(' || c == u'[') {
            ++depth;
            continue;
        }
        if ((c == u')' || c == u']') && depth > 0) {
            if (--depth == 0) {
                if (!readMarks(normalised(inside), &bracketMarks)) {
                    withBrackets += inside;
                }
                inside.clear();
            }
            continue;
        }
        if (depth > 0) {
            inside += c;
        } else {
            outside += c;
            withBrackets += c;
        }
    }
    if (depth > 0) {
        withBrackets += inside;
    }
    // A name and a code, "Total Fat; fatce": each part is tried in turn.
    HeaderNames names;
    names.bracketMarks = bracketMarks;
    for (const QString& text : { outside, withBrackets }) {
        for (const QString& part : text.split(QRegularExpression(QStringLiteral("[;|]")))) {
            const QString name = normalised(part);
            if (!name.isEmpty() && !names.candidates.contains(name)) {
                names.candidates.append(name);
            }
        }
    }
    return names;
}

Match matchHeader(const QString& header)
{
    const HeaderNames names = headerNames(header);
    for (const QString& candidate : names.candidates) {
        Spelling spelling;
        Marks marks = names.bracketMarks;
        if (!matchName(candidate, &spelling, &marks)) {
            continue;
        }
        if (marks.unit == NutrientUnit::None) {
            marks.unit = spelling.unit;
        }
        int field = spelling.field;
        // "Serving size (g)" holds the serving's weight, not its unit.
        if (field == FoodDatabase::SERVING_UN && marks.unit == NutrientUnit::Gram) {
            field = ColumnMapping::ServingGrams;
        }
        const QList<NutrientUnit> units = ColumnMapping::units(field);
        if (units.first() == NutrientUnit::None) {
            // A unit on a field that has none ("Points (g)") says the column holds something else.
            if (marks.unit != NutrientUnit::None
                && !(field == ColumnMapping::ServingGrams && marks.unit == NutrientUnit::Gram)) {
                continue;
            }
            return { ColumnMapping::column(field), false };
        }
        if (marks.unit == NutrientUnit::None) {
            marks.unit = units.first();
        }
        if (!units.contains(marks.unit)) {
            continue;
        }
        return { ImportColumn { field, marks.unit, marks.per100g }, marks.unit == NutrientUnit::Kilojoule };
    }
    return {};
}

// The catalogue's nutrients by the names a header may give them: each one's whole name, and its
// name without the words in brackets ("Vitamin E" for "Vitamin E (alpha-tocopherol)"); failing
// those, the part of its name before a comma ("Sodium" for "Sodium, Na"). A name two nutrients
// share proposes neither.
class NutrientNames
{
public:
    explicit NutrientNames(const NutrientCatalogue& catalogue)
    {
        const std::vector<Nutrient>& nutrients = catalogue.nutrients();
        for (std::size_t n = 0; n < nutrients.size(); ++n) {
            const QString& name = nutrients[n].name;
            QString unbracketed = name;
            unbracketed.remove(QRegularExpression(QStringLiteral("\\([^)]*\\)")));
            for (const QString& text : { name, unbracketed }) {
                addName(&m_whole, normalised(text), qsizetype(n));
            }
            const qsizetype comma = name.indexOf(u',');
            if (comma > 0) {
                addName(&m_short, normalised(QStringView(name).first(comma)), qsizetype(n));
            }
        }
    }

    // The position in the catalogue of the nutrient `name` (normalised) names, or -1.
    qsizetype find(const QString& name) const
    {
        const qsizetype whole = m_whole.value(name, -1);
        if (whole >= 0 || m_whole.contains(name)) {
            return whole;
        }
        return m_short.value(name, -1);
    }

private:
    static void addName(QHash<QString, qsizetype>* names, const QString& name, qsizetype nutrient)
    {
        if (name.isEmpty()) {
            return;
        }
        const auto found = names->constFind(name);
        names->insert(name, found == names->constEnd() || *found == nutrient ? nutrient : -1);
    }

    QHash<QString, qsizetype> m_whole;
    QHash<QString, qsizetype> m_short;
};

NutrientUnit unitNamed(QStringView name)
{
    for (const NutrientUnit unit : { NutrientUnit::Kcal, NutrientUnit::Kilojoule, NutrientUnit::Gram,
             NutrientUnit::Milligram, NutrientUnit::Microgram, NutrientUnit::InternationalUnit }) {
        if (name == ColumnMapping::unitName(unit)) {
            return unit;
        }
    }
    return NutrientUnit::None;
}

// The nutrient a header proposes by its name, in the unit and amounts it marks; field NoField when
// it names none of the catalogue's or marks a unit the nutrient cannot be had from.
ImportColumn matchNutrientName(const QString& header, const NutrientCatalogue& catalogue, const NutrientNames& names)
{
    const HeaderNames words = headerNames(header);
    for (const QString& candidate : words.candidates) {
        Marks marks = words.bracketMarks;
        QString name = candidate;
        qsizetype found = names.find(name);
        while (found < 0 && stripSuffix(&name, 1, &marks)) {
            found = names.find(name);
        }
        if (found < 0) {
            continue;
        }
        ImportColumn column = ColumnMapping::column(catalogue.nutrients()[std::size_t(found)]);
        if (marks.unit != NutrientUnit::None) {
            if (!ColumnMapping::units(column).contains(marks.unit)) {
                continue;
            }
            column.unit = marks.unit;
        }
        column.per100g = marks.per100g;
        return column;
    }
    return ImportColumn();
}

QString unescaped(QStringView text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
        }
        result += text[i];
    }
    return result;
}

// Splits at each `separator` that no "\" takes literally; the parts keep their escapes.
QStringList splitEscaped(QStringView text, QChar separator, int maxParts = -1)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            part += text[i];
            part += text[++i];
            continue;
        }
        if (text[i] == separator && (maxParts < 0 || parts.size() + 1 < maxParts)) {
            parts.append(part);
            part.clear();
            continue;
        }
        part += text[i];
    }
    parts.append(part);
    return parts;
}

// The field, or the catalogue's nutrient, FIELD of --columns names: a field by its name or
// caption first, then a nutrient by its number, its name in any case or its caption.
bool readField(const QString& text, const NutrientCatalogue& catalogue, ImportColumn* column)
{
    const QString name = normalised(text);
    if (name.isEmpty() || name == u"none" || text.trimmed() == u"-") {
        *column = ImportColumn();
        return true;
    }
    for (int f = 0; f < ColumnMapping::ChoiceCount; ++f) {
        if (name == normalised(ColumnMapping::fieldName(f)) || name == normalised(ColumnMapping::fieldCaption(f))) {
            *column = ColumnMapping::column(f);
            return true;
        }
    }
    const QString trimmed = text.trimmed();
    if (const Nutrient* nutrient = catalogue.find(trimmed)) {
        *column = ColumnMapping::column(*nutrient);
        return true;
    }
    const std::vector<Nutrient>& nutrients = catalogue.nutrients();
    for (const auto& same : std::initializer_list<std::function<bool(const Nutrient&)>> {
             [&](const Nutrient& n) { return n.name.compare(trimmed, Qt::CaseInsensitive) == 0; },
             [&](const Nutrient& n) { return normalised(n.name) == name; },
             [&](const Nutrient& n) { return normalised(ColumnMapping::nutrientCaption(n)) == name; } }) {
        const auto found = std::find_if(nutrients.begin(), nutrients.end(), same);
        if (found != nutrients.end()) {
            *column = ColumnMapping::column(*found);
            return true;
        }
    }
    return false;
}

bool readUnit(const QString& text, NutrientUnit* unit)
{
    QString name = normalised(text);
    Marks marks;
    if (!stripSuffix(&name, 0, &marks) || !name.isEmpty() || marks.per100g) {
        return false;
    }
    *unit = marks.unit;
    return true;
}

} // namespace

QList<NutrientUnit> ColumnMapping::units(int field)
{
    switch (field) {
    case FoodDatabase::CALORIES:
        return { NutrientUnit::Kcal, NutrientUnit::Kilojoule };
    case FoodDatabase::CHOLESTERO:
        return { NutrientUnit::Milligram, NutrientUnit::Gram, NutrientUnit::Microgram };
    case FoodDatabase::CARBS:
    case FoodDatabase::FAT:
    case FoodDatabase::SUGAR:
    case FoodDatabase::FIBER:
    case FoodDatabase::SUGAR_ALC:
        return { NutrientUnit::Gram, NutrientUnit::Milligram, NutrientUnit::Microgram };
    default:
        return { NutrientUnit::None };
    }
}

QString ColumnMapping::unitName(NutrientUnit unit)
{
    switch (unit) {
    case NutrientUnit::Kcal:
        return QStringLiteral("kcal");
    case NutrientUnit::Kilojoule:
        return QStringLiteral("kJ");
    case NutrientUnit::Gram:
        return QStringLiteral("g");
    case NutrientUnit::Milligram:
        return QStringLiteral("mg");
    case NutrientUnit::Microgram:
        return QStringLiteral("\u00b5g");
    case NutrientUnit::InternationalUnit:
        return QStringLiteral("IU");
    case NutrientUnit::None:
        break;
    }
    return QString();
}

double ColumnMapping::factor(int field, NutrientUnit unit)
{
    // The food table holds energy in kcal, cholesterol in mg and the other amounts in g.
    const double grams = field == FoodDatabase::CHOLESTERO ? 1000.0 : 1.0;
    switch (unit) {
    case NutrientUnit::Kilojoule:
        return 1 / 4.184;
    case NutrientUnit::Gram:
        return grams;
    case NutrientUnit::Milligram:
        return grams / 1000;
    case NutrientUnit::Microgram:
        return grams / 1000000;
    case NutrientUnit::Kcal:
    case NutrientUnit::InternationalUnit:
    case NutrientUnit::None:
        break;
    }
    return 1;
}

QList<NutrientUnit> ColumnMapping::units(const ImportColumn& column)
{
    if (column.field != CatalogueNutrient) {
        return units(column.field);
    }
    const NutrientUnit own = unitNamed(column.nutrient.unit);
    QList<NutrientUnit> result;
    if (own != NutrientUnit::None) {
        result.append(own);
    }
    const QList<NutrientUnit> masses { NutrientUnit::Gram, NutrientUnit::Milligram, NutrientUnit::Microgram };
    const QList<NutrientUnit> energies { NutrientUnit::Kcal, NutrientUnit::Kilojoule };
    for (const QList<NutrientUnit>& kind : { masses, energies }) {
        if (kind.contains(own)) {
            for (const NutrientUnit unit : kind) {
                if (unit != own) {
                    result.append(unit);
                }
            }
        }
    }
    return result;
}

ImportColumn ColumnMapping::column(int field)
{
    return ImportColumn { field, field == NoField ? NutrientUnit::None : units(field).first(), false };
}

ImportColumn ColumnMapping::column(const Nutrient& nutrient)
{
    ImportColumn result { CatalogueNutrient, NutrientUnit::None, false, nutrient };
    result.unit = unitNamed(nutrient.unit);
    return result;
}

bool ColumnMapping::sameTarget(const ImportColumn& a, const ImportColumn& b)
{
    return a.field != NoField && a.field == b.field
        && (a.field != CatalogueNutrient || a.nutrient.number == b.nutrient.number);
}

QString ColumnMapping::nutrientCaption(const Nutrient& nutrient)
{
    return QStringLiteral("%1 (%2)").arg(nutrient.name, nutrient.unit);
}

QString ColumnMapping::caption(const ImportColumn& column)
{
    return column.field == CatalogueNutrient ? nutrientCaption(column.nutrient) : fieldCaption(column.field);
}

QString ColumnMapping::fieldName(int field)
{
    if (field == ServingGrams) {
        return QStringLiteral("SERVING_G");
    }
    return field >= 0 && field < FoodDatabase::FieldCount ? FoodDatabase::fieldNames().at(field) : QString();
}

QString ColumnMapping::fieldCaption(int field)
{
    if (field == ServingGrams) {
        return tr("Serving weight (g)");
    }
    return field >= 0 && field < FoodDatabase::FieldCount ? FoodDatabase::gridCaptions().at(field) : QString();
}

std::vector<ImportColumn> ColumnMapping::propose(const QStringList& headers)
{
    return propose(headers, NutrientCatalogue());
}

// The ten fields' and SERVING_G's proposals alone.
static std::vector<ImportColumn> proposeFields(const QStringList& headers)
{
    std::vector<Match> matches;
    matches.reserve(std::size_t(headers.size()));
    for (const QString& header : headers) {
        matches.push_back(matchHeader(header));
    }
    std::vector<ImportColumn> mapping(matches.size());
    std::vector<bool> taken(ColumnMapping::ChoiceCount, false);
    for (const bool fallbacks : { false, true }) {
        for (std::size_t c = 0; c < matches.size(); ++c) {
            const Match& match = matches[c];
            const int field = match.column.field;
            if (field != ColumnMapping::NoField && match.fallback == fallbacks && !taken[std::size_t(field)]) {
                taken[std::size_t(field)] = true;
                mapping[c] = match.column;
            }
        }
    }
    return mapping;
}

std::vector<ImportColumn> ColumnMapping::propose(const QStringList& headers, const NutrientCatalogue& catalogue)
{
    std::vector<ImportColumn> mapping = proposeFields(headers);
    // A column whose name is one of the ten fields' stays theirs, even where another column took
    // that field: "Total Fat" is the food's fat, never the catalogue's.
    std::vector<bool> open(mapping.size(), false);
    for (std::size_t c = 0; c < mapping.size(); ++c) {
        open[c] = mapping[c].field == NoField && matchHeader(headers.at(qsizetype(c))).column.field == NoField;
    }
    QSet<QString> taken;
    auto place = [&](std::size_t c, const ImportColumn& column) {
        if (column.field == CatalogueNutrient && !taken.contains(column.nutrient.number)) {
            taken.insert(column.nutrient.number);
            mapping[c] = column;
            open[c] = false;
        }
    };
    // Export's own headings first, wherever they stand: they say exactly what they hold.
    for (std::size_t c = 0; c < mapping.size(); ++c) {
        Nutrient heading;
        if (!open[c] || !NutrientCatalogue::parseColumnHeader(headers.at(qsizetype(c)), &heading)) {
            continue;
        }
        open[c] = false;
        const Nutrient* known = catalogue.find(heading.number);
        ImportColumn column = ColumnMapping::column(known ? *known : heading);
        const NutrientUnit unit = unitNamed(heading.unit);
        if (units(column).contains(unit)) {
            column.unit = unit;
            place(c, column);
        }
    }
    const NutrientNames names(catalogue);
    for (std::size_t c = 0; c < mapping.size(); ++c) {
        if (open[c]) {
            place(c, matchNutrientName(headers.at(qsizetype(c)), catalogue, names));
        }
    }
    return mapping;
}

bool ColumnMapping::check(const std::vector<ImportColumn>& mapping, const QStringList& headers, QString* error)
{
    if (mapping.size() != std::size_t(headers.size())) {
        *error = tr("the mapping has %1 columns where the file has %2").arg(mapping.size()).arg(headers.size());
        return false;
    }
    std::vector<int> columnOf(ChoiceCount, -1);
    QHash<QString, int> nutrientColumns;
    for (std::size_t c = 0; c < mapping.size(); ++c) {
        const ImportColumn& column = mapping[c];
        const QString header = MessageText::quoted(headers.at(qsizetype(c)));
        if (column.field == NoField) {
            continue;
        }
        const bool catalogued = column.field == CatalogueNutrient;
        if (column.field < 0 || column.field > CatalogueNutrient
            || (catalogued
                && (!NutrientCatalogue::isNumber(column.nutrient.number)
                    || column.nutrient.name.trimmed().isEmpty()))) {
            *error = tr("column \"%1\" goes to no food field").arg(header);
            return false;
        }
        if (catalogued && !units(column).contains(column.unit)) {
            // Amounts are kept in the nutrient's own unit: one of another kind cannot become it.
            *error = tr("\"%1\" of column \"%2\" cannot be in %3: it is kept in %4, which %3 cannot be converted to")
                         .arg(MessageText::quoted(column.nutrient.name), header,
                             column.unit == NutrientUnit::None ? tr("no unit") : unitName(column.unit),
                             column.nutrient.unit);
            return false;
        }
        if (!catalogued && !units(column.field).contains(column.unit)) {
            *error = tr("%1 of column \"%2\" cannot be in %3")
                         .arg(fieldCaption(column.field), header,
                             column.unit == NutrientUnit::None ? tr("no unit") : unitName(column.unit));
            return false;
        }
        if (column.per100g && !hasAmounts(column)) {
            *error = tr("%1 of column \"%2\" is no amount per 100 g").arg(fieldCaption(column.field), header);
            return false;
        }
        const int other
            = catalogued ? nutrientColumns.value(column.nutrient.number, -1) : columnOf[std::size_t(column.field)];
        if (other >= 0) {
            *error = tr("both \"%1\" and \"%2\" go to %3")
                         .arg(MessageText::quoted(headers.at(other)), header,
                             catalogued ? MessageText::quoted(caption(column)) : fieldCaption(column.field));
            return false;
        }
        if (catalogued) {
            nutrientColumns.insert(column.nutrient.number, int(c));
        } else {
            columnOf[std::size_t(column.field)] = int(c);
        }
    }
    return true;
}

bool ColumnMapping::applyOption(
    const QString& option, const QStringList& headers, std::vector<ImportColumn>* mapping, QString* error)
{
    return applyOption(option, headers, NutrientCatalogue(), mapping, error);
}

bool ColumnMapping::applyOption(const QString& option, const QStringList& headers, const NutrientCatalogue& catalogue,
    std::vector<ImportColumn>* mapping, QString* error)
{
    std::vector<ImportColumn> result = *mapping;
    result.resize(std::size_t(headers.size()));
    std::vector<bool> given(result.size(), false);
    for (const QString& entry : splitEscaped(option, u',')) {
        if (entry.trimmed().isEmpty()) {
            continue;
        }
        const QStringList sides = splitEscaped(entry, u'=', 2);
        if (sides.size() != 2) {
            *error = tr("\"%1\" gives no field: write HEADER=FIELD").arg(MessageText::quoted(unescaped(entry)));
            return false;
        }
        const QString header = unescaped(sides[0]).trimmed();
        qsizetype column = -1;
        bool numbered = false;
        const int number = header.startsWith(u'#') ? header.mid(1).toInt(&numbered) : 0;
        if (numbered) {
            if (number < 1 || number > headers.size()) {
                *error
                    = tr("the file has no column #%1; it has %n column(s)", nullptr, int(headers.size())).arg(number);
                return false;
            }
            column = number - 1;
        } else {
            for (const Qt::CaseSensitivity sensitivity : { Qt::CaseSensitive, Qt::CaseInsensitive }) {
                QList<qsizetype> found;
                for (qsizetype c = 0; c < headers.size(); ++c) {
                    if (headers[c].compare(header, sensitivity) == 0) {
                        found.append(c);
                    }
                }
                if (found.size() > 1) {
                    *error = tr("%1 columns are named \"%2\"; give the one meant as #%3")
                                 .arg(found.size())
                                 .arg(MessageText::quoted(header))
                                 .arg(found.first() + 1);
                    return false;
                }
                if (found.size() == 1) {
                    column = found.first();
                    break;
                }
            }
            if (column < 0) {
                *error
                    = tr("no column is named \"%1\"; the columns are %2")
                          .arg(MessageText::quoted(header), MessageText::quotedList(headers, MessageText::Marks::With));
                return false;
            }
        }
        const QStringList choiceParts = splitEscaped(sides[1], u':');
        ImportColumn choice;
        if (!readField(unescaped(choiceParts[0]), catalogue, &choice)) {
            QStringList names;
            for (int f = 0; f < ChoiceCount; ++f) {
                names.append(fieldName(f));
            }
            *error = catalogue.isEmpty()
                ? tr("\"%1\" is no food field; the fields are %2, or none")
                      .arg(MessageText::quoted(unescaped(choiceParts[0])), names.join(QStringLiteral(", ")))
                : tr("\"%1\" is neither a food field (%2, or none) nor a nutrient of the catalogue by its number or "
                     "name")
                      .arg(MessageText::quoted(unescaped(choiceParts[0])), names.join(QStringLiteral(", ")));
            return false;
        }
        for (qsizetype p = 1; p < choiceParts.size(); ++p) {
            const QString word = unescaped(choiceParts[p]).trimmed();
            NutrientUnit unit = NutrientUnit::None;
            if (normalised(word) == u"per100g" || normalised(word) == u"100g") {
                choice.per100g = true;
            } else if (normalised(word) == u"perserving") {
                choice.per100g = false;
            } else if (readUnit(word, &unit)) {
                choice.unit = unit;
            } else {
                *error = tr("\"%1\" is neither a unit (kcal, kJ, g, mg, \u00b5g) nor per100g")
                             .arg(MessageText::quoted(word));
                return false;
            }
        }
        if (given[std::size_t(column)]) {
            *error = tr("column \"%1\" is given twice").arg(MessageText::quoted(headers.at(column)));
            return false;
        }
        given[std::size_t(column)] = true;
        result[std::size_t(column)] = choice;
    }
    // A field given to a column leaves the column the header proposed it for.
    for (std::size_t c = 0; c < result.size(); ++c) {
        if (given[c] || result[c].field == NoField) {
            continue;
        }
        for (std::size_t g = 0; g < result.size(); ++g) {
            if (given[g] && sameTarget(result[g], result[c])) {
                result[c] = ImportColumn();
                break;
            }
        }
    }
    if (!check(result, headers, error)) {
        return false;
    }
    *mapping = std::move(result);
    return true;
}

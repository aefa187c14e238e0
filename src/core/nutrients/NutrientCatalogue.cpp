#include "core/nutrients/NutrientCatalogue.h"

#include "core/nutrients/NutrientUnit.h"

#include <QFile>

#include <algorithm>

// The starter's file lives in this library, whose resources a program registers by hand.
static void initStarterResources()
{
    Q_INIT_RESOURCE(starter);
}

namespace {

// Orders of the starter's nutrients leave room between groups for the nutrients an import adds.
constexpr int GroupStride = 100000;

int groupRank(NutrientGroup group)
{
    return static_cast<int>(group);
}

} // namespace

NutrientCatalogue::NutrientCatalogue(std::vector<Nutrient> nutrients)
    : m_nutrients(std::move(nutrients))
{
    sort();
}

void NutrientCatalogue::sort()
{
    std::stable_sort(m_nutrients.begin(), m_nutrients.end(), [](const Nutrient& a, const Nutrient& b) {
        if (a.group != b.group) {
            return groupRank(a.group) < groupRank(b.group);
        }
        return a.order < b.order;
    });
    m_index.clear();
    for (std::size_t i = 0; i < m_nutrients.size(); ++i) {
        m_index.insert(m_nutrients[i].number, static_cast<qsizetype>(i));
    }
}

const NutrientCatalogue& NutrientCatalogue::starter()
{
    static const NutrientCatalogue catalogue = [] {
        initStarterResources();
        std::vector<Nutrient> nutrients;
        QFile file(QStringLiteral(":/starter/usda-sr24-nutrients.csv"));
        if (file.open(QIODevice::ReadOnly)) {
            // The header holds no line break; its quoted fields hold commas.
            const QString header = QString::fromUtf8(file.readLine()).trimmed();
            QStringList fields;
            QString field;
            bool quoted = false;
            for (const QChar c : header) {
                if (c == u'"') {
                    quoted = !quoted;
                } else if (c == u',' && !quoted) {
                    fields.append(field);
                    field.clear();
                } else {
                    field.append(c);
                }
            }
            fields.append(field);
            int order = 0;
            for (const QString& text : fields.mid(1)) {
                Nutrient nutrient;
                if (parseColumnHeader(text, &nutrient)) {
                    nutrient.order = groupRank(nutrient.group) * GroupStride + (++order);
                    nutrients.push_back(nutrient);
                }
            }
        }
        return NutrientCatalogue(std::move(nutrients));
    }();
    return catalogue;
}

qsizetype NutrientCatalogue::indexOf(QStringView number) const
{
    return m_index.value(number.toString(), -1);
}

const Nutrient* NutrientCatalogue::find(QStringView number) const
{
    const qsizetype i = indexOf(number);
    return i < 0 ? nullptr : &m_nutrients[static_cast<std::size_t>(i)];
}

bool NutrientCatalogue::add(Nutrient nutrient, QString* error)
{
    if (!isNumber(nutrient.number)) {
        *error = tr("\"%1\" is not a nutrient number").arg(nutrient.number.left(20));
        return false;
    }
    if (m_index.contains(nutrient.number)) {
        *error = tr("the nutrient %1 is in the catalogue already").arg(nutrient.number);
        return false;
    }
    nutrient.unit = NutrientUnit::normalised(nutrient.unit);
    if (!NutrientUnit::isKnown(nutrient.unit) || nutrient.name.trimmed().isEmpty()) {
        *error = tr("the nutrient %1 has no name or a unit Platewell does not know").arg(nutrient.number);
        return false;
    }
    nutrient.name = nutrient.name.trimmed().left(200);
    int last = groupRank(nutrient.group) * GroupStride;
    for (const Nutrient& known : m_nutrients) {
        if (known.group == nutrient.group) {
            last = std::max(last, known.order);
        }
    }
    nutrient.order = last + 1;
    m_nutrients.push_back(nutrient);
    sort();
    return true;
}

bool NutrientCatalogue::conversionFactor(QStringView from, QStringView to, double* factor)
{
    return NutrientUnit::convert(1.0, NutrientUnit::normalised(from), NutrientUnit::normalised(to), factor);
}

bool NutrientCatalogue::isNumber(QStringView number)
{
    qsizetype digits = 0;
    qsizetype i = 0;
    while (i < number.size() && number[i].isDigit() && number[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (digits < 1 || digits > 6) {
        return false;
    }
    if (i == number.size()) {
        return true;
    }
    if (number[i] != u'.' || i + 1 == number.size()) {
        return false;
    }
    for (++i; i < number.size(); ++i) {
        if (!number[i].isDigit() || number[i].unicode() >= 128) {
            return false;
        }
    }
    return number.size() <= 10;
}

NutrientGroup NutrientCatalogue::groupOf(QStringView number)
{
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok) {
        return NutrientGroup::Other;
    }
    const int n = static_cast<int>(value);
    switch (n) {
    case 203: // protein
    case 204: // total fat
    case 205: // carbohydrate
    case 208: // energy, kcal
    case 268: // energy, kJ
    case 221: // alcohol
        return NutrientGroup::EnergyAndMacronutrients;
    case 255: // water
    case 207: // ash
    case 262: // caffeine
    case 263: // theobromine
        return NutrientGroup::Other;
    default:
        break;
    }
    if (n >= 209 && n <= 299) {
        return NutrientGroup::Carbohydrates;
    }
    if (n >= 300 && n <= 317) {
        return NutrientGroup::Minerals;
    }
    if (n >= 318 && n <= 499) {
        return NutrientGroup::Vitamins;
    }
    if (n >= 500 && n <= 599) {
        return NutrientGroup::AminoAcids;
    }
    if (n >= 600 && n <= 699) {
        return NutrientGroup::Fats;
    }
    return NutrientGroup::Other;
}

QString NutrientCatalogue::groupName(NutrientGroup group)
{
    switch (group) {
    case NutrientGroup::EnergyAndMacronutrients:
        return tr("Energy and macronutrients");
    case NutrientGroup::Fats:
        return tr("Fats");
    case NutrientGroup::Carbohydrates:
        return tr("Carbohydrates");
    case NutrientGroup::Minerals:
        return tr("Minerals");
    case NutrientGroup::Vitamins:
        return tr("Vitamins");
    case NutrientGroup::AminoAcids:
        return tr("Amino acids");
    case NutrientGroup::Other:
        break;
    }
    return tr("Other");
}

QString NutrientCatalogue::columnHeader(const Nutrient& nutrient)
{
    return QStringLiteral("%1 %2 (%3)").arg(nutrient.number, nutrient.name, nutrient.unit);
}

bool NutrientCatalogue::parseColumnHeader(QStringView header, Nutrient* nutrient)
{
    const QStringView text = header.trimmed();
    const qsizetype space = text.indexOf(u' ');
    if (space <= 0 || !text.endsWith(u')')) {
        return false;
    }
    const qsizetype open = text.lastIndexOf(u'(');
    if (open <= space) {
        return false;
    }
    const QStringView number = text.first(space);
    const QStringView name = text.sliced(space + 1, open - space - 1).trimmed();
    const QString unit = NutrientUnit::normalised(text.sliced(open + 1, text.size() - open - 2));
    if (!isNumber(number) || name.isEmpty() || !NutrientUnit::isKnown(unit)) {
        return false;
    }
    nutrient->number = number.toString();
    nutrient->name = name.toString();
    nutrient->unit = unit;
    nutrient->group = groupOf(number);
    return true;
}

#include "core/CsvFoodReader.h"

#include "core/ByteSource.h"
#include "core/CsvStreamReader.h"
#include "core/FieldNumber.h"
#include "core/FoodDatabase.h"
#include "core/FoodImport.h"
#include "core/FoodImportWriter.h"
#include "core/ImportedFood.h"
#include "core/TextFile.h"

#include <QHash>

namespace {

// A column name reduced to its lower-case letters and digits, a unit in brackets dropped:
// "Total Fat (g)" and "total_fat" both become "totalfat".
QString normalised(const QString& name)
{
    QString text = name.trimmed().toLower();
    if (text.endsWith(u')') || text.endsWith(u']')) {
        const qsizetype open = text.lastIndexOf(text.endsWith(u')') ? u'(' : u'[');
        if (open > 0) {
            text.truncate(open);
        }
    }
    QString result;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            result += c;
        }
    }
    return result;
}

const QHash<QString, int>& knownNames()
{
    static const QHash<QString, int> names = [] {
        QHash<QString, int> map;
        const QList<QPair<int, QStringList>> spellings {
            { FoodDatabase::FOOD,
                { "food", "name", "foodname", "description", "fooddescription", "item", "product", "productname" } },
            { FoodDatabase::SERVING_UN,
                { "servingun", "servingunit", "serving", "servingsize", "unit", "measure", "portion",
                    "householdmeasure" } },
            { FoodDatabase::CALORIES,
                { "calories", "calorie", "kcal", "energy", "energykcal", "cal", "kilocalories" } },
            { FoodDatabase::CARBS,
                { "carbs", "carb", "carbohydrate", "carbohydrates", "totalcarbs", "totalcarbohydrate",
                    "totalcarbohydrates", "carbohydratebydifference" } },
            { FoodDatabase::FAT, { "fat", "fats", "totalfat", "totallipidfat", "lipid", "lipids" } },
            { FoodDatabase::SUGAR, { "sugar", "sugars", "totalsugar", "totalsugars", "sugarstotal" } },
            { FoodDatabase::CHOLESTERO, { "cholestero", "cholesterol" } },
            { FoodDatabase::POINTS, { "points", "point" } },
            { FoodDatabase::FIBER,
                { "fiber", "fibre", "dietaryfiber", "dietaryfibre", "totaldietaryfiber", "fibertotaldietary" } },
            { FoodDatabase::SUGAR_ALC, { "sugaralc", "sugaralcohol", "sugaralcohols", "polyols", "polyol" } },
        };
        for (const auto& [field, words] : spellings) {
            for (const QString& word : words) {
                map.insert(word, field);
            }
        }
        for (int f = 0; f < FoodDatabase::FieldCount; ++f) {
            map.insert(normalised(FoodDatabase::fieldNames().at(f)), f);
            map.insert(normalised(FoodDatabase::gridCaptions().at(f)), f);
        }
        return map;
    }();
    return names;
}

int fieldOfName(const QString& column)
{
    const QString name = normalised(column);
    const auto found = knownNames().constFind(name);
    if (found != knownNames().constEnd()) {
        return *found;
    }
    // A unit written onto the name: "fat_g", "energy-kcal_100g", "cholesterol mg".
    static const char* const units[] = { "per100g", "100g", "kcal", "kj", "mg", "mcg", "ug", "grams", "gram", "g" };
    for (const char* unit : units) {
        const QLatin1String suffix(unit);
        QString rest = name;
        while (rest.size() > suffix.size() && rest.endsWith(suffix)) {
            rest.chop(suffix.size());
            const auto match = knownNames().constFind(rest);
            if (match != knownNames().constEnd()) {
                return *match;
            }
        }
    }
    return FoodImport::NoField;
}

} // namespace

std::vector<int> CsvFoodReader::proposeMapping(const QStringList& columns)
{
    std::vector<int> mapping;
    std::vector<bool> taken(FoodDatabase::FieldCount, false);
    for (const QString& column : columns) {
        int field = fieldOfName(column);
        if (field != FoodImport::NoField && taken[std::size_t(field)]) {
            field = FoodImport::NoField;
        }
        if (field != FoodImport::NoField) {
            taken[std::size_t(field)] = true;
        }
        mapping.push_back(field);
    }
    return mapping;
}

bool CsvFoodReader::hasLeadingNumber(QStringView text)
{
    // As TextToNumber reads: blanks, tabs and line feeds are ignored anywhere.
    QString s;
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n') {
            s += c;
            if (s.size() > 3) {
                break;
            }
        }
    }
    auto digit = [&](qsizetype i, int radix) {
        if (i >= s.size()) {
            return false;
        }
        const char16_t c = s[i].toLower().unicode();
        return (c >= u'0' && c < u'0' + std::min(radix, 10)) || (radix == 16 && c >= u'a' && c <= u'f');
    };
    if (s.startsWith(u'&')) {
        const QChar kind = s.size() > 1 ? s[1].toLower() : QChar();
        return (kind == u'h' && digit(2, 16)) || (kind == u'o' && digit(2, 8));
    }
    qsizetype i = (s.startsWith(u'+') || s.startsWith(u'-')) ? 1 : 0;
    if (i < s.size() && s[i] == u'.') {
        ++i;
    }
    return digit(i, 10);
}

bool CsvFoodReader::read(
    ByteSource& source, char delimiter, const std::vector<int>& mapping, FoodImportWriter& writer, QString* error)
{
    writer.setTotalBytes(source.total());
    CsvStreamReader reader(source, delimiter, true);
    if (!reader.readRecord()) {
        *error = reader.failed() ? reader.errorString() : tr("the file is empty");
        return false;
    }
    // The food table's own layout, as Export and the starter file write it: its nutrients hold
    // what the food editor stored, texts such as "n/a" among the numbers.
    bool ownTable = reader.fieldCount() == FoodDatabase::FieldCount;
    for (qsizetype c = 0; c < reader.fieldCount() && ownTable; ++c) {
        ownTable = FieldNumber::trimmed(reader.field(c)) == FoodDatabase::fieldNames().at(c).toLatin1();
    }
    const qsizetype columnCount = qsizetype(mapping.size());
    QString buffer;
    ImportedFood food;
    // A blank record is a row without a name, and is refused as one; but blank lines that only
    // end the file are no rows. So a run of blank records waits for a row after it.
    qint64 blankFrom = 0;
    qint64 blankCount = 0;
    auto refuseBlankRun = [&] {
        for (qint64 i = 0; i < blankCount; ++i) {
            food.clear();
            food.location = blankFrom + i;
            if (!writer.add(food, error)) {
                return false;
            }
        }
        blankCount = 0;
        return true;
    };
    while (reader.readRecord()) {
        if (!writer.rowRead(source.position())) {
            return false;
        }
        bool blank = true;
        for (qsizetype c = 0; c < reader.fieldCount() && blank; ++c) {
            blank = FieldNumber::trimmed(reader.field(c)).isEmpty();
        }
        if (blank) {
            // A blank record holds no quoted line break, so a run of them takes a line each.
            if (blankCount == 0) {
                blankFrom = reader.lineNumber();
            }
            ++blankCount;
            continue;
        }
        if (!refuseBlankRun()) {
            return false;
        }
        const bool utf8 = reader.recordBytes().isValidUtf8();
        food.clear();
        food.location = reader.lineNumber();
        QStringList unreadable;
        for (qsizetype c = 0; c < columnCount && c < reader.fieldCount(); ++c) {
            const int field = mapping[std::size_t(c)];
            if (field == FoodImport::NoField) {
                continue;
            }
            const QString text = TextFile::decodeInto(reader.field(c), utf8, &buffer).toString();
            if (field == FoodDatabase::FOOD) {
                food.name = text;
                continue;
            }
            if (field == FoodDatabase::SERVING_UN) {
                food.serving = text;
                continue;
            }
            if (ownTable) {
                // Kept exactly, as the table held it; only an empty one is no value.
                if (!text.isEmpty()) {
                    food.nutrients[std::size_t(field - FoodDatabase::CALORIES)] = text;
                }
                continue;
            }
            QString value = text.trimmed();
            if (delimiter == ';' && value.count(u',') == 1 && !value.contains(u'.')) {
                value.replace(u',', u'.');
            }
            if (value.isEmpty()) {
                continue;
            }
            if (!hasLeadingNumber(value)) {
                unreadable.append(QStringLiteral("%1 \"%2\"").arg(FoodDatabase::fieldNames().at(field), value));
                continue;
            }
            food.nutrients[std::size_t(field - FoodDatabase::CALORIES)] = value;
        }
        qsizetype extra = 0;
        for (qsizetype c = columnCount; c < reader.fieldCount(); ++c) {
            extra += FieldNumber::trimmed(reader.field(c)).isEmpty() ? 0 : 1;
        }
        if (extra > 0) {
            writer.refuse(food.location, false, food.name,
                tr("the row has %1 fields where the header has %2 (a name with an unquoted comma?)")
                    .arg(reader.fieldCount())
                    .arg(columnCount));
            continue;
        }
        if (!unreadable.isEmpty()) {
            writer.refuse(
                food.location, false, food.name, tr("not a number: %1").arg(unreadable.join(QStringLiteral(", "))));
            continue;
        }
        if (!writer.add(food, error)) {
            return false;
        }
    }
    if (reader.failed()) {
        *error = reader.errorString();
        return false;
    }
    return writer.reportProgress();
}

#include "core/imports/CsvFoodReader.h"

#include "core/files/ByteSource.h"
#include "core/files/CsvStreamReader.h"
#include "core/files/TextFile.h"
#include "core/foods/FoodDatabase.h"
#include "core/foods/FoodValues.h"
#include "core/imports/FoodImportWriter.h"
#include "core/imports/ImportedFood.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/FieldNumber.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

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

NumberStyle CsvFoodReader::guessStyle(
    const QList<QStringList>& rows, const std::vector<ImportColumn>& mapping, char delimiter)
{
    QList<QStringList> numbers;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (qsizetype c = 0; c < row.size() && std::size_t(c) < mapping.size(); ++c) {
            const ImportColumn& column = mapping[std::size_t(c)];
            if (ColumnMapping::hasAmounts(column) || column.field == ColumnMapping::ServingGrams) {
                fields.append(row.at(c));
            }
        }
        numbers.append(fields);
    }
    return WrittenNumber::guess(numbers, delimiter);
}

bool CsvFoodReader::read(ByteSource& source, char delimiter, NumberStyle style,
    const std::vector<ImportColumn>& mapping, FoodImportWriter& writer, QString* error)
{
    writer.setTotalBytes(source.total());
    CsvStreamReader reader(source, delimiter, true);
    if (!reader.readRecord()) {
        *error = reader.failed() ? reader.errorString() : tr("the file is empty");
        return false;
    }
    // The food table's own layout, as Export and the starter file write it: its nutrients hold
    // what the food editor stored, texts such as "n/a" among the numbers.
    // Export writes the serving's grams and the catalogue's nutrients after the ten fields.
    bool ownTable = reader.fieldCount() >= FoodDatabase::FieldCount;
    for (qsizetype c = 0; c < FoodDatabase::FieldCount && ownTable; ++c) {
        ownTable = FieldNumber::trimmed(reader.field(c)) == FoodDatabase::fieldNames().at(c).toLatin1();
    }
    for (qsizetype c = FoodDatabase::FieldCount; c < reader.fieldCount() && ownTable; ++c) {
        const QByteArrayView head = reader.field(c);
        Nutrient nutrient;
        ownTable = (head.isValidUtf8() && NutrientCatalogue::parseColumnHeader(QString::fromUtf8(head), &nutrient))
            || FieldNumber::trimmed(head) == ColumnMapping::fieldName(ColumnMapping::ServingGrams).toLatin1();
    }
    // The columns the mapping gives to a nutrient of the catalogue, each in the unit it is
    // written in, which its amounts are converted from to the unit the table keeps it in.
    std::vector<qsizetype> nutrientColumns;
    std::vector<Nutrient> nutrientHeads;
    for (std::size_t c = 0; c < mapping.size(); ++c) {
        if (mapping[c].field == ColumnMapping::CatalogueNutrient) {
            Nutrient nutrient = mapping[c].nutrient;
            nutrient.unit = ColumnMapping::unitName(mapping[c].unit);
            nutrientColumns.push_back(qsizetype(c));
            nutrientHeads.push_back(nutrient);
        }
    }
    std::vector<double> nutrientFactors;
    QStringList unusable;
    if (!writer.prepareNutrients(nutrientHeads, &nutrientFactors, &unusable, error)) {
        return false;
    }
    const qsizetype columnCount = qsizetype(mapping.size());
    bool anyPer100g = false;
    for (const ImportColumn& column : mapping) {
        anyPer100g = anyPer100g || column.per100g;
    }
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
    // The amounts of the row that are converted or scaled, in the table's units.
    std::array<std::optional<double>, FoodDatabase::NutrientCount> amounts;
    std::array<bool, FoodDatabase::NutrientCount> per100g {};
    // The row's amounts of catalogue nutrients, in the table's units, scaled once the serving's
    // weight is known when they are per 100 g.
    struct CatalogueAmount
    {
        QString number;
        double value;
        bool per100g;
    };
    std::vector<CatalogueAmount> nutrientAmounts;
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
        food.clear();
        food.location = reader.lineNumber();
        amounts.fill(std::nullopt);
        per100g.fill(false);
        bool perServingGiven = false;
        QString gramsText;
        QStringList legacy;
        QStringList unreadable;
        QStringList unknown;
        for (qsizetype c = 0; c < columnCount && c < reader.fieldCount(); ++c) {
            const ImportColumn& column = mapping[std::size_t(c)];
            const int field = column.field;
            if (field == ColumnMapping::NoField || field == ColumnMapping::CatalogueNutrient) {
                continue;
            }
            // Each field is decoded on its own: one byte of Windows-1252 elsewhere in the row
            // does not make a UTF-8 name read as Windows-1252.
            const QByteArrayView bytes = reader.field(c);
            const bool utf8 = bytes.isValidUtf8();
            const QString text = TextFile::decodeInto(bytes, utf8, &buffer).toString();
            if (!utf8) {
                legacy.append(ColumnMapping::fieldName(field));
            }
            if (field == FoodDatabase::FOOD) {
                food.name = text;
                continue;
            }
            if (field == FoodDatabase::SERVING_UN) {
                food.serving = text;
                continue;
            }
            if (field == ColumnMapping::ServingGrams) {
                gramsText = text.trimmed();
                continue;
            }
            const std::size_t index = std::size_t(field - FoodDatabase::CALORIES);
            const bool asWritten = column == ColumnMapping::column(field);
            const QString value = text.trimmed();
            // The table's own layout holds what the food editor stored: a text that reads as no
            // number ("n/a", "?") or the program's own "&H10" is kept exactly, so that Export then
            // Import gives the same table; a number is read as any other below.
            double number = 0;
            const bool programNumber = value.startsWith(u'&') && hasLeadingNumber(value);
            if (ownTable && asWritten && !text.isEmpty()
                && (programNumber || (!hasLeadingNumber(value) && !WrittenNumber::read(value, style, &number)))) {
                food.nutrients[index] = text;
                perServingGiven = true;
                continue;
            }
            if (value.isEmpty()) {
                continue;
            }
            if (WrittenNumber::isUnknownMark(value)) {
                unknown.append(QStringLiteral("%1 \"%2\"").arg(ColumnMapping::fieldName(field), value));
                continue;
            }
            // "&H10" is the program's own way of writing a number.
            if (programNumber) {
                number = TextToNumber(value);
            } else if (!WrittenNumber::read(value, style, &number)) {
                QString item
                    = QStringLiteral("%1 \"%2\"").arg(ColumnMapping::fieldName(field), MessageText::quoted(value));
                const NumberStyle other
                    = style == NumberStyle::DecimalPoint ? NumberStyle::DecimalComma : NumberStyle::DecimalPoint;
                if (WrittenNumber::read(value, other, &number)) {
                    item += tr(" (the file writes its numbers as %1)").arg(WrittenNumber::example(style));
                }
                unreadable.append(item);
                continue;
            }
            perServingGiven = perServingGiven || !column.per100g;
            if (asWritten) {
                // The text as written when the program reads it as the number it is; else the
                // number, so that no text stands for another number than the one written.
                const bool same = programNumber || TextToNumber(value) == number;
                food.nutrients[index] = same ? (ownTable ? text : value) : FoodValues::numberText(number);
            } else {
                amounts[index] = number * ColumnMapping::factor(field, column.unit);
                per100g[index] = column.per100g;
            }
        }
        nutrientAmounts.clear();
        for (std::size_t n = 0; n < nutrientColumns.size(); ++n) {
            const qsizetype c = nutrientColumns[n];
            const QString value = c < reader.fieldCount()
                ? TextFile::decodeInto(reader.field(c), reader.field(c).isValidUtf8(), &buffer).trimmed().toString()
                : QString();
            if (value.isEmpty()) {
                continue;
            }
            const QString head = NutrientCatalogue::columnHeader(nutrientHeads[n]);
            if (WrittenNumber::isUnknownMark(value)) {
                unknown.append(QStringLiteral("%1 \"%2\"").arg(head, value));
                continue;
            }
            double number = 0;
            if (!WrittenNumber::read(value, style, &number) || !std::isfinite(number)) {
                unreadable.append(QStringLiteral("%1 \"%2\"").arg(head, MessageText::quoted(value)));
                continue;
            }
            if (nutrientFactors[n] == 0) {
                unknown.append(QStringLiteral("%1 \"%2\"").arg(head, value));
                continue;
            }
            const bool perHundred = mapping[std::size_t(c)].per100g;
            perServingGiven = perServingGiven || !perHundred;
            nutrientAmounts.push_back({ nutrientHeads[n].number, number * nutrientFactors[n], perHundred });
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
        if (!legacy.isEmpty()) {
            food.notes.append(tr("not UTF-8, so read as Windows-1252: %1").arg(legacy.join(QStringLiteral(", "))));
        }
        double grams = 0;
        bool weighed = false;
        if (WrittenNumber::isUnknownMark(gramsText)) {
            // The serving's weight is not known, as if the field were empty.
            unknown.append(
                QStringLiteral("%1 \"%2\"").arg(ColumnMapping::fieldName(ColumnMapping::ServingGrams), gramsText));
        } else if (!gramsText.isEmpty()) {
            QStringView unit;
            const bool read = WrittenNumber::read(gramsText, style, &grams, &unit);
            const bool inGrams = unit.isEmpty() || unit.compare(u"g", Qt::CaseInsensitive) == 0
                || unit.compare(u"ml", Qt::CaseInsensitive) == 0;
            if (!read || !inGrams) {
                unreadable.append(
                    QStringLiteral("%1 \"%2\"")
                        .arg(ColumnMapping::fieldName(ColumnMapping::ServingGrams), MessageText::quoted(gramsText)));
            } else if (!ImportedFood::isServingWeight(grams)) {
                food.notes.append(
                    tr("%1 \"%2\" is no serving weight, so it is left out")
                        .arg(ColumnMapping::fieldName(ColumnMapping::ServingGrams), MessageText::quoted(gramsText)));
            } else {
                weighed = true;
                food.more.servingGrams = grams;
                // The table's own serving stands as it was written; another file's gains its weight.
                if (!ownTable) {
                    food.serving = ImportedFood::servingWithWeight(food.serving.trimmed(), grams);
                }
            }
        }
        if (!unreadable.isEmpty()) {
            writer.refuse(
                food.location, false, food.name, tr("not a number: %1").arg(unreadable.join(QStringLiteral(", "))));
            continue;
        }
        if (!unknown.isEmpty()) {
            food.notes.append(tr("not known, left empty: %1").arg(unknown.join(QStringLiteral(", "))));
        }
        if (!weighed && anyPer100g) {
            weighed
                = ImportedFood::weightOfServing(food.serving, style, &grams) && ImportedFood::isServingWeight(grams);
        }
        const bool per100gGiven = std::find(per100g.begin(), per100g.end(), true) != per100g.end()
            || std::any_of(
                nutrientAmounts.begin(), nutrientAmounts.end(), [](const CatalogueAmount& a) { return a.per100g; });
        if (per100gGiven && !weighed) {
            // The amounts for 100 g can only stand as they are, for a serving of 100 g; amounts
            // for the row's own serving beside them would then be wrong.
            if (perServingGiven) {
                writer.refuse(food.location, false, food.name,
                    tr("the amounts per 100 g cannot be scaled to the serving, whose weight is not known, and "
                       "others are per serving"));
                continue;
            }
            if (!food.serving.trimmed().isEmpty()) {
                food.notes.append(tr("the serving \"%1\" gives no weight, so the amounts are for 100 g and the "
                                     "serving is 100 g")
                                      .arg(MessageText::quoted(food.serving)));
            }
            food.serving = QStringLiteral("100 g");
            grams = 100;
        }
        for (std::size_t n = 0; n < amounts.size(); ++n) {
            if (amounts[n]) {
                food.setAmount(n, per100g[n] ? *amounts[n] * grams / 100 : *amounts[n]);
            }
        }
        for (const CatalogueAmount& amount : nutrientAmounts) {
            food.more.values.insert(amount.number, amount.per100g ? amount.value * grams / 100 : amount.value);
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

#include "core/totals/NutrientTargets.h"

#include "core/files/TextFile.h"
#include "core/files/TextLineReader.h"
#include "core/nutrients/NutrientCatalogue.h"
#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The unit each nutrient's value is given in, in the totals' column order.
const char* const kUnits[TotalsRow::NutrientCount] = { "kcal", "g", "g", "g", "mg", "", "g", "g", "g" };

QString numberField(const std::optional<double>& value)
{
    if (!value) {
        return QString();
    }
    // The shortest text that reads back as exactly the same number.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value).ptr;
    return QString::fromLatin1(buffer, end - buffer);
}

// An empty field is no bound; anything else must be wholly a finite number.
bool readBound(QStringView field, std::optional<double>* bound)
{
    const QByteArray text = field.trimmed().toLatin1();
    if (text.isEmpty()) {
        bound->reset();
        return true;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    if (ec != std::errc() || end != text.constData() + text.size() || !std::isfinite(value)) {
        return false;
    }
    *bound = value;
    return true;
}

// A bound as the totals show numbers, to 15 significant digits, with the locale's grouping.
QString boundText(double value, const QLocale& locale)
{
    const QString plain = GeneralNumberText(value, QLocale::c());
    if (!std::isfinite(value) || plain.contains(QLatin1Char('E'))) {
        return GeneralNumberText(value, locale);
    }
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    return locale.toString(GeneralNumberValue(value), 'f', point < 0 ? 0 : int(plain.size() - point - 1));
}

} // namespace

const QStringList& NutrientTargets::nutrientNames()
{
    static const QStringList names { QStringLiteral("Calories"), QStringLiteral("Carbohydrates"), QStringLiteral("Fat"),
        QStringLiteral("Sugar"), QStringLiteral("Cholesterol"), QStringLiteral("Points"), QStringLiteral("Fiber"),
        QStringLiteral("Sugar Alcohols"), QStringLiteral("Net Carbs") };
    return names;
}

bool NutrientTargets::setRange(int nutrient, const Range& range, QString* reason)
{
    if (range.minimum && range.maximum && *range.minimum > *range.maximum) {
        if (reason) {
            *reason = tr("The minimum of %1 is above its maximum.").arg(nutrientNames().at(nutrient));
        }
        return false;
    }
    m_ranges[static_cast<std::size_t>(nutrient)] = range;
    return true;
}

bool NutrientTargets::isEmpty() const
{
    return std::all_of(m_ranges.begin(), m_ranges.end(), [](const Range& r) { return !r.minimum && !r.maximum; });
}

QString NutrientTargets::unit(int nutrient)
{
    return QString::fromLatin1(kUnits[nutrient]);
}

QString NutrientTargets::catalogueNumber(int nutrient)
{
    static const char* const numbers[TotalsRow::NutrientCount]
        = { "208", "205", "204", "269", "601", "", "291", "", "" };
    return QString::fromLatin1(numbers[nutrient]);
}

bool NutrientTargets::readTypedBound(QStringView text, const QLocale& locale, std::optional<double>* bound)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        bound->reset();
        return true;
    }
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (!ok) {
        value = QLocale::c().toDouble(trimmed, &ok);
    }
    // "inf" and "nan" read as numbers, but no target can be either.
    if (!ok || !std::isfinite(value)) {
        return false;
    }
    *bound = value;
    return true;
}

QString NutrientTargets::typedBoundText(double bound, const QLocale& locale)
{
    // Fixed notation where it stays short: "10,000", not "1E+04".
    const double size = std::abs(bound);
    const bool fixed = size == 0 || (size >= 1e-6 && size < 1e15);
    return locale.toString(bound, fixed ? 'f' : 'g', QLocale::FloatingPointShortest);
}

QString NutrientTargets::rangeText(int nutrient, const QLocale& locale) const
{
    const Range& r = range(nutrient);
    if (r.minimum && r.maximum) {
        return boundText(*r.minimum, locale) + QChar(0x2013) + boundText(*r.maximum, locale);
    }
    // A lone bound gets a sign of its own: a dash before it would read as a minus.
    if (r.minimum) {
        return tr("\u2265 %1").arg(boundText(*r.minimum, locale));
    }
    if (r.maximum) {
        return tr("\u2264 %1").arg(boundText(*r.maximum, locale));
    }
    return QString();
}

NutrientTargets::Standing NutrientTargets::standing(int nutrient, double value) const
{
    return standing(range(nutrient), value);
}

NutrientTargets::Standing NutrientTargets::standing(const Range& r, double value)
{
    if (!r.minimum && !r.maximum) {
        return Standing::NoTarget;
    }
    // Judged as shown: a day the grid shows as "25" is at a maximum of 25, whatever digits lie
    // beyond the fifteen shown.
    const double shown = GeneralNumberValue(value);
    if (r.minimum && shown < GeneralNumberValue(*r.minimum)) {
        return Standing::Under;
    }
    if (r.maximum && shown > GeneralNumberValue(*r.maximum)) {
        return Standing::Over;
    }
    return Standing::Within;
}

QString NutrientTargets::describe(int nutrient, double value, const QLocale& locale) const
{
    return describe(range(nutrient), unit(nutrient), value, locale);
}

QString NutrientTargets::describe(const Range& r, const QString& unit, double value, const QLocale& locale)
{
    // The numbers as the grid shows them, so that the tip never says "25" of a day marked over 25.
    QString bounds;
    if (r.minimum && r.maximum) {
        bounds = GeneralNumberText(*r.minimum, locale) + QChar(0x2013) + GeneralNumberText(*r.maximum, locale);
    } else if (r.minimum) {
        bounds = tr("at least %1").arg(GeneralNumberText(*r.minimum, locale));
    } else if (r.maximum) {
        bounds = tr("at most %1").arg(GeneralNumberText(*r.maximum, locale));
    } else {
        return QString();
    }
    if (!unit.isEmpty()) {
        bounds += QLatin1Char(' ') + unit;
    }
    const double reference = GeneralNumberValue(r.maximum ? *r.maximum : *r.minimum);
    QString text = tr("%1 of %2").arg(GeneralNumberText(value, locale), bounds);
    const double share = std::round(GeneralNumberValue(value) / reference * 100);
    if (reference != 0 && std::isfinite(share)) {
        // A whole per cent would round a day just over its maximum to 100 %; the share then says
        // which side of the bound it is on, as the mark does.
        const Standing where = standing(r, value);
        QString percent = locale.toString(share, 'f', 0);
        if (reference > 0 && where == Standing::Over && share <= 100) {
            percent = QStringLiteral("> 100");
        } else if (reference > 0 && where == Standing::Under && share >= 100) {
            percent = QStringLiteral("< 100");
        }
        text += QStringLiteral(" (%1 %)").arg(percent);
    }
    return text;
}

bool NutrientTargets::readLines(const QString& path, const std::function<QString(QStringView key)>& nameOf,
    const std::function<bool(const QString& key, const Range& range, QString* reason)>& take, QStringList* problems,
    QString* error)
{
    ListedItems found(ListedProblems);
    if (QFileInfo::exists(path)) {
        // Read as a stream, like the period files: a file of millions of lines costs one line of
        // memory, and its problems a few quoted lines and a count.
        TextLineReader reader(path);
        if (!reader.open(error)) {
            return false;
        }
        // The line each key's target was read from.
        QHash<QString, qint64> readOn;
        // Only the problems a message lists are put into words; the rest are counted.
        auto listed = [&found] {
            if (found.listsNext()) {
                return true;
            }
            found.countUnlisted();
            return false;
        };
        QString line;
        while (reader.readLine(&line)) {
            if (QStringView(line).trimmed().isEmpty()) {
                continue;
            }
            const qsizetype first = line.indexOf(QLatin1Char('_'));
            const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char('_'), first + 1);
            const bool threeFields = second >= 0 && line.indexOf(QLatin1Char('_'), second + 1) < 0;
            const QString key
                = threeFields && !reader.lineCut() ? QStringView(line).first(first).trimmed().toString() : QString();
            const QString name = key.isEmpty() ? QString() : nameOf(key);
            Range range;
            QString reason;
            const bool read = !name.isEmpty()
                && readBound(QStringView(line).sliced(first + 1, second - first - 1), &range.minimum)
                && readBound(QStringView(line).sliced(second + 1), &range.maximum);
            if (read && readOn.contains(key)) {
                if (listed()) {
                    found.add(
                        tr("Line %1 \"%2\" is a second target of %3; the one on line %4 counts.")
                            .arg(QString::number(reader.lineNumber()), MessageText::quoted(line, QuotedCharacters),
                                name, QString::number(readOn.value(key))));
                }
            } else if (!read || !take(key, range, &reason)) {
                if (listed()) {
                    found.add(
                        tr("Line %1 \"%2\" is not a target%3.")
                            .arg(QString::number(reader.lineNumber()), MessageText::quoted(line, QuotedCharacters),
                                reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
                }
            } else {
                readOn.insert(key, reader.lineNumber());
            }
        }
        if (reader.failed(error)) {
            return false;
        }
    }
    if (problems) {
        *problems = found.lines();
    }
    return true;
}

bool NutrientTargets::load(const QString& path, NutrientTargets* targets, QStringList* problems, QString* error)
{
    NutrientTargets loaded;
    const bool read = readLines(
        path,
        [](QStringView key) {
            const qsizetype nutrient = nutrientNames().indexOf(key);
            return nutrient < 0 ? QString() : nutrientNames().at(nutrient);
        },
        [&loaded](const QString& key, const Range& range, QString* reason) {
            return loaded.setRange(static_cast<int>(nutrientNames().indexOf(key)), range, reason);
        },
        problems, error);
    if (!read) {
        return false;
    }
    // The other nutrients' targets are kept apart; loading the nine leaves them as they were.
    loaded.m_kept = targets->m_kept;
    *targets = loaded;
    return true;
}

bool NutrientTargets::loadKept(const QString& path, NutrientTargets* targets, QStringList* problems, QString* error)
{
    std::map<QString, Range> kept;
    const bool read = readLines(
        path, [](QStringView key) { return NutrientCatalogue::isNumber(key) ? key.toString() : QString(); },
        [&kept](const QString& key, const Range& range, QString* reason) {
            if (range.minimum && range.maximum && *range.minimum > *range.maximum) {
                *reason = tr("The minimum of nutrient %1 is above its maximum.").arg(key);
                return false;
            }
            if (kept.size() >= MostKeptTargets) {
                *reason = tr("no more than %1 nutrients can have targets").arg(MostKeptTargets);
                return false;
            }
            if (range.minimum || range.maximum) {
                kept[key] = range;
            }
            return true;
        },
        problems, error);
    if (!read) {
        return false;
    }
    targets->m_kept = std::move(kept);
    return true;
}

const NutrientTargets::Range& NutrientTargets::targetOf(const QString& number) const
{
    const Range& own = keptRange(number);
    if (own.minimum || own.maximum) {
        return own;
    }
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        if (!number.isEmpty() && catalogueNumber(n) == number) {
            return m_ranges[static_cast<std::size_t>(n)];
        }
    }
    return own;
}

const NutrientTargets::Range& NutrientTargets::keptRange(const QString& number) const
{
    static const Range none;
    const auto found = m_kept.find(number);
    return found == m_kept.end() ? none : found->second;
}

bool NutrientTargets::setKeptRange(const QString& number, const Range& range, QString* reason)
{
    if (!NutrientCatalogue::isNumber(number)) {
        if (reason) {
            *reason = tr("\"%1\" is not a nutrient number.").arg(MessageText::quoted(number, QuotedCharacters));
        }
        return false;
    }
    if (range.minimum && range.maximum && *range.minimum > *range.maximum) {
        if (reason) {
            *reason = tr("The minimum of nutrient %1 is above its maximum.").arg(number);
        }
        return false;
    }
    if (!range.minimum && !range.maximum) {
        m_kept.erase(number);
    } else {
        m_kept[number] = range;
    }
    return true;
}

bool NutrientTargets::saveKept(const QString& path, QString* error) const
{
    QStringList lines;
    for (const auto& [number, r] : m_kept) {
        lines.append(number + QLatin1Char('_') + numberField(r.minimum) + QLatin1Char('_') + numberField(r.maximum));
    }
    return TextFile::writeLines(path, lines, error);
}

bool NutrientTargets::save(const QString& path, QString* error) const
{
    QStringList lines;
    for (int nutrient = 0; nutrient < TotalsRow::NutrientCount; ++nutrient) {
        const Range& r = range(nutrient);
        if (r.minimum || r.maximum) {
            lines.append(nutrientNames().at(nutrient) + QLatin1Char('_') + numberField(r.minimum) + QLatin1Char('_')
                + numberField(r.maximum));
        }
    }
    return TextFile::writeLines(path, lines, error);
}

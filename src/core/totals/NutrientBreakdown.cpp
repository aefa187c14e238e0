#include "core/totals/NutrientBreakdown.h"

#include "core/nutrients/NutrientAmount.h"
#include "core/text/MessageText.h"

#include <charconv>
#include <cmath>

namespace {

// A value as the view shows it, six significant digits: a range is judged on what the user reads.
double shownValue(double value)
{
    char buffer[NutrientAmount::BufferSize];
    const std::size_t length = NutrientAmount::write(value, buffer);
    double shown = 0;
    std::from_chars(buffer, buffer + length, shown);
    return shown;
}

} // namespace

NutrientBreakdown::NutrientBreakdown(NutrientCatalogue catalogue, NutrientTotals totals, NutrientTargets targets)
    : m_catalogue(std::move(catalogue))
    , m_totals(std::move(totals))
    , m_targets(std::move(targets))
{
    m_slots.reserve(m_catalogue.nutrients().size());
    for (const Nutrient& nutrient : m_catalogue.nutrients()) {
        m_slots.push_back(int(m_totals.numbers.indexOf(nutrient.number)));
    }
}

QString NutrientBreakdown::rowLabel(int row) const
{
    return m_totals.rows[std::size_t(row)].label;
}

bool NutrientBreakdown::amount(int row, int nutrient, double* value, int* unknown) const
{
    const int slot = slotOf(nutrient);
    const NutrientTotalsRow& sums = m_totals.rows[std::size_t(row)];
    if (slot < 0 || std::size_t(slot) >= sums.totals.size()) {
        return false;
    }
    *value = sums.totals[std::size_t(slot)];
    if (unknown) {
        *unknown = std::size_t(slot) < sums.unknownCounts.size() ? sums.unknownCounts[std::size_t(slot)] : 0;
    }
    return true;
}

QString NutrientBreakdown::amountText(int row, int nutrient, const QLocale& locale) const
{
    double value = 0;
    int unknown = 0;
    if (!amount(row, nutrient, &value, &unknown)) {
        return QString();
    }
    const QString text = NutrientAmount::text(value, locale);
    // A sum some planned foods lack is a lower bound.
    return unknown > 0 ? tr("\u2265 %1").arg(text) : text;
}

std::optional<double> NutrientBreakdown::reference(int row, int nutrient) const
{
    double value = 0;
    if (!TotalsCalculator::standsForOneDay(rowLabel(row)) || !amount(row, nutrient, &value)) {
        return std::nullopt;
    }
    const NutrientTargets::Range& range = m_targets.targetOf(this->nutrient(nutrient).number);
    // A minimum of 0 asks for nothing; the share is then of the maximum, as the chart gives it.
    const std::optional<double> reference = range.minimum && *range.minimum > 0 ? range.minimum : range.maximum;
    if (!reference || *reference == 0) {
        return std::nullopt;
    }
    return reference;
}

NutrientTargets::Standing NutrientBreakdown::standing(int row, int nutrient) const
{
    double value = 0;
    int unknown = 0;
    if (!reference(row, nutrient) || !amount(row, nutrient, &value, &unknown)) {
        return NutrientTargets::Standing::NoTarget;
    }
    const NutrientTargets::Range& range = m_targets.targetOf(this->nutrient(nutrient).number);
    const double shown = shownValue(value);
    if (range.maximum && shown > shownValue(*range.maximum)) {
        return NutrientTargets::Standing::Over;
    }
    if (range.minimum && shown < shownValue(*range.minimum)) {
        // What the foods that lack it bring may close the gap.
        return unknown > 0 ? NutrientTargets::Standing::NoTarget : NutrientTargets::Standing::Under;
    }
    // A lower bound within the range may still pass its maximum.
    return unknown > 0 && range.maximum ? NutrientTargets::Standing::NoTarget : NutrientTargets::Standing::Within;
}

QString NutrientBreakdown::shareText(int row, int nutrient, const QLocale& locale) const
{
    const std::optional<double> of = reference(row, nutrient);
    double value = 0;
    int unknown = 0;
    if (!of || !amount(row, nutrient, &value, &unknown)) {
        return QString();
    }
    const double share = std::round(shownValue(value) / shownValue(*of) * 100);
    if (!std::isfinite(share)) {
        return QString();
    }
    const NutrientTargets::Standing where = standing(row, nutrient);
    QString percent = locale.toString(share, 'f', 0);
    // A whole per cent would round a day just outside its bound to 100 %.
    if (*of > 0 && where == NutrientTargets::Standing::Under && share >= 100) {
        percent = QStringLiteral("< 100");
    } else if (*of > 0 && where == NutrientTargets::Standing::Over && share <= 100) {
        percent = QStringLiteral("> 100");
    }
    QString text = QStringLiteral("%1 %").arg(percent);
    if (unknown > 0) {
        text = tr("\u2265 %1").arg(text);
    }
    // The colour is never the only sign of a value outside its range.
    if (where == NutrientTargets::Standing::Under) {
        text += QStringLiteral(" \u2193");
    } else if (where == NutrientTargets::Standing::Over) {
        text += QStringLiteral(" \u2191");
    }
    return text;
}

QString NutrientBreakdown::targetText(int nutrient, const QLocale& locale) const
{
    const NutrientTargets::Range& range = m_targets.targetOf(this->nutrient(nutrient).number);
    if (range.minimum && range.maximum) {
        return NutrientAmount::text(*range.minimum, locale) + QChar(0x2013)
            + NutrientAmount::text(*range.maximum, locale);
    }
    // A lone bound gets a sign of its own: a dash before it would read as a minus.
    if (range.minimum) {
        return tr("\u2265 %1").arg(NutrientAmount::text(*range.minimum, locale));
    }
    if (range.maximum) {
        return tr("\u2264 %1").arg(NutrientAmount::text(*range.maximum, locale));
    }
    return QString();
}

QString NutrientBreakdown::toolTip(int row, int nutrient, const QLocale& locale) const
{
    const Nutrient& shown = this->nutrient(nutrient);
    double value = 0;
    int unknown = 0;
    if (!amount(row, nutrient, &value, &unknown)) {
        return tr("The food table keeps no values of %1.").arg(shown.name);
    }
    QStringList lines {
        tr("%1 in %2: %3 %4").arg(shown.name, rowLabel(row), amountText(row, nutrient, locale), shown.unit)
    };
    const QString target = targetText(nutrient, locale);
    if (!target.isEmpty()) {
        const std::optional<double> of = reference(row, nutrient);
        const NutrientTargets::Range& range = m_targets.targetOf(shown.number);
        if (!of) {
            lines.append(tr("Daily target: %1 %2").arg(target, shown.unit));
        } else if (range.minimum) {
            lines.append(
                tr("Daily target: %1 %2; %3 of its minimum").arg(target, shown.unit, shareText(row, nutrient, locale)));
        } else {
            lines.append(
                tr("Daily target: %1 %2; %3 of its maximum").arg(target, shown.unit, shareText(row, nutrient, locale)));
        }
    }
    if (unknown > 0) {
        lines.append(unknown == 1 ? tr("1 planned food lacks this value, so the amount is at least this much:")
                                  : tr("%1 planned foods lack this value, so the amount is at least this much:")
                                        .arg(locale.toString(unknown)));
        const NutrientTotalsRow& sums = m_totals.rows[std::size_t(row)];
        const int slot = slotOf(nutrient);
        ListedItems foods;
        if (std::size_t(slot) < sums.lacking.size()) {
            const LackingFoods& lacking = sums.lacking[std::size_t(slot)];
            for (qsizetype i = 0; i < lacking.names.size(); ++i) {
                const int times = lacking.times[std::size_t(i)];
                const QString name = MessageText::quoted(lacking.names[i]);
                foods.add(times > 1 ? tr("%1 (%2 times)").arg(name, locale.toString(times)) : name);
            }
            foods.countUnlisted(std::max(0, unknown - lacking.listedTimes()));
        }
        lines += foods.lines();
    }
    return lines.join(QLatin1Char('\n'));
}

QList<TotalsReportRow> NutrientBreakdown::pageRows(const QLocale& locale) const
{
    TotalsReportRow header { { tr("Nutrient"), tr("Unit"), tr("Daily target") }, true };
    for (int row = 0; row < rowCount(); ++row) {
        header.texts.append(rowLabel(row));
    }
    QList<TotalsReportRow> rows { header };
    const int columns = int(header.texts.size());
    bool headed = false;
    NutrientGroup group = NutrientGroup::Other;
    for (int n = 0; n < nutrientCount(); ++n) {
        const Nutrient& shown = nutrient(n);
        const QString target = targetText(n, locale);
        bool valued = false;
        for (int row = 0; row < rowCount() && !valued; ++row) {
            double value = 0;
            valued = amount(row, n, &value) && value != 0;
        }
        if (!valued && target.isEmpty()) {
            continue;
        }
        if (!headed || shown.group != group) {
            headed = true;
            group = shown.group;
            TotalsReportRow heading { { NutrientCatalogue::groupName(group) }, true };
            while (heading.texts.size() < columns) {
                heading.texts.append(QString());
            }
            rows.append(heading);
        }
        TotalsReportRow line { { shown.name, shown.unit, target }, false };
        for (int row = 0; row < rowCount(); ++row) {
            QString text = amountText(row, n, locale);
            const QString share = shareText(row, n, locale);
            if (!share.isEmpty()) {
                text += QStringLiteral(" (%1)").arg(share);
            }
            line.texts.append(text);
        }
        rows.append(line);
    }
    return rows;
}

QString NutrientBreakdown::pageTitle()
{
    return tr("Nutrients");
}

QString NutrientBreakdown::lowerBoundNote()
{
    return tr("\u2265: some planned foods lack the value, so the amount is at least this much.");
}

bool NutrientBreakdown::hasLowerBounds() const
{
    for (const NutrientTotalsRow& row : m_totals.rows) {
        for (std::size_t slot = 0; slot < row.unknownCounts.size(); ++slot) {
            if (row.unknownCounts[slot] > 0 && m_catalogue.find(m_totals.numbers.value(qsizetype(slot)))) {
                return true;
            }
        }
    }
    return false;
}

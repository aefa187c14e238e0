#include "core/totals/TotalsReport.h"

#include "core/text/NumberText.h"
#include "core/totals/NutrientBreakdown.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"

namespace TotalsReport {

QList<TotalsReportRow> rows(const TotalsResult& result, const QLocale& locale)
{
    QList<TotalsReportRow> rows { { TotalsCalculator::headerTexts(), true } };
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const TotalsRow& source = result.rows[r];
        TotalsReportRow row;
        row.texts.append(source.label);
        for (const double value : source.values) {
            row.texts.append(GeneralNumberText(value, locale));
        }
        row.bold = result.hasTotalsRow && r + 1 == result.rows.size();
        rows.append(row);
    }
    return rows;
}

QStringList fileLines(const TotalsResult& result, const QLocale& locale)
{
    QStringList lines;
    for (const TotalsReportRow& row : rows(result, locale)) {
        lines.append(row.texts.join(QLatin1Char('\t')));
    }
    return lines;
}

QStringList fileLines(const TotalsResult& result, const NutrientTargets& targets, const QLocale& locale)
{
    QStringList lines = fileLines(result, locale);
    if (targets.isEmpty()) {
        return lines;
    }
    for (int nutrient = 0; nutrient < TotalsRow::NutrientCount; ++nutrient) {
        const QString range = targets.rangeText(nutrient, locale);
        if (range.isEmpty()) {
            continue;
        }
        lines[0] += QLatin1Char('\t')
            + NutrientTargets::tr("%1 target %2").arg(TotalsCalculator::headerTexts().at(nutrient + 1), range);
        for (std::size_t r = 0; r < result.rows.size(); ++r) {
            const TotalsRow& row = result.rows[r];
            const bool totals = result.hasTotalsRow && r + 1 == result.rows.size();
            QString standing;
            if (!totals && TotalsCalculator::standsForOneDay(row.label)) {
                switch (targets.standing(nutrient, row.values[static_cast<std::size_t>(nutrient)])) {
                case NutrientTargets::Standing::Under:
                    standing = NutrientTargets::tr("under");
                    break;
                case NutrientTargets::Standing::Within:
                    standing = NutrientTargets::tr("within");
                    break;
                case NutrientTargets::Standing::Over:
                    standing = NutrientTargets::tr("over");
                    break;
                case NutrientTargets::Standing::NoTarget:
                    break;
                }
            }
            lines[static_cast<qsizetype>(r) + 1] += QLatin1Char('\t') + standing;
        }
    }
    return lines;
}

QStringList fileLines(const TotalsResult& result, const NutrientTargets& targets, const NutrientBreakdown& nutrients,
    const QLocale& locale)
{
    QStringList lines = fileLines(result, targets, locale);
    lines.append(QString());
    lines.append(NutrientBreakdown::pageTitle());
    for (const TotalsReportRow& row : nutrients.pageRows(locale)) {
        lines.append(row.texts.join(QLatin1Char('\t')));
    }
    if (nutrients.hasLowerBounds()) {
        lines.append(NutrientBreakdown::lowerBoundNote());
    }
    return lines;
}

} // namespace TotalsReport

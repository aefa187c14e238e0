#include "core/TotalsReport.h"

#include "core/NumberText.h"
#include "core/TotalsCalculator.h"

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

} // namespace TotalsReport

#pragma once

#include <QList>
#include <QLocale>
#include <QStringList>

class NutrientBreakdown;
class NutrientTargets;
struct TotalsResult;

// The totals as the grid shows them and the report gives them: the header row, then one row per
// source and the bold "Totals" row, each as its ten cell texts. Numbers are in the general number
// text of `locale`.
struct TotalsReportRow
{
    QStringList texts;
    bool bold = false;
};

namespace TotalsReport {

constexpr int ColumnCount = 10;

QList<TotalsReportRow> rows(const TotalsResult& result, const QLocale& locale = QLocale());
// The lines of the totals report file: each row's texts separated by tabs.
QStringList fileLines(const TotalsResult& result, const QLocale& locale = QLocale());
// The same with targets: when any is set, each nutrient with a target gains a column, headed by
// the nutrient and its range ("Calories target 1800–2200"), that says where each one-day row
// stands: under, within or over. Without targets the lines are those of fileLines().
QStringList fileLines(const TotalsResult& result, const NutrientTargets& targets, const QLocale& locale = QLocale());
// The same followed by the nutrient page: an empty line, the page's title, its rows separated by
// tabs, and the note on lower bounds where the page has any.
QStringList fileLines(const TotalsResult& result, const NutrientTargets& targets, const NutrientBreakdown& nutrients,
    const QLocale& locale = QLocale());

} // namespace TotalsReport

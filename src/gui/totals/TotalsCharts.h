#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

class ChartedTotals;
class NutrientTargets;
class QChart;
class QPainter;
class QPrinter;
struct TargetShare;
struct TotalsResult;
struct TotalsRow;

// The totals as charts: one small bar chart per nutrient, so that calories in the hundreds and
// cholesterol in milligrams each keep a scale they can be read on. Each bar is one calculated row
// (the Totals row, which adds several days, is left out), in a colour of its own that a key under
// the charts names, hatched where planned foods lack the value, and the nutrient's daily target
// band, when one is set, is drawn behind them. The "% of target" chart shows one row instead: a
// bar per nutrient with a target, at its share of the target, against a line at 100 %.
class TotalsCharts
{
    Q_DECLARE_TR_FUNCTIONS(TotalsCharts)

public:
    // The size at which the charts are laid out for a file or a page; they are scaled from there.
    static constexpr QSize LayoutSize { 1500, 1000 };
    static constexpr int Columns = 3;
    // The height of the key under the charts, in LayoutSize pixels.
    static constexpr int KeyHeight = 80;

    // What one picture shows: the charts of the nutrients `keys` (the nine's names, kept
    // nutrients' numbers), or with `shareRow` set, the "% of target" chart of that charted row.
    struct Picture
    {
        QStringList keys;
        int shareRow = -1;
    };

    // The colour of the bars of the row at that place among the charted rows.
    static QColor rowColour(int row);

    // The rows that get a bar, in the grid's order.
    static std::vector<const TotalsRow*> chartedRows(const TotalsResult& result);
    // A new chart of one nutrient (0 to 8, the grid's column order after the labels); the caller
    // owns it. `dark` gives it the dark theme for a dark desktop, with the bars and the band in
    // their own colours all the same.
    static QChart* makeChart(
        int nutrient, const TotalsResult& result, const NutrientTargets& targets, bool dark = false);
    // The same for any nutrient `key`.
    static QChart* makeChart(const ChartedTotals& totals, const QString& key, bool dark = false);
    // A new "% of target" chart of the charted row `row`; the caller owns it.
    static QChart* makeShareChart(const ChartedTotals& totals, int row, bool dark = false);
    // The text of a share's bar in the chart: "Sodium 83 %", "Iron ≥ 45 %" for a lower bound.
    static QString shareLabel(const ChartedTotals& totals, const TargetShare& share);
    // Draws the nine charts, three by three, into `target`, keeping their proportions.
    static void render(
        QPainter* painter, const QRectF& target, const TotalsResult& result, const NutrientTargets& targets);
    // Draws `picture` into `target`, keeping its proportions.
    static void render(QPainter* painter, const QRectF& target, const ChartedTotals& totals, const Picture& picture);
    // `path` with `ending` ("png") added unless its name ends in .png, .svg or .pdf (in any case),
    // trailing dots dropped: "totals 2024.06" and "my.chart." take the ending too.
    static QString withEnding(const QString& path, const QString& ending);
    // Saves the nine charts as a PNG image (LayoutSize pixels), an SVG drawing or a one-page PDF,
    // by the ending of `path`.
    static bool save(const QString& path, const TotalsResult& result, const NutrientTargets& targets, QString* error);
    // Saves `picture` the same way.
    static bool save(const QString& path, const ChartedTotals& totals, const Picture& picture, QString* error);
    // Prints `picture` on a page of its own under a title; false when the printer could not be
    // started.
    static bool print(QPrinter* printer, const ChartedTotals& totals, const Picture& picture);
    // Whether a row's value of one of `keys` is only a lower bound, so that its bar is hatched and
    // the key says what hatching means.
    static bool anyLowerBound(const ChartedTotals& totals, const QStringList& keys);
};

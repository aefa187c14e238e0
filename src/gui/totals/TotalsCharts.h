#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class NutrientTargets;
class QChart;
class QPainter;
struct TotalsResult;
struct TotalsRow;

// The totals as charts: one small bar chart per nutrient, so that calories in the hundreds and
// cholesterol in milligrams each keep a scale they can be read on. Each bar is one calculated row
// (the Totals row, which adds several days, is left out), in a colour of its own that a key under
// the charts names, and the nutrient's daily target band, when one is set, is drawn behind them.
class TotalsCharts
{
    Q_DECLARE_TR_FUNCTIONS(TotalsCharts)

public:
    // The size at which the charts are laid out for a file or a page; they are scaled from there.
    static constexpr QSize LayoutSize { 1500, 1000 };
    static constexpr int Columns = 3;
    // The height of the key under the charts, in LayoutSize pixels.
    static constexpr int KeyHeight = 80;

    // The colour of the bars of the row at that place among the charted rows.
    static QColor rowColour(int row);

    // The rows that get a bar, in the grid's order.
    static std::vector<const TotalsRow*> chartedRows(const TotalsResult& result);
    // A new chart of one nutrient (0 to 8, the grid's column order after the labels); the caller
    // owns it. `dark` gives it the dark theme for a dark desktop, with the bars and the band in
    // their own colours all the same.
    static QChart* makeChart(
        int nutrient, const TotalsResult& result, const NutrientTargets& targets, bool dark = false);
    // Draws the nine charts, three by three, into `target`, keeping their proportions.
    static void render(
        QPainter* painter, const QRectF& target, const TotalsResult& result, const NutrientTargets& targets);
    // `path` with `ending` ("png") added unless its name ends in .png, .svg or .pdf (in any case),
    // trailing dots dropped: "totals 2024.06" and "my.chart." take the ending too.
    static QString withEnding(const QString& path, const QString& ending);
    // Saves the nine charts as a PNG image (LayoutSize pixels), an SVG drawing or a one-page PDF,
    // by the ending of `path`.
    static bool save(const QString& path, const TotalsResult& result, const NutrientTargets& targets, QString* error);
};

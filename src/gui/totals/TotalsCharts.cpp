#include "gui/totals/TotalsCharts.h"

#include "core/files/TextFile.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The band of a daily target: a soft green behind the bars, with a firmer edge.
const QColor kBandFill(76, 175, 80, 70);
const QColor kBandEdge(56, 142, 60);

// Colours that stay apart from each other and from the band's green.
const QColor kRowColours[] = { QColor(31, 119, 180), QColor(255, 127, 14), QColor(148, 103, 189), QColor(214, 39, 40),
    QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(23, 190, 207),
    QColor(57, 59, 121), QColor(173, 73, 74), QColor(99, 121, 57), QColor(206, 109, 189), QColor(82, 84, 163) };

// The largest magnitude a chart draws. Its axis adds a margin and rounds its ends up to round
// numbers, which from near the largest double would overflow to an axis labelled "inf"; no real
// total comes near it, and a bar beyond it reaches the chart's edge.
constexpr double kLargestDrawn = 1e300;

double drawable(double value)
{
    // An overflowed total (shown as "Overflow" in the grid) has no height of its own: it is drawn
    // as far as the chart goes, and one that is not a number not at all.
    if (std::isnan(value)) {
        return 0;
    }
    return std::clamp(value, -kLargestDrawn, kLargestDrawn);
}

QString chartTitle(int nutrient, const NutrientTargets& targets)
{
    QString title = TotalsCalculator::headerTexts().at(nutrient + 1);
    const QString unit = NutrientTargets::unit(nutrient);
    if (!unit.isEmpty()) {
        title += QStringLiteral(" (%1)").arg(unit);
    }
    const QString range = targets.rangeText(nutrient);
    if (!range.isEmpty()) {
        title += TotalsCharts::tr(", target %1").arg(range);
    }
    return title;
}

} // namespace

QColor TotalsCharts::rowColour(int row)
{
    return kRowColours[row % static_cast<int>(std::size(kRowColours))];
}

std::vector<const TotalsRow*> TotalsCharts::chartedRows(const TotalsResult& result)
{
    std::vector<const TotalsRow*> rows;
    const std::size_t count = result.rows.size() - (result.hasTotalsRow && !result.rows.empty() ? 1 : 0);
    for (std::size_t r = 0; r < count; ++r) {
        rows.push_back(&result.rows[r]);
    }
    return rows;
}

QChart* TotalsCharts::makeChart(int nutrient, const TotalsResult& result, const NutrientTargets& targets, bool dark)
{
    auto* chart = new QChart;
    // A theme repaints every series already in the chart: it goes on first, so that the rows'
    // colours, which the key repeats, and the band's see-through green stay as set below.
    if (dark) {
        chart->setTheme(QChart::ChartThemeDark);
    }
    chart->setTitle(chartTitle(nutrient, targets));
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);

    // One bar per row, each row in its own colour throughout the charts, under a shared key.
    const std::vector<const TotalsRow*> rows = chartedRows(result);
    auto* series = new QBarSeries;
    double low = 0;
    double high = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double value = drawable(rows[r]->values[static_cast<std::size_t>(nutrient)]);
        auto* bar = new QBarSet(rows[r]->label);
        bar->setColor(rowColour(static_cast<int>(r)));
        bar->setBorderColor(rowColour(static_cast<int>(r)).darker(120));
        bar->append(value);
        series->append(bar);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    NutrientTargets::Range range = targets.range(nutrient);
    for (std::optional<double>* bound : { &range.minimum, &range.maximum }) {
        if (*bound) {
            **bound = drawable(**bound);
            low = std::min(low, **bound);
            high = std::max(high, **bound);
        }
    }
    if (high <= low) {
        high = low + 1;
    }

    auto* valueAxis = new QValueAxis;
    valueAxis->setRange(low, high + (high - low) * 0.08);
    valueAxis->applyNiceNumbers();
    valueAxis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(valueAxis, Qt::AlignLeft);

    // The band goes in first, so that the bars are drawn over it. It spans the whole width on a
    // hidden axis that matches the single category's (-0.5 to 0.5); an open end reaches the
    // axis' end.
    if (range.minimum || range.maximum) {
        const double from = -0.5;
        const double to = 0.5;
        const double bottom = range.minimum ? *range.minimum : valueAxis->min();
        const double top = range.maximum ? *range.maximum : valueAxis->max();
        auto* upper = new QLineSeries(chart);
        auto* lower = new QLineSeries(chart);
        upper->append({ QPointF(from, top), QPointF(to, top) });
        lower->append({ QPointF(from, bottom), QPointF(to, bottom) });
        auto* band = new QAreaSeries(upper, lower);
        band->setName(tr("Target"));
        band->setBrush(kBandFill);
        band->setPen(QPen(kBandEdge, 1.5, Qt::DashLine));
        chart->addSeries(band);
        auto* bandAxis = new QValueAxis;
        bandAxis->setRange(from, to);
        bandAxis->setVisible(false);
        chart->addAxis(bandAxis, Qt::AlignBottom);
        band->attachAxis(bandAxis);
        band->attachAxis(valueAxis);
    }

    series->setBarWidth(0.8);
    chart->addSeries(series);
    // A single category: the chart's title names the nutrient, the key names the bars.
    auto* categories = new QBarCategoryAxis;
    categories->append(QString());
    categories->setLabelsVisible(false);
    categories->setGridLineVisible(false);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    series->attachAxis(valueAxis);
    return chart;
}

void TotalsCharts::render(
    QPainter* painter, const QRectF& target, const TotalsResult& result, const NutrientTargets& targets)
{
    // Laid out at one size and scaled into the target, so that texts keep their size relative to
    // the charts on a screen, a page or an image alike.
    const int rows = (TotalsRow::NutrientCount + Columns - 1) / Columns;
    const QSizeF cell(double(LayoutSize.width()) / Columns, double(LayoutSize.height() - KeyHeight) / rows);
    const double scale = std::min(target.width() / LayoutSize.width(), target.height() / LayoutSize.height());
    const QPointF origin = target.topLeft()
        + QPointF(
            (target.width() - LayoutSize.width() * scale) / 2, (target.height() - LayoutSize.height() * scale) / 2);
    for (int n = 0; n < TotalsRow::NutrientCount; ++n) {
        QGraphicsScene scene;
        QChart* chart = makeChart(n, result, targets);
        // Texts sized for the layout, as a page or an image is looked at from further away than
        // a window.
        QFont title = chart->titleFont();
        title.setPixelSize(22);
        title.setBold(true);
        chart->setTitleFont(title);
        for (QAbstractAxis* axis : chart->axes()) {
            QFont labels = axis->labelsFont();
            labels.setPixelSize(17);
            axis->setLabelsFont(labels);
        }
        scene.addItem(chart);
        chart->setGeometry(QRectF(QPointF(0, 0), cell));
        chart->layout()->activate();
        const QRectF source(QPointF(0, 0), cell);
        const QRectF place(
            origin + QPointF((n % Columns) * cell.width() * scale, (n / Columns) * cell.height() * scale),
            cell * scale);
        scene.render(painter, place, source);
    }

    // The key under the charts: a swatch and the label of each row, in the grid's order.
    painter->save();
    painter->translate(origin + QPointF(0, (LayoutSize.height() - KeyHeight) * scale));
    painter->scale(scale, scale);
    QFont font = painter->font();
    font.setPixelSize(18);
    painter->setFont(font);
    const QFontMetricsF metrics(font, painter->device());
    const std::vector<const TotalsRow*> charted = chartedRows(result);
    double x = 20;
    double y = 10;
    for (std::size_t r = 0; r < charted.size(); ++r) {
        const double width = 30 + metrics.horizontalAdvance(charted[r]->label) + 30;
        if (x + width > LayoutSize.width() && x > 20) {
            x = 20;
            y += 30;
        }
        painter->fillRect(QRectF(x, y + 3, 20, 20), rowColour(static_cast<int>(r)));
        painter->setPen(Qt::black);
        painter->drawText(QRectF(x + 28, y, width, 26), Qt::AlignLeft | Qt::AlignVCenter, charted[r]->label);
        x += width;
    }
    painter->restore();
}

QString TotalsCharts::withEnding(const QString& path, const QString& ending)
{
    // "chart." would otherwise become "chart..png".
    QString base = path;
    while (base.endsWith(QLatin1Char('.')) && !QFileInfo(base).fileName().isEmpty()) {
        base.chop(1);
    }
    // Only an ending the chart can be saved as counts: "totals 2024.06" is a name with a dot in it.
    const QString suffix = QFileInfo(base).suffix().toLower();
    if (suffix == QLatin1String("png") || suffix == QLatin1String("svg") || suffix == QLatin1String("pdf")) {
        return base;
    }
    return base + QLatin1Char('.') + ending;
}

bool TotalsCharts::save(const QString& path, const TotalsResult& result, const NutrientTargets& targets, QString* error)
{
    // Drawn into memory first and written whole, so that a failed save leaves no half file and an
    // earlier file of that name stays as it was.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QRectF whole(QPointF(0, 0), QSizeF(LayoutSize));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("png")) {
        QImage image(LayoutSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            render(&painter, whole, result, targets);
        }
        image.save(&buffer, "PNG");
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(LayoutSize);
        svg.setViewBox(whole);
        svg.setTitle(tr("Platewell Totals Chart"));
        QPainter painter(&svg);
        render(&painter, whole, result, targets);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(tr("Platewell Totals Chart"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setResolution(150);
        QPainter painter(&pdf);
        render(&painter, QRectF(painter.viewport()), result, targets);
    } else {
        *error = tr("Charts are saved as PNG, SVG or PDF files: end the name with .png, .svg or .pdf.");
        return false;
    }
    buffer.close();
    QString reason;
    if (buffer.data().isEmpty() || !TextFile::writeBytes(path, buffer.data(), &reason)) {
        *error = tr("The chart was not saved. %1").arg(reason);
        return false;
    }
    return true;
}
